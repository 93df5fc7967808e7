#pragma once

// The report object: turns the phone list into a saved workbook and a picture
// of its sheet, and hands both to the preview window.

#include "app/mouse_pointer.h"

#include <QString>

#include <memory>
#include <optional>

namespace sheet {
class SpreadsheetApp;
namespace om {
class Workbook;
}
} // namespace sheet

// What generation needs of the windows. The main window provides it, so this
// layer never reaches up into window code.
class ReportWindows {
public:
    virtual ~ReportWindows() = default;
    // The main window's mouse pointer.
    virtual void setMainMousePointer(MousePointer pointer) = 0;
    // Loads the picture file into the preview's picture box; throws when it cannot.
    virtual void loadPreviewPicture(const QString& path) = 0;
    virtual void setPreviewExcelFile(const QString& path) = 0;
    virtual void showPreview() = 0;
    virtual void hideMain() = 0;
};

namespace OrganizationalTelephoneList {

// The build instance, alive only during a generation; the sheet layout draws through it.
extern std::shared_ptr<sheet::SpreadsheetApp> mReportApp;
// The workbook made for the report in the build instance.
extern std::unique_ptr<sheet::om::Workbook> mReportBook;

inline const QString kLocation = QStringLiteral("Quorvel2021/08/31.OrganizationalTelephoneList.GenerateReport0 ");

// Builds, saves and previews the report. Failures are reported step by step
// with the standard error report and the run goes on; nothing is thrown.
void GenerateReport0(int kind, ReportWindows& windows);

// Creates a new build instance into mReportApp, replacing any earlier reference.
void StartReportApp();
void ReleaseReportApp();

} // namespace OrganizationalTelephoneList
