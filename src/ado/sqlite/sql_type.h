#pragma once
// The server's types of expressions: what a column, a variable, a literal or a function
// gives, which type wins when two meet, and the type of an arithmetic result. The
// translator types each expression once per statement shape with these rules; the SQL
// functions that evaluate typed expressions (typed_functions.cpp) receive the types as
// integer codes.
#include <cstdint>
#include <string>
#include <string_view>

#include "ado/sqlite/type_info.h"

namespace ado::sqlite {

enum class SqlBase : std::uint8_t {
    Unknown,  // the translator cannot tell: SQLite's own rules apply
    Null,     // the literal NULL
    Bit,
    TinyInt,
    SmallInt,
    Int,
    BigInt,
    Decimal,  // also NUMERIC
    Money,
    SmallMoney,
    Float,  // also REAL
    Char,
    VarChar,
    NChar,
    NVarChar,
    DateTime,  // DATETIME, DATE, SMALLDATETIME, DATETIME2
    Guid,
    Binary,
};

struct SqlType {
    SqlBase base = SqlBase::Unknown;
    int precision = 0;  // Decimal (1..38); Money 19, SmallMoney 10
    int scale = 0;      // Decimal (0..precision); Money and SmallMoney 4
    long length = 0;    // characters of Char..NVarChar; -1 for MAX; 0 unknown

    static SqlType of(SqlBase b) { return SqlType{b, 0, 0, 0}; }
    static SqlType decimal(int precision, int scale) {
        return SqlType{SqlBase::Decimal, precision, scale, 0};
    }

    bool known() const { return base != SqlBase::Unknown; }
    bool is_integer() const { return base >= SqlBase::Bit && base <= SqlBase::BigInt; }
    bool is_exact() const { return base >= SqlBase::Bit && base <= SqlBase::SmallMoney; }
    bool is_numeric() const { return is_exact() || base == SqlBase::Float; }
    bool is_text() const { return base >= SqlBase::Char && base <= SqlBase::NVarChar; }
    bool is_date() const { return base == SqlBase::DateTime; }

    // One integer for the SQL functions: base * 1'000'000 + precision * 1'000 + scale.
    // The length is not carried (no evaluation depends on it).
    std::int64_t code() const;
    static SqlType from_code(std::int64_t code);  // throws ado::Error for a code no type has

    // As the server names the type in its messages: "int", "numeric", "varchar", "datetime".
    std::string name() const;

    friend bool operator==(const SqlType&, const SqlType&) = default;
};

// The type of a column or variable declared with `t` (Storage::Expression: Unknown).
SqlType sql_type_of(const TypeInfo& t);
// The column description of a result of type `t` (type code, size, precision, scale), as
// the server would report it; Unknown gives Storage::Expression.
TypeInfo type_info_of(const SqlType& t);

// A numeric literal as the server types it: "1" int (numeric(p,0) beyond int), "1.0"
// numeric(2,1), ".5" numeric(1,1), "1E3" float.
SqlType number_literal_type(std::string_view text);
// 'x' varchar(n), N'x' nvarchar(n) (n: characters, at least 1).
SqlType string_literal_type(std::string_view token_text);

// The type that wins when two meet (data type precedence: datetime > float > decimal >
// money > smallmoney > bigint > int > smallint > tinyint > bit > uniqueidentifier >
// nvarchar > nchar > varchar > char > binary). Two decimals give the decimal that holds both:
// max(s1, s2) decimals, max(p1 - s1, p2 - s2) + max(s1, s2) digits (at most 38). Null
// gives the other type; Unknown with anything gives Unknown.
SqlType higher_precedence(const SqlType& a, const SqlType& b);

// The decimal an exact operand acts as when it meets a decimal: int decimal(10,0), bigint
// decimal(19,0), money decimal(19,4) ...; other types unchanged.
SqlType decimal_form(const SqlType& t);

enum class ArithOp : int { Add = 1, Sub = 2, Mul = 3, Div = 4, Mod = 5 };

// The result type of `a op b` as the server gives it: integers stay integers (the wider),
// decimals follow the server's precision and scale rules (reduced to 38 digits as it
// does), money with money or an integer stays money, anything with float is float, text +
// text is text (Add only), datetime + or - a number is datetime. Either side Unknown:
// Unknown. Throws ado::Error with the server's message for operand types it refuses
// ("Operand data type datetime is invalid for multiply operator.", and text with *, /, %).
SqlType arithmetic_type(ArithOp op, const SqlType& a, const SqlType& b);

// Aggregates: SUM(int types) int (bigint for bigint), SUM(decimal(p,s)) decimal(38,s),
// SUM(money) money, SUM(float) float; AVG: int for int types, decimal(38, max(s,6)) for
// decimal(p,s), money for money, float for float. Unknown stays Unknown.
SqlType sum_type(const SqlType& arg);
SqlType avg_type(const SqlType& arg);

}  // namespace ado::sqlite
