#include "sheet/xls/unicode.h"

namespace sheet::xls {

std::u16string toUtf16(std::string_view s) {
    std::u16string out;
    appendUtf16(s, out);
    return out;
}

void appendUtf16(std::string_view s, std::u16string& out) {
    out.reserve(out.size() + s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        // Runs of ASCII, most of any list, go over without decoding.
        std::size_t ascii = i;
        while (ascii < s.size() && static_cast<unsigned char>(s[ascii]) < 0x80)
            ++ascii;
        if (ascii > i) {
            out.append(s.begin() + static_cast<std::ptrdiff_t>(i), s.begin() + static_cast<std::ptrdiff_t>(ascii));
            i = ascii;
            continue;
        }
        const auto b0 = static_cast<unsigned char>(s[i]);
        char32_t cp = 0xFFFD;
        std::size_t len = 1;
        int extra = 0;
        char32_t min = 0;
        if (b0 < 0x80) {
            cp = b0;
        } else if ((b0 & 0xE0) == 0xC0) {
            cp = b0 & 0x1F, extra = 1, min = 0x80;
        } else if ((b0 & 0xF0) == 0xE0) {
            cp = b0 & 0x0F, extra = 2, min = 0x800;
        } else if ((b0 & 0xF8) == 0xF0) {
            cp = b0 & 0x07, extra = 3, min = 0x10000;
        } else {
            cp = 0xFFFD;
        }
        if (extra > 0) {
            bool ok = true;
            for (int k = 1; ok && k <= extra; ++k) {
                if (i + static_cast<std::size_t>(k) >= s.size()) {
                    ok = false;
                    break;
                }
                const auto b = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
                if ((b & 0xC0) != 0x80)
                    ok = false;
                else
                    cp = (cp << 6) | (b & 0x3F);
            }
            if (ok && cp >= min && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF)) {
                len = 1 + static_cast<std::size_t>(extra);
            } else {
                cp = 0xFFFD;
                len = 1;
            }
        }
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
}

std::string toUtf8(std::u16string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        char32_t cp = s[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

} // namespace sheet::xls
