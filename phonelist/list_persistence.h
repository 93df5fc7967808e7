#pragma once

// The phone list in the settings store: "RowCount" and one "RowSource<c> <r>"
// value per cell. Read once at start, written once at close.

#include <QString>

#include <functional>

class PhoneListTable;
class SettingsStore;

// Runs one statement of a load or save. The window passes its error trap, so a
// failing cell is reported and the rest of the list still loads or saves; the
// default runs the statement and lets failures pass.
using StepRunner = std::function<void(const std::function<void()>&)>;

// "RowCount" text to a number of rows: the decimal number the text starts with
// ("." as the decimal point, an optional exponent), rounded half to even; 0
// when it starts with no number or is below one half. Counts above
// PhoneListTable::kMaxRows are capped at it, so a damaged store still opens.
int rowCountFromText(const QString& text);

// Appends the stored rows to table (fresh and empty). Values longer than a
// field holds are cut to PhoneListTable::kMaxFieldLength.
void LoadPhoneList(PhoneListTable& table, SettingsStore& store, const StepRunner& run = {});

// Writes "RowCount" and every row of table, Null as "", removes the rows the
// store held beyond them, then syncs the store;
// a store that could not be written is a failure of its own, reported after
// every value was handed over.
void SavePhoneList(PhoneListTable& table, SettingsStore& store, const StepRunner& run = {});
