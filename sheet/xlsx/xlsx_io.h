#pragma once

// Writing Office Open XML workbooks (.xlsx) through libxlsxwriter.
//
//     sheet::Workbook wb;
//     wb.addSheet("Phone List").cellAt(0, 0).value = std::string("Hello");
//     sheet::xlsx::writeFile(wb, "out.xlsx");
//
// What the file keeps of the model: sheet names and the active sheet; text,
// number and formatted blank cells; each cell format's font (name, size in
// points, bold, italic, single underline, strikeout, palette colour), solid fill,
// border line style and colour per edge, alignment, wrap, number format, locked
// and hidden; column widths in characters, hidden columns and column formats;
// row heights in points and row formats; merged areas; the page setup
// (orientation, paper, margins, header and footer with their margins, fit to
// pages or the print scale, print area, print-title rows) and the active cell.
// Palette colours go as their RGB from the default palette. What it cannot keep,
// and why, is said where each piece is written.

#include "sheet/model/workbook.h"

#include <cstdint>
#include <string>
#include <vector>

namespace sheet::xlsx {

// The workbook as an .xlsx file; throws std::runtime_error naming what failed.
// The library writes only to a named file: this goes through a private temporary
// file (mode 0600, in $TMPDIR or else /tmp) that is removed before returning.
std::vector<std::uint8_t> writeBytes(const Workbook& workbook);

// Writes beside path and renames over it, so a failure leaves any old file (as
// sheet::xls::writeFile does). A path that is a symbolic link is refused; the
// saved file keeps the permissions of the file it replaces.
void writeFile(const Workbook& workbook, const std::string& path);

} // namespace sheet::xlsx
