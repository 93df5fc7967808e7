#include "preview/preview_window.h"
#include "preview/workbook_copy.h"
#include "preview_test_support.h"
#include "isolated_settings.h"
#include "scripted_prompt.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

namespace {

const QString kDone = QStringLiteral("Done.");

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

// Bytes of every value, zeros and line ends included, longer than one copy chunk.
QByteArray workbookBytes() {
    QByteArray b(300 * 1024 + 17, '\0');
    QRandomGenerator gen(42);
    for (char& c : b)
        c = char(gen.bounded(256));
    return b;
}

QString overwriteQuestion(const QString& name) {
    return QStringLiteral("Are you sure you wish to overwrite ") + name + QStringLiteral(" ?");
}

} // namespace

class TestPreviewSave : public QObject {
    Q_OBJECT

    QTemporaryDir mProgram;
    QTemporaryDir mTemp;    // where the temporary workbook lives
    QTemporaryDir mTargets; // where the user saves
    QByteArray mBytes = workbookBytes();
    QString mWorkbook;

    void openPreview(Form2& form) {
        keepRunningOnClose(form);
        form.setPicture(twoColourPicture(400, 300));
        form.mExcelFile = mWorkbook;
        form.show();
    }

    QStringList targetFolderEntries() const {
        return QDir(mTargets.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

private slots:
    void init() {
        mWorkbook = mTemp.filePath(QStringLiteral("velmar12345678.xls"));
        writeAll(mWorkbook, mBytes);
        QDir(mTargets.path()).removeRecursively();
        QDir().mkpath(mTargets.path());
    }

    void savesAByteIdenticalCopy() {
        ScriptedPrompt prompt;
        const QString target = mTargets.filePath(QStringLiteral("list.xls"));
        prompt.fileNames = {target};
        Form2 form(mProgram.path());
        openPreview(form);
        form.PushButton6->click();

        QCOMPARE(prompt.dialogs.size(), size_t(1));
        QCOMPARE(prompt.dialogs[0].title, QStringLiteral("Save File"));
        QCOMPARE(prompt.dialogs[0].filter,
                 QStringLiteral("Excel 97-2003 Workbook (*.xls)|*.xls|Excel Workbook (*.xlsx)|*.xlsx|"));
        QCOMPARE(readAll(target), mBytes);
        QCOMPARE(prompt.texts(), QStringList{kDone});
        QCOMPARE(prompt.shown[0].title, QString()); // the application title
        QCOMPARE(prompt.shown[0].icon, Prompt::Icon::None);
        QCOMPARE(prompt.shown[0].buttons, Prompt::Buttons::Ok);
        QCOMPARE(targetFolderEntries(), QStringList{QStringLiteral("list.xls")});
        QVERIFY(QFile::exists(mWorkbook)); // still there to save again
        QVERIFY(form.isVisible());
    }

    void savesTwiceUnderDifferentNames() {
        ScriptedPrompt prompt;
        const QString first = mTargets.filePath(QStringLiteral("a.xls"));
        const QString second = mTargets.filePath(QStringLiteral("b.xls"));
        prompt.fileNames = {first, second};
        Form2 form(mProgram.path());
        openPreview(form);
        form.PushButton6->click();
        form.PushButton6->click();
        QCOMPARE(readAll(first), mBytes);
        QCOMPARE(readAll(second), mBytes);
        QCOMPARE(prompt.texts(), (QStringList{kDone, kDone}));
    }

    void overwritesAfterYes() {
        ScriptedPrompt prompt;
        const QString target = mTargets.filePath(QStringLiteral("old.xls"));
        writeAll(target, QByteArrayLiteral("old contents"));
        prompt.fileNames = {target};
        prompt.answers = {Prompt::Answer::Yes};
        Form2 form(mProgram.path());
        openPreview(form);
        form.PushButton6->click();

        QCOMPARE(prompt.texts(), (QStringList{overwriteQuestion(target), kDone}));
        QCOMPARE(prompt.shown[0].buttons, Prompt::Buttons::YesNo);
        QCOMPARE(prompt.shown[0].icon, Prompt::Icon::None);
        QCOMPARE(prompt.shown[0].title, QString());
        QCOMPARE(readAll(target), mBytes);
        QCOMPARE(targetFolderEntries(), QStringList{QStringLiteral("old.xls")});
    }

    void keepsTheOldFileAfterNo() {
        ScriptedPrompt prompt;
        const QString target = mTargets.filePath(QStringLiteral("old.xls"));
        writeAll(target, QByteArrayLiteral("old contents"));
        prompt.fileNames = {target};
        prompt.answers = {Prompt::Answer::No};
        Form2 form(mProgram.path());
        openPreview(form);
        form.PushButton6->click();
        QCOMPARE(prompt.texts(), (QStringList{overwriteQuestion(target), kDone}));
        QCOMPARE(readAll(target), QByteArrayLiteral("old contents"));
    }

    void cancelWritesNothing() {
        ScriptedPrompt prompt; // no file name scripted: the dialog is cancelled
        Form2 form(mProgram.path());
        openPreview(form);
        form.PushButton6->click();
        QCOMPARE(prompt.dialogs.size(), size_t(1));
        QCOMPARE(prompt.texts(), QStringList{kDone});
        QVERIFY(targetFolderEntries().isEmpty());
    }

    void aMissingWorkbookIsReportedAndTheOldFileKept() {
        ScriptedPrompt prompt;
        const QString target = mTargets.filePath(QStringLiteral("old.xls"));
        writeAll(target, QByteArrayLiteral("old contents"));
        prompt.fileNames = {target};
        prompt.answers = {Prompt::Answer::Yes};
        Form2 form(mProgram.path());
        openPreview(form);
        QFile::remove(mWorkbook);
        form.PushButton6->click();

        QCOMPARE(prompt.shown.size(), size_t(2)); // the question and the report, no "Done."
        QCOMPARE(prompt.errorReports().size(), size_t(1));
        QVERIFY(prompt.errorReports()[0].text.contains(
            QStringLiteral("\r\nin Quorvel2021/08/31.Form2.PushButton6_Click at line 7\r\r")));
        QVERIFY(!prompt.texts().contains(kDone));
        QCOMPARE(readAll(target), QByteArrayLiteral("old contents"));
        QCOMPARE(targetFolderEntries(), QStringList{QStringLiteral("old.xls")});
    }

    void aFolderThatCannotBeWrittenIsReported() {
        if (::geteuid() == 0)
            QSKIP("permissions do not hold for root");
        ScriptedPrompt prompt;
        const QString target = mTargets.filePath(QStringLiteral("old.xls"));
        writeAll(target, QByteArrayLiteral("old contents"));
        QFile::setPermissions(mTargets.path(), QFile::ReadOwner | QFile::ExeOwner);
        prompt.fileNames = {target};
        prompt.answers = {Prompt::Answer::Yes};
        Form2 form(mProgram.path());
        openPreview(form);
        form.PushButton6->click();
        QFile::setPermissions(mTargets.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(prompt.errorReports().size(), size_t(1));
        QVERIFY(!prompt.texts().contains(kDone));
        QCOMPARE(readAll(target), QByteArrayLiteral("old contents"));
    }

    void aNameThatIsAFolderIsReportedAndTheFolderKept() {
        ScriptedPrompt prompt;
        const QString target = mTargets.filePath(QStringLiteral("folder.xls"));
        QVERIFY(QDir().mkpath(target + QStringLiteral("/inside")));
        prompt.fileNames = {target};
        prompt.answers = {Prompt::Answer::Yes};
        Form2 form(mProgram.path());
        openPreview(form);
        form.PushButton6->click();
        QCOMPARE(prompt.errorReports().size(), size_t(1));
        QVERIFY(!prompt.texts().contains(kDone));
        QVERIFY(QDir(target + QStringLiteral("/inside")).exists());
        QCOMPARE(targetFolderEntries(), QStringList{QStringLiteral("folder.xls")}); // no part file left
    }

    void aNameThatIsALinkIsRefusedAndWhatItPointsToKept() {
        ScriptedPrompt prompt;
        const QString victim = mTargets.filePath(QStringLiteral("victim.txt"));
        writeAll(victim, "keep me");
        const QString target = mTargets.filePath(QStringLiteral("planted.xls"));
        QVERIFY(QFile::link(victim, target));
        prompt.fileNames = {target};
        prompt.answers = {Prompt::Answer::Yes};
        Form2 form(mProgram.path());
        openPreview(form);
        form.PushButton6->click();
        QCOMPARE(prompt.errorReports().size(), size_t(1));
        QVERIFY(prompt.errorReports().front().text.contains(QStringLiteral("symbolic link")));
        QVERIFY(QFileInfo(target).isSymLink());
        QFile kept(victim);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("keep me"));
    }

    void withoutAWorkbookThereIsNothingToSave() {
        Form2 form(mProgram.path());
        keepRunningOnClose(form);
        form.setPicture(twoColourPicture(400, 300));
        form.show();
        QVERIFY(!form.PushButton6->isEnabled());
        form.hide();
        form.mExcelFile = mWorkbook;
        form.show();
        QVERIFY(form.PushButton6->isEnabled());
    }

    void aNameInAMissingFolderIsReported() {
        ScriptedPrompt prompt;
        prompt.fileNames = {mTargets.filePath(QStringLiteral("no/such/folder/list.xls"))};
        Form2 form(mProgram.path());
        openPreview(form);
        form.PushButton6->click();
        QCOMPARE(prompt.errorReports().size(), size_t(1));
        QVERIFY(!prompt.texts().contains(kDone));
    }

    void copyingOntoTheWorkbookItselfKeepsIt() {
        copyFileReplacing(mWorkbook, mWorkbook);
        QCOMPARE(readAll(mWorkbook), mBytes);
        QCOMPARE(QDir(mTemp.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void anEmptyWorkbookCopiesToAnEmptyFile() {
        writeAll(mWorkbook, QByteArray());
        const QString target = mTargets.filePath(QStringLiteral("empty.xls"));
        copyFileReplacing(mWorkbook, target);
        QVERIFY(QFile::exists(target));
        QCOMPARE(QFileInfo(target).size(), 0);
    }

    void backDeletesTheWorkbookAndShowsTheMainWindow() {
        ScriptedPrompt prompt;
        QWidget mainWindow;
        Form2 form(mProgram.path());
        form.setMainWindow(&mainWindow);
        openPreview(form);
        form.PushButton8->click();
        QVERIFY(!QFile::exists(mWorkbook));
        QVERIFY(mainWindow.isVisible());
        QVERIFY(form.isHidden());
        QCOMPARE(form.mExcelFile, mWorkbook);
        QVERIFY(prompt.shown.empty());
    }

    void backRemovesAReadOnlyWorkbookAndIgnoresAMissingOne() {
        ScriptedPrompt prompt;
        QFile::setPermissions(mWorkbook, QFile::ReadOwner);
        Form2 form(mProgram.path());
        openPreview(form);
        form.PushButton8->click();
        QVERIFY(!QFile::exists(mWorkbook));
        form.show();
        form.PushButton8->click(); // already gone
        QVERIFY(prompt.shown.empty());
    }

    void closingKeepsTheEditsThenEndsTheProgram() {
        ScriptedPrompt prompt;
        QWidget mainWindow; // hidden, as while the preview is open
        Form2 form(mProgram.path());
        openPreview(form);
        QStringList calls;
        bool workbookGoneBeforeHook = false;
        form.beforeProgramEnds = [&] {
            calls << QStringLiteral("store");
            workbookGoneBeforeHook = !QFile::exists(mWorkbook);
        };
        form.endProgram = [&] { calls << QStringLiteral("end"); };
        QVERIFY(form.close()); // never refused
        QCOMPARE(calls, (QStringList{QStringLiteral("store"), QStringLiteral("end")}));
        QVERIFY(workbookGoneBeforeHook);
        QVERIFY(!QFile::exists(mWorkbook));
        QVERIFY(prompt.shown.empty());
    }

    void aFailingHookIsReportedAndTheProgramStillEnds() {
        ScriptedPrompt prompt;
        Form2 form(mProgram.path());
        openPreview(form);
        bool ended = false;
        form.beforeProgramEnds = [] { throw std::runtime_error("Disk full"); };
        form.endProgram = [&] { ended = true; };
        QVERIFY(form.close());
        QVERIFY(ended);
        QCOMPARE(prompt.errorReports().size(), size_t(1));
        QVERIFY(prompt.errorReports()[0].text.startsWith(QStringLiteral("Disk full\r\nin Quorvel2021/08/31.Form2.")));
    }
};

TABWRIGHT_ISOLATED_TEST_MAIN(TestPreviewSave)
#include "test_preview_save.moc"
