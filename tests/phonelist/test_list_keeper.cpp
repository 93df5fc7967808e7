#include "phonelist/list_keeper.h"

#include "app/settings_store.h"
#include "isolated_settings.h"
#include "phonelist/phone_list_table.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

namespace {

void setList(const QStringList& lastNames) {
    auto t = CreatePhoneListTable();
    for (const QString& name : lastNames) {
        t->AddNew();
        t->Fields(0).setValue(name);
        t->Update();
    }
    gPhoneList = t;
}

QString storedLastName(int row) {
    return SettingsStore().read(settings::rowSourceKey(1, row), QStringLiteral("none"));
}

} // namespace

class TestListKeeper : public QObject {
    Q_OBJECT

private slots:
    void init() { QFile::remove(SettingsStore().fileName()); }

    void quickChangesAreWrittenOnceAfterThePause() {
        SettingsStore store;
        ListKeeper keeper(store, 50);
        QVERIFY(keeper.claim());
        setList({QStringLiteral("Darezo")});
        keeper.changed();
        gPhoneList->MoveFirst();
        gPhoneList->Fields(0).setValue(QStringLiteral("Veruzu"));
        keeper.changed();
        QVERIFY(keeper.pending());
        QCOMPARE(storedLastName(1), QStringLiteral("none")); // nothing written while typing goes on
        QTRY_VERIFY(!keeper.pending());
        QCOMPARE(storedLastName(1), QStringLiteral("Veruzu"));
        QCOMPARE(SettingsStore().read(settings::kRowCount, "30"), QStringLiteral("1"));
    }

    void aStoreThatCannotBeWrittenIsReportedOnceAndTheListKept() {
        SettingsStore store;
        ListKeeper keeper(store, 10);
        QStringList reports;
        keeper.reportFailure = [&](const QString& text) { reports << text; };
        setList({QStringLiteral("Darezo")});
        // Root ignores permissions; a folder in the file's place fails for everyone.
        const QString blocker = store.fileName();
        QVERIFY(QDir().mkpath(blocker));
        QVERIFY(!keeper.saveNow());
        QVERIFY(!keeper.saveNow());
        QCOMPARE(reports.size(), 1);
        QVERIFY(reports.front().contains(QStringLiteral("could not be saved")));
        QVERIFY(!reports.front().contains(QStringLiteral("locked")));
        QVERIFY(QDir(blocker).removeRecursively());
        QVERIFY(keeper.saveNow());
        QCOMPARE(storedLastName(1), QStringLiteral("Darezo"));
        // A later failure is news again.
        QVERIFY(QFile::remove(blocker));
        QVERIFY(QDir().mkpath(blocker));
        QVERIFY(!keeper.saveNow());
        QCOMPARE(reports.size(), 2);
        QVERIFY(QDir(blocker).removeRecursively());
    }

    void theFirstStartMakesTheFolderItLocksIn() {
        SettingsStore store;
        const QString folder = QFileInfo(store.fileName()).absolutePath();
        QVERIFY(QDir(folder).removeRecursively());
        ListKeeper keeper(store, 10);
        QVERIFY(keeper.claim());
        QVERIFY(!keeper.readOnly());
        QVERIFY(QDir(folder).exists());
    }

    // A window that was killed leaves its lock behind; the next start must not be read-only.
    void aLockLeftByAKilledWindowIsTakenOver() {
        SettingsStore store;
        QFile left(store.fileName() + QStringLiteral(".open"));
        QVERIFY(left.open(QIODevice::WriteOnly));
        left.write(QByteArray::number(0x7FFFFFF0) + "\n" + QCoreApplication::applicationName().toUtf8() + "\n" +
                   QSysInfo::machineHostName().toUtf8() + "\n");
        left.close();
        ListKeeper keeper(store, 10);
        QVERIFY(keeper.claim());
    }

    void aSecondWindowOnTheListSavesNothing() {
        SettingsStore store;
        ListKeeper first(store, 10);
        QVERIFY(first.claim());
        SettingsStore other;
        ListKeeper second(other, 10);
        QVERIFY(!second.claim());
        QVERIFY(second.readOnly());
        setList({QStringLiteral("mine")});
        second.changed();
        QVERIFY(!second.pending());
        QVERIFY(second.saveNow());
        QCOMPARE(storedLastName(1), QStringLiteral("none"));
    }
};

TABWRIGHT_ISOLATED_TEST_MAIN(TestListKeeper)
#include "test_list_keeper.moc"
