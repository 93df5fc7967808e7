#include "sheet/xls/sheet_records.h"

#include "sheet/xls/string_records.h"

#include <algorithm>

namespace sheet::xls {

void DimensionsRecord::write(ByteWriter& w) const {
    w.u32(firstRow);
    w.u32(lastRowPlus1);
    w.u16(firstColumn);
    w.u16(lastColumnPlus1);
    w.u16(0);
}

void RowRecord::write(ByteWriter& w) const {
    w.u16(row);
    w.u16(firstColumn);
    w.u16(lastColumnPlus1);
    w.u16(height & 0x7FFFu);
    w.u16(0);
    w.u16(0);
    w.u32((flags & 0xFFu) | 0x100u | (static_cast<std::uint32_t>(xf & 0x0FFF) << 16));
}

RowRecord RowRecord::parse(std::span<const std::uint8_t> data) {
    ByteReader r(data, "ROW");
    RowRecord row;
    row.row = r.u16();
    row.firstColumn = r.u16();
    row.lastColumnPlus1 = r.u16();
    row.height = r.u16() & 0x7FFF; // bit 15 is an old "default height" flag
    r.skip(4);
    const std::uint32_t flags = r.u32();
    row.flags = flags & 0xFF;
    row.xf = static_cast<std::uint16_t>((flags >> 16) & 0x0FFF);
    return row;
}

void ColInfoRecord::write(ByteWriter& w) const {
    w.u16(firstColumn);
    w.u16(lastColumn);
    w.u16(width);
    w.u16(xf);
    w.u16(flags);
    w.u16(0);
}

ColInfoRecord ColInfoRecord::parse(std::span<const std::uint8_t> data) {
    ByteReader r(data, "COLINFO");
    ColInfoRecord c;
    c.firstColumn = r.u16();
    c.lastColumn = r.u16();
    c.width = r.u16();
    c.xf = r.u16();
    c.flags = r.u16();
    return c;
}

void DefaultRowHeightRecord::write(ByteWriter& w) const {
    w.u16(flags);
    w.u16(height);
}

DefaultRowHeightRecord DefaultRowHeightRecord::parse(std::span<const std::uint8_t> data) {
    ByteReader r(data, "DEFAULTROWHEIGHT");
    DefaultRowHeightRecord d;
    d.flags = r.u16();
    d.height = r.u16();
    return d;
}

std::size_t HeaderFooterText::size() const {
    return text.empty() ? 0 : unicodeStringSize(text, false);
}

void HeaderFooterText::write(ByteWriter& w) const {
    if (!text.empty())
        writeUnicodeString(w, text, false);
}

HeaderFooterText HeaderFooterText::parse(std::span<const std::uint8_t> data, const char* what) {
    if (data.empty())
        return {};
    ByteReader r(data, what);
    return {readUnicodeString(r, false)};
}

void SetupRecord::write(ByteWriter& w) const {
    w.u16(paperSize);
    w.u16(scale);
    w.u16(pageStart);
    w.u16(fitWidth);
    w.u16(fitHeight);
    w.u16(flags);
    w.u16(resolution);
    w.u16(verticalResolution);
    w.f64(headerMargin);
    w.f64(footerMargin);
    w.u16(copies);
}

SetupRecord SetupRecord::parse(std::span<const std::uint8_t> data) {
    ByteReader r(data, "SETUP");
    SetupRecord s;
    s.paperSize = r.u16();
    s.scale = r.u16();
    s.pageStart = r.u16();
    s.fitWidth = r.u16();
    s.fitHeight = r.u16();
    s.flags = r.u16();
    s.resolution = r.u16();
    s.verticalResolution = r.u16();
    s.headerMargin = r.f64();
    s.footerMargin = r.f64();
    if (r.remaining() >= 2)
        s.copies = r.u16();
    return s;
}

void Window2Record::write(ByteWriter& w) const {
    w.u16(flags);
    w.u16(0);  // top row
    w.u16(0);  // left column
    w.u16(64); // automatic grid colour
    w.u16(0);
    w.u16(0);
    w.u16(0);
    w.u32(0);
}

Window2Record Window2Record::parse(std::span<const std::uint8_t> data) {
    ByteReader r(data, "WINDOW2");
    Window2Record rec;
    rec.flags = r.u16();
    return rec;
}

void SelectionRecord::write(ByteWriter& w) const {
    w.u8(pane);
    w.u16(activeRow);
    w.u16(activeColumn);
    w.u16(activeRange);
    w.u16(static_cast<unsigned>(ranges.size()));
    for (const RefU& ref : ranges) {
        w.u16(ref.firstRow);
        w.u16(ref.lastRow);
        w.u8(ref.firstColumn);
        w.u8(ref.lastColumn);
    }
}

SelectionRecord SelectionRecord::parse(std::span<const std::uint8_t> data) {
    ByteReader r(data, "SELECTION");
    SelectionRecord s;
    s.pane = r.u8();
    s.activeRow = r.u16();
    s.activeColumn = r.u16();
    s.activeRange = r.u16();
    const std::size_t count = std::min<std::size_t>(r.u16(), r.remaining() / 6);
    s.ranges.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        RefU ref;
        ref.firstRow = r.u16();
        ref.lastRow = r.u16();
        ref.firstColumn = r.u8();
        ref.lastColumn = r.u8();
        s.ranges.push_back(ref);
    }
    return s;
}

void MergedCellsRecord::write(ByteWriter& w) const {
    w.u16(static_cast<unsigned>(ranges.size()));
    for (const Ref8& ref : ranges) {
        w.u16(ref.firstRow);
        w.u16(ref.lastRow);
        w.u16(ref.firstColumn);
        w.u16(ref.lastColumn);
    }
}

MergedCellsRecord MergedCellsRecord::parse(std::span<const std::uint8_t> data) {
    ByteReader r(data, "MERGEDCELLS");
    MergedCellsRecord m;
    const std::size_t count = std::min<std::size_t>(r.u16(), r.remaining() / 8);
    m.ranges.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        Ref8 ref;
        ref.firstRow = r.u16();
        ref.lastRow = r.u16();
        ref.firstColumn = r.u16();
        ref.lastColumn = r.u16();
        m.ranges.push_back(ref);
    }
    return m;
}

} // namespace sheet::xls
