#include "phonelist/files/workbook_tables.h"

#include "phonelist/files/zip_archive.h"

#include <QXmlStreamReader>

namespace listfiles {

namespace {

// Spreadsheets repeat the empty rows and cells to the sheet's end (a million rows, sixteen
// thousand columns); those are only counted. Repeated values are made once per row or cell
// as far as the list could reach, and no further.
constexpr qint64 kMaxRepeat = qint64(1) << 20;

const QLatin1String kTableNs("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
const QLatin1String kOfficeNs("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
const QLatin1String kTextNs("urn:oasis:names:tc:opendocument:xmlns:text:1.0");

qint64 repeatOf(const QXmlStreamReader& x, QLatin1String name) {
    bool ok = false;
    const qint64 n = x.attributes().value(kTableNs, name).toLongLong(&ok);
    return ok ? qBound<qint64>(1, n, kMaxRepeat) : 1;
}

// The cell's text: its paragraphs joined with line breaks, spaces (text:s), tabs and line
// breaks as written; comments and notes left out. The reader stands on the cell's start and
// is left on its end.
Field cellText(QXmlStreamReader& x) {
    Field text;
    int depth = 0;
    int paragraphs = 0; // open text:p or text:h
    bool first = true;
    while (!x.atEnd()) {
        x.readNext();
        if (x.isStartElement()) {
            const QStringView name = x.name();
            if (name == QLatin1String("annotation") || name == QLatin1String("note")) {
                x.skipCurrentElement();
                continue;
            }
            ++depth;
            if (name == QLatin1String("p") || name == QLatin1String("h")) {
                if (paragraphs == 0 && !first)
                    appendTo(text, QLatin1Char('\n'));
                first = false;
                ++paragraphs;
            } else if (paragraphs > 0 && name == QLatin1String("s")) {
                bool ok = false;
                const qint64 n = x.attributes().value(kTextNs, QLatin1String("c")).toLongLong(&ok);
                appendRepeated(text, QLatin1Char(' '), ok ? qBound(qint64(1), n, qint64(kMaxFieldLength) + 1) : 1);
            } else if (paragraphs > 0 && name == QLatin1String("tab")) {
                appendTo(text, QLatin1Char('\t'));
            } else if (paragraphs > 0 && name == QLatin1String("line-break")) {
                appendTo(text, QLatin1Char('\n'));
            }
        } else if (x.isEndElement()) {
            if (depth-- == 0)
                break;
            const QStringView name = x.name();
            if (name == QLatin1String("p") || name == QLatin1String("h"))
                --paragraphs;
        } else if (x.isCharacters() && paragraphs > 0) {
            appendTo(text, x.text());
        }
    }
    return text;
}

// A value kept only in the cell's attributes, as some writers leave it.
QString attributeValue(const QXmlStreamAttributes& a) {
    const QStringView type = a.value(kOfficeNs, QLatin1String("value-type"));
    if (type == QLatin1String("string"))
        return a.value(kOfficeNs, QLatin1String("string-value")).toString();
    if (type == QLatin1String("float") || type == QLatin1String("percentage") || type == QLatin1String("currency")) {
        bool ok = false;
        const double d = a.value(kOfficeNs, QLatin1String("value")).toDouble(&ok);
        return ok ? shownNumber(d) : QString();
    }
    if (type == QLatin1String("date"))
        return a.value(kOfficeNs, QLatin1String("date-value")).toString();
    if (type == QLatin1String("time"))
        return a.value(kOfficeNs, QLatin1String("time-value")).toString();
    if (type == QLatin1String("boolean"))
        return a.value(kOfficeNs, QLatin1String("boolean-value")).toString().toUpper();
    return {};
}

} // namespace

std::vector<PhoneListRow> phoneListFromOds(ZipArchive& archive, const QString& fileName) {
    const QString mimetypeMember = QStringLiteral("mimetype");
    if (archive.contains(mimetypeMember)) {
        const QByteArray mimetype = archive.read(mimetypeMember).trimmed();
        if (mimetype.startsWith("application/vnd.oasis.opendocument.") &&
            !mimetype.startsWith("application/vnd.oasis.opendocument.spreadsheet"))
            fail(fileName, 0,
                 QStringLiteral("is an OpenDocument file of another kind (%1), not a spreadsheet")
                     .arg(QString::fromLatin1(mimetype.left(100))));
    }
    const QString member = QStringLiteral("content.xml");
    const QByteArray xml = archive.read(member);
    TableList table(fileName, TableList::Source::SheetRows);
    QXmlStreamReader x(xml);
    int tableDepth = 0; // elements open inside the first table; 0 before it
    bool seenTable = false;
    qint64 rowNumber = 0;
    TableRow row;
    qint64 rowRepeat = 1;
    qint64 column = 0;
    while (!x.atEnd()) {
        x.readNext();
        if (x.isStartElement()) {
            const QStringView name = x.name();
            if (!seenTable) {
                if (name == QLatin1String("table") && x.namespaceUri() == kTableNs) {
                    seenTable = true;
                    tableDepth = 1;
                }
                continue;
            }
            if (name == QLatin1String("table-row")) {
                row = TableRow();
                row.line = rowNumber + 1;
                rowRepeat = repeatOf(x, QLatin1String("number-rows-repeated"));
                column = 0;
                ++tableDepth;
            } else if (name == QLatin1String("table-cell") || name == QLatin1String("covered-table-cell")) {
                const qint64 repeat = repeatOf(x, QLatin1String("number-columns-repeated"));
                const QXmlStreamAttributes attributes = x.attributes();
                Field text = cellText(x);
                if (text.units == 0)
                    text = fieldOf(attributeValue(attributes));
                if (!text.blank()) {
                    for (qint64 k = 0; k < repeat; ++k)
                        putCell(row, column + k, text, fileName);
                }
                column += repeat;
            } else {
                ++tableDepth;
            }
        } else if (x.isEndElement() && seenTable) {
            if (x.name() == QLatin1String("table-row")) {
                if (row.used == 0) {
                    rowNumber += rowRepeat;
                } else {
                    // Copies past the list's limit would only be refused, or skipped as the first were.
                    const qint64 copies = qMin<qint64>(rowRepeat, kMaxListRows + 1);
                    for (qint64 k = 0; k < copies; ++k) {
                        TableRow copy = row;
                        copy.line = rowNumber + 1 + k;
                        table.add(std::move(copy));
                    }
                    rowNumber += rowRepeat;
                }
            }
            if (--tableDepth == 0)
                break;
        }
    }
    if (x.hasError())
        failXml(fileName, member, x);
    return table.finish();
}

} // namespace listfiles
