#pragma once

// Pixel geometry of a sheet at 96 dpi, the way a spreadsheet lays out its grid.
//
// Column widths are in characters of the workbook's default font (Arial 10,
// whose widest digit is 7 px at 96 dpi); row heights are in points. Each cell's
// width and height include its right and bottom grid line, so a range painted
// from (0, 0) starts with one extra pixel column and row that hold the left and
// top lines of its first cells:
//
//     SheetGeometry g(sheet, range);
//     g.columnX(range.firstColumn) == 1;   // pixel 0 is the left edge line
//     g.size().width() == 1 + sum of the range's column widths;

#include "sheet/model/workbook.h"

#include <QRect>
#include <QSize>

#include <array>
#include <vector>

namespace sheet {

// Widest digit of the default font (Arial 10) in pixels at 96 dpi.
inline constexpr int kMaxDigitWidth = 7;
// Width in pixels of a column that has no width of its own (8.43 characters).
inline constexpr int kDefaultColumnWidthPx = 64;

// Pixels of a column `characters` wide: round(w x 7) + 5 (2 px margin each side
// and the grid line) from one character up, round(w x 12) below.
int columnWidthPx(double characters);
// Pixels of a row `points` high at 96 dpi: round(points x 96 / 72).
int rowHeightPx(double points);
// Points of a row `pixels` high: always on the 0.75-point grid.
double rowHeightPoints(int pixels);

class SheetGeometry {
public:
    // Throws std::out_of_range when the range is empty, inverted or leaves the sheet.
    SheetGeometry(const Sheet& sheet, const CellRange& range);

    const CellRange& range() const { return mRange; }

    // Width in pixels of any column of the sheet (0 for a hidden column).
    int columnWidth(int column) const;
    // Height in pixels of any row of the sheet.
    int rowHeight(int row) const;
    // Left edge of a column / top edge of a row, relative to the range's origin;
    // also valid outside the range (negative before it).
    int columnX(int column) const;
    int rowY(int row) const;
    // The cells from (firstRow, firstColumn) to (lastRow, lastColumn), relative to the origin.
    QRect cellRect(int firstRow, int firstColumn, int lastRow, int lastColumn) const;
    QRect cellRect(int row, int column) const { return cellRect(row, column, row, column); }
    // Size of the whole picture of the range, edge lines included.
    QSize size() const;

    static int defaultRowHeight(const Sheet& sheet) { return rowHeightPx(sheet.defaultRowHeight); }

private:
    const Sheet& mSheet;
    CellRange mRange;
    std::array<int, kMaxColumns + 1> mColumnX{}; // left edge of each column, column 0 at 0
    std::vector<int> mRowY;                      // top edge of the range's rows, plus one past the last
};

} // namespace sheet
