#pragma once

// A phone-list sheet built straight on the model, formatted as the report lays it
// out: the title, the stamp, the dark-blue header and bordered data rows with
// alternating fills inside a frame. Shared by the renderer's tests and benchmarks.

#include "sheet/model/workbook.h"
#include "sheet/render/sheet_render.h"

#include <array>
#include <functional>
#include <string>

namespace phone_list_sheet {

using namespace sheet;

inline constexpr ColorIndex kWhite = 2;
inline constexpr ColorIndex kGrey = 15;
inline constexpr ColorIndex kLightYellow = 19;
inline constexpr ColorIndex kDarkBlue = 49;

inline constexpr std::array<double, 9> kWidths = {2, 10.43, 10, 13, 24.71, 13.43, 12.43, 12.43, 18.43};
inline constexpr std::array<double, 5> kHeights = {11.25, 34.5, 5.25, 13.5, 14};
inline const char* const kLongAddress = "1742 Old Orchard Lane, Apartment 12B, North Fairview Heights";

// A format made from the default by change, interned.
inline FormatId withFormat(Workbook& wb, const std::function<void(CellFormat&)>& change) {
    CellFormat f;
    change(f);
    return wb.formats.intern(f);
}

inline void edit(Workbook& wb, Sheet& s, int row, int column, const std::function<void(CellFormat&)>& change) {
    Cell& cell = s.cellAt(row, column);
    CellFormat f = wb.formats.get(cell.format);
    change(f);
    cell.format = wb.formats.intern(f);
}

inline void write(Sheet& s, int row, int column, const std::string& text) {
    s.cellAt(row, column).value = text;
}

inline void setBorder(Workbook& wb, Sheet& s, int row, int column, Edge edge, ColorIndex color) {
    edit(wb, s, row, column, [&](CellFormat& f) { f.border(edge) = Border{kLineThin, color}; });
}

// The eight fields of data row i (1-based); row 2 carries an address that needs three lines.
inline std::array<std::string, 8> entry(int i) {
    static const std::array<const char*, 6> last = {"Adams", "Baker", "Clarke", "Dawson", "Ellis", "Fowler"};
    static const std::array<const char*, 6> first = {"Anna", "Ben", "Carla", "David", "Emma", "Frank"};
    const std::string n = std::to_string(i);
    std::string address = n + " Main Street";
    if (i == 2)
        address = kLongAddress;
    return {last[static_cast<std::size_t>(i) % last.size()],
            first[static_cast<std::size_t>(i) % first.size()],
            i % 3 == 0 ? "Kim, Leo" : "",
            address,
            "555-01" + std::to_string(10 + i % 90),
            "555-02" + std::to_string(10 + i % 90),
            "555-03" + std::to_string(10 + i % 90),
            std::string(1, static_cast<char>('a' + i % 26)) + n + "@mail.org"};
}

// Lays out `rows` data rows in the workbook's first sheet (added when missing).
// Returns the range a picture of the sheet covers: A1 to I(rows + 4).
inline CellRange build(Workbook& wb, int rows) {
    Sheet& s = wb.sheetCount() > 0 ? wb.sheetAt(0) : wb.addSheet("Phone List");
    CellFormat base;
    base.font.name = "Century Gothic";
    base.font.size = 10;
    base.fill = kWhite;
    const FormatId baseId = wb.formats.intern(base);
    for (Column& c : s.columns)
        c.format = baseId;
    for (std::size_t c = 0; c < kWidths.size(); ++c)
        s.columns[c].width = kWidths[c];
    for (std::size_t r = 0; r < kHeights.size(); ++r) {
        s.rowAt(static_cast<int>(r)).height = kHeights[r];
        s.rowAt(static_cast<int>(r)).customHeight = true;
    }

    write(s, 1, 1, "Our Organization's Telephone List");
    edit(wb, s, 1, 1, [](CellFormat& f) {
        f.font.size = 20;
        f.font.color = kDarkBlue;
    });
    write(s, 1, 7, "Last Updated");
    edit(wb, s, 1, 7, [](CellFormat& f) { f.font.color = kDarkBlue; });
    setBorder(wb, s, 1, 8, Edge::Bottom, kAutomatic);
    write(s, 1, 8, "12/8/2026 9:15:00 AM");

    static const std::array<const char*, 8> headers = {"Last Name",   "First Name",  "Spouse/Kids", "Address",
                                                       "Home Number", "Work Number", "Cell Number", "E-mail"};
    for (int c = 1; c <= 8; ++c) {
        write(s, 3, c, headers[static_cast<std::size_t>(c - 1)]);
        edit(wb, s, 3, c, [](CellFormat& f) {
            f.fill = kDarkBlue;
            for (Edge e : {Edge::Left, Edge::Right, Edge::Top, Edge::Bottom})
                f.border(e) = Border{kLineThin, kWhite};
            f.font.bold = true;
            f.font.size = 8;
            f.font.color = kWhite;
        });
    }

    for (int i = 1; i <= rows; ++i) {
        const int r = i + 3;
        const auto fields = entry(i);
        for (int c = 1; c <= 8; ++c) {
            write(s, r, c, fields[static_cast<std::size_t>(c - 1)]);
            edit(wb, s, r, c, [&](CellFormat& f) {
                f.wrap = true;
                f.locked = false;
                f.border(Edge::Top) = Border{kLineThin, kGrey};
                f.border(Edge::Bottom) = Border{kLineThin, kGrey};
                if (c > 1)
                    f.border(Edge::Left) = Border{kLineThin, kGrey};
                if (c < 8)
                    f.border(Edge::Right) = Border{kLineThin, kGrey};
                f.fill = i % 2 == 0 ? kLightYellow : kWhite;
            });
        }
        s.rowAt(r).height = autoFitRowHeight(wb, s, r);
        s.rowAt(r).customHeight = false;
    }

    const int last = rows + 3;
    for (int r = 3; r <= last; ++r) {
        setBorder(wb, s, r, 1, Edge::Left, kAutomatic);
        setBorder(wb, s, r, 8, Edge::Right, kAutomatic);
    }
    for (int c = 1; c <= 8; ++c) {
        setBorder(wb, s, 3, c, Edge::Top, kAutomatic);
        setBorder(wb, s, last, c, Edge::Bottom, kAutomatic);
    }
    return CellRange{0, 0, last, 8};
}

} // namespace phone_list_sheet
