#include "phonelist/files/list_input.h"

#include "phonelist/files/column_mapping.h"
#include "phonelist/files/delimited_text.h"
#include "phonelist/files/input_support.h"
#include "phonelist/files/text_decoding.h"
#include "phonelist/files/vcard_text.h"
#include "phonelist/files/workbook_tables.h"
#include "phonelist/files/zip_archive.h"
#include "sheet/xls/xls_io.h"

#include <algorithm>
#include <span>

namespace {

using listfiles::fail;
using listfiles::lineOfInvalidUtf8;
using listfiles::requireRegularFile;
using listfiles::shownNumber;

bool isHeader(const std::vector<QString>& fields) {
    const auto& names = phoneListColumnNames();
    if (fields.size() != names.size())
        return false;
    for (size_t i = 0; i < names.size(); ++i)
        if (fields[i].trimmed().compare(names[i], Qt::CaseInsensitive) != 0)
            return false;
    return true;
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

namespace {

// The workbook an .xls file's bytes hold; anything else is bad input naming the file.
std::unique_ptr<sheet::Workbook> xlsWorkbookOf(const QByteArray& bytes, const QString& fileName) {
    try {
        return sheet::xls::readBytes(
            std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()), size_t(bytes.size())));
    } catch (const std::exception& e) {
        fail(fileName, 0, QStringLiteral("is not a readable Excel 97-2003 workbook: ") + QString::fromUtf8(e.what()));
    }
}

} // namespace

std::vector<PhoneListRow> parsePhoneListXls(const QByteArray& bytes, const QString& fileName) {
    return phoneListFromWorkbook(*xlsWorkbookOf(bytes, fileName), fileName);
}

std::vector<PhoneListRow> readPhoneListXls(const QString& path) {
    return parsePhoneListXls(listfiles::readListFile(path), path);
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
    // A row a line, as far as the list may go: the rows are never moved while it is read.
    rows.reserve(std::size_t(std::min<qsizetype>(bytes.count('\n') + 1, kMaxListRows)));
    // A line holds at most eight fields and a field at most kMaxFieldLength
    // units; past that the text is only counted, for the message, never kept,
    // so a hostile line costs no memory.
    std::vector<QString> fields;
    int fieldCount = 0;
    // A field is a run of the text until a doubled quote breaks it; a run is copied
    // once at the field's end, so most fields cost one allocation.
    QString field;
    qsizetype runStart = 0;
    qsizetype runLength = 0;
    bool inRun = true;
    qsizetype fieldUnits = 0; // UTF-16 units, the table's measure
    qsizetype fieldChars = 0; // characters, the user's
    bool quoted = false;      // inside a quoted field
    bool wasQuoted = false;   // the current field began with a quote
    int line = 1;             // physical line being read
    int recordLine = 1;       // line on which the current record began
    bool firstRecord = true;

    // Appends text[at, at + length), which holds `low` low surrogates.
    auto append = [&](qsizetype at, qsizetype length, qsizetype low) {
        fieldUnits += length;
        fieldChars += length - low;
        if (fieldUnits > kMaxFieldLength)
            return;
        if (inRun) {
            if (runLength == 0)
                runStart = at;
            if (runStart + runLength == at) {
                runLength += length;
                return;
            }
            field = text.mid(runStart, runLength);
            inRun = false;
        }
        field += QStringView(text).mid(at, length);
    };
    auto endField = [&] {
        if (fieldUnits > kMaxFieldLength)
            fail(fileName, recordLine,
                 listfiles::tooLongMessage(QStringLiteral("field %1").arg(fieldCount + 1), fieldChars, fieldUnits));
        if (++fieldCount <= 8)
            fields.push_back(!inRun ? std::move(field) : runLength > 0 ? text.mid(runStart, runLength) : QString());
        field.clear();
        runLength = 0;
        inRun = true;
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
                row[i] = std::move(fields[i]);
            rows.push_back(std::move(row));
        }
        firstRecord = false;
        fields.clear();
        fieldCount = 0;
    };
    const qsizetype n = text.size();
    const char16_t* chars = reinterpret_cast<const char16_t*>(text.constData());
    // The characters from i on up to the first that `ends` a run, appended in one step.
    const auto appendUntil = [&](qsizetype& i, auto ends) {
        qsizetype end = i;
        qsizetype low = 0;
        for (; end < n && !ends(chars[end]); ++end) {
            low += QChar::isLowSurrogate(chars[end]) ? 1 : 0;
            line += chars[end] == u'\n' ? 1 : 0; // only quoted runs hold line breaks
        }
        append(i, end - i, low);
        i = end - 1;
    };
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < n && text.at(i + 1) == QLatin1Char('"')) {
                    append(i, 1, 0);
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                appendUntil(i, [](char16_t u) { return u == u'"'; });
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
            appendUntil(i, [](char16_t u) { return u == u'"' || u == u',' || u == u'\r' || u == u'\n'; });
        }
    }
    if (quoted)
        fail(fileName, recordLine, QStringLiteral("a quoted field is never closed"));
    if (fieldUnits > 0 || fieldCount > 0 || wasQuoted)
        endRecord();
    return rows;
}

std::vector<PhoneListRow> readPhoneListCsv(const QString& path) {
    return parsePhoneListCsv(listfiles::readListFile(path), path);
}

namespace {

// A sheet row as the table readers see it.
listfiles::TableRow tableRowOf(const sheet::Sheet& s, int r, const QString& fileName) {
    listfiles::TableRow out;
    out.line = r + 1;
    const sheet::Row* row = s.row(r);
    for (size_t c = 0; row && c < row->cells.size(); ++c) {
        listfiles::Field field = listfiles::fieldOf(cellText(s, r, int(c)));
        if (!field.blank())
            listfiles::putCell(out, qint64(c), std::move(field), fileName);
    }
    return out;
}

// An .xls sheet of our own, or a plain table, reads as phoneListFromWorkbook reads it; a
// sheet under other column names (an address book's export saved by a spreadsheet) is mapped.
std::vector<PhoneListRow> listFromXls(const QByteArray& bytes, const QString& fileName) {
    const std::unique_ptr<sheet::Workbook> workbook = xlsWorkbookOf(bytes, fileName);
    if (workbook->sheetCount() == 0)
        return phoneListFromWorkbook(*workbook, fileName);
    const sheet::Sheet& s = workbook->sheetAt(0);
    bool mapped = false;
    int seen = 0;
    for (int r = 0; r < s.rowCount() && seen < 10; ++r) {
        const listfiles::TableRow row = tableRowOf(s, r, fileName);
        if (row.used == 0)
            continue;
        ++seen;
        if (listfiles::namesListColumns(row.cells)) {
            mapped = !((r == 0 && rowHoldsNames(s, 0, 0)) || (r == 3 && rowHoldsNames(s, 3, 1)));
            break;
        }
    }
    if (mapped) {
        listfiles::TableList table(fileName, listfiles::TableList::Source::SheetRows);
        for (int r = 0; r < s.rowCount(); ++r)
            table.add(tableRowOf(s, r, fileName));
        return table.finish();
    }
    listfiles::ListRows rows(fileName);
    for (PhoneListRow& row : phoneListFromWorkbook(*workbook, fileName))
        rows.add(0, std::move(row));
    return rows.take();
}

std::vector<PhoneListRow> listFromZip(const QByteArray& bytes, const QString& fileName) {
    listfiles::ZipArchive archive(bytes, fileName);
    if (archive.contains(QStringLiteral("xl/workbook.xml")))
        return listfiles::phoneListFromXlsx(archive, fileName);
    if (archive.contains(QStringLiteral("content.xml")))
        return listfiles::phoneListFromOds(archive, fileName);
    fail(fileName, 0, QStringLiteral("is a zip archive, but neither an .xlsx nor an .ods workbook"));
}

} // namespace

std::vector<PhoneListRow> parsePhoneList(const QByteArray& bytes, const QString& fileName) {
    if (bytes.isEmpty())
        fail(fileName, 0, QStringLiteral("is empty; there is no list in it"));
    // An OLE2 compound file: an Excel 97-2003 workbook, or a document of another kind its reader names.
    if (bytes.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
        return listFromXls(bytes, fileName);
    if (bytes.startsWith("PK\x03\x04") || bytes.startsWith("PK\x05\x06"))
        return listFromZip(bytes, fileName);
    const QString text = listfiles::decodeListText(bytes, fileName);
    if (text.trimmed().isEmpty())
        fail(fileName, 0, QStringLiteral("is empty; there is no list in it"));
    if (listfiles::isVCardText(text))
        return listfiles::phoneListFromVCards(text, fileName);
    return listfiles::phoneListFromDelimitedText(text, fileName);
}

std::vector<PhoneListRow> readPhoneList(const QString& path) {
    return parsePhoneList(listfiles::readListFile(path), path);
}

QByteArray phoneListCsv(const std::vector<PhoneListRow>& rows) {
    auto line = [](const std::array<QString, 8>& fields) {
        QByteArray out;
        for (size_t k = 0; k < fields.size(); ++k) {
            if (k > 0)
                out += ',';
            const QByteArray field = fields[k].toUtf8();
            if (field.contains(',') || field.contains('"') || field.contains('\r') || field.contains('\n')) {
                QByteArray quoted = field;
                quoted.replace('"', "\"\"");
                out += '"' + quoted + '"';
            } else {
                out += field;
            }
        }
        return out + "\r\n";
    };
    QByteArray csv = line(phoneListColumnNames());
    for (const PhoneListRow& row : rows)
        csv += line(row);
    return csv;
}
