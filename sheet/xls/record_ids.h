#pragma once

// Every BIFF8 record id the program writes, reads or names in a dump, each with
// its name as the format documentation spells it: one list, so that the
// constants, the dump tool and the error messages never disagree.

#include <cstdint>
#include <string_view>

namespace sheet::xls {

namespace rid {
inline constexpr std::uint16_t Formula = 0x0006;
inline constexpr std::uint16_t Bof2 = 0x0009;
inline constexpr std::uint16_t Eof = 0x000A;
inline constexpr std::uint16_t CalcCount = 0x000C;
inline constexpr std::uint16_t CalcMode = 0x000D;
inline constexpr std::uint16_t Precision = 0x000E;
inline constexpr std::uint16_t RefMode = 0x000F;
inline constexpr std::uint16_t Delta = 0x0010;
inline constexpr std::uint16_t Iteration = 0x0011;
inline constexpr std::uint16_t Protect = 0x0012;
inline constexpr std::uint16_t Password = 0x0013;
inline constexpr std::uint16_t Header = 0x0014;
inline constexpr std::uint16_t Footer = 0x0015;
inline constexpr std::uint16_t ExternSheet = 0x0017;
inline constexpr std::uint16_t Name = 0x0018;
inline constexpr std::uint16_t WindowProtect = 0x0019;
inline constexpr std::uint16_t Selection = 0x001D;
inline constexpr std::uint16_t DateMode = 0x0022;
inline constexpr std::uint16_t LeftMargin = 0x0026;
inline constexpr std::uint16_t RightMargin = 0x0027;
inline constexpr std::uint16_t TopMargin = 0x0028;
inline constexpr std::uint16_t BottomMargin = 0x0029;
inline constexpr std::uint16_t PrintHeaders = 0x002A;
inline constexpr std::uint16_t PrintGridlines = 0x002B;
inline constexpr std::uint16_t FilePass = 0x002F;
inline constexpr std::uint16_t Font = 0x0031;
inline constexpr std::uint16_t Continue = 0x003C;
inline constexpr std::uint16_t Window1 = 0x003D;
inline constexpr std::uint16_t Backup = 0x0040;
inline constexpr std::uint16_t Pane = 0x0041;
inline constexpr std::uint16_t CodePage = 0x0042;
inline constexpr std::uint16_t DefColWidth = 0x0055;
inline constexpr std::uint16_t WriteAccess = 0x005C;
inline constexpr std::uint16_t ColInfo = 0x007D;
inline constexpr std::uint16_t Guts = 0x0080;
inline constexpr std::uint16_t WsBool = 0x0081;
inline constexpr std::uint16_t GridSet = 0x0082;
inline constexpr std::uint16_t HCenter = 0x0083;
inline constexpr std::uint16_t VCenter = 0x0084;
inline constexpr std::uint16_t BoundSheet = 0x0085;
inline constexpr std::uint16_t Country = 0x008C;
inline constexpr std::uint16_t HideObj = 0x008D;
inline constexpr std::uint16_t Palette = 0x0092;
inline constexpr std::uint16_t StandardWidth = 0x0099;
inline constexpr std::uint16_t FnGroupCount = 0x009C;
inline constexpr std::uint16_t Scl = 0x00A0;
inline constexpr std::uint16_t Setup = 0x00A1;
inline constexpr std::uint16_t MulRk = 0x00BD;
inline constexpr std::uint16_t MulBlank = 0x00BE;
inline constexpr std::uint16_t Mms = 0x00C1;
inline constexpr std::uint16_t DbCell = 0x00D7;
inline constexpr std::uint16_t BookBool = 0x00DA;
inline constexpr std::uint16_t Xf = 0x00E0;
inline constexpr std::uint16_t InterfaceHdr = 0x00E1;
inline constexpr std::uint16_t InterfaceEnd = 0x00E2;
inline constexpr std::uint16_t MergedCells = 0x00E5;
inline constexpr std::uint16_t PhoneticInfo = 0x00EF;
inline constexpr std::uint16_t Sst = 0x00FC;
inline constexpr std::uint16_t LabelSst = 0x00FD;
inline constexpr std::uint16_t ExtSst = 0x00FF;
inline constexpr std::uint16_t TabId = 0x013D;
inline constexpr std::uint16_t UsesElfs = 0x0160;
inline constexpr std::uint16_t Dsf = 0x0161;
inline constexpr std::uint16_t SupBook = 0x01AE;
inline constexpr std::uint16_t Prot4Rev = 0x01AF;
inline constexpr std::uint16_t RefreshAll = 0x01B7;
inline constexpr std::uint16_t Prot4RevPass = 0x01BC;
inline constexpr std::uint16_t RecalcId = 0x01C1;
inline constexpr std::uint16_t Dimensions = 0x0200;
inline constexpr std::uint16_t Blank = 0x0201;
inline constexpr std::uint16_t Number = 0x0203;
inline constexpr std::uint16_t Label = 0x0204;
inline constexpr std::uint16_t BoolErr = 0x0205;
inline constexpr std::uint16_t String = 0x0207;
inline constexpr std::uint16_t Row = 0x0208;
inline constexpr std::uint16_t Bof3 = 0x0209;
inline constexpr std::uint16_t Index = 0x020B;
inline constexpr std::uint16_t Array = 0x0221;
inline constexpr std::uint16_t DefaultRowHeight = 0x0225;
inline constexpr std::uint16_t Table = 0x0236;
inline constexpr std::uint16_t Window2 = 0x023E;
inline constexpr std::uint16_t Rk = 0x027E;
inline constexpr std::uint16_t Style = 0x0293;
inline constexpr std::uint16_t Bof4 = 0x0409;
inline constexpr std::uint16_t Format = 0x041E;
inline constexpr std::uint16_t ShrFmla = 0x04BC;
inline constexpr std::uint16_t Bof = 0x0809;
} // namespace rid

struct RecordId {
    std::uint16_t id;
    std::string_view name;
};

// In id order. The BOF records of older BIFF versions are known only to be refused.
inline constexpr RecordId kRecordIds[] = {
    {rid::Formula, "FORMULA"},
    {rid::Bof2, "BOF"},
    {rid::Eof, "EOF"},
    {rid::CalcCount, "CALCCOUNT"},
    {rid::CalcMode, "CALCMODE"},
    {rid::Precision, "PRECISION"},
    {rid::RefMode, "REFMODE"},
    {rid::Delta, "DELTA"},
    {rid::Iteration, "ITERATION"},
    {rid::Protect, "PROTECT"},
    {rid::Password, "PASSWORD"},
    {rid::Header, "HEADER"},
    {rid::Footer, "FOOTER"},
    {rid::ExternSheet, "EXTERNSHEET"},
    {rid::Name, "NAME"},
    {rid::WindowProtect, "WINDOWPROTECT"},
    {rid::Selection, "SELECTION"},
    {rid::DateMode, "DATEMODE"},
    {rid::LeftMargin, "LEFTMARGIN"},
    {rid::RightMargin, "RIGHTMARGIN"},
    {rid::TopMargin, "TOPMARGIN"},
    {rid::BottomMargin, "BOTTOMMARGIN"},
    {rid::PrintHeaders, "PRINTHEADERS"},
    {rid::PrintGridlines, "PRINTGRIDLINES"},
    {rid::FilePass, "FILEPASS"},
    {rid::Font, "FONT"},
    {rid::Continue, "CONTINUE"},
    {rid::Window1, "WINDOW1"},
    {rid::Backup, "BACKUP"},
    {rid::Pane, "PANE"},
    {rid::CodePage, "CODEPAGE"},
    {rid::DefColWidth, "DEFCOLWIDTH"},
    {rid::WriteAccess, "WRITEACCESS"},
    {rid::ColInfo, "COLINFO"},
    {rid::Guts, "GUTS"},
    {rid::WsBool, "WSBOOL"},
    {rid::GridSet, "GRIDSET"},
    {rid::HCenter, "HCENTER"},
    {rid::VCenter, "VCENTER"},
    {rid::BoundSheet, "BOUNDSHEET"},
    {rid::Country, "COUNTRY"},
    {rid::HideObj, "HIDEOBJ"},
    {rid::Palette, "PALETTE"},
    {rid::StandardWidth, "STANDARDWIDTH"},
    {rid::FnGroupCount, "FNGROUPCOUNT"},
    {rid::Scl, "SCL"},
    {rid::Setup, "SETUP"},
    {rid::MulRk, "MULRK"},
    {rid::MulBlank, "MULBLANK"},
    {rid::Mms, "MMS"},
    {rid::DbCell, "DBCELL"},
    {rid::BookBool, "BOOKBOOL"},
    {rid::Xf, "XF"},
    {rid::InterfaceHdr, "INTERFACEHDR"},
    {rid::InterfaceEnd, "INTERFACEEND"},
    {rid::MergedCells, "MERGEDCELLS"},
    {rid::PhoneticInfo, "PHONETICINFO"},
    {rid::Sst, "SST"},
    {rid::LabelSst, "LABELSST"},
    {rid::ExtSst, "EXTSST"},
    {rid::TabId, "TABID"},
    {rid::UsesElfs, "USESELFS"},
    {rid::Dsf, "DSF"},
    {rid::SupBook, "SUPBOOK"},
    {rid::Prot4Rev, "PROT4REV"},
    {rid::RefreshAll, "REFRESHALL"},
    {rid::Prot4RevPass, "PROT4REVPASS"},
    {rid::RecalcId, "RECALCID"},
    {rid::Dimensions, "DIMENSIONS"},
    {rid::Blank, "BLANK"},
    {rid::Number, "NUMBER"},
    {rid::Label, "LABEL"},
    {rid::BoolErr, "BOOLERR"},
    {rid::String, "STRING"},
    {rid::Row, "ROW"},
    {rid::Bof3, "BOF"},
    {rid::Index, "INDEX"},
    {rid::Array, "ARRAY"},
    {rid::DefaultRowHeight, "DEFAULTROWHEIGHT"},
    {rid::Table, "TABLE"},
    {rid::Window2, "WINDOW2"},
    {rid::Rk, "RK"},
    {rid::Style, "STYLE"},
    {rid::Bof4, "BOF"},
    {rid::Format, "FORMAT"},
    {rid::ShrFmla, "SHRFMLA"},
    {rid::Bof, "BOF"},
};

// The record's name, or "" when unknown.
constexpr std::string_view recordName(std::uint16_t id) {
    for (const RecordId& r : kRecordIds)
        if (r.id == id)
            return r.name;
    return {};
}

} // namespace sheet::xls
