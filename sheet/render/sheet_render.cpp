#include "sheet/render/sheet_render.h"

#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <optional>
#include <stdexcept>
#include <vector>

namespace sheet {
namespace {

bool isMultiCell(const CellRange& m) {
    return m.lastRow > m.firstRow || m.lastColumn > m.firstColumn;
}

// Merged areas of more than one cell, looked up per row: a sheet may hold many
// merges, and a row only ever meets a few.
class MergeIndex {
public:
    MergeIndex(const Sheet& sheet, int firstRow, int lastRow) : mFirst(firstRow) {
        mRows.resize(static_cast<std::size_t>(lastRow - firstRow) + 1);
        for (const CellRange& m : sheet.merged) {
            if (!isMultiCell(m))
                continue;
            const int from = std::max(m.firstRow, firstRow);
            const int to = std::min(m.lastRow, lastRow);
            for (int r = from; r <= to; ++r)
                mRows[static_cast<std::size_t>(r - firstRow)].push_back(&m);
        }
    }

    const CellRange* find(int row, int column) const {
        const int i = row - mFirst;
        if (i < 0 || i >= static_cast<int>(mRows.size()))
            return nullptr;
        for (const CellRange* m : mRows[static_cast<std::size_t>(i)])
            if (column >= m->firstColumn && column <= m->lastColumn)
                return m;
        return nullptr;
    }

private:
    int mFirst;
    std::vector<std::vector<const CellRange*>> mRows;
};

struct LineStyle {
    int width = 0; // pixels; 0 for no line
    Qt::PenStyle pen = Qt::SolidLine;
    bool isDouble = false;
};

// Border line codes of the file format (0 none, 1 thin, 2 medium, 3 dashed, 4 dotted,
// 5 thick, 6 double, 7 hair, 8 medium dashed, 9..12 (medium) dash-dot(-dot), 13 slanted).
LineStyle lineStyle(std::uint8_t code) {
    switch (code) {
    case 0:
        return {};
    case 1:
        return {1, Qt::SolidLine, false};
    case 2:
        return {2, Qt::SolidLine, false};
    case 3:
        return {1, Qt::DashLine, false};
    case 4:
        return {1, Qt::DotLine, false};
    case 5:
        return {3, Qt::SolidLine, false};
    case 6:
        return {3, Qt::SolidLine, true};
    case 7:
        return {1, Qt::DotLine, false};
    case 8:
        return {2, Qt::DashLine, false};
    case 9:
        return {1, Qt::DashDotLine, false};
    case 10:
    case 13:
        return {2, Qt::DashDotLine, false};
    case 11:
        return {1, Qt::DashDotDotLine, false};
    case 12:
        return {2, Qt::DashDotDotLine, false};
    default:
        return {1, Qt::SolidLine, false}; // unknown codes still show a line
    }
}

// A run of text to paint: the lines of one cell placed in `box` (the cell, its
// merged area, or the empty cells its text runs on into).
struct TextItem {
    QRect box;
    QRect clip; // empty when the text fits its box
    QStringList lines;
    const CellFont* font = nullptr;
    QColor color;
    HAlign align = HAlign::Left;
    VAlign vAlign = VAlign::Bottom;
};

class RangePainter {
public:
    RangePainter(QPainter& painter, const Workbook& workbook, const Sheet& sheet, const SheetGeometry& geometry)
        : p(painter), wb(workbook), sh(sheet), geo(geometry), range(geometry.range()),
          merges(sheet, std::max(range.firstRow - 1, 0), std::min(range.lastRow + 1, kMaxRows - 1)),
          fonts(workbook.formats.size(), nullptr), gridColor(QColor::fromRgb(kGridlineRgb)) {}

    void paint() {
        const QSize size = geo.size();
        fill(QRect(QPoint(0, 0), size), Qt::white);
        for (int r = range.firstRow; r <= range.lastRow; ++r)
            if (geo.rowHeight(r) > 0)
                paintRow(r);
        paintBorders();
    }

private:
    const CellFormat& format(int row, int column) const { return wb.formats.get(sh.effectiveFormat(row, column)); }

    const CellFont& fontOf(FormatId id) {
        if (id >= fonts.size())
            fonts.resize(static_cast<std::size_t>(id) + 1, nullptr);
        if (!fonts[id])
            fonts[id] = &cellFont(wb.formats.get(id).font);
        return *fonts[id];
    }

    // A solid rectangle. QPainter::fillRect() saves, sets and restores pen and brush
    // for every call, which a recorded picture stores as five commands; keeping the
    // pen off and the brush on the last colour stores one, and paints the same pixels.
    void fill(const QRect& r, const QColor& color) {
        if (!penOff) {
            p.setPen(Qt::NoPen);
            penOff = true;
            currentColor = QColor();
        }
        if (brushColor != color || !brushKnown) {
            p.setBrush(color);
            brushColor = color;
            brushKnown = true;
        }
        p.drawRect(r);
    }

    // After a restore() the pen and brush are whatever they were at the save().
    void forgetPainterState() {
        currentFont = nullptr;
        currentColor = QColor();
        penOff = false;
        brushKnown = false;
    }

    bool hasValue(int row, int column) const {
        const Cell* c = sh.cell(row, column);
        return c && !c->isBlank();
    }

    // The rectangle a cell's fill covers: the first row and column of the range
    // also cover the edge line at pixel 0.
    QRect fillRect(QRect r) const {
        if (r.left() <= 1)
            r.setLeft(0);
        if (r.top() <= 1)
            r.setTop(0);
        return r;
    }

    void paintRow(int r) {
        items.clear();
        noGridRight.assign(static_cast<std::size_t>(range.lastColumn - range.firstColumn) + 1, false);
        areas.clear();
        const QRect picture(QPoint(0, 0), geo.size());
        for (int c = range.firstColumn; c <= range.lastColumn; ++c) {
            if (geo.columnWidth(c) == 0)
                continue;
            if (const CellRange* m = merges.find(r, c)) {
                if (r != std::max(m->firstRow, range.firstRow) || c != std::max(m->firstColumn, range.firstColumn))
                    continue; // painted with its area's first visible cell
                const QRect whole = geo.cellRect(m->firstRow, m->firstColumn, m->lastRow, m->lastColumn);
                const QRect visible = whole.intersected(picture);
                const FormatId id = sh.effectiveFormat(m->firstRow, m->firstColumn);
                const int right = m->lastColumn <= range.lastColumn ? m->lastColumn : -1;
                areas.push_back({visible, wb.formats.get(id).fill, right});
                if (const Cell* cell = sh.cell(m->firstRow, m->firstColumn))
                    addText(*cell, id, whole, visible, -1, r);
                continue;
            }
            const QRect box = geo.cellRect(r, c);
            const FormatId id = sh.effectiveFormat(r, c);
            areas.push_back({box, wb.formats.get(id).fill, c});
            if (const Cell* cell = sh.cell(r, c); cell && !cell->isBlank())
                addText(*cell, id, box, box, c, r);
        }
        // Neighbouring cells of one fill are painted as one rectangle.
        QRect pending;
        QColor pendingColor;
        const auto flush = [&] {
            if (!pending.isNull())
                fill(pending, pendingColor);
            pending = QRect();
        };
        for (const FillArea& a : areas) {
            if (a.fill == kAutomatic) {
                flush();
                paintGridlines(a.rect, a.lastColumn);
                continue;
            }
            const QRect box = fillRect(a.rect);
            const QColor color = paletteColor(a.fill, Qt::white);
            if (!pending.isNull() && color == pendingColor && box.top() == pending.top() &&
                box.bottom() == pending.bottom() && box.left() >= pending.left() && box.left() <= pending.right() + 1 &&
                box.right() >= pending.right()) {
                pending.setRight(box.right());
                continue;
            }
            flush();
            pending = box;
            pendingColor = color;
        }
        flush();
        for (const TextItem& item : items)
            paintText(item);
    }

    // Grid lines on the right and bottom of an unfilled cell or area whose last
    // column is `column` (-1 when it ends beyond the range), and on the range's
    // outer left and top edge.
    void paintGridlines(const QRect& r, int column) {
        if (column < 0 || !noGridRight[static_cast<std::size_t>(column - range.firstColumn)])
            fill(QRect(r.right(), r.top(), 1, r.height()), gridColor);
        fill(QRect(r.left(), r.bottom(), r.width(), 1), gridColor);
        if (r.left() <= 1)
            fill(QRect(0, r.top(), 1, r.height()), gridColor);
        if (r.top() <= 1)
            fill(QRect(r.left() <= 1 ? 0 : r.left(), 0, r.width() + (r.left() == 1 ? 1 : 0), 1), gridColor);
    }

    // column < 0: a merged area, which never runs on into its neighbours.
    void addText(const Cell& cell, FormatId id, const QRect& box, const QRect& visible, int column, int row) {
        const CellFormat& f = wb.formats.get(id);
        const CellFont& font = fontOf(id);
        const bool number = cell.number() != nullptr;
        HAlign align = f.hAlign;
        if (align == HAlign::General)
            align = number ? HAlign::Right : HAlign::Left;
        else if (align == HAlign::Fill || align == HAlign::Justify)
            align = HAlign::Left;
        else if (align == HAlign::CenterAcross)
            align = HAlign::Center;
        const bool wrap = f.wrap && !number;
        TextItem item;
        item.font = &font;
        item.color = paletteColor(f.font.color, Qt::black);
        item.align = align;
        item.vAlign = f.vAlign;
        item.box = box;
        const double room = textWidth(box.width());
        item.lines = breakLines(displayText(cell), font, room, wrap);
        double widest = 0;
        for (const QString& line : std::as_const(item.lines))
            widest = std::max(widest, font.advance(line));
        if (widest > room && number) {
            // A number never runs on or shows in part: it drops decimals to fit,
            // and turns into "#" across the cell when even that fails.
            QString fitting;
            for (int chars = kGeneralChars - 1; chars >= 1 && fitting.isEmpty(); --chars) {
                const QString shorter = generalNumber(*cell.number(), chars);
                if (!shorter.isEmpty() && font.advance(shorter) <= room)
                    fitting = shorter;
            }
            if (fitting.isEmpty()) {
                const double hash = font.metrics.horizontalAdvance(u'#');
                fitting = QString(std::max(1, static_cast<int>(room / hash)), u'#');
            }
            item.lines = {fitting};
            widest = 0;
        } else if (widest > room && !wrap && column >= 0) {
            item.box = runOn(row, column, align, widest);
        }
        const int blockHeight = static_cast<int>(item.lines.size()) * font.lineHeight;
        if (visible != box)
            item.clip = visible; // a merged area cut by the range's edge
        else if (widest > textWidth(item.box.width()) || blockHeight > item.box.height())
            item.clip = item.box;
        items.push_back(std::move(item));
    }

    // Widens a cell's text box over the empty cells beside it until the text fits,
    // to the right for left-aligned text, to the left for right-aligned text and
    // both ways for centred text.
    QRect runOn(int row, int column, HAlign align, double width) {
        int from = column;
        int to = column;
        const auto fits = [&] { return textWidth(geo.columnX(to + 1) - geo.columnX(from)) >= width; };
        const auto free = [&](int c) {
            return c >= range.firstColumn && c <= range.lastColumn && !hasValue(row, c) && !merges.find(row, c);
        };
        bool grew = true;
        while (!fits() && grew) {
            grew = false;
            if (align != HAlign::Right && free(to + 1)) {
                ++to;
                grew = true;
            }
            if (!fits() && align != HAlign::Left && free(from - 1)) {
                --from;
                grew = true;
            }
        }
        for (int c = from; c < to; ++c)
            noGridRight[static_cast<std::size_t>(c - range.firstColumn)] = true;
        return geo.cellRect(row, from, row, to);
    }

    void paintText(const TextItem& item) {
        const CellFont& font = *item.font;
        const QRect& box = item.box;
        const int lineHeight = font.lineHeight;
        const int block = static_cast<int>(item.lines.size()) * lineHeight;
        int top = box.top();
        if (item.vAlign == VAlign::Bottom)
            top = box.top() + box.height() - block;
        else if (item.vAlign == VAlign::Center)
            top = box.top() + (box.height() - block) / 2;
        const bool clipped = !item.clip.isEmpty();
        if (clipped) {
            p.save();
            p.setClipRect(QRect(item.clip.left(), item.clip.top(), item.clip.width() - 1, item.clip.height() - 1));
        }
        if (currentFont != &font) {
            p.setFont(font.font);
            currentFont = &font;
        }
        if (currentColor != item.color || clipped) {
            p.setPen(item.color);
            currentColor = item.color;
            penOff = false;
        }
        const double room = textWidth(box.width());
        for (qsizetype i = 0; i < item.lines.size(); ++i) {
            const QString& line = item.lines[i];
            const double baseline = top + static_cast<double>(i) * lineHeight + 1 + font.ascent;
            if (baseline - font.ascent > box.bottom() + 1 || baseline + lineHeight < box.top())
                continue;
            double x = box.left() + kTextPadLeft;
            if (item.align != HAlign::Left) {
                const double w = font.advance(line);
                x += item.align == HAlign::Right ? room - w : (room - w) / 2;
            }
            // Whole pixels: crisp at 96 dpi, and a recorded picture replays at the same spot.
            p.drawText(QPointF(std::round(x), std::round(baseline)), line);
        }
        if (clipped) {
            p.restore();
            forgetPainterState();
        }
    }

    // Each line between two cells is drawn once, from the cell below or to the
    // right when it has a line there (it was usually set last), else from the other.
    void paintBorders() {
        if (!paintThinBorders())
            paintBordersOneByOne();
    }

    // The line above row r in column c, or none.
    Border lineAbove(int r, int c) const {
        const Border above = r > 0 ? format(r - 1, c).border(Edge::Bottom) : Border{};
        const Border below = r < kMaxRows ? format(r, c).border(Edge::Top) : Border{};
        const Border& b = below.style != kLineNone ? below : above;
        if (b.style == kLineNone || sameMerge(r - 1, c, r, c))
            return {};
        return b;
    }

    // The line left of column c in row r, or none.
    Border lineLeftOf(int r, int c) const {
        const Border left = c > 0 ? format(r, c - 1).border(Edge::Right) : Border{};
        const Border right = c < kMaxColumns ? format(r, c).border(Edge::Left) : Border{};
        const Border& b = right.style != kLineNone ? right : left;
        if (b.style == kLineNone || sameMerge(r, c - 1, r, c))
            return {};
        return b;
    }

    void paintBordersOneByOne() {
        const int lastRow = range.lastRow;
        for (int r = range.firstRow; r <= lastRow + 1; ++r) {
            const bool rowShown = r <= lastRow ? geo.rowHeight(r) > 0 : true;
            for (int c = range.firstColumn; c <= range.lastColumn; ++c) {
                const int w = geo.columnWidth(c);
                if (w == 0)
                    continue;
                // Line above row r.
                if (rowShown || r == lastRow + 1) {
                    const Border b = lineAbove(r, c);
                    if (b.style != kLineNone) {
                        const int y = geo.rowY(r) - 1;
                        horizontal(geo.columnX(c) - 1, geo.columnX(c + 1) - 1, y, b);
                    }
                }
                if (r > lastRow || !rowShown)
                    continue;
                // Line left of column c, and after the last column its right line.
                verticalAt(r, c);
                if (c == range.lastColumn)
                    verticalAt(r, c + 1);
            }
        }
    }

    // Sheets whose lines are all thin and solid, with no hidden rows or columns,
    // the usual case, are drawn with one rectangle per run of lines of one colour
    // instead of one per cell edge: a long list then records a few thousand
    // commands instead of hundreds of thousands. Lines one pixel wide meet only at
    // their corners, so the runs reproduce the cell-by-cell drawing exactly: there
    // the later line wins, which is the vertical one of the row below the corner,
    // else the horizontal one on its right, else on its left, else the vertical one
    // above. Returns false, having drawn nothing, for any other sheet.
    bool paintThinBorders() {
        const int lastRow = range.lastRow;
        for (int c = range.firstColumn; c <= range.lastColumn; ++c)
            if (geo.columnWidth(c) < 2)
                return false;
        for (int r = range.firstRow; r <= lastRow; ++r)
            if (geo.rowHeight(r) < 2)
                return false;
        const auto thin = [](const Border& b) {
            const LineStyle s = lineStyle(b.style);
            return s.width == 1 && s.pen == Qt::SolidLine && !s.isDouble;
        };

        struct Run {
            int x0, y0, x1, y1; // inclusive pixels
            ColorIndex color;
        };
        std::vector<Run> horizontals;
        std::vector<Run> verticals;
        const int columns = range.lastColumn - range.firstColumn + 2; // line positions, the right edge included
        // Per line position: the open vertical run, if any.
        std::vector<std::optional<Run>> open(static_cast<std::size_t>(columns));
        // Per line position: whether the row's horizontal line touches its x.
        std::vector<char> touched(static_cast<std::size_t>(columns));

        for (int r = range.firstRow; r <= lastRow + 1; ++r) {
            const int y = geo.rowY(r) - 1;
            std::fill(touched.begin(), touched.end(), 0);
            std::optional<Run> run;
            for (int c = range.firstColumn; c <= range.lastColumn; ++c) {
                const Border b = lineAbove(r, c);
                const int i = c - range.firstColumn;
                if (b.style == kLineNone) {
                    if (run)
                        horizontals.push_back(*run);
                    run.reset();
                    continue;
                }
                if (!thin(b))
                    return false;
                touched[static_cast<std::size_t>(i)] = 1;
                touched[static_cast<std::size_t>(i) + 1] = 1;
                const int x0 = geo.columnX(c) - 1;
                const int x1 = geo.columnX(c + 1) - 1;
                if (run && run->color == b.color) {
                    run->x1 = x1;
                    continue;
                }
                if (run)
                    horizontals.push_back(*run);
                run = Run{x0, y, x1, y, b.color};
            }
            if (run)
                horizontals.push_back(*run);

            // Vertical runs that stop above this row end one pixel short where a
            // horizontal line passes, since that line is drawn after them.
            for (int i = 0; i < columns; ++i) {
                const int c = range.firstColumn + i;
                const Border b = r <= lastRow ? lineLeftOf(r, c) : Border{};
                if (b.style != kLineNone && !thin(b))
                    return false;
                std::optional<Run>& v = open[static_cast<std::size_t>(i)];
                if (v && b.style != kLineNone && v->color == b.color) {
                    v->y1 = geo.rowY(r + 1) - 1;
                    continue;
                }
                if (v) {
                    if (touched[static_cast<std::size_t>(i)] && b.style == kLineNone)
                        --v->y1;
                    if (v->y1 >= v->y0)
                        verticals.push_back(*v);
                    v.reset();
                }
                if (b.style != kLineNone) {
                    const int x = geo.columnX(c) - 1;
                    v = Run{x, y, x, geo.rowY(r + 1) - 1, b.color};
                }
            }
        }
        for (const Run& h : horizontals)
            fill(QRect(QPoint(h.x0, h.y0), QPoint(h.x1, h.y1)), paletteColor(h.color, Qt::black));
        for (const Run& v : verticals)
            fill(QRect(QPoint(v.x0, v.y0), QPoint(v.x1, v.y1)), paletteColor(v.color, Qt::black));
        return true;
    }

    void verticalAt(int r, int c) {
        const Border b = lineLeftOf(r, c);
        if (b.style == kLineNone)
            return;
        vertical(geo.columnX(c) - 1, geo.rowY(r) - 1, geo.rowY(r + 1) - 1, b);
    }

    bool sameMerge(int r1, int c1, int r2, int c2) const {
        const CellRange* a = merges.find(r1, c1);
        return a && a == merges.find(r2, c2);
    }

    // A line along pixel row y from pixel x0 to x1 inclusive.
    void horizontal(int x0, int x1, int y, const Border& b) {
        const LineStyle s = lineStyle(b.style);
        const QColor color = paletteColor(b.color, Qt::black);
        const int before = (s.width - 1) / 2;
        const int after = s.width - 1 - before;
        if (s.isDouble) {
            fill(QRect(x0 - 1, y - 1, x1 - x0 + 3, 1), color);
            fill(QRect(x0 - 1, y + 1, x1 - x0 + 3, 1), color);
        } else if (s.pen == Qt::SolidLine) {
            fill(QRect(x0 - before, y - before, x1 - x0 + 1 + before + after, s.width), color);
        } else {
            QPen pen(color, s.width, s.pen, Qt::FlatCap);
            p.setPen(pen);
            const double cy = y - before + s.width / 2.0;
            p.drawLine(QPointF(x0, cy), QPointF(x1 + 1, cy));
            currentColor = QColor();
            penOff = false;
        }
    }

    // A line along pixel column x from pixel y0 to y1 inclusive.
    void vertical(int x, int y0, int y1, const Border& b) {
        const LineStyle s = lineStyle(b.style);
        const QColor color = paletteColor(b.color, Qt::black);
        const int before = (s.width - 1) / 2;
        const int after = s.width - 1 - before;
        if (s.isDouble) {
            fill(QRect(x - 1, y0 - 1, 1, y1 - y0 + 3), color);
            fill(QRect(x + 1, y0 - 1, 1, y1 - y0 + 3), color);
        } else if (s.pen == Qt::SolidLine) {
            fill(QRect(x - before, y0 - before, s.width, y1 - y0 + 1 + before + after), color);
        } else {
            QPen pen(color, s.width, s.pen, Qt::FlatCap);
            p.setPen(pen);
            const double cx = x - before + s.width / 2.0;
            p.drawLine(QPointF(cx, y0), QPointF(cx, y1 + 1));
            currentColor = QColor();
            penOff = false;
        }
    }

    QPainter& p;
    const Workbook& wb;
    const Sheet& sh;
    const SheetGeometry& geo;
    const CellRange range;
    MergeIndex merges;
    std::vector<const CellFont*> fonts; // by FormatId, filled as met
    QColor gridColor;
    struct FillArea {
        QRect rect;
        ColorIndex fill;
        int lastColumn; // -1 for a merged area that ends beyond the range
    };
    std::vector<TextItem> items;
    std::vector<bool> noGridRight; // per column of the range: text runs on over its right grid line
    std::vector<FillArea> areas;   // the row's cells and merged areas, in column order
    const CellFont* currentFont = nullptr;
    QColor currentColor;
    bool penOff = false;
    bool brushKnown = false;
    QColor brushColor;
};

void paintWith(QPainter& painter, const Workbook& workbook, const Sheet& sheet, const SheetGeometry& geometry) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    RangePainter(painter, workbook, sheet, geometry).paint();
    painter.restore();
}

} // namespace

void paintRange(QPainter& painter, const Workbook& workbook, const Sheet& sheet, const CellRange& range) {
    const SheetGeometry geometry(sheet, range);
    paintWith(painter, workbook, sheet, geometry);
}

QImage renderImage(const Workbook& workbook, const Sheet& sheet, const CellRange& range, double scale) {
    if (!(scale > 0) || !std::isfinite(scale))
        throw std::invalid_argument("picture scale must be a positive number");
    const SheetGeometry geometry(sheet, range);
    const QSize logical = geometry.size();
    const double w = std::ceil(logical.width() * scale);
    const double h = std::ceil(logical.height() * scale);
    if (w * h * 4 > static_cast<double>(kMaxImageBytes))
        throw std::length_error("the picture of the range is too large to hold in memory");
    QImage image(static_cast<int>(w), static_cast<int>(h), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        throw std::runtime_error("not enough memory for the picture of the range");
    // 96 dpi times the scale, so the image keeps the sheet's physical size.
    const int dotsPerMeter = static_cast<int>(std::lround(96.0 * scale / 0.0254));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(scale, scale);
    paintWith(painter, workbook, sheet, geometry);
    painter.end();
    return image;
}

QPicture renderPicture(const Workbook& workbook, const Sheet& sheet, const CellRange& range) {
    const SheetGeometry geometry(sheet, range);
    QPicture picture;
    QPainter painter(&picture);
    paintWith(painter, workbook, sheet, geometry);
    painter.end();
    picture.setBoundingRect(QRect(QPoint(0, 0), geometry.size()));
    return picture;
}

double autoFitRowHeight(const Workbook& workbook, const Sheet& sheet, int row) {
    if (row < 0 || row >= kMaxRows)
        throw std::out_of_range("row outside the sheet");
    // Merged areas of several cells do not take part: their text belongs to the whole area.
    std::vector<const CellRange*> merges;
    for (const CellRange& m : sheet.merged)
        if (isMultiCell(m) && row >= m.firstRow && row <= m.lastRow)
            merges.push_back(&m);
    const auto merged = [&](int column) {
        return std::any_of(merges.begin(), merges.end(),
                           [&](const CellRange* m) { return column >= m->firstColumn && column <= m->lastColumn; });
    };

    int px = 0;
    std::vector<FormatId> seen;
    const auto oneLine = [&](FormatId id) {
        if (std::find(seen.begin(), seen.end(), id) != seen.end())
            return;
        seen.push_back(id);
        px = std::max(px, cellFont(workbook.formats.get(id).font).lineHeight);
    };
    std::array<bool, kMaxColumns> hasCell{};
    const Row* r = sheet.row(row);
    if (r) {
        for (std::size_t c = 0; c < r->cells.size() && c < hasCell.size(); ++c) {
            if (!r->present[c])
                continue;
            hasCell[c] = true;
            const Cell& cell = r->cells[c];
            const CellFormat& f = workbook.formats.get(cell.format);
            const Column& column = sheet.columns[c];
            const int width = column.hidden ? 0 : column.width ? columnWidthPx(*column.width) : kDefaultColumnWidthPx;
            if (f.wrap && cell.text() && width > 0 && !merged(static_cast<int>(c))) {
                const CellFont& font = cellFont(f.font);
                const QString text = displayText(cell);
                const double room = textWidth(width);
                // Most cells hold one line that fits; only the others need breaking.
                const bool oneLineFits = !text.contains(u'\n') && !text.contains(u'\r') && font.advance(text) <= room;
                const int lines = oneLineFits ? 1 : static_cast<int>(breakLines(text, font, room, true).size());
                px = std::max(px, lines * font.lineHeight);
            } else {
                oneLine(cell.format);
            }
        }
    }
    if (r && r->format) {
        oneLine(*r->format);
    } else {
        // Neighbouring columns mostly share a format: look each run up once.
        std::optional<FormatId> previous;
        for (std::size_t c = 0; c < hasCell.size(); ++c)
            if (!hasCell[c] && sheet.columns[c].format != previous) {
                previous = sheet.columns[c].format;
                oneLine(*previous);
            }
    }
    return std::min(rowHeightPoints(px), kMaxRowHeightPoints);
}

} // namespace sheet
