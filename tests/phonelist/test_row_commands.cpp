#include "app/error_trap.h"
#include "app/prompt.h"
#include "app/settings_store.h"
#include "app/startup.h"
#include "isolated_settings.h"
#include "phonelist/window/main_window.h"
#include "phonelist/window/phone_list_model.h"
#include "phonelist/phone_list_table.h"
#include "phonelist/row_commands.h"
#include "phonelist/sample_data.h"
#include "scripted_prompt.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

const QString kNever = QStringLiteral("never");

QStringList lastNames() {
    QStringList out;
    for (int r = 0; r < gPhoneList->RecordCount(); ++r)
        out << gPhoneList->valueAt(r, 0).value_or(QStringLiteral("<null>"));
    return out;
}

// Replaces the live list with rows whose last names are given ("" leaves a row empty).
void setRows(Form1& w, const QStringList& names) {
    auto t = CreatePhoneListTable();
    for (const QString& name : names) {
        t->AddNew();
        for (int f = 0; f < 8; ++f)
            t->Fields(f).setValue(QString());
        t->Fields(0).setValue(name);
    }
    t->MoveFirst();
    gPhoneList = t;
    BindPhoneListGrid(*w.DataGrid1, gPhoneList);
}

void selectRow(Form1& w, int row) {
    QTableView& grid = *w.DataGrid1;
    grid.scrollTo(grid.model()->index(row, 0));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(grid.model()->index(row, 0)).center());
}

QString lastUpdated() {
    return SettingsStore().read(QString::fromLatin1(settings::kLastUpdated), kNever);
}

} // namespace

class TestRowCommands : public QObject {
    Q_OBJECT

    std::unique_ptr<ScriptedPrompt> mPrompt;
    QTemporaryDir mEmptyFolder;
    std::unique_ptr<Form1> mWindow;
    std::unique_ptr<QAbstractItemModelTester> mTester;

    Form1& window() { return *mWindow; }
    int gridRows() { return mWindow->DataGrid1->model()->rowCount(); }
    int gridCurrentRow() { return mWindow->DataGrid1->currentIndex().row(); }

private slots:
    void init() {
        QFile::remove(SettingsStore().fileName());
        mPrompt = std::make_unique<ScriptedPrompt>();
        setProgramFolder(mEmptyFolder.path());
        mWindow = std::make_unique<Form1>();
        mWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(mWindow.get()));
        mTester = std::make_unique<QAbstractItemModelTester>(mWindow->DataGrid1->model(),
                                                             QAbstractItemModelTester::FailureReportingMode::QtTest);
    }
    void cleanup() {
        mTester.reset();
        mWindow.reset();
        mPrompt.reset();
        setProgramFolder(QString());
        // None of the row commands marks the list as edited.
        QCOMPARE(lastUpdated(), kNever);
    }

    void insertBelowTheFirstRow() {
        setRows(window(), {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
        gPhoneList->setValueAt(1, 3, std::nullopt); // Null is carried over as Null
        selectRow(window(), 0);
        QTest::mouseClick(window().PushButton2, Qt::LeftButton);
        QCOMPARE(lastNames(), (QStringList{"A", "", "B", "C"}));
        QVERIFY(!gPhoneList->valueAt(2, 3).has_value());
        QCOMPARE(gPhoneList->valueAt(1, 7), FieldValue(QString()));
        QCOMPARE(gridRows(), 4);
        QCOMPARE(gridCurrentRow(), 1);
        QCOMPARE(gPhoneList->currentRow(), 1);
        QVERIFY(mPrompt->shown.empty());
    }

    void insertBelowTheLastRow() {
        setRows(window(), {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
        selectRow(window(), 2);
        QTest::mouseClick(window().PushButton2, Qt::LeftButton);
        QCOMPARE(lastNames(), (QStringList{"A", "B", "C", ""}));
        QCOMPARE(gridCurrentRow(), 3);
    }

    void insertFillsTheBufferAtFiveHundredRows() {
        QStringList names;
        for (int i = 0; i < 499; ++i)
            names << QString::number(i);
        setRows(window(), names);
        selectRow(window(), 250);
        QTest::mouseClick(window().PushButton2, Qt::LeftButton);
        QCOMPARE(gPhoneList->RecordCount(), 500);
        QCOMPARE(gPhoneList->valueAt(251, 0), FieldValue(QString()));
        QCOMPARE(gPhoneList->valueAt(252, 0), FieldValue(QStringLiteral("251")));
        QCOMPARE(gPhoneList->valueAt(499, 0), FieldValue(QStringLiteral("498")));
        QVERIFY(mPrompt->shown.empty());

        // Full: the command reports and changes nothing.
        const QStringList before = lastNames();
        selectRow(window(), 10);
        QTest::mouseClick(window().PushButton2, Qt::LeftButton);
        QCOMPARE(lastNames(), before);
        QCOMPARE(gridRows(), 500);
        QCOMPARE(gPhoneList->currentRow(), 10);
        QCOMPARE(mPrompt->errorReports().size(), size_t(1));
        QVERIFY(mPrompt->errorReports()[0].text.contains(
            QStringLiteral("in Quorvel2021/08/31.Form1.PushButton2_Click at line ")));
    }

    void rowCommandsOnAnEmptyTableReportOnce() {
        setRows(window(), {});
        QTest::mouseClick(window().PushButton2, Qt::LeftButton);
        QCOMPARE(mPrompt->errorReports().size(), size_t(1));
        QCOMPARE(gPhoneList->RecordCount(), 0);
        QTest::mouseClick(window().PushButton1, Qt::LeftButton);
        QCOMPARE(mPrompt->shown.size(), size_t(2));
        QCOMPARE(mPrompt->errorReports().size(), size_t(2));
        QVERIFY(mPrompt->errorReports()[1].text.contains(QStringLiteral("Form1.PushButton1_Click at line 1")));
        QVERIFY(!mPrompt->texts().contains(QStringLiteral("Row deleted.")));
        QCOMPARE(gPhoneList->RecordCount(), 0);
    }

    void deleteAsksThenDeletes() {
        setRows(window(), {QStringLiteral("A"), QStringLiteral("Darezo"), QStringLiteral("C")});
        selectRow(window(), 1);
        mPrompt->answers = {Prompt::Answer::No};
        QTest::mouseClick(window().PushButton1, Qt::LeftButton);
        QCOMPARE(lastNames(), (QStringList{"A", "Darezo", "C"}));
        QCOMPARE(mPrompt->shown.size(), size_t(1));
        const ScriptedPrompt::Shown& q = mPrompt->shown[0];
        QCOMPARE(q.text, QStringLiteral("Do you really want delete this row ?\r\n(Darezo)"));
        QCOMPARE(q.title, QStringLiteral("Question"));
        QCOMPARE(q.icon, Prompt::Icon::None);
        QCOMPARE(q.buttons, Prompt::Buttons::YesNo);
        QCOMPARE(q.defaultButton, Prompt::Answer::No);

        mPrompt->answers = {Prompt::Answer::Yes};
        QTest::mouseClick(window().PushButton1, Qt::LeftButton);
        QCOMPARE(lastNames(), (QStringList{"A", "C"}));
        QCOMPARE(gridRows(), 2);
        QCOMPARE(mPrompt->shown.size(), size_t(3));
        QCOMPARE(mPrompt->shown[2].text, QStringLiteral("Row deleted."));
        QCOMPARE(mPrompt->shown[2].title, QString()); // the application title
        QCOMPARE(mPrompt->shown[2].icon, Prompt::Icon::None);
        QCOMPARE(mPrompt->shown[2].buttons, Prompt::Buttons::Ok);
        QVERIFY(window().updatesEnabled());
        // The grid and the table agree on the row that took its place.
        QCOMPARE(gridCurrentRow(), 1);
        QCOMPARE(gPhoneList->currentRow(), 1);

        // An empty last name leaves only the parentheses; the last row goes too.
        gPhoneList->setValueAt(1, 0, QString());
        mPrompt->answers = {Prompt::Answer::Yes};
        QTest::mouseClick(window().PushButton1, Qt::LeftButton);
        QCOMPARE(mPrompt->shown[3].text, QStringLiteral("Do you really want delete this row ?\r\n()"));
        QCOMPARE(lastNames(), (QStringList{"A"}));
        QCOMPARE(gPhoneList->currentRow(), 0);
        QCOMPARE(gridCurrentRow(), 0);
    }

    void deleteAllUsesTheSavedRowCount_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("rows");
        QTest::newRow("none stored") << QString() << 30;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("thirty") << "30" << 30;
        QTest::newRow("five") << "5" << 5;
    }
    void deleteAllUsesTheSavedRowCount() {
        QFETCH(QString, stored);
        QFETCH(int, rows);
        if (!stored.isNull())
            window().store().write(settings::kRowCount, stored);
        // The list grew in this run; that does not count.
        QStringList names;
        for (int i = 0; i < 35; ++i)
            names << QString::number(i);
        setRows(window(), names);
        const auto old = gPhoneList;

        mPrompt->answers = {Prompt::Answer::No};
        QTest::mouseClick(window().PushButton3, Qt::LeftButton);
        QCOMPARE(gPhoneList, old);
        QCOMPARE(gridRows(), 35);
        QCOMPARE(mPrompt->shown.back().text, QStringLiteral("Do you really want clear ?"));
        QCOMPARE(mPrompt->shown.back().title, QStringLiteral("Question"));
        QCOMPARE(mPrompt->shown.back().defaultButton, Prompt::Answer::No);
        QCOMPARE(mPrompt->shown.back().icon, Prompt::Icon::None);

        mPrompt->answers = {Prompt::Answer::Yes};
        QTest::mouseClick(window().PushButton3, Qt::LeftButton);
        QVERIFY(gPhoneList != old);
        QCOMPARE(gPhoneList->RecordCount(), rows);
        QCOMPARE(gridRows(), rows);
        QCOMPARE(gridCurrentRow(), rows > 0 ? 0 : -1);
        for (int r = 0; r < rows; ++r)
            for (int f = 0; f < 8; ++f)
                QCOMPARE(gPhoneList->valueAt(r, f), FieldValue(QString()));
        QCOMPARE(mPrompt->shown.size(), size_t(2));
        QVERIFY(mPrompt->errorReports().empty());
        // The grid edits the new table.
        if (rows > 0) {
            phoneListModel(*window().DataGrid1)->setData(window().DataGrid1->model()->index(0, 0), QStringLiteral("n"));
            QCOMPARE(gPhoneList->valueAt(0, 0), FieldValue(QStringLiteral("n")));
            window().store().write(settings::kLastUpdated, kNever);
            window().store().sync();
        }
    }

    void sampleDataKeepsFilledRowsAndAppendsExamples() {
        QStringList names(30, QString());
        names[4] = QStringLiteral("Fifth");
        setRows(window(), names);
        gPhoneList->setValueAt(9, 6, QStringLiteral("0")); // a lone zero is data too
        QTest::mouseClick(window().PushButton7, Qt::LeftButton);
        QCOMPARE(lastNames(), (QStringList{"Fifth", "", "Darezo", "Vivaduvu", "Veruzu"}));
        QCOMPARE(gPhoneList->valueAt(1, 6), FieldValue(QStringLiteral("0")));
        QCOMPARE(gridRows(), 5);
        QCOMPARE(gridCurrentRow(), 4);
        QCOMPARE(gPhoneList->currentRow(), 4);
        const QStringList darezo = {"Darezo", "Zivo", "Jess", "West Hills dr", "", "", "(989) 923-4508", ""};
        const QStringList veruzu = {"Veruzu", "Vorod", "James, Ben, Dana", "", "", "(995) 267-8237", "", ""};
        for (int f = 0; f < 8; ++f) {
            QCOMPARE(gPhoneList->valueAt(2, f), FieldValue(darezo[f]));
            QCOMPARE(window().DataGrid1->model()->index(4, f).data().toString(), veruzu[f]);
        }
        QCOMPARE(gPhoneList->valueAt(3, 7), FieldValue(QStringLiteral("dediz.vivaduvu@example.com")));

        QTest::mouseClick(window().PushButton7, Qt::LeftButton);
        QCOMPARE(lastNames(),
                 (QStringList{"Fifth", "", "Darezo", "Vivaduvu", "Veruzu", "Darezo", "Vivaduvu", "Veruzu"}));
        QCOMPARE(gridCurrentRow(), 7);
        QVERIFY(mPrompt->shown.empty());
    }

    void sampleDataOnTheFirstRunAndOnAnEmptyList() {
        QCOMPARE(gridRows(), 30);
        QTest::mouseClick(window().PushButton7, Qt::LeftButton);
        QCOMPARE(lastNames(), (QStringList{"Darezo", "Vivaduvu", "Veruzu"}));
        setRows(window(), {});
        QTest::mouseClick(window().PushButton7, Qt::LeftButton);
        QCOMPARE(lastNames(), (QStringList{"Darezo", "Vivaduvu", "Veruzu"}));
        QCOMPARE(gridRows(), 3);
        QVERIFY(mPrompt->shown.empty());
    }

    void isEmptyRowLooksAtEveryField() {
        auto t = CreatePhoneListTable();
        t->AddNew();
        QVERIFY(IsEmptyRow(*t)); // all Null
        t->Fields(7).setValue(QString());
        QVERIFY(IsEmptyRow(*t));
        t->Fields(7).setValue(QStringLiteral(" "));
        QVERIFY(!IsEmptyRow(*t));
    }

    // Without a window: the commands reach the window only through ListWindow,
    // and lock its drawing only around the deletion itself.
    void commandsReachTheWindowOnlyThroughListWindow() {
        auto t = CreatePhoneListTable();
        for (const char* name : {"a", "b", "c"}) {
            t->AddNew();
            t->Fields(0).setValue(QString::fromLatin1(name));
            t->Update();
        }
        t->MoveFirst();
        t->MoveNext();
        gPhoneList = t;
        QStringList seen;
        const ListWindow recording{[&](bool on) { seen << (on ? QStringLiteral("draw") : QStringLiteral("freeze")); },
                                   [&] { seen << QStringLiteral("rebind"); }};
        ErrorTrap trap(QStringLiteral("test "));
        mPrompt->answers.push_back(Prompt::Answer::Yes);
        DeleteSelectedRow(trap, recording);
        QCOMPARE(seen, (QStringList{"freeze", "draw"}));
        QCOMPARE(lastNames(), (QStringList{"a", "c"}));
        QCOMPARE(gPhoneList->Fields(0).text(), QStringLiteral("c"));

        seen.clear();
        InsertBelowSelectedRow(trap, *gPhoneList);
        QVERIFY(seen.isEmpty());
        QCOMPARE(lastNames(), (QStringList{"a", "c", ""}));

        mPrompt->answers.push_back(Prompt::Answer::Yes);
        DeleteAll(trap, window().store(), recording);
        QCOMPARE(seen, QStringList{"rebind"});
        QVERIFY(gPhoneList != t);
        QCOMPARE(trap.failures(), 0);
    }
};

TABWRIGHT_ISOLATED_TEST_MAIN(TestRowCommands)
#include "test_row_commands.moc"
