#include "sheet/xls/sheet_writer.h"

#include "sheet/xls/cell_records.h"
#include "sheet/xls/format_mapping.h"
#include "sheet/xls/sheet_records.h"
#include "sheet/xls/unicode.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>

namespace sheet::xls {
namespace {

HeaderFooterText headerFooterText(const Sheet& sheet, const std::string& codes, const char* what) {
    HeaderFooterText t{toUtf16(codes)};
    if (t.text.size() > HeaderFooterText::kMaxLength)
        throw std::invalid_argument(std::string("The ") + what + " of sheet \"" + sheet.name +
                                    "\" is longer than 255 characters.");
    return t;
}

} // namespace

void writePageSettings(RecordWriter& out, const Sheet& sheet) {
    out.u16Record(rid::PrintHeaders, 0);
    out.u16Record(rid::PrintGridlines, 0);
    out.u16Record(rid::GridSet, 1);
    out.raw(rid::Guts, std::array<std::uint8_t, 8>{});
    DefaultRowHeightRecord drh;
    drh.height = pointsToTwips(sheet.defaultRowHeight);
    drh.flags = drh.height != 255 ? 1 : 0;
    out.write(drh);
    const PageSetup& ps = sheet.pageSetup;
    out.u16Record(rid::WsBool, 0x04C1 | (ps.fitToPages ? 0x0100 : 0));
    out.write(HeaderRecord{headerFooterText(sheet, ps.header, "header")});
    out.write(FooterRecord{headerFooterText(sheet, ps.footer, "footer")});
    out.u16Record(rid::HCenter, 0);
    out.u16Record(rid::VCenter, 0);
    out.f64Record(rid::LeftMargin, pointsToInches(ps.leftMargin));
    out.f64Record(rid::RightMargin, pointsToInches(ps.rightMargin));
    out.f64Record(rid::TopMargin, pointsToInches(ps.topMargin));
    out.f64Record(rid::BottomMargin, pointsToInches(ps.bottomMargin));
    SetupRecord setup;
    setup.paperSize = static_cast<std::uint16_t>(std::clamp(ps.paperSize, 0, 0xFFFF));
    setup.scale = static_cast<std::uint16_t>(std::clamp(ps.zoom, 10, 400));
    setup.fitWidth = static_cast<std::uint16_t>(std::clamp(ps.fitToPagesWide, 0, 0x7FFF));
    setup.fitHeight = static_cast<std::uint16_t>(std::clamp(ps.fitToPagesTall, 0, 0x7FFF));
    // Printer fields are defined (fNoPls clear), or LibreOffice ignores paper, orientation and scale.
    setup.flags = (ps.orientation == Orientation::Portrait ? SetupRecord::kPortrait : 0) |
                  (ps.printComments != PrintComments::None ? SetupRecord::kNotes : 0) |
                  (ps.printComments == PrintComments::AtEnd ? SetupRecord::kNotesAtEnd : 0);
    setup.headerMargin = pointsToInches(ps.headerMargin);
    setup.footerMargin = pointsToInches(ps.footerMargin);
    out.write(setup);
    out.u16Record(rid::DefColWidth, 8);
}

void writeColumnInfos(RecordWriter& out, const Sheet& sheet, const SheetRefs& refs) {
    for (int c = 0; c < kMaxColumns;) {
        const Column& col = sheet.columns[static_cast<std::size_t>(c)];
        int last = c;
        while (last + 1 < kMaxColumns && sheet.columns[static_cast<std::size_t>(last + 1)] == col)
            ++last;
        if (col.width || col.format != 0 || col.hidden) {
            ColInfoRecord ci;
            ci.firstColumn = static_cast<std::uint16_t>(c);
            ci.lastColumn = static_cast<std::uint16_t>(last);
            ci.width = col.width ? columnWidthToFile(*col.width) : kDefaultColumnWidth;
            ci.xf = refs.xf(col.format);
            ci.flags = (col.hidden ? ColInfoRecord::kHidden : 0) | (col.width ? ColInfoRecord::kUserSet : 0);
            out.write(ci);
        }
        c = last + 1;
    }
}

void writeDimensions(RecordWriter& out, const Sheet& sheet) {
    DimensionsRecord dim;
    bool any = false;
    for (int r = 0; r < sheet.rowCount(); ++r) {
        const Row* row = sheet.row(r);
        for (std::size_t c = 0; c < row->cells.size(); ++c) {
            if (!row->present[c])
                continue;
            const auto cu = static_cast<std::uint16_t>(c);
            if (!any) {
                dim = {static_cast<std::uint32_t>(r), static_cast<std::uint32_t>(r + 1), cu,
                       static_cast<std::uint16_t>(c + 1)};
                any = true;
            }
            dim.lastRowPlus1 = static_cast<std::uint32_t>(r + 1);
            dim.firstColumn = std::min(dim.firstColumn, cu);
            dim.lastColumnPlus1 = std::max<std::uint16_t>(dim.lastColumnPlus1, static_cast<std::uint16_t>(c + 1));
        }
    }
    out.write(dim);
}

void writeRowBlocks(RecordWriter& out, const Sheet& sheet, const SheetRefs& refs, std::size_t& sstCursor) {
    // Excel's layout: ROW records for a block of up to 32 rows, then those rows' cells.
    const std::uint16_t defaultTwips = pointsToTwips(sheet.defaultRowHeight);
    std::vector<std::uint16_t> blankXfs;
    for (int blockStart = 0; blockStart < sheet.rowCount(); blockStart += 32) {
        const int blockEnd = std::min(blockStart + 32, sheet.rowCount());
        for (int r = blockStart; r < blockEnd; ++r) {
            const Row* row = sheet.row(r);
            int first = -1, last = -1;
            for (std::size_t c = 0; c < row->cells.size(); ++c)
                if (row->present[c]) {
                    if (first < 0)
                        first = static_cast<int>(c);
                    last = static_cast<int>(c);
                }
            if (first < 0 && !row->height && !row->format)
                continue;
            RowRecord rr;
            rr.row = static_cast<std::uint16_t>(r);
            rr.firstColumn = first < 0 ? 0 : static_cast<std::uint16_t>(first);
            rr.lastColumnPlus1 = first < 0 ? 0 : static_cast<std::uint16_t>(last + 1);
            rr.height = row->height ? pointsToTwips(*row->height) : defaultTwips;
            if (row->height && row->customHeight)
                rr.flags |= RowRecord::kUnsynced;
            if (row->format) {
                rr.flags |= RowRecord::kGhostDirty;
                rr.xf = refs.xf(*row->format);
            }
            out.write(rr);
        }
        for (int r = blockStart; r < blockEnd; ++r) {
            const Row* row = sheet.row(r);
            const std::size_t n = row->cells.size();
            for (std::size_t c = 0; c < n; ++c) {
                if (!row->present[c])
                    continue;
                const Cell& cell = row->cells[c];
                const std::uint16_t xf = refs.xf(cell.format);
                const int col = static_cast<int>(c);
                if (cell.text()) {
                    writeLabelSst(out, r, col, xf, refs.sstOrder[sstCursor++]);
                } else if (const double* num = cell.number()) {
                    writeNumber(out, r, col, xf, *num);
                } else {
                    blankXfs.clear();
                    blankXfs.push_back(xf);
                    while (c + 1 < n && row->present[c + 1] && row->cells[c + 1].isBlank()) {
                        ++c;
                        blankXfs.push_back(refs.xf(row->cells[c].format));
                    }
                    writeMulBlank(out, r, col, blankXfs);
                }
            }
        }
    }
}

void writeWindowAndSelection(RecordWriter& out, const Sheet& sheet, bool active) {
    Window2Record w2;
    if (active)
        w2.flags |= Window2Record::kSelected | Window2Record::kPaged;
    out.write(w2);

    SelectionRecord sel;
    sel.activeRow = static_cast<std::uint16_t>(std::clamp(sheet.activeRow, 0, kMaxRows - 1));
    sel.activeColumn = static_cast<std::uint16_t>(std::clamp(sheet.activeColumn, 0, kMaxColumns - 1));
    bool foundActive = false;
    for (const CellRange& range : sheet.selection) {
        if (sel.ranges.size() >= SelectionRecord::kMaxRanges)
            break;
        RefU ref;
        ref.firstRow = static_cast<std::uint16_t>(std::clamp(range.firstRow, 0, kMaxRows - 1));
        ref.lastRow = static_cast<std::uint16_t>(std::clamp(range.lastRow, 0, kMaxRows - 1));
        ref.firstColumn = static_cast<std::uint8_t>(std::clamp(range.firstColumn, 0, kMaxColumns - 1));
        ref.lastColumn = static_cast<std::uint8_t>(std::clamp(range.lastColumn, 0, kMaxColumns - 1));
        if (!foundActive && range.contains(sel.activeRow, sel.activeColumn)) {
            sel.activeRange = static_cast<std::uint16_t>(sel.ranges.size());
            foundActive = true;
        }
        sel.ranges.push_back(ref);
    }
    if (sel.ranges.empty())
        sel.ranges.push_back({sel.activeRow, sel.activeRow, static_cast<std::uint8_t>(sel.activeColumn),
                              static_cast<std::uint8_t>(sel.activeColumn)});
    out.write(sel);
}

void writeMergedCells(RecordWriter& out, const Sheet& sheet) {
    MergedCellsRecord merged;
    auto flushMerged = [&] {
        if (!merged.ranges.empty())
            out.write(merged);
        merged.ranges.clear();
    };
    for (const CellRange& m : sheet.merged) {
        if (m.firstRow == m.lastRow && m.firstColumn == m.lastColumn)
            continue; // a one-cell merge is no merge
        if (m.firstRow < 0 || m.firstColumn < 0 || m.lastRow >= kMaxRows || m.lastColumn >= kMaxColumns ||
            m.firstRow > m.lastRow || m.firstColumn > m.lastColumn)
            throw std::invalid_argument("A merged area on sheet \"" + sheet.name + "\" lies outside the sheet.");
        merged.ranges.push_back({static_cast<std::uint16_t>(m.firstRow), static_cast<std::uint16_t>(m.lastRow),
                                 static_cast<std::uint16_t>(m.firstColumn), static_cast<std::uint16_t>(m.lastColumn)});
        if (merged.ranges.size() == MergedCellsRecord::kMaxRanges)
            flushMerged();
    }
    flushMerged();
}

} // namespace sheet::xls
