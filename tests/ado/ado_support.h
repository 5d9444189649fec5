#pragma once
// Helpers shared by the data-access tests: what an action throws, and short ways to write
// decimals, dates and column descriptions.
#include <string>
#include <utility>

#include "ado/driver.h"
#include "ado/error.h"
#include "ado/types.h"
#include "ado/variant.h"

namespace ado::testing {

// The ado::Error an action throws: its number (0 when it throws none) and description.
struct Thrown {
    long number = 0;
    std::string description;
};

template <class F>
Thrown thrown(F&& action) {
    try {
        std::forward<F>(action)();
    } catch (const Error& e) {
        return {e.number(), e.description()};
    }
    return {};
}

inline Variant dec(const char* text) {
    return Variant(Decimal::from_string(text));
}
inline Variant day(const char* text) {
    return Variant(*DateTime::parse(text));
}

// A nullable column as an engine describes it.
inline ColumnInfo col(std::string name, int type, long size = 0, int precision = 0, int scale = 0) {
    ColumnInfo c;
    c.name = std::move(name);
    c.type = type;
    c.defined_size = size;
    c.precision = precision;
    c.numeric_scale = scale;
    c.attributes = adFldIsNullable;
    return c;
}

}  // namespace ado::testing
