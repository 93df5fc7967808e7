#include "sheet/engine/object_model.h"

#include "sheet/engine/format_ops.h"
#include "sheet/engine/object_model_detail.h"

namespace sheet::om {

using namespace detail;

// --- Border ---

namespace {

// The line showing on an edge of the range's first area: the drawn side, else its neighbour's.
sheet::Border shownLine(const Range& range, int edge) {
    const auto strip = stripOf(range.areas().front(), edge);
    if (!strip)
        return {};
    const sheet::Sheet& s = range.model();
    const FormatTable& formats = range.workbookModel().formats;
    const sheet::Border own =
        formats.get(s.effectiveFormat(strip->own.firstRow, strip->own.firstColumn)).border(strip->ownEdge);
    if (own.style != kLineNone || !strip->neighbour)
        return own;
    return formats.get(s.effectiveFormat(strip->neighbour->firstRow, strip->neighbour->firstColumn))
        .border(strip->neighbourEdge);
}

void drawLine(const Range& range, int edge, const std::function<void(sheet::Border&)>& edit) {
    sheet::Sheet& s = range.model();
    sheet::Workbook& wb = range.workbookModel();
    // Every area's strips lie on the same sides: one editor for the lines drawn and
    // one for the neighbours' lines cleared serve them all, area after area.
    FormatEdit draw;
    FormatEdit clear;
    std::optional<FormatEditor> drawn;
    std::optional<FormatEditor> cleared;
    for (const CellRange& a : range.areas()) {
        const auto strip = stripOf(a, edge);
        if (!strip)
            continue;
        if (!drawn) {
            draw = [&edit, own = strip->ownEdge](CellFormat& f) { edit(f.border(own)); };
            clear = [other = strip->neighbourEdge](CellFormat& f) { f.border(other) = {}; };
            drawn.emplace(wb, draw);
            cleared.emplace(wb, clear);
        }
        applyFormat(s, strip->own, *drawn);
        if (strip->neighbour)
            applyFormat(s, *strip->neighbour, *cleared);
    }
}

} // namespace

int Border::LineStyle() const {
    return lookOf(shownLine(mRange, mEdge).style).style;
}
void Border::setLineStyle(int style) const {
    const std::uint8_t probe = codeOf(style, xlThin); // validates before anything changes
    (void)probe;
    drawLine(mRange, mEdge, [style](sheet::Border& b) {
        const int weight = b.style == kLineNone ? xlThin : lookOf(b.style).weight;
        b.style = codeOf(style, weight);
        if (b.style == kLineNone)
            b.color = kAutomatic;
    });
}
int Border::Weight() const {
    return lookOf(shownLine(mRange, mEdge).style).weight;
}
void Border::setWeight(int weight) const {
    if (weight != xlHairline && weight != xlThin && weight != xlMedium && weight != xlThick)
        fail("Unable to set the Weight property of the Border class: " + std::to_string(weight));
    drawLine(mRange, mEdge, [weight](sheet::Border& b) {
        const int style = b.style == kLineNone ? xlContinuous : lookOf(b.style).style;
        b.style = codeOf(style, weight);
    });
}
int Border::ColorIndex() const {
    return toAutomaticIndex(shownLine(mRange, mEdge).color);
}
void Border::setColorIndex(int index) const {
    if (index == xlColorIndexNone) {
        setLineStyle(xlLineStyleNone);
        return;
    }
    if (index != xlColorIndexAutomatic)
        checkPalette(index, "Border");
    const sheet::ColorIndex c = index == xlColorIndexAutomatic ? kAutomatic : index;
    drawLine(mRange, mEdge, [c](sheet::Border& b) {
        if (b.style == kLineNone)
            b.style = kLineThin;
        b.color = c;
    });
}

} // namespace sheet::om
