#pragma once
// Exact decimal number: a signed 128-bit coefficient and a scale of 0..28 digits after
// the point. It holds every value of the original platform's Decimal (96-bit magnitude,
// 28 significant digits) and never goes through binary floating point.
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ado {

// The compiler's 128-bit integer; `__extension__` keeps -Wpedantic quiet in every
// translation unit that includes this header. Same type as `__int128`.
__extension__ typedef __int128 Int128;

class Decimal {
  public:
    static constexpr int kMaxScale = 28;

    Decimal() = default;
    Decimal(std::int64_t v) : coef_(v), scale_(0) {}           // NOLINT(google-explicit-constructor)
    static Decimal from_parts(Int128 coefficient, int scale);  // throws ado::Error on bad scale

    // Text with "." as separator (or "," when there is no "."), optional sign, blanks
    // around it, optional exponent ("1E3"). Empty optional when the text is not a number
    // or lies beyond the range; digits beyond 28 decimals are rounded half to even.
    static std::optional<Decimal> parse(std::string_view text);
    // Like parse but throws ado::Error (type mismatch) on bad text, (overflow) on too large.
    static Decimal from_string(std::string_view text);
    // The shortest decimal text that reads back as the same double (0.1 gives 0.1, as the
    // platform's CDec of a Double does), for REAL columns only. Throws ado::Error
    // (overflow) for NaN, infinities and magnitudes beyond the range.
    static Decimal from_double(double v);

    Int128 coefficient() const { return coef_; }
    int scale() const { return scale_; }
    bool is_zero() const { return coef_ == 0; }
    bool is_negative() const { return coef_ < 0; }
    bool is_integer() const;

    // Canonical text: no exponent, no trailing zeros after the point, "." separator.
    std::string to_string() const;
    // Text with exactly `scale` digits after the point (rounded half away from zero).
    std::string to_string_fixed(int scale) const;

    // Rounds to `scale` digits: half away from zero (the database's rule for DECIMAL(p,s)).
    Decimal rounded(int scale) const;
    // Banker's rounding to an integer (the platform's rule for conversion to Long/Integer).
    Int128 round_to_integer_even() const;
    // Number of significant digits before / after the point (for precision checks).
    int integer_digits() const;

    double to_double() const;

    Decimal operator-() const;
    friend Decimal operator+(const Decimal& a, const Decimal& b);
    friend Decimal operator-(const Decimal& a, const Decimal& b);
    friend Decimal operator*(const Decimal& a, const Decimal& b);
    // Division to 28 significant digits; throws ado::Error on division by zero.
    friend Decimal operator/(const Decimal& a, const Decimal& b);
    friend std::strong_ordering operator<=>(const Decimal& a, const Decimal& b);
    friend bool operator==(const Decimal& a, const Decimal& b) { return (a <=> b) == 0; }

  private:
    Decimal(Int128 c, int s) : coef_(c), scale_(s) {}
    Int128 coef_ = 0;
    int scale_ = 0;
};

}  // namespace ado
