#pragma once

// The grid's view of the live PhoneListTable: a table model that follows every
// change the table announces, and the binding that keeps the grid's current
// row and the table's cursor in step.

#include <QAbstractTableModel>
#include <QPointer>

#include <memory>

class PhoneListTable;
class QTableView;

class PhoneListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit PhoneListModel(QObject* parent = nullptr);
    ~PhoneListModel() override;

    // Shows table from now on (nullptr shows nothing). Keeps it alive while shown.
    void setTable(std::shared_ptr<PhoneListTable> table);
    const std::shared_ptr<PhoneListTable>& table() const { return mTable; }

    // True while the model is passing on a change the table made itself; the
    // view's reactions to it (a moved current index) are not the user's.
    bool isFollowingTable() const { return mFollowing > 0; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Stores an edited cell, cut to the field size. Unchanged text stores nothing.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

signals:
    // An edited cell's value was stored (column 0 to 7).
    void cellEditStored(int column);
    // The edited row was stored.
    void rowEditStored();

private:
    struct Following;
    std::shared_ptr<PhoneListTable> mTable;
    int mFollowing = 0;
};

// Makes grid show table: one column per field, one line per row, the grid's
// current row and the table's cursor the same in both directions, cells
// edited in place and stored on Enter or on leaving the cell. Binding again
// (after the table was replaced) reuses the grid's model.
void BindPhoneListGrid(QTableView& grid, const std::shared_ptr<PhoneListTable>& table);

// The model BindPhoneListGrid gave grid, or nullptr before the first binding.
PhoneListModel* phoneListModel(QTableView& grid);
