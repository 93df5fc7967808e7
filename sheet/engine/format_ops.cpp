#include "sheet/engine/format_ops.h"

#include <algorithm>
#include <array>
#include <unordered_map>

namespace sheet::om {
namespace {

bool isPresent(const Row& row, int column) {
    const auto c = static_cast<std::size_t>(column);
    return c < row.present.size() && row.present[c];
}

// The look a cell without its own entry takes from its row or column.
FormatId inherited(const sheet::Sheet& sheet, int row, int column) {
    if (const Row* r = sheet.row(row); r && r->format)
        return *r->format;
    return sheet.columns[static_cast<std::size_t>(column)].format;
}

// Before a column's or row's format changes, cells outside the edited area that
// showed the old format get entries of their own, so their look stays.
void keepLook(sheet::Sheet& sheet, int row, int column, FormatId newInherited) {
    const Row* r = sheet.row(row);
    if (r && isPresent(*r, column))
        return;
    if (inherited(sheet, row, column) != newInherited)
        sheet.cellAt(row, column); // takes the current row or column format
}

// Rectangles this tall starting this high are cheaper through the column formats.
bool useColumnPath(const CellRange& a) {
    return a.lastRow == kMaxRows - 1 && a.firstRow < kMaxRows / 2;
}
bool useRowPath(const CellRange& a) {
    return a.lastColumn == kMaxColumns - 1 && a.firstColumn < kMaxColumns / 2;
}

void clearCell(sheet::Sheet& sheet, int row, int column) {
    // A blank entry of the default format stays only where the row or column would show another.
    const FormatId base = [&] {
        if (const Row* r = sheet.row(row); r && r->format)
            return *r->format;
        return sheet.columns[static_cast<std::size_t>(column)].format;
    }();
    if (base == 0)
        sheet.removeCell(row, column);
    else
        sheet.cellAt(row, column) = Cell{};
}

} // namespace

FormatId FormatEditor::edited(FormatId id) {
    for (std::size_t i = 0; i < mFewCount; ++i)
        if (mFew[i].first == id)
            return mFew[i].second;
    if (auto it = mMemo.find(id); it != mMemo.end())
        return it->second;
    CellFormat f = mWorkbook.formats.get(id);
    mEdit(f);
    const FormatId result = mWorkbook.formats.intern(f);
    if (mFewCount < mFew.size())
        mFew[mFewCount++] = {id, result};
    else
        mMemo.emplace(id, result);
    return result;
}

void applyFormat(sheet::Workbook& workbook, sheet::Sheet& sheet, const CellRange& a, const FormatEdit& edit) {
    FormatEditor editor(workbook, edit);
    applyFormat(sheet, a, editor);
}

void applyFormat(sheet::Sheet& sheet, const CellRange& a, FormatEditor& ed) {
    if (useColumnPath(a)) {
        for (int c = a.firstColumn; c <= a.lastColumn; ++c) {
            Column& column = sheet.columns[static_cast<std::size_t>(c)];
            const FormatId edited = ed(column.format);
            if (edited == column.format)
                continue;
            for (int r = 0; r < a.firstRow; ++r)
                if (const Row* row = sheet.row(r); !row || !row->format)
                    keepLook(sheet, r, c, edited);
            column.format = edited;
        }
        const int lastRow = std::min(a.lastRow, sheet.rowCount() - 1);
        for (int r = a.firstRow; r <= lastRow; ++r) {
            Row& row = sheet.rowAt(r);
            for (int c = a.firstColumn; c <= a.lastColumn; ++c) {
                if (isPresent(row, c)) {
                    Cell& cell = sheet.cellAt(r, c);
                    cell.format = ed(cell.format);
                } else if (row.format && ed(*row.format) != *row.format) {
                    Cell& cell = sheet.cellAt(r, c);
                    cell.format = ed(cell.format);
                }
            }
        }
        return;
    }
    if (useRowPath(a)) {
        // Rows without a format of their own show the column formats; when the edit leaves
        // those alone (clearing a line nobody drew, say), such rows need no format either.
        bool columnsUnchanged = true;
        for (int c = a.firstColumn; c < kMaxColumns && columnsUnchanged; ++c)
            columnsUnchanged = ed(sheet.columns[static_cast<std::size_t>(c)].format) ==
                               sheet.columns[static_cast<std::size_t>(c)].format;
        for (int r = a.firstRow; r <= a.lastRow; ++r) {
            if (columnsUnchanged && (r >= sheet.rowCount() || !sheet.row(r)->format)) {
                if (r >= sheet.rowCount())
                    break;
                Row& row = sheet.rowAt(r);
                for (int c = a.firstColumn; c < static_cast<int>(row.cells.size()); ++c)
                    if (isPresent(row, c)) {
                        Cell& cell = sheet.cellAt(r, c);
                        cell.format = ed(cell.format);
                    }
                continue;
            }
            Row& row = sheet.rowAt(r);
            const FormatId edited = ed(row.format.value_or(0));
            for (int c = 0; c < kMaxColumns; ++c) {
                if (isPresent(row, c)) {
                    if (c >= a.firstColumn) {
                        Cell& cell = sheet.cellAt(r, c);
                        cell.format = ed(cell.format);
                    }
                    continue;
                }
                const FormatId old = inherited(sheet, r, c);
                if (c < a.firstColumn) {
                    if (old != edited)
                        sheet.cellAt(r, c);
                } else if (const FormatId own = ed(old); own != edited) {
                    sheet.cellAt(r, c).format = own;
                }
            }
            row.format = edited;
        }
        return;
    }
    for (int r = a.firstRow; r <= a.lastRow; ++r) {
        // The row is looked up once; a cell made for the edit may move its row's cells.
        Row* row = r < sheet.rowCount() ? &sheet.rowAt(r) : nullptr;
        for (int c = a.firstColumn; c <= a.lastColumn; ++c) {
            const auto at = static_cast<std::size_t>(c);
            if (row && at < row->present.size() && row->present[at]) {
                Cell& cell = row->cells[at];
                cell.format = ed(cell.format);
            } else {
                const FormatId old = sheet.effectiveFormat(r, c);
                if (const FormatId edited = ed(old); edited != old) {
                    sheet.cellAt(r, c).format = edited;
                    row = &sheet.rowAt(r);
                }
            }
        }
    }
}

void clearArea(sheet::Sheet& sheet, const CellRange& a) {
    std::erase_if(sheet.merged, [&](const CellRange& m) {
        return m.firstRow <= a.lastRow && a.firstRow <= m.lastRow && m.firstColumn <= a.lastColumn &&
               a.firstColumn <= m.lastColumn;
    });
    if (a.firstRow == 0 && a.lastRow == kMaxRows - 1 && a.firstColumn == 0 && a.lastColumn == kMaxColumns - 1) {
        sheet.clearAll();
        return;
    }
    if (useColumnPath(a)) {
        for (int c = a.firstColumn; c <= a.lastColumn; ++c) {
            Column& column = sheet.columns[static_cast<std::size_t>(c)];
            if (column.format == 0)
                continue;
            for (int r = 0; r < a.firstRow; ++r)
                if (const Row* row = sheet.row(r); !row || !row->format)
                    keepLook(sheet, r, c, 0);
            column.format = 0;
        }
        const int lastRow = std::min(a.lastRow, sheet.rowCount() - 1);
        for (int r = a.firstRow; r <= lastRow; ++r) {
            const Row& row = sheet.rowAt(r);
            const bool rowFormatted = row.format && *row.format != 0;
            for (int c = a.firstColumn; c <= a.lastColumn; ++c)
                if (rowFormatted || isPresent(row, c))
                    clearCell(sheet, r, c);
        }
        return;
    }
    if (useRowPath(a)) {
        // Where columns carry formats, the cleared rows get the default format as their
        // own, which hides the column formats without a cell per column.
        bool columnsFormatted = false;
        for (int c = a.firstColumn; c < kMaxColumns && !columnsFormatted; ++c)
            columnsFormatted = sheet.columns[static_cast<std::size_t>(c)].format != 0;
        for (int r = a.firstRow; r <= a.lastRow; ++r) {
            if (r >= sheet.rowCount() && !columnsFormatted)
                break;
            Row& row = sheet.rowAt(r);
            for (int c = 0; c < a.firstColumn; ++c)
                keepLook(sheet, r, c, columnsFormatted ? 0 : sheet.columns[static_cast<std::size_t>(c)].format);
            if (columnsFormatted)
                row.format = 0;
            else
                row.format.reset();
            for (int c = a.firstColumn; c < static_cast<int>(row.cells.size()); ++c)
                if (isPresent(row, c))
                    clearCell(sheet, r, c);
        }
        return;
    }
    for (int r = a.firstRow; r <= a.lastRow; ++r)
        for (int c = a.firstColumn; c <= a.lastColumn; ++c)
            if (sheet.cell(r, c) || inherited(sheet, r, c) != 0)
                clearCell(sheet, r, c);
}

void clearContents(sheet::Sheet& sheet, const CellRange& a) {
    const int lastRow = std::min(a.lastRow, sheet.rowCount() - 1);
    for (int r = a.firstRow; r <= lastRow; ++r) {
        const Row* row = sheet.row(r);
        const int lastColumn = std::min(a.lastColumn, static_cast<int>(row->cells.size()) - 1);
        for (int c = a.firstColumn; c <= lastColumn; ++c)
            if (isPresent(*row, c))
                sheet.cellAt(r, c).value = std::monostate{};
    }
}

std::optional<CellRange> usedArea(const sheet::Sheet& sheet) {
    std::optional<CellRange> used;
    const auto include = [&](int r, int c) {
        if (!used) {
            used = CellRange{r, c, r, c};
            return;
        }
        used->firstRow = std::min(used->firstRow, r);
        used->lastRow = std::max(used->lastRow, r);
        used->firstColumn = std::min(used->firstColumn, c);
        used->lastColumn = std::max(used->lastColumn, c);
    };
    for (int r = 0; r < sheet.rowCount(); ++r) {
        const Row* row = sheet.row(r);
        if (row->customHeight)
            include(r, 0);
        for (std::size_t c = 0; c < row->cells.size(); ++c)
            if (row->present[c] && (!row->cells[c].isBlank() || row->cells[c].format != 0))
                include(r, static_cast<int>(c));
    }
    return used;
}

} // namespace sheet::om
