#include "ado/sqlite/sql_operand.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "ado/datetime.h"
#include "ado/error.h"
#include "ado/sqlite/sql_eval.h"
#include "ado/sqlite/tokenizer.h"

namespace ado::sqlite::operand {
namespace {

constexpr std::int64_t kDay = 86400;

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
    return s;
}

struct Range {
    std::int64_t min;
    std::int64_t max;
};

Range integer_range(SqlBase b) {
    switch (b) {
        case SqlBase::Bit:
            return {0, 1};
        case SqlBase::TinyInt:
            return {0, 255};
        case SqlBase::SmallInt:
            return {-32768, 32767};
        case SqlBase::Int:
            return {std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()};
        default:
            return {std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max()};
    }
}

std::string conversion_failed(const SqlType& from, std::string_view text, const SqlType& to) {
    return "Conversion failed when converting the " + text_type_name(from) + " value '" + std::string(text) +
           "' to data type " + to.name() + ".";
}

[[noreturn]] void not_allowed(const SqlType& from, const SqlType& to) {
    fail("Explicit conversion from data type " + from.name() + " to " + to.name() + " is not allowed.");
}

// Whole number text: blanks around, an optional sign, digits only.
std::optional<Numeric> integer_text(std::string_view text) {
    const std::string_view t = trimmed(text);
    if (t.empty()) return Numeric::of(0);
    std::size_t i = t.front() == '+' || t.front() == '-' ? 1 : 0;
    if (i == t.size()) return std::nullopt;
    for (; i < t.size(); ++i)
        if (t[i] < '0' || t[i] > '9') return std::nullopt;
    return Numeric::parse(t, false);
}

std::int64_t in_range(const Numeric& n, const SqlType& to, const std::string& overflow) {
    const auto v = n.to_int64();
    const Range r = integer_range(to.base);
    if (!v || *v < r.min || *v > r.max) fail(overflow);
    return *v;
}

const Numeric& money_limit(SqlBase b, bool negative) {
    static const std::array<Numeric, 4> kLimits = {
        *Numeric::parse("214748.3647", false), *Numeric::parse("-214748.3648", false),
        *Numeric::parse("922337203685477.5807", false), *Numeric::parse("-922337203685477.5808", false)};
    return kLimits[(b == SqlBase::SmallMoney ? 0 : 2) + (negative ? 1 : 0)];
}

int scale_of(const SqlType& t) {
    return t.base == SqlBase::Decimal ? t.scale : 4;
}

}  // namespace

void fail(const std::string& message) {
    throw Error(kErrProvider, message);
}

std::string float_text(double v, int style) {
    const char* format = "%.6g";
    if (style == 1) format = "%.7e";
    if (style == 2) format = "%.15e";
    if (style == 3 || style == 126 || style == 128 || style == 129)
        fail("The embedded engine does not support CONVERT style " + std::to_string(style) + ".");
    std::array<char, 64> buf{};
    const int n = std::snprintf(buf.data(), buf.size(), format, v);
    std::string s(buf.data(), static_cast<std::size_t>(n));
    const auto e = s.find('e');  // the exponent in three digits at least
    if (e != std::string::npos && s.size() - e - 2 < 3) s.insert(e + 2, 3 - (s.size() - e - 2), '0');
    return s;
}

std::string money_text(const Numeric& n, int style) {
    if (style == 2 || style == 126) return n.to_string_fixed(4);
    std::string text = n.to_string_fixed(2);
    if (style != 1) return text;
    const std::size_t begin = n.negative() ? 1 : 0;
    for (auto at = text.find('.'); at > begin + 3; at -= 3) text.insert(at - 3, ",");
    return text;
}

SqlType effective_type(const BoundValue& v, const SqlType& t) {
    if (t.known() && t.base != SqlBase::Null) return t;
    switch (v.kind) {
        case BoundValue::Kind::Int:
            return SqlType::of(SqlBase::BigInt);
        case BoundValue::Kind::Real: {
            if (!std::isfinite(v.r)) return SqlType::of(SqlBase::Float);
            const Numeric n = Numeric::of_double(v.r);
            return SqlType::decimal(std::clamp(std::max(n.digits(), n.scale()), 1, 38),
                                    std::min(n.scale(), 38));
        }
        case BoundValue::Kind::Text:
            return SqlType::of(SqlBase::VarChar);
        case BoundValue::Kind::Blob:
            return SqlType::of(SqlBase::Binary);
        case BoundValue::Kind::Null:
            break;
    }
    return t.known() ? t : SqlType::of(SqlBase::Null);
}

std::string text_type_name(const SqlType& t) {
    return t.is_text() ? t.name() : "varchar";
}

std::int64_t integer_of(const BoundValue& v, const SqlType& from_in, const SqlType& to) {
    const SqlType from = effective_type(v, from_in);
    if (from.is_integer() && v.kind == BoundValue::Kind::Int) {
        if (to.base == SqlBase::Bit) return v.i != 0 ? 1 : 0;
        const Range r = integer_range(to.base);
        if (v.i < r.min || v.i > r.max) fail(overflow_message(to));
        return v.i;
    }
    if (from.is_text()) {
        const std::string text = text_of(v, from);
        if (to.base == SqlBase::Bit) {
            const std::string_view t = trimmed(text);
            if (iequals(t, "TRUE")) return 1;
            if (iequals(t, "FALSE")) return 0;
        }
        const auto n = integer_text(text);
        if (!n) fail(conversion_failed(from, text, to));
        if (to.base == SqlBase::Bit) return n->is_zero() ? 0 : 1;
        return in_range(*n, to,
                        "The conversion of the " + text_type_name(from) + " value '" + text +
                            "' overflowed an " + to.name() + " column.");
    }
    if (from.is_date()) {
        const std::int64_t s = datetime_of(v, from);
        const std::int64_t days = (s >= 0 ? s + kDay / 2 : s - kDay / 2 + 1) / kDay;  // noon rounds up
        return in_range(Numeric::of(days), to, overflow_message(to));
    }
    if (from.base == SqlBase::Float) {
        const double d = std::trunc(float_of(v, from));
        if (to.base == SqlBase::Bit) return d != 0 ? 1 : 0;
        if (!(d > -9.3e18 && d < 9.3e18)) fail(overflow_message(to));
        return in_range(Numeric::of(static_cast<std::int64_t>(d)), to, overflow_message(to));
    }
    if (from.is_exact()) {
        const Numeric n = exact_of(v, from, from).truncated(0);
        if (to.base == SqlBase::Bit) return n.is_zero() ? 0 : 1;
        const std::string source = from.is_integer() ? "expression" : from.name();
        return in_range(
            n, to, "Arithmetic overflow error converting " + source + " to data type " + to.name() + ".");
    }
    not_allowed(from, to);
}

Numeric exact_of(const BoundValue& v, const SqlType& from_in, const SqlType& to) {
    const SqlType from = effective_type(v, from_in);
    if (from.is_numeric()) {
        switch (v.kind) {
            case BoundValue::Kind::Int:
                return Numeric::of(v.i);
            case BoundValue::Kind::Real:
                if (!std::isfinite(v.r)) fail(overflow_message(to));
                return Numeric::of_double(v.r);
            default:
                if (const auto n = Numeric::parse(text_of(v, SqlType::of(SqlBase::VarChar)), true)) return *n;
                fail("Error converting data type varchar to " + to.name() + ".");
        }
    }
    if (from.is_text()) {
        std::string text = text_of(v, from);
        const bool money = to.base == SqlBase::Money || to.base == SqlBase::SmallMoney;
        if (money) {
            std::string plain;
            for (const char c : text)
                if (c != ',') plain.push_back(c);
            const std::string_view t = trimmed(plain);
            if (t.empty()) return Numeric::of(0);
            const bool sign = !t.empty() && (t.front() == '-' || t.front() == '+');
            const std::string_view body = t.substr(sign ? 1 : 0);
            const std::string_view digits = !body.empty() && body.front() == '$' ? body.substr(1) : body;
            if (const auto n = Numeric::parse(digits, false)) return sign && t.front() == '-' ? -*n : *n;
            fail("Cannot convert a char value to money. The char value has incorrect syntax.");
        }
        const bool floating = to.base == SqlBase::Float;
        if (const auto n = Numeric::parse(text, floating)) return *n;
        fail("Error converting data type " + text_type_name(from) + " to " + to.name() + ".");
    }
    if (from.is_date())
        return Numeric::divide(Numeric::of(datetime_of(v, from)), Numeric::of(kDay), 20, true);
    not_allowed(from, to);
}

Numeric fit(const Numeric& n, const SqlType& to, std::string_view source) {
    const Numeric r = n.rounded(scale_of(to));
    const bool within = to.base == SqlBase::Decimal ? r.integer_digits() <= to.precision - to.scale
                                                    : compare(r, money_limit(to.base, false)) <= 0 &&
                                                          compare(r, money_limit(to.base, true)) >= 0;
    if (!within)
        fail("Arithmetic overflow error converting " + std::string(source) + " to data type " + to.name() +
             ".");
    return r;
}

Numeric numeric_of(const BoundValue& v, const SqlType& from_in, const SqlType& to) {
    const SqlType from = effective_type(v, from_in);
    const std::string source =
        from.is_text() ? text_type_name(from) : (from.is_date() ? "expression" : from.name());
    if (from.is_date())
        return fit(Numeric::divide(Numeric::of(datetime_of(v, from)), Numeric::of(kDay), scale_of(to), true),
                   to, source);
    return fit(exact_of(v, from, to), to, source);
}

double float_of(const BoundValue& v, const SqlType& from_in) {
    const SqlType from = effective_type(v, from_in);
    if (from.is_date()) return static_cast<double>(datetime_of(v, from)) / kDay;
    if (v.kind == BoundValue::Kind::Int) return static_cast<double>(v.i);
    if (v.kind == BoundValue::Kind::Real) return v.r;
    if (from.is_numeric() || from.is_text()) {
        const std::string text = text_of(v, from);
        const std::string_view t = trimmed(text);
        if (t.empty() && from.is_text()) return 0;
        if (Numeric::parse(t, true)) {
            double d = 0;
            const std::string_view unsigned_text = t.front() == '+' ? t.substr(1) : t;
            std::from_chars(unsigned_text.data(), unsigned_text.data() + unsigned_text.size(), d);
            return d;
        }
        fail("Error converting data type " + text_type_name(from) + " to float.");
    }
    not_allowed(from, SqlType::of(SqlBase::Float));
}

std::int64_t datetime_of(const BoundValue& v, const SqlType& from_in) {
    const SqlType from = effective_type(v, from_in);
    const std::string overflow = overflow_message(SqlType::of(SqlBase::DateTime));
    if ((from.is_date() || from.is_text()) && v.kind != BoundValue::Kind::Int &&
        v.kind != BoundValue::Kind::Real) {
        const std::string text = text_of(v, from.is_text() ? from : SqlType::of(SqlBase::VarChar));
        if (const auto s = parse_date(text)) return *s;
        fail("Conversion failed when converting date and/or time from character string.");
    }
    if (from.base == SqlBase::Float) {
        const double s = std::round(float_of(v, from) * kDay);
        if (!(s > -1e13 && s < 1e13)) fail(overflow);
        const auto seconds = static_cast<std::int64_t>(s);
        if (!in_datetime_range(seconds)) fail(overflow);
        return seconds;
    }
    if (from.is_numeric() || from.is_date() || from.is_text()) {
        // A number of days (a date or text column may hold one too).
        const SqlType number = from.is_numeric() ? from : SqlType::decimal(38, 10);
        const Numeric seconds =
            (exact_of(v, number, SqlType::decimal(38, 10)) * Numeric::of(kDay)).rounded(0);
        const auto s = seconds.to_int64();
        if (!s || !in_datetime_range(*s)) fail(overflow);
        return *s;
    }
    not_allowed(from, SqlType::of(SqlBase::DateTime));
}

std::string text_of(const BoundValue& v, const SqlType& from_in) {
    const SqlType from = effective_type(v, from_in);
    switch (v.kind) {
        case BoundValue::Kind::Text:
        case BoundValue::Kind::Blob:
            if (from.is_text() || from.base == SqlBase::Guid || from.base == SqlBase::Binary) return v.text;
            break;
        default:
            break;
    }
    if (from.is_date()) return date_text(datetime_of(v, from), 0);
    if (from.base == SqlBase::Float) return float_text(float_of(v, from), 0);
    if (from.base == SqlBase::Bit) return integer_of(v, from, from) != 0 ? "1" : "0";
    if (v.kind == BoundValue::Kind::Int && !from.is_exact()) return std::to_string(v.i);
    if (from.base == SqlBase::Money || from.base == SqlBase::SmallMoney)
        return money_text(exact_of(v, from, from), 0);
    if (from.base == SqlBase::Decimal) return exact_of(v, from, from).to_string_fixed(from.scale);
    if (from.is_integer()) return std::to_string(integer_of(v, from, SqlType::of(SqlBase::BigInt)));
    if (v.kind == BoundValue::Kind::Int) return std::to_string(v.i);
    if (v.kind == BoundValue::Kind::Real) return Numeric::of_double(v.r).to_string();
    return v.text;
}

bool in_datetime_range(std::int64_t seconds) {
    static const std::int64_t kMin = seconds_of(DateTime::from_parts(1753, 1, 1));
    static const std::int64_t kMax = seconds_of(DateTime::from_parts(9999, 12, 31, 23, 59, 59));
    return seconds >= kMin && seconds <= kMax;
}

BoundValue datetime_value(std::int64_t seconds, const std::string& overflow) {
    if (!in_datetime_range(seconds)) fail(overflow);
    return BoundValue::str(datetime_at(seconds).compact());
}

BoundValue numeric_value(const Numeric& n) {
    if (const auto i = n.to_int64()) return BoundValue::integer(*i);
    std::string text = n.to_string();
    if (significant_digits(text) > 15) return BoundValue::str(std::move(text));
    double d = 0;
    std::from_chars(text.data(), text.data() + text.size(), d);  // exact within 15 digits
    return BoundValue::real(d);
}

std::int64_t seconds_of(const DateTime& d) {
    return (d.days() - 2) * kDay + d.seconds_of_day();  // day 2 of the platform's serial is 1900-01-01
}

DateTime datetime_at(std::int64_t seconds) {
    const std::int64_t days = seconds >= 0 ? seconds / kDay : -((-seconds + kDay - 1) / kDay);
    return DateTime::from_parts(1900, 1, 1 + static_cast<int>(days), 0, 0,
                                static_cast<int>(seconds - days * kDay));
}

}  // namespace ado::sqlite::operand
