#pragma once
// The value type every layer passes around, with the platform's subtypes and the
// conversions the module relies on. Amounts are Decimal, never double.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "ado/datetime.h"
#include "ado/decimal.h"

namespace ado {

// Subtype codes as the platform's VarType reports them.
enum class VarType : int {
    Empty = 0,
    Null = 1,
    Integer = 2,  // 16-bit
    Long = 3,     // 32-bit
    Double = 5,
    Date = 7,
    String = 8,
    Boolean = 11,
    Decimal = 14,
    LongLong = 20,  // 64-bit
};

struct EmptyTag {
    friend bool operator==(EmptyTag, EmptyTag) { return true; }
};
struct NullTag {
    friend bool operator==(NullTag, NullTag) { return true; }
};
inline constexpr NullTag Null{};

class Variant {
  public:
    Variant() = default;                                        // Empty
    Variant(NullTag) : v_(NullTag{}) {}                         // NOLINT
    Variant(bool b) : v_(b) {}                                  // NOLINT
    Variant(std::int16_t i) : v_(i) {}                          // NOLINT
    Variant(int i) : v_(static_cast<std::int32_t>(i)) {}        // NOLINT Long
    Variant(long i) : v_(static_cast<std::int64_t>(i)) {}       // NOLINT LongLong
    Variant(long long i) : v_(static_cast<std::int64_t>(i)) {}  // NOLINT LongLong
    Variant(double d) : v_(d) {}                                // NOLINT
    Variant(const Decimal& d) : v_(d) {}                        // NOLINT
    Variant(const DateTime& d) : v_(d) {}                       // NOLINT
    Variant(std::string s) : v_(std::move(s)) {}                // NOLINT
    Variant(std::string_view s) : v_(std::string(s)) {}         // NOLINT
    Variant(const char* s) : v_(std::string(s)) {}              // NOLINT

    static Variant long_value(std::int32_t v) { return Variant(static_cast<int>(v)); }
    static Variant integer_value(std::int16_t v) { return Variant(v); }

    VarType type() const;
    bool is_empty() const { return std::holds_alternative<EmptyTag>(v_); }
    bool is_null() const { return std::holds_alternative<NullTag>(v_); }
    bool is_string() const { return std::holds_alternative<std::string>(v_); }
    bool is_date() const { return std::holds_alternative<DateTime>(v_); }
    bool is_numeric_type() const;  // Integer, Long, LongLong, Double, Decimal, Boolean

    // Direct access; throws ado::Error (type mismatch) when the subtype differs.
    const std::string& str() const;
    const DateTime& date() const;

    // Conversions with the platform's rules. All throw ado::Error: type mismatch for text
    // that is not a number/date, invalid use of Null for Null (Empty converts to 0 / "").
    // Text becomes a number in the user's regional form ("1.234,56", see
    // regional_number_text) and a date through DateTime::parse; a Double becomes a Decimal
    // or text through its 15 significant digits (double_digits: CStr(0.1 + 0.2) is "0.3").
    std::string to_string() const;    // CStr: Empty -> "", Boolean -> "True"/"False"
    std::int16_t to_integer() const;  // CInt (banker's rounding, overflow checked)
    std::int32_t to_long() const;     // CLng
    std::int64_t to_longlong() const;
    Decimal to_decimal() const;  // CDec
    double to_double() const;    // CDbl (never for amounts)
    bool to_bool() const;        // CBool
    DateTime to_date() const;    // CDate: text parsed by DateTime::parse

    // IsNumeric / IsDate of the platform (text that converts without error).
    bool is_numeric() const;
    bool is_date_like() const;

    // Text with Null and Empty taken as "": the common "null taken as empty" of the module.
    std::string text_or_empty() const;

    // Equality of subtype and value (Empty == Empty, Null == Null); numbers of different
    // integer widths and Decimal compare by value.
    friend bool operator==(const Variant& a, const Variant& b);

  private:
    std::variant<EmptyTag, NullTag, bool, std::int16_t, std::int32_t, std::int64_t, double, Decimal, DateTime,
                 std::string>
        v_;
    friend struct VariantAccess;
};

// Compare two non-null values as the database and filters do: numbers by value, dates by
// time, texts by the collation (case and trailing blanks ignored unless `exact_text`).
// Throws ado::Error (type mismatch) when they cannot be compared.
int compare_values(const Variant& a, const Variant& b, bool exact_text = false);

// Text helpers shared by the layers. Widths count characters (UTF-8 code points).
std::size_t utf8_length(std::string_view s);
// The code point at s[i], moving i past it. A malformed byte stands for itself, so every byte
// string still has one well-defined order.
char32_t next_code_point(std::string_view s, std::size_t& i);
std::string utf8_left(std::string_view s, std::size_t chars);
std::string rtrim(std::string_view s);
std::string ltrim(std::string_view s);
std::string trim(std::string_view s);
// Collation of the database: case-insensitive, accent-sensitive, trailing blanks ignored
// (ado/core/collation.h has the rest of it).
int collate_compare(std::string_view a, std::string_view b);

}  // namespace ado
