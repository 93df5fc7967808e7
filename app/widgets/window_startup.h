#pragma once

// Start-up steps that touch a window: the optional skin and the hand pointer,
// both side files beside the program (app/startup.h).

#include <QCursor>
#include <QString>

#include <optional>

class QWidget;

// When the skin file exists beside the program, gives the window and its frames,
// labels, option buttons and check boxes the button-face colour (as
// ApplyButtonFaceColors; the main window has no picture box) and returns true; otherwise leaves the window alone.
// Theming itself is left to the desktop on Linux.
bool ApplyOptionalSkin(QWidget& window);

// The hand pointer beside the program (or beside folder, when given) or in the
// install's data folder (findSideFile), when there is one that reads.
std::optional<QCursor> loadHandCursor(const QString& folder = QString());
