#include "cli/phone_list_input.h"

#include "sheet/xls/xls_io.h"

#include <QFile>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace {

[[noreturn]] void fail(const QString& fileName, int line, const QString& why) {
    const QString where = line > 0 ? fileName + QLatin1Char(':') + QString::number(line) : fileName;
    throw InputError((where + QStringLiteral(": ") + why).toStdString());
}

// QString::fromUtf8 replaces bad sequences silently, so find them first: the user must hear of them.
int lineOfInvalidUtf8(const QByteArray& bytes) {
    int line = 1;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const unsigned char c = p[i];
        if (c == '\n')
            ++line;
        if (c < 0x80) {
            ++i;
            continue;
        }
        int extra = 0;
        unsigned min = 0;
        unsigned cp = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1, min = 0x80, cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2, min = 0x800, cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3, min = 0x10000, cp = c & 0x07;
        } else {
            return line;
        }
        for (int k = 1; k <= extra; ++k) {
            if (i + k >= n || (p[i + k] & 0xC0) != 0x80)
                return line;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return line;
        i += extra + 1;
    }
    return 0;
}

bool isHeader(const std::vector<QString>& fields) {
    const auto& names = phoneListColumnNames();
    if (fields.size() != names.size())
        return false;
    for (size_t i = 0; i < names.size(); ++i)
        if (fields[i].trimmed().compare(names[i], Qt::CaseInsensitive) != 0)
            return false;
    return true;
}

// A number as the General format shows it: up to 15 significant digits, no trailing zeros.
QString shownNumber(double v) {
    if (std::isfinite(v) && v == std::trunc(v) && std::fabs(v) < 1e15)
        return QString::number(static_cast<long long>(v));
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.15g", v);
    return QString::fromLatin1(buffer);
}

QString cellText(const sheet::Sheet& s, int row, int column) {
    const sheet::Cell* c = s.cell(row, column);
    if (!c)
        return {};
    if (const std::string* t = c->text())
        return QString::fromStdString(*t);
    if (const double* d = c->number())
        return shownNumber(*d);
    return {};
}

bool rowHoldsNames(const sheet::Sheet& s, int row, int firstColumn) {
    const auto& names = phoneListColumnNames();
    for (int k = 0; k < 8; ++k)
        if (cellText(s, row, firstColumn + k).trimmed().compare(names[size_t(k)], Qt::CaseInsensitive) != 0)
            return false;
    return true;
}

// A device, a FIFO or a folder would be read for ever or not at all.
void requireRegularFile(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        fail(path, 0, QStringLiteral("cannot be read: ") + QString::fromLocal8Bit(std::strerror(errno)));
    if (!S_ISREG(st.st_mode))
        fail(path, 0, QStringLiteral("cannot be read: not a regular file"));
}

} // namespace

std::vector<PhoneListRow> phoneListFromWorkbook(const sheet::Workbook& workbook, const QString& fileName) {
    if (workbook.sheetCount() == 0)
        fail(fileName, 0, QStringLiteral("holds no sheet"));
    const sheet::Sheet& s = workbook.sheetAt(0);

    // Our own sheet: header in row 4, columns B to I; the list runs to the last row with a cell there.
    const bool own = rowHoldsNames(s, 3, 1);
    const int firstColumn = own ? 1 : 0;
    const int firstRow = own ? 4 : (rowHoldsNames(s, 0, 0) ? 1 : 0);

    int lastRow = firstRow - 1;
    for (int r = firstRow; r < s.rowCount(); ++r) {
        const sheet::Row* row = s.row(r);
        for (size_t c = 0; row && c < row->cells.size(); ++c) {
            if (!row->present[c])
                continue;
            const int column = static_cast<int>(c);
            const bool holdsValue = !row->cells[c].isBlank();
            if (!own && column >= 8 && holdsValue)
                fail(fileName, r + 1,
                     QStringLiteral("a value in column %1; the list has eight columns, A to H").arg(column + 1));
            if (column >= firstColumn && column < firstColumn + 8 && (own || holdsValue))
                lastRow = r;
        }
    }

    std::vector<PhoneListRow> rows;
    for (int r = firstRow; r <= lastRow; ++r) {
        if (rows.size() >= size_t(kMaxListRows))
            fail(fileName, r + 1, QStringLiteral("more than %1 rows; the list holds no more").arg(kMaxListRows));
        PhoneListRow row;
        for (int k = 0; k < 8; ++k) {
            row[size_t(k)] = cellText(s, r, firstColumn + k);
            if (row[size_t(k)].size() > kMaxFieldLength)
                fail(fileName, r + 1,
                     QStringLiteral("a cell has %1 characters; at most %2 fit")
                         .arg(row[size_t(k)].size())
                         .arg(kMaxFieldLength));
        }
        rows.push_back(row);
    }
    return rows;
}

std::vector<PhoneListRow> readPhoneListXls(const QString& path) {
    requireRegularFile(path);
    try {
        const auto workbook = sheet::xls::readFile(path.toStdString());
        return phoneListFromWorkbook(*workbook, path);
    } catch (const InputError&) {
        throw;
    } catch (const std::exception& e) {
        fail(path, 0, QStringLiteral("is not a readable Excel 97-2003 workbook: ") + QString::fromUtf8(e.what()));
    }
}

const std::array<QString, 8>& phoneListColumnNames() {
    static const std::array<QString, 8> names = {QStringLiteral("Last Name"),   QStringLiteral("First Name"),
                                                 QStringLiteral("Spouse/Kids"), QStringLiteral("Address"),
                                                 QStringLiteral("Home Number"), QStringLiteral("Work Number"),
                                                 QStringLiteral("Cell Number"), QStringLiteral("E-mail")};
    return names;
}

std::vector<PhoneListRow> parsePhoneListCsv(const QByteArray& bytes, const QString& fileName) {
    if (const int bad = lineOfInvalidUtf8(bytes))
        fail(fileName, bad, QStringLiteral("not valid UTF-8 text"));
    QString text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);

    std::vector<PhoneListRow> rows;
    // A line holds at most eight fields and a field at most kMaxFieldLength
    // units; past that the text is only counted, for the message, never kept,
    // so a hostile line costs no memory.
    std::vector<QString> fields;
    int fieldCount = 0;
    QString field;
    qsizetype fieldUnits = 0; // UTF-16 units, the table's measure
    qsizetype fieldChars = 0; // characters, the user's
    bool quoted = false;      // inside a quoted field
    bool wasQuoted = false;   // the current field began with a quote
    int line = 1;             // physical line being read
    int recordLine = 1;       // line on which the current record began
    bool firstRecord = true;

    auto append = [&](QChar c) {
        ++fieldUnits;
        if (!c.isLowSurrogate())
            ++fieldChars;
        if (fieldUnits <= kMaxFieldLength)
            field += c;
    };
    auto endField = [&] {
        if (fieldUnits > kMaxFieldLength)
            fail(fileName, recordLine,
                 fieldUnits == fieldChars
                     ? QStringLiteral("field %1 has %2 characters; at most %3 fit")
                           .arg(fieldCount + 1)
                           .arg(fieldChars)
                           .arg(kMaxFieldLength)
                     : QStringLiteral("field %1 has %2 characters, which take %3 of the %4 places a field has "
                                      "(emoji and other characters beyond U+FFFF take two)")
                           .arg(fieldCount + 1)
                           .arg(fieldChars)
                           .arg(fieldUnits)
                           .arg(kMaxFieldLength));
        if (++fieldCount <= 8)
            fields.push_back(field);
        field.clear();
        fieldUnits = fieldChars = 0;
        wasQuoted = false;
    };
    auto endRecord = [&] {
        endField();
        if (fieldCount > 8)
            fail(fileName, recordLine, QStringLiteral("%1 fields; a line holds at most 8").arg(fieldCount));
        // Blank lines past a full list (an editor's last newline) hold nothing to lose.
        const bool blank = fieldCount == 1 && fields.front().isEmpty();
        if (!(firstRecord && isHeader(fields)) && !(blank && rows.size() >= size_t(kMaxListRows))) {
            if (rows.size() >= size_t(kMaxListRows))
                fail(fileName, recordLine,
                     QStringLiteral("more than %1 rows; the list holds no more").arg(kMaxListRows));
            PhoneListRow row;
            for (size_t i = 0; i < fields.size(); ++i)
                row[i] = fields[i];
            rows.push_back(row);
        }
        firstRecord = false;
        fields.clear();
        fieldCount = 0;
    };
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < n && text.at(i + 1) == QLatin1Char('"')) {
                    append(QLatin1Char('"'));
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == QLatin1Char('\n'))
                    ++line;
                append(c);
            }
            continue;
        }
        if (c == QLatin1Char('"')) {
            if (fieldUnits > 0 || wasQuoted)
                fail(fileName, line, QStringLiteral("a quote inside an unquoted field; quote the whole field"));
            quoted = wasQuoted = true;
        } else if (c == QLatin1Char(',')) {
            endField();
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            endRecord();
            ++line;
            recordLine = line;
        } else {
            if (wasQuoted)
                fail(fileName, line, QStringLiteral("text after a closing quote"));
            append(c);
        }
    }
    if (quoted)
        fail(fileName, recordLine, QStringLiteral("a quoted field is never closed"));
    if (fieldUnits > 0 || fieldCount > 0 || wasQuoted)
        endRecord();
    return rows;
}

std::vector<PhoneListRow> readPhoneListCsv(const QString& path) {
    requireRegularFile(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(path, 0, QStringLiteral("cannot be read: ") + file.errorString());
    // The list is at most tens of thousands of short lines; refuse anything absurd
    // while reading, since a file can grow after it was looked at.
    constexpr qint64 kMaxBytes = qint64(256) << 20;
    QByteArray bytes = file.read(kMaxBytes + 1);
    if (bytes.size() > kMaxBytes)
        fail(path, 0, QStringLiteral("is larger than 256 MB; that is no phone list"));
    return parsePhoneListCsv(bytes, path);
}
