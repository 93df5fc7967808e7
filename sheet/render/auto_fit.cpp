#include "sheet/render/sheet_render.h"

#include "sheet/render/range_painter.h"

#include <QThread>

#include <algorithm>
#include <array>
#include <future>
#include <optional>
#include <stdexcept>
#include <vector>

// Row auto-fit, beside the text measure (cell_text.h) it shares with painting.

namespace sheet {

namespace {

// Measures rows of one sheet. What all rows share is worked out once: which
// merged areas take part, the columns' pixel widths and the runs of
// neighbouring columns with one format, which the cells a row lacks show.
class RowFitter {
public:
    RowFitter(const Workbook& workbook, const Sheet& sheet) : mWorkbook(workbook), mSheet(sheet) {
        for (const CellRange& m : sheet.merged)
            if (detail::isMultiCell(m))
                mMerges.push_back(&m);
        for (std::size_t c = 0; c < mWidths.size(); ++c) {
            const Column& column = sheet.columns[c];
            mWidths[c] = column.hidden ? 0 : column.width ? columnWidthPx(*column.width) : kDefaultColumnWidthPx;
            if (mRuns.empty() || mRuns.back().format != column.format)
                mRuns.push_back({int(c), int(c), column.format});
            else
                mRuns.back().last = int(c);
        }
    }

    double height(int row) const {
        if (row < 0 || row >= kMaxRows)
            throw std::out_of_range("row outside the sheet");
        // Merged areas of several cells do not take part: their text belongs to the whole area.
        std::vector<const CellRange*> merges;
        for (const CellRange* m : mMerges)
            if (row >= m->firstRow && row <= m->lastRow)
                merges.push_back(m);
        const auto merged = [&](int column) {
            return std::any_of(merges.begin(), merges.end(),
                               [&](const CellRange* m) { return column >= m->firstColumn && column <= m->lastColumn; });
        };

        int px = 0;
        // Each format's font is looked up once; a row meets few formats.
        std::array<FormatId, 8> seen{};
        std::size_t seenCount = 0;
        const auto oneLine = [&](FormatId id) {
            if (std::find(seen.begin(), seen.begin() + seenCount, id) != seen.begin() + seenCount)
                return;
            if (seenCount < seen.size())
                seen[seenCount++] = id;
            px = std::max(px, fontOf(id).lineHeight);
        };
        std::optional<FormatId> fontFormat;
        const CellFont* font = nullptr;
        const Row* r = mSheet.row(row);
        const std::size_t cells = r ? std::min(r->cells.size(), std::size_t(kMaxColumns)) : 0;
        for (std::size_t c = 0; c < cells; ++c) {
            if (!r->present[c])
                continue;
            const Cell& cell = r->cells[c];
            const CellFormat& f = mWorkbook.formats.get(cell.format);
            const int width = mWidths[c];
            if (f.wrap && cell.text() && width > 0 && !merged(static_cast<int>(c))) {
                // The cells of a row mostly share one format, and so one font.
                if (cell.format != fontFormat) {
                    fontFormat = cell.format;
                    font = &fontOf(cell.format);
                }
                const double room = textWidth(width);
                // Most cells hold one line of plain ASCII that fits: measured from the
                // stored bytes; only the others are decoded, and broken when too wide.
                const std::optional<double> ascii = font->asciiAdvance(*cell.text());
                const int lines = ascii && *ascii <= room ? 1 : lineCount(displayText(cell), *font, room);
                px = std::max(px, lines * font->lineHeight);
            } else {
                oneLine(cell.format);
            }
        }
        if (r && r->format) {
            oneLine(*r->format);
        } else {
            // The columns without a cell here show their own formats.
            for (const ColumnRun& run : mRuns) {
                bool lacksCell = std::size_t(run.last) >= cells;
                for (int c = run.first; !lacksCell && c <= run.last; ++c)
                    lacksCell = !r->present[std::size_t(c)];
                if (lacksCell)
                    oneLine(run.format);
            }
        }
        return std::min(rowHeightPoints(px), kMaxRowHeightPoints);
    }

private:
    // The font of a format, looked up by format id: a sheet's rows use a few
    // formats, and hashing a font's name for every row costs more than measuring it.
    const CellFont& fontOf(FormatId id) const {
        for (const auto& [format, font] : mFonts)
            if (format == id)
                return *font;
        const CellFont& font = cellFont(mWorkbook.formats.get(id).font);
        if (mFonts.size() < kFontsKept)
            mFonts.emplace_back(id, &font);
        return font;
    }

    struct ColumnRun {
        int first;
        int last;
        FormatId format;
    };
    const Workbook& mWorkbook;
    const Sheet& mSheet;
    std::vector<const CellRange*> mMerges;
    std::array<int, kMaxColumns> mWidths{};
    std::vector<ColumnRun> mRuns;
    static constexpr std::size_t kFontsKept = 16;
    // cellFont() keeps its fonts for the thread's lifetime; a fitter lives on one thread.
    mutable std::vector<std::pair<FormatId, const CellFont*>> mFonts;
};

} // namespace

double autoFitRowHeight(const Workbook& workbook, const Sheet& sheet, int row) {
    return RowFitter(workbook, sheet).height(row);
}

std::vector<double> autoFitRowHeights(const Workbook& workbook, const Sheet& sheet, int firstRow, int lastRow) {
    if (firstRow < 0 || lastRow >= kMaxRows || firstRow > lastRow)
        throw std::out_of_range("rows outside the sheet");
    const int count = lastRow - firstRow + 1;
    std::vector<double> heights(static_cast<std::size_t>(count));
    const auto fit = [&](int from, int to) {
        const RowFitter fitter(workbook, sheet);
        for (int r = from; r < to; ++r)
            heights[static_cast<std::size_t>(r - firstRow)] = fitter.height(r);
    };
    // A thread of its own costs a few milliseconds for its fonts: only long runs
    // of rows are shared out, in equal parts, this thread taking the first.
    constexpr int kRowsPerThread = 2000;
    const int threads = std::max(1, std::min(QThread::idealThreadCount(), count / kRowsPerThread));
    const auto partStart = [&](int part) {
        return firstRow + static_cast<int>(static_cast<long long>(count) * part / threads);
    };
    // A part whose thread cannot be started is measured here, at get().
    std::vector<std::future<void>> others;
    for (int part = 1; part < threads; ++part)
        others.push_back(
            std::async(std::launch::async | std::launch::deferred, fit, partStart(part), partStart(part + 1)));
    fit(firstRow, partStart(1));
    for (std::future<void>& other : others)
        other.get();
    return heights;
}

} // namespace sheet
