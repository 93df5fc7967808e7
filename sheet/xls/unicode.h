#pragma once

// UTF-8 (the model's text) to and from UTF-16 code units (what BIFF8 stores).

#include <string>
#include <string_view>

namespace sheet::xls {

// Invalid UTF-8 bytes become U+FFFD; characters outside the BMP become surrogate pairs.
std::u16string toUtf16(std::string_view utf8);
// The same, appended to out (which callers reuse to avoid allocations).
void appendUtf16(std::string_view utf8, std::u16string& out);
// Unpaired surrogates become U+FFFD.
std::string toUtf8(std::u16string_view utf16);

} // namespace sheet::xls
