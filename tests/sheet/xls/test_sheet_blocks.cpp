// The blocks of a worksheet substream, each written on its own for a small
// sheet and compared with annotated bytes.

#include "sheet/xls/sheet_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace sheet;
using namespace sheet::xls;
using Bytes = std::vector<std::uint8_t>;

namespace {

template <typename F> Bytes written(F&& write) {
    Bytes out;
    RecordWriter w(out);
    write(w);
    return out;
}

// The record ids of a stream of records, in order.
std::vector<std::uint16_t> ids(const Bytes& stream) {
    std::vector<std::uint16_t> out;
    for (std::size_t at = 0; at + 4 <= stream.size();) {
        out.push_back(std::uint16_t(stream[at] | stream[at + 1] << 8));
        at += 4 + std::size_t(stream[at + 2] | stream[at + 3] << 8);
    }
    return out;
}

// The body of the first record with this id.
Bytes bodyOf(const Bytes& stream, std::uint16_t id) {
    for (std::size_t at = 0; at + 4 <= stream.size();) {
        const std::size_t size = std::size_t(stream[at + 2] | stream[at + 3] << 8);
        if (std::uint16_t(stream[at] | stream[at + 1] << 8) == id)
            return Bytes(stream.begin() + long(at) + 4, stream.begin() + long(at + 4 + size));
        at += 4 + size;
    }
    return {};
}

const std::uint16_t kXfOf[] = {0, 21, 22};
const std::uint32_t kSstOrder[] = {7};
const SheetRefs kRefs{kXfOf, 15, kSstOrder};

} // namespace

TEST(XlsSheetBlocks, pageSettingsInStreamOrder) {
    Sheet sheet;
    sheet.defaultRowHeight = 15; // 300 twips: not the format's default of 255
    sheet.pageSetup.fitToPages = true;
    sheet.pageSetup.orientation = Orientation::Landscape;
    sheet.pageSetup.leftMargin = 36; // half an inch
    const Bytes out = written([&](RecordWriter& w) { writePageSettings(w, sheet); });
    EXPECT_EQ(ids(out), (std::vector<std::uint16_t>{0x002A, 0x002B, 0x0082, 0x0080, 0x0225, 0x0081, 0x0014, 0x0015,
                                                    0x0083, 0x0084, 0x0026, 0x0027, 0x0028, 0x0029, 0x00A1, 0x0055}));
    EXPECT_EQ(bodyOf(out, 0x0225), (Bytes{0x01, 0x00,    // flags: height differs from the default
                                          0x2C, 0x01})); // 300 twips
    EXPECT_EQ(bodyOf(out, 0x0081), (Bytes{0xC1, 0x05})); // WSBOOL 0x04C1 | fit to pages 0x0100
    const Bytes left = bodyOf(out, 0x0026);
    ASSERT_EQ(left.size(), 8u);
    double inches = 0;
    std::memcpy(&inches, left.data(), 8); // IEEE double, little-endian
    EXPECT_DOUBLE_EQ(inches, 0.5);
    const Bytes setup = bodyOf(out, 0x00A1);
    ASSERT_EQ(setup.size(), 34u);
    EXPECT_EQ(Bytes(setup.begin(), setup.begin() + 12), (Bytes{
                                                            0x09, 0x00, // paper: A4
                                                            0x64, 0x00, // scale 100 %
                                                            0x01, 0x00, // first page number
                                                            0x01, 0x00, // fit 1 page wide
                                                            0x01, 0x00, // and 1 tall
                                                            0x00, 0x00, // flags: landscape, printer fields defined
                                                        }));
    EXPECT_EQ(bodyOf(out, 0x0055), (Bytes{0x08, 0x00})); // DEFCOLWIDTH 8 characters
}

TEST(XlsSheetBlocks, columnInfosOnePerRunOfEqualColumns) {
    Sheet sheet;
    sheet.columns[1].width = 10;
    sheet.columns[2].width = 10;
    sheet.columns[4].format = 2;
    sheet.columns[4].hidden = true;
    const Bytes out = written([&](RecordWriter& w) { writeColumnInfos(w, sheet, kRefs); });
    const Bytes expected{
        0x7D, 0x00, 0x0C, 0x00, // COLINFO, 12 bytes
        0x01, 0x00, 0x02, 0x00, // columns B..C
        0xB6, 0x0A,             // 2742/256 characters: 75 px at 7 px a digit
        0x0F, 0x00,             // default cell XF
        0x02, 0x00,             // width set by the user
        0x00, 0x00,             // reserved
        0x7D, 0x00, 0x0C, 0x00, // COLINFO, 12 bytes
        0x04, 0x00, 0x04, 0x00, // column E
        0x24, 0x09,             // 2340: the default width, 8.43 characters
        0x16, 0x00,             // XF 22 of model format 2
        0x01, 0x00,             // hidden
        0x00, 0x00,             // reserved
    };
    EXPECT_EQ(out, expected);
}

TEST(XlsSheetBlocks, dimensionsSpanTheCellsPresent) {
    Sheet sheet;
    EXPECT_EQ(written([&](RecordWriter& w) { writeDimensions(w, sheet); }),
              (Bytes{0x00, 0x02, 0x0E, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})); // an empty sheet: all 0
    sheet.cellAt(3, 2).value = 1.0;
    sheet.cellAt(5, 1);
    const Bytes expected{
        0x00, 0x02, 0x0E, 0x00, // DIMENSIONS, 14 bytes
        0x03, 0x00, 0x00, 0x00, // first row 4
        0x06, 0x00, 0x00, 0x00, // last row + 1: row 6 holds a blank cell
        0x01, 0x00,             // first column B
        0x03, 0x00,             // last column + 1: C
        0x00, 0x00,             // reserved
    };
    EXPECT_EQ(written([&](RecordWriter& w) { writeDimensions(w, sheet); }), expected);
}

TEST(XlsSheetBlocks, rowBlocksPutRowsBeforeTheirCells) {
    Sheet sheet;
    sheet.cellAt(0, 0).value = std::string("text");
    sheet.cellAt(0, 1).value = 2.5;
    sheet.cellAt(0, 1).format = 1;
    sheet.cellAt(0, 2);
    sheet.cellAt(0, 3).format = 2;
    sheet.rowAt(1).height = 30;
    sheet.rowAt(1).customHeight = true;
    std::size_t sstCursor = 0;
    const Bytes out = written([&](RecordWriter& w) { writeRowBlocks(w, sheet, kRefs, sstCursor); });
    EXPECT_EQ(sstCursor, 1u);
    const Bytes expected{
        0x08, 0x02, 0x10, 0x00, // ROW, 16 bytes
        0x00, 0x00,             // row 1
        0x00, 0x00, 0x04, 0x00, // columns A to D + 1
        0xFF, 0x00,             // 255 twips: the default height
        0x00, 0x00, 0x00, 0x00, // reserved
        0x00, 0x01, 0x0F, 0x00, // flags 0x100, XF 15
        0x08, 0x02, 0x10, 0x00, // ROW, 16 bytes
        0x01, 0x00,             // row 2
        0x00, 0x00, 0x00, 0x00, // no cells
        0x58, 0x02,             // 600 twips: 30 points
        0x00, 0x00, 0x00, 0x00, // reserved
        0x40, 0x01, 0x0F, 0x00, // flags: height set by hand | 0x100, XF 15
        0xFD, 0x00, 0x0A, 0x00, // LABELSST, 10 bytes
        0x00, 0x00, 0x00, 0x00, // A1
        0x0F, 0x00,             // default cell XF
        0x07, 0x00, 0x00, 0x00, // shared string 7
        0x7E, 0x02, 0x0A, 0x00, // RK, 10 bytes: 2.5 fits in 30 bits
        0x00, 0x00, 0x01, 0x00, // B1
        0x15, 0x00,             // XF 21
        0x00, 0x00, 0x04, 0x40, // the top 30 bits of the double 2.5, not scaled
        0xBE, 0x00, 0x0A, 0x00, // MULBLANK, 10 bytes
        0x00, 0x00, 0x02, 0x00, // row 1 from column C
        0x0F, 0x00, 0x16, 0x00, // XFs of C1 and D1
        0x03, 0x00,             // last column D
    };
    EXPECT_EQ(out, expected);
}

TEST(XlsSheetBlocks, windowAndSelectionOfTheActiveCell) {
    Sheet sheet;
    sheet.activeRow = 5;
    sheet.activeColumn = 1;
    sheet.selection = {CellRange{5, 1, 5, 1}};
    const Bytes out = written([&](RecordWriter& w) { writeWindowAndSelection(w, sheet, true); });
    const Bytes expected{
        0x3E, 0x02, 0x12, 0x00, // WINDOW2, 18 bytes
        0xB6, 0x06,             // gridlines, headings, zeros, automatic grid colour, outline | selected | paged
        0x00, 0x00, 0x00, 0x00, // top row, left column
        0x40, 0x00,             // grid colour: automatic
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // zoom fields and reserved
        0x1D, 0x00, 0x0F, 0x00,                                     // SELECTION, 15 bytes
        0x03,                                                       // pane 3: the only one
        0x05, 0x00, 0x01, 0x00,                                     // active cell B6
        0x00, 0x00,                                                 // in range 0
        0x01, 0x00,                                                 // one range
        0x05, 0x00, 0x05, 0x00, 0x01, 0x01,                         // B6:B6
    };
    EXPECT_EQ(out, expected);
}

TEST(XlsSheetBlocks, mergedCellsLeaveOutOneCellAreasAndRefuseOutsideOnes) {
    Sheet sheet;
    sheet.merged = {CellRange{1, 1, 1, 8}, CellRange{3, 3, 3, 3}};
    const Bytes expected{
        0xE5, 0x00, 0x0A, 0x00, // MERGEDCELLS, 10 bytes
        0x01, 0x00,             // one area
        0x01, 0x00, 0x01, 0x00, // rows 2..2
        0x01, 0x00, 0x08, 0x00, // columns B..I
    };
    EXPECT_EQ(written([&](RecordWriter& w) { writeMergedCells(w, sheet); }), expected);
    sheet.merged = {CellRange{0, 0, kMaxRows, 1}};
    EXPECT_THROW(written([&](RecordWriter& w) { writeMergedCells(w, sheet); }), std::invalid_argument);
}
