#include "app/settings_store.h"

#include "app/error_trap.h"

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QLocale>
#include <QLockFile>
#include <QSaveFile>
#include <QSettings>
#include <QStringList>

#include <stdexcept>
#include <vector>

namespace settings {

QString rowSourceKey(int column, int row) {
    return QStringLiteral("RowSource") + QString::number(column) + QLatin1Char(' ') + QString::number(row);
}

QString lastUpdatedDefault() {
    return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
}

QString nowText() {
    return QLocale::system().toString(QDateTime::currentDateTime(), QLocale::ShortFormat);
}

} // namespace settings

namespace {

// The INI text QSettings writes and reads back: keys and section names keep
// letters, digits, "_-." and escape the rest as %XX or %UXXXX ("/" separates
// groups, so it never appears in a key here).
void appendEscapedKey(QByteArray& out, const QString& key) {
    for (const QChar qc : key) {
        const char16_t ch = qc.unicode();
        if ((ch >= u'a' && ch <= u'z') || (ch >= u'A' && ch <= u'Z') || (ch >= u'0' && ch <= u'9') || ch == u'_' ||
            ch == u'-' || ch == u'.') {
            out += char(ch);
        } else if (ch <= 0xFF) {
            out += '%';
            out += QByteArray::number(ch, 16).toUpper().rightJustified(2, '0');
        } else {
            out += "%U";
            out += QByteArray::number(ch, 16).toUpper().rightJustified(4, '0');
        }
    }
}

bool isHexDigit(char16_t ch) {
    return (ch >= u'0' && ch <= u'9') || (ch >= u'a' && ch <= u'f') || (ch >= u'A' && ch <= u'F');
}

// A text value as QSettings writes one: a text holding a NUL as "@String(...)",
// else a leading "@" doubled; C escapes for control characters, quotes,
// backslashes, UTF-8 for the rest, and the whole value in quotes when it holds
// ";", ",", "=" or starts or ends with a blank.
void appendEscapedValue(QByteArray& out, const QString& text) {
    const QString value = text.contains(QChar::Null)          ? QStringLiteral("@String(") + text + QLatin1Char(')')
                          : text.startsWith(QLatin1Char('@')) ? QLatin1Char('@') + text
                                                              : text;
    const qsizetype start = out.size();
    bool needsQuotes = false;
    bool escapeNextIfHex = false;
    qsizetype plainFrom = -1; // start of a run copied as UTF-8
    auto flushPlain = [&](qsizetype end) {
        if (plainFrom >= 0)
            out += QStringView(value).mid(plainFrom, end - plainFrom).toUtf8();
        plainFrom = -1;
    };
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char16_t ch = value.at(i).unicode();
        if (ch == u';' || ch == u',' || ch == u'=')
            needsQuotes = true;
        if (escapeNextIfHex && isHexDigit(ch)) {
            out += "\\x";
            out += QByteArray::number(ch, 16);
            continue;
        }
        escapeNextIfHex = false;
        const char* named = nullptr;
        switch (ch) {
        case u'\0':
            named = "\\0";
            escapeNextIfHex = true;
            break;
        case u'\a':
            named = "\\a";
            break;
        case u'\b':
            named = "\\b";
            break;
        case u'\f':
            named = "\\f";
            break;
        case u'\n':
            named = "\\n";
            break;
        case u'\r':
            named = "\\r";
            break;
        case u'\t':
            named = "\\t";
            break;
        case u'\v':
            named = "\\v";
            break;
        case u'"':
            named = "\\\"";
            break;
        case u'\\':
            named = "\\\\";
            break;
        default:
            break;
        }
        if (named) {
            flushPlain(i);
            out += named;
        } else if (ch <= 0x1F) {
            flushPlain(i);
            out += "\\x";
            out += QByteArray::number(ch, 16);
            escapeNextIfHex = true;
        } else if (plainFrom < 0) {
            plainFrom = i;
        }
    }
    flushPlain(value.size());
    if (needsQuotes || (out.size() > start && (out.at(start) == ' ' || out.back() == ' '))) {
        out.insert(start, '"');
        out += '"';
    }
}

// The key a line of the file sets, as the INI reader decodes it: %XX and
// %UXXXX escapes, everything else UTF-8.
QString unescapedKey(const QByteArray& key) {
    QString out;
    QByteArray plain;
    auto flush = [&] {
        out += QString::fromUtf8(plain);
        plain.clear();
    };
    for (qsizetype i = 0; i < key.size(); ++i) {
        // "%UXXXX" or "%XX": the hex digits and how many bytes the escape takes.
        const bool wide = key[i] == '%' && i + 5 < key.size() && key[i + 1] == 'U';
        const qsizetype digits = wide ? 4 : 2;
        bool ok = false;
        if (key[i] == '%' && i + digits < key.size()) {
            const uint code = key.mid(i + (wide ? 2 : 1), digits).toUInt(&ok, 16);
            if (ok) {
                flush();
                out += QChar(char16_t(code));
                i += wide ? 5 : 2;
                continue;
            }
        }
        plain += key[i];
    }
    flush();
    return out;
}

QByteArray escapedKey(const QString& key) {
    QByteArray out;
    appendEscapedKey(out, key);
    return out;
}

// One line of the file with the escaped key it sets (empty for other lines).
struct IniLine {
    QByteArray key;
    QByteArray text;
};

QByteArray lineKey(const QByteArray& line) {
    const QByteArray trimmed = line.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(';') || trimmed.startsWith('#'))
        return {};
    const qsizetype eq = trimmed.indexOf('=');
    return eq < 0 ? QByteArray() : trimmed.left(eq).trimmed();
}

bool isSectionHeader(const QByteArray& line) {
    return line.trimmed().startsWith('[');
}

bool isOurSection(const QByteArray& header) {
    QByteArray name = header.trimmed();
    name.replace("%20", " ");
    return name == QByteArray("[") + settings::kSection + ']';
}

} // namespace

SettingsStore::SettingsStore()
    : mSettings(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                            QString::fromLatin1(settings::kApplication))) {
    mSettings->beginGroup(QString::fromLatin1(settings::kSection));
}

SettingsStore::~SettingsStore() {
    // The store writes what it was given even when nobody asked; a failure here has nobody to report to.
    probe([this] { sync(); });
}

QString SettingsStore::read(const QString& key, const QString& defaultValue) const {
    if (const auto it = mPendingAt.constFind(key); it != mPendingAt.constEnd())
        return mPending[*it].second.value_or(defaultValue);
    // What this store wrote last is known without parsing the file again: a
    // save that reads one key must not cost a parse of the whole list.
    if (const auto it = mSynced.constFind(key); it != mSynced.constEnd())
        return it->value_or(defaultValue);
    if (mStale) {
        mStale = false;
        mSettings->sync();
        mSynced.clear();
    }
    const QVariant v = mSettings->value(key);
    if (!v.isValid())
        return defaultValue;
    // A hand-edited file may hold an unquoted "a, b", which the INI reader
    // turns into a list; give it back as the text it was.
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(QStringLiteral(", "));
    return v.toString();
}

QString SettingsStore::read(const char* key, const char* defaultValue) const {
    return read(QString::fromLatin1(key), QString::fromLatin1(defaultValue));
}

void SettingsStore::write(const QString& key, const QString& value) {
    if (const auto it = mPendingAt.constFind(key); it != mPendingAt.constEnd()) {
        mPending[*it].second = value;
        return;
    }
    mPendingAt.insert(key, mPending.size());
    mPending.emplace_back(key, value);
}

void SettingsStore::write(const char* key, const QString& value) {
    write(QString::fromLatin1(key), value);
}

void SettingsStore::remove(const QString& key) {
    if (const auto it = mPendingAt.constFind(key); it != mPendingAt.constEnd()) {
        mPending[*it].second.reset();
        return;
    }
    mPendingAt.insert(key, mPending.size());
    mPending.emplace_back(key, std::nullopt);
}

void SettingsStore::sync() {
    if (!mPending.empty()) {
        // QSettings' cache learns of the new file only when it is read again.
        writeFile();
        mStale = true;
        return;
    }
    mSettings->sync();
    if (mSettings->status() == QSettings::AccessError)
        throw std::runtime_error("The settings could not be read from " + fileName().toStdString());
}

void SettingsStore::writeFile() {
    const QString path = fileName();
    auto failed = [&](const QString& why) {
        return std::runtime_error(("The settings could not be written to " + path + ": " + why).toStdString());
    };
    QDir().mkpath(QFileInfo(path).absolutePath());
    // The same lock QSettings takes, so a QSettings writer elsewhere waits for this one.
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(5000)) {
        // Only a lock someone holds is a locked file; a lock that could not be
        // made says the folder cannot take a new file.
        switch (lock.error()) {
        case QLockFile::LockFailedError:
            throw failed(QStringLiteral("the file is locked by another program"));
        case QLockFile::PermissionError:
            throw failed(QStringLiteral("the folder ") + QFileInfo(path).absolutePath() +
                         QStringLiteral(" cannot be written"));
        default:
            throw failed(QStringLiteral("no file can be made beside it (is the disk full?)"));
        }
    }

    // Keep every line of the file; only the lines of the keys written change.
    std::vector<IniLine> before; // lines ahead of our section, and other sections
    std::vector<IniLine> ours;
    std::vector<IniLine> after;
    {
        QFile current(path);
        if (current.exists() && !current.open(QIODevice::ReadOnly))
            throw failed(current.errorString());
        const QList<QByteArray> lines = current.isOpen() ? current.readAll().split('\n') : QList<QByteArray>();
        std::vector<IniLine>* into = &before;
        bool seenOurs = false;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            QByteArray line = lines[i];
            if (i == lines.size() - 1 && line.isEmpty())
                break;
            // A value continued on the next line stays with its key.
            while (line.endsWith('\\') && i + 1 < lines.size())
                line += '\n' + lines[++i];
            if (isSectionHeader(line)) {
                if (isOurSection(line)) {
                    into = &ours;
                    if (seenOurs)
                        continue;
                    seenOurs = true;
                } else {
                    into = seenOurs ? &after : &before;
                }
            }
            into->push_back({into == &ours ? lineKey(line) : QByteArray(), line});
        }
        if (!seenOurs) {
            QByteArray header = "[";
            appendEscapedKey(header, QString::fromLatin1(settings::kSection));
            header += ']';
            if (!before.empty() && !before.back().text.trimmed().isEmpty())
                before.push_back({{}, {}});
            ours.push_back({{}, header});
        }
    }
    // A key may stand in the file as written by hand ("RowSource1 1") as well as
    // escaped; the reader takes the last, so every line of a key written here goes.
    QHash<QByteArray, std::size_t> at;
    at.reserve(qsizetype(ours.size()));
    std::vector<bool> dropped(ours.size(), false);
    for (std::size_t i = 0; i < ours.size(); ++i) {
        if (ours[i].key.isEmpty())
            continue;
        ours[i].key = escapedKey(unescapedKey(ours[i].key));
        if (const auto it = at.constFind(ours[i].key); it != at.constEnd())
            dropped[i] = mPendingAt.contains(unescapedKey(ours[i].key));
        else
            at.insert(ours[i].key, i);
    }
    // Trailing blank lines of the section stay after the new keys.
    std::size_t blanks = 0;
    while (blanks < ours.size() - 1 && ours[ours.size() - 1 - blanks].text.trimmed().isEmpty())
        ++blanks;
    std::vector<IniLine> tail(ours.end() - qsizetype(blanks), ours.end());
    ours.resize(ours.size() - blanks);
    dropped.resize(ours.size());
    // New keys go to the end in the order they were first written.
    for (const auto& [key, value] : mPending) {
        QByteArray line = escapedKey(key);
        const QByteArray k = line;
        const auto it = at.constFind(k);
        if (!value) {
            if (it != at.constEnd())
                dropped[*it] = true;
            continue;
        }
        line += '=';
        appendEscapedValue(line, *value);
        if (it != at.constEnd()) {
            ours[*it].text = line;
        } else {
            at.insert(k, ours.size());
            ours.push_back({k, line});
            dropped.push_back(false);
        }
    }
    {
        std::size_t kept = 0;
        for (std::size_t i = 0; i < ours.size(); ++i)
            if (!dropped[i])
                ours[kept++] = std::move(ours[i]);
        ours.resize(kept);
    }
    ours.insert(ours.end(), tail.begin(), tail.end());
    if (!after.empty() && (ours.empty() || !ours.back().text.trimmed().isEmpty()))
        ours.push_back({{}, {}});

    QByteArray text;
    qsizetype size = 0;
    for (const auto* part : {&before, &ours, &after})
        for (const IniLine& l : *part)
            size += l.text.size() + 1;
    text.reserve(size);
    for (const auto* part : {&before, &ours, &after})
        for (const IniLine& l : *part) {
            text += l.text;
            text += '\n';
        }

    const bool created = !QFileInfo::exists(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw failed(file.errorString());
    // The list is the user's own: a new store is readable by the user only.
    if (created && !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        throw failed(file.errorString());
    if (file.write(text) != text.size()) {
        const QString why = file.errorString();
        file.cancelWriting();
        throw failed(why);
    }
    if (!file.commit())
        throw failed(file.errorString());
    for (auto& [key, value] : mPending)
        mSynced.insert(key, std::move(value));
    mPending.clear();
    mPendingAt.clear();
}

void SettingsStore::checkReadable() const {
    QFile file(fileName());
    if (file.exists() && !file.open(QIODevice::ReadOnly))
        throw std::runtime_error(
            ("The settings could not be read from " + fileName() + ": " + file.errorString()).toStdString());
    if (mSettings->status() != QSettings::NoError)
        throw std::runtime_error(("The settings could not be read from " + fileName()).toStdString());
}

QString SettingsStore::fileName() const {
    return mSettings->fileName();
}
