#include "sheet/xlsx/xlsx_io.h"

#include "sheet/xls/xls_io.h"
#include "sheet/xlsx/workbook_writer.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sheet::xlsx {
namespace {

std::string temporaryFolder() {
    const char* env = std::getenv("TMPDIR");
    struct stat st {};
    if (env && *env && ::stat(env, &st) == 0 && S_ISDIR(st.st_mode))
        return env;
    return "/tmp";
}

// A file of our own, created exclusively, closed and removed when this goes.
class TemporaryFile {
public:
    explicit TemporaryFile(std::string pattern) : mPath(std::move(pattern)) {
        mFd = ::mkstemp(mPath.data());
        if (mFd < 0)
            throw std::runtime_error("Cannot create a temporary file in \"" + mPath.substr(0, mPath.rfind('/')) +
                                     "\": " + std::strerror(errno));
    }
    ~TemporaryFile() {
        ::close(mFd);
        ::unlink(mPath.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::string& path() const { return mPath; }
    int fd() const { return mFd; }

private:
    std::string mPath;
    int mFd = -1;
};

// What the file holds now, read through the descriptor mkstemp gave: the file
// we created, whatever happened to its name meanwhile.
std::vector<std::uint8_t> readAll(int fd, const std::string& path) {
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        throw std::runtime_error("Cannot read back \"" + path + "\": " + std::strerror(errno));
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pread(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw std::runtime_error("Cannot read back \"" + path +
                                     "\": " + (n < 0 ? std::strerror(errno) : "it was cut short"));
        done += static_cast<std::size_t>(n);
    }
    return bytes;
}

} // namespace

std::vector<std::uint8_t> writeBytes(const Workbook& workbook) {
    const std::string folder = temporaryFolder();
    const TemporaryFile file(folder + "/tabwright-xlsx-XXXXXX");
    writeWorkbookFile(workbook, file.path(), folder);
    return readAll(file.fd(), file.path());
}

void writeFile(const Workbook& workbook, const std::string& path) {
    xls::replaceFile(path, writeBytes(workbook));
}

} // namespace sheet::xlsx
