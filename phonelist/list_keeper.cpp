#include "phonelist/list_keeper.h"

#include "app/settings_store.h"
#include "phonelist/list_persistence.h"
#include "phonelist/phone_list_table.h"

#include <QDir>
#include <QFileInfo>

#include <exception>

ListKeeper::ListKeeper(SettingsStore& store, int delayMs, QObject* parent) : QObject(parent), mStore(store) {
    mTimer.setSingleShot(true);
    mTimer.setInterval(delayMs);
    connect(&mTimer, &QTimer::timeout, this, [this] { saveNow(); });
}

ListKeeper::~ListKeeper() = default;

bool ListKeeper::claim() {
    const QString path = mStore.fileName() + QStringLiteral(".open");
    QDir().mkpath(QFileInfo(path).absolutePath()); // the first start has no folder yet
    mLock = std::make_unique<QLockFile>(path);
    // Held for the whole run: no age makes it stale, only a holder that is gone.
    mLock->setStaleLockTime(0);
    // Only a lock someone holds means another window; a folder that takes no
    // lock file is reported when the list is first saved there.
    mReadOnly = !mLock->tryLock(0) && mLock->error() == QLockFile::LockFailedError;
    if (!mLock->isLocked())
        mLock.reset();
    return !mReadOnly;
}

void ListKeeper::changed() {
    if (!mReadOnly)
        mTimer.start();
}

bool ListKeeper::saveNow() {
    mTimer.stop();
    if (mReadOnly || !gPhoneList)
        return true;
    QString why;
    SavePhoneList(*gPhoneList, mStore, [&](const std::function<void()>& statement) {
        try {
            statement();
        } catch (const std::exception& e) {
            if (why.isEmpty())
                why = QString::fromUtf8(e.what());
        }
    });
    if (why.isEmpty()) {
        mFailureReported = false;
        return true;
    }
    if (!mFailureReported && reportFailure) {
        mFailureReported = true;
        reportFailure(cannotSaveText(why));
    }
    return false;
}

QString ListKeeper::cannotSaveText(const QString& why) {
    return QStringLiteral("The phone list could not be saved.\r\n") + why +
           QStringLiteral("\r\n\r\nYour changes are kept in this window. Make room on the disk or make the file "
                          "writable; the list is saved again with your next change and when you close the window.");
}

QString ListKeeper::openElsewhereText() {
    return QStringLiteral("The phone list is open in another window of Quorvel Tabwright.\r\n\r\nThis window shows it "
                          "read-only: changes made here are not saved. Close the other window to edit the list.");
}
