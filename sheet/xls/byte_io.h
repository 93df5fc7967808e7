#pragma once

// Little-endian byte writing and bounds-checked reading, shared by the
// compound-file layer and the BIFF records.

#include "sheet/xls/xls_io.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

namespace sheet::xls {

class ByteWriter {
public:
    explicit ByteWriter(std::vector<std::uint8_t>& out) : mOut(out) {}

    void u8(unsigned v) { mOut.push_back(static_cast<std::uint8_t>(v)); }
    void u16(unsigned v) {
        mOut.push_back(static_cast<std::uint8_t>(v));
        mOut.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    void u32(std::uint32_t v) {
        u16(v & 0xFFFFu);
        u16(v >> 16);
    }
    void f64(double v) {
        const auto bits = std::bit_cast<std::uint64_t>(v);
        u32(static_cast<std::uint32_t>(bits));
        u32(static_cast<std::uint32_t>(bits >> 32));
    }
    void bytes(std::span<const std::uint8_t> b) { mOut.insert(mOut.end(), b.begin(), b.end()); }
    void zeros(std::size_t n) { mOut.insert(mOut.end(), n, 0); }
    std::size_t size() const { return mOut.size(); }
    void patchU16(std::size_t at, unsigned v) {
        mOut[at] = static_cast<std::uint8_t>(v);
        mOut[at + 1] = static_cast<std::uint8_t>(v >> 8);
    }
    void patchU32(std::size_t at, std::uint32_t v) {
        patchU16(at, v & 0xFFFFu);
        patchU16(at + 2, v >> 16);
    }
    std::vector<std::uint8_t>& buffer() { return mOut; }

private:
    std::vector<std::uint8_t>& mOut;
};

inline std::uint16_t loadU16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t loadU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline double loadF64(const std::uint8_t* p) {
    const std::uint64_t bits = loadU32(p) | (static_cast<std::uint64_t>(loadU32(p + 4)) << 32);
    return std::bit_cast<double>(bits);
}

// Reads fields from one record's data; every read is checked and a short
// record raises FormatError naming the record.
class ByteReader {
public:
    ByteReader(std::span<const std::uint8_t> data, const char* what) : mData(data), mWhat(what) {}

    std::size_t remaining() const { return mData.size() - mPos; }
    std::size_t position() const { return mPos; }
    bool atEnd() const { return mPos >= mData.size(); }
    void need(std::size_t n) const {
        if (n > remaining())
            throw FormatError(std::string("The ") + mWhat + " record is shorter than its fields.");
    }
    std::uint8_t u8() {
        need(1);
        return mData[mPos++];
    }
    std::uint16_t u16() {
        need(2);
        const auto v = loadU16(mData.data() + mPos);
        mPos += 2;
        return v;
    }
    std::uint32_t u32() {
        need(4);
        const auto v = loadU32(mData.data() + mPos);
        mPos += 4;
        return v;
    }
    double f64() {
        need(8);
        const double v = loadF64(mData.data() + mPos);
        mPos += 8;
        return v;
    }
    void skip(std::size_t n) {
        need(n);
        mPos += n;
    }
    std::span<const std::uint8_t> take(std::size_t n) {
        need(n);
        auto s = mData.subspan(mPos, n);
        mPos += n;
        return s;
    }
    const char* what() const { return mWhat; }

private:
    std::span<const std::uint8_t> mData;
    std::size_t mPos = 0;
    const char* mWhat;
};

} // namespace sheet::xls
