#pragma once

// Builds a model workbook from a BIFF8 Workbook stream (the compound-file
// container already removed).

#include "sheet/model/workbook.h"

#include <cstdint>
#include <memory>
#include <span>

namespace sheet::xls {

// Throws FormatError for anything it cannot read; unknown records are skipped.
std::unique_ptr<Workbook> readWorkbookStream(std::span<const std::uint8_t> stream);

} // namespace sheet::xls
