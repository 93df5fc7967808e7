#include "sheet/xls/workbook_reader.h"

#include "sheet/xls/biff_stream.h"
#include "sheet/xls/cell_records.h"
#include "sheet/xls/format_mapping.h"
#include "sheet/xls/globals_records.h"
#include "sheet/xls/sheet_records.h"
#include "sheet/xls/string_records.h"
#include "sheet/xls/unicode.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <string>

namespace sheet::xls {
namespace {

// The format's own limits; the writer accepts whatever stays within them.
constexpr std::size_t kMaxFontRecords = 510;
constexpr std::size_t kMaxXfRecords = 4050;
// More sheets than anyone keeps in one workbook; each costs memory before a cell is read.
constexpr std::size_t kMaxSheets = 4096;
// Memory the model may take for a stream: a floor for small files and a small
// multiple of the bytes, so that no file can describe more than it holds.
constexpr std::size_t kBudgetFloor = std::size_t{32} << 20;
constexpr std::size_t kBudgetPerByte = 8;

// Heap bytes a text takes beyond its std::string.
std::size_t heapOf(const std::string& text) {
    return text.size() > 15 ? text.size() + 1 : 0;
}

struct SheetEntry {
    BoundSheet8 record;
    int modelIndex = -1; // -1: not a worksheet, not read
};

// Pieces of a record continued by the CONTINUE records right after it.
std::vector<std::span<const std::uint8_t>> withContinues(RecordCursor& cursor, const Record& first) {
    std::vector<std::span<const std::uint8_t>> pieces{first.data};
    Record next;
    while (cursor.peekId() == rid::Continue && cursor.next(next))
        pieces.push_back(next.data);
    return pieces;
}

class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> stream)
        : mStream(stream), mBudget(kBudgetFloor + kBudgetPerByte * stream.size()) {}

    std::unique_ptr<Workbook> read() {
        mWb = std::make_unique<Workbook>();
        readGlobals();
        int modelIndex = 0;
        std::vector<std::uint32_t> positions;
        for (const SheetEntry& entry : mSheets)
            positions.push_back(entry.record.position);
        std::sort(positions.begin(), positions.end());
        if (std::adjacent_find(positions.begin(), positions.end()) != positions.end())
            throw FormatError("Two sheets point to the same place in the workbook stream.");
        findRecordStarts();
        for (SheetEntry& entry : mSheets)
            if (entry.record.sheetType == 0 && readSheet(entry))
                entry.modelIndex = modelIndex++;
        if (mWb->sheets.empty())
            throw FormatError("The workbook contains no worksheet.");
        for (const PrintAreaName& p : mPrintAreas) {
            if (p.sheet >= mSheets.size() || mSheets[p.sheet].modelIndex < 0)
                continue;
            mWb->sheetAt(mSheets[p.sheet].modelIndex).pageSetup.printArea =
                CellRange{std::min(p.firstRow, p.lastRow), std::min(p.firstColumn, p.lastColumn),
                          std::max(p.firstRow, p.lastRow), std::max(p.firstColumn, p.lastColumn)};
        }
        for (const PrintTitlesName& t : mPrintTitles) {
            if (t.sheet >= mSheets.size() || mSheets[t.sheet].modelIndex < 0)
                continue;
            mWb->sheetAt(mSheets[t.sheet].modelIndex).pageSetup.printTitleRows =
                std::pair<int, int>{std::min(t.firstRow, t.lastRow), std::max(t.firstRow, t.lastRow)};
        }
        if (mActiveTab < mSheets.size() && mSheets[mActiveTab].modelIndex >= 0)
            mWb->activeSheet = mSheets[mActiveTab].modelIndex;
        return std::move(mWb);
    }

private:
    void readGlobals() {
        RecordCursor cursor(mStream, 0);
        Record rec;
        if (!cursor.next(rec))
            throw FormatError("The workbook stream is empty.");
        if (rec.id == rid::Bof2 || rec.id == rid::Bof3 || rec.id == rid::Bof4)
            throw FormatError("This workbook was saved in a pre-97 Excel format, which cannot be read.");
        if (rec.id != rid::Bof)
            throw FormatError("The workbook stream does not start with a BOF record.");
        const BofRecord bof = BofRecord::parse(rec.data);
        if (bof.version != kBiff8)
            throw FormatError(
                "This workbook was saved in a pre-97 Excel format (BIFF5 or older), which cannot be read.");
        if (bof.type != kBofGlobals)
            throw FormatError("The workbook stream does not start with the workbook globals.");
        while (cursor.next(rec)) {
            switch (rec.id) {
            case rid::Eof:
                mGlobalsEnd = cursor.position();
                return;
            case rid::FilePass:
                throw FormatError("The workbook is encrypted (password-protected) and cannot be read.");
            case rid::Font:
                if (mFonts.size() >= kMaxFontRecords)
                    throw FormatError("The workbook defines more than 510 fonts.");
                mFonts.push_back(FontRecord::parse(rec.data));
                break;
            case rid::Format: {
                const FormatRecord f = FormatRecord::parse(rec.data);
                mFormatCodes[f.index] = toUtf8(f.code);
                break;
            }
            case rid::Xf:
                if (mXfs.size() >= kMaxXfRecords)
                    throw FormatError("The workbook defines more than 4,050 cell formats.");
                mXfs.push_back(XfRecord::parse(rec.data));
                break;
            case rid::BoundSheet:
                if (mSheets.size() >= kMaxSheets)
                    throw FormatError("The workbook lists more than 4,096 sheets.");
                mSheets.push_back({BoundSheet8::parse(rec.data), -1});
                break;
            case rid::Window1:
                mActiveTab = Window1Record::parse(rec.data).activeTab;
                break;
            case rid::Name:
                if (auto area = PrintAreaName::parse(rec.data))
                    mPrintAreas.push_back(*area);
                else if (auto titles = PrintTitlesName::parse(rec.data))
                    mPrintTitles.push_back(*titles);
                break;
            case rid::Sst:
                mStrings = readSst(withContinues(cursor, rec));
                for (const std::string& text : mStrings)
                    spend(sizeof(std::string) + heapOf(text));
                break;
            default:
                break;
            }
        }
    }

    FormatId formatOf(unsigned xfIndex) {
        if (xfIndex >= mXfs.size())
            throw FormatError("A cell refers to format (XF) " + std::to_string(xfIndex) +
                              ", but the workbook defines only " + std::to_string(mXfs.size()) + ".");
        if (mFormatIds.size() != mXfs.size())
            mFormatIds.assign(mXfs.size(), -1);
        if (mFormatIds[xfIndex] >= 0)
            return static_cast<FormatId>(mFormatIds[xfIndex]);
        const XfRecord& x = mXfs[xfIndex];
        CellFormat f;
        f.font = fontOf(x.font);
        if (auto it = mFormatCodes.find(x.format); it != mFormatCodes.end())
            f.numberFormat = it->second;
        else
            f.numberFormat = builtinFormatCode(x.format).value_or("General");
        if (f.numberFormat == "GENERAL" || f.numberFormat == "general")
            f.numberFormat = "General";
        if (x.pattern != 0)
            f.fill = modelColor(x.patternFore);
        for (std::size_t e = 0; e < 4; ++e) {
            const std::uint8_t style = x.borderStyle[e] <= 13 ? x.borderStyle[e] : kLineThin;
            f.borders[e] = style ? Border{style, modelColor(x.borderColor[e])} : Border{};
        }
        f.hAlign = x.hAlign <= 6 ? static_cast<HAlign>(x.hAlign) : HAlign::General;
        f.vAlign = x.vAlign <= 3 ? static_cast<VAlign>(x.vAlign) : VAlign::Justify;
        f.wrap = x.wrap;
        f.locked = x.locked;
        f.hidden = x.hidden;
        const FormatId id = mWb->formats.intern(f);
        mFormatIds[xfIndex] = static_cast<long>(id);
        return id;
    }

    Font fontOf(unsigned index) {
        // Index 4 does not exist: FONT record k is index k below 4 and k + 1 from there on.
        const std::size_t record = index < 4 ? index : index - 1;
        if (index == 4 || record >= mFonts.size())
            throw FormatError("A format refers to font " + std::to_string(index) +
                              ", which the workbook does not define.");
        const FontRecord& r = mFonts[record];
        Font f;
        f.name = toUtf8(r.name);
        f.size = twipsToPoints(r.height);
        f.bold = r.weight >= 600;
        f.italic = r.italic;
        f.underline = r.underline != 0;
        f.strikeout = r.strikeout;
        f.color = modelColor(r.color);
        return f;
    }

    // Every allocation the model makes for the file is paid from one budget.
    void spend(std::size_t bytes) {
        if (bytes > mBudget)
            throw FormatError("The file describes far more cells than its size allows.");
        mBudget -= bytes;
    }

    Row& rowAt(Sheet& sheet, int row) {
        const auto before = static_cast<std::size_t>(sheet.rowCount());
        Row& r = sheet.rowAt(row);
        spend((static_cast<std::size_t>(sheet.rowCount()) - before) * sizeof(Row));
        return r;
    }

    void setCell(Sheet& sheet, const CellEntry& e, std::string&& text) {
        const std::size_t before = rowAt(sheet, e.row).cells.size();
        Cell& cell = sheet.cellAt(e.row, e.column);
        spend((sheet.row(e.row)->cells.size() - before) * (sizeof(Cell) + 1) + heapOf(text));
        cell.format = formatOf(e.xf);
        if (std::holds_alternative<double>(e.value))
            cell.value = std::get<double>(e.value);
        else if (std::holds_alternative<std::monostate>(e.value))
            cell.value = std::monostate{};
        else
            cell.value = std::move(text);
    }

    // Where records begin: a sheet must begin at one of them. A record that runs
    // past the end ends the list; reading whatever lies there reports it.
    void findRecordStarts() {
        RecordCursor cursor(mStream, 0);
        Record rec;
        std::size_t at = 0;
        try {
            while (cursor.next(rec)) {
                mRecordStarts.push_back(at);
                at = cursor.position();
            }
        } catch (const FormatError&) {
            mRecordStarts.push_back(at);
        }
    }

    // A sheet's records are its own: it starts outside the globals and every
    // sheet read so far, checked before it is read, and no sheet read so far
    // starts inside it, checked after.
    void claimStart(const std::string& name, std::size_t start) const {
        if (start < mGlobalsEnd)
            throw FormatError("Sheet \"" + name + "\" points into the workbook globals.");
        for (const auto& [from, to] : mExtents)
            if (start >= from && start < to)
                throw FormatError("Sheet \"" + name + "\" overlaps another sheet in the workbook stream.");
    }
    void claimExtent(const std::string& name, std::size_t start, std::size_t end) {
        for (const auto& [from, to] : mExtents)
            if (from >= start && from < end)
                throw FormatError("Sheet \"" + name + "\" overlaps another sheet in the workbook stream.");
        mExtents.emplace_back(start, end);
    }

    bool readSheet(SheetEntry& entry) {
        const std::string name = toUtf8(entry.record.name);
        if (entry.record.name.empty() || entry.record.name.size() > 31)
            throw FormatError("A sheet name is empty or longer than 31 characters.");
        if (entry.record.position >= mStream.size())
            throw FormatError("Sheet \"" + name + "\" points outside the workbook stream.");
        if (!std::binary_search(mRecordStarts.begin(), mRecordStarts.end(), entry.record.position))
            throw FormatError("Sheet \"" + name + "\" does not start with a BOF record: it points between records.");
        claimStart(name, entry.record.position);
        RecordCursor cursor(mStream, entry.record.position);
        Record rec;
        if (!cursor.next(rec) || rec.id != rid::Bof)
            throw FormatError("Sheet \"" + name + "\" does not start with a BOF record.");
        if (BofRecord::parse(rec.data).type != kBofWorksheet)
            return false; // chart, macro or dialog sheet
        spend(sizeof(Sheet));
        Sheet& sheet = mWb->addSheet(name);
        PageSetup& ps = sheet.pageSetup;
        // Margins a file leaves out have the BIFF defaults, not the model's.
        ps.leftMargin = ps.rightMargin = 54;
        ps.topMargin = ps.bottomMargin = 72;
        std::optional<SelectionRecord> selection;
        std::vector<CellEntry> cells;
        std::uint16_t defaultTwips = 255;
        int depth = 1;
        while (depth > 0) {
            if (!cursor.next(rec))
                break; // a missing EOF at the very end is tolerated
            switch (rec.id) {
            case rid::Bof:
                ++depth;
                break;
            case rid::Eof:
                --depth;
                break;
            default:
                break;
            }
            if (depth != 1)
                continue;
            cells.clear();
            if (parseCellRecord(rec.id, rec.data, cells)) {
                for (CellEntry& e : cells) {
                    std::string text;
                    if (const auto* isst = std::get_if<std::uint32_t>(&e.value)) {
                        if (*isst >= mStrings.size())
                            throw FormatError("A cell refers to shared string " + std::to_string(*isst) +
                                              ", but the table holds only " + std::to_string(mStrings.size()) + ".");
                        text = mStrings[*isst];
                    } else if (auto* s = std::get_if<std::string>(&e.value)) {
                        text = std::move(*s);
                    }
                    if (e.stringFollows)
                        text = formulaString(cursor);
                    setCell(sheet, e, std::move(text));
                }
                continue;
            }
            switch (rec.id) {
            case rid::DefaultRowHeight: {
                const auto d = DefaultRowHeightRecord::parse(rec.data);
                defaultTwips = d.height;
                sheet.defaultRowHeight = twipsToPoints(d.height);
                break;
            }
            case rid::Row: {
                const RowRecord r = RowRecord::parse(rec.data);
                Row& row = rowAt(sheet, r.row);
                if (r.flags & RowRecord::kUnsynced) {
                    row.height = twipsToPoints(r.height);
                    row.customHeight = true;
                } else if (r.height != defaultTwips) {
                    row.height = twipsToPoints(r.height);
                }
                if (r.flags & RowRecord::kGhostDirty)
                    row.format = formatOf(r.xf);
                break;
            }
            case rid::ColInfo: {
                const ColInfoRecord c = ColInfoRecord::parse(rec.data);
                if (c.firstColumn >= kMaxColumns || c.firstColumn > c.lastColumn)
                    break;
                const FormatId format = formatOf(c.xf);
                for (int col = c.firstColumn; col <= std::min<int>(c.lastColumn, kMaxColumns - 1); ++col) {
                    Column& column = sheet.columns[static_cast<std::size_t>(col)];
                    if ((c.flags & ColInfoRecord::kUserSet) || c.width != kDefaultColumnWidth)
                        column.width = columnWidthFromFile(c.width);
                    column.format = format;
                    column.hidden = c.flags & ColInfoRecord::kHidden;
                }
                break;
            }
            case rid::WsBool:
                ps.fitToPages = ByteReader(rec.data, "WSBOOL").u16() & 0x0100;
                break;
            case rid::Header:
                ps.header = toUtf8(HeaderRecord::parse(rec.data).text);
                break;
            case rid::Footer:
                ps.footer = toUtf8(FooterRecord::parse(rec.data).text);
                break;
            case rid::LeftMargin:
                ps.leftMargin = inchesToPoints(ByteReader(rec.data, "LEFTMARGIN").f64());
                break;
            case rid::RightMargin:
                ps.rightMargin = inchesToPoints(ByteReader(rec.data, "RIGHTMARGIN").f64());
                break;
            case rid::TopMargin:
                ps.topMargin = inchesToPoints(ByteReader(rec.data, "TOPMARGIN").f64());
                break;
            case rid::BottomMargin:
                ps.bottomMargin = inchesToPoints(ByteReader(rec.data, "BOTTOMMARGIN").f64());
                break;
            case rid::Setup: {
                const SetupRecord s = SetupRecord::parse(rec.data);
                if (!(s.flags & SetupRecord::kNoPrinterInfo)) {
                    ps.paperSize = s.paperSize;
                    ps.zoom = std::clamp<int>(s.scale, 10, 400);
                    if (!(s.flags & SetupRecord::kNoOrientation))
                        ps.orientation =
                            (s.flags & SetupRecord::kPortrait) ? Orientation::Portrait : Orientation::Landscape;
                }
                ps.fitToPagesWide = s.fitWidth;
                ps.fitToPagesTall = s.fitHeight;
                ps.printComments = !(s.flags & SetupRecord::kNotes)       ? PrintComments::None
                                   : (s.flags & SetupRecord::kNotesAtEnd) ? PrintComments::AtEnd
                                                                          : PrintComments::InPlace;
                ps.headerMargin = inchesToPoints(s.headerMargin);
                ps.footerMargin = inchesToPoints(s.footerMargin);
                break;
            }
            case rid::Selection: {
                SelectionRecord s = SelectionRecord::parse(rec.data);
                if (!selection || s.pane == 3)
                    selection = std::move(s);
                break;
            }
            case rid::MergedCells:
                for (const Ref8& m : MergedCellsRecord::parse(rec.data).ranges) {
                    if (m.firstRow > m.lastRow || m.firstColumn > m.lastColumn || m.lastColumn >= kMaxColumns)
                        throw FormatError("Sheet \"" + name + "\" has a merged area outside the sheet.");
                    sheet.merged.push_back({m.firstRow, m.firstColumn, m.lastRow, m.lastColumn});
                }
                break;
            default:
                break;
            }
        }
        claimExtent(name, entry.record.position, cursor.position());
        if (selection) {
            sheet.activeRow = selection->activeRow;
            sheet.activeColumn = std::min<int>(selection->activeColumn, kMaxColumns - 1);
            sheet.selection.clear();
            for (const RefU& r : selection->ranges)
                sheet.selection.push_back({std::min(r.firstRow, r.lastRow), std::min(r.firstColumn, r.lastColumn),
                                           std::max(r.firstRow, r.lastRow), std::max(r.firstColumn, r.lastColumn)});
        }
        return true;
    }

    // The text result of a FORMULA: a STRING record, possibly after ARRAY, SHRFMLA or TABLE.
    std::string formulaString(RecordCursor& cursor) {
        for (;;) {
            const int id = cursor.peekId();
            if (id == rid::Array || id == rid::ShrFmla || id == rid::Table) {
                Record skipped;
                cursor.next(skipped);
                continue;
            }
            if (id != rid::String)
                return {}; // tolerated: a missing STRING means an empty result
            Record rec;
            cursor.next(rec);
            ContinuedReader r(withContinues(cursor, rec), "STRING");
            return toUtf8(r.richString());
        }
    }

    std::span<const std::uint8_t> mStream;
    std::unique_ptr<Workbook> mWb;
    std::vector<FontRecord> mFonts;
    std::vector<XfRecord> mXfs;
    std::vector<long> mFormatIds;
    std::map<std::uint16_t, std::string> mFormatCodes;
    std::vector<SheetEntry> mSheets;
    std::vector<std::string> mStrings;
    std::vector<PrintAreaName> mPrintAreas;
    std::vector<PrintTitlesName> mPrintTitles;
    std::size_t mActiveTab = 0;
    std::size_t mBudget;
    std::size_t mGlobalsEnd = 0;
    std::vector<std::size_t> mRecordStarts;
    std::vector<std::pair<std::size_t, std::size_t>> mExtents; // [start, end) of each sheet read
};

} // namespace

std::unique_ptr<Workbook> readWorkbookStream(std::span<const std::uint8_t> stream) {
    return Reader(stream).read();
}

} // namespace sheet::xls
