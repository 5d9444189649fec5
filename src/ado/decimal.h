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
    // The fixed form of files, SQL text, filters and field assignments: "1.5" is 1.5.
    static std::optional<Decimal> parse(std::string_view text);
    // Like parse but throws ado::Error (type mismatch) on bad text, (overflow) on too large.
    static Decimal from_string(std::string_view text);
    // Text in the user's regional form, as the platform's CDec of text reads it (see
    // regional_number_text): "1.234,56" is 1234.56, "1.5" is not a number.
    static std::optional<Decimal> parse_regional(std::string_view text);
    // The platform's CDec of a Double: the double rounded to 15 significant digits (see
    // double_digits), so 0.1 + 0.2 gives 0.3 and 1.15 * 100 gives 115. A decimal of at most
    // 15 significant digits held in a double (an engine's REAL) comes back exactly as it was
    // written. Throws ado::Error (overflow) for NaN, infinities and magnitudes beyond the range.
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

// A finite double rounded to 15 significant digits, the precision the platform gives a
// Double whenever it becomes a Decimal or text: the digits d1d2... without trailing zeros
// ("0" for zero) and the power of ten of d1, so that |v| is d1.d2d3... * 10^exponent.
struct DoubleDigits {
    bool negative = false;
    std::string digits;
    int exponent = 0;
};
DoubleDigits double_digits(double v);

// A double as the platform's CStr writes it: 15 significant digits, plain notation while
// the magnitude lies in [1E-4, 1E15), else "1.5E+20" / "1E-05" (two exponent digits at
// least). "." is the decimal point, as in every text this system writes.
std::string double_text(double v);

// Number text in the user's regional form (Italian: "," decimal comma, "." thousands
// grouping), as the platform's CDec, CDbl and IsNumeric of text read it, rewritten in the
// fixed form that Decimal::parse and from_chars take ("1.234,56" gives "1234.56"); empty
// when the text is not such a number. Accepted: blanks around, a sign, digits with an
// optional decimal comma (",5" and "5," too) and exponent ("1,5E3"). Grouping must be the
// one the regional format writes: groups of exactly three digits after a first group of
// one to three that does not start with 0, and only before the comma: "1.234" is 1234,
// "1.234.567,89" is 1234567.89, while "1.5", "1.23,4", "0.123" and "1,234.5" are refused
// rather than guessed. The fixed form with a decimal point therefore does not pass here:
// files, SQL text, filters and field assignments use Decimal::parse instead.
std::optional<std::string> regional_number_text(std::string_view text);

}  // namespace ado
