#pragma once

// The export command's work: the same workbook "Start Creating Template" builds,
// written as .xls, as a PNG picture and as a print-ready PDF.

#include "cli/phone_list_input.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace sheet {
class Workbook;
class Sheet;
struct CellRange;
} // namespace sheet

struct ExportRequest {
    std::vector<PhoneListRow> rows; // the list, unless useStoredList
    bool useStoredList = false;     // take the list from the settings store
    QString xlsPath;                // each output is optional; empty = not written
    QString pngPath;
    QString pdfPath;
};

// Builds the phone-list workbook and writes the requested files. Each file is
// written whole or not at all. Throws std::runtime_error with a message naming
// the file that could not be written. Returns a note for each cell holding
// characters that no installed font shows ("E9: no installed font shows U+0E20").
QStringList exportPhoneList(const ExportRequest& request);

// Paints the range as it prints: landscape A4 with the sheet's margins, scaled
// down to fit one page, but never below 10 %, so a long list takes more pages.
QByteArray printToPdf(const sheet::Workbook& workbook, const sheet::Sheet& sheet, const sheet::CellRange& range);

// The smallest print scale the spreadsheet allows.
inline constexpr double kMinPrintScale = 0.10;
