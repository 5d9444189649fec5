#pragma once
// Exact decimal numbers for the evaluation of typed expressions. A DECIMAL(38, s) operand
// has up to 38 digits and a quotient needs its dividend scaled by up to 10^76 before the
// division, so the magnitude holds 384 bits (115 digits): every product, sum and quotient
// of the server's operands is exact before it is brought to the result's scale.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ado/decimal.h"

namespace ado::sqlite {

class Numeric {
  public:
    // The largest scale a value keeps; parsed text with more decimals is refused.
    static constexpr int kMaxScale = 100;

    Numeric() = default;
    static Numeric of(std::int64_t v);
    static Numeric of(const Decimal& d);
    // The shortest decimal that reads back as `v` (finite).
    static Numeric of_double(double v);
    // "[blanks][sign]digits[.digits][blanks]", also ".5" and "5."; with `exponent` an
    // "E[sign]digits" suffix too. Empty for anything else or beyond the range.
    static std::optional<Numeric> parse(std::string_view text, bool exponent);

    bool negative() const { return neg_; }
    bool is_zero() const;
    int scale() const { return scale_; }
    // Digits of the coefficient (0 for zero) and digits before the point.
    int digits() const;
    int integer_digits() const {
        const int d = digits();
        return d > scale_ ? d - scale_ : 0;
    }
    // True when the value needs no more than `precision` digits at its scale.
    bool fits_precision(int precision) const { return digits() <= precision; }

    // To `scale` digits after the point: exact when `scale` is larger, else rounded half
    // away from zero (or truncated toward zero).
    Numeric rounded(int scale) const;
    Numeric truncated(int scale) const;

    Numeric operator-() const;
    friend Numeric operator+(const Numeric& a, const Numeric& b);
    friend Numeric operator-(const Numeric& a, const Numeric& b);
    friend Numeric operator*(const Numeric& a, const Numeric& b);
    // a / b at `scale` digits, truncated toward zero or rounded half away from zero; b not 0.
    static Numeric divide(const Numeric& a, const Numeric& b, int scale, bool round);
    // a - trunc(a / b) * b: the sign of the dividend; b not 0.
    static Numeric remainder(const Numeric& a, const Numeric& b);
    friend int compare(const Numeric& a, const Numeric& b);

    // The value when it is a whole number within 64 bits.
    std::optional<std::int64_t> to_int64() const;
    // Within Decimal's range (28 decimals, 96-bit coefficient, trailing zeros dropped).
    std::optional<Decimal> to_decimal() const;
    double to_double() const;
    // Canonical text (no exponent, no trailing zeros after the point).
    std::string to_string() const;
    // Exactly `scale` digits after the point (rounded half away from zero).
    std::string to_string_fixed(int scale) const;

    using Magnitude = std::array<std::uint64_t, 6>;

  private:
    Numeric(bool neg, const Magnitude& mag, int scale);
    std::string coefficient_digits() const;

    bool neg_ = false;
    Magnitude mag_{};
    int scale_ = 0;
};

}  // namespace ado::sqlite
