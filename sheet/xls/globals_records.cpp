#include "sheet/xls/globals_records.h"

#include "sheet/xls/string_records.h"

#include <algorithm>
#include <vector>

namespace sheet::xls {

void BofRecord::write(ByteWriter& w) const {
    w.u16(version);
    w.u16(type);
    w.u16(0x0DBB); // build
    w.u16(0x07CC); // year
    w.u32(0);
    w.u32(0x00000006); // lowest BIFF version: 8
}

BofRecord BofRecord::parse(std::span<const std::uint8_t> data) {
    ByteReader r(data, "BOF");
    BofRecord b;
    b.version = r.u16();
    b.type = r.u16();
    return b;
}

void Window1Record::write(ByteWriter& w) const {
    w.u16(0x0168);
    w.u16(0x010E);
    w.u16(0x3A5C);
    w.u16(0x23BE);
    w.u16(0x0038); // scroll bars and sheet tabs shown
    w.u16(activeTab);
    w.u16(0);
    w.u16(1);
    w.u16(600);
}

Window1Record Window1Record::parse(std::span<const std::uint8_t> data) {
    ByteReader r(data, "WINDOW1");
    r.skip(10);
    Window1Record rec;
    rec.activeTab = r.u16();
    return rec;
}

std::size_t FontRecord::size() const {
    return 14 + unicodeStringSize(name, true);
}

void FontRecord::write(ByteWriter& w) const {
    w.u16(height);
    w.u16((italic ? 0x0002u : 0u) | (strikeout ? 0x0008u : 0u) | (weight >= 700 ? 0x0001u : 0u));
    w.u16(color);
    w.u16(weight);
    w.u16(0); // no super/subscript
    w.u8(underline);
    w.u8(name == u"Arial" ? 2u : 0u); // family: swiss for Arial, else don't care
    w.u8(0);                          // ANSI character set
    w.u8(0);
    writeUnicodeString(w, name, true);
}

FontRecord FontRecord::parse(std::span<const std::uint8_t> data) {
    ByteReader r(data, "FONT");
    FontRecord f;
    f.height = r.u16();
    const std::uint16_t flags = r.u16();
    f.italic = flags & 0x0002;
    f.strikeout = flags & 0x0008;
    f.color = r.u16();
    f.weight = r.u16();
    r.skip(2);
    f.underline = r.u8();
    r.skip(3);
    f.name = readUnicodeString(r, true);
    return f;
}

std::size_t FormatRecord::size() const {
    return 2 + unicodeStringSize(code, false);
}

void FormatRecord::write(ByteWriter& w) const {
    w.u16(index);
    writeUnicodeString(w, code, false);
}

FormatRecord FormatRecord::parse(std::span<const std::uint8_t> data) {
    ByteReader r(data, "FORMAT");
    FormatRecord f;
    f.index = r.u16();
    f.code = readUnicodeString(r, false);
    return f;
}

void XfRecord::write(ByteWriter& w) const {
    w.u16(font);
    w.u16(format);
    w.u16((locked ? 0x0001u : 0u) | (hidden ? 0x0002u : 0u) | (style ? 0x0004u : 0u) |
          (static_cast<unsigned>(parent & 0x0FFF) << 4));
    w.u8((hAlign & 0x07u) | (wrap ? 0x08u : 0u) | ((vAlign & 0x07u) << 4));
    w.u8(0); // no rotation
    w.u8(0); // no indent, shrink or reading order
    w.u8(usedAttributes & 0xFCu);
    // Model edges are left, top, right, bottom; the file packs left, right, top, bottom.
    const std::uint32_t border1 = static_cast<std::uint32_t>(borderStyle[0] & 0x0F) |
                                  static_cast<std::uint32_t>(borderStyle[2] & 0x0F) << 4 |
                                  static_cast<std::uint32_t>(borderStyle[1] & 0x0F) << 8 |
                                  static_cast<std::uint32_t>(borderStyle[3] & 0x0F) << 12 |
                                  static_cast<std::uint32_t>(borderColor[0] & 0x7F) << 16 |
                                  static_cast<std::uint32_t>(borderColor[2] & 0x7F) << 23;
    const std::uint32_t border2 = static_cast<std::uint32_t>(borderColor[1] & 0x7F) |
                                  static_cast<std::uint32_t>(borderColor[3] & 0x7F) << 7 |
                                  static_cast<std::uint32_t>(pattern & 0x3F) << 26;
    w.u32(border1);
    w.u32(border2);
    w.u16((patternFore & 0x7Fu) | (static_cast<unsigned>(patternBack & 0x7F) << 7));
}

XfRecord XfRecord::parse(std::span<const std::uint8_t> data) {
    ByteReader r(data, "XF");
    XfRecord x;
    x.font = r.u16();
    x.format = r.u16();
    const std::uint16_t prot = r.u16();
    x.locked = prot & 0x0001;
    x.hidden = prot & 0x0002;
    x.style = prot & 0x0004;
    x.parent = static_cast<std::uint16_t>(prot >> 4);
    const std::uint8_t align = r.u8();
    x.hAlign = align & 0x07;
    x.wrap = align & 0x08;
    x.vAlign = (align >> 4) & 0x07;
    r.skip(2);
    x.usedAttributes = r.u8() & 0xFC;
    const std::uint32_t border1 = r.u32();
    const std::uint32_t border2 = r.u32();
    const std::uint16_t fill = r.u16();
    x.borderStyle = {static_cast<std::uint8_t>(border1 & 0x0F), static_cast<std::uint8_t>((border1 >> 8) & 0x0F),
                     static_cast<std::uint8_t>((border1 >> 4) & 0x0F),
                     static_cast<std::uint8_t>((border1 >> 12) & 0x0F)};
    x.borderColor = {static_cast<std::uint8_t>((border1 >> 16) & 0x7F), static_cast<std::uint8_t>(border2 & 0x7F),
                     static_cast<std::uint8_t>((border1 >> 23) & 0x7F),
                     static_cast<std::uint8_t>((border2 >> 7) & 0x7F)};
    x.pattern = static_cast<std::uint8_t>((border2 >> 26) & 0x3F);
    x.patternFore = fill & 0x7F;
    x.patternBack = (fill >> 7) & 0x7F;
    return x;
}

std::size_t BoundSheet8::size() const {
    return 6 + unicodeStringSize(name, true);
}

void BoundSheet8::write(ByteWriter& w) const {
    w.u32(position);
    w.u8(visibility);
    w.u8(sheetType);
    writeUnicodeString(w, name, true);
}

BoundSheet8 BoundSheet8::parse(std::span<const std::uint8_t> data) {
    ByteReader r(data, "BOUNDSHEET");
    BoundSheet8 b;
    b.position = r.u32();
    b.visibility = r.u8() & 0x03;
    b.sheetType = r.u8();
    b.name = readUnicodeString(r, true);
    return b;
}

namespace {

constexpr std::uint8_t kTArea3d = 0x3B; // reference class, absolute rows and columns
constexpr std::uint16_t kLastColumn = 0xFF;

bool isArea3d(std::uint8_t token) {
    return token == 0x3B || token == 0x5B || token == 0x7B; // reference, value and array class
}

// A built-in name of one sheet whose formula is a single tArea3d.
void writeBuiltinArea(ByteWriter& w, std::uint8_t code, std::uint16_t sheet, std::uint16_t externSheet,
                      std::uint16_t firstRow, std::uint16_t lastRow, std::uint16_t firstColumn,
                      std::uint16_t lastColumn) {
    w.u16(0x0020); // built-in name
    w.u8(0);       // no keyboard shortcut
    w.u8(1);       // name length: one built-in code
    w.u16(11);     // formula size
    w.u16(0);
    w.u16(static_cast<unsigned>(sheet + 1));
    w.u32(0); // no menu, description, help or status texts
    w.u8(0);  // 8-bit name
    w.u8(code);
    w.u8(kTArea3d);
    w.u16(externSheet);
    w.u16(firstRow);
    w.u16(lastRow);
    w.u16(firstColumn);
    w.u16(lastColumn);
}

struct Area3d {
    std::uint16_t externSheet = 0, firstRow = 0, lastRow = 0, firstColumn = 0, lastColumn = 0;
};

struct BuiltinName {
    std::uint16_t sheet = 0; // 0-based
    std::vector<Area3d> areas;
};

// The sheet and areas of a sheet-level built-in name with the given code. The
// formula is one tArea3d, or several joined by tList and led by tMemFunc (what
// print titles over both rows and columns look like); anything else is no area.
std::optional<BuiltinName> parseBuiltinAreas(std::span<const std::uint8_t> data, std::uint8_t wantedCode) {
    ByteReader r(data, "NAME");
    const std::uint16_t flags = r.u16();
    r.skip(1);
    const std::uint8_t nameLength = r.u8();
    const std::uint16_t formulaSize = r.u16();
    r.skip(2);
    const std::uint16_t itab = r.u16();
    r.skip(4);
    if (!(flags & 0x0020) || nameLength != 1 || itab == 0)
        return std::nullopt;
    const bool wide = r.u8() & 0x01;
    const unsigned code = wide ? r.u16() : r.u8();
    if (code != wantedCode)
        return std::nullopt;
    ByteReader f(r.take(std::min<std::size_t>(formulaSize, r.remaining())), "NAME");
    BuiltinName name;
    name.sheet = static_cast<std::uint16_t>(itab - 1);
    // A formula cut short defines no area; it does not make the workbook unreadable.
    while (!f.atEnd()) {
        const std::uint8_t token = f.u8();
        if (isArea3d(token) && f.remaining() >= 10) {
            Area3d a;
            a.externSheet = f.u16();
            a.firstRow = f.u16();
            a.lastRow = f.u16();
            a.firstColumn = f.u16() & kLastColumn; // the high bits are relative-reference flags
            a.lastColumn = f.u16() & kLastColumn;
            name.areas.push_back(a);
        } else if ((token == 0x29 || token == 0x49 || token == 0x69) && f.remaining() >= 2) { // tMemFunc: its size
            f.skip(2);
        } else if (token != 0x10 || name.areas.empty()) { // tList joins the areas before it
            return std::nullopt;
        }
    }
    if (name.areas.empty())
        return std::nullopt;
    return name;
}

} // namespace

void PrintAreaName::write(ByteWriter& w) const {
    writeBuiltinArea(w, kPrintArea, sheet, externSheet, firstRow, lastRow, firstColumn, lastColumn);
}

std::optional<PrintAreaName> PrintAreaName::parse(std::span<const std::uint8_t> data) {
    const auto name = parseBuiltinAreas(data, kPrintArea);
    if (!name)
        return std::nullopt;
    const Area3d& a = name->areas.front(); // the model keeps one area of a multi-area print range
    PrintAreaName p;
    p.sheet = name->sheet;
    p.externSheet = a.externSheet;
    p.firstRow = a.firstRow;
    p.lastRow = a.lastRow;
    p.firstColumn = a.firstColumn;
    p.lastColumn = a.lastColumn;
    return p;
}

void PrintTitlesName::write(ByteWriter& w) const {
    writeBuiltinArea(w, kPrintTitles, sheet, externSheet, firstRow, lastRow, 0, kLastColumn);
}

std::optional<PrintTitlesName> PrintTitlesName::parse(std::span<const std::uint8_t> data) {
    const auto name = parseBuiltinAreas(data, kPrintTitles);
    if (!name)
        return std::nullopt;
    for (const Area3d& a : name->areas) {
        // Repeated columns span every row; the repeated rows are the area over every column.
        if (a.firstColumn != 0 || a.lastColumn != kLastColumn || (a.firstRow == 0 && a.lastRow == 0xFFFF))
            continue;
        PrintTitlesName t;
        t.sheet = name->sheet;
        t.externSheet = a.externSheet;
        t.firstRow = a.firstRow;
        t.lastRow = a.lastRow;
        return t;
    }
    return std::nullopt;
}

} // namespace sheet::xls
