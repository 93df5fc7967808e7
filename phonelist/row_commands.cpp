#include "phonelist/row_commands.h"

#include "app/error_trap.h"
#include "app/prompt.h"
#include "app/settings_store.h"
#include "phonelist/list_persistence.h"
#include "phonelist/phone_list_table.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <vector>

// The table cannot insert at a position, so the command appends a row and
// shifts every later row down through insertBuffer.
void InsertBelowSelectedRow(ErrorTrap& trap, PhoneListTable& t) {
    std::vector<std::array<FieldValue, PhoneListTable::kFieldCount>> insertBuffer;
    PhoneListTable::Bookmark selected;
    int p = 0;
    auto copyCurrentRow = [&] {
        auto& values = insertBuffer.emplace_back();
        for (int f = 0; f < PhoneListTable::kFieldCount; ++f)
            values[std::size_t(f)] = t.Fields(f).Value();
    };
    // Until the buffer is filled nothing has changed; a failure there ends the
    // command, since going on would write a partial buffer over the list.
    if (!trap.step(1, [&] {
            selected = t.bookmark();
            if (t.RecordCount() >= kInsertBufferRows)
                throw std::runtime_error("A row can be inserted only into a list of at most 499 rows.");
            insertBuffer.reserve(std::size_t(t.RecordCount()) + 1);
        }))
        return;
    if (!trap.step(3, [&] {
            t.MoveFirst();
            while (!(t.bookmark() == selected)) {
                copyCurrentRow();
                t.MoveNext();
            }
            copyCurrentRow();
            p = int(insertBuffer.size());
            t.MoveNext();
            insertBuffer.emplace_back().fill(QString());
            while (!t.atEof()) {
                copyCurrentRow();
                t.MoveNext();
            }
        })) {
        probe([&] { t.setBookmark(selected); });
        return;
    }
    trap.step(7, [&] {
        t.AddNew();
        t.Update();
    });
    trap.step(8, [&] {
        t.MoveFirst();
        for (std::size_t i = 0; !t.atEof() && i < insertBuffer.size(); ++i) {
            for (int f = 0; f < PhoneListTable::kFieldCount; ++f)
                t.Fields(f).setValue(insertBuffer[i][std::size_t(f)]);
            t.Update();
            t.MoveNext();
        }
    });
    trap.step(9, [&] {
        t.MoveFirst();
        t.Move(p);
    });
}

void DeleteSelectedRow(ErrorTrap& trap, const ListWindow& window) {
    QString question;
    if (!trap.step(1, [&] {
            question = QStringLiteral("Do you really want delete this row ?\r\n(") + gPhoneList->Fields(0).text() +
                       QLatin1Char(')');
        }))
        return; // no current row: nothing to ask about
    Prompt::Answer answer = Prompt::Answer::No;
    trap.step(2, [&] {
        answer = prompt().message(question, QStringLiteral("Question"), Prompt::Icon::None, Prompt::Buttons::YesNo,
                                  Prompt::Answer::No);
    });
    if (answer != Prompt::Answer::Yes)
        return;
    trap.step(4, [&] { window.setRedraw(false); });
    bool deleted = false;
    int position = -1;
    trap.step(5, [&] {
        position = gPhoneList->currentRow();
        gPhoneList->Delete();
        deleted = true;
    });
    trap.step(6, [&] { window.setRedraw(true); });
    if (!deleted)
        return;
    // The grid now shows the row that took the removed one's place (or the
    // new last row); make it the table's current row too, so the next
    // command works on the row the user sees selected.
    trap.step(6, [&] {
        if (gPhoneList->RecordCount() > 0)
            gPhoneList->setCurrentRow(std::min(position, gPhoneList->RecordCount() - 1));
    });
    trap.step(7, [&] {
        prompt().message(QStringLiteral("Row deleted."), QString(), Prompt::Icon::None, Prompt::Buttons::Ok,
                         Prompt::Answer::Ok);
    });
}

// A fresh table of as many empty rows as the last close saved.
void DeleteAll(ErrorTrap& trap, SettingsStore& store, const ListWindow& window) {
    Prompt::Answer answer = Prompt::Answer::No;
    trap.step(1, [&] {
        answer = prompt().message(QStringLiteral("Do you really want clear ?"), QStringLiteral("Question"),
                                  Prompt::Icon::None, Prompt::Buttons::YesNo, Prompt::Answer::No);
    });
    if (answer != Prompt::Answer::Yes)
        return;
    trap.step(2, [&] { gPhoneList = CreatePhoneListTable(); });
    int rows = 0;
    trap.step(3, [&] { rows = rowCountFromText(store.read(settings::kRowCount, settings::kRowCountDefault)); });
    trap.step(4, [&] {
        for (int r = 1; r <= rows; ++r) {
            gPhoneList->AddNew();
            for (int f = 0; f < PhoneListTable::kFieldCount; ++f)
                gPhoneList->Fields(f).setValue(QString());
        }
    });
    trap.step(5, [&] { gPhoneList->MoveFirst(); });
    trap.step(6, [&] { window.rebind(); });
}
