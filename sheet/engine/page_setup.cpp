#include "sheet/engine/object_model.h"

#include "sheet/engine/address.h"
#include "sheet/engine/object_model_detail.h"

namespace sheet::om {

using namespace detail;

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
