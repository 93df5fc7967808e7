#include "app/widgets/window_pointer.h"

#include <QEvent>
#include <QPushButton>
#include <QWidget>

namespace {
constexpr const char* kButtonRole = "windowPointerButton";
}

WindowPointer::WindowPointer(QWidget& window) : QObject(&window), mWindow(window) {
    watchBackground({&window});
}

void WindowPointer::set(MousePointer pointer) {
    mCurrent = pointer;
    switch (pointer) {
    case MousePointer::Default:
        mWindow.unsetCursor();
        break;
    case MousePointer::Hourglass:
        mWindow.setCursor(Qt::WaitCursor);
        break;
    case MousePointer::Custom:
        mWindow.setCursor(mHandCursor ? *mHandCursor : QCursor(Qt::ArrowCursor));
        break;
    }
}

void WindowPointer::overButton() {
    if (mCurrent != MousePointer::Hourglass)
        set(MousePointer::Custom);
}

void WindowPointer::overBackground() {
    if (mCurrent != MousePointer::Hourglass)
        set(MousePointer::Default);
}

void WindowPointer::watchButtons(std::initializer_list<QPushButton*> buttons) {
    for (QPushButton* button : buttons) {
        button->setMouseTracking(true);
        button->setAttribute(Qt::WA_NoMousePropagation);
        button->setProperty(kButtonRole, true);
        button->installEventFilter(this);
    }
}

void WindowPointer::watchBackground(std::initializer_list<QWidget*> widgets) {
    for (QWidget* widget : widgets) {
        widget->setMouseTracking(true);
        widget->installEventFilter(this);
    }
}

bool WindowPointer::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
        if (watched->property(kButtonRole).toBool())
            overButton();
        else
            overBackground();
    }
    return QObject::eventFilter(watched, event);
}
