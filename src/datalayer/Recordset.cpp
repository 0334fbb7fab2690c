#include "datalayer/Recordset.h"

#include <utility>

#include "datalayer/AdoErrors.h"
#include "datalayer/Connection.h"
#include "datalayer/RecordsetImpl.h"

namespace ado {

namespace {

bool IsStringType(int type) {
    switch (type) {
        case adBSTR:
        case adChar:
        case adWChar:
        case adVarChar:
        case adLongVarChar:
        case adVarWChar:
        case adLongVarWChar:
            return true;
        default:
            return false;
    }
}

}  // namespace

Recordset::Recordset() : fields_(this), impl_(std::make_unique<Impl>()) {}

Recordset::~Recordset() {
    Release();
}

void Recordset::Open() {
    if (impl_->open) Raise(err::kObjectOpen, source::kRecordset, err::kObjectOpenText);
    Impl& s = *impl_;
    s.rows.clear();
    s.position = 0;
    s.edit = Impl::Edit::None;
    s.forwardOnly = false;
    s.updatable = true;
    s.open = true;
}

int Recordset::State() const {
    return impl_->open ? adStateOpen : adStateClosed;
}

void Recordset::Close() {
    RequireOpen();
    // As in ADO, rows queued in batch mode are sent by UpdateBatch or dropped by
    // CancelBatch, never lost by a Close.
    if (impl_->writer && impl_->writer->Queued() > 0)
        Raise(err::kNotAllowedInContext, source::kRecordset, err::kNotAllowedInContextText);
    Release();
}

void Recordset::Release() noexcept {
    Impl& s = *impl_;
    if (!s.open) return;
    // A pending AddNew or edit is dropped: closing never writes.
    s.edit = Impl::Edit::None;
    s.buffer.clear();
    s.assigned.clear();
    s.source.reset();
    s.writer.reset();
    s.rows.clear();
    s.position = 0;
    s.rowsRead = 0;
    s.open = false;
    if (s.connected) {
        fields_.Clear();
        s.connected = false;
        DetachFromConnection();
    }
}

void Recordset::RequireOpen() const {
    if (!impl_->open) Raise(err::kObjectClosed, source::kRecordset, err::kObjectClosedText);
}

bool Recordset::Eof() const {
    RequireOpen();
    const Impl& s = *impl_;
    if (s.edit == Impl::Edit::Adding) return false;
    return s.position >= s.rows.size();
}

bool Recordset::Bof() const {
    RequireOpen();
    const Impl& s = *impl_;
    if (s.edit == Impl::Edit::Adding) return false;
    // There is no moving backwards: only an empty recordset is before its first row.
    return s.rows.empty() && (!s.forwardOnly || s.rowsRead == 0);
}

void Recordset::MoveFirst() {
    RequireOpen();
    Impl& s = *impl_;
    if (s.edit != Impl::Edit::None) Update();
    if (s.forwardOnly) {
        if (s.rowsRead > 1 || (s.rowsRead == 1 && (s.rows.empty() || s.rowTaken))) {
            // A forward-only cursor cannot go back: the query runs again.
            s.source->Restart();
            s.rowsRead = 0;
            FetchNext();
        }
        if (s.rows.empty()) Raise(vberr::kNoCurrentRecord, source::kRecordset, vberr::kNoCurrentRecordText);
        return;
    }
    if (s.rows.empty()) Raise(vberr::kNoCurrentRecord, source::kRecordset, vberr::kNoCurrentRecordText);
    s.position = 0;
}

void Recordset::MoveNext() {
    RequireOpen();
    Impl& s = *impl_;
    if (s.edit != Impl::Edit::None) Update();
    if (s.position >= s.rows.size()) Raise(vberr::kNoCurrentRecord, source::kRecordset, vberr::kNoCurrentRecordText);
    if (s.forwardOnly)
        FetchNext();
    else
        ++s.position;
}

void Recordset::FetchNext() {
    Impl& s = *impl_;
    s.position = 0;
    s.rowTaken = false;
    if (s.rows.empty()) s.rows.emplace_back();
    try {
        if (s.source->Next(s.rows.front()))
            ++s.rowsRead;
        else
            s.rows.clear();
    } catch (...) {
        s.rows.clear();  // a half-read row is no current record
        throw;
    }
}

void Recordset::AddNew() {
    RequireOpen();
    Impl& s = *impl_;
    if (!s.updatable) Raise(err::kNotUpdatable, source::kRecordset, err::kNotUpdatableText);
    if (s.edit != Impl::Edit::None) Update();
    s.buffer.assign(static_cast<std::size_t>(fields_.Count()), Value());
    s.assigned.assign(s.buffer.size(), 0);
    s.edit = Impl::Edit::Adding;
}

void Recordset::Update() {
    RequireOpen();
    Impl& s = *impl_;
    if (s.edit == Impl::Edit::Adding) {
        if (s.batch && s.writer) {
            // Queued, the record is no longer pending, whatever sending the queue brings:
            // a failed send has dropped it or written it, and either way it must not go twice.
            Row values = std::move(s.buffer);
            std::vector<char> assigned = std::move(s.assigned);
            s.edit = Impl::Edit::None;
            s.buffer.clear();
            s.assigned.clear();
            if (s.forwardOnly) {
                s.writer->Queue(std::move(values), std::move(assigned));
            } else {
                s.writer->Queue(values, std::move(assigned));
                s.rows.push_back(std::move(values));
                s.position = s.rows.size() - 1;
            }
            return;
        }
        // A failed write leaves the record pending, as it was; CancelUpdate drops it.
        if (s.writer) s.writer->Insert(s.buffer, s.assigned);
        // A forward-only recordset never comes back to a record, so an added one is not
        // kept: the record current before AddNew is current again.
        if (!s.forwardOnly) {
            s.rows.push_back(std::move(s.buffer));
            s.position = s.rows.size() - 1;
        }
    } else if (s.edit == Impl::Edit::Editing) {
        if (s.writer) {
            // Queued new rows go first, so the table sees the changes in the order made.
            if (s.batch) s.writer->Flush();
            s.writer->Update(s.rows[s.position], s.buffer, s.assigned);
        }
        s.rows[s.position] = std::move(s.buffer);
    } else {
        return;
    }
    s.edit = Impl::Edit::None;
    s.buffer.clear();
    s.assigned.clear();
}

void Recordset::UpdateBatch(int /*affect*/) {
    Update();
    // Without batch mode every record was written by its own Update.
    if (impl_->writer) impl_->writer->Flush();
}

std::size_t Recordset::RowsLoaded() const {
    return impl_->writer ? impl_->writer->LoadedRows() : 0;
}

void Recordset::CancelBatch(int /*affect*/) {
    RequireOpen();
    if (impl_->writer) impl_->writer->Drop();
    CancelUpdate();
}

void Recordset::CancelUpdate() {
    RequireOpen();
    Impl& s = *impl_;
    s.edit = Impl::Edit::None;
    s.buffer.clear();
    s.assigned.clear();
}

const Value& Recordset::CurrentValue(int index) const {
    RequireOpen();
    const Impl& s = *impl_;
    if (s.edit != Impl::Edit::None) return s.buffer[static_cast<std::size_t>(index)];
    if (s.position >= s.rows.size()) Raise(vberr::kNoCurrentRecord, source::kRecordset, vberr::kNoCurrentRecordText);
    return s.rows[s.position][static_cast<std::size_t>(index)];
}

Value Recordset::TakeCurrentValue(int index) {
    Impl& s = *impl_;
    // Only a row read forward, and not being edited, is the recordset's to give away.
    if (!s.forwardOnly || s.edit != Impl::Edit::None) return CurrentValue(index);
    RequireOpen();
    if (s.position >= s.rows.size()) Raise(vberr::kNoCurrentRecord, source::kRecordset, vberr::kNoCurrentRecordText);
    s.rowTaken = true;
    Value& cell = s.rows[s.position][static_cast<std::size_t>(index)];
    Value taken = std::move(cell);
    cell = Value();
    return taken;
}

void Recordset::Assign(int index, Value value) {
    RequireOpen();
    Impl& s = *impl_;
    if (s.edit == Impl::Edit::None) {
        if (s.position >= s.rows.size())
            Raise(vberr::kNoCurrentRecord, source::kRecordset, vberr::kNoCurrentRecordText);
        if (!s.updatable) Raise(err::kNotUpdatable, source::kRecordset, err::kNotUpdatableText);
        s.buffer = s.rows[s.position];
        s.assigned.assign(s.buffer.size(), 0);
        s.edit = Impl::Edit::Editing;
    }
    const auto i = static_cast<std::size_t>(index);
    // A record built in memory holds what its field type holds: string fields keep text.
    if (!s.connected && IsStringType(fields_.Item(index).Type()) && !value.IsNull() && !value.IsText())
        value = Value(value.Text());
    s.buffer[i] = std::move(value);
    s.assigned[i] = 1;
}

}  // namespace ado
