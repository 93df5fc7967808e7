#pragma once

// Worksheet records other than cells: DIMENSIONS, ROW, COLINFO,
// DEFAULTROWHEIGHT, HEADER, FOOTER, SETUP, WINDOW2, SELECTION, MERGEDCELLS.

#include "sheet/xls/biff_stream.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace sheet::xls {

struct DimensionsRecord {
    static constexpr std::uint16_t kId = rid::Dimensions;
    std::uint32_t firstRow = 0, lastRowPlus1 = 0;
    std::uint16_t firstColumn = 0, lastColumnPlus1 = 0;
    std::size_t size() const { return 14; }
    void write(ByteWriter& w) const;
};

struct RowRecord {
    static constexpr std::uint16_t kId = rid::Row;
    static constexpr std::uint32_t kCollapsed = 0x10, kHidden = 0x20, kUnsynced = 0x40, kGhostDirty = 0x80;
    std::uint16_t row = 0;
    std::uint16_t firstColumn = 0, lastColumnPlus1 = 0;
    std::uint16_t height = 255; // twips
    std::uint32_t flags = 0;    // kUnsynced, kGhostDirty ...
    std::uint16_t xf = 15;      // row format when kGhostDirty
    std::size_t size() const { return 16; }
    void write(ByteWriter& w) const;
    static RowRecord parse(std::span<const std::uint8_t> data);
};

struct ColInfoRecord {
    static constexpr std::uint16_t kId = rid::ColInfo;
    static constexpr std::uint16_t kHidden = 0x01, kUserSet = 0x02;
    std::uint16_t firstColumn = 0, lastColumn = 0;
    std::uint16_t width = 2340; // 1/256 of the digit width, padding included
    std::uint16_t xf = 15;
    std::uint16_t flags = 0;
    std::size_t size() const { return 12; }
    void write(ByteWriter& w) const;
    static ColInfoRecord parse(std::span<const std::uint8_t> data);
};

struct DefaultRowHeightRecord {
    static constexpr std::uint16_t kId = rid::DefaultRowHeight;
    std::uint16_t flags = 0;
    std::uint16_t height = 255; // twips
    std::size_t size() const { return 4; }
    void write(ByteWriter& w) const;
    static DefaultRowHeightRecord parse(std::span<const std::uint8_t> data);
};

// HEADER or FOOTER: the text with its section and field codes ("&CPage &P of &N")
// as an XLUnicodeString; no text is an empty record.
struct HeaderFooterText {
    // Longest text Excel keeps, in UTF-16 code units.
    static constexpr std::size_t kMaxLength = 255;
    std::u16string text;
    std::size_t size() const;
    void write(ByteWriter& w) const;
    static HeaderFooterText parse(std::span<const std::uint8_t> data, const char* what);
};

struct HeaderRecord : HeaderFooterText {
    static constexpr std::uint16_t kId = rid::Header;
    static HeaderRecord parse(std::span<const std::uint8_t> data) { return {HeaderFooterText::parse(data, "HEADER")}; }
};

struct FooterRecord : HeaderFooterText {
    static constexpr std::uint16_t kId = rid::Footer;
    static FooterRecord parse(std::span<const std::uint8_t> data) { return {HeaderFooterText::parse(data, "FOOTER")}; }
};

struct SetupRecord {
    static constexpr std::uint16_t kId = rid::Setup;
    static constexpr std::uint16_t kLeftToRight = 0x01, kPortrait = 0x02, kNoPrinterInfo = 0x04, kNotes = 0x20,
                                   kNoOrientation = 0x40, kNotesAtEnd = 0x200;
    std::uint16_t paperSize = 9;
    std::uint16_t scale = 100;
    std::uint16_t pageStart = 1;
    std::uint16_t fitWidth = 1, fitHeight = 1;
    std::uint16_t flags = kPortrait;
    std::uint16_t resolution = 600, verticalResolution = 600;
    double headerMargin = 0.3, footerMargin = 0.3; // inches
    std::uint16_t copies = 1;
    std::size_t size() const { return 34; }
    void write(ByteWriter& w) const;
    static SetupRecord parse(std::span<const std::uint8_t> data);
};

struct Window2Record {
    static constexpr std::uint16_t kId = rid::Window2;
    static constexpr std::uint16_t kSelected = 0x0200, kPaged = 0x0400;
    std::uint16_t flags = 0x00B6; // gridlines, headings, zeros, automatic grid colour, outline symbols
    std::size_t size() const { return 18; }
    void write(ByteWriter& w) const;
    static Window2Record parse(std::span<const std::uint8_t> data);
};

struct RefU {
    std::uint16_t firstRow = 0, lastRow = 0;
    std::uint8_t firstColumn = 0, lastColumn = 0;
};

struct SelectionRecord {
    static constexpr std::uint16_t kId = rid::Selection;
    static constexpr std::size_t kMaxRanges = (kMaxRecordData - 9) / 6;
    std::uint8_t pane = 3;
    std::uint16_t activeRow = 0, activeColumn = 0;
    std::uint16_t activeRange = 0;
    std::vector<RefU> ranges;
    std::size_t size() const { return 9 + 6 * ranges.size(); }
    void write(ByteWriter& w) const;
    static SelectionRecord parse(std::span<const std::uint8_t> data);
};

struct Ref8 {
    std::uint16_t firstRow = 0, lastRow = 0, firstColumn = 0, lastColumn = 0;
};

struct MergedCellsRecord {
    static constexpr std::uint16_t kId = rid::MergedCells;
    static constexpr std::size_t kMaxRanges = 1026; // never continued: more go into a further record
    std::vector<Ref8> ranges;
    std::size_t size() const { return 2 + 8 * ranges.size(); }
    void write(ByteWriter& w) const;
    static MergedCellsRecord parse(std::span<const std::uint8_t> data);
};

} // namespace sheet::xls
