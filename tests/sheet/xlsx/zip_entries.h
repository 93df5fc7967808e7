#pragma once

// The entries of a zip archive by name, inflated, for looking inside written
// workbooks. Reads the central directory, which holds every entry's sizes
// whether or not the local headers do; checks each entry's CRC.

#include <zlib.h>

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace zip_entries {

inline std::uint32_t le(const std::vector<std::uint8_t>& b, std::size_t at, int bytes) {
    if (at + static_cast<std::size_t>(bytes) > b.size())
        throw std::runtime_error("zip: field beyond the end");
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | b[at + static_cast<std::size_t>(i)];
    return v;
}

inline std::string inflateRaw(const std::uint8_t* data, std::size_t size, std::size_t expected) {
    std::string out(expected, '\0');
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
        throw std::runtime_error("zip: inflateInit2");
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = static_cast<uInt>(size);
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    const int rc = inflate(&z, Z_FINISH);
    inflateEnd(&z);
    if (rc != Z_STREAM_END || z.total_out != expected)
        throw std::runtime_error("zip: bad deflate data");
    return out;
}

// Name -> content of every entry.
inline std::map<std::string, std::string> read(const std::vector<std::uint8_t>& zip) {
    std::size_t eocd = std::string::npos;
    if (zip.size() >= 22)
        for (std::size_t i = zip.size() - 21; i-- > 0;)
            if (le(zip, i, 4) == 0x06054b50) {
                eocd = i;
                break;
            }
    if (eocd == std::string::npos)
        throw std::runtime_error("zip: no end of central directory");
    const std::uint32_t count = le(zip, eocd + 10, 2);
    std::size_t at = le(zip, eocd + 16, 4);
    std::map<std::string, std::string> entries;
    for (std::uint32_t e = 0; e < count; ++e) {
        if (le(zip, at, 4) != 0x02014b50)
            throw std::runtime_error("zip: bad central directory entry");
        const std::uint32_t method = le(zip, at + 10, 2), crc = le(zip, at + 16, 4);
        const std::uint32_t packed = le(zip, at + 20, 4), size = le(zip, at + 24, 4);
        const std::uint32_t nameLength = le(zip, at + 28, 2), extra = le(zip, at + 30, 2),
                            comment = le(zip, at + 32, 2), local = le(zip, at + 42, 4);
        if (at + 46 + nameLength > zip.size())
            throw std::runtime_error("zip: name beyond the end");
        const std::string name(zip.begin() + static_cast<std::ptrdiff_t>(at + 46),
                               zip.begin() + static_cast<std::ptrdiff_t>(at + 46 + nameLength));
        if (le(zip, local, 4) != 0x04034b50)
            throw std::runtime_error("zip: bad local header of " + name);
        const std::size_t data = local + 30 + le(zip, local + 26, 2) + le(zip, local + 28, 2);
        if (data + packed > zip.size())
            throw std::runtime_error("zip: data of " + name + " beyond the end");
        std::string content;
        if (method == 0)
            content.assign(zip.begin() + static_cast<std::ptrdiff_t>(data),
                           zip.begin() + static_cast<std::ptrdiff_t>(data + packed));
        else if (method == 8)
            content = inflateRaw(zip.data() + data, packed, size);
        else
            throw std::runtime_error("zip: method " + std::to_string(method) + " of " + name);
        if (crc32(0, reinterpret_cast<const Bytef*>(content.data()), static_cast<uInt>(content.size())) != crc)
            throw std::runtime_error("zip: CRC of " + name);
        entries[name] = content;
        at += 46 + nameLength + extra + comment;
    }
    return entries;
}

} // namespace zip_entries
