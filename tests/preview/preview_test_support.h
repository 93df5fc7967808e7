#pragma once

// Pictures and windows shared by the preview window's tests.

#include "preview/preview_window.h"
#include "sheet/render/vector_picture.h"

#include <QColor>
#include <QPainter>

// A picture of width x height pixels: the left half in left, the right half in right.
inline sheet::VectorPicture twoColourPicture(int width, int height, QColor left = Qt::red, QColor right = Qt::blue) {
    sheet::VectorPicture picture;
    QPainter painter(&picture);
    painter.fillRect(0, 0, width / 2, height, left);
    painter.fillRect(width / 2, 0, width - width / 2, height, right);
    painter.end();
    return picture;
}

// A preview window that does not end the test when it closes.
inline void keepRunningOnClose(Form2& form) {
    form.endProgram = [] {};
}
