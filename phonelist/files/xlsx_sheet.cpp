#include "phonelist/files/workbook_tables.h"

#include "phonelist/files/zip_archive.h"

#include <QDir>
#include <QHash>
#include <QXmlStreamReader>

namespace listfiles {

namespace {

// More texts than any list's sheet needs; each costs memory before the sheet is read.
constexpr qsizetype kMaxSharedStrings = 1'000'000;

QString attribute(const QXmlStreamReader& x, QLatin1String name) {
    return x.attributes().value(name).toString();
}

// The relationship id of the first sheet: <sheet r:id="rId1"/> in <sheets>.
QString firstSheetId(const QByteArray& xml, const QString& fileName) {
    QXmlStreamReader x(xml);
    while (!x.atEnd()) {
        x.readNext();
        if (x.isStartElement() && x.name() == QLatin1String("sheet")) {
            for (const QXmlStreamAttribute& a : x.attributes())
                if (a.name() == QLatin1String("id") && !a.namespaceUri().isEmpty())
                    return a.value().toString();
            fail(fileName, 0, QStringLiteral("names its first sheet without saying where it is"));
        }
    }
    if (x.hasError())
        failXml(fileName, QStringLiteral("xl/workbook.xml"), x);
    fail(fileName, 0, QStringLiteral("holds no sheet"));
}

struct Relationships {
    QHash<QString, QString> targets; // id -> member
    QString sharedStrings;
};

// A target is relative to xl/, or absolute from the archive's root.
QString memberOf(const QString& target) {
    if (target.startsWith(QLatin1Char('/')))
        return QDir::cleanPath(target.mid(1));
    return QDir::cleanPath(QStringLiteral("xl/") + target);
}

Relationships relationships(const QByteArray& xml, const QString& fileName) {
    Relationships r;
    QXmlStreamReader x(xml);
    while (!x.atEnd()) {
        x.readNext();
        if (!x.isStartElement() || x.name() != QLatin1String("Relationship"))
            continue;
        const QString target = memberOf(attribute(x, QLatin1String("Target")));
        r.targets.insert(attribute(x, QLatin1String("Id")), target);
        if (attribute(x, QLatin1String("Type")).endsWith(QLatin1String("/sharedStrings")))
            r.sharedStrings = target;
    }
    if (x.hasError())
        failXml(fileName, QStringLiteral("xl/_rels/workbook.xml.rels"), x);
    return r;
}

// The text of an <si> or <is>: its <t> elements, phonetic guides (<rPh>) left out. The
// reader stands on the start of the element and is left on its end.
Field richText(QXmlStreamReader& x) {
    Field text;
    int depth = 0;
    int phonetic = 0;
    while (!x.atEnd()) {
        x.readNext();
        if (x.isStartElement()) {
            ++depth;
            if (x.name() == QLatin1String("rPh"))
                ++phonetic;
            else if (x.name() == QLatin1String("t") && phonetic == 0) {
                appendTo(text, QStringView(x.readElementText()));
                --depth;
            }
        } else if (x.isEndElement()) {
            if (depth-- == 0)
                break;
            if (x.name() == QLatin1String("rPh"))
                --phonetic;
        }
    }
    return text;
}

std::vector<Field> sharedStrings(const QByteArray& xml, const QString& member, const QString& fileName) {
    std::vector<Field> strings;
    QXmlStreamReader x(xml);
    while (!x.atEnd()) {
        x.readNext();
        if (x.isStartElement() && x.name() == QLatin1String("si")) {
            if (qsizetype(strings.size()) >= kMaxSharedStrings)
                fail(fileName, 0,
                     QStringLiteral("holds more than %1 texts; that is no phone list").arg(kMaxSharedStrings));
            strings.push_back(richText(x));
        }
    }
    if (x.hasError())
        failXml(fileName, member, x);
    return strings;
}

// "B12" -> 1; -1 when the reference is not one.
qint64 columnOfReference(QStringView ref) {
    qint64 column = 0;
    qsizetype letters = 0;
    while (letters < ref.size() && letters < 4 && ref.at(letters).isLetter() && ref.at(letters).unicode() < 0x80) {
        column = column * 26 + (ref.at(letters).toUpper().unicode() - 'A' + 1);
        ++letters;
    }
    if (letters == 0 || letters == 4)
        return -1;
    return column - 1;
}

} // namespace

std::vector<PhoneListRow> phoneListFromXlsx(ZipArchive& archive, const QString& fileName) {
    const QString id = firstSheetId(archive.read(QStringLiteral("xl/workbook.xml")), fileName);
    const QString relsMember = QStringLiteral("xl/_rels/workbook.xml.rels");
    Relationships rels;
    if (archive.contains(relsMember))
        rels = relationships(archive.read(relsMember), fileName);
    QString sheetMember = rels.targets.value(id);
    if (sheetMember.isEmpty())
        sheetMember = QStringLiteral("xl/worksheets/sheet1.xml"); // where every writer puts it
    if (rels.sharedStrings.isEmpty() && archive.contains(QStringLiteral("xl/sharedStrings.xml")))
        rels.sharedStrings = QStringLiteral("xl/sharedStrings.xml");
    std::vector<Field> strings;
    if (!rels.sharedStrings.isEmpty() && archive.contains(rels.sharedStrings))
        strings = sharedStrings(archive.read(rels.sharedStrings), rels.sharedStrings, fileName);

    const QByteArray xml = archive.read(sheetMember);
    TableList table(fileName, TableList::Source::SheetRows);
    QXmlStreamReader x(xml);
    qint64 rowNumber = 0;
    TableRow row;
    bool inRow = false;
    qint64 column = -1;
    QString type, value;
    Field inlineText;
    while (!x.atEnd()) {
        x.readNext();
        if (x.isStartElement()) {
            const QStringView name = x.name();
            if (name == QLatin1String("row")) {
                bool ok = false;
                const qint64 r = x.attributes().value(QLatin1String("r")).toLongLong(&ok);
                rowNumber = ok && r > 0 ? r : rowNumber + 1;
                row = TableRow();
                row.line = rowNumber;
                inRow = true;
                column = -1;
            } else if (name == QLatin1String("c") && inRow) {
                const qint64 c = columnOfReference(x.attributes().value(QLatin1String("r")));
                column = c >= 0 ? c : column + 1;
                type = attribute(x, QLatin1String("t"));
                value.clear();
                inlineText = Field();
            } else if (name == QLatin1String("v") && inRow) {
                value = x.readElementText();
            } else if (name == QLatin1String("is") && inRow) {
                inlineText = richText(x);
            }
        } else if (x.isEndElement()) {
            const QStringView name = x.name();
            if (name == QLatin1String("c") && inRow) {
                Field cell;
                if (value.isEmpty() && inlineText.units == 0) {
                    // a cell that only carries a format
                } else if (type == QLatin1String("s")) {
                    bool ok = false;
                    const qint64 index = value.trimmed().toLongLong(&ok);
                    if (!ok || index < 0 || index >= qint64(strings.size()))
                        fail(fileName, rowNumber,
                             QStringLiteral("a cell refers to text %1, which the workbook does not hold")
                                 .arg(value.trimmed().left(20)));
                    cell = strings[size_t(index)];
                } else if (type == QLatin1String("inlineStr") || (type.isEmpty() && inlineText.units > 0)) {
                    cell = inlineText;
                } else if (type == QLatin1String("b")) {
                    cell = fieldOf(value.trimmed() == QLatin1String("1") ? QStringLiteral("TRUE")
                                                                         : QStringLiteral("FALSE"));
                } else if (type.isEmpty() || type == QLatin1String("n")) {
                    bool ok = false;
                    const double d = value.trimmed().toDouble(&ok);
                    cell = fieldOf(ok ? shownNumber(d) : value);
                } else {
                    cell = fieldOf(value); // "str" (a formula's text), "e" (an error), "d" (an ISO date)
                }
                if (!cell.blank())
                    putCell(row, column, std::move(cell), fileName);
            } else if (name == QLatin1String("row") && inRow) {
                table.add(std::move(row));
                row = TableRow();
                inRow = false;
            } else if (name == QLatin1String("sheetData")) {
                break;
            }
        }
    }
    if (x.hasError())
        failXml(fileName, sheetMember, x);
    return table.finish();
}

void failXml(const QString& fileName, const QString& member, const QXmlStreamReader& xml) {
    fail(fileName, 0,
         QStringLiteral("holds %1, which is not well-formed XML (line %2: %3)")
             .arg(member)
             .arg(xml.lineNumber())
             .arg(xml.errorString()));
}

void putCell(TableRow& row, qint64 column, Field field, const QString& fileName) {
    if (column >= kMaxTableColumns)
        fail(fileName, row.line,
             QStringLiteral("a value in column %1; a list's table has at most %2 columns")
                 .arg(column + 1)
                 .arg(kMaxTableColumns));
    if (row.cells.size() <= size_t(column))
        row.cells.resize(size_t(column) + 1);
    row.cells[size_t(column)] = std::move(field);
    row.used = qMax<qsizetype>(row.used, qsizetype(column) + 1);
    row.count = row.used;
}

} // namespace listfiles
