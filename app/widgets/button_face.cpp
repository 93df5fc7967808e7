#include "app/widgets/button_face.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPalette>
#include <QRadioButton>
#include <QWidget>

bool isPictureBox(const QWidget& widget) {
    return widget.property(kPictureBoxProperty).toBool();
}

void paintButtonFace(QWidget& widget) {
    QPalette pal = widget.palette();
    // The theme's button face with the theme's button text: a pair that reads.
    pal.setColor(QPalette::Window, QApplication::palette().color(QPalette::Button));
    pal.setColor(QPalette::WindowText, QApplication::palette().color(QPalette::ButtonText));
    widget.setPalette(pal);
    widget.setAutoFillBackground(true);
}

void ApplyButtonFaceColors(QWidget& window) {
    paintButtonFace(window);
    for (QWidget* child : window.findChildren<QWidget*>()) {
        if (qobject_cast<QRadioButton*>(child) || qobject_cast<QCheckBox*>(child) || qobject_cast<QGroupBox*>(child) ||
            (qobject_cast<QLabel*>(child) && !isPictureBox(*child)))
            paintButtonFace(*child);
    }
}
