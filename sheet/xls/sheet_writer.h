#pragma once

// The blocks of one worksheet substream, written in stream order between its
// BOF and EOF:
//
//     writePageSettings(out, sheet);          // PRINTHEADERS .. SETUP, DEFCOLWIDTH
//     writeColumnInfos(out, sheet, refs);     // COLINFO per run of equal columns
//     writeDimensions(out, sheet);            // DIMENSIONS
//     writeRowBlocks(out, sheet, refs, sst);  // ROW records, then the cells, 32 rows a block
//     writeWindowAndSelection(out, sheet, active); // WINDOW2, SELECTION
//     writeMergedCells(out, sheet);           // MERGEDCELLS, 1,026 areas a record

#include "sheet/model/workbook.h"
#include "sheet/xls/biff_stream.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace sheet::xls {

// What a sheet's records point to in the workbook globals.
struct SheetRefs {
    // XF index by model format; 0 (or no entry) means defaultXf.
    std::span<const std::uint16_t> xfOf;
    std::uint16_t defaultXf = 15;
    // SST index of each text cell, in the order the sheets' cells are written.
    std::span<const std::uint32_t> sstOrder;

    std::uint16_t xf(FormatId id) const { return id < xfOf.size() && xfOf[id] ? xfOf[id] : defaultXf; }
};

// Print and page set-up: headings and gridlines off, default row height,
// WSBOOL (fit to pages), header and footer, margins (inches), SETUP, DEFCOLWIDTH 8.
// Throws std::invalid_argument for a header or footer longer than 255 characters.
void writePageSettings(RecordWriter& out, const Sheet& sheet);
// One COLINFO per run of equal columns that differ from the default.
void writeColumnInfos(RecordWriter& out, const Sheet& sheet, const SheetRefs& refs);
// The used area: first row, last row + 1, first column, last column + 1 (all 0 when empty).
void writeDimensions(RecordWriter& out, const Sheet& sheet);
// Blocks of up to 32 ROW records, each followed by those rows' cells; runs of
// blank cells go into one MULBLANK. sstCursor counts the text cells written so far.
void writeRowBlocks(RecordWriter& out, const Sheet& sheet, const SheetRefs& refs, std::size_t& sstCursor);
// WINDOW2 (selected and paged when active) and the SELECTION of the active cell.
void writeWindowAndSelection(RecordWriter& out, const Sheet& sheet, bool active);
// Throws std::invalid_argument for a merged area outside the sheet; one-cell merges are left out.
void writeMergedCells(RecordWriter& out, const Sheet& sheet);

} // namespace sheet::xls
