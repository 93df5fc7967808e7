// The .xlsx writer as a file: its entries, its numbers under any locale, its
// temporary files, and the writes it refuses. What readers make of the content is
// checked by check_xlsx_readers.py with openpyxl and LibreOffice.

#include "sheet/xlsx/xlsx_io.h"

#include "zip_entries.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <optional>
#include <set>
#include <string>

#include <sys/stat.h>

using namespace sheet;
namespace fs = std::filesystem;

namespace {

// Two sheets with the things that become numbers in the file: a row height, a
// column width, a font size, a margin and a number.
void buildSample(Workbook& wb) {
    Sheet& s = wb.addSheet("Phone List");
    CellFormat f;
    f.font.size = 10.5;
    f.fill = 49;
    f.border(Edge::Bottom) = {kLineThin, 15};
    const FormatId id = wb.formats.intern(f);
    s.cellAt(0, 0) = Cell{std::string("Name"), id};
    s.cellAt(1, 1) = Cell{2.5, 0};
    s.cellAt(2, 2).format = id;
    s.rowAt(0).height = 34.5;
    s.rowAt(0).customHeight = true;
    s.columns[0].width = 10.43;
    s.pageSetup.leftMargin = 50.4;
    s.merged.push_back({0, 0, 0, 3});
    wb.addSheet("Notes").cellAt(0, 0).value = std::string("x");
}

std::vector<std::uint8_t> readBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::set<std::string> entriesOf(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        names.insert(e.path().filename().string());
    return names;
}

class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (fs::temp_directory_path() / "xlsx-test-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
    }
    ~ScratchFolder() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    fs::path path;
};

// Sets an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : mName(name) {
        if (const char* old = std::getenv(name))
            mOld = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (mOld)
            ::setenv(mName, mOld->c_str(), 1);
        else
            ::unsetenv(mName);
    }

private:
    const char* mName;
    std::optional<std::string> mOld;
};

} // namespace

TEST(XlsxWriter, holdsEveryEntryOfTheWorkbook) {
    Workbook wb;
    buildSample(wb);
    const auto entries = zip_entries::read(xlsx::writeBytes(wb));
    std::set<std::string> names;
    for (const auto& [name, content] : entries)
        names.insert(name);
    EXPECT_EQ(names, (std::set<std::string>{"[Content_Types].xml", "_rels/.rels", "docProps/app.xml",
                                            "docProps/core.xml", "xl/workbook.xml", "xl/_rels/workbook.xml.rels",
                                            "xl/styles.xml", "xl/theme/theme1.xml", "xl/sharedStrings.xml",
                                            "xl/worksheets/sheet1.xml", "xl/worksheets/sheet2.xml"}));
    const std::string& workbook = entries.at("xl/workbook.xml");
    EXPECT_NE(workbook.find("<sheet name=\"Phone List\""), std::string::npos);
    EXPECT_NE(workbook.find("<sheet name=\"Notes\""), std::string::npos);
    // The merged area adds no cells of its own: B1:D1 are not in the model.
    const std::string& sheet1 = entries.at("xl/worksheets/sheet1.xml");
    EXPECT_NE(sheet1.find("<mergeCell ref=\"A1:D1\"/>"), std::string::npos);
    EXPECT_EQ(sheet1.find("r=\"B1\""), std::string::npos);
}

TEST(XlsxWriter, writesDecimalPointsUnderADecimalCommaLocale) {
    const std::string before = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "de_DE.utf8"))
        GTEST_SKIP() << "no German locale installed";
    Workbook wb;
    buildSample(wb);
    const auto entries = zip_entries::read(xlsx::writeBytes(wb));
    const std::string decimalPoint = std::localeconv()->decimal_point;
    std::setlocale(LC_ALL, before.c_str());

    EXPECT_EQ(decimalPoint, ",") << "the writer must leave the program's locale as it was";
    const std::string& sheet1 = entries.at("xl/worksheets/sheet1.xml");
    for (const char* want :
         {"ht=\"34.5\"", "<v>2.5</v>", "width=\"11.140625\"", "left=\"0.7\"", "defaultRowHeight=\"12.75\""})
        EXPECT_NE(sheet1.find(want), std::string::npos) << want;
    EXPECT_NE(entries.at("xl/styles.xml").find("<sz val=\"10.5\"/>"), std::string::npos);
    EXPECT_EQ(sheet1.find("34,5"), std::string::npos);
}

TEST(XlsxWriter, leavesNoTemporaryFilesBehind) {
    ScratchFolder tmp;
    const ScopedEnv env("TMPDIR", tmp.path.string());
    Workbook good;
    buildSample(good);
    EXPECT_GT(xlsx::writeBytes(good).size(), 1000u);
    EXPECT_TRUE(entriesOf(tmp.path).empty());

    Workbook bad;
    bad.addSheet("List").cellAt(3, 1).value = std::numeric_limits<double>::quiet_NaN();
    EXPECT_THROW(xlsx::writeBytes(bad), std::runtime_error);
    EXPECT_TRUE(entriesOf(tmp.path).empty());
}

TEST(XlsxWriter, refusesUnwritablePathsAndKeepsTheOldFile) {
    ScratchFolder dir;
    Workbook wb;
    buildSample(wb);

    // A folder that cannot exist (its parent is a file): refused whoever runs the test.
    const fs::path plain = dir.path / "plain";
    std::ofstream(plain) << "x";
    const std::string under = (plain / "list.xlsx").string();
    try {
        xlsx::writeFile(wb, under);
        FAIL() << "wrote under a file";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find(under), std::string::npos) << e.what();
    }
    EXPECT_THROW(xlsx::writeFile(wb, (dir.path / "missing" / "list.xlsx").string()), std::runtime_error);

    // A link is not followed, and stays as it was.
    const fs::path target = dir.path / "target.xlsx", link = dir.path / "link.xlsx";
    std::ofstream(target) << "old";
    fs::create_symlink(target, link);
    EXPECT_THROW(xlsx::writeFile(wb, link.string()), std::runtime_error);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readBytes(target), (std::vector<std::uint8_t>{'o', 'l', 'd'}));

    // A model the file cannot hold leaves the old file and nothing beside it.
    Workbook bad;
    bad.addSheet("a/b");
    EXPECT_THROW(xlsx::writeFile(bad, target.string()), std::runtime_error);
    EXPECT_EQ(readBytes(target), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(entriesOf(dir.path), (std::set<std::string>{"plain", "target.xlsx", "link.xlsx"}));

    // Success replaces it, keeping its permissions.
    ::chmod(target.c_str(), 0640);
    xlsx::writeFile(wb, target.string());
    const auto bytes = readBytes(target);
    ASSERT_GT(bytes.size(), 4u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), std::string("PK\x03\x04", 4));
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(entriesOf(dir.path), (std::set<std::string>{"plain", "target.xlsx", "link.xlsx"}));
}

TEST(XlsxWriter, refusesWhatTheFileCannotHoldNamingIt) {
    struct Case {
        const char* what;
        std::function<void(Workbook&)> build;
        std::string inMessage;
    };
    const std::string emoji = "\xF0\x9F\x93\x9E"; // one code point, two UTF-16 units
    std::string twoUnitsTooMany;
    for (int i = 0; i < 16384; ++i)
        twoUnitsTooMany += emoji;
    const Case cases[] = {
        {"no sheets", [](Workbook&) {}, "at least one sheet"},
        {"a character sheet names cannot have", [](Workbook& wb) { wb.addSheet("Q1/Q2"); }, "\"Q1/Q2\""},
        {"a name used twice, in another case",
         [](Workbook& wb) {
             wb.addSheet("List");
             wb.addSheet("LIST");
         },
         "\"LIST\""},
        {"an empty name", [](Workbook& wb) { wb.addSheet(""); }, "empty"},
        {"a name of 32 characters", [](Workbook& wb) { wb.addSheet(std::string(32, 'n')); }, "31 characters"},
        {"a text over 32,767 UTF-16 units",
         [&](Workbook& wb) { wb.addSheet("List").cellAt(2, 1).value = twoUnitsTooMany; }, "B3"},
        {"a number that is not finite",
         [](Workbook& wb) { wb.addSheet("List").cellAt(4, 0).value = std::numeric_limits<double>::infinity(); }, "A5"},
        {"a footer of 256 characters",
         [](Workbook& wb) { wb.addSheet("List").pageSetup.footer = "&C" + std::string(254, 'f'); }, "footer"},
        {"a picture code with no picture", [](Workbook& wb) { wb.addSheet("List").pageSetup.header = "&L&G"; },
         "picture"},
        {"merged areas that overlap",
         [](Workbook& wb) {
             Sheet& s = wb.addSheet("List");
             s.merged = {{0, 0, 1, 1}, {1, 1, 2, 2}};
         },
         "A1:B2 and B2:C3"},
        {"a merged area off the sheet",
         [](Workbook& wb) {
             wb.addSheet("List").merged = {{0, 250, 0, 300}};
         },
         "outside"},
    };
    for (const Case& c : cases) {
        Workbook wb;
        c.build(wb);
        try {
            xlsx::writeBytes(wb);
            ADD_FAILURE() << "wrote " << c.what;
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find(c.inMessage), std::string::npos) << c.what << ": " << e.what();
        }
    }

    // Just inside the limits it writes.
    Workbook wb;
    Sheet& s = wb.addSheet(std::string(31, 'n'));
    s.cellAt(0, 0).value = twoUnitsTooMany.substr(emoji.size()) + "x";
    s.pageSetup.footer = "&C" + std::string(253, 'f');
    EXPECT_NO_THROW(xlsx::writeBytes(wb));
}
