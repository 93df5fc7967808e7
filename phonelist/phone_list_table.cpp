#include "phonelist/phone_list_table.h"

#include <algorithm>
#include <stdexcept>

std::shared_ptr<PhoneListTable> gPhoneList;

namespace {
[[noreturn]] void fail(const char* what) {
    throw std::runtime_error(what);
}

constexpr const char* kNoCurrentRecord = "Either BOF or EOF is True, or the current record has been deleted. "
                                         "Requested operation requires a current record.";
} // namespace

const std::array<QString, PhoneListTable::kFieldCount>& PhoneListTable::fieldNames() {
    static const std::array<QString, kFieldCount> names = {QStringLiteral("Last Name"),   QStringLiteral("First Name"),
                                                           QStringLiteral("Spouse/Kids"), QStringLiteral("Address"),
                                                           QStringLiteral("Home Number"), QStringLiteral("Work Number"),
                                                           QStringLiteral("Cell Number"), QStringLiteral("E-mail")};
    return names;
}

QString PhoneListTable::Field::Name() const {
    return fieldNames()[std::size_t(mIndex)];
}

FieldValue PhoneListTable::Field::Value() const {
    return mTable->valueAt(mTable->requireCurrent(), mIndex);
}

void PhoneListTable::Field::setValue(const FieldValue& v) {
    mTable->setValueAt(mTable->requireCurrent(), mIndex, v);
}

PhoneListTable::Field PhoneListTable::FieldList::operator()(int i) const {
    return mTable->Fields(i);
}

PhoneListTable::PhoneListTable() = default;
PhoneListTable::~PhoneListTable() = default;

std::shared_ptr<PhoneListTable> CreatePhoneListTable() {
    return std::make_shared<PhoneListTable>();
}

void PhoneListTable::checkField(int field) {
    if (field < 0 || field >= kFieldCount)
        fail("Item cannot be found in the collection corresponding to the requested name or ordinal.");
}

void PhoneListTable::checkLength(const FieldValue& v) {
    if (v && v->size() > kMaxFieldLength)
        fail("The text is too long for the field (at most 1024 characters).");
}

QString PhoneListTable::fitToField(const QString& text) {
    if (text.size() <= kMaxFieldLength)
        return text;
    qsizetype n = kMaxFieldLength;
    // Keep a pair whole or not at all: a lone high surrogate is not text.
    if (text.at(n - 1).isHighSurrogate())
        --n;
    return text.left(n);
}

int PhoneListTable::requireCurrent() const {
    const int row = currentRow();
    if (row < 0)
        fail(kNoCurrentRecord);
    return row;
}

int PhoneListTable::currentRow() const {
    if (mOnRemoved || mPos < 0 || mPos >= RecordCount())
        return -1;
    return mPos;
}

void PhoneListTable::placeCursor(int pos, bool onRemoved) {
    const int before = currentRow();
    mPos = std::clamp(pos, -1, RecordCount());
    mOnRemoved = onRemoved;
    const int after = currentRow();
    if (after != before || onRemoved)
        emit currentRowChanged(after);
}

void PhoneListTable::setCurrentRow(int row) {
    placeCursor(row, false);
}

void PhoneListTable::AddNew() {
    if (RecordCount() >= kMaxRows)
        fail("The list is full: it holds at most 10000 rows.");
    const int row = RecordCount();
    emit rowAboutToBeAppended(row);
    mRows.push_back(Row{{}, mNextId++});
    emit rowAppended(row);
    placeCursor(row, false);
}

PhoneListTable::Field PhoneListTable::Fields(int i) {
    checkField(i);
    return Field(this, i);
}

PhoneListTable::Field PhoneListTable::Fields(const QString& name) {
    const auto& names = fieldNames();
    const auto it = std::find(names.begin(), names.end(), name);
    if (it == names.end())
        fail("Item cannot be found in the collection corresponding to the requested name or ordinal.");
    return Field(this, int(it - names.begin()));
}

void PhoneListTable::Update() {
    requireCurrent();
}

void PhoneListTable::Delete() {
    const int row = requireCurrent();
    emit rowAboutToBeRemoved(row);
    mRows.erase(mRows.begin() + row);
    emit rowRemoved(row);
    // The position now holds the row that followed; it becomes current only on the next move.
    placeCursor(row, true);
}

void PhoneListTable::MoveFirst() {
    placeCursor(0, false);
}

void PhoneListTable::MoveNext() {
    if (atEof())
        fail(kNoCurrentRecord);
    // From a removed position the following row already sits at mPos.
    placeCursor(mOnRemoved ? mPos : mPos + 1, false);
}

void PhoneListTable::Move(int n) {
    if (mRows.empty() || (n > 0 && atEof()) || (n < 0 && atBof()))
        fail(kNoCurrentRecord);
    const long long base = mOnRemoved ? mPos - 1 : mPos;
    const long long target = std::clamp<long long>(base + n, -1, RecordCount());
    placeCursor(int(target), false);
}

bool PhoneListTable::atEof() const {
    return mRows.empty() || (!mOnRemoved && mPos >= RecordCount());
}

bool PhoneListTable::atBof() const {
    return mRows.empty() || mPos < 0;
}

PhoneListTable::Bookmark PhoneListTable::bookmark() const {
    return Bookmark{mRows[std::size_t(requireCurrent())].id};
}

void PhoneListTable::setBookmark(const Bookmark& b) {
    const auto it = std::find_if(mRows.begin(), mRows.end(), [&](const Row& r) { return r.id == b.id; });
    if (it == mRows.end())
        fail("The bookmark is invalid.");
    placeCursor(int(it - mRows.begin()), false);
}

const FieldValue& PhoneListTable::valueAt(int row, int field) const {
    checkField(field);
    if (row < 0 || row >= RecordCount())
        fail(kNoCurrentRecord);
    return mRows[std::size_t(row)].fields[std::size_t(field)];
}

void PhoneListTable::setValueAt(int row, int field, const FieldValue& v) {
    checkField(field);
    checkLength(v);
    if (row < 0 || row >= RecordCount())
        fail(kNoCurrentRecord);
    FieldValue& slot = mRows[std::size_t(row)].fields[std::size_t(field)];
    if (slot == v)
        return;
    slot = v;
    emit fieldChanged(row, field);
}
