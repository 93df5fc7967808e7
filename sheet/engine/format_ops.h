#pragma once

// Formatting and clearing rectangles of a sheet without touching cells that do
// not exist: a rectangle spanning every row changes the column formats, one
// spanning every column changes the row formats, and only the cells already
// stored (or needed to keep a neighbour's look) are edited one by one.

#include "sheet/model/workbook.h"

#include <array>
#include <functional>
#include <limits>
#include <unordered_map>
#include <utility>

namespace sheet::om {

using FormatEdit = std::function<void(CellFormat&)>;

// One edit of formats, remembered by id: each distinct format is edited and
// interned once, however many cells and areas show it. The edit is held by
// reference and must outlive the editor.
class FormatEditor {
public:
    FormatEditor(sheet::Workbook& workbook, const FormatEdit& edit) : mWorkbook(workbook), mEdit(edit) {}
    // The id of format id with the edit applied.
    FormatId operator()(FormatId id) {
        // Neighbouring cells mostly share a format.
        if (id == mLastId)
            return mLastEdited;
        mLastEdited = edited(id);
        mLastId = id;
        return mLastEdited;
    }

private:
    FormatId edited(FormatId id);

    sheet::Workbook& mWorkbook;
    const FormatEdit& mEdit;
    FormatId mLastId = std::numeric_limits<FormatId>::max();
    FormatId mLastEdited = 0;
    // Most edits meet a handful of formats (one cell, one row): a short list
    // first, a hash map only once it grows.
    std::array<std::pair<FormatId, FormatId>, 8> mFew{};
    std::size_t mFewCount = 0;
    std::unordered_map<FormatId, FormatId> mMemo;
};

// Applies the editor's edit to the format of every cell of area. The edit must be
// idempotent (a setter), since a cell may be reached once through its row or
// column and once on its own.
void applyFormat(sheet::Sheet& sheet, const CellRange& area, FormatEditor& editor);
// The same with an editor of its own.
void applyFormat(sheet::Workbook& workbook, sheet::Sheet& sheet, const CellRange& area, const FormatEdit& edit);

// Removes values and formats from every cell of area, and merges touching it.
void clearArea(sheet::Sheet& sheet, const CellRange& area);
// Removes values only.
void clearContents(sheet::Sheet& sheet, const CellRange& area);

// The smallest rectangle holding every stored cell with a value or a format other
// than the default, and every row of custom height (from column A); nullopt when none.
std::optional<CellRange> usedArea(const sheet::Sheet& sheet);

} // namespace sheet::om
