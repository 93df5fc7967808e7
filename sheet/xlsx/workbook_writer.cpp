#include "sheet/xlsx/workbook_writer.h"

#include "sheet/xlsx/format_mapping.h"
#include "sheet/xlsx/sheet_writer.h"
#include "sheet/xlsx/style_table.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <vector>

#include <locale.h>

namespace sheet::xlsx {
namespace {

// The library prints its numbers (values, widths, heights, margins, font sizes)
// with printf, which follows LC_NUMERIC: under a decimal-comma locale, which a
// Qt program adopts from its environment, it would write "12,75" where the file
// needs "12.75". The C numeric locale holds for this thread while it writes.
class CNumericLocale {
public:
    CNumericLocale() {
        const locale_t current = ::duplocale(::uselocale(static_cast<locale_t>(nullptr)));
        if (current == static_cast<locale_t>(nullptr))
            throw std::runtime_error("Cannot prepare the number format for writing the workbook.");
        mLocale = ::newlocale(LC_NUMERIC_MASK, "C", current);
        if (mLocale == static_cast<locale_t>(nullptr)) {
            ::freelocale(current);
            throw std::runtime_error("Cannot prepare the number format for writing the workbook.");
        }
        mPrevious = ::uselocale(mLocale);
    }
    ~CNumericLocale() {
        ::uselocale(mPrevious);
        ::freelocale(mLocale);
    }
    CNumericLocale(const CNumericLocale&) = delete;
    CNumericLocale& operator=(const CNumericLocale&) = delete;

private:
    locale_t mLocale;
    locale_t mPrevious;
};

struct WorkbookFree {
    void operator()(lxw_workbook* wb) const { lxw_workbook_free(wb); }
};

void checkSheetName(lxw_workbook* wb, const std::string& modelName, const std::string& fileName) {
    if (fileName.empty() || utf16Length(fileName) > 31)
        throw std::runtime_error("The sheet name \"" + modelName + "\" is empty or longer than 31 characters.");
    const lxw_error error = workbook_validate_sheet_name(wb, fileName.c_str());
    if (error != LXW_NO_ERROR)
        throw std::runtime_error("The sheet name \"" + modelName + "\" cannot be used: " + lxw_strerror(error));
}

} // namespace

// The file's Normal style stays the library's Calibri 11, which version 1.1.4
// offers no way to change. Every cell, row and column the model formats carries
// its own format, default font included, and Calibri 11 has the same 7-pixel
// digit at 96 dpi as the model's Arial 10, so column widths in characters mean
// the same; only cells the model never touched take Calibri when typed into.
void writeWorkbookFile(const Workbook& workbook, const std::string& fileName, const std::string& tempFolder) {
    if (workbook.sheets.empty())
        throw std::runtime_error("A workbook needs at least one sheet.");
    const CNumericLocale numbers;
    std::string folder = tempFolder;
    lxw_workbook_options options{};
    options.tmpdir = folder.data();
    std::unique_ptr<lxw_workbook, WorkbookFree> wb(workbook_new_opt(fileName.c_str(), &options));
    if (!wb)
        throw std::runtime_error("Out of memory for the workbook.");

    StyleTable styles(wb.get(), workbook.formats);
    std::vector<lxw_worksheet*> worksheets;
    for (const auto& sheet : workbook.sheets) {
        const std::string name = validUtf8(sheet->name);
        checkSheetName(wb.get(), sheet->name, name);
        lxw_worksheet* ws = workbook_add_worksheet(wb.get(), name.c_str());
        if (!ws)
            throw std::runtime_error("Cannot add the sheet \"" + sheet->name + "\".");
        writeSheet(ws, *sheet, styles);
        worksheets.push_back(ws);
    }
    worksheet_activate(
        worksheets[static_cast<std::size_t>(std::clamp(workbook.activeSheet, 0, workbook.sheetCount() - 1))]);

    // workbook_close frees the workbook whatever it returns.
    const lxw_error error = workbook_close(wb.release());
    if (error != LXW_NO_ERROR)
        throw std::runtime_error(std::string("Cannot write the workbook: ") + lxw_strerror(error));
}

} // namespace sheet::xlsx
