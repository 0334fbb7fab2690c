#include "datalayer/Field.h"

#include "datalayer/AdoErrors.h"
#include "datalayer/ColumnName.h"
#include "datalayer/Recordset.h"
#include "datalayer/RecordsetImpl.h"

namespace ado {

namespace {

[[noreturn]] void NotFound() {
    Raise(vberr::kItemNotFound, source::kFields, vberr::kItemNotFoundText);
}

}  // namespace

const Value& Field::GetValue() const {
    return owner_->CurrentValue(index_);
}

Value Field::TakeValue() {
    return owner_->TakeCurrentValue(index_);
}

void Field::SetValue(Value value) {
    owner_->Assign(index_, std::move(value));
}

int Fields::IndexOf(const std::string& name) const {
    if (auto it = exact_.find(name); it != exact_.end()) return it->second;
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (SameColumnName(items_[i].name_, name)) return static_cast<int>(i);
    return -1;
}

Field& Fields::Item(int index) {
    if (index < 0 || index >= Count()) NotFound();
    return items_[static_cast<std::size_t>(index)];
}

const Field& Fields::Item(int index) const {
    if (index < 0 || index >= Count()) NotFound();
    return items_[static_cast<std::size_t>(index)];
}

Field& Fields::Item(const std::string& name) {
    int index = IndexOf(name);
    if (index < 0) NotFound();
    return items_[static_cast<std::size_t>(index)];
}

const Field& Fields::Item(const std::string& name) const {
    int index = IndexOf(name);
    if (index < 0) NotFound();
    return items_[static_cast<std::size_t>(index)];
}

void Fields::Append(const std::string& name, int type, std::int32_t definedSize, int attributes) {
    // Only a closed recordset that was never tied to a connection is built field by field.
    if (owner_->impl_->open || owner_->impl_->connected)
        Raise(err::kNotAllowedInContext, source::kFields, err::kNotAllowedInContextText);
    if (IndexOf(name) >= 0) Raise(err::kAlreadyInCollection, source::kFields, err::kAlreadyInCollectionText);
    Add(name, type, definedSize, attributes);
}

void Fields::Add(std::string name, int type, std::int32_t definedSize, int attributes) {
    // A name equal to an earlier one (a query may return both) is left to the scan, which
    // finds the first of them, as a lookup must.
    if (IndexOf(name) < 0) exact_.emplace(name, Count());
    items_.push_back(Field(owner_, Count(), std::move(name), type, definedSize, attributes));
}

}  // namespace ado
