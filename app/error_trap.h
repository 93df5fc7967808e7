#pragma once

#include <QString>

#include <exception>
#include <utility>

// The standard error report and the handler-wide error trap.
//
// A handler runs its statements as numbered steps; a step that throws is
// reported with the handler's location and the step's number, and the next
// step runs, as the program's handlers always have:
//
//     ErrorTrap trap(QStringLiteral("Quorvel2021/08/31.Form1.PushButton22_Click "));
//     trap.step(10, [&] { ... });
//     trap.step(20, [&] { ... });

// Address shown in every error report.
inline constexpr const char* kSupportEmail = "support@brenmoor.com";

// The report's text: description, CR LF, "in " location, "at line " n, CR CR, support line.
QString errorReportText(const QString& description, const QString& location, int line);

// Shows the report (warning icon, OK, title "Application Error") through prompt().
void showErrorReport(const QString& description, const QString& location, int line);

// The description of the exception currently being handled.
QString describeCurrentException();

class ErrorTrap {
public:
    explicit ErrorTrap(QString location) : mLocation(std::move(location)) {}

    // Runs one numbered statement. Returns false when it failed (and was reported).
    template <class F> bool step(int line, F&& statement) {
        try {
            std::forward<F>(statement)();
            return true;
        } catch (...) {
            report(line);
            return false;
        }
    }

    const QString& location() const { return mLocation; }
    int failures() const { return mFailures; }

private:
    void report(int line);

    QString mLocation;
    int mFailures = 0;
};

// A probe: runs f, swallowing every failure; returns fallback when it threw.
// A statement without a result goes to the one-argument form.
template <class F, class T> auto probe(F&& f, T fallback) -> decltype(f()) {
    try {
        return std::forward<F>(f)();
    } catch (...) {
        return fallback;
    }
}

template <class F> void probe(F&& statement) {
    try {
        std::forward<F>(statement)();
    } catch (...) {
    }
}
