#include "app/error_trap.h"

#include "app/prompt.h"

#include <stdexcept>

QString errorReportText(const QString& description, const QString& location, int line) {
    return description + QStringLiteral("\r\nin ") + location + QStringLiteral("at line ") + QString::number(line) +
           QStringLiteral("\r\r") + QStringLiteral("Please email screenshot of this message to ") +
           QString::fromLatin1(kSupportEmail);
}

void showErrorReport(const QString& description, const QString& location, int line) {
    prompt().message(errorReportText(description, location, line), QStringLiteral("Application Error"),
                     Prompt::Icon::Warning, Prompt::Buttons::Ok, Prompt::Answer::Ok);
}

QString describeCurrentException() {
    try {
        throw;
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}

void ErrorTrap::report(int line) {
    ++mFailures;
    showErrorReport(describeCurrentException(), mLocation, line);
}
