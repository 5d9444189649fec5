#pragma once
// Filter and Find criteria in the platform's filter syntax, compiled once against the
// columns of a record set and then tested row by row.
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ado/driver.h"
#include "ado/variant.h"

namespace ado::detail {

// How an equality compares a column: as numbers, or as texts under the collation.
enum class KeyKind { Number, Text };

// An equality a condition cannot hold without: a row whose value in `column` does not give
// `key` (see equality_key) never matches, so rows can be looked up by key instead of read
// one by one. The condition is still tested on the rows found.
struct EqualityProbe {
    std::size_t column = 0;
    KeyKind kind = KeyKind::Number;
    std::string key;
};

// The key of a value for an equality of that kind: values that compare equal give the same
// key. None for a value that equals nothing of the kind (null, not a number).
std::optional<std::string> equality_key(const Variant& value, KeyKind kind);

class Condition {
  public:
    virtual ~Condition() = default;
    // `row` holds every column of the store, hidden ones included.
    virtual bool matches(const std::vector<Variant>& row) const = 0;
    // Appends the equalities every matching row satisfies.
    virtual void probes(std::vector<EqualityProbe>& /*out*/) const {}
};
using ConditionPtr = std::shared_ptr<const Condition>;

enum class CriteriaShape {
    Filter,            // comparisons joined by AND / OR, parentheses
    SingleComparison,  // Find: one comparison only
};

// Throws ado::Error (kErrFilter) when the text is malformed, names a field that is not
// shown (hidden columns cannot be named) or holds a value that is not one literal of the
// compared field's type. Blank text is malformed too: callers treat it as "no filter".
ConditionPtr compile_criteria(std::string_view text, const std::vector<ColumnInfo>& columns,
                              CriteriaShape shape);

}  // namespace ado::detail
