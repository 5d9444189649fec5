// Arithmetic, comparison and CAST/CONVERT with the server's semantics; the operands are
// read and converted by sql_operand.cpp, dates handled in sql_dates.cpp.
#include "ado/sqlite/sql_eval.h"

#include <array>
#include <cmath>
#include <limits>

#include "ado/error.h"
#include "ado/sqlite/sql_operand.h"
#include "ado/sqlite/values.h"
#include "ado/variant.h"

namespace ado::sqlite {
namespace {

using operand::fail;

const std::string& divide_by_zero() {
    static const std::string kText(kDivideByZero);
    return kText;
}

bool fits(std::int64_t v, SqlBase b) {
    switch (b) {
        case SqlBase::TinyInt:
            return v >= 0 && v <= 255;
        case SqlBase::SmallInt:
            return v >= -32768 && v <= 32767;
        case SqlBase::Int:
            return v >= std::numeric_limits<std::int32_t>::min() &&
                   v <= std::numeric_limits<std::int32_t>::max();
        default:
            return true;
    }
}

BoundValue integer_arithmetic(ArithOp op, std::int64_t x, std::int64_t y, const SqlType& result) {
    std::int64_t r = 0;
    bool over = false;
    switch (op) {
        case ArithOp::Add:
            over = __builtin_add_overflow(x, y, &r);
            break;
        case ArithOp::Sub:
            over = __builtin_sub_overflow(x, y, &r);
            break;
        case ArithOp::Mul:
            over = __builtin_mul_overflow(x, y, &r);
            break;
        case ArithOp::Div:
            if (y == 0) fail(divide_by_zero());
            over = x == std::numeric_limits<std::int64_t>::min() && y == -1;
            r = over ? 0 : x / y;  // toward zero, as the server's integer division
            break;
        case ArithOp::Mod:
            if (y == 0) fail(divide_by_zero());
            r = y == -1 ? 0 : x % y;  // the dividend's sign
            break;
    }
    if (!over && fits(r, result.base)) return BoundValue::integer(r);
    if (!over && (result.base == SqlBase::TinyInt || result.base == SqlBase::SmallInt))
        fail("Arithmetic overflow error for data type " + result.name() + ", value = " + std::to_string(r) +
             ".");
    fail(overflow_message(result));
}

Numeric exact_arithmetic(ArithOp op, const Numeric& x, const Numeric& y, int quotient_scale, bool round) {
    switch (op) {
        case ArithOp::Add:
            return x + y;
        case ArithOp::Sub:
            return x - y;
        case ArithOp::Mul:
            return x * y;
        case ArithOp::Div:
            if (y.is_zero()) fail(divide_by_zero());
            return Numeric::divide(x, y, quotient_scale, round);
        case ArithOp::Mod:
            break;
    }
    if (y.is_zero()) fail(divide_by_zero());
    return Numeric::remainder(x, y);
}

double float_arithmetic(ArithOp op, double x, double y, const SqlType& result) {
    double r = 0;
    switch (op) {
        case ArithOp::Add:
            r = x + y;
            break;
        case ArithOp::Sub:
            r = x - y;
            break;
        case ArithOp::Mul:
            r = x * y;
            break;
        case ArithOp::Div:
        case ArithOp::Mod:
            if (y == 0) fail(divide_by_zero());
            r = op == ArithOp::Div ? x / y : std::fmod(x, y);
            break;
    }
    if (!std::isfinite(r)) fail(overflow_message(result));
    return r;
}

// The order the server gives GUIDs: the last six bytes first, then the groups before them
// from right to left, each of the first three groups read from its last byte.
int compare_guids(const std::string& a, const std::string& b) {
    static constexpr std::array<int, 16> kOrder = {10, 11, 12, 13, 14, 15, 8, 9, 7, 6, 5, 4, 3, 2, 1, 0};
    auto byte_text = [](const std::string& g, int i) {
        const std::size_t at = static_cast<std::size_t>(2 * i + (i >= 4) + (i >= 6) + (i >= 8) + (i >= 10));
        return g.substr(at, 2);
    };
    for (const int i : kOrder) {
        const int c = byte_text(a, i).compare(byte_text(b, i));
        if (c != 0) return c < 0 ? -1 : 1;
    }
    return 0;
}

int sign(int c) {
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

// Which kinds the server compares at all: numbers, texts and datetimes with each other, a
// GUID or binary with its own kind or text.
void check_comparable(const SqlType& x, const SqlType& y) {
    auto kind = [](const SqlType& t) {
        if (t.base == SqlBase::Guid) return 1;
        if (t.base == SqlBase::Binary) return 2;
        return t.is_text() ? 3 : 0;
    };
    const int kx = kind(x);
    const int ky = kind(y);
    const bool ok = kx == ky || kx == 3 || ky == 3;
    if (!ok) fail("Operand type clash: " + x.name() + " is incompatible with " + y.name());
}

std::string text_for(const BoundValue& v, const SqlType& from, int style) {
    if (from.is_date()) return operand::date_text(operand::datetime_of(v, from), style);
    if (from.base == SqlBase::Money || from.base == SqlBase::SmallMoney)
        return operand::money_text(operand::exact_of(v, from, from), style);
    if (from.base == SqlBase::Float) return operand::float_text(operand::float_of(v, from), style);
    return operand::text_of(v, from);
}

BoundValue to_text(const BoundValue& v, const SqlType& from, const SqlType& to, int style) {
    std::string text = text_for(v, from, style);
    if (to.length > 0 && !from.is_text() && utf8_length(text) > static_cast<std::size_t>(to.length)) {
        if (from.is_integer()) return BoundValue::str("*");
        if (from.is_numeric())
            fail("Arithmetic overflow error converting " + from.name() + " to data type " + to.name() + ".");
        text = utf8_left(text, static_cast<std::size_t>(to.length));
    }
    return BoundValue::str(std::move(text));
}

}  // namespace

std::string overflow_message(const SqlType& type) {
    return "Arithmetic overflow error converting expression to data type " + type.name() + ".";
}

int server_error_number(std::string_view message) {
    struct Known {
        std::string_view start;
        std::string_view inside;
        int number;
    };
    static constexpr std::array<Known, 17> kKnown = {{
        {"Divide by zero error encountered.", "", 8134},
        {"Arithmetic overflow error for data type ", "", 220},
        {"Arithmetic overflow error converting ", "", 8115},
        {"Conversion failed when converting date and/or time from character string.", "", 241},
        {"Conversion failed when converting from a character string to uniqueidentifier.", "", 8169},
        {"Conversion failed when converting the ", " to data type ", 245},
        {"The conversion of a ", " resulted in an out-of-range value.", 242},
        {"The conversion of the ", " overflowed an ", 248},
        {"Error converting data type ", "", 8114},
        {"Operand type clash: ", "", 206},
        {"Operand data type ", " is invalid for ", 8117},
        {"The data types ", " are incompatible in the ", 402},
        {"Adding a value to a 'datetime' column caused an overflow.", "", 517},
        {"Explicit conversion from data type ", " is not allowed.", 529},
        {"Cannot convert a char value to money.", "", 235},
        {"The datediff function resulted in an overflow.", "", 535},
        {"The datepart ", " is not supported by date function ", 9810},
    }};
    for (const auto& k : kKnown)
        if (message.starts_with(k.start) &&
            (k.inside.empty() || message.find(k.inside) != std::string_view::npos))
            return k.number;
    return 0;
}

BoundValue exact_value(const Decimal& d) {
    return operand::numeric_value(Numeric::of(d));
}

Decimal decimal_of(const BoundValue& v) {
    switch (v.kind) {
        case BoundValue::Kind::Int:
            return Decimal(v.i);
        case BoundValue::Kind::Null:
            throw Error(kErrInvalidUse, "Invalid use of Null");
        default:
            break;
    }
    const auto n = v.kind == BoundValue::Kind::Real ? std::optional<Numeric>(Numeric::of_double(v.r))
                                                    : Numeric::parse(v.text, true);
    if (!n) fail("Error converting data type varchar to numeric.");
    if (const auto d = n->to_decimal()) return *d;
    fail("Arithmetic overflow error converting varchar to data type numeric.");
}

BoundValue arithmetic(ArithOp op, const BoundValue& a, const SqlType& ta, const BoundValue& b,
                      const SqlType& tb, const SqlType& result_in) {
    if (a.kind == BoundValue::Kind::Null || b.kind == BoundValue::Kind::Null) return BoundValue::null();
    const SqlType x = operand::effective_type(a, ta);
    const SqlType y = operand::effective_type(b, tb);
    const SqlType result = result_in.known() ? result_in : arithmetic_type(op, x, y);
    switch (result.base) {
        case SqlBase::Char:
        case SqlBase::VarChar:
        case SqlBase::NChar:
        case SqlBase::NVarChar:
            return BoundValue::str(operand::text_of(a, x) + operand::text_of(b, y));
        case SqlBase::Binary: {
            BoundValue joined = BoundValue::str(a.text + b.text);
            joined.kind = BoundValue::Kind::Blob;
            return joined;
        }
        case SqlBase::DateTime: {
            const std::int64_t sx = operand::datetime_of(a, x);
            const std::int64_t sy = operand::datetime_of(b, y);
            return operand::datetime_value(op == ArithOp::Sub ? sx - sy : sx + sy, overflow_message(result));
        }
        case SqlBase::Float:
            return BoundValue::real(
                float_arithmetic(op, operand::float_of(a, x), operand::float_of(b, y), result));
        case SqlBase::Decimal: {
            // A text operand takes the other operand's type, as the server converts it.
            const Numeric nx = operand::numeric_of(a, x, decimal_form(x.is_text() ? y : x));
            const Numeric ny = operand::numeric_of(b, y, decimal_form(y.is_text() ? x : y));
            const Numeric r = exact_arithmetic(op, nx, ny, result.scale, false);  // quotients truncated
            return operand::numeric_value(operand::fit(r, result, "expression"));
        }
        case SqlBase::Money:
        case SqlBase::SmallMoney: {
            const Numeric nx = operand::numeric_of(a, x, result);
            const Numeric ny = operand::numeric_of(b, y, result);
            const Numeric r = exact_arithmetic(op, nx, ny, 4, true);  // products and quotients rounded
            return operand::numeric_value(operand::fit(r, result, "expression"));
        }
        case SqlBase::TinyInt:
        case SqlBase::SmallInt:
        case SqlBase::Int:
        case SqlBase::BigInt:
            return integer_arithmetic(op, operand::integer_of(a, x, result),
                                      operand::integer_of(b, y, result), result);
        default:
            break;
    }
    fail("The embedded engine cannot compute " + x.name() + " and " + y.name() + " as " + result.name() +
         ".");
}

std::optional<int> compare(const BoundValue& a, const SqlType& ta, const BoundValue& b, const SqlType& tb) {
    if (a.kind == BoundValue::Kind::Null || b.kind == BoundValue::Kind::Null) return std::nullopt;
    const SqlType x = operand::effective_type(a, ta);
    const SqlType y = operand::effective_type(b, tb);
    check_comparable(x, y);
    const SqlType common = higher_precedence(x, y);
    if (common.is_text()) return sign(collate_compare(operand::text_of(a, x), operand::text_of(b, y)));
    switch (common.base) {
        case SqlBase::Guid:
            return compare_guids(normalize_guid(operand::text_of(a, x)),
                                 normalize_guid(operand::text_of(b, y)));
        case SqlBase::Binary:
            return sign(a.text.compare(b.text));
        case SqlBase::DateTime: {
            const std::int64_t sx = operand::datetime_of(a, x);
            const std::int64_t sy = operand::datetime_of(b, y);
            return sx < sy ? -1 : (sx > sy ? 1 : 0);
        }
        case SqlBase::Float: {
            const double fx = operand::float_of(a, x);
            const double fy = operand::float_of(b, y);
            return fx < fy ? -1 : (fx > fy ? 1 : 0);
        }
        case SqlBase::Decimal:
        case SqlBase::Money:
        case SqlBase::SmallMoney:
            return compare(operand::exact_of(a, x, common), operand::exact_of(b, y, common));
        default:
            break;
    }
    const std::int64_t ix = operand::integer_of(a, x, common);
    const std::int64_t iy = operand::integer_of(b, y, common);
    return ix < iy ? -1 : (ix > iy ? 1 : 0);
}

BoundValue convert(const BoundValue& v, const SqlType& from_in, const SqlType& to, int style) {
    if (v.kind == BoundValue::Kind::Null) return BoundValue::null();
    if (!to.known() || to.base == SqlBase::Null) return v;
    const SqlType from = operand::effective_type(v, from_in);
    switch (to.base) {
        case SqlBase::Bit:
        case SqlBase::TinyInt:
        case SqlBase::SmallInt:
        case SqlBase::Int:
        case SqlBase::BigInt:
            return BoundValue::integer(operand::integer_of(v, from, to));
        case SqlBase::Decimal:
        case SqlBase::Money:
        case SqlBase::SmallMoney:
            return operand::numeric_value(operand::numeric_of(v, from, to));
        case SqlBase::Float: {
            const double d = operand::float_of(v, from);
            if (!std::isfinite(d)) fail(overflow_message(to));
            return BoundValue::real(d);
        }
        case SqlBase::DateTime: {
            const bool text = from.is_text() && v.kind == BoundValue::Kind::Text;
            const std::int64_t s =
                text ? operand::date_from_text(v.text, style) : operand::datetime_of(v, from);
            return operand::datetime_value(s, overflow_message(to));
        }
        case SqlBase::Guid:
            if (from.base == SqlBase::Guid || from.is_text())
                return BoundValue::str(normalize_guid(operand::text_of(v, from)));
            break;
        case SqlBase::Char:
        case SqlBase::VarChar:
        case SqlBase::NChar:
        case SqlBase::NVarChar:
            if (from.base != SqlBase::Binary) return to_text(v, from, to, style);
            break;
        default:
            break;
    }
    if ((to.base == SqlBase::Binary && (from.is_text() || from.base == SqlBase::Binary)) ||
        (to.is_text() && from.base == SqlBase::Binary)) {
        BoundValue out = BoundValue::str(v.text);
        out.kind = to.base == SqlBase::Binary ? BoundValue::Kind::Blob : BoundValue::Kind::Text;
        return out;
    }
    fail("Explicit conversion from data type " + from.name() + " to " + to.name() + " is not allowed.");
}

}  // namespace ado::sqlite
