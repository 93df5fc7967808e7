#pragma once

// Fonts, shown text and line breaking of cells: the one piece of code that both
// painting and row auto-fit use, so a text measured as three lines is painted
// as three lines.

#include "sheet/model/workbook.h"

#include <QFont>
#include <QFontMetricsF>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace sheet {

// Maps the fonts the workbook names to the free look-alikes installed on Linux
// ("Century Gothic" to "URW Gothic", "Arial" to "Liberation Sans"). Runs once;
// qtFont() calls it, so callers rarely need to.
void installFontSubstitutions();

// Reads the list of installed fonts (fontconfig's configuration and every face
// in it), which the first font made in a process otherwise waits for. Any
// thread may call it, and fonts made on any thread afterwards use the list.
void loadFontDatabase();

// The Qt font that shows `font`: its family through the substitution, bold,
// italic, underline and strikeout. The size is a pixel size at 96 dpi, rounded to
// whole pixels as a 96-dpi spreadsheet does (10 pt -> 13 px), so measuring and
// painting agree on every device and at every zoom.
QFont qtFont(const Font& font);

// A font with the measurements text layout needs, in pixels at 96 dpi.
//
// Advances are whole pixels, as a 96-dpi spreadsheet measures them: the fonts
// are hinted at the cell's pixel size, and a hinted advance is the outline's
// advance rounded to the pixel. Painting lays a line out with the same font, so
// a zoomed or printed line keeps the positions it was measured with.
struct CellFont {
    explicit CellFont(const Font& font);

    // Width of `line` as it is painted: the sum of its characters' advances for
    // text that needs no shaping (no kerning, no ligatures, as a spreadsheet
    // sets it), the shaped width for lines with joining or combining scripts.
    double advance(const QString& line) const;
    // The advance of each character of text when every one is in the table (their
    // sum, added in order, is then advance(text)); false when one is not.
    bool tabledAdvances(QStringView text, std::vector<double>& advances) const;
    // advance() of UTF-8 text that is all printable ASCII in the table, read without
    // decoding it; none for any other text, which advance() then measures.
    std::optional<double> asciiAdvance(std::string_view utf8) const;
    // advance() of a line that lays out as one left-to-right run of `font`: each
    // of its characters a Latin-1 or Latin Extended-A one the face has (and no
    // control character); none for any other line.
    std::optional<double> plainAdvance(QStringView line) const;
    // The font `line` is painted and measured in: `font`, or `shapingFont` when
    // the line holds Arabic, Indic, Thai or other text that needs shaping.
    const QFont& fontFor(const QString& line) const;
    // Whether some installed font shows `c`: the cell's face, or a face Qt
    // falls back on. Blanks and invisible format characters count as shown.
    bool shows(char32_t c) const;

    QFont font;
    QFont shapingFont;
    QFontMetricsF metrics;
    QFontMetricsF shapingMetrics;
    double ascent = 0;
    int lineHeight = 0; // one line of text including the cell's padding and grid line

private:
    // Latin-1 and Latin Extended-A: what phone lists mostly hold. A character
    // the face lacks has no entry (a negative advance) and is measured by Qt.
    static constexpr char16_t kFirstTabled = u' ';
    static constexpr char16_t kLastTabled = u'\u017f';
    static constexpr double kUnmeasured = -2;
    // c's advance from the table, measuring it on first use; negative when the
    // face lacks c or c is not in the table's range.
    double tabled(char16_t c) const;
    mutable std::array<double, kLastTabled - kFirstTabled + 1> mAdvances{};
    // The printable ASCII part of the table, measured up front, for asciiAdvance();
    // negative for the other bytes below 128.
    std::array<double, 128> mAscii{};
    mutable std::unordered_map<char32_t, bool> mShown;
};

// True when `text` holds a character that is only shown right when shaped:
// joining scripts (Arabic, Syriac, N'Ko), the scripts of India and South-East
// Asia, Hebrew points, combining marks and the joiners of emoji sequences.
bool needsShaping(const QString& text);

// The characters of `text` that no installed font shows, each once, in the
// order they first appear. Such characters would vanish or show as boxes.
std::vector<char32_t> unshownCharacters(const QString& text, const CellFont& font);

// Cached per thread; the reference stays valid for the thread's lifetime.
const CellFont& cellFont(const Font& font);

// Padding between a cell's edges and its text, in pixels. A column's width in
// characters is that many digit widths plus 5 pixels: 2 at the left, 2 at the
// right and the grid line. Text may use the right margin but one pixel of it,
// so a column made for "(ddd) ddd-dddd" shows it on one line.
inline constexpr int kTextPadLeft = 2;
inline constexpr int kTextPadRight = 2; // the grid line included

// Characters the General number format shows at most (the sign not counted).
inline constexpr int kGeneralChars = 11;

// `value` in General format within `maxChars` characters: plain digits with as
// many decimals as fit (0.333333333), exponent form for numbers too large or too
// small for that (1.23457E+11, 1.2345E-06); empty when not even that fits.
QString generalNumber(double value, int maxChars = kGeneralChars);

// Text a cell shows: its string, or its number in General format; empty for a blank cell.
QString displayText(const Cell& cell);

// The lines `text` is shown in. A tab shows as one blank (cells have no tab
// stops) and other control characters show as nothing. With `wrap` the text
// breaks where the Unicode line-breaking rules allow (after blanks and hyphens,
// at zero-width spaces, between CJK characters) and at line feeds, so that
// each line fits `width` pixels; a word longer than a line breaks between
// characters. Blanks at the start of the text stay; blanks where a line breaks
// hang past its end and are not shown. Without `wrap` the text is one line and
// line feeds are dropped.
QStringList breakLines(const QString& text, const CellFont& font, double width, bool wrap);
// How many lines breakLines(text, font, width, true) makes, without making them.
int lineCount(const QString& text, const CellFont& font, double width);

// True when the line-breaking rules allow a break in `paragraph` only after its
// blanks, so that breaking it needs no analysis of its characters: ASCII letters,
// digits, blanks, the symbols that break as letters do (@ _ # & * = < > ~ ^ `)
// and the separators , . : ; where no digit follows one (Qt breaks "a,5" after
// the comma). Names, street addresses and e-mail addresses mostly are.
bool breaksOnlyAfterBlanks(QStringView paragraph);

// Pixels of text the cell `widthPx` wide has room for on one line.
inline double textWidth(int widthPx) {
    return widthPx - kTextPadLeft - kTextPadRight;
}

} // namespace sheet
