#include "sheet/engine/object_model_detail.h"

#include "sheet/engine/constants.h"
#include "sheet/engine/format_ops.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <stdexcept>

namespace sheet::om {

namespace detail {

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

int toAutomaticIndex(sheet::ColorIndex c) {
    return c == kAutomatic ? xlColorIndexAutomatic : c;
}

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

const CellFormat& firstFormat(const Range& range) {
    const CellRange& a = range.areas().front();
    return range.workbookModel().formats.get(range.model().effectiveFormat(a.firstRow, a.firstColumn));
}

void applyToAll(const Range& range, const FormatEdit& edit) {
    sheet::Sheet& s = range.model();
    sheet::Workbook& wb = range.workbookModel();
    // One editor for all areas: a format the areas share is edited once.
    FormatEditor editor(wb, edit);
    for (const CellRange& a : range.areas())
        applyFormat(s, a, editor);
}

std::string fileNameOf(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

} // namespace detail

void setCopyPictureHook(CopyPictureHook hook) {
    detail::copyPictureHook() = std::move(hook);
}

} // namespace sheet::om
