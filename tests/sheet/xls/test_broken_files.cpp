// Damaged inputs must give a FormatError that says what is wrong, never a
// crash, a hang or an unbounded allocation.

#include "sheet/xls/biff_stream.h"
#include "sheet/xls/compound_file.h"
#include "sheet/xls/xls_io.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>

using namespace sheet;
using namespace sheet::xls;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes validFile() {
    Workbook wb;
    Sheet& s = wb.addSheet("Data");
    CellFormat f;
    f.font.name = "Century Gothic";
    f.fill = 19;
    const FormatId id = wb.formats.intern(f);
    for (int r = 0; r < 30; ++r) {
        s.cellAt(r, 0) = Cell{std::string("name ") + std::to_string(r), id};
        s.cellAt(r, 1).value = r * 1.5;
        s.cellAt(r, 2).format = id;
        s.cellAt(r, 3).format = id;
    }
    s.merged.push_back({0, 2, 1, 3});
    return writeBytes(wb);
}

Bytes streamOf(const Bytes& file) {
    return CompoundFileReader(file).readStream(u"Workbook");
}

Bytes wrap(Bytes stream) {
    if (stream.size() < 4096)
        stream.resize(4096, 0);
    return writeCompoundFile(u"Workbook", stream);
}

// Applies change to the data of the n-th record with this id.
Bytes patchRecord(std::uint16_t id, const std::function<void(Bytes&, std::size_t)>& change, int nth = 0) {
    Bytes stream = streamOf(validFile());
    RecordCursor cursor(stream, 0);
    Record rec;
    while (cursor.next(rec)) {
        if (rec.id == id && nth-- == 0) {
            change(stream, rec.offset + 4);
            return wrap(stream);
        }
    }
    ADD_FAILURE() << "no record " << id;
    return {};
}

void put16(Bytes& b, std::size_t at, unsigned v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void put32(Bytes& b, std::size_t at, std::uint32_t v) {
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}

// Sector numbers of the writer's layout: the stream first, then FAT, then directory.
std::size_t fatOffset(const Bytes& file) {
    return 512 * (1 + std::size_t{loadU32(file.data() + 0x4C)});
}

std::string errorOf(const Bytes& file) {
    try {
        readBytes(file);
    } catch (const FormatError& e) {
        return e.what();
    }
    return "no error";
}

MATCHER_P(Says, text, "") {
    return arg.find(text) != std::string::npos;
}

} // namespace

TEST(XlsBrokenFiles, containerDamage) {
    const Bytes good = validFile();
    ASSERT_EQ(errorOf(good), "no error");

    EXPECT_THAT(errorOf({}), Says("not an Excel 97-2003 workbook"));
    EXPECT_THAT(errorOf({'P', 'K', 3, 4, 0, 0}), Says(".xlsx"));

    Bytes badOrder = good;
    badOrder[0x1C] = 0;
    EXPECT_THAT(errorOf(badOrder), Says("byte-order"));

    Bytes loop = good;
    put32(loop, fatOffset(good) + 4 * 3, 1); // sector 3 leads back to sector 1
    EXPECT_THAT(errorOf(loop), Says("loops"));

    Bytes outside = good;
    put32(outside, fatOffset(good) + 4 * 2, 0x00FFFFFF);
    EXPECT_THAT(errorOf(outside), Says("points outside the file"));

    Bytes fatOutside = good;
    put32(fatOutside, 0x4C, 0x7FFFFFFF);
    EXPECT_THAT(errorOf(fatOutside), Says("FAT sector number points outside"));

    Bytes fatCount = good;
    put32(fatCount, 0x2C, 0xFFFFFFF0);
    EXPECT_THAT(errorOf(fatCount), Says("impossible number of FAT sectors"));

    Bytes dirOutside = good;
    put32(dirOutside, 0x30, 100000);
    EXPECT_THAT(errorOf(dirOutside), Says("directory sector chain points outside"));

    Bytes difatLoop = good;
    put32(difatLoop, 0x44, 0);
    put32(difatLoop, 0x48, 5);
    put32(difatLoop, 0x4C, 0xFFFFFFFF); // the header lists no FAT sector, the DIFAT chain is bogus
    EXPECT_NE(errorOf(difatLoop), "no error");

    // The stream's size field in directory entry 1.
    const std::size_t dir = 512 * (1 + std::size_t{loadU32(good.data() + 0x30)});
    Bytes huge = good;
    put32(huge, dir + 128 + 0x78, 0x7FFFFFFF);
    EXPECT_THAT(errorOf(huge), Says("larger than the file"));

    Bytes longer = good;
    put32(longer, dir + 128 + 0x78, loadU32(good.data() + dir + 128 + 0x78) + 600);
    EXPECT_THAT(errorOf(longer), Says("shorter than its declared size"));

    Bytes badName = good;
    put16(badName, dir + 128 + 0x40, 65);
    EXPECT_THAT(errorOf(badName), Says("malformed name"));

    Bytes renamed = good;
    renamed[dir + 128] = 'X';
    EXPECT_THAT(errorOf(renamed), Says("no Excel workbook stream"));

    Bytes biff5 = good;
    const char16_t book[] = u"Book";
    for (int i = 0; i < 5; ++i)
        put16(biff5, dir + 128 + 2 * static_cast<std::size_t>(i), book[i]);
    put16(biff5, dir + 128 + 0x40, 10);
    EXPECT_THAT(errorOf(biff5), Says("BIFF5"));
}

TEST(XlsBrokenFiles, everyTruncationIsReported) {
    const Bytes good = validFile();
    for (std::size_t cut = 0; cut < good.size(); cut += cut < 1024 ? 1 : 97) {
        const Bytes part(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
        EXPECT_NE(errorOf(part), "no error") << cut;
    }
}

TEST(XlsBrokenFiles, recordDamage) {
    EXPECT_THAT(errorOf(patchRecord(rid::Bof, [](Bytes& s, std::size_t at) { put16(s, at, 0x0500); })), Says("BIFF5"));
    EXPECT_THAT(errorOf(patchRecord(rid::CodePage, [](Bytes& s, std::size_t at) { put16(s, at - 4, rid::FilePass); })),
                Says("encrypted"));
    EXPECT_THAT(errorOf(patchRecord(rid::BoundSheet, [](Bytes& s, std::size_t at) { put32(s, at, 0x00FFFFFF); })),
                Says("points outside the workbook stream"));
    EXPECT_THAT(errorOf(patchRecord(rid::BoundSheet, [](Bytes& s, std::size_t at) { put32(s, at, 2); })),
                Says("does not start with a BOF"));
    EXPECT_THAT(errorOf(patchRecord(rid::LabelSst, [](Bytes& s, std::size_t at) { put32(s, at + 6, 5000); })),
                Says("shared string 5000"));
    EXPECT_THAT(errorOf(patchRecord(rid::LabelSst, [](Bytes& s, std::size_t at) { put16(s, at + 4, 999); })),
                Says("format (XF) 999"));
    EXPECT_THAT(errorOf(patchRecord(
                    rid::Xf, [](Bytes& s, std::size_t at) { put16(s, at, 4); }, 16)),
                Says("font 4"));
    EXPECT_THAT(errorOf(patchRecord(
                    rid::Xf, [](Bytes& s, std::size_t at) { put16(s, at, 77); }, 16)),
                Says("font 77"));
    EXPECT_THAT(errorOf(patchRecord(rid::MulBlank, [](Bytes& s, std::size_t at) { put16(s, at + 2, 0); })),
                Says("column range does not match"));
    EXPECT_THAT(errorOf(patchRecord(rid::Rk, [](Bytes& s, std::size_t at) { put16(s, at + 2, 256); })),
                Says("256 columns"));
    EXPECT_THAT(errorOf(patchRecord(rid::Rk, [](Bytes& s, std::size_t at) { put16(s, at - 2, 4); })),
                Says("RK record is shorter"));
    EXPECT_THAT(errorOf(patchRecord(rid::Sst, [](Bytes& s, std::size_t at) { put16(s, at + 8, 30000); })),
                Says("ends in the middle of a string"));
    EXPECT_THAT(errorOf(patchRecord(rid::Sst, [](Bytes& s, std::size_t at) { put16(s, at + 8, 40000); })),
                Says("longer than 32,767"));
    EXPECT_THAT(errorOf(patchRecord(rid::BoundSheet, [](Bytes& s, std::size_t at) { s[at + 6] = 0; })),
                Says("empty or longer than 31"));
    EXPECT_THAT(errorOf(patchRecord(rid::MergedCells, [](Bytes& s, std::size_t at) { put16(s, at + 8, 300); })),
                Says("merged area outside"));
    EXPECT_THAT(errorOf(patchRecord(
                    rid::Eof, [](Bytes& s, std::size_t at) { put16(s, at - 2, 0xFFFF); }, 1)),
                Says("runs past the end"));
}

TEST(XlsBrokenFiles, sheetsSharingOneSubstream) {
    // Two BOUNDSHEETs aimed at one substream would make the reader read it twice.
    Workbook wb;
    wb.addSheet("One");
    wb.addSheet("Two");
    Bytes stream = streamOf(writeBytes(wb));
    RecordCursor cursor(stream, 0);
    Record rec;
    std::vector<std::size_t> positions;
    while (cursor.next(rec))
        if (rec.id == rid::BoundSheet)
            positions.push_back(rec.offset + 4);
    ASSERT_EQ(positions.size(), 2u);
    put32(stream, positions[1], loadU32(stream.data() + positions[0]));
    EXPECT_THAT(errorOf(wrap(stream)), Says("same place"));
}

TEST(XlsBrokenFiles, hostileCountsStayBounded) {
    // An SST claiming two billion strings allocates by its real size.
    EXPECT_EQ(errorOf(patchRecord(rid::Sst, [](Bytes& s, std::size_t at) { put32(s, at + 4, 0x7FFFFFFF); })),
              "no error");

    // Thousands of one-cell rows reaching the last column would need far more
    // memory than the file's size justifies.
    Bytes stream = streamOf(validFile());
    RecordCursor cursor(stream, 0);
    Record rec;
    std::size_t dims = 0;
    while (cursor.next(rec))
        if (rec.id == rid::Dimensions)
            dims = rec.offset + 4 + rec.data.size();
    Bytes blanks;
    for (unsigned r = 100; r < 20100; ++r) {
        const std::uint8_t blank[] = {
            0x01, 0x02, 6, 0, static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(r >> 8), 255, 0, 15, 0};
        blanks.insert(blanks.end(), std::begin(blank), std::end(blank));
    }
    stream.insert(stream.begin() + static_cast<std::ptrdiff_t>(dims), blanks.begin(), blanks.end());
    EXPECT_THAT(errorOf(wrap(stream)), Says("far more cells"));

    // Hundreds of sheets each using the last row would each need a full row table.
    Workbook wb;
    for (int i = 0; i < 300; ++i) {
        Row& last = wb.addSheet("S" + std::to_string(i)).rowAt(kMaxRows - 1);
        last.height = 20;
        last.customHeight = true;
    }
    EXPECT_THAT(errorOf(writeBytes(wb)), Says("far more cells"));
}

TEST(XlsBrokenFiles, sheetsMustOwnTheirRecords) {
    Workbook wb;
    Sheet& one = wb.addSheet("One");
    for (int r = 0; r < 50; ++r)
        one.cellAt(r, 0);
    wb.addSheet("Two");
    const Bytes good = streamOf(writeBytes(wb));
    RecordCursor cursor(good, 0);
    Record rec;
    std::vector<std::size_t> boundSheets;
    std::size_t firstSheetStart = 0, insideFirstSheet = 0, globalsRecord = 0;
    while (cursor.next(rec)) {
        if (rec.id == rid::BoundSheet)
            boundSheets.push_back(rec.offset + 4);
        if (rec.id == rid::Window1)
            globalsRecord = rec.offset;
    }
    ASSERT_EQ(boundSheets.size(), 2u);
    firstSheetStart = loadU32(good.data() + boundSheets[0]);
    RecordCursor inSheet(good, firstSheetStart);
    for (int i = 0; i < 12 && inSheet.next(rec); ++i)
        insideFirstSheet = rec.offset; // a record well inside the first sheet
    ASSERT_GT(insideFirstSheet, firstSheetStart);

    // The second sheet aimed at a record of the first would read those cells twice.
    Bytes overlapping = good;
    put32(overlapping, boundSheets[1], std::uint32_t(insideFirstSheet));
    EXPECT_THAT(errorOf(wrap(overlapping)), Says("overlaps another sheet"));
    // Aimed into the globals.
    Bytes intoGlobals = good;
    put32(intoGlobals, boundSheets[1], std::uint32_t(globalsRecord));
    EXPECT_THAT(errorOf(wrap(intoGlobals)), Says("points into the workbook globals"));
    // Aimed between two records.
    Bytes between = good;
    put32(between, boundSheets[1], std::uint32_t(insideFirstSheet + 1));
    EXPECT_THAT(errorOf(wrap(between)), Says("points between records"));
}

TEST(XlsBrokenFiles, repeatedLongTextsCountAgainstTheFileSize) {
    // Each LABELSST of 14 bytes would copy a 30,000-character shared string.
    Workbook wb;
    Sheet& s = wb.addSheet("S");
    for (int r = 0; r < 3000; ++r)
        s.cellAt(r, 0).value = std::string(30000, 'x');
    EXPECT_THAT(errorOf(writeBytes(wb)), Says("far more cells"));
}

TEST(XlsBrokenFiles, aWorkbookListsAtMostSoManySheets) {
    Workbook wb;
    for (int i = 0; i < 4097; ++i)
        wb.addSheet("S" + std::to_string(i));
    EXPECT_THAT(errorOf(writeBytes(wb)), Says("more than 4,096 sheets"));
}

// Files the fuzzer found, each with the start of the error it must give.
TEST(XlsBrokenFiles, committedCorpus) {
    const std::filesystem::path dir = std::filesystem::path(XLS_TEST_DATA) / "broken";
    std::ifstream list(dir / "expected.txt");
    ASSERT_TRUE(list) << dir;
    std::string line;
    int checked = 0;
    while (std::getline(list, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        const auto colon = line.find(": ");
        ASSERT_NE(colon, std::string::npos) << line;
        std::ifstream in(dir / line.substr(0, colon), std::ios::binary);
        ASSERT_TRUE(in) << line;
        const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_THAT(errorOf(bytes), Says(line.substr(colon + 2))) << line;
        ++checked;
    }
    EXPECT_GT(checked, 0);
}

// Seeded random damage in the container and the records: each file must
// either read or give a FormatError.
TEST(XlsBrokenFiles, randomDamageGivesFormatErrorsOnly) {
    const Bytes good = validFile();
    std::uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    int errors = 0;
    for (int round = 0; round < 3000; ++round) {
        Bytes file = good;
        const int edits = 1 + static_cast<int>(next() % 4);
        for (int e = 0; e < edits; ++e) {
            const std::size_t at = next() % file.size();
            switch (next() % 3) {
            case 0:
                file[at] = static_cast<std::uint8_t>(next());
                break;
            case 1:
                file[at] ^= static_cast<std::uint8_t>(1u << (next() % 8));
                break;
            default:
                file[at] = next() % 2 ? 0xFF : 0x00;
                break;
            }
        }
        try {
            auto wb = readBytes(file);
            ASSERT_NE(wb, nullptr);
            (void)writeBytes(*wb);
        } catch (const FormatError&) {
            ++errors;
        }
    }
    EXPECT_GT(errors, 0);
}
