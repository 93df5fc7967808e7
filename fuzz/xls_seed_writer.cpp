// Writes a few small workbooks into a folder, as the fuzzer's seed corpus.
//
//     xls_seed_writer DIR

#include "sheet/xls/xls_io.h"

#include <iostream>
#include <string>

using namespace sheet;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: xls_seed_writer DIR\n";
        return 2;
    }
    const std::string dir = argv[1];
    {
        Workbook wb;
        wb.addSheet("Empty");
        xls::writeFile(wb, dir + "/empty.xls");
    }
    {
        Workbook wb;
        Sheet& s = wb.addSheet("Phone List");
        Sheet& t = wb.addSheet("Second");
        wb.activeSheet = 1;
        CellFormat f;
        f.font.name = "Century Gothic";
        f.font.bold = true;
        f.font.color = 49;
        f.fill = 19;
        f.border(Edge::Top) = {kLineThin, 15};
        f.wrap = true;
        f.numberFormat = "0.000";
        const FormatId id = wb.formats.intern(f);
        for (int r = 0; r < 12; ++r) {
            s.cellAt(r, 0) = Cell{std::string("Name ") + std::to_string(r), id};
            s.cellAt(r, 1).value = r * 0.25;
            s.cellAt(r, 2).value = 1e10 + r;
            s.cellAt(r, 3).format = id;
            s.cellAt(r, 4).format = id;
        }
        s.cellAt(13, 0).value = std::string("\xE2\x82\xAC uro \xF0\x9F\x93\x9E");
        s.rowAt(0).height = 30;
        s.rowAt(0).customHeight = true;
        s.rowAt(20).format = id;
        s.columns[0].width = 18.43;
        s.columns[5].format = id;
        s.merged.push_back({14, 0, 15, 2});
        s.pageSetup.orientation = Orientation::Landscape;
        s.pageSetup.fitToPages = true;
        s.selection = {{2, 1, 4, 3}};
        s.activeRow = 2;
        s.activeColumn = 1;
        t.cellAt(0, 0).value = std::string("other");
        xls::writeFile(wb, dir + "/formatted.xls");
    }
    {
        Workbook wb;
        Sheet& s = wb.addSheet("Strings");
        for (int r = 0; r < 40; ++r)
            s.cellAt(r, 0).value = std::string(static_cast<std::size_t>(200 + r), static_cast<char>('a' + r % 26)) +
                                   (r % 2 ? "\xD0\x96" : "");
        xls::writeFile(wb, dir + "/continued_strings.xls");
    }
    return 0;
}
