#include "sheet/xls/xls_io.h"

#include "sheet/xls/compound_file.h"
#include "sheet/xls/workbook_reader.h"
#include "sheet/xls/workbook_writer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sheet::xls {

std::vector<std::uint8_t> writeBytes(const Workbook& workbook) {
    return writeCompoundFile(u"Workbook", writeWorkbookStream(workbook));
}

namespace {

// The permissions the saved file gets: those of the file it replaces, else those
// of any new file (0666 less the umask).
mode_t modeFor(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        return st.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool writeAll(int fd, const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return ::fsync(fd) == 0;
}

} // namespace

void replaceFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    // A link planted under the name would be replaced, and the user who named
    // it surely meant the file it points to: neither is done silently.
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
        throw std::runtime_error("Cannot write \"" + path + "\": it is a symbolic link");
    // A fresh, exclusively created file beside the target (mkstemp never follows
    // or reuses a file someone put there), renamed over it when complete.
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        throw std::runtime_error("Cannot write \"" + path + "\": " + std::strerror(errno));
    const bool written = ::fchmod(fd, modeFor(path)) == 0 && writeAll(fd, bytes);
    const int writeError = errno;
    if (::close(fd) != 0 || !written) {
        ::unlink(temp.c_str());
        throw std::runtime_error("Cannot write \"" + path + "\": " + std::strerror(written ? errno : writeError));
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        throw std::runtime_error("Cannot replace \"" + path + "\": " + std::strerror(err));
    }
}

void writeFile(const Workbook& workbook, const std::string& path) {
    replaceFile(path, writeBytes(workbook));
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
