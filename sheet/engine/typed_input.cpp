#include "sheet/engine/typed_input.h"

#include <charconv>
#include <cmath>
#include <string>

namespace sheet::om {
namespace {

// General shows at most this many characters in a column of standard width;
// longer numbers switch to rounded or exponent form, which would not show as typed.
constexpr std::size_t kGeneralWidth = 11;

// -?(0|[1-9][0-9]*)(\.[0-9]*[1-9])?  — the only shapes General shows back unchanged.
bool hasNumberShape(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && s[i] == '-')
        ++i;
    const std::size_t intStart = i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9')
        ++i;
    const std::size_t intDigits = i - intStart;
    if (intDigits == 0 || (intDigits > 1 && s[intStart] == '0'))
        return false;
    if (i == s.size())
        return true;
    if (s[i] != '.')
        return false;
    ++i;
    const std::size_t fracStart = i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9')
        ++i;
    return i == s.size() && i > fracStart && s.back() != '0';
}

} // namespace

std::string generalText(double value) {
    // to_chars, unlike printf, ignores the C locale: a decimal-comma desktop must not
    // turn "2.5" into text or show 2.5 as "2,5".
    char buf[64];
    std::string_view text;
    // Widest precision whose text still fits the General width.
    for (int precision = 15; precision >= 1; --precision) {
        const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, precision);
        text = std::string_view(buf, ec == std::errc() ? static_cast<std::size_t>(end - buf) : 0);
        if (text.size() <= kGeneralWidth)
            break;
    }
    return std::string(text);
}

CellValue typedInput(std::string_view text) {
    if (text.empty())
        return std::monostate{};
    if (text.size() <= kGeneralWidth && hasNumberShape(text)) {
        double value = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (ec == std::errc() && end == text.data() + text.size() && std::isfinite(value) &&
            !(value == 0 && text.front() == '-') && generalText(value) == text)
            return value;
    }
    return std::string(text);
}

} // namespace sheet::om
