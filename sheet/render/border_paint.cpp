#include "sheet/render/range_painter.h"

#include <QPen>

#include <algorithm>

namespace sheet::detail {

LineStyle lineStyle(std::uint8_t code) {
    switch (code) {
    case 0:
        return {};
    case 1:
        return {1, Qt::SolidLine, false};
    case 2:
        return {2, Qt::SolidLine, false};
    case 3:
        return {1, Qt::DashLine, false};
    case 4:
        return {1, Qt::DotLine, false};
    case 5:
        return {3, Qt::SolidLine, false};
    case 6:
        return {3, Qt::SolidLine, true};
    case 7:
        return {1, Qt::DotLine, false};
    case 8:
        return {2, Qt::DashLine, false};
    case 9:
        return {1, Qt::DashDotLine, false};
    case 10:
    case 13:
        return {2, Qt::DashDotLine, false};
    case 11:
        return {1, Qt::DashDotDotLine, false};
    case 12:
        return {2, Qt::DashDotDotLine, false};
    default:
        return {1, Qt::SolidLine, false}; // unknown codes still show a line
    }
}

// Each line between two cells is drawn once, from the cell below or to the
// right when it has a line there (it was usually set last), else from the other.
void RangePainter::paintBorders() {
    if (!paintThinBorders())
        paintBordersOneByOne();
}

// The line above row r in column c, or none.
Border RangePainter::lineAbove(int r, int c) const {
    const Border above = r > 0 ? format(r - 1, c).border(Edge::Bottom) : Border{};
    const Border below = r < kMaxRows ? format(r, c).border(Edge::Top) : Border{};
    const Border& b = below.style != kLineNone ? below : above;
    if (b.style == kLineNone || sameMerge(r - 1, c, r, c))
        return {};
    return b;
}

// The line left of column c in row r, or none.
Border RangePainter::lineLeftOf(int r, int c) const {
    const Border left = c > 0 ? format(r, c - 1).border(Edge::Right) : Border{};
    const Border right = c < kMaxColumns ? format(r, c).border(Edge::Left) : Border{};
    const Border& b = right.style != kLineNone ? right : left;
    if (b.style == kLineNone || sameMerge(r, c - 1, r, c))
        return {};
    return b;
}

void RangePainter::paintBordersOneByOne() {
    const int lastRow = range.lastRow;
    for (int r = range.firstRow; r <= lastRow + 1; ++r) {
        const bool rowShown = r <= lastRow ? geo.rowHeight(r) > 0 : true;
        for (int c = range.firstColumn; c <= range.lastColumn; ++c) {
            const int w = geo.columnWidth(c);
            if (w == 0)
                continue;
            // Line above row r.
            if (rowShown || r == lastRow + 1) {
                const Border b = lineAbove(r, c);
                if (b.style != kLineNone) {
                    const int y = geo.rowY(r) - 1;
                    horizontal(geo.columnX(c) - 1, geo.columnX(c + 1) - 1, y, b);
                }
            }
            if (r > lastRow || !rowShown)
                continue;
            // Line left of column c, and after the last column its right line.
            verticalAt(r, c);
            if (c == range.lastColumn)
                verticalAt(r, c + 1);
        }
    }
}

// Sheets whose lines are all thin and solid, with no hidden rows or columns,
// the usual case, are drawn with one rectangle per run of lines of one colour
// instead of one per cell edge: a long list then records a few thousand
// commands instead of hundreds of thousands. Lines one pixel wide meet only at
// their corners, so the runs reproduce the cell-by-cell drawing exactly: there
// the later line wins, which is the vertical one of the row below the corner,
// else the horizontal one on its right, else on its left, else the vertical one
// above. Returns false, having drawn nothing, for any other sheet.
bool RangePainter::paintThinBorders() {
    const int lastRow = range.lastRow;
    for (int c = range.firstColumn; c <= range.lastColumn; ++c)
        if (geo.columnWidth(c) < 2)
            return false;
    for (int r = range.firstRow; r <= lastRow; ++r)
        if (geo.rowHeight(r) < 2)
            return false;
    const auto thin = [](const Border& b) {
        const LineStyle s = lineStyle(b.style);
        return s.width == 1 && s.pen == Qt::SolidLine && !s.isDouble;
    };

    struct Run {
        int x0, y0, x1, y1; // inclusive pixels
        ColorIndex color;
    };
    std::vector<Run> horizontals;
    std::vector<Run> verticals;
    const int columns = range.lastColumn - range.firstColumn + 2; // line positions, the right edge included
    // Per line position: the open vertical run, if any.
    std::vector<std::optional<Run>> open(static_cast<std::size_t>(columns));
    // Per line position: whether the row's horizontal line touches its x.
    std::vector<char> touched(static_cast<std::size_t>(columns));

    for (int r = range.firstRow; r <= lastRow + 1; ++r) {
        const int y = geo.rowY(r) - 1;
        std::fill(touched.begin(), touched.end(), 0);
        std::optional<Run> run;
        for (int c = range.firstColumn; c <= range.lastColumn; ++c) {
            const Border b = lineAbove(r, c);
            const int i = c - range.firstColumn;
            if (b.style == kLineNone) {
                if (run)
                    horizontals.push_back(*run);
                run.reset();
                continue;
            }
            if (!thin(b))
                return false;
            touched[static_cast<std::size_t>(i)] = 1;
            touched[static_cast<std::size_t>(i) + 1] = 1;
            const int x0 = geo.columnX(c) - 1;
            const int x1 = geo.columnX(c + 1) - 1;
            if (run && run->color == b.color) {
                run->x1 = x1;
                continue;
            }
            if (run)
                horizontals.push_back(*run);
            run = Run{x0, y, x1, y, b.color};
        }
        if (run)
            horizontals.push_back(*run);

        // Vertical runs that stop above this row end one pixel short where a
        // horizontal line passes, since that line is drawn after them.
        for (int i = 0; i < columns; ++i) {
            const int c = range.firstColumn + i;
            const Border b = r <= lastRow ? lineLeftOf(r, c) : Border{};
            if (b.style != kLineNone && !thin(b))
                return false;
            std::optional<Run>& v = open[static_cast<std::size_t>(i)];
            if (v && b.style != kLineNone && v->color == b.color) {
                v->y1 = geo.rowY(r + 1) - 1;
                continue;
            }
            if (v) {
                if (touched[static_cast<std::size_t>(i)] && b.style == kLineNone)
                    --v->y1;
                if (v->y1 >= v->y0)
                    verticals.push_back(*v);
                v.reset();
            }
            if (b.style != kLineNone) {
                const int x = geo.columnX(c) - 1;
                v = Run{x, y, x, geo.rowY(r + 1) - 1, b.color};
            }
        }
    }
    for (const Run& h : horizontals)
        line(QRect(QPoint(h.x0, h.y0), QPoint(h.x1, h.y1)), paletteColor(h.color, Qt::black));
    for (const Run& v : verticals)
        line(QRect(QPoint(v.x0, v.y0), QPoint(v.x1, v.y1)), paletteColor(v.color, Qt::black));
    return true;
}

void RangePainter::verticalAt(int r, int c) {
    const Border b = lineLeftOf(r, c);
    if (b.style == kLineNone)
        return;
    vertical(geo.columnX(c) - 1, geo.rowY(r) - 1, geo.rowY(r + 1) - 1, b);
}

bool RangePainter::sameMerge(int r1, int c1, int r2, int c2) const {
    const CellRange* a = merges.find(r1, c1);
    return a && a == merges.find(r2, c2);
}

// A line along pixel row y from pixel x0 to x1 inclusive.
void RangePainter::horizontal(int x0, int x1, int y, const Border& b) {
    const LineStyle s = lineStyle(b.style);
    const QColor color = paletteColor(b.color, Qt::black);
    const int before = (s.width - 1) / 2;
    const int after = s.width - 1 - before;
    if (s.isDouble) {
        line(QRect(x0 - 1, y - 1, x1 - x0 + 3, 1), color);
        line(QRect(x0 - 1, y + 1, x1 - x0 + 3, 1), color);
    } else if (s.pen == Qt::SolidLine) {
        line(QRect(x0 - before, y - before, x1 - x0 + 1 + before + after, s.width), color);
    } else {
        QPen pen(color, s.width, s.pen, Qt::FlatCap);
        p.setPen(pen);
        const double cy = y - before + s.width / 2.0;
        p.drawLine(QPointF(x0, cy), QPointF(x1 + 1, cy));
        currentColor = QColor();
        penOff = false;
    }
}

// A line along pixel column x from pixel y0 to y1 inclusive.
void RangePainter::vertical(int x, int y0, int y1, const Border& b) {
    const LineStyle s = lineStyle(b.style);
    const QColor color = paletteColor(b.color, Qt::black);
    const int before = (s.width - 1) / 2;
    const int after = s.width - 1 - before;
    if (s.isDouble) {
        line(QRect(x - 1, y0 - 1, 1, y1 - y0 + 3), color);
        line(QRect(x + 1, y0 - 1, 1, y1 - y0 + 3), color);
    } else if (s.pen == Qt::SolidLine) {
        line(QRect(x - before, y0 - before, s.width, y1 - y0 + 1 + before + after), color);
    } else {
        QPen pen(color, s.width, s.pen, Qt::FlatCap);
        p.setPen(pen);
        const double cx = x - before + s.width / 2.0;
        p.drawLine(QPointF(cx, y0), QPointF(cx, y1 + 1));
        currentColor = QColor();
        penOff = false;
    }
}

} // namespace sheet::detail
