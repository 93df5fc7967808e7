#include "app/settings_store.h"

#include <QDateTime>
#include <QLocale>
#include <QSettings>
#include <QStringList>

#include <stdexcept>

namespace settings {

QString rowSourceKey(int column, int row) {
    return QStringLiteral("RowSource%1 %2").arg(column).arg(row);
}

QString lastUpdatedDefault() {
    return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
}

QString nowText() {
    return QLocale::system().toString(QDateTime::currentDateTime(), QLocale::ShortFormat);
}

} // namespace settings

SettingsStore::SettingsStore()
    : mSettings(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                            QString::fromLatin1(settings::kApplication))) {
    mSettings->beginGroup(QString::fromLatin1(settings::kSection));
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::read(const QString& key, const QString& defaultValue) const {
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
    mSettings->setValue(key, value);
}

void SettingsStore::write(const char* key, const QString& value) {
    write(QString::fromLatin1(key), value);
}

void SettingsStore::sync() {
    mSettings->sync();
    switch (mSettings->status()) {
    case QSettings::NoError:
        return;
    case QSettings::AccessError:
        throw std::runtime_error("The settings could not be written to " + fileName().toStdString());
    case QSettings::FormatError:
        throw std::runtime_error("The settings file " + fileName().toStdString() + " is not in a readable format");
    }
}

QString SettingsStore::fileName() const {
    return mSettings->fileName();
}
