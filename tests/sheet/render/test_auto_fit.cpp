// Row auto-fit: the height a row needs for its text in its fonts.

#include "tests/sheet/render/phone_list_sheet.h"
#include "tests/sheet/render/pixel_model.h"

#include "sheet/render/sheet_render.h"

#include <QtTest>

#include <functional>
#include <set>

using namespace sheet;
namespace pls = phone_list_sheet;

class TestAutoFit : public QObject {
    Q_OBJECT

private slots:
    void autoFitCountsWrappedLines();
    void autoFitOfRowsWithoutText();
    void rowsAreAsTallAsThePixelModelSays();
    void longRunsAreMeasuredAsRowByRow();
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
    // A column's format counts only where the row has no cell of its own there.
    s.cellAt(11, 200).format = smallId;
    QCOMPARE(autoFitRowHeight(wb, s, 11), rowHeightPoints(cellFont(small).lineHeight));
    s.cellAt(12, 201).format = smallId;
    QCOMPARE(autoFitRowHeight(wb, s, 12), rowHeightPoints(cellFont(big).lineHeight));
    s.rowAt(9).format = smallId;
    QCOMPARE(autoFitRowHeight(wb, s, 9), rowHeightPoints(cellFont(small).lineHeight));
}

void TestAutoFit::rowsAreAsTallAsThePixelModelSays() {
    // Data row 1 of the layout, one field at a time: its height is as many
    // lines as the pixel model breaks the field into in its column.
    Workbook wb;
    pls::build(wb, 1);
    Sheet& s = wb.sheetAt(0);
    const int row = 4;
    const CellFont& font = cellFont(wb.formats.get(s.cellAt(row, 1).format).font);
    const pixel_model::PixelModel px(font.font);
    const double oneLine = rowHeightPoints(font.lineHeight);
    const auto heightWith = [&](int column, const QString& text) {
        for (int c = 1; c <= 8; ++c)
            s.cellAt(row, c).value = std::string();
        s.cellAt(row, column).value = text.toStdString();
        return autoFitRowHeight(wb, s, row);
    };
    const auto modelLines = [&](int column, const QString& text) {
        const int room = static_cast<int>(textWidth(columnWidthPx(*s.columns[std::size_t(column)].width)));
        return static_cast<int>(pixel_model::referenceLines(text, px, room).size());
    };

    struct Field {
        int column;
        const char* text;
        int lines; // what the spreadsheet shows
    };
    const Field fields[] = {
        {5, "(760) 990-9437", 1}, // every number column holds a phone number
        {6, "(989) 923-4508", 1},
        {7, "(213) 555-0188", 1},
        {1, "Fitzgerald-Moore", 2}, // breaks after the hyphen
        {2, "Mary-Ann Louise", 2},
        {4, "1742 Old Orchard Lane, Apartment 12B", 2},
        {4, "   12 Elm Road", 1},                         // leading blanks stay, and fit
        {8, "anna.fitzgerald-moore@mail.example.org", 3}, // after the hyphen, then between characters
    };
    for (const Field& f : fields) {
        const QString text = QString::fromUtf8(f.text);
        QVERIFY2(modelLines(f.column, text) == f.lines, f.text);
        QCOMPARE(heightWith(f.column, text), f.lines * oneLine);
    }

    // A tab is one blank: "Room\t12" is as tall as "Room 12" in any width.
    for (double width : {4.0, 6.0, 9.0}) {
        s.columns[4].width = width;
        QCOMPARE(heightWith(4, QStringLiteral("Room\t12 North Wing")),
                 heightWith(4, QStringLiteral("Room 12 North Wing")));
    }
    s.columns[4].width = pls::kWidths[4];

    // Other scripts: shaped and measured as drawn, so short names stay one
    // line and a long Arabic, Thai or Japanese address breaks like any other.
    for (const char* name : {"\u0645\u062d\u0645\u062f", "\u0936\u0930\u094d\u092e\u093e",
                             "\u0e2a\u0e21\u0e0a\u0e32\u0e22", "\u5c71\u7530", "\uae40\ubbfc\uc900"})
        QCOMPARE(heightWith(1, QString::fromUtf8(name)), oneLine);
    const QString tokyo = QStringLiteral("\u6771\u4eac\u90fd\u5343\u4ee3\u7530\u533a\u4e38\u306e\u5185"
                                         "\u4e00\u4e01\u76ee\u4e8c\u756a\u4e09\u53f7\u30d3\u30eb");
    const double room = textWidth(columnWidthPx(pls::kWidths[4]));
    const int tokyoLines = static_cast<int>(std::ceil(font.advance(tokyo) / room - 1e-9));
    QVERIFY(tokyoLines >= 2);
    QVERIFY(heightWith(4, tokyo) >= tokyoLines * oneLine);
    QVERIFY(heightWith(4, tokyo) <= (tokyoLines + 1) * oneLine);
}

void TestAutoFit::longRunsAreMeasuredAsRowByRow() {
    // Enough rows to be shared out between threads, each row's address of a
    // different length (one to four lines), some rows in a larger font and a
    // few with text in another script: every height as one row alone gets.
    Workbook wb;
    const int rows = 6001;
    pls::build(wb, rows);
    Sheet& s = wb.sheetAt(0);
    Font big;
    big.name = "Century Gothic";
    big.size = 16;
    const FormatId bigId = pls::withFormat(wb, [&](CellFormat& f) {
        f.font = big;
        f.wrap = true;
    });
    const int first = 4;
    const int last = first + rows - 1;
    for (int r = first; r <= last; ++r) {
        std::string address = std::to_string(r);
        for (int w = 0; w < r % 9; ++w)
            address += " Lakeshore";
        s.cellAt(r, 4).value = r % 101 == 0 ? std::string("\u6771\u4eac\u90fd\u5343\u4ee3\u7530\u533a") : address;
        if (r % 13 == 0)
            s.cellAt(r, 2).format = bigId;
    }
    const std::vector<double> heights = autoFitRowHeights(wb, s, first, last);
    QCOMPARE(heights.size(), std::size_t(rows));
    std::set<double> distinct;
    for (int r = first; r <= last; ++r) {
        const double alone = autoFitRowHeight(wb, s, r);
        if (heights[std::size_t(r - first)] != alone)
            QFAIL(qPrintable(
                QStringLiteral("row %1: %2 instead of %3").arg(r).arg(heights[std::size_t(r - first)]).arg(alone)));
        distinct.insert(alone);
    }
    QVERIFY(distinct.size() >= 4);

    QCOMPARE(autoFitRowHeights(wb, s, 7, 7), std::vector<double>{autoFitRowHeight(wb, s, 7)});
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, autoFitRowHeights(wb, s, -1, 3));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, autoFitRowHeights(wb, s, 3, kMaxRows));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, autoFitRowHeights(wb, s, 5, 4));
}

QTEST_MAIN(TestAutoFit)
#include "test_auto_fit.moc"
