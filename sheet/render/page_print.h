#pragma once

// A range of a sheet on paper, the way a spreadsheet prints it from the
// sheet's page setup: paper, orientation and margins, a scale that fits the
// pages asked for (in whole per cent, never below 10 %), rows never split
// between pages, the print-title rows repeated at the top of every page, and
// the header and footer in the margins. The same pages go to a PDF file and to
// a printer:
//
//     const sheet::PrintLayout pages = sheet::layoutPages(sheet, range, sheet::pageLayoutOf(sheet.pageSetup));
//     sheet::printPages(printer, workbook, sheet, pages);    // any QPagedPaintDevice
//     QByteArray pdf = sheet::pdfOf(workbook, sheet, range); // the same, as a PDF file

#include "sheet/model/workbook.h"

#include <QByteArray>
#include <QPageLayout>
#include <QString>

#include <optional>
#include <string>
#include <utility>
#include <vector>

class QPagedPaintDevice;

namespace sheet {

// The smallest print scale the spreadsheet allows.
inline constexpr double kMinPrintScale = 0.10;
// What the page-width layout prints in the middle of its footer ("Page 2 of 5"),
// and how far above the paper's edge.
inline constexpr const char* kPageNumberText = "Page &P of &N";
inline constexpr double kPageNumberFooterMargin = 21.6; // points

// How a printed list is spread over paper.
enum class PageFit {
    OnePage,   // the whole sheet on one page
    PageWidth, // one page wide, as many pages tall as it needs, with page numbers
};

// Sets the page setup's fit and footer for the layout; the rest stays.
void applyPageFit(PageSetup& setup, PageFit fit);
// The layout a page setup asks for: PageWidth when it is fitted to pages but
// not to a number of pages tall.
PageFit pageFitOf(const PageSetup& setup);

// Paper, orientation and margins of the page setup, in points.
QPageLayout pageLayoutOf(const PageSetup& setup);

// Rows firstRow..lastRow of the range on one page, below the print titles
// when titleRows is set.
struct PrintedPage {
    int firstRow = 0;
    int lastRow = 0;
    std::optional<std::pair<int, int>> titleRows;
};

struct PrintLayout {
    CellRange range;
    QPageLayout page;   // the paper the pages were laid out for
    double scale = 1.0; // 1.0 prints a 96-dpi sheet pixel as 0.75 points
    std::vector<PrintedPage> pages;
};

// Splits range into pages for the paper, as the sheet's page setup asks.
// Throws std::out_of_range for a range outside the sheet.
PrintLayout layoutPages(const Sheet& sheet, const CellRange& range, const QPageLayout& page);

// Header or footer text with its codes replaced: &P the page number, &N the
// number of pages, && an ampersand, and &L, &C, &R starting the left, centre
// and right sections; other codes (fonts, dates) are dropped.
struct HeaderFooterText {
    QString left;
    QString centre;
    QString right;
};
HeaderFooterText headerFooterText(const std::string& codes, int page, int pages);

// Paints every page of the layout into device, which takes the layout's paper.
// Returns false when the device could not start a page (a printer that failed).
bool printPages(QPagedPaintDevice& device, const Workbook& workbook, const Sheet& sheet, const PrintLayout& layout);

// The range as a PDF file laid out by the sheet's page setup; title is the
// document's title (empty: the sheet's name).
QByteArray pdfOf(const Workbook& workbook, const Sheet& sheet, const CellRange& range,
                 const QString& title = QString());

} // namespace sheet
