#include "sheet/xls/compound_file.h"

#include "sheet/xls/byte_io.h"
#include "sheet/xls/xls_io.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace sheet::xls {
namespace {

constexpr std::uint32_t kNoStream = 0xFFFFFFFF;
constexpr std::size_t kSector = CompoundFileHeader::kSize;
constexpr std::size_t kHeaderDifat = CompoundFileHeader::kHeaderDifat;
constexpr std::size_t kMiniSector = 64;

void writeDirEntry(ByteWriter& w, std::u16string_view name, std::uint8_t type, std::uint32_t child, std::uint32_t start,
                   std::uint32_t size) {
    const std::size_t before = w.size();
    for (char16_t c : name)
        w.u16(c);
    w.zeros(64 - 2 * name.size());
    w.u16(name.empty() ? 0u : static_cast<unsigned>(2 * (name.size() + 1)));
    w.u8(type);
    w.u8(1); // black: with one stream the tree is a single node
    w.u32(kNoStream);
    w.u32(kNoStream);
    w.u32(child);
    w.zeros(16 + 4 + 8 + 8);
    w.u32(start);
    w.u32(size);
    w.u32(0);
    if (w.size() - before != 128)
        throw std::logic_error("directory entry size");
}

char16_t upper(char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
}

bool sameName(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) { return upper(x) == upper(y); });
}

} // namespace

void CompoundFileHeader::write(ByteWriter& w) const {
    const std::size_t before = w.size();
    w.bytes(kSignature);
    w.zeros(16); // class id
    w.u16(minorVersion);
    w.u16(majorVersion);
    w.u16(byteOrder);
    w.u16(sectorShift);
    w.u16(miniSectorShift);
    w.zeros(6); // reserved
    w.u32(directorySectorCount);
    w.u32(fatSectorCount);
    w.u32(firstDirectorySector);
    w.u32(transactionSignature);
    w.u32(miniStreamCutoff);
    w.u32(firstMiniFatSector);
    w.u32(miniFatSectorCount);
    w.u32(firstDifatSector);
    w.u32(difatSectorCount);
    for (const std::uint32_t sector : difat)
        w.u32(sector);
    if (w.size() - before != kSize)
        throw std::logic_error("compound-file header size");
}

CompoundFileHeader CompoundFileHeader::parse(std::span<const std::uint8_t> file) {
    ByteReader r(file.first(std::min(file.size(), kSize)), "compound-file header");
    CompoundFileHeader h;
    for (std::size_t i = 0; i < kSignature.size() + 16; ++i)
        r.u8(); // signature and class id
    h.minorVersion = r.u16();
    h.majorVersion = r.u16();
    h.byteOrder = r.u16();
    h.sectorShift = r.u16();
    h.miniSectorShift = r.u16();
    for (int i = 0; i < 6; ++i)
        r.u8(); // reserved
    h.directorySectorCount = r.u32();
    h.fatSectorCount = r.u32();
    h.firstDirectorySector = r.u32();
    h.transactionSignature = r.u32();
    h.miniStreamCutoff = r.u32();
    h.firstMiniFatSector = r.u32();
    h.miniFatSectorCount = r.u32();
    h.firstDifatSector = r.u32();
    h.difatSectorCount = r.u32();
    for (std::uint32_t& sector : h.difat)
        sector = r.u32();
    return h;
}

std::vector<std::uint8_t> writeCompoundFile(std::u16string_view streamName, std::span<const std::uint8_t> stream) {
    if (stream.size() < kMiniStreamCutoff)
        throw std::logic_error("compound-file stream below the mini-stream cutoff");
    if (streamName.size() > 31)
        throw std::logic_error("compound-file stream name too long");
    const std::size_t n = (stream.size() + kSector - 1) / kSector;
    if (n > 0xFFFFFFF0u / 2)
        throw std::length_error("The workbook is too large for an .xls file.");
    // FAT and DIFAT sectors count themselves, so grow until the FAT covers everything.
    std::size_t f = 1, x = 0;
    for (;;) {
        x = f > kHeaderDifat ? (f - kHeaderDifat + 126) / 127 : 0;
        if (f * 128 >= n + x + f + 1)
            break;
        ++f;
    }
    const std::size_t total = n + x + f + 1;
    const auto difatStart = static_cast<std::uint32_t>(n);
    const auto fatStart = static_cast<std::uint32_t>(n + x);
    const auto dirSector = static_cast<std::uint32_t>(n + x + f);

    std::vector<std::uint8_t> out;
    out.reserve((total + 1) * kSector);
    ByteWriter w(out);
    CompoundFileHeader header;
    header.fatSectorCount = static_cast<std::uint32_t>(f);
    header.firstDirectorySector = dirSector;
    header.firstDifatSector = x ? difatStart : kEndOfChain;
    header.difatSectorCount = static_cast<std::uint32_t>(x);
    for (std::size_t i = 0; i < kHeaderDifat && i < f; ++i)
        header.difat[i] = fatStart + static_cast<std::uint32_t>(i);
    header.write(w);
    if (out.size() != kSector)
        throw std::logic_error("compound-file header size");

    w.bytes(stream);
    w.zeros(n * kSector - stream.size());

    for (std::size_t d = 0; d < x; ++d) {
        for (std::size_t k = 0; k < 127; ++k) {
            const std::size_t fatIndex = kHeaderDifat + d * 127 + k;
            w.u32(fatIndex < f ? fatStart + static_cast<std::uint32_t>(fatIndex) : kFreeSect);
        }
        w.u32(d + 1 < x ? difatStart + static_cast<std::uint32_t>(d + 1) : kEndOfChain);
    }

    for (std::size_t s = 0; s < f * 128; ++s) {
        if (s + 1 < n)
            w.u32(static_cast<std::uint32_t>(s + 1));
        else if (s + 1 == n)
            w.u32(kEndOfChain);
        else if (s < n + x)
            w.u32(kDifSect);
        else if (s < n + x + f)
            w.u32(kFatSect);
        else if (s == dirSector)
            w.u32(kEndOfChain);
        else
            w.u32(kFreeSect);
    }

    writeDirEntry(w, u"Root Entry", 5, 1, kEndOfChain, 0);
    writeDirEntry(w, streamName, 2, kNoStream, 0, static_cast<std::uint32_t>(stream.size()));
    writeDirEntry(w, u"", 0, kNoStream, 0, 0);
    writeDirEntry(w, u"", 0, kNoStream, 0, 0);
    if (out.size() != (total + 1) * kSector)
        throw std::logic_error("compound-file size differs from its layout");
    return out;
}

CompoundFileReader::CompoundFileReader(std::span<const std::uint8_t> file) : mFile(file) {
    if (file.size() >= 4 && file[0] == 'P' && file[1] == 'K' && file[2] == 3 && file[3] == 4)
        throw FormatError("This is an Excel 2007 (.xlsx) or other zip file, not an Excel 97-2003 workbook.");
    if (file.size() < kSector ||
        !std::equal(CompoundFileHeader::kSignature.begin(), CompoundFileHeader::kSignature.end(), file.begin()))
        throw FormatError("This is not an Excel 97-2003 workbook (no compound-file header).");
    const CompoundFileHeader header = CompoundFileHeader::parse(file);
    if (header.byteOrder != 0xFFFE)
        throw FormatError("The compound-file header has a wrong byte-order mark.");
    const unsigned major = header.majorVersion;
    const unsigned shift = header.sectorShift;
    if (!((major == 3 && shift == 9) || (major == 4 && shift == 12)))
        throw FormatError("The compound file uses an unsupported version or sector size.");
    if (header.miniSectorShift != 6)
        throw FormatError("The compound file uses an unsupported mini-sector size.");
    mSectorSize = std::size_t{1} << shift;
    if (file.size() < mSectorSize)
        throw FormatError("The file is truncated inside its compound-file header.");
    const std::size_t sectors = (file.size() - mSectorSize + mSectorSize - 1) / mSectorSize;
    mSectorCount = static_cast<std::uint32_t>(std::min<std::size_t>(sectors, 0xFFFFFFF0u));
    const std::uint32_t fatCount = header.fatSectorCount;
    const std::uint32_t dirStart = header.firstDirectorySector;
    mMiniFatStart = header.firstMiniFatSector;
    mMiniFatCount = header.miniFatSectorCount;
    std::uint32_t difatSector = header.firstDifatSector;
    const std::uint32_t difatCount = header.difatSectorCount;
    if (fatCount == 0 || fatCount > mSectorCount)
        throw FormatError("The compound file declares an impossible number of FAT sectors.");
    if (difatCount > mSectorCount)
        throw FormatError("The compound file declares an impossible number of DIFAT sectors.");

    std::vector<std::uint32_t> fatSectors;
    fatSectors.reserve(fatCount);
    for (std::size_t i = 0; i < kHeaderDifat && fatSectors.size() < fatCount; ++i) {
        const std::uint32_t s = header.difat[i];
        if (s == kFreeSect || s == kEndOfChain)
            continue;
        fatSectors.push_back(s);
    }
    const std::size_t perSector = mSectorSize / 4;
    std::vector<bool> seenDifat(mSectorCount, false);
    for (std::uint32_t d = 0; d < difatCount && fatSectors.size() < fatCount; ++d) {
        if (difatSector == kEndOfChain || difatSector == kFreeSect)
            break;
        if (difatSector >= mSectorCount)
            throw FormatError("A DIFAT sector number points outside the file.");
        if (seenDifat[difatSector])
            throw FormatError("The DIFAT sector chain loops.");
        seenDifat[difatSector] = true;
        const std::size_t off = (std::size_t{difatSector} + 1) * mSectorSize;
        if (off + mSectorSize > file.size())
            throw FormatError("The file is truncated inside its DIFAT.");
        for (std::size_t k = 0; k + 1 < perSector && fatSectors.size() < fatCount; ++k) {
            const std::uint32_t s = loadU32(file.data() + off + 4 * k);
            if (s != kFreeSect && s != kEndOfChain)
                fatSectors.push_back(s);
        }
        difatSector = loadU32(file.data() + off + mSectorSize - 4);
    }
    mFat.reserve(fatSectors.size() * perSector);
    for (std::uint32_t s : fatSectors) {
        if (s >= mSectorCount)
            throw FormatError("A FAT sector number points outside the file.");
        const std::size_t off = (std::size_t{s} + 1) * mSectorSize;
        if (off + mSectorSize > file.size())
            throw FormatError("The file is truncated inside its FAT.");
        for (std::size_t k = 0; k < perSector; ++k)
            mFat.push_back(loadU32(file.data() + off + 4 * k));
    }

    const std::vector<std::uint32_t> dir = chainSectors(dirStart, mSectorCount, "directory");
    for (std::uint32_t s : dir) {
        const std::size_t off = (std::size_t{s} + 1) * mSectorSize;
        if (off + mSectorSize > file.size())
            throw FormatError("The file is truncated inside its directory.");
        for (std::size_t e = 0; e < mSectorSize / 128; ++e) {
            const std::uint8_t* p = file.data() + off + e * 128;
            Entry entry;
            const unsigned nameBytes = loadU16(p + 0x40);
            entry.type = p[0x42];
            if (nameBytes > 64 || nameBytes % 2 != 0)
                throw FormatError("A compound-file directory entry has a malformed name.");
            for (unsigned i = 0; i + 2 <= nameBytes; i += 2) {
                const char16_t c = loadU16(p + i);
                if (c == 0)
                    break;
                entry.name.push_back(c);
            }
            entry.start = loadU32(p + 0x74);
            entry.size =
                major == 3 ? loadU32(p + 0x78) : (loadU32(p + 0x78) | (std::uint64_t{loadU32(p + 0x7C)} << 32));
            mEntries.push_back(std::move(entry));
        }
    }
    if (mEntries.empty())
        throw FormatError("The compound file has no directory entries.");
}

std::vector<std::uint32_t> CompoundFileReader::chainSectors(std::uint32_t start, std::size_t maxCount,
                                                            const char* what) const {
    std::vector<std::uint32_t> chain;
    std::vector<bool> seen(mSectorCount, false);
    std::uint32_t s = start;
    while (s != kEndOfChain && chain.size() < maxCount) {
        if (s >= mSectorCount || s >= mFat.size())
            throw FormatError(std::string("The ") + what + " sector chain points outside the file.");
        if (seen[s])
            throw FormatError(std::string("The ") + what + " sector chain loops.");
        seen[s] = true;
        chain.push_back(s);
        s = mFat[s];
    }
    return chain;
}

std::vector<std::uint8_t> CompoundFileReader::readChain(std::uint32_t start, std::uint64_t size,
                                                        const char* what) const {
    if (size > mFile.size())
        throw FormatError(std::string("The ") + what + " stream claims to be larger than the file.");
    const std::size_t count = static_cast<std::size_t>((size + mSectorSize - 1) / mSectorSize);
    const std::vector<std::uint32_t> chain =
        size == 0 ? std::vector<std::uint32_t>{} : chainSectors(start, count, what);
    if (chain.size() < count)
        throw FormatError(std::string("The ") + what + " stream is shorter than its declared size.");
    std::vector<std::uint8_t> out;
    out.reserve(static_cast<std::size_t>(size));
    for (std::uint32_t s : chain) {
        const std::size_t off = (std::size_t{s} + 1) * mSectorSize;
        const std::size_t want = std::min<std::size_t>(mSectorSize, static_cast<std::size_t>(size) - out.size());
        if (off + want > mFile.size())
            throw FormatError(std::string("The file is truncated inside the ") + what + " stream.");
        out.insert(out.end(), mFile.begin() + static_cast<std::ptrdiff_t>(off),
                   mFile.begin() + static_cast<std::ptrdiff_t>(off + want));
    }
    return out;
}

const CompoundFileReader::Entry* CompoundFileReader::find(std::u16string_view name) const {
    for (std::size_t i = 1; i < mEntries.size(); ++i)
        if (mEntries[i].type == 2 && sameName(mEntries[i].name, name))
            return &mEntries[i];
    return nullptr;
}

bool CompoundFileReader::hasStream(std::u16string_view name) const {
    return find(name) != nullptr;
}

std::vector<std::uint8_t> CompoundFileReader::readStream(std::u16string_view name) const {
    const Entry* e = find(name);
    if (!e)
        throw FormatError("The compound file has no stream of the expected name.");
    if (e->size > mFile.size())
        throw FormatError("The workbook stream claims to be larger than the file.");
    if (e->size >= kMiniStreamCutoff)
        return readChain(e->start, e->size, "workbook");

    // Small streams live in 64-byte mini sectors inside the root entry's stream.
    const Entry& root = mEntries[0];
    const std::vector<std::uint8_t> mini = readChain(root.start, root.size, "mini");
    if (mMiniFatCount > mSectorCount)
        throw FormatError("The compound file declares an impossible mini-FAT size.");
    const std::vector<std::uint8_t> miniFatBytes =
        readChain(mMiniFatStart, std::uint64_t{mMiniFatCount} * mSectorSize, "mini-FAT");
    const std::size_t miniCount = mini.size() / kMiniSector;
    const std::size_t needed = static_cast<std::size_t>((e->size + kMiniSector - 1) / kMiniSector);
    std::vector<std::uint8_t> out;
    out.reserve(static_cast<std::size_t>(e->size));
    std::vector<bool> seen(miniCount, false);
    std::uint32_t m = e->start;
    for (std::size_t i = 0; i < needed; ++i) {
        if (m >= miniCount || std::size_t{m} * 4 + 4 > miniFatBytes.size())
            throw FormatError("The workbook's mini-sector chain points outside the mini stream.");
        if (seen[m])
            throw FormatError("The workbook's mini-sector chain loops.");
        seen[m] = true;
        const std::size_t want = std::min<std::size_t>(kMiniSector, static_cast<std::size_t>(e->size) - out.size());
        out.insert(out.end(), mini.begin() + static_cast<std::ptrdiff_t>(std::size_t{m} * kMiniSector),
                   mini.begin() + static_cast<std::ptrdiff_t>(std::size_t{m} * kMiniSector + want));
        m = loadU32(miniFatBytes.data() + std::size_t{m} * 4);
    }
    return out;
}

} // namespace sheet::xls
