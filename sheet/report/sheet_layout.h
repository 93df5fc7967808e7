#pragma once

// The phone-list sheet: drawn on the active sheet of the build instance
// (OrganizationalTelephoneList::mReportApp) through the engine's object model,
// one select-and-format step at a time, the way the sheet was always laid out;
// only the data rows go to the sheet as one block, since a long list would
// otherwise spend its time in per-cell calls.

#include <QString>

#include <optional>
#include <string>

namespace OrganizationalTelephoneList {

// The title the sheet is headed with: gSheetTitle when set, else the stored
// "Title", else the layout's own "Our Organization's Telephone List".
QString SheetTitle();
// Set by a caller that brings its own title (the export command's --title).
extern std::optional<QString> gSheetTitle;

// Lays out the whole sheet from gPhoneList and the stored "Last Updated" value.
// kind is accepted and ignored. No error trap: the first failure ends the layout
// and reaches the caller. The table's current row is the same before and after.
void BuildPhoneListSheet(int kind);

// Selects range, enters text as typed input into the active cell, merges when asked.
void WriteCell(const std::string& range, const QString& text, bool merge);
// FontStyle, Size (points) and ColorIndex of the selection's font, in that order.
void SetSelectionFont(const std::string& style, double size, int colorIndex);
// Selects range unless it is empty, then fills the selection.
void SetRangeFill(const std::string& range, int colorIndex);
// Selects range unless it is empty, then draws the flagged edges (continuous, thin)
// in the order left, top, bottom, right, inside horizontal, inside vertical.
void SetRangeBorders(const std::string& range, bool insideHorizontal, bool left, bool right, bool top, bool bottom,
                     bool insideVertical, int colorIndex);
// One edge (xlEdgeLeft ... xlInsideHorizontal) of the selection: continuous line in colorIndex.
void SetBorderEdge(int edge, int colorIndex);
// Width in characters of the columns spec ("A:A").
void SetColumnWidth(const std::string& columns, double width);
// Height in points of the rows spec ("1:1").
void SetRowHeight(const std::string& rows, double height);
// Landscape A4, fitted to one page, with the sheet's margins.
void SetupPageLayout();

} // namespace OrganizationalTelephoneList
