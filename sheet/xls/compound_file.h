#pragma once

// The OLE2 compound-file container (MS-CFB, version 3, 512-byte sectors)
// that holds the BIFF8 "Workbook" stream. Knows nothing about BIFF.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sheet::xls {

inline constexpr std::size_t kMiniStreamCutoff = 4096;

// Builds a compound file holding one stream. The stream must be at least
// kMiniStreamCutoff bytes long so that no mini stream is needed; callers pad.
std::vector<std::uint8_t> writeCompoundFile(std::u16string_view streamName, std::span<const std::uint8_t> stream);

// Reads named streams out of a compound file. Every sector number, chain and
// size is checked against the file; a damaged file raises FormatError.
class CompoundFileReader {
public:
    explicit CompoundFileReader(std::span<const std::uint8_t> file);

    // Whether a stream of this name (compared case-insensitively) exists.
    bool hasStream(std::u16string_view name) const;
    // The whole stream; throws FormatError when it is missing or damaged.
    std::vector<std::uint8_t> readStream(std::u16string_view name) const;

private:
    struct Entry {
        std::u16string name;
        std::uint8_t type = 0;
        std::uint32_t start = 0;
        std::uint64_t size = 0;
    };

    std::vector<std::uint8_t> readChain(std::uint32_t start, std::uint64_t size, const char* what) const;
    std::vector<std::uint32_t> chainSectors(std::uint32_t start, std::size_t maxCount, const char* what) const;
    const Entry* find(std::u16string_view name) const;

    std::span<const std::uint8_t> mFile;
    std::size_t mSectorSize = 512;
    std::uint32_t mSectorCount = 0;
    std::uint32_t mMiniFatStart = 0;
    std::uint32_t mMiniFatCount = 0;
    std::vector<std::uint32_t> mFat;
    std::vector<Entry> mEntries;
};

} // namespace sheet::xls
