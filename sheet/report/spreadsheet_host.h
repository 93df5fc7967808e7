#pragma once

// How the program meets the spreadsheet application as a running program: the
// start-up check that an instance can be created, the warning before generation
// when one is already running, opening a saved workbook in a fresh instance,
// and the file-format code for saving under an ".xls" name. Every instance
// comes from the class factory (sheet/engine/app_factory.h), so tests decide
// what creating and attaching give.

#include "sheet/engine/spreadsheet_app.h"

#include <QString>

#include <functional>
#include <memory>

namespace sheet {

// The failure of a call through an object variable that holds no object.
[[noreturn]] void throwObjectNotSet();

// The object behind a pointer (raw, shared or unique), or throwObjectNotSet().
template <class Pointer> auto& objectOf(const Pointer& object) {
    if (!object)
        throwObjectNotSet();
    return *object;
}

// Text of the message shown when no instance can be created.
QString excelNotInstalledText();
// Text of the question asked when an instance is already running.
QString excelMayBeOpenText();

// Returns when an instance can be created. Otherwise shows the 842001 message
// (OK only, no icon, application title) and ends the program at once, without
// running any closing handler. Never throws.
void CheckExcelInstalled();

// True only when a running instance can be attached to and its default member reads
// exactly "Microsoft Excel". The instance is only looked at. Never throws.
bool IsExcelRunning();

// False when no instance is running or the user answers Yes to going on anyway;
// true when the user chose not to go on. Never throws.
bool CheckExcelMayBeOpen();

// A new instance (never the running one) with the workbook at path open. The caller
// owns it and quits it. Throws when the instance cannot be created or the file opened.
std::shared_ptr<SpreadsheetApp> OpenWorkbookInNewExcel(const QString& path);

// The SaveAs format code for ".xls": 56 when the instance's major version is 12 or
// later, else -4143. With no instance, a temporary one is created and quit before
// returning. Throws when the version cannot be read or is not a number (a temporary
// instance is then released without Quit).
int GetXlsFileFormat(const std::shared_ptr<SpreadsheetApp>& app);

// The text with every "." and every "," replaced by the locale's decimal separator.
QString ToLocaleDecimal(const QString& text);

// The decimal separator of the default QLocale: the second character of one half
// formatted in that locale.
QString GetDecimalSeparator();

// What ending the program at once does; the default leaves the process with
// status 1 without unwinding or closing any window. Tests install their own;
// nullptr restores the default.
void setEndProgram(std::function<void()> end);

} // namespace sheet
