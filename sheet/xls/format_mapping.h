#pragma once

// Conversions between the model's units and codes and the file's: colour
// indexes, built-in number formats, column widths, twips and inches.

#include "sheet/model/workbook.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sheet::xls {

// Model ColorIndex 1..56 is palette entry c + 7 in the file; automatic has its own code per use.
std::uint16_t fileFontColor(ColorIndex c);   // automatic: 0x7FFF
std::uint8_t filePaletteColor(ColorIndex c); // automatic: 64
// File colour index back to the model: 8..63 and the eight fixed colours; anything else is automatic.
ColorIndex modelColor(unsigned icv);

// Index of a built-in number format with this code, if there is one (en-US codes).
std::optional<std::uint16_t> builtinFormatIndex(std::string_view code);
// Code of a built-in format index, or nothing for indexes without a fixed code.
std::optional<std::string> builtinFormatCode(std::uint16_t index);
inline constexpr std::uint16_t kFirstCustomFormat = 164;

// Column width in characters of the Normal font's digit (7 px at 96 dpi for Arial 10)
// to COLINFO units (1/256 character, 5 px padding included), and back. Widths on a
// whole pixel are stored exactly as Excel does; others keep their fraction, so reading
// gives back the same width to within 0.01.
std::uint16_t columnWidthToFile(double characters);
double columnWidthFromFile(std::uint16_t coldx);
inline constexpr std::uint16_t kDefaultColumnWidth = 2340; // 8.43 characters, 64 px

inline std::uint16_t pointsToTwips(double points) {
    const double t = points * 20 + 0.5;
    return !(t > 0) ? 0 : t >= 0x7FFF ? 0x7FFF : static_cast<std::uint16_t>(t);
}
inline double twipsToPoints(unsigned twips) {
    return twips / 20.0;
}
inline double pointsToInches(double points) {
    return points / 72;
}
// Rounded to 1/1000 point so that points -> inches -> points gives back the same double.
double inchesToPoints(double inches);

} // namespace sheet::xls
