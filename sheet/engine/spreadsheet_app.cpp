#include "sheet/engine/spreadsheet_app.h"

namespace sheet {

SpreadsheetApp::SpreadsheetApp() = default;
SpreadsheetApp::~SpreadsheetApp() = default;

std::string SpreadsheetApp::defaultMember() const { return "Microsoft Excel"; }
std::string SpreadsheetApp::Version() const { return "16.0"; }
void SpreadsheetApp::Quit() { mQuit = true; }

} // namespace sheet
