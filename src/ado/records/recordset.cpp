#include "ado/recordset.h"

#include "ado/records/convert.h"
#include "ado/records/cursor.h"
#include "ado/records/messages.h"

namespace ado {

using detail::Cursor;
using detail::PendingEdit;

Recordset::Recordset() = default;

// A pending new row goes with the cursor: discarded silently, never written.
Recordset::~Recordset() = default;

RecordsetPtr Recordset::create() {
    return RecordsetPtr(new Recordset());
}

RecordsetPtr Recordset::from_rows(RowSet rows) {
    RecordsetPtr rs = create();
    rs->open_snapshot(std::move(rows), nullptr);
    rs->cursor_location_ = adUseClient;
    rs->cursor_type_ = adOpenStatic;
    rs->lock_type_ = adLockReadOnly;
    return rs;
}

void Recordset::open_snapshot(RowSet rows, std::unique_ptr<RowWriter> writer) {
    if (store_) throw detail::object_open();
    const bool updatable = writer != nullptr;
    auto store = detail::make_store(std::move(rows), std::move(writer), updatable);
    auto cursor = std::make_unique<Cursor>(*store);
    cursor->apply_filter({}, nullptr);
    store_ = std::move(store);
    cursor_ = std::move(cursor);
}

void Recordset::Open() {
    if (store_) throw detail::object_open();
    if (pending_fields_.empty()) throw detail::bad_arguments();
    RowSet rows;
    rows.columns = pending_fields_;
    // Free-standing record sets are always updatable, whatever lock type was asked for.
    auto store = detail::make_store(std::move(rows), nullptr, true);
    auto cursor = std::make_unique<Cursor>(*store);
    cursor->apply_filter({}, nullptr);
    store_ = std::move(store);
    cursor_ = std::move(cursor);
}

void Recordset::Close() {
    require_open();
    cursor_.reset();
    store_.reset();
}

long Recordset::State() const {
    return store_ ? adStateOpen : adStateClosed;
}

void Recordset::require_open() const {
    if (!store_) throw detail::object_closed();
}

// While a new row is pending it is the current row: neither BOF nor EOF.
bool Recordset::BOF() const {
    require_open();
    return !(cursor_->pending && cursor_->pending->is_new) && cursor_->at.bof;
}

bool Recordset::EOF() const {
    require_open();
    return !(cursor_->pending && cursor_->pending->is_new) && cursor_->at.eof;
}

long Recordset::RecordCount() const {
    require_open();
    return cursor_->live_count();
}

long Recordset::AbsolutePosition() const {
    require_open();
    return cursor_->absolute_position();
}

void Recordset::SetAbsolutePosition(long position) {
    require_open();
    Update();
    cursor_->move_to(position);
}

// Moving away from a row saves its pending changes first, as the platform does.
void Recordset::MoveFirst() {
    require_open();
    Update();
    cursor_->move_first();
}

void Recordset::MoveLast() {
    require_open();
    Update();
    cursor_->move_last();
}

void Recordset::MoveNext() {
    require_open();
    Update();
    cursor_->move_next();
}

void Recordset::MovePrevious() {
    require_open();
    Update();
    cursor_->move_previous();
}

bool Recordset::EditPending() const {
    require_open();
    return cursor_->pending.has_value();
}

void Recordset::AddNew() {
    require_open();
    detail::require_updatable(*store_);
    Update();
    const std::size_t n = store_->columns.size();
    PendingEdit edit;
    edit.is_new = true;
    edit.values.assign(n, Variant(Null));
    edit.assigned.assign(n, false);
    edit.before = cursor_->at;
    cursor_->pending = std::move(edit);
}

namespace {

std::vector<Variant> checked_row(std::vector<Variant> stored, std::size_t columns) {
    if (stored.size() != columns)
        throw Error(kErrProvider, "The provider returned a row with " + std::to_string(stored.size()) +
                                      " values for " + std::to_string(columns) + " columns.");
    return stored;
}

}  // namespace

// A failing writer leaves the edit pending: the caller may correct it or cancel it.
void Recordset::Update() {
    require_open();
    if (!cursor_->pending) return;
    PendingEdit& edit = *cursor_->pending;
    detail::RowStore& store = *store_;
    if (edit.is_new) {
        std::vector<Variant> stored = edit.values;
        if (store.writer)
            stored = checked_row(store.writer->insert(edit.values, edit.assigned), store.columns.size());
        store.rows.push_back(detail::StoredRow{std::move(stored), false});
        cursor_->pending.reset();
        cursor_->append_own(store.rows.size() - 1);
        return;
    }
    detail::StoredRow& row = store.rows.at(edit.row);
    if (row.deleted) throw detail::no_current_record();  // deleted through a clone meanwhile
    std::vector<Variant> stored = edit.values;
    if (store.writer)
        stored =
            checked_row(store.writer->update(row.values, edit.values, edit.assigned), store.columns.size());
    row.values = std::move(stored);
    store.indexes.values_changed();
    cursor_->pending.reset();
}

void Recordset::CancelUpdate() {
    require_open();
    if (!cursor_->pending) return;
    if (cursor_->pending->is_new) cursor_->at = cursor_->pending->before;
    cursor_->pending.reset();
}

// The deleted row stays current (reading it fails) until the cursor moves on.
void Recordset::Delete() {
    require_open();
    detail::require_updatable(*store_);
    if (cursor_->pending && cursor_->pending->is_new) {
        CancelUpdate();  // the unsaved new row is the current one: nothing was written
        return;
    }
    const std::size_t row = cursor_->current_row();
    detail::StoredRow& stored = store_->rows[row];
    if (store_->writer) store_->writer->remove(stored.values);
    stored.deleted = true;
    ++store_->deleted;
    cursor_->pending.reset();
}

void Recordset::SetFilter(std::string_view criteria) {
    require_open();
    Update();
    const std::string text(criteria);
    if (trim(text).empty()) {
        cursor_->apply_filter({}, nullptr);
        return;
    }
    auto& compiled = store_->compiled;
    auto it = compiled.find(text);
    if (it == compiled.end()) {
        constexpr std::size_t kKept = 256;
        if (compiled.size() >= kKept) compiled.clear();
        it =
            compiled
                .emplace(text, detail::compile_criteria(text, store_->columns, detail::CriteriaShape::Filter))
                .first;
    }
    cursor_->apply_filter(text, it->second);
}

const std::string& Recordset::Filter() const {
    require_open();
    return cursor_->filter_text;
}

RecordsetPtr Recordset::Clone() {
    require_open();
    RecordsetPtr copy = create();
    copy->store_ = store_;
    copy->cursor_ = std::make_unique<Cursor>(*store_);
    copy->cursor_->apply_filter({}, nullptr);
    copy->cursor_location_ = cursor_location_;
    copy->cursor_type_ = cursor_type_;
    copy->lock_type_ = lock_type_;
    return copy;
}

bool Recordset::DrainRows(const std::function<void(const std::vector<Variant>& values)>& take) {
    require_open();
    if (store_.use_count() != 1 || cursor_->pending) return false;
    cursor_->sync();
    detail::RowStore& store = *store_;
    std::vector<Variant> values;
    for (std::size_t row : cursor_->order) {
        detail::StoredRow& stored = store.rows[row];
        if (stored.deleted) continue;
        values.clear();
        for (std::size_t f = 0; f < store.shown.size(); ++f)
            values.push_back(detail::read_back(store.shown_column(f), stored.values[store.shown[f]]));
        std::vector<Variant>().swap(stored.values);
        stored.deleted = true;
        ++store.deleted;
        take(values);
    }
    Close();
    return true;
}

void Recordset::Find(std::string_view criteria, long skip_records, int direction) {
    require_open();
    Update();
    auto condition =
        detail::compile_criteria(criteria, store_->columns, detail::CriteriaShape::SingleComparison);
    cursor_->find(*condition, skip_records, direction);
}

std::string Recordset::GetString(long num_rows, std::string_view column_delimiter,
                                 std::string_view row_delimiter, std::string_view null_expr) {
    require_open();
    Update();
    cursor_->current_row();  // the export starts at a current row
    std::string out;
    for (long n = 0; !cursor_->at.eof && (num_rows < 0 || n < num_rows); ++n) {
        const auto& values = store_->rows[cursor_->current_row()].values;
        for (std::size_t f = 0; f < store_->shown.size(); ++f) {
            if (f > 0) out += column_delimiter;
            const std::size_t c = store_->shown[f];
            const Variant& v = values[c];
            if (v.is_null() || v.is_empty())
                out += null_expr;
            else
                out += detail::display_text(detail::read_back(store_->columns[c], v));
        }
        out += row_delimiter;
        cursor_->move_next();
    }
    return out;
}

}  // namespace ado
