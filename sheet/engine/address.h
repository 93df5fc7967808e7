#pragma once

// A1-style addresses as the object model's Range, Rows and Columns take them.
//
//     parseAddress("B4:I4")   -> {rows 3..3, columns 1..8}
//     parseAddress("$B$6")    -> {row 5, column 1}
//     parseAddress("1:5")     -> rows 0..4, every column
//     parseAddress("A:C")     -> every row, columns 0..2
//     parseAddress("B4:I4,B6") -> two areas
//
// Rows and columns are zero-based in the result, as in the model.

#include "sheet/model/workbook.h"

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace sheet::om {

// Thrown for an address that does not name cells of a sheet (bad syntax, row past
// 65,536, column past IV).
class AddressError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The areas named by a comma-separated address. Throws AddressError.
std::vector<CellRange> parseAddress(std::string_view address);

// "A".."IV" for a zero-based column.
std::string columnName(int column);
// "$B$4", "$B$4:$I$4", "$1:$5", "$A:$C" as the object model's Address shows a range.
std::string formatAddress(const CellRange& range);

bool spansAllRows(const CellRange& range);
bool spansAllColumns(const CellRange& range);

} // namespace sheet::om
