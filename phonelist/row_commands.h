#pragma once

// The row commands of the main window, apart from the window: insert an empty
// row below the selected one, delete the selected row, replace the list by
// empty rows. The selected row is the table's current row.
//
// Each command runs its statements as numbered steps of the handler's error
// trap, so a failure is reported with the handler's location and the command
// goes on as the handler always has:
//
//     ErrorTrap trap(QStringLiteral("Quorvel2021/08/31.Form1.PushButton2_Click "));
//     InsertBelowSelectedRow(trap, *gPhoneList);
//
// None of them writes the settings store.

#include <functional>

class ErrorTrap;
class PhoneListTable;
class SettingsStore;

// What a command needs of the window that shows the list.
struct ListWindow {
    // The window's redraw lock: false freezes its drawing, true lets it draw again.
    std::function<void(bool)> setRedraw;
    // Shows gPhoneList in the grid again after it was replaced.
    std::function<void()> rebind;
};

// The most rows insertBuffer holds: the list plus the inserted row must fit.
inline constexpr int kInsertBufferRows = 500;

// Appends a row and shifts every row below the current one down by one, so the
// empty row lands below it; the new row becomes current. Lists of more than
// kInsertBufferRows - 1 rows are refused.
void InsertBelowSelectedRow(ErrorTrap& trap, PhoneListTable& table);

// Asks (title "Question") whether to delete the current row of gPhoneList,
// deletes it on Yes and says "Row deleted.". The row that took its place becomes current.
void DeleteSelectedRow(ErrorTrap& trap, const ListWindow& window);

// Asks whether to clear the list; on Yes gPhoneList becomes a new table of as
// many empty rows as "RowCount" in store says, shown through window.rebind.
void DeleteAll(ErrorTrap& trap, SettingsStore& store, const ListWindow& window);
