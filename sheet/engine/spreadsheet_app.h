#pragma once

// SpreadsheetApp: the program's own spreadsheet engine, standing where an
// automated spreadsheet application would. One object is one instance.

#include <string>

namespace sheet {

class SpreadsheetApp {
public:
    SpreadsheetApp();
    ~SpreadsheetApp();

    // The instance's default member, as an automation client reads it.
    std::string defaultMember() const;
    // Version text; its leading number is the major version.
    std::string Version() const;
    void Quit();
    bool hasQuit() const { return mQuit; }

private:
    bool mQuit = false;
};

} // namespace sheet
