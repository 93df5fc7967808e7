#include "phonelist/list_persistence.h"

#include "app/settings_store.h"
#include "phonelist/phone_list_table.h"

#include <cmath>

namespace {

void runStep(const StepRunner& run, const std::function<void()>& statement) {
    if (run)
        run(statement);
    else
        statement();
}

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

int rowCountFromText(const QString& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    const qsizetype start = i;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        ++i;
    qsizetype digits = 0;
    while (i < n && isDigit(text[i]))
        ++i, ++digits;
    if (i < n && text[i] == QLatin1Char('.')) {
        ++i;
        while (i < n && isDigit(text[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return 0;
    if (i < n && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        qsizetype j = i + 1;
        if (j < n && (text[j] == QLatin1Char('+') || text[j] == QLatin1Char('-')))
            ++j;
        if (j < n && isDigit(text[j])) {
            while (j < n && isDigit(text[j]))
                ++j;
            i = j;
        }
    }
    bool ok = false;
    // Overflows ("1e999") come back as infinity with ok false; both cap below.
    double value = text.mid(start, i - start).toDouble(&ok);
    if (!ok && !std::isinf(value))
        return 0;
    if (!(value >= 0.5))
        return 0;
    if (value >= double(PhoneListTable::kMaxRows))
        return PhoneListTable::kMaxRows;
    double whole = std::floor(value);
    const double frac = value - whole;
    if (frac > 0.5 || (frac == 0.5 && std::fmod(whole, 2.0) != 0.0))
        whole += 1.0;
    return int(whole);
}

void LoadPhoneList(PhoneListTable& table, SettingsStore& store, const StepRunner& run) {
    int rows = 0;
    runStep(run, [&] { rows = rowCountFromText(store.read(settings::kRowCount, settings::kRowCountDefault)); });
    for (int r = 1; r <= rows; ++r) {
        bool added = false;
        runStep(run, [&] {
            table.AddNew();
            added = true;
        });
        if (!added)
            break; // the table takes no more rows; reported once by the step that failed
        for (int c = 1; c <= PhoneListTable::kFieldCount; ++c) {
            runStep(run, [&] {
                const QString value = store.read(settings::rowSourceKey(c, r), QString());
                table.Fields(c - 1).setValue(PhoneListTable::fitToField(value));
            });
        }
    }
}

void SavePhoneList(PhoneListTable& table, SettingsStore& store, const StepRunner& run) {
    int storedRows = 0;
    runStep(run, [&] { storedRows = rowCountFromText(store.read(settings::kRowCount, "0")); });
    runStep(run, [&] { store.write(settings::kRowCount, QString::number(table.RecordCount())); });
    if (table.RecordCount() > 0) {
        int r = 0;
        runStep(run, [&] { table.MoveFirst(); });
        while (!table.atEof()) {
            ++r;
            for (int c = 1; c <= PhoneListTable::kFieldCount; ++c) {
                runStep(run, [&] { store.write(settings::rowSourceKey(c, r), table.Fields(c - 1).text()); });
            }
            bool moved = false;
            runStep(run, [&] {
                table.MoveNext();
                moved = true;
            });
            if (!moved)
                break;
        }
    }
    // Rows deleted since the last save leave no values behind in the file.
    runStep(run, [&] {
        for (int r = table.RecordCount() + 1; r <= storedRows; ++r)
            for (int c = 1; c <= PhoneListTable::kFieldCount; ++c)
                store.remove(settings::rowSourceKey(c, r));
    });
    runStep(run, [&] { store.sync(); });
}
