// Record tests both ways on annotated bytes: each record is serialised and
// compared to bytes taken from the format documentation, then parsed back.

#include "sheet/xls/biff_stream.h"
#include "sheet/xls/cell_records.h"
#include "sheet/xls/compound_file.h"
#include "sheet/xls/format_mapping.h"
#include "sheet/xls/globals_records.h"
#include "sheet/xls/sheet_records.h"
#include "sheet/xls/string_records.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace sheet::xls;
using Bytes = std::vector<std::uint8_t>;

namespace {

template <typename R> Bytes serialise(const R& record) {
    Bytes out;
    RecordWriter w(out);
    w.write(record);
    return out;
}

std::span<const std::uint8_t> body(const Bytes& record) {
    return std::span(record).subspan(4);
}

} // namespace

TEST(XlsRecords, bofBothWays) {
    const Bytes expected{
        0x09, 0x08, 0x10, 0x00, // BOF, 16 bytes
        0x00, 0x06,             // BIFF8
        0x10, 0x00,             // worksheet substream
        0xBB, 0x0D, 0xCC, 0x07, // build, year
        0x00, 0x00, 0x00, 0x00, // history flags
        0x06, 0x00, 0x00, 0x00, // lowest BIFF version 8
    };
    EXPECT_EQ(serialise(BofRecord{kBiff8, kBofWorksheet}), expected);
    const BofRecord back = BofRecord::parse(body(expected));
    EXPECT_EQ(back.version, kBiff8);
    EXPECT_EQ(back.type, kBofWorksheet);
}

TEST(XlsRecords, fontBothWays) {
    FontRecord f;
    f.height = 160;
    f.weight = 700;
    f.italic = true;
    f.color = 9;
    f.underline = 1;
    f.name = u"Century Gothic";
    const Bytes expected{
        0x31, 0x00, 0x1E, 0x00, // FONT, 30 bytes
        0xA0, 0x00,             // 8 pt in twips
        0x03, 0x00,             // bold marker | italic
        0x09, 0x00,             // colour: palette white (ColorIndex 2 + 7)
        0xBC, 0x02,             // weight 700
        0x00, 0x00,             // no super/subscript
        0x01, 0x00, 0x00, 0x00, // single underline, family, charset, unused
        0x0E, 0x00,             // 14 characters, 8-bit
        'C',  'e',  'n',  't',  'u', 'r', 'y', ' ', 'G', 'o', 't', 'h', 'i', 'c',
    };
    EXPECT_EQ(serialise(f), expected);
    const FontRecord back = FontRecord::parse(body(expected));
    EXPECT_EQ(back.height, 160);
    EXPECT_EQ(back.weight, 700);
    EXPECT_TRUE(back.italic);
    EXPECT_FALSE(back.strikeout);
    EXPECT_EQ(back.color, 9);
    EXPECT_EQ(back.underline, 1);
    EXPECT_EQ(back.name, u"Century Gothic");
}

TEST(XlsRecords, xfBothWays) {
    // The bordered, ivory, wrapped, unlocked data cell of the phone list.
    XfRecord x;
    x.font = 5;
    x.locked = false;
    x.hAlign = 1;
    x.vAlign = 1;
    x.wrap = true;
    x.usedAttributes = 0xF8;
    x.borderStyle = {1, 1, 1, 1};
    x.borderColor = {0x16, 0x16, 0x16, 0x16};
    x.pattern = 1;
    x.patternFore = 0x1A;
    x.patternBack = 64;
    const Bytes expected{
        0xE0, 0x00, 0x14, 0x00, // XF, 20 bytes
        0x05, 0x00,             // font 5
        0x00, 0x00,             // General
        0x00, 0x00,             // not locked, cell XF, parent 0
        0x19,                   // left, wrap, vertically centred
        0x00, 0x00,             // rotation, indent
        0xF8,                   // attribute groups set here
        0x11, 0x11, 0x16, 0x0B, // thin on all edges; left/right colour 0x16
        0x16, 0x0B, 0x00, 0x04, // top/bottom colour 0x16; solid pattern
        0x1A, 0x20,             // foreground 0x1A, background 64
    };
    EXPECT_EQ(serialise(x), expected);
    EXPECT_EQ(XfRecord::parse(body(expected)), x);
}

TEST(XlsRecords, rowBothWays) {
    RowRecord r;
    r.row = 4;
    r.firstColumn = 0;
    r.lastColumnPlus1 = 3;
    r.height = 540;
    r.flags = RowRecord::kUnsynced | RowRecord::kGhostDirty;
    r.xf = 21;
    const Bytes expected{
        0x08, 0x02, 0x10, 0x00, // ROW, 16 bytes
        0x04, 0x00,             // row 5
        0x00, 0x00, 0x03, 0x00, // cells in columns 0..2
        0x1C, 0x02,             // 27 pt
        0x00, 0x00, 0x00, 0x00, // reserved
        0xC0, 0x01, 0x15, 0x00, // unsynced | ghost dirty | reserved bit; XF 21
    };
    EXPECT_EQ(serialise(r), expected);
    const RowRecord back = RowRecord::parse(body(expected));
    EXPECT_EQ(back.row, 4);
    EXPECT_EQ(back.height, 540);
    EXPECT_EQ(back.flags, RowRecord::kUnsynced | RowRecord::kGhostDirty);
    EXPECT_EQ(back.xf, 21);
}

TEST(XlsRecords, colInfoBothWays) {
    ColInfoRecord c;
    c.firstColumn = 9;
    c.lastColumn = 255;
    c.width = columnWidthToFile(10.43);
    c.xf = 15;
    c.flags = ColInfoRecord::kUserSet;
    const Bytes expected{
        0x7D, 0x00, 0x0C, 0x00, // COLINFO, 12 bytes
        0x09, 0x00, 0xFF, 0x00, // columns J..IV
        0x24, 0x0B,             // 2852 = 78 px at a 7 px digit
        0x0F, 0x00,             // default cell XF
        0x02, 0x00,             // width set by the user
        0x00, 0x00,
    };
    EXPECT_EQ(serialise(c), expected);
    const ColInfoRecord back = ColInfoRecord::parse(body(expected));
    EXPECT_EQ(back.firstColumn, 9);
    EXPECT_EQ(back.lastColumn, 255);
    EXPECT_DOUBLE_EQ(columnWidthFromFile(back.width), 10.43);
}

TEST(XlsRecords, columnWidthsMatchExcelAtWholePixels) {
    EXPECT_EQ(columnWidthToFile(2), 694);
    EXPECT_EQ(columnWidthToFile(8.43), 2340);
    EXPECT_EQ(columnWidthToFile(10), 2742);
    EXPECT_EQ(columnWidthToFile(13.43), 3620);
    EXPECT_EQ(columnWidthToFile(24.71), 6509);
    for (double w : {0.25, 1.0, 2.5, 7.77, 10.5, 18.43, 99.99, 254.0})
        EXPECT_NEAR(columnWidthFromFile(columnWidthToFile(w)), w, 0.01) << w;
}

TEST(XlsRecords, setupBothWays) {
    SetupRecord s;
    s.paperSize = 9;
    s.scale = 100;
    s.fitWidth = 1;
    s.fitHeight = 1;
    s.flags = 0; // landscape, printer fields valid
    s.headerMargin = 0;
    s.footerMargin = 0.5;
    const Bytes expected{
        0xA1, 0x00, 0x22, 0x00,                   // SETUP, 34 bytes
        0x09, 0x00, 0x64, 0x00,                   // A4, 100 %
        0x01, 0x00,                               // first page number
        0x01, 0x00, 0x01, 0x00,                   // fit 1 x 1
        0x00, 0x00,                               // landscape; fNoPls clear
        0x58, 0x02, 0x58, 0x02,                   // 600 x 600 dpi
        0,    0,    0,    0,    0, 0, 0,    0,    // header margin 0.0 in
        0,    0,    0,    0,    0, 0, 0xE0, 0x3F, // footer margin 0.5 in
        0x01, 0x00,                               // one copy
    };
    EXPECT_EQ(serialise(s), expected);
    const SetupRecord back = SetupRecord::parse(body(expected));
    EXPECT_EQ(back.paperSize, 9);
    EXPECT_EQ(back.flags, 0);
    EXPECT_EQ(back.footerMargin, 0.5);
}

TEST(XlsRecords, headerAndFooterBothWays) {
    const Bytes header{
        0x14, 0x00, 0x12, 0x00, // HEADER, 18 bytes
        0x0F, 0x00, 0x00,       // 15 characters, 8-bit
        '&',  'C',  'P',  'a',  'g', 'e', ' ', '&', 'P', ' ', 'o', 'f', ' ', '&', 'N',
    };
    EXPECT_EQ(serialise(HeaderRecord{{u"&CPage &P of &N"}}), header);
    EXPECT_EQ(HeaderRecord::parse(body(header)).text, u"&CPage &P of &N");

    const Bytes wide{
        0x15, 0x00, 0x09, 0x00, // FOOTER, 9 bytes
        0x03, 0x00, 0x01,       // 3 characters, UTF-16
        0x26, 0x00, 0x43, 0x00, // "&C"
        0xAC, 0x20,             // euro sign
    };
    EXPECT_EQ(serialise(FooterRecord{{u"&C\u20AC"}}), wide);
    EXPECT_EQ(FooterRecord::parse(body(wide)).text, u"&C\u20AC");

    const Bytes none{0x15, 0x00, 0x00, 0x00}; // FOOTER without data: no footer
    EXPECT_EQ(serialise(FooterRecord{}), none);
    EXPECT_EQ(FooterRecord::parse(body(none)).text, u"");
    EXPECT_THROW(FooterRecord::parse(Bytes{0x05, 0x00, 0x00, 'a'}), FormatError); // 5 characters promised, 1 there
}

TEST(XlsRecords, printAreaAndTitleNamesBothWays) {
    PrintAreaName area;
    area.sheet = 1;
    area.externSheet = 1;
    area.firstRow = 3;
    area.lastRow = 33;
    area.firstColumn = 1;
    area.lastColumn = 8;
    const Bytes areaBytes{
        0x18, 0x00, 0x1B, 0x00,       // NAME, 27 bytes
        0x20, 0x00, 0x00, 0x01,       // built-in, no shortcut, name of one code
        0x0B, 0x00, 0x00, 0x00,       // 11 formula bytes
        0x02, 0x00,                   // local to sheet 2 (1-based)
        0x00, 0x00, 0x00, 0x00, 0x00, // no texts; 8-bit name
        0x06,                         // Print_Area
        0x3B, 0x01, 0x00,             // tArea3d through EXTERNSHEET entry 1
        0x03, 0x00, 0x21, 0x00,       // rows 4..34
        0x01, 0x00, 0x08, 0x00,       // columns B..I
    };
    EXPECT_EQ(serialise(area), areaBytes);
    const auto areaBack = PrintAreaName::parse(body(areaBytes));
    ASSERT_TRUE(areaBack);
    EXPECT_EQ(areaBack->sheet, 1);
    EXPECT_EQ(areaBack->lastRow, 33);
    EXPECT_EQ(areaBack->lastColumn, 8);
    EXPECT_FALSE(PrintTitlesName::parse(body(areaBytes)));

    PrintTitlesName titles;
    titles.firstRow = 4;
    titles.lastRow = 5;
    const Bytes titleBytes{
        0x18, 0x00, 0x1B, 0x00, 0x20, 0x00, 0x00, 0x01, 0x0B, 0x00, 0x00, 0x00, // NAME, built-in, 11 formula bytes
        0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,                               // sheet 1; no texts; 8-bit name
        0x07,                                                                   // Print_Titles
        0x3B, 0x00, 0x00,                                                       // tArea3d, EXTERNSHEET entry 0
        0x04, 0x00, 0x05, 0x00,                                                 // rows 5..6
        0x00, 0x00, 0xFF, 0x00,                                                 // every column, A..IV
    };
    EXPECT_EQ(serialise(titles), titleBytes);
    const auto titlesBack = PrintTitlesName::parse(body(titleBytes));
    ASSERT_TRUE(titlesBack);
    EXPECT_EQ(titlesBack->sheet, 0);
    EXPECT_EQ(titlesBack->firstRow, 4);
    EXPECT_EQ(titlesBack->lastRow, 5);
    EXPECT_FALSE(PrintAreaName::parse(body(titleBytes)));
}

TEST(XlsRecords, printTitlesOverRowsAndColumnsGiveTheRows) {
    const Bytes both{
        0x20, 0x00, 0x00, 0x01, 0x1A, 0x00, 0x00, 0x00,       // built-in, 26 formula bytes
        0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x07,       // sheet 1; Print_Titles
        0x29, 0x17, 0x00,                                     // tMemFunc over the 23 bytes that follow
        0x3B, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, // columns A..B over every row ...
        0x01, 0x00,                                           //
        0x3B, 0x00, 0x00, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00, // ... and rows 2..3 over every column
        0xFF, 0x00,                                           //
        0x10,                                                 // tList
    };
    const auto rows = PrintTitlesName::parse(both);
    ASSERT_TRUE(rows);
    EXPECT_EQ(rows->firstRow, 1);
    EXPECT_EQ(rows->lastRow, 2);

    Bytes columnsOnly(both.begin(), both.begin() + 16);
    columnsOnly[4] = 11; // formula: the columns area alone
    columnsOnly.insert(columnsOnly.end(), both.begin() + 19, both.begin() + 30);
    EXPECT_FALSE(PrintTitlesName::parse(columnsOnly));

    Bytes other = both;
    other[19] = 0x17; // tStr in place of the first area: a formula, not a reference
    EXPECT_FALSE(PrintTitlesName::parse(other));

    const Bytes cut(both.begin(), both.end() - 6); // the second area runs past the record
    EXPECT_FALSE(PrintTitlesName::parse(cut));
}

TEST(XlsRecords, selectionForB6) {
    SelectionRecord s;
    s.activeRow = 5;
    s.activeColumn = 1;
    s.ranges = {{5, 5, 1, 1}};
    const Bytes expected{0x1D, 0x00, 0x0F, 0x00,                               // SELECTION, 15 bytes
                         0x03, 0x05, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, // pane, B6, range 0 of 1
                         0x05, 0x00, 0x05, 0x00, 0x01, 0x01};                  // rows 5..5, columns 1..1
    EXPECT_EQ(serialise(s), expected);
    const SelectionRecord back = SelectionRecord::parse(body(expected));
    ASSERT_EQ(back.ranges.size(), 1u);
    EXPECT_EQ(back.activeRow, 5);
    EXPECT_EQ(back.ranges[0].lastColumn, 1);
}

TEST(XlsRecords, splitsSharedStringsAcrossContinue) {
    // 8 bytes of counts, then a 3-byte header and 8,210 8-bit characters fill the
    // first record up to 3 bytes short; the next string's header does not fit with
    // its first character, so it opens the CONTINUE; its UTF-16 characters run
    // into a third record, which starts with a flags byte.
    SstBuilder sst;
    const std::string first(8210, 'a');
    std::string second;
    for (int i = 0; i < 5000; ++i)
        second += "\u20AC"; // three bytes of UTF-8, one UTF-16 unit
    EXPECT_EQ(sst.add(first), 0u);
    EXPECT_EQ(sst.add(second), 1u);
    EXPECT_EQ(sst.add(first), 0u);
    Bytes stream;
    RecordWriter w(stream);
    sst.write(w, 3);
    RecordCursor cursor(stream, 0);
    Record sstRec, cont1, cont2, ext;
    ASSERT_TRUE(cursor.next(sstRec) && cursor.next(cont1) && cursor.next(cont2) && cursor.next(ext));
    EXPECT_EQ(sstRec.id, rid::Sst);
    EXPECT_EQ(sstRec.data.size(), 8u + 3 + 8210);
    EXPECT_EQ(loadU32(sstRec.data.data()), 3u);     // LABELSST cells
    EXPECT_EQ(loadU32(sstRec.data.data() + 4), 2u); // unique strings
    EXPECT_EQ(cont1.id, rid::Continue);
    EXPECT_EQ(cont1.data.size(), 8223u); // header and 4,110 two-byte characters; one byte stays free
    EXPECT_EQ(loadU16(cont1.data.data()), 5000);
    EXPECT_EQ(cont1.data[2], 0x01); // UTF-16
    EXPECT_EQ(cont2.id, rid::Continue);
    EXPECT_EQ(cont2.data[0], 0x01); // continued characters: new flags byte
    EXPECT_EQ(cont2.data.size(), 1u + 2 * (5000 - 4110));
    EXPECT_EQ(ext.id, rid::ExtSst);
    EXPECT_EQ(loadU16(ext.data.data()), 8);          // strings per bucket
    EXPECT_EQ(loadU32(ext.data.data() + 2), 4u + 8); // first string in the stream
    EXPECT_EQ(loadU16(ext.data.data() + 6), 12);     // offset within the SST record

    const auto strings = readSst({sstRec.data, cont1.data, cont2.data});
    ASSERT_EQ(strings.size(), 2u);
    EXPECT_EQ(strings[0], std::string(8210, 'a'));
    EXPECT_EQ(strings[1].size(), 5000u * 3);
}

TEST(XlsRecords, readsSstWithRichTextPhoneticsAndSwitchedWidth) {
    const Bytes sst{
        0x02, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, // 2 uses, 2 strings
        0x03, 0x00, 0x0C,                               // 3 chars, rich + phonetic, 8-bit
        0x01, 0x00,                                     // one formatting run
        0x02, 0x00, 0x00, 0x00,                         // 2 bytes of phonetic data
        'a',  'b',                                      // characters continue in the next record
    };
    const Bytes cont{
        0x01, 0x63, 0x00,       // flags byte: now UTF-16; 'c'
        0x00, 0x00, 0x05, 0x00, // run: from char 0, font 5
        0xAA, 0xBB,             // phonetic data
        0x02, 0x00, 0x00,       // 2 chars, 8-bit
        'h',  'i',
    };
    const auto strings = readSst({sst, cont});
    ASSERT_EQ(strings.size(), 2u);
    EXPECT_EQ(strings[0], "abc");
    EXPECT_EQ(strings[1], "hi");
}

TEST(XlsRecords, rkEncodesOnlyExactValues) {
    EXPECT_EQ(encodeRk(1.0), 0x6u);
    EXPECT_EQ(encodeRk(-1.0), 0xFFFFFFFEu);
    EXPECT_EQ(encodeRk(0.5), 0x3FE00000u);
    EXPECT_FALSE(encodeRk(0.1).has_value());
    EXPECT_EQ(decodeRk(0x3FE00000u), 0.5);
    EXPECT_EQ(decodeRk(0x0000'0FA3u), 10.0); // 1000 / 100 (integer, x100)
}

TEST(XlsRecords, writerRefusesRecordsPastTheLimit) {
    Bytes out;
    RecordWriter w(out);
    EXPECT_THROW(w.raw(rid::Label, Bytes(kMaxRecordData + 1)), std::logic_error);
    EXPECT_NO_THROW(w.raw(rid::Label, Bytes(kMaxRecordData)));
}

TEST(XlsRecords, compoundFileKeepsTheStreamAndUsesDifatForLargeFiles) {
    for (std::size_t size : {std::size_t{4096}, std::size_t{5000}, std::size_t{8'000'000}}) {
        Bytes stream(size);
        for (std::size_t i = 0; i < size; ++i)
            stream[i] = static_cast<std::uint8_t>(i * 7);
        const Bytes file = writeCompoundFile(u"Workbook", stream);
        EXPECT_EQ(file.size() % 512, 0u);
        const CompoundFileReader reader(file);
        EXPECT_TRUE(reader.hasStream(u"WORKBOOK"));
        EXPECT_EQ(reader.readStream(u"Workbook"), stream) << size;
        if (size == 8'000'000) {
            EXPECT_EQ(loadU32(file.data() + 0x48), 1u); // one DIFAT sector beyond the header's 109 entries
        }
    }
}

TEST(XlsRecords, sharedStringEndingAtARecordEndStartsTheNextHeaderWithoutFlags) {
    // 8 bytes of counts + 3-byte header + 8,213 characters fill the SST exactly;
    // the next string's header opens the CONTINUE; its 8-bit data runs into a
    // third record that starts with the flags byte 0.
    SstBuilder sst;
    sst.add(std::string(8213, 'x'));
    std::string accents;
    for (int i = 0; i < 9000; ++i)
        accents += "\u00E9"; // two bytes of UTF-8, one 8-bit character
    sst.add(accents);
    Bytes stream;
    RecordWriter w(stream);
    sst.write(w, 2);
    RecordCursor cursor(stream, 0);
    Record first, cont1, cont2;
    ASSERT_TRUE(cursor.next(first) && cursor.next(cont1) && cursor.next(cont2));
    EXPECT_EQ(first.data.size(), kMaxRecordData);
    EXPECT_EQ(loadU16(cont1.data.data()), 9000); // header first, no flags byte before it
    EXPECT_EQ(cont1.data[2], 0x00);              // compressed
    EXPECT_EQ(cont1.data.size(), kMaxRecordData);
    EXPECT_EQ(cont2.data[0], 0x00); // continued 8-bit characters
    EXPECT_EQ(cont2.data.size(), 1u + 9000 - (kMaxRecordData - 3));
    const auto strings = readSst({first.data, cont1.data, cont2.data});
    ASSERT_EQ(strings.size(), 2u);
    EXPECT_EQ(strings[1].size(), 9000u * 2);
}

TEST(XlsRecords, everyRecordIdHasOneNameInTheTable) {
    std::vector<std::uint16_t> seen;
    for (const RecordId& r : kRecordIds) {
        EXPECT_FALSE(r.name.empty()) << r.id;
        EXPECT_EQ(std::count(seen.begin(), seen.end(), r.id), 0) << "listed twice: " << r.id;
        EXPECT_TRUE(seen.empty() || seen.back() < r.id) << "out of id order: " << r.id;
        seen.push_back(r.id);
    }
    EXPECT_EQ(recordName(rid::LabelSst), "LABELSST");
    EXPECT_EQ(recordName(rid::DbCell), "DBCELL");
    EXPECT_EQ(recordName(0x7777), "");
    static_assert(recordName(rid::Bof) == "BOF", "the lookup works at compile time too");
}
