#include "phonelist/files/input_support.h"

#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace listfiles {

void fail(const QString& fileName, qint64 line, const QString& why) {
    const QString where = line > 0 ? fileName + QLatin1Char(':') + QString::number(line) : fileName;
    throw InputError((where + QStringLiteral(": ") + why).toStdString());
}

void requireRegularFile(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        fail(path, 0, QStringLiteral("cannot be read: ") + QString::fromLocal8Bit(std::strerror(errno)));
    if (!S_ISREG(st.st_mode))
        fail(path, 0, QStringLiteral("cannot be read: not a regular file"));
}

namespace {

// The list is at most tens of thousands of short lines; refuse anything absurd
// while reading, since a file can grow after it was looked at and a pipe has no size.
constexpr qint64 kMaxListBytes = qint64(256) << 20;

void refuseTooLarge(const QByteArray& bytes, const QString& name) {
    if (bytes.size() > kMaxListBytes)
        fail(name, 0, QStringLiteral("is larger than 256 MB; that is no phone list"));
}

} // namespace

QByteArray readListFile(const QString& path) {
    requireRegularFile(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(path, 0, QStringLiteral("cannot be read: ") + file.errorString());
    // A buffer of the size the file has, not of the limit: reading into one of 256 MB
    // maps that much. Whatever the file gained since is read after it.
    QByteArray bytes = file.read(std::min(file.size(), kMaxListBytes) + 1);
    if (!file.atEnd() && bytes.size() <= kMaxListBytes)
        bytes += file.read(kMaxListBytes + 1 - bytes.size());
    refuseTooLarge(bytes, path);
    return bytes;
}

// QString::fromUtf8 replaces bad sequences silently, so find them first: the user must hear of them.
int lineOfInvalidUtf8(const QByteArray& bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    // Lines are counted only once a bad byte is found: valid text, nearly all
    // of it ASCII, is passed over eight bytes at a time.
    const auto lineAt = [&](qsizetype at) { return 1 + int(std::count(p, p + at, '\n')); };
    for (qsizetype i = 0; i < n;) {
        if (i + 8 <= n) {
            std::uint64_t word;
            std::memcpy(&word, p + i, sizeof word);
            if ((word & 0x8080808080808080ULL) == 0) {
                i += 8;
                continue;
            }
        }
        const unsigned char c = p[i];
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
            return lineAt(i);
        }
        for (int k = 1; k <= extra; ++k) {
            if (i + k >= n || (p[i + k] & 0xC0) != 0x80)
                return lineAt(i);
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return lineAt(i);
        i += extra + 1;
    }
    return 0;
}

bool Field::blank() const {
    if (tooLong())
        return false;
    for (QChar c : text)
        if (!c.isSpace())
            return false;
    return true;
}

void appendTo(Field& field, QChar c) {
    ++field.units;
    if (!c.isLowSurrogate())
        ++field.chars;
    if (field.units <= kMaxFieldLength)
        field.text += c;
}

void appendTo(Field& field, QStringView text) {
    const qsizetype room = qMax<qsizetype>(0, kMaxFieldLength - field.units);
    field.text += text.left(room);
    field.units += text.size();
    field.chars += text.size();
    for (QChar c : text)
        if (c.isLowSurrogate())
            --field.chars;
}

void appendRepeated(Field& field, QChar c, qint64 times) {
    const qsizetype room = qMax<qsizetype>(0, kMaxFieldLength - field.units);
    field.text += QString(qsizetype(qMin<qint64>(room, times)), c);
    field.units += times;
    field.chars += times;
}

Field fieldOf(const QString& text) {
    Field f;
    appendTo(f, QStringView(text));
    return f;
}

QString tooLongMessage(const QString& what, qsizetype chars, qsizetype units) {
    if (units == chars)
        return QStringLiteral("%1 has %2 characters; at most %3 fit").arg(what).arg(chars).arg(kMaxFieldLength);
    return QStringLiteral("%1 has %2 characters, which take %3 of the %4 places a field has "
                          "(emoji and other characters beyond U+FFFF take two)")
        .arg(what)
        .arg(chars)
        .arg(units)
        .arg(kMaxFieldLength);
}

QString shownNumber(double v) {
    if (std::isfinite(v) && v == std::trunc(v) && std::fabs(v) < 1e15)
        return QString::number(static_cast<long long>(v));
    // Not printf: the program runs in the user's numeric locale, and a file's 1.5 is not "1,5".
    return QString::number(v, 'g', 15);
}

QString oneLine(const QString& text) {
    static const QRegularExpression lineBreak(QStringLiteral("\\r\\n|\\r|\\n"));
    QStringList lines;
    for (const QString& line : text.split(lineBreak))
        if (!line.trimmed().isEmpty())
            lines << line.trimmed();
    return lines.join(QStringLiteral(", "));
}

QString joinAddress(const QStringList& parts) {
    QStringList kept;
    for (const QString& part : parts)
        if (!part.trimmed().isEmpty())
            kept << part;
    if (kept.size() == 1)
        return kept.front();
    QStringList lines;
    for (const QString& part : kept)
        lines << oneLine(part);
    return lines.join(QStringLiteral(", "));
}

namespace {

// NUL and half a surrogate pair are what no text file can carry, so a value holding them
// (a workbook may) would not come back from the CSV it is written to: drop the one and
// show the other as U+FFFD, as UTF-8 would.
void makeWritable(QString& value) {
    value.remove(QChar(0));
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c.isHighSurrogate() && i + 1 < value.size() && value.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            value[i] = QChar(QChar::ReplacementCharacter);
    }
}

} // namespace

void ListRows::add(qint64 line, PhoneListRow row) {
    bool empty = true;
    for (QString& value : row) {
        makeWritable(value);
        // Blanks alone are no value: the row reads the same wherever they came from.
        if (value.trimmed().isEmpty())
            value.clear();
        else
            empty = false;
    }
    if (empty)
        return;
    if (mRows.size() >= size_t(kMaxListRows))
        fail(mFileName, line, QStringLiteral("more than %1 rows; the list holds no more").arg(kMaxListRows));
    const auto& names = phoneListColumnNames();
    for (size_t k = 0; k < row.size(); ++k) {
        if (row[k].size() > kMaxFieldLength) {
            const Field f = fieldOf(row[k]);
            fail(mFileName, line, tooLongMessage(QStringLiteral("the ") + names[k], f.chars, f.units));
        }
    }
    mRows.push_back(std::move(row));
}

} // namespace listfiles

QByteArray readStandardInput() {
    const QString name = QLatin1String(kStandardInputName);
    QByteArray bytes;
    char chunk[65536];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, stdin)) > 0) {
        bytes.append(chunk, qsizetype(got));
        listfiles::refuseTooLarge(bytes, name);
    }
    if (std::ferror(stdin))
        listfiles::fail(name, 0, QStringLiteral("cannot be read: ") + QString::fromLocal8Bit(std::strerror(errno)));
    return bytes;
}
