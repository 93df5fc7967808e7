#pragma once

// The spreadsheet's default 56-colour palette, addressed by the object model's
// ColorIndex (1..56; the file stores the same colour as index + 7).

#include "sheet/model/workbook.h"

#include <QColor>

#include <array>
#include <cstdint>

namespace sheet {

// RGB of ColorIndex i + 1 (entry 0 is ColorIndex 1, black; entry 48 is ColorIndex 49, 003366).
extern const std::array<std::uint32_t, kPaletteSize> kDefaultPalette;

// Gridlines of cells without a fill (a light grey, lighter than palette grey 15 so
// that a grey border stays visible next to them).
inline constexpr std::uint32_t kGridlineRgb = 0xD4D4D4;

// The colour of ColorIndex 1..56; any other index (kAutomatic included) gives `automatic`.
QColor paletteColor(ColorIndex index, const QColor& automatic = QColor(0, 0, 0));

} // namespace sheet
