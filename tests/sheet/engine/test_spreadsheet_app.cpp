#include "sheet/engine/app_factory.h"
#include "sheet/engine/spreadsheet_app.h"
#include "sheet/render/sheet_render.h"
#include "sheet/xls/xls_io.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>

#include <unistd.h>

using namespace sheet;
using namespace sheet::om;

namespace {

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        app = engineFactory().create();
        app->Workbooks().Add();
    }
    void TearDown() override {
        if (!app->hasQuit())
            app->Quit();
    }
    const CellFormat& formatAt(const std::string& address) {
        const Range r = app->Range(address);
        const CellRange a = r.areas().front();
        return r.workbookModel().formats.get(r.model().effectiveFormat(a.firstRow, a.firstColumn));
    }
    sheet::Border edgeAt(const std::string& address, Edge edge) { return formatAt(address).border(edge); }

    std::shared_ptr<SpreadsheetApp> app;
};

} // namespace

TEST_F(EngineTest, newWorkbookHasThreeSheetsAndBecomesActive) {
    EXPECT_EQ(app->Workbooks().Count(), 1);
    EXPECT_EQ(app->Sheets().Count(), 3);
    EXPECT_EQ(app->Sheets().Item(1).Name(), "Sheet1");
    EXPECT_EQ(app->Sheets().Item(3).Name(), "Sheet3");
    EXPECT_EQ(app->ActiveSheet().Name(), "Sheet1");
    const om::Workbook second = app->Workbooks().Add();
    EXPECT_EQ(app->Workbooks().Count(), 2);
    EXPECT_EQ(app->ActiveWorkbook().Name(), second.Name());
    EXPECT_EQ(app->Selection().Address(), "$A$1");
    EXPECT_EQ(app->ActiveCell().Address(), "$A$1");
}

TEST_F(EngineTest, deletesAndRenamesSheets) {
    // What the report does: keep the first sheet only and name it.
    const int toDelete = app->Sheets().Count() - 1;
    for (int i = 0; i < toDelete; ++i)
        app->Sheets().Item(2).Delete();
    EXPECT_EQ(app->Sheets().Count(), 1);
    app->Sheets().Item(app->Sheets().Count()).setName("Phone List");
    EXPECT_EQ(app->ActiveSheet().Name(), "Phone List");
    EXPECT_THROW(app->Sheets().Item(1).Delete(), std::runtime_error); // the last sheet stays
    EXPECT_THROW(app->Sheets().Item(2), std::runtime_error);
    EXPECT_THROW(app->Sheets().Item(0), std::runtime_error);
}

TEST_F(EngineTest, deletingTheActiveSheetActivatesANeighbour) {
    Worksheet third = app->Sheets().Item(3);
    third.Select();
    third.Delete();
    EXPECT_EQ(app->ActiveSheet().Name(), "Sheet2");
    EXPECT_THROW(third.Name(), std::runtime_error); // the handle outlived its sheet
    app->Sheets().Item(1).Select();
    app->Sheets().Item(1).Delete();
    EXPECT_EQ(app->ActiveSheet().Name(), "Sheet2");
}

TEST_F(EngineTest, rejectsBadSheetNames) {
    Worksheet s = app->Sheets().Item(1);
    for (const char* bad : {"", "a:b", "a/b", "a\\b", "a?", "a*", "[a]", "0123456789012345678901234567890x", "SHEET2"})
        EXPECT_THROW(s.setName(bad), std::runtime_error) << bad;
    EXPECT_EQ(s.Name(), "Sheet1");
    s.setName("sheet1"); // its own name in another case is fine
    EXPECT_EQ(s.Name(), "sheet1");
}

TEST_F(EngineTest, keepsApplicationSettings) {
    app->setScreenUpdating(false);
    app->setDisplayAlerts(false);
    app->setEnableEvents(false);
    app->setVisible(false);
    app->setEnableCancelKey(xlDisabled);
    app->setCursor(xlWait);
    EXPECT_FALSE(app->ScreenUpdating());
    EXPECT_FALSE(app->DisplayAlerts());
    EXPECT_FALSE(app->EnableEvents());
    EXPECT_EQ(app->EnableCancelKey(), 0);
    EXPECT_EQ(app->Cursor(), xlWait);
    app->setCursor(xlDefault);
    EXPECT_EQ(app->Cursor(), -4143);
    EXPECT_THROW(app->setCursor(7), std::runtime_error);
    EXPECT_THROW(app->setEnableCancelKey(3), std::runtime_error);
    EXPECT_DOUBLE_EQ(app->InchesToPoints(0.7), 50.4);
    EXPECT_DOUBLE_EQ(app->InchesToPoints(0.5), 36);
    EXPECT_EQ(app->defaultMember(), "Microsoft Excel");
    EXPECT_GE(std::stoi(app->Version()), 12);
}

TEST_F(EngineTest, aQuitInstanceAndItsObjectsCannotBeUsedAgain) {
    const Range r = app->Range("B2");
    const om::Workbook wb = app->ActiveWorkbook();
    app->Quit();
    EXPECT_TRUE(app->hasQuit());
    EXPECT_THROW(app->Version(), std::runtime_error);
    EXPECT_THROW(app->Workbooks(), std::runtime_error);
    EXPECT_THROW(app->setScreenUpdating(true), std::runtime_error);
    EXPECT_THROW(app->Quit(), std::runtime_error);
    EXPECT_THROW(r.FormulaR1C1(), std::runtime_error);
    EXPECT_THROW(wb.Sheets(), std::runtime_error);
}

TEST_F(EngineTest, closedWorkbookLeavesNoActiveSheet) {
    const Range r = app->Range("A1");
    app->ActiveWorkbook().Close();
    EXPECT_EQ(app->Workbooks().Count(), 0);
    EXPECT_THROW(app->ActiveSheet(), std::runtime_error);
    EXPECT_THROW(app->Range("A1"), std::runtime_error);
    EXPECT_THROW(r.Select(), std::runtime_error);
}

TEST(AppFactory, attachFindsALiveInstanceOfThisProcess) {
    // Other tests' instances have quit; none of them may be found.
    EXPECT_THROW(engineFactory().attach(), std::runtime_error);
    auto first = engineFactory().create();
    auto second = engineFactory().create();
    EXPECT_EQ(engineFactory().attach(), first);
    first->Quit();
    EXPECT_EQ(engineFactory().attach(), second);
    second.reset(); // a released instance is gone too
    EXPECT_THROW(engineFactory().attach(), std::runtime_error);
}

TEST_F(EngineTest, addressesOutsideTheSheetThrow) {
    EXPECT_THROW(app->Range("A65537"), std::runtime_error);
    EXPECT_THROW(app->Range("IW1"), std::runtime_error);
    EXPECT_THROW(app->Range("B4:"), std::runtime_error);
    EXPECT_THROW(app->Rows("0:1"), std::runtime_error);
    EXPECT_THROW(app->Cells(0, 1), std::runtime_error);
    EXPECT_THROW(app->Cells(1, 257), std::runtime_error);
    EXPECT_EQ(app->Cells(65536, 256).Address(), "$IV$65536");
    EXPECT_EQ(app->Rows("1:1").Address(), "$1:$1");
    EXPECT_EQ(app->Columns("A:A").Address(), "$A:$A");
}

TEST_F(EngineTest, selectSetsSelectionAndActiveCell) {
    app->Range("B4:I4").Select();
    EXPECT_EQ(app->Selection().Address(), "$B$4:$I$4");
    EXPECT_EQ(app->ActiveCell().Address(), "$B$4");
    app->ActiveCell().setFormulaR1C1("Last Name");
    EXPECT_EQ(app->Range("B4").FormulaR1C1(), "Last Name");
    EXPECT_EQ(app->Range("C4").FormulaR1C1(), "");
}

TEST_F(EngineTest, unionJoinsTheAreasOfRangesOnOneSheet) {
    const Range both = app->Union({app->Range("B2:C2"), app->Range("E4:F6,H1")});
    EXPECT_EQ(both.Address(), "$B$2:$C$2,$E$4:$F$6,$H$1");
    // Each area takes an edit as it would alone; inside lines only where an area has them.
    both.Interior().setColorIndex(19);
    both.Borders(xlInsideHorizontal).setLineStyle(xlContinuous);
    both.Borders(xlEdgeTop).setColorIndex(15);
    for (const char* a : {"B2", "C2", "E4", "F6", "H1"})
        EXPECT_EQ(formatAt(a).fill, 19) << a;
    EXPECT_EQ(formatAt("D2").fill, formatAt("A1").fill);
    EXPECT_EQ(edgeAt("E5", Edge::Top).style, kLineThin);
    EXPECT_EQ(edgeAt("B2", Edge::Top), (sheet::Border{kLineThin, 15}));
    EXPECT_EQ(edgeAt("E4", Edge::Top), (sheet::Border{kLineThin, 15}));
    EXPECT_EQ(edgeAt("C3", Edge::Top).style, kLineNone);

    EXPECT_THROW(app->Union({}), std::runtime_error);
    app->Sheets().Item(2).Activate();
    EXPECT_THROW(app->Union({both, app->Range("A1")}), std::runtime_error);
}

TEST_F(EngineTest, formulaR1C1EntersTypedInput) {
    app->Range("B5").setFormulaR1C1("0123");
    app->Range("C5").setFormulaR1C1("12345");
    app->Range("D5").setFormulaR1C1("=1+2");
    app->Range("E5").setFormulaR1C1("+44 20 7946 0000");
    EXPECT_EQ(app->Range("B5").Value(), CellValue(std::string("0123")));
    EXPECT_EQ(app->Range("C5").Value(), CellValue(12345.0));
    EXPECT_EQ(app->Range("C5").FormulaR1C1(), "12345");
    EXPECT_EQ(app->Range("D5").Value(), CellValue(std::string("=1+2")));
    EXPECT_EQ(app->Range("E5").FormulaR1C1(), "+44 20 7946 0000");
    app->Range("B5:C5").setFormulaR1C1("");
    EXPECT_EQ(app->Range("B5").Value(), CellValue());
    EXPECT_EQ(app->Range("C5").Value(), CellValue());
}

TEST_F(EngineTest, wholeSheetFormattingStaysInColumnFormats) {
    app->Range("C3").setFormulaR1C1("kept");
    app->Cells().Select();
    app->Selection().Clear();
    EXPECT_EQ(app->Range("C3").Value(), CellValue());
    app->Selection().Font().setName("Century Gothic");
    app->Selection().Font().setSize(10);
    app->Selection().Interior().setColorIndex(2);
    app->Selection().setLocked(false);
    app->Selection().setFormulaHidden(false);

    const Sheet& s = app->ActiveSheet().model();
    EXPECT_LE(s.rowCount(), 3); // no new row, let alone 16 million cells, was made
    EXPECT_EQ(s.cell(2, 2), nullptr);
    EXPECT_LE(app->ActiveWorkbook().model().formats.size(), 8u);

    for (const char* address : {"A1", "I34", "IV65536"}) {
        const CellFormat& f = formatAt(address);
        EXPECT_EQ(f.font.name, "Century Gothic") << address;
        EXPECT_EQ(f.fill, 2) << address;
        EXPECT_FALSE(f.locked) << address;
    }
    // A cell made later takes the column's format.
    app->Range("B5").setFormulaR1C1("Smith");
    EXPECT_EQ(formatAt("B5").font.name, "Century Gothic");
    EXPECT_EQ(app->Range("B5").Interior().ColorIndex(), 2);
    EXPECT_EQ(app->Range("B5").Font().Name(), "Century Gothic");
}

TEST_F(EngineTest, wholeSheetFormattingReachesExistingCellsAndRows) {
    app->Range("D7").setFormulaR1C1("x");
    app->Rows("3:3").Font().setBold(true);
    app->Cells().Interior().setColorIndex(19);
    EXPECT_EQ(formatAt("D7").fill, 19);
    EXPECT_EQ(formatAt("Z3").fill, 19);
    EXPECT_TRUE(formatAt("Z3").font.bold);
    EXPECT_FALSE(formatAt("Z4").font.bold);
    app->Columns("B:B").Font().setItalic(true);
    EXPECT_TRUE(formatAt("B3").font.italic); // the row's own format met the column's
    EXPECT_TRUE(formatAt("B3").font.bold);
    EXPECT_TRUE(formatAt("B60000").font.italic);
    EXPECT_FALSE(formatAt("C3").font.italic);
}

TEST_F(EngineTest, longRangesToTheSheetsEdgeKeepTheirNeighboursLook) {
    app->Cells().Interior().setColorIndex(2);
    app->Rows("5:5").Font().setItalic(true);
    // From C5 to the last column: B5 keeps the row's look.
    app->Range("C5:IV5").Font().setBold(true);
    EXPECT_FALSE(formatAt("B5").font.bold);
    EXPECT_TRUE(formatAt("B5").font.italic);
    EXPECT_TRUE(formatAt("C5").font.bold);
    EXPECT_TRUE(formatAt("IV5").font.bold);
    EXPECT_EQ(formatAt("IV5").fill, 2);
    // From row 3 to the last row: rows 1 and 2 keep the column's look.
    app->Range("A3:B65536").Interior().setColorIndex(19);
    EXPECT_EQ(formatAt("A1").fill, 2);
    EXPECT_EQ(formatAt("B2").fill, 2);
    EXPECT_EQ(formatAt("A3").fill, 19);
    EXPECT_EQ(formatAt("B65536").fill, 19);
    EXPECT_EQ(formatAt("B5").fill, 19); // the formatted row met the columns
    EXPECT_TRUE(formatAt("B5").font.italic);
    EXPECT_EQ(formatAt("C5").fill, 2);
    // Multiple areas take the setting each.
    app->Range("E7:E8,G9").Font().setSize(14);
    EXPECT_DOUBLE_EQ(formatAt("E8").font.size, 14);
    EXPECT_DOUBLE_EQ(formatAt("G9").font.size, 14);
    EXPECT_DOUBLE_EQ(formatAt("F9").font.size, 10);
}

TEST_F(EngineTest, clearingPartOfTheSheetKeepsTheRest) {
    app->Cells().Interior().setColorIndex(2);
    app->Range("B2:C3").setFormulaR1C1("v");
    app->Range("B2:B3").Clear();
    EXPECT_EQ(formatAt("B2").fill, kAutomatic);
    EXPECT_EQ(app->Range("B2").Value(), CellValue());
    EXPECT_EQ(formatAt("C2").fill, 2);
    EXPECT_EQ(app->Range("C2").FormulaR1C1(), "v");
    app->Rows("2:2").Clear();
    EXPECT_EQ(formatAt("Q2").fill, kAutomatic);
    EXPECT_EQ(formatAt("Q3").fill, 2);
    // Rows never written still lose the column formats, through a row format.
    app->Rows("100:101").Clear();
    EXPECT_EQ(formatAt("Z100").fill, kAutomatic);
    EXPECT_EQ(formatAt("A101").fill, kAutomatic);
    EXPECT_EQ(formatAt("Z102").fill, 2);
    EXPECT_EQ(app->ActiveSheet().model().cell(99, 25), nullptr);
    app->Columns("C:C").Clear();
    EXPECT_EQ(app->Range("C3").Value(), CellValue());
    EXPECT_EQ(formatAt("C1").fill, kAutomatic);
    EXPECT_EQ(formatAt("D1").fill, 2);
}

TEST_F(EngineTest, fontStyleKeepsWhatTheTextSaysAboutBoldAndItalic) {
    om::Font f = app->Range("B4:I4").Font();
    f.setFontStyle("bold");
    EXPECT_EQ(f.FontStyle(), "Bold");
    f.setFontStyle("Bold Italic");
    EXPECT_EQ(app->Range("I4").Font().FontStyle(), "Bold Italic");
    f.setFontStyle("General");
    EXPECT_EQ(f.FontStyle(), "Regular");
    f.setFontStyle("Italic");
    EXPECT_EQ(f.FontStyle(), "Italic");
    f.setFontStyle("Regular");
    EXPECT_EQ(f.FontStyle(), "Regular");
    f.setColorIndex(49);
    EXPECT_EQ(f.ColorIndex(), 49);
    f.setColorIndex(xlColorIndexAutomatic);
    EXPECT_EQ(f.ColorIndex(), xlColorIndexAutomatic);
}

TEST_F(EngineTest, colourIndexesOutsideThePaletteThrow) {
    const Range r = app->Range("B2");
    for (int bad : {0, 57, -1, -4142}) {
        EXPECT_THROW(r.Font().setColorIndex(bad), std::runtime_error) << bad;
        EXPECT_THROW(r.Borders(xlEdgeTop).setColorIndex(bad == -4142 ? 99 : bad), std::runtime_error) << bad;
    }
    for (int bad : {0, 57, -1})
        EXPECT_THROW(r.Interior().setColorIndex(bad), std::runtime_error) << bad;
    r.Interior().setColorIndex(56);
    EXPECT_EQ(r.Interior().ColorIndex(), 56);
    r.Interior().setColorIndex(xlColorIndexNone);
    EXPECT_EQ(r.Interior().ColorIndex(), xlColorIndexNone);
    EXPECT_THROW(r.Borders(6), std::runtime_error);
    EXPECT_THROW(r.Borders(13), std::runtime_error);
    EXPECT_THROW(r.Borders(xlEdgeTop).setLineStyle(99), std::runtime_error);
    EXPECT_THROW(r.Font().setSize(0), std::runtime_error);
    EXPECT_THROW(r.Font().setName(""), std::runtime_error);
}

TEST_F(EngineTest, widthsAndHeightsAreCheckedAndKept) {
    app->Columns("E:E").setColumnWidth(24.71);
    EXPECT_DOUBLE_EQ(app->Range("E9").ColumnWidth(), 24.71);
    EXPECT_DOUBLE_EQ(app->Range("F9").ColumnWidth(), 8.43);
    app->Rows("2:2").setRowHeight(34.5);
    EXPECT_DOUBLE_EQ(app->Range("B2").RowHeight(), 34.5);
    EXPECT_TRUE(app->ActiveSheet().model().row(1)->customHeight);
    EXPECT_THROW(app->Columns("A:A").setColumnWidth(255.5), std::runtime_error);
    EXPECT_THROW(app->Columns("A:A").setColumnWidth(-1), std::runtime_error);
    EXPECT_THROW(app->Rows("1:1").setRowHeight(409.5), std::runtime_error);
    EXPECT_THROW(app->Rows("1:1").setRowHeight(-0.25), std::runtime_error);
    app->Columns("A:A").setColumnWidth(0);
    app->Rows("1:1").setRowHeight(409);
    EXPECT_DOUBLE_EQ(app->Range("A1").ColumnWidth(), 0);
    EXPECT_DOUBLE_EQ(app->Range("A1").RowHeight(), 409);
}

TEST_F(EngineTest, autoFitTakesTheRenderersHeightAndIsNotCustom) {
    app->Rows("5:5").setRowHeight(14);
    app->Range("B5").setFormulaR1C1("text");
    app->Rows("5:5").EntireRow().AutoFit();
    const Sheet& s = app->ActiveSheet().model();
    EXPECT_FALSE(s.row(4)->customHeight);
    EXPECT_DOUBLE_EQ(app->Range("B5").RowHeight(), autoFitRowHeight(app->ActiveWorkbook().model(), s, 4));
    EXPECT_THROW(app->Range("B5").AutoFit(), std::runtime_error);
}

TEST_F(EngineTest, mergeOfOneCellChangesNothing) {
    app->Range("B2:B2").Select();
    app->ActiveCell().setFormulaR1C1("Title");
    app->Selection().Merge();
    EXPECT_TRUE(app->ActiveSheet().model().merged.empty());
    app->Range("C2").setFormulaR1C1("gone");
    app->Range("B2:C2").Merge();
    EXPECT_EQ(app->ActiveSheet().model().merged, (std::vector<CellRange>{{1, 1, 1, 2}}));
    EXPECT_EQ(app->Range("B2").FormulaR1C1(), "Title");
    EXPECT_EQ(app->Range("C2").FormulaR1C1(), "");
}

TEST_F(EngineTest, usedRangeCoversValuesFormatsAndCustomRows) {
    EXPECT_EQ(app->ActiveSheet().UsedRange().Address(), "$A$1");
    // Whole-sheet formatting alone uses no range.
    app->Cells().Interior().setColorIndex(2);
    EXPECT_EQ(app->ActiveSheet().UsedRange().Address(), "$A$1");
    app->Range("C4").setFormulaR1C1("x");
    EXPECT_EQ(app->ActiveSheet().UsedRange().Address(), "$C$4");
    app->Range("E9").Font().setBold(true);
    EXPECT_EQ(app->ActiveSheet().UsedRange().Address(), "$C$4:$E$9");
    app->Rows("2:2").setRowHeight(30); // a custom row counts from column A
    const Range used = app->ActiveSheet().UsedRange();
    EXPECT_EQ(used.Address(), "$A$2:$E$9");
    EXPECT_EQ(used.Rows().Count(), 8);
    EXPECT_EQ(used.Rows().Item(used.Rows().Count()).Row(), 9);
    EXPECT_EQ(used.Columns().Count(), 5);
    EXPECT_EQ(used.Columns().Item(used.Columns().Count()).Column(), 5);
    EXPECT_THROW(used.Rows().Item(9), std::runtime_error);
    // A cleared cell no longer counts.
    app->Range("E9").Clear();
    EXPECT_EQ(app->ActiveSheet().UsedRange().Address(), "$A$2:$C$4");
}

TEST_F(EngineTest, pageSetupKeepsWhatTheLayoutSets) {
    om::PageSetup p = app->ActiveSheet().PageSetup();
    p.setPrintArea("B4:I34");
    EXPECT_EQ(p.PrintArea(), "$B$4:$I$34");
    p.setPrintArea("");
    EXPECT_EQ(p.PrintArea(), "");
    p.setLeftMargin(app->InchesToPoints(0.7));
    p.setRightMargin(app->InchesToPoints(0.7));
    p.setTopMargin(app->InchesToPoints(0.5));
    p.setBottomMargin(app->InchesToPoints(0.5));
    p.setHeaderMargin(app->InchesToPoints(0));
    p.setFooterMargin(app->InchesToPoints(0));
    p.setPrintComments(xlPrintNoComments);
    p.setOrientation(xlLandscape);
    p.setPaperSize(xlPaperA4);
    p.setZoom(false);
    p.setFitToPagesWide(1);
    p.setFitToPagesTall(1);
    const sheet::PageSetup& m = app->ActiveSheet().model().pageSetup;
    EXPECT_DOUBLE_EQ(m.leftMargin, 50.4);
    EXPECT_DOUBLE_EQ(m.topMargin, 36);
    EXPECT_DOUBLE_EQ(m.headerMargin, 0);
    EXPECT_EQ(m.orientation, sheet::Orientation::Landscape);
    EXPECT_EQ(m.paperSize, 9);
    EXPECT_TRUE(m.fitToPages);
    EXPECT_EQ(p.Zoom(), std::nullopt);
    EXPECT_EQ(p.Orientation(), xlLandscape);
    EXPECT_EQ(p.PrintComments(), xlPrintNoComments);
    p.setZoom(85);
    EXPECT_EQ(p.Zoom(), 85);
    EXPECT_FALSE(m.fitToPages);

    EXPECT_THROW(p.setPrintArea("B4:"), std::runtime_error);
    EXPECT_THROW(p.setPrintArea("A1,B2"), std::runtime_error);
    EXPECT_THROW(p.setLeftMargin(-1), std::runtime_error);
    EXPECT_THROW(p.setOrientation(3), std::runtime_error);
    EXPECT_THROW(p.setPaperSize(0), std::runtime_error);
    EXPECT_THROW(p.setZoom(9), std::runtime_error);
    EXPECT_THROW(p.setZoom(true), std::runtime_error);
    EXPECT_THROW(p.setPrintComments(2), std::runtime_error);
}

TEST_F(EngineTest, pageSetupTakesWholeRowsAsPrintTitles) {
    om::PageSetup p = app->ActiveSheet().PageSetup();
    const sheet::PageSetup& m = app->ActiveSheet().model().pageSetup;
    EXPECT_EQ(p.PrintTitleRows(), "");
    p.setPrintTitleRows("$5:$5");
    EXPECT_EQ(m.printTitleRows, (std::pair{4, 4}));
    EXPECT_EQ(p.PrintTitleRows(), "$5:$5");
    p.setPrintTitleRows("7:6");
    EXPECT_EQ(p.PrintTitleRows(), "$6:$7");
    p.setPrintTitleRows("$1:$65536");
    EXPECT_EQ(p.PrintTitleRows(), "$1:$65536");
    for (const char* bad : {"A5:IV5", "$A$5", "5", "$5:", "5:6,8:9", "0:1", "65537:65537", " 5:5", "A:B"})
        EXPECT_THROW(p.setPrintTitleRows(bad), std::runtime_error) << bad;
    EXPECT_EQ(p.PrintTitleRows(), "$1:$65536");
    p.setPrintTitleRows("");
    EXPECT_FALSE(m.printTitleRows);
}

TEST_F(EngineTest, pageSetupCentresHeaderAndFooterText) {
    om::PageSetup p = app->ActiveSheet().PageSetup();
    sheet::PageSetup& m = app->ActiveSheet().model().pageSetup;
    p.setCenterFooter("Page &P of &N");
    EXPECT_EQ(m.footer, "&CPage &P of &N");
    EXPECT_EQ(p.CenterFooter(), "Page &P of &N");
    EXPECT_EQ(m.header, "");
    p.setCenterHeader("&&Co &D");
    EXPECT_EQ(m.header, "&C&&Co &D");
    EXPECT_EQ(p.CenterHeader(), "&&Co &D");
    p.setCenterFooter("");
    EXPECT_EQ(m.footer, "");

    // A footer read from a file keeps its other sections; text before any code is centred.
    m.footer = "&LLeft &&C&RRight";
    EXPECT_EQ(p.CenterFooter(), "");
    p.setCenterFooter("Mid");
    EXPECT_EQ(m.footer, "&LLeft &&C&CMid&RRight");
    m.header = "Plain";
    EXPECT_EQ(p.CenterHeader(), "Plain");

    p.setCenterHeader(std::string(253, 'x')); // with "&C": the 255 characters a file keeps
    EXPECT_THROW(p.setCenterHeader(std::string(254, 'x')), std::runtime_error);
    EXPECT_THROW(p.setCenterHeader(std::string(252, 'x') + "\xF0\x9F\x93\x9E"), std::runtime_error); // 2 units
    std::string accents;
    for (int i = 0; i < 253; ++i)
        accents += "\xC3\xA9"; // two bytes, one unit each
    p.setCenterHeader(accents);
    EXPECT_EQ(p.CenterHeader(), accents);
}

// --- Borders ---

TEST_F(EngineTest, drawsEveryOutlineEdgeOfARange) {
    const Range r = app->Range("C3:E5");
    r.Borders(xlEdgeLeft).setLineStyle(xlContinuous);
    r.Borders(xlEdgeTop).setLineStyle(xlContinuous);
    r.Borders(xlEdgeBottom).setLineStyle(xlContinuous);
    r.Borders(xlEdgeRight).setLineStyle(xlContinuous);
    for (const char* a : {"C3", "C4", "C5"})
        EXPECT_EQ(edgeAt(a, Edge::Left).style, kLineThin) << a;
    for (const char* a : {"C3", "D3", "E3"})
        EXPECT_EQ(edgeAt(a, Edge::Top).style, kLineThin) << a;
    for (const char* a : {"C5", "D5", "E5"})
        EXPECT_EQ(edgeAt(a, Edge::Bottom).style, kLineThin) << a;
    for (const char* a : {"E3", "E4", "E5"})
        EXPECT_EQ(edgeAt(a, Edge::Right).style, kLineThin) << a;
    // No inner line, and nothing drawn outside the range.
    EXPECT_EQ(edgeAt("D4", Edge::Left).style, kLineNone);
    EXPECT_EQ(edgeAt("D4", Edge::Top).style, kLineNone);
    EXPECT_EQ(app->ActiveSheet().model().cell(5, 2), nullptr);
    EXPECT_EQ(app->ActiveSheet().UsedRange().Address(), "$C$3:$E$5");
    EXPECT_EQ(r.Borders(xlEdgeLeft).LineStyle(), xlContinuous);
    EXPECT_EQ(r.Borders(xlInsideVertical).LineStyle(), xlLineStyleNone);
}

TEST_F(EngineTest, drawsInsideEdgesBetweenTheCells) {
    const Range r = app->Range("B4:I5");
    r.Borders(xlInsideVertical).setLineStyle(xlContinuous);
    r.Borders(xlInsideVertical).setColorIndex(2);
    r.Borders(xlInsideHorizontal).setLineStyle(xlContinuous);
    r.Borders(xlInsideHorizontal).setColorIndex(15);
    for (const char* a : {"C4", "D4", "I4", "C5", "I5"})
        EXPECT_EQ(edgeAt(a, Edge::Left), (sheet::Border{kLineThin, 2})) << a;
    EXPECT_EQ(edgeAt("B4", Edge::Left).style, kLineNone); // the outline is not inside
    EXPECT_EQ(edgeAt("I4", Edge::Right).style, kLineNone);
    for (const char* a : {"B5", "E5", "I5"})
        EXPECT_EQ(edgeAt(a, Edge::Top), (sheet::Border{kLineThin, 15})) << a;
    EXPECT_EQ(edgeAt("B4", Edge::Top).style, kLineNone);
    EXPECT_EQ(edgeAt("B5", Edge::Bottom).style, kLineNone);
    EXPECT_EQ(r.Borders(xlInsideHorizontal).ColorIndex(), 15);
    // A one-row range has no inside horizontal line to draw.
    app->Range("K1:M1").Borders(xlInsideHorizontal).setLineStyle(xlContinuous);
    EXPECT_EQ(app->ActiveSheet().UsedRange().Address(), "$B$4:$I$5");
}

TEST_F(EngineTest, aLaterLineOnASharedEdgeReplacesTheEarlierOne) {
    // Header: white outline and inner lines; first data row: grey top.
    const Range header = app->Range("B4:I4");
    for (int edge : {xlEdgeLeft, xlEdgeTop, xlEdgeBottom, xlEdgeRight, xlInsideVertical}) {
        header.Borders(edge).setLineStyle(xlContinuous);
        header.Borders(edge).setColorIndex(2);
    }
    const Range row5 = app->Range("B5:I5");
    row5.Borders(xlEdgeTop).setLineStyle(xlContinuous);
    row5.Borders(xlEdgeTop).setColorIndex(15);
    // Stored once, on the side drawn last.
    EXPECT_EQ(edgeAt("B4", Edge::Bottom).style, kLineNone);
    EXPECT_EQ(edgeAt("B5", Edge::Top), (sheet::Border{kLineThin, 15}));
    // Both sides read the line that shows.
    EXPECT_EQ(header.Borders(xlEdgeBottom).ColorIndex(), 15);
    EXPECT_EQ(row5.Borders(xlEdgeTop).ColorIndex(), 15);

    // The frame drawn last wins over the header's white outline on every side.
    const Range frame = app->Range("B4:I5");
    for (int edge : {xlEdgeLeft, xlEdgeTop, xlEdgeBottom, xlEdgeRight}) {
        frame.Borders(edge).setLineStyle(xlContinuous);
        frame.Borders(edge).setColorIndex(xlColorIndexAutomatic);
    }
    EXPECT_EQ(edgeAt("B4", Edge::Left), (sheet::Border{kLineThin, kAutomatic}));
    EXPECT_EQ(edgeAt("I4", Edge::Right), (sheet::Border{kLineThin, kAutomatic}));
    EXPECT_EQ(edgeAt("E4", Edge::Top), (sheet::Border{kLineThin, kAutomatic}));
    EXPECT_EQ(header.Borders(xlEdgeLeft).ColorIndex(), xlColorIndexAutomatic);
    // Inner verticals of the header are untouched by the frame.
    EXPECT_EQ(edgeAt("E4", Edge::Left), (sheet::Border{kLineThin, 2}));

    // Drawing a neighbour's edge clears this side, and the other way round.
    app->Range("J4").Borders(xlEdgeLeft).setLineStyle(xlDash);
    EXPECT_EQ(edgeAt("I4", Edge::Right).style, kLineNone);
    EXPECT_EQ(edgeAt("J4", Edge::Left).style, 3);
    app->Range("I4").Borders(xlEdgeRight).setLineStyle(xlContinuous);
    EXPECT_EQ(edgeAt("J4", Edge::Left).style, kLineNone);
    EXPECT_EQ(app->Range("J4").Borders(xlEdgeLeft).LineStyle(), xlContinuous);
}

TEST_F(EngineTest, lineStyleNoneRemovesTheSharedLine) {
    app->Range("B4").Borders(xlEdgeBottom).setLineStyle(xlContinuous);
    app->Range("B5").Borders(xlEdgeTop).setLineStyle(xlLineStyleNone);
    EXPECT_EQ(edgeAt("B4", Edge::Bottom).style, kLineNone);
    EXPECT_EQ(app->Range("B4").Borders(xlEdgeBottom).LineStyle(), xlLineStyleNone);
}

TEST_F(EngineTest, weightAndStyleMapToTheFileCodes) {
    const om::Border b = app->Range("C3").Borders(xlEdgeTop);
    b.setLineStyle(xlContinuous);
    EXPECT_EQ(b.Weight(), xlThin);
    b.setWeight(xlMedium);
    EXPECT_EQ(edgeAt("C3", Edge::Top).style, 2);
    b.setLineStyle(xlDash); // keeps the medium weight
    EXPECT_EQ(edgeAt("C3", Edge::Top).style, 8);
    b.setLineStyle(xlDouble);
    EXPECT_EQ(b.LineStyle(), xlDouble);
    EXPECT_THROW(b.setWeight(3), std::runtime_error);
}

TEST_F(EngineTest, wholeSheetBordersStayCheap) {
    app->Cells().Borders(xlInsideHorizontal).setLineStyle(xlContinuous);
    app->Cells().Borders(xlInsideVertical).setLineStyle(xlContinuous);
    EXPECT_EQ(edgeAt("D100", Edge::Top).style, kLineThin);
    EXPECT_EQ(edgeAt("D100", Edge::Left).style, kLineThin);
    EXPECT_EQ(edgeAt("D1", Edge::Top).style, kLineNone); // the sheet's own top is not inside
    EXPECT_EQ(edgeAt("A5", Edge::Left).style, kLineNone);
    EXPECT_LE(app->ActiveSheet().model().rowCount(), 1);
}

// --- Saving and opening ---

namespace {
bool writerMissing(const std::exception& e) {
    return std::string(e.what()).find("not built yet") != std::string::npos;
}
} // namespace

TEST_F(EngineTest, saveAsAcceptsOnlyTheTwoXlsCodes) {
    const std::string path = (std::filesystem::temp_directory_path() / "engine_codes.xls").string();
    EXPECT_THROW(app->ActiveWorkbook().SaveAs(path, 51), std::runtime_error);
    EXPECT_THROW(app->ActiveWorkbook().SaveAs(path, 0), std::runtime_error);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(EngineTest, savedWorkbookOpensUnchanged) {
    const auto dir = std::filesystem::temp_directory_path() / ("engine_save_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    app->Sheets().Item(3).Delete();
    app->Sheets().Item(2).Delete();
    app->ActiveSheet().setName("Phone List");
    app->Cells().Font().setName("Century Gothic");
    app->Columns("B:B").setColumnWidth(10.43);
    app->Rows("2:2").setRowHeight(34.5);
    app->Range("B2").setFormulaR1C1("Our Organization's Telephone List");
    app->Range("C5").setFormulaR1C1("12345");
    app->Range("B4:I4").Borders(xlEdgeBottom).setLineStyle(xlContinuous);
    app->Range("B4:I4").Interior().setColorIndex(49);
    app->ActiveSheet().PageSetup().setOrientation(xlLandscape);
    app->ActiveSheet().PageSetup().setPrintTitleRows("$4:$4");
    app->ActiveSheet().PageSetup().setCenterFooter("Page &P of &N");
    app->Range("B6").Select();
    for (int code : {xlExcel8, xlWorkbookNormal}) {
        const std::string path = (dir / ("book" + std::to_string(code < 0 ? 0 : code) + ".xls")).string();
        try {
            app->ActiveWorkbook().SaveAs(path, code);
        } catch (const std::exception& e) {
            if (writerMissing(e))
                GTEST_SKIP() << "xls writer not available in this build";
            throw;
        }
        auto other = engineFactory().create();
        const om::Workbook opened = other->Workbooks().Open(path);
        EXPECT_EQ(opened.Name(), std::filesystem::path(path).filename().string());
        EXPECT_EQ(other->Sheets().Count(), 1);
        EXPECT_EQ(other->ActiveSheet().Name(), "Phone List");
        EXPECT_EQ(other->Range("B2").FormulaR1C1(), "Our Organization's Telephone List");
        EXPECT_EQ(other->Range("C5").Value(), CellValue(12345.0));
        EXPECT_EQ(other->Range("E4").Interior().ColorIndex(), 49);
        EXPECT_EQ(other->Range("E4").Borders(xlEdgeBottom).LineStyle(), xlContinuous);
        EXPECT_EQ(other->Range("Z99").Font().Name(), "Century Gothic");
        EXPECT_DOUBLE_EQ(other->Range("B1").ColumnWidth(), 10.43);
        EXPECT_DOUBLE_EQ(other->Range("A2").RowHeight(), 34.5);
        EXPECT_EQ(other->ActiveSheet().PageSetup().Orientation(), xlLandscape);
        EXPECT_EQ(other->ActiveSheet().PageSetup().PrintTitleRows(), "$4:$4");
        EXPECT_EQ(other->ActiveSheet().PageSetup().CenterFooter(), "Page &P of &N");
        EXPECT_EQ(other->ActiveCell().Address(), "$B$6");
        EXPECT_EQ(other->ActiveSheet().UsedRange().Address(), app->ActiveSheet().UsedRange().Address());
        other->Quit();
    }
    std::filesystem::remove_all(dir);
}

TEST_F(EngineTest, openingAMissingFileThrows) {
    EXPECT_THROW(app->Workbooks().Open("/nonexistent/folder/none.xls"), std::runtime_error);
    EXPECT_EQ(app->Workbooks().Count(), 1);
}

TEST_F(EngineTest, copyPictureGoesThroughTheInstalledHook) {
    EXPECT_THROW(app->Range("A1:B2").CopyPicture(), std::runtime_error);
    CellRange painted;
    std::string sheetName;
    setCopyPictureHook([&](const sheet::Workbook&, const Sheet& s, const CellRange& r) {
        painted = r;
        sheetName = s.name;
    });
    app->Range("C4").setFormulaR1C1("x");
    app->ActiveSheet().UsedRange().CopyPicture();
    setCopyPictureHook(nullptr);
    EXPECT_EQ(painted, (CellRange{3, 2, 3, 2}));
    EXPECT_EQ(sheetName, "Sheet1");
}

// An independent reader sees each shared line once, in the colour drawn last.
TEST_F(EngineTest, sharedEdgesReachTheFileAsDrawnLast) {
    const auto dir = std::filesystem::temp_directory_path() / ("engine_xlrd_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "edges.xls").string();
    app->Range("B4:C4").Borders(xlEdgeBottom).setColorIndex(2);
    app->Range("B5:C5").Borders(xlEdgeTop).setColorIndex(15);
    app->Range("C5").setFormulaR1C1("x");
    try {
        app->ActiveWorkbook().SaveAs(path, xlExcel8);
    } catch (const std::exception& e) {
        std::filesystem::remove_all(dir);
        if (writerMissing(e))
            GTEST_SKIP() << "xls writer not available in this build";
        throw;
    }
    const std::string script =
        "import sys, xlrd\n"
        "b = xlrd.open_workbook(sys.argv[1], formatting_info=True)\n"
        "s = b.sheet_by_index(0)\n"
        "for r, c in ((3, 1), (4, 1), (3, 2), (4, 2)):\n"
        "    d = b.xf_list[s.cell_xf_index(r, c)].border\n"
        "    print(d.top_line_style, d.top_colour_index, d.bottom_line_style, d.bottom_colour_index)\n";
    const std::string scriptPath = (dir / "edges.py").string();
    {
        std::FILE* f = std::fopen(scriptPath.c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fputs(script.c_str(), f);
        std::fclose(f);
    }
    // The distribution's interpreter, which has the distribution's xlrd, before any other on PATH.
    const std::string python = std::filesystem::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
    const std::string command = python + " " + scriptPath + " " + path + " 2>&1";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string out;
    char buf[256];
    while (std::fgets(buf, sizeof buf, pipe))
        out += buf;
    const int status = ::pclose(pipe);
    std::filesystem::remove_all(dir);
    if (out.find("No module named") != std::string::npos)
        GTEST_SKIP() << "python3-xlrd is not installed";
    ASSERT_EQ(status, 0) << out;
    // Per cell B4, B5, C4, C5: top style, top colour, bottom style, bottom colour. The
    // file's colour index is the object model's plus 7: grey 15 is 22.
    std::istringstream in(out);
    for (const char* cell : {"B4", "B5", "C4", "C5"}) {
        int topStyle = -1, topColour = -1, bottomStyle = -1, bottomColour = -1;
        ASSERT_TRUE(in >> topStyle >> topColour >> bottomStyle >> bottomColour) << out;
        const bool upper = cell[1] == '4';
        EXPECT_EQ(topStyle, upper ? 0 : 1) << cell;
        EXPECT_EQ(bottomStyle, 0) << cell;
        if (!upper) {
            EXPECT_EQ(topColour, 22) << cell;
        }
    }
}
