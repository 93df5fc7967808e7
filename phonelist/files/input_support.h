#pragma once

// What every reader of list files shares: the error with file and line, fields
// measured before they are kept, the row limits and the address joined on one line.

#include "phonelist/files/list_input.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace listfiles {

// Most columns a table of the list's source may have; address-book exports use
// about a hundred.
inline constexpr int kMaxTableColumns = 1024;

// Throws InputError "FILE:LINE: why", or "FILE: why" when line is 0.
[[noreturn]] void fail(const QString& fileName, qint64 line, const QString& why);

// A device, a FIFO or a folder would be read for ever or not at all.
void requireRegularFile(const QString& path);

// The file's bytes, refusing anything larger than a phone list can be (256 MB).
QByteArray readListFile(const QString& path);

// The line (from 1) of the first byte that is not valid UTF-8, or 0 when all are.
int lineOfInvalidUtf8(const QByteArray& bytes);

// A field as read: its text cut at kMaxFieldLength UTF-16 units, so hostile input costs
// no memory, and its whole length, so the message can still say how long it was.
struct Field {
    QString text;
    qsizetype units = 0; // UTF-16 units, the table's measure
    qsizetype chars = 0; // characters, the user's

    bool tooLong() const { return units > kMaxFieldLength; }
    // Empty or nothing but blanks.
    bool blank() const;
};

Field fieldOf(const QString& text);
// Appends, keeping the text only while it fits; past that only the measures grow.
void appendTo(Field& field, QChar c);
void appendTo(Field& field, QStringView text);
void appendRepeated(Field& field, QChar c, qint64 times);

// "WHAT has N characters; at most 1024 fit", told in places when characters beyond U+FFFF
// make the difference.
QString tooLongMessage(const QString& what, qsizetype chars, qsizetype units);

// A number as the General format shows it: up to 15 significant digits, no trailing zeros.
QString shownNumber(double v);

// Address parts on one line, "street, city, postcode": empty parts are left out and line
// breaks inside a part become ", ". A single part is kept as written, line breaks and all,
// so a list's own Address column comes back unchanged.
QString joinAddress(const QStringList& parts);
// A formatted address (several lines) on one line.
QString oneLine(const QString& text);

// The list's rows as the readers find them: values of nothing but blanks emptied, empty
// rows skipped, every value measured, the row one too many refused where it stands.
class ListRows {
public:
    explicit ListRows(QString fileName) : mFileName(std::move(fileName)) {}

    // Refuses a value longer than a field holds, naming it by its column.
    void add(qint64 line, PhoneListRow row);
    std::vector<PhoneListRow> take() { return std::move(mRows); }

private:
    QString mFileName;
    std::vector<PhoneListRow> mRows;
};

} // namespace listfiles
