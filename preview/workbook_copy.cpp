#include "preview/workbook_copy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <filesystem>
#include <stdexcept>
#include <system_error>

#include <unistd.h>

namespace {

[[noreturn]] void fail(const QString& description) {
    throw std::runtime_error(description.toStdString());
}

// Removes the unfinished copy unless it was handed over.
class PartFile {
public:
    explicit PartFile(QFile& file) : mFile(file) {}
    ~PartFile() {
        if (!mKept) {
            mFile.close();
            mFile.remove();
        }
    }
    void keep() { mKept = true; }

private:
    QFile& mFile;
    bool mKept = false;
};

// Created with O_EXCL and the usual permissions (0666 less the umask), like any new file.
bool openNewBeside(const QString& target, QFile& part) {
    const QFileInfo info(target);
    const QDir dir = info.absoluteDir();
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString name = QStringLiteral(".%1.%2.part")
                                 .arg(info.fileName())
                                 .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        part.setFileName(dir.filePath(name));
        if (part.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return true;
        if (part.exists())
            continue;
        return false;
    }
    return false;
}

} // namespace

void copyFileReplacing(const QString& source, const QString& target) {
    QFile in(source);
    if (!QFileInfo(source).isFile())
        fail(QStringLiteral("File not found: ") + source);
    if (!in.open(QIODevice::ReadOnly))
        fail(QStringLiteral("Cannot read ") + source + QStringLiteral(": ") + in.errorString());

    QFile part;
    if (!openNewBeside(target, part))
        fail(QStringLiteral("Cannot write ") + target + QStringLiteral(": ") + part.errorString());
    PartFile guard(part);

    constexpr qint64 kChunk = 256 * 1024;
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(kChunk);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError)
            fail(QStringLiteral("Cannot read ") + source + QStringLiteral(": ") + in.errorString());
        if (part.write(chunk) != chunk.size())
            fail(QStringLiteral("Cannot write ") + target + QStringLiteral(": ") + part.errorString());
    }
    if (!part.flush() || ::fsync(part.handle()) != 0)
        fail(QStringLiteral("Cannot write ") + target + QStringLiteral(": ") + part.errorString());
    part.close();

    std::error_code ec;
    std::filesystem::rename(QFile::encodeName(part.fileName()).toStdString(), QFile::encodeName(target).toStdString(),
                            ec);
    if (ec)
        fail(QStringLiteral("Cannot write ") + target + QStringLiteral(": ") + QString::fromStdString(ec.message()));
    guard.keep();
}
