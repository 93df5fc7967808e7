#include "sheet/xlsx/style_table.h"

#include "sheet/xlsx/format_mapping.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <stdexcept>
#include <string>

namespace sheet::xlsx {
namespace {

// The library keeps names and codes in fields of this many bytes, terminator included.
constexpr std::size_t kMaxField = LXW_FORMAT_FIELD_LEN - 1;

void setBorder(lxw_format* f, const Border& b, void (*style)(lxw_format*, std::uint8_t),
               void (*color)(lxw_format*, lxw_color_t)) {
    if (b.style == kLineNone)
        return;
    style(f, borderStyle(b.style));
    // Automatic stays unset, which the file keeps as its automatic colour.
    if (const auto rgb = paletteColor(b.color))
        color(f, *rgb);
}

} // namespace

StyleTable::StyleTable(lxw_workbook* workbook, const FormatTable& formats)
    : mWorkbook(workbook), mFormats(formats), mMade(formats.size(), nullptr) {}

lxw_format* StyleTable::format(FormatId id) {
    if (id >= mMade.size())
        id = 0; // a dangling id shows the default, as it does on screen
    if (!mMade[id])
        mMade[id] = make(mFormats.get(id));
    return mMade[id];
}

lxw_format* StyleTable::make(const CellFormat& c) {
    lxw_format* f = workbook_add_format(mWorkbook);
    if (!f)
        throw std::runtime_error("Out of memory for the workbook's cell formats.");

    // Font names longer than the library's field are cut there; no installed
    // font has a name that long (the file's own limit is 31 characters).
    const std::string name = validUtf8(c.font.name);
    if (!name.empty())
        format_set_font_name(f, name.substr(0, kMaxField).c_str());
    format_set_font_size(f, std::clamp(c.font.size, LXW_MIN_FONT_SIZE, LXW_MAX_FONT_SIZE));
    if (c.font.bold)
        format_set_bold(f);
    if (c.font.italic)
        format_set_italic(f);
    if (c.font.underline)
        format_set_underline(f, LXW_UNDERLINE_SINGLE);
    if (c.font.strikeout)
        format_set_font_strikeout(f);
    if (const auto rgb = paletteColor(c.font.color))
        format_set_font_color(f, *rgb);

    if (const auto rgb = paletteColor(c.fill)) {
        format_set_pattern(f, LXW_PATTERN_SOLID);
        format_set_fg_color(f, *rgb);
    }

    setBorder(f, c.border(Edge::Left), format_set_left, format_set_left_color);
    setBorder(f, c.border(Edge::Top), format_set_top, format_set_top_color);
    setBorder(f, c.border(Edge::Right), format_set_right, format_set_right_color);
    setBorder(f, c.border(Edge::Bottom), format_set_bottom, format_set_bottom_color);

    if (const auto h = horizontalAlign(c.hAlign))
        format_set_align(f, *h);
    if (const auto v = verticalAlign(c.vAlign))
        format_set_align(f, *v);
    if (c.wrap)
        format_set_text_wrap(f);

    // Both only take effect once a sheet is protected, which the model has no notion of.
    if (!c.locked)
        format_set_unlocked(f);
    if (c.hidden)
        format_set_hidden(f);

    // Built-in codes go by index: readers then show them in their own locale's
    // form (a short date, say), as they do for the .xls.
    if (const auto builtin = builtinNumberFormat(c.numberFormat)) {
        if (*builtin != 0)
            format_set_num_format_index(f, *builtin);
    } else {
        const std::string code = validUtf8(c.numberFormat);
        if (code.size() > kMaxField)
            throw std::runtime_error("The number format \"" + c.numberFormat.substr(0, 40) +
                                     "...\" is too long for an .xlsx file.");
        format_set_num_format(f, code.c_str());
    }
    return f;
}

} // namespace sheet::xlsx
