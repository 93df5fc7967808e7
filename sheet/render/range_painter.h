#pragma once

// Inside the renderer: the painter that lays out and paints one range, shared
// by the files that paint its fills and grid, its text and its borders. Not for
// callers of the renderer (sheet_render.h).

#include "sheet/render/sheet_render.h"

#include <QColor>
#include <QPainter>
#include <QRect>
#include <QStringList>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace sheet::detail {

// True for a merged area of more than one cell.
inline bool isMultiCell(const CellRange& m) {
    return m.lastRow > m.firstRow || m.lastColumn > m.firstColumn;
}

// Merged areas of more than one cell, looked up per row: a sheet may hold many
// merges, and a row only ever meets a few.
class MergeIndex {
public:
    MergeIndex(const Sheet& sheet, int firstRow, int lastRow) : mFirst(firstRow) {
        mRows.resize(static_cast<std::size_t>(lastRow - firstRow) + 1);
        for (const CellRange& m : sheet.merged) {
            if (!isMultiCell(m))
                continue;
            const int from = std::max(m.firstRow, firstRow);
            const int to = std::min(m.lastRow, lastRow);
            for (int r = from; r <= to; ++r)
                mRows[static_cast<std::size_t>(r - firstRow)].push_back(&m);
        }
    }

    const CellRange* find(int row, int column) const {
        const int i = row - mFirst;
        if (i < 0 || i >= static_cast<int>(mRows.size()))
            return nullptr;
        for (const CellRange* m : mRows[static_cast<std::size_t>(i)])
            if (column >= m->firstColumn && column <= m->lastColumn)
                return m;
        return nullptr;
    }

private:
    int mFirst;
    std::vector<std::vector<const CellRange*>> mRows;
};

struct LineStyle {
    int width = 0; // pixels; 0 for no line
    Qt::PenStyle pen = Qt::SolidLine;
    bool isDouble = false;
};

// Border line codes of the file format (0 none, 1 thin, 2 medium, 3 dashed, 4 dotted,
// 5 thick, 6 double, 7 hair, 8 medium dashed, 9..12 (medium) dash-dot(-dot), 13 slanted).
LineStyle lineStyle(std::uint8_t code);

// A run of text to paint: the lines of one cell placed in `box` (the cell, its
// merged area, or the empty cells its text runs on into).
struct TextItem {
    QRect box;
    QRect clip; // empty when the text fits its box
    QStringList lines;
    const CellFont* font = nullptr;
    QColor color;
    HAlign align = HAlign::Left;
    VAlign vAlign = VAlign::Bottom;
};

// Paints one range, row by row (fills, grid lines, text), then its borders.
// Each part lives in the file named for it.
class RangePainter {
public:
    RangePainter(QPainter& painter, const Workbook& workbook, const Sheet& sheet, const SheetGeometry& geometry,
                 bool hairlines)
        : p(painter), wb(workbook), sh(sheet), geo(geometry), range(geometry.range()), keepHairlines(hairlines),
          merges(sheet, std::max(range.firstRow - 1, 0), std::min(range.lastRow + 1, kMaxRows - 1)),
          fonts(workbook.formats.size(), nullptr), gridColor(QColor::fromRgb(kGridlineRgb)) {}
    void paint();

private:
    // Fills and grid lines (fills_and_grid.cpp).
    const CellFormat& format(int row, int column) const { return wb.formats.get(sh.effectiveFormat(row, column)); }
    const CellFont& fontOf(FormatId id);
    // A solid rectangle. QPainter::fillRect() saves, sets and restores pen and brush
    // for every call, which a recorded picture stores as five commands; keeping the
    // pen off and the brush on the last colour stores one, and paints the same pixels.
    void fill(const QRect& r, const QColor& color);
    // A grid or border line: a solid rectangle, and with keepHairlines also a
    // cosmetic line along its middle, so that it keeps one device pixel when
    // the painting is replayed scaled down.
    void line(const QRect& r, const QColor& color);
    // After a restore() the pen and brush are whatever they were at the save().
    void forgetPainterState();
    bool hasValue(int row, int column) const;
    // The rectangle a cell's fill covers: the first row and column of the range
    // also cover the edge line at pixel 0.
    QRect fillRect(QRect r) const;
    void paintRow(int r);
    // Grid lines on the right and bottom of an unfilled cell or area whose last
    // column is `column` (-1 when it ends beyond the range), and on the range's
    // outer left and top edge.
    void paintGridlines(const QRect& r, int column);

    // Text (text_paint.cpp).
    // column < 0: a merged area, which never runs on into its neighbours.
    void addText(const Cell& cell, FormatId id, const QRect& box, const QRect& visible, int column, int row);
    // Widens a cell's text box over the empty cells beside it until the text fits,
    // to the right for left-aligned text, to the left for right-aligned text and
    // both ways for centred text.
    QRect runOn(int row, int column, HAlign align, double width);
    void paintText(const TextItem& item);

    // Borders (border_paint.cpp).
    // Each line between two cells is drawn once, from the cell below or to the
    // right when it has a line there (it was usually set last), else from the other.
    void paintBorders();
    // The line above row r in column c, or none.
    Border lineAbove(int r, int c) const;
    // The line left of column c in row r, or none.
    Border lineLeftOf(int r, int c) const;
    void paintBordersOneByOne();
    // Sheets whose lines are all thin and solid, with no hidden rows or columns,
    // the usual case, are drawn with one rectangle per run of lines of one colour
    // instead of one per cell edge: a long list then records a few thousand
    // commands instead of hundreds of thousands. Lines one pixel wide meet only at
    // their corners, so the runs reproduce the cell-by-cell drawing exactly: there
    // the later line wins, which is the vertical one of the row below the corner,
    // else the horizontal one on its right, else on its left, else the vertical one
    // above. Returns false, having drawn nothing, for any other sheet.
    bool paintThinBorders();
    void verticalAt(int r, int c);
    bool sameMerge(int r1, int c1, int r2, int c2) const;
    // A line along pixel row y from pixel x0 to x1 inclusive.
    void horizontal(int x0, int x1, int y, const Border& b);
    // A line along pixel column x from pixel y0 to y1 inclusive.
    void vertical(int x, int y0, int y1, const Border& b);

    QPainter& p;
    const Workbook& wb;
    const Sheet& sh;
    const SheetGeometry& geo;
    const CellRange range;
    const bool keepHairlines;
    MergeIndex merges;
    std::vector<const CellFont*> fonts; // by FormatId, filled as met
    QColor gridColor;
    struct FillArea {
        QRect rect;
        ColorIndex fill;
        int lastColumn; // -1 for a merged area that ends beyond the range
    };
    std::vector<TextItem> items;
    std::vector<bool> noGridRight; // per column of the range: text runs on over its right grid line
    std::vector<FillArea> areas;   // the row's cells and merged areas, in column order
    const QFont* currentFont = nullptr;
    QColor currentColor;
    bool penOff = false;
    bool brushKnown = false;
    QColor brushColor;
};

// Paints with the render hints every picture of a sheet uses; restores the painter.
void paintWith(QPainter& painter, const Workbook& workbook, const Sheet& sheet, const SheetGeometry& geometry,
               bool hairlines = false);

} // namespace sheet::detail
