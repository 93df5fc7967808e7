// Paints sheets into fixed-format images and checks colours at positions
// computed from the grid geometry; text is checked only for presence and colour.

#include "tests/sheet/render/phone_list_sheet.h"

#include "sheet/render/sheet_render.h"

#include <QFontInfo>
#include <QPainter>
#include <QtTest>

#include <functional>
#include <limits>
#include <tuple>

using namespace sheet;
namespace pls = phone_list_sheet;

namespace {

QRgb rgb(const QImage& image, int x, int y) {
    return image.pixel(x, y) & 0xFFFFFF;
}

bool isDark(QRgb c) {
    return qGray(c) < 110;
}
bool isDarkBlueish(QRgb c) {
    return qBlue(c) > qRed(c) + 30 && qGray(c) < 130;
}

int countPixels(const QImage& image, const QRect& area, bool (*match)(QRgb)) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += match(rgb(image, x, y)) ? 1 : 0;
    return n;
}

// Horizontal bands of text inside `area`: runs of pixel rows holding a dark pixel.
int textBands(const QImage& image, const QRect& area) {
    int bands = 0;
    bool inBand = false;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        bool dark = false;
        for (int x = area.left(); x <= area.right() && !dark; ++x)
            dark = isDark(rgb(image, x, y));
        if (dark && !inBand)
            ++bands;
        inBand = dark;
    }
    return bands;
}

// The inside of a cell, away from its edge lines.
QRect inner(const QRect& cell) {
    return cell.adjusted(2, 2, -3, -3);
}

} // namespace

class TestSheetRender : public QObject {
    Q_OBJECT

private slots:
    void columnWidthFollowsTheDigitWidthFormula_data();
    void columnWidthFollowsTheDigitWidthFormula();
    void rowHeightsAndOffsetsInPixels();
    void rejectsRangesOutsideTheSheet();
    void paletteMapsColorIndexes();
    void wrappedTextPaintsInTheLinesAutoFitCounted();
    void phoneListPicture();
    void gridlinesOnlyWhereCellsHaveNoFill();
    void borderWeightsAndStyles();
    void thinLinesInRunsPaintAsCellByCell();
    void textRunsOnIntoEmptyNeighbours();
    void alignsTextInTallRows();
    void mergedAreaPaintsAsOneCell();
    void numbersAlignRightAndNeverSpill();
    void pictureReplaysLikeTheImage();
    void aBandPaintsAsThePictureDoesThere();
    void refusesImagesTooLargeToHold();
    void everyCharacterIsDrawn();
    void zoomKeepsTheMeasuredPositions();
};

void TestSheetRender::columnWidthFollowsTheDigitWidthFormula_data() {
    QTest::addColumn<double>("characters");
    QTest::addColumn<int>("pixels");
    // The phone list's columns (see the format notes' worked values at 7 px per digit).
    QTest::newRow("A 2") << 2.0 << 19;
    QTest::newRow("B 10.43") << 10.43 << 78;
    QTest::newRow("C 10") << 10.0 << 75;
    QTest::newRow("D 13") << 13.0 << 96;
    QTest::newRow("E 24.71") << 24.71 << 178;
    QTest::newRow("F 13.43") << 13.43 << 99;
    QTest::newRow("G 12.43") << 12.43 << 92;
    QTest::newRow("I 18.43") << 18.43 << 134;
    QTest::newRow("below one character") << 0.5 << 6;
    QTest::newRow("zero") << 0.0 << 0;
    QTest::newRow("negative") << -3.0 << 0;
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << 0;
}

void TestSheetRender::columnWidthFollowsTheDigitWidthFormula() {
    QFETCH(double, characters);
    QFETCH(int, pixels);
    QCOMPARE(columnWidthPx(characters), pixels);
}

void TestSheetRender::rowHeightsAndOffsetsInPixels() {
    QCOMPARE(rowHeightPx(11.25), 15);
    QCOMPARE(rowHeightPx(34.5), 46);
    QCOMPARE(rowHeightPx(5.25), 7);
    QCOMPARE(rowHeightPx(13.5), 18);
    QCOMPARE(rowHeightPx(14), 19);
    QCOMPARE(rowHeightPx(12.75), 17);
    QCOMPARE(rowHeightPx(1000), rowHeightPx(409.5));

    Workbook wb;
    const CellRange all = pls::build(wb, 3);
    Sheet& s = wb.sheetAt(0);
    s.columns[20].hidden = true;
    const SheetGeometry g(s, all);
    QCOMPARE(g.columnX(0), 1); // pixel 0 holds the left edge line
    QCOMPARE(g.columnX(1), 1 + 19);
    QCOMPARE(g.columnX(2), 1 + 19 + 78);
    QCOMPARE(g.rowY(0), 1);
    QCOMPARE(g.rowY(4), 1 + 15 + 46 + 7 + 18);
    QCOMPARE(g.size(), QSize(1 + 19 + 78 + 75 + 96 + 178 + 99 + 92 + 92 + 134, g.rowY(7)));
    QCOMPARE(g.columnWidth(9), kDefaultColumnWidthPx);
    QCOMPARE(g.columnWidth(20), 0);
    QCOMPARE(g.rowHeight(100), SheetGeometry::defaultRowHeight(s));

    // A range starting elsewhere has its own origin; rows before it lie above.
    const SheetGeometry inner(s, CellRange{1, 1, 2, 2});
    QCOMPARE(inner.columnX(1), 1);
    QCOMPARE(inner.rowY(1), 1);
    QCOMPARE(inner.rowY(0), 1 - 15);
    QCOMPARE(inner.rowY(5), 1 + 46 + 7 + 18 + g.rowHeight(4));
    QCOMPARE(inner.size(), QSize(1 + 78 + 75, 1 + 46 + 7));
}

void TestSheetRender::rejectsRangesOutsideTheSheet() {
    Workbook wb;
    Sheet& s = wb.addSheet("S");
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, SheetGeometry(s, CellRange{3, 0, 2, 0}));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, SheetGeometry(s, CellRange{-1, 0, 2, 0}));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, SheetGeometry(s, CellRange{0, 0, kMaxRows, 0}));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, renderPicture(wb, s, CellRange{0, 5, 0, kMaxColumns}));
    QImage image(10, 10, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, paintRange(painter, wb, s, CellRange{0, 3, 0, 2}));
}

void TestSheetRender::paletteMapsColorIndexes() {
    QCOMPARE(paletteColor(1), QColor(0x00, 0x00, 0x00));
    QCOMPARE(paletteColor(2), QColor(0xFF, 0xFF, 0xFF));
    QCOMPARE(paletteColor(15), QColor(0xC0, 0xC0, 0xC0));
    QCOMPARE(paletteColor(19), QColor(0xFF, 0xFF, 0xCC));
    QCOMPARE(paletteColor(49), QColor(0x00, 0x33, 0x66));
    QCOMPARE(paletteColor(56), QColor(0x33, 0x33, 0x33));
    // Automatic and indexes outside the palette take the caller's colour.
    QCOMPARE(paletteColor(kAutomatic, Qt::red), QColor(Qt::red));
    QCOMPARE(paletteColor(57), QColor(Qt::black));
    QCOMPARE(paletteColor(-4105, Qt::white), QColor(Qt::white));
}

void TestSheetRender::wrappedTextPaintsInTheLinesAutoFitCounted() {
    Workbook wb;
    const CellRange range = pls::build(wb, 3);
    const Sheet& s = wb.sheetAt(0);
    const QImage image = renderImage(wb, s, range);
    const SheetGeometry g(s, range);
    QCOMPARE(image.size(), g.size());
    // Row 6 (the address that wraps) and row 5 (short texts), column E.
    QCOMPARE(textBands(image, inner(g.cellRect(5, 4))), 3);
    QCOMPARE(textBands(image, inner(g.cellRect(4, 4))), 1);
    // All three lines are inside the row auto-fit made for them.
    const QRect cell = g.cellRect(5, 4);
    QVERIFY(countPixels(image, QRect(cell.left() + 2, cell.top() + 1, cell.width() - 4, 3), isDark) == 0);
}

void TestSheetRender::phoneListPicture() {
    Workbook wb;
    const CellRange range = pls::build(wb, 30);
    const Sheet& s = wb.sheetAt(0);
    QCOMPARE(range, (CellRange{0, 0, 33, 8}));
    const QImage image = renderImage(wb, s, range);
    QCOMPARE(image.format(), QImage::Format_ARGB32_Premultiplied);
    const SheetGeometry g(s, range);
    QCOMPARE(image.size(), g.size());
    if (qEnvironmentVariableIsSet("TABWRIGHT_RENDER_OUT"))
        image.save(qEnvironmentVariable("TABWRIGHT_RENDER_OUT"));

    const QRgb white = 0xFFFFFF, grey = 0xC0C0C0, yellow = 0xFFFFCC, darkBlue = 0x003366, black = 0;
    const auto lineAbove = [&](int row, int column) {
        const QRect c = g.cellRect(row, column);
        return rgb(image, c.center().x(), c.top() - 1);
    };
    const auto lineLeftOf = [&](int row, int column) {
        const QRect c = g.cellRect(row, column);
        return rgb(image, c.left() - 1, c.center().y());
    };

    // White everywhere the sheet's fill is white: no gridlines in column A or row 1.
    QCOMPARE(countPixels(image, g.cellRect(0, 0, 33, 0).adjusted(-1, -1, -1, 0), [](QRgb c) { return c != 0xFFFFFF; }),
             0);
    QCOMPARE(rgb(image, g.cellRect(2, 3).center().x(), g.cellRect(2, 3).center().y()), white);

    // Title: dark blue text in B2, running on over the empty cells to its right.
    const QRect title = g.cellRect(1, 1, 1, 5);
    QVERIFY(countPixels(image, title, isDarkBlueish) > 200);
    QVERIFY(countPixels(image, g.cellRect(1, 3), isDarkBlueish) > 20);
    QCOMPARE(countPixels(image, title, [](QRgb c) { return qRed(c) > qBlue(c) + 40; }), 0);
    // The stamp: dark blue label, black value above an automatic (black) bottom line.
    QVERIFY(countPixels(image, g.cellRect(1, 7), isDarkBlueish) > 20);
    QCOMPARE(rgb(image, g.cellRect(1, 8).center().x(), g.cellRect(1, 8).bottom()), black);
    QCOMPARE(rgb(image, g.cellRect(1, 7).center().x(), g.cellRect(1, 7).bottom()), white);

    // Header: dark blue fill, white bold text, white lines between its cells,
    // the frame's black line above, the first data row's grey line below.
    const QRect header = g.cellRect(3, 2);
    QCOMPARE(rgb(image, header.right() - 3, header.top() + 2), darkBlue);
    QVERIFY(countPixels(image, inner(header), [](QRgb c) { return qGray(c) > 200; }) > 20);
    QCOMPARE(lineLeftOf(3, 2), white);
    QCOMPARE(lineLeftOf(3, 8), white);
    QCOMPARE(lineAbove(3, 4), black);
    QCOMPARE(lineAbove(4, 4), grey);

    // Data rows: white and light yellow in turn, grey lines around and between cells.
    for (int i = 1; i <= 30; ++i) {
        const int r = i + 3;
        const QRect empty = g.cellRect(r, 3); // Spouse/Kids is empty in most rows
        const QRgb fill = rgb(image, empty.right() - 3, empty.top() + 2);
        QCOMPARE(fill, i % 2 == 0 ? yellow : white);
        QCOMPARE(lineLeftOf(r, 4), grey);
        QCOMPARE(lineLeftOf(r, 8), grey);
        if (i > 1)
            QCOMPARE(lineAbove(r, 5), grey);
        // The frame: black on the left of B and the right of I.
        QCOMPARE(lineLeftOf(r, 1), black);
        QCOMPARE(lineLeftOf(r, 9), black);
        // Black text in the last-name column.
        QVERIFY(countPixels(image, inner(g.cellRect(r, 1)), isDark) > 20);
    }
    // The frame's bottom line under the last row, one pixel thick.
    const QRect last = g.cellRect(33, 5);
    QCOMPARE(rgb(image, last.center().x(), last.bottom()), black);
    QCOMPARE(rgb(image, last.center().x(), last.bottom() - 1), yellow);
    QCOMPARE(image.height(), last.bottom() + 1);
}

void TestSheetRender::gridlinesOnlyWhereCellsHaveNoFill() {
    Workbook wb;
    Sheet& s = wb.addSheet("S");
    s.cellAt(1, 1).format = pls::withFormat(wb, [](CellFormat& f) { f.fill = 3; });
    const CellRange range{0, 0, 2, 2};
    const QImage image = renderImage(wb, s, range);
    const SheetGeometry g(s, range);
    const QRgb grid = kGridlineRgb, red = 0xFF0000;
    QCOMPARE(rgb(image, 0, 0), grid);
    QCOMPARE(rgb(image, g.cellRect(0, 0).right(), 5), grid);
    QCOMPARE(rgb(image, 5, g.cellRect(0, 0).bottom()), grid);
    QCOMPARE(rgb(image, g.cellRect(2, 2).right(), g.cellRect(2, 2).bottom()), grid);
    const QRect filled = g.cellRect(1, 1);
    QCOMPARE(rgb(image, filled.right(), filled.center().y()), red);
    QCOMPARE(rgb(image, filled.center().x(), filled.bottom()), red);
    QCOMPARE(rgb(image, filled.center().x(), filled.center().y()), red);
    QCOMPARE(rgb(image, g.cellRect(0, 0).center().x(), g.cellRect(0, 0).center().y()), 0xFFFFFFu);
}

void TestSheetRender::thinLinesInRunsPaintAsCellByCell() {
    // Thin lines of several colours, some cells without, on both sides of cell
    // edges, plus merged areas. One medium line far to the right sends the whole
    // range down the line-by-line path; without it the same lines are painted in
    // runs. Everything away from that one line must match pixel for pixel.
    for (const unsigned seed : {1u, 7u, 42u}) {
        Workbook wb;
        Sheet& s = wb.addSheet("S");
        unsigned state = seed;
        const auto next = [&state](unsigned n) {
            state = state * 1103515245u + 12345u;
            return (state >> 16) % n;
        };
        const std::array<ColorIndex, 4> colors{kAutomatic, 15, 10, 5};
        for (int r = 0; r < 14; ++r)
            for (int c = 0; c < 6; ++c)
                for (const Edge e : {Edge::Left, Edge::Top, Edge::Right, Edge::Bottom})
                    if (next(3) != 0)
                        pls::edit(wb, s, r, c, [&](CellFormat& f) {
                            f.border(e) = Border{kLineThin, colors[next(4)]};
                        });
        s.merged.push_back(CellRange{3, 1, 4, 2});
        s.merged.push_back(CellRange{8, 3, 8, 5});
        const CellRange range{0, 0, 14, 8};
        const QImage runs = renderImage(wb, s, range);
        const QRect medium = SheetGeometry(s, range).cellRect(0, 8).adjusted(-3, -3, 3, 3);
        pls::edit(wb, s, 0, 8, [](CellFormat& f) { f.border(Edge::Right) = Border{2, kAutomatic}; });
        const QImage oneByOne = renderImage(wb, s, range);
        QCOMPARE(runs.size(), oneByOne.size());
        for (int y = 0; y < runs.height(); ++y)
            for (int x = 0; x < runs.width(); ++x)
                if (!medium.contains(x, y) && runs.pixel(x, y) != oneByOne.pixel(x, y))
                    QFAIL(qPrintable(QStringLiteral("seed %1: pixel %2,%3 differs").arg(seed).arg(x).arg(y)));
    }
}

void TestSheetRender::borderWeightsAndStyles() {
    Workbook wb;
    Sheet& s = wb.addSheet("S");
    const auto bottom = [&](int column, std::uint8_t style, ColorIndex color) {
        s.cellAt(1, column).format = pls::withFormat(wb, [&](CellFormat& f) {
            f.border(Edge::Bottom) = {style, color};
        });
    };
    bottom(0, 1, kAutomatic); // thin
    bottom(1, 2, 3);          // medium red
    bottom(2, 5, 5);          // thick blue
    bottom(3, 3, kAutomatic); // dashed
    const CellRange range{0, 0, 3, 3};
    const QImage image = renderImage(wb, s, range);
    const SheetGeometry g(s, range);
    const auto thickness = [&](int column, QRgb colour) {
        const int x = g.cellRect(1, column).center().x();
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            n += rgb(image, x, y) == colour ? 1 : 0;
        return n;
    };
    QCOMPARE(thickness(0, 0x000000), 1);
    QCOMPARE(thickness(1, 0xFF0000), 2);
    QCOMPARE(thickness(2, 0x0000FF), 3);
    const int y = g.cellRect(1, 0).bottom();
    QCOMPARE(rgb(image, g.cellRect(1, 0).center().x(), y), 0u);
    // The dashed line has gaps along its length.
    const QRect dashed = g.cellRect(1, 3);
    const int dark = countPixels(image, QRect(dashed.left(), y, dashed.width() - 1, 1), isDark);
    QVERIFY(dark > dashed.width() / 4 && dark < dashed.width() - 4);

    // Where two cells disagree on their shared edge, the lower cell's line shows.
    s.cellAt(2, 0).format = pls::withFormat(wb, [](CellFormat& f) { f.border(Edge::Top) = {kLineThin, 10}; });
    const QImage over = renderImage(wb, s, range);
    QCOMPARE(rgb(over, g.cellRect(1, 0).center().x(), y), 0x008000u);
}

void TestSheetRender::textRunsOnIntoEmptyNeighbours() {
    Workbook wb;
    Sheet& s = wb.addSheet("S");
    s.cellAt(0, 0).value = std::string("A long text that needs several columns");
    s.cellAt(1, 0).value = std::string("A long text that needs several columns");
    s.cellAt(1, 1).value = std::string(" "); // shows nothing, yet stops the run
    s.cellAt(2, 3).value = std::string("Right aligned text running left");
    s.cellAt(2, 3).format = pls::withFormat(wb, [](CellFormat& f) { f.hAlign = HAlign::Right; });
    const CellRange range{0, 0, 2, 3};
    const QImage image = renderImage(wb, s, range);
    const SheetGeometry g(s, range);

    QVERIFY(countPixels(image, inner(g.cellRect(0, 1)), isDark) > 20);
    QCOMPARE(countPixels(image, inner(g.cellRect(1, 1)), isDark), 0);
    // No gridline under the text where it runs on; the row below keeps its own.
    QVERIFY(rgb(image, g.cellRect(0, 0).right(), g.cellRect(0, 0).top() + 1) != kGridlineRgb);
    QCOMPARE(rgb(image, g.cellRect(1, 0).right(), g.cellRect(1, 0).top() + 1), kGridlineRgb);
    QVERIFY(countPixels(image, inner(g.cellRect(2, 2)), isDark) > 20);
    QCOMPARE(countPixels(image, inner(g.cellRect(2, 0)), isDark), 0);
}

void TestSheetRender::alignsTextInTallRows() {
    Workbook wb;
    Sheet& s = wb.addSheet("S");
    s.rowAt(0).height = 60;
    const std::array<VAlign, 3> vertical = {VAlign::Top, VAlign::Center, VAlign::Bottom};
    const std::array<HAlign, 3> horizontal = {HAlign::Left, HAlign::Center, HAlign::Right};
    for (int c = 0; c < 3; ++c) {
        s.cellAt(0, c).value = std::string("ab");
        s.cellAt(0, c).format = pls::withFormat(wb, [&](CellFormat& f) {
            f.vAlign = vertical[static_cast<std::size_t>(c)];
            f.hAlign = horizontal[static_cast<std::size_t>(c)];
        });
    }
    const CellRange range{0, 0, 0, 2};
    const QImage image = renderImage(wb, s, range);
    const SheetGeometry g(s, range);
    // Which third of the cell, across and down, holds the text.
    const auto third = [&](int column) {
        const QRect cell = g.cellRect(0, column);
        int sx = 0, sy = 0, n = 0;
        for (int y = cell.top(); y < cell.bottom(); ++y)
            for (int x = cell.left(); x < cell.right(); ++x)
                if (isDark(rgb(image, x, y))) {
                    sx += x - cell.left();
                    sy += y - cell.top();
                    ++n;
                }
        return n == 0 ? QPoint(-1, -1) : QPoint(3 * sx / n / cell.width(), 3 * sy / n / cell.height());
    };
    QCOMPARE(third(0), QPoint(0, 0));
    QCOMPARE(third(1), QPoint(1, 1));
    QCOMPARE(third(2), QPoint(2, 2));
}

void TestSheetRender::mergedAreaPaintsAsOneCell() {
    Workbook wb;
    Sheet& s = wb.addSheet("S");
    s.cellAt(1, 1).value = std::string("Merged");
    s.cellAt(1, 1).format = pls::withFormat(wb, [](CellFormat& f) {
        f.fill = 6;
        f.hAlign = HAlign::Center;
        f.vAlign = VAlign::Center;
    });
    s.merged.push_back(CellRange{1, 1, 2, 2});
    s.merged.push_back(CellRange{0, 0, 0, 0}); // a one-cell merge changes nothing
    const CellRange range{0, 0, 3, 3};
    const QImage image = renderImage(wb, s, range);
    const SheetGeometry g(s, range);
    const QRect area = g.cellRect(1, 1, 2, 2);
    const QRgb yellow = 0xFFFF00;
    // One fill without inner gridlines, text centred across the whole area.
    QCOMPARE(rgb(image, g.cellRect(1, 1).right(), g.cellRect(1, 1).top() + 2), yellow);
    QCOMPARE(rgb(image, g.cellRect(1, 1).left() + 2, g.cellRect(1, 1).bottom()), yellow);
    QCOMPARE(rgb(image, area.right() - 2, area.bottom() - 2), yellow);
    const int middle = area.center().y();
    int firstDark = -1, lastDark = -1;
    for (int x = area.left(); x < area.right(); ++x)
        for (int y = middle - 8; y <= middle + 8; ++y)
            if (isDark(rgb(image, x, y))) {
                lastDark = x;
                if (firstDark < 0)
                    firstDark = x;
            }
    QVERIFY(firstDark > area.left() + 10);
    QVERIFY(qAbs((firstDark + lastDark) / 2 - area.center().x()) <= 3);

    // Painting a range that cuts the area still shows its part, clipped to the range.
    const CellRange cut{2, 2, 3, 3};
    const QImage part = renderImage(wb, s, cut);
    const QRect corner = SheetGeometry(s, cut).cellRect(2, 2);
    QCOMPARE(rgb(part, corner.right() - 2, corner.bottom() - 2), yellow);
    QCOMPARE(rgb(part, corner.right() + 3, corner.bottom() - 2), 0xFFFFFFu);
}

void TestSheetRender::numbersAlignRightAndNeverSpill() {
    Workbook wb;
    Sheet& s = wb.addSheet("S");
    s.cellAt(0, 0).value = 7.0;
    s.cellAt(1, 0).value = 1234567890.0;
    s.columns[0].width = 3;
    const CellRange range{0, 0, 1, 1};
    const QImage image = renderImage(wb, s, range);
    const SheetGeometry g(s, range);
    const QRect small = g.cellRect(0, 0);
    QCOMPARE(countPixels(image, QRect(small.left(), small.top(), small.width() / 2, small.height() - 1), isDark), 0);
    QVERIFY(countPixels(image, QRect(small.center().x(), small.top(), small.width() / 2, small.height() - 1), isDark) >
            5);
    // Too wide for its column: hashes inside the cell, nothing in the neighbour.
    QVERIFY(countPixels(image, inner(g.cellRect(1, 0)), isDark) > 5);
    QCOMPARE(countPixels(image, inner(g.cellRect(1, 1)), isDark), 0);
}

void TestSheetRender::pictureReplaysLikeTheImage() {
    Workbook wb;
    const CellRange range = pls::build(wb, 5);
    const Sheet& s = wb.sheetAt(0);
    const QImage image = renderImage(wb, s, range);
    const sheet::VectorPicture picture = renderPicture(wb, s, range);
    QCOMPARE(picture.boundingRect(), QRect(QPoint(0, 0), image.size()));

    QImage replay(image.size(), QImage::Format_ARGB32_Premultiplied);
    replay.fill(Qt::white);
    QPainter painter(&replay);
    picture.play(painter);
    painter.end();
    // Text sits on whole pixels, so the replay matches all but a stray antialiased pixel.
    int different = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            different += rgb(image, x, y) != rgb(replay, x, y) ? 1 : 0;
    QVERIFY2(different < image.width() * image.height() / 1000, qPrintable(QString::number(different)));

    // Twice the scale: twice the pixels, and the dpi says so.
    const QImage sharp = renderImage(wb, s, range, 2.0);
    QCOMPARE(sharp.size(), image.size() * 2);
    QCOMPARE(qRound(sharp.dotsPerMeterX() * 0.0254), 192);
    QCOMPARE(rgb(sharp, 2 * image.width() - 1, 2 * image.height() - 1),
             rgb(image, image.width() - 1, image.height() - 1));
}

// A viewer paints only the rows in sight: the band must be what painting the
// whole range shows there, at 1x and zoomed, lines between the rows included;
// and at 1x what the recorded picture shows.
void TestSheetRender::aBandPaintsAsThePictureDoesThere() {
    Workbook wb;
    const CellRange range = pls::build(wb, 40);
    const Sheet& s = wb.sheetAt(0);
    const SheetGeometry whole(s, range);
    const sheet::VectorPicture picture = renderPicture(wb, s, range);
    for (const double zoom : {1.0, 1.75, 0.5}) {
        const QSize size(int(std::ceil(whole.size().width() * zoom)), int(std::ceil(whole.size().height() * zoom)));
        const auto painted = [&](const std::function<void(QPainter&)>& paint) {
            QImage image(size, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::white);
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing, false);
            painter.scale(zoom, zoom);
            paint(painter);
            return image;
        };
        const QImage all = painted([&](QPainter& p) {
            if (zoom == 1.0)
                picture.play(p);
            else
                paintBand(p, wb, s, whole, 0, whole.size().height());
        });
        // From the middle of row 12 to the top edge of row 31, and one that starts on a row's edge line.
        for (const auto& [top, bottom] :
             {std::pair{whole.rowY(11) + 5, whole.rowY(30)}, std::pair{whole.rowY(20) - 1, whole.rowY(21) + 1}}) {
            const QImage band = painted([&](QPainter& p) {
                p.setClipRect(QRect(0, top, whole.size().width(), bottom - top));
                paintBand(p, wb, s, whole, top, bottom);
            });
            int different = 0;
            const int y0 = int(std::ceil(top * zoom));
            const int y1 = int(std::floor(bottom * zoom));
            for (int y = y0; y < y1; ++y)
                for (int x = 0; x < size.width(); ++x)
                    different += rgb(all, x, y) != rgb(band, x, y) ? 1 : 0;
            QVERIFY2(different < size.width() * (y1 - y0) / 1000,
                     qPrintable(
                         QStringLiteral("zoom %1, rows from %2: %3 pixels differ").arg(zoom).arg(top).arg(different)));
            QVERIFY(y1 > y0);
        }
    }
}

void TestSheetRender::refusesImagesTooLargeToHold() {
    Workbook wb;
    const Sheet& s = wb.addSheet("S");
    const CellRange whole{0, 0, kMaxRows - 1, kMaxColumns - 1};
    QVERIFY_THROWS_EXCEPTION(std::length_error, renderImage(wb, s, whole));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, renderImage(wb, s, CellRange{}, 0));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, renderImage(wb, s, CellRange{}, -1));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument,
                             renderImage(wb, s, CellRange{}, std::numeric_limits<double>::quiet_NaN()));
}

namespace {

// Leftmost and rightmost columns of dark pixels inside `area`; (-1, -1) when none.
std::pair<int, int> inkColumns(const QImage& image, const QRect& area) {
    int left = -1;
    int right = -1;
    for (int x = area.left(); x <= area.right(); ++x)
        for (int y = area.top(); y <= area.bottom(); ++y)
            if (isDark(rgb(image, x, y))) {
                if (left < 0)
                    left = x;
                right = x;
                break;
            }
    return {left, right};
}

} // namespace

void TestSheetRender::everyCharacterIsDrawn() {
    // Each character of names in the scripts a list may hold, alone in a cell,
    // leaves ink; whole names in General alignment sit at the left, or at the
    // right for right-to-left scripts.
    const QStringList names{QStringLiteral("M\u00fcller-\u0141uka"),
                            QStringLiteral("\u0645\u062d\u0645\u062f"),
                            QStringLiteral("\u05db\u05d4\u05df"),
                            QStringLiteral("\u0936\u0930\u094d\u092e\u093e"),
                            QStringLiteral("\u0e2a\u0e21\u0e0a\u0e32\u0e22"),
                            QStringLiteral("\u5c71\u7530\u592a\u90ce"),
                            QStringLiteral("\u30e4\u30de\u30c0"),
                            QStringLiteral("\uae40\ubbfc\uc900"),
                            QStringLiteral("\u0395\u03bb\u03bb\u03ac\u03b4\u03b1")};
    Workbook wb;
    Sheet& s = wb.addSheet("S");
    s.columns[0].width = 30;
    int row = 0;
    for (const QString& name : names) {
        s.cellAt(row++, 0).value = name.toStdString();
        for (const QChar c : name)
            if (c.category() != QChar::Mark_NonSpacing && c.category() != QChar::Mark_SpacingCombining)
                s.cellAt(row++, 0).value = QString(c).toStdString();
    }
    const CellRange range{0, 0, row - 1, 0};
    const QImage image = renderImage(wb, s, range);
    const SheetGeometry g(s, range);
    for (int r = 0; r < row; ++r) {
        const QString text = QString::fromStdString(*s.cellAt(r, 0).text());
        const QRect cell = inner(g.cellRect(r, 0));
        const auto [left, right] = inkColumns(image, cell);
        QVERIFY2(left >= 0, qPrintable(text + QStringLiteral(" left no ink")));
        if (text.size() > 2) {
            const bool rtl = text.isRightToLeft();
            QVERIFY2(rtl ? left > cell.center().x() : right < cell.center().x(), qPrintable(text));
        }
    }
}

void TestSheetRender::zoomKeepsTheMeasuredPositions() {
    // A long line at 1x, 2x and in the recorded picture replayed at 3x ends
    // where the measure put it, scaled: the layout is done at 96 dpi.
    Workbook wb;
    Sheet& s = wb.addSheet("S");
    s.columns[0].width = 60;
    CellFormat f;
    f.font.name = "Century Gothic";
    f.font.size = 10;
    const FormatId id = wb.formats.intern(f);
    const QString text = QStringLiteral("llllllllllllllllllllllllllllllllllllllll|");
    s.cellAt(0, 0) = Cell{text.toStdString(), id};
    const CellRange range{0, 0, 0, 0};
    const double measured = cellFont(f.font).advance(text);
    const QRect cell = SheetGeometry(s, range).cellRect(0, 0);
    std::vector<double> ends;
    for (const double scale : {1.0, 2.0, 3.0}) {
        QImage image;
        if (scale < 3) {
            image = renderImage(wb, s, range, scale);
        } else {
            image = QImage(cell.size() * 3, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::white);
            QPainter painter(&image);
            painter.scale(3, 3);
            renderPicture(wb, s, range).play(painter);
        }
        const QRect area(0, 0, int((cell.width() - 2) * scale), int((cell.height() - 2) * scale));
        ends.push_back((inkColumns(image, area).second + 1) / scale);
    }
    // The bar's ink ends a side bearing short of the measured end, and at the
    // same place, to a pixel, at every scale.
    QVERIFY2(ends[0] <= kTextPadLeft + measured && ends[0] >= kTextPadLeft + measured - 4,
             qPrintable(QString::number(ends[0])));
    for (const double end : ends)
        QVERIFY2(std::abs(end - ends[0]) <= 1.0, qPrintable(QStringLiteral("%1 instead of %2").arg(end).arg(ends[0])));
}

QTEST_MAIN(TestSheetRender)
#include "test_sheet_render.moc"
