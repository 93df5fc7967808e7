#include "phonelist/files/delimited_text.h"

#include "phonelist/files/column_mapping.h"

namespace listfiles {

namespace {

// Where a first line "sep=X" ends (past its line break), or 0 when there is none.
qsizetype endOfSepLine(const QString& text, QChar* delimiter) {
    if (!text.startsWith(QLatin1String("sep="), Qt::CaseInsensitive))
        return 0;
    qsizetype end = 4;
    while (end < text.size() && text.at(end) != QLatin1Char('\r') && text.at(end) != QLatin1Char('\n'))
        ++end;
    const QString named = text.mid(4, end - 4);
    if (named == QLatin1String("\\t"))
        *delimiter = QLatin1Char('\t');
    else if (named.size() == 1 && named != QLatin1String("\""))
        *delimiter = named.front();
    else
        return 0;
    if (end < text.size() && text.at(end) == QLatin1Char('\r'))
        ++end;
    if (end < text.size() && text.at(end) == QLatin1Char('\n'))
        ++end;
    return end;
}

} // namespace

QChar delimiterOf(const QString& text) {
    QChar named;
    if (endOfSepLine(text, &named) > 0)
        return named;
    int commas = 0, semicolons = 0, tabs = 0;
    bool quoted = false;
    for (QChar c : text) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            break;
        else if (c == QLatin1Char(','))
            ++commas;
        else if (c == QLatin1Char(';'))
            ++semicolons;
        else if (c == QLatin1Char('\t'))
            ++tabs;
    }
    if (tabs > commas && tabs > semicolons)
        return QLatin1Char('\t');
    if (semicolons > commas)
        return QLatin1Char(';');
    return QLatin1Char(',');
}

std::vector<PhoneListRow> phoneListFromDelimitedText(const QString& text, const QString& fileName) {
    QChar delimiter = QLatin1Char(',');
    const qsizetype start = endOfSepLine(text, &delimiter);
    if (start == 0)
        delimiter = delimiterOf(text);
    // Tab-separated text seldom quotes; a quote inside its field is a character like any other.
    const bool literalQuotes = delimiter == QLatin1Char('\t');

    TableList table(fileName, TableList::Source::TextLines);
    qint64 line = start > 0 ? 2 : 1; // physical line being read
    TableRow record;
    record.line = line;
    Field field;
    bool quoted = false;    // inside a quoted field
    bool wasQuoted = false; // the current field began with a quote

    // A line keeps at most kMaxTableColumns fields and a field at most kMaxFieldLength
    // units; past that the text is only counted, for the message, never kept.
    auto endField = [&] {
        ++record.count;
        if (!field.blank())
            record.used = record.count;
        if (record.cells.size() < size_t(kMaxTableColumns))
            record.cells.push_back(std::move(field));
        field = Field();
        wasQuoted = false;
    };
    auto endRecord = [&] {
        endField();
        table.add(std::move(record));
        record = TableRow();
    };

    const qsizetype n = text.size();
    for (qsizetype i = start; i < n; ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < n && text.at(i + 1) == QLatin1Char('"')) {
                    appendTo(field, c);
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == QLatin1Char('\n'))
                    ++line;
                appendTo(field, c);
            }
            continue;
        }
        if (c == delimiter) {
            endField();
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            endRecord();
            ++line;
            record.line = line;
        } else if (c == QLatin1Char('"') && field.units == 0 && !wasQuoted) {
            quoted = wasQuoted = true;
        } else if (wasQuoted) {
            fail(fileName, line, QStringLiteral("text after a closing quote"));
        } else if (c == QLatin1Char('"') && !literalQuotes) {
            fail(fileName, line, QStringLiteral("a quote inside an unquoted field; quote the whole field"));
        } else {
            appendTo(field, c);
        }
    }
    if (quoted)
        fail(fileName, record.line, QStringLiteral("a quoted field is never closed"));
    if (field.units > 0 || record.count > 0 || wasQuoted)
        endRecord();
    return table.finish();
}

} // namespace listfiles
