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

// A scroll bar as the preview drives it. Its minimum is always 0.
struct PreviewScrollBar {
    int value = 0;
    int maximum = 0;
    bool enabled = true;
};

// To the nearest whole number, halves to even.
double roundHalfEven(double x);

// The value a bar with the given maximum takes for percent per cent of that
// maximum; nothing for a negative percent or one that would pass the maximum.
std::optional<int> scrollValueForPercent(int percent, int maximum);

class PreviewGeometry {
public:
    enum class Orientation { Horizontal, Vertical };

    // Zoom factors outside these are ignored.
    static constexpr float kMinZoom = 0.25f;
    static constexpr float kMaxZoom = 3.75f;
    static constexpr float kZoomIncrement = 0.25f;
    // A zoomed picture this wide or high is not drawn; the zoom returns to 1.0.
    static constexpr int kMaxZoomWidth = 14000;
    static constexpr int kMaxZoomHeight = 10000;

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
    // Both bars back to value 0 and the picture back to its top-left corner.
    void resetScrollValues();
    // Each bar is enabled exactly when the zoomed picture is larger than the viewport.
    void updateScrollEnabled();
    // The three above; returns whether Picture1 must be repainted.
    bool redrawImage();

    // Puts Picture1 at 0, 0 and gives each bar its maximum and step for
    // Picture1's current size.
    void setupScrollBars();

    // Direction 0 zooms in by a quarter, anything else out. Returns true when the
    // new factor was accepted; the caller then runs RedrawImage.
    bool zoomStep(int direction);
    bool setZoom(float factor);

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
    };

    Axis& axis(Orientation o) { return o == Orientation::Horizontal ? mH : mV; }
    const Axis& axis(Orientation o) const { return o == Orientation::Horizontal ? mH : mV; }
    static void setupAxis(Axis& a);
    static void dragAxis(Axis& a, float start, float pointer);

    Axis mH;
    Axis mV;
    float mZoom = 1.0f;
    float mDragStartX = 0;
    float mDragStartY = 0;
};
