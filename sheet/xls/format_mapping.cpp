#include "sheet/xls/format_mapping.h"

#include <array>
#include <cmath>
#include <utility>

namespace sheet::xls {
namespace {

constexpr double kDigitWidth = 7;  // px, Arial 10 at 96 dpi
constexpr double kCellPadding = 5; // px: 2 each side and the grid line

const std::array<std::pair<std::uint16_t, std::string_view>, 30> kBuiltinFormats{{
    {0, "General"},
    {1, "0"},
    {2, "0.00"},
    {3, "#,##0"},
    {4, "#,##0.00"},
    {9, "0%"},
    {10, "0.00%"},
    {11, "0.00E+00"},
    {12, "# ?/?"},
    {13, "# ?\?/??"},
    {14, "m/d/yy"},
    {15, "d-mmm-yy"},
    {16, "d-mmm"},
    {17, "mmm-yy"},
    {18, "h:mm AM/PM"},
    {19, "h:mm:ss AM/PM"},
    {20, "h:mm"},
    {21, "h:mm:ss"},
    {22, "m/d/yy h:mm"},
    {37, "#,##0 ;(#,##0)"},
    {38, "#,##0 ;[Red](#,##0)"},
    {39, "#,##0.00;(#,##0.00)"},
    {40, "#,##0.00;[Red](#,##0.00)"},
    {45, "mm:ss"},
    {46, "[h]:mm:ss"},
    {47, "mm:ss.0"},
    {48, "##0.0E+0"},
    {49, "@"},
    {0, "GENERAL"},
    {0, "general"},
}};

// The eight fixed colours 0..7 equal palette entries 1..8.
constexpr std::array<ColorIndex, 8> kFixedColors{1, 2, 3, 4, 5, 6, 7, 8};

} // namespace

std::uint16_t fileFontColor(ColorIndex c) {
    return c >= 1 && c <= kPaletteSize ? static_cast<std::uint16_t>(c + 7) : std::uint16_t{0x7FFF};
}

std::uint8_t filePaletteColor(ColorIndex c) {
    return c >= 1 && c <= kPaletteSize ? static_cast<std::uint8_t>(c + 7) : std::uint8_t{64};
}

ColorIndex modelColor(unsigned icv) {
    if (icv >= 8 && icv <= 63)
        return static_cast<ColorIndex>(icv - 7);
    if (icv < 8)
        return kFixedColors[icv];
    return kAutomatic;
}

std::optional<std::uint16_t> builtinFormatIndex(std::string_view code) {
    for (const auto& [index, text] : kBuiltinFormats)
        if (text == code)
            return index;
    return std::nullopt;
}

std::optional<std::string> builtinFormatCode(std::uint16_t index) {
    for (const auto& [i, text] : kBuiltinFormats)
        if (i == index)
            return std::string(text);
    return std::nullopt;
}

std::uint16_t columnWidthToFile(double w) {
    if (!(w > 0))
        return 0;
    double px;
    const double exact = w * kDigitWidth;
    if (w < 1)
        px = w * (kDigitWidth + kCellPadding);
    else if (std::abs(exact - std::round(exact)) < 0.04)
        px = std::round(exact) + kCellPadding; // on a whole pixel: store what Excel stores
    else
        px = exact + kCellPadding;
    const double coldx =
        std::abs(px - std::round(px)) < 1e-9 ? std::floor(px * 256 / kDigitWidth) : std::round(px * 256 / kDigitWidth);
    return coldx >= 0xFFFF ? std::uint16_t{0xFFFF} : static_cast<std::uint16_t>(coldx);
}

double columnWidthFromFile(std::uint16_t coldx) {
    const double px = coldx * kDigitWidth / 256;
    double w = px < kDigitWidth + kCellPadding ? px / (kDigitWidth + kCellPadding) : (px - kCellPadding) / kDigitWidth;
    const double wholePx = std::floor(px + 0.5);
    if (wholePx >= kDigitWidth + kCellPadding) {
        const double shown = std::floor((wholePx - kCellPadding) / kDigitWidth * 100 + 0.5) / 100;
        if (std::abs(shown - w) < 0.01)
            w = shown;
    }
    return std::round(w * 100) / 100;
}

double inchesToPoints(double inches) {
    if (!std::isfinite(inches))
        return 0;
    return std::round(inches * 72 * 1000) / 1000;
}

} // namespace sheet::xls
