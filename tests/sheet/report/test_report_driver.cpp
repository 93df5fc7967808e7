#include "sheet/report/report_driver.h"

#include "file_mode.h"
#include "isolated_settings.h"
#include "phonelist/phone_list_table.h"
#include "scripted_prompt.h"
#include "sheet/engine/app_factory.h"
#include "sheet/engine/format_ops.h"
#include "sheet/engine/spreadsheet_app.h"
#include "sheet/render/sheet_geometry.h"
#include "sheet/report/sheet_snapshot.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <vector>

using namespace OrganizationalTelephoneList;

namespace {

// What a generation did to the windows, in order.
class RecordingWindows : public ReportWindows {
public:
    void setMainMousePointer(MousePointer pointer) override { pointers.push_back(pointer); }
    void loadPreviewPicture(const QString& path) override {
        calls << QStringLiteral("load");
        pictureMode = modeOf(path);
        picture = loadPictureFile(path);
    }
    void setPreviewExcelFile(const QString& path) override {
        calls << QStringLiteral("excel");
        excelFile = path;
    }
    void showPreview() override { calls << QStringLiteral("show"); }
    void hideMain() override { calls << QStringLiteral("hide"); }

    std::vector<MousePointer> pointers;
    QStringList calls;
    QString excelFile;
    sheet::VectorPicture picture;
    int pictureMode = -1;
};

// A real engine instance that reports the version the test gives it.
class VersionedApp : public sheet::SpreadsheetApp {
public:
    explicit VersionedApp(std::string version) : mVersion(std::move(version)) {}
    std::string Version() const override { return mVersion; }

private:
    std::string mVersion;
};

class TestFactory : public sheet::AppFactory {
public:
    TestFactory() { sheet::setAppFactory(this); }
    ~TestFactory() override { sheet::setAppFactory(nullptr); }

    std::shared_ptr<sheet::SpreadsheetApp> create() override {
        if (createFails)
            throw std::runtime_error("ActiveX component can't create object");
        bool othersQuit = true;
        for (const auto& app : created)
            othersQuit = othersQuit && app->hasQuit();
        earlierHadQuit.push_back(othersQuit);
        auto app = std::make_shared<VersionedApp>(version);
        created.push_back(app);
        return app;
    }
    std::shared_ptr<sheet::SpreadsheetApp> attach() override { throw std::runtime_error("no running instance"); }

    bool createFails = false;
    std::string version = "16.0";
    std::vector<std::shared_ptr<VersionedApp>> created;
    std::vector<bool> earlierHadQuit;
};

void fillPhoneList() {
    gPhoneList = CreatePhoneListTable();
    const char* rows[][2] = {{"Darezo", "Zivo"}, {"Vivaduvu", "Dediz"}, {"Veruzu", "Vorod"}};
    for (const auto& row : rows) {
        gPhoneList->AddNew();
        gPhoneList->Fields(0).setValue(QString::fromLatin1(row[0]));
        gPhoneList->Fields(1).setValue(QString::fromLatin1(row[1]));
        gPhoneList->Update();
    }
    gPhoneList->MoveFirst();
}

const QRegularExpression kWorkbookName(QStringLiteral("^velmar[1-9]{8}\\.xls$"));

} // namespace

class TestReportDriver : public QObject {
    Q_OBJECT

    QTemporaryDir mTemp;
    std::unique_ptr<ScriptedPrompt> mPrompt;

    QString picturePath() const { return mTemp.path() + QStringLiteral("/temp.bmp"); }
    QStringList workbooksInTemp() const {
        return QDir(mTemp.path()).entryList(QDir::Files | QDir::System | QDir::Hidden);
    }

private slots:
    void initTestCase() { installCopyPicture(); }
    void init() {
        qputenv("TEMP", mTemp.path().toLocal8Bit());
        for (const QString& f : workbooksInTemp())
            QFile::remove(mTemp.filePath(f));
        mPrompt = std::make_unique<ScriptedPrompt>();
        fillPhoneList();
    }
    void cleanup() {
        mPrompt.reset();
        setClipboardPictureReader({});
    }

    // A folder of the user's own in which no file can be made, for anyone.
    void aWorkbookThatCannotBeMadeIsOneReportAndNoPreview() {
        qputenv("TEMP", "/proc/self/fdinfo");
        TestFactory factory;
        RecordingWindows windows;
        GenerateReport0(1, windows);
        qputenv("TEMP", mTemp.path().toLocal8Bit());
        QCOMPARE(mPrompt->errorReports().size(), size_t(1));
        QVERIFY(mPrompt->errorReports().front().text.contains(QStringLiteral("temporary workbook")));
        QVERIFY(windows.calls.isEmpty());
        QVERIFY(!mReportApp);
    }

    void thePictureLivesInAFolderOfItsOwn() {
        TestFactory factory;
        RecordingWindows windows;
        // A picture planted under the old fixed name is never taken for this sheet.
        QFile planted(picturePath());
        QVERIFY(planted.open(QIODevice::WriteOnly));
        planted.write("planted");
        planted.close();
        GenerateReport0(1, windows);
        QVERIFY2(mPrompt->shown.empty(), qPrintable(mPrompt->texts().join(QStringLiteral(" / "))));
        QVERIFY(!windows.picture.isNull());
        QCOMPARE(windows.pictureMode, 0600);
        // Only the workbook and the planted file are left; the picture's folder is gone.
        QCOMPARE(QDir(mTemp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 2);
        QFile::remove(picturePath());
    }

    void charactersNoFontShowsAreNamedOnceOverThePreview() {
        TestFactory factory;
        RecordingWindows windows;
        gPhoneList->MoveFirst();
        gPhoneList->Fields(3).setValue(QString::fromUcs4(U"x\U0010FFFD"));
        gPhoneList->Update();
        gPhoneList->MoveFirst();
        GenerateReport0(1, windows);
        QCOMPARE(mPrompt->texts(), QStringList{QStringLiteral("E5: no installed font shows U+10FFFD")});
        QCOMPARE(mPrompt->shown.front().icon, Prompt::Icon::Information);
        QCOMPARE(windows.calls, (QStringList{"load", "excel", "show", "hide"}));
    }

    void generationSavesTheWorkbookAndHandsOverThePicture() {
        TestFactory factory;
        RecordingWindows windows;
        GenerateReport0(1, windows);
        QVERIFY2(mPrompt->shown.empty(), qPrintable(mPrompt->texts().join(QStringLiteral(" / "))));

        QCOMPARE(windows.calls, (QStringList{"load", "excel", "show", "hide"}));
        QCOMPARE(windows.pointers, (std::vector<MousePointer>{MousePointer::Hourglass, MousePointer::Default}));
        QCOMPARE(windows.pictureMode, 0600);
        QVERIFY(!windows.picture.isNull());
        QVERIFY(!QFile::exists(picturePath()));

        const QFileInfo workbook(windows.excelFile);
        QCOMPARE(workbook.path(), mTemp.path());
        QVERIFY(kWorkbookName.match(workbook.fileName()).hasMatch());
        QVERIFY(workbook.size() > 0);
        QCOMPARE(modeOf(windows.excelFile), 0600);
        QCOMPARE(workbooksInTemp(), QStringList{workbook.fileName()}); // no side files left

        // Build instance, then snapshot instance, never both at once; both quit.
        QCOMPARE(factory.created.size(), std::size_t(2));
        QCOMPARE(factory.earlierHadQuit, (std::vector<bool>{true, true}));
        QVERIFY(factory.created[0]->hasQuit() && factory.created[1]->hasQuit());
        QVERIFY(!mReportApp);
        QVERIFY(!mReportBook);

        // One sheet, "Phone List", with B6 active, and the list on it.
        auto reader = sheet::engineFactory().create();
        const sheet::om::Workbook book = reader->Workbooks().Open(windows.excelFile.toStdString());
        QCOMPARE(book.Sheets().Count(), 1);
        QCOMPARE(book.ActiveSheet().Name(), std::string("Phone List"));
        QCOMPARE(reader->ActiveCell().Address(), std::string("$B$6"));
        reader->Quit();

        // The picture is the sheet's used range.
        QVERIFY(windows.picture.boundingRect().width() > 200);
        QVERIFY(windows.picture.boundingRect().height() > 100);
    }

    void eachRunDrawsANewWorkbook() {
        TestFactory factory;
        RecordingWindows first;
        RecordingWindows second;
        GenerateReport0(1, first);
        GenerateReport0(1, second);
        QVERIFY(mPrompt->shown.empty());
        QVERIFY(first.excelFile != second.excelFile);
        QVERIFY(QFile::exists(first.excelFile) && QFile::exists(second.excelFile));
        QVERIFY(!QFile::exists(picturePath()));
    }

    void anOldVersionStillSavesUnderTheXlsName() {
        TestFactory factory;
        factory.version = "11.0";
        RecordingWindows windows;
        GenerateReport0(1, windows);
        QVERIFY2(mPrompt->shown.empty(), qPrintable(mPrompt->texts().join(QStringLiteral(" / "))));
        QVERIFY(windows.excelFile.endsWith(QStringLiteral(".xls")));
        QVERIFY(QFileInfo(windows.excelFile).size() > 0);

        // A version that cannot be read fails the save; the snapshot then has no
        // workbook to open, and every step that needs it is reported in turn.
        factory.version = "unknown";
        RecordingWindows broken;
        GenerateReport0(1, broken);
        QCOMPARE(mPrompt->reportedLines(), (std::vector<int>{158, 168, 172, 174, 176, 178, 180, 184}));
        QVERIFY(QDir(mTemp.path()).entryList({QStringLiteral("velmar*.xls.*")}, QDir::Files).isEmpty());
    }

    void anEngineThatCannotBeCreatedIsReportedStepByStep() {
        TestFactory factory;
        factory.createFails = true;
        RecordingWindows windows;
        GenerateReport0(1, windows);
        const std::vector<int> expected{102, 104, 106, 108, 110, 112, 116, 118, 122, 124, 126, 128, 130, 132, 134,
                                        136, 138, 140, 158, 160, 162, 164, 168, 172, 174, 176, 178, 180, 184};
        QCOMPARE(mPrompt->reportedLines(), expected);
        for (const auto& shown : mPrompt->errorReports())
            QVERIFY(shown.text.contains(
                QStringLiteral("in Quorvel2021/08/31.OrganizationalTelephoneList.GenerateReport0 at line ")));
        // The run went on to the end and reset the pointer it had set.
        QCOMPARE(windows.pointers, (std::vector<MousePointer>{MousePointer::Hourglass, MousePointer::Default}));
        QCOMPARE(windows.calls, (QStringList{"load", "excel", "show", "hide"}));
        QVERIFY(!QFile::exists(picturePath()));
        QVERIFY(QDir(mTemp.path()).entryList({QStringLiteral("velmar*.xls.*")}, QDir::Files).isEmpty());
    }

    void aFailingLayoutIsOneReportAndTheRunGoesOn() {
        TestFactory factory;
        gPhoneList.reset();
        RecordingWindows windows;
        GenerateReport0(1, windows);
        QCOMPARE(mPrompt->reportedLines(), std::vector<int>{124});
        QVERIFY(QFileInfo(windows.excelFile).size() > 0);
        QCOMPARE(windows.calls, (QStringList{"load", "excel", "show", "hide"}));
        QVERIFY(!QFile::exists(picturePath()));
    }

    void aPictureLeftByAnEarlierRunIsNeverShown() {
        TestFactory factory;
        sheet::VectorPicture stale;
        QPainter painter(&stale);
        painter.drawEllipse(0, 0, 40, 40);
        painter.end();
        savePictureFile(stale, picturePath());
        setClipboardPictureReader([] { return std::optional<sheet::VectorPicture>(); });
        RecordingWindows windows;
        GenerateReport0(1, windows);
        const auto reports = mPrompt->errorReports();
        QCOMPARE(reports.size(), std::size_t(2));
        QVERIFY(reports[0].text.contains(QStringLiteral("Excel1.saveCellsActivesheet ")));
        QCOMPARE(mPrompt->reportedLines().back(), 184);
        QVERIFY(windows.picture.isNull());
        QCOMPARE(windows.calls, (QStringList{"load", "excel", "show", "hide"}));
    }

    // --- the snapshot ---

    void aSheetUsedOnlyInColumnAOrRowOneGivesNoPicture_data() {
        QTest::addColumn<QString>("used");
        QTest::newRow("column A") << "A1:A9";
        QTest::newRow("row 1") << "A1:H1";
        QTest::newRow("one cell") << "C1";
        QTest::newRow("empty sheet") << "";
    }
    void aSheetUsedOnlyInColumnAOrRowOneGivesNoPicture() {
        QFETCH(QString, used);
        auto app = sheet::engineFactory().create();
        const sheet::om::Workbook book = app->Workbooks().Add();
        if (!used.isEmpty())
            app->Range(used.toStdString()).setFormulaR1C1("x");
        saveCellsActivesheet(const_cast<sheet::om::Workbook&>(book), picturePath());
        QVERIFY(!QFile::exists(picturePath()));
        QVERIFY(mPrompt->shown.empty());
        app->Quit();
    }

    void picturesTheWholeUsedRangeAndLeavesItOnTheClipboard() {
        QGuiApplication::clipboard()->setText(QStringLiteral("what the user had copied"));
        auto app = sheet::engineFactory().create();
        sheet::om::Workbook book = app->Workbooks().Add();
        app->Range("C4").setFormulaR1C1("first");
        app->Range("F12").setFormulaR1C1("last");
        app->Columns("D:D").setColumnWidth(30);
        saveCellsActivesheet(book, picturePath());
        QVERIFY(mPrompt->shown.empty());
        QCOMPARE(modeOf(picturePath()), 0600);

        const sheet::Sheet& model = book.ActiveSheet().model();
        const sheet::CellRange used = sheet::om::usedArea(model).value();
        QCOMPARE(used, (sheet::CellRange{3, 2, 11, 5}));
        const QSize expected = sheet::SheetGeometry(model, used).size();
        QCOMPARE(loadPictureFile(picturePath()).boundingRect().size(), expected);

        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        QVERIFY(data->hasFormat(QString::fromLatin1(kSheetPictureMimeType)));
        QVERIFY(!data->hasText());
        // Other programs get a bitmap sharp enough to zoom into.
        QCOMPARE(qvariant_cast<QImage>(data->imageData()).size(), expected * 2);
        app->Quit();
        QFile::remove(picturePath());
    }

    void theClipboardIsReadAgainUntilItYieldsAPicture() {
        auto app = sheet::engineFactory().create();
        sheet::om::Workbook book = app->Workbooks().Add();
        app->Range("B2:C3").setFormulaR1C1("x");

        int tries = 0;
        setClipboardPictureReader([&]() -> std::optional<sheet::VectorPicture> {
            if (++tries < 700)
                return std::nullopt;
            sheet::VectorPicture picture;
            QPainter painter(&picture);
            painter.drawRect(0, 0, 10, 10);
            painter.end();
            return picture;
        });
        saveCellsActivesheet(book, picturePath());
        QCOMPARE(tries, 700);
        QVERIFY(mPrompt->shown.empty());
        QVERIFY(QFile::exists(picturePath()));
        QFile::remove(picturePath());

        tries = 0;
        setClipboardPictureReader([&]() -> std::optional<sheet::VectorPicture> {
            if (++tries % 2)
                throw std::runtime_error("clipboard busy");
            return std::nullopt;
        });
        saveCellsActivesheet(book, picturePath());
        QCOMPARE(tries, 1000);
        QCOMPARE(mPrompt->reportedLines().size(), std::size_t(1));
        QVERIFY(mPrompt->errorReports().front().text.contains(
            QStringLiteral("in Quorvel2021/08/31.Excel1.saveCellsActivesheet at line ")));
        QVERIFY(!QFile::exists(picturePath()));
        app->Quit();
    }

    void aPlantedLinkIsReplacedNotFollowed() {
        QTemporaryDir elsewhere;
        const QString victim = elsewhere.filePath(QStringLiteral("victim"));
        QFile v(victim);
        QVERIFY(v.open(QIODevice::WriteOnly));
        v.write("keep me");
        v.close();
        QVERIFY(QFile::link(victim, picturePath()));

        sheet::VectorPicture picture;
        QPainter painter(&picture);
        painter.drawLine(0, 0, 5, 5);
        painter.end();
        savePictureFile(picture, picturePath());
        QVERIFY(!QFileInfo(picturePath()).isSymLink());
        QCOMPARE(modeOf(picturePath()), 0600);
        QVERIFY(v.open(QIODevice::ReadOnly));
        QCOMPARE(v.readAll(), QByteArray("keep me"));
        QVERIFY(!loadPictureFile(picturePath()).isNull());
        QFile::remove(picturePath());
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, loadPictureFile(picturePath()));
    }
};

TABWRIGHT_ISOLATED_TEST_MAIN(TestReportDriver)
#include "test_report_driver.moc"
