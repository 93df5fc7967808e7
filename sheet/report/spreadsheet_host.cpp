#include "sheet/report/spreadsheet_host.h"

#include "app/error_trap.h"
#include "app/prompt.h"
#include "sheet/engine/app_factory.h"

#include <QLocale>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <stdexcept>

namespace sheet {

void throwObjectNotSet() {
    throw std::runtime_error("Object variable or With block variable not set");
}
namespace {

std::function<void()>& endProgramHook() {
    static std::function<void()> hook;
    return hook;
}

void endProgramNow() {
    if (const auto& hook = endProgramHook()) {
        hook();
        return;
    }
    // At once: no window closes, nothing is written back to the settings store.
    std::_Exit(1);
}

// The leading number of a version text, by the locale-aware conversion to a
// 16-bit integer that rounds halves to even.
int majorVersion(const QString& version) {
    bool ok = false;
    const double value = QLocale().toDouble(ToLocaleDecimal(version).trimmed(), &ok);
    if (!ok)
        throw std::runtime_error("Type mismatch: the spreadsheet version \"" + version.toStdString() +
                                 "\" is not a number");
    const double rounded = std::nearbyint(value); // the default rounding mode rounds halves to even
    if (rounded < std::numeric_limits<std::int16_t>::min() || rounded > std::numeric_limits<std::int16_t>::max())
        throw std::runtime_error("Overflow: the spreadsheet version \"" + version.toStdString() + "\" is too large");
    return static_cast<int>(rounded);
}

int formatFor(int major) {
    return major > 11 ? om::xlExcel8 : om::xlWorkbookNormal;
}

} // namespace

QString excelNotInstalledText() {
    const QString gap = QStringLiteral("\r\n\r\n");
    return QStringLiteral("Error 842001. A normal instance of Excel could not be created.") + gap +
           QStringLiteral("1. Please make sure Excel is installed on this computer.") + gap +
           QStringLiteral("2. Please open Excel normally and make sure a blank spreadsheet opens immediately without "
                          "any interrupting window (such as an Excel file recovery window).") +
           gap +
           QStringLiteral("3. Please make sure that when you double-click on a XLS or XLSX file that Excel opens "
                          "normally without any interrupting messages.") +
           gap +
           QStringLiteral("4. All versions of Excel are supported by this software except for the rare Excel Starter "
                          "and Student editions.");
}

QString excelMayBeOpenText() {
    // The lone carriage return is part of the text as it has always been shown.
    return QStringLiteral("Excel may be open. It is recommended that you close Excel first.\r"
                          "Use Ctrl+Alt+Del > Task Manager > EXCEL.EXE if necessary.\r\n\r\n"
                          "Would you like to proceed anyway?");
}

void CheckExcelInstalled() {
    // The instance is only a probe: its reference is dropped at once, without Quit.
    if (probe([] { return appFactory().create() != nullptr; }, false))
        return;
    probe([] {
        prompt().message(excelNotInstalledText(), QString(), Prompt::Icon::None, Prompt::Buttons::Ok,
                         Prompt::Answer::Ok);
    });
    endProgramNow();
}

bool IsExcelRunning() {
    return probe(
        [] {
            const std::shared_ptr<SpreadsheetApp> running = appFactory().attach();
            return running && running->defaultMember() == "Microsoft Excel";
        },
        false);
}

bool CheckExcelMayBeOpen() {
    if (!IsExcelRunning())
        return false;
    // No answer is not a Yes.
    return probe(
        [] {
            return prompt().message(excelMayBeOpenText(), QString(), Prompt::Icon::None, Prompt::Buttons::YesNo,
                                    Prompt::Answer::Yes) != Prompt::Answer::Yes;
        },
        true);
}

std::shared_ptr<SpreadsheetApp> OpenWorkbookInNewExcel(const QString& path) {
    std::shared_ptr<SpreadsheetApp> app = appFactory().create();
    if (!app)
        throw std::runtime_error("ActiveX component can't create object");
    app->Workbooks().Open(path.toStdString());
    return app;
}

int GetXlsFileFormat(const std::shared_ptr<SpreadsheetApp>& app) {
    if (app)
        return formatFor(majorVersion(QString::fromStdString(app->Version())));
    std::shared_ptr<SpreadsheetApp> temporary = appFactory().create();
    if (!temporary)
        throw std::runtime_error("ActiveX component can't create object");
    const int major = majorVersion(QString::fromStdString(temporary->Version()));
    temporary->Quit();
    return formatFor(major);
}

QString ToLocaleDecimal(const QString& text) {
    const QString separator = GetDecimalSeparator();
    QString result = text;
    result.replace(QLatin1Char('.'), separator);
    result.replace(QLatin1Char(','), separator);
    return result;
}

QString GetDecimalSeparator() {
    return QLocale().toString(1.0 / 2.0).trimmed().mid(1, 1);
}

void setEndProgram(std::function<void()> end) {
    endProgramHook() = std::move(end);
}

} // namespace sheet
