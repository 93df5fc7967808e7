#include "preview/picture_box.h"

#include <QPaintEvent>
#include <QPainter>

#include <cmath>

namespace {

// Paints the picture, or what paint draws of it, scaled to size; then the page breaks over it.
void paintScaled(QPainter& painter, const sheet::VectorPicture& picture, QSize size, const std::vector<int>& pageBreaks,
                 const std::function<void(QPainter&)>& paint = {}) {
    const QRect bounds = picture.boundingRect();
    if (bounds.isEmpty() || size.isEmpty())
        return;
    // Without antialiasing every edge lands on a whole device pixel: the
    // picture's thin lines, drawn one device pixel wide at any scale, stay
    // sharp and never fade away.
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, size != bounds.size());
    painter.setRenderHint(QPainter::TextAntialiasing);
    const double sx = double(size.width()) / bounds.width();
    const double sy = double(size.height()) / bounds.height();
    painter.scale(sx, sy);
    painter.translate(-bounds.topLeft());
    if (paint)
        paint(painter);
    else
        picture.play(painter);
    painter.restore();
    if (pageBreaks.empty())
        return;
    QPen pen(QColor(0, 0, 255), 0, Qt::DashLine); // cosmetic: one pixel at any zoom
    painter.setPen(pen);
    for (const int y : pageBreaks) {
        const double at = std::floor((y - bounds.top()) * sy) + 0.5;
        painter.drawLine(QPointF(0, at), QPointF(size.width(), at));
    }
}

} // namespace

QSize pictureNaturalSize(const sheet::VectorPicture& picture) {
    const QRect bounds = picture.boundingRect();
    return bounds.isEmpty() ? QSize(0, 0) : bounds.size();
}

QPixmap renderScaledPicture(const sheet::VectorPicture& picture, QSize size, qreal devicePixelRatio,
                            const std::vector<int>& pageBreaks) {
    if (size.isEmpty())
        return {};
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    paintScaled(painter, picture, size, pageBreaks);
    return pixmap;
}

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::setPicture(const sheet::VectorPicture& picture, QSize size) {
    mPicture = picture;
    mBandPainter = {};
    drawStretched(picture, size);
}

void PictureBox::drawStretched(const sheet::VectorPicture& source, QSize size) {
    mSource = source;
    mDrawingSize = size;
    mDrawing = QPixmap();
    mDrawingStale = true;
    resize(size);
    update();
}

bool PictureBox::keepsDrawing() const {
    return qint64(mDrawingSize.width()) * mDrawingSize.height() <= kMaxKeptPixels;
}

QPixmap PictureBox::drawing() const {
    if (mDrawingStale && keepsDrawing()) {
        mDrawing = renderScaledPicture(mSource, mDrawingSize, devicePixelRatioF(), mPageBreaks);
        mDrawingStale = false;
    }
    return mDrawing;
}

void PictureBox::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::white);
    if (mDrawingSize.isEmpty())
        return;
    const QRect exposed = event->rect().intersected(QRect(QPoint(0, 0), mDrawingSize));
    const QRect bounds = mSource.boundingRect();
    if (mBandPainter && !bounds.isEmpty() && !exposed.isEmpty()) {
        // The rows in sight, with a pixel to spare on each side for rounding.
        const double sy = double(mDrawingSize.height()) / bounds.height();
        const int top = bounds.top() + int(std::floor(exposed.top() / sy)) - 1;
        const int bottom = bounds.top() + int(std::ceil((exposed.bottom() + 1) / sy)) + 1;
        painter.setClipRect(exposed);
        paintScaled(painter, mSource, mDrawingSize, mPageBreaks, [&](QPainter& p) { mBandPainter(p, top, bottom); });
        return;
    }
    if (keepsDrawing()) {
        painter.drawPixmap(0, 0, drawing());
        return;
    }
    painter.setClipRect(exposed);
    paintScaled(painter, mSource, mDrawingSize, mPageBreaks);
}

void PictureBox::setBandPainter(BandPainter painter) {
    mBandPainter = std::move(painter);
    update();
}

void PictureBox::setPageBreaks(std::vector<int> breaks) {
    if (breaks == mPageBreaks)
        return;
    mPageBreaks = std::move(breaks);
    mDrawing = QPixmap();
    mDrawingStale = true;
    update();
}
