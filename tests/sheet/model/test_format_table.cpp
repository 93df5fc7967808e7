// The interned cell formats: every field tells formats apart, and ids stay put.

#include "sheet/model/workbook.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <vector>

using namespace sheet;

TEST(FormatTable, everyFieldMakesAFormatOfItsOwn) {
    const std::vector<std::function<void(CellFormat&)>> changes = {
        [](CellFormat& f) { f.font.name = "Century Gothic"; },
        [](CellFormat& f) { f.font.size = 10.5; },
        [](CellFormat& f) { f.font.bold = true; },
        [](CellFormat& f) { f.font.italic = true; },
        [](CellFormat& f) { f.font.underline = true; },
        [](CellFormat& f) { f.font.strikeout = true; },
        [](CellFormat& f) { f.font.color = 2; },
        [](CellFormat& f) { f.fill = 19; },
        [](CellFormat& f) {
            f.border(Edge::Left) = {kLineThin, kAutomatic};
        },
        [](CellFormat& f) {
            f.border(Edge::Right) = {kLineThin, kAutomatic};
        },
        [](CellFormat& f) {
            f.border(Edge::Top) = {kLineThin, kAutomatic};
        },
        [](CellFormat& f) {
            f.border(Edge::Bottom) = {kLineThin, kAutomatic};
        },
        [](CellFormat& f) {
            f.border(Edge::Bottom) = {kLineThin, 15};
        },
        [](CellFormat& f) { f.hAlign = HAlign::Center; },
        [](CellFormat& f) { f.vAlign = VAlign::Top; },
        [](CellFormat& f) { f.wrap = true; },
        [](CellFormat& f) { f.locked = false; },
        [](CellFormat& f) { f.hidden = true; },
        [](CellFormat& f) { f.numberFormat = "@"; },
    };
    FormatTable t;
    std::vector<FormatId> ids;
    for (const auto& change : changes) {
        CellFormat f;
        change(f);
        const FormatId id = t.intern(f);
        EXPECT_NE(id, 0u);
        for (FormatId seen : ids)
            EXPECT_NE(id, seen);
        ids.push_back(id);
        EXPECT_EQ(t.get(id), f);
    }
    EXPECT_EQ(t.size(), changes.size() + 1);
}

TEST(FormatTable, idsStayPutAsTheTableGrows) {
    FormatTable t;
    EXPECT_EQ(t.size(), 1u); // the default format is always there, as id 0
    EXPECT_EQ(t.get(0), CellFormat{});
    std::vector<FormatId> ids;
    for (int i = 0; i < 5000; ++i) {
        CellFormat f;
        f.font.size = 100 + i * 0.25; // never the default 10
        ids.push_back(t.intern(f));
    }
    for (int i = 0; i < 5000; ++i) {
        CellFormat f;
        f.font.size = 100 + i * 0.25; // never the default 10
        EXPECT_EQ(t.intern(f), ids[std::size_t(i)]);
        EXPECT_EQ(t.get(ids[std::size_t(i)]).font.size, f.font.size);
    }
    EXPECT_EQ(t.size(), 5001u);
    EXPECT_THROW(t.get(5001), std::out_of_range);
}
