#include "app/settings_store.h"
#include "isolated_settings.h"
#include "phonelist/list_persistence.h"
#include "phonelist/phone_list_table.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QSignalSpy>
#include <QtTest>

#include <csignal>
#include <stdexcept>

#include <sys/resource.h>

namespace {

QString row(PhoneListTable& t) {
    QStringList out;
    for (int i = 0; i < t.Fields().count(); ++i)
        out << t.Fields(i).text();
    return out.join(QLatin1Char('|'));
}

std::shared_ptr<PhoneListTable> tableOf(const QStringList& lastNames) {
    auto t = CreatePhoneListTable();
    for (const QString& name : lastNames) {
        t->AddNew();
        t->Fields(0).setValue(name);
    }
    return t;
}

// What the store's file on disk says, read apart from the process's settings
// cache. (Opening another store would sync pending values, so none is opened.)
QString gStoreFile;
QString onDisk(const QString& key) {
    const QString copy = gStoreFile + QStringLiteral(".copy.ini");
    QFile::remove(copy);
    QFile::copy(gStoreFile, copy);
    QSettings ini(copy, QSettings::IniFormat);
    const QString value = ini.value(QStringLiteral("Quorvel Tabwright/") + key).toString();
    QFile::remove(copy);
    return value;
}

void clearStore() {
    SettingsStore store;
    gStoreFile = store.fileName();
    QFile::remove(store.fileName());
}

} // namespace

class TestPhoneListTable : public QObject {
    Q_OBJECT
private slots:
    void init() { clearStore(); }

    void freshTableIsAtBofAndEof() {
        auto t = CreatePhoneListTable();
        QCOMPARE(t->RecordCount(), 0);
        QVERIFY(t->atBof() && t->atEof());
        t->MoveFirst(); // not an error on an empty table
        QVERIFY(t->atEof());
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, t->Fields(0).Value());
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, t->Delete());
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, t->bookmark());
    }

    void addNewAppendsARowOfNulls() {
        auto t = CreatePhoneListTable();
        t->AddNew();
        QCOMPARE(t->RecordCount(), 1);
        QVERIFY(!t->atBof() && !t->atEof());
        for (int i = 0; i < 8; ++i)
            QVERIFY(!t->Fields(i).Value().has_value());
        QCOMPARE(t->Fields(QStringLiteral("E-mail")).Name(), QStringLiteral("E-mail"));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, t->Fields(8));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, t->Fields(QStringLiteral("Fax")));
    }

    void fieldHoldsAtMost1024Units() {
        auto t = CreatePhoneListTable();
        t->AddNew();
        const QString exact(1024, QLatin1Char('x'));
        t->Fields(3).setValue(exact);
        QCOMPARE(t->Fields(3).text(), exact);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, t->Fields(3).setValue(exact + QLatin1Char('y')));
        QCOMPARE(t->Fields(3).text(), exact);
        // Cutting never splits a surrogate pair.
        const QString pairs = QString(1023, QLatin1Char('a')) + QString::fromUtf8("\xF0\x9F\x98\x80");
        QCOMPARE(PhoneListTable::fitToField(pairs), QString(1023, QLatin1Char('a')));
    }

    void deleteKeepsTheRemovedPosition() {
        auto t = tableOf({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
        t->MoveFirst();
        t->Delete();
        QCOMPARE(t->RecordCount(), 2);
        QCOMPARE(t->currentRow(), -1);
        QVERIFY(!t->atEof());
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, t->Fields(0).Value());
        t->MoveNext();
        QCOMPARE(t->Fields(0).text(), QStringLiteral("B"));
        t->MoveNext();
        t->Delete(); // the last row
        t->MoveNext();
        QVERIFY(t->atEof());
        QCOMPARE(t->RecordCount(), 1);
    }

    void movesAndBookmarks() {
        auto t = tableOf({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
        t->MoveFirst();
        const auto first = t->bookmark();
        t->Move(2);
        QCOMPARE(t->Fields(0).text(), QStringLiteral("C"));
        const auto third = t->bookmark();
        QVERIFY(!(first == third));
        t->Move(5);
        QVERIFY(t->atEof());
        t->setBookmark(first);
        QCOMPARE(t->Fields(0).text(), QStringLiteral("A"));
        QVERIFY(t->bookmark() == first);
        t->MoveNext();
        t->Delete();
        t->setBookmark(third); // still valid after another row went
        QCOMPARE(t->Fields(0).text(), QStringLiteral("C"));
        auto other = tableOf({QStringLiteral("X")});
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, t->setBookmark(PhoneListTable::Bookmark{9999}));
    }

    void announcesEveryChange() {
        auto t = tableOf({QStringLiteral("A")});
        QSignalSpy appended(t.get(), &PhoneListTable::rowAppended);
        QSignalSpy removed(t.get(), &PhoneListTable::rowRemoved);
        QSignalSpy changed(t.get(), &PhoneListTable::fieldChanged);
        QSignalSpy moved(t.get(), &PhoneListTable::currentRowChanged);
        t->AddNew();
        t->Fields(1).setValue(QStringLiteral("x"));
        t->Fields(1).setValue(QStringLiteral("x")); // same value: nothing to announce
        t->MoveFirst();
        t->Delete();
        QCOMPARE(appended.size(), 1);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.at(0), (QVariantList{1, 1}));
        QCOMPARE(removed.size(), 1);
        QCOMPARE(moved.last().at(0).toInt(), -1);
    }

    void refusesRowsBeyondItsCapacity() {
        auto t = CreatePhoneListTable();
        for (int i = 0; i < PhoneListTable::kMaxRows; ++i)
            t->AddNew();
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, t->AddNew());
        QCOMPARE(t->RecordCount(), PhoneListTable::kMaxRows);
    }

    void convertsRowCountText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("rows");
        QTest::newRow("plain") << "30" << 30;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("half down to even") << "2.5" << 2;
        QTest::newRow("half up to even") << "3.5" << 4;
        QTest::newRow("below half") << "0.5" << 0;
        QTest::newRow("not a number") << "abc" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("leading blanks and trailing text") << "  12 rows" << 12;
        QTest::newRow("negative") << "-5" << 0;
        QTest::newRow("huge") << "99999999999" << PhoneListTable::kMaxRows;
        QTest::newRow("exponent") << "1e300" << PhoneListTable::kMaxRows;
        QTest::newRow("overflowing exponent") << "1e999" << PhoneListTable::kMaxRows;
        QTest::newRow("small exponent") << "4e1" << 40;
        QTest::newRow("decimal comma is not a point") << "3,7" << 3;
        QTest::newRow("nan text") << "nan" << 0;
    }
    void convertsRowCountText() {
        QFETCH(QString, text);
        QFETCH(int, rows);
        QCOMPARE(rowCountFromText(text), rows);
    }

    void emptyStoreLoadsThirtyEmptyRows() {
        SettingsStore store;
        auto t = CreatePhoneListTable();
        LoadPhoneList(*t, store);
        QCOMPARE(t->RecordCount(), 30);
        for (t->MoveFirst(); !t->atEof(); t->MoveNext())
            QCOMPARE(row(*t), QStringLiteral("|||||||"));
    }

    void awkwardTextsSurviveARoundTrip() {
        const QStringList texts = {
            QStringLiteral("Smith, John"),
            QStringLiteral("\"quoted\" and 'single'"),
            QStringLiteral("  padded  "),
            QStringLiteral("tab\there"),
            QStringLiteral("two\r\nlines\nand\rmore"),
            QString::fromUtf8("Ærøskøbing Straße Ελληνικά 東京"),
            QString::fromUtf8("outside the BMP: \xF0\x9F\x93\x9E \xF0\x90\x8D\x88"),
            QStringLiteral("@Variant(not one)"),
            QStringLiteral("a;b=c#d[e]f\\g%20"),
            QStringLiteral("="),
        };
        auto t = CreatePhoneListTable();
        for (const QString& text : texts) {
            t->AddNew();
            for (int c = 0; c < 8; ++c)
                t->Fields(c).setValue(c == 2 ? QString() : text);
        }
        t->AddNew(); // a row of Nulls saves as empty texts
        {
            SettingsStore store;
            SavePhoneList(*t, store);
        }
        for (int i = 0; i < texts.size(); ++i)
            QCOMPARE(onDisk(settings::rowSourceKey(8, i + 1)), texts.at(i));
        SettingsStore again;
        QCOMPARE(again.read(settings::kRowCount, "30"), QString::number(texts.size() + 1));
        QCOMPARE(again.read(settings::rowSourceKey(1, 1), QString()), texts.at(0));
        auto back = CreatePhoneListTable();
        LoadPhoneList(*back, again);
        QCOMPARE(back->RecordCount(), texts.size() + 1);
        back->MoveFirst();
        for (const QString& text : texts) {
            QCOMPARE(back->Fields(0).text(), text);
            QCOMPARE(back->Fields(7).text(), text);
            QCOMPARE(back->Fields(2).text(), QString());
            back->MoveNext();
        }
        QCOMPARE(row(*back), QStringLiteral("|||||||"));
    }

    // The deleted rows' values must not linger in the file, where nobody sees them.
    void shorterListRemovesTheOldRowKeys() {
        SettingsStore store;
        auto t = tableOf(QStringList(30, QStringLiteral("old")));
        SavePhoneList(*t, store);
        auto shorter = tableOf(QStringList(5, QStringLiteral("new")));
        SavePhoneList(*shorter, store);
        QCOMPARE(store.read(settings::kRowCount, "30"), QStringLiteral("5"));
        QCOMPARE(store.read(settings::rowSourceKey(1, 6), QStringLiteral("none")), QStringLiteral("none"));
        QCOMPARE(SettingsStore().read(settings::rowSourceKey(8, 30), QStringLiteral("none")), QStringLiteral("none"));
        QCOMPARE(SettingsStore().read(settings::rowSourceKey(1, 5), QString()), QStringLiteral("new"));
        auto back = CreatePhoneListTable();
        LoadPhoneList(*back, store);
        QCOMPARE(back->RecordCount(), 5);
    }

    void emptyTableSavesOnlyTheCount() {
        SettingsStore store;
        auto t = CreatePhoneListTable();
        SavePhoneList(*t, store);
        QCOMPARE(store.read(settings::kRowCount, "30"), QStringLiteral("0"));
        QCOMPARE(store.read(settings::rowSourceKey(1, 1), "none"), QStringLiteral("none"));
        auto back = CreatePhoneListTable();
        LoadPhoneList(*back, store);
        QCOMPARE(back->RecordCount(), 0);
    }

    void overlongStoredValueLoadsCut() {
        SettingsStore store;
        store.write(settings::kRowCount, QStringLiteral("2"));
        store.write(settings::rowSourceKey(1, 1), QString(5000, QLatin1Char('z')));
        store.write(settings::rowSourceKey(2, 1), QStringLiteral("after"));
        store.write(settings::rowSourceKey(1, 2), QStringLiteral("next row"));
        auto t = CreatePhoneListTable();
        LoadPhoneList(*t, store);
        t->MoveFirst();
        QCOMPARE(t->Fields(0).text(), QString(1024, QLatin1Char('z')));
        QCOMPARE(t->Fields(1).text(), QStringLiteral("after"));
        t->MoveNext();
        QCOMPARE(t->Fields(0).text(), QStringLiteral("next row"));
    }

    void damagedRowCountStillOpens_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("rows");
        QTest::newRow("huge") << "99999999999" << PhoneListTable::kMaxRows;
        QTest::newRow("negative") << "-5" << 0;
        QTest::newRow("exponent") << "1e300" << PhoneListTable::kMaxRows;
        QTest::newRow("garbage") << "\x01\x7f?!" << 0;
    }
    void damagedRowCountStillOpens() {
        QFETCH(QString, stored);
        QFETCH(int, rows);
        SettingsStore store;
        store.write(settings::kRowCount, stored);
        store.write(settings::rowSourceKey(4, 1), QStringLiteral("kept"));
        auto t = CreatePhoneListTable();
        LoadPhoneList(*t, store);
        QCOMPARE(t->RecordCount(), rows);
        if (rows > 0) {
            t->MoveFirst();
            QCOMPARE(t->Fields(3).text(), QStringLiteral("kept"));
            // The list goes on working: it saves and loads back whole.
            SavePhoneList(*t, store);
            QCOMPARE(store.read(settings::kRowCount, "30"), QString::number(rows));
        }
    }

    void failedSaveLeavesTheOldFileWhole() {
        SettingsStore store;
        SavePhoneList(*tableOf({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}), store);
        const qint64 oldSize = QFileInfo(store.fileName()).size();
        auto big = CreatePhoneListTable();
        for (int i = 0; i < 500; ++i) {
            big->AddNew();
            big->Fields(3).setValue(QString(200, QLatin1Char('x')));
        }
        // The file system refuses to let any file grow past a few hundred bytes
        // (works for root too), so the new file cannot be written in full.
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = rlim_t(oldSize + 300);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        bool failed = false;
        try {
            SavePhoneList(*big, store);
        } catch (const std::runtime_error&) {
            failed = true;
        }
        setrlimit(RLIMIT_FSIZE, &saved);
        QVERIFY(failed);
        QCOMPARE(QFileInfo(store.fileName()).size(), oldSize);
        QCOMPARE(onDisk(QString::fromLatin1(settings::kRowCount)), QStringLiteral("3"));
        QCOMPARE(onDisk(settings::rowSourceKey(1, 3)), QStringLiteral("C"));
    }

    void handEditedListValueReadsAsItsText() {
        SettingsStore probeStore;
        const QString path = probeStore.fileName();
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Quorvel%20Tabwright]\nRowCount=1\nRowSource1%201=Smith, John\n");
        f.close();
        SettingsStore store;
        auto t = CreatePhoneListTable();
        LoadPhoneList(*t, store);
        t->MoveFirst();
        QCOMPARE(t->Fields(0).text(), QStringLiteral("Smith, John"));
    }

    void failingCellsAreHandedToTheRunner() {
        SettingsStore store;
        store.write(settings::kRowCount, QStringLiteral("3"));
        auto t = CreatePhoneListTable();
        int statements = 0;
        LoadPhoneList(*t, store, [&](const std::function<void()>& s) {
            ++statements;
            s();
        });
        QCOMPARE(statements, 1 + 3 * 9);
        // A failure inside one statement does not stop the rest.
        auto broken = CreatePhoneListTable();
        int failures = 0;
        int ran = 0;
        LoadPhoneList(*broken, store, [&](const std::function<void()>& s) {
            ++ran;
            try {
                if (ran == 3)
                    throw std::runtime_error("boom");
                s();
            } catch (...) {
                ++failures;
            }
        });
        QCOMPARE(failures, 1);
        QCOMPARE(broken->RecordCount(), 3);
    }
};

TABWRIGHT_ISOLATED_TEST_MAIN(TestPhoneListTable)
#include "test_phone_list_table.moc"
