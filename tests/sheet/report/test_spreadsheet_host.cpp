#include "sheet/report/spreadsheet_host.h"

#include "scripted_prompt.h"
#include "sheet/engine/app_factory.h"
#include "sheet/xls/xls_io.h"

#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using namespace sheet;

namespace {

// An instance whose identity and version the test chooses.
class FakeApp : public SpreadsheetApp {
public:
    FakeApp(std::string member, std::string version) : mMember(std::move(member)), mVersion(std::move(version)) {}
    std::string defaultMember() const override {
        if (mMember == "<throw>")
            throw std::runtime_error("Member not found");
        return mMember;
    }
    std::string Version() const override { return mVersion; }

private:
    std::string mMember;
    std::string mVersion;
};

class FakeFactory : public AppFactory {
public:
    FakeFactory() { setAppFactory(this); }
    ~FakeFactory() override { setAppFactory(nullptr); }

    std::shared_ptr<SpreadsheetApp> create() override {
        ++creates;
        if (createFails)
            throw std::runtime_error("ActiveX component can't create object");
        if (createGivesNothing)
            return nullptr;
        if (realEngine)
            return engineFactory().create();
        auto app = std::make_shared<FakeApp>("Microsoft Excel", version);
        created.push_back(app);
        return app;
    }
    std::shared_ptr<SpreadsheetApp> attach() override {
        ++attaches;
        if (!running)
            throw std::runtime_error("ActiveX component can't create object");
        return running;
    }

    bool createFails = false;
    bool createGivesNothing = false;
    bool realEngine = false;
    std::string version = "16.0";
    std::shared_ptr<SpreadsheetApp> running;
    std::vector<std::shared_ptr<FakeApp>> created; // kept, to look at after the caller let go
    int creates = 0;
    int attaches = 0;
};

} // namespace

class TestSpreadsheetHost : public QObject {
    Q_OBJECT

private:
    int mEnds = 0;

private slots:
    void init() {
        QLocale::setDefault(QLocale::c());
        mEnds = 0;
        setEndProgram([this] { ++mEnds; });
    }
    void cleanup() {
        setEndProgram(nullptr);
        QLocale::setDefault(QLocale::c());
    }

    void installedCheckIsSilentWhenAnInstanceCanBeCreated() {
        FakeFactory factory;
        ScriptedPrompt prompt;
        CheckExcelInstalled();
        QCOMPARE(factory.creates, 1);
        QVERIFY(prompt.shown.empty());
        QCOMPARE(mEnds, 0);
        // The probe instance is dropped, not quit.
        QCOMPARE(factory.created.front().use_count(), 1);
        QVERIFY(!factory.created.front()->hasQuit());
    }

    void installedCheckShowsTheMessageAndEndsTheProgram_data() {
        QTest::addColumn<bool>("throws");
        QTest::newRow("creation fails") << true;
        QTest::newRow("creation gives no object") << false;
    }
    void installedCheckShowsTheMessageAndEndsTheProgram() {
        QFETCH(bool, throws);
        FakeFactory factory;
        factory.createFails = throws;
        factory.createGivesNothing = !throws;
        ScriptedPrompt prompt;
        CheckExcelInstalled();
        QCOMPARE(mEnds, 1);
        QCOMPARE(prompt.shown.size(), std::size_t(1));
        const ScriptedPrompt::Shown& shown = prompt.shown.front();
        const QString expected = QStringLiteral(
            "Error 842001. A normal instance of Excel could not be created.\r\n\r\n"
            "1. Please make sure Excel is installed on this computer.\r\n\r\n"
            "2. Please open Excel normally and make sure a blank spreadsheet opens immediately without any "
            "interrupting window (such as an Excel file recovery window).\r\n\r\n"
            "3. Please make sure that when you double-click on a XLS or XLSX file that Excel opens normally without "
            "any interrupting messages.\r\n\r\n"
            "4. All versions of Excel are supported by this software except for the rare Excel Starter and Student "
            "editions.");
        QCOMPARE(shown.text, expected);
        QVERIFY(shown.title.isEmpty()); // the application title
        QCOMPARE(shown.icon, Prompt::Icon::None);
        QCOMPARE(shown.buttons, Prompt::Buttons::Ok);
    }

    void runningInstanceCountsOnlyWhenItIsTheSpreadsheet_data() {
        QTest::addColumn<QString>("member");
        QTest::addColumn<bool>("running");
        QTest::newRow("exact name") << QStringLiteral("Microsoft Excel") << true;
        QTest::newRow("other case") << QStringLiteral("microsoft excel") << false;
        QTest::newRow("trailing blank") << QStringLiteral("Microsoft Excel ") << false;
        QTest::newRow("other program") << QStringLiteral("Calc") << false;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("member fails") << QStringLiteral("<throw>") << false;
    }
    void runningInstanceCountsOnlyWhenItIsTheSpreadsheet() {
        QFETCH(QString, member);
        QFETCH(bool, running);
        FakeFactory factory;
        auto app = std::make_shared<FakeApp>(member.toStdString(), "16.0");
        app->Workbooks().Add();
        factory.running = app;
        QCOMPARE(IsExcelRunning(), running);
        QCOMPARE(factory.creates, 0);
        // Only looked at: still alive, its workbook still open.
        QVERIFY(!app->hasQuit());
        QCOMPARE(app->Workbooks().Count(), 1);
    }

    void noRunningInstanceMeansNotRunning() {
        FakeFactory factory;
        QVERIFY(!IsExcelRunning());
        QCOMPARE(factory.attaches, 1);
    }

    void attachFindsTheEnginesLiveInstance() {
        QVERIFY(!IsExcelRunning());
        auto app = engineFactory().create();
        QVERIFY(IsExcelRunning());
        app->Quit();
        QVERIFY(!IsExcelRunning());
    }

    void mayBeOpenAsksOnlyWhenAnInstanceRuns() {
        FakeFactory factory;
        ScriptedPrompt prompt;
        QVERIFY(!CheckExcelMayBeOpen());
        QVERIFY(prompt.shown.empty());

        factory.running = std::make_shared<FakeApp>("Calc", "16.0");
        QVERIFY(!CheckExcelMayBeOpen());
        QVERIFY(prompt.shown.empty());
    }

    void mayBeOpenFollowsTheAnswer_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("declined");
        QTest::newRow("Yes goes on") << int(Prompt::Answer::Yes) << false;
        QTest::newRow("No stops") << int(Prompt::Answer::No) << true;
    }
    void mayBeOpenFollowsTheAnswer() {
        QFETCH(int, answer);
        QFETCH(bool, declined);
        FakeFactory factory;
        auto running = std::make_shared<FakeApp>("Microsoft Excel", "16.0");
        factory.running = running;
        ScriptedPrompt prompt;
        prompt.answers.push_back(static_cast<Prompt::Answer>(answer));
        QCOMPARE(CheckExcelMayBeOpen(), declined);
        QCOMPARE(prompt.shown.size(), std::size_t(1));
        const ScriptedPrompt::Shown& shown = prompt.shown.front();
        QCOMPARE(shown.text, QStringLiteral("Excel may be open. It is recommended that you close Excel first.\r"
                                            "Use Ctrl+Alt+Del > Task Manager > EXCEL.EXE if necessary.\r\n\r\n"
                                            "Would you like to proceed anyway?"));
        QVERIFY(shown.title.isEmpty());
        QCOMPARE(shown.icon, Prompt::Icon::None);
        QCOMPARE(shown.buttons, Prompt::Buttons::YesNo);
        QCOMPARE(shown.defaultButton, Prompt::Answer::Yes);
        QVERIFY(!running->hasQuit());
        QCOMPARE(factory.creates, 0);
    }

    void fileFormatFollowsTheMajorVersion_data() {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("format");
        QTest::newRow("11.0") << "11.0"
                              << "C" << -4143;
        QTest::newRow("12.0") << "12.0"
                              << "C" << 56;
        QTest::newRow("14.0") << "14.0"
                              << "C" << 56;
        QTest::newRow("15.0") << "15.0"
                              << "C" << 56;
        QTest::newRow("16.0") << "16.0"
                              << "C" << 56;
        QTest::newRow("9.0") << "9.0"
                             << "C" << -4143;
        QTest::newRow("11.5 rounds to even 12") << "11.5"
                                                << "C" << 56;
        QTest::newRow("10.5 rounds to even 10") << "10.5"
                                                << "C" << -4143;
        QTest::newRow("16.0, decimal comma") << "16.0"
                                             << "de_DE" << 56;
        QTest::newRow("11.0, decimal comma") << "11.0"
                                             << "de_DE" << -4143;
        QTest::newRow("16,0, decimal comma") << "16,0"
                                             << "fr_FR" << 56;
    }
    void fileFormatFollowsTheMajorVersion() {
        QFETCH(QString, version);
        QFETCH(QString, locale);
        QFETCH(int, format);
        QLocale::setDefault(QLocale(locale));
        FakeFactory factory;
        factory.version = version.toStdString();

        // The given instance is asked and kept.
        auto given = std::make_shared<FakeApp>("Microsoft Excel", version.toStdString());
        QCOMPARE(GetXlsFileFormat(given), format);
        QVERIFY(!given->hasQuit());
        QCOMPARE(factory.creates, 0);

        // Without one, a temporary instance is made and quit before returning.
        QCOMPARE(GetXlsFileFormat(nullptr), format);
        QCOMPARE(factory.creates, 1);
        QCOMPARE(factory.created.size(), std::size_t(1));
        QVERIFY(factory.created.front()->hasQuit());
        QCOMPARE(factory.created.front().use_count(), 1);
        QCOMPARE(factory.attaches, 0); // never taken from a running instance
    }

    void unreadableVersionReachesTheCaller() {
        FakeFactory factory;
        factory.version = "abc";
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, GetXlsFileFormat(nullptr));
        QVERIFY(!factory.created.front()->hasQuit()); // released without Quit
        auto given = std::make_shared<FakeApp>("Microsoft Excel", "");
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, GetXlsFileFormat(given));
        auto huge = std::make_shared<FakeApp>("Microsoft Excel", "40000.0");
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, GetXlsFileFormat(huge));
        factory.createFails = true;
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, GetXlsFileFormat(nullptr));
    }

    void decimalSeparatorFollowsTheLocale() {
        QCOMPARE(GetDecimalSeparator(), QStringLiteral("."));
        QCOMPARE(ToLocaleDecimal(QStringLiteral("1,234.5")), QStringLiteral("1.234.5"));
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(GetDecimalSeparator(), QStringLiteral(","));
        QCOMPARE(ToLocaleDecimal(QStringLiteral("16.0")), QStringLiteral("16,0"));
        QCOMPARE(ToLocaleDecimal(QStringLiteral("a.b,c..")), QStringLiteral("a,b,c,,"));
        QCOMPARE(ToLocaleDecimal(QString()), QString());
    }

    void openUsesANewInstanceNeverTheRunningOne() {
        FakeFactory factory;
        factory.realEngine = true;
        auto running = engineFactory().create();
        factory.running = running;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("velmar12345678.xls"));
        running->Workbooks().Add();
        running->Range("B2").setFormulaR1C1("Our Organization's Telephone List");
        try {
            running->ActiveWorkbook().SaveAs(path.toStdString(), 56);
        } catch (const std::exception& e) {
            running->Quit();
            if (std::string(e.what()).find("not built yet") != std::string::npos)
                QSKIP("xls writer not available in this build");
            throw;
        }
        auto opened = OpenWorkbookInNewExcel(path);
        QVERIFY(opened != running);
        QCOMPARE(factory.attaches, 0);
        QCOMPARE(opened->Workbooks().Count(), 1);
        QCOMPARE(opened->Range("B2").FormulaR1C1(), std::string("Our Organization's Telephone List"));
        // Left as a new instance starts: the caller sets what it needs.
        QVERIFY(opened->DisplayAlerts());
        QVERIFY(!opened->Visible());
        opened->Quit();
        running->Quit();
    }

    void openFailuresReachTheCaller() {
        FakeFactory factory;
        factory.realEngine = true;
        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                 OpenWorkbookInNewExcel(QStringLiteral("/nonexistent/folder/none.xls")));
        factory.realEngine = false;
        factory.createFails = true;
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, OpenWorkbookInNewExcel(QStringLiteral("x.xls")));
    }
};

QTEST_GUILESS_MAIN(TestSpreadsheetHost)
#include "test_spreadsheet_host.moc"
