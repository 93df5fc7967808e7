#pragma once

// The library's formats for the model's interned cell formats: one lxw_format
// per FormatId, made the first time a cell, row or column uses it.

#include "sheet/model/workbook.h"

#include <vector>

struct lxw_workbook;
struct lxw_format;

namespace sheet::xlsx {

class StyleTable {
public:
    StyleTable(lxw_workbook* workbook, const FormatTable& formats);

    // The format for id, owned by the library's workbook. Every cell gets one,
    // the default format included, because the file's own default (the Normal
    // style) is not the model's: see workbook_writer.cpp. Throws std::runtime_error
    // for a format the file cannot hold.
    lxw_format* format(FormatId id);

private:
    lxw_format* make(const CellFormat& f);

    lxw_workbook* mWorkbook;
    const FormatTable& mFormats;
    std::vector<lxw_format*> mMade; // by FormatId; null until used
};

} // namespace sheet::xlsx
