#include "app/widgets/cursor_file.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPixmap>

namespace {

constexpr qsizetype kHeaderSize = 6;
constexpr qsizetype kEntrySize = 16;
constexpr quint16 kTypeIcon = 1; // the image data of an icon file, as Qt's reader wants it
constexpr quint16 kTypeCursor = 2;
// A cursor file this large is not a cursor file.
constexpr qint64 kMaxFileSize = 4 * 1024 * 1024;

quint16 readU16(const QByteArray& b, qsizetype at) {
    return static_cast<quint16>(static_cast<quint8>(b[at]) | (static_cast<quint8>(b[at + 1]) << 8));
}

} // namespace

std::optional<CursorImage> decodeCursorFile(const QByteArray& bytes) {
    if (bytes.size() < kHeaderSize + kEntrySize)
        return std::nullopt;
    const quint16 reserved = readU16(bytes, 0);
    const quint16 type = readU16(bytes, 2);
    const quint16 count = readU16(bytes, 4);
    if (reserved != 0 || type != kTypeCursor || count == 0)
        return std::nullopt;
    if (bytes.size() < kHeaderSize + kEntrySize * qsizetype(count))
        return std::nullopt;
    const quint32 imageOffset =
        quint32(readU16(bytes, kHeaderSize + 12)) | (quint32(readU16(bytes, kHeaderSize + 14)) << 16);
    if (imageOffset < quint32(kHeaderSize + kEntrySize) || imageOffset >= quint32(bytes.size()))
        return std::nullopt;

    QPoint hotSpot(readU16(bytes, kHeaderSize + 4), readU16(bytes, kHeaderSize + 6));

    // Read as an icon: the image data of both kinds is the same, only the
    // entry's planes/bit-count fields carry the hot spot in a cursor.
    QByteArray asIcon = bytes;
    asIcon[2] = char(kTypeIcon);
    asIcon[3] = 0;
    QBuffer buffer(&asIcon);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    if (!image.rect().contains(hotSpot))
        hotSpot = QPoint(0, 0);
    return CursorImage{image, hotSpot};
}

std::optional<QCursor> loadCursorFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileSize)
        return std::nullopt;
    const std::optional<CursorImage> decoded = decodeCursorFile(file.readAll());
    if (!decoded)
        return std::nullopt;
    return QCursor(QPixmap::fromImage(decoded->image), decoded->hotSpot.x(), decoded->hotSpot.y());
}
