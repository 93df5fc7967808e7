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
    if (mH.zoomed >= kMaxZoomWidth || mV.zoomed >= kMaxZoomHeight) {
        // Too large to draw: back to 1.0, and Picture1 keeps what it shows.
        resetZoom();
        return false;
    }
    mH.size = static_cast<float>(mH.zoomed);
    mV.size = static_cast<float>(mV.zoomed);
    return true;
}

void PreviewGeometry::resetScrollValues() {
    setScrollValue(Orientation::Horizontal, 0);
    setScrollValue(Orientation::Vertical, 0);
    // A bar already at 0 does not move the picture; one dropped away from the
    // position its bar expresses would otherwise stay there after the zoom,
    // possibly with a gap beside it that no bar can scroll away.
    mH.pos = 0;
    mV.pos = 0;
}

void PreviewGeometry::updateScrollEnabled() {
    for (Axis* a : {&mH, &mV})
        a->bar.enabled = a->viewInner < a->zoomed;
}

bool PreviewGeometry::redrawImage() {
    if (!applyZoomToPicture1())
        return false;
    resetScrollValues();
    updateScrollEnabled();
    return true;
}

void PreviewGeometry::setupAxis(Axis& a) {
    const double d = double(a.size) - a.viewOuter;
    if (a.size <= a.viewOuter) {
        // No range left over from an earlier, larger picture.
        a.bar = {0, 0, false};
        a.step = 0;
        return;
    }
    a.bar.enabled = true;
    if (d <= 100) {
        a.step = 1;
    } else {
        // A picture too tall for a 16-bit range at 10 twips per unit moves
        // further per unit instead of failing.
        a.step = 10;
        while (roundHalfEven(d / a.step) > kMaxBarValue)
            a.step *= 10;
    }
    a.bar.maximum = static_cast<int>(roundHalfEven(d / a.step));
    a.bar.value = 0;
}

void PreviewGeometry::setupScrollBars() {
    mH.pos = 0;
    mV.pos = 0;
    setupAxis(mH);
    setupAxis(mV);
}

bool PreviewGeometry::zoomStep(int direction) {
    return setZoom(direction == 0 ? mZoom + kZoomIncrement : mZoom - kZoomIncrement);
}

bool PreviewGeometry::setZoom(float factor) {
    if (!(factor >= kMinZoom && factor <= kMaxZoom))
        return false;
    mZoom = factor;
    return true;
}

void PreviewGeometry::setScrollValue(Orientation o, int value) {
    Axis& a = axis(o);
    value = std::clamp(value, 0, std::max(a.bar.maximum, 0));
    if (value == a.bar.value)
        return;
    a.bar.value = value;
    a.pos = -static_cast<float>(a.step * value);
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
    // Outer sizes, as the bars were set up from them.
    const double divisor = double(a.size) - a.viewOuter;
    // A picture exactly as large as the viewport has no range: its bar is left alone.
    if (divisor == 0)
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
