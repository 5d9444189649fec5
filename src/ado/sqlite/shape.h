#pragma once
// The shape of a batch: its tokens with the literal values lifted out into parameters.
// Statements that differ only in their literals share a shape, and so share one
// translation and one set of prepared statements.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ado/sqlite/tokenizer.h"

namespace ado::sqlite {

// A value bound to a statement parameter (lifted literal or batch variable).
struct BoundValue {
    enum class Kind : std::uint8_t { Null, Int, Real, Text, Blob } kind = Kind::Null;
    std::int64_t i = 0;
    double r = 0;
    std::string text;  // Text and Blob

    static BoundValue null() { return {}; }
    static BoundValue integer(std::int64_t v) { return {Kind::Int, v, 0, {}}; }
    static BoundValue real(double v) { return {Kind::Real, 0, v, {}}; }
    static BoundValue str(std::string v) { return {Kind::Text, 0, 0, std::move(v)}; }
};

struct Shape {
    std::vector<Token> tokens;         // lifted literals carry their parameter index
    std::vector<BoundValue> literals;  // values of the lifted literals, in order
    std::string key;                   // the shape text: equal keys translate alike
    bool cacheable = true;             // false when the batch defines or drops objects
};

// Tokenizes and lifts. `mode` is part of the key (e.g. "Q" for execute, "U" for an
// updatable open). Throws ado::Error for unclosed quotes and for a numeric literal that
// the engine could not hold exactly.
Shape make_shape(std::string_view sql, char mode);

// Value of a numeric literal: integer when it has no point or exponent and fits 64 bits,
// else a double, which holds exactly any decimal of at most 15 significant digits.
// Throws ado::Error (overflow) for a fraction beyond that.
BoundValue number_value(std::string_view text);

// Significant digits of a decimal number text (leading and trailing zeros not counted).
int significant_digits(std::string_view text);

}  // namespace ado::sqlite
