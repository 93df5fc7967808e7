#pragma once

// Reading and writing Excel 97-2003 workbooks (BIFF8 inside an OLE2 compound
// file). Standard C++ only.
//
//     sheet::Workbook wb;
//     wb.addSheet("Phone List").cellAt(0, 0).value = std::string("Hello");
//     sheet::xls::writeFile(wb, "out.xls");
//     auto back = sheet::xls::readFile("out.xls");

#include "sheet/model/workbook.h"

#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace sheet::xls {

// Thrown for a file that is not a readable workbook; what() says why, for the user.
class FormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::vector<std::uint8_t> writeBytes(const Workbook& workbook);
// Writes to a new, exclusively created file beside path and renames it over path, so a
// failure leaves any old file. The saved file keeps the permissions of the file it replaces.
void writeFile(const Workbook& workbook, const std::string& path);
// The same for any file's bytes. A symbolic link at path is refused, not followed
// or replaced. Throws std::runtime_error naming path.
void replaceFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

std::unique_ptr<Workbook> readBytes(std::span<const std::uint8_t> bytes);
std::unique_ptr<Workbook> readFile(const std::string& path);

} // namespace sheet::xls
