#include "sheet/render/sheet_render.h"

#include "sheet/render/range_painter.h"

#include <QPainter>

#include <cmath>
#include <stdexcept>

namespace sheet {

namespace detail {

void paintWith(QPainter& painter, const Workbook& workbook, const Sheet& sheet, const SheetGeometry& geometry,
               bool hairlines) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    RangePainter(painter, workbook, sheet, geometry, hairlines).paint();
    painter.restore();
}

} // namespace detail

void paintRange(QPainter& painter, const Workbook& workbook, const Sheet& sheet, const CellRange& range) {
    const SheetGeometry geometry(sheet, range);
    detail::paintWith(painter, workbook, sheet, geometry);
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
    detail::paintWith(painter, workbook, sheet, geometry);
    painter.end();
    return image;
}

void paintBand(QPainter& painter, const Workbook& workbook, const Sheet& sheet, const SheetGeometry& whole, int top,
               int bottom) {
    const CellRange& range = whole.range();
    if (bottom <= top)
        return;
    // The first row whose bottom edge lies below top, and the first whose top lies at or below bottom.
    const auto firstBelow = [&](int y, bool byBottom) {
        int lo = range.firstRow;
        int hi = range.lastRow + 1;
        while (lo < hi) {
            const int mid = lo + (hi - lo) / 2;
            if ((byBottom ? whole.rowY(mid + 1) : whole.rowY(mid)) <= y)
                lo = mid + 1;
            else
                hi = mid;
        }
        return lo;
    };
    const int first = std::max(range.firstRow, firstBelow(top, true) - 1);
    const int last = std::min(range.lastRow, firstBelow(bottom - 1, false));
    const CellRange rows{first, range.firstColumn, last, range.lastColumn};
    const SheetGeometry band(sheet, rows);
    painter.save();
    painter.translate(0, whole.rowY(first) - band.rowY(first));
    detail::paintWith(painter, workbook, sheet, band, true);
    painter.restore();
}

VectorPicture renderPicture(const Workbook& workbook, const Sheet& sheet, const CellRange& range) {
    const SheetGeometry geometry(sheet, range);
    VectorPicture picture;
    picture.setBoundingRect(QRect(QPoint(0, 0), geometry.size()));
    QPainter painter(&picture);
    detail::paintWith(painter, workbook, sheet, geometry, true);
    painter.end();
    return picture;
}

} // namespace sheet
