#pragma once

// Compares two workbooks by content: formats by value (their ids differ
// between workbooks), rows without content equal to missing rows.

#include "sheet/model/workbook.h"

#include <gtest/gtest.h>

#include <string>

namespace sheet::testing {

inline std::string where(const Sheet& s, int row, int column) {
    return s.name + "!R" + std::to_string(row + 1) + "C" + std::to_string(column + 1);
}

inline void expectSameSheet(const Workbook& wa, const Sheet& a, const Workbook& wb, const Sheet& b) {
    EXPECT_EQ(a.name, b.name);
    for (int c = 0; c < kMaxColumns; ++c) {
        const Column& ca = a.columns[static_cast<std::size_t>(c)];
        const Column& cb = b.columns[static_cast<std::size_t>(c)];
        EXPECT_EQ(ca.width.has_value(), cb.width.has_value()) << "column " << c;
        if (ca.width && cb.width) {
            EXPECT_NEAR(*ca.width, *cb.width, 0.01) << "column " << c;
        }
        EXPECT_EQ(ca.hidden, cb.hidden) << "column " << c;
        EXPECT_EQ(wa.formats.get(ca.format), wb.formats.get(cb.format)) << "column " << c;
    }
    EXPECT_EQ(a.merged, b.merged);
    EXPECT_EQ(a.pageSetup, b.pageSetup);
    EXPECT_EQ(a.defaultRowHeight, b.defaultRowHeight);
    EXPECT_EQ(a.activeRow, b.activeRow);
    EXPECT_EQ(a.activeColumn, b.activeColumn);
    EXPECT_EQ(a.selection, b.selection);
    const int rows = std::max(a.rowCount(), b.rowCount());
    for (int r = 0; r < rows; ++r) {
        const Row* ra = a.row(r);
        const Row* rb = b.row(r);
        const Row empty;
        const Row& x = ra ? *ra : empty;
        const Row& y = rb ? *rb : empty;
        EXPECT_EQ(x.height, y.height) << "row " << r;
        EXPECT_EQ(x.height ? x.customHeight : false, y.height ? y.customHeight : false) << "row " << r;
        EXPECT_EQ(x.format.has_value(), y.format.has_value()) << "row " << r;
        if (x.format && y.format) {
            EXPECT_EQ(wa.formats.get(*x.format), wb.formats.get(*y.format)) << "row " << r;
        }
        const std::size_t cols = std::max(x.cells.size(), y.cells.size());
        for (std::size_t c = 0; c < cols; ++c) {
            const Cell* ka = a.cell(r, static_cast<int>(c));
            const Cell* kb = b.cell(r, static_cast<int>(c));
            const std::string at = where(a, r, static_cast<int>(c));
            ASSERT_EQ(ka != nullptr, kb != nullptr) << at;
            if (!ka)
                continue;
            EXPECT_EQ(ka->value, kb->value) << at;
            EXPECT_EQ(wa.formats.get(ka->format), wb.formats.get(kb->format)) << at;
        }
    }
}

inline void expectSameWorkbook(const Workbook& a, const Workbook& b) {
    ASSERT_EQ(a.sheetCount(), b.sheetCount());
    EXPECT_EQ(a.activeSheet, b.activeSheet);
    for (int i = 0; i < a.sheetCount(); ++i)
        expectSameSheet(a, a.sheetAt(i), b, b.sheetAt(i));
}

} // namespace sheet::testing
