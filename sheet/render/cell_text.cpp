#include "sheet/render/cell_text.h"

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

QFont qtFont(const Font& font) {
    installFontSubstitutions();
    QFont f(QString::fromStdString(font.name));
    // A 96-dpi spreadsheet asks for whole-pixel font heights; sizes are kept to
    // what a sheet allows (1..409 pt), a size that is no number to the default.
    const double points = std::isfinite(font.size) ? std::clamp(font.size, 1.0, 409.0) : 10.0;
    f.setPixelSize(static_cast<int>(std::lround(points * 96.0 / 72.0)));
    f.setBold(font.bold);
    f.setItalic(font.italic);
    f.setUnderline(font.underline);
    f.setStrikeOut(font.strikeout);
    // Unhinted outlines keep advances the same at every scale, so a line
    // measured at 96 dpi still fits when painted zoomed.
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setKerning(false);
    // Cells show characters one after the other, as the spreadsheet does: no
    // ligatures, and widths that add up, so measuring stays cheap and exact.
    f.setStyleStrategy(QFont::PreferNoShaping);
    return f;
}

CellFont::CellFont(const Font& model) : font(qtFont(model)), metrics(font) {
    ascent = metrics.ascent();
    // One pixel above the text and the grid line below it, like the spreadsheet's
    // 17 px rows for a 13 px font.
    lineHeight = static_cast<int>(std::ceil(metrics.ascent() + metrics.descent() - 1e-6)) + 2;
    for (char16_t c = kFirstTabled; c <= kLastTabled; ++c)
        mAdvances[c - kFirstTabled] = metrics.horizontalAdvance(QChar(c));
}

bool CellFont::tabledAdvances(const QString& text, std::vector<double>& advances) const {
    advances.resize(static_cast<std::size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < kFirstTabled || c > kLastTabled)
            return false;
        advances[static_cast<std::size_t>(i)] = mAdvances[c - kFirstTabled];
    }
    return true;
}

double CellFont::advance(const QString& text) const {
    double width = 0;
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c < kFirstTabled || c > kLastTabled)
            return metrics.horizontalAdvance(text);
        width += mAdvances[c - kFirstTabled];
    }
    return width;
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

// breakParagraph() for a paragraph whose characters all come from the advance
// table: the same greedy breaking on positions and running sums of the
// advances (exact, being sums of the same values), without building a string
// for every candidate line.
void breakTabledParagraph(const QString& paragraph, const std::vector<double>& advances, double width,
                          QStringList& lines) {
    const qsizetype n = paragraph.size();
    std::vector<double> sum(static_cast<std::size_t>(n) + 1, 0.0);
    for (qsizetype i = 0; i < n; ++i)
        sum[static_cast<std::size_t>(i) + 1] = sum[static_cast<std::size_t>(i)] + advances[static_cast<std::size_t>(i)];
    const auto widthOf = [&](qsizetype from, qsizetype to) {
        return sum[static_cast<std::size_t>(to)] - sum[static_cast<std::size_t>(from)];
    };
    qsizetype lineStart = -1; // no line yet
    qsizetype lineEnd = 0;
    qsizetype pos = 0;
    while (pos < n) {
        const qsizetype start = pos;
        while (pos < n && paragraph[pos] == u' ')
            ++pos;
        const qsizetype wordStart = pos;
        while (pos < n && paragraph[pos] != u' ')
            ++pos;
        if (wordStart == pos)
            break; // trailing spaces: nothing more to show
        const qsizetype from = lineStart < 0 ? wordStart : lineStart;
        if (widthOf(from, pos) <= width) {
            lineStart = from;
            lineEnd = pos;
            continue;
        }
        if (lineStart >= 0) {
            lines.push_back(paragraph.mid(lineStart, start - lineStart));
            lineStart = -1;
        }
        if (widthOf(wordStart, pos) <= width) {
            lineStart = wordStart;
            lineEnd = pos;
            continue;
        }
        // A word wider than the line: break it between characters, at least one per line.
        qsizetype partStart = wordStart;
        double partWidth = 0;
        for (qsizetype i = wordStart; i < pos; ++i) {
            const double w = advances[static_cast<std::size_t>(i)];
            if (i > partStart && partWidth + w > width) {
                lines.push_back(paragraph.mid(partStart, i - partStart));
                partStart = i;
                partWidth = 0;
            }
            partWidth += w;
        }
        lineStart = partStart;
        lineEnd = pos;
    }
    if (lineStart >= 0)
        lines.push_back(paragraph.mid(lineStart, lineEnd - lineStart));
    else if (lines.isEmpty())
        lines.push_back(QString());
}

// Greedy breaking of one paragraph (no line feeds) into lines of at most `width` pixels.
void breakParagraph(const QString& paragraph, const CellFont& fm, double width, QStringList& lines) {
    if (fm.advance(paragraph) <= width) {
        lines.push_back(paragraph);
        return;
    }
    std::vector<double> advances;
    if (fm.tabledAdvances(paragraph, advances)) {
        breakTabledParagraph(paragraph, advances, width, lines);
        return;
    }
    QString line;
    const auto flush = [&] {
        lines.push_back(line);
        line.clear();
    };
    qsizetype pos = 0;
    const qsizetype n = paragraph.size();
    while (pos < n) {
        // Next word and the spaces before it.
        qsizetype start = pos;
        while (pos < n && paragraph[pos] == u' ')
            ++pos;
        const qsizetype wordStart = pos;
        while (pos < n && paragraph[pos] != u' ')
            ++pos;
        const QString word = paragraph.mid(wordStart, pos - wordStart);
        if (word.isEmpty())
            break; // trailing spaces: nothing more to show
        const QString candidate = line.isEmpty() ? word : line + paragraph.mid(start, pos - start);
        if (fm.advance(candidate) <= width) {
            line = candidate;
            continue;
        }
        if (!line.isEmpty())
            flush();
        if (fm.advance(word) <= width) {
            line = word;
            continue;
        }
        // A word wider than the line: break it between characters, at least one per line.
        QString part;
        double partWidth = 0;
        for (qsizetype i = 0; i < word.size();) {
            const qsizetype len = word[i].isHighSurrogate() && i + 1 < word.size() ? 2 : 1;
            const QString ch = word.mid(i, len);
            const double w = fm.advance(ch);
            if (!part.isEmpty() && partWidth + w > width) {
                lines.push_back(part);
                part.clear();
                partWidth = 0;
            }
            part += ch;
            partWidth += w;
            i += len;
        }
        line = part;
    }
    if (!line.isEmpty() || lines.isEmpty())
        flush();
}

} // namespace

QStringList breakLines(const QString& text, const CellFont& font, double width, bool wrap) {
    QString cleaned = text;
    cleaned.remove(u'\r');
    if (!wrap) {
        cleaned.remove(u'\n');
        return {cleaned};
    }
    QStringList lines;
    width = std::max(width, 1.0);
    for (const QString& paragraph : cleaned.split(u'\n'))
        breakParagraph(paragraph, font, width, lines);
    return lines;
}

} // namespace sheet
