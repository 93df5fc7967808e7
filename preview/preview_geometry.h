#pragma once

// The preview window's geometry, in twips, without widgets: where Picture1 sits
// inside the viewport Picture2, how large it is at the current zoom factor, and
// what the two scroll bars hold. Form2 runs its handlers against one of these and
// then moves its widgets to match; tests drive it directly.
//
//     PreviewGeometry g({9330, 7425}, {9270, 7365});
//     g.autoSizePicture1({12000, 9000}); // the picture as loaded
//     g.copyToZoomOri();
//     g.resetZoom();
//     g.redrawImage();
//     g.setupScrollBars();
//     if (g.zoomStep(0)) g.redrawImage(); // "Zoom In"

#include <cstdint>
#include <optional>

struct TwipsSize {
    double width = 0;
    double height = 0;
};

// A scroll bar as the preview drives it. Its minimum is always 0; an arrow
// click moves it singleStep, a click in its track pageStep.
struct PreviewScrollBar {
    int value = 0;
    int maximum = 0;
    bool enabled = true;
    int singleStep = 1;
    int pageStep = 1;
};

// To the nearest whole number, halves to even.
double roundHalfEven(double x);

// The value a bar with the given maximum takes for percent per cent of that
// maximum; nothing for a negative percent or one that would pass the maximum.
std::optional<int> scrollValueForPercent(int percent, int maximum);

class PreviewGeometry {
public:
    enum class Orientation { Horizontal, Vertical };

    // "Zoom In" and "Zoom Out" step through the quarters from 25 % to 400 %.
    static constexpr float kMinZoom = 0.25f;
    static constexpr float kMaxZoom = 4.0f;
    static constexpr float kZoomIncrement = 0.25f;
    // Fitting a long sheet may go below the smallest step, down to the smallest
    // scale a sheet prints at.
    static constexpr float kMinFitZoom = 0.10f;
    // The largest side a zoomed picture may have: the largest widget the toolkit
    // makes, in twips at 96 dpi. Painting costs the same at any zoom, because only
    // what shows is painted.
    static constexpr int kMaxZoomSide = 16'777'215 * 15;
    // About one row of the sheet at 100 %: what an arrow click scrolls.
    static constexpr double kRowTwips = 255;

    // viewportOuter includes Picture2's border, viewportInner is the area
    // Picture1 moves in.
    PreviewGeometry(TwipsSize viewportOuter, TwipsSize viewportInner);

    // --- set-up at activation, in this order ---
    // Picture1 takes the size of the picture it was given.
    void autoSizePicture1(TwipsSize picture);
    // Zoom_Ori takes Picture1's size: the unscaled picture from here on.
    void copyToZoomOri();
    // Zoom 1.0; original and zoomed sizes from Zoom_Ori.
    void resetZoom();

    // --- RedrawImage, in its order ---
    // New zoomed size. Returns false (and falls back to zoom 1.0 without
    // touching Picture1) when that size is too large to draw; otherwise Picture1
    // takes the zoomed size and must be repainted.
    bool applyZoomToPicture1();
    // The zoomed size, bars set up for it, and the picture placed so that the
    // point of it that was at anchor (in viewport coordinates) stays there; no
    // anchor keeps the viewport's centre. Returns whether Picture1 must be repainted.
    bool redrawImage(std::optional<TwipsSize> anchor = std::nullopt);

    // Puts Picture1 at 0, 0 and gives each bar its range and steps for
    // Picture1's current size.
    void setupScrollBars();

    // Direction 0 zooms in to the next quarter, anything else out to the one
    // before. Returns true when the new factor was accepted; the caller then
    // runs RedrawImage.
    bool zoomStep(int direction);
    bool setZoom(float factor);
    // The factor that shows an area of the unscaled picture (width x height
    // twips, 0 for a side that need not fit) whole in the viewport, in whole per
    // cent, from kMinFitZoom to kMaxZoom.
    float fitZoom(double width, double height) const;

    // A bar's value changes (by the user or the program): Picture1 follows.
    // Nothing happens when the value is the one the bar already has.
    void setScrollValue(Orientation o, int value);
    // Sets the bar to percent per cent of its maximum (see scrollValueForPercent).
    void setScrollbarByPercent(Orientation o, int percent);

    // --- drag-to-pan; x and y are in Picture1's own coordinates ---
    void mouseDown(float x, float y);
    // Returns true when Picture1 moved.
    bool mouseMove(bool buttonDown, float x, float y);
    // How far, in per cent of its bar's range, the picture has been moved in
    // one direction; nothing when the picture is exactly as large as the viewport.
    std::optional<int> releasePercent(Orientation o) const;
    // Sets both bars to those percentages.
    void mouseUp();

    float zoom() const { return mZoom; }
    int origWidth() const { return mH.orig; }
    int origHeight() const { return mV.orig; }
    int zoomWidth() const { return mH.zoomed; }
    int zoomHeight() const { return mV.zoomed; }
    int hScrollStep() const { return mH.step; }
    int vScrollStep() const { return mV.step; }
    const PreviewScrollBar& hScroll() const { return mH.bar; }
    const PreviewScrollBar& vScroll() const { return mV.bar; }
    float picture1Left() const { return mH.pos; }
    float picture1Top() const { return mV.pos; }
    float picture1Width() const { return mH.size; }
    float picture1Height() const { return mV.size; }
    float dragStartX() const { return mDragStartX; }
    float dragStartY() const { return mDragStartY; }
    TwipsSize viewportOuter() const { return {mH.viewOuter, mV.viewOuter}; }
    TwipsSize viewportInner() const { return {mH.viewInner, mV.viewInner}; }

private:
    // One direction: horizontal (left, width, HScroll1) or vertical (top, height, VScroll1).
    struct Axis {
        double viewOuter = 0;
        double viewInner = 0;
        float pos = 0;       // Picture1's left or top inside the viewport
        float size = 0;      // Picture1's outer width or height
        double oriInner = 0; // Zoom_Ori's inner width or height
        int orig = 0;        // mOrigWidth / mOrigHeight
        int zoomed = 0;      // mZoomWidth / mZoomHeight
        int step = 0;        // mHScrollStep / mVScrollStep
        PreviewScrollBar bar;
        // Where a bar value puts the picture: step twips a unit, never past the end.
        float positionFor(int value) const;
    };

    Axis& axis(Orientation o) { return o == Orientation::Horizontal ? mH : mV; }
    const Axis& axis(Orientation o) const { return o == Orientation::Horizontal ? mH : mV; }
    static void setupAxis(Axis& a, float zoom);
    // Puts the picture at pos, within what its bar can reach, and the bar's value with it.
    static void placeAxis(Axis& a, double pos);
    static void dragAxis(Axis& a, float start, float pointer);

    Axis mH;
    Axis mV;
    float mZoom = 1.0f;
    float mDragStartX = 0;
    float mDragStartY = 0;
};
