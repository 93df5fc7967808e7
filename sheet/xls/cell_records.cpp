#include "sheet/xls/cell_records.h"

#include "sheet/xls/string_records.h"
#include "sheet/xls/unicode.h"

#include <bit>
#include <cmath>

namespace sheet::xls {

std::optional<std::uint32_t> encodeRk(double value) {
    if (std::isfinite(value) && value == std::trunc(value) && value >= -536870912.0 && value <= 536870911.0) {
        const auto i = static_cast<std::int32_t>(value);
        if (!(i == 0 && std::signbit(value)))
            return (static_cast<std::uint32_t>(i) << 2) | 0x2u;
    }
    const auto bits = std::bit_cast<std::uint64_t>(value);
    if ((bits & 0x3FFFFFFFFULL) == 0)
        return static_cast<std::uint32_t>(bits >> 32);
    return std::nullopt;
}

double decodeRk(std::uint32_t rk) {
    double v;
    if (rk & 0x2u)
        v = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
    else
        v = std::bit_cast<double>(static_cast<std::uint64_t>(rk & 0xFFFFFFFCu) << 32);
    return (rk & 0x1u) ? v / 100 : v;
}

namespace {

struct CellHeader {
    std::uint16_t row, column, xf;
    void write(ByteWriter& w) const {
        w.u16(row);
        w.u16(column);
        w.u16(xf);
    }
};

CellHeader header(int row, int column, unsigned xf) {
    return {static_cast<std::uint16_t>(row), static_cast<std::uint16_t>(column), static_cast<std::uint16_t>(xf)};
}

struct LabelSstRecord {
    static constexpr std::uint16_t kId = rid::LabelSst;
    CellHeader cell;
    std::uint32_t index;
    std::size_t size() const { return 10; }
    void write(ByteWriter& w) const {
        cell.write(w);
        w.u32(index);
    }
};

struct NumberRecord {
    static constexpr std::uint16_t kId = rid::Number;
    CellHeader cell;
    double value;
    std::size_t size() const { return 14; }
    void write(ByteWriter& w) const {
        cell.write(w);
        w.f64(value);
    }
};

struct RkRecord {
    static constexpr std::uint16_t kId = rid::Rk;
    CellHeader cell;
    std::uint32_t rk;
    std::size_t size() const { return 10; }
    void write(ByteWriter& w) const {
        cell.write(w);
        w.u32(rk);
    }
};

struct BlankRecord {
    static constexpr std::uint16_t kId = rid::Blank;
    CellHeader cell;
    std::size_t size() const { return 6; }
    void write(ByteWriter& w) const { cell.write(w); }
};

struct MulBlankRecord {
    static constexpr std::uint16_t kId = rid::MulBlank;
    std::uint16_t row, firstColumn;
    std::span<const std::uint16_t> xfs;
    std::size_t size() const { return 6 + 2 * xfs.size(); }
    void write(ByteWriter& w) const {
        w.u16(row);
        w.u16(firstColumn);
        for (std::uint16_t xf : xfs)
            w.u16(xf);
        w.u16(static_cast<unsigned>(firstColumn + xfs.size() - 1));
    }
};

bool validCell(int row, int column) {
    return row >= 0 && row < 65536 && column >= 0 && column < 256;
}

} // namespace

void writeLabelSst(RecordWriter& out, int row, int column, unsigned xf, std::uint32_t sstIndex) {
    out.write(LabelSstRecord{header(row, column, xf), sstIndex});
}

void writeNumber(RecordWriter& out, int row, int column, unsigned xf, double value) {
    if (auto rk = encodeRk(value))
        out.write(RkRecord{header(row, column, xf), *rk});
    else
        out.write(NumberRecord{header(row, column, xf), value});
}

void writeBlank(RecordWriter& out, int row, int column, unsigned xf) {
    out.write(BlankRecord{header(row, column, xf)});
}

void writeMulBlank(RecordWriter& out, int row, int firstColumn, std::span<const std::uint16_t> xfs) {
    if (xfs.size() == 1)
        writeBlank(out, row, firstColumn, xfs[0]);
    else if (!xfs.empty())
        out.write(MulBlankRecord{static_cast<std::uint16_t>(row), static_cast<std::uint16_t>(firstColumn), xfs});
}

bool parseCellRecord(std::uint16_t id, std::span<const std::uint8_t> data, std::vector<CellEntry>& out) {
    auto head = [&](ByteReader& r) {
        CellEntry e;
        e.row = r.u16();
        e.column = r.u16();
        e.xf = r.u16();
        if (!validCell(e.row, e.column))
            throw FormatError("A cell lies outside the 65,536 rows and 256 columns of a sheet.");
        return e;
    };
    switch (id) {
    case rid::LabelSst: {
        ByteReader r(data, "LABELSST");
        CellEntry e = head(r);
        e.value = r.u32();
        out.push_back(std::move(e));
        return true;
    }
    case rid::Number: {
        ByteReader r(data, "NUMBER");
        CellEntry e = head(r);
        e.value = r.f64();
        out.push_back(std::move(e));
        return true;
    }
    case rid::Rk: {
        ByteReader r(data, "RK");
        CellEntry e = head(r);
        e.value = decodeRk(r.u32());
        out.push_back(std::move(e));
        return true;
    }
    case rid::Blank: {
        ByteReader r(data, "BLANK");
        out.push_back(head(r));
        return true;
    }
    case rid::Label: {
        ByteReader r(data, "LABEL");
        CellEntry e = head(r);
        const std::u16string text = readUnicodeString(r, false);
        if (text.size() > kMaxTextLength)
            throw FormatError("The LABEL record holds a text longer than 32,767 characters.");
        e.value = toUtf8(text);
        out.push_back(std::move(e));
        return true;
    }
    case rid::BoolErr: {
        ByteReader r(data, "BOOLERR");
        CellEntry e = head(r);
        const std::uint8_t v = r.u8();
        const std::uint8_t isError = r.remaining() > 0 ? r.u8() : 0;
        if (isError)
            e.value = std::string(v == 0x00   ? "#NULL!"
                                  : v == 0x07 ? "#DIV/0!"
                                  : v == 0x0F ? "#VALUE!"
                                  : v == 0x17 ? "#REF!"
                                  : v == 0x1D ? "#NAME?"
                                  : v == 0x24 ? "#NUM!"
                                              : "#N/A");
        else
            e.value = v ? std::string("TRUE") : std::string("FALSE");
        out.push_back(std::move(e));
        return true;
    }
    case rid::MulRk:
    case rid::MulBlank: {
        const bool rk = id == rid::MulRk;
        ByteReader r(data, rk ? "MULRK" : "MULBLANK");
        const int row = r.u16();
        const int first = r.u16();
        const std::size_t item = rk ? 6 : 2;
        if (data.size() < 6 || (data.size() - 6) % item != 0)
            throw FormatError(std::string("The ") + r.what() + " record has a malformed length.");
        const std::size_t count = (data.size() - 6) / item;
        const int last = loadU16(data.data() + data.size() - 2);
        if (count == 0 || static_cast<std::size_t>(last - first + 1) != count || !validCell(row, last))
            throw FormatError(std::string("The ") + r.what() + " record's column range does not match its length.");
        for (std::size_t i = 0; i < count; ++i) {
            CellEntry e;
            e.row = row;
            e.column = first + static_cast<int>(i);
            e.xf = r.u16();
            if (rk)
                e.value = decodeRk(r.u32());
            out.push_back(std::move(e));
        }
        return true;
    }
    case rid::Formula: {
        ByteReader r(data, "FORMULA");
        CellEntry e = head(r);
        const auto result = r.take(8);
        if (loadU16(result.data() + 6) == 0xFFFF) {
            switch (result[0]) {
            case 0:
                e.stringFollows = true;
                e.value = std::string();
                break;
            case 1:
                e.value = result[2] ? std::string("TRUE") : std::string("FALSE");
                break;
            case 2:
                e.value = std::string("#VALUE!");
                break;
            default:
                e.value = std::string();
                break;
            }
        } else {
            e.value = loadF64(result.data());
        }
        out.push_back(std::move(e));
        return true;
    }
    default:
        return false;
    }
}

} // namespace sheet::xls
