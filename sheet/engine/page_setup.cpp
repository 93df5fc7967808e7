#include "sheet/engine/object_model.h"

#include "sheet/engine/address.h"
#include "sheet/engine/object_model_detail.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace sheet::om {

using namespace detail;

namespace {

// Header and footer codes: &L, &C and &R open the left, centre and right
// sections, "&&" is a literal ampersand, and text before any section code is centred.
struct Sections {
    std::string left, center, right;
};

Sections splitSections(const std::string& codes) {
    Sections s;
    std::string* current = &s.center;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        const char next = i + 1 < codes.size() ? codes[i + 1] : '\0';
        if (codes[i] == '&' && (next == 'L' || next == 'C' || next == 'R')) {
            current = next == 'L' ? &s.left : next == 'C' ? &s.center : &s.right;
            ++i;
        } else if (codes[i] == '&' && next == '&') {
            *current += "&&";
            ++i;
        } else {
            *current += codes[i];
        }
    }
    return s;
}

std::string joinSections(const Sections& s) {
    std::string codes;
    if (!s.left.empty())
        codes += "&L" + s.left;
    if (!s.center.empty())
        codes += "&C" + s.center;
    if (!s.right.empty())
        codes += "&R" + s.right;
    return codes;
}

// Length as the file counts it: UTF-16 code units of UTF-8 text.
std::size_t utf16Length(const std::string& utf8) {
    std::size_t n = 0;
    for (const char c : utf8) {
        const auto b = static_cast<unsigned char>(c);
        if ((b & 0xC0) != 0x80)
            n += b >= 0xF0 ? 2 : 1; // four-byte sequences become surrogate pairs
    }
    return n;
}

constexpr std::size_t kMaxHeaderFooterLength = 255;

} // namespace

// --- PageSetup ---

std::string PageSetup::PrintArea() const {
    const auto& area = model().pageSetup.printArea;
    return area ? formatAddress(*area) : std::string();
}
void PageSetup::setPrintArea(const std::string& address) const {
    sheet::Sheet& s = model();
    if (address.empty()) {
        s.pageSetup.printArea.reset();
        return;
    }
    const auto areas = parseAddress(address);
    if (areas.size() != 1)
        fail("Unable to set the PrintArea property of the PageSetup class: one area only");
    s.pageSetup.printArea = areas.front();
}

std::string PageSetup::PrintTitleRows() const {
    const auto& rows = model().pageSetup.printTitleRows;
    return rows ? "$" + std::to_string(rows->first + 1) + ":$" + std::to_string(rows->second + 1) : std::string();
}
void PageSetup::setPrintTitleRows(const std::string& rows) const {
    sheet::Sheet& s = model();
    if (rows.empty()) {
        s.pageSetup.printTitleRows.reset();
        return;
    }
    const std::string notRows = "Unable to set the PrintTitleRows property of the PageSetup class: \"" + rows +
                                "\" is not a reference to whole rows";
    // Only "5:6" or "$5:$6": the address parser alone would also take cells such as "A5:IV6".
    if (rows.find_first_not_of("0123456789$:") != std::string::npos || std::count(rows.begin(), rows.end(), ':') != 1)
        fail(notRows);
    std::vector<CellRange> areas;
    try {
        areas = parseAddress(rows);
    } catch (const AddressError&) {
        fail(notRows);
    }
    const CellRange& a = areas.front();
    s.pageSetup.printTitleRows = std::pair<int, int>{a.firstRow, a.lastRow};
}

void PageSetup::setCenterSection(std::string sheet::PageSetup::*member, const std::string& text,
                                 const char* what) const {
    std::string& codes = model().pageSetup.*member;
    Sections sections = splitSections(codes);
    sections.center = text;
    std::string joined = joinSections(sections);
    if (utf16Length(joined) > kMaxHeaderFooterLength)
        fail(std::string("Unable to set the ") + what + " property of the PageSetup class: more than 255 characters");
    codes = std::move(joined);
}
std::string PageSetup::CenterHeader() const {
    return splitSections(model().pageSetup.header).center;
}
void PageSetup::setCenterHeader(const std::string& text) const {
    setCenterSection(&sheet::PageSetup::header, text, "CenterHeader");
}
std::string PageSetup::CenterFooter() const {
    return splitSections(model().pageSetup.footer).center;
}
void PageSetup::setCenterFooter(const std::string& text) const {
    setCenterSection(&sheet::PageSetup::footer, text, "CenterFooter");
}

void PageSetup::setMargin(double sheet::PageSetup::*member, double points) const {
    // The file keeps margins in inches below 100; the page itself is smaller still.
    if (!(points >= 0 && points < 100 * 72))
        fail("Unable to set a margin of the PageSetup class: " + number(points) + " points is out of range");
    model().pageSetup.*member = points;
}
double PageSetup::LeftMargin() const {
    return model().pageSetup.leftMargin;
}
void PageSetup::setLeftMargin(double points) const {
    setMargin(&sheet::PageSetup::leftMargin, points);
}
double PageSetup::RightMargin() const {
    return model().pageSetup.rightMargin;
}
void PageSetup::setRightMargin(double points) const {
    setMargin(&sheet::PageSetup::rightMargin, points);
}
double PageSetup::TopMargin() const {
    return model().pageSetup.topMargin;
}
void PageSetup::setTopMargin(double points) const {
    setMargin(&sheet::PageSetup::topMargin, points);
}
double PageSetup::BottomMargin() const {
    return model().pageSetup.bottomMargin;
}
void PageSetup::setBottomMargin(double points) const {
    setMargin(&sheet::PageSetup::bottomMargin, points);
}
double PageSetup::HeaderMargin() const {
    return model().pageSetup.headerMargin;
}
void PageSetup::setHeaderMargin(double points) const {
    setMargin(&sheet::PageSetup::headerMargin, points);
}
double PageSetup::FooterMargin() const {
    return model().pageSetup.footerMargin;
}
void PageSetup::setFooterMargin(double points) const {
    setMargin(&sheet::PageSetup::footerMargin, points);
}

int PageSetup::PrintComments() const {
    switch (model().pageSetup.printComments) {
    case sheet::PrintComments::AtEnd:
        return xlPrintSheetEnd;
    case sheet::PrintComments::InPlace:
        return xlPrintInPlace;
    default:
        return xlPrintNoComments;
    }
}
void PageSetup::setPrintComments(int mode) const {
    sheet::PageSetup& p = model().pageSetup;
    if (mode == xlPrintNoComments)
        p.printComments = sheet::PrintComments::None;
    else if (mode == xlPrintSheetEnd)
        p.printComments = sheet::PrintComments::AtEnd;
    else if (mode == xlPrintInPlace)
        p.printComments = sheet::PrintComments::InPlace;
    else
        fail("Unable to set the PrintComments property of the PageSetup class: " + std::to_string(mode));
}
int PageSetup::Orientation() const {
    return model().pageSetup.orientation == sheet::Orientation::Landscape ? xlLandscape : xlPortrait;
}
void PageSetup::setOrientation(int orientation) const {
    if (orientation != xlPortrait && orientation != xlLandscape)
        fail("Unable to set the Orientation property of the PageSetup class: " + std::to_string(orientation));
    model().pageSetup.orientation =
        orientation == xlLandscape ? sheet::Orientation::Landscape : sheet::Orientation::Portrait;
}
int PageSetup::PaperSize() const {
    return model().pageSetup.paperSize;
}
void PageSetup::setPaperSize(int paper) const {
    if (paper < 1 || paper > 255)
        fail("Unable to set the PaperSize property of the PageSetup class: " + std::to_string(paper));
    model().pageSetup.paperSize = paper;
}
std::optional<int> PageSetup::Zoom() const {
    const sheet::PageSetup& p = model().pageSetup;
    return p.fitToPages ? std::nullopt : std::optional<int>(p.zoom);
}
void PageSetup::setZoom(int percent) const {
    if (percent < 10 || percent > 400)
        fail("Unable to set the Zoom property of the PageSetup class: " + std::to_string(percent) +
             " is outside 10..400");
    sheet::PageSetup& p = model().pageSetup;
    p.zoom = percent;
    p.fitToPages = false;
}
void PageSetup::setZoom(bool zoom) const {
    if (zoom)
        fail("Unable to set the Zoom property of the PageSetup class: True is not a zoom");
    model().pageSetup.fitToPages = true;
}
int PageSetup::FitToPagesWide() const {
    return model().pageSetup.fitToPagesWide;
}
void PageSetup::setFitToPagesWide(int pages) const {
    if (pages < 0 || pages > 32767)
        fail("Unable to set the FitToPagesWide property of the PageSetup class: " + std::to_string(pages));
    model().pageSetup.fitToPagesWide = pages;
}
int PageSetup::FitToPagesTall() const {
    return model().pageSetup.fitToPagesTall;
}
void PageSetup::setFitToPagesTall(int pages) const {
    if (pages < 0 || pages > 32767)
        fail("Unable to set the FitToPagesTall property of the PageSetup class: " + std::to_string(pages));
    model().pageSetup.fitToPagesTall = pages;
}

} // namespace sheet::om
