#include "preview/picture_box.h"

#include <QPaintEvent>
#include <QPainter>

namespace {

void paintScaled(QPainter& painter, const QPicture& picture, QSize size) {
    const QRect bounds = picture.boundingRect();
    if (bounds.isEmpty() || size.isEmpty())
        return;
    // At its own size the picture's lines fall on whole pixels and stay sharp
    // without antialiasing; scaled, antialiasing keeps thin lines from vanishing.
    const bool scaled = size != bounds.size();
    painter.setRenderHint(QPainter::Antialiasing, scaled);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, scaled);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.scale(double(size.width()) / bounds.width(), double(size.height()) / bounds.height());
    painter.drawPicture(-bounds.topLeft(), picture);
}

} // namespace

QSize pictureNaturalSize(const QPicture& picture) {
    const QRect bounds = picture.boundingRect();
    return bounds.isEmpty() ? QSize(0, 0) : bounds.size();
}

QPixmap renderScaledPicture(const QPicture& picture, QSize size, qreal devicePixelRatio) {
    if (size.isEmpty())
        return {};
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    paintScaled(painter, picture, size);
    return pixmap;
}

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::setPicture(const QPicture& picture, QSize size) {
    mPicture = picture;
    drawStretched(picture, size);
}

void PictureBox::drawStretched(const QPicture& source, QSize size) {
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
        mDrawing = renderScaledPicture(mSource, mDrawingSize, devicePixelRatioF());
        mDrawingStale = false;
    }
    return mDrawing;
}

void PictureBox::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::white);
    if (mDrawingSize.isEmpty())
        return;
    if (keepsDrawing()) {
        painter.drawPixmap(0, 0, drawing());
        return;
    }
    painter.setClipRect(event->rect().intersected(QRect(QPoint(0, 0), mDrawingSize)));
    paintScaled(painter, mSource, mDrawingSize);
}
