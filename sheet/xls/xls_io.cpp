#include "sheet/xls/xls_io.h"

// Placeholder until the BIFF8 writer and reader land.
namespace sheet::xls {

std::vector<std::uint8_t> writeBytes(const Workbook&) { throw std::runtime_error("xls writer not built yet"); }
void writeFile(const Workbook&, const std::string&) { throw std::runtime_error("xls writer not built yet"); }
std::unique_ptr<Workbook> readBytes(std::span<const std::uint8_t>) { throw FormatError("xls reader not built yet"); }
std::unique_ptr<Workbook> readFile(const std::string&) { throw FormatError("xls reader not built yet"); }

} // namespace sheet::xls
