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

class Decimal {
public:
    static constexpr int kMaxScale = 28;

    Decimal() = default;
    Decimal(std::int64_t v) : coef_(v), scale_(0) {}  // NOLINT(google-explicit-constructor)
    static Decimal from_parts(__int128 coefficient, int scale);  // throws ado::Error on bad scale

    // Text with "." as separator (or "," when there is no "."), optional sign, blanks
    // around it, optional exponent ("1E3"). Empty optional when the text is not a number.
    static std::optional<Decimal> parse(std::string_view text);
    // Like parse but throws ado::Error (type mismatch) on bad text, (overflow) on too large.
    static Decimal from_string(std::string_view text);
    // Exact value of a double as far as 28 significant digits go (for REAL columns only).
    static Decimal from_double(double v);

    __int128 coefficient() const { return coef_; }
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
    __int128 round_to_integer_even() const;
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
    Decimal(__int128 c, int s) : coef_(c), scale_(s) {}
    __int128 coef_ = 0;
    int scale_ = 0;
};

}  // namespace ado
