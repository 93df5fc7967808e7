#include "sheet/engine/object_model.h"

#include "sheet/engine/address.h"
#include "sheet/engine/engine_core.h"
#include "sheet/engine/format_ops.h"
#include "sheet/engine/object_model_detail.h"

#include <algorithm>

namespace sheet::om {

using namespace detail;

// --- Worksheet ---

std::string Worksheet::Name() const {
    return model().name;
}

void Worksheet::setName(const std::string& name) const {
    sheet::Sheet& s = model();
    if (name.empty() || name.size() > 31 || name.find_first_of(":\\/?*[]") != std::string::npos)
        fail("Unable to set the Name property of the Worksheet class: \"" + name +
             "\" is not a sheet name (1..31 characters, none of : \\ / ? * [ ])");
    for (const auto& other : mBook->model->sheets)
        if (other.get() != &s && lower(other->name) == lower(name))
            fail("Unable to set the Name property of the Worksheet class: \"" + name + "\" is taken");
    s.name = name;
}

void Worksheet::Select() const {
    model();
    mBook->model->activeSheet = Index() - 1;
}

void Worksheet::Delete() const {
    model();
    sheet::Workbook& wb = *mBook->model;
    if (wb.sheetCount() == 1)
        fail("Delete method of Worksheet class failed: a workbook must keep at least one sheet");
    const int index = Index() - 1;
    wb.sheets.erase(wb.sheets.begin() + index);
    if (wb.activeSheet > index || wb.activeSheet >= wb.sheetCount())
        wb.activeSheet = std::max(0, wb.activeSheet - 1);
}

int Worksheet::Index() const {
    model();
    const auto& sheets = mBook->model->sheets;
    for (std::size_t i = 0; i < sheets.size(); ++i)
        if (sheets[i].get() == mSheet)
            return static_cast<int>(i) + 1;
    return 0;
}

om::Range Worksheet::Range(const std::string& address) const {
    check();
    return om::Range(*this, parseAddress(address));
}
om::Range Worksheet::Cells() const {
    check();
    return om::Range(*this, {CellRange{0, 0, kMaxRows - 1, kMaxColumns - 1}});
}
om::Range Worksheet::Cells(int row, int column) const {
    return Cells().Cells(row, column);
}

om::Range Worksheet::Rows(const std::string& spec) const {
    check();
    auto areas = parseAddress(spec);
    for (CellRange& a : areas)
        a = {a.firstRow, 0, a.lastRow, kMaxColumns - 1};
    return om::Range(*this, areas);
}
om::Range Worksheet::Columns(const std::string& spec) const {
    check();
    auto areas = parseAddress(spec);
    for (CellRange& a : areas)
        a = {0, a.firstColumn, kMaxRows - 1, a.lastColumn};
    return om::Range(*this, areas);
}

om::Range Worksheet::UsedRange() const {
    const auto used = usedArea(model());
    return om::Range(*this, {used.value_or(CellRange{})});
}

om::PageSetup Worksheet::PageSetup() const {
    check();
    return om::PageSetup(static_cast<const SheetRef&>(*this));
}

// --- Sheets ---

int Sheets::Count() const {
    mCore->check();
    if (!mCore->owns(mBook))
        fail("The workbook of this object has been closed");
    return mBook->model->sheetCount();
}

Worksheet Sheets::Item(int index) const {
    const int count = Count();
    if (index < 1 || index > count)
        fail("Subscript out of range: sheet " + std::to_string(index) + " of " + std::to_string(count));
    return Worksheet(mCore, mBook, mBook->model->sheets[static_cast<std::size_t>(index - 1)].get());
}

Worksheet Sheets::Item(const std::string& name) const {
    Count();
    for (const auto& s : mBook->model->sheets)
        if (lower(s->name) == lower(name))
            return Worksheet(mCore, mBook, s.get());
    fail("Subscript out of range: no sheet \"" + name + "\"");
}

Worksheet Sheets::Add() const {
    Count();
    sheet::Workbook& wb = *mBook->model;
    int n = wb.sheetCount() + 1;
    const auto taken = [&](const std::string& name) {
        return std::any_of(wb.sheets.begin(), wb.sheets.end(),
                           [&](const auto& s) { return lower(s->name) == lower(name); });
    };
    while (taken("Sheet" + std::to_string(n)))
        ++n;
    sheet::Sheet& s = wb.addSheet("Sheet" + std::to_string(n));
    wb.activeSheet = wb.sheetCount() - 1;
    return Worksheet(mCore, mBook, &s);
}

} // namespace sheet::om
