#pragma once

// An independent model of how a face sets text in a cell, for checking the
// text measure against: whole-pixel advances taken from the outlines, and
// greedy breaking at blanks and hyphens spelled out by hand.

#include <QFont>
#include <QRawFont>
#include <QString>
#include <QStringList>

#include <cmath>

namespace pixel_model {

// Whole-pixel advances straight from the face's outlines: the design advance
// at the font's pixel size, rounded to the pixel. Independent of the hinting
// engine whose advances the text measure takes.
class PixelModel {
public:
    explicit PixelModel(const QFont& font) : mPixelSize(font.pixelSize()) {
        QFont unhinted = font;
        unhinted.setHintingPreference(QFont::PreferNoHinting);
        mRaw = QRawFont::fromFont(unhinted);
        // At one pixel per font unit the advances are the design's own numbers.
        mUnitsPerEm = mRaw.unitsPerEm();
        mRaw.setPixelSize(mUnitsPerEm);
    }
    bool has(QChar c) const { return mRaw.supportsCharacter(c); }
    int advance(QChar c) const {
        const QList<quint32> glyphs = mRaw.glyphIndexesForString(QString(c));
        const double units = mRaw.advancesForGlyphIndexes(glyphs, QRawFont::UseDesignMetrics).value(0).x();
        // Halves round up, as the rasteriser rounds.
        return static_cast<int>(std::floor(units * mPixelSize / mUnitsPerEm + 0.5));
    }
    int width(const QString& text) const {
        int w = 0;
        for (const QChar c : text)
            w += advance(c);
        return w;
    }

private:
    QRawFont mRaw;
    int mPixelSize = 0;
    double mUnitsPerEm = 0;
};

inline QString withoutTrailingBlanks(QString text) {
    while (text.endsWith(u' '))
        text.chop(1);
    return text;
}

// Greedy breaking spelled out for text of letters, digits, blanks and hyphens
// (never a hyphen after a blank): a line may start after blanks, and after a
// hyphen when a letter follows it. Blanks where a line breaks are not shown,
// blanks that start the text are.
inline QStringList referenceLines(const QString& paragraph, const PixelModel& px, int width) {
    if (px.width(paragraph) <= width)
        return {paragraph}; // nothing breaks, so nothing hangs
    QStringList segments;
    qsizetype start = 0;
    for (qsizetype i = 1; i < paragraph.size(); ++i) {
        const QChar before = paragraph[i - 1];
        const QChar at = paragraph[i];
        if (at != u' ' && (before == u' ' || (before == u'-' && at.isLetter()))) {
            segments << paragraph.mid(start, i - start);
            start = i;
        }
    }
    segments << paragraph.mid(start);
    const auto shown = [&](const QString& s) { return px.width(withoutTrailingBlanks(s)); };

    QStringList lines;
    QString line;
    for (const QString& segment : std::as_const(segments)) {
        if (shown(line + segment) <= width) {
            line += segment;
            continue;
        }
        if (!withoutTrailingBlanks(line).isEmpty()) {
            lines << withoutTrailingBlanks(line);
            line.clear();
            if (shown(segment) <= width) {
                line = segment;
                continue;
            }
        }
        // Too wide even alone: character by character, one at least per line.
        const QString word = withoutTrailingBlanks(line + segment);
        QString piece;
        for (const QChar c : word) {
            if (!piece.isEmpty() && px.width(piece + c) > width) {
                lines << piece;
                piece.clear();
            }
            piece += c;
        }
        line = piece + (line + segment).mid(word.size());
    }
    if (!withoutTrailingBlanks(line).isEmpty() || lines.isEmpty())
        lines << withoutTrailingBlanks(line);
    return lines;
}

} // namespace pixel_model
