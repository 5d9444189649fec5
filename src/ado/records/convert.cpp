#include "ado/records/convert.h"

#include <cctype>
#include <limits>
#include <optional>

#include "ado/error.h"
#include "ado/types.h"

namespace ado::detail {
namespace {

// Type codes outside DataTypeEnum that engines may still report.
constexpr int kUnsignedTinyInt = 17;
constexpr int kUnsignedSmallInt = 18;
constexpr int kUnsignedInt = 19;
constexpr int kUnsignedBigInt = 21;
constexpr int kBinary = 128;
constexpr int kDBDate = 133;
constexpr int kDBTime = 134;
constexpr int kVarNumeric = 139;
constexpr int kLongVarBinary = 205;
constexpr int kBSTR = 8;

using Wide = decltype(Decimal{}.coefficient());

// The server's name of a type, for messages in the server's words.
std::string sql_type_name(int type) {
    switch (type) {
        case adTinyInt:
        case kUnsignedTinyInt:
            return "tinyint";
        case adSmallInt:
            return "smallint";
        case adInteger:
            return "int";
        case adBigInt:
            return "bigint";
        case adCurrency:
            return "money";
        case adSingle:
            return "real";
        case adDouble:
            return "float";
        case adBoolean:
            return "bit";
        case adDate:
        case adDBTimeStamp:
        case kDBDate:
        case kDBTime:
            return "datetime";
        default:
            return "numeric";
    }
}

std::string quoted_for_message(const Variant& v) {
    std::string text;
    try {
        text = display_text(v);
    } catch (const Error&) {
        text = "?";
    }
    return utf8_left(text, 100);
}

[[noreturn]] void conversion_failed(const ColumnInfo& col, const Variant& v) {
    throw Error(kErrMultipleStep, "Conversion failed when converting the value '" + quoted_for_message(v) +
                                      "' to data type " + sql_type_name(col.type) + ".");
}

[[noreturn]] void overflow(const ColumnInfo& col) {
    throw Error(kErrOverflow, "Arithmetic overflow error converting expression to data type " +
                                  sql_type_name(col.type) + ".");
}

[[noreturn]] void null_refused(const ColumnInfo& col) {
    throw Error(kErrMultipleStep,
                "Cannot insert the value NULL into column '" + col.name + "'; column does not allow nulls.");
}

bool is_blank(std::string_view s) {
    return trim(s).empty();
}

// A number from any value the platform converts: text in the fixed form, "." (or ","
// when there is no ".") as separator, as files and statements write numbers.
Decimal to_number(const ColumnInfo& col, const Variant& v) {
    if (v.is_string()) {
        auto d = Decimal::parse(v.str());
        if (!d) conversion_failed(col, v);
        return *d;
    }
    if (v.is_date()) conversion_failed(col, v);
    try {
        return v.to_decimal();
    } catch (const Error& e) {
        if (e.number() == kErrOverflow) overflow(col);
        conversion_failed(col, v);
    }
}

Wide pow10(int n) {
    Wide p = 1;
    for (int i = 0; i < n; ++i) p *= 10;
    return p;
}

int digits_before_point(const Decimal& d) {
    Wide whole = d.coefficient() / pow10(d.scale());
    if (whole < 0) whole = -whole;
    int n = 0;
    while (whole != 0) {
        whole /= 10;
        ++n;
    }
    return n;
}

Variant to_integer_column(const ColumnInfo& col, const Variant& v) {
    // The platform rounds to even when a fraction reaches an integer field.
    const Wide n = to_number(col, v).round_to_integer_even();
    auto in = [&](auto lo, auto hi) { return n >= static_cast<Wide>(lo) && n <= static_cast<Wide>(hi); };
    switch (col.type) {
        case adTinyInt:
            if (!in(-128, 127)) overflow(col);
            return Variant(static_cast<std::int16_t>(n));
        case kUnsignedTinyInt:
            if (!in(0, 255)) overflow(col);
            return Variant(static_cast<std::int16_t>(n));
        case adSmallInt:
            if (!in(std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max()))
                overflow(col);
            return Variant(static_cast<std::int16_t>(n));
        case adInteger:
        case kUnsignedSmallInt:
            if (!in(std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()))
                overflow(col);
            return Variant(static_cast<int>(n));
        default:
            if (!in(std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max()))
                overflow(col);
            return Variant(static_cast<long long>(n));
    }
}

Variant to_decimal_column(const ColumnInfo& col, const Variant& v) {
    const bool currency = col.type == adCurrency;
    const int scale = currency ? 4 : col.numeric_scale;
    const int precision = currency ? 19 : col.precision;
    Decimal d = to_number(col, v);
    if (scale >= 0 && scale <= Decimal::kMaxScale) d = d.rounded(scale);
    // Precision 0 is "not stated" (an appended field before SetPrecision): no limit then.
    if (precision > 0 && digits_before_point(d) > precision - scale) overflow(col);
    return Variant(d);
}

bool is_word(std::string_view s, std::string_view lower) {
    if (s.size() != lower.size()) return false;
    for (std::size_t i = 0; i < s.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[i])) != lower[i]) return false;
    return true;
}

Variant to_boolean_column(const ColumnInfo& col, const Variant& v) {
    if (v.is_date()) conversion_failed(col, v);
    if (v.is_string()) {  // "True"/"False", else a number in the fields' fixed form
        const std::string text = trim(v.str());
        if (is_word(text, "true")) return Variant(true);
        if (is_word(text, "false")) return Variant(false);
        return Variant(!to_number(col, v).is_zero());
    }
    try {
        return Variant(v.to_bool());
    } catch (const Error&) {
        conversion_failed(col, v);
    }
}

Variant to_float_column(const ColumnInfo& col, const Variant& v) {
    if (v.is_string() || v.is_date()) return Variant(to_number(col, v).to_double());
    try {
        return Variant(v.to_double());
    } catch (const Error&) {
        conversion_failed(col, v);
    }
}

Variant to_date_column(const ColumnInfo& col, const Variant& v) {
    if (v.is_date()) return v;
    if (v.is_string()) {
        auto d = DateTime::parse(trim(v.str()));
        if (!d) conversion_failed(col, v);
        return Variant(*d);
    }
    try {
        return Variant(v.to_date());
    } catch (const Error&) {
        conversion_failed(col, v);
    }
}

Variant to_text_column(const ColumnInfo& col, const Variant& v, bool count_bytes) {
    std::string s = display_text(v);
    if (col.defined_size <= 0 || col.type == adGUID) return Variant(std::move(s));
    const auto width = static_cast<std::size_t>(col.defined_size);
    const std::size_t length = count_bytes ? s.size() : utf8_length(s);
    if (length <= width) return Variant(std::move(s));
    // Like the server, only blanks may be cut off the end of a text that is too long.
    const std::string kept = rtrim(s);
    if (count_bytes || utf8_length(kept) > width)
        throw Error(kErrMultipleStep, "String or binary data would be truncated.");
    return Variant(utf8_left(s, width));
}

}  // namespace

ColumnKind column_kind(int type) {
    // The platform's text and date codes are listed once, in core; here only the others.
    if (is_text_type(type)) return ColumnKind::Text;
    if (is_date_type(type)) return ColumnKind::Date;
    switch (type) {
        case adTinyInt:
        case adSmallInt:
        case adInteger:
        case adBigInt:
        case kUnsignedTinyInt:
        case kUnsignedSmallInt:
        case kUnsignedInt:
        case kUnsignedBigInt:
            return ColumnKind::Integer;
        case adDecimal:
        case adNumeric:
        case adCurrency:
        case kVarNumeric:
            return ColumnKind::Decimal;
        case adSingle:
        case adDouble:
            return ColumnKind::Float;
        case adBoolean:
            return ColumnKind::Boolean;
        case kDBDate:
        case kDBTime:
            return ColumnKind::Date;
        case adGUID:
        case kBSTR:
            return ColumnKind::Text;
        case adVarBinary:
        case kBinary:
        case kLongVarBinary:
            return ColumnKind::Binary;
        default:
            return ColumnKind::Other;
    }
}

bool is_number_kind(ColumnKind k) {
    return k == ColumnKind::Integer || k == ColumnKind::Decimal || k == ColumnKind::Float ||
           k == ColumnKind::Boolean;
}

bool admits_null(const ColumnInfo& col) {
    return (col.attributes & adFldIsNullable) != 0;
}

bool is_fixed_width_text(const ColumnInfo& col) {
    if (column_kind(col.type) != ColumnKind::Text || col.type == adGUID) return false;
    return is_fixed_text_type(col.type) || (col.attributes & adFldFixed) != 0;
}

Variant convert_for_column(const ColumnInfo& col, const Variant& v) {
    const ColumnKind kind = column_kind(col.type);
    // Empty text means "no value" for every type but text (where it is a value).
    const bool no_value = v.is_null() || v.is_empty() ||
                          (v.is_string() && kind != ColumnKind::Text && kind != ColumnKind::Binary &&
                           kind != ColumnKind::Other && is_blank(v.str()));
    if (no_value) {
        if (!admits_null(col)) null_refused(col);
        return Variant(Null);
    }
    switch (kind) {
        case ColumnKind::Integer:
            return to_integer_column(col, v);
        case ColumnKind::Decimal:
            return to_decimal_column(col, v);
        case ColumnKind::Float:
            return to_float_column(col, v);
        case ColumnKind::Boolean:
            return to_boolean_column(col, v);
        case ColumnKind::Date:
            return to_date_column(col, v);
        case ColumnKind::Text:
            return to_text_column(col, v, false);
        case ColumnKind::Binary:
            return to_text_column(col, v, true);
        case ColumnKind::Other:
            break;
    }
    return v;
}

Variant read_back(const ColumnInfo& col, const Variant& stored) {
    if (!stored.is_string() || col.defined_size <= 0 || !is_fixed_width_text(col)) return stored;
    const std::size_t length = utf8_length(stored.str());
    const auto width = static_cast<std::size_t>(col.defined_size);
    if (length >= width) return stored;
    return Variant(stored.str() + std::string(width - length, ' '));
}

std::string display_text(const Variant& v) {
    if (v.is_date()) return v.date().iso();
    if (v.is_string()) return v.str();
    return v.to_string();
}

}  // namespace ado::detail
