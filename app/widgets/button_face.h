#pragma once

// The button-face colouring that a skinned window and the preview share.

class QWidget;

// The window and its labels, frames, option buttons and check boxes get the
// button-face colour; other controls keep theirs. A QLabel that shows a picture
// is a picture box, not a label: mark it with the property kPictureBoxProperty = true.
inline constexpr const char* kPictureBoxProperty = "pictureBox";
bool isPictureBox(const QWidget& widget);
void ApplyButtonFaceColors(QWidget& window);

// Gives one widget a plain background of the current button-face colour.
void paintButtonFace(QWidget& widget);
