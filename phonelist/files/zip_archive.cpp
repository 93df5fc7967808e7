#include "phonelist/files/zip_archive.h"

#include "phonelist/files/input_support.h"

#include <zip.h>

namespace listfiles {

ZipArchive::ZipArchive(const QByteArray& bytes, QString fileName) : mBytes(bytes), mFileName(std::move(fileName)) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(mBytes.constData(), zip_uint64_t(mBytes.size()), 0, &error);
    if (source)
        mZip = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (!mZip) {
        const QString why = QString::fromUtf8(zip_error_strerror(&error));
        if (source)
            zip_source_free(source);
        zip_error_fini(&error);
        fail(mFileName, 0, QStringLiteral("is not a readable zip archive (%1), so no .xlsx or .ods workbook").arg(why));
    }
    zip_error_fini(&error);
}

ZipArchive::~ZipArchive() {
    zip_discard(mZip);
}

bool ZipArchive::contains(const QString& name) const {
    return zip_name_locate(mZip, name.toUtf8().constData(), 0) >= 0;
}

QByteArray ZipArchive::read(const QString& name) {
    const zip_int64_t index = zip_name_locate(mZip, name.toUtf8().constData(), 0);
    if (index < 0)
        fail(mFileName, 0, QStringLiteral("lacks %1, which its kind of workbook holds").arg(name));
    zip_file_t* file = zip_fopen_index(mZip, zip_uint64_t(index), 0);
    if (!file)
        fail(mFileName, 0,
             QStringLiteral("holds %1 in a form that cannot be read (%2)")
                 .arg(name, QString::fromUtf8(zip_strerror(mZip))));
    // The sizes an archive declares may lie; only what comes out counts.
    QByteArray out;
    char buffer[65536];
    for (;;) {
        const zip_int64_t got = zip_fread(file, buffer, sizeof buffer);
        if (got < 0) {
            const QString why = QString::fromUtf8(zip_error_strerror(zip_file_get_error(file)));
            zip_fclose(file);
            fail(mFileName, 0, QStringLiteral("holds a damaged %1 (%2)").arg(name, why));
        }
        if (got == 0)
            break;
        mUnpacked += got;
        if (mUnpacked > kMaxUnpackedBytes) {
            zip_fclose(file);
            fail(mFileName, 0,
                 QStringLiteral("unpacks to more than %1 MB; that is no phone list").arg(kMaxUnpackedBytes >> 20));
        }
        out.append(buffer, qsizetype(got));
    }
    zip_fclose(file);
    return out;
}

} // namespace listfiles
