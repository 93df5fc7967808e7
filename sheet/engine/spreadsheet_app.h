#pragma once

// SpreadsheetApp: the program's own spreadsheet engine, standing where an
// automated spreadsheet application would. One object is one instance; get
// one from the class factory (app_factory.h). The object model it hands out
// (workbooks, sheets, ranges, fonts, borders, page setup) is in object_model.h.
//
//     auto app = sheet::appFactory().create();
//     app->setScreenUpdating(false);
//     app->Workbooks().Add();
//     app->Range("B2").Select();
//     app->ActiveCell().setFormulaR1C1("Our Organization's Telephone List");
//     app->Quit();
//
// After Quit every member throws std::runtime_error, and so does every object
// the instance handed out.

#include "sheet/engine/object_model.h"

#include <memory>
#include <string>

namespace sheet {

class SpreadsheetApp {
public:
    SpreadsheetApp();
    virtual ~SpreadsheetApp();
    SpreadsheetApp(const SpreadsheetApp&) = delete;
    SpreadsheetApp& operator=(const SpreadsheetApp&) = delete;

    // The instance's default member, as an automation client reads it.
    virtual std::string defaultMember() const;
    // Version text; its leading number is the major version.
    virtual std::string Version() const;

    // Ends the instance: its workbooks are dropped unsaved.
    void Quit();
    bool hasQuit() const;

    // Settings that a caller switches while it drives the instance. They are
    // kept and read back; the engine has no window for them to act on.
    bool ScreenUpdating() const;
    void setScreenUpdating(bool on);
    bool DisplayAlerts() const;
    void setDisplayAlerts(bool on);
    bool EnableEvents() const;
    void setEnableEvents(bool on);
    bool Visible() const;
    void setVisible(bool on);
    // xlDisabled (0), xlInterrupt (1) or xlErrorHandler (2).
    int EnableCancelKey() const;
    void setEnableCancelKey(int mode);
    // xlDefault (-4143), xlWait (2), xlNorthwestArrow (1) or xlIBeam (3).
    int Cursor() const;
    void setCursor(int cursor);

    // Points in the given number of inches (72 per inch).
    double InchesToPoints(double inches) const;

    om::Workbooks Workbooks() const;
    // The active workbook's sheets, ranges, selection and active cell. Each throws
    // when no workbook is open.
    om::Sheets Sheets() const;
    om::Sheets Worksheets() const { return Sheets(); }
    om::Range Range(const std::string& address) const;
    om::Range Cells() const;
    om::Range Cells(int row, int column) const; // 1-based
    om::Range Rows(const std::string& spec) const;
    om::Range Columns(const std::string& spec) const;
    // One range of the areas of all `ranges`, in order, as the selection of several
    // blocks at once; every one must be on the same sheet. Throws otherwise.
    om::Range Union(const std::vector<om::Range>& ranges) const;
    om::Range Selection() const;
    om::Range ActiveCell() const;
    om::Worksheet ActiveSheet() const;
    om::Workbook ActiveWorkbook() const;

private:
    std::shared_ptr<om::detail::Core> mCore;
};

} // namespace sheet
