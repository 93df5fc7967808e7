#pragma once

// PhoneListTable: the phone list in memory, an ordered sequence of rows of
// eight nullable text fields with a cursor and bookmarks, behaving like the
// in-memory record set the rest of the program was written against.
//
//     auto t = CreatePhoneListTable();
//     t->AddNew();
//     t->Fields(0).setValue(QStringLiteral("Darezo"));
//     t->Update();
//     for (t->MoveFirst(); !t->atEof(); t->MoveNext())
//         qDebug() << t->Fields(0).text();
//
// Operations that need a current row throw std::runtime_error when the cursor
// stands at BOF, at EOF or on a removed row. The table uses QtCore only.

#include <QObject>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// A field's value: Null (no value) or a text of at most PhoneListTable::kMaxFieldLength UTF-16 units.
using FieldValue = std::optional<QString>;
// One entry's eight fields as text, in the grid's order, as lists go in and out of files.
using PhoneListRow = std::array<QString, 8>;

class PhoneListTable : public QObject {
    Q_OBJECT
public:
    static constexpr int kFieldCount = 8;
    // Defined size of every field, in UTF-16 code units.
    static constexpr int kMaxFieldLength = 1024;
    // The most rows one table holds; AddNew refuses more. A stored row count is capped at it too.
    static constexpr int kMaxRows = 10000;

    // The field names, in index order; they are also the grid's column headers.
    static const std::array<QString, kFieldCount>& fieldNames();

    // Identifies a row for as long as the table lives.
    struct Bookmark {
        std::uint64_t id = 0;
        friend bool operator==(const Bookmark&, const Bookmark&) = default;
    };

    // One field of the current row.
    class Field {
    public:
        QString Name() const;
        FieldValue Value() const;
        // The value with Null read as the empty text.
        QString text() const { return Value().value_or(QString()); }
        // Throws when the text is longer than kMaxFieldLength.
        void setValue(const FieldValue& v);

    private:
        friend class PhoneListTable;
        Field(PhoneListTable* t, int i) : mTable(t), mIndex(i) {}
        PhoneListTable* mTable;
        int mIndex;
    };

    class FieldList {
    public:
        int count() const { return kFieldCount; }
        Field operator()(int i) const;

    private:
        friend class PhoneListTable;
        explicit FieldList(PhoneListTable* t) : mTable(t) {}
        PhoneListTable* mTable;
    };

    PhoneListTable();
    ~PhoneListTable() override;

    // Appends a row of Null fields at the end and makes it current.
    void AddNew();
    // Room for rows in all, so that filling a long list does not move the rows it holds.
    void reserve(std::size_t rows) { mRows.reserve(rows); }
    FieldList Fields() { return FieldList(this); }
    // Field i (0 to 7) of the current row; throws for another index.
    Field Fields(int i);
    // Field by its name, e.g. "Last Name"; throws for an unknown name.
    Field Fields(const QString& name);
    // Stores the current row. Field writes take effect at once, so this only checks there is one.
    void Update();
    // Removes the current row. The cursor stays on the removed position: the
    // next MoveNext lands on the row that followed it.
    void Delete();
    void MoveFirst();
    void MoveNext();
    // n rows forward from the current row; past the last row gives EOF, before the first BOF.
    void Move(int n);
    bool atEof() const;
    bool atBof() const;
    int RecordCount() const { return int(mRows.size()); }
    Bookmark bookmark() const;
    // Makes the row with bookmark b current; throws when no row has it.
    void setBookmark(const Bookmark& b);

    // Row-indexed access for the grid adapter, which must not move the cursor.
    // row is 0-based; both throw for a row outside the table.
    const FieldValue& valueAt(int row, int field) const;
    void setValueAt(int row, int field, const FieldValue& v);
    // The current row, 0-based, or -1 at BOF, EOF or on a removed row.
    int currentRow() const;
    // Makes row current (-1 or RecordCount() give BOF or EOF).
    void setCurrentRow(int row);

    // Cuts text to the defined field size without splitting a surrogate pair.
    static QString fitToField(const QString& text);

signals:
    void rowAboutToBeAppended(int row);
    void rowAppended(int row);
    void rowAboutToBeRemoved(int row);
    void rowRemoved(int row);
    void fieldChanged(int row, int field);
    // The cursor moved; row as currentRow() gives it.
    void currentRowChanged(int row);

private:
    struct Row {
        std::array<FieldValue, kFieldCount> fields;
        std::uint64_t id;
    };

    int requireCurrent() const;
    static void checkField(int field);
    static void checkLength(const FieldValue& v);
    void placeCursor(int pos, bool onRemoved);

    std::vector<Row> mRows;
    // -1: BOF; mRows.size(): EOF; otherwise the current row, or with
    // mOnRemoved the position a removed row held.
    int mPos = -1;
    bool mOnRemoved = false;
    std::uint64_t mNextId = 1;
};

// A new, empty table: RecordCount 0, BOF and EOF both true.
std::shared_ptr<PhoneListTable> CreatePhoneListTable();

// The one live table of the program. "Delete All" replaces it; everyone else
// reaches it through here at the moment of use.
extern std::shared_ptr<PhoneListTable> gPhoneList;
