#include "preview/preview_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

// Sizes come from pictures of any size; clamp instead of overflowing the
// 32-bit whole numbers the window keeps its sizes in.
int toInt32(double x) {
    const double r = roundHalfEven(x);
    if (std::isnan(r))
        return 0;
    return static_cast<int>(std::clamp(r, double(std::numeric_limits<std::int32_t>::min()),
                                       double(std::numeric_limits<std::int32_t>::max())));
}

int floorToInt32(double x) {
    const double f = std::floor(x);
    if (std::isnan(f))
        return 0;
    return static_cast<int>(std::clamp(f, double(std::numeric_limits<std::int32_t>::min()),
                                       double(std::numeric_limits<std::int32_t>::max())));
}

constexpr int kMaxBarValue = std::numeric_limits<std::int16_t>::max();

} // namespace

double roundHalfEven(double x) {
    const double r = std::round(x); // halves away from zero
    if (std::fabs(x - std::trunc(x)) == 0.5)
        return 2.0 * std::round(x / 2.0);
    return r;
}

std::optional<int> scrollValueForPercent(int percent, int maximum) {
    if (percent < 0)
        return std::nullopt;
    // percent * maximum first: whole numbers, so a half stays an exact half.
    const double p = double(percent) * double(maximum) / 100.0;
    if (p > maximum)
        return std::nullopt;
    return static_cast<int>(roundHalfEven(p));
}

PreviewGeometry::PreviewGeometry(TwipsSize viewportOuter, TwipsSize viewportInner) {
    mH.viewOuter = viewportOuter.width;
    mV.viewOuter = viewportOuter.height;
    mH.viewInner = viewportInner.width;
    mV.viewInner = viewportInner.height;
}

void PreviewGeometry::autoSizePicture1(TwipsSize picture) {
    mH.size = static_cast<float>(picture.width);
    mV.size = static_cast<float>(picture.height);
}

void PreviewGeometry::copyToZoomOri() {
    // Zoom_Ori has no border: its inner size is the size it was given.
    mH.oriInner = mH.size;
    mV.oriInner = mV.size;
}

void PreviewGeometry::resetZoom() {
    mZoom = 1.0f;
    for (Axis* a : {&mH, &mV}) {
        a->orig = toInt32(a->oriInner - 2);
        a->zoomed = a->orig;
    }
}

bool PreviewGeometry::applyZoomToPicture1() {
    mH.zoomed = floorToInt32(mH.orig * double(mZoom));
    mV.zoomed = floorToInt32(mV.orig * double(mZoom));
    if (mH.zoomed > kMaxZoomSide || mV.zoomed > kMaxZoomSide) {
        // Too large to draw: back to 1.0, and Picture1 keeps what it shows.
        resetZoom();
        return false;
    }
    mH.size = static_cast<float>(mH.zoomed);
    mV.size = static_cast<float>(mV.zoomed);
    return true;
}

bool PreviewGeometry::redrawImage(std::optional<TwipsSize> anchor) {
    const double ax = anchor ? anchor->width : mH.viewInner / 2;
    const double ay = anchor ? anchor->height : mV.viewInner / 2;
    // Where the anchor falls in the picture, as a share of its size.
    const double fx = mH.size > 0 ? (ax - mH.pos) / mH.size : 0;
    const double fy = mV.size > 0 ? (ay - mV.pos) / mV.size : 0;
    if (!applyZoomToPicture1())
        return false;
    setupAxis(mH, mZoom);
    setupAxis(mV, mZoom);
    placeAxis(mH, ax - fx * mH.size);
    placeAxis(mV, ay - fy * mV.size);
    return true;
}

// The bar's range is what the picture has beyond the inside of the viewport,
// so its last value shows the sheet's last pixel.
void PreviewGeometry::setupAxis(Axis& a, float zoom) {
    const double d = double(a.size) - a.viewInner;
    if (d <= 0) {
        // No range left over from an earlier, larger picture.
        a.bar = {0, 0, false, 1, 1};
        a.step = 0;
        a.pos = 0;
        return;
    }
    if (d <= 100) {
        a.step = 1;
    } else {
        // A picture too tall for a 16-bit range at 10 twips per unit moves
        // further per unit instead of failing.
        a.step = 10;
        while (std::ceil(d / a.step) > kMaxBarValue)
            a.step *= 10;
    }
    a.bar.enabled = true;
    a.bar.maximum = static_cast<int>(std::ceil(d / a.step));
    a.bar.value = 0;
    a.bar.singleStep = std::max(1, static_cast<int>(std::lround(kRowTwips * zoom / a.step)));
    a.bar.pageStep = std::max(1, static_cast<int>(a.viewInner / a.step));
    a.pos = 0;
}

float PreviewGeometry::Axis::positionFor(int value) const {
    return -static_cast<float>(std::min(double(step) * value, std::max(0.0, double(size) - viewInner)));
}

void PreviewGeometry::placeAxis(Axis& a, double pos) {
    if (a.step == 0) {
        a.pos = 0;
        return;
    }
    const int value = static_cast<int>(std::lround(-pos / a.step));
    a.bar.value = std::clamp(value, 0, a.bar.maximum);
    a.pos = a.positionFor(a.bar.value);
}

void PreviewGeometry::setupScrollBars() {
    setupAxis(mH, mZoom);
    setupAxis(mV, mZoom);
}

bool PreviewGeometry::zoomStep(int direction) {
    // From a fitted factor between two quarters, the next quarter either way.
    const float quarters = mZoom / kZoomIncrement;
    const float epsilon = 1e-3f;
    const float next = direction == 0 ? std::floor(quarters + epsilon) + 1 : std::ceil(quarters - epsilon) - 1;
    const float factor = next * kZoomIncrement;
    return factor >= kMinZoom && setZoom(factor);
}

bool PreviewGeometry::setZoom(float factor) {
    // Fitted factors may lie below the smallest step; the steps never go there.
    if (!(factor >= kMinFitZoom && factor <= kMaxZoom))
        return false;
    if (double(mH.orig) * factor > kMaxZoomSide || double(mV.orig) * factor > kMaxZoomSide)
        return false;
    mZoom = factor;
    return true;
}

float PreviewGeometry::fitZoom(double width, double height) const {
    double f = kMaxZoom;
    if (width > 0)
        f = std::min(f, mH.viewInner / width);
    if (height > 0)
        f = std::min(f, mV.viewInner / height);
    f = std::floor(f * 100 + 1e-6) / 100;
    return static_cast<float>(std::clamp(f, double(kMinFitZoom), double(kMaxZoom)));
}

void PreviewGeometry::setScrollValue(Orientation o, int value) {
    Axis& a = axis(o);
    value = std::clamp(value, 0, std::max(a.bar.maximum, 0));
    if (value == a.bar.value)
        return;
    a.bar.value = value;
    a.pos = a.positionFor(value);
}

void PreviewGeometry::setScrollbarByPercent(Orientation o, int percent) {
    if (const auto value = scrollValueForPercent(percent, axis(o).bar.maximum))
        setScrollValue(o, *value);
}

void PreviewGeometry::mouseDown(float x, float y) {
    mDragStartX = x;
    mDragStartY = y;
}

void PreviewGeometry::dragAxis(Axis& a, float start, float pointer) {
    // A picture that fits inside the viewport holds still: clamping it between
    // 0 and a positive limit would only make it jump between the two edges.
    if (a.size <= static_cast<float>(a.viewInner))
        return;
    const float limit = static_cast<float>(a.viewInner) - a.size;
    float p = a.pos - start + pointer;
    if (p > 0)
        p = 0;
    else if (p < limit)
        p = limit;
    a.pos = p;
}

bool PreviewGeometry::mouseMove(bool buttonDown, float x, float y) {
    if (!buttonDown)
        return false;
    const float oldLeft = mH.pos;
    const float oldTop = mV.pos;
    dragAxis(mH, mDragStartX, x);
    dragAxis(mV, mDragStartY, y);
    return mH.pos != oldLeft || mV.pos != oldTop;
}

std::optional<int> PreviewGeometry::releasePercent(Orientation o) const {
    const Axis& a = axis(o);
    // The range the picture moves in, as the bars were set up from it.
    const double divisor = double(a.size) - a.viewInner;
    // A picture that fits the viewport has no range: its bar is left alone.
    if (divisor <= 0)
        return std::nullopt;
    const double pct = roundHalfEven(std::fabs(double(a.pos)) * 100.0 / divisor);
    // Anything past the 16-bit range is far past 100 per cent anyway.
    return static_cast<int>(std::clamp(pct, double(std::numeric_limits<std::int16_t>::min()), double(kMaxBarValue)));
}

void PreviewGeometry::mouseUp() {
    const std::optional<int> pctX = releasePercent(Orientation::Horizontal);
    const std::optional<int> pctY = releasePercent(Orientation::Vertical);
    if (pctX)
        setScrollbarByPercent(Orientation::Horizontal, *pctX);
    if (pctY)
        setScrollbarByPercent(Orientation::Vertical, *pctY);
}
