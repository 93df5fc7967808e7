#pragma once

// The mouse pointer of one window, as both windows have it: the hourglass while
// the window is busy, the hand pointer (Custom) over its buttons, the plain
// pointer over its background.
//
//     WindowPointer pointer(*this);             // the window owns it
//     pointer.setHandCursor(loadHandCursor());
//     pointer.watchButtons({PushButton1, PushButton2});
//     pointer.watchBackground({Frame1});        // the window itself always counts
//     pointer.set(MousePointer::Hourglass);     // while busy

#include "app/mouse_pointer.h"

#include <QCursor>
#include <QObject>

#include <initializer_list>
#include <optional>

class QPushButton;
class QWidget;

class WindowPointer : public QObject {
public:
    explicit WindowPointer(QWidget& window);

    MousePointer current() const { return mCurrent; }
    // Shows pointer over the whole window. Custom without a hand cursor is the arrow.
    void set(MousePointer pointer);

    // The image of the Custom pointer, when a pointer file was loaded.
    const std::optional<QCursor>& handCursor() const { return mHandCursor; }
    void setHandCursor(std::optional<QCursor> cursor) { mHandCursor = std::move(cursor); }

    // The hand unless busy; and the plain pointer unless busy.
    void overButton();
    void overBackground();

    // A pointer that enters or moves over one of these buttons becomes the hand.
    // The move goes no further, so the background behind a button never takes
    // the pointer back while it is over the button.
    void watchButtons(std::initializer_list<QPushButton*> buttons);
    // A pointer that enters or moves over one of these becomes the plain pointer.
    void watchBackground(std::initializer_list<QWidget*> widgets);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& mWindow;
    MousePointer mCurrent = MousePointer::Default;
    std::optional<QCursor> mHandCursor;
};
