#pragma once

// Formatting and clearing rectangles of a sheet without touching cells that do
// not exist: a rectangle spanning every row changes the column formats, one
// spanning every column changes the row formats, and only the cells already
// stored (or needed to keep a neighbour's look) are edited one by one.

#include "sheet/model/workbook.h"

#include <functional>

namespace sheet::om {

using FormatEdit = std::function<void(CellFormat&)>;

// Applies edit to the format of every cell of area. edit must be idempotent
// (a setter), since a cell may be reached once through its row or column and
// once on its own.
void applyFormat(sheet::Workbook& workbook, sheet::Sheet& sheet, const CellRange& area, const FormatEdit& edit);

// Removes values and formats from every cell of area, and merges touching it.
void clearArea(sheet::Sheet& sheet, const CellRange& area);
// Removes values only.
void clearContents(sheet::Sheet& sheet, const CellRange& area);

// The smallest rectangle holding every stored cell with a value or a format other
// than the default, and every row of custom height (from column A); nullopt when none.
std::optional<CellRange> usedArea(const sheet::Sheet& sheet);

} // namespace sheet::om
