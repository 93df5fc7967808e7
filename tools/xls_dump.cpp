// Dumps an .xls workbook record by record: offset, id, name, length and the
// fields that matter when a reader disagrees with the writer.
//
//     xls_dump file.xls

#include "sheet/xls/biff_stream.h"
#include "sheet/xls/compound_file.h"
#include "sheet/xls/globals_records.h"
#include "sheet/xls/sheet_records.h"
#include "sheet/xls/unicode.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

using namespace sheet::xls;

namespace {

void fields(const Record& rec) {
    const auto* d = rec.data.data();
    const std::size_t n = rec.data.size();
    switch (rec.id) {
    case rid::Bof:
        if (n >= 4)
            std::printf(" vers=0x%04X dt=0x%04X", loadU16(d), loadU16(d + 2));
        break;
    case rid::BoundSheet: {
        const BoundSheet8 b = BoundSheet8::parse(rec.data);
        std::printf(" pos=%u name=\"%s\"", b.position, toUtf8(b.name).c_str());
        break;
    }
    case rid::Font: {
        const FontRecord f = FontRecord::parse(rec.data);
        std::printf(" height=%u weight=%u icv=0x%X name=\"%s\"", f.height, f.weight, f.color, toUtf8(f.name).c_str());
        break;
    }
    case rid::Xf: {
        const XfRecord x = XfRecord::parse(rec.data);
        std::printf(" font=%u fmt=%u %s parent=%u borders=%u/%u/%u/%u fill=%u fg=%u", x.font, x.format,
                    x.style ? "style" : "cell", x.parent, x.borderStyle[0], x.borderStyle[1], x.borderStyle[2],
                    x.borderStyle[3], x.pattern, x.patternFore);
        break;
    }
    case rid::Row: {
        const RowRecord r = RowRecord::parse(rec.data);
        std::printf(" row=%u cols=%u..%u height=%u flags=0x%X xf=%u", r.row, r.firstColumn, r.lastColumnPlus1, r.height,
                    r.flags, r.xf);
        break;
    }
    case rid::ColInfo: {
        const ColInfoRecord c = ColInfoRecord::parse(rec.data);
        std::printf(" cols=%u..%u width=%u xf=%u flags=0x%X", c.firstColumn, c.lastColumn, c.width, c.xf, c.flags);
        break;
    }
    case rid::LabelSst:
    case rid::Number:
    case rid::Rk:
    case rid::Blank:
    case rid::Label:
    case rid::BoolErr:
    case rid::Formula:
        if (n >= 6)
            std::printf(" row=%u col=%u xf=%u", loadU16(d), loadU16(d + 2), loadU16(d + 4));
        if (rec.id == rid::LabelSst && n >= 10)
            std::printf(" isst=%u", loadU32(d + 6));
        if (rec.id == rid::Number && n >= 14)
            std::printf(" value=%.17g", loadF64(d + 6));
        break;
    case rid::MulBlank:
    case rid::MulRk:
        if (n >= 6)
            std::printf(" row=%u cols=%u..%u", loadU16(d), loadU16(d + 2), loadU16(d + n - 2));
        break;
    case rid::Sst:
        if (n >= 8)
            std::printf(" total=%u unique=%u", loadU32(d), loadU32(d + 4));
        break;
    case rid::Setup: {
        const SetupRecord s = SetupRecord::parse(rec.data);
        std::printf(" paper=%u scale=%u fit=%ux%u flags=0x%X header=%g footer=%g", s.paperSize, s.scale, s.fitWidth,
                    s.fitHeight, s.flags, s.headerMargin, s.footerMargin);
        break;
    }
    case rid::LeftMargin:
    case rid::RightMargin:
    case rid::TopMargin:
    case rid::BottomMargin:
        if (n >= 8)
            std::printf(" inches=%g", loadF64(d));
        break;
    case rid::Dimensions:
        if (n >= 12)
            std::printf(" rows=%u..%u cols=%u..%u", loadU32(d), loadU32(d + 4), loadU16(d + 8), loadU16(d + 10));
        break;
    case rid::MergedCells:
        if (n >= 2)
            std::printf(" count=%u", loadU16(d));
        break;
    case rid::Window2:
    case rid::WsBool:
    case rid::CodePage:
        if (n >= 2)
            std::printf(" 0x%04X", loadU16(d));
        break;
    default:
        break;
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: xls_dump FILE.xls\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    const std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    try {
        const std::vector<std::uint8_t> stream = CompoundFileReader(file).readStream(u"Workbook");
        std::printf("Workbook stream: %zu bytes\n", stream.size());
        RecordCursor cursor(stream, 0);
        Record rec;
        while (cursor.next(rec)) {
            if (rec.id == 0 && rec.data.empty())
                break; // padding after the last EOF
            const std::string_view name = recordName(rec.id);
            std::printf("%8zu  0x%04X %-16s %5zu", rec.offset, rec.id, name.empty() ? "?" : std::string(name).c_str(),
                        rec.data.size());
            try {
                fields(rec);
            } catch (const FormatError& e) {
                std::printf(" (%s)", e.what());
            }
            std::printf("\n");
        }
    } catch (const FormatError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
