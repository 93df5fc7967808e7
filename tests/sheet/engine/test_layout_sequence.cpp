// The engine driven the way the phone-list layout drives it: every cell through
// select-and-set calls on the selection, borders edge by edge, later lines on
// shared edges winning.

#include "sheet/engine/app_factory.h"
#include "sheet/engine/spreadsheet_app.h"

#include <gtest/gtest.h>

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

using namespace sheet;
using namespace sheet::om;

namespace {

class LayoutSequence : public ::testing::Test {
protected:
    void SetUp() override {
        app = engineFactory().create();
        app->Workbooks().Add();
    }
    void TearDown() override { app->Quit(); }

    void writeCell(const std::string& range, const std::string& text) {
        app->Range(range).Select();
        app->ActiveCell().setFormulaR1C1(text);
        app->Selection().Merge();
    }
    void borders(const std::string& range, bool insideH, bool left, bool right, bool top, bool bottom, bool insideV,
                 int colour) {
        if (!range.empty())
            app->Range(range).Select();
        const std::array<std::pair<bool, int>, 6> edges{{{left, xlEdgeLeft},
                                                         {top, xlEdgeTop},
                                                         {bottom, xlEdgeBottom},
                                                         {right, xlEdgeRight},
                                                         {insideH, xlInsideHorizontal},
                                                         {insideV, xlInsideVertical}}};
        for (const auto& [on, edge] : edges) {
            if (!on)
                continue;
            app->Selection().Borders(edge).setLineStyle(xlContinuous);
            app->Selection().Borders(edge).setColorIndex(colour);
        }
    }
    void fill(const std::string& range, int colour) {
        if (!range.empty())
            app->Range(range).Select();
        app->Selection().Interior().setColorIndex(colour);
    }

    // The sheet as the layout leaves it, for n data rows: row by row, or with the
    // data rows handed over as one block as the phone-list layout does.
    void build(int n, bool asBlock = false) {
        app->Cells().Select();
        app->Selection().Clear();
        app->Selection().Font().setName("Century Gothic");
        app->Selection().Font().setSize(10);
        fill("", 2);
        const std::array<std::pair<const char*, double>, 9> widths{{{"A:A", 2},
                                                                    {"B:B", 10.43},
                                                                    {"C:C", 10},
                                                                    {"D:D", 13},
                                                                    {"E:E", 24.71},
                                                                    {"F:F", 13.43},
                                                                    {"G:G", 12.43},
                                                                    {"H:H", 12.43},
                                                                    {"I:I", 18.43}}};
        for (const auto& [columns, width] : widths) {
            app->Columns(columns).Select();
            app->Selection().setColumnWidth(width);
        }
        const std::array<std::pair<const char*, double>, 5> heights{
            {{"1:1", 11.25}, {"2:2", 34.5}, {"3:3", 5.25}, {"4:4", 13.5}, {"5:5", 14}}};
        for (const auto& [rows, height] : heights) {
            app->Rows(rows).Select();
            app->Selection().setRowHeight(height);
        }
        writeCell("B2:B2", "Our Organization's Telephone List");
        app->Selection().Font().setFontStyle("General");
        app->Selection().Font().setSize(20);
        app->Selection().Font().setColorIndex(49);
        writeCell("H2:H2", "Last Updated");
        borders("I2:I2", false, false, false, false, true, false, xlColorIndexAutomatic);
        writeCell("I2:I2", "12/8/2026 9:15:00 AM");
        const std::array<const char*, 8> header{"Last Name",   "First Name",  "Spouse/Kids", "Address",
                                                "Home Number", "Work Number", "Cell Number", "E-mail"};
        for (int k = 0; k < 8; ++k)
            writeCell(std::string(1, char('B' + k)) + "4:" + std::string(1, char('B' + k)) + "4", header[k]);
        fill("B4:I4", 49);
        borders("B4:I4", false, true, true, true, true, true, 2);
        app->Selection().Font().setFontStyle("bold");
        app->Selection().Font().setSize(8);
        app->Selection().Font().setColorIndex(2);
        app->Cells().Select();
        app->Selection().setFormulaHidden(false);
        app->Selection().setLocked(false);
        if (asBlock) {
            std::vector<std::string> texts;
            for (int i = 1; i <= n; ++i)
                for (int k = 0; k < 8; ++k)
                    texts.push_back(dataText(i, k));
            const std::string block = "B5:I" + std::to_string(n + 4);
            app->Range(block).setTexts(texts);
            app->Range(block).setWrapText(true);
            borders(block, true, false, false, true, true, true, 15);
            std::vector<Range> stripes;
            for (int i = 2; i <= n; i += 2)
                stripes.push_back(app->Range(block).Rows().Item(i));
            app->Union(stripes).Select();
            fill("", 19);
            app->Rows("5:" + std::to_string(n + 4)).EntireRow().AutoFit();
        }
        for (int i = 1; i <= n && !asBlock; ++i) {
            const std::string r = std::to_string(i + 4);
            for (int k = 0; k < 8; ++k) {
                writeCell(std::string(1, char('B' + k)) + r, dataText(i, k));
                app->ActiveCell().setWrapText(true);
            }
            borders("B" + r + ":I" + r, false, false, false, true, true, true, 15);
            fill("B" + r + ":I" + r, i % 2 == 0 ? 19 : 2);
            app->Rows(r + ":" + r).EntireRow().AutoFit();
        }
        borders("B4:I" + std::to_string(n + 4), false, true, true, true, true, false, xlColorIndexAutomatic);
    }

    // Row 6 is empty; the others hold digits that typed input would take for a number,
    // and a long text in column E that wraps.
    static std::string dataText(int i, int k) {
        if (i == 2)
            return "";
        return k == 3 ? "1234 West Hills Drive, Northside, Apartment " + std::to_string(i + 4)
                      : "0123 row " + std::to_string(i + 4);
    }

    int lineColour(const std::string& cell, int edge) { return app->Range(cell).Borders(edge).ColorIndex(); }
    int lineStyle(const std::string& cell, int edge) { return app->Range(cell).Borders(edge).LineStyle(); }

    std::shared_ptr<SpreadsheetApp> app;
};

} // namespace

TEST_F(LayoutSequence, thirtyRowsFillRowsFiveToThirtyFourInsideTheFrame) {
    build(30);
    const Range used = app->ActiveSheet().UsedRange();
    EXPECT_EQ(used.Address(), "$A$1:$I$34");
    EXPECT_EQ(used.Rows().Item(used.Rows().Count()).Row(), 34);
    EXPECT_EQ(used.Columns().Item(used.Columns().Count()).Column(), 9);
    EXPECT_EQ(app->Selection().Address(), "$B$4:$I$34");
}

TEST_F(LayoutSequence, laterLinesWinOnSharedEdges) {
    build(3);
    // The first data row's grey top replaces the header's white bottom.
    EXPECT_EQ(lineColour("E4", xlEdgeBottom), 15);
    EXPECT_EQ(lineColour("E5", xlEdgeTop), 15);
    // The frame's automatic colour replaces the header's and data rows' outer lines.
    EXPECT_EQ(lineColour("E4", xlEdgeTop), xlColorIndexAutomatic);
    EXPECT_EQ(lineColour("B4", xlEdgeLeft), xlColorIndexAutomatic);
    EXPECT_EQ(lineColour("I4", xlEdgeRight), xlColorIndexAutomatic);
    EXPECT_EQ(lineColour("G7", xlEdgeBottom), xlColorIndexAutomatic);
    EXPECT_EQ(lineColour("B6", xlEdgeLeft), xlColorIndexAutomatic);
    // Inner verticals keep their own colours: white in the header, grey below.
    EXPECT_EQ(lineColour("E4", xlEdgeLeft), 2);
    EXPECT_EQ(lineColour("E6", xlEdgeLeft), 15);
    // Between data rows, grey; the row drawn later holds it.
    EXPECT_EQ(lineColour("C6", xlEdgeTop), 15);
    // The stamp's underline, and nothing outside the frame.
    EXPECT_EQ(lineStyle("I2", xlEdgeBottom), xlContinuous);
    EXPECT_EQ(lineStyle("H2", xlEdgeBottom), xlLineStyleNone);
    EXPECT_EQ(lineStyle("J5", xlEdgeRight), xlLineStyleNone);
    EXPECT_EQ(lineStyle("A5", xlEdgeLeft), xlLineStyleNone);
}

TEST_F(LayoutSequence, formatsEndUpWhereTheLayoutPutThem) {
    build(3);
    EXPECT_EQ(app->Range("B5").Interior().ColorIndex(), 2);
    EXPECT_EQ(app->Range("B6").Interior().ColorIndex(), 19);
    EXPECT_EQ(app->Range("B6").FormulaR1C1(), ""); // an empty table row still gets its row
    EXPECT_EQ(app->Range("B7").FormulaR1C1(), "0123 row 7");
    EXPECT_EQ(app->Range("B4").Font().FontStyle(), "Bold");
    EXPECT_EQ(app->Range("B4").Font().ColorIndex(), 2);
    EXPECT_DOUBLE_EQ(app->Range("B4").Font().Size(), 8);
    EXPECT_EQ(app->Range("B2").Font().FontStyle(), "Regular");
    EXPECT_DOUBLE_EQ(app->Range("B2").Font().Size(), 20);
    EXPECT_EQ(app->Range("I2").Font().Name(), "Century Gothic");
    EXPECT_EQ(app->Range("I2").Font().ColorIndex(), xlColorIndexAutomatic);
    EXPECT_TRUE(app->Range("C5").WrapText());
    EXPECT_FALSE(app->Range("C5").Locked());
    EXPECT_FALSE(app->Range("Z300").Locked());
    EXPECT_EQ(app->Range("Z300").Interior().ColorIndex(), 2);
    EXPECT_TRUE(app->ActiveSheet().model().merged.empty());
    const Sheet& s = app->ActiveSheet().model();
    EXPECT_FALSE(s.row(4)->customHeight); // auto-fitted
    EXPECT_TRUE(s.row(3)->customHeight);
}

// The layout hands the data rows to the sheet as one block; the sheet must be the
// one that cell-by-cell, row-by-row calls make: values, every format, row heights.
TEST_F(LayoutSequence, aBlockOfRowsGivesTheSheetRowByRowCallsGive) {
    constexpr int kRows = 7;
    build(kRows);
    const std::shared_ptr<SpreadsheetApp> byRows = app;
    app = engineFactory().create();
    app->Workbooks().Add();
    build(kRows, true);
    const std::shared_ptr<SpreadsheetApp> asBlock = app;

    const Range a = byRows->ActiveSheet().Cells();
    const Range b = asBlock->ActiveSheet().Cells();
    const FormatTable& formatsA = a.workbookModel().formats;
    const FormatTable& formatsB = b.workbookModel().formats;
    for (int r = 0; r < kRows + 6; ++r) {
        SCOPED_TRACE("row " + std::to_string(r + 1));
        EXPECT_EQ(a.model().row(r) ? a.model().row(r)->height : std::nullopt,
                  b.model().row(r) ? b.model().row(r)->height : std::nullopt);
        for (int c = 0; c < 10; ++c) {
            const Cell* x = a.model().cell(r, c);
            const Cell* y = b.model().cell(r, c);
            EXPECT_EQ(x ? x->value : CellValue{}, y ? y->value : CellValue{}) << "column " << c;
            EXPECT_EQ(formatsA.get(a.model().effectiveFormat(r, c)), formatsB.get(b.model().effectiveFormat(r, c)))
                << "column " << c;
        }
    }
    byRows->Quit();
}

TEST_F(LayoutSequence, aBlockTakesOneTextPerCellAndClearsForAnEmptyOne) {
    app->Range("C6").setText("old");
    app->Range("B5:C6").setTexts({"12345", "x", "y", ""});
    EXPECT_EQ(app->Range("B5").Value(), CellValue(std::string("12345"))); // text, never a number
    EXPECT_EQ(app->Range("C5").Value(), CellValue(std::string("x")));
    EXPECT_EQ(app->Range("C6").Value(), CellValue());
    EXPECT_THROW(app->Range("B5:C6").setTexts({"a", "b", "c"}), std::runtime_error);
    EXPECT_EQ(app->Range("C5").Value(), CellValue(std::string("x"))); // a refused block changes nothing
}
