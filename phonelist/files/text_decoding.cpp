#include "phonelist/files/text_decoding.h"

#include "phonelist/files/input_support.h"

#include <QStringDecoder>

namespace listfiles {

namespace {

// The lines of a decoded text up to position i, for messages.
qint64 lineAt(const QString& text, qsizetype end) {
    qint64 line = 1;
    for (qsizetype i = 0; i < end; ++i)
        if (text.at(i) == QLatin1Char('\n'))
            ++line;
    return line;
}

QString decodeStrictly(QStringConverter::Encoding encoding, QByteArrayView bytes, const QString& fileName,
                       const char* name, int unit) {
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    QString text = decoder(bytes);
    // A stateless decoder drops a last unit cut short without a word.
    if (bytes.size() % unit != 0)
        fail(fileName, lineAt(text, text.size()),
             QStringLiteral("not valid %1 text: it ends inside a character").arg(QLatin1String(name)));
    // Nor does it object to half a surrogate pair, which no text can hold.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const bool paired = c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        if (paired)
            ++i;
        else if (c.isSurrogate())
            fail(fileName, lineAt(text, i), QStringLiteral("not valid %1 text").arg(QLatin1String(name)));
    }
    if (decoder.hasError()) {
        // The decoder marks what it could not read with U+FFFD; the first one is where it went wrong.
        const qsizetype at = text.indexOf(QChar(QChar::ReplacementCharacter));
        fail(fileName, at >= 0 ? lineAt(text, at) : 0, QStringLiteral("not valid %1 text").arg(QLatin1String(name)));
    }
    return text;
}

// Windows-1252 through the system's converters; Latin-1 where they lack it, which differs
// only in the quotes, dashes and euro sign of 0x80 to 0x9F.
QString decodeWindows1252(QByteArrayView bytes) {
    QStringDecoder decoder("windows-1252");
    if (decoder.isValid())
        return decoder(bytes);
    return QString::fromLatin1(bytes);
}

QString decodeUnmarked(const QByteArray& bytes) {
    if (lineOfInvalidUtf8(bytes) == 0)
        return QString::fromUtf8(bytes);
    return decodeWindows1252(bytes);
}

} // namespace

QString decodeListText(const QByteArray& bytes, const QString& fileName) {
    const QByteArrayView view(bytes);
    QString text;
    // UTF-32 LE's mark begins with UTF-16 LE's, so it is looked for first.
    if (view.startsWith(QByteArrayView("\xFF\xFE\x00\x00", 4)))
        text = decodeStrictly(QStringConverter::Utf32LE, view.sliced(4), fileName, "UTF-32", 4);
    else if (view.startsWith(QByteArrayView("\x00\x00\xFE\xFF", 4)))
        text = decodeStrictly(QStringConverter::Utf32BE, view.sliced(4), fileName, "UTF-32", 4);
    else if (view.startsWith("\xFF\xFE"))
        text = decodeStrictly(QStringConverter::Utf16LE, view.sliced(2), fileName, "UTF-16", 2);
    else if (view.startsWith("\xFE\xFF"))
        text = decodeStrictly(QStringConverter::Utf16BE, view.sliced(2), fileName, "UTF-16", 2);
    else if (view.startsWith("\xEF\xBB\xBF")) {
        if (const int bad = lineOfInvalidUtf8(bytes.sliced(3)))
            fail(fileName, bad, QStringLiteral("not valid UTF-8 text"));
        text = QString::fromUtf8(view.sliced(3));
    } else {
        text = decodeUnmarked(bytes);
    }

    // An old editor's end-of-file mark is no content.
    if (text.endsWith(QChar(0x1A)))
        text.chop(1);
    // Binary files hold NUL bytes; text never does.
    if (const qsizetype nul = text.indexOf(QChar(0)); nul >= 0)
        fail(fileName, lineAt(text, nul),
             QStringLiteral("a NUL character: this is binary data, not a list of any kind the program reads (CSV "
                            "or tab-separated text, vCard, .xls, .xlsx or .ods)"));
    return text;
}

QString decodeCharset(const QByteArray& bytes, const QString& charset) {
    const QString name = charset.trimmed().toLower();
    if (name.isEmpty())
        return decodeUnmarked(bytes);
    if (name == QLatin1String("utf-8") || name == QLatin1String("utf8"))
        return lineOfInvalidUtf8(bytes) == 0 ? QString::fromUtf8(bytes) : decodeWindows1252(bytes);
    if (name == QLatin1String("windows-1252") || name == QLatin1String("cp1252") || name == QLatin1String("us-ascii") ||
        name == QLatin1String("ascii"))
        return decodeWindows1252(bytes);
    QStringDecoder decoder(name.toLatin1().constData());
    if (decoder.isValid()) {
        QString text = decoder(bytes);
        if (!decoder.hasError())
            return text;
    }
    return decodeUnmarked(bytes);
}

} // namespace listfiles
