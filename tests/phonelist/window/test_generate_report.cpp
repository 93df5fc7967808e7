#include "app/prompt.h"
#include "isolated_settings.h"
#include "phonelist/window/main_window.h"
#include "app/settings_store.h"
#include "phonelist/files/list_input.h"
#include "phonelist/phone_list_table.h"
#include "phonelist/window/report_windows.h"
#include "preview/picture_box.h"
#include "preview/preview_window.h"
#include "scripted_prompt.h"
#include "sheet/engine/app_factory.h"
#include "sheet/engine/spreadsheet_app.h"
#include "sheet/report/sheet_snapshot.h"
#include "sheet/xls/xls_io.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

// The engine's own instances, unless the test makes creation fail or presents
// a running instance; onCreate looks at the windows while an instance is made.
class TestFactory : public sheet::AppFactory {
public:
    TestFactory() { sheet::setAppFactory(this); }
    ~TestFactory() override { sheet::setAppFactory(nullptr); }

    std::shared_ptr<sheet::SpreadsheetApp> create() override {
        ++creates;
        if (onCreate)
            onCreate();
        if (createFails)
            throw std::runtime_error("ActiveX component can't create object");
        return sheet::engineFactory().create();
    }
    std::shared_ptr<sheet::SpreadsheetApp> attach() override {
        if (!running)
            throw std::runtime_error("ActiveX component can't create object");
        return running;
    }

    bool createFails = false;
    std::shared_ptr<sheet::SpreadsheetApp> running;
    std::function<void()> onCreate;
    int creates = 0;
};

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class TestGenerateReport : public QObject {
    Q_OBJECT

    QTemporaryDir mTemp;
    QTemporaryDir mOut;
    std::unique_ptr<ScriptedPrompt> mPrompt;

    std::unique_ptr<Form1> start() {
        auto w = std::make_unique<Form1>();
        w->show();
        if (!QTest::qWaitForWindowExposed(w.get()))
            qWarning("window not exposed");
        return w;
    }

    // Example rows, then "Start Creating Template".
    Form2* generate(Form1& w, bool withExamples = true) {
        if (withExamples)
            QTest::mouseClick(w.PushButton7, Qt::LeftButton);
        QTest::mouseClick(w.PushButton22, Qt::LeftButton);
        return w.reportWindows().loadedPreview();
    }

    QString picturePath() const { return mTemp.filePath(QStringLiteral("temp.bmp")); }

private slots:
    void initTestCase() {
        qputenv("TEMP", mTemp.path().toLocal8Bit());
        installCopyPicture();
    }
    void init() {
        QFile::remove(SettingsStore().fileName());
        mPrompt = std::make_unique<ScriptedPrompt>();
    }
    void cleanup() { mPrompt.reset(); }

    void startShowsThePreviewAndSavesCopies() {
        auto w = start();
        Form2* preview = generate(*w);
        QVERIFY2(mPrompt->shown.empty(), qPrintable(mPrompt->texts().join(QStringLiteral(" / "))));
        QVERIFY(preview);
        QTRY_VERIFY(preview->isVisible());
        QVERIFY(!w->isVisible());
        QCOMPARE(w->mousePointer(), MousePointer::Default);
        QVERIFY(w->updatesEnabled());
        QVERIFY(!preview->Picture1->picture().isNull());

        const QString workbook = preview->mExcelFile;
        QVERIFY(QRegularExpression(QStringLiteral("^velmar[1-9]{8}\\.xls$"))
                    .match(QFileInfo(workbook).fileName())
                    .hasMatch());
        QCOMPARE(QFileInfo(workbook).path(), mTemp.path());
        QVERIFY(QFile::exists(workbook));
        QVERIFY(!QFile::exists(picturePath()));
        const QByteArray bytes = readAll(workbook);
        QVERIFY(bytes.size() > 512);

        // A new name: a byte-for-byte copy, then "Done.".
        const QString saved = mOut.filePath(QStringLiteral("Phone List.xls"));
        mPrompt->fileNames.push_back(saved);
        QTest::mouseClick(preview->PushButton6, Qt::LeftButton);
        QCOMPARE(readAll(saved), bytes);
        QCOMPARE(mPrompt->texts(), QStringList{QStringLiteral("Done.")});
        QCOMPARE(mPrompt->dialogs.back().title, QStringLiteral("Save File"));
        QCOMPARE(mPrompt->dialogs.back().filter,
                 QStringLiteral("Excel 97-2003 Workbook (*.xls)|*.xls|Excel Workbook (*.xlsx)|*.xlsx|"));

        // An existing file: No keeps it, Yes replaces it.
        const QString existing = mOut.filePath(QStringLiteral("old.xls"));
        writeFile(existing, "old contents");
        mPrompt->shown.clear();
        mPrompt->fileNames.push_back(existing);
        mPrompt->answers.push_back(Prompt::Answer::No);
        QTest::mouseClick(preview->PushButton6, Qt::LeftButton);
        QCOMPARE(readAll(existing), QByteArray("old contents"));
        QCOMPARE(mPrompt->texts(),
                 (QStringList{QStringLiteral("Are you sure you wish to overwrite ") + existing + QStringLiteral(" ?"),
                              QStringLiteral("Done.")}));
        mPrompt->shown.clear();
        mPrompt->fileNames.push_back(existing);
        mPrompt->answers.push_back(Prompt::Answer::Yes);
        QTest::mouseClick(preview->PushButton6, Qt::LeftButton);
        QCOMPARE(readAll(existing), bytes);
        QCOMPARE(mPrompt->shown.back().text, QStringLiteral("Done."));

        // Cancel writes nothing.
        const QStringList before = QDir(mOut.path()).entryList(QDir::Files);
        mPrompt->shown.clear();
        QTest::mouseClick(preview->PushButton6, Qt::LeftButton);
        QCOMPARE(QDir(mOut.path()).entryList(QDir::Files), before);
        QCOMPARE(mPrompt->texts(), QStringList{QStringLiteral("Done.")});
        QVERIFY(preview->isVisible());
        QVERIFY(mPrompt->errorReports().empty());

        // An independent reader opens the saved copy and finds the list in it.
        QTemporaryDir profile;
        QProcess soffice;
        soffice.start(QStringLiteral("soffice"),
                      {QStringLiteral("--headless"), QStringLiteral("-env:UserInstallation=file://") + profile.path(),
                       QStringLiteral("--convert-to"), QStringLiteral("csv"), QStringLiteral("--outdir"), mOut.path(),
                       saved});
        QVERIFY(soffice.waitForFinished(180000));
        const QString csv = QString::fromUtf8(readAll(mOut.filePath(QStringLiteral("Phone List.csv"))));
        for (const char* name : {"Our Organization's Telephone List", "Last Name", "Darezo", "Vivaduvu", "Veruzu",
                                 "dediz.vivaduvu@example.com"})
            QVERIFY2(csv.contains(QString::fromUtf8(name)), name);
    }

    // The organisation's own title heads the sheet; the workbook saves as .xlsx too.
    void theStoredTitleHeadsTheSheetAndXlsxSaves() {
        {
            SettingsStore store;
            store.write(QString::fromLatin1(settings::kTitle), QStringLiteral("St. Mary's Choir"));
            store.sync();
        }
        auto w = start();
        Form2* preview = generate(*w);
        QTRY_VERIFY(preview->isVisible());
        const auto book = sheet::xls::readFile(preview->mExcelFile.toStdString());
        const sheet::Cell* title = book->sheetAt(0).cell(1, 1);
        QVERIFY(title && title->text());
        QCOMPARE(*title->text(), std::string("St. Mary's Choir"));

        const QString saved = mOut.filePath(QStringLiteral("choir.xlsx"));
        mPrompt->fileNames.push_back(saved);
        QTest::mouseClick(preview->PushButton6, Qt::LeftButton);
        QCOMPARE(mPrompt->texts(), QStringList{QStringLiteral("Done.")});
        QVERIFY(readAll(saved).startsWith("PK\x03\x04"));
        const std::vector<PhoneListRow> rows = readPhoneList(saved);
        QCOMPARE(rows.size(), std::size_t(3));
        QCOMPARE(rows[0][0], QStringLiteral("Darezo"));
        QCOMPARE(rows[1][7], QStringLiteral("dediz.vivaduvu@example.com"));
        QTest::mouseClick(preview->PushButton8, Qt::LeftButton);
    }

    void backDiscardsTheWorkbookAndASecondRunStartsAfresh() {
        auto w = start();
        Form2* preview = generate(*w);
        QTRY_VERIFY(preview->isVisible());
        const QString first = preview->mExcelFile;
        QTest::mouseClick(preview->PushButton2, Qt::LeftButton); // zoom out
        QCOMPARE(preview->previewGeometry().zoom(), 0.75f);

        QTest::mouseClick(preview->PushButton8, Qt::LeftButton);
        QVERIFY(!QFile::exists(first));
        QVERIFY(w->isVisible());
        QVERIFY(!preview->isVisible());

        QCOMPARE(generate(*w, false), preview); // the same window again
        QTRY_VERIFY(preview->isVisible());
        QVERIFY(!w->isVisible());
        QVERIFY(preview->mExcelFile != first);
        QVERIFY(QFile::exists(preview->mExcelFile));
        QCOMPARE(preview->previewGeometry().zoom(), 1.0f);
        QVERIFY(mPrompt->errorReports().empty());
        QTest::mouseClick(preview->PushButton8, Qt::LeftButton);
    }

    void closingThePreviewEndsTheProgramAndKeepsTheEdits() {
        auto w = start();
        const QModelIndex firstCell = w->DataGrid1->model()->index(0, 0);
        QVERIFY(w->DataGrid1->model()->setData(firstCell, QStringLiteral("Edited in this run")));
        Form2* preview = generate(*w, false);
        QTRY_VERIFY(preview->isVisible());
        const QString workbook = preview->mExcelFile;
        int ends = 0;
        preview->endProgram = [&] { ++ends; };
        preview->close();
        QCOMPARE(ends, 1);
        QVERIFY(!QFile::exists(workbook));
        QVERIFY(mPrompt->errorReports().empty());

        w.reset();
        gPhoneList.reset();
        auto next = start();
        QCOMPARE(gPhoneList->valueAt(0, 0).value_or(QString()), QStringLiteral("Edited in this run"));
    }

    void whileGeneratingTheWindowIsFrozenAndBusy() {
        auto w = start();
        TestFactory factory;
        std::vector<std::pair<MousePointer, bool>> seen; // pointer, updates enabled
        factory.onCreate = [&] { seen.emplace_back(w->mousePointer(), w->updatesEnabled()); };
        Form2* preview = generate(*w);
        QTRY_VERIFY(preview->isVisible());
        QCOMPARE(factory.creates, 2);
        for (const auto& [pointer, updates] : seen) {
            QCOMPARE(pointer, MousePointer::Hourglass);
            QVERIFY(!updates);
        }
        QCOMPARE(w->mousePointer(), MousePointer::Default);
        QVERIFY(w->updatesEnabled());
        QTest::mouseClick(preview->PushButton8, Qt::LeftButton);
    }

    void anEngineThatCannotBeCreatedIsReportedAndTheWindowRecovers() {
        auto w = start();
        TestFactory factory;
        factory.createFails = true;
        generate(*w);
        const std::vector<int> lines = mPrompt->reportedLines();
        QVERIFY(lines.size() > 10);
        QCOMPARE(lines[0], 102);
        QCOMPARE(lines[1], 104);
        QVERIFY(std::is_sorted(lines.begin(), lines.end()));
        for (const auto& shown : mPrompt->errorReports()) {
            QVERIFY(shown.text.contains(QStringLiteral("OrganizationalTelephoneList.GenerateReport0 at line ")));
            QCOMPARE(shown.icon, Prompt::Icon::Warning);
        }
        QCOMPARE(w->mousePointer(), MousePointer::Default);
        QVERIFY(w->updatesEnabled());
        if (Form2* preview = w->reportWindows().loadedPreview())
            QTest::mouseClick(preview->PushButton8, Qt::LeftButton);
    }

    void aDeclinedWarningGeneratesNothing() {
        auto w = start();
        TestFactory factory;
        factory.running = sheet::engineFactory().create();
        mPrompt->answers.push_back(Prompt::Answer::No);
        const int before = factory.creates;
        Form2* preview = generate(*w, false);
        QCOMPARE(mPrompt->shown.size(), std::size_t(1));
        QVERIFY(mPrompt->shown.front().text.startsWith(QStringLiteral("Excel may be open.")));
        QCOMPARE(factory.creates, before);
        QVERIFY(!preview || !preview->isVisible());
        QVERIFY(w->isVisible());
        QCOMPARE(w->mousePointer(), MousePointer::Default);
        QVERIFY(w->updatesEnabled());
        factory.running->Quit();
    }
};

TABWRIGHT_ISOLATED_TEST_MAIN(TestGenerateReport)
#include "test_generate_report.moc"
