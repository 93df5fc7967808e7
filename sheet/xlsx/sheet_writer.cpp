#include "sheet/xlsx/sheet_writer.h"

#include "sheet/xlsx/format_mapping.h"
#include "sheet/xlsx/style_table.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

namespace sheet::xlsx {
namespace {

constexpr std::size_t kMaxText = 32767;         // UTF-16 units in one cell
constexpr double kMaxRowHeight = 409.5;         // points
constexpr double kMaxColumnWidth = 255;         // characters
constexpr double kSmallestHeaderMargin = 0.001; // inches; see setHeaderFooter()

std::string onSheet(const Sheet& sheet) {
    return " on sheet \"" + sheet.name + "\"";
}

void check(lxw_error error, const std::string& what) {
    if (error != LXW_NO_ERROR)
        throw std::runtime_error(what + ": " + lxw_strerror(error));
}

double defaultRowHeight(const Sheet& sheet) {
    return std::isfinite(sheet.defaultRowHeight) ? std::clamp(sheet.defaultRowHeight, 0.0, kMaxRowHeight)
                                                 : LXW_DEF_ROW_HEIGHT;
}

std::string rangeName(const CellRange& r) {
    return cellName(r.firstRow, r.firstColumn) + ":" + cellName(r.lastRow, r.lastColumn);
}

// Runs of equal columns, each written once. The model's sheet ends at column IV
// and the file's at XFD: a run reaching the model's last column goes on to the
// file's, so that a format given to whole rows (the phone list's white sheet)
// covers the columns the .xlsx adds too.
void writeColumns(lxw_worksheet* ws, const Sheet& sheet, StyleTable& styles) {
    for (int c = 0; c < kMaxColumns;) {
        const Column& col = sheet.columns[static_cast<std::size_t>(c)];
        int last = c;
        while (last + 1 < kMaxColumns && sheet.columns[static_cast<std::size_t>(last + 1)] == col)
            ++last;
        const bool hasWidth = col.width && std::isfinite(*col.width) && *col.width >= 0;
        if (hasWidth || col.format != 0 || col.hidden) {
            lxw_row_col_options options{};
            options.hidden = col.hidden ? 1 : 0;
            const double width = hasWidth ? std::min(*col.width, kMaxColumnWidth) : LXW_DEF_COL_WIDTH;
            const int fileLast = last == kMaxColumns - 1 ? LXW_COL_MAX - 1 : last;
            check(worksheet_set_column_opt(ws, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(fileLast), width,
                                           col.format != 0 ? styles.format(col.format) : nullptr, &options),
                  "Cannot set column " + columnName(c) + onSheet(sheet));
        }
        c = last + 1;
    }
}

// The library writes a merged area's value and format into every cell of it;
// given no text and no format it writes nothing, so the cells written after it
// keep exactly what the model holds (the first cell's value, every cell's format).
void writeMerges(lxw_worksheet* ws, const Sheet& sheet) {
    std::vector<CellRange> written;
    for (const CellRange& m : sheet.merged) {
        if (m.firstRow == m.lastRow && m.firstColumn == m.lastColumn)
            continue; // a one-cell merge is no merge
        if (m.firstRow < 0 || m.firstColumn < 0 || m.lastRow >= kMaxRows || m.lastColumn >= kMaxColumns ||
            m.firstRow > m.lastRow || m.firstColumn > m.lastColumn)
            throw std::runtime_error("A merged area" + onSheet(sheet) + " lies outside the sheet.");
        // Readers refuse a file whose merged areas overlap, and the library does not check.
        for (const CellRange& w : written)
            if (m.firstRow <= w.lastRow && w.firstRow <= m.lastRow && m.firstColumn <= w.lastColumn &&
                w.firstColumn <= m.lastColumn)
                throw std::runtime_error("The merged areas " + rangeName(w) + " and " + rangeName(m) + onSheet(sheet) +
                                         " overlap.");
        check(worksheet_merge_range(ws, static_cast<lxw_row_t>(m.firstRow), static_cast<lxw_col_t>(m.firstColumn),
                                    static_cast<lxw_row_t>(m.lastRow), static_cast<lxw_col_t>(m.lastColumn), "",
                                    nullptr),
              "Cannot merge " + rangeName(m) + onSheet(sheet));
        written.push_back(m);
    }
}

// Row heights and formats, then the cells. The library marks every height other
// than its 15-point default as set by hand, so an auto-fitted row keeps the height
// this program measured instead of being refitted by the reader.
void writeRows(lxw_worksheet* ws, const Sheet& sheet, StyleTable& styles) {
    const double defaultHeight = defaultRowHeight(sheet);
    for (int r = 0; r < sheet.rowCount(); ++r) {
        const Row* row = sheet.row(r);
        const auto fileRow = static_cast<lxw_row_t>(r);
        const bool hasHeight = row->height && std::isfinite(*row->height);
        if (hasHeight || row->format) {
            const double height = hasHeight ? std::clamp(*row->height, 0.0, kMaxRowHeight) : defaultHeight;
            check(worksheet_set_row(ws, fileRow, height, row->format ? styles.format(*row->format) : nullptr),
                  "Cannot set row " + std::to_string(r + 1) + onSheet(sheet));
        }
        for (std::size_t c = 0; c < row->cells.size(); ++c) {
            if (!row->present[c])
                continue;
            const Cell& cell = row->cells[c];
            const int column = static_cast<int>(c);
            const auto fileColumn = static_cast<lxw_col_t>(c);
            lxw_format* format = styles.format(cell.format);
            auto where = [&] { return "Cell " + cellName(r, column) + onSheet(sheet); };
            lxw_error error;
            if (const std::string* text = cell.text()) {
                if (utf16Length(*text) > kMaxText)
                    throw std::runtime_error(where() + " holds more than 32,767 characters.");
                // An empty text becomes a blank cell: the library stores no empty strings.
                error = worksheet_write_string(ws, fileRow, fileColumn, fileText(*text).c_str(), format);
            } else if (const double* number = cell.number()) {
                if (!std::isfinite(*number))
                    throw std::runtime_error(where() + " holds a number the file cannot store.");
                // The library prints 16 significant digits: a number that needs all 17 comes
                // back a few units off in its last bit (spreadsheets show 15 digits).
                error = worksheet_write_number(ws, fileRow, fileColumn, *number, format);
            } else {
                error = worksheet_write_blank(ws, fileRow, fileColumn, format);
            }
            if (error != LXW_NO_ERROR)
                check(error, "Cannot write " + where());
        }
    }
}

void setHeaderFooter(lxw_worksheet* ws, const Sheet& sheet, const std::string& text, double marginPoints, bool header) {
    // No text, no header: the file keeps a header's margin with its text only, and
    // without one the margin moves nothing on the page.
    if (text.empty())
        return;
    lxw_header_footer_options options{};
    // The library takes a margin of 0 for "the default"; the smallest it keeps
    // prints the same as none.
    options.margin = std::max(pointsToInches(marginPoints), kSmallestHeaderMargin);
    const std::string what = std::string("The ") + (header ? "header" : "footer") + onSheet(sheet);
    // The library looks for a picture for each of these codes, and mishandles its
    // own memory when none is given; the model holds no pictures.
    if (text.find("&G") != std::string::npos || text.find("&[Picture]") != std::string::npos)
        throw std::runtime_error(what + " holds a picture code (&G), and the workbook has no pictures.");
    const std::string fileCodes = validUtf8(text);
    const lxw_error error = header ? worksheet_set_header_opt(ws, fileCodes.c_str(), &options)
                                   : worksheet_set_footer_opt(ws, fileCodes.c_str(), &options);
    if (error == LXW_ERROR_255_STRING_LENGTH_EXCEEDED)
        throw std::runtime_error(what + " is longer than 255 characters.");
    check(error, what + " cannot be written");
}

void writePageSetup(lxw_worksheet* ws, const Sheet& sheet) {
    const PageSetup& ps = sheet.pageSetup;
    if (ps.orientation == Orientation::Landscape)
        worksheet_set_landscape(ws);
    // The object model's paper codes are the file's. 0 is the printer's default;
    // the library takes codes up to 255 only, which every named paper is.
    if (ps.paperSize >= 1 && ps.paperSize <= 255)
        worksheet_set_paper(ws, static_cast<std::uint8_t>(ps.paperSize));
    auto inches = [](double points) { return std::isfinite(points) ? std::max(pointsToInches(points), 0.0) : -1; };
    worksheet_set_margins(ws, inches(ps.leftMargin), inches(ps.rightMargin), inches(ps.topMargin),
                          inches(ps.bottomMargin));
    setHeaderFooter(ws, sheet, ps.header, ps.headerMargin, true);
    setHeaderFooter(ws, sheet, ps.footer, ps.footerMargin, false);

    // The scale is kept while fitting, as the .xls does, for when fitting is turned
    // off; the library makes the last of the two calls the one in force.
    worksheet_set_print_scale(ws, static_cast<std::uint16_t>(std::clamp(ps.zoom, 10, 400)));
    if (ps.fitToPages)
        worksheet_fit_to_pages(ws, static_cast<std::uint16_t>(std::clamp(ps.fitToPagesWide, 0, 32767)),
                               static_cast<std::uint16_t>(std::clamp(ps.fitToPagesTall, 0, 32767)));

    auto rowOf = [](int row) { return static_cast<lxw_row_t>(std::clamp(row, 0, kMaxRows - 1)); };
    auto columnOf = [](int column) { return static_cast<lxw_col_t>(std::clamp(column, 0, kMaxColumns - 1)); };
    if (const auto& area = ps.printArea)
        check(worksheet_print_area(ws, rowOf(std::min(area->firstRow, area->lastRow)),
                                   columnOf(std::min(area->firstColumn, area->lastColumn)),
                                   rowOf(std::max(area->firstRow, area->lastRow)),
                                   columnOf(std::max(area->firstColumn, area->lastColumn))),
              "Cannot set the print area" + onSheet(sheet));
    if (const auto& rows = ps.printTitleRows)
        check(worksheet_repeat_rows(ws, rowOf(std::min(rows->first, rows->second)),
                                    rowOf(std::max(rows->first, rows->second))),
              "Cannot set the print titles" + onSheet(sheet));
    // printComments has nothing to act on: the model holds no comments.
}

// The file has one selected range whose active cell is the corner named first:
// the range holding the active cell when that is one of its corners, else the
// active cell alone. Further ranges of a multiple selection are not kept.
void writeSelection(lxw_worksheet* ws, const Sheet& sheet) {
    const int row = std::clamp(sheet.activeRow, 0, kMaxRows - 1);
    const int column = std::clamp(sheet.activeColumn, 0, kMaxColumns - 1);
    int toRow = row, toColumn = column;
    for (const CellRange& r : sheet.selection) {
        const bool cornerRow = row == r.firstRow || row == r.lastRow;
        const bool cornerColumn = column == r.firstColumn || column == r.lastColumn;
        if (r.contains(row, column) && cornerRow && cornerColumn) {
            toRow = std::clamp(row == r.firstRow ? r.lastRow : r.firstRow, 0, kMaxRows - 1);
            toColumn = std::clamp(column == r.firstColumn ? r.lastColumn : r.firstColumn, 0, kMaxColumns - 1);
            break;
        }
    }
    worksheet_set_selection(ws, static_cast<lxw_row_t>(row), static_cast<lxw_col_t>(column),
                            static_cast<lxw_row_t>(toRow), static_cast<lxw_col_t>(toColumn));
}

} // namespace

void writeSheet(lxw_worksheet* ws, const Sheet& sheet, StyleTable& styles) {
    if (defaultRowHeight(sheet) != LXW_DEF_ROW_HEIGHT)
        worksheet_set_default_row(ws, defaultRowHeight(sheet), LXW_FALSE);
    writeColumns(ws, sheet, styles);
    writeMerges(ws, sheet);
    writeRows(ws, sheet, styles);
    writePageSetup(ws, sheet);
    writeSelection(ws, sheet);
}

} // namespace sheet::xlsx
