#pragma once

// Custom pointers, read from cursor files (.cur).
//
// Qt's ICO reader decodes the image of a .cur file but drops its hot spot, the
// point of the image that is the pointer's position. The hot spot sits in the
// file's directory entry: bytes 4..7 of each 16-byte entry that follows the
// 6-byte header (reserved 0, type 2 = cursor, image count), as two little-endian
// 16-bit numbers x, y.

#include <QByteArray>
#include <QCursor>
#include <QImage>
#include <QPoint>
#include <QString>

#include <optional>

struct CursorImage {
    QImage image;
    QPoint hotSpot;
};

// The first image of a cursor file and its hot spot; nothing when the bytes are
// not a cursor file Qt can decode.
std::optional<CursorImage> decodeCursorFile(const QByteArray& bytes);

// The pointer from the cursor file at path; nothing when the file is missing or unreadable.
std::optional<QCursor> loadCursorFile(const QString& path);
