#include "app/settings_store.h"
#include "cli/sheet_export.h"
#include "preview/picture_box.h"
#include "preview/preview_window.h"
#include "preview_test_support.h"
#include "isolated_settings.h"
#include "pdf_tools.h"
#include "scripted_prompt.h"
#include "sheet/render/page_print.h"
#include "sheet/render/sheet_geometry.h"
#include "sheet/render/sheet_render.h"
#include "sheet/xls/xls_io.h"

#include <QComboBox>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Entries with names of their own, so each can be found once in a print.
std::vector<PhoneListRow> entries(int count) {
    std::vector<PhoneListRow> rows;
    for (int i = 1; i <= count; ++i)
        rows.push_back({QStringLiteral("Name%1").arg(i, 4, 10, QLatin1Char('0')), QStringLiteral("First"), QString(),
                        QStringLiteral("%1 Main Street").arg(i), QStringLiteral("(555) 123-4567"),
                        QStringLiteral("(555) 765-4321"), QStringLiteral("(555) 111-2222"),
                        QStringLiteral("n%1@mail.org").arg(i)});
    return rows;
}

void storeLayout(const char* layout) {
    SettingsStore store;
    store.write(settings::kPageLayout, QLatin1String(layout));
    store.sync();
}

} // namespace

class TestPreviewPrint : public QObject {
    Q_OBJECT

    QTemporaryDir mDir;
    QString mPrinted; // where the test printer writes

    // The workbook a generation of count entries writes, under the stored layout.
    QString workbookOf(int count, const char* layout) {
        storeLayout(layout);
        ExportRequest request;
        request.rows = entries(count);
        request.xlsPath = mDir.filePath(QStringLiteral("list%1.xls").arg(count));
        exportPhoneList(request);
        return request.xlsPath;
    }

    void open(Form2& form, const QString& workbook) {
        keepRunningOnClose(form);
        const std::unique_ptr<sheet::Workbook> book = sheet::xls::readFile(workbook.toStdString());
        const sheet::Sheet& sh = book->sheetAt(0);
        form.setPicture(sheet::renderPicture(*book, sh, sheet::CellRange{0, 0, sh.rowCount() - 1, 8}));
        form.mExcelFile = workbook;
        form.choosePrinter = [this](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(mPrinted);
            return true;
        };
        form.show();
    }

private slots:
    void initTestCase() {
        if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
            QSKIP("poppler-utils is not installed");
        mPrinted = mDir.filePath(QStringLiteral("printed.pdf"));
    }

    // Printing goes through QPrinter as the page setup says: one page, or one
    // page wide with the header row and "Page N of M" on every page, no entry
    // lost, doubled or split.
    void printsThePagesTheLayoutAsksFor_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("layout");
        QTest::addColumn<int>("pages");
        QTest::newRow("30, one page") << 30 << settings::kPageLayoutOnePage << 1;
        QTest::newRow("150, one page") << 150 << settings::kPageLayoutOnePage << 1;
        QTest::newRow("499, one page") << 499 << settings::kPageLayoutOnePage << 2; // at the 10 % floor
        QTest::newRow("30, page width") << 30 << settings::kPageLayoutPageWidth << 1;
        QTest::newRow("150, page width") << 150 << settings::kPageLayoutPageWidth << 5;
        // Rows of 19 px: 31 entries under the title on the first page, 35 under
        // the repeated header on each page after.
        QTest::newRow("499, page width") << 499 << settings::kPageLayoutPageWidth << 15;
    }
    void printsThePagesTheLayoutAsksFor() {
        QFETCH(int, count);
        QFETCH(QString, layout);
        QFETCH(int, pages);
        ScriptedPrompt prompt;
        Form2 form;
        open(form, workbookOf(count, layout.toLatin1().constData()));
        QFile::remove(mPrinted);
        form.PrintButton->click();
        QVERIFY2(prompt.shown.empty(), qPrintable(prompt.texts().join(u'\n')));
        QCOMPARE(pdfPageCount(mPrinted), pages);
        QVERIFY(runTool(QStringLiteral("pdfinfo"), {mPrinted}).contains(QStringLiteral("842 x 595 pts")));
        const QStringList texts = pdfPageTexts(mPrinted);
        QCOMPARE(texts.size(), qsizetype(pages));
        const bool numbered = layout == QLatin1String(settings::kPageLayoutPageWidth);
        for (int i = 0; i < pages; ++i) {
            QVERIFY(texts[i].contains(QStringLiteral("Last Name")));
            QCOMPARE(texts[i].contains(QStringLiteral("Page %1 of %2").arg(i + 1).arg(pages)), numbered);
        }
        const QString all = texts.join(u'\n');
        if (count < 499 || numbered) // at 10 % the text is too small for pdftotext to keep every word apart
            for (int i = 1; i <= count; ++i)
                QCOMPARE(all.count(QStringLiteral("Name%1").arg(i, 4, 10, QLatin1Char('0'))), qsizetype(1));
        // The picture shows where the pages break.
        QCOMPARE(form.pageBreaks().size(), std::size_t(pages - 1));
    }

    // "Save as PDF..." writes the export command's PDF.
    void savesThePdfTheExportCommandWrites() {
        ScriptedPrompt prompt;
        Form2 form;
        const QString workbook = workbookOf(150, settings::kPageLayoutPageWidth);
        open(form, workbook);
        const QString target = mDir.filePath(QStringLiteral("saved.pdf"));
        prompt.fileNames.push_back(target);
        form.SavePdfButton->click();
        QCOMPARE(prompt.texts(), QStringList{QStringLiteral("Done.")});
        QCOMPARE(prompt.dialogs.front().filter, QStringLiteral("PDF Files (*.pdf)|*.pdf|"));

        ExportRequest request;
        request.rows = entries(150);
        request.pdfPath = mDir.filePath(QStringLiteral("exported.pdf"));
        exportPhoneList(request);
        QCOMPARE(pdfPageCount(target), 5);
        QCOMPARE(pdfPageTexts(target), pdfPageTexts(request.pdfPath));

        // An existing file is replaced only when the user says so.
        prompt.fileNames.push_back(target);
        prompt.answers.push_back(Prompt::Answer::No);
        const QDateTime before = QFileInfo(target).lastModified();
        form.SavePdfButton->click();
        QCOMPARE(QFileInfo(target).lastModified(), before);
    }

    // Changing the layout in the preview keeps the choice, and the workbook
    // prints the new way; nothing else in it changes.
    void layoutChoiceRewritesTheWorkbookAndItsPageBreaks() {
        ScriptedPrompt prompt;
        Form2 form;
        const QString workbook = workbookOf(150, settings::kPageLayoutOnePage);
        open(form, workbook);
        QCOMPARE(form.PageLayoutBox->currentIndex(), 0);
        QVERIFY(form.pageBreaks().empty());
        const std::unique_ptr<sheet::Workbook> before = sheet::xls::readFile(workbook.toStdString());

        form.PageLayoutBox->setCurrentIndex(1);
        emit form.PageLayoutBox->activated(1);
        QVERIFY(prompt.shown.empty());
        QCOMPARE(SettingsStore().read(settings::kPageLayout, QString()), QStringLiteral("Fit to page width"));
        const std::unique_ptr<sheet::Workbook> after = sheet::xls::readFile(workbook.toStdString());
        sheet::PageSetup& setup = after->sheetAt(0).pageSetup;
        QCOMPARE(sheet::pageFitOf(setup), sheet::PageFit::PageWidth);
        QCOMPARE(setup.footer, std::string("&CPage &P of &N"));
        QVERIFY(setup.printTitleRows == (std::pair{3, 3}));
        sheet::applyPageFit(setup, sheet::PageFit::OnePage);
        QCOMPARE(sheet::xls::writeBytes(*after), sheet::xls::writeBytes(*before));
        QCOMPARE(form.pageBreaks().size(), std::size_t(4));
        QCOMPARE(form.Picture1->drawing().toImage().pixelColor(1, form.pageBreaks()[0]), QColor(0, 0, 255));

        form.PageLayoutBox->setCurrentIndex(0);
        emit form.PageLayoutBox->activated(0);
        QCOMPARE(sheet::xls::writeBytes(*sheet::xls::readFile(workbook.toStdString())),
                 sheet::xls::writeBytes(*before));
        QVERIFY(form.pageBreaks().empty());
    }

    // Zoomed out, the sheet's one-pixel lines between the columns still show
    // all the way down, however the zoom rounds their positions.
    // A long sheet is painted from the generation's workbook, only where it shows,
    // and looks as its picture does; a picture of another sheet is replayed.
    void aLongSheetIsPaintedFromItsWorkbookAsItsPictureShowsIt() {
        Form2 form;
        const QString workbook = workbookOf(499, settings::kPageLayoutOnePage);
        open(form, workbook);
        QVERIFY(form.Picture1->paintsBands());
        for (const int zoomIns : {0, 1}) { // 100 and 125 %
            for (int i = 0; i < zoomIns; ++i)
                form.PushButton1->click();
            const QRect part(0, form.Picture1->height() / 2, form.Picture1->width(), 300);
            const QImage painted = form.Picture1->grab(part).toImage();
            const QImage replayed = form.Picture1->drawing().copy(part).toImage();
            QCOMPARE(painted.size(), replayed.size());
            int different = 0;
            for (int y = 0; y < painted.height(); ++y)
                for (int x = 0; x < painted.width(); ++x)
                    different += painted.pixel(x, y) != replayed.pixel(x, y) ? 1 : 0;
            // Zoomed text is antialiased a little differently when drawn than when
            // replayed; a row out of place would change most of the pixels.
            QVERIFY2(different < painted.width() * painted.height() / 10,
                     qPrintable(QStringLiteral("%1 of %2 pixels differ at %3")
                                    .arg(different)
                                    .arg(painted.width() * painted.height())
                                    .arg(form.previewGeometry().zoom())));
        }

        // A picture of part of the sheet is not the workbook's picture: it is replayed.
        const std::unique_ptr<sheet::Workbook> book = sheet::xls::readFile(workbook.toStdString());
        form.setPicture(sheet::renderPicture(*book, book->sheetAt(0), sheet::CellRange{0, 0, 9, 8}));
        QVERIFY(!form.Picture1->paintsBands());
    }

    void thinLinesStayVisibleAtEveryZoom() {
        Form2 form;
        const QString workbook = workbookOf(30, settings::kPageLayoutOnePage);
        open(form, workbook);
        const std::unique_ptr<sheet::Workbook> book = sheet::xls::readFile(workbook.toStdString());
        const sheet::Sheet& sh = book->sheetAt(0);
        const sheet::SheetGeometry g(sh, sheet::CellRange{0, 0, sh.rowCount() - 1, 8});
        for (int i = 0; i < 3; ++i) { // 75, 50 and 25 %
            form.PushButton2->click();
            const QImage shown = form.Picture1->grab().toImage(); // painted as the window paints it
            const double scale = double(shown.width()) / g.size().width();
            const int top = int(g.rowY(5) * scale) + 1;
            const int bottom = int(g.rowY(sh.rowCount() - 1) * scale) - 1;
            for (int column = 2; column <= 9; ++column) {
                const int x = int((g.columnX(column) - 1) * scale);
                int lined = 0;
                for (int y = top; y <= bottom; ++y)
                    for (int dx = -1; dx <= 1; ++dx)
                        if (qGray(shown.pixel(x + dx, y)) < 215) {
                            ++lined;
                            break;
                        }
                QVERIFY2(lined == bottom - top + 1, qPrintable(QStringLiteral("column %1 at %2: %3 of %4 rows")
                                                                   .arg(column)
                                                                   .arg(form.previewGeometry().zoom())
                                                                   .arg(lined)
                                                                   .arg(bottom - top + 1)));
            }
        }
    }
};

TABWRIGHT_ISOLATED_TEST_MAIN(TestPreviewPrint)
#include "test_preview_print.moc"
