// Row auto-fit: the height a row needs for its text in its fonts.

#include "tests/sheet/render/phone_list_sheet.h"

#include "sheet/render/sheet_render.h"

#include <QtTest>

#include <functional>

using namespace sheet;
namespace pls = phone_list_sheet;

class TestAutoFit : public QObject {
    Q_OBJECT

private slots:
    void autoFitCountsWrappedLines();
    void autoFitOfRowsWithoutText();
};

void TestAutoFit::autoFitCountsWrappedLines() {
    Workbook wb;
    pls::build(wb, 3);
    Sheet& s = wb.sheetAt(0);
    Font gothic;
    gothic.name = "Century Gothic";
    const double oneLine = rowHeightPoints(cellFont(gothic).lineHeight);

    // Data row 1 holds short texts, data row 2 the address that needs three lines.
    QCOMPARE(autoFitRowHeight(wb, s, 4), oneLine);
    QCOMPARE(autoFitRowHeight(wb, s, 5), 3 * oneLine);
    QCOMPARE(*s.row(5)->height, 3 * oneLine);
    const double points = autoFitRowHeight(wb, s, 5);
    QCOMPARE(std::fmod(points, 0.75), 0.0);

    // The same text unwrapped needs one line; in a wider column two.
    pls::edit(wb, s, 5, 4, [](CellFormat& f) { f.wrap = false; });
    QCOMPARE(autoFitRowHeight(wb, s, 5), oneLine);
    pls::edit(wb, s, 5, 4, [](CellFormat& f) { f.wrap = true; });
    s.columns[4].width = 40;
    QCOMPARE(autoFitRowHeight(wb, s, 5), 2 * oneLine);

    // A wrapped cell inside a merged area does not stretch the row.
    s.columns[4].width = 24.71;
    s.merged.push_back(CellRange{5, 4, 5, 5});
    QCOMPARE(autoFitRowHeight(wb, s, 5), oneLine);
    s.merged.clear();

    // Never taller than a sheet allows.
    s.cellAt(5, 4).value = std::string(1000, 'x');
    QCOMPARE(autoFitRowHeight(wb, s, 5), kMaxRowHeightPoints);

    QVERIFY_THROWS_EXCEPTION(std::out_of_range, autoFitRowHeight(wb, s, -1));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, autoFitRowHeight(wb, s, kMaxRows));
}

void TestAutoFit::autoFitOfRowsWithoutText() {
    Workbook wb;
    Sheet& s = wb.addSheet("S");
    const double arial = rowHeightPoints(cellFont(Font{}).lineHeight);
    QCOMPARE(autoFitRowHeight(wb, s, 7), arial);
    QCOMPARE(arial, 12.75); // the spreadsheet's own default row for Arial 10

    // A blank cell in a large font still sets the height.
    Font big;
    big.size = 20;
    s.cellAt(2, 3).format = pls::withFormat(wb, [&](CellFormat& f) { f.font = big; });
    QCOMPARE(autoFitRowHeight(wb, s, 2), rowHeightPoints(cellFont(big).lineHeight));

    // Empty cells take their row's format, else their column's.
    Font small;
    small.size = 6;
    const FormatId smallId = pls::withFormat(wb, [&](CellFormat& f) { f.font = small; });
    for (Column& c : s.columns)
        c.format = smallId;
    QCOMPARE(autoFitRowHeight(wb, s, 9), rowHeightPoints(cellFont(small).lineHeight));
    s.columns[200].format = pls::withFormat(wb, [&](CellFormat& f) { f.font = big; });
    QCOMPARE(autoFitRowHeight(wb, s, 9), rowHeightPoints(cellFont(big).lineHeight));
    s.rowAt(9).format = smallId;
    QCOMPARE(autoFitRowHeight(wb, s, 9), rowHeightPoints(cellFont(small).lineHeight));
}

QTEST_MAIN(TestAutoFit)
#include "test_auto_fit.moc"
