// Variant subtypes and the platform's conversion rules between them.
#include "ado/variant.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>

#include "ado/error.h"

namespace ado {

struct VariantAccess {
    static const auto& raw(const Variant& v) { return v.v_; }
};

namespace {

[[noreturn]] void type_mismatch() {
    throw Error(kErrTypeMismatch, "Type mismatch");
}
[[noreturn]] void invalid_null() {
    throw Error(kErrInvalidUse, "Invalid use of Null");
}
[[noreturn]] void overflow() {
    throw Error(kErrOverflow, "Overflow");
}

const std::string* text_of(const Variant& v) {
    return std::get_if<std::string>(&VariantAccess::raw(v));
}
const double* double_of(const Variant& v) {
    return std::get_if<double>(&VariantAccess::raw(v));
}

// Integer subtypes (Boolean as -1 / 0), if the value is one.
std::optional<std::int64_t> integral_of(const Variant& v) {
    const auto& raw = VariantAccess::raw(v);
    if (const auto* b = std::get_if<bool>(&raw)) return *b ? -1 : 0;
    if (const auto* i = std::get_if<std::int16_t>(&raw)) return *i;
    if (const auto* l = std::get_if<std::int32_t>(&raw)) return *l;
    if (const auto* ll = std::get_if<std::int64_t>(&raw)) return *ll;
    return std::nullopt;
}

bool is_number(const Variant& v) {
    return v.is_numeric_type();
}

std::string_view strip_blanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// Numeric text beyond the Decimal's range ("1E300") is still a number to the platform.
// The fixed form ("." point, "," when there is no "."), for comparisons with text.
std::optional<double> parse_double_text(std::string_view text) {
    std::string t(strip_blanks(text));
    if (t.find('.') == std::string::npos) {
        const std::size_t comma = t.find(',');
        if (comma != std::string::npos) t[comma] = '.';
    }
    std::size_t start = (!t.empty() && t[0] == '+') ? 1 : 0;
    if (start < t.size() && !(t[start] == '.' || (t[start] >= '0' && t[start] <= '9') || t[start] == '-'))
        return std::nullopt;
    double v = 0;
    const auto res = std::from_chars(t.data() + start, t.data() + t.size(), v);
    if (res.ec != std::errc() || res.ptr != t.data() + t.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

// CDbl of text: the regional form (see regional_number_text). A magnitude beyond the
// double's range is an overflow; one below it is 0.
std::optional<double> regional_double(std::string_view text) {
    const std::optional<std::string> plain = regional_number_text(text);
    if (!plain) return std::nullopt;
    double v = 0;
    const auto res = std::from_chars(plain->data(), plain->data() + plain->size(), v);
    if (res.ec == std::errc::result_out_of_range) {
        if (const auto d = Decimal::parse(*plain)) return d->to_double();
        overflow();
    }
    if (res.ec != std::errc() || res.ptr != plain->data() + plain->size()) return std::nullopt;
    return v;
}

// The platform's serial number of a date: negative dates keep a positive time fraction
// (-1.5 is 1899-12-29 12:00).
Decimal serial_of(const DateTime& d) {
    const Decimal fraction = Decimal(d.seconds_of_day()) / Decimal(86400);
    return d.days() < 0 ? Decimal(d.days()) - fraction : Decimal(d.days()) + fraction;
}

DateTime date_of_serial(const Decimal& serial) {
    if (serial.integer_digits() > 7) overflow();
    const Decimal whole = Decimal(static_cast<std::int64_t>(serial.rounded(0).coefficient()));
    // Truncate toward zero: the whole part is the day, the fraction the time of day.
    Decimal days = whole;
    if (serial.is_negative() && whole < serial) days = whole + Decimal(1);
    if (!serial.is_negative() && whole > serial) days = whole - Decimal(1);
    Decimal fraction = serial - days;
    if (fraction.is_negative()) fraction = -fraction;
    const auto secs = static_cast<int>((fraction * Decimal(86400)).round_to_integer_even());
    return DateTime::from_parts(1899, 12, 30 + static_cast<int>(days.coefficient()), 0, 0, secs);
}

double serial_double(const DateTime& d) {
    const double fraction = d.seconds_of_day() / 86400.0;
    return d.days() < 0 ? static_cast<double>(d.days()) - fraction : static_cast<double>(d.days()) + fraction;
}

// Whole-number conversions: banker's rounding, then the target's range.
std::int64_t to_integral(const Variant& v, std::int64_t lo, std::int64_t hi) {
    Int128 value = 0;
    if (const auto i = integral_of(v)) {
        value = *i;
    } else {
        value = v.to_decimal().round_to_integer_even();
    }
    if (value < lo || value > hi) overflow();
    return static_cast<std::int64_t>(value);
}

// Numbers by exact value; two Doubles, or a Double beyond the Decimal's range, are
// compared as doubles (0.1 + 0.2 is not the Double 0.3, though both become CDec 0.3).
int compare_numbers(const Variant& a, const Variant& b) {
    const double* da = double_of(a);
    const double* db = double_of(b);
    if (da != nullptr && db != nullptr) {
        if (std::isnan(*da) || std::isnan(*db)) type_mismatch();
        return *da < *db ? -1 : (*da > *db ? 1 : 0);
    }
    if (da != nullptr || db != nullptr) {
        try {
            const Decimal x = a.to_decimal();
            const Decimal y = b.to_decimal();
            return x < y ? -1 : (x > y ? 1 : 0);
        } catch (const Error&) {
            const double x = a.to_double();
            const double y = b.to_double();
            if (std::isnan(x) || std::isnan(y)) type_mismatch();  // NaN has no place in an order
            return x < y ? -1 : (x > y ? 1 : 0);
        }
    }
    const Decimal x = a.to_decimal();
    const Decimal y = b.to_decimal();
    return x < y ? -1 : (x > y ? 1 : 0);
}

// Text on the other side of a number becomes a number (type mismatch when it is not one).
Variant text_as_number(const std::string& text) {
    if (const auto d = Decimal::parse(text)) return Variant(*d);
    if (const auto f = parse_double_text(text)) return Variant(*f);
    type_mismatch();
}

// Empty takes the neutral value of the other operand's kind.
Variant empty_like(const Variant& other) {
    if (other.is_string()) return Variant(std::string());
    if (other.is_date()) return Variant(DateTime());
    return Variant(0);
}

bool equals_ignoring_case(std::string_view s, std::string_view lower) {
    if (s.size() != lower.size()) return false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = (s[i] >= 'A' && s[i] <= 'Z') ? static_cast<char>(s[i] + 32) : s[i];
        if (c != lower[i]) return false;
    }
    return true;
}

int sign_of(int c) {
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

}  // namespace

VarType Variant::type() const {
    static constexpr std::array<VarType, 10> kTypes = {
        VarType::Empty,    VarType::Null,   VarType::Boolean, VarType::Integer, VarType::Long,
        VarType::LongLong, VarType::Double, VarType::Decimal, VarType::Date,    VarType::String};
    return kTypes[v_.index()];
}

bool Variant::is_numeric_type() const {
    switch (type()) {
        case VarType::Integer:
        case VarType::Long:
        case VarType::LongLong:
        case VarType::Double:
        case VarType::Decimal:
        case VarType::Boolean:
            return true;
        default:
            return false;
    }
}

const std::string& Variant::str() const {
    if (const auto* s = std::get_if<std::string>(&v_)) return *s;
    type_mismatch();
}

const DateTime& Variant::date() const {
    if (const auto* d = std::get_if<DateTime>(&v_)) return *d;
    type_mismatch();
}

std::string Variant::to_string() const {
    switch (type()) {
        case VarType::Empty:
            return std::string();
        case VarType::Null:
            invalid_null();
        case VarType::Boolean:
            return std::get<bool>(v_) ? "True" : "False";
        case VarType::Double:
            return double_text(std::get<double>(v_));
        case VarType::Decimal:
            return std::get<Decimal>(v_).to_string();
        case VarType::Date:
            return std::get<DateTime>(v_).iso();
        case VarType::String:
            return std::get<std::string>(v_);
        default:
            return std::to_string(*integral_of(*this));
    }
}

std::int16_t Variant::to_integer() const {
    return static_cast<std::int16_t>(to_integral(*this, std::numeric_limits<std::int16_t>::min(),
                                                 std::numeric_limits<std::int16_t>::max()));
}

std::int32_t Variant::to_long() const {
    return static_cast<std::int32_t>(to_integral(*this, std::numeric_limits<std::int32_t>::min(),
                                                 std::numeric_limits<std::int32_t>::max()));
}

std::int64_t Variant::to_longlong() const {
    return to_integral(*this, std::numeric_limits<std::int64_t>::min(),
                       std::numeric_limits<std::int64_t>::max());
}

Decimal Variant::to_decimal() const {
    if (const auto i = integral_of(*this)) return Decimal(*i);
    switch (type()) {
        case VarType::Empty:
            return Decimal();
        case VarType::Null:
            invalid_null();
        case VarType::Double:
            return Decimal::from_double(std::get<double>(v_));
        case VarType::Decimal:
            return std::get<Decimal>(v_);
        case VarType::Date:
            return serial_of(std::get<DateTime>(v_));
        default:
            break;
    }
    const std::optional<std::string> plain = regional_number_text(std::get<std::string>(v_));
    if (!plain) type_mismatch();
    return Decimal::from_string(*plain);
}

double Variant::to_double() const {
    if (const auto i = integral_of(*this)) return static_cast<double>(*i);
    switch (type()) {
        case VarType::Empty:
            return 0.0;
        case VarType::Null:
            invalid_null();
        case VarType::Double:
            return std::get<double>(v_);
        case VarType::Decimal:
            return std::get<Decimal>(v_).to_double();
        case VarType::Date:
            return serial_double(std::get<DateTime>(v_));
        default:
            break;
    }
    if (const auto f = regional_double(std::get<std::string>(v_))) return *f;
    type_mismatch();
}

bool Variant::to_bool() const {
    if (const auto i = integral_of(*this)) return *i != 0;
    switch (type()) {
        case VarType::Empty:
            return false;
        case VarType::Null:
            invalid_null();
        case VarType::Double:
            return std::get<double>(v_) != 0.0;
        case VarType::Decimal:
            return !std::get<Decimal>(v_).is_zero();
        case VarType::Date:
            return std::get<DateTime>(v_) != DateTime();
        default:
            break;
    }
    const std::string_view s = strip_blanks(std::get<std::string>(v_));
    if (equals_ignoring_case(s, "true")) return true;
    if (equals_ignoring_case(s, "false")) return false;
    return to_double() != 0.0;
}

DateTime Variant::to_date() const {
    switch (type()) {
        case VarType::Empty:
            return DateTime();
        case VarType::Null:
            invalid_null();
        case VarType::Date:
            return std::get<DateTime>(v_);
        case VarType::String: {
            if (const auto d = DateTime::parse(std::get<std::string>(v_))) return *d;
            type_mismatch();
        }
        default:
            return date_of_serial(to_decimal());
    }
}

bool Variant::is_numeric() const {
    switch (type()) {
        case VarType::Null:
        case VarType::Date:
            return false;
        case VarType::String:
            try {
                return regional_double(std::get<std::string>(v_)).has_value();
            } catch (const Error&) {
                return false;  // beyond the double's range: CDbl fails, so not numeric
            }
        default:
            return true;  // Empty counts as numeric, as on the platform
    }
}

bool Variant::is_date_like() const {
    if (is_date()) return true;
    if (const auto* s = text_of(*this)) return DateTime::parse(*s).has_value();
    return false;
}

std::string Variant::text_or_empty() const {
    if (is_null() || is_empty()) return std::string();
    return to_string();
}

bool operator==(const Variant& a, const Variant& b) {
    const bool na = is_number(a) && a.type() != VarType::Boolean;
    const bool nb = is_number(b) && b.type() != VarType::Boolean;
    if (na && nb) {
        const double* da = double_of(a);
        const double* db = double_of(b);
        if ((da != nullptr && std::isnan(*da)) || (db != nullptr && std::isnan(*db))) return false;
        return compare_numbers(a, b) == 0;
    }
    if (a.v_.index() != b.v_.index()) return false;
    return a.v_ == b.v_;
}

int compare_values(const Variant& a, const Variant& b, bool exact_text) {
    if (a.is_null() || b.is_null()) invalid_null();
    if (a.is_empty() && b.is_empty()) return 0;
    if (a.is_empty()) return compare_values(empty_like(b), b, exact_text);
    if (b.is_empty()) return compare_values(a, empty_like(a), exact_text);

    const std::string* ta = text_of(a);
    const std::string* tb = text_of(b);
    if (ta != nullptr && tb != nullptr)
        return exact_text ? sign_of(ta->compare(*tb)) : sign_of(collate_compare(*ta, *tb));
    if (a.is_date() || b.is_date()) {
        if (ta != nullptr || tb != nullptr || (a.is_date() && b.is_date())) {
            const DateTime x = a.to_date();  // text that is not a date: type mismatch
            const DateTime y = b.to_date();
            return x < y ? -1 : (x > y ? 1 : 0);
        }
        // A date against a number: by the date's serial number.
        return compare_numbers(Variant(a.to_decimal()), Variant(b.to_decimal()));
    }
    if (ta != nullptr) return compare_numbers(text_as_number(*ta), b);
    if (tb != nullptr) return compare_numbers(a, text_as_number(*tb));
    return compare_numbers(a, b);
}

}  // namespace ado
