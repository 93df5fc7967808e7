#pragma once

// The export command's work: the same workbook "Start Creating Template" builds,
// written as .xls or .xlsx, as a PNG picture and as a print-ready PDF, and the
// list itself as CSV.

#include "phonelist/files/list_input.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

struct ExportRequest {
    std::vector<PhoneListRow> rows; // the list, unless useStoredList
    bool useStoredList = false;     // take the list from the settings store
    std::optional<QString> title;   // the sheet's title; none = the stored one
    QString xlsPath;                // each output is optional; empty = not written. ".xlsx": Excel format
    QString pngPath;
    QString pdfPath;
    QString csvPath; // the list itself
};

// Builds the phone-list workbook and writes the requested files. Each file is
// written whole or not at all. Throws std::runtime_error with a message naming
// the file that could not be written. Returns a note for each cell holding
// characters that no installed font shows ("E9: no installed font shows U+0E20").
QStringList exportPhoneList(const ExportRequest& request);
