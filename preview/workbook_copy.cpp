#include "preview/workbook_copy.h"

#include "app/file_helpers.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <stdexcept>

namespace {

[[noreturn]] void fail(const QString& description) {
    throw std::runtime_error(description.toStdString());
}

} // namespace

void copyFileReplacing(const QString& source, const QString& target) {
    QFile in(source);
    if (!QFileInfo(source).isFile())
        fail(QStringLiteral("File not found: ") + source);
    if (!in.open(QIODevice::ReadOnly))
        fail(QStringLiteral("Cannot read ") + source + QStringLiteral(": ") + in.errorString());

    refuseSymbolicLink(target);
    // QSaveFile writes beside the target and renames over it on commit; on any
    // failure it removes its own file and leaves the target alone.
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        fail(QStringLiteral("Cannot write ") + target + QStringLiteral(": ") + out.errorString());

    constexpr qint64 kChunk = 256 * 1024;
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(kChunk);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError)
            fail(QStringLiteral("Cannot read ") + source + QStringLiteral(": ") + in.errorString());
        if (out.write(chunk) != chunk.size())
            fail(QStringLiteral("Cannot write ") + target + QStringLiteral(": ") + out.errorString());
    }
    if (!out.commit())
        fail(QStringLiteral("Cannot write ") + target + QStringLiteral(": ") + out.errorString());
}

void writeFileReplacing(const QString& target, const QByteArray& bytes) {
    refuseSymbolicLink(target);
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        fail(QStringLiteral("Cannot write ") + target + QStringLiteral(": ") + out.errorString());
}
