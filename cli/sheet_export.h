#pragma once

// The export command's work: the same workbook "Start Creating Template" builds,
// written as .xls or .xlsx, as a PNG picture and as a print-ready PDF, and the
// list itself as CSV. The name "-" stands for standard input as the list and for
// standard output as a file written.

#include "phonelist/files/list_input.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// The name that stands for the standard streams; "./-" names a file called "-".
inline constexpr char kStandardStream[] = "-";
inline bool isStandardStream(const QString& path) {
    return path == QLatin1String(kStandardStream);
}

// What a list input holds: told by its content (--list), or one kind only (--csv, --xls).
enum class ListKind { Any, Csv, Xls };

// Reads the list from path, or from standard input when path is "-" (called
// "standard input" in messages). Throws InputError.
std::vector<PhoneListRow> readListInput(ListKind kind, const QString& path);

struct ExportRequest {
    std::vector<PhoneListRow> rows; // the list, unless useStoredList
    bool useStoredList = false;     // take the list from the settings store
    std::optional<QString> title;   // the sheet's title; none = the stored one
    QString xlsPath;                // each output is optional; empty = not written, "-" = standard output.
                                    // A name ending ".xlsx" is written in the Excel format, "-" as .xls
    QString pngPath;
    QString pdfPath;
    QString csvPath; // the list itself
};

// Builds the phone-list workbook and writes the requested files. Each file is
// written whole or not at all, and standard output gets its bytes only once every
// file is ready to be put in place. At most one output may be "-". Throws
// std::runtime_error with a message naming the file that could not be written. Returns a note for each cell holding
// characters that no installed font shows ("E9: no installed font shows U+0E20").
QStringList exportPhoneList(const ExportRequest& request);

// The steps exportPhoneList takes, for the benchmarks that time each: the list into
// gPhoneList (from request.rows or the settings store); the build instance with the
// sheet "Phone List" laid out from it, B6 active; and the end of that instance.
void fillExportTable(const ExportRequest& request);
void buildExportWorkbook();
void closeExportWorkbook();
