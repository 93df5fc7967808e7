// The compound-file header both ways on annotated bytes.

#include "sheet/xls/compound_file.h"

#include <gtest/gtest.h>

#include <vector>

using namespace sheet::xls;
using Bytes = std::vector<std::uint8_t>;

TEST(XlsCompoundFile, headerBothWays) {
    CompoundFileHeader h;
    h.fatSectorCount = 1;
    h.firstDirectorySector = 9;
    h.difat[0] = 8;
    Bytes out;
    ByteWriter w(out);
    h.write(w);
    ASSERT_EQ(out.size(), 512u);
    const Bytes fields{
        0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1,                         // signature
        0,    0,    0,    0,    0,    0,    0,    0,    0, 0, 0, 0, 0, 0, 0, 0, // class id
        0x3E, 0x00,                                                             // minor version
        0x03, 0x00,                                                             // major version 3
        0xFE, 0xFF,                                                             // byte order: little-endian
        0x09, 0x00,                                                             // sectors of 2^9 bytes
        0x06, 0x00,                                                             // mini sectors of 2^6 bytes
        0,    0,    0,    0,    0,    0,                                        // reserved
        0x00, 0x00, 0x00, 0x00,                                                 // directory sectors: none in version 3
        0x01, 0x00, 0x00, 0x00,                                                 // one FAT sector
        0x09, 0x00, 0x00, 0x00,                                                 // directory starts at sector 9
        0x00, 0x00, 0x00, 0x00,                                                 // transaction signature
        0x00, 0x10, 0x00, 0x00,                                                 // mini-stream cutoff 4096
        0xFE, 0xFF, 0xFF, 0xFF,                                                 // no mini FAT: end of chain
        0x00, 0x00, 0x00, 0x00,                                                 // mini FAT sectors
        0xFE, 0xFF, 0xFF, 0xFF,                                                 // no DIFAT sector
        0x00, 0x00, 0x00, 0x00,                                                 // DIFAT sectors
        0x08, 0x00, 0x00, 0x00,                                                 // the FAT is sector 8
        0xFF, 0xFF, 0xFF, 0xFF, // the other 108 header DIFAT entries are free
    };
    EXPECT_EQ(Bytes(out.begin(), out.begin() + long(fields.size())), fields);
    for (std::size_t i = fields.size(); i < out.size(); ++i)
        ASSERT_EQ(out[i], 0xFF) << i;

    out[0x2C] = 3; // three FAT sectors
    const CompoundFileHeader back = CompoundFileHeader::parse(out);
    EXPECT_EQ(back.majorVersion, 3);
    EXPECT_EQ(back.byteOrder, 0xFFFE);
    EXPECT_EQ(back.sectorShift, 9);
    EXPECT_EQ(back.miniSectorShift, 6);
    EXPECT_EQ(back.fatSectorCount, 3u);
    EXPECT_EQ(back.firstDirectorySector, 9u);
    EXPECT_EQ(back.miniStreamCutoff, 4096u);
    EXPECT_EQ(back.firstDifatSector, kEndOfChain);
    EXPECT_EQ(back.difat[0], 8u);
    EXPECT_EQ(back.difat[108], kFreeSect);
}

TEST(XlsCompoundFile, writtenFilesCarryTheHeaderTheyDescribe) {
    const Bytes stream(5000, 0x5A);
    const Bytes file = writeCompoundFile(u"Workbook", stream);
    const CompoundFileHeader h = CompoundFileHeader::parse(file);
    // Ten sectors of stream, then the FAT, then the directory.
    EXPECT_EQ(h.fatSectorCount, 1u);
    EXPECT_EQ(h.difat[0], 10u);
    EXPECT_EQ(h.firstDirectorySector, 11u);
    EXPECT_EQ(file.size(), 512u * 13);
}
