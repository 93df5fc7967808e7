#pragma once

// The commands that take the whole list at once: bring entries in from a file's
// rows, order the list, take its entries out. They work through the table's
// record-set operations, as the row commands do, so the grid follows; none of
// them writes the settings store.
//
//     ImportRows(*gPhoneList, rows, ImportMode::Add);
//     SortRows(*gPhoneList, QCollator(QLocale()));
//     const std::vector<PhoneListRow> entries = FilledRows(*gPhoneList);

#include "phonelist/phone_list_table.h"

#include <QCollator>

#include <vector>

enum class ImportMode {
    Replace, // the list becomes the rows
    Add,     // the rows follow the last entry, in the empty rows after it first
};

// Rows with at least one field filled, in the table's order.
std::vector<PhoneListRow> FilledRows(const PhoneListTable& table);

// Brings rows into the table. Throws std::runtime_error, leaving the table as it
// was, when the list would grow past PhoneListTable::kMaxRows. The first row
// brought in becomes current.
void ImportRows(PhoneListTable& table, const std::vector<PhoneListRow>& rows, ImportMode mode);

// Orders the rows by Last Name, then First Name, as the collator compares them;
// rows with both empty come last, and rows that compare equal keep their order.
void SortRows(PhoneListTable& table, const QCollator& collator);
