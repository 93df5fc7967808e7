#pragma once

// Painting a range of a sheet the way a spreadsheet shows it, and the text
// measurement that row auto-fit shares with painting.

#include "sheet/model/workbook.h"

class QPainter;

namespace sheet {

// Height in points that row (zero-based) needs to show every cell's text,
// wrapped text included, in the cells' fonts. Used by EntireRow.AutoFit.
double autoFitRowHeight(const Workbook& workbook, const Sheet& sheet, int row);

} // namespace sheet
