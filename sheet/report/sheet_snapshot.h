#pragma once

// The picture of a sheet: the engine's CopyPicture paints a range onto the
// clipboard, and the snapshot reads it back into a picture file for the preview.

#include "sheet/render/vector_picture.h"

#include <QString>

#include <functional>
#include <optional>

namespace sheet::om {
class Workbook;
}

// Clipboard format of the vector picture (sheet::VectorPicture data). Beside it the
// clipboard gets an ordinary image at twice the screen resolution for other programs.
inline constexpr const char* kSheetPictureMimeType = "application/x-quorvel-tabwright-picture";

// Makes the engine's CopyPicture put the painted range on the clipboard. Call once
// after the QGuiApplication exists.
void installCopyPicture();

// Writes a picture of the used range of the workbook's active sheet to path, through
// the clipboard. Steps that fail are reported with the standard error report and the
// next one runs; a sheet used only in row 1 or column 1 gives no file and no message.
void saveCellsActivesheet(sheet::om::Workbook& book, const QString& path);

// The clipboard's picture, tried up to 1000 times at once; nothing when every try
// failed. format 0 asks for whatever picture the clipboard holds. Never throws.
std::optional<sheet::VectorPicture> GetClipboardPicture(int format);

// One try at reading the clipboard's picture; tests replace it to make the
// clipboard slow or empty. Passing an empty function restores the real one.
using ClipboardPictureReader = std::function<std::optional<sheet::VectorPicture>()>;
void setClipboardPictureReader(ClipboardPictureReader reader);

// Writes the picture to path as a file only this user can read, replacing what was
// there without following a link someone put in its place. Throws on failure.
void savePictureFile(const sheet::VectorPicture& picture, const QString& path);
// Reads a picture file written by savePictureFile; throws when it cannot.
sheet::VectorPicture loadPictureFile(const QString& path);
