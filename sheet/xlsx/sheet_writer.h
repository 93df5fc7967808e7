#pragma once

// One sheet of the model into one of the library's worksheets: columns, rows,
// merged areas, cells, page setup and the view.

#include "sheet/model/workbook.h"

struct lxw_worksheet;

namespace sheet::xlsx {

class StyleTable;

// Fills worksheet from sheet. Throws std::runtime_error naming the sheet and
// what it holds that the file cannot (an over-long text, a merged area off the
// sheet, ...).
void writeSheet(lxw_worksheet* worksheet, const Sheet& sheet, StyleTable& styles);

} // namespace sheet::xlsx
