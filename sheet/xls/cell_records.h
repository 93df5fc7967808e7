#pragma once

// Cell records: LABELSST, NUMBER, RK, MULRK, BLANK, MULBLANK, LABEL, BOOLERR,
// FORMULA (cached result only). The writer emits the first five.

#include "sheet/xls/biff_stream.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace sheet::xls {

// The RK encoding of value when it round-trips exactly, else nothing.
std::optional<std::uint32_t> encodeRk(double value);
double decodeRk(std::uint32_t rk);

void writeLabelSst(RecordWriter& out, int row, int column, unsigned xf, std::uint32_t sstIndex);
void writeNumber(RecordWriter& out, int row, int column, unsigned xf, double value);
void writeBlank(RecordWriter& out, int row, int column, unsigned xf);
// Formatted blanks in consecutive columns; one BLANK when there is a single one.
void writeMulBlank(RecordWriter& out, int row, int firstColumn, std::span<const std::uint16_t> xfs);

// One decoded cell value from any of the cell records.
struct CellEntry {
    int row = 0;
    int column = 0;
    unsigned xf = 15;
    // monostate: blank; uint32_t: SST index; string: inline text; double: number.
    std::variant<std::monostate, std::uint32_t, std::string, double> value;
    bool stringFollows = false; // FORMULA whose text result is in the next STRING record
};

// Decodes a cell record into one or more entries; returns false for a non-cell record.
bool parseCellRecord(std::uint16_t id, std::span<const std::uint8_t> data, std::vector<CellEntry>& out);

} // namespace sheet::xls
