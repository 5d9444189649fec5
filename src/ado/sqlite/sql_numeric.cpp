// Magnitudes are six 64-bit limbs, least significant first; products of limbs go through
// 128-bit integers. Division by one limb is direct, by more limbs bit by bit (operands of
// the server's types keep that under 400 steps).
#include "ado/sqlite/sql_numeric.h"

#include <algorithm>
#include <charconv>

#include "ado/error.h"

namespace ado::sqlite {
namespace {

__extension__ typedef unsigned __int128 U128;
using Mag = Numeric::Magnitude;
constexpr int kLimbs = 6;
constexpr std::uint64_t kChunk = 10000000000000000000ULL;  // 10^19, the largest power in a limb
constexpr int kChunkDigits = 19;

[[noreturn]] void overflow() {
    throw Error(kErrProvider, "Arithmetic overflow error converting expression to data type numeric.");
}

std::uint64_t pow10_small(int n) {
    std::uint64_t p = 1;
    for (int i = 0; i < n; ++i) p *= 10;
    return p;
}

bool is_zero_mag(const Mag& a) {
    return std::all_of(a.begin(), a.end(), [](std::uint64_t w) { return w == 0; });
}

int compare_mag(const Mag& a, const Mag& b) {
    for (int i = kLimbs - 1; i >= 0; --i)
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    return 0;
}

bool add_mag(Mag& a, const Mag& b) {  // false on overflow
    U128 carry = 0;
    for (int i = 0; i < kLimbs; ++i) {
        const U128 t = static_cast<U128>(a[i]) + b[i] + carry;
        a[i] = static_cast<std::uint64_t>(t);
        carry = t >> 64;
    }
    return carry == 0;
}

void sub_mag(Mag& a, const Mag& b) {  // requires a >= b
    std::uint64_t borrow = 0;
    for (int i = 0; i < kLimbs; ++i) {
        const std::uint64_t bi = b[i] + borrow;
        const bool under = bi < borrow || a[i] < bi;
        a[i] -= bi;
        borrow = under ? 1 : 0;
    }
}

bool mul_small(Mag& a, std::uint64_t m) {  // false on overflow
    U128 carry = 0;
    for (auto& w : a) {
        const U128 t = static_cast<U128>(w) * m + carry;
        w = static_cast<std::uint64_t>(t);
        carry = t >> 64;
    }
    return carry == 0;
}

std::uint64_t divmod_small(Mag& a, std::uint64_t d) {
    U128 rem = 0;
    for (int i = kLimbs - 1; i >= 0; --i) {
        const U128 cur = (rem << 64) | a[i];
        a[i] = static_cast<std::uint64_t>(cur / d);
        rem = cur % d;
    }
    return static_cast<std::uint64_t>(rem);
}

bool mul_pow10(Mag& a, int n) {
    while (n > 0) {
        const int k = std::min(n, kChunkDigits);
        if (!mul_small(a, pow10_small(k))) return false;
        n -= k;
    }
    return true;
}

Mag pow10_mag(int n) {
    Mag p{};
    p[0] = 1;
    if (!mul_pow10(p, n)) overflow();
    return p;
}

bool mul_mag(const Mag& a, const Mag& b, Mag& out) {
    std::array<std::uint64_t, 2 * kLimbs> r{};
    for (int i = 0; i < kLimbs; ++i) {
        if (a[i] == 0) continue;
        U128 carry = 0;
        for (int j = 0; j < kLimbs; ++j) {
            const U128 t = static_cast<U128>(a[i]) * b[j] + r[i + j] + carry;
            r[i + j] = static_cast<std::uint64_t>(t);
            carry = t >> 64;
        }
        r[i + kLimbs] = static_cast<std::uint64_t>(carry);
    }
    for (int i = kLimbs; i < 2 * kLimbs; ++i)
        if (r[i] != 0) return false;
    std::copy_n(r.begin(), kLimbs, out.begin());
    return true;
}

int bit_length(const Mag& a) {
    for (int i = kLimbs - 1; i >= 0; --i)
        if (a[i] != 0) return i * 64 + 64 - __builtin_clzll(a[i]);
    return 0;
}

void shift_left_one(Mag& a) {
    for (int i = kLimbs - 1; i > 0; --i) a[i] = (a[i] << 1) | (a[i - 1] >> 63);
    a[0] <<= 1;
}

// n = q * d + r, d not zero.
void divmod_mag(const Mag& n, const Mag& d, Mag& q, Mag& r) {
    q = Mag{};
    r = Mag{};
    if (bit_length(d) <= 64) {
        q = n;
        r[0] = divmod_small(q, d[0]);
        return;
    }
    if (bit_length(d) >= kLimbs * 64 - 1) overflow();  // the remainder's shift would not fit
    for (int bit = bit_length(n) - 1; bit >= 0; --bit) {
        shift_left_one(r);
        r[0] |= (n[bit / 64] >> (bit % 64)) & 1U;
        if (compare_mag(r, d) >= 0) {
            sub_mag(r, d);
            q[bit / 64] |= std::uint64_t{1} << (bit % 64);
        }
    }
}

// The magnitude brought from `from` decimals to `to` (fewer): the quotient and whether the
// dropped part was at least one half, or not zero at all.
struct Dropped {
    Mag kept;
    bool half_or_more = false;
    bool any = false;
};

Dropped drop_digits(const Mag& m, int count) {
    Dropped out;
    if (count <= kChunkDigits) {
        out.kept = m;
        const std::uint64_t div = pow10_small(count);
        const std::uint64_t rem = divmod_small(out.kept, div);
        out.any = rem != 0;
        out.half_or_more = rem >= div - rem;
        return out;
    }
    if (count > 115) {  // beyond every magnitude: nothing is kept, and it is below one half
        out.any = !is_zero_mag(m);
        return out;
    }
    const Mag div = pow10_mag(count);
    Mag rem;
    divmod_mag(m, div, out.kept, rem);
    out.any = !is_zero_mag(rem);
    Mag twice = rem;
    out.half_or_more = add_mag(twice, rem) ? compare_mag(twice, div) >= 0 : true;
    return out;
}

bool increment(Mag& m) {
    Mag one{};
    one[0] = 1;
    return add_mag(m, one);
}

}  // namespace

Numeric::Numeric(bool neg, const Mag& mag, int scale)
    : neg_(neg && !is_zero_mag(mag)), mag_(mag), scale_(scale) {}

Numeric Numeric::of(std::int64_t v) {
    Mag m{};
    m[0] = v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
    return Numeric(v < 0, m, 0);
}

Numeric Numeric::of(const Decimal& d) {
    const Int128 c = d.coefficient();
    const U128 u = c < 0 ? static_cast<U128>(0) - static_cast<U128>(c) : static_cast<U128>(c);
    Mag m{};
    m[0] = static_cast<std::uint64_t>(u);
    m[1] = static_cast<std::uint64_t>(u >> 64);
    return Numeric(c < 0, m, d.scale());
}

Numeric Numeric::of_double(double v) {
    std::array<char, 64> buf{};
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), v);
    const auto n = parse(std::string_view(buf.data(), static_cast<std::size_t>(res.ptr - buf.data())), true);
    if (!n) overflow();
    return *n;
}

std::optional<Numeric> Numeric::parse(std::string_view text, bool exponent) {
    std::size_t i = 0;
    std::size_t end = text.size();
    while (i < end && (text[i] == ' ' || text[i] == '\t')) ++i;
    while (end > i && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
    bool neg = false;
    if (i < end && (text[i] == '+' || text[i] == '-')) neg = text[i++] == '-';
    Mag m{};
    long scale = 0;
    int significant = 0;
    bool any_digit = false;
    bool seen_point = false;
    std::uint64_t chunk = 0;  // digits gathered a limb's worth at a time
    int chunk_digits = 0;
    auto flush = [&] {
        mul_small(m, pow10_small(chunk_digits));
        Mag low{};
        low[0] = chunk;
        add_mag(m, low);
        chunk = 0;
        chunk_digits = 0;
    };
    for (; i < end; ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            any_digit = true;
            if (seen_point) ++scale;
            if (significant == 0 && c == '0') continue;
            if (++significant > 110) return std::nullopt;
            chunk = chunk * 10 + static_cast<std::uint64_t>(c - '0');
            if (++chunk_digits == kChunkDigits) flush();
        } else if (c == '.' && !seen_point) {
            seen_point = true;
        } else {
            break;
        }
    }
    if (chunk_digits > 0) flush();
    if (!any_digit) return std::nullopt;
    if (i < end) {
        if (!exponent || (text[i] != 'e' && text[i] != 'E')) return std::nullopt;
        ++i;
        bool exp_neg = false;
        if (i < end && (text[i] == '+' || text[i] == '-')) exp_neg = text[i++] == '-';
        if (i == end) return std::nullopt;
        long e = 0;
        for (; i < end; ++i) {
            if (text[i] < '0' || text[i] > '9') return std::nullopt;
            if (e < 100000) e = e * 10 + (text[i] - '0');
        }
        scale += exp_neg ? e : -e;
    }
    if (scale < 0) {
        if (significant - scale > 110 || !mul_pow10(m, static_cast<int>(-scale))) return std::nullopt;
        scale = 0;
    }
    if (scale > kMaxScale) return Numeric(neg, m, static_cast<int>(scale)).rounded(kMaxScale);
    return Numeric(neg, m, static_cast<int>(scale));
}

bool Numeric::is_zero() const {
    return is_zero_mag(mag_);
}

int Numeric::digits() const {
    Mag m = mag_;
    int count = 0;
    while (bit_length(m) > 64) {
        divmod_small(m, kChunk);
        count += kChunkDigits;
    }
    for (std::uint64_t low = m[0]; low != 0; low /= 10) ++count;
    return count;
}

Numeric Numeric::rounded(int scale) const {
    if (scale >= scale_) return *this;
    Dropped d = drop_digits(mag_, scale_ - scale);
    if (d.half_or_more && !increment(d.kept)) overflow();
    return Numeric(neg_, d.kept, scale);
}

Numeric Numeric::truncated(int scale) const {
    if (scale >= scale_) return *this;
    return Numeric(neg_, drop_digits(mag_, scale_ - scale).kept, scale);
}

Numeric Numeric::operator-() const {
    return Numeric(!neg_, mag_, scale_);
}

Numeric operator+(const Numeric& a, const Numeric& b) {
    const int scale = std::max(a.scale_, b.scale_);
    Mag ma = a.mag_;
    Mag mb = b.mag_;
    if (!mul_pow10(ma, scale - a.scale_) || !mul_pow10(mb, scale - b.scale_)) overflow();
    if (a.neg_ == b.neg_) {
        if (!add_mag(ma, mb)) overflow();
        return Numeric(a.neg_, ma, scale);
    }
    if (compare_mag(ma, mb) >= 0) {
        sub_mag(ma, mb);
        return Numeric(a.neg_, ma, scale);
    }
    sub_mag(mb, ma);
    return Numeric(b.neg_, mb, scale);
}

Numeric operator-(const Numeric& a, const Numeric& b) {
    return a + (-b);
}

Numeric operator*(const Numeric& a, const Numeric& b) {
    Mag m;
    if (!mul_mag(a.mag_, b.mag_, m)) overflow();
    return Numeric(a.neg_ != b.neg_, m, a.scale_ + b.scale_);
}

Numeric Numeric::divide(const Numeric& a, const Numeric& b, int scale, bool round) {
    Mag n = a.mag_;
    Mag d = b.mag_;
    const int e = b.scale_ + scale - a.scale_;
    if (!mul_pow10(e >= 0 ? n : d, e >= 0 ? e : -e)) overflow();
    Mag q;
    Mag r;
    divmod_mag(n, d, q, r);
    if (round) {
        Mag twice = r;
        if ((!add_mag(twice, r) || compare_mag(twice, d) >= 0) && !increment(q)) overflow();
    }
    return Numeric(a.neg_ != b.neg_, q, scale);
}

Numeric Numeric::remainder(const Numeric& a, const Numeric& b) {
    const int scale = std::max(a.scale_, b.scale_);
    Mag ma = a.mag_;
    Mag mb = b.mag_;
    if (!mul_pow10(ma, scale - a.scale_) || !mul_pow10(mb, scale - b.scale_)) overflow();
    Mag q;
    Mag r;
    divmod_mag(ma, mb, q, r);
    return Numeric(a.neg_, r, scale);
}

int compare(const Numeric& a, const Numeric& b) {
    const int sa = a.is_zero() ? 0 : (a.neg_ ? -1 : 1);
    const int sb = b.is_zero() ? 0 : (b.neg_ ? -1 : 1);
    if (sa != sb || sa == 0) return sa < sb ? -1 : (sa > sb ? 1 : 0);
    const int scale = std::max(a.scale_, b.scale_);
    Mag ma = a.mag_;
    Mag mb = b.mag_;
    const bool a_fits = mul_pow10(ma, scale - a.scale_);  // a magnitude that outgrows the limbs is the larger
    const bool b_fits = mul_pow10(mb, scale - b.scale_);
    const int c = a_fits && b_fits ? compare_mag(ma, mb) : (a_fits ? -1 : 1);
    return sa < 0 ? -c : c;
}

std::optional<std::int64_t> Numeric::to_int64() const {
    const Dropped d = drop_digits(mag_, scale_);
    if (d.any || bit_length(d.kept) > 64) return std::nullopt;
    const std::uint64_t v = d.kept[0];
    if (!neg_ && v <= static_cast<std::uint64_t>(INT64_MAX)) return static_cast<std::int64_t>(v);
    if (neg_ && v <= static_cast<std::uint64_t>(INT64_MAX) + 1) return static_cast<std::int64_t>(0 - v);
    return std::nullopt;
}

std::optional<Decimal> Numeric::to_decimal() const {
    Mag m = mag_;
    int scale = scale_;
    while (scale > 0) {
        Mag q = m;
        if (divmod_small(q, 10) != 0) break;
        m = q;
        --scale;
    }
    if (scale > Decimal::kMaxScale || bit_length(m) > 96) return std::nullopt;
    const U128 u = (static_cast<U128>(m[1]) << 64) | m[0];
    const auto c = static_cast<Int128>(u);
    return Decimal::from_parts(neg_ ? -c : c, scale);
}

double Numeric::to_double() const {
    const std::string text = to_string();
    double v = 0;
    std::from_chars(text.data(), text.data() + text.size(), v);
    return v;
}

std::string Numeric::coefficient_digits() const {
    Mag m = mag_;
    std::string out;
    while (bit_length(m) > 64) {
        std::uint64_t chunk = divmod_small(m, kChunk);
        for (int k = 0; k < kChunkDigits; ++k, chunk /= 10)
            out.push_back(static_cast<char>('0' + chunk % 10));
    }
    for (std::uint64_t low = m[0]; low != 0; low /= 10) out.push_back(static_cast<char>('0' + low % 10));
    while (out.size() > 1 && out.back() == '0') out.pop_back();
    if (out.empty()) out = "0";
    std::reverse(out.begin(), out.end());
    return out;
}

std::string Numeric::to_string_fixed(int scale) const {
    const Numeric r = rounded(scale);
    std::string d = r.coefficient_digits();
    d.append(static_cast<std::size_t>(scale - r.scale_), '0');
    const auto s = static_cast<std::size_t>(scale);
    if (d.size() <= s) d.insert(0, s + 1 - d.size(), '0');
    if (s > 0) d.insert(d.size() - s, ".");
    if (r.neg_) d.insert(0, "-");
    return d;
}

std::string Numeric::to_string() const {
    std::string d = to_string_fixed(scale_);
    if (d.find('.') != std::string::npos) {
        while (d.back() == '0') d.pop_back();
        if (d.back() == '.') d.pop_back();
    }
    return d;
}

}  // namespace ado::sqlite
