#pragma once

// Twips (1/1440 inch) against the pixels of a screen. The preview keeps every
// position and size in twips and converts only where it touches a widget.

#include "preview/preview_geometry.h"

#include <QPoint>
#include <QRect>
#include <QSize>

#include <algorithm>
#include <cmath>

class TwipsScale {
public:
    static constexpr double kTwipsPerInch = 1440.0;

    // 96 dots per inch gives the usual 15 twips per pixel.
    explicit TwipsScale(double logicalDpi = 96.0)
        : mTwipsPerPixel(logicalDpi > 0 ? kTwipsPerInch / logicalDpi : 15.0) {}

    double twipsPerPixel() const { return mTwipsPerPixel; }

    // Nearest pixel.
    int toPixels(double twips) const { return static_cast<int>(std::lround(twips / mTwipsPerPixel)); }
    double toTwips(double pixels) const { return pixels * mTwipsPerPixel; }

    QSize toPixels(TwipsSize s) const { return {std::max(0, toPixels(s.width)), std::max(0, toPixels(s.height))}; }
    QRect toPixels(double left, double top, double width, double height) const {
        return {toPixels(left), toPixels(top), std::max(0, toPixels(width)), std::max(0, toPixels(height))};
    }
    TwipsSize toTwips(QSize s) const { return {toTwips(s.width()), toTwips(s.height())}; }

private:
    double mTwipsPerPixel;
};
