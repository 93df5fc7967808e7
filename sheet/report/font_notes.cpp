#include "sheet/report/font_notes.h"

#include "sheet/engine/address.h"
#include "sheet/engine/object_model.h"
#include "sheet/model/workbook.h"
#include "sheet/render/cell_text.h"

#include <algorithm>

QStringList missingFontNotes(const sheet::Workbook& workbook, const sheet::Sheet& sheet,
                             const sheet::CellRange& range) {
    QStringList notes;
    const sheet::CellFont* font = nullptr;
    sheet::FormatId fontFormat = 0;
    for (int r = range.firstRow; r <= range.lastRow; ++r) {
        const sheet::Row* row = sheet.row(r);
        if (!row)
            continue;
        const int last = std::min(range.lastColumn, static_cast<int>(row->cells.size()) - 1);
        for (int c = range.firstColumn; c <= last; ++c) {
            const auto column = static_cast<std::size_t>(c);
            if (!row->present[column] || !row->cells[column].text())
                continue;
            const sheet::Cell& cell = row->cells[column];
            if (!font || cell.format != fontFormat) {
                fontFormat = cell.format;
                font = &sheet::cellFont(workbook.formats.get(cell.format).font);
            }
            // Plain ASCII the face has, most of a list, needs no look at each character.
            if (font->asciiAdvance(*cell.text()))
                continue;
            const std::vector<char32_t> unshown = sheet::unshownCharacters(sheet::displayText(cell), *font);
            if (unshown.empty())
                continue;
            QStringList codes;
            for (const char32_t ch : unshown)
                codes << QStringLiteral("U+%1").arg(static_cast<uint>(ch), 4, 16, QLatin1Char('0')).toUpper();
            notes << QString::fromStdString(sheet::om::columnName(c)) + QString::number(r + 1) +
                         QStringLiteral(": no installed font shows ") + codes.join(u' ');
        }
    }
    return notes;
}

QStringList pictureFontNotes(const sheet::om::Workbook& book) {
    const sheet::om::Worksheet active = book.ActiveSheet();
    const sheet::om::Range used = active.UsedRange();
    return missingFontNotes(active.workbookModel(), active.model(), used.areas().front());
}

QString fontNotesMessage(const QStringList& notes) {
    QStringList shown = notes.mid(0, kShownFontNotes);
    if (notes.size() > kShownFontNotes)
        shown << QStringLiteral("... and %1 more cells").arg(notes.size() - kShownFontNotes);
    return shown.join(u'\n');
}
