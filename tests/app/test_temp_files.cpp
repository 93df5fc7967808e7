#include "app/temp_files.h"

#include "isolated_settings.h"

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

int modeOf(const QString& path) {
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return int(st.st_mode & 0777);
}

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

        // A folder under that name that others can enter is not used.
        QVERIFY(QFile::setPermissions(own, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther |
                                               QFile::ExeOther));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, temporaryFolder());
        QDir(own).removeRecursively();
        QVERIFY(QFile::link(tmpdir.path(), own)); // nor a link planted in its place
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, temporaryFolder());
        qputenv("TMPDIR", savedTmpdir);
        qputenv("TEMP", mTemp.path().toLocal8Bit());
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
