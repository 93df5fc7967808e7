#include "sheet/engine/object_model.h"

#include "sheet/engine/object_model_detail.h"

namespace sheet::om {

using namespace detail;

// --- Font ---

std::string Font::Name() const {
    return firstFormat(mRange).font.name;
}
void Font::setName(const std::string& name) const {
    if (name.empty() || name.size() > 255)
        fail("Unable to set the Name property of the Font class: a font name has 1..255 characters");
    applyToAll(mRange, [&name](CellFormat& f) { f.font.name = name; });
}
double Font::Size() const {
    return firstFormat(mRange).font.size;
}
void Font::setSize(double points) const {
    if (!(points >= 1 && points <= 409))
        fail("Unable to set the Size property of the Font class: " + number(points) + " is outside 1..409 points");
    applyToAll(mRange, [points](CellFormat& f) { f.font.size = points; });
}
std::string Font::FontStyle() const {
    const sheet::Font& f = firstFormat(mRange).font;
    if (f.bold && f.italic)
        return "Bold Italic";
    return f.bold ? "Bold" : f.italic ? "Italic" : "Regular";
}
void Font::setFontStyle(const std::string& style) const {
    const std::string s = lower(style);
    const bool bold = s.find("bold") != std::string::npos;
    const bool italic = s.find("italic") != std::string::npos || s.find("oblique") != std::string::npos;
    applyToAll(mRange, [bold, italic](CellFormat& f) {
        f.font.bold = bold;
        f.font.italic = italic;
    });
}
bool Font::Bold() const {
    return firstFormat(mRange).font.bold;
}
void Font::setBold(bool bold) const {
    applyToAll(mRange, [bold](CellFormat& f) { f.font.bold = bold; });
}
bool Font::Italic() const {
    return firstFormat(mRange).font.italic;
}
void Font::setItalic(bool italic) const {
    applyToAll(mRange, [italic](CellFormat& f) { f.font.italic = italic; });
}
int Font::ColorIndex() const {
    return toAutomaticIndex(firstFormat(mRange).font.color);
}
void Font::setColorIndex(int index) const {
    if (index != xlColorIndexAutomatic)
        checkPalette(index, "Font");
    const sheet::ColorIndex c = index == xlColorIndexAutomatic ? kAutomatic : index;
    applyToAll(mRange, [c](CellFormat& f) { f.font.color = c; });
}

// --- Interior ---

int Interior::ColorIndex() const {
    const sheet::ColorIndex c = firstFormat(mRange).fill;
    return c == kAutomatic ? xlColorIndexNone : c;
}
void Interior::setColorIndex(int index) const {
    if (index != xlColorIndexNone && index != xlColorIndexAutomatic)
        checkPalette(index, "Interior");
    const sheet::ColorIndex c = index < 0 ? kAutomatic : index;
    applyToAll(mRange, [c](CellFormat& f) { f.fill = c; });
}

} // namespace sheet::om
