#pragma once
// Filter and Find criteria in the platform's filter syntax, compiled once against the
// columns of a record set and then tested row by row.
#include <memory>
#include <string_view>
#include <vector>

#include "ado/driver.h"
#include "ado/variant.h"

namespace ado::detail {

class Condition {
  public:
    virtual ~Condition() = default;
    // `row` holds every column of the store, hidden ones included.
    virtual bool matches(const std::vector<Variant>& row) const = 0;
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
