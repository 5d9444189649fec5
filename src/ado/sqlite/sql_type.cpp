#include "ado/sqlite/sql_type.h"

#include <algorithm>
#include <array>

#include "ado/error.h"
#include "ado/sqlite/tokenizer.h"
#include "ado/variant.h"

namespace ado::sqlite {
namespace {

constexpr int kMaxPrecision = 38;

[[noreturn]] void refuse(const std::string& message) {
    throw Error(kErrProvider, message);
}

// Position in the server's precedence list (higher wins): uniqueidentifier above the text
// kinds, binary below them.
int rank(SqlBase b) {
    switch (b) {
        case SqlBase::DateTime:
            return 16;
        case SqlBase::Float:
            return 15;
        case SqlBase::Decimal:
            return 14;
        case SqlBase::Money:
            return 13;
        case SqlBase::SmallMoney:
            return 12;
        case SqlBase::BigInt:
            return 11;
        case SqlBase::Int:
            return 10;
        case SqlBase::SmallInt:
            return 9;
        case SqlBase::TinyInt:
            return 8;
        case SqlBase::Bit:
            return 7;
        case SqlBase::Guid:
            return 6;
        case SqlBase::NVarChar:
            return 5;
        case SqlBase::NChar:
            return 4;
        case SqlBase::VarChar:
            return 3;
        case SqlBase::Char:
            return 2;
        default:
            return 0;
    }
}

SqlType money_of(SqlBase b) {
    return b == SqlBase::Money ? SqlType{SqlBase::Money, 19, 4, 0} : SqlType{SqlBase::SmallMoney, 10, 4, 0};
}

const char* operator_name(ArithOp op) {
    static constexpr std::array<const char*, 5> kNames = {"add", "subtract", "multiply", "divide", "modulo"};
    return kNames[static_cast<std::size_t>(op) - 1];
}

[[noreturn]] void invalid_operand(const SqlType& t, const char* op) {
    refuse("Operand data type " + t.name() + " is invalid for " + op + " operator.");
}

// Precision beyond 38: + and - keep the integral digits of the wider operand; * and /
// keep the integral part while it is below 32 digits, else at most 6 decimals.
SqlType reduced(int p, int s, int integral_of_operands, bool additive) {
    if (p <= kMaxPrecision) return SqlType::decimal(p, s);
    if (additive) return SqlType::decimal(kMaxPrecision, std::min(s, kMaxPrecision - integral_of_operands));
    const int integral = p - s;
    return SqlType::decimal(kMaxPrecision,
                            integral < 32 ? std::min(s, kMaxPrecision - integral) : std::min(s, 6));
}

SqlType decimal_result(ArithOp op, const SqlType& a, const SqlType& b) {
    const int p1 = a.precision, s1 = a.scale, p2 = b.precision, s2 = b.scale;
    const int integral = std::max(p1 - s1, p2 - s2);
    switch (op) {
        case ArithOp::Add:
        case ArithOp::Sub:
            return reduced(std::max(s1, s2) + integral + 1, std::max(s1, s2), integral, true);
        case ArithOp::Mul:
            return reduced(p1 + p2 + 1, s1 + s2, 0, false);
        case ArithOp::Div: {
            const int s = std::max(6, s1 + p2 + 1);
            return reduced(p1 - s1 + s2 + s, s, 0, false);
        }
        case ArithOp::Mod:
            break;
    }
    return SqlType::decimal(std::min(p1 - s1, p2 - s2) + std::max(s1, s2), std::max(s1, s2));
}

SqlType text_result(const SqlType& a, const SqlType& b) {
    SqlType r = rank(a.base) >= rank(b.base) ? a : b;
    const bool wide = r.base == SqlBase::NVarChar || r.base == SqlBase::NChar;
    if (a.length < 0 || b.length < 0)
        r.length = -1;
    else if (a.length == 0 || b.length == 0)
        r.length = 0;
    else
        r.length = std::min(a.length + b.length, wide ? 4000L : 8000L);
    return r;
}

SqlType numeric_result(ArithOp op, const SqlType& a, const SqlType& b) {
    if (a.base == SqlBase::Bit && b.base == SqlBase::Bit) invalid_operand(a, operator_name(op));
    if (a.base == SqlBase::Float || b.base == SqlBase::Float) {
        if (op == ArithOp::Mod)
            refuse("The data types " + a.name() + " and " + b.name() +
                   " are incompatible in the modulo operator.");
        return SqlType::of(SqlBase::Float);
    }
    if (a.base == SqlBase::Decimal || b.base == SqlBase::Decimal)
        return decimal_result(op, decimal_form(a), decimal_form(b));
    const SqlBase top = rank(a.base) >= rank(b.base) ? a.base : b.base;
    if (top == SqlBase::Money || top == SqlBase::SmallMoney) return money_of(top);
    return SqlType::of(top);
}

}  // namespace

std::int64_t SqlType::code() const {
    return static_cast<std::int64_t>(base) * 1'000'000 + precision * 1'000 + scale;
}

SqlType SqlType::from_code(std::int64_t code) {
    const std::int64_t b = code / 1'000'000;
    const auto p = static_cast<int>(code / 1'000 % 1'000);
    const auto s = static_cast<int>(code % 1'000);
    const bool base_ok = code >= 0 && b <= static_cast<std::int64_t>(SqlBase::Binary);
    SqlType t{base_ok ? static_cast<SqlBase>(b) : SqlBase::Unknown, p, s, 0};
    bool ok = base_ok;
    if (t.base == SqlBase::Decimal)
        ok = ok && p >= 1 && p <= kMaxPrecision && s <= p;
    else if (t.base == SqlBase::Money)
        ok = ok && ((p == 0 && s == 0) || (p == 19 && s == 4));
    else if (t.base == SqlBase::SmallMoney)
        ok = ok && ((p == 0 && s == 0) || (p == 10 && s == 4));
    else
        ok = ok && p == 0 && s == 0;
    if (!ok) refuse("The type code " + std::to_string(code) + " names no type.");
    return t;
}

std::string SqlType::name() const {
    switch (base) {
        case SqlBase::Unknown:
            return "unknown";
        case SqlBase::Null:
            return "NULL";
        case SqlBase::Bit:
            return "bit";
        case SqlBase::TinyInt:
            return "tinyint";
        case SqlBase::SmallInt:
            return "smallint";
        case SqlBase::Int:
            return "int";
        case SqlBase::BigInt:
            return "bigint";
        case SqlBase::Decimal:
            return "numeric";
        case SqlBase::Money:
            return "money";
        case SqlBase::SmallMoney:
            return "smallmoney";
        case SqlBase::Float:
            return "float";
        case SqlBase::Char:
            return "char";
        case SqlBase::VarChar:
            return "varchar";
        case SqlBase::NChar:
            return "nchar";
        case SqlBase::NVarChar:
            return "nvarchar";
        case SqlBase::DateTime:
            return "datetime";
        case SqlBase::Guid:
            return "uniqueidentifier";
        case SqlBase::Binary:
            return "varbinary";
    }
    return "unknown";
}

SqlType sql_type_of(const TypeInfo& t) {
    const long length = t.is_long ? -1 : t.size;
    switch (t.storage) {
        case Storage::Int16:
            return SqlType::of(t.ado_type == adTinyInt ? SqlBase::TinyInt : SqlBase::SmallInt);
        case Storage::Int32:
            return SqlType::of(SqlBase::Int);
        case Storage::Int64:
            return SqlType::of(SqlBase::BigInt);
        case Storage::Bool:
            return SqlType::of(SqlBase::Bit);
        case Storage::Decimal:
            if (t.ado_type == adCurrency)
                return money_of(t.precision == 10 ? SqlBase::SmallMoney : SqlBase::Money);
            return SqlType::decimal(t.precision, t.scale);
        case Storage::Double:
            return SqlType::of(SqlBase::Float);
        case Storage::Text:
        case Storage::FixedText: {
            SqlBase b = SqlBase::VarChar;
            if (t.ado_type == adChar) b = SqlBase::Char;
            if (t.ado_type == adWChar) b = SqlBase::NChar;
            if (t.ado_type == adVarWChar || t.ado_type == adLongVarWChar) b = SqlBase::NVarChar;
            return SqlType{b, 0, 0, length};
        }
        case Storage::Date:
            return SqlType::of(SqlBase::DateTime);
        case Storage::Guid:
            return SqlType::of(SqlBase::Guid);
        case Storage::RowVersion:
        case Storage::Binary:
            return SqlType{SqlBase::Binary, 0, 0, t.storage == Storage::RowVersion ? 8 : length};
        case Storage::Expression:
            break;
    }
    return SqlType::of(SqlBase::Unknown);
}

TypeInfo type_info_of(const SqlType& t) {
    auto sized = [&](const char* name, long unknown) {
        const long n = t.length == 0 ? unknown : t.length;
        return tsql_type(name, {n < 0 ? std::string("MAX") : std::to_string(n)});
    };
    switch (t.base) {
        case SqlBase::Bit:
            return tsql_type("BIT", {});
        case SqlBase::TinyInt:
            return tsql_type("TINYINT", {});
        case SqlBase::SmallInt:
            return tsql_type("SMALLINT", {});
        case SqlBase::Int:
            return tsql_type("INT", {});
        case SqlBase::BigInt:
            return tsql_type("BIGINT", {});
        case SqlBase::Decimal:
            return tsql_type("DECIMAL", {std::to_string(t.precision), std::to_string(t.scale)});
        case SqlBase::Money:
            return tsql_type("MONEY", {});
        case SqlBase::SmallMoney:
            return tsql_type("SMALLMONEY", {});
        case SqlBase::Float:
            return tsql_type("FLOAT", {});
        case SqlBase::Char:
            return sized("CHAR", 8000);
        case SqlBase::VarChar:
            return sized("VARCHAR", 8000);
        case SqlBase::NChar:
            return sized("NCHAR", 4000);
        case SqlBase::NVarChar:
            return sized("NVARCHAR", 4000);
        case SqlBase::DateTime:
            return tsql_type("DATETIME", {});
        case SqlBase::Guid:
            return tsql_type("UNIQUEIDENTIFIER", {});
        case SqlBase::Binary:
            return sized("VARBINARY", -1);
        case SqlBase::Unknown:
        case SqlBase::Null:
            break;
    }
    return TypeInfo{};
}

SqlType number_literal_type(std::string_view text) {
    if (!text.empty() && text.front() == '$') return money_of(SqlBase::Money);
    if (text.find_first_of("eE") != std::string_view::npos) return SqlType::of(SqlBase::Float);
    const auto point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    const auto first = whole.find_first_not_of('0');
    const int integral = first == std::string_view::npos ? 0 : static_cast<int>(whole.size() - first);
    const int scale = static_cast<int>(fraction.size());
    const int precision = std::max(integral + scale, 1);
    if (precision > kMaxPrecision)
        refuse("The number '" + std::string(text) +
               "' is out of the range for numeric representation (maximum precision 38).");
    if (point != std::string_view::npos) return SqlType::decimal(precision, scale);
    // Whole numbers beyond int are numeric(p, 0), not bigint, as the server types them.
    if (integral < 10 || (integral == 10 && whole.substr(first) <= "2147483647"))
        return SqlType::of(SqlBase::Int);
    return SqlType::decimal(precision, 0);
}

SqlType string_literal_type(std::string_view token_text) {
    const bool wide = !token_text.empty() && (token_text.front() == 'N' || token_text.front() == 'n');
    const std::string value = string_value(token_text);
    const auto chars = static_cast<long>(utf8_length(value));
    long length = std::max(chars, 1L);
    if (wide ? length > 4000 : value.size() > 8000) length = -1;
    return SqlType{wide ? SqlBase::NVarChar : SqlBase::VarChar, 0, 0, length};
}

SqlType higher_precedence(const SqlType& a, const SqlType& b) {
    if (!a.known() || !b.known()) return SqlType::of(SqlBase::Unknown);
    if (a.base == SqlBase::Null) return b;
    if (b.base == SqlBase::Null) return a;
    if (a.is_text() && b.is_text()) {
        SqlType r = rank(a.base) >= rank(b.base) ? a : b;
        r.length = (a.length < 0 || b.length < 0) ? -1 : std::max(a.length, b.length);
        return r;
    }
    const bool decimal_meets_exact =
        (a.base == SqlBase::Decimal && b.is_exact()) || (b.base == SqlBase::Decimal && a.is_exact());
    if (decimal_meets_exact) {
        const SqlType da = decimal_form(a);
        const SqlType db = decimal_form(b);
        const int integral = std::max(da.precision - da.scale, db.precision - db.scale);
        const int scale = std::min(std::max(da.scale, db.scale), kMaxPrecision - integral);
        return SqlType::decimal(std::min(integral + scale, kMaxPrecision), scale);
    }
    if (a.base == b.base) return a;
    return rank(a.base) >= rank(b.base) ? a : b;
}

SqlType arithmetic_type(ArithOp op, const SqlType& a_in, const SqlType& b_in) {
    if (!a_in.known() || !b_in.known()) return SqlType::of(SqlBase::Unknown);
    if (a_in.base == SqlBase::Null && b_in.base == SqlBase::Null) return SqlType::of(SqlBase::Int);
    SqlType a = a_in.base == SqlBase::Null ? b_in : a_in;
    SqlType b = b_in.base == SqlBase::Null ? a_in : b_in;
    for (const SqlType* t : {&a, &b})
        if (t->base == SqlBase::Guid) invalid_operand(*t, operator_name(op));
    if (a.base == SqlBase::Binary || b.base == SqlBase::Binary) {
        if (op == ArithOp::Add && a.base == b.base) return text_result(a, b);
        refuse("The embedded engine does not support arithmetic on binary values.");
    }
    if (a.is_text() && b.is_text()) {
        if (op != ArithOp::Add) invalid_operand(higher_precedence(a, b), operator_name(op));
        return text_result(a, b);
    }
    if (a.is_date() || b.is_date()) {
        if (op != ArithOp::Add && op != ArithOp::Sub)
            invalid_operand(SqlType::of(SqlBase::DateTime), operator_name(op));
        return SqlType::of(SqlBase::DateTime);
    }
    // Text meets a number: converted to the number's type.
    if (a.is_text()) a = b;
    if (b.is_text()) b = a;
    return numeric_result(op, a, b);
}

SqlType sum_type(const SqlType& arg) {
    switch (arg.base) {
        case SqlBase::Unknown:
            return arg;
        case SqlBase::Null:
        case SqlBase::TinyInt:
        case SqlBase::SmallInt:
        case SqlBase::Int:
            return SqlType::of(SqlBase::Int);
        case SqlBase::BigInt:
        case SqlBase::Float:
            return SqlType::of(arg.base);
        case SqlBase::Decimal:
            return SqlType::decimal(kMaxPrecision, arg.scale);
        case SqlBase::Money:
        case SqlBase::SmallMoney:
            return money_of(SqlBase::Money);
        default:
            invalid_operand(arg, "sum");
    }
}

SqlType avg_type(const SqlType& arg) {
    switch (arg.base) {
        case SqlBase::Decimal:
            return SqlType::decimal(kMaxPrecision, std::max(arg.scale, 6));
        case SqlBase::Unknown:
        case SqlBase::Null:
        case SqlBase::TinyInt:
        case SqlBase::SmallInt:
        case SqlBase::Int:
        case SqlBase::BigInt:
        case SqlBase::Float:
        case SqlBase::Money:
        case SqlBase::SmallMoney:
            return sum_type(arg);
        default:
            invalid_operand(arg, "avg");
    }
}

SqlType decimal_form(const SqlType& t) {
    switch (t.base) {
        case SqlBase::Bit:
            return SqlType::decimal(1, 0);
        case SqlBase::TinyInt:
            return SqlType::decimal(3, 0);
        case SqlBase::SmallInt:
            return SqlType::decimal(5, 0);
        case SqlBase::Int:
            return SqlType::decimal(10, 0);
        case SqlBase::BigInt:
            return SqlType::decimal(19, 0);
        case SqlBase::Money:
            return SqlType::decimal(19, 4);
        case SqlBase::SmallMoney:
            return SqlType::decimal(10, 4);
        default:
            return t;
    }
}

}  // namespace ado::sqlite
