#include "app/temp_files.h"

#include "app/file_helpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QDateTime>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void failWithErrno(const QString& what) {
    throw std::runtime_error(
        (what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno))).toStdString());
}

// Creates path as an empty file only this user can use; false when the name is taken.
bool createExclusively(const QString& path) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::close(fd);
        return true;
    }
    if (errno != EEXIST)
        failWithErrno(QStringLiteral("Cannot create a temporary workbook in ") + QFileInfo(path).path());
    return false;
}

} // namespace

namespace {

// A folder this user owns that nobody else can write into (or, with private,
// enter at all), reached without a link.
bool isOwnFolder(const QString& folder, bool isPrivate) {
    struct stat st {};
    if (::lstat(QFile::encodeName(folder).constData(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & (isPrivate ? 077 : 022)) == 0;
}

// The folder made when the fixed name was taken by someone else, for the rest of the run.
QString& randomFolder() {
    static QString folder;
    return folder;
}

} // namespace

QString temporaryFolder() {
    // TEMP only when nobody else can plant or replace files in it.
    const QString temp = QDir::cleanPath(qEnvironmentVariable("TEMP"));
    if (!qEnvironmentVariable("TEMP").isEmpty() && isOwnFolder(temp, false))
        return temp;

    // Otherwise a folder of our own under the system's temporary folder, since
    // the workbook and the sheet picture are the user's data.
    const QString base = QDir::tempPath() + QStringLiteral("/quorvel-tabwright-") + QString::number(::getuid());
    const QByteArray native = QFile::encodeName(base);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        failWithErrno(QStringLiteral("Cannot create the temporary folder ") + base);
    if (isOwnFolder(base, true))
        return base;
    // Someone else holds the fixed name: a fresh folder with a random name instead.
    if (randomFolder().isEmpty() || !isOwnFolder(randomFolder(), true)) {
        QByteArray pattern = native + "-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            failWithErrno(QStringLiteral("Cannot create a temporary folder in ") + QDir::tempPath());
        randomFolder() = QFile::decodeName(pattern);
    }
    return randomFolder();
}

QString createPrivateFolder(const QString& parent) {
    QByteArray pattern = QFile::encodeName(parent + QStringLiteral("/quorvel-picture-XXXXXX"));
    if (!::mkdtemp(pattern.data()))
        failWithErrno(QStringLiteral("Cannot create a private folder in ") + parent);
    return QFile::decodeName(pattern);
}

void removeStaleTemporaryWorkbooks(const QString& folder) {
    const QDateTime dayAgo = QDateTime::currentDateTime().addDays(-1);
    static const QRegularExpression name(QStringLiteral("^velmar[1-9]{8}\\.xls$"));
    for (const QFileInfo& f : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (!name.match(f.fileName()).hasMatch() || f.isSymLink() || f.ownerId() != ::getuid() ||
            f.lastModified() > dayAgo)
            continue;
        QFile::remove(f.filePath());
    }
}

QString createTemporaryWorkbookPath(const QString& folder) {
    // A name someone else already holds is simply skipped; after this many the folder is unusable.
    constexpr int kAttempts = 1000;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        QString name = QStringLiteral("velmar");
        for (int d = 0; d < 8; ++d)
            name += QString::number(QRandomGenerator::system()->bounded(1, 10));
        const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".xls");
        if (!FileExists(path) && createExclusively(path))
            return path;
    }
    throw std::runtime_error(("No free temporary workbook name in " + folder).toStdString());
}
