// Helper for the real-reader checks: writes an .xlsx and, beside it, what the
// model holds as JSON: {"sheets": [{"name": ..., "cells": [[row, column, value],
// ...], "heights": [[row, points], ...], "widths": [[column, characters], ...]}]},
// zero-based, blank cells left out.
//
//     xlsx_test_tool write-sample out.xlsx      -> every format, cell kind and page setting
//     xlsx_test_tool write-phone-list out.xlsx  -> the phone-list sheet as the report lays it out

#include "sheet/xlsx/xlsx_io.h"

#include "tests/sheet/render/phone_list_sheet.h"

#include <QGuiApplication>

#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>
#include <locale>
#include <string>

using namespace sheet;

namespace {

std::string jsonString(const std::string& s) {
    std::string out = "\"";
    for (char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += ch; // UTF-8 as it is; the check decodes malformed bytes as U+FFFD
        }
    }
    return out + "\"";
}

void writeValues(const Workbook& wb, const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    out.imbue(std::locale::classic());
    out.precision(17);
    out << "{\"sheets\": [";
    for (int i = 0; i < wb.sheetCount(); ++i) {
        const Sheet& s = wb.sheetAt(i);
        out << (i ? ", " : "") << "{\"name\": " << jsonString(s.name) << ", \"cells\": [";
        bool first = true;
        for (int r = 0; r < s.rowCount(); ++r) {
            const Row* row = s.row(r);
            for (std::size_t c = 0; c < row->cells.size(); ++c) {
                if (!row->present[c] || row->cells[c].isBlank())
                    continue;
                const Cell& cell = row->cells[c];
                out << (first ? "" : ", ") << "[" << r << ", " << c << ", ";
                if (const double* n = cell.number()) {
                    out << *n; // the classic locale: the program's may write a decimal comma
                } else {
                    out << jsonString(*cell.text());
                }
                out << "]";
                first = false;
            }
        }
        out << "], \"heights\": [";
        first = true;
        for (int r = 0; r < s.rowCount(); ++r)
            if (const auto& h = s.row(r)->height) {
                out << (first ? "" : ", ") << "[" << r << ", " << *h << "]";
                first = false;
            }
        out << "], \"widths\": [";
        first = true;
        for (std::size_t c = 0; c < s.columns.size(); ++c)
            if (const auto& w = s.columns[c].width) {
                out << (first ? "" : ", ") << "[" << c << ", " << *w << "]";
                first = false;
            }
        out << "]}";
    }
    out << "]}\n";
}

FormatId with(Workbook& wb, const std::function<void(CellFormat&)>& change) {
    CellFormat f;
    change(f);
    return wb.formats.intern(f);
}

void put(Sheet& s, int row, int column, CellValue value, FormatId format = 0) {
    s.cellAt(row, column) = Cell{std::move(value), format};
}

// Each thing the model holds at least once; check_xlsx_readers.py knows the same
// layout cell by cell.
void buildSample(Workbook& wb) {
    Sheet& s = wb.addSheet("Phone List");
    const FormatId title = with(wb, [](CellFormat& f) {
        f.font = {"Century Gothic", 20, true, false, false, false, 49};
        f.hAlign = HAlign::Center;
        f.vAlign = VAlign::Center;
    });
    put(s, 0, 0, std::string("Phone List"), title);
    put(s, 0, 1, std::monostate{}, with(wb, [](CellFormat& f) { f.fill = 19; })); // inside the merge, own format
    s.merged.push_back({0, 0, 0, 3});
    s.rowAt(0).height = 34.5;
    s.rowAt(0).customHeight = true;

    const HAlign aligns[] = {HAlign::Left,    HAlign::Center, HAlign::Right,
                             HAlign::Justify, HAlign::Fill,   HAlign::CenterAcross};
    const char* heads[] = {"Name", "Phone", "Count", "Notes", "F", "Across"};
    for (int c = 0; c < 6; ++c)
        put(s, 1, c, std::string(heads[c]), with(wb, [&](CellFormat& f) {
                f.font = {"Century Gothic", 8, true, false, false, false, 2};
                f.fill = 49;
                for (Border& b : f.borders)
                    b = {kLineThin, 2};
                f.hAlign = aligns[c];
            }));

    const VAlign valigns[] = {VAlign::Top, VAlign::Center, VAlign::Bottom, VAlign::Justify};
    for (int c = 0; c < 4; ++c)
        put(s, 2, c, std::string("v") + std::to_string(c), with(wb, [&](CellFormat& f) { f.vAlign = valigns[c]; }));
    s.rowAt(2).height = 30;
    s.rowAt(2).customHeight = true;

    // Line styles 1..13 on the bottom edge, red on odd styles, automatic on even.
    for (int c = 0; c < 13; ++c)
        put(s, 3, c, std::monostate{}, with(wb, [&](CellFormat& f) {
                f.border(Edge::Bottom) = {static_cast<std::uint8_t>(c + 1), (c + 1) % 2 ? 3 : kAutomatic};
                if (c == 0)
                    f.border(Edge::Left) = {2, 1};
            }));

    put(s, 4, 0, std::string("italic"), with(wb, [](CellFormat& f) { f.font.italic = true; }));
    put(s, 4, 1, std::string("underline"), with(wb, [](CellFormat& f) { f.font.underline = true; }));
    put(s, 4, 2, std::string("strikeout"), with(wb, [](CellFormat& f) { f.font.strikeout = true; }));
    put(s, 4, 3, std::string("black"), with(wb, [](CellFormat& f) { f.font.color = 1; }));
    put(s, 4, 4, std::string("automatic"));
    put(s, 4, 5, std::string("ten and a half"), with(wb, [](CellFormat& f) { f.font.size = 10.5; }));
    put(s, 4, 6, std::string("white on black"), with(wb, [](CellFormat& f) {
            f.font.color = 2;
            f.fill = 1;
        }));

    auto numberFormat = [&](const char* code) { return with(wb, [&](CellFormat& f) { f.numberFormat = code; }); };
    put(s, 5, 0, 2.5, numberFormat("0.00"));
    put(s, 5, 1, -1e-7);
    put(s, 5, 2, 1234567.891, numberFormat("#,##0"));
    put(s, 5, 3, 0.125, numberFormat("0.000%"));
    put(s, 5, 4, std::string("0123"), numberFormat("@"));
    put(s, 5, 5, 46000.0, numberFormat("m/d/yy"));
    put(s, 5, 6, 1.0 / 3);

    put(s, 6, 0, std::string("M\xC3\xBCller \xE5\xBC\xA0\xE4\xBC\x9F \xF0\x9F\x93\x9E"));
    put(s, 6, 1, std::string("line one\nline two"), with(wb, [](CellFormat& f) { f.wrap = true; }));
    put(s, 6, 2, std::string("_x0041_"));
    put(s, 6, 3,
        std::string("A\xFF"
                    "B"));
    put(s, 6, 4, std::monostate{}, with(wb, [](CellFormat& f) {
            f.fill = 19;
            f.locked = false;
            f.hidden = true;
        }));
    put(s, 6, 5, std::string());
    put(s, 7, 0, std::string(9000, 'L'));

    // Data rows: alternating fills, grey borders, heights as auto-fit leaves them.
    for (int r = 8; r < 30; ++r) {
        const FormatId data = with(wb, [&](CellFormat& f) {
            f.font.name = "Century Gothic";
            for (Border& b : f.borders)
                b = {kLineThin, 15};
            f.fill = r % 2 ? kAutomatic : 19;
            f.wrap = true;
            f.locked = false;
            f.vAlign = VAlign::Center;
        });
        put(s, r, 0, "Person " + std::to_string(r), data);
        put(s, r, 1, "+49 30 " + std::to_string(1000000 + r * 37), data);
        put(s, r, 2, static_cast<double>(r), data);
        put(s, r, 3, std::monostate{}, data);
        s.rowAt(r).height = 14.25;
        s.rowAt(r).customHeight = false;
    }
    s.rowAt(31).format = with(wb, [](CellFormat& f) { f.fill = 35; });
    s.rowAt(32).height = 5.25;
    s.rowAt(32).customHeight = true;

    const double widths[] = {18.43, 13.43, 10.43, 24.71};
    for (int c = 0; c < 4; ++c)
        s.columns[static_cast<std::size_t>(c)].width = widths[c];
    s.columns[4].width = 5;
    s.columns[4].hidden = true;
    s.columns[5].format = with(wb, [](CellFormat& f) { f.fill = 19; });
    s.columns[6].width = 2;
    const FormatId white = with(wb, [](CellFormat& f) { f.fill = 2; });
    for (std::size_t c = 13; c < kMaxColumns; ++c)
        s.columns[c].format = white;

    PageSetup& ps = s.pageSetup;
    ps.orientation = Orientation::Landscape;
    ps.paperSize = 9;
    ps.leftMargin = 50.4;
    ps.rightMargin = 36;
    ps.topMargin = 54;
    ps.bottomMargin = 72;
    ps.headerMargin = 14.4;
    ps.footerMargin = 21.6;
    ps.header = "&LPhone List&RPrinted &D";
    ps.footer = "&CPage &P of &N";
    ps.fitToPages = true;
    ps.fitToPagesWide = 1;
    ps.fitToPagesTall = 0;
    ps.zoom = 85;
    ps.printArea = CellRange{0, 0, 39, 3};
    ps.printTitleRows = std::pair{1, 1};
    s.activeRow = 8;
    s.activeColumn = 1;
    s.selection = {{8, 1, 10, 2}};

    Sheet& notes = wb.addSheet("Bob's Notes");
    put(notes, 0, 0, std::string("Note"));
    put(notes, 1, 1, 42.0);
    notes.pageSetup.paperSize = 1;
    notes.pageSetup.zoom = 75;
    notes.pageSetup.printArea = CellRange{0, 0, 1, 1};
    notes.activeRow = 3;
    notes.activeColumn = 3;
    notes.selection = {{0, 0, 0, 0}, {2, 2, 3, 3}};
    wb.activeSheet = 1;
}

// The phone list of 40 entries with the page setup the report gives it when the
// list runs one page wide and as many tall as it needs.
void buildPhoneList(Workbook& wb) {
    phone_list_sheet::build(wb, 40);
    PageSetup& ps = wb.sheetAt(0).pageSetup;
    ps.leftMargin = ps.rightMargin = 50.4;
    ps.topMargin = ps.bottomMargin = 36;
    ps.headerMargin = 0;
    ps.footerMargin = 21.6;
    ps.orientation = Orientation::Landscape;
    ps.paperSize = 9;
    ps.fitToPages = true;
    ps.fitToPagesWide = 1;
    ps.fitToPagesTall = 0;
    ps.printTitleRows = std::pair{3, 3};
    ps.footer = "&CPage &P of &N";
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // auto-fit measures text
    if (argc != 3) {
        std::cerr << "usage: xlsx_test_tool write-sample|write-phone-list FILE\n";
        return 2;
    }
    const std::string command = argv[1], path = argv[2];
    try {
        Workbook wb;
        if (command == "write-sample") {
            buildSample(wb);
        } else if (command == "write-phone-list") {
            buildPhoneList(wb);
        } else {
            std::cerr << "unknown command " << command << "\n";
            return 2;
        }
        xlsx::writeFile(wb, path);
        writeValues(wb, path + ".json");
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    return 0;
}
