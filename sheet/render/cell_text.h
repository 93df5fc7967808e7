#pragma once

// Fonts, shown text and line breaking of cells: the one piece of code that both
// painting and row auto-fit use, so a text measured as three lines is painted
// as three lines.

#include "sheet/model/workbook.h"

#include <QFont>
#include <QFontMetricsF>
#include <QString>
#include <QStringList>

#include <array>
#include <vector>

namespace sheet {

// Maps the fonts the workbook names to the free look-alikes installed on Linux
// ("Century Gothic" to "URW Gothic", "Arial" to "Liberation Sans"). Runs once;
// qtFont() calls it, so callers rarely need to.
void installFontSubstitutions();

// The Qt font that shows `font`: its family through the substitution, bold,
// italic, underline and strikeout. The size is a pixel size at 96 dpi, rounded to
// whole pixels as a 96-dpi spreadsheet does (10 pt -> 13 px), so measuring and
// painting agree on every device and at every zoom.
QFont qtFont(const Font& font);

// A font with the measurements text layout needs, in pixels at 96 dpi.
struct CellFont {
    explicit CellFont(const Font& font);

    // Width of text on one line, exactly as metrics.horizontalAdvance() gives it.
    // Cells are laid out without shaping (no kerning, no ligatures), so a line of
    // printable ASCII is the sum of its characters' advances; that sum comes from
    // a table, since sheets measure every cell's text and shaping each one is slow.
    double advance(const QString& text) const;
    // The advance of each character of text when every one is in the table (their
    // sum, added in order, is then advance(text)); false when one is not.
    bool tabledAdvances(const QString& text, std::vector<double>& advances) const;

    QFont font;
    QFontMetricsF metrics;
    double ascent = 0;
    int lineHeight = 0; // one line of text including the cell's padding and grid line

private:
    static constexpr char16_t kFirstTabled = u' ';
    static constexpr char16_t kLastTabled = u'~';
    std::array<double, kLastTabled - kFirstTabled + 1> mAdvances{};
};

// Cached per thread; the reference stays valid for the thread's lifetime.
const CellFont& cellFont(const Font& font);

// Padding between a cell's edges and its text, in pixels (the grid line included on the right).
inline constexpr int kTextPadLeft = 2;
inline constexpr int kTextPadRight = 3;

// Characters the General number format shows at most (the sign not counted).
inline constexpr int kGeneralChars = 11;

// `value` in General format within `maxChars` characters: plain digits with as
// many decimals as fit (0.333333333), exponent form for numbers too large or too
// small for that (1.23457E+11, 1.2345E-06); empty when not even that fits.
QString generalNumber(double value, int maxChars = kGeneralChars);

// Text a cell shows: its string, or its number in General format; empty for a blank cell.
QString displayText(const Cell& cell);

// The lines `text` is shown in. With `wrap` the text breaks at spaces and line
// feeds so that each line fits `width` pixels (a word longer than a line breaks
// between characters); without it the text is one line and line feeds are dropped.
QStringList breakLines(const QString& text, const CellFont& font, double width, bool wrap);

// Pixels of text the cell `widthPx` wide has room for on one line.
inline double textWidth(int widthPx) {
    return widthPx - kTextPadLeft - kTextPadRight;
}

} // namespace sheet
