#pragma once

// The whole model through the library into an .xlsx file of a given name.

#include "sheet/model/workbook.h"

#include <string>

namespace sheet::xlsx {

// Writes workbook to fileName (created or truncated), keeping the library's
// scratch files in tempFolder. Throws std::runtime_error naming what failed;
// fileName may then hold an unfinished file.
void writeWorkbookFile(const Workbook& workbook, const std::string& fileName, const std::string& tempFolder);

} // namespace sheet::xlsx
