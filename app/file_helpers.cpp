#include "app/file_helpers.h"

#include "app/error_trap.h"

#include <QCoreApplication>
#include <QFile>

#include <filesystem>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

fs::path toPath(const QString& path) {
    return fs::path(QFile::encodeName(path).toStdString());
}

// The platform this program comes from refuses to delete read-only files in
// the ordinary way; keeping that rule keeps the forced fallback meaningful.
void deleteOrdinarily(const fs::path& p) {
    // A link is removed as itself; what it points to is none of this file's business.
    const fs::perms perms = fs::symlink_status(p).permissions();
    if ((perms & fs::perms::owner_write) == fs::perms::none)
        throw std::runtime_error("Permission denied");
    if (!fs::remove(p))
        throw std::runtime_error("File not found");
}

} // namespace

bool FileExists(const QString& path) {
    return probe(
        [&] {
            if (path.isEmpty())
                return false;
            std::error_code ec;
            [[maybe_unused]] const auto when = fs::last_write_time(toPath(path), ec);
            return !ec;
        },
        false);
}

void DeleteFileQuietly(const QString& path) {
    QCoreApplication::processEvents();
    try {
        deleteOrdinarily(toPath(path));
    } catch (...) {
        probe([&] { ForceDeleteFile(path); });
    }
}

void ForceDeleteFile(const QString& path) {
    const fs::path p = toPath(path);
    // Making a link writable would change the file it points to.
    if (!fs::is_symlink(fs::symlink_status(p)))
        fs::permissions(p, fs::perms::owner_write, fs::perm_options::add);
    if (!fs::remove(p))
        throw std::runtime_error("File not found");
}

void refuseSymbolicLink(const QString& path) {
    std::error_code ec;
    if (fs::is_symlink(toPath(path), ec))
        throw std::runtime_error(
            (path + QStringLiteral(" is a symbolic link; choose the file itself or another name")).toStdString());
}
