#include "sheet/xls/biff_stream.h"

#include <stdexcept>
#include <string>

namespace sheet::xls {

std::string_view recordName(std::uint16_t id) {
    switch (id) {
    case rid::Formula:
        return "FORMULA";
    case rid::Eof:
        return "EOF";
    case rid::CalcCount:
        return "CALCCOUNT";
    case rid::CalcMode:
        return "CALCMODE";
    case rid::Precision:
        return "PRECISION";
    case rid::RefMode:
        return "REFMODE";
    case rid::Delta:
        return "DELTA";
    case rid::Iteration:
        return "ITERATION";
    case rid::Protect:
        return "PROTECT";
    case rid::Password:
        return "PASSWORD";
    case rid::Header:
        return "HEADER";
    case rid::Footer:
        return "FOOTER";
    case rid::ExternSheet:
        return "EXTERNSHEET";
    case rid::Name:
        return "NAME";
    case rid::WindowProtect:
        return "WINDOWPROTECT";
    case rid::Selection:
        return "SELECTION";
    case rid::DateMode:
        return "DATEMODE";
    case rid::LeftMargin:
        return "LEFTMARGIN";
    case rid::RightMargin:
        return "RIGHTMARGIN";
    case rid::TopMargin:
        return "TOPMARGIN";
    case rid::BottomMargin:
        return "BOTTOMMARGIN";
    case rid::PrintHeaders:
        return "PRINTHEADERS";
    case rid::PrintGridlines:
        return "PRINTGRIDLINES";
    case rid::FilePass:
        return "FILEPASS";
    case rid::Font:
        return "FONT";
    case rid::Continue:
        return "CONTINUE";
    case rid::Window1:
        return "WINDOW1";
    case rid::Backup:
        return "BACKUP";
    case rid::CodePage:
        return "CODEPAGE";
    case rid::DefColWidth:
        return "DEFCOLWIDTH";
    case rid::WriteAccess:
        return "WRITEACCESS";
    case rid::ColInfo:
        return "COLINFO";
    case rid::Guts:
        return "GUTS";
    case rid::WsBool:
        return "WSBOOL";
    case rid::GridSet:
        return "GRIDSET";
    case rid::HCenter:
        return "HCENTER";
    case rid::VCenter:
        return "VCENTER";
    case rid::BoundSheet:
        return "BOUNDSHEET";
    case rid::Country:
        return "COUNTRY";
    case rid::HideObj:
        return "HIDEOBJ";
    case rid::Palette:
        return "PALETTE";
    case rid::Setup:
        return "SETUP";
    case rid::MulRk:
        return "MULRK";
    case rid::MulBlank:
        return "MULBLANK";
    case rid::Xf:
        return "XF";
    case rid::MergedCells:
        return "MERGEDCELLS";
    case rid::Sst:
        return "SST";
    case rid::LabelSst:
        return "LABELSST";
    case rid::ExtSst:
        return "EXTSST";
    case rid::UsesElfs:
        return "USESELFS";
    case rid::SupBook:
        return "SUPBOOK";
    case rid::Dimensions:
        return "DIMENSIONS";
    case rid::Blank:
        return "BLANK";
    case rid::Number:
        return "NUMBER";
    case rid::Label:
        return "LABEL";
    case rid::BoolErr:
        return "BOOLERR";
    case rid::String:
        return "STRING";
    case rid::Row:
        return "ROW";
    case rid::Index:
        return "INDEX";
    case rid::DefaultRowHeight:
        return "DEFAULTROWHEIGHT";
    case rid::Window2:
        return "WINDOW2";
    case rid::Rk:
        return "RK";
    case rid::Style:
        return "STYLE";
    case rid::Format:
        return "FORMAT";
    case rid::Bof:
        return "BOF";
    case 0x00D7:
        return "DBCELL";
    case 0x00A0:
        return "SCL";
    case 0x0041:
        return "PANE";
    case 0x00EF:
        return "PHONETICINFO";
    case 0x00E1:
        return "INTERFACEHDR";
    case 0x00E2:
        return "INTERFACEEND";
    case 0x00C1:
        return "MMS";
    case 0x0161:
        return "DSF";
    case 0x013D:
        return "TABID";
    case 0x009C:
        return "FNGROUPCOUNT";
    case 0x01AF:
        return "PROT4REV";
    case 0x01BC:
        return "PROT4REVPASS";
    case 0x01B7:
        return "REFRESHALL";
    case 0x00DA:
        return "BOOKBOOL";
    case 0x01C1:
        return "RECALCID";
    case 0x0099:
        return "STANDARDWIDTH";
    default:
        return "";
    }
}

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
