#pragma once

// SettingsStore: the per-user text values that outlive a run, addressed by
// application, section and key. It lives in an INI file under the XDG config
// folder ("Brenmoor.ini"); every value of this program sits in the section
// "Quorvel Tabwright".
//
//     SettingsStore store;
//     const QString n = store.read(settings::kRowCount, settings::kRowCountDefault);
//     store.write(settings::kLastUpdated, QDateTime::currentDateTime().toString());
//     store.sync(); // throws when the file could not be written

#include <QHash>
#include <QString>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QSettings;

namespace settings {
// Every key the program uses, with the default its readers supply.
inline constexpr const char* kApplication = "Brenmoor";
inline constexpr const char* kSection = "Quorvel Tabwright";
inline constexpr const char* kRowCount = "RowCount";
inline constexpr const char* kRowCountDefault = "30";
inline constexpr const char* kLastUpdated = "Last Updated"; // default: today's short date, see lastUpdatedDefault()
// The organisation's title over the list; empty or never set means kTitleDefault.
inline constexpr const char* kTitle = "Title";
inline constexpr const char* kTitleDefault = "Our Organization's Telephone List";
// The main window's size ("640x480", pixels) and the grid's column widths
// ("90,80,...", eight pixel widths) as the user left them; default: the first layout.
inline constexpr const char* kWindowSize = "Window Size";
inline constexpr const char* kColumnWidths = "Column Widths";
// How a list prints: kPageLayoutOnePage (the default) or kPageLayoutPageWidth.
inline constexpr const char* kPageLayout = "Page Layout";
inline constexpr const char* kPageLayoutOnePage = "One page";
inline constexpr const char* kPageLayoutPageWidth = "Fit to page width";
// "RowSource" + column (1 to 8) + " " + row (from 1); default "".
QString rowSourceKey(int column, int row);
QString lastUpdatedDefault();
// The system's default date-and-time text for now, as "Last Updated" stores it.
QString nowText();
} // namespace settings

class SettingsStore {
public:
    SettingsStore();
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // The stored text, or defaultValue when the key was never written.
    QString read(const QString& key, const QString& defaultValue) const;
    QString read(const char* key, const char* defaultValue) const;
    // Creates or overwrites the value; reaches the file at sync() or destruction.
    void write(const QString& key, const QString& value);
    void write(const char* key, const QString& value);
    // Takes the key out of the store; reaches the file at sync() or destruction.
    void remove(const QString& key);
    // Writes pending values to the file (through a temporary file and a rename);
    // throws std::runtime_error when that failed, leaving the old file as it was.
    void sync();

    // Throws std::runtime_error when the file is there but cannot be read.
    void checkReadable() const;

    // The file behind the store.
    QString fileName() const;

private:
    // Writes go to the file in one pass of the store's own (QSettings-compatible)
    // INI writer: QSettings needs about half a second to sync the 80,000 keys of
    // a 10,000-row list, most of it re-sorting its key map.
    void writeFile();

    std::unique_ptr<QSettings> mSettings;
    // Values not yet in the file, in the order first written, with an index by
    // key; no value means the key is to be removed.
    std::vector<std::pair<QString, std::optional<QString>>> mPending;
    QHash<QString, std::size_t> mPendingAt;
    // The file changed behind QSettings' cache: re-read it before the next read
    // of a key not in mSynced, the values this store wrote there last.
    mutable bool mStale = false;
    mutable QHash<QString, std::optional<QString>> mSynced;
};
