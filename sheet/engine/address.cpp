#include "sheet/engine/address.h"

#include <cctype>

namespace sheet::om {
namespace {

[[noreturn]] void bad(std::string_view address, const char* why) {
    throw AddressError("Method 'Range' failed: \"" + std::string(address) + "\" " + why);
}

struct Part {
    int row = -1;    // -1: not given
    int column = -1; // -1: not given
};

// One side of a reference: "B4", "$B$4", "B", "$B", "4", "$4".
Part parsePart(std::string_view whole, std::string_view s) {
    Part p;
    std::size_t i = 0;
    if (i < s.size() && s[i] == '$')
        ++i;
    long column = 0;
    std::size_t letters = 0;
    while (i < s.size() && std::isalpha(static_cast<unsigned char>(s[i]))) {
        column = column * 26 + (std::toupper(static_cast<unsigned char>(s[i])) - 'A' + 1);
        ++i;
        if (++letters > 3)
            bad(whole, "has a column past IV");
    }
    if (letters > 0) {
        if (column > kMaxColumns)
            bad(whole, "has a column past IV");
        p.column = static_cast<int>(column - 1);
    }
    if (i < s.size() && s[i] == '$') {
        if (letters == 0)
            bad(whole, "is not an address");
        ++i;
    }
    long row = 0;
    std::size_t digits = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
        row = row * 10 + (s[i] - '0');
        ++i;
        if (++digits > 6)
            bad(whole, "has a row past 65536");
    }
    if (i != s.size() || (letters == 0 && digits == 0))
        bad(whole, "is not an address");
    if (digits > 0) {
        if (row < 1)
            bad(whole, "has row 0");
        if (row > kMaxRows)
            bad(whole, "has a row past 65536");
        p.row = static_cast<int>(row - 1);
    }
    return p;
}

CellRange parseArea(std::string_view whole, std::string_view s) {
    const std::size_t colon = s.find(':');
    const Part a = parsePart(whole, s.substr(0, colon));
    const Part b = colon == std::string_view::npos ? a : parsePart(whole, s.substr(colon + 1));
    const bool cellA = a.row >= 0 && a.column >= 0;
    const bool cellB = b.row >= 0 && b.column >= 0;
    CellRange r;
    if (cellA && cellB) {
        r = {std::min(a.row, b.row), std::min(a.column, b.column), std::max(a.row, b.row),
             std::max(a.column, b.column)};
    } else if (colon != std::string_view::npos && a.column < 0 && b.column < 0) {
        r = {std::min(a.row, b.row), 0, std::max(a.row, b.row), kMaxColumns - 1}; // "1:5"
    } else if (colon != std::string_view::npos && a.row < 0 && b.row < 0) {
        r = {0, std::min(a.column, b.column), kMaxRows - 1, std::max(a.column, b.column)}; // "A:C"
    } else {
        bad(whole, "is not an address");
    }
    return r;
}

} // namespace

std::vector<CellRange> parseAddress(std::string_view address) {
    std::vector<CellRange> areas;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = address.find(',', start);
        std::string_view area = address.substr(start, comma == std::string_view::npos ? address.npos : comma - start);
        while (!area.empty() && area.front() == ' ')
            area.remove_prefix(1);
        while (!area.empty() && area.back() == ' ')
            area.remove_suffix(1);
        if (area.empty() || area.find(':') != area.rfind(':'))
            bad(address, "is not an address");
        areas.push_back(parseArea(address, area));
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    return areas;
}

std::string columnName(int column) {
    std::string name;
    for (int c = column + 1; c > 0; c = (c - 1) / 26)
        name.insert(name.begin(), static_cast<char>('A' + (c - 1) % 26));
    return name;
}

bool spansAllRows(const CellRange& r) {
    return r.firstRow == 0 && r.lastRow == kMaxRows - 1;
}
bool spansAllColumns(const CellRange& r) {
    return r.firstColumn == 0 && r.lastColumn == kMaxColumns - 1;
}

std::string formatAddress(const CellRange& r) {
    const auto row = [](int n) { return "$" + std::to_string(n + 1); };
    const auto col = [](int n) { return "$" + columnName(n); };
    if (spansAllColumns(r) && !spansAllRows(r))
        return row(r.firstRow) + ":" + row(r.lastRow);
    if (spansAllRows(r) && !spansAllColumns(r))
        return col(r.firstColumn) + ":" + col(r.lastColumn);
    std::string s = col(r.firstColumn) + row(r.firstRow);
    if (r.lastRow != r.firstRow || r.lastColumn != r.firstColumn)
        s += ":" + col(r.lastColumn) + row(r.lastRow);
    return s;
}

} // namespace sheet::om
