#pragma once

// Conversions from the model's codes and units to the ones libxlsxwriter takes:
// palette colours as RGB, border line styles, alignment, built-in number formats,
// inches, and cell text as the file must hold it. Kept free of the library's
// header so that the writer's own headers stay plain.

#include "sheet/model/workbook.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sheet::xlsx {

// lxw_color_t of ColorIndex 1..56 from the default palette; nothing for automatic
// or an index outside the palette. Black comes back as the library's black
// marker, since an RGB of 0 means "no colour" to it.
std::optional<std::uint32_t> paletteColor(ColorIndex index);

// LXW_BORDER_* for a model line style (the file's codes 0..13); unknown codes
// draw as thin lines rather than vanish.
std::uint8_t borderStyle(std::uint8_t modelStyle);

// LXW_ALIGN_* for the alignment; nothing where the file's default applies
// (general horizontally, bottom vertically).
std::optional<std::uint8_t> horizontalAlign(HAlign align);
std::optional<std::uint8_t> verticalAlign(VAlign align);

// Index of the built-in number format with this en-US code, if there is one.
// "General" in any case is 0.
std::optional<std::uint8_t> builtinNumberFormat(std::string_view code);

inline double pointsToInches(double points) {
    return points / 72;
}

// The text with each malformed UTF-8 byte replaced by U+FFFD, for names, codes
// and headers.
std::string validUtf8(std::string_view utf8);

// Cell text as the file keeps it: valid UTF-8 (each malformed byte becomes U+FFFD)
// with NUL written as the file's _x0000_ escape and any literal "_xHHHH_" in the
// text protected by escaping its underscore, so readers do not decode it.
std::string fileText(std::string_view utf8);

// Length in UTF-16 code units, the unit of the file's 32,767-character cell limit.
std::size_t utf16Length(std::string_view utf8);

// "A1" style names of a zero-based column and cell, for messages.
std::string columnName(int column);
std::string cellName(int row, int column);

} // namespace sheet::xlsx
