#pragma once

// Text files of any common encoding, told by their bytes.

#include <QByteArray>
#include <QString>

namespace listfiles {

// The text of a file, its byte-order mark removed. The encoding is the one its mark names
// (UTF-8, UTF-16 LE or BE, UTF-32 LE or BE); without a mark UTF-8 when every byte sequence
// is valid UTF-8, else Windows-1252, what spreadsheets on Western Windows save. Refuses,
// naming the line, text that is not valid in its encoding and bytes that are no text at all
// (NUL characters).
QString decodeListText(const QByteArray& bytes, const QString& fileName);

// Bytes in a named character set (a vCard's CHARSET parameter). An unknown or empty name
// is read as a file without mark is.
QString decodeCharset(const QByteArray& bytes, const QString& charset);

} // namespace listfiles
