#include "sheet/model/workbook.h"

#include <functional>
#include <stdexcept>

namespace sheet {
namespace {

void mix(std::size_t& seed, std::size_t value) {
    seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
}

void checkCell(int row, int column) {
    if (row < 0 || row >= kMaxRows || column < 0 || column >= kMaxColumns)
        throw std::out_of_range("cell outside the sheet");
}

} // namespace

std::size_t hashOf(const CellFormat& f) {
    std::size_t h = std::hash<std::string>{}(f.font.name);
    mix(h, std::hash<double>{}(f.font.size));
    mix(h, (f.font.bold ? 1u : 0u) | (f.font.italic ? 2u : 0u) | (f.font.underline ? 4u : 0u) |
               (f.font.strikeout ? 8u : 0u));
    mix(h, static_cast<std::size_t>(f.font.color));
    mix(h, static_cast<std::size_t>(f.fill));
    for (const Border& b : f.borders)
        mix(h, static_cast<std::size_t>(b.style) * 131u + static_cast<std::size_t>(b.color));
    mix(h, static_cast<std::size_t>(f.hAlign) * 7u + static_cast<std::size_t>(f.vAlign));
    mix(h, (f.wrap ? 1u : 0u) | (f.locked ? 2u : 0u) | (f.hidden ? 4u : 0u));
    mix(h, std::hash<std::string>{}(f.numberFormat));
    return h;
}

FormatTable::FormatTable() {
    intern(CellFormat{});
}

FormatId FormatTable::intern(const CellFormat& format) {
    const std::size_t h = hashOf(format);
    auto [it, end] = mByHash.equal_range(h);
    for (; it != end; ++it)
        if (mFormats[it->second] == format)
            return it->second;
    const auto id = static_cast<FormatId>(mFormats.size());
    mFormats.push_back(format);
    mByHash.emplace(h, id);
    return id;
}

const Cell* Sheet::cell(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0)
        return nullptr;
    const Row& r = mRows[static_cast<std::size_t>(row)];
    const auto c = static_cast<std::size_t>(column);
    return c < r.cells.size() && r.present[c] ? &r.cells[c] : nullptr;
}

Cell& Sheet::cellAt(int row, int column) {
    checkCell(row, column);
    Row& r = rowAt(row);
    const auto c = static_cast<std::size_t>(column);
    if (c >= r.cells.size()) {
        r.cells.resize(c + 1);
        r.present.resize(c + 1, false);
    }
    if (!r.present[c]) {
        r.present[c] = true;
        r.cells[c] = Cell{{}, r.format ? *r.format : columns[c].format};
    }
    return r.cells[c];
}

void Sheet::removeCell(int row, int column) {
    if (row < 0 || row >= rowCount() || column < 0)
        return;
    Row& r = mRows[static_cast<std::size_t>(row)];
    const auto c = static_cast<std::size_t>(column);
    if (c < r.cells.size()) {
        r.present[c] = false;
        r.cells[c] = Cell{};
    }
}

const Row* Sheet::row(int row) const {
    return row >= 0 && row < rowCount() ? &mRows[static_cast<std::size_t>(row)] : nullptr;
}

Row& Sheet::rowAt(int row) {
    checkCell(row, 0);
    if (row >= rowCount())
        mRows.resize(static_cast<std::size_t>(row) + 1);
    return mRows[static_cast<std::size_t>(row)];
}

FormatId Sheet::effectiveFormat(int row, int column) const {
    if (const Cell* c = cell(row, column))
        return c->format;
    if (const Row* r = this->row(row); r && r->format)
        return *r->format;
    return column >= 0 && column < kMaxColumns ? columns[static_cast<std::size_t>(column)].format : 0;
}

void Sheet::clearAll() {
    for (Row& r : mRows) {
        r.cells.clear();
        r.present.clear();
        r.format.reset();
    }
    merged.clear();
    for (Column& c : columns)
        c.format = 0;
}

Sheet& Workbook::addSheet(const std::string& name) {
    sheets.push_back(std::make_unique<Sheet>(name));
    return *sheets.back();
}

} // namespace sheet
