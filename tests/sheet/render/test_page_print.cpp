#include "sheet/render/page_print.h"

#include "pdf_tools.h"
#include "phone_list_sheet.h"

#include <QPageSize>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace sheet;

namespace {

// The sheet's pixel geometry as an independent sum of row heights.
int rowsHeight(const SheetGeometry& g, int first, int last) {
    int h = 0;
    for (int r = first; r <= last; ++r)
        h += g.rowHeight(r);
    return h;
}

struct ListSheet {
    std::unique_ptr<Workbook> book = std::make_unique<Workbook>();
    CellRange range;
    Sheet& sheet() { return book->sheetAt(0); }
};

// A phone list of rows entries as the report prints it: landscape A4, the
// header row (row 4 here) repeated, fitted as asked.
ListSheet listOf(int rows, PageFit fit) {
    ListSheet out;
    out.range = phone_list_sheet::build(*out.book, rows);
    PageSetup& setup = out.sheet().pageSetup;
    setup.orientation = Orientation::Landscape;
    setup.leftMargin = setup.rightMargin = 50.4;
    setup.topMargin = setup.bottomMargin = 36;
    setup.printTitleRows = std::pair{3, 3};
    applyPageFit(setup, fit);
    return out;
}

} // namespace

class TestPagePrint : public QObject {
    Q_OBJECT
private slots:
    // Every row is printed once, in order, whole, on a page it fits on; the
    // title row heads each page that starts below it.
    void pagesHoldEveryRowOnceAndNeverSplitOne_data() {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("fit");
        for (const int rows : {1, 30, 150, 499})
            for (const int fit : {0, 1})
                QTest::addRow("%d rows, %s", rows, fit == 0 ? "one page" : "page width") << rows << fit;
    }
    void pagesHoldEveryRowOnceAndNeverSplitOne() {
        QFETCH(int, rows);
        QFETCH(int, fit);
        ListSheet list = listOf(rows, fit == 0 ? PageFit::OnePage : PageFit::PageWidth);
        const QPageLayout paper = pageLayoutOf(list.sheet().pageSetup);
        const PrintLayout layout = layoutPages(list.sheet(), list.range, paper);
        const SheetGeometry g(list.sheet(), list.range);
        const double pageHeightPx = paper.paintRect(QPageLayout::Point).height() / (0.75 * layout.scale);

        QVERIFY(!layout.pages.empty());
        int next = list.range.firstRow;
        for (const PrintedPage& p : layout.pages) {
            QCOMPARE(p.firstRow, next);
            QVERIFY(p.lastRow >= p.firstRow);
            QCOMPARE(p.titleRows.has_value(), p.firstRow > 3);
            const int height = 1 + rowsHeight(g, p.firstRow, p.lastRow) + (p.titleRows ? g.rowHeight(3) : 0);
            QVERIFY2(height <= pageHeightPx || p.lastRow == p.firstRow, qPrintable(QString::number(height)));
            // The next row would not have fitted.
            if (p.lastRow < list.range.lastRow)
                QVERIFY(height + g.rowHeight(p.lastRow + 1) > pageHeightPx);
            next = p.lastRow + 1;
        }
        QCOMPARE(next, list.range.lastRow + 1);
        if (fit == 1) {
            QCOMPARE(layout.scale, 1.0); // the list fits the width at full size
        } else {
            const double sheetHeightPt = g.size().height() * 0.75;
            const double wanted =
                std::floor(std::min(1.0, paper.paintRect(QPageLayout::Point).height() / sheetHeightPt) * 100) / 100;
            QCOMPARE(layout.scale, std::max(wanted, kMinPrintScale));
            QCOMPARE(layout.pages.size() == 1, wanted >= kMinPrintScale);
        }
    }

    void scaleFitsTheWidthInWholePerCent() {
        ListSheet list = listOf(10, PageFit::PageWidth);
        list.sheet().columns[4].width = 120; // Address far too wide for the paper
        const PrintLayout layout = layoutPages(list.sheet(), list.range, pageLayoutOf(list.sheet().pageSetup));
        const double sheetWidthPt = SheetGeometry(list.sheet(), list.range).size().width() * 0.75;
        const double paperWidthPt = pageLayoutOf(list.sheet().pageSetup).paintRect(QPageLayout::Point).width();
        QCOMPARE(layout.scale, std::floor(paperWidthPt / sheetWidthPt * 100) / 100);
        QVERIFY(layout.scale * sheetWidthPt <= paperWidthPt);
        QCOMPARE(layout.pages.size(), std::size_t(1));
    }

    void pageFitGoesIntoThePageSetupAndComesBack() {
        PageSetup setup;
        applyPageFit(setup, PageFit::PageWidth);
        QVERIFY(setup.fitToPages);
        QCOMPARE(setup.fitToPagesWide, 1);
        QCOMPARE(setup.fitToPagesTall, 0);
        QCOMPARE(setup.footer, std::string("&CPage &P of &N"));
        QCOMPARE(pageFitOf(setup), PageFit::PageWidth);
        applyPageFit(setup, PageFit::OnePage);
        QCOMPARE(setup.fitToPagesTall, 1);
        QVERIFY(setup.footer.empty());
        QCOMPARE(pageFitOf(setup), PageFit::OnePage);
        setup.paperSize = 1;
        QCOMPARE(pageLayoutOf(setup).pageSize().id(), QPageSize::Letter);
    }

    void headerAndFooterCodes_data() {
        QTest::addColumn<QString>("codes");
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("centre");
        QTest::addColumn<QString>("right");
        QTest::newRow("page numbers") << "&CPage &P of &N"
                                      << ""
                                      << "Page 2 of 5"
                                      << "";
        QTest::newRow("no section code") << "Plain"
                                         << ""
                                         << "Plain"
                                         << "";
        QTest::newRow("three sections") << "&LLeft&CMiddle&RRight"
                                        << "Left"
                                        << "Middle"
                                        << "Right";
        QTest::newRow("ampersand, font, size") << "&L&\"Arial,Bold\"A && B&R&14Big"
                                               << "A & B"
                                               << ""
                                               << "Big";
        QTest::newRow("trailing ampersand") << "&CTom &"
                                            << ""
                                            << "Tom &"
                                            << "";
    }
    void headerAndFooterCodes() {
        QFETCH(QString, codes);
        const HeaderFooterText t = headerFooterText(codes.toStdString(), 2, 5);
        QTEST(t.left, "left");
        QTEST(t.centre, "centre");
        QTEST(t.right, "right");
    }

    // The PDF as poppler reads it: the pages laid out, A4 landscape, each
    // numbered at its foot and headed by the header row, every entry once.
    void pdfPrintsThePagesLaidOut() {
        if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
            QSKIP("poppler-utils is not installed");
        ListSheet list = listOf(150, PageFit::PageWidth);
        const PrintLayout layout = layoutPages(list.sheet(), list.range, pageLayoutOf(list.sheet().pageSetup));
        QVERIFY(layout.pages.size() > 2);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("list.pdf"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(pdfOf(*list.book, list.sheet(), list.range));
        file.close();

        QCOMPARE(pdfPageCount(path), int(layout.pages.size()));
        QVERIFY(runTool(QStringLiteral("pdfinfo"), {path}).contains(QStringLiteral("842 x 595 pts")));
        const QStringList pages = pdfPageTexts(path);
        QCOMPARE(pages.size(), qsizetype(layout.pages.size()));
        const int count = static_cast<int>(pages.size());
        for (int i = 0; i < count; ++i) {
            QVERIFY2(pages[i].trimmed().endsWith(QStringLiteral("Page %1 of %2").arg(i + 1).arg(count)),
                     qPrintable(pages[i].right(80)));
            QVERIFY(pages[i].contains(QStringLiteral("Last Name")));
        }
        const QString all = pages.join(QLatin1Char('\n'));
        for (int i = 1; i <= 150; ++i) {
            const QString mail = QString::fromStdString(phone_list_sheet::entry(i)[7]);
            QCOMPARE(all.count(mail), qsizetype(1));
        }
    }
};

QTEST_MAIN(TestPagePrint)
#include "test_page_print.moc"
