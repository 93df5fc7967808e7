#include "sheet/render/page_print.h"

#include "sheet/render/sheet_geometry.h"
#include "sheet/render/sheet_render.h"

#include <QBuffer>
#include <QFont>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>

namespace sheet {

namespace {

// Sheet pixels are laid out at 96 dpi: one is 0.75 points.
constexpr double kPointsPerSheetPixel = 0.75;
// Headers and footers are set in the spreadsheet's default header font.
constexpr double kHeaderFooterPoints = 10;

// The print titles that lie inside the range, if any.
std::optional<std::pair<int, int>> titlesWithin(const PageSetup& setup, const CellRange& range) {
    if (!setup.printTitleRows)
        return std::nullopt;
    const int first = std::max(setup.printTitleRows->first, range.firstRow);
    const int last = std::min(setup.printTitleRows->second, range.lastRow);
    if (first > last)
        return std::nullopt;
    return std::pair{first, last};
}

double fittedScale(const PageSetup& setup, QSizeF sheet, QSizeF paper) {
    double scale = 1.0;
    if (setup.fitToPages) {
        // 0 pages in a direction: as many as it takes.
        if (setup.fitToPagesWide > 0)
            scale = std::min(scale, setup.fitToPagesWide * paper.width() / sheet.width());
        if (setup.fitToPagesTall > 0)
            scale = std::min(scale, setup.fitToPagesTall * paper.height() / sheet.height());
        scale = std::floor(scale * 100 + 1e-9) / 100; // whole percentages, as the spreadsheet prints
    } else {
        scale = setup.zoom / 100.0;
    }
    return std::max(scale, kMinPrintScale);
}

void paintHeaderFooter(QPainter& painter, const HeaderFooterText& text, const QRectF& box, Qt::Alignment vertical) {
    const std::pair<const QString*, Qt::Alignment> sections[] = {
        {&text.left, Qt::AlignLeft}, {&text.centre, Qt::AlignHCenter}, {&text.right, Qt::AlignRight}};
    for (const auto& [section, horizontal] : sections)
        if (!section->isEmpty())
            painter.drawText(box, int(horizontal | vertical) | Qt::TextSingleLine, *section);
}

} // namespace

void applyPageFit(PageSetup& setup, PageFit fit) {
    setup.fitToPages = true;
    setup.fitToPagesWide = 1;
    setup.fitToPagesTall = fit == PageFit::OnePage ? 1 : 0;
    setup.footer = fit == PageFit::PageWidth ? std::string("&C") + kPageNumberText : std::string();
    setup.footerMargin = fit == PageFit::PageWidth ? kPageNumberFooterMargin : 0;
}

PageFit pageFitOf(const PageSetup& setup) {
    return setup.fitToPages && setup.fitToPagesTall == 0 ? PageFit::PageWidth : PageFit::OnePage;
}

QPageLayout pageLayoutOf(const PageSetup& setup) {
    return QPageLayout(QPageSize(setup.paperSize == 1 ? QPageSize::Letter : QPageSize::A4),
                       setup.orientation == Orientation::Landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(setup.leftMargin, setup.topMargin, setup.rightMargin, setup.bottomMargin),
                       QPageLayout::Point);
}

PrintLayout layoutPages(const Sheet& sheet, const CellRange& range, const QPageLayout& page) {
    PrintLayout out{range, page, 1.0, {}};
    const SheetGeometry whole(sheet, range);
    QPageLayout standard = page;
    standard.setMode(QPageLayout::StandardMode);
    const QSizeF paper = standard.paintRect(QPageLayout::Point).size();
    const QSizeF sheetPoints = QSizeF(whole.size()) * kPointsPerSheetPixel;
    out.scale = fittedScale(sheet.pageSetup, sheetPoints, paper);

    const auto titles = titlesWithin(sheet.pageSetup, range);
    int titleHeight = 0;
    if (titles)
        for (int r = titles->first; r <= titles->second; ++r)
            titleHeight += whole.rowHeight(r);
    // Rows that fit on a page at this scale; a row taller than a page gets a page of its own.
    const double pageRows = paper.height() / (out.scale * kPointsPerSheetPixel);
    int first = range.firstRow;
    while (first <= range.lastRow) {
        PrintedPage p;
        // The titles repeat once the page starts below them.
        if (titles && first > titles->second)
            p.titleRows = titles;
        double used = 1 + (p.titleRows ? titleHeight : 0) + whole.rowHeight(first); // the top edge line first
        int last = first;
        while (last < range.lastRow && used + whole.rowHeight(last + 1) <= pageRows)
            used += whole.rowHeight(++last);
        p.firstRow = first;
        p.lastRow = last;
        out.pages.push_back(p);
        first = last + 1;
    }
    return out;
}

HeaderFooterText headerFooterText(const std::string& codes, int page, int pages) {
    HeaderFooterText out;
    QString* section = &out.centre; // text before any section code is centred
    const QString text = QString::fromStdString(codes);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'&' || i + 1 == text.size()) {
            section->append(c);
            continue;
        }
        const QChar code = text[++i].toUpper();
        if (code == u'L')
            section = &out.left;
        else if (code == u'C')
            section = &out.centre;
        else if (code == u'R')
            section = &out.right;
        else if (code == u'P')
            section->append(QString::number(page));
        else if (code == u'N')
            section->append(QString::number(pages));
        else if (code == u'&')
            section->append(u'&');
        else if (code == u'"') {
            // A font name: "&\"Arial,Bold\"" up to the closing quote.
            const qsizetype close = text.indexOf(u'"', i + 1);
            i = close < 0 ? text.size() : close;
        } else {
            // A font size follows as digits; other codes stand alone.
            while (i + 1 < text.size() && text[i + 1].isDigit() && code.isDigit())
                ++i;
        }
    }
    return out;
}

bool printPages(QPagedPaintDevice& device, const Workbook& workbook, const Sheet& sheet, const PrintLayout& layout) {
    QPageLayout full = layout.page;
    full.setMode(QPageLayout::FullPageMode); // the header and footer lie in the margins
    device.setPageLayout(full);
    QPageLayout standard = layout.page;
    standard.setMode(QPageLayout::StandardMode);
    const QRectF body = standard.paintRect(QPageLayout::Point);
    const QRectF paper = standard.fullRect(QPageLayout::Point);
    const PageSetup& setup = sheet.pageSetup;

    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const double devicePerPoint = device.logicalDpiY() / 72.0;
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(std::max(1, int(std::lround(kHeaderFooterPoints * devicePerPoint))));
    const int pages = static_cast<int>(layout.pages.size());
    for (int i = 0; i < pages; ++i) {
        const PrintedPage& p = layout.pages[static_cast<std::size_t>(i)];
        if (i > 0 && !device.newPage())
            return false;
        painter.save();
        painter.scale(devicePerPoint, devicePerPoint);
        painter.translate(body.topLeft());
        painter.scale(kPointsPerSheetPixel * layout.scale, kPointsPerSheetPixel * layout.scale);
        const CellRange& r = layout.range;
        if (p.titleRows) {
            const CellRange titles{p.titleRows->first, r.firstColumn, p.titleRows->second, r.lastColumn};
            paintRange(painter, workbook, sheet, titles);
            // The body's top edge line lies on the titles' bottom one.
            painter.translate(0, SheetGeometry(sheet, titles).size().height() - 1);
        }
        paintRange(painter, workbook, sheet, CellRange{p.firstRow, r.firstColumn, p.lastRow, r.lastColumn});
        painter.restore();

        painter.setFont(font);
        painter.setPen(Qt::black);
        const double left = body.left() * devicePerPoint;
        const double width = body.width() * devicePerPoint;
        if (!setup.header.empty())
            paintHeaderFooter(painter, headerFooterText(setup.header, i + 1, pages),
                              QRectF(left, setup.headerMargin * devicePerPoint, width, body.top() * devicePerPoint),
                              Qt::AlignTop);
        if (!setup.footer.empty()) {
            const double bottom = (paper.height() - setup.footerMargin) * devicePerPoint;
            const double top = body.bottom() * devicePerPoint;
            paintHeaderFooter(painter, headerFooterText(setup.footer, i + 1, pages),
                              QRectF(left, top, width, std::max(0.0, bottom - top)), Qt::AlignBottom);
        }
    }
    return painter.end();
}

QByteArray pdfOf(const Workbook& workbook, const Sheet& sheet, const CellRange& range, const QString& title) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&buffer);
    pdf.setCreator(QStringLiteral("Quorvel Tabwright"));
    pdf.setTitle(title.isEmpty() ? QString::fromStdString(sheet.name) : title);
    pdf.setResolution(96 * 4); // fine enough for hairlines, and whole device pixels per sheet pixel
    const PrintLayout layout = layoutPages(sheet, range, pageLayoutOf(sheet.pageSetup));
    printPages(pdf, workbook, sheet, layout);
    buffer.close();
    return bytes;
}

} // namespace sheet
