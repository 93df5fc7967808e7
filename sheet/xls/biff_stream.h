#pragma once

// BIFF8 record framing: a writer that emits records and checks each one is
// exactly as long as it declared, and a cursor that walks records in a stream.

#include "sheet/xls/byte_io.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace sheet::xls {

// Longest record body BIFF8 allows; longer data goes into CONTINUE records.
inline constexpr std::size_t kMaxRecordData = 8224;

namespace rid {
inline constexpr std::uint16_t Formula = 0x0006, Eof = 0x000A, CalcCount = 0x000C, CalcMode = 0x000D,
                               Precision = 0x000E, RefMode = 0x000F, Delta = 0x0010, Iteration = 0x0011,
                               Protect = 0x0012, Password = 0x0013, Header = 0x0014, Footer = 0x0015,
                               ExternSheet = 0x0017, Name = 0x0018, WindowProtect = 0x0019, Selection = 0x001D,
                               DateMode = 0x0022, LeftMargin = 0x0026, RightMargin = 0x0027, TopMargin = 0x0028,
                               BottomMargin = 0x0029, PrintHeaders = 0x002A, PrintGridlines = 0x002B, FilePass = 0x002F,
                               Font = 0x0031, Continue = 0x003C, Window1 = 0x003D, Backup = 0x0040, CodePage = 0x0042,
                               DefColWidth = 0x0055, WriteAccess = 0x005C, ColInfo = 0x007D, Guts = 0x0080,
                               WsBool = 0x0081, GridSet = 0x0082, HCenter = 0x0083, VCenter = 0x0084,
                               BoundSheet = 0x0085, Country = 0x008C, HideObj = 0x008D, Palette = 0x0092,
                               Setup = 0x00A1, MulRk = 0x00BD, MulBlank = 0x00BE, Xf = 0x00E0, MergedCells = 0x00E5,
                               Sst = 0x00FC, LabelSst = 0x00FD, ExtSst = 0x00FF, UsesElfs = 0x0160, SupBook = 0x01AE,
                               Dimensions = 0x0200, Blank = 0x0201, Number = 0x0203, Label = 0x0204, BoolErr = 0x0205,
                               String = 0x0207, Row = 0x0208, Index = 0x020B, DefaultRowHeight = 0x0225,
                               Window2 = 0x023E, Rk = 0x027E, Style = 0x0293, Format = 0x041E, Bof = 0x0809,
                               Bof2 = 0x0009, Bof3 = 0x0209, Bof4 = 0x0409;
} // namespace rid

// The record's name as the format documentation spells it, or "" when unknown.
std::string_view recordName(std::uint16_t id);

struct Record {
    std::uint16_t id = 0;
    std::size_t offset = 0; // of the record header in the stream
    std::span<const std::uint8_t> data;
};

// Walks records from a start offset; a record running past the end of the
// stream raises FormatError.
class RecordCursor {
public:
    RecordCursor(std::span<const std::uint8_t> stream, std::size_t offset) : mStream(stream), mPos(offset) {}
    // False at the end of the stream.
    bool next(Record& record);
    // The next record's id without consuming it, or -1 at the end.
    int peekId() const;
    std::size_t position() const { return mPos; }

private:
    std::span<const std::uint8_t> mStream;
    std::size_t mPos;
};

// Appends records to a stream. Each typed record declares its size, and the
// writer checks that its body produced exactly that many bytes.
class RecordWriter {
public:
    explicit RecordWriter(std::vector<std::uint8_t>& out) : mOut(out), mWriter(out) {}

    template <typename R> void write(const R& record) {
        const std::size_t size = record.size();
        const std::size_t start = begin(R::kId, size);
        record.write(mWriter);
        end(start, size);
    }
    void raw(std::uint16_t id, std::span<const std::uint8_t> data);
    void u16Record(std::uint16_t id, unsigned value);
    void f64Record(std::uint16_t id, double value);
    void empty(std::uint16_t id) { raw(id, {}); }
    std::size_t size() const { return mOut.size(); }
    std::vector<std::uint8_t>& buffer() { return mOut; }

private:
    std::size_t begin(std::uint16_t id, std::size_t size);
    void end(std::size_t start, std::size_t size) const;

    std::vector<std::uint8_t>& mOut;
    ByteWriter mWriter;
};

} // namespace sheet::xls
