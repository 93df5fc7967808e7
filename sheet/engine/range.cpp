#include "sheet/engine/object_model.h"

#include "sheet/engine/address.h"
#include "sheet/engine/engine_core.h"
#include "sheet/engine/format_ops.h"
#include "sheet/engine/object_model_detail.h"
#include "sheet/engine/typed_input.h"
#include "sheet/render/sheet_render.h"

#include <algorithm>

namespace sheet::om {

using namespace detail;

// --- SheetRef ---

void SheetRef::check() const {
    if (!mCore)
        fail("Object variable not set");
    mCore->check();
    if (!mCore->owns(mBook))
        fail("The workbook of this object has been closed");
    const auto& sheets = mBook->model->sheets;
    if (std::none_of(sheets.begin(), sheets.end(), [&](const auto& s) { return s.get() == mSheet; }))
        fail("The sheet of this object has been deleted");
}

sheet::Sheet& SheetRef::model() const {
    check();
    return *mSheet;
}

sheet::Workbook& SheetRef::workbookModel() const {
    check();
    return *mBook->model;
}

// --- Range ---

Range::Range(SheetRef sheetRef, std::vector<CellRange> areas)
    : SheetRef(std::move(sheetRef)), mAreas(std::move(areas)) {
    if (mAreas.empty())
        fail("A range needs at least one area");
}

void Range::Select() const {
    sheet::Sheet& s = model();
    s.selection = mAreas;
    s.activeRow = mAreas.front().firstRow;
    s.activeColumn = mAreas.front().firstColumn;
}

void Range::Clear() const {
    sheet::Sheet& s = model();
    for (const CellRange& a : mAreas)
        clearArea(s, a);
}

void Range::ClearContents() const {
    sheet::Sheet& s = model();
    for (const CellRange& a : mAreas)
        clearContents(s, a);
}

void Range::Merge() const {
    sheet::Sheet& s = model();
    for (const CellRange& a : mAreas) {
        if (a.firstRow == a.lastRow && a.firstColumn == a.lastColumn)
            continue;
        std::erase_if(s.merged, [&](const CellRange& m) {
            return m.firstRow <= a.lastRow && a.firstRow <= m.lastRow && m.firstColumn <= a.lastColumn &&
                   a.firstColumn <= m.lastColumn;
        });
        // The merged cell keeps the top-left value only.
        const CellValue kept =
            s.cell(a.firstRow, a.firstColumn) ? s.cell(a.firstRow, a.firstColumn)->value : CellValue{};
        clearContents(s, a);
        if (!std::holds_alternative<std::monostate>(kept))
            s.cellAt(a.firstRow, a.firstColumn).value = kept;
        s.merged.push_back(a);
    }
}

void Range::UnMerge() const {
    sheet::Sheet& s = model();
    for (const CellRange& a : mAreas)
        std::erase_if(s.merged, [&](const CellRange& m) {
            return m.firstRow <= a.lastRow && a.firstRow <= m.lastRow && m.firstColumn <= a.lastColumn &&
                   a.firstColumn <= m.lastColumn;
        });
}

om::Font Range::Font() const {
    return om::Font(*this);
}
om::Interior Range::Interior() const {
    return om::Interior(*this);
}
om::Border Range::Borders(int edge) const {
    if (edge < xlDiagonalDown || edge > xlInsideHorizontal || edge == xlDiagonalUp || edge == xlDiagonalDown)
        fail("Unable to get the Borders property of the Range class: edge " + std::to_string(edge) +
             " is not one of 7..12");
    return om::Border(*this, edge);
}

double Range::ColumnWidth() const {
    const auto& w = model().columns[static_cast<std::size_t>(mAreas.front().firstColumn)].width;
    return w.value_or(8.43);
}

void Range::setColumnWidth(double width) const {
    if (!(width >= 0 && width <= 255))
        fail("Unable to set the ColumnWidth property of the Range class: " + number(width) +
             " is outside 0..255 characters");
    sheet::Sheet& s = model();
    for (const CellRange& a : mAreas)
        for (int c = a.firstColumn; c <= a.lastColumn; ++c)
            s.columns[static_cast<std::size_t>(c)].width = width;
}

double Range::RowHeight() const {
    const sheet::Sheet& s = model();
    const sheet::Row* row = s.row(mAreas.front().firstRow);
    return row && row->height ? *row->height : s.defaultRowHeight;
}

void Range::setRowHeight(double points) const {
    if (!(points >= 0 && points <= 409))
        fail("Unable to set the RowHeight property of the Range class: " + number(points) +
             " is outside 0..409 points");
    sheet::Sheet& s = model();
    for (const CellRange& a : mAreas) {
        if (a.firstRow == 0 && a.lastRow == kMaxRows - 1) {
            // Every row: the default height changes rather than 65,536 row entries.
            s.defaultRowHeight = points;
            for (int r = 0; r < s.rowCount(); ++r) {
                s.rowAt(r).height.reset();
                s.rowAt(r).customHeight = false;
            }
            continue;
        }
        for (int r = a.firstRow; r <= a.lastRow; ++r) {
            sheet::Row& row = s.rowAt(r);
            row.height = points;
            row.customHeight = true;
        }
    }
}

bool Range::WrapText() const {
    return firstFormat(*this).wrap;
}
void Range::setWrapText(bool wrap) const {
    applyToAll(*this, [wrap](CellFormat& f) { f.wrap = wrap; });
}
bool Range::Locked() const {
    return firstFormat(*this).locked;
}
void Range::setLocked(bool locked) const {
    applyToAll(*this, [locked](CellFormat& f) { f.locked = locked; });
}
bool Range::FormulaHidden() const {
    return firstFormat(*this).hidden;
}
void Range::setFormulaHidden(bool hidden) const {
    applyToAll(*this, [hidden](CellFormat& f) { f.hidden = hidden; });
}

std::string Range::FormulaR1C1() const {
    const CellRange& a = mAreas.front();
    const sheet::Cell* cell = model().cell(a.firstRow, a.firstColumn);
    if (!cell)
        return {};
    if (const std::string* text = cell->text())
        return *text;
    if (const double* n = cell->number())
        return generalText(*n);
    return {};
}

void Range::setFormulaR1C1(const std::string& text) const {
    enter(typedInput(text), "FormulaR1C1");
}

void Range::setText(const std::string& text) const {
    enter(text.empty() ? CellValue{} : CellValue{text}, "Text");
}

void Range::setTexts(std::vector<std::string> texts) const {
    sheet::Sheet& s = model();
    const CellRange& a = mAreas.front();
    const long long cells = static_cast<long long>(a.lastRow - a.firstRow + 1) * (a.lastColumn - a.firstColumn + 1);
    if (cells > kMaxFilledCells)
        fail("Unable to set the Value property of the Range class: the range has too many cells");
    if (static_cast<long long>(texts.size()) != cells)
        fail("Unable to set the Value property of the Range class: " + std::to_string(texts.size()) + " texts for " +
             std::to_string(cells) + " cells");
    auto text = texts.begin();
    for (int r = a.firstRow; r <= a.lastRow; ++r) {
        // One allocation for the row's cells rather than one per column reached.
        sheet::Row& row = s.rowAt(r);
        const auto width = static_cast<std::size_t>(a.lastColumn) + 1;
        row.cells.reserve(width);
        row.present.reserve(width);
        for (int c = a.firstColumn; c <= a.lastColumn; ++c, ++text) {
            if (!text->empty())
                s.cellAt(r, c).value = CellValue{std::move(*text)};
            else if (static_cast<std::size_t>(c) < row.present.size() && row.present[static_cast<std::size_t>(c)])
                row.cells[static_cast<std::size_t>(c)].value = std::monostate{};
        }
    }
}

void Range::enter(const CellValue& value, const char* property) const {
    sheet::Sheet& s = model();
    if (std::holds_alternative<std::monostate>(value)) {
        ClearContents();
        return;
    }
    if (Count() > kMaxFilledCells)
        fail(std::string("Unable to set the ") + property +
             " property of the Range class: the range has too many cells");
    for (const CellRange& a : mAreas)
        for (int r = a.firstRow; r <= a.lastRow; ++r)
            for (int c = a.firstColumn; c <= a.lastColumn; ++c)
                s.cellAt(r, c).value = value;
}

CellValue Range::Value() const {
    const CellRange& a = mAreas.front();
    const sheet::Cell* cell = model().cell(a.firstRow, a.firstColumn);
    return cell ? cell->value : CellValue{};
}

om::Range Range::EntireRow() const {
    std::vector<CellRange> rows;
    for (const CellRange& a : mAreas)
        rows.push_back({a.firstRow, 0, a.lastRow, kMaxColumns - 1});
    return om::Range(*this, rows);
}

om::Range Range::EntireColumn() const {
    std::vector<CellRange> columns;
    for (const CellRange& a : mAreas)
        columns.push_back({0, a.firstColumn, kMaxRows - 1, a.lastColumn});
    return om::Range(*this, columns);
}

void Range::AutoFit() const {
    sheet::Sheet& s = model();
    const sheet::Workbook& wb = workbookModel();
    for (const CellRange& a : mAreas) {
        if (!spansAllColumns(a))
            fail("AutoFit method of Range class failed: only whole rows are fitted");
        const int last = std::min(a.lastRow, s.rowCount() - 1);
        if (last < a.firstRow)
            continue;
        const std::vector<double> heights = autoFitRowHeights(wb, s, a.firstRow, last);
        for (int r = a.firstRow; r <= last; ++r) {
            sheet::Row& row = s.rowAt(r);
            row.height = heights[static_cast<std::size_t>(r - a.firstRow)];
            row.customHeight = false;
        }
    }
}

om::RangeItems Range::Rows() const {
    return RangeItems(*this, RangeItems::Kind::Rows);
}
om::RangeItems Range::Columns() const {
    return RangeItems(*this, RangeItems::Kind::Columns);
}

om::Range Range::Cells(int row, int column) const {
    const CellRange& a = mAreas.front();
    const int r = a.firstRow + row - 1;
    const int c = a.firstColumn + column - 1;
    if (r < 0 || r >= kMaxRows || c < 0 || c >= kMaxColumns)
        fail("Cells(" + std::to_string(row) + ", " + std::to_string(column) + ") lies outside the sheet");
    return om::Range(*this, {CellRange{r, c, r, c}});
}

int Range::Row() const {
    check();
    return mAreas.front().firstRow + 1;
}
int Range::Column() const {
    check();
    return mAreas.front().firstColumn + 1;
}

long long Range::Count() const {
    long long n = 0;
    for (const CellRange& a : mAreas)
        n += static_cast<long long>(a.lastRow - a.firstRow + 1) * (a.lastColumn - a.firstColumn + 1);
    return n;
}

std::string Range::Address() const {
    std::string s;
    for (const CellRange& a : mAreas)
        s += (s.empty() ? "" : ",") + formatAddress(a);
    return s;
}

om::Worksheet Range::Worksheet() const {
    check();
    return om::Worksheet(static_cast<const SheetRef&>(*this));
}

void Range::CopyPicture() const {
    const sheet::Sheet& s = model();
    const CopyPictureHook& hook = copyPictureHook();
    if (!hook)
        fail("CopyPicture method of Range class failed: no picture support is installed");
    hook(workbookModel(), s, mAreas.front());
}

// --- RangeItems ---

int RangeItems::Count() const {
    const CellRange& a = mRange.areas().front();
    mRange.model();
    return mKind == Kind::Rows ? a.lastRow - a.firstRow + 1 : a.lastColumn - a.firstColumn + 1;
}

Range RangeItems::Item(int index) const {
    if (index < 1 || index > Count())
        fail("Item " + std::to_string(index) + " is outside 1.." + std::to_string(Count()));
    CellRange a = mRange.areas().front();
    if (mKind == Kind::Rows)
        a.firstRow = a.lastRow = a.firstRow + index - 1;
    else
        a.firstColumn = a.lastColumn = a.firstColumn + index - 1;
    return Range(mRange, {a});
}

} // namespace sheet::om
