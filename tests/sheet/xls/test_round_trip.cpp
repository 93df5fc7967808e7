// Model -> bytes -> model must give back everything the writer stores.

#include "tests/sheet/xls/workbook_compare.h"

#include "sheet/xls/biff_stream.h"
#include "sheet/xls/workbook_writer.h"
#include "sheet/xls/xls_io.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <utility>
#include <vector>

using namespace sheet;

namespace {

std::unique_ptr<Workbook> roundTrip(const Workbook& wb) {
    const std::vector<std::uint8_t> bytes = xls::writeBytes(wb);
    return xls::readBytes(bytes);
}

// UTF-8 text of n characters cycling through a pattern.
std::string repeated(std::string_view unit, std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i)
        s += unit;
    return s;
}

CellFormat bordered(ColorIndex fill) {
    CellFormat f;
    f.font.name = "Century Gothic";
    f.font.size = 8;
    f.font.bold = true;
    f.font.color = 2;
    f.fill = fill;
    for (Border& b : f.borders)
        b = {kLineThin, 15};
    f.border(Edge::Bottom) = {2, kAutomatic};
    f.hAlign = HAlign::Left;
    f.vAlign = VAlign::Center;
    f.wrap = true;
    f.locked = false;
    return f;
}

} // namespace

TEST(XlsRoundTrip, keepsAnEmptyWorkbook) {
    Workbook wb;
    wb.addSheet("Sheet1");
    const auto back = roundTrip(wb);
    sheet::testing::expectSameWorkbook(wb, *back);
    EXPECT_EQ(back->sheetAt(0).rowCount(), 0);
}

TEST(XlsRoundTrip, keepsTheLastRowAndColumn) {
    Workbook wb;
    Sheet& s = wb.addSheet("Edges");
    s.cellAt(0, 0).value = 1.0;
    s.cellAt(kMaxRows - 1, kMaxColumns - 1).value = std::string("corner");
    s.cellAt(kMaxRows - 1, 0).value = -2.5;
    s.cellAt(0, kMaxColumns - 1).value = 1e300;
    s.merged.push_back({kMaxRows - 3, kMaxColumns - 3, kMaxRows - 2, kMaxColumns - 1});
    s.activeRow = kMaxRows - 1;
    s.activeColumn = kMaxColumns - 1;
    s.selection = {{kMaxRows - 1, kMaxColumns - 1, kMaxRows - 1, kMaxColumns - 1}};
    sheet::testing::expectSameWorkbook(wb, *roundTrip(wb));
}

TEST(XlsRoundTrip, keepsNumbersExactlyWhetherRkOrNot) {
    Workbook wb;
    Sheet& s = wb.addSheet("Numbers");
    const double values[] = {0.0,
                             -0.0,
                             1.0,
                             -1.0,
                             536870911.0,
                             -536870912.0,
                             536870912.0,
                             0.5,
                             0.1,
                             1.25,
                             3.141592653589793,
                             1e-300,
                             -1e300,
                             123456789012345.0,
                             65536.0 * 65536.0};
    int r = 0;
    for (double v : values)
        s.cellAt(r++, 0).value = v;
    const auto back = roundTrip(wb);
    for (int i = 0; i < r; ++i) {
        const double* got = back->sheetAt(0).cell(i, 0)->number();
        ASSERT_NE(got, nullptr);
        EXPECT_EQ(std::bit_cast<std::uint64_t>(*got), std::bit_cast<std::uint64_t>(values[i])) << values[i];
    }
}

TEST(XlsRoundTrip, keepsLongTexts) {
    Workbook wb;
    Sheet& s = wb.addSheet("Long");
    s.cellAt(0, 0).value = repeated("a", 1024);
    s.cellAt(1, 0).value = repeated("b", 32767);
    s.cellAt(2, 0).value = repeated("\xD0\x96", 32767);         // Cyrillic Zhe: UTF-16 data
    s.cellAt(3, 0).value = repeated("\xF0\x9F\x93\x9E", 16383); // outside the BMP: surrogate pairs
    sheet::testing::expectSameWorkbook(wb, *roundTrip(wb));
}

TEST(XlsRoundTrip, rejectsTextsLongerThanACellHolds) {
    Workbook wb;
    wb.addSheet("Long").cellAt(4, 2).value = repeated("x", 32768);
    try {
        xls::writeBytes(wb);
        FAIL() << "no error";
    } catch (const std::invalid_argument& e) {
        EXPECT_NE(std::string(e.what()).find("C5"), std::string::npos) << e.what();
    }
}

TEST(XlsRoundTrip, splitsSharedStringsAtEveryKindOfBoundary) {
    // Lengths stepping by one shift where each record ends, so the table of
    // well over 8,224 bytes gets split in headers, 8-bit data and UTF-16 data.
    Workbook wb;
    Sheet& s = wb.addSheet("Strings");
    int row = 0;
    for (int len = 1; len < 700; len += 1) {
        std::string latin = repeated("\xC3\xA9", static_cast<std::size_t>(len)) + std::to_string(len);    // 8-bit
        std::string wide = repeated("\xE2\x82\xAC", static_cast<std::size_t>(len)) + std::to_string(len); // UTF-16
        std::string mixed =
            "x" + repeated("\xF0\x9F\x98\x80", static_cast<std::size_t>(len % 40)) + std::to_string(len);
        s.cellAt(row, 0).value = latin;
        s.cellAt(row, 1).value = wide;
        s.cellAt(row, 2).value = mixed;
        s.cellAt(row, 3).value = std::string(); // empty text is still text
        ++row;
    }
    s.cellAt(row, 0).value = std::string("repeated");
    s.cellAt(row, 1).value = std::string("repeated");
    sheet::testing::expectSameWorkbook(wb, *roundTrip(wb));
}

TEST(XlsRoundTrip, keepsFormatsWidthsHeightsMergesAndSelection) {
    Workbook wb;
    Sheet& s = wb.addSheet("Phone List");
    Sheet& other = wb.addSheet("Second");
    wb.activeSheet = 1;
    const FormatId odd = wb.formats.intern(bordered(19));
    const FormatId even = wb.formats.intern(bordered(kAutomatic));
    CellFormat title;
    title.font.size = 20;
    title.font.italic = true;
    title.font.underline = true;
    title.font.strikeout = true;
    title.font.color = 49;
    title.hAlign = HAlign::CenterAcross;
    title.vAlign = VAlign::Top;
    title.hidden = true;
    title.numberFormat = "0.00";
    const FormatId titleId = wb.formats.intern(title);
    CellFormat custom;
    custom.numberFormat = "[$-409]dddd, mmmm dd, yyyy";
    custom.border(Edge::Left) = {13, 56};
    custom.fill = 1;
    const FormatId customId = wb.formats.intern(custom);

    s.cellAt(0, 0) = Cell{std::string("Phone List"), titleId};
    s.merged.push_back({0, 0, 0, 8});
    s.merged.push_back({1, 0, 1, 0}); // a one-cell merge is not stored
    for (int c = 1; c <= 8; ++c)
        s.cellAt(0, c).format = titleId; // formatted blanks in a row: MULBLANK
    for (int r = 1; r < 40; ++r)
        for (int c = 0; c < 9; ++c)
            s.cellAt(r, c) = Cell{std::string("r") + std::to_string(r) + "c" + std::to_string(c), r % 2 ? odd : even};
    s.cellAt(41, 3) = Cell{45678.0, customId};
    s.cellAt(42, 5).format = customId; // a lone formatted blank: BLANK
    s.rowAt(0).height = 34.5;
    s.rowAt(0).customHeight = true;
    s.rowAt(5).height = 20.25; // measured, not set by hand
    s.rowAt(50).format = odd;  // a formatted row without cells
    s.rowAt(51).height = 5.25;
    s.rowAt(51).customHeight = true;
    const double widths[] = {10.43, 2, 13, 24.71, 0.5, 10.5, 100, 8.43, 3.14};
    for (int c = 0; c < 9; ++c)
        s.columns[static_cast<std::size_t>(c)].width = widths[c];
    s.columns[20].hidden = true;
    s.columns[20].width = 4;
    for (int c = 30; c < kMaxColumns; ++c)
        s.columns[static_cast<std::size_t>(c)].format = even; // to the last column
    s.defaultRowHeight = 15;
    PageSetup& ps = s.pageSetup;
    ps.orientation = Orientation::Landscape;
    ps.paperSize = 1;
    ps.fitToPages = true;
    ps.fitToPagesWide = 1;
    ps.fitToPagesTall = 0;
    ps.zoom = 85;
    ps.leftMargin = 50.4;
    ps.rightMargin = 36;
    ps.topMargin = 0;
    ps.bottomMargin = 13.37;
    ps.headerMargin = 0;
    ps.footerMargin = 7.2;
    ps.printComments = PrintComments::AtEnd;
    ps.printArea = CellRange{0, 0, 599, 8};
    s.activeRow = 5;
    s.activeColumn = 1;
    s.selection = {{2, 0, 3, 2}, {5, 1, 9, 4}, {60000, 200, 65535, 255}};
    other.pageSetup.printComments = PrintComments::InPlace;
    other.cellAt(3, 3).value = std::string("other");
    other.selection.clear(); // no selection: the active cell is selected
    other.pageSetup.printArea = CellRange{3, 3, 3, 3};
    const auto back = roundTrip(wb);
    other.selection = {{0, 0, 0, 0}};
    s.merged.pop_back();
    sheet::testing::expectSameWorkbook(wb, *back);
}

TEST(XlsRoundTrip, keepsPrintTitlesHeadersAndFooters) {
    Workbook wb;
    Sheet& titlesOnly = wb.addSheet("Titles");
    Sheet& both = wb.addSheet("Both");
    Sheet& plain = wb.addSheet("Plain");
    titlesOnly.pageSetup.printTitleRows = std::pair{4, 4}; // alone, it still needs the EXTERNSHEET entries
    titlesOnly.pageSetup.footer = "&CPage &P of &N";
    titlesOnly.pageSetup.fitToPages = true;
    titlesOnly.pageSetup.fitToPagesWide = 1;
    titlesOnly.pageSetup.fitToPagesTall = 0; // as many pages as it takes
    both.pageSetup.printArea = CellRange{0, 0, 99, 5};
    both.pageSetup.printTitleRows = std::pair{kMaxRows - 2, kMaxRows - 1};
    both.pageSetup.header = "&L\xC3\x9C"
                            "bersicht &&Co&C&D&R\xE2\x82\xAC " +
                            repeated("x", 231); // UTF-16, 255 long
    both.pageSetup.footer = "&R&F";
    plain.pageSetup.header = "&CPlain"; // 8-bit, with no names at all around it
    const auto back = roundTrip(wb);
    sheet::testing::expectSameWorkbook(wb, *back);
    EXPECT_EQ(back->sheetAt(0).pageSetup.printTitleRows, (std::pair{4, 4}));
    EXPECT_EQ(back->sheetAt(0).pageSetup.fitToPagesTall, 0);
    EXPECT_EQ(back->sheetAt(1).pageSetup.header, both.pageSetup.header);
    EXPECT_FALSE(back->sheetAt(2).pageSetup.printTitleRows);

    both.pageSetup.footer = repeated("y", 256);
    EXPECT_THROW(xls::writeBytes(wb), std::invalid_argument);
}

TEST(XlsRoundTrip, writesPrintNamesInOrderOfTheirCodeThenSheet) {
    Workbook wb;
    for (const char* name : {"A", "B", "C"})
        wb.addSheet(name);
    wb.sheetAt(0).pageSetup.printTitleRows = std::pair{0, 1};
    wb.sheetAt(1).pageSetup.printArea = CellRange{0, 0, 9, 9};
    wb.sheetAt(2).pageSetup.printArea = CellRange{0, 0, 1, 1};
    wb.sheetAt(2).pageSetup.printTitleRows = std::pair{2, 2};
    const std::vector<std::uint8_t> stream = xls::writeWorkbookStream(wb);
    std::vector<std::pair<int, int>> names; // built-in code, 1-based sheet
    std::vector<std::uint16_t> ids;
    xls::RecordCursor cursor(stream, 0);
    xls::Record rec;
    while (cursor.next(rec) && rec.id != xls::rid::Eof) {
        ids.push_back(rec.id);
        if (rec.id == xls::rid::Name)
            names.emplace_back(rec.data[15], rec.data[8]);
    }
    EXPECT_EQ(names, (std::vector<std::pair<int, int>>{{6, 2}, {6, 3}, {7, 1}, {7, 3}}));
    const auto at = [&](std::uint16_t id) { return std::find(ids.begin(), ids.end(), id) - ids.begin(); };
    EXPECT_LT(at(xls::rid::SupBook), at(xls::rid::ExternSheet));
    EXPECT_LT(at(xls::rid::ExternSheet), at(xls::rid::Name));
}

TEST(XlsRoundTrip, splitsMoreMergedAreasThanOneRecordHolds) {
    Workbook wb;
    Sheet& s = wb.addSheet("Merges");
    for (int i = 0; i < 3000; ++i)
        s.merged.push_back({i, 0, i, 1 + i % 5});
    sheet::testing::expectSameWorkbook(wb, *roundTrip(wb));
}

TEST(XlsRoundTrip, savesThroughATemporaryFile) {
    Workbook wb;
    wb.addSheet("S").cellAt(0, 0).value = std::string("saved");
    const std::string path = ::testing::TempDir() + "/round_trip_save.xls";
    xls::writeFile(wb, path);
    sheet::testing::expectSameWorkbook(wb, *xls::readFile(path));
    EXPECT_THROW(xls::writeFile(wb, ::testing::TempDir() + "/no/such/dir/x.xls"), std::runtime_error);
    EXPECT_THROW(xls::readFile(::testing::TempDir() + "/no/such/file.xls"), xls::FormatError);
}

TEST(XlsRoundTrip, savingNeitherFollowsPlantedLinksNorChangesPermissions) {
    Workbook wb;
    wb.addSheet("S").cellAt(0, 0).value = std::string("saved");
    const std::string dir = ::testing::TempDir();
    const std::string path = dir + "/planted_save.xls";
    const std::string victim = dir + "/planted_victim.txt";
    std::remove(path.c_str());
    { std::ofstream(victim) << "keep me"; }
    // A link under the fixed side-file name a writer might use.
    std::remove((path + ".tmp-save").c_str());
    ASSERT_EQ(::symlink(victim.c_str(), (path + ".tmp-save").c_str()), 0);
    { std::ofstream(path) << "old"; }
    ::chmod(path.c_str(), 0640);

    xls::writeFile(wb, path);
    sheet::testing::expectSameWorkbook(wb, *xls::readFile(path));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    std::ifstream in(victim);
    std::string kept;
    std::getline(in, kept);
    EXPECT_EQ(kept, "keep me");
}

TEST(XlsRoundTrip, refusesToSaveUnderALinkName) {
    Workbook wb;
    wb.addSheet("S").cellAt(0, 0).value = std::string("saved");
    const std::string dir = ::testing::TempDir();
    const std::string path = dir + "/link_named.xls";
    const std::string victim = dir + "/link_victim.txt";
    { std::ofstream(victim) << "keep me"; }
    std::remove(path.c_str());
    ASSERT_EQ(::symlink(victim.c_str(), path.c_str()), 0);

    EXPECT_THROW(xls::writeFile(wb, path), std::runtime_error);
    struct stat st {};
    ASSERT_EQ(::lstat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    std::ifstream in(victim);
    std::string kept;
    std::getline(in, kept);
    EXPECT_EQ(kept, "keep me");
    std::remove(path.c_str());
}
