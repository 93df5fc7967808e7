#pragma once

// Tables that hold a list (the lines of CSV and TSV text, the rows of a sheet) turned
// into the list: a first row of column names is mapped to the eight columns, whether
// the names are ours, common synonyms in English, German, French or Spanish, or the
// columns address books export (Google Contacts, Outlook, Thunderbird). Names match
// whatever their case, accents, blanks and punctuation.

#include "phonelist/files/input_support.h"

#include <memory>
#include <vector>

namespace listfiles {

// One line of a text table or one row of a sheet.
struct TableRow {
    qint64 line = 0;          // from 1, for messages
    std::vector<Field> cells; // index = column; at most kMaxTableColumns kept
    qsizetype count = 0;      // fields on the line, kept or not
    qsizetype used = 0;       // one past the last field that is not blank
};

// Whether cells are a row of column names the list can use: two or more that map to
// its columns, or one among names that are all known.
bool namesListColumns(const std::vector<Field>& cells);

// Takes the rows of one table in order and gives the list they hold. The first row that
// is not empty decides: column names are mapped, and anything else must be eight columns
// of data in the grid's order. A sheet may have a few rows (a title) above its names.
class TableList {
public:
    enum class Source {
        TextLines, // fields beyond the named columns are refused: a stray delimiter has moved them
        SheetRows, // cells beside the table are notes, and ignored
    };
    TableList(QString fileName, Source source);
    ~TableList();

    void add(TableRow row);
    std::vector<PhoneListRow> finish();

private:
    struct Mapping;
    void decide(TableRow row);
    void becomePlain();
    void addPlain(const TableRow& row, bool first);
    void addMapped(const TableRow& row);
    [[noreturn]] void failTooLong(const TableRow& row, int column) const;

    QString mFileName;
    Source mSource;
    enum class State { Undecided, Plain, Mapped } mState = State::Undecided;
    std::unique_ptr<Mapping> mMapping;
    std::vector<TableRow> mAbove; // a sheet's rows read while looking for its names
    ListRows mRows;
};

} // namespace listfiles
