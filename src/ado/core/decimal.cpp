// Exact decimal arithmetic. Intermediate results that can outgrow 128 bits (products,
// operands aligned to a common scale) are held in a 256-bit unsigned integer and then
// brought back within the platform's range: at most 2^96 - 1 and 28 decimals, dropping
// digits with round-half-even as the platform's Decimal arithmetic does.
#include "ado/decimal.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <system_error>

#include "ado/error.h"

namespace ado {
namespace {

__extension__ typedef unsigned __int128 UInt128;

constexpr UInt128 kMaxMagnitude = (static_cast<UInt128>(1) << 96) - 1;
constexpr int kMaxDigits = 29;        // digits of kMaxMagnitude
constexpr int kParseKeepDigits = 60;  // more significant digits than that only decide rounding

constexpr std::array<UInt128, 39> make_pow10() {
    std::array<UInt128, 39> table{};
    UInt128 p = 1;
    for (auto& v : table) {
        v = p;
        p *= 10;
    }
    return table;
}
constexpr std::array<UInt128, 39> kPow10 = make_pow10();

UInt128 magnitude(Int128 c) {
    return c < 0 ? static_cast<UInt128>(0) - static_cast<UInt128>(c) : static_cast<UInt128>(c);
}

Int128 with_sign(bool negative, UInt128 m) {
    auto c = static_cast<Int128>(m);
    return negative ? -c : c;
}

[[noreturn]] void throw_overflow() {
    throw Error(kErrOverflow, "Overflow");
}

// Unsigned 256-bit integer, 32-bit limbs, least significant first.
class Wide {
  public:
    Wide() = default;
    explicit Wide(UInt128 v) {
        for (int i = 0; i < 4; ++i) {
            limbs_[i] = static_cast<std::uint32_t>(v);
            v >>= 32;
        }
    }

    bool fits(UInt128 max) const {
        for (int i = 4; i < kLimbs; ++i)
            if (limbs_[i] != 0) return false;
        return low() <= max;
    }
    UInt128 low() const {
        UInt128 v = 0;
        for (int i = 3; i >= 0; --i) v = (v << 32) | limbs_[i];
        return v;
    }
    bool low_is_odd() const { return (limbs_[0] & 1U) != 0; }

    void mul_small(std::uint32_t m) {
        std::uint64_t carry = 0;
        for (auto& l : limbs_) {
            const std::uint64_t t = static_cast<std::uint64_t>(l) * m + carry;
            l = static_cast<std::uint32_t>(t);
            carry = t >> 32;
        }
    }
    void mul_pow10(int n) {
        while (n > 0) {
            const int k = std::min(n, 9);
            mul_small(static_cast<std::uint32_t>(kPow10[k]));
            n -= k;
        }
    }
    std::uint32_t div_small(std::uint32_t d) {
        std::uint64_t rem = 0;
        for (int i = kLimbs - 1; i >= 0; --i) {
            const std::uint64_t cur = (rem << 32) | limbs_[i];
            limbs_[i] = static_cast<std::uint32_t>(cur / d);
            rem = cur % d;
        }
        return static_cast<std::uint32_t>(rem);
    }
    void add(const Wide& o) {
        std::uint64_t carry = 0;
        for (int i = 0; i < kLimbs; ++i) {
            const std::uint64_t t = static_cast<std::uint64_t>(limbs_[i]) + o.limbs_[i] + carry;
            limbs_[i] = static_cast<std::uint32_t>(t);
            carry = t >> 32;
        }
    }
    // Requires *this >= o.
    void sub(const Wide& o) {
        std::int64_t borrow = 0;
        for (int i = 0; i < kLimbs; ++i) {
            std::int64_t t = static_cast<std::int64_t>(limbs_[i]) - o.limbs_[i] - borrow;
            borrow = t < 0 ? 1 : 0;
            if (t < 0) t += static_cast<std::int64_t>(1) << 32;
            limbs_[i] = static_cast<std::uint32_t>(t);
        }
    }
    int compare(const Wide& o) const {
        for (int i = kLimbs - 1; i >= 0; --i)
            if (limbs_[i] != o.limbs_[i]) return limbs_[i] < o.limbs_[i] ? -1 : 1;
        return 0;
    }
    static Wide product(UInt128 a, UInt128 b) {
        const Wide x(a);
        const Wide y(b);
        Wide r;
        for (int i = 0; i < 4; ++i) {
            std::uint64_t carry = 0;
            for (int j = 0; j < 4; ++j) {
                const std::uint64_t t =
                    static_cast<std::uint64_t>(x.limbs_[i]) * y.limbs_[j] + r.limbs_[i + j] + carry;
                r.limbs_[i + j] = static_cast<std::uint32_t>(t);
                carry = t >> 32;
            }
            r.limbs_[i + 4] = static_cast<std::uint32_t>(carry);
        }
        return r;
    }

  private:
    static constexpr int kLimbs = 8;
    std::array<std::uint32_t, kLimbs> limbs_{};
};

// Brings a magnitude within range and at most 28 decimals, rounding half to even over all
// dropped digits (`sticky` tells that nonzero digits were already dropped by the caller).
Decimal make(bool negative, Wide mag, int scale, bool sticky = false) {
    std::uint32_t last = 0;
    bool dropped = false;
    while (scale > Decimal::kMaxScale || !mag.fits(kMaxMagnitude)) {
        if (scale <= 0) throw_overflow();
        if (dropped) sticky = sticky || last != 0;
        last = mag.div_small(10);
        dropped = true;
        --scale;
    }
    if (dropped && (last > 5 || (last == 5 && (sticky || mag.low_is_odd())))) {
        mag.add(Wide(1));
        if (!mag.fits(kMaxMagnitude)) return make(negative, mag, scale);
    }
    return Decimal::from_parts(with_sign(negative, mag.low()), scale);
}

Wide aligned(const Decimal& d, int scale) {
    Wide w(magnitude(d.coefficient()));
    w.mul_pow10(scale - d.scale());
    return w;
}

std::string digits_of(UInt128 m) {
    if (m == 0) return "0";
    std::string s;
    while (m != 0) {
        s.push_back(static_cast<char>('0' + static_cast<int>(m % 10)));
        m /= 10;
    }
    std::reverse(s.begin(), s.end());
    return s;
}

std::string format(Int128 coef, int scale) {
    std::string d = digits_of(magnitude(coef));
    const auto s = static_cast<std::size_t>(scale);
    if (d.size() <= s) d.insert(0, s + 1 - d.size(), '0');
    if (s > 0) d.insert(d.size() - s, ".");
    if (coef < 0) d.insert(0, "-");
    return d;
}

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}
bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

enum class ParseStatus { Ok, NotANumber, Overflow };

struct Mantissa {
    bool negative = false;
    std::string digits;  // significant digits, no leading zeros
    long scale = 0;      // value = digits * 10^-scale
};

std::string_view strip_blanks(std::string_view text) {
    std::size_t b = 0;
    std::size_t e = text.size();
    while (b < e && is_blank(text[b])) ++b;
    while (e > b && is_blank(text[e - 1])) --e;
    return text.substr(b, e - b);
}

// Reads "[sign]digits[sep digits][E[sign]digits]"; false on anything else.
bool read_mantissa(std::string_view text, Mantissa& m) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        m.negative = text[i] == '-';
        ++i;
    }
    const char sep = text.find('.') != std::string_view::npos ? '.' : ',';
    bool seen_sep = false;
    bool any_digit = false;
    long frac = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (is_digit(c)) {
            any_digit = true;
            if (!(m.digits.empty() && c == '0')) m.digits.push_back(c);
            if (seen_sep) ++frac;
        } else if (c == sep && !seen_sep) {
            seen_sep = true;
        } else {
            break;
        }
    }
    if (!any_digit) return false;
    long exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool exp_negative = false;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            exp_negative = text[i] == '-';
            ++i;
        }
        if (i == text.size()) return false;
        for (; i < text.size(); ++i) {
            if (!is_digit(text[i])) return false;
            if (exponent < 100000) exponent = exponent * 10 + (text[i] - '0');
        }
        if (exp_negative) exponent = -exponent;
    }
    if (i != text.size()) return false;
    m.scale = frac - exponent;
    return true;
}

ParseStatus parse_number(std::string_view text, Decimal& out) {
    Mantissa m;
    if (!read_mantissa(strip_blanks(text), m)) return ParseStatus::NotANumber;
    const auto count = static_cast<long>(m.digits.size());
    if (count == 0 || count - m.scale < -kMaxDigits) {  // zero, or below half of 10^-28
        out = Decimal::from_parts(
            0, static_cast<int>(std::clamp(m.scale, 0L, static_cast<long>(Decimal::kMaxScale))));
        return ParseStatus::Ok;
    }
    if (count - m.scale > kMaxDigits) return ParseStatus::Overflow;
    if (m.scale < 0) {
        m.digits.append(static_cast<std::size_t>(-m.scale), '0');
        m.scale = 0;
    }
    bool sticky = false;
    if (m.digits.size() > kParseKeepDigits) {
        const std::size_t drop = m.digits.size() - kParseKeepDigits;
        sticky = m.digits.find_first_not_of('0', kParseKeepDigits) != std::string::npos;
        m.digits.resize(kParseKeepDigits);
        m.scale -= static_cast<long>(drop);
    }
    Wide mag;
    for (const char c : m.digits) {
        mag.mul_small(10);
        mag.add(Wide(static_cast<UInt128>(c - '0')));
    }
    try {
        out = make(m.negative, mag, static_cast<int>(m.scale), sticky);
    } catch (const Error&) {
        return ParseStatus::Overflow;
    }
    return ParseStatus::Ok;
}

}  // namespace

Decimal Decimal::from_parts(Int128 coefficient, int scale) {
    if (scale < 0 || scale > kMaxScale) throw Error(kErrArgument, "Decimal scale out of range");
    if (magnitude(coefficient) > kMaxMagnitude) throw_overflow();
    return Decimal(coefficient, scale);
}

std::optional<Decimal> Decimal::parse(std::string_view text) {
    Decimal d;
    if (parse_number(text, d) != ParseStatus::Ok) return std::nullopt;
    return d;
}

Decimal Decimal::from_string(std::string_view text) {
    Decimal d;
    switch (parse_number(text, d)) {
        case ParseStatus::Ok:
            return d;
        case ParseStatus::Overflow:
            throw_overflow();
        case ParseStatus::NotANumber:
            break;
    }
    throw Error(kErrTypeMismatch, "Type mismatch");
}

std::optional<Decimal> Decimal::parse_regional(std::string_view text) {
    const std::optional<std::string> plain = regional_number_text(text);
    if (!plain) return std::nullopt;
    return parse(*plain);
}

Decimal Decimal::from_double(double v) {
    if (!std::isfinite(v)) throw_overflow();
    const DoubleDigits d = double_digits(v);
    const auto last_power = d.exponent - static_cast<int>(d.digits.size()) + 1;
    const std::string text = (d.negative ? "-" : "") + d.digits + "E" + std::to_string(last_power);
    Decimal out;
    if (parse_number(text, out) != ParseStatus::Ok) throw_overflow();
    return out;
}

bool Decimal::is_integer() const {
    return magnitude(coef_) % kPow10[static_cast<std::size_t>(scale_)] == 0;
}

std::string Decimal::to_string() const {
    Int128 c = coef_;
    int s = scale_;
    while (s > 0 && c % 10 == 0) {
        c /= 10;
        --s;
    }
    return format(c, s);
}

std::string Decimal::to_string_fixed(int scale) const {
    if (scale < 0 || scale > kMaxScale) throw Error(kErrArgument, "Decimal scale out of range");
    if (scale < scale_) return format(rounded(scale).coef_, scale);
    std::string text = format(coef_, scale_);
    if (scale > scale_) {
        if (scale_ == 0) text.push_back('.');
        text.append(static_cast<std::size_t>(scale - scale_), '0');
    }
    return text;
}

Decimal Decimal::rounded(int scale) const {
    if (scale < 0 || scale > kMaxScale) throw Error(kErrArgument, "Decimal scale out of range");
    if (scale >= scale_) return *this;
    const UInt128 div = kPow10[static_cast<std::size_t>(scale_ - scale)];
    const UInt128 m = magnitude(coef_);
    UInt128 q = m / div;
    if ((m % div) * 2 >= div) ++q;
    return Decimal(with_sign(coef_ < 0, q), scale);
}

Int128 Decimal::round_to_integer_even() const {
    const UInt128 div = kPow10[static_cast<std::size_t>(scale_)];
    const UInt128 m = magnitude(coef_);
    UInt128 q = m / div;
    const UInt128 twice_rest = (m % div) * 2;
    if (twice_rest > div || (twice_rest == div && (q & 1) != 0)) ++q;
    return with_sign(coef_ < 0, q);
}

int Decimal::integer_digits() const {
    UInt128 m = magnitude(coef_) / kPow10[static_cast<std::size_t>(scale_)];
    int n = 0;
    while (m != 0) {
        ++n;
        m /= 10;
    }
    return n;
}

double Decimal::to_double() const {
    const std::string text = to_string();
    double v = 0;
    std::from_chars(text.data(), text.data() + text.size(), v);
    return v;
}

Decimal Decimal::operator-() const {
    return Decimal(-coef_, scale_);
}

Decimal operator+(const Decimal& a, const Decimal& b) {
    const int scale = std::max(a.scale_, b.scale_);
    Wide ma = aligned(a, scale);
    Wide mb = aligned(b, scale);
    const bool na = a.coef_ < 0;
    const bool nb = b.coef_ < 0;
    if (na == nb) {
        ma.add(mb);
        return make(na, ma, scale);
    }
    if (ma.compare(mb) >= 0) {
        ma.sub(mb);
        return make(na, ma, scale);
    }
    mb.sub(ma);
    return make(nb, mb, scale);
}

Decimal operator-(const Decimal& a, const Decimal& b) {
    return a + (-b);
}

Decimal operator*(const Decimal& a, const Decimal& b) {
    const bool negative = (a.coef_ < 0) != (b.coef_ < 0) && a.coef_ != 0 && b.coef_ != 0;
    return make(negative, Wide::product(magnitude(a.coef_), magnitude(b.coef_)), a.scale_ + b.scale_);
}

// Long division digit by digit: the remainder stays below the divisor (< 2^96), so ten
// times it fits in 128 bits. Digits are produced while the quotient stays in range and
// the result keeps at most 28 decimals; the next digit and the remainder decide rounding.
Decimal operator/(const Decimal& a, const Decimal& b) {
    if (b.coef_ == 0) throw Error(kErrDivisionByZero, "Division by zero");
    const UInt128 divisor = magnitude(b.coef_);
    const UInt128 dividend = magnitude(a.coef_);
    UInt128 q = dividend / divisor;
    UInt128 r = dividend % divisor;
    const int shift = a.scale_ - b.scale_;  // result scale = decimals produced + shift
    int produced = 0;
    while (r != 0 && produced + shift < Decimal::kMaxScale) {
        const UInt128 r10 = r * 10;
        const UInt128 d = r10 / divisor;
        if (q > (kMaxMagnitude - d) / 10) break;
        q = q * 10 + d;
        r = r10 % divisor;
        ++produced;
    }
    if (r != 0) {
        const UInt128 r10 = r * 10;
        const UInt128 d = r10 / divisor;
        if (d > 5 || (d == 5 && (r10 % divisor != 0 || (q & 1) != 0))) ++q;
    }
    const bool negative = (a.coef_ < 0) != (b.coef_ < 0) && q != 0;
    Wide mag(q);
    int scale = produced + shift;
    if (scale < 0) {
        mag.mul_pow10(-scale);
        scale = 0;
    }
    return make(negative, mag, scale);
}

std::strong_ordering operator<=>(const Decimal& a, const Decimal& b) {
    const int sa = a.coef_ < 0 ? -1 : (a.coef_ > 0 ? 1 : 0);
    const int sb = b.coef_ < 0 ? -1 : (b.coef_ > 0 ? 1 : 0);
    if (sa != sb || sa == 0) return sa <=> sb;
    const int scale = std::max(a.scale_, b.scale_);
    const int c = aligned(a, scale).compare(aligned(b, scale));
    return (sa < 0 ? -c : c) <=> 0;
}

}  // namespace ado
