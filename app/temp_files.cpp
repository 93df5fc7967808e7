#include "app/temp_files.h"

#include "app/file_helpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

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

QString temporaryFolder() {
    const QString temp = qEnvironmentVariable("TEMP");
    if (!temp.isEmpty())
        return QDir::cleanPath(temp);

    // No TEMP: a folder of our own under the system's temporary folder, since the
    // workbook and the sheet picture are the user's data.
    const QString folder = QDir::tempPath() + QStringLiteral("/quorvel-tabwright-") + QString::number(::getuid());
    const QByteArray native = QFile::encodeName(folder);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        failWithErrno(QStringLiteral("Cannot create the temporary folder ") + folder);
    struct stat st {};
    if (::lstat(native.constData(), &st) != 0)
        failWithErrno(QStringLiteral("Cannot use the temporary folder ") + folder);
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::getuid() || (st.st_mode & 077) != 0)
        throw std::runtime_error(
            (QStringLiteral("The temporary folder ") + folder + QStringLiteral(" is not private to this user"))
                .toStdString());
    return folder;
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
