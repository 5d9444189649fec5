#pragma once
// The rows a record set and its clones share, and the per-record-set view over them:
// filter, visible rows in order, position and the edit in progress.
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "ado/driver.h"
#include "ado/records/filter.h"
#include "ado/records/row_index.h"

namespace ado::detail {

struct RowStore {
    std::vector<ColumnInfo> columns;
    std::vector<std::size_t> shown;  // Fields index -> column index (hidden columns left out)
    std::vector<StoredRow> rows;     // only ever appended to
    std::unique_ptr<RowWriter> writer;
    bool updatable = false;
    RowIndexes indexes;
    std::size_t deleted = 0;  // rows marked deleted: while none is, visible place = index
    // Filters compiled against these columns, by their text: record sets filtered over and
    // over with a few texts (one lookup per journal row) compile each once.
    std::unordered_map<std::string, ConditionPtr> compiled;

    const ColumnInfo& shown_column(std::size_t field) const { return columns[shown.at(field)]; }
};

// Builds a store from an engine's rows; throws ado::Error when a row does not have one
// value per column.
std::shared_ptr<RowStore> make_store(RowSet rows, std::unique_ptr<RowWriter> writer, bool updatable);
void require_updatable(const RowStore& store);

struct Position {
    std::size_t index = 0;  // into Cursor::order; meaningful when neither bof nor eof
    bool bof = true;
    bool eof = true;
};

struct PendingEdit {
    bool is_new = false;
    std::size_t row = 0;          // stored row being changed (edits of an existing row)
    std::vector<Variant> values;  // every column
    std::vector<bool> assigned;   // which values the caller set
    Position before;              // where a cancelled new row returns to
};

struct Cursor {
    explicit Cursor(RowStore& s) : store(s) {}

    // Replaces the filter (null: none) and moves to the first visible row. Builds the new
    // row list before changing anything, so a failure leaves the cursor as it was.
    void apply_filter(std::string text, ConditionPtr condition);
    // Takes in rows that clones appended since the last look, where they pass the filter.
    void sync();
    long live_count();
    bool has_live_rows();
    // Stored index of the current row; throws (no current record) at BOF/EOF or when the
    // row has been deleted.
    std::size_t current_row() const;
    // A row saved through this record set: visible here whatever the filter, and current.
    void append_own(std::size_t row);

    void move_first();
    void move_last();
    void move_next();
    void move_previous();
    void find(const Condition& condition, long skip, int direction);
    long absolute_position();
    void move_to(long position);

    RowStore& store;
    std::string filter_text;
    ConditionPtr filter;
    std::vector<std::size_t> order;  // stored indices of the visible rows
    std::size_t seen = 0;            // stored rows already considered by sync()
    Position at;
    std::optional<PendingEdit> pending;

  private:
    bool live(std::size_t i) const { return !store.rows[order[i]].deleted; }
    bool matches(std::size_t row) const;
    void place_at(std::size_t i);
    void place_past_end();
    void place_before_start();
};

}  // namespace ado::detail
