#pragma once

// Reading a phone list for the export command from outside files.

#include "sheet/model/workbook.h"

#include <QString>

#include <array>
#include <stdexcept>
#include <vector>

using PhoneListRow = std::array<QString, 8>;

// Bad input; what() names the file and, where it helps, the line: "FILE:LINE: why".
class InputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Parses UTF-8 CSV (RFC 4180 quoting; CRLF or LF; an optional byte-order mark; an
// optional first line holding the eight column names). A line may hold fewer than
// eight fields (the rest are empty) but not more. fileName is used in messages only.
std::vector<PhoneListRow> parsePhoneListCsv(const QByteArray& bytes, const QString& fileName);

// Reads and parses a CSV file.
std::vector<PhoneListRow> readPhoneListCsv(const QString& path);

// Takes the list from the first sheet of a workbook: either a sheet this program made
// (column names in B4:I4, the list from row 5) or a plain table of eight columns from
// column A, optionally under a row of the column names. Numbers become their shown text.
std::vector<PhoneListRow> phoneListFromWorkbook(const sheet::Workbook& workbook, const QString& fileName);

// Reads an .xls file and takes the list from it as above.
std::vector<PhoneListRow> readPhoneListXls(const QString& path);

// The column names, in the grid's order.
const std::array<QString, 8>& phoneListColumnNames();

// Longest field the list holds.
inline constexpr int kMaxFieldLength = 1024;
// Most rows the list holds; a longer input is refused at the first row too many.
inline constexpr int kMaxListRows = 10000;
