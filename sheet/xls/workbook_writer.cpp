#include "sheet/xls/workbook_writer.h"

#include "sheet/xls/biff_stream.h"
#include "sheet/xls/cell_records.h"
#include "sheet/xls/compound_file.h"
#include "sheet/xls/format_mapping.h"
#include "sheet/xls/globals_records.h"
#include "sheet/xls/sheet_records.h"
#include "sheet/xls/sheet_writer.h"
#include "sheet/xls/string_records.h"
#include "sheet/xls/unicode.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <unordered_map>

namespace sheet::xls {
namespace {

constexpr std::uint16_t kDefaultCellXf = 15;
constexpr std::size_t kMaxXfs = 4050;

std::string cellName(int row, int column) {
    std::string letters;
    for (int c = column + 1; c > 0; c = (c - 1) / 26)
        letters.insert(letters.begin(), static_cast<char>('A' + (c - 1) % 26));
    return letters + std::to_string(row + 1);
}

FontRecord fontRecord(const Font& f) {
    FontRecord r;
    r.height = pointsToTwips(f.size);
    r.italic = f.italic;
    r.strikeout = f.strikeout;
    r.color = fileFontColor(f.color);
    r.weight = f.bold ? 700 : 400;
    r.underline = f.underline ? 1 : 0;
    r.name = toUtf16(f.name);
    if (r.name.size() > 255)
        r.name.resize(255);
    return r;
}

// Everything the globals need to know before any sheet is written: the XF,
// FONT and FORMAT tables, and the shared strings in cell order.
class WorkbookTables {
public:
    explicit WorkbookTables(const Workbook& wb) : mWb(wb) {
        mFonts.push_back(fontRecord(wb.formats.get(0).font));
        mXfOf.assign(wb.formats.size(), 0);
        mXfOf[0] = kDefaultCellXf;
        std::size_t rows = 0;
        for (const auto& sheet : wb.sheets)
            rows += static_cast<std::size_t>(sheet->rowCount());
        mSst.reserve(rows * 4, rows * 64);
        mSstOrder.reserve(rows * 8);
        for (const auto& sheet : wb.sheets)
            collect(*sheet);
    }

    std::uint16_t xf(FormatId id) const { return refs().xf(id); }
    SheetRefs refs() const { return {mXfOf, kDefaultCellXf, mSstOrder}; }
    const std::vector<FontRecord>& fonts() const { return mFonts; }
    const std::vector<XfRecord>& cellXfs() const { return mCellXfs; }
    const std::vector<FormatRecord>& formats() const { return mFormats; }
    const SstBuilder& sst() const { return mSst; }
    std::uint32_t labelCount() const { return static_cast<std::uint32_t>(mSstOrder.size()); }
    // SST indexes of the text cells in the order the sheets are written.
    const std::vector<std::uint32_t>& sstOrder() const { return mSstOrder; }

private:
    void use(FormatId id) {
        if (id >= mXfOf.size() || mXfOf[id])
            return;
        if (mCellXfs.size() >= kMaxXfs)
            throw std::invalid_argument("The workbook uses more than 4,050 different cell formats.");
        mXfOf[id] = static_cast<std::uint16_t>(16 + mCellXfs.size());
        mCellXfs.push_back(xfFor(mWb.formats.get(id)));
    }

    void collect(const Sheet& sheet) {
        for (const Column& c : sheet.columns)
            use(c.format);
        for (int r = 0; r < sheet.rowCount(); ++r) {
            const Row* row = sheet.row(r);
            if (row->format)
                use(*row->format);
            for (std::size_t c = 0; c < row->cells.size(); ++c) {
                if (!row->present[c])
                    continue;
                const Cell& cell = row->cells[c];
                use(cell.format);
                if (const std::string* text = cell.text()) {
                    // No text has more UTF-16 units than UTF-8 bytes: only long ones are counted.
                    if (text->size() > kMaxTextLength && toUtf16(*text).size() > kMaxTextLength)
                        throw std::invalid_argument("Cell " + cellName(r, static_cast<int>(c)) + " on sheet \"" +
                                                    sheet.name + "\" holds more than 32,767 characters.");
                    mSstOrder.push_back(mSst.add(*text));
                }
            }
        }
    }

    std::uint16_t fontIndex(const Font& f) {
        const FontRecord rec = fontRecord(f);
        auto same = [&](const FontRecord& o) {
            return o.height == rec.height && o.italic == rec.italic && o.strikeout == rec.strikeout &&
                   o.color == rec.color && o.weight == rec.weight && o.underline == rec.underline && o.name == rec.name;
        };
        // FONT 0 stands for indexes 0..3; index 4 does not exist, so record k >= 1 is index k + 4.
        if (same(mFonts[0]))
            return 0;
        for (std::size_t i = 1; i < mFonts.size(); ++i)
            if (same(mFonts[i]))
                return static_cast<std::uint16_t>(i + 4);
        if (mFonts.size() >= 511)
            throw std::invalid_argument("The workbook uses more than 510 different fonts.");
        mFonts.push_back(rec);
        return static_cast<std::uint16_t>(mFonts.size() - 1 + 4);
    }

    std::uint16_t formatIndex(const std::string& code) {
        if (auto builtin = builtinFormatIndex(code))
            return *builtin;
        const std::u16string u = toUtf16(code).substr(0, 255);
        for (const FormatRecord& f : mFormats)
            if (f.code == u)
                return f.index;
        const auto index = static_cast<std::uint16_t>(kFirstCustomFormat + mFormats.size());
        mFormats.push_back({index, u});
        return index;
    }

    XfRecord xfFor(const CellFormat& f) {
        static const CellFormat kDefault{};
        XfRecord x;
        x.font = fontIndex(f.font);
        x.format = formatIndex(f.numberFormat);
        x.locked = f.locked;
        x.hidden = f.hidden;
        x.hAlign = static_cast<std::uint8_t>(f.hAlign);
        x.vAlign = static_cast<std::uint8_t>(f.vAlign);
        x.wrap = f.wrap;
        for (int e = 0; e < 4; ++e) {
            const Border& b = f.borders[static_cast<std::size_t>(e)];
            x.borderStyle[static_cast<std::size_t>(e)] = b.style;
            x.borderColor[static_cast<std::size_t>(e)] = b.style ? filePaletteColor(b.color) : 0;
        }
        if (f.fill != kAutomatic) {
            x.pattern = 1;
            x.patternFore = filePaletteColor(f.fill);
            x.patternBack = kAutoPatternBack;
        }
        // Cell XFs flag the attribute groups that differ from the Normal style.
        x.usedAttributes = (f.numberFormat != kDefault.numberFormat ? 0x04 : 0) | (x.font != 0 ? 0x08 : 0) |
                           (f.hAlign != kDefault.hAlign || f.vAlign != kDefault.vAlign || f.wrap ? 0x10 : 0) |
                           (f.borders != kDefault.borders ? 0x20 : 0) | (f.fill != kAutomatic ? 0x40 : 0) |
                           (f.locked != kDefault.locked || f.hidden != kDefault.hidden ? 0x80 : 0);
        return x;
    }

    const Workbook& mWb;
    std::vector<std::uint16_t> mXfOf; // FormatId -> XF index, 0 = not used yet
    std::vector<FontRecord> mFonts;   // record order; FONT 0 repeated to fill indexes 0..3
    std::vector<XfRecord> mCellXfs;   // XF 16 onwards
    std::vector<FormatRecord> mFormats;
    SstBuilder mSst;
    std::vector<std::uint32_t> mSstOrder;
};

void writeStyleXfs(RecordWriter& out) {
    // XF 0 Normal; 1..14 the outline styles; 15 the default cell XF.
    for (int i = 0; i < 15; ++i) {
        XfRecord x;
        x.style = true;
        x.parent = 0xFFF;
        x.font = (i == 1 || i == 2) ? 1 : (i == 3 || i == 4) ? 2 : 0;
        x.usedAttributes = i == 0 ? 0x00 : 0xF4;
        out.write(x);
    }
    out.write(XfRecord{});
}

void writeSheet(RecordWriter& out, const Sheet& sheet, const WorkbookTables& tables, bool active,
                std::size_t& sstCursor) {
    const SheetRefs refs = tables.refs();
    out.write(BofRecord{kBiff8, kBofWorksheet});
    writePageSettings(out, sheet);
    writeColumnInfos(out, sheet, refs);
    writeDimensions(out, sheet);
    writeRowBlocks(out, sheet, refs, sstCursor);
    writeWindowAndSelection(out, sheet, active);
    writeMergedCells(out, sheet);
    out.empty(rid::Eof);
}

// Print areas and print titles are built-in names whose formulas reach their
// sheet through the internal SUPBOOK and one EXTERNSHEET entry per sheet.
// Names go in order of their built-in code, then of their sheet: every
// Print_Area first, then every Print_Titles.
void writePrintNames(RecordWriter& out, const Workbook& wb) {
    const bool any = std::any_of(wb.sheets.begin(), wb.sheets.end(), [](const auto& s) {
        return s->pageSetup.printArea.has_value() || s->pageSetup.printTitleRows.has_value();
    });
    if (!any)
        return;
    const auto sheets = static_cast<unsigned>(wb.sheets.size());
    out.raw(rid::SupBook, std::array<std::uint8_t, 4>{static_cast<std::uint8_t>(sheets),
                                                      static_cast<std::uint8_t>(sheets >> 8), 0x01, 0x04});
    std::vector<std::uint8_t> xti;
    ByteWriter x(xti);
    x.u16(sheets);
    for (unsigned i = 0; i < sheets; ++i) {
        x.u16(0); // the internal SUPBOOK
        x.u16(i);
        x.u16(i);
    }
    out.raw(rid::ExternSheet, xti);
    const auto rowOf = [](int row) { return static_cast<std::uint16_t>(std::clamp(row, 0, kMaxRows - 1)); };
    const auto columnOf = [](int column) { return static_cast<std::uint16_t>(std::clamp(column, 0, kMaxColumns - 1)); };
    for (unsigned i = 0; i < sheets; ++i) {
        const auto& area = wb.sheets[i]->pageSetup.printArea;
        if (!area)
            continue;
        PrintAreaName name;
        name.sheet = static_cast<std::uint16_t>(i);
        name.externSheet = static_cast<std::uint16_t>(i);
        name.firstRow = rowOf(area->firstRow);
        name.lastRow = rowOf(area->lastRow);
        name.firstColumn = columnOf(area->firstColumn);
        name.lastColumn = columnOf(area->lastColumn);
        out.write(name);
    }
    for (unsigned i = 0; i < sheets; ++i) {
        const auto& rows = wb.sheets[i]->pageSetup.printTitleRows;
        if (!rows)
            continue;
        PrintTitlesName name;
        name.sheet = static_cast<std::uint16_t>(i);
        name.externSheet = static_cast<std::uint16_t>(i);
        name.firstRow = rowOf(std::min(rows->first, rows->second));
        name.lastRow = rowOf(std::max(rows->first, rows->second));
        out.write(name);
    }
}

} // namespace

std::vector<std::uint8_t> writeWorkbookStream(const Workbook& wb) {
    if (wb.sheets.empty())
        throw std::invalid_argument("A workbook needs at least one sheet.");
    std::vector<std::u16string> names;
    for (const auto& sheet : wb.sheets) {
        names.push_back(toUtf16(sheet->name));
        if (names.back().empty() || names.back().size() > 31)
            throw std::invalid_argument("The sheet name \"" + sheet->name +
                                        "\" is empty or longer than 31 characters.");
    }
    const WorkbookTables tables(wb);
    const int activeSheet = std::clamp(wb.activeSheet, 0, wb.sheetCount() - 1);

    // A little more than the stream takes: a buffer doubling near the end of a
    // long sheet would copy what it holds into memory touched for the first time.
    std::size_t bound = 16384 + tables.sst().maxBytes();
    for (const auto& sheet : wb.sheets) {
        bound += 16384;
        for (int r = 0; r < sheet->rowCount(); ++r)
            bound += 28 + sheet->row(r)->cells.size() * 18; // ROW, its share of DBCELL; NUMBER is the largest cell
    }
    std::vector<std::uint8_t> stream;
    stream.reserve(bound);
    RecordWriter out(stream);
    out.write(BofRecord{});
    out.u16Record(rid::CodePage, 1200);
    Window1Record w1;
    w1.activeTab = static_cast<std::uint16_t>(activeSheet);
    out.write(w1);
    out.u16Record(rid::Backup, 0);
    out.u16Record(rid::HideObj, 0);
    out.u16Record(rid::DateMode, 0);
    out.u16Record(rid::Precision, 1);
    for (int i = 0; i < 4; ++i)
        out.write(tables.fonts()[0]);
    for (std::size_t i = 1; i < tables.fonts().size(); ++i)
        out.write(tables.fonts()[i]);
    for (const FormatRecord& f : tables.formats())
        out.write(f);
    writeStyleXfs(out);
    for (const XfRecord& x : tables.cellXfs())
        out.write(x);
    out.raw(rid::Style, std::array<std::uint8_t, 4>{0x00, 0x80, 0x00, 0xFF}); // built-in Normal style, XF 0
    std::vector<std::size_t> positionFields;
    for (std::size_t i = 0; i < names.size(); ++i) {
        positionFields.push_back(out.size() + 4);
        out.write(BoundSheet8{0, 0, 0, names[i]});
    }
    out.raw(rid::Country, std::array<std::uint8_t, 4>{1, 0, 1, 0});
    writePrintNames(out, wb);
    tables.sst().write(out, tables.labelCount());
    out.empty(rid::Eof);

    std::size_t sstCursor = 0;
    ByteWriter patch(stream);
    for (std::size_t i = 0; i < wb.sheets.size(); ++i) {
        patch.patchU32(positionFields[i], static_cast<std::uint32_t>(stream.size()));
        writeSheet(out, *wb.sheets[i], tables, static_cast<int>(i) == activeSheet, sstCursor);
    }
    if (stream.size() > 0xFFFFFFF0u)
        throw std::invalid_argument("The workbook is too large for an .xls file.");
    if (stream.size() < kMiniStreamCutoff)
        stream.resize(kMiniStreamCutoff, 0); // readers stop at the last EOF
    return stream;
}

} // namespace sheet::xls
