#pragma once

// The zip archive around an .xlsx or .ods workbook, read from memory through libzip.

#include <QByteArray>
#include <QString>

struct zip;

namespace listfiles {

// Most bytes read out of one archive: a phone list's sheet is a few megabytes, and a
// small file that unpacks to far more is a zip bomb.
inline constexpr qint64 kMaxUnpackedBytes = qint64(64) << 20;

class ZipArchive {
public:
    // Refuses, with an InputError naming fileName, bytes that are no readable zip archive.
    ZipArchive(const QByteArray& bytes, QString fileName);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    bool contains(const QString& name) const;
    // The unpacked member; refuses a damaged one and any read past kMaxUnpackedBytes in all.
    QByteArray read(const QString& name);

private:
    QByteArray mBytes; // libzip reads from it in place
    QString mFileName;
    struct zip* mZip = nullptr;
    qint64 mUnpacked = 0;
};

} // namespace listfiles
