#include "phonelist/list_commands.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>

namespace {

constexpr int kLastName = 0;
constexpr int kFirstName = 1;

PhoneListRow rowAt(const PhoneListTable& table, int row) {
    PhoneListRow out;
    for (int k = 0; k < PhoneListTable::kFieldCount; ++k)
        out[std::size_t(k)] = table.valueAt(row, k).value_or(QString());
    return out;
}

bool isFilled(const PhoneListRow& row) {
    return std::any_of(row.begin(), row.end(), [](const QString& f) { return !f.isEmpty(); });
}

// Writes the fields of the current row; an empty text is stored as Null, as the grid stores it.
void storeFields(PhoneListTable& table, const PhoneListRow& row) {
    for (int k = 0; k < PhoneListTable::kFieldCount; ++k) {
        const QString& text = row[std::size_t(k)];
        table.Fields(k).setValue(text.isEmpty() ? FieldValue() : FieldValue(PhoneListTable::fitToField(text)));
    }
    table.Update();
}

} // namespace

std::vector<PhoneListRow> FilledRows(const PhoneListTable& table) {
    std::vector<PhoneListRow> out;
    for (int r = 0; r < table.RecordCount(); ++r)
        if (PhoneListRow row = rowAt(table, r); isFilled(row))
            out.push_back(std::move(row));
    return out;
}

void ImportRows(PhoneListTable& table, const std::vector<PhoneListRow>& rows, ImportMode mode) {
    // Rows before the first the import writes: none, or up to the last entry.
    int keep = 0;
    if (mode == ImportMode::Add)
        for (int r = 0; r < table.RecordCount(); ++r)
            if (isFilled(rowAt(table, r)))
                keep = r + 1;
    const qsizetype needed = keep + qsizetype(rows.size());
    if (needed > PhoneListTable::kMaxRows)
        throw std::runtime_error(QStringLiteral("The list holds at most %1 rows; with these it would have %2.")
                                     .arg(PhoneListTable::kMaxRows)
                                     .arg(needed)
                                     .toStdString());
    // Rows already there are written over; the rest are added, and what is left over goes.
    int r = keep;
    for (const PhoneListRow& row : rows) {
        if (r < table.RecordCount())
            table.setCurrentRow(r);
        else
            table.AddNew();
        storeFields(table, row);
        ++r;
    }
    if (mode == ImportMode::Replace || rows.size() > 0) {
        while (table.RecordCount() > r) {
            table.setCurrentRow(table.RecordCount() - 1);
            table.Delete();
        }
    }
    table.setCurrentRow(rows.empty() ? -1 : keep);
}

void SortRows(PhoneListTable& table, const QCollator& collator) {
    std::vector<PhoneListRow> rows;
    for (int r = 0; r < table.RecordCount(); ++r)
        rows.push_back(rowAt(table, r));
    std::vector<int> order(rows.size());
    std::iota(order.begin(), order.end(), 0);
    const auto unnamed = [&](int i) {
        return rows[std::size_t(i)][kLastName].isEmpty() && rows[std::size_t(i)][kFirstName].isEmpty();
    };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        if (unnamed(a) != unnamed(b))
            return unnamed(b);
        for (const int k : {kLastName, kFirstName}) {
            const int c = collator.compare(rows[std::size_t(a)][std::size_t(k)], rows[std::size_t(b)][std::size_t(k)]);
            if (c != 0)
                return c < 0;
        }
        return false;
    });
    for (int r = 0; r < int(order.size()); ++r) {
        if (order[std::size_t(r)] == r)
            continue;
        table.setCurrentRow(r);
        storeFields(table, rows[std::size_t(order[std::size_t(r)])]);
    }
    table.setCurrentRow(table.RecordCount() > 0 ? 0 : -1);
}
