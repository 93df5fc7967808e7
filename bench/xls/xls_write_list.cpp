// The .xls layer alone, process to process: reads a phone list from CSV, builds
// the formatted phone-list sheet straight on the model (row heights estimated
// from the text length, as the peer writers do, instead of measured in fonts),
// writes it, then reads the file back and checks the row count. Compared in
// bench/run_all.sh with python3-xlwt and Spreadsheet::WriteExcel doing the same.
//
//     xls_write_list LIST.csv OUT.xls

#include "phonelist/files/list_input.h"
#include "sheet/xls/xls_io.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <exception>

using namespace sheet;

namespace {

constexpr std::array<double, 9> kWidths{2, 10.43, 10, 13, 24.71, 13.43, 12.43, 12.43, 18.43};

CellFormat sheetFormat() {
    CellFormat f;
    f.font.name = "Century Gothic";
    f.fill = 2;
    return f;
}

int linesNeeded(const PhoneListRow& row) {
    int lines = 1;
    for (size_t k = 0; k < row.size(); ++k) {
        const int perLine = std::max(1, int(kWidths[k + 1] * 1.1));
        lines = std::max(lines, int((row[k].size() + perLine - 1) / perLine));
    }
    return lines;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fputs("usage: xls_write_list LIST.csv OUT.xls\n", stderr);
        return 2;
    }
    try {
        const auto rows = readPhoneListCsv(QString::fromLocal8Bit(argv[1]));
        Workbook wb;
        Sheet& s = wb.addSheet("Phone List");
        const FormatId base = wb.formats.intern(sheetFormat());
        for (int c = 0; c < kMaxColumns; ++c)
            s.columns[size_t(c)].format = base;
        for (size_t c = 0; c < kWidths.size(); ++c)
            s.columns[c].width = kWidths[c];
        const std::array<double, 4> heights{11.25, 34.5, 5.25, 13.5};
        for (int r = 0; r < 4; ++r) {
            s.rowAt(r).height = heights[size_t(r)];
            s.rowAt(r).customHeight = true;
        }

        CellFormat title = sheetFormat();
        title.font.size = 20;
        title.font.color = 49;
        s.cellAt(1, 1) = Cell{std::string("Our Organization's Telephone List"), wb.formats.intern(title)};
        title.font.size = 10;
        s.cellAt(1, 7) = Cell{std::string("Last Updated"), wb.formats.intern(title)};
        CellFormat stamp = sheetFormat();
        stamp.border(Edge::Bottom) = {kLineThin, kAutomatic};
        s.cellAt(1, 8) = Cell{std::string("12/8/2026 9:00 AM"), wb.formats.intern(stamp)};

        CellFormat header = sheetFormat();
        header.fill = 49;
        header.font.bold = true;
        header.font.size = 8;
        header.font.color = 2;
        for (Border& b : header.borders)
            b = {kLineThin, 2};
        const FormatId headerId = wb.formats.intern(header);
        for (int k = 0; k < 8; ++k)
            s.cellAt(3, 1 + k) = Cell{phoneListColumnNames()[size_t(k)].toStdString(), headerId};

        std::array<FormatId, 2> body{};
        for (int i = 0; i < 2; ++i) {
            CellFormat f = sheetFormat();
            f.fill = i ? 19 : 2;
            f.wrap = true;
            f.locked = false;
            for (Border& b : f.borders)
                b = {kLineThin, 15};
            body[size_t(i)] = wb.formats.intern(f);
        }
        for (size_t i = 0; i < rows.size(); ++i) {
            const int r = int(i) + 4;
            for (int k = 0; k < 8; ++k)
                s.cellAt(r, 1 + k) = Cell{rows[i][size_t(k)].toStdString(), body[(i + 1) % 2 == 0 ? 1 : 0]};
            s.rowAt(r).height = 13.5 * linesNeeded(rows[i]);
        }
        s.pageSetup.orientation = Orientation::Landscape;
        s.pageSetup.fitToPages = true;
        s.pageSetup.topMargin = s.pageSetup.bottomMargin = 36;
        s.pageSetup.headerMargin = s.pageSetup.footerMargin = 0;

        xls::writeFile(wb, argv[2]);
        const auto back = xls::readFile(argv[2]);
        if (back->sheetAt(0).rowCount() != s.rowCount()) {
            std::fputs("xls_write_list: the file read back differs\n", stderr);
            return 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "xls_write_list: %s\n", e.what());
        return 1;
    }
    return 0;
}
