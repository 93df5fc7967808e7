#pragma once

// The example rows that show a new user what a filled list looks like.

class ErrorTrap;
class PhoneListTable;

// True when none of the current row's fields holds a text other than "".
bool IsEmptyRow(PhoneListTable& table);

// Deletes the rows that hold nothing, then appends the three example rows.
// Rows with data keep their places. Each statement is a step of trap.
void LoadSampleData(ErrorTrap& trap, PhoneListTable& table);
