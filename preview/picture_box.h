#pragma once

// Picture1 of the preview window: a white box that shows a vector picture
// drawn at one size. The drawing is kept (persistent drawing) until the box is
// told to draw again, whatever the box's own size does in between; because the
// source is a sheet::VectorPicture, every size is drawn afresh and stays sharp.

#include "sheet/render/vector_picture.h"

#include <QPixmap>
#include <QSize>
#include <QWidget>

#include <functional>
#include <vector>

// The picture scaled to fill size (device-independent pixels) on a white
// ground, in a pixmap for the given device pixel ratio, with a dashed line
// across it at each page break (pixels of the unscaled picture).
QPixmap renderScaledPicture(const sheet::VectorPicture& picture, QSize size, qreal devicePixelRatio = 1.0,
                            const std::vector<int>& pageBreaks = {});

// The size of the picture's painted area, in the pixels it was recorded in.
QSize pictureNaturalSize(const sheet::VectorPicture& picture);

class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    // The picture as loaded: shown at size, and the box takes that size.
    void setPicture(const sheet::VectorPicture& picture, QSize size);
    const sheet::VectorPicture& picture() const { return mPicture; }

    // Clears the drawing and draws source stretched to size, which the box takes.
    void drawStretched(const sheet::VectorPicture& source, QSize size);

    // Where printed pages begin, in pixels of the unscaled picture; drawn over it.
    void setPageBreaks(std::vector<int> breaks);

    // Paints what the picture shows between top and bottom (pixels of the unscaled
    // picture, bottom excluded) into a painter set up as for the picture. The window
    // gives one when it holds the sheet the picture was made from: every paint then
    // draws what is in sight, however long the sheet, instead of the whole picture.
    // A new picture drops it.
    using BandPainter = std::function<void(QPainter& painter, int top, int bottom)>;
    void setBandPainter(BandPainter painter);
    bool paintsBands() const { return bool(mBandPainter); }

    // The size the current drawing was made at.
    QSize drawingSize() const { return mDrawingSize; }
    // The current drawing, made now if it is not yet made. Null when there is
    // nothing drawn or when it is too large to keep (it is then painted straight
    // from the picture).
    QPixmap drawing() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Pixels above this many are painted straight from the picture instead of
    // being kept in a pixmap.
    static constexpr qint64 kMaxKeptPixels = 24LL * 1000 * 1000;

    bool keepsDrawing() const;

    sheet::VectorPicture mPicture;
    sheet::VectorPicture mSource;
    BandPainter mBandPainter;
    QSize mDrawingSize;
    std::vector<int> mPageBreaks;
    mutable QPixmap mDrawing;
    mutable bool mDrawingStale = false;
};
