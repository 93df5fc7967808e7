#pragma once

// BIFF8 strings: the XLUnicodeString forms used inside records, and the
// shared-string table (SST) with its CONTINUE splitting and EXTSST index.

#include "sheet/xls/biff_stream.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace sheet::xls {

// Longest text a cell may hold, in UTF-16 code units.
inline constexpr std::size_t kMaxTextLength = 32767;

// True when every code unit fits the 8-bit "compressed" form (U+0000..U+00FF).
bool isCompressible(std::u16string_view text);

// Size of an XLUnicodeString (16-bit count) or ShortXLUnicodeString (8-bit count).
std::size_t unicodeStringSize(std::u16string_view text, bool shortCount);
void writeUnicodeString(ByteWriter& w, std::u16string_view text, bool shortCount);
// Reads an XLUnicodeString or ShortXLUnicodeString; skips rich-text runs and
// phonetic data when their flags are set.
std::u16string readUnicodeString(ByteReader& r, bool shortCount);

// Builds the SST: add() deduplicates and returns the index a LABELSST cell
// stores. Strings are kept as the model's UTF-8 in one flat buffer with an
// open-addressing index, so adding a string allocates nothing per string and
// converts nothing; write() turns each unique string into BIFF8 characters once,
// and plain ASCII, nearly all of a list, goes over byte for byte.
class SstBuilder {
public:
    std::uint32_t add(std::string_view utf8);
    std::size_t uniqueCount() const { return mStart.size(); }
    std::string_view at(std::size_t i) const {
        const std::size_t end = i + 1 < mStart.size() ? mStart[i + 1] : mBytes.size();
        return {mBytes.data() + mStart[i], end - mStart[i]};
    }
    void reserve(std::size_t strings, std::size_t bytes);
    // At least the bytes write() puts out: each string's count, flags and
    // characters in two bytes (a string has no more UTF-16 units than UTF-8
    // bytes), a CONTINUE header and a flag byte per record, and the largest EXTSST.
    std::size_t maxBytes() const;
    // Writes SST and its CONTINUE records, then EXTSST; `total` is the number of LABELSST cells.
    void write(RecordWriter& out, std::uint32_t total) const;

private:
    void grow();

    std::vector<char> mBytes;
    std::vector<std::size_t> mStart;
    std::vector<std::uint32_t> mSlots; // index + 1 of the string hashed there; 0 = empty
};

// A logical record made of a first record and the CONTINUE records after it;
// reading crosses record boundaries the way BIFF8 strings require.
class ContinuedReader {
public:
    explicit ContinuedReader(std::vector<std::span<const std::uint8_t>> pieces, const char* what);

    bool atEnd() const;
    std::uint8_t u8();
    std::uint16_t u16();
    std::uint32_t u32();
    // Skips n bytes, crossing into later pieces without any flag byte.
    void skip(std::size_t n);
    // A string whose header is never split and whose characters may continue
    // in later pieces, each starting with a fresh option-flags byte.
    std::u16string richString();

private:
    void nextPiece();
    std::size_t leftInPiece() const { return mPieces[mPiece].size() - mPos; }

    std::vector<std::span<const std::uint8_t>> mPieces;
    std::size_t mPiece = 0;
    std::size_t mPos = 0;
    const char* mWhat;
};

// Reads the strings of an SST given its record data and the CONTINUE records after it.
std::vector<std::string> readSst(std::vector<std::span<const std::uint8_t>> pieces);

} // namespace sheet::xls
