#include "sheet/render/range_painter.h"

#include <QPen>

#include <algorithm>

namespace sheet::detail {

void RangePainter::paint() {
    const QSize size = geo.size();
    fill(QRect(QPoint(0, 0), size), Qt::white);
    for (int r = range.firstRow; r <= range.lastRow; ++r)
        if (geo.rowHeight(r) > 0)
            paintRow(r);
    paintBorders();
}

const CellFont& RangePainter::fontOf(FormatId id) {
    if (id >= fonts.size())
        fonts.resize(static_cast<std::size_t>(id) + 1, nullptr);
    if (!fonts[id])
        fonts[id] = &cellFont(wb.formats.get(id).font);
    return *fonts[id];
}

// A solid rectangle. QPainter::fillRect() saves, sets and restores pen and brush
// for every call, which a recorded picture stores as five commands; keeping the
// pen off and the brush on the last colour stores one, and paints the same pixels.
void RangePainter::fill(const QRect& r, const QColor& color) {
    if (!penOff) {
        p.setPen(Qt::NoPen);
        penOff = true;
        currentColor = QColor();
    }
    if (brushColor != color || !brushKnown) {
        p.setBrush(color);
        brushColor = color;
        brushKnown = true;
    }
    p.drawRect(r);
}

void RangePainter::line(const QRect& r, const QColor& color) {
    fill(r, color);
    if (!keepHairlines || r.isEmpty())
        return;
    QPen pen(color, 0, Qt::SolidLine, Qt::FlatCap); // width 0: one device pixel at any scale
    p.setPen(pen);
    // Through the middle of the rectangle's pixels, first to last.
    if (r.width() >= r.height()) {
        const double y = r.top() + r.height() / 2.0;
        p.drawLine(QPointF(r.left() + 0.5, y), QPointF(r.right() + 0.5, y));
    } else {
        const double x = r.left() + r.width() / 2.0;
        p.drawLine(QPointF(x, r.top() + 0.5), QPointF(x, r.bottom() + 0.5));
    }
    penOff = false;
    currentColor = QColor();
}

// After a restore() the pen and brush are whatever they were at the save().
void RangePainter::forgetPainterState() {
    currentFont = nullptr;
    currentColor = QColor();
    penOff = false;
    brushKnown = false;
}

bool RangePainter::hasValue(int row, int column) const {
    const Cell* c = sh.cell(row, column);
    return c && !c->isBlank();
}

// The rectangle a cell's fill covers: the first row and column of the range
// also cover the edge line at pixel 0.
QRect RangePainter::fillRect(QRect r) const {
    if (r.left() <= 1)
        r.setLeft(0);
    if (r.top() <= 1)
        r.setTop(0);
    return r;
}

void RangePainter::paintRow(int r) {
    items.clear();
    noGridRight.assign(static_cast<std::size_t>(range.lastColumn - range.firstColumn) + 1, false);
    areas.clear();
    const QRect picture(QPoint(0, 0), geo.size());
    for (int c = range.firstColumn; c <= range.lastColumn; ++c) {
        if (geo.columnWidth(c) == 0)
            continue;
        if (const CellRange* m = merges.find(r, c)) {
            if (r != std::max(m->firstRow, range.firstRow) || c != std::max(m->firstColumn, range.firstColumn))
                continue; // painted with its area's first visible cell
            const QRect whole = geo.cellRect(m->firstRow, m->firstColumn, m->lastRow, m->lastColumn);
            const QRect visible = whole.intersected(picture);
            const FormatId id = sh.effectiveFormat(m->firstRow, m->firstColumn);
            const int right = m->lastColumn <= range.lastColumn ? m->lastColumn : -1;
            areas.push_back({visible, wb.formats.get(id).fill, right});
            if (const Cell* cell = sh.cell(m->firstRow, m->firstColumn))
                addText(*cell, id, whole, visible, -1, r);
            continue;
        }
        const QRect box = geo.cellRect(r, c);
        const FormatId id = sh.effectiveFormat(r, c);
        areas.push_back({box, wb.formats.get(id).fill, c});
        if (const Cell* cell = sh.cell(r, c); cell && !cell->isBlank())
            addText(*cell, id, box, box, c, r);
    }
    // Neighbouring cells of one fill are painted as one rectangle.
    QRect pending;
    QColor pendingColor;
    const auto flush = [&] {
        if (!pending.isNull())
            fill(pending, pendingColor);
        pending = QRect();
    };
    for (const FillArea& a : areas) {
        if (a.fill == kAutomatic) {
            flush();
            paintGridlines(a.rect, a.lastColumn);
            continue;
        }
        const QRect box = fillRect(a.rect);
        const QColor color = paletteColor(a.fill, Qt::white);
        if (!pending.isNull() && color == pendingColor && box.top() == pending.top() &&
            box.bottom() == pending.bottom() && box.left() >= pending.left() && box.left() <= pending.right() + 1 &&
            box.right() >= pending.right()) {
            pending.setRight(box.right());
            continue;
        }
        flush();
        pending = box;
        pendingColor = color;
    }
    flush();
    for (const TextItem& item : items)
        paintText(item);
}

// Grid lines on the right and bottom of an unfilled cell or area whose last
// column is `column` (-1 when it ends beyond the range), and on the range's
// outer left and top edge.
void RangePainter::paintGridlines(const QRect& r, int column) {
    if (column < 0 || !noGridRight[static_cast<std::size_t>(column - range.firstColumn)])
        line(QRect(r.right(), r.top(), 1, r.height()), gridColor);
    line(QRect(r.left(), r.bottom(), r.width(), 1), gridColor);
    if (r.left() <= 1)
        line(QRect(0, r.top(), 1, r.height()), gridColor);
    if (r.top() <= 1)
        line(QRect(r.left() <= 1 ? 0 : r.left(), 0, r.width() + (r.left() == 1 ? 1 : 0), 1), gridColor);
}

} // namespace sheet::detail
