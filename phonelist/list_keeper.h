#pragma once

// ListKeeper: keeps the stored list in step with the table while it is edited,
// so that a crash, a kill or a logout loses nothing that was committed. Each
// change asks for a save; changes that come quickly after each other (typing)
// are written once, after a short pause. A store that cannot be written is
// reported once, and the list stays in memory and is written with the next
// change that succeeds.
//
//     ListKeeper keeper(store);
//     keeper.reportFailure = [](const QString& text) { ... };
//     keeper.claim();            // false: another window has the list open
//     keeper.changed();          // after every committed edit or row command
//
// A second window on the same store is read-only: it saves nothing, so it
// never overwrites the first window's edits.

#include <QLockFile>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

class SettingsStore;

class ListKeeper : public QObject {
    Q_OBJECT
public:
    // delayMs: the pause after the last change before the list is written.
    explicit ListKeeper(SettingsStore& store, int delayMs = 400, QObject* parent = nullptr);
    ~ListKeeper() override;

    // Takes the store's "list is open" lock, beside the store file. False when
    // another live program holds it; the keeper is read-only then.
    bool claim();
    bool readOnly() const { return mReadOnly; }

    // A change was committed: gPhoneList is written after the pause.
    void changed();
    // Writes gPhoneList now unless read-only; false when the store could not be written.
    bool saveNow();
    // Forgets a change waiting for its save: the caller writes the list itself.
    void stop() { mTimer.stop(); }
    // True while a change waits for its save.
    bool pending() const { return mTimer.isActive(); }

    // Told the first time a save fails after one succeeded (or at the first failure).
    std::function<void(const QString& text)> reportFailure;

    // The text shown when the store cannot be written; why is the store's reason.
    static QString cannotSaveText(const QString& why);
    // The text shown when the list is open in another window.
    static QString openElsewhereText();

private:
    SettingsStore& mStore;
    QTimer mTimer;
    std::unique_ptr<QLockFile> mLock;
    bool mReadOnly = false;
    bool mFailureReported = false;
};
