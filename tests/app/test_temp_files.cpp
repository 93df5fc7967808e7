#include "app/temp_files.h"

#include "file_mode.h"
#include "isolated_settings.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <stdexcept>
#include <sys/stat.h>

namespace {

const QRegularExpression kWorkbookName(QStringLiteral("^velmar[1-9]{8}\\.xls$"));

} // namespace

class TestTempFiles : public QObject {
    Q_OBJECT

    QTemporaryDir mTemp;

private slots:
    void init() { qputenv("TEMP", mTemp.path().toLocal8Bit()); }

    void temporaryFolderIsTempOrAPrivateFolder() {
        QCOMPARE(temporaryFolder(), QDir::cleanPath(mTemp.path()));

        QTemporaryDir tmpdir;
        const QByteArray savedTmpdir = qgetenv("TMPDIR");
        qputenv("TMPDIR", tmpdir.path().toLocal8Bit());
        qunsetenv("TEMP");
        const QString own = temporaryFolder();
        QVERIFY(own.startsWith(tmpdir.path() + QLatin1Char('/')));
        QCOMPARE(modeOf(own), 0700);
        QCOMPARE(temporaryFolder(), own); // found again, not refused

        // A folder under that name that others can enter is not used, nor a link
        // planted in its place: a fresh private folder with a random name is.
        QVERIFY(QFile::setPermissions(own, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther |
                                               QFile::ExeOther));
        const QString instead = temporaryFolder();
        QVERIFY(instead != own);
        QVERIFY(instead.startsWith(own + QLatin1Char('-')));
        QCOMPARE(modeOf(instead), 0700);
        QCOMPARE(temporaryFolder(), instead); // the same one for the rest of the run
        QDir(own).removeRecursively();
        QVERIFY(QFile::link(tmpdir.path(), own));
        QCOMPARE(temporaryFolder(), instead);
        QFile::remove(own);

        // A TEMP that others may write into is passed over.
        QTemporaryDir shared;
        QVERIFY(QFile::setPermissions(shared.path(), QFile::permissions(shared.path()) | QFile::WriteOther |
                                                         QFile::ExeOther | QFile::ReadOther));
        qputenv("TEMP", shared.path().toLocal8Bit());
        QVERIFY(temporaryFolder() != QDir::cleanPath(shared.path()));
        qputenv("TMPDIR", savedTmpdir);
        qputenv("TEMP", mTemp.path().toLocal8Bit());
    }

    void eachGenerationGetsAPrivateFolder() {
        const QString a = createPrivateFolder(mTemp.path());
        const QString b = createPrivateFolder(mTemp.path());
        QVERIFY(a != b);
        QCOMPARE(QFileInfo(a).path(), mTemp.path());
        QCOMPARE(modeOf(a), 0700);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, createPrivateFolder(mTemp.path() + "/missing"));
        QDir(a).removeRecursively();
        QDir(b).removeRecursively();
    }

    // Workbooks of a killed run hold the list; only old ones of ours go, never through a link.
    void staleWorkbooksOfADayAgoAreRemoved() {
        auto make = [&](const QString& name, int hoursOld) {
            const QString path = mTemp.filePath(name);
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("x");
            f.flush();
            f.setFileTime(QDateTime::currentDateTime().addSecs(-3600 * hoursOld), QFileDevice::FileModificationTime);
        };
        make(QStringLiteral("velmar12345678.xls"), 30);
        make(QStringLiteral("velmar87654321.xls"), 2);
        make(QStringLiteral("other.xls"), 30);
        QTemporaryDir elsewhere;
        const QString target = elsewhere.filePath(QStringLiteral("kept.xls"));
        {
            QFile f(target);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QVERIFY(QFile::link(target, mTemp.filePath(QStringLiteral("velmar11111111.xls"))));
        removeStaleTemporaryWorkbooks(mTemp.path());
        QVERIFY(!QFile::exists(mTemp.filePath(QStringLiteral("velmar12345678.xls"))));
        QVERIFY(QFile::exists(mTemp.filePath(QStringLiteral("velmar87654321.xls"))));
        QVERIFY(QFile::exists(mTemp.filePath(QStringLiteral("other.xls"))));
        QVERIFY(QFile::exists(target));
        for (const QString& f : QDir(mTemp.path()).entryList(QDir::Files | QDir::System))
            QFile::remove(mTemp.filePath(f));
    }

    void temporaryWorkbookNamesAreRandomPrivateAndNew() {
        QSet<QString> names;
        for (int i = 0; i < 40; ++i) {
            const QString path = createTemporaryWorkbookPath(mTemp.path());
            const QString name = QFileInfo(path).fileName();
            QVERIFY2(kWorkbookName.match(name).hasMatch(), qPrintable(name));
            QCOMPARE(QFileInfo(path).path(), mTemp.path());
            QCOMPARE(modeOf(path), 0600);
            names.insert(name);
        }
        QCOMPARE(names.size(), 40);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, createTemporaryWorkbookPath(mTemp.path() + "/missing"));
    }
};

TABWRIGHT_ISOLATED_TEST_MAIN(TestTempFiles)
#include "test_temp_files.moc"
