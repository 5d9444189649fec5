#include "ado/records/convert.h"
#include "ado/records/cursor.h"
#include "ado/records/messages.h"
#include "ado/recordset.h"

namespace ado {
namespace {

bool same_name(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

// The attributes a free-standing field carries: unspecified means "admits Null"; every
// appended field is updatable.
long appended_attributes(long given) {
    constexpr long kUnspecified = -1;
    if (given == 0 || given == kUnspecified) return adFldIsNullable | adFldMayBeNull | adFldUpdatable;
    return given | adFldUpdatable;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Fields: the open record set's shown columns, or the appended ones before Open.

int Fields::Count() const {
    if (rs_->store_) return static_cast<int>(rs_->store_->shown.size());
    return static_cast<int>(rs_->pending_fields_.size());
}

Field Fields::Item(int index) const {
    if (index < 0 || index >= Count()) throw detail::item_not_found();
    return Field(rs_, index);
}

Field Fields::Item(std::string_view name) const {
    const int n = Count();
    for (int i = 0; i < n; ++i)
        if (same_name(Field(rs_, i).Name(), name)) return Field(rs_, i);
    throw detail::item_not_found();
}

bool Fields::Contains(std::string_view name) const {
    const int n = Count();
    for (int i = 0; i < n; ++i)
        if (same_name(Field(rs_, i).Name(), name)) return true;
    return false;
}

void Fields::Append(std::string_view name, int type, long defined_size, long attributes) {
    if (rs_->store_) throw detail::object_open();
    if (name.empty() || Contains(name)) throw detail::bad_arguments();
    ColumnInfo c;
    c.name = std::string(name);
    c.type = type;
    c.defined_size = defined_size;
    c.attributes = appended_attributes(attributes);
    rs_->pending_fields_.push_back(std::move(c));
}

// ---------------------------------------------------------------------------------------
// Field

namespace {

const ColumnInfo& column_of(const detail::RowStore* store, const std::vector<ColumnInfo>& appended,
                            int index) {
    const auto i = static_cast<std::size_t>(index);
    if (store) {
        if (i >= store->shown.size()) throw detail::item_not_found();
        return store->shown_column(i);
    }
    if (i >= appended.size()) throw detail::item_not_found();
    return appended[i];
}

}  // namespace

const std::string& Field::Name() const {
    return column_of(rs_->store_.get(), rs_->pending_fields_, index_).name;
}
int Field::Type() const {
    return column_of(rs_->store_.get(), rs_->pending_fields_, index_).type;
}
long Field::DefinedSize() const {
    return column_of(rs_->store_.get(), rs_->pending_fields_, index_).defined_size;
}
int Field::Precision() const {
    return column_of(rs_->store_.get(), rs_->pending_fields_, index_).precision;
}
int Field::NumericScale() const {
    return column_of(rs_->store_.get(), rs_->pending_fields_, index_).numeric_scale;
}
long Field::Attributes() const {
    return column_of(rs_->store_.get(), rs_->pending_fields_, index_).attributes;
}

Variant Field::Value() const {
    rs_->require_open();
    const detail::RowStore& store = *rs_->store_;
    const detail::Cursor& cursor = *rs_->cursor_;
    const ColumnInfo& col = column_of(&store, {}, index_);
    const std::size_t c = store.shown[static_cast<std::size_t>(index_)];
    if (cursor.pending) return detail::read_back(col, cursor.pending->values[c]);
    return detail::read_back(col, store.rows[cursor.current_row()].values[c]);
}

void Field::SetValue(const Variant& v) {
    rs_->require_open();
    detail::RowStore& store = *rs_->store_;
    detail::Cursor& cursor = *rs_->cursor_;
    detail::require_updatable(store);
    const ColumnInfo& col = column_of(&store, {}, index_);
    if (col.read_only)
        throw Error(kErrMultipleStep,
                    "The field '" + col.name + "' cannot be updated: the database sets its value.");
    // Converted before anything changes, so a refused value leaves the row as it was.
    Variant converted = detail::convert_for_column(col, v);
    if (!cursor.pending) {
        const std::size_t row = cursor.current_row();
        detail::PendingEdit edit;
        edit.row = row;
        edit.values = store.rows[row].values;
        edit.assigned.assign(store.columns.size(), false);
        edit.before = cursor.at;
        cursor.pending = std::move(edit);
    }
    const std::size_t c = store.shown[static_cast<std::size_t>(index_)];
    cursor.pending->values[c] = std::move(converted);
    cursor.pending->assigned[c] = true;
}

void Field::SetPrecision(int p) {
    if (rs_->store_) throw detail::object_open();
    constexpr int kMaxPrecision = 38;  // the server's widest DECIMAL, as copied from its fields
    if (p < 0 || p > kMaxPrecision) throw detail::bad_arguments();
    auto& fields = rs_->pending_fields_;
    if (index_ < 0 || static_cast<std::size_t>(index_) >= fields.size()) throw detail::item_not_found();
    fields[static_cast<std::size_t>(index_)].precision = p;
}

void Field::SetNumericScale(int s) {
    if (rs_->store_) throw detail::object_open();
    if (s < 0 || s > Decimal::kMaxScale) throw detail::bad_arguments();
    auto& fields = rs_->pending_fields_;
    if (index_ < 0 || static_cast<std::size_t>(index_) >= fields.size()) throw detail::item_not_found();
    fields[static_cast<std::size_t>(index_)].numeric_scale = s;
}

}  // namespace ado
