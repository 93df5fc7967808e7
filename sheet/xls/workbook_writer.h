#pragma once

// Serialises a model workbook into a BIFF8 Workbook stream (without the
// compound-file container).

#include "sheet/model/workbook.h"

#include <cstdint>
#include <vector>

namespace sheet::xls {

// The BIFF8 stream, padded with zeros to at least 4096 bytes. Throws
// std::invalid_argument for a workbook the format cannot hold (no sheet,
// a sheet name over 31 characters, a text over 32,767 characters, a header
// or footer over 255 characters).
std::vector<std::uint8_t> writeWorkbookStream(const Workbook& workbook);

} // namespace sheet::xls
