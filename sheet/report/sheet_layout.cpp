#include "sheet/report/sheet_layout.h"

#include "app/paper.h"
#include "app/settings_store.h"
#include "phonelist/phone_list_table.h"
#include "sheet/engine/spreadsheet_app.h"
#include "sheet/render/page_print.h"
#include "sheet/report/report_driver.h"
#include "sheet/report/spreadsheet_host.h"

#include <array>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace OrganizationalTelephoneList {
namespace om = sheet::om;

namespace {

constexpr int kWhite = 2;
constexpr int kGrey = 15;
constexpr int kLightYellow = 19;
constexpr int kDarkBlue = 49;

struct ColumnSpec {
    const char* columns;
    double width;
};
constexpr std::array<ColumnSpec, 9> kColumnWidths{{{"A:A", 2},
                                                   {"B:B", 10.43},
                                                   {"C:C", 10},
                                                   {"D:D", 13},
                                                   {"E:E", 24.71},
                                                   {"F:F", 13.43},
                                                   {"G:G", 12.43},
                                                   {"H:H", 12.43},
                                                   {"I:I", 18.43}}};

struct RowSpec {
    const char* rows;
    double height;
};
constexpr std::array<RowSpec, 5> kRowHeights{
    {{"1:1", 11.25}, {"2:2", 34.5}, {"3:3", 5.25}, {"4:4", 13.5}, {"5:5", 14}}};

// Table field position 0..7 goes to columns B..I.
constexpr std::array<char, 8> kFieldColumns{'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I'};

sheet::SpreadsheetApp& app() {
    return sheet::objectOf(mReportApp);
}

std::string cellName(char column, int row) {
    return std::string(1, column) + std::to_string(row);
}

// The model's text: UTF-8. A list is nearly all ASCII, which is narrowed in
// place; anything else goes through Qt's encoder.
std::string utf8Of(const QString& text) {
    std::string out(std::size_t(text.size()), '\0');
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c >= 0x80)
            return text.toStdString();
        out[std::size_t(i)] = char(c);
    }
    return out;
}

void WriteHeaderRow() {
    const auto& names = PhoneListTable::fieldNames();
    for (size_t k = 0; k < names.size(); ++k)
        WriteCell(cellName(kFieldColumns[k], 4) + ':' + cellName(kFieldColumns[k], 4), names[k], true);
    SetRangeFill("B4:I4", kDarkBlue);
    SetRangeBorders("B4:I4", false, true, true, true, true, true, kWhite);
    SetSelectionFont("bold", 8, kWhite);
}

// Writes every row of the table from sheet row 5 on; returns how many. The rows go
// to the sheet as one block: their texts in one call, then wrap, the grey lines and
// the row heights once for the block, and every second row filled as one range. The
// sheet is the one a row-by-row layout makes; a single cell's merge is no merge, and
// the odd rows keep the white the whole sheet already has.
int WriteDataRows(const PhoneListTable& table) {
    app().Cells().Select();
    app().Selection().setFormulaHidden(false);
    app().Selection().setLocked(false);

    // Read by row number: the user's current row stays where it is.
    const int n = table.RecordCount();
    std::vector<std::string> texts;
    texts.reserve(std::size_t(n) * PhoneListTable::kFieldCount);
    for (int row = 0; row < n; ++row)
        for (int k = 0; k < PhoneListTable::kFieldCount; ++k)
            if (const FieldValue& value = table.valueAt(row, k))
                texts.push_back(utf8Of(*value));
            else
                texts.emplace_back();
    if (n == 0)
        return 0;

    const std::string lastRow = std::to_string(n + 4);
    const std::string block = "B5:I" + lastRow;
    const om::Range data = app().Range(block);
    data.setTexts(std::move(texts));
    data.setWrapText(true);
    SetRangeBorders(block, true, false, false, true, true, true, kGrey);
    // Every second row at once: the rows as one range of many areas.
    if (n >= 2) {
        const om::RangeItems rows = data.Rows();
        std::vector<om::Range> stripes;
        stripes.reserve(std::size_t(n / 2));
        for (int i = 2; i <= n; i += 2)
            stripes.push_back(rows.Item(i));
        app().Union(stripes).Select();
        SetRangeFill("", kLightYellow);
    }
    app().Rows("5:" + lastRow).EntireRow().AutoFit();
    return n;
}

} // namespace

void WriteCell(const std::string& range, const QString& text, bool merge) {
    app().Range(range).Select();
    // Typed input would turn "12345" into a number, which a narrow column shows as
    // "###" or 1.2E+10 and a reader gets back as 12345.0: every entry of the list is text.
    app().ActiveCell().setText(text.toStdString());
    if (merge)
        app().Selection().Merge();
}

void SetSelectionFont(const std::string& style, double size, int colorIndex) {
    om::Font font = app().Selection().Font();
    font.setFontStyle(style);
    font.setSize(size);
    font.setColorIndex(colorIndex);
}

void SetRangeFill(const std::string& range, int colorIndex) {
    if (!range.empty())
        app().Range(range).Select();
    app().Selection().Interior().setColorIndex(colorIndex);
}

void SetRangeBorders(const std::string& range, bool insideHorizontal, bool left, bool right, bool top, bool bottom,
                     bool insideVertical, int colorIndex) {
    if (!range.empty())
        app().Range(range).Select();
    if (left)
        SetBorderEdge(om::xlEdgeLeft, colorIndex);
    if (top)
        SetBorderEdge(om::xlEdgeTop, colorIndex);
    if (bottom)
        SetBorderEdge(om::xlEdgeBottom, colorIndex);
    if (right)
        SetBorderEdge(om::xlEdgeRight, colorIndex);
    if (insideHorizontal)
        SetBorderEdge(om::xlInsideHorizontal, colorIndex);
    if (insideVertical)
        SetBorderEdge(om::xlInsideVertical, colorIndex);
}

void SetBorderEdge(int edge, int colorIndex) {
    om::Border border = app().Selection().Borders(edge);
    border.setLineStyle(om::xlContinuous);
    border.setColorIndex(colorIndex);
}

void SetColumnWidth(const std::string& columns, double width) {
    app().Columns(columns).Select();
    app().Selection().setColumnWidth(width);
}

void SetRowHeight(const std::string& rows, double height) {
    app().Rows(rows).Select();
    app().Selection().setRowHeight(height);
}

std::optional<QString> gSheetTitle;

QString SheetTitle() {
    const QString title = gSheetTitle ? *gSheetTitle : SettingsStore().read(settings::kTitle, QString());
    return title.trimmed().isEmpty() ? QString::fromLatin1(settings::kTitleDefault) : title;
}

void SetupPageLayout() {
    sheet::SpreadsheetApp& a = app();
    a.ActiveSheet().PageSetup().setPrintArea("");
    om::PageSetup page = a.ActiveSheet().PageSetup();
    page.setLeftMargin(a.InchesToPoints(0.7));
    page.setRightMargin(a.InchesToPoints(0.7));
    page.setTopMargin(a.InchesToPoints(0.5));
    page.setBottomMargin(a.InchesToPoints(0.5));
    page.setHeaderMargin(a.InchesToPoints(0));
    page.setFooterMargin(a.InchesToPoints(0));
    page.setPrintComments(om::xlPrintNoComments);
    page.setOrientation(om::xlLandscape);
    page.setPaperSize(localePrintsOnLetter() ? om::xlPaperLetter : om::xlPaperA4);
    page.setZoom(false);
    page.setFitToPagesWide(1);
    // The header row heads every page a long list takes.
    page.setPrintTitleRows("$4:$4");
    if (SettingsStore().read(settings::kPageLayout, settings::kPageLayoutOnePage) == settings::kPageLayoutPageWidth) {
        // As many pages tall as the list needs, each numbered.
        page.setFitToPagesTall(0);
        page.setFooterMargin(sheet::kPageNumberFooterMargin);
        page.setCenterFooter(sheet::kPageNumberText);
    } else {
        page.setFitToPagesTall(1);
    }
}

void BuildPhoneListSheet(int /*kind*/) {
    // Whole sheet: one font, filled white, so no gridlines show around the list.
    app().Cells().Select();
    app().Selection().Clear();
    app().Selection().Font().setName("Century Gothic");
    app().Selection().Font().setSize(10);
    SetRangeFill("", kWhite);

    for (const ColumnSpec& c : kColumnWidths)
        SetColumnWidth(c.columns, c.width);
    for (const RowSpec& r : kRowHeights)
        SetRowHeight(r.rows, r.height);

    WriteCell("B2:B2", SheetTitle(), true);
    SetSelectionFont("General", 20, kDarkBlue);
    WriteCell("H2:H2", QStringLiteral("Last Updated"), true);
    SetSelectionFont("General", 10, kDarkBlue);

    SetRangeBorders("I2:I2", false, false, false, false, true, false, om::xlColorIndexAutomatic);
    const QString lastUpdated =
        SettingsStore().read(QString::fromLatin1(settings::kLastUpdated), settings::lastUpdatedDefault());
    WriteCell("I2:I2", lastUpdated, true);

    WriteHeaderRow();

    const int n = WriteDataRows(sheet::objectOf(gPhoneList));

    SetRangeBorders("B4:I" + std::to_string(n + 4), false, true, true, true, true, false, om::xlColorIndexAutomatic);
    SetupPageLayout();
}

} // namespace OrganizationalTelephoneList
