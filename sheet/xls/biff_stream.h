#pragma once

// BIFF8 record framing: a writer that emits records and checks each one is
// exactly as long as it declared, and a cursor that walks records in a stream.

#include "sheet/xls/byte_io.h"
#include "sheet/xls/record_ids.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace sheet::xls {

// Longest record body BIFF8 allows; longer data goes into CONTINUE records.
inline constexpr std::size_t kMaxRecordData = 8224;

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
