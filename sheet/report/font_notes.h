#pragma once

// Text that no installed font can show. A character without a font would vanish
// from the picture and the PDF, or show as a box; instead the preview and the
// export command say once which cells hold such characters.

#include <QString>
#include <QStringList>

namespace sheet {
class Workbook;
class Sheet;
struct CellRange;
namespace om {
class Workbook;
}
} // namespace sheet

// One note for each cell of `range` whose text holds such characters, in row
// order: "E9: no installed font shows U+0E20" (several characters separated by
// blanks).
QStringList missingFontNotes(const sheet::Workbook& workbook, const sheet::Sheet& sheet, const sheet::CellRange& range);

// The notes for the used range of the workbook's active sheet: what its picture shows.
QStringList pictureFontNotes(const sheet::om::Workbook& book);

// The notes as one message for a window: the first kShownFontNotes of them,
// then how many more there are.
QString fontNotesMessage(const QStringList& notes);

inline constexpr int kShownFontNotes = 10;
