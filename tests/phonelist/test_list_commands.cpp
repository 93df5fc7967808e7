#include "phonelist/list_commands.h"

#include <QtTest>

#include <memory>

namespace {

PhoneListRow entry(const QString& last, const QString& first = QString(), const QString& mail = QString()) {
    PhoneListRow row;
    row[0] = last;
    row[1] = first;
    row[7] = mail;
    return row;
}

// A table of rows with these last names; "" leaves a row empty, "-" a row of Null fields.
std::unique_ptr<PhoneListTable> tableOf(const QStringList& names) {
    auto t = std::make_unique<PhoneListTable>();
    for (const QString& name : names) {
        t->AddNew();
        if (name != QLatin1String("-"))
            for (int k = 0; k < PhoneListTable::kFieldCount; ++k)
                t->Fields(k).setValue(k == 0 ? name : QString());
        t->Update();
    }
    return t;
}

QStringList lastNames(const PhoneListTable& t) {
    QStringList out;
    for (int r = 0; r < t.RecordCount(); ++r)
        out << t.valueAt(r, 0).value_or(QStringLiteral("-"));
    return out;
}

} // namespace

class TestListCommands : public QObject {
    Q_OBJECT
private slots:
    void filledRowsLeaveEmptyOnesOut() {
        auto t = tableOf({QString(), QStringLiteral("Adams"), QStringLiteral("-"), QStringLiteral("Baker")});
        t->setValueAt(2, 5, QStringLiteral("555-0100")); // a row with only a work number counts
        const std::vector<PhoneListRow> rows = FilledRows(*t);
        QCOMPARE(rows.size(), std::size_t(3));
        QCOMPARE(rows[0][0], QStringLiteral("Adams"));
        QCOMPARE(rows[1][5], QStringLiteral("555-0100"));
        QCOMPARE(rows[2][0], QStringLiteral("Baker"));
    }

    void replaceMakesTheListTheRows() {
        auto t = tableOf({QStringLiteral("Old"), QString(), QString()});
        ImportRows(*t,
                   {entry(QStringLiteral("Adams")), entry(QStringLiteral("Baker"), QString(), QStringLiteral("b@x"))},
                   ImportMode::Replace);
        QCOMPARE(lastNames(*t), (QStringList{QStringLiteral("Adams"), QStringLiteral("Baker")}));
        QCOMPARE(t->valueAt(1, 7), FieldValue(QStringLiteral("b@x")));
        QCOMPARE(t->valueAt(0, 7), FieldValue()); // empty fields are Null, as the grid stores them
        QCOMPARE(t->currentRow(), 0);
    }

    // Added rows follow the last entry, into the empty rows after it; empty
    // rows between entries stay where they are.
    void addFollowsTheLastEntry() {
        auto t = tableOf(
            {QStringLiteral("Adams"), QString(), QStringLiteral("Clarke"), QString(), QString(), QString(), QString()});
        ImportRows(*t, {entry(QStringLiteral("Dawson")), entry(QStringLiteral("Ellis"))}, ImportMode::Add);
        QCOMPARE(lastNames(*t), (QStringList{QStringLiteral("Adams"), QString(), QStringLiteral("Clarke"),
                                             QStringLiteral("Dawson"), QStringLiteral("Ellis")}));
        QCOMPARE(t->currentRow(), 3);

        auto empty = tableOf({QString(), QString()});
        ImportRows(*empty, {entry(QStringLiteral("Fowler"))}, ImportMode::Add);
        QCOMPARE(lastNames(*empty), QStringList{QStringLiteral("Fowler")});
    }

    void aListTooLongIsRefusedWhole() {
        auto t = tableOf({QStringLiteral("Adams"), QStringLiteral("Baker")});
        const std::vector<PhoneListRow> rows(PhoneListTable::kMaxRows - 1, entry(QStringLiteral("X")));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, ImportRows(*t, rows, ImportMode::Add));
        QCOMPARE(lastNames(*t), (QStringList{QStringLiteral("Adams"), QStringLiteral("Baker")}));
        ImportRows(*t, rows, ImportMode::Replace); // replacing, they fit
        QCOMPARE(t->RecordCount(), PhoneListTable::kMaxRows - 1);
    }

    void longFieldsAreCutToTheFieldSize() {
        auto t = tableOf({});
        ImportRows(*t, {entry(QString(PhoneListTable::kMaxFieldLength + 10, QLatin1Char('a')))}, ImportMode::Add);
        QCOMPARE(t->valueAt(0, 0)->size(), PhoneListTable::kMaxFieldLength);
    }

    // By last name, then first name, as the language sorts; rows without a name
    // at the end; equal rows keep their order.
    void sortFollowsTheCollation() {
        auto t = std::make_unique<PhoneListTable>();
        const QList<QStringList> rows = {{"Zander", "Anna", "1"}, {"", "", "2"},          {"Müller", "Karl", "3"},
                                         {"Mueller", "Eva", "4"}, {"Smith", "John", "5"}, {"Ärger", "Ute", "6"},
                                         {"Smith", "Anna", "7"},  {"Bauer", "", "8"},     {"Smith", "Anna", "9"}};
        for (const QStringList& r : rows) {
            t->AddNew();
            t->Fields(0).setValue(r[0]);
            t->Fields(1).setValue(r[1]);
            t->Fields(7).setValue(r[2]);
            t->Update();
        }
        SortRows(*t, QCollator(QLocale(QStringLiteral("de_DE"))));
        QStringList order;
        for (int r = 0; r < t->RecordCount(); ++r)
            order << t->valueAt(r, 7).value_or(QString());
        // German: Ä as A, ü between "ue" neighbours' collation, Smith Anna twice in their order.
        QCOMPARE(order, (QStringList{"6", "8", "4", "3", "7", "9", "5", "1", "2"}));
        QCOMPARE(t->currentRow(), 0);
    }
};

QTEST_APPLESS_MAIN(TestListCommands)
#include "test_list_commands.moc"
