#pragma once

// Small file and window helpers that several windows share.

#include <QString>

class QWidget;

// True when the file system can tell the path's modification time. Never throws.
bool FileExists(const QString& path);

// Deletes the file, falling back to ForceDeleteFile when the ordinary deletion
// fails (a read-only file). Processes pending window events first. Never throws.
void DeleteFileQuietly(const QString& path);

// Makes the file writable, then removes it. Throws std::runtime_error on failure.
void ForceDeleteFile(const QString& path);

// The window and its labels, frames, option buttons and check boxes get the
// button-face colour; other controls keep theirs. A QLabel that shows a picture
// is a picture box, not a label: mark it with the property kPictureBoxProperty = true.
inline constexpr const char* kPictureBoxProperty = "pictureBox";
bool isPictureBox(const QWidget& widget);
void ApplyButtonFaceColors(QWidget& window);

// Gives one widget a plain background of the current button-face colour.
void paintButtonFace(QWidget& widget);
