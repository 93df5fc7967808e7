#include "phonelist/files/vcard_text.h"

#include "phonelist/files/input_support.h"
#include "phonelist/files/text_decoding.h"

#include <QSet>

namespace listfiles {

namespace {

enum class Version { V21, V30, V40 };

// A property's name (its group removed, in capitals) and parameters.
struct Property {
    QString name;
    QSet<QString> types; // TYPE values and 2.1's bare parameters, in lower case
    QString encoding;    // lower case: "quoted-printable", "base64", "b" ...
    QString charset;
    QString valueType; // VALUE=..., lower case
    QString value;     // as written, still encoded and escaped
};

// The position of the first colon outside double quotes: the end of name and parameters.
qsizetype colonOf(const QString& line) {
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (c == QLatin1Char(':') && !quoted)
            return i;
    }
    return -1;
}

QStringList splitOutsideQuotes(const QString& text, QChar separator) {
    QStringList parts;
    QString part;
    bool quoted = false;
    for (QChar c : text) {
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
        } else if (c == separator && !quoted) {
            parts << part;
            part.clear();
        } else {
            part += c;
        }
    }
    parts << part;
    return parts;
}

bool parseProperty(const QString& line, Property* p) {
    const qsizetype colon = colonOf(line);
    if (colon < 0)
        return false;
    const QStringList head = splitOutsideQuotes(line.left(colon), QLatin1Char(';'));
    QString name = head.front().trimmed();
    name = name.mid(name.lastIndexOf(QLatin1Char('.')) + 1).toUpper();
    p->name = name;
    for (qsizetype i = 1; i < head.size(); ++i) {
        const QString param = head.at(i).trimmed();
        const qsizetype eq = param.indexOf(QLatin1Char('='));
        if (eq < 0) {
            // vCard 2.1 writes a parameter's value alone: TEL;HOME;VOICE, ADR;QUOTED-PRINTABLE.
            const QString bare = param.toLower();
            if (bare == QLatin1String("quoted-printable") || bare == QLatin1String("base64") ||
                bare == QLatin1String("8bit") || bare == QLatin1String("7bit"))
                p->encoding = bare;
            else if (!bare.isEmpty())
                p->types.insert(bare);
            continue;
        }
        const QString key = param.left(eq).trimmed().toUpper();
        const QString value = param.mid(eq + 1).trimmed();
        if (key == QLatin1String("TYPE")) {
            for (const QString& type : splitOutsideQuotes(value, QLatin1Char(',')))
                if (!type.trimmed().isEmpty())
                    p->types.insert(type.trimmed().toLower());
        } else if (key == QLatin1String("ENCODING")) {
            p->encoding = value.toLower();
        } else if (key == QLatin1String("CHARSET")) {
            p->charset = value;
        } else if (key == QLatin1String("VALUE")) {
            p->valueType = value.toLower();
        }
    }
    p->value = line.mid(colon + 1);
    return true;
}

// Told by the line's first physical line alone, so that a value of many soft line breaks
// is not read again at each.
bool isQuotedPrintable(QStringView firstLine) {
    const qsizetype colon = colonOf(firstLine.toString());
    if (colon < 0)
        return false;
    for (const QString& param : splitOutsideQuotes(firstLine.left(colon).toString(), QLatin1Char(';'))) {
        const QString value = param.mid(param.indexOf(QLatin1Char('=')) + 1).trimmed();
        if (value.compare(QLatin1String("quoted-printable"), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

int hexValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

QByteArray fromQuotedPrintable(const QString& text) {
    QByteArray bytes;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('=') && i + 2 < text.size() && hexValue(text.at(i + 1)) >= 0 &&
            hexValue(text.at(i + 2)) >= 0) {
            bytes += char(hexValue(text.at(i + 1)) * 16 + hexValue(text.at(i + 2)));
            i += 2;
        } else if (c.unicode() < 0x80) {
            bytes += char(c.unicode());
        } else {
            bytes += QString(c).toUtf8();
        }
    }
    return bytes;
}

// Splits a value on the separator where no backslash escapes it. vCard 2.1 escapes only
// semicolons; 3.0 and 4.0 escape backslash, comma, semicolon and line break.
QStringList splitUnescaped(const QString& value, QChar separator, Version version) {
    QStringList parts;
    QString part;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == QLatin1Char('\\') && i + 1 < value.size() &&
            (version != Version::V21 || value.at(i + 1) == QLatin1Char(';'))) {
            part += c;
            part += value.at(++i);
        } else if (c == separator) {
            parts << part;
            part.clear();
        } else {
            part += c;
        }
    }
    parts << part;
    return parts;
}

QString unescaped(const QString& value, Version version) {
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != QLatin1Char('\\') || i + 1 >= value.size()) {
            out += c;
            continue;
        }
        const QChar next = value.at(i + 1);
        if (version == Version::V21) {
            if (next == QLatin1Char(';')) {
                out += next;
                ++i;
            } else {
                out += c;
            }
            continue;
        }
        ++i;
        out += (next == QLatin1Char('n') || next == QLatin1Char('N')) ? QChar(QLatin1Char('\n')) : next;
    }
    return out;
}

// One component of a value: decoded from its transfer encoding and character set, then
// its escapes resolved; a list of several values joined with the separator given.
QString decodeComponent(const QString& raw, const Property& p, Version version, const QString& join) {
    QStringList values;
    const QStringList parts =
        version == Version::V21 ? QStringList{raw} : splitUnescaped(raw, QLatin1Char(','), version);
    for (const QString& part : parts) {
        QString text;
        if (p.encoding == QLatin1String("quoted-printable"))
            text = decodeCharset(fromQuotedPrintable(part), p.charset);
        else if (p.encoding == QLatin1String("base64") || p.encoding == QLatin1String("b"))
            text = decodeCharset(QByteArray::fromBase64(part.toLatin1()), p.charset);
        else
            text = part;
        text = unescaped(text, version).trimmed();
        if (!text.isEmpty())
            values << text;
    }
    return values.join(join);
}

QStringList components(const Property& p, Version version, const QString& join) {
    QStringList out;
    for (const QString& raw : splitUnescaped(p.value, QLatin1Char(';'), version))
        out << decodeComponent(raw, p, version, join);
    return out;
}

QString single(const Property& p, Version version) {
    // A single value is not a list: its commas are text.
    QString text;
    if (p.encoding == QLatin1String("quoted-printable"))
        text = decodeCharset(fromQuotedPrintable(p.value), p.charset);
    else if (p.encoding == QLatin1String("base64") || p.encoding == QLatin1String("b"))
        text = decodeCharset(QByteArray::fromBase64(p.value.toLatin1()), p.charset);
    else
        text = p.value;
    return unescaped(text, version).trimmed();
}

struct Card {
    qint64 line = 0;
    Version version = Version::V30;
    QString last, first, formattedName;
    QString home, work, cell, other;
    QString email;
    QString homeAddress, firstAddress, homeLabel, firstLabel;
    QString spouse;
    QStringList children;

    void take(const Property& p) {
        const auto has = [&](const char* type) { return p.types.contains(QLatin1String(type)); };
        if (p.name == QLatin1String("VERSION")) {
            const QString v = p.value.trimmed();
            version = v.startsWith(QLatin1String("2."))   ? Version::V21
                      : v.startsWith(QLatin1String("4.")) ? Version::V40
                                                          : Version::V30;
        } else if (p.name == QLatin1String("N")) {
            const QStringList parts = components(p, version, QStringLiteral(" "));
            if (last.isEmpty() && first.isEmpty()) {
                last = parts.value(0);
                first = parts.value(1);
            }
        } else if (p.name == QLatin1String("FN")) {
            if (formattedName.isEmpty())
                formattedName = single(p, version);
        } else if (p.name == QLatin1String("TEL")) {
            QString number = single(p, version);
            if (number.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive))
                number = number.mid(4);
            if (number.isEmpty() || has("fax") || has("pager"))
                return;
            QString& slot = has("cell") || has("mobile") ? cell : has("work") ? work : has("home") ? home : other;
            if (slot.isEmpty())
                slot = number;
        } else if (p.name == QLatin1String("EMAIL")) {
            if (email.isEmpty())
                email = single(p, version);
        } else if (p.name == QLatin1String("ADR")) {
            // post office box; extended address; street; locality; region; postal code; country
            const QStringList parts = components(p, version, QStringLiteral(", "));
            const QString joined = joinAddress({parts.value(2), parts.value(1), parts.value(0), parts.value(3),
                                                parts.value(4), parts.value(5), parts.value(6)});
            if (has("home") && homeAddress.isEmpty())
                homeAddress = joined;
            if (firstAddress.isEmpty())
                firstAddress = joined;
        } else if (p.name == QLatin1String("LABEL")) {
            const QString label = oneLine(single(p, version));
            if (has("home") && homeLabel.isEmpty())
                homeLabel = label;
            if (firstLabel.isEmpty())
                firstLabel = label;
        } else if (p.name == QLatin1String("RELATED")) {
            // Names only; a link to another card ("urn:uuid:...") says nothing the list can show.
            const QString value = single(p, version);
            if (value.isEmpty() || (p.valueType != QLatin1String("text") && value.contains(QLatin1Char(':'))))
                return;
            if (has("spouse") && spouse.isEmpty())
                spouse = value;
            else if (has("child"))
                children << value;
        }
    }

    PhoneListRow row() const {
        PhoneListRow r;
        r[0] = last.isEmpty() && first.isEmpty() ? formattedName : last;
        r[1] = first;
        QStringList family;
        if (!spouse.isEmpty())
            family << spouse;
        family << children;
        r[2] = family.join(QStringLiteral(", "));
        r[3] = !homeAddress.isEmpty()    ? homeAddress
               : !firstAddress.isEmpty() ? firstAddress
               : !homeLabel.isEmpty()    ? homeLabel
                                         : firstLabel;
        r[4] = home.isEmpty() ? other : home;
        r[5] = work;
        r[6] = cell;
        r[7] = email;
        return r;
    }
};

bool isBeginOrEnd(const Property& p, const char* name) {
    return p.name == QLatin1String(name) && p.value.trimmed().compare(QLatin1String("VCARD"), Qt::CaseInsensitive) == 0;
}

} // namespace

bool isVCardText(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    return QStringView(text).sliced(i).startsWith(QLatin1String("BEGIN:VCARD"), Qt::CaseInsensitive);
}

std::vector<PhoneListRow> phoneListFromVCards(const QString& text, const QString& fileName) {
    ListRows rows(fileName);
    Card card;
    int depth = 0; // cards open; a 2.1 AGENT may hold a card inside a card

    auto process = [&](qint64 line, const QString& content) {
        if (content.trimmed().isEmpty())
            return;
        Property p;
        const bool parsed = parseProperty(content, &p);
        if (parsed && isBeginOrEnd(p, "BEGIN")) {
            if (depth++ == 0) {
                card = Card();
                card.line = line;
            }
            return;
        }
        if (depth == 0)
            fail(fileName, line, QStringLiteral("a line outside BEGIN:VCARD ... END:VCARD"));
        if (parsed && isBeginOrEnd(p, "END")) {
            if (--depth == 0)
                rows.add(card.line, card.row());
            return;
        }
        // Lines without a colon are the rest of a 2.1 writer's unindented binary data.
        if (parsed && depth == 1)
            card.take(p);
    };

    qint64 line = 0;
    qint64 contentLine = 0;
    QString content;
    bool haveContent = false;
    bool quotedPrintable = false; // the content line's value may go on past a line ending in '='
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        qsizetype end = i;
        while (end < n && text.at(end) != QLatin1Char('\r') && text.at(end) != QLatin1Char('\n'))
            ++end;
        const QStringView physical = QStringView(text).sliced(i, end - i);
        ++line;
        i = end;
        if (i < n && text.at(i) == QLatin1Char('\r'))
            ++i;
        if (i < n && text.at(i) == QLatin1Char('\n'))
            ++i;

        if (haveContent && quotedPrintable && content.endsWith(QLatin1Char('='))) {
            // A quoted-printable soft line break: the value goes on, whatever the next line begins with.
            content.chop(1);
            content += physical;
            continue;
        }
        if (haveContent && !physical.isEmpty() &&
            (physical.front() == QLatin1Char(' ') || physical.front() == QLatin1Char('\t'))) {
            // Folding: 3.0 and 4.0 drop the one blank the fold added; 2.1 folds only at a blank and keeps it.
            content += card.version == Version::V21 && depth > 0 ? physical : physical.sliced(1);
            continue;
        }
        if (haveContent)
            process(contentLine, content);
        content = physical.toString();
        contentLine = line;
        haveContent = true;
        quotedPrintable = isQuotedPrintable(physical);
    }
    if (haveContent)
        process(contentLine, content);
    if (depth > 0)
        fail(fileName, card.line, QStringLiteral("a card that never ends: END:VCARD is missing"));
    return rows.take();
}

} // namespace listfiles
