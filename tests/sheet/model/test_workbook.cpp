#include "sheet/model/workbook.h"

#include <gtest/gtest.h>

using namespace sheet;

TEST(FormatTable, internsEqualFormatsToOneId) {
    FormatTable t;
    CellFormat f;
    EXPECT_EQ(t.intern(f), 0u);
    f.font.name = "Century Gothic";
    const FormatId a = t.intern(f);
    EXPECT_NE(a, 0u);
    EXPECT_EQ(t.intern(f), a);
    f.border(Edge::Top) = {kLineThin, 15};
    EXPECT_NE(t.intern(f), a);
    EXPECT_EQ(t.size(), 3u);
}

TEST(Sheet, newCellsTakeTheRowOrColumnFormat) {
    Workbook wb;
    Sheet& s = wb.addSheet("S");
    s.columns[2].format = 5;
    EXPECT_EQ(s.effectiveFormat(10, 2), 5u);
    EXPECT_EQ(s.cellAt(10, 2).format, 5u);
    s.rowAt(11).format = 7;
    EXPECT_EQ(s.effectiveFormat(11, 2), 7u);
    EXPECT_EQ(s.cellAt(11, 2).format, 7u);
    EXPECT_EQ(s.cell(12, 2), nullptr);
    EXPECT_THROW(s.cellAt(kMaxRows, 0), std::out_of_range);
    EXPECT_THROW(s.cellAt(0, kMaxColumns), std::out_of_range);
}
