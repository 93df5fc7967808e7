#pragma once

// Records of the workbook-globals substream: BOF, WINDOW1, FONT, FORMAT, XF,
// BOUNDSHEET and the built-in NAMEs. Each has its id, its size, a writer and a parser.

#include "sheet/xls/biff_stream.h"

#include <array>
#include <optional>
#include <cstdint>
#include <span>
#include <string>

namespace sheet::xls {

inline constexpr std::uint16_t kBiff8 = 0x0600;
inline constexpr std::uint16_t kBofGlobals = 0x0005;
inline constexpr std::uint16_t kBofWorksheet = 0x0010;
inline constexpr std::uint16_t kAutoFontColor = 0x7FFF;
inline constexpr std::uint8_t kAutoBorderColor = 64;
inline constexpr std::uint8_t kAutoPatternBack = 65;

struct BofRecord {
    static constexpr std::uint16_t kId = rid::Bof;
    std::uint16_t version = kBiff8;
    std::uint16_t type = kBofGlobals;
    std::size_t size() const { return 16; }
    void write(ByteWriter& w) const;
    static BofRecord parse(std::span<const std::uint8_t> data);
};

struct Window1Record {
    static constexpr std::uint16_t kId = rid::Window1;
    std::uint16_t activeTab = 0;
    std::size_t size() const { return 18; }
    void write(ByteWriter& w) const;
    static Window1Record parse(std::span<const std::uint8_t> data);
};

struct FontRecord {
    static constexpr std::uint16_t kId = rid::Font;
    std::uint16_t height = 200; // twips
    bool italic = false;
    bool strikeout = false;
    std::uint16_t color = kAutoFontColor; // file colour index
    std::uint16_t weight = 400;           // 700 = bold
    std::uint8_t underline = 0;           // 1 single, 2 double, 0x21/0x22 accounting
    std::u16string name = u"Arial";
    std::size_t size() const;
    void write(ByteWriter& w) const;
    static FontRecord parse(std::span<const std::uint8_t> data);
};

struct FormatRecord {
    static constexpr std::uint16_t kId = rid::Format;
    std::uint16_t index = 0;
    std::u16string code;
    std::size_t size() const;
    void write(ByteWriter& w) const;
    static FormatRecord parse(std::span<const std::uint8_t> data);
};

// Extended format: a cell or style format (MS-XLS 2.4.353).
struct XfRecord {
    static constexpr std::uint16_t kId = rid::Xf;
    std::uint16_t font = 0;
    std::uint16_t format = 0;
    bool locked = true;
    bool hidden = false;
    bool style = false;
    std::uint16_t parent = 0; // cell XF: parent style XF; style XF: 0xFFF
    std::uint8_t hAlign = 0;
    std::uint8_t vAlign = 2;
    bool wrap = false;
    std::uint8_t usedAttributes = 0;           // the six fAtr* bits, already shifted (0xFC = all)
    std::array<std::uint8_t, 4> borderStyle{}; // left, top, right, bottom (as the model's Edge)
    std::array<std::uint8_t, 4> borderColor{};
    std::uint8_t pattern = 0;
    std::uint8_t patternFore = kAutoBorderColor;
    std::uint8_t patternBack = kAutoPatternBack;
    std::size_t size() const { return 20; }
    void write(ByteWriter& w) const;
    static XfRecord parse(std::span<const std::uint8_t> data);
    bool operator==(const XfRecord&) const = default;
};

struct BoundSheet8 {
    static constexpr std::uint16_t kId = rid::BoundSheet;
    std::uint32_t position = 0; // stream offset of the sheet's BOF
    std::uint8_t visibility = 0;
    std::uint8_t sheetType = 0;
    std::u16string name;
    std::size_t size() const;
    void write(ByteWriter& w) const;
    static BoundSheet8 parse(std::span<const std::uint8_t> data);
};

// Built-in name "Print_Area" (code 0x06) of one sheet: NAME with a tArea3d formula.
struct PrintAreaName {
    static constexpr std::uint16_t kId = rid::Name;
    static constexpr std::uint8_t kPrintArea = 0x06;
    std::uint16_t sheet = 0;       // 0-based BOUNDSHEET index; the record stores it + 1
    std::uint16_t externSheet = 0; // EXTERNSHEET entry the formula refers through
    std::uint16_t firstRow = 0, lastRow = 0, firstColumn = 0, lastColumn = 0;
    std::size_t size() const { return 27; }
    void write(ByteWriter& w) const;
    // The print area a NAME record defines, or nothing for any other name.
    static std::optional<PrintAreaName> parse(std::span<const std::uint8_t> data);
};

// Built-in name "Print_Titles" (code 0x07) of one sheet, rows only: NAME with a
// tArea3d over every column (0..255) of the rows repeated on each page. Written
// after all Print_Area names, as names go in order of their built-in code.
struct PrintTitlesName {
    static constexpr std::uint16_t kId = rid::Name;
    static constexpr std::uint8_t kPrintTitles = 0x07;
    std::uint16_t sheet = 0;       // 0-based BOUNDSHEET index; the record stores it + 1
    std::uint16_t externSheet = 0; // EXTERNSHEET entry the formula refers through
    std::uint16_t firstRow = 0, lastRow = 0;
    std::size_t size() const { return 27; }
    void write(ByteWriter& w) const;
    // The repeated rows of a Print_Titles name: its area over all columns, alone or
    // listed beside repeated columns. Nothing for columns-only titles and other names.
    static std::optional<PrintTitlesName> parse(std::span<const std::uint8_t> data);
};

} // namespace sheet::xls
