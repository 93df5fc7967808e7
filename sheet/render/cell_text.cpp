#include "sheet/render/cell_text.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QGlyphRun>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <QVarLengthArray>

#include <algorithm>
#include <cmath>
#include <charconv>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace sheet {

void installFontSubstitutions() {
    static std::once_flag once;
    std::call_once(once, [] {
        QFont::insertSubstitution(QStringLiteral("Century Gothic"), QStringLiteral("URW Gothic"));
        QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    });
}

void loadFontDatabase() {
    installFontSubstitutions();
    QFontDatabase::families();
}

namespace {

// The weight of the family's heaviest face from semibold up, so that a family
// whose bold is a "Demi" face (URW Gothic) shows that face instead of a
// synthesised bold laid over it, which smears the strokes.
int boldWeight(const QFont& bold) {
    const QString family = QFontInfo(bold).family();
    int best = QFont::Bold;
    int bestDistance = 1000;
    for (const QString& style : QFontDatabase::styles(family)) {
        if (QFontDatabase::italic(family, style))
            continue;
        const int weight = QFontDatabase::weight(family, style);
        const int distance = std::abs(weight - QFont::Bold);
        if (weight >= QFont::DemiBold && distance < bestDistance) {
            best = weight;
            bestDistance = distance;
        }
    }
    return best;
}

} // namespace

QFont qtFont(const Font& font) {
    installFontSubstitutions();
    QFont f(QString::fromStdString(font.name));
    // A 96-dpi spreadsheet asks for whole-pixel font heights; sizes are kept to
    // what a sheet allows (1..409 pt), a size that is no number to the default.
    const double points = std::isfinite(font.size) ? std::clamp(font.size, 1.0, 409.0) : 10.0;
    f.setPixelSize(static_cast<int>(std::lround(points * 96.0 / 72.0)));
    f.setItalic(font.italic);
    f.setUnderline(font.underline);
    f.setStrikeOut(font.strikeout);
    // Hinted advances are whole pixels. Text is laid out at this 96-dpi size
    // whatever the painter's scale, so a zoomed or printed line keeps them.
    f.setHintingPreference(QFont::PreferFullHinting);
    f.setKerning(false);
    // Cells show characters one after the other, as the spreadsheet does: no
    // ligatures, and widths that add up. Scripts that need shaping get the
    // shaping font of CellFont.
    f.setStyleStrategy(QFont::PreferNoShaping);
    if (font.bold)
        f.setWeight(QFont::Weight(boldWeight(f)));
    return f;
}

bool needsShaping(const QString& text) {
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c < 0x0300)
            continue;
        if (ch.isSurrogate() || c == 0x200C || c == 0x200D || (c >= 0xFE00 && c <= 0xFE0F))
            return true; // emoji and their sequences, variation selectors
        const QChar::Category category = ch.category();
        if (category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining ||
            category == QChar::Mark_Enclosing)
            return true;
        const QChar::Script script = ch.script();
        if ((script >= QChar::Script_Hebrew && script <= QChar::Script_Mongolian) || script == QChar::Script_Nko ||
            script == QChar::Script_Javanese || script == QChar::Script_Balinese)
            return true;
    }
    return false;
}

namespace {

// The same face with Qt's shaping on, for the scripts that need it.
QFont shaping(QFont font) {
    font.setStyleStrategy(QFont::PreferDefault);
    return font;
}

} // namespace

CellFont::CellFont(const Font& model)
    : font(qtFont(model)), shapingFont(shaping(font)), metrics(font), shapingMetrics(shapingFont) {
    ascent = metrics.ascent();
    // One pixel above the text and the grid line below it, like the spreadsheet's
    // 17 px rows for a 13 px font.
    lineHeight = static_cast<int>(std::ceil(metrics.ascent() + metrics.descent() - 1e-6)) + 2;
    // Measured on first use: asking for a character the face lacks makes Qt look
    // through the fallback faces, which costs more than most lists need.
    mAdvances.fill(kUnmeasured);
    mAscii.fill(-1);
    for (char16_t c = u' '; c <= u'~'; ++c)
        mAscii[c] = tabled(c);
}

double CellFont::tabled(char16_t c) const {
    if (c < mAscii.size() && mAscii[c] >= 0)
        return mAscii[c];
    if (c < kFirstTabled || c > kLastTabled)
        return -1;
    double& advance = mAdvances[c - kFirstTabled];
    if (advance == kUnmeasured) {
        const QChar ch(c);
        const bool shown = metrics.inFont(ch) && ch.category() != QChar::Other_Format && !needsShaping(ch);
        advance = shown ? metrics.horizontalAdvance(ch) : -1;
    }
    return advance;
}

bool CellFont::tabledAdvances(QStringView text, std::vector<double>& advances) const {
    advances.resize(static_cast<std::size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const double advance = c < mAscii.size() && mAscii[c] >= 0 ? mAscii[c] : tabled(c);
        if (advance < 0)
            return false;
        advances[static_cast<std::size_t>(i)] = advance;
    }
    return true;
}

const QFont& CellFont::fontFor(const QString& line) const {
    return needsShaping(line) ? shapingFont : font;
}

double CellFont::advance(const QString& text) const {
    if (const std::optional<double> width = plainAdvance(text))
        return *width;
    return needsShaping(text) ? shapingMetrics.horizontalAdvance(text) : metrics.horizontalAdvance(text);
}

std::optional<double> CellFont::asciiAdvance(std::string_view utf8) const {
    double width = 0;
    for (const char byte : utf8) {
        const auto c = static_cast<unsigned char>(byte);
        const double advance = c < mAscii.size() ? mAscii[c] : -1;
        if (advance < 0)
            return std::nullopt;
        width += advance;
    }
    return width;
}

std::optional<double> CellFont::plainAdvance(QStringView line) const {
    double width = 0;
    for (const QChar ch : line) {
        const char16_t c = ch.unicode();
        const double advance = c >= 0x7f && c < 0xa0 ? -1 : tabled(c);
        if (advance < 0)
            return std::nullopt;
        width += advance;
    }
    return width;
}

bool CellFont::shows(char32_t c) const {
    const QChar::Category category = QChar::category(c);
    if (QChar::isSpace(c) || category == QChar::Other_Format || category == QChar::Other_Control)
        return true;
    if (c <= kLastTabled && tabled(static_cast<char16_t>(c)) >= 0)
        return true;
    const auto known = mShown.find(c);
    if (known != mShown.end())
        return known->second;
    // Qt falls back on other installed faces per character; a character none
    // of them has comes out as glyph 0, the face's "missing" box.
    QTextLayout layout(QString::fromUcs4(&c, 1), shapingFont);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    bool shown = false;
    for (const QGlyphRun& run : layout.glyphRuns())
        for (const quint32 glyph : run.glyphIndexes())
            shown = shown || glyph != 0;
    mShown.emplace(c, shown);
    return shown;
}

std::vector<char32_t> unshownCharacters(const QString& text, const CellFont& font) {
    std::vector<char32_t> unshown;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i].unicode(), text[i + 1].unicode());
            ++i;
        }
        if (!font.shows(c) && std::find(unshown.begin(), unshown.end(), c) == unshown.end())
            unshown.push_back(c);
    }
    return unshown;
}

namespace {

struct FontHash {
    std::size_t operator()(const Font& f) const {
        return std::hash<std::string>{}(f.name) ^ (std::hash<double>{}(f.size) << 1) ^
               (static_cast<std::size_t>(f.bold) << 2) ^ (static_cast<std::size_t>(f.italic) << 3) ^
               (static_cast<std::size_t>(f.underline) << 4) ^ (static_cast<std::size_t>(f.strikeout) << 5);
    }
};

// Colour does not change any measurement, so fonts differing only in colour share an entry.
Font shapeOf(Font f) {
    f.color = kAutomatic;
    return f;
}

} // namespace

const CellFont& cellFont(const Font& font) {
    thread_local std::unordered_map<Font, std::unique_ptr<CellFont>, FontHash> cache;
    const Font key = shapeOf(font);
    auto it = cache.find(key);
    if (it == cache.end())
        it = cache.emplace(key, std::make_unique<CellFont>(key)).first;
    return *it->second;
}

namespace {

// Trailing zeros of the fraction, and a bare decimal point, carry nothing.
void trimFraction(std::string& digits) {
    if (digits.find('.') == std::string::npos)
        return;
    while (digits.back() == '0')
        digits.pop_back();
    if (digits.back() == '.')
        digits.pop_back();
}

} // namespace

QString generalNumber(double value, int maxChars) {
    if (!std::isfinite(value))
        return QStringLiteral("#NUM!");
    if (value == 0)
        return QStringLiteral("0");
    if (maxChars < 1)
        return {};
    maxChars = std::min(maxChars, kGeneralChars);
    const bool negative = value < 0;
    const double magnitude = std::fabs(value);
    // std::to_chars, unlike printf, ignores the locale: a decimal point always.
    const auto format = [&](std::chars_format style, int precision) {
        char buffer[400];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude, style, precision);
        return std::string(buffer, result.ptr);
    };
    const std::string probe = format(std::chars_format::scientific, 14);
    const int exponent = std::atoi(probe.c_str() + probe.find('e') + 1);

    std::string shown;
    // Plain digits while the integer part fits and the number is not tiny.
    if (exponent >= -5 && exponent < maxChars) {
        const int integerDigits = std::max(exponent + 1, 1);
        shown = format(std::chars_format::fixed, std::max(maxChars - integerDigits - 1, 0));
        trimFraction(shown);
        if (shown == "0" || static_cast<int>(shown.size()) > maxChars)
            shown.clear();
    }
    if (shown.empty()) {
        // 1.23457E+11: as many mantissa digits as the width leaves.
        const int exponentChars = std::abs(exponent) >= 99 ? 5 : 4;
        if (maxChars < exponentChars + 1)
            return {};
        const std::string full = format(std::chars_format::scientific, std::max(maxChars - exponentChars - 2, 0));
        const std::size_t e = full.find('e');
        std::string mantissa = full.substr(0, e);
        trimFraction(mantissa);
        shown = mantissa + 'E' + full.substr(e + 1);
        if (static_cast<int>(shown.size()) > maxChars)
            return {};
    }
    return QString::fromLatin1((negative ? "-" : "") + shown);
}

QString displayText(const Cell& cell) {
    if (const std::string* s = cell.text())
        return QString::fromStdString(*s);
    if (const double* d = cell.number())
        return generalNumber(*d);
    return {};
}

namespace {

// How each ASCII character takes part in breaksOnlyAfterBlanks(): 1 breaks as a
// letter does, 2 is a separator that may not come before a digit, 0 is anything else.
constexpr std::array<unsigned char, 128> kBlankBreakClasses = [] {
    std::array<unsigned char, 128> classes{};
    for (char c = 'a'; c <= 'z'; ++c)
        classes[std::size_t(c)] = 1;
    for (char c = 'A'; c <= 'Z'; ++c)
        classes[std::size_t(c)] = 1;
    for (char c = '0'; c <= '9'; ++c)
        classes[std::size_t(c)] = 1;
    for (const char c : std::string_view(" @_#&*=<>~^`"))
        classes[std::size_t(c)] = 1;
    for (const char c : std::string_view(",.:;"))
        classes[std::size_t(c)] = 2;
    return classes;
}();

} // namespace

bool breaksOnlyAfterBlanks(QStringView paragraph) {
    const auto digit = [](char16_t c) { return c >= u'0' && c <= u'9'; };
    const qsizetype n = paragraph.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = paragraph[i].unicode();
        const unsigned char kind = c < kBlankBreakClasses.size() ? kBlankBreakClasses[c] : 0;
        if (kind == 1 || (kind == 2 && !(i + 1 < n && digit(paragraph[i + 1].unicode()))))
            continue;
        return false;
    }
    return true;
}

namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\u3000' || c == u'\u200b';
}

// Qt's boundary finders write one byte of attributes a character; a buffer of
// this size on the stack spares them an allocation for every cell of ordinary length.
constexpr qsizetype kFinderBuffer = 256;

// Greedy breaking of one paragraph (no line feeds) into lines of at most
// `width` pixels, at the break opportunities of the Unicode line-breaking
// rules. `widthOf(from, to)` measures the characters in [from, to);
// `addLine(from, to)` takes each line as the characters it shows.
template <typename WidthOf, typename AddLine>
void breakParagraph(QStringView paragraph, double width, const WidthOf& widthOf, const AddLine& addLine) {
    const qsizetype n = paragraph.size();
    // The shown end of a line: blanks where it breaks hang past the edge.
    const auto shownEnd = [&](qsizetype from, qsizetype to) {
        while (to > from && isBlank(paragraph[to - 1]))
            --to;
        return to;
    };

    unsigned char buffer[kFinderBuffer];
    // Where a line may end. Qt keeps numbers separated by blanks together
    // ("5 9"); the rules, and a spreadsheet, break after any blank.
    QVarLengthArray<bool, kFinderBuffer> breakable(n + 1);
    std::fill(breakable.begin(), breakable.end(), false);
    if (!breaksOnlyAfterBlanks(paragraph)) {
        QTextBoundaryFinder finder(QTextBoundaryFinder::Line, paragraph, buffer, kFinderBuffer);
        for (qsizetype at = finder.toNextBoundary(); at > 0; at = finder.toNextBoundary())
            breakable[at] = true;
    }
    for (qsizetype i = 1; i < n; ++i)
        if (paragraph[i - 1] == u' ' && paragraph[i] != u' ')
            breakable[i] = true;
    breakable[n] = true;

    qsizetype lineStart = 0;
    qsizetype fitted = 0; // end of the longest run of whole segments that fits
    bool added = false;
    for (qsizetype to = 1; to <= n; ++to) {
        if (!breakable[to])
            continue;
        if (widthOf(lineStart, shownEnd(lineStart, to)) <= width) {
            fitted = to;
            continue;
        }
        // A line of blanks alone is no line: leading blanks stay with the word after them.
        if (shownEnd(lineStart, fitted) > lineStart) {
            addLine(lineStart, shownEnd(lineStart, fitted));
            added = true;
            lineStart = fitted;
            --to; // the same segment again, now at the start of a line
            continue;
        }
        // One segment wider than the line: break it between characters
        // (grapheme clusters, so marks stay with their letter), one at least per line.
        // Printable ASCII followed by nothing that joins it is a cluster a character.
        const qsizetype scanned = std::min(to + 1, n);
        const bool singles = std::all_of(paragraph.begin() + lineStart, paragraph.begin() + scanned,
                                         [](QChar ch) { return ch.unicode() >= 0x20 && ch.unicode() < 0x7f; });
        std::optional<QTextBoundaryFinder> clusters;
        if (!singles) {
            clusters.emplace(QTextBoundaryFinder::Grapheme, paragraph, buffer, kFinderBuffer);
            clusters->setPosition(lineStart);
        }
        qsizetype at = lineStart;
        const auto nextCluster = [&] { return clusters ? clusters->toNextBoundary() : (at < n ? ++at : -1); };
        qsizetype pieceStart = lineStart;
        qsizetype pieceEnd = nextCluster();
        const qsizetype end = shownEnd(lineStart, to);
        while (pieceEnd > 0 && pieceEnd < end) {
            const qsizetype next = nextCluster();
            if (next < 0)
                break;
            if (widthOf(pieceStart, next) > width) {
                addLine(pieceStart, pieceEnd);
                added = true;
                pieceStart = pieceEnd;
            }
            pieceEnd = next;
        }
        lineStart = pieceStart;
        fitted = to;
    }
    if (lineStart < n || !added)
        addLine(lineStart, shownEnd(lineStart, n));
}

// The text a cell shows on one line: a tab is one blank, other control characters show as nothing.
QString shownText(const QString& text) {
    const auto hidden = [](char16_t c) { return (c < 0x20 && c != u'\n' && c != u'\t') || c == 0x7f; };
    const bool plain = std::none_of(text.cbegin(), text.cend(),
                                    [&](QChar ch) { return ch.unicode() == u'\t' || hidden(ch.unicode()); });
    if (plain)
        return text; // shared, not copied
    QString shown;
    shown.reserve(text.size());
    for (const QChar ch : text)
        if (ch.unicode() == u'\t')
            shown += u' ';
        else if (!hidden(ch.unicode()))
            shown += ch;
    return shown;
}

// The lines of `text` as breakLines() makes them, each handed to `addLine` as a
// view into the shown text, which lives until it returns.
template <typename AddLine>
void forEachLine(const QString& text, const CellFont& font, double width, const AddLine& addLine) {
    const QString cleaned = shownText(text);
    width = std::max(width, 1.0);
    thread_local std::vector<double> advances;
    thread_local std::vector<double> sum;
    qsizetype from = 0;
    for (;;) {
        const qsizetype feed = cleaned.indexOf(u'\n', from);
        const QStringView paragraph = QStringView(cleaned).mid(from, (feed < 0 ? cleaned.size() : feed) - from);
        const auto addSpan = [&](qsizetype a, qsizetype b) { addLine(paragraph.mid(a, b - a)); };
        if (font.tabledAdvances(paragraph, advances)) {
            // Running sums of whole-pixel advances: exact, and no string per candidate line.
            sum.assign(advances.size() + 1, 0.0);
            for (std::size_t i = 0; i < advances.size(); ++i)
                sum[i + 1] = sum[i] + advances[i];
            if (sum.back() <= width)
                addLine(paragraph);
            else
                breakParagraph(
                    paragraph, width,
                    [&](qsizetype a, qsizetype b) {
                        return sum[static_cast<std::size_t>(b)] - sum[static_cast<std::size_t>(a)];
                    },
                    addSpan);
        } else {
            const auto widthOf = [&](qsizetype a, qsizetype b) {
                return font.advance(paragraph.mid(a, b - a).toString());
            };
            if (widthOf(0, paragraph.size()) <= width)
                addLine(paragraph);
            else
                breakParagraph(paragraph, width, widthOf, addSpan);
        }
        if (feed < 0)
            break;
        from = feed + 1;
    }
}

} // namespace

QStringList breakLines(const QString& text, const CellFont& font, double width, bool wrap) {
    if (!wrap) {
        QString cleaned = shownText(text);
        cleaned.remove(u'\n');
        return {cleaned};
    }
    QStringList lines;
    forEachLine(text, font, width, [&](QStringView line) { lines.push_back(line.toString()); });
    return lines;
}

int lineCount(const QString& text, const CellFont& font, double width) {
    int lines = 0;
    forEachLine(text, font, width, [&](QStringView) { ++lines; });
    return lines;
}

} // namespace sheet
