#pragma once

// Reading a phone list from outside files, and writing it as CSV: one reader for the
// window's Import and the export command.
//
//     const std::vector<PhoneListRow> rows = readPhoneList(QStringLiteral("contacts.vcf"));
//     QByteArray csv = phoneListCsv(rows); // reads back as the same rows

#include "phonelist/phone_list_table.h"
#include "sheet/model/workbook.h"

#include <QByteArray>
#include <QString>

#include <stdexcept>
#include <vector>

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
// As readPhoneListXls, on bytes read already; fileName is used in messages only.
std::vector<PhoneListRow> parsePhoneListXls(const QByteArray& bytes, const QString& fileName);

// The column names, in the grid's order.
const std::array<QString, 8>& phoneListColumnNames();

// Longest field the list holds.
inline constexpr int kMaxFieldLength = 1024;
// Most rows the list holds; a longer input is refused at the first row too many.
inline constexpr int kMaxListRows = 10000;

// The list in a file of any kind the program reads, chosen by its content, never its name:
// - CSV or tab-separated text, comma, semicolon or tab told by a first line "sep=;" or by the
//   first line itself; UTF-8 (with or without byte-order mark), UTF-16 or UTF-32 with one,
//   else Windows-1252; RFC 4180 quoting.
// - vCard 2.1, 3.0 or 4.0: a row per card.
// - the first sheet of an .xls, .xlsx or .ods workbook.
// A table's first row of column names is mapped to the list's columns: our names, common
// synonyms in English, German, French and Spanish, and the columns of the address-book
// exports of Google Contacts, Outlook and Thunderbird (the first phone of each kind, the
// first e-mail, the home address on one line). A table without such a row must have eight
// columns, in the grid's order. Empty rows are skipped. Bad input throws InputError.
std::vector<PhoneListRow> readPhoneList(const QString& path);
// As readPhoneList, on bytes read already; fileName is used in messages only.
std::vector<PhoneListRow> parsePhoneList(const QByteArray& bytes, const QString& fileName);

// What messages call standard input, the list's source for the file name "-".
inline constexpr char kStandardInputName[] = "standard input";
// All of standard input, refusing more than a phone list can be (256 MB) as for
// files. Throws InputError naming "standard input".
QByteArray readStandardInput();

// The list as UTF-8 CSV (RFC 4180 quoting, CRLF line ends, no byte-order mark) under a first
// line of the eight column names.
QByteArray phoneListCsv(const std::vector<PhoneListRow>& rows);
