#include "sheet/engine/address.h"
#include "sheet/engine/typed_input.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

using namespace sheet;
using namespace sheet::om;

TEST(Address, parsesCellsRangesRowsAndColumns) {
    EXPECT_EQ(parseAddress("B6"), (std::vector<CellRange>{{5, 1, 5, 1}}));
    EXPECT_EQ(parseAddress("$b$6"), (std::vector<CellRange>{{5, 1, 5, 1}}));
    EXPECT_EQ(parseAddress("B4:I4"), (std::vector<CellRange>{{3, 1, 3, 8}}));
    EXPECT_EQ(parseAddress("I34:B4"), (std::vector<CellRange>{{3, 1, 33, 8}}));
    EXPECT_EQ(parseAddress("1:5"), (std::vector<CellRange>{{0, 0, 4, kMaxColumns - 1}}));
    EXPECT_EQ(parseAddress("A:C"), (std::vector<CellRange>{{0, 0, kMaxRows - 1, 2}}));
    EXPECT_EQ(parseAddress("IV65536"), (std::vector<CellRange>{{kMaxRows - 1, 255, kMaxRows - 1, 255}}));
    EXPECT_EQ(parseAddress("B4:I4, B6"), (std::vector<CellRange>{{3, 1, 3, 8}, {5, 1, 5, 1}}));
}

TEST(Address, rejectsWhatDoesNotNameCells) {
    for (const char* bad : {"",       " ",        "B",    "6",   "A0",       "IW1",          "AAAA1",
                            "A65537", "A1000000", "B4:",  ":B4", "B4:I4:J5", "B4,",          "4B",
                            "B$",     "B-4",      "B4 x", "A:1", "1:A",      "Z100000000000"})
        EXPECT_THROW(parseAddress(bad), AddressError) << '"' << bad << '"';
}

TEST(Address, formatsAsTheObjectModelShowsIt) {
    EXPECT_EQ(formatAddress({5, 1, 5, 1}), "$B$6");
    EXPECT_EQ(formatAddress({3, 1, 33, 8}), "$B$4:$I$34");
    EXPECT_EQ(formatAddress({0, 0, 4, kMaxColumns - 1}), "$1:$5");
    EXPECT_EQ(formatAddress({0, 26, kMaxRows - 1, 255}), "$AA:$IV");
    EXPECT_EQ(columnName(0), "A");
    EXPECT_EQ(columnName(25), "Z");
    EXPECT_EQ(columnName(26), "AA");
    EXPECT_EQ(columnName(255), "IV");
}

TEST(TypedInput, becomesANumberOnlyWhenItShowsAsTyped) {
    EXPECT_EQ(typedInput("12345"), CellValue(12345.0));
    EXPECT_EQ(typedInput("-5"), CellValue(-5.0));
    EXPECT_EQ(typedInput("0"), CellValue(0.0));
    EXPECT_EQ(typedInput("2.5"), CellValue(2.5));
    EXPECT_EQ(typedInput("5551234567"), CellValue(5551234567.0));
}

TEST(TypedInput, keepsEverythingElseAsTheLiteralText) {
    for (const char* text : {"0123",
                             "1e5",
                             "1E5",
                             "2.50",
                             ".5",
                             "5.",
                             "+5",
                             "-0",
                             "-",
                             "=1+2",
                             "=SUM(A1:A3)",
                             "@x",
                             "1/2/2026",
                             "12/08/2026",
                             "555-1234",
                             "1,000",
                             " 5",
                             "5 ",
                             "123456789012",
                             "0x10",
                             "inf",
                             "nan",
                             "(555) 123-4567",
                             "Smith"})
        EXPECT_EQ(typedInput(text), CellValue(std::string(text))) << '"' << text << '"';
    EXPECT_EQ(typedInput(""), CellValue());
}

TEST(TypedInput, ignoresADecimalCommaCLocale) {
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    bool set = false;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"})
        if (std::setlocale(LC_NUMERIC, name)) {
            set = true;
            break;
        }
    if (!set)
        GTEST_SKIP() << "no decimal-comma locale installed";
    EXPECT_EQ(typedInput("2.5"), CellValue(2.5));
    EXPECT_EQ(typedInput("2,5"), CellValue(std::string("2,5")));
    EXPECT_EQ(generalText(2.5), "2.5");
    std::setlocale(LC_NUMERIC, previous.c_str());
}
