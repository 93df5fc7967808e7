#include "phonelist/sample_data.h"

#include "app/error_trap.h"
#include "phonelist/phone_list_table.h"

#include <array>

bool IsEmptyRow(PhoneListTable& table) {
    for (int i = 0; i < table.Fields().count(); ++i) {
        // A text such as "0" is data the user typed, so it counts as filled.
        const FieldValue v = table.Fields(i).Value();
        if (v && !v->isEmpty())
            return false;
    }
    return true;
}

void LoadSampleData(ErrorTrap& trap, PhoneListTable& t) {
    static const std::array<std::array<const char*, PhoneListTable::kFieldCount>, 3> examples = {{
        {"Darezo", "Zivo", "Jess", "West Hills dr", "", "", "(989) 923-4508", ""},
        {"Vivaduvu", "Dediz", "", "", "", "", "", "dediz.vivaduvu@example.com"},
        {"Veruzu", "Vorod", "James, Ben, Dana", "", "", "(995) 267-8237", "", ""},
    }};
    trap.step(1, [&] { t.MoveFirst(); });
    int n = 0;
    trap.step(2, [&] { n = t.RecordCount(); });
    for (int k = 0; k < n; ++k) {
        trap.step(3, [&] {
            if (IsEmptyRow(t))
                t.Delete();
        });
        trap.step(4, [&] {
            if (!t.atEof())
                t.MoveNext();
        });
    }
    trap.step(5, [&] {
        if (!t.atBof() && !t.atEof())
            t.MoveFirst();
    });
    for (const auto& example : examples) {
        trap.step(6, [&] {
            t.AddNew();
            for (int f = 0; f < PhoneListTable::kFieldCount; ++f)
                t.Fields(f).setValue(QString::fromUtf8(example[std::size_t(f)]));
        });
    }
}
