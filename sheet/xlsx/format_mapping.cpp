#include "sheet/xlsx/format_mapping.h"

#include "sheet/render/palette.h"
#include "sheet/xls/format_mapping.h"

#include <xlsxwriter.h>

#include <array>
#include <cctype>
#include <utility>

namespace sheet::xlsx {
namespace {

// The model's line styles are the file's codes, in the library's order.
static_assert(LXW_BORDER_THIN == 1 && LXW_BORDER_MEDIUM == 2 && LXW_BORDER_DASHED == 3 && LXW_BORDER_DOTTED == 4 &&
              LXW_BORDER_THICK == 5 && LXW_BORDER_DOUBLE == 6 && LXW_BORDER_HAIR == 7 &&
              LXW_BORDER_MEDIUM_DASHED == 8 && LXW_BORDER_DASH_DOT == 9 && LXW_BORDER_MEDIUM_DASH_DOT == 10 &&
              LXW_BORDER_DASH_DOT_DOT == 11 && LXW_BORDER_MEDIUM_DASH_DOT_DOT == 12 && LXW_BORDER_SLANT_DASH_DOT == 13);

// One code point of valid UTF-8 at s[i]: its value and length, or nothing for a
// malformed, overlong or surrogate sequence.
std::optional<std::pair<char32_t, std::size_t>> decode(std::string_view s, std::size_t i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80)
        return std::pair{char32_t{b0}, std::size_t{1}};
    std::size_t extra;
    char32_t cp, min;
    if ((b0 & 0xE0) == 0xC0)
        extra = 1, cp = b0 & 0x1F, min = 0x80;
    else if ((b0 & 0xF0) == 0xE0)
        extra = 2, cp = b0 & 0x0F, min = 0x800;
    else if ((b0 & 0xF8) == 0xF0)
        extra = 3, cp = b0 & 0x07, min = 0x10000;
    else
        return std::nullopt;
    if (i + extra >= s.size())
        return std::nullopt;
    for (std::size_t k = 1; k <= extra; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80)
            return std::nullopt;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return std::nullopt;
    return std::pair{cp, extra + 1};
}

bool isHex(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

bool startsEscape(std::string_view s, std::size_t i) {
    return i + 7 <= s.size() && s[i] == '_' && s[i + 1] == 'x' && isHex(s[i + 2]) && isHex(s[i + 3]) &&
           isHex(s[i + 4]) && isHex(s[i + 5]) && s[i + 6] == '_';
}

std::string recode(std::string_view s, bool cellText) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const auto cp = decode(s, i);
        if (!cp) {
            out += "\xEF\xBF\xBD";
            ++i;
            continue;
        }
        const auto [c, length] = *cp;
        // Cell text: the library escapes the other control characters; NUL would end its
        // C string, and U+FFFE/U+FFFF are no XML characters.
        if (!cellText)
            out.append(s.substr(i, length));
        else if (c == 0)
            out += "_x0000_";
        else if (c == 0xFFFE)
            out += "_xFFFE_";
        else if (c == 0xFFFF)
            out += "_xFFFF_";
        else if (startsEscape(s, i))
            out += "_x005F_";
        else
            out.append(s.substr(i, length));
        i += length;
    }
    return out;
}

} // namespace

std::optional<std::uint32_t> paletteColor(ColorIndex index) {
    if (index < 1 || index > kPaletteSize)
        return std::nullopt;
    const std::uint32_t rgb = kDefaultPalette[static_cast<std::size_t>(index - 1)];
    return rgb == 0 ? std::uint32_t{LXW_COLOR_BLACK} : rgb;
}

std::uint8_t borderStyle(std::uint8_t modelStyle) {
    return modelStyle <= LXW_BORDER_SLANT_DASH_DOT ? modelStyle : std::uint8_t{LXW_BORDER_THIN};
}

std::optional<std::uint8_t> horizontalAlign(HAlign align) {
    switch (align) {
    case HAlign::General:
        return std::nullopt;
    case HAlign::Left:
        return LXW_ALIGN_LEFT;
    case HAlign::Center:
        return LXW_ALIGN_CENTER;
    case HAlign::Right:
        return LXW_ALIGN_RIGHT;
    case HAlign::Fill:
        return LXW_ALIGN_FILL;
    case HAlign::Justify:
        return LXW_ALIGN_JUSTIFY;
    case HAlign::CenterAcross:
        return LXW_ALIGN_CENTER_ACROSS;
    }
    return std::nullopt;
}

std::optional<std::uint8_t> verticalAlign(VAlign align) {
    switch (align) {
    case VAlign::Top:
        return LXW_ALIGN_VERTICAL_TOP;
    case VAlign::Center:
        return LXW_ALIGN_VERTICAL_CENTER;
    case VAlign::Bottom:
        return std::nullopt;
    case VAlign::Justify:
        return LXW_ALIGN_VERTICAL_JUSTIFY;
    }
    return std::nullopt;
}

std::optional<std::uint8_t> builtinNumberFormat(std::string_view code) {
    auto sameIgnoringCase = [](std::string_view a, std::string_view b) {
        if (a.size() != b.size())
            return false;
        for (std::size_t i = 0; i < a.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
                return false;
        return true;
    };
    if (sameIgnoringCase(code, "General"))
        return 0;
    // The same built-in codes as the older format.
    if (const auto index = xls::builtinFormatIndex(code); index && *index <= 0xFF)
        return static_cast<std::uint8_t>(*index);
    return std::nullopt;
}

std::string validUtf8(std::string_view s) {
    return recode(s, false);
}

std::string fileText(std::string_view s) {
    return recode(s, true);
}

std::size_t utf16Length(std::string_view s) {
    std::size_t units = 0;
    for (std::size_t i = 0; i < s.size();) {
        const auto cp = decode(s, i);
        units += cp && cp->first >= 0x10000 ? 2 : 1;
        i += cp ? cp->second : 1;
    }
    return units;
}

std::string columnName(int column) {
    std::string letters;
    for (int c = column + 1; c > 0; c = (c - 1) / 26)
        letters.insert(letters.begin(), static_cast<char>('A' + (c - 1) % 26));
    return letters;
}

std::string cellName(int row, int column) {
    return columnName(column) + std::to_string(row + 1);
}

} // namespace sheet::xlsx
