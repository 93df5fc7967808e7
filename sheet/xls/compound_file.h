#pragma once

// The OLE2 compound-file container (MS-CFB, version 3, 512-byte sectors)
// that holds the BIFF8 "Workbook" stream. Knows nothing about BIFF.

#include "sheet/xls/byte_io.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sheet::xls {

inline constexpr std::size_t kMiniStreamCutoff = 4096;

// Special sector numbers of the FAT and DIFAT.
inline constexpr std::uint32_t kDifSect = 0xFFFFFFFC;
inline constexpr std::uint32_t kFatSect = 0xFFFFFFFD;
inline constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
inline constexpr std::uint32_t kFreeSect = 0xFFFFFFFF;

// The header at the start of a compound file, field by field (MS-CFB 2.2).
// The writer fills it for version 3; the reader takes the fields it checks
// from it. Sector numbers count from the first sector after the header.
struct CompoundFileHeader {
    static constexpr std::size_t kSize = 512;
    static constexpr std::size_t kHeaderDifat = 109; // FAT sector numbers held in the header itself
    static constexpr std::array<std::uint8_t, 8> kSignature{0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

    // After the signature and a 16-byte class id of zeros:
    std::uint16_t minorVersion = 0x003E;
    std::uint16_t majorVersion = 3;         // 3: 512-byte sectors, 4: 4096-byte sectors
    std::uint16_t byteOrder = 0xFFFE;       // little-endian
    std::uint16_t sectorShift = 9;          // sector size 2^9 (version 3) or 2^12 (version 4)
    std::uint16_t miniSectorShift = 6;      // mini-sector size 2^6
    std::uint32_t directorySectorCount = 0; // always 0 in version 3; after 6 reserved bytes
    std::uint32_t fatSectorCount = 0;
    std::uint32_t firstDirectorySector = 0;
    std::uint32_t transactionSignature = 0;
    std::uint32_t miniStreamCutoff = static_cast<std::uint32_t>(kMiniStreamCutoff);
    std::uint32_t firstMiniFatSector = kEndOfChain;
    std::uint32_t miniFatSectorCount = 0;
    std::uint32_t firstDifatSector = kEndOfChain;
    std::uint32_t difatSectorCount = 0;
    std::array<std::uint32_t, kHeaderDifat> difat = freeDifat();

    // Exactly kSize bytes.
    void write(ByteWriter& w) const;
    // The fields of the first kSize bytes of file, which the caller has checked
    // to be there and to begin with the signature.
    static CompoundFileHeader parse(std::span<const std::uint8_t> file);

private:
    static constexpr std::array<std::uint32_t, kHeaderDifat> freeDifat() {
        std::array<std::uint32_t, kHeaderDifat> a{};
        a.fill(kFreeSect);
        return a;
    }
};

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
