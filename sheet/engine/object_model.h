#pragma once

// The engine's object model: workbooks, sheets, ranges and their formatting,
// shaped after the automation object model that callers of a spreadsheet
// application know, over the plain data of sheet/model.
//
//     auto app = sheet::appFactory().create();
//     app->Workbooks().Add();
//     app->Cells().Select();
//     app->Selection().Font().setName("Century Gothic");     // whole sheet: column formats only
//     app->Range("B4:I4").Select();
//     app->Selection().Borders(om::xlEdgeTop).setLineStyle(om::xlContinuous);
//     app->ActiveCell().setFormulaR1C1("Last Name");
//     app->ActiveWorkbook().SaveAs("/tmp/out.xls", om::xlExcel8);
//     app->Quit();
//
// Objects here are light handles (a shared pointer to the instance's state and
// plain pointers into it). Every member checks that its instance has not quit
// and that its workbook and sheet still exist, and throws std::runtime_error
// otherwise. Their members are const because a handle is like a pointer: a setter
// changes the sheet, not the handle. Units: points for heights and margins,
// characters of the default font's digit for column widths, colour indexes 1..56
// of the default palette.
//
// Ranges that span every row or every column (Cells, Rows("1:5"), Columns("A:A"))
// format through the column and row formats of the model plus the cells already
// stored, so formatting the whole sheet costs what its stored cells cost.

#include "sheet/engine/constants.h"
#include "sheet/model/workbook.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace sheet::om {

namespace detail {
struct Core;
struct Book;
} // namespace detail

class Font;
class Interior;
class Border;
class RangeItems;
class Worksheet;

// A handle on one sheet of one workbook of one instance.
class SheetRef {
public:
    SheetRef() = default;
    SheetRef(std::shared_ptr<detail::Core> core, detail::Book* book, sheet::Sheet* sheet)
        : mCore(std::move(core)), mBook(book), mSheet(sheet) {}

    // The model behind the handle, after checking it is still alive. Throws otherwise.
    sheet::Sheet& model() const;
    sheet::Workbook& workbookModel() const;

protected:
    void check() const;

    std::shared_ptr<detail::Core> mCore;
    detail::Book* mBook = nullptr;
    sheet::Sheet* mSheet = nullptr;
};

// One or more rectangular areas of a sheet; also a selection, a row or column spec,
// a used range or an entire row. Copying a Range copies the handle, not the cells.
class Range : public SheetRef {
public:
    Range() = default;
    Range(SheetRef sheetRef, std::vector<CellRange> areas);

    const std::vector<CellRange>& areas() const { return mAreas; }

    // Makes the range the sheet's selection; the active cell becomes its first cell.
    void Select() const;
    // Removes contents and formats (column widths and row heights stay).
    void Clear() const;
    void ClearContents() const;
    // Merges each area into one cell, keeping the top-left value. A one-cell merge changes nothing.
    void Merge() const;
    void UnMerge() const;

    om::Font Font() const;
    om::Interior Interior() const;
    om::Border Borders(int edge) const;

    // Characters of the default font's digit, 0..255. Reads give the first column's.
    double ColumnWidth() const;
    void setColumnWidth(double width) const;
    // Points, 0..409. Setting it marks the rows' heights as custom.
    double RowHeight() const;
    void setRowHeight(double points) const;
    bool WrapText() const;
    void setWrapText(bool wrap) const;
    bool Locked() const;
    void setLocked(bool locked) const;
    bool FormulaHidden() const;
    void setFormulaHidden(bool hidden) const;

    // The first cell's content as typed text.
    std::string FormulaR1C1() const;
    // Enters text into every cell as typed input: a number only when it shows exactly
    // as typed ("12345", "-5"), otherwise the literal text; never a formula. Empty clears.
    void setFormulaR1C1(const std::string& text) const;
    // Enters text into every cell exactly as it stands, never as a number. Empty clears.
    void setText(const std::string& text) const;
    // Value = an array: one text per cell of the first area, row by row and left to
    // right, each entered as setText enters it (an empty text clears the cell). Hands a
    // whole table to the sheet in one call. Throws when the count does not match.
    void setTexts(std::vector<std::string> texts) const;
    // The first cell's stored value.
    CellValue Value() const;

    om::Range EntireRow() const;
    om::Range EntireColumn() const;
    // Rows (whole rows): each row's height from the text it holds, no longer custom.
    void AutoFit() const;

    om::RangeItems Rows() const;
    om::RangeItems Columns() const;
    om::Range Cells(int row, int column) const; // 1-based, relative to the first area
    // Sheet row and column number (1-based) of the first cell.
    int Row() const;
    int Column() const;
    long long Count() const; // cells
    // "$B$4:$I$4", areas joined by commas.
    std::string Address() const;
    om::Worksheet Worksheet() const;

    // Paints the first area and puts the picture on the clipboard, through the
    // hook the picture layer installs (setCopyPictureHook). Throws without one.
    void CopyPicture() const;

private:
    void enter(const CellValue& value, const char* property) const;
    std::vector<CellRange> mAreas;
};

// Rows or Columns of a range: Count and Item(i) from 1.
class RangeItems {
public:
    enum class Kind { Rows, Columns };
    RangeItems(Range range, Kind kind) : mRange(std::move(range)), mKind(kind) {}
    int Count() const;
    Range Item(int index) const;
    Range operator()(int index) const { return Item(index); }

private:
    Range mRange;
    Kind mKind;
};

// Font of a range. Reads give the first cell's value; writes apply to every cell.
class Font {
public:
    explicit Font(Range range) : mRange(std::move(range)) {}
    std::string Name() const;
    void setName(const std::string& name) const;
    double Size() const; // points
    void setSize(double points) const;
    // "Regular", "Bold", "Italic" or "Bold Italic".
    std::string FontStyle() const;
    // Bold when the text names bold, italic when it names italic or oblique, otherwise
    // regular ("Regular", "General", "Normal" ...); case does not matter.
    void setFontStyle(const std::string& style) const;
    bool Bold() const;
    void setBold(bool bold) const;
    bool Italic() const;
    void setItalic(bool italic) const;
    // 1..56, or xlColorIndexAutomatic (-4105).
    int ColorIndex() const;
    void setColorIndex(int index) const;

private:
    Range mRange;
};

// Fill of a range.
class Interior {
public:
    explicit Interior(Range range) : mRange(std::move(range)) {}
    // 1..56, or xlColorIndexNone (-4142) for no fill; xlColorIndexAutomatic also clears it.
    int ColorIndex() const;
    void setColorIndex(int index) const;

private:
    Range mRange;
};

// One edge of a range: xlEdgeLeft/Top/Bottom/Right for the outline, xlInsideVertical
// and xlInsideHorizontal for the lines between its cells.
//
// An edge that two cells share is stored on one side only, the side drawn last:
// drawing a cell's top edge clears the bottom edge of the cell above, and so on.
// So the line drawn later wins, and the file and any renderer agree on it.
// Inside edges are stored as the left and top edges of the cells right of and
// below each inner line.
class Border {
public:
    Border(Range range, int edge) : mRange(std::move(range)), mEdge(edge) {}
    // xlContinuous, xlDash, xlDot, xlDouble, xlDashDot, xlDashDotDot, xlSlantDashDot,
    // or xlLineStyleNone. Reads give the line on the first cell of the edge.
    int LineStyle() const;
    void setLineStyle(int style) const;
    // xlHairline, xlThin, xlMedium, xlThick.
    int Weight() const;
    void setWeight(int weight) const;
    // 1..56 or xlColorIndexAutomatic; an edge without a line gets a thin one.
    int ColorIndex() const;
    void setColorIndex(int index) const;

private:
    Range mRange;
    int mEdge;
};

// Page setup of a sheet. Margins in points.
class PageSetup : public SheetRef {
public:
    using SheetRef::SheetRef;
    explicit PageSetup(const SheetRef& ref) : SheetRef(ref) {}

    // "" for no print area, otherwise a one-area address.
    std::string PrintArea() const;
    void setPrintArea(const std::string& address) const;
    // Rows repeated at the top of every printed page: "$5:$5", "$5:$6"; "" for none.
    // The setter takes a rows-only reference ("5:6", "$5:$6"); "" clears; anything
    // else throws.
    std::string PrintTitleRows() const;
    void setPrintTitleRows(const std::string& rows) const;
    // The middle section of the page header and footer, with their field codes
    // ("Page &P of &N": page number and page count). The setter replaces that
    // section and keeps a left or right section read from a file; "" clears it.
    // Throws when the whole header or footer would exceed 255 characters.
    std::string CenterHeader() const;
    void setCenterHeader(const std::string& text) const;
    std::string CenterFooter() const;
    void setCenterFooter(const std::string& text) const;
    double LeftMargin() const;
    void setLeftMargin(double points) const;
    double RightMargin() const;
    void setRightMargin(double points) const;
    double TopMargin() const;
    void setTopMargin(double points) const;
    double BottomMargin() const;
    void setBottomMargin(double points) const;
    double HeaderMargin() const;
    void setHeaderMargin(double points) const;
    double FooterMargin() const;
    void setFooterMargin(double points) const;
    // xlPrintNoComments, xlPrintSheetEnd, xlPrintInPlace.
    int PrintComments() const;
    void setPrintComments(int mode) const;
    // xlPortrait or xlLandscape.
    int Orientation() const;
    void setOrientation(int orientation) const;
    // Paper code, 1..255 (xlPaperA4 = 9).
    int PaperSize() const;
    void setPaperSize(int paper) const;
    // A percentage 10..400, or none (False) when the page is fitted to FitToPages*.
    std::optional<int> Zoom() const;
    void setZoom(int percent) const;
    // Only False is meaningful: the page is then fitted to FitToPagesWide/Tall.
    void setZoom(bool zoom) const;
    int FitToPagesWide() const;
    void setFitToPagesWide(int pages) const;
    int FitToPagesTall() const;
    void setFitToPagesTall(int pages) const;

private:
    void setMargin(double sheet::PageSetup::*member, double points) const;
    void setCenterSection(std::string sheet::PageSetup::*member, const std::string& text, const char* what) const;
};

class Worksheet : public SheetRef {
public:
    using SheetRef::SheetRef;
    explicit Worksheet(const SheetRef& ref) : SheetRef(ref) {}

    std::string Name() const;
    // 1..31 characters, none of : \ / ? * [ ], unique in the workbook (case-insensitive).
    void setName(const std::string& name) const;
    // Makes the sheet the workbook's active sheet.
    void Select() const;
    void Activate() const { Select(); }
    // Removes the sheet. A workbook keeps at least one sheet.
    void Delete() const;
    int Index() const; // 1-based

    om::Range Range(const std::string& address) const;
    om::Range Cells() const;
    om::Range Cells(int row, int column) const; // 1-based
    om::Range Rows(const std::string& spec) const;
    om::Range Columns(const std::string& spec) const;
    // The smallest rectangle holding every stored cell with a value or a non-default
    // format and every row of custom height (counted from column A); A1 when empty.
    om::Range UsedRange() const;
    om::PageSetup PageSetup() const;
};

class Sheets {
public:
    Sheets(std::shared_ptr<detail::Core> core, detail::Book* book) : mCore(std::move(core)), mBook(book) {}
    int Count() const;
    Worksheet Item(int index) const; // from 1
    Worksheet operator()(int index) const { return Item(index); }
    // By name, case-insensitive.
    Worksheet Item(const std::string& name) const;
    // A new sheet after the last one, made active.
    Worksheet Add() const;

private:
    std::shared_ptr<detail::Core> mCore;
    detail::Book* mBook;
};

class Workbook {
public:
    Workbook(std::shared_ptr<detail::Core> core, detail::Book* book) : mCore(std::move(core)), mBook(book) {}

    // Writes an Excel 97-2003 workbook to path. fileFormat 56 (xlExcel8) and -4143
    // (xlWorkbookNormal) both write it; other codes throw.
    void SaveAs(const std::string& path, int fileFormat = xlExcel8) const;
    // Closes the workbook without asking; unsaved changes are dropped.
    void Close() const;
    std::string Name() const;
    std::string FullName() const;
    om::Sheets Sheets() const;
    om::Sheets Worksheets() const { return Sheets(); }
    Worksheet ActiveSheet() const;
    void Activate() const;
    sheet::Workbook& model() const;

private:
    void check() const;
    std::shared_ptr<detail::Core> mCore;
    detail::Book* mBook;
};

class Workbooks {
public:
    explicit Workbooks(std::shared_ptr<detail::Core> core) : mCore(std::move(core)) {}
    // A new workbook of three sheets "Sheet1".."Sheet3", made active.
    Workbook Add() const;
    // Reads an .xls file into a new workbook, made active.
    Workbook Open(const std::string& path) const;
    int Count() const;
    Workbook Item(int index) const; // from 1
    Workbook operator()(int index) const { return Item(index); }

private:
    std::shared_ptr<detail::Core> mCore;
};

// What CopyPicture does: the picture layer paints the range of the sheet and puts
// it on the clipboard. Installed once at start-up; nullptr removes it.
using CopyPictureHook = std::function<void(const sheet::Workbook&, const sheet::Sheet&, const CellRange&)>;
void setCopyPictureHook(CopyPictureHook hook);

} // namespace sheet::om
