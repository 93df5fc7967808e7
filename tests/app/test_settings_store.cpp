#include "app/settings_store.h"

#include "isolated_settings.h"

#include <QFile>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace {

const QString kNever = QStringLiteral("never");

QString makeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return path;
}

// The lines of the file's "[Quorvel%20Tabwright]" section that set a key, in file order.
QList<QByteArray> ourSectionLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<QByteArray> lines;
    bool inside = false;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith('['))
            inside = line == "[Quorvel%20Tabwright]";
        else if (inside && line.contains('='))
            lines << line;
    }
    return lines;
}

} // namespace

class TestSettingsStore : public QObject {
    Q_OBJECT

private slots:
    void storeReadsDefaultsAndKeepsTheLastWrite() {
        SettingsStore store;
        QVERIFY(store.fileName().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")));
        QVERIFY(store.fileName().endsWith(QStringLiteral("Brenmoor.ini")));
        QCOMPARE(store.read(settings::kRowCount, settings::kRowCountDefault), QStringLiteral("30"));
        store.write(settings::kRowCount, QStringLiteral("5"));
        store.write(settings::kRowCount, QStringLiteral("7"));
        store.sync();
        QCOMPARE(SettingsStore().read(settings::kRowCount, "30"), QStringLiteral("7"));
        QCOMPARE(settings::rowSourceKey(3, 12), QStringLiteral("RowSource3 12"));
        QFile ini(store.fileName());
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QVERIFY(ini.readAll().contains("[Quorvel%20Tabwright]"));
    }

    void storeKeepsTheRestOfTheFile() {
        const QString path = SettingsStore().fileName();
        makeFile(path, "[General]\nfoo=bar\n\n[Quorvel%20Tabwright]\n; kept comment\nLast%20Updated=yesterday\n"
                       "RowCount=3\nRowSource1%201=old\n\n[Other]\nx=1\n");
        {
            SettingsStore store;
            QCOMPARE(store.read(settings::kRowCount, "30"), QStringLiteral("3"));
            store.write(settings::kRowCount, QStringLiteral("5"));
            store.write(settings::rowSourceKey(1, 1), QStringLiteral("a, b"));
            store.write(settings::rowSourceKey(8, 2), QStringLiteral("@at the start"));
            store.sync();
            // This store reads its own writes back at once.
            QCOMPARE(store.read(settings::rowSourceKey(1, 1), QString()), QStringLiteral("a, b"));
            QCOMPARE(store.read(settings::kRowCount, "30"), QStringLiteral("5"));
        }
        const QString copy = path + QStringLiteral(".copy");
        QFile::remove(copy);
        QVERIFY(QFile::copy(path, copy));
        QSettings ini(copy, QSettings::IniFormat);
        QCOMPARE(ini.value(QStringLiteral("foo")).toString(), QStringLiteral("bar"));
        QCOMPARE(ini.value(QStringLiteral("Other/x")).toString(), QStringLiteral("1"));
        QCOMPARE(ini.value(QStringLiteral("Quorvel Tabwright/Last Updated")).toString(), QStringLiteral("yesterday"));
        QCOMPARE(ini.value(QStringLiteral("Quorvel Tabwright/RowCount")).toString(), QStringLiteral("5"));
        QCOMPARE(ini.value(QStringLiteral("Quorvel Tabwright/RowSource1 1")).toString(), QStringLiteral("a, b"));
        QCOMPARE(ini.value(QStringLiteral("Quorvel Tabwright/RowSource8 2")).toString(),
                 QStringLiteral("@at the start"));
        QFile text(path);
        QVERIFY(text.open(QIODevice::ReadOnly));
        const QByteArray all = text.readAll();
        QVERIFY(all.contains("; kept comment"));
        QCOMPARE(all.count("[Quorvel%20Tabwright]"), 1);
        QFile::remove(copy);
        QFile::remove(path);
    }

    void storeWritesTextsAsQSettingsReadsThem() {
        const QString path = SettingsStore().fileName();
        QFile::remove(path);
        QStringList texts = {QStringLiteral(" lead"),
                             QStringLiteral("trail "),
                             QStringLiteral("semi;colon"),
                             QStringLiteral("eq=uals"),
                             QStringLiteral("back\\slash\\"),
                             QString::fromUtf8("ctl\x01"
                                               "f\x1f"
                                               "9 end"),
                             QString(QChar(0)) + QStringLiteral("a"),
                             QStringLiteral("@@double"),
                             QStringLiteral("@ByteArray(x)"),
                             QStringLiteral("#hash"),
                             QStringLiteral("[bracket]"),
                             QString::fromUtf8("\xE2\x82\xAC \xF0\x9F\x98\x80 \xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D")};
        {
            SettingsStore store;
            for (int i = 0; i < texts.size(); ++i)
                store.write(settings::rowSourceKey(1, i + 1), texts[i]);
        } // written by the destructor
        const QString copy = path + QStringLiteral(".copy");
        QFile::remove(copy);
        QVERIFY(QFile::copy(path, copy));
        QSettings ini(copy, QSettings::IniFormat);
        ini.beginGroup(QStringLiteral("Quorvel Tabwright"));
        for (int i = 0; i < texts.size(); ++i)
            QCOMPARE(ini.value(settings::rowSourceKey(1, i + 1)).toString(), texts[i]);
        QFile::remove(copy);
    }

    // The store writes the file itself instead of through QSettings; what it
    // writes must be the very text QSettings would write, or a later QSettings
    // save (another program, an older version) would see different keys.
    void writesKeysAndValuesByteForByteAsQSettings() {
        const QList<std::pair<QString, QString>> entries = {
            {QStringLiteral("RowSource1 1"), QStringLiteral("plain")},
            {QStringLiteral("Last Updated"), QStringLiteral("08.12.2026 10:15")},
            {QStringLiteral("RowSource2 2"), QStringLiteral(" lead, and trail ")},
            {QStringLiteral("RowSource3 3"), QStringLiteral("quote \" and back\\slash")},
            {QStringLiteral("RowSource4 4"), QStringLiteral("@at")},
            {QStringLiteral("RowSource5 5"),
             QString(QChar(0)) + QStringLiteral("ab") + QChar(0x1f) + QStringLiteral("c")},
            {QStringLiteral("RowSource6 6"), QStringLiteral("line\r\nbreak\ttab")},
            {QString::fromUtf8("K\xC3\xA9y \xE2\x82\xAC_-.~"), QString::fromUtf8("\xD7\xA9\xD7\x9C \xF0\x9F\x98\x80")},
            {QStringLiteral("RowSource7 7"), QString()},
        };
        QTemporaryDir dir;
        const QString theirs = dir.filePath(QStringLiteral("theirs.ini"));
        {
            QSettings ini(theirs, QSettings::IniFormat);
            ini.beginGroup(QStringLiteral("Quorvel Tabwright"));
            for (const auto& [key, value] : entries)
                ini.setValue(key, value);
        }
        const QString path = SettingsStore().fileName();
        QFile::remove(path);
        {
            SettingsStore store;
            for (const auto& [key, value] : entries)
                store.write(key, value);
            store.sync();
        }
        QList<QByteArray> expected = ourSectionLines(theirs);
        QList<QByteArray> written = ourSectionLines(path);
        QCOMPARE(written.size(), entries.size());
        // QSettings sorts its keys; the store keeps the order of first writing.
        std::sort(expected.begin(), expected.end());
        std::sort(written.begin(), written.end());
        QCOMPARE(written, expected);
        QFile::remove(path);
    }

    void rewritingAKeyReplacesItsLineInPlace() {
        const QString path = SettingsStore().fileName();
        makeFile(path, "[Quorvel%20Tabwright]\nRowCount=3\nLast%20Updated=then\nRowSource1%201=a\n");
        {
            SettingsStore store;
            store.write(settings::kLastUpdated, QStringLiteral("now"));
            store.write(settings::rowSourceKey(2, 1), QStringLiteral("b"));
            store.sync();
        }
        QCOMPARE(ourSectionLines(path),
                 (QList<QByteArray>{"RowCount=3", "Last%20Updated=now", "RowSource1%201=a", "RowSource2%201=b"}));
        QFile::remove(path);
    }

    void removedKeysLeaveTheFile() {
        const QString path = SettingsStore().fileName();
        makeFile(path, "[Quorvel%20Tabwright]\nRowCount=2\nRowSource1%202=gone\nRowSource2%201=kept\n");
        {
            SettingsStore store;
            QCOMPARE(store.read(QStringLiteral("RowSource1 2"), kNever), QStringLiteral("gone"));
            store.remove(QStringLiteral("RowSource1 2"));
            store.write(QStringLiteral("RowSource3 3"), QStringLiteral("new"));
            store.remove(QStringLiteral("RowSource3 3")); // written and taken back before any sync
            QCOMPARE(store.read(QStringLiteral("RowSource1 2"), kNever), kNever);
            store.sync();
        }
        QCOMPARE(ourSectionLines(path), (QList<QByteArray>{"RowCount=2", "RowSource2%201=kept"}));
        QFile::remove(path);
    }

    // The reader takes the last line of a key, however it is spelled; a line
    // written by hand must not outlive the program's own write.
    void aKeyIsMatchedAsTheReaderDecodesIt() {
        const QString path = SettingsStore().fileName();
        makeFile(path, "[Quorvel%20Tabwright]\nRowSource1%201=old\nRowSource1 1=by hand\nOther%41=x\n");
        {
            SettingsStore store;
            store.write(settings::rowSourceKey(1, 1), QStringLiteral("edited"));
            store.write(QStringLiteral("OtherA"), QStringLiteral("y"));
            store.sync();
        }
        QCOMPARE(ourSectionLines(path), (QList<QByteArray>{"RowSource1%201=edited", "OtherA=y"}));
        QCOMPARE(SettingsStore().read(settings::rowSourceKey(1, 1), kNever), QStringLiteral("edited"));
        QFile::remove(path);
    }

    void aNewStoreIsTheUsersAlone() {
        const QString path = SettingsStore().fileName();
        QFile::remove(path);
        {
            SettingsStore store;
            store.write(settings::kRowCount, QStringLiteral("1"));
            store.sync();
        }
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 0777), 0600);
        QFile::remove(path);
    }
};

TABWRIGHT_ISOLATED_TEST_MAIN(TestSettingsStore)
#include "test_settings_store.moc"
