#pragma once

// How text entered into a cell is stored. Typed input never loses or changes a
// character: a text becomes a number only when the number shows exactly as the
// text did in the General format ("12345", "-5", "2.5"); everything else stays
// the literal text ("0123", "1e5", "2.50", "+5", "=A1", "1/2/2026"). Nothing
// becomes a formula.

#include "sheet/model/workbook.h"

#include <string_view>

namespace sheet::om {

// The value stored for typed text; monostate for an empty text.
CellValue typedInput(std::string_view text);

// How General shows a number: up to 11 characters, as a spreadsheet column of
// standard width does, digits without exponent where they fit.
std::string generalText(double value);

} // namespace sheet::om
