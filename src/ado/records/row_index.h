#pragma once
// Rows of a record set's store found by the key of one column's value, for filters that
// hold an equality: a lookup instead of a pass over every row.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "ado/records/filter.h"
#include "ado/variant.h"

namespace ado::detail {

struct StoredRow {
    std::vector<Variant> values;  // every column, hidden ones included
    bool deleted = false;         // kept in place so that positions in every clone stay valid
};

// One index per column and key kind, built the second time that column is looked up (a
// record set filtered once is read faster than indexed), extended as rows are appended and
// rebuilt after a stored row's values change.
class RowIndexes {
  public:
    // Stored indices, ascending, of the rows whose value in the probe's column gives the
    // probe's key (deleted rows included: the caller tests each row anyway); null when the
    // column is not indexed yet.
    const std::vector<std::size_t>* rows_with(const std::vector<StoredRow>& rows, const EqualityProbe& probe);
    void values_changed() { ++generation_; }

  private:
    struct Index {
        std::unordered_map<std::string, std::vector<std::size_t>> buckets;
        std::size_t upto = 0;  // rows already filed
        std::uint64_t generation = 0;
        int lookups = 0;
    };
    std::map<std::pair<std::size_t, KeyKind>, Index> indexes_;
    std::uint64_t generation_ = 0;
};

}  // namespace ado::detail
