#include "sheet/xls/xls_io.h"

#include "sheet/xls/compound_file.h"
#include "sheet/xls/workbook_reader.h"
#include "sheet/xls/workbook_writer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace sheet::xls {

std::vector<std::uint8_t> writeBytes(const Workbook& workbook) {
    return writeCompoundFile(u"Workbook", writeWorkbookStream(workbook));
}

void writeFile(const Workbook& workbook, const std::string& path) {
    const std::vector<std::uint8_t> bytes = writeBytes(workbook);
    const std::string temp = path + ".tmp-save";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            throw std::runtime_error("Cannot write \"" + path + "\": " + std::strerror(errno));
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            std::remove(temp.c_str());
            throw std::runtime_error("Cannot write \"" + path + "\": the disk may be full.");
        }
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        const int err = errno;
        std::remove(temp.c_str());
        throw std::runtime_error("Cannot replace \"" + path + "\": " + std::strerror(err));
    }
}

std::unique_ptr<Workbook> readBytes(std::span<const std::uint8_t> bytes) {
    const CompoundFileReader file(bytes);
    if (!file.hasStream(u"Workbook")) {
        if (file.hasStream(u"Book"))
            throw FormatError("This workbook was saved in a pre-97 Excel format (BIFF5), which cannot be read.");
        throw FormatError("The file holds no Excel workbook stream.");
    }
    const std::vector<std::uint8_t> stream = file.readStream(u"Workbook");
    return readWorkbookStream(stream);
}

std::unique_ptr<Workbook> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw FormatError("Cannot open \"" + path + "\": " + std::strerror(errno));
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw FormatError("Cannot read \"" + path + "\".");
    return readBytes(bytes);
}

} // namespace sheet::xls
