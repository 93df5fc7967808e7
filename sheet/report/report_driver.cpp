#include "sheet/report/report_driver.h"

#include "app/error_trap.h"
#include "app/file_helpers.h"
#include "sheet/engine/app_factory.h"
#include "sheet/engine/spreadsheet_app.h"
#include "sheet/report/sheet_layout.h"
#include "sheet/report/sheet_snapshot.h"
#include "sheet/report/spreadsheet_host.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QtGlobal>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace OrganizationalTelephoneList {

std::shared_ptr<sheet::SpreadsheetApp> mReportApp;
std::unique_ptr<sheet::om::Workbook> mReportBook;

namespace {

sheet::SpreadsheetApp& build() {
    if (!mReportApp)
        throw std::runtime_error("Object variable or With block variable not set");
    return *mReportApp;
}

sheet::om::Workbook& book() {
    if (!mReportBook)
        throw std::runtime_error("Object variable or With block variable not set");
    return *mReportBook;
}

[[noreturn]] void failWithErrno(const QString& what) {
    throw std::runtime_error(
        (what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno))).toStdString());
}

} // namespace

void StartReportApp() {
    mReportApp = sheet::appFactory().create();
}

void ReleaseReportApp() {
    mReportApp.reset();
}

QString temporaryFolder() {
    const QString temp = qEnvironmentVariable("TEMP");
    if (!temp.isEmpty())
        return QDir::cleanPath(temp);

    // No TEMP: a folder of our own under the system's temporary folder, since the
    // workbook and the sheet picture are the user's data.
    const QString folder = QDir::tempPath() + QStringLiteral("/quorvel-tabwright-") + QString::number(::getuid());
    const QByteArray native = QFile::encodeName(folder);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        failWithErrno(QStringLiteral("Cannot create the temporary folder ") + folder);
    struct stat st {};
    if (::lstat(native.constData(), &st) != 0)
        failWithErrno(QStringLiteral("Cannot use the temporary folder ") + folder);
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::getuid() || (st.st_mode & 077) != 0)
        throw std::runtime_error(
            (QStringLiteral("The temporary folder ") + folder + QStringLiteral(" is not private to this user"))
                .toStdString());
    return folder;
}

namespace {

// Creates path as an empty file only this user can use; false when the name is taken.
bool createExclusively(const QString& path) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::close(fd);
        return true;
    }
    if (errno != EEXIST)
        failWithErrno(QStringLiteral("Cannot create a temporary workbook in ") + QFileInfo(path).path());
    return false;
}

} // namespace

QString createTemporaryWorkbookPath(const QString& folder) {
    // A name someone else already holds is simply skipped; after this many the folder is unusable.
    constexpr int kAttempts = 1000;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        QString name = QStringLiteral("velmar");
        for (int d = 0; d < 8; ++d)
            name += QString::number(QRandomGenerator::system()->bounded(1, 10));
        const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".xls");
        if (!FileExists(path) && createExclusively(path))
            return path;
    }
    throw std::runtime_error(("No free temporary workbook name in " + folder).toStdString());
}

void GenerateReport0(int kind, ReportWindows& windows) {
    ErrorTrap trap(kLocation);
    std::shared_ptr<sheet::SpreadsheetApp> snap;
    std::unique_ptr<sheet::om::Workbook> snapBook;
    QString path;
    QString picturePath;
    int sheetsToRemove = 0;

    trap.step(102, [] { StartReportApp(); });
    trap.step(104, [] { build().setScreenUpdating(false); });
    trap.step(106, [] { build().setDisplayAlerts(false); });
    trap.step(108, [] { build().setEnableEvents(false); });
    trap.step(110, [] { build().setEnableCancelKey(sheet::om::xlDisabled); });
    trap.step(112, [] { build().setCursor(sheet::om::xlWait); });
    trap.step(116, [] { mReportBook = std::make_unique<sheet::om::Workbook>(build().Workbooks().Add()); });
    trap.step(118, [&] {
        const int count = build().Sheets().Count();
        sheetsToRemove = count == 1 ? 0 : count - 1;
    });
    trap.step(120, [&] {
        for (int i = 0; i < sheetsToRemove; ++i)
            build().Sheets().Item(2).Delete();
    });
    trap.step(122, [] { build().Sheets().Item(build().Sheets().Count()).setName("Phone List"); });
    trap.step(124, [&] { BuildPhoneListSheet(kind); });
    trap.step(126, [] { build().Sheets().Item(1).Select(); });
    trap.step(128, [] { build().Range("B6").Select(); });
    trap.step(130, [] { build().setVisible(false); });
    trap.step(132, [] { build().setCursor(sheet::om::xlDefault); });
    trap.step(134, [] { build().setScreenUpdating(true); });
    trap.step(136, [] { build().setDisplayAlerts(true); });
    trap.step(138, [] { build().setEnableEvents(true); });
    trap.step(140, [] { build().setEnableCancelKey(sheet::om::xlInterrupt); });
    // The name is drawn from the system's random source and created exclusively in
    // one go, so nobody can have a file or link waiting under it (steps 142-156).
    QString folder;
    trap.step(154, [&] { folder = temporaryFolder(); });
    trap.step(156, [&] { path = createTemporaryWorkbookPath(folder); });
    trap.step(158, [&] {
        const sheet::om::Workbook& saved = book();
        saved.SaveAs(path.toStdString(), sheet::GetXlsFileFormat(mReportApp));
    });
    trap.step(160, [] { build().setDisplayAlerts(false); });
    trap.step(162, [] {
        book().Close();
        mReportBook.reset();
    });
    trap.step(164, [] { build().Quit(); });
    trap.step(166, [] { ReleaseReportApp(); });
    trap.step(168, [&] { snap = sheet::OpenWorkbookInNewExcel(path); });
    trap.step(170, [&] { windows.setMainMousePointer(11); });
    trap.step(172, [&] {
        if (!snap)
            throw std::runtime_error("Object variable or With block variable not set");
        snapBook = std::make_unique<sheet::om::Workbook>(snap->Workbooks().Item(snap->Workbooks().Count()));
    });
    trap.step(174, [&] {
        picturePath = temporaryFolder() + QStringLiteral("/temp.bmp");
        // A picture left by a run that never finished must not pass for this sheet
        // when the snapshot writes nothing.
        if (FileExists(picturePath))
            DeleteFileQuietly(picturePath);
        if (!snapBook)
            throw std::runtime_error("Object variable or With block variable not set");
        saveCellsActivesheet(*snapBook, picturePath);
    });
    trap.step(176, [&] {
        if (!snap)
            throw std::runtime_error("Object variable or With block variable not set");
        snap->setDisplayAlerts(false);
    });
    trap.step(178, [&] {
        if (!snapBook)
            throw std::runtime_error("Object variable or With block variable not set");
        snapBook->Close();
        snapBook.reset();
    });
    trap.step(180, [&] {
        if (!snap)
            throw std::runtime_error("Object variable or With block variable not set");
        snap->Quit();
    });
    trap.step(182, [&] { windows.setMainMousePointer(0); });
    trap.step(184, [&] { windows.loadPreviewPicture(picturePath); });
    trap.step(186, [&] { windows.setPreviewExcelFile(path); });
    trap.step(188, [&] { windows.showPreview(); });
    trap.step(190, [&] { windows.hideMain(); });
    trap.step(192, [&] { DeleteFileQuietly(picturePath); });
}

} // namespace OrganizationalTelephoneList
