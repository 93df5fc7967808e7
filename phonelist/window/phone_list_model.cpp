#include "phonelist/window/phone_list_model.h"

#include "phonelist/phone_list_table.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QTableView>

struct PhoneListModel::Following {
    explicit Following(PhoneListModel& m) : model(m) { ++model.mFollowing; }
    ~Following() { --model.mFollowing; }
    PhoneListModel& model;
};

PhoneListModel::PhoneListModel(QObject* parent) : QAbstractTableModel(parent) {}

PhoneListModel::~PhoneListModel() = default;

void PhoneListModel::setTable(std::shared_ptr<PhoneListTable> table) {
    Following f(*this);
    beginResetModel();
    if (mTable)
        disconnect(mTable.get(), nullptr, this, nullptr);
    mTable = std::move(table);
    endResetModel();
    if (!mTable)
        return;
    PhoneListTable* t = mTable.get();
    connect(t, &PhoneListTable::rowAboutToBeAppended, this, [this](int row) {
        Following g(*this);
        beginInsertRows({}, row, row);
    });
    connect(t, &PhoneListTable::rowAppended, this, [this](int) {
        Following g(*this);
        endInsertRows();
    });
    connect(t, &PhoneListTable::rowAboutToBeRemoved, this, [this](int row) {
        Following g(*this);
        beginRemoveRows({}, row, row);
    });
    connect(t, &PhoneListTable::rowRemoved, this, [this](int) {
        Following g(*this);
        endRemoveRows();
    });
    connect(t, &PhoneListTable::fieldChanged, this, [this](int row, int field) {
        Following g(*this);
        const QModelIndex i = index(row, field);
        emit dataChanged(i, i, {Qt::DisplayRole, Qt::EditRole});
    });
}

int PhoneListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !mTable ? 0 : mTable->RecordCount();
}

int PhoneListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : PhoneListTable::kFieldCount;
}

QVariant PhoneListModel::data(const QModelIndex& index, int role) const {
    if (!mTable || !index.isValid() || index.row() >= mTable->RecordCount())
        return {};
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    return mTable->valueAt(index.row(), index.column()).value_or(QString());
}

QVariant PhoneListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= PhoneListTable::kFieldCount)
            return {};
        return PhoneListTable::fieldNames()[std::size_t(section)];
    }
    return section + 1;
}

Qt::ItemFlags PhoneListModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

bool PhoneListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!mTable || role != Qt::EditRole || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return false;
    const QString text = PhoneListTable::fitToField(value.toString());
    if (mTable->valueAt(index.row(), index.column()).value_or(QString()) == text)
        return true;
    mTable->setValueAt(index.row(), index.column(), text);
    // Each cell write stores its row at once, so a stored cell is a stored row too.
    emit cellEditStored(index.column());
    emit rowEditStored();
    return true;
}

namespace {

// The in-place editor: a line that takes no more than a field holds.
class FieldDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            line->setMaxLength(PhoneListTable::kMaxFieldLength);
        return editor;
    }
};

// Keeps the grid's current row and the table's cursor in step.
class GridBinding : public QObject {
public:
    static constexpr const char* kName = "PhoneListGridBinding";

    GridBinding(QTableView& grid, PhoneListModel& model) : QObject(&grid), mGrid(grid), mModel(model) {
        setObjectName(QString::fromLatin1(kName));
        connect(grid.selectionModel(), &QItemSelectionModel::currentChanged, this,
                [this](const QModelIndex& current, const QModelIndex&) { followView(current); });
    }

    void bind(const std::shared_ptr<PhoneListTable>& table) {
        if (mTable)
            disconnect(mTable, nullptr, this, nullptr);
        mModel.setTable(table);
        mTable = table.get();
        if (!mTable)
            return;
        connect(mTable, &PhoneListTable::currentRowChanged, this, [this](int row) { followTable(row); });
        followTable(mTable->currentRow());
    }

private:
    void followView(const QModelIndex& current) {
        // Moves the model makes on the table's behalf (a removed row) are not the user's choice.
        if (mFromTable || mModel.isFollowingTable() || !mTable || !current.isValid())
            return;
        if (current.row() == mTable->currentRow())
            return;
        mFromView = true;
        mTable->setCurrentRow(current.row());
        mFromView = false;
    }

    void followTable(int row) {
        // No current row (BOF, EOF, a removed row): the grid keeps its last selection.
        if (mFromView || row < 0)
            return;
        const QModelIndex now = mGrid.currentIndex();
        if (now.isValid() && now.row() == row)
            return;
        mFromTable = true;
        const int column = now.isValid() ? now.column() : 0;
        mGrid.selectionModel()->setCurrentIndex(mModel.index(row, column), QItemSelectionModel::ClearAndSelect);
        mFromTable = false;
    }

    QTableView& mGrid;
    PhoneListModel& mModel;
    QPointer<PhoneListTable> mTable;
    bool mFromView = false;
    bool mFromTable = false;
};

} // namespace

PhoneListModel* phoneListModel(QTableView& grid) {
    return qobject_cast<PhoneListModel*>(grid.model());
}

void BindPhoneListGrid(QTableView& grid, const std::shared_ptr<PhoneListTable>& table) {
    auto* binding = static_cast<GridBinding*>(
        grid.findChild<QObject*>(QString::fromLatin1(GridBinding::kName), Qt::FindDirectChildrenOnly));
    if (!binding) {
        auto* model = new PhoneListModel(&grid);
        grid.setModel(model);
        grid.setItemDelegate(new FieldDelegate(&grid));
        grid.setSelectionMode(QAbstractItemView::SingleSelection);
        grid.setSelectionBehavior(QAbstractItemView::SelectItems);
        binding = new GridBinding(grid, *model);
    }
    binding->bind(table);
}
