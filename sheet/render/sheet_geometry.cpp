#include "sheet/render/sheet_geometry.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace sheet {

int columnWidthPx(double characters) {
    if (!(characters > 0))
        return 0;
    characters = std::min(characters, 255.0); // the largest width a column can have
    if (characters < 1)
        return static_cast<int>(std::lround(characters * (kMaxDigitWidth + 5)));
    return static_cast<int>(std::lround(characters * kMaxDigitWidth)) + 5;
}

int rowHeightPx(double points) {
    if (!(points > 0))
        return 0;
    points = std::min(points, 409.5); // the tallest row a sheet allows
    return static_cast<int>(std::lround(points * 96.0 / 72.0));
}

double rowHeightPoints(int pixels) {
    return pixels * 0.75;
}

SheetGeometry::SheetGeometry(const Sheet& sheet, const CellRange& range) : mSheet(sheet), mRange(range) {
    if (range.firstRow < 0 || range.firstColumn < 0 || range.lastRow >= kMaxRows || range.lastColumn >= kMaxColumns ||
        range.firstRow > range.lastRow || range.firstColumn > range.lastColumn)
        throw std::out_of_range("range to paint is empty or outside the sheet");
    for (int c = 0; c < kMaxColumns; ++c)
        mColumnX[static_cast<std::size_t>(c) + 1] = mColumnX[static_cast<std::size_t>(c)] + columnWidth(c);
    const int origin = mColumnX[static_cast<std::size_t>(range.firstColumn)] - 1;
    for (int& x : mColumnX)
        x -= origin;
    mRowY.reserve(static_cast<std::size_t>(range.lastRow - range.firstRow) + 2);
    int y = 1;
    for (int r = range.firstRow; r <= range.lastRow; ++r) {
        mRowY.push_back(y);
        y += rowHeight(r);
    }
    mRowY.push_back(y);
}

int SheetGeometry::columnWidth(int column) const {
    if (column < 0 || column >= kMaxColumns)
        return 0;
    const Column& c = mSheet.columns[static_cast<std::size_t>(column)];
    if (c.hidden)
        return 0;
    return c.width ? columnWidthPx(*c.width) : kDefaultColumnWidthPx;
}

int SheetGeometry::rowHeight(int row) const {
    if (row < 0 || row >= kMaxRows)
        return 0;
    const Row* r = mSheet.row(row);
    return rowHeightPx(r && r->height ? *r->height : mSheet.defaultRowHeight);
}

int SheetGeometry::columnX(int column) const {
    if (column < 0)
        return mColumnX[0];
    return mColumnX[static_cast<std::size_t>(std::min(column, kMaxColumns))];
}

int SheetGeometry::rowY(int row) const {
    if (row >= mRange.firstRow && row <= mRange.lastRow + 1)
        return mRowY[static_cast<std::size_t>(row - mRange.firstRow)];
    // Outside the range only merged areas ask; walk the few rows between.
    int y = 1;
    if (row < mRange.firstRow) {
        for (int r = std::max(row, 0); r < mRange.firstRow; ++r)
            y -= rowHeight(r);
        return y;
    }
    y = mRowY.back();
    for (int r = mRange.lastRow + 1; r < std::min(row, kMaxRows); ++r)
        y += rowHeight(r);
    return y;
}

QRect SheetGeometry::cellRect(int firstRow, int firstColumn, int lastRow, int lastColumn) const {
    const int x = columnX(firstColumn);
    const int y = rowY(firstRow);
    return QRect(x, y, columnX(lastColumn + 1) - x, rowY(lastRow + 1) - y);
}

QSize SheetGeometry::size() const {
    return QSize(columnX(mRange.lastColumn + 1), mRowY.back());
}

} // namespace sheet
