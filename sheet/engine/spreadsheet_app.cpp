#include "sheet/engine/spreadsheet_app.h"

#include "sheet/engine/engine_core.h"

#include <stdexcept>

namespace sheet {

SpreadsheetApp::SpreadsheetApp() : mCore(std::make_shared<om::detail::Core>()) {}
SpreadsheetApp::~SpreadsheetApp() = default;

std::string SpreadsheetApp::defaultMember() const {
    mCore->check();
    return "Microsoft Excel";
}

std::string SpreadsheetApp::Version() const {
    mCore->check();
    return "16.0";
}

void SpreadsheetApp::Quit() {
    mCore->check();
    mCore->quit = true;
    mCore->active = nullptr;
    mCore->books.clear();
}

bool SpreadsheetApp::hasQuit() const {
    return mCore->quit;
}

bool SpreadsheetApp::ScreenUpdating() const {
    mCore->check();
    return mCore->screenUpdating;
}
void SpreadsheetApp::setScreenUpdating(bool on) {
    mCore->check();
    mCore->screenUpdating = on;
}
bool SpreadsheetApp::DisplayAlerts() const {
    mCore->check();
    return mCore->displayAlerts;
}
void SpreadsheetApp::setDisplayAlerts(bool on) {
    mCore->check();
    mCore->displayAlerts = on;
}
bool SpreadsheetApp::EnableEvents() const {
    mCore->check();
    return mCore->enableEvents;
}
void SpreadsheetApp::setEnableEvents(bool on) {
    mCore->check();
    mCore->enableEvents = on;
}
bool SpreadsheetApp::Visible() const {
    mCore->check();
    return mCore->visible;
}
void SpreadsheetApp::setVisible(bool on) {
    mCore->check();
    mCore->visible = on;
}

int SpreadsheetApp::EnableCancelKey() const {
    mCore->check();
    return mCore->enableCancelKey;
}
void SpreadsheetApp::setEnableCancelKey(int mode) {
    mCore->check();
    if (mode != om::xlDisabled && mode != om::xlInterrupt && mode != om::xlErrorHandler)
        throw std::runtime_error("Unable to set the EnableCancelKey property: " + std::to_string(mode));
    mCore->enableCancelKey = mode;
}

int SpreadsheetApp::Cursor() const {
    mCore->check();
    return mCore->cursor;
}
void SpreadsheetApp::setCursor(int cursor) {
    mCore->check();
    if (cursor != om::xlDefault && cursor != om::xlWait && cursor != om::xlNorthwestArrow && cursor != om::xlIBeam)
        throw std::runtime_error("Unable to set the Cursor property: " + std::to_string(cursor));
    mCore->cursor = cursor;
}

double SpreadsheetApp::InchesToPoints(double inches) const {
    mCore->check();
    return inches * 72.0;
}

om::Workbooks SpreadsheetApp::Workbooks() const {
    mCore->check();
    return om::Workbooks(mCore);
}

om::Workbook SpreadsheetApp::ActiveWorkbook() const {
    return om::Workbook(mCore, &mCore->activeBook());
}
om::Sheets SpreadsheetApp::Sheets() const {
    return ActiveWorkbook().Sheets();
}
om::Worksheet SpreadsheetApp::ActiveSheet() const {
    return ActiveWorkbook().ActiveSheet();
}
om::Range SpreadsheetApp::Range(const std::string& address) const {
    return ActiveSheet().Range(address);
}
om::Range SpreadsheetApp::Cells() const {
    return ActiveSheet().Cells();
}
om::Range SpreadsheetApp::Cells(int row, int column) const {
    return ActiveSheet().Cells(row, column);
}
om::Range SpreadsheetApp::Rows(const std::string& spec) const {
    return ActiveSheet().Rows(spec);
}
om::Range SpreadsheetApp::Columns(const std::string& spec) const {
    return ActiveSheet().Columns(spec);
}

om::Range SpreadsheetApp::Union(const std::vector<om::Range>& ranges) const {
    if (ranges.empty())
        throw std::runtime_error("Method 'Union' of object '_Application' failed: no ranges");
    const Sheet& sheet = ranges.front().model();
    std::vector<CellRange> areas;
    for (const om::Range& range : ranges) {
        if (&range.model() != &sheet)
            throw std::runtime_error(
                "Method 'Union' of object '_Application' failed: the ranges are on different sheets");
        areas.insert(areas.end(), range.areas().begin(), range.areas().end());
    }
    return om::Range(ranges.front(), std::move(areas));
}

om::Range SpreadsheetApp::Selection() const {
    const om::Worksheet ws = ActiveSheet();
    const Sheet& s = ws.model();
    if (s.selection.empty()) // a file may carry no selection: the active cell is selected
        return ActiveCell();
    return om::Range(ws, s.selection);
}

om::Range SpreadsheetApp::ActiveCell() const {
    const om::Worksheet ws = ActiveSheet();
    const Sheet& s = ws.model();
    return om::Range(ws, {CellRange{s.activeRow, s.activeColumn, s.activeRow, s.activeColumn}});
}

} // namespace sheet
