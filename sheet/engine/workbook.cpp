#include "sheet/engine/object_model.h"

#include "sheet/engine/engine_core.h"
#include "sheet/engine/object_model_detail.h"
#include "sheet/xls/xls_io.h"

#include <algorithm>

namespace sheet::om {

using namespace detail;

// --- Workbook ---

void Workbook::check() const {
    if (!mCore)
        fail("Object variable not set");
    mCore->check();
    if (!mCore->owns(mBook))
        fail("The workbook has been closed");
}

sheet::Workbook& Workbook::model() const {
    check();
    return *mBook->model;
}

void Workbook::SaveAs(const std::string& path, int fileFormat) const {
    check();
    if (fileFormat != xlExcel8 && fileFormat != xlWorkbookNormal)
        fail("SaveAs method of Workbook class failed: file format " + std::to_string(fileFormat) +
             " is not supported (56 or -4143)");
    if (path.empty())
        fail("SaveAs method of Workbook class failed: no file name");
    xls::writeFile(*mBook->model, path);
    mBook->fullName = path;
    mBook->name = fileNameOf(path);
}

void Workbook::Close() const {
    check();
    auto& books = mCore->books;
    const auto it = std::find_if(books.begin(), books.end(),
                                 [&](const std::unique_ptr<detail::Book>& b) { return b.get() == mBook; });
    books.erase(it);
    if (mCore->active == mBook)
        mCore->active = books.empty() ? nullptr : books.back().get();
}

std::string Workbook::Name() const {
    check();
    return mBook->name;
}
std::string Workbook::FullName() const {
    check();
    return mBook->fullName.empty() ? mBook->name : mBook->fullName;
}

om::Sheets Workbook::Sheets() const {
    check();
    return om::Sheets(mCore, mBook);
}

Worksheet Workbook::ActiveSheet() const {
    check();
    sheet::Workbook& wb = *mBook->model;
    const int index = std::clamp(wb.activeSheet, 0, wb.sheetCount() - 1);
    return Worksheet(mCore, mBook, wb.sheets.at(static_cast<std::size_t>(index)).get());
}

void Workbook::Activate() const {
    check();
    mCore->active = mBook;
}

// --- Workbooks ---

Workbook Workbooks::Add() const {
    mCore->check();
    auto book = std::make_unique<detail::Book>();
    book->model = std::make_unique<sheet::Workbook>();
    for (int i = 1; i <= 3; ++i)
        book->model->addSheet("Sheet" + std::to_string(i));
    book->name = "Book" + std::to_string(++mCore->booksAdded);
    mCore->books.push_back(std::move(book));
    mCore->active = mCore->books.back().get();
    return Workbook(mCore, mCore->active);
}

Workbook Workbooks::Open(const std::string& path) const {
    mCore->check();
    auto book = std::make_unique<detail::Book>();
    book->model = xls::readFile(path);
    if (!book->model || book->model->sheetCount() == 0)
        fail("Open method of Workbooks class failed: \"" + path + "\" holds no sheet");
    book->fullName = path;
    book->name = fileNameOf(path);
    mCore->books.push_back(std::move(book));
    mCore->active = mCore->books.back().get();
    return Workbook(mCore, mCore->active);
}

int Workbooks::Count() const {
    mCore->check();
    return static_cast<int>(mCore->books.size());
}

Workbook Workbooks::Item(int index) const {
    const int count = Count();
    if (index < 1 || index > count)
        fail("Subscript out of range: workbook " + std::to_string(index) + " of " + std::to_string(count));
    return Workbook(mCore, mCore->books[static_cast<std::size_t>(index - 1)].get());
}

} // namespace sheet::om
