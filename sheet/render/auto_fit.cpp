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

double autoFitRowHeight(const Workbook& workbook, const Sheet& sheet, int row) {
    if (row < 0 || row >= kMaxRows)
        throw std::out_of_range("row outside the sheet");
    // Merged areas of several cells do not take part: their text belongs to the whole area.
    std::vector<const CellRange*> merges;
    for (const CellRange& m : sheet.merged)
        if (detail::isMultiCell(m) && row >= m.firstRow && row <= m.lastRow)
            merges.push_back(&m);
    const auto merged = [&](int column) {
        return std::any_of(merges.begin(), merges.end(),
                           [&](const CellRange* m) { return column >= m->firstColumn && column <= m->lastColumn; });
    };

    int px = 0;
    std::vector<FormatId> seen;
    const auto oneLine = [&](FormatId id) {
        if (std::find(seen.begin(), seen.end(), id) != seen.end())
            return;
        seen.push_back(id);
        px = std::max(px, cellFont(workbook.formats.get(id).font).lineHeight);
    };
    std::array<bool, kMaxColumns> hasCell{};
    std::optional<FormatId> fontFormat;
    const CellFont* font = nullptr;
    const Row* r = sheet.row(row);
    if (r) {
        for (std::size_t c = 0; c < r->cells.size() && c < hasCell.size(); ++c) {
            if (!r->present[c])
                continue;
            hasCell[c] = true;
            const Cell& cell = r->cells[c];
            const CellFormat& f = workbook.formats.get(cell.format);
            const Column& column = sheet.columns[c];
            const int width = column.hidden ? 0 : column.width ? columnWidthPx(*column.width) : kDefaultColumnWidthPx;
            if (f.wrap && cell.text() && width > 0 && !merged(static_cast<int>(c))) {
                // The cells of a row mostly share one format, and so one font.
                if (cell.format != fontFormat) {
                    fontFormat = cell.format;
                    font = &cellFont(f.font);
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
    }
    if (r && r->format) {
        oneLine(*r->format);
    } else {
        // Neighbouring columns mostly share a format: look each run up once.
        std::optional<FormatId> previous;
        for (std::size_t c = 0; c < hasCell.size(); ++c)
            if (!hasCell[c] && sheet.columns[c].format != previous) {
                previous = sheet.columns[c].format;
                oneLine(*previous);
            }
    }
    return std::min(rowHeightPoints(px), kMaxRowHeightPoints);
}

std::vector<double> autoFitRowHeights(const Workbook& workbook, const Sheet& sheet, int firstRow, int lastRow) {
    if (firstRow < 0 || lastRow >= kMaxRows || firstRow > lastRow)
        throw std::out_of_range("rows outside the sheet");
    const int count = lastRow - firstRow + 1;
    std::vector<double> heights(static_cast<std::size_t>(count));
    const auto fit = [&](int from, int to) {
        for (int r = from; r < to; ++r)
            heights[static_cast<std::size_t>(r - firstRow)] = autoFitRowHeight(workbook, sheet, r);
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
