// Records other programs write and ours does not: LABEL, MULRK, BOOLERR,
// FORMULA with cached results (text through STRING and CONTINUE), and an
// embedded chart substream, injected into a sheet our writer made.

#include "sheet/xls/biff_stream.h"
#include "sheet/xls/compound_file.h"
#include "sheet/xls/xls_io.h"

#include <gtest/gtest.h>

using namespace sheet;
using namespace sheet::xls;
using Bytes = std::vector<std::uint8_t>;

namespace {

void record(Bytes& out, std::uint16_t id, const Bytes& data) {
    ByteWriter w(out);
    w.u16(id);
    w.u16(static_cast<unsigned>(data.size()));
    w.bytes(data);
}

// Reads a workbook whose only sheet has these records right after DIMENSIONS.
std::unique_ptr<Workbook> withSheetRecords(const Bytes& records) {
    Workbook wb;
    wb.addSheet("Foreign");
    Bytes stream = CompoundFileReader(writeBytes(wb)).readStream(u"Workbook");
    RecordCursor cursor(stream, 0);
    Record rec;
    std::size_t at = 0;
    while (cursor.next(rec))
        if (rec.id == rid::Dimensions)
            at = rec.offset + 4 + rec.data.size();
    stream.insert(stream.begin() + static_cast<std::ptrdiff_t>(at), records.begin(), records.end());
    return readBytes(writeCompoundFile(u"Workbook", stream));
}

std::string textAt(const Workbook& wb, int row, int column) {
    const Cell* c = wb.sheetAt(0).cell(row, column);
    return c && c->text() ? *c->text() : "<none>";
}

double numberAt(const Workbook& wb, int row, int column) {
    const Cell* c = wb.sheetAt(0).cell(row, column);
    return c && c->number() ? *c->number() : -999;
}

} // namespace

TEST(XlsForeignRecords, readsValuesOtherWritersUse) {
    Bytes r;
    record(r, rid::Label, {0, 0, 0, 0, 15, 0, /* cch */ 3, 0, /* 8-bit */ 0, 'a', 'b', 'c'});
    record(r, rid::MulRk,
           {1,
            0,
            /* columns 0.. */ 0,
            0,
            15,
            0,
            0x06,
            0,
            0,
            0, // 1 (integer RK)
            15,
            0,
            0x00,
            0,
            0xE0,
            0x3F, // 0.5 (float RK)
            15,
            0,
            0x03,
            0x0F,
            0,
            0, // integer 960, divided by 100
            /* last column */ 2,
            0});
    record(r, rid::BoolErr, {2, 0, 0, 0, 15, 0, 1, 0});    // TRUE
    record(r, rid::BoolErr, {2, 0, 1, 0, 15, 0, 0x07, 1}); // #DIV/0!
    // FORMULA with a number result, then one with a text result in STRING + CONTINUE.
    record(r, rid::Formula, {3, 0, 0, 0, 15, 0, 0, 0, 0, 0, 0, 0x40, 0x45, 0x40, 0, 0, 0, 0, 0, 0, 0, 0});
    record(r, rid::Formula, {3, 0, 1, 0, 15, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0});
    record(r, rid::String, {10, 0, 0, 'H', 'e', 'l', 'l', 'o'});
    record(r, rid::Continue, {1, 'W', 0, 'o', 0, 'r', 0, 'l', 0, 0xAC, 0x20}); // width switches to UTF-16
    // FORMULA with a boolean result; a FORMULA whose STRING is missing reads as empty text.
    record(r, rid::Formula, {3, 0, 2, 0, 15, 0, 1, 0, 1, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0});
    record(r, rid::Formula, {3, 0, 3, 0, 15, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0});
    // An embedded chart: its records belong to the chart, not the sheet.
    record(r, rid::Bof, {0, 6, 0x20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    record(r, rid::Label, {9, 0, 9, 0, 15, 0, 1, 0, 0, 'x'});
    record(r, rid::Eof, {});
    record(r, 0x1234, {1, 2, 3}); // unknown: skipped

    const auto wb = withSheetRecords(r);
    EXPECT_EQ(textAt(*wb, 0, 0), "abc");
    EXPECT_EQ(numberAt(*wb, 1, 0), 1);
    EXPECT_EQ(numberAt(*wb, 1, 1), 0.5);
    EXPECT_EQ(numberAt(*wb, 1, 2), 9.6);
    EXPECT_EQ(textAt(*wb, 2, 0), "TRUE");
    EXPECT_EQ(textAt(*wb, 2, 1), "#DIV/0!");
    EXPECT_EQ(numberAt(*wb, 3, 0), 42.5);
    EXPECT_EQ(textAt(*wb, 3, 1), "HelloWorl\xE2\x82\xAC");
    EXPECT_EQ(textAt(*wb, 3, 2), "TRUE");
    EXPECT_EQ(textAt(*wb, 3, 3), "");
    EXPECT_EQ(wb->sheetAt(0).cell(9, 9), nullptr);
}
