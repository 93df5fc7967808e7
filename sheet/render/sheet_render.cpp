#include "sheet/render/sheet_render.h"

// Placeholder until the renderer lands.
namespace sheet {

double autoFitRowHeight(const Workbook&, const Sheet& sheet, int) { return sheet.defaultRowHeight; }

} // namespace sheet
