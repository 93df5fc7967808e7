#include "sheet/render/range_painter.h"
#include "sheet/render/vector_picture.h"

#include <QPen>

#include <algorithm>
#include <cmath>
#include <optional>

namespace sheet::detail {

// column < 0: a merged area, which never runs on into its neighbours.
void RangePainter::addText(const Cell& cell, FormatId id, const QRect& box, const QRect& visible, int column, int row) {
    const CellFormat& f = wb.formats.get(id);
    const CellFont& font = fontOf(id);
    const bool number = cell.number() != nullptr;
    const QString text = displayText(cell);
    HAlign align = f.hAlign;
    if (align == HAlign::General)
        align = number || text.isRightToLeft() ? HAlign::Right : HAlign::Left; // text reads from the right edge
    else if (align == HAlign::Fill || align == HAlign::Justify)
        align = HAlign::Left;
    else if (align == HAlign::CenterAcross)
        align = HAlign::Center;
    const bool wrap = f.wrap && !number;
    TextItem item;
    item.font = &font;
    item.color = paletteColor(f.font.color, Qt::black);
    item.align = align;
    item.vAlign = f.vAlign;
    item.box = box;
    const double room = textWidth(box.width());
    item.lines = breakLines(text, font, room, wrap);
    double widest = 0;
    for (const QString& line : std::as_const(item.lines))
        widest = std::max(widest, font.advance(line));
    if (widest > room && number) {
        // A number never runs on or shows in part: it drops decimals to fit,
        // and turns into "#" across the cell when even that fails.
        QString fitting;
        for (int chars = kGeneralChars - 1; chars >= 1 && fitting.isEmpty(); --chars) {
            const QString shorter = generalNumber(*cell.number(), chars);
            if (!shorter.isEmpty() && font.advance(shorter) <= room)
                fitting = shorter;
        }
        if (fitting.isEmpty()) {
            const double hash = font.metrics.horizontalAdvance(u'#');
            fitting = QString(std::max(1, static_cast<int>(room / hash)), u'#');
        }
        item.lines = {fitting};
        widest = 0;
    } else if (widest > room && !wrap && column >= 0) {
        item.box = runOn(row, column, align, widest);
    }
    const int blockHeight = static_cast<int>(item.lines.size()) * font.lineHeight;
    if (visible != box)
        item.clip = visible; // a merged area cut by the range's edge
    else if (widest > textWidth(item.box.width()) || blockHeight > item.box.height())
        item.clip = item.box;
    items.push_back(std::move(item));
}

// Widens a cell's text box over the empty cells beside it until the text fits,
// to the right for left-aligned text, to the left for right-aligned text and
// both ways for centred text.
QRect RangePainter::runOn(int row, int column, HAlign align, double width) {
    int from = column;
    int to = column;
    const auto fits = [&] { return textWidth(geo.columnX(to + 1) - geo.columnX(from)) >= width; };
    const auto free = [&](int c) {
        return c >= range.firstColumn && c <= range.lastColumn && !hasValue(row, c) && !merges.find(row, c);
    };
    bool grew = true;
    while (!fits() && grew) {
        grew = false;
        if (align != HAlign::Right && free(to + 1)) {
            ++to;
            grew = true;
        }
        if (!fits() && align != HAlign::Left && free(from - 1)) {
            --from;
            grew = true;
        }
    }
    for (int c = from; c < to; ++c)
        noGridRight[static_cast<std::size_t>(c - range.firstColumn)] = true;
    return geo.cellRect(row, from, row, to);
}

void RangePainter::paintText(const TextItem& item) {
    const CellFont& font = *item.font;
    const QRect& box = item.box;
    const int lineHeight = font.lineHeight;
    const int block = static_cast<int>(item.lines.size()) * lineHeight;
    int top = box.top();
    if (item.vAlign == VAlign::Bottom)
        top = box.top() + box.height() - block;
    else if (item.vAlign == VAlign::Center)
        top = box.top() + (box.height() - block) / 2;
    const bool clipped = !item.clip.isEmpty();
    if (clipped) {
        p.save();
        p.setClipRect(QRect(item.clip.left(), item.clip.top(), item.clip.width() - 1, item.clip.height() - 1));
    }
    if (currentColor != item.color || clipped) {
        p.setPen(item.color);
        currentColor = item.color;
        penOff = false;
    }
    const double room = textWidth(box.width());
    for (qsizetype i = 0; i < item.lines.size(); ++i) {
        const QString& line = item.lines[i];
        const double baseline = top + static_cast<double>(i) * lineHeight + 1 + font.ascent;
        if (baseline - font.ascent > box.bottom() + 1 || baseline + lineHeight < box.top())
            continue;
        const std::optional<double> plain = font.plainAdvance(line);
        const QFont& lineFont = plain ? font.font : font.fontFor(line);
        if (currentFont != &lineFont) {
            p.setFont(lineFont);
            currentFont = &lineFont;
        }
        double x = box.left() + kTextPadLeft;
        if (item.align != HAlign::Left) {
            const double w = plain ? *plain : font.advance(line);
            x += item.align == HAlign::Right ? room - w : (room - w) / 2;
        }
        // Whole pixels: crisp at 96 dpi, and a recorded picture replays at the same spot.
        const QPointF at(std::round(x), std::round(baseline));
        // A picture keeps the characters and lays them out when it plays, so
        // plain text need not be laid out now (most of a long list's recording).
        if (!plain ||
            !VectorPicture::recordText(
                p, at, line, QRectF(at.x(), at.y() - font.ascent, *plain, font.ascent + font.metrics.descent())))
            p.drawText(at, line);
    }
    if (clipped) {
        p.restore();
        forgetPainterState();
    }
}

} // namespace sheet::detail
