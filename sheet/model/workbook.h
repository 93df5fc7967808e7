#pragma once

// Plain workbook data: what a sheet holds, independent of any file format,
// object model or painting. Standard C++ only, so the file-format code that
// builds on it stays free of Qt.
//
// Conventions used throughout:
//   - rows and columns are zero-based here (row 0 is sheet row 1, column 0 is "A");
//   - colour indexes are the object model's ColorIndex 1..56 (the file stores
//     them plus 7); kAutomatic (0) means the automatic colour for fonts and
//     borders and "no fill" for fills;
//   - text is UTF-8.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

namespace sheet {

inline constexpr int kMaxRows = 65536;
inline constexpr int kMaxColumns = 256;
inline constexpr int kPaletteSize = 56;

using ColorIndex = int;
inline constexpr ColorIndex kAutomatic = 0;

// Border line styles use the file format's codes (0 none, 1 thin, 2 medium, ...
// 13 slanted dash-dot); the object model's xlContinuous at default weight is 1.
inline constexpr std::uint8_t kLineNone = 0;
inline constexpr std::uint8_t kLineThin = 1;

struct Border {
    std::uint8_t style = kLineNone;
    ColorIndex color = kAutomatic;
    bool operator==(const Border&) const = default;
};

enum class Edge : int { Left = 0, Top = 1, Right = 2, Bottom = 3 };

enum class HAlign : std::uint8_t { General, Left, Center, Right, Fill, Justify, CenterAcross };
enum class VAlign : std::uint8_t { Top, Center, Bottom, Justify };

struct Font {
    std::string name = "Arial";
    double size = 10; // points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
    ColorIndex color = kAutomatic;
    bool operator==(const Font&) const = default;
};

struct CellFormat {
    Font font;
    ColorIndex fill = kAutomatic;    // solid fill in this colour; kAutomatic = no fill
    std::array<Border, 4> borders{}; // indexed by Edge
    HAlign hAlign = HAlign::General;
    VAlign vAlign = VAlign::Bottom;
    bool wrap = false;
    bool locked = true;
    bool hidden = false; // formula hidden
    std::string numberFormat = "General";
    bool operator==(const CellFormat&) const = default;

    Border& border(Edge e) { return borders[static_cast<int>(e)]; }
    const Border& border(Edge e) const { return borders[static_cast<int>(e)]; }
};

// Index into a workbook's FormatTable; 0 is always the default format.
using FormatId = std::uint32_t;

// Interned cell formats: equal formats share one id, so cells stay small and
// the file writer's deduplication is a lookup.
class FormatTable {
public:
    FormatTable();
    FormatId intern(const CellFormat& format);
    const CellFormat& get(FormatId id) const { return mFormats.at(id); }
    std::size_t size() const { return mFormats.size(); }

private:
    std::vector<CellFormat> mFormats;
    std::unordered_multimap<std::size_t, FormatId> mByHash;
};

std::size_t hashOf(const CellFormat& format);

using CellValue = std::variant<std::monostate, std::string, double>;

struct Cell {
    CellValue value; // monostate: a blank cell that only carries a format
    FormatId format = 0;

    bool isBlank() const { return std::holds_alternative<std::monostate>(value); }
    const std::string* text() const { return std::get_if<std::string>(&value); }
    const double* number() const { return std::get_if<double>(&value); }
};

struct Row {
    std::vector<Cell> cells;        // index = column; only up to the last cell present
    std::vector<bool> present;      // which entries of cells exist (same size as cells)
    std::optional<double> height;   // points; none = the sheet's default height
    bool customHeight = false;      // set explicitly (RowHeight) rather than auto-fitted
    std::optional<FormatId> format; // format of the whole row, for cells not present
};

struct CellRange {
    int firstRow = 0;
    int firstColumn = 0;
    int lastRow = 0;
    int lastColumn = 0;
    bool operator==(const CellRange&) const = default;
    bool contains(int row, int column) const {
        return row >= firstRow && row <= lastRow && column >= firstColumn && column <= lastColumn;
    }
};

struct Column {
    std::optional<double> width; // characters of the default font's digit (object-model ColumnWidth)
    FormatId format = 0;         // format of the whole column, for cells not present
    bool hidden = false;
    bool operator==(const Column&) const = default;
};

enum class Orientation : std::uint8_t { Portrait, Landscape };
enum class PrintComments : std::uint8_t { None, AtEnd, InPlace };

struct PageSetup {
    std::optional<CellRange> printArea;
    // Margins in points (the file stores inches).
    double leftMargin = 50.4;
    double rightMargin = 50.4;
    double topMargin = 54;
    double bottomMargin = 54;
    double headerMargin = 21.6;
    double footerMargin = 21.6;
    PrintComments printComments = PrintComments::None;
    Orientation orientation = Orientation::Portrait;
    int paperSize = 9;       // object-model code: 9 A4, 1 Letter
    bool fitToPages = false; // true: FitToPagesWide/Tall apply; false: zoom applies
    int zoom = 100;          // percent, 10..400
    int fitToPagesWide = 1;  // 0 = automatic
    int fitToPagesTall = 1;
    // Rows repeated at the top of every printed page (zero-based, inclusive): the
    // workbook's print titles. None: no rows repeat.
    std::optional<std::pair<int, int>> printTitleRows;
    // Header and footer as the file keeps them, with their section and field codes
    // ("&CPage &P of &N" is "Page 1 of 3" in the middle); empty: none.
    std::string header;
    std::string footer;
    bool operator==(const PageSetup&) const = default;
};

class Sheet {
public:
    explicit Sheet(std::string sheetName = "Sheet1") : name(std::move(sheetName)) {}

    std::string name;
    std::array<Column, kMaxColumns> columns{};
    std::vector<CellRange> merged;
    PageSetup pageSetup;
    double defaultRowHeight = 12.75; // points
    // View: the active cell and the selected ranges (zero-based).
    int activeRow = 0;
    int activeColumn = 0;
    std::vector<CellRange> selection{CellRange{}};

    // The cell at (row, column), or nullptr when none is stored.
    const Cell* cell(int row, int column) const;
    // The cell at (row, column), created blank (with the row's or column's format) when missing.
    Cell& cellAt(int row, int column);
    void removeCell(int row, int column);

    // Row data, or nullptr when the row holds nothing.
    const Row* row(int row) const;
    Row& rowAt(int row);
    // One past the last row index that has a Row entry.
    int rowCount() const { return static_cast<int>(mRows.size()); }

    // Format a cell shows: its own, else its row's, else its column's.
    FormatId effectiveFormat(int row, int column) const;

    // Drops every cell, row setting, merge and column format (what Clear on all cells does;
    // column widths and row heights stay).
    void clearAll();

private:
    std::vector<Row> mRows; // index = row
};

class Workbook {
public:
    Workbook() = default;
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    FormatTable formats;
    std::vector<std::unique_ptr<Sheet>> sheets;
    int activeSheet = 0; // index into sheets

    Sheet& addSheet(const std::string& name);
    Sheet& sheetAt(int index) { return *sheets.at(static_cast<std::size_t>(index)); }
    const Sheet& sheetAt(int index) const { return *sheets.at(static_cast<std::size_t>(index)); }
    int sheetCount() const { return static_cast<int>(sheets.size()); }
};

} // namespace sheet
