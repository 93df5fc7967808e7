#pragma once

// Painting a range of a sheet the way a spreadsheet shows it, and the text
// measurement that row auto-fit shares with painting.
//
// Everything is laid out in logical pixels at 96 dpi (see SheetGeometry): the
// picture of a range starts at (0, 0) and is SheetGeometry(sheet, range).size()
// large. Callers that want another resolution scale the painter, or keep the
// vector form:
//
//     QImage image = sheet::renderImage(workbook, sheet, range);          // 96 dpi
//     QImage sharp = sheet::renderImage(workbook, sheet, range, 2.0);     // 192 dpi
//     sheet::VectorPicture picture = sheet::renderPicture(workbook, sheet, range); // any zoom
//
// What is painted: a white background, light-grey gridlines where a cell has
// no fill, fills, border lines (thin 1 px, medium 2 px, thick 3 px, dashed and
// dotted styles, automatic colour black), and each cell's text in its font and
// colour with its horizontal and vertical alignment. Wrapped text breaks at
// spaces within the column width; unwrapped text runs on into empty cells
// beside it; merged areas show as one cell.
//
// Fonts need a QGuiApplication; programs without a display run it on the
// offscreen platform (QT_QPA_PLATFORM=offscreen).

#include "sheet/model/workbook.h"
#include "sheet/render/cell_text.h"
#include "sheet/render/palette.h"
#include "sheet/render/sheet_geometry.h"
#include "sheet/render/vector_picture.h"

#include <QImage>

#include <vector>

class QPainter;

namespace sheet {

// The tallest row a sheet allows, in points; auto-fit never goes beyond it.
inline constexpr double kMaxRowHeightPoints = 409.5;
// renderImage() refuses pictures larger than this many bytes rather than
// exhausting memory; renderPicture() has no such limit.
inline constexpr qint64 kMaxImageBytes = qint64(256) * 1024 * 1024;

// Paints `range` of `sheet` into `painter` with its top-left corner at (0, 0), in
// 96-dpi logical pixels. Throws std::out_of_range for an empty, inverted or
// off-sheet range; the painter's state is restored afterwards.
void paintRange(QPainter& painter, const Workbook& workbook, const Sheet& sheet, const CellRange& range);

// The range as an ARGB32-premultiplied image on white, `scale` device pixels per
// logical pixel. Throws std::invalid_argument for a scale that is not positive and
// std::length_error when the image would exceed kMaxImageBytes.
QImage renderImage(const Workbook& workbook, const Sheet& sheet, const CellRange& range, double scale = 1.0);

// The range as a recorded picture whose bounding rectangle is the range's size;
// it stays sharp when replayed zoomed, and its grid and border lines keep at
// least one device pixel when it is replayed scaled down.
VectorPicture renderPicture(const Workbook& workbook, const Sheet& sheet, const CellRange& range);

// Paints the rows of whole.range() that meet the band from top to bottom (pixels of
// the range's picture, bottom excluded) where renderPicture(whole.range()) has them,
// hairlines included, and a row more on each side for the lines they share. A viewer
// of a long sheet paints what is in sight this way instead of replaying all of it.
void paintBand(QPainter& painter, const Workbook& workbook, const Sheet& sheet, const SheetGeometry& whole, int top,
               int bottom);

// Height in points that row (zero-based) needs to show every cell's text,
// wrapped text included, in the cells' fonts. Used by EntireRow.AutoFit.
// A row without text gets one line of the tallest font it shows (its cells',
// else its row's or its columns' formats). The result is a whole number of
// 96-dpi pixels, so always on the 0.75-point grid. Throws std::out_of_range
// for a row outside the sheet.
double autoFitRowHeight(const Workbook& workbook, const Sheet& sheet, int row);

// autoFitRowHeight() of every row from firstRow to lastRow, in order. A long run
// of rows is measured on the machine's cores at once, each thread with fonts of
// its own; the heights are the same. Throws std::out_of_range as autoFitRowHeight().
std::vector<double> autoFitRowHeights(const Workbook& workbook, const Sheet& sheet, int firstRow, int lastRow);

} // namespace sheet
