#include "sheet/xls/string_records.h"

#include "sheet/xls/unicode.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

namespace sheet::xls {

bool isCompressible(std::u16string_view text) {
    return std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x100; });
}

std::size_t unicodeStringSize(std::u16string_view text, bool shortCount) {
    return (shortCount ? 2u : 3u) + text.size() * (isCompressible(text) ? 1u : 2u);
}

void writeUnicodeString(ByteWriter& w, std::u16string_view text, bool shortCount) {
    const bool compressed = isCompressible(text);
    if (shortCount)
        w.u8(static_cast<unsigned>(text.size()));
    else
        w.u16(static_cast<unsigned>(text.size()));
    w.u8(compressed ? 0u : 1u);
    for (char16_t c : text) {
        if (compressed)
            w.u8(c);
        else
            w.u16(c);
    }
}

std::u16string readUnicodeString(ByteReader& r, bool shortCount) {
    const std::size_t count = shortCount ? r.u8() : r.u16();
    if (count == 0 && r.atEnd())
        return {}; // some writers leave out the flags byte of an empty string
    const std::uint8_t flags = r.u8();
    std::size_t runs = 0, ext = 0;
    if (flags & 0x08)
        runs = r.u16();
    if (flags & 0x04)
        ext = r.u32();
    const bool wide = flags & 0x01;
    r.need(count * (wide ? 2 : 1));
    std::u16string text;
    text.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        text.push_back(wide ? static_cast<char16_t>(r.u16()) : static_cast<char16_t>(r.u8()));
    r.skip(std::min(r.remaining(), runs * 4 + ext));
    return text;
}

namespace {

// Eight bytes a step: hashing is most of adding a string that is new.
std::size_t hashText(std::string_view text) {
    constexpr std::uint64_t kMix = 0x9E3779B97F4A7C15ULL;
    std::uint64_t h = text.size() * kMix;
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, sizeof word);
        h = std::rotl((h ^ word) * kMix, 29);
    }
    for (; i < text.size(); ++i)
        h = std::rotl((h ^ static_cast<unsigned char>(text[i])) * kMix, 29);
    return static_cast<std::size_t>(h ^ (h >> 32));
}

bool isAscii(std::string_view text) {
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, sizeof word);
        if (word & 0x8080808080808080ULL)
            return false;
    }
    for (; i < text.size(); ++i)
        if (static_cast<unsigned char>(text[i]) >= 0x80)
            return false;
    return true;
}

} // namespace

void SstBuilder::reserve(std::size_t strings, std::size_t bytes) {
    mStart.reserve(strings);
    mBytes.reserve(bytes);
    if (mSlots.size() < strings * 2) {
        std::size_t n = 16;
        while (n < strings * 2)
            n *= 2;
        mSlots.assign(n, 0);
        for (std::size_t i = 0; i < mStart.size(); ++i) {
            std::size_t slot = hashText(at(i)) & (n - 1);
            while (mSlots[slot])
                slot = (slot + 1) & (n - 1);
            mSlots[slot] = static_cast<std::uint32_t>(i + 1);
        }
    }
}

void SstBuilder::grow() {
    reserve(std::max<std::size_t>(mStart.size() * 2, 64), mBytes.size());
}

std::uint32_t SstBuilder::add(std::string_view text) {
    if ((mStart.size() + 1) * 2 > mSlots.size())
        grow();
    const std::size_t mask = mSlots.size() - 1;
    std::size_t slot = hashText(text) & mask;
    while (const std::uint32_t used = mSlots[slot]) {
        if (at(used - 1) == text)
            return used - 1;
        slot = (slot + 1) & mask;
    }
    const auto index = static_cast<std::uint32_t>(mStart.size());
    mStart.push_back(mBytes.size());
    mBytes.insert(mBytes.end(), text.begin(), text.end());
    mSlots[slot] = index + 1;
    return index;
}

std::size_t SstBuilder::maxBytes() const {
    const std::size_t content = 8 + mStart.size() * 3 + mBytes.size() * 2;
    return content + (content / kMaxRecordData + 1) * 5 + 4 + kMaxRecordData;
}

void SstBuilder::write(RecordWriter& out, std::uint32_t total) const {
    // Strings are laid out into record bodies of at most kMaxRecordData bytes.
    // A string header (count + flags) stays with its first character; character
    // data may continue in a CONTINUE record that starts with a new flags byte.
    const std::size_t count = mStart.size();
    const std::size_t dsst = std::max<std::size_t>(8, count / 128 + 1);
    struct Bucket {
        std::uint32_t streamOffset;
        std::uint16_t recordOffset;
    };
    std::vector<Bucket> buckets;
    buckets.reserve(count / dsst + 1);

    std::vector<std::uint8_t> body;
    body.reserve(kMaxRecordData);
    ByteWriter w(body);
    std::uint16_t id = rid::Sst;
    w.u32(total);
    w.u32(static_cast<std::uint32_t>(count));
    auto flush = [&] {
        out.raw(id, body);
        body.clear();
        id = rid::Continue;
    };
    // A string's header stays with its first character; the bucket points at the header.
    const auto startString = [&](std::size_t index, std::size_t firstChar) {
        if (body.size() + 3 + firstChar > kMaxRecordData)
            flush();
        if (index % dsst == 0)
            buckets.push_back({static_cast<std::uint32_t>(out.size() + 4 + body.size()),
                               static_cast<std::uint16_t>(4 + body.size())});
    };
    // Lays out the characters of s: a byte each when compressed (all below 256), else UTF-16 units.
    const auto put = [&](const auto& s, bool compressed) {
        const std::size_t width = compressed ? 1 : 2;
        w.u16(static_cast<unsigned>(s.size()));
        w.u8(compressed ? 0u : 1u);
        std::size_t done = 0;
        for (;;) {
            const std::size_t fit = std::min(s.size() - done, (kMaxRecordData - body.size()) / width);
            const auto piece = s.substr(done, fit);
            if (compressed)
                body.insert(body.end(), piece.begin(), piece.end());
            else
                for (const char16_t c : piece)
                    w.u16(c);
            done += fit;
            if (done == s.size())
                break;
            flush();
            w.u8(compressed ? 0u : 1u);
        }
    };
    std::u16string decoded;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string_view s = at(i);
        if (isAscii(s)) { // the UTF-8 bytes are the characters
            startString(i, s.empty() ? 0 : 1);
            put(s, true);
            continue;
        }
        decoded.clear();
        appendUtf16(s, decoded);
        const std::u16string_view units = decoded;
        const bool compressed = isCompressible(units);
        startString(i, compressed ? 1 : 2);
        put(units, compressed);
    }
    flush();

    std::vector<std::uint8_t> ext;
    ByteWriter e(ext);
    e.u16(static_cast<unsigned>(dsst));
    for (const Bucket& b : buckets) {
        e.u32(b.streamOffset);
        e.u16(b.recordOffset);
        e.u16(0);
    }
    // Past ~1000 buckets EXTSST would need CONTINUE records; readers ignore it, so keep what fits.
    if (ext.size() > kMaxRecordData)
        ext.resize(2 + (kMaxRecordData - 2) / 8 * 8);
    out.raw(rid::ExtSst, ext);
}

ContinuedReader::ContinuedReader(std::vector<std::span<const std::uint8_t>> pieces, const char* what)
    : mPieces(std::move(pieces)), mWhat(what) {
    if (mPieces.empty())
        mPieces.emplace_back();
}

bool ContinuedReader::atEnd() const {
    for (std::size_t p = mPiece; p < mPieces.size(); ++p)
        if ((p == mPiece ? mPieces[p].size() - mPos : mPieces[p].size()) > 0)
            return false;
    return true;
}

void ContinuedReader::nextPiece() {
    if (mPiece + 1 >= mPieces.size())
        throw FormatError(std::string("The ") + mWhat + " record ends in the middle of a string.");
    ++mPiece;
    mPos = 0;
}

std::uint8_t ContinuedReader::u8() {
    while (leftInPiece() == 0)
        nextPiece();
    return mPieces[mPiece][mPos++];
}

std::uint16_t ContinuedReader::u16() {
    const unsigned lo = u8();
    return static_cast<std::uint16_t>(lo | (u8() << 8));
}

std::uint32_t ContinuedReader::u32() {
    const std::uint32_t lo = u16();
    return lo | (static_cast<std::uint32_t>(u16()) << 16);
}

void ContinuedReader::skip(std::size_t n) {
    while (n > 0) {
        while (leftInPiece() == 0)
            nextPiece();
        const std::size_t step = std::min(n, leftInPiece());
        mPos += step;
        n -= step;
    }
}

std::u16string ContinuedReader::richString() {
    while (leftInPiece() == 0)
        nextPiece();
    const std::size_t count = u16();
    if (count > kMaxTextLength)
        throw FormatError(std::string("The ") + mWhat + " record holds a text longer than 32,767 characters.");
    std::uint8_t flags = u8();
    std::size_t runs = 0;
    std::uint32_t ext = 0;
    if (flags & 0x08)
        runs = u16();
    if (flags & 0x04)
        ext = u32();
    std::u16string text;
    text.reserve(std::min<std::size_t>(count, 8224));
    bool wide = flags & 0x01;
    while (text.size() < count) {
        if (leftInPiece() == 0) {
            nextPiece();
            if (leftInPiece() == 0)
                continue;
            wide = mPieces[mPiece][mPos++] & 0x01;
            continue;
        }
        const std::size_t width = wide ? 2 : 1;
        const std::size_t fit = std::min(count - text.size(), leftInPiece() / width);
        if (fit == 0)
            throw FormatError(std::string("The ") + mWhat + " record splits a character between records.");
        const std::uint8_t* p = mPieces[mPiece].data() + mPos;
        for (std::size_t k = 0; k < fit; ++k)
            text.push_back(wide ? loadU16(p + 2 * k) : p[k]);
        mPos += fit * width;
    }
    if (ext > 0x7FFFFFFF)
        throw FormatError(std::string("The ") + mWhat + " record has a negative phonetic-data size.");
    skip(runs * 4 + ext);
    return text;
}

std::vector<std::string> readSst(std::vector<std::span<const std::uint8_t>> pieces) {
    std::size_t totalBytes = 0;
    for (auto p : pieces)
        totalBytes += p.size();
    ContinuedReader r(std::move(pieces), "SST");
    r.u32();
    const std::uint32_t unique = r.u32();
    // Each entry takes at least three bytes, which bounds what a hostile count can allocate.
    const std::size_t count = std::min<std::size_t>(unique, totalBytes / 3);
    std::vector<std::string> strings;
    strings.reserve(count);
    for (std::size_t i = 0; i < count && !r.atEnd(); ++i)
        strings.push_back(toUtf8(r.richString()));
    return strings;
}

} // namespace sheet::xls
