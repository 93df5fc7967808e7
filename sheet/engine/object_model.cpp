#include "sheet/engine/object_model.h"

#include "sheet/engine/address.h"
#include "sheet/engine/engine_core.h"
#include "sheet/engine/format_ops.h"
#include "sheet/engine/typed_input.h"
#include "sheet/render/sheet_render.h"
#include "sheet/xls/xls_io.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <charconv>
#include <filesystem>
#include <stdexcept>

namespace sheet::om {
namespace {

CopyPictureHook& copyPictureHook() {
    static CopyPictureHook hook;
    return hook;
}

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error(what);
}

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    return s;
}

std::string number(double v) {
    char buf[32];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    return ec == std::errc() ? std::string(buf, end) : std::string("?");
}

void checkPalette(int index, const char* what) {
    if (index < 1 || index > kPaletteSize)
        fail(std::string("Unable to set the ColorIndex property of the ") + what + " class: " + std::to_string(index) +
             " is not a colour index 1..56");
}

// Object-model colour index of a model colour, for fonts and borders.
int toAutomaticIndex(sheet::ColorIndex c) {
    return c == kAutomatic ? xlColorIndexAutomatic : c;
}

// Border line: object-model LineStyle and Weight against the file's style codes.
struct LineLook {
    int style;
    int weight;
};
LineLook lookOf(std::uint8_t code) {
    switch (code) {
    case 0:
        return {xlLineStyleNone, xlThin};
    case 1:
        return {xlContinuous, xlThin};
    case 2:
        return {xlContinuous, xlMedium};
    case 3:
        return {xlDash, xlThin};
    case 4:
        return {xlDot, xlThin};
    case 5:
        return {xlContinuous, xlThick};
    case 6:
        return {xlDouble, xlThick};
    case 7:
        return {xlContinuous, xlHairline};
    case 8:
        return {xlDash, xlMedium};
    case 9:
        return {xlDashDot, xlThin};
    case 10:
        return {xlDashDot, xlMedium};
    case 11:
        return {xlDashDotDot, xlThin};
    case 12:
        return {xlDashDotDot, xlMedium};
    default:
        return {xlSlantDashDot, xlMedium};
    }
}
std::uint8_t codeOf(int style, int weight) {
    const bool heavy = weight == xlMedium || weight == xlThick;
    switch (style) {
    case xlLineStyleNone:
        return kLineNone;
    case xlContinuous:
        return weight == xlHairline ? 7 : weight == xlMedium ? 2 : weight == xlThick ? 5 : 1;
    case xlDash:
        return heavy ? 8 : 3;
    case xlDot:
        return 4;
    case xlDouble:
        return 6;
    case xlDashDot:
        return heavy ? 10 : 9;
    case xlDashDotDot:
        return heavy ? 12 : 11;
    case xlSlantDashDot:
        return 13;
    default:
        fail("Unable to set the LineStyle property of the Border class: " + std::to_string(style));
    }
}

// One strip of cells whose edge a border call draws, and the neighbouring strip
// whose opposite edge it clears (the shared line is stored on the drawn side only).
struct EdgeStrip {
    CellRange own;
    Edge ownEdge;
    std::optional<CellRange> neighbour;
    Edge neighbourEdge;
};

std::optional<EdgeStrip> stripOf(const CellRange& a, int edge) {
    const auto above = [&](int row) -> std::optional<CellRange> {
        if (row < 0)
            return std::nullopt;
        return CellRange{row, a.firstColumn, row, a.lastColumn};
    };
    const auto leftOf = [&](int column) -> std::optional<CellRange> {
        if (column < 0)
            return std::nullopt;
        return CellRange{a.firstRow, column, a.lastRow, column};
    };
    switch (edge) {
    case xlEdgeTop:
        return EdgeStrip{
            {a.firstRow, a.firstColumn, a.firstRow, a.lastColumn}, Edge::Top, above(a.firstRow - 1), Edge::Bottom};
    case xlEdgeBottom: {
        std::optional<CellRange> below;
        if (a.lastRow + 1 < kMaxRows)
            below = CellRange{a.lastRow + 1, a.firstColumn, a.lastRow + 1, a.lastColumn};
        return EdgeStrip{{a.lastRow, a.firstColumn, a.lastRow, a.lastColumn}, Edge::Bottom, below, Edge::Top};
    }
    case xlEdgeLeft:
        return EdgeStrip{
            {a.firstRow, a.firstColumn, a.lastRow, a.firstColumn}, Edge::Left, leftOf(a.firstColumn - 1), Edge::Right};
    case xlEdgeRight: {
        std::optional<CellRange> right;
        if (a.lastColumn + 1 < kMaxColumns)
            right = CellRange{a.firstRow, a.lastColumn + 1, a.lastRow, a.lastColumn + 1};
        return EdgeStrip{{a.firstRow, a.lastColumn, a.lastRow, a.lastColumn}, Edge::Right, right, Edge::Left};
    }
    case xlInsideHorizontal:
        if (a.firstRow == a.lastRow)
            return std::nullopt;
        return EdgeStrip{{a.firstRow + 1, a.firstColumn, a.lastRow, a.lastColumn},
                         Edge::Top,
                         CellRange{a.firstRow, a.firstColumn, a.lastRow - 1, a.lastColumn},
                         Edge::Bottom};
    case xlInsideVertical:
        if (a.firstColumn == a.lastColumn)
            return std::nullopt;
        return EdgeStrip{{a.firstRow, a.firstColumn + 1, a.lastRow, a.lastColumn},
                         Edge::Left,
                         CellRange{a.firstRow, a.firstColumn, a.lastRow, a.lastColumn - 1},
                         Edge::Right};
    default:
        fail("Unable to get the Borders property of the Range class: edge " + std::to_string(edge) +
             " is not one of 7..12");
    }
}

// Model value of the first cell's format.
const CellFormat& firstFormat(const Range& range) {
    const CellRange& a = range.areas().front();
    return range.workbookModel().formats.get(range.model().effectiveFormat(a.firstRow, a.firstColumn));
}

constexpr long long kMaxFilledCells = 1 << 20;

std::string fileNameOf(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

} // namespace

void setCopyPictureHook(CopyPictureHook hook) {
    copyPictureHook() = std::move(hook);
}

// --- SheetRef ---

void SheetRef::check() const {
    if (!mCore)
        fail("Object variable not set");
    mCore->check();
    if (!mCore->owns(mBook))
        fail("The workbook of this object has been closed");
    const auto& sheets = mBook->model->sheets;
    if (std::none_of(sheets.begin(), sheets.end(), [&](const auto& s) { return s.get() == mSheet; }))
        fail("The sheet of this object has been deleted");
}

sheet::Sheet& SheetRef::model() const {
    check();
    return *mSheet;
}

sheet::Workbook& SheetRef::workbookModel() const {
    check();
    return *mBook->model;
}

// --- Range ---

Range::Range(SheetRef sheetRef, std::vector<CellRange> areas)
    : SheetRef(std::move(sheetRef)), mAreas(std::move(areas)) {
    if (mAreas.empty())
        fail("A range needs at least one area");
}

void Range::Select() const {
    sheet::Sheet& s = model();
    s.selection = mAreas;
    s.activeRow = mAreas.front().firstRow;
    s.activeColumn = mAreas.front().firstColumn;
}

void Range::Clear() const {
    sheet::Sheet& s = model();
    for (const CellRange& a : mAreas)
        clearArea(s, a);
}

void Range::ClearContents() const {
    sheet::Sheet& s = model();
    for (const CellRange& a : mAreas)
        clearContents(s, a);
}

void Range::Merge() const {
    sheet::Sheet& s = model();
    for (const CellRange& a : mAreas) {
        if (a.firstRow == a.lastRow && a.firstColumn == a.lastColumn)
            continue;
        std::erase_if(s.merged, [&](const CellRange& m) {
            return m.firstRow <= a.lastRow && a.firstRow <= m.lastRow && m.firstColumn <= a.lastColumn &&
                   a.firstColumn <= m.lastColumn;
        });
        // The merged cell keeps the top-left value only.
        const CellValue kept =
            s.cell(a.firstRow, a.firstColumn) ? s.cell(a.firstRow, a.firstColumn)->value : CellValue{};
        clearContents(s, a);
        if (!std::holds_alternative<std::monostate>(kept))
            s.cellAt(a.firstRow, a.firstColumn).value = kept;
        s.merged.push_back(a);
    }
}

void Range::UnMerge() const {
    sheet::Sheet& s = model();
    for (const CellRange& a : mAreas)
        std::erase_if(s.merged, [&](const CellRange& m) {
            return m.firstRow <= a.lastRow && a.firstRow <= m.lastRow && m.firstColumn <= a.lastColumn &&
                   a.firstColumn <= m.lastColumn;
        });
}

om::Font Range::Font() const {
    return om::Font(*this);
}
om::Interior Range::Interior() const {
    return om::Interior(*this);
}
om::Border Range::Borders(int edge) const {
    if (edge < xlDiagonalDown || edge > xlInsideHorizontal || edge == xlDiagonalUp || edge == xlDiagonalDown)
        fail("Unable to get the Borders property of the Range class: edge " + std::to_string(edge) +
             " is not one of 7..12");
    return om::Border(*this, edge);
}

double Range::ColumnWidth() const {
    const auto& w = model().columns[static_cast<std::size_t>(mAreas.front().firstColumn)].width;
    return w.value_or(8.43);
}

void Range::setColumnWidth(double width) const {
    if (!(width >= 0 && width <= 255))
        fail("Unable to set the ColumnWidth property of the Range class: " + number(width) +
             " is outside 0..255 characters");
    sheet::Sheet& s = model();
    for (const CellRange& a : mAreas)
        for (int c = a.firstColumn; c <= a.lastColumn; ++c)
            s.columns[static_cast<std::size_t>(c)].width = width;
}

double Range::RowHeight() const {
    const sheet::Sheet& s = model();
    const sheet::Row* row = s.row(mAreas.front().firstRow);
    return row && row->height ? *row->height : s.defaultRowHeight;
}

void Range::setRowHeight(double points) const {
    if (!(points >= 0 && points <= 409))
        fail("Unable to set the RowHeight property of the Range class: " + number(points) +
             " is outside 0..409 points");
    sheet::Sheet& s = model();
    for (const CellRange& a : mAreas) {
        if (a.firstRow == 0 && a.lastRow == kMaxRows - 1) {
            // Every row: the default height changes rather than 65,536 row entries.
            s.defaultRowHeight = points;
            for (int r = 0; r < s.rowCount(); ++r) {
                s.rowAt(r).height.reset();
                s.rowAt(r).customHeight = false;
            }
            continue;
        }
        for (int r = a.firstRow; r <= a.lastRow; ++r) {
            sheet::Row& row = s.rowAt(r);
            row.height = points;
            row.customHeight = true;
        }
    }
}

namespace {
void applyToAll(const Range& range, const FormatEdit& edit) {
    sheet::Sheet& s = range.model();
    sheet::Workbook& wb = range.workbookModel();
    for (const CellRange& a : range.areas())
        applyFormat(wb, s, a, edit);
}
} // namespace

bool Range::WrapText() const {
    return firstFormat(*this).wrap;
}
void Range::setWrapText(bool wrap) const {
    applyToAll(*this, [wrap](CellFormat& f) { f.wrap = wrap; });
}
bool Range::Locked() const {
    return firstFormat(*this).locked;
}
void Range::setLocked(bool locked) const {
    applyToAll(*this, [locked](CellFormat& f) { f.locked = locked; });
}
bool Range::FormulaHidden() const {
    return firstFormat(*this).hidden;
}
void Range::setFormulaHidden(bool hidden) const {
    applyToAll(*this, [hidden](CellFormat& f) { f.hidden = hidden; });
}

std::string Range::FormulaR1C1() const {
    const CellRange& a = mAreas.front();
    const sheet::Cell* cell = model().cell(a.firstRow, a.firstColumn);
    if (!cell)
        return {};
    if (const std::string* text = cell->text())
        return *text;
    if (const double* n = cell->number())
        return generalText(*n);
    return {};
}

void Range::setFormulaR1C1(const std::string& text) const {
    enter(typedInput(text), "FormulaR1C1");
}

void Range::setText(const std::string& text) const {
    enter(text.empty() ? CellValue{} : CellValue{text}, "Text");
}

void Range::enter(const CellValue& value, const char* property) const {
    sheet::Sheet& s = model();
    if (std::holds_alternative<std::monostate>(value)) {
        ClearContents();
        return;
    }
    if (Count() > kMaxFilledCells)
        fail(std::string("Unable to set the ") + property +
             " property of the Range class: the range has too many cells");
    for (const CellRange& a : mAreas)
        for (int r = a.firstRow; r <= a.lastRow; ++r)
            for (int c = a.firstColumn; c <= a.lastColumn; ++c)
                s.cellAt(r, c).value = value;
}

CellValue Range::Value() const {
    const CellRange& a = mAreas.front();
    const sheet::Cell* cell = model().cell(a.firstRow, a.firstColumn);
    return cell ? cell->value : CellValue{};
}

om::Range Range::EntireRow() const {
    std::vector<CellRange> rows;
    for (const CellRange& a : mAreas)
        rows.push_back({a.firstRow, 0, a.lastRow, kMaxColumns - 1});
    return om::Range(*this, rows);
}

om::Range Range::EntireColumn() const {
    std::vector<CellRange> columns;
    for (const CellRange& a : mAreas)
        columns.push_back({0, a.firstColumn, kMaxRows - 1, a.lastColumn});
    return om::Range(*this, columns);
}

void Range::AutoFit() const {
    sheet::Sheet& s = model();
    const sheet::Workbook& wb = workbookModel();
    for (const CellRange& a : mAreas) {
        if (!spansAllColumns(a))
            fail("AutoFit method of Range class failed: only whole rows are fitted");
        const int last = std::min(a.lastRow, s.rowCount() - 1);
        for (int r = a.firstRow; r <= last; ++r) {
            const double h = autoFitRowHeight(wb, s, r);
            sheet::Row& row = s.rowAt(r);
            row.height = h;
            row.customHeight = false;
        }
    }
}

om::RangeItems Range::Rows() const {
    return RangeItems(*this, RangeItems::Kind::Rows);
}
om::RangeItems Range::Columns() const {
    return RangeItems(*this, RangeItems::Kind::Columns);
}

om::Range Range::Cells(int row, int column) const {
    const CellRange& a = mAreas.front();
    const int r = a.firstRow + row - 1;
    const int c = a.firstColumn + column - 1;
    if (r < 0 || r >= kMaxRows || c < 0 || c >= kMaxColumns)
        fail("Cells(" + std::to_string(row) + ", " + std::to_string(column) + ") lies outside the sheet");
    return om::Range(*this, {CellRange{r, c, r, c}});
}

int Range::Row() const {
    check();
    return mAreas.front().firstRow + 1;
}
int Range::Column() const {
    check();
    return mAreas.front().firstColumn + 1;
}

long long Range::Count() const {
    long long n = 0;
    for (const CellRange& a : mAreas)
        n += static_cast<long long>(a.lastRow - a.firstRow + 1) * (a.lastColumn - a.firstColumn + 1);
    return n;
}

std::string Range::Address() const {
    std::string s;
    for (const CellRange& a : mAreas)
        s += (s.empty() ? "" : ",") + formatAddress(a);
    return s;
}

om::Worksheet Range::Worksheet() const {
    check();
    return om::Worksheet(static_cast<const SheetRef&>(*this));
}

void Range::CopyPicture() const {
    const sheet::Sheet& s = model();
    const CopyPictureHook& hook = copyPictureHook();
    if (!hook)
        fail("CopyPicture method of Range class failed: no picture support is installed");
    hook(workbookModel(), s, mAreas.front());
}

// --- RangeItems ---

int RangeItems::Count() const {
    const CellRange& a = mRange.areas().front();
    mRange.model();
    return mKind == Kind::Rows ? a.lastRow - a.firstRow + 1 : a.lastColumn - a.firstColumn + 1;
}

Range RangeItems::Item(int index) const {
    if (index < 1 || index > Count())
        fail("Item " + std::to_string(index) + " is outside 1.." + std::to_string(Count()));
    CellRange a = mRange.areas().front();
    if (mKind == Kind::Rows)
        a.firstRow = a.lastRow = a.firstRow + index - 1;
    else
        a.firstColumn = a.lastColumn = a.firstColumn + index - 1;
    return Range(mRange, {a});
}

// --- Font ---

std::string Font::Name() const {
    return firstFormat(mRange).font.name;
}
void Font::setName(const std::string& name) const {
    if (name.empty() || name.size() > 255)
        fail("Unable to set the Name property of the Font class: a font name has 1..255 characters");
    applyToAll(mRange, [&name](CellFormat& f) { f.font.name = name; });
}
double Font::Size() const {
    return firstFormat(mRange).font.size;
}
void Font::setSize(double points) const {
    if (!(points >= 1 && points <= 409))
        fail("Unable to set the Size property of the Font class: " + number(points) + " is outside 1..409 points");
    applyToAll(mRange, [points](CellFormat& f) { f.font.size = points; });
}
std::string Font::FontStyle() const {
    const sheet::Font& f = firstFormat(mRange).font;
    if (f.bold && f.italic)
        return "Bold Italic";
    return f.bold ? "Bold" : f.italic ? "Italic" : "Regular";
}
void Font::setFontStyle(const std::string& style) const {
    const std::string s = lower(style);
    const bool bold = s.find("bold") != std::string::npos;
    const bool italic = s.find("italic") != std::string::npos || s.find("oblique") != std::string::npos;
    applyToAll(mRange, [bold, italic](CellFormat& f) {
        f.font.bold = bold;
        f.font.italic = italic;
    });
}
bool Font::Bold() const {
    return firstFormat(mRange).font.bold;
}
void Font::setBold(bool bold) const {
    applyToAll(mRange, [bold](CellFormat& f) { f.font.bold = bold; });
}
bool Font::Italic() const {
    return firstFormat(mRange).font.italic;
}
void Font::setItalic(bool italic) const {
    applyToAll(mRange, [italic](CellFormat& f) { f.font.italic = italic; });
}
int Font::ColorIndex() const {
    return toAutomaticIndex(firstFormat(mRange).font.color);
}
void Font::setColorIndex(int index) const {
    if (index != xlColorIndexAutomatic)
        checkPalette(index, "Font");
    const sheet::ColorIndex c = index == xlColorIndexAutomatic ? kAutomatic : index;
    applyToAll(mRange, [c](CellFormat& f) { f.font.color = c; });
}

// --- Interior ---

int Interior::ColorIndex() const {
    const sheet::ColorIndex c = firstFormat(mRange).fill;
    return c == kAutomatic ? xlColorIndexNone : c;
}
void Interior::setColorIndex(int index) const {
    if (index != xlColorIndexNone && index != xlColorIndexAutomatic)
        checkPalette(index, "Interior");
    const sheet::ColorIndex c = index < 0 ? kAutomatic : index;
    applyToAll(mRange, [c](CellFormat& f) { f.fill = c; });
}

// --- Border ---

namespace {

// The line showing on an edge of the range's first area: the drawn side, else its neighbour's.
sheet::Border shownLine(const Range& range, int edge) {
    const auto strip = stripOf(range.areas().front(), edge);
    if (!strip)
        return {};
    const sheet::Sheet& s = range.model();
    const FormatTable& formats = range.workbookModel().formats;
    const sheet::Border own =
        formats.get(s.effectiveFormat(strip->own.firstRow, strip->own.firstColumn)).border(strip->ownEdge);
    if (own.style != kLineNone || !strip->neighbour)
        return own;
    return formats.get(s.effectiveFormat(strip->neighbour->firstRow, strip->neighbour->firstColumn))
        .border(strip->neighbourEdge);
}

void drawLine(const Range& range, int edge, const std::function<void(sheet::Border&)>& edit) {
    sheet::Sheet& s = range.model();
    sheet::Workbook& wb = range.workbookModel();
    for (const CellRange& a : range.areas()) {
        const auto strip = stripOf(a, edge);
        if (!strip)
            continue;
        const Edge ownEdge = strip->ownEdge;
        applyFormat(wb, s, strip->own, [&](CellFormat& f) { edit(f.border(ownEdge)); });
        if (strip->neighbour) {
            const Edge other = strip->neighbourEdge;
            applyFormat(wb, s, *strip->neighbour, [other](CellFormat& f) { f.border(other) = {}; });
        }
    }
}

} // namespace

int Border::LineStyle() const {
    return lookOf(shownLine(mRange, mEdge).style).style;
}
void Border::setLineStyle(int style) const {
    const std::uint8_t probe = codeOf(style, xlThin); // validates before anything changes
    (void)probe;
    drawLine(mRange, mEdge, [style](sheet::Border& b) {
        const int weight = b.style == kLineNone ? xlThin : lookOf(b.style).weight;
        b.style = codeOf(style, weight);
        if (b.style == kLineNone)
            b.color = kAutomatic;
    });
}
int Border::Weight() const {
    return lookOf(shownLine(mRange, mEdge).style).weight;
}
void Border::setWeight(int weight) const {
    if (weight != xlHairline && weight != xlThin && weight != xlMedium && weight != xlThick)
        fail("Unable to set the Weight property of the Border class: " + std::to_string(weight));
    drawLine(mRange, mEdge, [weight](sheet::Border& b) {
        const int style = b.style == kLineNone ? xlContinuous : lookOf(b.style).style;
        b.style = codeOf(style, weight);
    });
}
int Border::ColorIndex() const {
    return toAutomaticIndex(shownLine(mRange, mEdge).color);
}
void Border::setColorIndex(int index) const {
    if (index == xlColorIndexNone) {
        setLineStyle(xlLineStyleNone);
        return;
    }
    if (index != xlColorIndexAutomatic)
        checkPalette(index, "Border");
    const sheet::ColorIndex c = index == xlColorIndexAutomatic ? kAutomatic : index;
    drawLine(mRange, mEdge, [c](sheet::Border& b) {
        if (b.style == kLineNone)
            b.style = kLineThin;
        b.color = c;
    });
}

// --- PageSetup ---

std::string PageSetup::PrintArea() const {
    const auto& area = model().pageSetup.printArea;
    return area ? formatAddress(*area) : std::string();
}
void PageSetup::setPrintArea(const std::string& address) const {
    sheet::Sheet& s = model();
    if (address.empty()) {
        s.pageSetup.printArea.reset();
        return;
    }
    const auto areas = parseAddress(address);
    if (areas.size() != 1)
        fail("Unable to set the PrintArea property of the PageSetup class: one area only");
    s.pageSetup.printArea = areas.front();
}

void PageSetup::setMargin(double sheet::PageSetup::*member, double points) const {
    // The file keeps margins in inches below 100; the page itself is smaller still.
    if (!(points >= 0 && points < 100 * 72))
        fail("Unable to set a margin of the PageSetup class: " + number(points) + " points is out of range");
    model().pageSetup.*member = points;
}
double PageSetup::LeftMargin() const {
    return model().pageSetup.leftMargin;
}
void PageSetup::setLeftMargin(double points) const {
    setMargin(&sheet::PageSetup::leftMargin, points);
}
double PageSetup::RightMargin() const {
    return model().pageSetup.rightMargin;
}
void PageSetup::setRightMargin(double points) const {
    setMargin(&sheet::PageSetup::rightMargin, points);
}
double PageSetup::TopMargin() const {
    return model().pageSetup.topMargin;
}
void PageSetup::setTopMargin(double points) const {
    setMargin(&sheet::PageSetup::topMargin, points);
}
double PageSetup::BottomMargin() const {
    return model().pageSetup.bottomMargin;
}
void PageSetup::setBottomMargin(double points) const {
    setMargin(&sheet::PageSetup::bottomMargin, points);
}
double PageSetup::HeaderMargin() const {
    return model().pageSetup.headerMargin;
}
void PageSetup::setHeaderMargin(double points) const {
    setMargin(&sheet::PageSetup::headerMargin, points);
}
double PageSetup::FooterMargin() const {
    return model().pageSetup.footerMargin;
}
void PageSetup::setFooterMargin(double points) const {
    setMargin(&sheet::PageSetup::footerMargin, points);
}

int PageSetup::PrintComments() const {
    switch (model().pageSetup.printComments) {
    case sheet::PrintComments::AtEnd:
        return xlPrintSheetEnd;
    case sheet::PrintComments::InPlace:
        return xlPrintInPlace;
    default:
        return xlPrintNoComments;
    }
}
void PageSetup::setPrintComments(int mode) const {
    sheet::PageSetup& p = model().pageSetup;
    if (mode == xlPrintNoComments)
        p.printComments = sheet::PrintComments::None;
    else if (mode == xlPrintSheetEnd)
        p.printComments = sheet::PrintComments::AtEnd;
    else if (mode == xlPrintInPlace)
        p.printComments = sheet::PrintComments::InPlace;
    else
        fail("Unable to set the PrintComments property of the PageSetup class: " + std::to_string(mode));
}
int PageSetup::Orientation() const {
    return model().pageSetup.orientation == sheet::Orientation::Landscape ? xlLandscape : xlPortrait;
}
void PageSetup::setOrientation(int orientation) const {
    if (orientation != xlPortrait && orientation != xlLandscape)
        fail("Unable to set the Orientation property of the PageSetup class: " + std::to_string(orientation));
    model().pageSetup.orientation =
        orientation == xlLandscape ? sheet::Orientation::Landscape : sheet::Orientation::Portrait;
}
int PageSetup::PaperSize() const {
    return model().pageSetup.paperSize;
}
void PageSetup::setPaperSize(int paper) const {
    if (paper < 1 || paper > 255)
        fail("Unable to set the PaperSize property of the PageSetup class: " + std::to_string(paper));
    model().pageSetup.paperSize = paper;
}
std::optional<int> PageSetup::Zoom() const {
    const sheet::PageSetup& p = model().pageSetup;
    return p.fitToPages ? std::nullopt : std::optional<int>(p.zoom);
}
void PageSetup::setZoom(int percent) const {
    if (percent < 10 || percent > 400)
        fail("Unable to set the Zoom property of the PageSetup class: " + std::to_string(percent) +
             " is outside 10..400");
    sheet::PageSetup& p = model().pageSetup;
    p.zoom = percent;
    p.fitToPages = false;
}
void PageSetup::setZoom(bool zoom) const {
    if (zoom)
        fail("Unable to set the Zoom property of the PageSetup class: True is not a zoom");
    model().pageSetup.fitToPages = true;
}
int PageSetup::FitToPagesWide() const {
    return model().pageSetup.fitToPagesWide;
}
void PageSetup::setFitToPagesWide(int pages) const {
    if (pages < 0 || pages > 32767)
        fail("Unable to set the FitToPagesWide property of the PageSetup class: " + std::to_string(pages));
    model().pageSetup.fitToPagesWide = pages;
}
int PageSetup::FitToPagesTall() const {
    return model().pageSetup.fitToPagesTall;
}
void PageSetup::setFitToPagesTall(int pages) const {
    if (pages < 0 || pages > 32767)
        fail("Unable to set the FitToPagesTall property of the PageSetup class: " + std::to_string(pages));
    model().pageSetup.fitToPagesTall = pages;
}

// --- Worksheet ---

std::string Worksheet::Name() const {
    return model().name;
}

void Worksheet::setName(const std::string& name) const {
    sheet::Sheet& s = model();
    if (name.empty() || name.size() > 31 || name.find_first_of(":\\/?*[]") != std::string::npos)
        fail("Unable to set the Name property of the Worksheet class: \"" + name +
             "\" is not a sheet name (1..31 characters, none of : \\ / ? * [ ])");
    for (const auto& other : mBook->model->sheets)
        if (other.get() != &s && lower(other->name) == lower(name))
            fail("Unable to set the Name property of the Worksheet class: \"" + name + "\" is taken");
    s.name = name;
}

void Worksheet::Select() const {
    model();
    mBook->model->activeSheet = Index() - 1;
}

void Worksheet::Delete() const {
    model();
    sheet::Workbook& wb = *mBook->model;
    if (wb.sheetCount() == 1)
        fail("Delete method of Worksheet class failed: a workbook must keep at least one sheet");
    const int index = Index() - 1;
    wb.sheets.erase(wb.sheets.begin() + index);
    if (wb.activeSheet > index || wb.activeSheet >= wb.sheetCount())
        wb.activeSheet = std::max(0, wb.activeSheet - 1);
}

int Worksheet::Index() const {
    model();
    const auto& sheets = mBook->model->sheets;
    for (std::size_t i = 0; i < sheets.size(); ++i)
        if (sheets[i].get() == mSheet)
            return static_cast<int>(i) + 1;
    return 0;
}

om::Range Worksheet::Range(const std::string& address) const {
    check();
    return om::Range(*this, parseAddress(address));
}
om::Range Worksheet::Cells() const {
    check();
    return om::Range(*this, {CellRange{0, 0, kMaxRows - 1, kMaxColumns - 1}});
}
om::Range Worksheet::Cells(int row, int column) const {
    return Cells().Cells(row, column);
}

om::Range Worksheet::Rows(const std::string& spec) const {
    check();
    auto areas = parseAddress(spec);
    for (CellRange& a : areas)
        a = {a.firstRow, 0, a.lastRow, kMaxColumns - 1};
    return om::Range(*this, areas);
}
om::Range Worksheet::Columns(const std::string& spec) const {
    check();
    auto areas = parseAddress(spec);
    for (CellRange& a : areas)
        a = {0, a.firstColumn, kMaxRows - 1, a.lastColumn};
    return om::Range(*this, areas);
}

om::Range Worksheet::UsedRange() const {
    const auto used = usedArea(model());
    return om::Range(*this, {used.value_or(CellRange{})});
}

om::PageSetup Worksheet::PageSetup() const {
    check();
    return om::PageSetup(static_cast<const SheetRef&>(*this));
}

// --- Sheets ---

int Sheets::Count() const {
    mCore->check();
    if (!mCore->owns(mBook))
        fail("The workbook of this object has been closed");
    return mBook->model->sheetCount();
}

Worksheet Sheets::Item(int index) const {
    const int count = Count();
    if (index < 1 || index > count)
        fail("Subscript out of range: sheet " + std::to_string(index) + " of " + std::to_string(count));
    return Worksheet(mCore, mBook, mBook->model->sheets[static_cast<std::size_t>(index - 1)].get());
}

Worksheet Sheets::Item(const std::string& name) const {
    Count();
    for (const auto& s : mBook->model->sheets)
        if (lower(s->name) == lower(name))
            return Worksheet(mCore, mBook, s.get());
    fail("Subscript out of range: no sheet \"" + name + "\"");
}

Worksheet Sheets::Add() const {
    Count();
    sheet::Workbook& wb = *mBook->model;
    int n = wb.sheetCount() + 1;
    const auto taken = [&](const std::string& name) {
        return std::any_of(wb.sheets.begin(), wb.sheets.end(),
                           [&](const auto& s) { return lower(s->name) == lower(name); });
    };
    while (taken("Sheet" + std::to_string(n)))
        ++n;
    sheet::Sheet& s = wb.addSheet("Sheet" + std::to_string(n));
    wb.activeSheet = wb.sheetCount() - 1;
    return Worksheet(mCore, mBook, &s);
}

// --- Workbook ---

void Workbook::check() const {
    if (!mCore)
        fail("Object variable not set");
    mCore->check();
    if (!mCore->owns(mBook))
        fail("The workbook has been closed");
}

sheet::Workbook& Workbook::model() const {
    check();
    return *mBook->model;
}

void Workbook::SaveAs(const std::string& path, int fileFormat) const {
    check();
    if (fileFormat != xlExcel8 && fileFormat != xlWorkbookNormal)
        fail("SaveAs method of Workbook class failed: file format " + std::to_string(fileFormat) +
             " is not supported (56 or -4143)");
    if (path.empty())
        fail("SaveAs method of Workbook class failed: no file name");
    xls::writeFile(*mBook->model, path);
    mBook->fullName = path;
    mBook->name = fileNameOf(path);
}

void Workbook::Close() const {
    check();
    auto& books = mCore->books;
    const auto it = std::find_if(books.begin(), books.end(),
                                 [&](const std::unique_ptr<detail::Book>& b) { return b.get() == mBook; });
    books.erase(it);
    if (mCore->active == mBook)
        mCore->active = books.empty() ? nullptr : books.back().get();
}

std::string Workbook::Name() const {
    check();
    return mBook->name;
}
std::string Workbook::FullName() const {
    check();
    return mBook->fullName.empty() ? mBook->name : mBook->fullName;
}

om::Sheets Workbook::Sheets() const {
    check();
    return om::Sheets(mCore, mBook);
}

Worksheet Workbook::ActiveSheet() const {
    check();
    sheet::Workbook& wb = *mBook->model;
    const int index = std::clamp(wb.activeSheet, 0, wb.sheetCount() - 1);
    return Worksheet(mCore, mBook, wb.sheets.at(static_cast<std::size_t>(index)).get());
}

void Workbook::Activate() const {
    check();
    mCore->active = mBook;
}

// --- Workbooks ---

Workbook Workbooks::Add() const {
    mCore->check();
    auto book = std::make_unique<detail::Book>();
    book->model = std::make_unique<sheet::Workbook>();
    for (int i = 1; i <= 3; ++i)
        book->model->addSheet("Sheet" + std::to_string(i));
    book->name = "Book" + std::to_string(++mCore->booksAdded);
    mCore->books.push_back(std::move(book));
    mCore->active = mCore->books.back().get();
    return Workbook(mCore, mCore->active);
}

Workbook Workbooks::Open(const std::string& path) const {
    mCore->check();
    auto book = std::make_unique<detail::Book>();
    book->model = xls::readFile(path);
    if (!book->model || book->model->sheetCount() == 0)
        fail("Open method of Workbooks class failed: \"" + path + "\" holds no sheet");
    book->fullName = path;
    book->name = fileNameOf(path);
    mCore->books.push_back(std::move(book));
    mCore->active = mCore->books.back().get();
    return Workbook(mCore, mCore->active);
}

int Workbooks::Count() const {
    mCore->check();
    return static_cast<int>(mCore->books.size());
}

Workbook Workbooks::Item(int index) const {
    const int count = Count();
    if (index < 1 || index > count)
        fail("Subscript out of range: workbook " + std::to_string(index) + " of " + std::to_string(count));
    return Workbook(mCore, mCore->books[static_cast<std::size_t>(index - 1)].get());
}

} // namespace sheet::om
