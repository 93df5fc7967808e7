// Feeds arbitrary bytes to the list's start-up path as the settings file: the
// INI parsing, the "RowCount" conversion and the loading of every cell. A
// hand-edited or damaged store must load something sensible, never crash,
// hang or allocate without bound.

#include "app/settings_store.h"
#include "phonelist/list_persistence.h"
#include "phonelist/phone_list_table.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {
QTemporaryDir* gConfig = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    gConfig = new QTemporaryDir;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(gConfig->path()));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        QFile file(gConfig->filePath(QStringLiteral("Brenmoor.ini")));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    SettingsStore store;
    PhoneListTable table;
    try {
        LoadPhoneList(table, store);
    } catch (const std::exception&) {
        // A value the table refuses is reported by the window; the loader may give up there.
    }
    if (table.RecordCount() > PhoneListTable::kMaxRows)
        std::abort();
    (void)rowCountFromText(QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)));
    return 0;
}
