#include "sheet/xls/biff_stream.h"

#include <stdexcept>
#include <string>

namespace sheet::xls {

bool RecordCursor::next(Record& record) {
    if (mPos + 4 > mStream.size())
        return false;
    const std::uint16_t id = loadU16(mStream.data() + mPos);
    const std::size_t len = loadU16(mStream.data() + mPos + 2);
    if (mPos + 4 + len > mStream.size())
        throw FormatError("A record at offset " + std::to_string(mPos) + " runs past the end of the workbook stream.");
    record.id = id;
    record.offset = mPos;
    record.data = mStream.subspan(mPos + 4, len);
    mPos += 4 + len;
    return true;
}

int RecordCursor::peekId() const {
    if (mPos + 4 > mStream.size())
        return -1;
    return loadU16(mStream.data() + mPos);
}

std::size_t RecordWriter::begin(std::uint16_t id, std::size_t size) {
    if (size > kMaxRecordData)
        throw std::logic_error("record " + std::string(recordName(id)) + " exceeds the BIFF8 record size limit");
    mWriter.u16(id);
    mWriter.u16(static_cast<unsigned>(size));
    return mOut.size();
}

void RecordWriter::end(std::size_t start, std::size_t size) const {
    if (mOut.size() - start != size)
        throw std::logic_error("a record wrote a different number of bytes than it declared");
}

void RecordWriter::raw(std::uint16_t id, std::span<const std::uint8_t> data) {
    const std::size_t start = begin(id, data.size());
    mWriter.bytes(data);
    end(start, data.size());
}

void RecordWriter::u16Record(std::uint16_t id, unsigned value) {
    const std::size_t start = begin(id, 2);
    mWriter.u16(value);
    end(start, 2);
}

void RecordWriter::f64Record(std::uint16_t id, double value) {
    const std::size_t start = begin(id, 8);
    mWriter.f64(value);
    end(start, 8);
}

} // namespace sheet::xls
