#include "sheet/report/report_driver.h"

#include "app/error_trap.h"
#include "app/file_helpers.h"
#include "app/heap_tuning.h"
#include "app/prompt.h"
#include "app/temp_files.h"
#include "phonelist/phone_list_table.h"
#include "sheet/engine/app_factory.h"
#include "sheet/engine/spreadsheet_app.h"
#include "sheet/report/font_notes.h"
#include "sheet/report/sheet_layout.h"
#include "sheet/report/sheet_snapshot.h"
#include "sheet/report/spreadsheet_host.h"

#include <QDir>
#include <QtGlobal>

#include <algorithm>
#include <stdexcept>

namespace OrganizationalTelephoneList {

std::shared_ptr<sheet::SpreadsheetApp> mReportApp;
std::unique_ptr<sheet::om::Workbook> mReportBook;

namespace {

sheet::SpreadsheetApp& build() {
    return sheet::objectOf(mReportApp);
}

sheet::om::Workbook& book() {
    return sheet::objectOf(mReportBook);
}

} // namespace

void StartReportApp() {
    mReportApp = sheet::appFactory().create();
}

void ReleaseReportApp() {
    mReportApp.reset();
}

void GenerateReport0(int kind, ReportWindows& windows) {
    // The sheet, its workbook's bytes and its picture take some kilobytes an entry.
    constexpr std::size_t kBytesPerEntry = 6 << 10;
    constexpr std::size_t kMostReserved = std::size_t(256) << 20;
    const std::size_t entries = gPhoneList ? std::size_t(gPhoneList->RecordCount()) : 0;
    const HeapReservation room(std::min(entries * kBytesPerEntry, kMostReserved));
    ErrorTrap trap(kLocation);
    std::shared_ptr<sheet::SpreadsheetApp> snap;
    std::unique_ptr<sheet::om::Workbook> snapBook;
    QString path;
    QString picturePath;
    QString pictureFolder;
    QStringList fontNotes;
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
    if (path.isEmpty()) {
        // Reported once by the step that failed: without a workbook there is
        // nothing to picture or save, so the build instance goes and the main
        // window stays.
        probe([] { book().Close(); });
        mReportBook.reset();
        probe([] { build().Quit(); });
        ReleaseReportApp();
        return;
    }
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
    trap.step(170, [&] { windows.setMainMousePointer(MousePointer::Hourglass); });
    trap.step(172, [&] {
        sheet::SpreadsheetApp& app = sheet::objectOf(snap);
        snapBook = std::make_unique<sheet::om::Workbook>(app.Workbooks().Item(app.Workbooks().Count()));
    });
    trap.step(174, [&] {
        // A folder of this generation's own: nobody can have put a picture, or a
        // link, under the picture's name in it.
        pictureFolder = createPrivateFolder(folder);
        picturePath = pictureFolder + QStringLiteral("/temp.bmp");
        saveCellsActivesheet(sheet::objectOf(snapBook), picturePath);
        fontNotes = pictureFontNotes(sheet::objectOf(snapBook));
    });
    trap.step(176, [&] { sheet::objectOf(snap).setDisplayAlerts(false); });
    trap.step(178, [&] {
        sheet::objectOf(snapBook).Close();
        snapBook.reset();
    });
    trap.step(180, [&] { sheet::objectOf(snap).Quit(); });
    trap.step(182, [&] { windows.setMainMousePointer(MousePointer::Default); });
    trap.step(184, [&] { windows.loadPreviewPicture(picturePath); });
    trap.step(186, [&] { windows.setPreviewExcelFile(path); });
    trap.step(188, [&] { windows.showPreview(); });
    trap.step(190, [&] { windows.hideMain(); });
    trap.step(192, [&] {
        DeleteFileQuietly(picturePath);
        QDir().rmdir(pictureFolder);
    });
    // Said once, over the preview, rather than letting characters vanish from it.
    if (!fontNotes.isEmpty())
        prompt().message(fontNotesMessage(fontNotes), QString(), Prompt::Icon::Information, Prompt::Buttons::Ok,
                         Prompt::Answer::Ok);
}

} // namespace OrganizationalTelephoneList
