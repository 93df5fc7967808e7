#pragma once

// What the object model's classes share inside the engine: failures, the
// border line codes and the edge strips a border call draws. Not for callers
// of the engine.

#include "sheet/engine/format_ops.h"
#include "sheet/engine/object_model.h"
#include "sheet/model/workbook.h"

#include <cstdint>
#include <optional>
#include <string>

namespace sheet::om::detail {

// The hook CopyPicture calls (setCopyPictureHook).
CopyPictureHook& copyPictureHook();

[[noreturn]] void fail(const std::string& what);

std::string lower(std::string s);
// Shortest text that reads back as v.
std::string number(double v);

// Throws unless index is a palette entry 1..56; what names the class for the message.
void checkPalette(int index, const char* what);

// Object-model colour index of a model colour, for fonts and borders.
int toAutomaticIndex(sheet::ColorIndex c);

// Border line: object-model LineStyle and Weight against the file's style codes.
struct LineLook {
    int style;
    int weight;
};
LineLook lookOf(std::uint8_t code);
// Throws for a LineStyle the file cannot store.
std::uint8_t codeOf(int style, int weight);

// One strip of cells whose edge a border call draws, and the neighbouring strip
// whose opposite edge it clears (the shared line is stored on the drawn side only).
struct EdgeStrip {
    CellRange own;
    Edge ownEdge;
    std::optional<CellRange> neighbour;
    Edge neighbourEdge;
};
// Nothing for an inside edge of a single row or column; throws for an unknown edge.
std::optional<EdgeStrip> stripOf(const CellRange& a, int edge);

// Model value of the first cell's format.
const CellFormat& firstFormat(const Range& range);

// Edits the format of every cell of every area of range.
void applyToAll(const Range& range, const FormatEdit& edit);

// Most cells one call may fill with values or formats.
inline constexpr long long kMaxFilledCells = 1 << 20;

std::string fileNameOf(const std::string& path);

} // namespace sheet::om::detail
