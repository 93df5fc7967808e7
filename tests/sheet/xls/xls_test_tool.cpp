// Helper for the real-reader checks: writes a formatted sample workbook (and
// the values it holds as CSV), or prints the values of any .xls as CSV.
//
//     xls_test_tool write-sample out.xls   -> out.xls and out.xls.csv
//     xls_test_tool write-titled out.xls   -> a sheet with repeated rows and a page footer
//     xls_test_tool to-csv in.xls          -> CSV of the first sheet on stdout

#include "sheet/xls/xls_io.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <utility>

using namespace sheet;

namespace {

std::string csvField(const Cell* cell) {
    if (!cell)
        return "";
    if (const double* n = cell->number()) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.15g", *n);
        return buf;
    }
    const std::string* t = cell->text();
    if (!t)
        return "";
    if (t->find_first_of(",\"\n") == std::string::npos)
        return *t;
    std::string q = "\"";
    for (char c : *t) {
        if (c == '"')
            q += '"';
        q += c;
    }
    return q + "\"";
}

void printCsv(const Sheet& s, std::ostream& out) {
    for (int r = 0; r < s.rowCount(); ++r) {
        const Row* row = s.row(r);
        int last = -1;
        for (std::size_t c = 0; c < row->cells.size(); ++c)
            if (row->present[c] && !row->cells[c].isBlank())
                last = static_cast<int>(c);
        for (int c = 0; c <= last; ++c)
            out << (c ? "," : "") << csvField(s.cell(r, c));
        out << "\n";
    }
}

void writeSample(const std::string& path) {
    Workbook wb;
    Sheet& s = wb.addSheet("Phone List");
    CellFormat title;
    title.font = {"Century Gothic", 20, false, false, false, false, 49};
    title.hAlign = HAlign::Center;
    CellFormat header;
    header.font = {"Century Gothic", 8, true, false, false, false, 2};
    header.fill = 49;
    CellFormat data[2];
    for (int i = 0; i < 2; ++i) {
        data[i].font = {"Century Gothic", 10, false, i == 1, false, false, kAutomatic};
        for (Border& b : data[i].borders)
            b = {kLineThin, 15};
        data[i].wrap = true;
        data[i].locked = false;
        data[i].vAlign = VAlign::Center;
    }
    data[0].fill = 19;
    const FormatId titleId = wb.formats.intern(title), headerId = wb.formats.intern(header);
    const FormatId dataId[2] = {wb.formats.intern(data[0]), wb.formats.intern(data[1])};
    s.cellAt(0, 0) = Cell{std::string("Phone List"), titleId};
    s.merged.push_back({0, 0, 0, 3});
    const char* heads[] = {"Name", "Phone", "Extension", "Notes"};
    for (int c = 0; c < 4; ++c)
        s.cellAt(1, c) = Cell{std::string(heads[c]), headerId};
    for (int r = 2; r < 600; ++r) {
        const FormatId f = dataId[r % 2];
        s.cellAt(r, 0) =
            Cell{"Person " + std::to_string(r) + (r % 3 ? " M\xC3\xBCller" : " \xE5\xBC\xA0\xE4\xBC\x9F"), f};
        s.cellAt(r, 1) = Cell{"+49 30 " + std::to_string(1000000 + r * 37), f};
        s.cellAt(r, 2) = Cell{r % 4 == 0 ? 1.5 * r : static_cast<double>(r), f};
        s.cellAt(r, 3).format = f; // formatted, empty
    }
    s.cellAt(600, 3) = Cell{std::string(9000, 'L'), dataId[0]};
    s.rowAt(0).height = 34.5;
    s.rowAt(0).customHeight = true;
    const double widths[] = {18.43, 13.43, 10.43, 24.71};
    for (int c = 0; c < 4; ++c)
        s.columns[static_cast<std::size_t>(c)].width = widths[c];
    s.pageSetup.orientation = Orientation::Landscape;
    s.pageSetup.fitToPages = true;
    s.pageSetup.printArea = CellRange{0, 0, 600, 3};
    s.activeRow = 5;
    s.activeColumn = 1;
    s.selection = {{5, 1, 5, 1}};
    xls::writeFile(wb, path);
    std::ofstream csv(path + ".csv");
    printCsv(s, csv);
}

// A short list printed landscape, one page wide and as many tall as it takes,
// repeating row 5 (its column headings) and numbering the pages in the footer.
void writeTitled(const std::string& path) {
    Workbook wb;
    Sheet& s = wb.addSheet("Titled");
    s.cellAt(0, 0).value = std::string("Titled list");
    const char* heads[] = {"Name", "Phone"};
    for (int c = 0; c < 2; ++c)
        s.cellAt(4, c).value = std::string(heads[c]);
    for (int r = 5; r < 12; ++r) {
        s.cellAt(r, 0).value = "Person " + std::to_string(r);
        s.cellAt(r, 1).value = static_cast<double>(1000 + r);
    }
    PageSetup& ps = s.pageSetup;
    ps.orientation = Orientation::Landscape;
    ps.fitToPages = true;
    ps.fitToPagesWide = 1;
    ps.fitToPagesTall = 0;
    ps.printTitleRows = std::pair{4, 4};
    ps.footer = "&CPage &P of &N";
    xls::writeFile(wb, path);
}

// Checks that a file derived from the sample (saved again by another program)
// kept its values and formatting; prints each difference.
int checkSample(const std::string& path) {
    const auto wb = xls::readFile(path);
    const Sheet& s = wb->sheetAt(0);
    int problems = 0;
    auto expect = [&](bool ok, const std::string& what) {
        if (!ok) {
            std::cout << "differs: " << what << "\n";
            ++problems;
        }
    };
    auto format = [&](int r, int c) -> const CellFormat& { return wb->formats.get(s.effectiveFormat(r, c)); };
    const CellFormat& header = format(1, 0);
    expect(header.font.bold && header.font.color == 2 && header.font.name == "Century Gothic" && header.font.size == 8,
           "header font");
    expect(header.fill == 49, "header fill");
    const CellFormat& odd = format(2, 0);
    expect(odd.fill == 19 && odd.wrap && !odd.locked && odd.vAlign == VAlign::Center, "data fill, wrap, lock");
    for (const Border& b : odd.borders)
        expect(b.style == kLineThin && b.color == 15, "data border");
    expect(format(3, 0).fill == kAutomatic && format(3, 0).font.italic, "alternate row");
    expect(format(2, 3).fill == 19, "formatted empty cell");
    expect(format(0, 0).font.size == 20 && format(0, 0).font.color == 49 && format(0, 0).hAlign == HAlign::Center,
           "title");
    const Row* title = s.row(0);
    expect(title && title->height && std::abs(*title->height - 34.5) < 0.01, "title row height");
    const double widths[] = {18.43, 13.43, 10.43, 24.71};
    for (int c = 0; c < 4; ++c) {
        const auto& w = s.columns[static_cast<std::size_t>(c)].width;
        expect(w && std::abs(*w - widths[c]) < 0.6, "width of column " + std::to_string(c));
    }
    expect(s.merged.size() == 1 && s.merged[0] == CellRange{0, 0, 0, 3}, "merged title");
    expect(s.pageSetup.orientation == Orientation::Landscape, "landscape");
    expect(s.pageSetup.fitToPages && s.pageSetup.fitToPagesWide == 1 && s.pageSetup.fitToPagesTall == 1, "fit");
    expect(s.pageSetup.paperSize == 9, "paper");
    expect(s.pageSetup.printArea == CellRange{0, 0, 600, 3}, "print area");
    expect(std::abs(s.pageSetup.leftMargin - 50.4) < 0.1 && std::abs(s.pageSetup.topMargin - 54) < 0.1, "margins");
    const std::string* text = s.cell(2, 1) ? s.cell(2, 1)->text() : nullptr;
    expect(text && *text == "+49 30 1000074", "phone text");
    return problems ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: xls_test_tool write-sample|write-titled|check-sample|to-csv FILE\n";
        return 2;
    }
    const std::string command = argv[1];
    try {
        if (command == "write-sample") {
            writeSample(argv[2]);
        } else if (command == "write-titled") {
            writeTitled(argv[2]);
        } else if (command == "check-sample") {
            return checkSample(argv[2]);
        } else if (command == "to-csv") {
            const auto wb = xls::readFile(argv[2]);
            printCsv(wb->sheetAt(0), std::cout);
        } else {
            std::cerr << "unknown command " << command << "\n";
            return 2;
        }
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    return 0;
}
