#include "ado/records/cursor.h"

#include <algorithm>

#include "ado/records/messages.h"
#include "ado/types.h"

namespace ado::detail {

std::shared_ptr<RowStore> make_store(RowSet rows, std::unique_ptr<RowWriter> writer, bool updatable) {
    auto store = std::make_shared<RowStore>();
    store->columns = std::move(rows.columns);
    for (std::size_t i = 0; i < store->columns.size(); ++i)
        if (!store->columns[i].hidden) store->shown.push_back(i);
    store->rows.reserve(rows.rows.size());
    for (auto& values : rows.rows) {
        if (values.size() != store->columns.size())
            throw Error(kErrProvider, "The provider returned a row with " + std::to_string(values.size()) +
                                          " values for " + std::to_string(store->columns.size()) +
                                          " columns.");
        store->rows.push_back(StoredRow{std::move(values), false});
    }
    store->writer = std::move(writer);
    store->updatable = updatable;
    return store;
}

void require_updatable(const RowStore& store) {
    if (!store.updatable) throw not_updatable();
}

bool Cursor::matches(std::size_t row) const {
    const StoredRow& r = store.rows[row];
    return !r.deleted && (!filter || filter->matches(r.values));
}

namespace {

// The smallest set of rows an equality of the condition narrows the view to; null when
// every row has to be read.
const std::vector<std::size_t>* candidates(RowStore& store, const Condition& condition) {
    std::vector<EqualityProbe> probes;
    condition.probes(probes);
    const std::vector<std::size_t>* best = nullptr;
    for (const auto& probe : probes) {
        const auto* rows = store.indexes.rows_with(store.rows, probe);
        if (rows && (!best || rows->size() < best->size())) best = rows;
    }
    return best;
}

}  // namespace

void Cursor::apply_filter(std::string text, ConditionPtr condition) {
    std::vector<std::size_t> rows;
    const auto take = [&](std::size_t i) {
        const StoredRow& r = store.rows[i];
        if (!r.deleted && (!condition || condition->matches(r.values))) rows.push_back(i);
    };
    if (const auto* found = condition ? candidates(store, *condition) : nullptr) {
        for (std::size_t i : *found) take(i);
    } else {
        for (std::size_t i = 0; i < store.rows.size(); ++i) take(i);
    }
    filter_text = std::move(text);
    filter = std::move(condition);
    order = std::move(rows);
    seen = store.rows.size();
    if (order.empty()) {
        at = Position{};
    } else {
        place_at(0);
    }
}

void Cursor::sync() {
    for (; seen < store.rows.size(); ++seen)
        if (matches(seen)) order.push_back(seen);
}

long Cursor::live_count() {
    sync();
    long n = 0;
    for (std::size_t i = 0; i < order.size(); ++i)
        if (live(i)) ++n;
    return n;
}

bool Cursor::has_live_rows() {
    sync();
    for (std::size_t i = 0; i < order.size(); ++i)
        if (live(i)) return true;
    return false;
}

std::size_t Cursor::current_row() const {
    if (at.bof || at.eof || at.index >= order.size()) throw no_current_record();
    const std::size_t row = order[at.index];
    if (store.rows[row].deleted) throw no_current_record();
    return row;
}

void Cursor::append_own(std::size_t row) {
    // Rows that clones appended before this one come first, in their stored order.
    for (; seen < row; ++seen)
        if (matches(seen)) order.push_back(seen);
    order.push_back(row);
    seen = std::max(seen, row + 1);
    place_at(order.size() - 1);
}

void Cursor::place_at(std::size_t i) {
    at = Position{i, false, false};
}

// Past the end or before the start of an empty view both flags are set, as the platform does.
void Cursor::place_past_end() {
    at = Position{order.size(), !has_live_rows(), true};
}
void Cursor::place_before_start() {
    at = Position{0, true, !has_live_rows()};
}

long Cursor::absolute_position() {
    sync();
    if (at.bof) return adPosBOF;
    if (at.eof) return adPosEOF;
    if (!live(at.index)) return adPosUnknown;
    if (store.deleted == 0) return static_cast<long>(at.index) + 1;
    long place = 0;
    for (std::size_t i = 0; i <= at.index; ++i)
        if (live(i)) ++place;
    return place;
}

void Cursor::move_to(long position) {
    sync();
    if (position < 1) throw bad_arguments();
    const auto wanted = static_cast<std::size_t>(position);
    if (store.deleted == 0) {
        if (wanted > order.size()) throw bad_arguments();
        return place_at(wanted - 1);
    }
    std::size_t place = 0;
    for (std::size_t i = 0; i < order.size(); ++i)
        if (live(i) && ++place == wanted) return place_at(i);
    throw bad_arguments();
}

void Cursor::move_first() {
    sync();
    for (std::size_t i = 0; i < order.size(); ++i)
        if (live(i)) return place_at(i);
    if (at.bof && at.eof) throw no_current_record();
    at = Position{};
}

void Cursor::move_last() {
    sync();
    for (std::size_t i = order.size(); i-- > 0;)
        if (live(i)) return place_at(i);
    if (at.bof && at.eof) throw no_current_record();
    at = Position{};
}

void Cursor::move_next() {
    if (at.eof) throw no_current_record();
    sync();
    for (std::size_t i = at.bof ? 0 : at.index + 1; i < order.size(); ++i)
        if (live(i)) return place_at(i);
    place_past_end();
}

void Cursor::move_previous() {
    if (at.bof) throw no_current_record();
    sync();
    for (std::size_t i = at.eof ? order.size() : at.index; i-- > 0;)
        if (live(i)) return place_at(i);
    place_before_start();
}

void Cursor::find(const Condition& condition, long skip, int direction) {
    sync();
    const auto size = static_cast<long>(order.size());
    // Positions as numbers: -1 before the first row, size past the last.
    const long here = at.bof ? -1 : (at.eof ? size : static_cast<long>(at.index));
    const long step = skip > 0 ? skip : 0;
    if (direction == adSearchBackward) {
        for (long i = std::min(here - step, size - 1); i >= 0; --i) {
            const auto u = static_cast<std::size_t>(i);
            if (live(u) && condition.matches(store.rows[order[u]].values)) return place_at(u);
        }
        return place_before_start();
    }
    for (long i = std::max(here + step, 0L); i < size; ++i) {
        const auto u = static_cast<std::size_t>(i);
        if (live(u) && condition.matches(store.rows[order[u]].values)) return place_at(u);
    }
    place_past_end();
}

}  // namespace ado::detail
