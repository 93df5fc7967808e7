#pragma once

// CSV and tab-separated text: RFC 4180 quoting, fields separated by commas, semicolons
// (spreadsheets where the decimal mark is a comma) or tabs.

#include "phonelist/files/list_input.h"

#include <QString>

#include <vector>

namespace listfiles {

// The delimiter is the one a first line "sep=;" names (that line is no data), else the one
// of comma, semicolon and tab that the first line holds most of outside quotes.
QChar delimiterOf(const QString& text);

// The list in decoded text; the first line is mapped as column names (see TableList).
std::vector<PhoneListRow> phoneListFromDelimitedText(const QString& text, const QString& fileName);

} // namespace listfiles
