// The server's semantics for typed expressions: result types of the operators (with the
// 38-digit reductions), exact decimal evaluation, integer, money, float, text and datetime
// arithmetic, comparisons, the server's error numbers, and the SQL functions through a
// database.
#include <gtest/gtest.h>

#include <random>

#include "sqlite_semantics_support.h"
#include "sqlite_support.h"

namespace ado::testing {
namespace {

using sqlite::arithmetic;
using sqlite::arithmetic_type;
using sqlite::compare;

// ---------------------------------------------------------------- result types

struct TypeCase {
    const char* name;
    ArithOp op;
    SqlType a;
    SqlType b;
    const char* expected;  // type_text, or "error: ..."
};

void PrintTo(const TypeCase& c, std::ostream* os) {
    *os << c.name;
}

class ResultTypes : public ::testing::TestWithParam<TypeCase> {};

TEST_P(ResultTypes, AreTheServers) {
    const TypeCase& c = GetParam();
    EXPECT_EQ(answer([&] { return type_text(arithmetic_type(c.op, c.a, c.b)); }), c.expected);
}

const auto kAdd = ArithOp::Add;
const auto kSub = ArithOp::Sub;
const auto kMul = ArithOp::Mul;
const auto kDiv = ArithOp::Div;
const auto kMod = ArithOp::Mod;

INSTANTIATE_TEST_SUITE_P(
    Operators, ResultTypes,
    ::testing::Values(
        TypeCase{"int plus int", kAdd, kInt, kInt, "int"},
        TypeCase{"tinyint plus smallint", kAdd, kTiny, kSmall, "smallint"},
        TypeCase{"int times bigint", kMul, kInt, kBig, "bigint"},
        TypeCase{"bit plus int", kAdd, kBit, kInt, "int"},
        TypeCase{"decimal sum", kAdd, num(19, 4), num(19, 4), "numeric(20,4)"},
        TypeCase{"decimal difference of mixed scales", kSub, num(10, 2), num(19, 4), "numeric(20,4)"},
        TypeCase{"decimal product reduced", kMul, num(19, 4), num(19, 4), "numeric(38,7)"},
        TypeCase{"decimal by int", kDiv, num(19, 4), kInt, "numeric(30,15)"},
        TypeCase{"int by decimal literal", kDiv, kInt, num(2, 1), "numeric(17,6)"},
        TypeCase{"decimal quotient reduced below 32 integral digits", kDiv, num(19, 4), num(19, 4),
                 "numeric(38,19)"},
        TypeCase{"decimal quotient reduced to six decimals", kDiv, num(38, 10), num(38, 10), "numeric(38,6)"},
        TypeCase{"wide dividend by int keeps six decimals", kDiv, num(34, 1), kInt, "numeric(38,6)"},
        TypeCase{"product kept at 17 decimals", kMul, num(30, 20), num(30, 20), "numeric(38,17)"},
        TypeCase{"product reduced to six decimals", kMul, num(30, 10), num(30, 10), "numeric(38,6)"},
        TypeCase{"sum reduced keeps the integral digits", kAdd, num(38, 20), num(38, 2), "numeric(38,2)"},
        TypeCase{"sum of two widest", kAdd, num(38, 10), num(38, 10), "numeric(38,10)"},
        TypeCase{"decimal modulo", kMod, num(5, 2), num(4, 1), "numeric(5,2)"},
        TypeCase{"decimal modulo int", kMod, num(2, 1), kInt, "numeric(2,1)"},
        TypeCase{"bigint meets decimal as numeric 19", kAdd, kBig, num(5, 2), "numeric(22,2)"},
        TypeCase{"money plus int", kAdd, kMoney, kInt, "money"},
        TypeCase{"money times money", kMul, kMoney, kMoney, "money"},
        TypeCase{"money meets decimal as numeric 19 4", kAdd, kMoney, num(10, 2), "numeric(20,4)"},
        TypeCase{"smallmoney plus int", kAdd, kSmallMoney, kInt, "smallmoney"},
        TypeCase{"smallmoney plus money", kAdd, kSmallMoney, kMoney, "money"},
        TypeCase{"float wins over decimal", kAdd, kFloat, num(19, 4), "float"},
        TypeCase{"int with float", kMul, kInt, kFloat, "float"},
        TypeCase{"text joined", kAdd, text_type(SqlBase::VarChar, 5), text_type(SqlBase::VarChar, 3),
                 "varchar(8)"},
        TypeCase{"unicode text wins", kAdd, text_type(SqlBase::VarChar, 5), text_type(SqlBase::NVarChar, 3),
                 "nvarchar(8)"},
        TypeCase{"text joined to max", kAdd, text_type(SqlBase::VarChar, -1), text_type(SqlBase::VarChar, 3),
                 "varchar(-1)"},
        TypeCase{"text plus int is int", kAdd, kVarchar, kInt, "int"},
        TypeCase{"text times int is int", kMul, kVarchar, kInt, "int"},
        TypeCase{"text plus decimal takes the decimal", kAdd, kVarchar, num(5, 2), "numeric(6,2)"},
        TypeCase{"datetime plus int", kAdd, kDate, kInt, "datetime"},
        TypeCase{"int plus datetime", kAdd, kInt, kDate, "datetime"},
        TypeCase{"datetime minus datetime", kSub, kDate, kDate, "datetime"},
        TypeCase{"datetime plus text", kAdd, kDate, kVarchar, "datetime"},
        TypeCase{"null plus int", kAdd, kNull, kInt, "int"},
        TypeCase{"unknown stays unknown", kAdd, kUnknown, kInt, "unknown"},
        TypeCase{"datetime times int", kMul, kDate, kInt,
                 "error: Operand data type datetime is invalid for multiply operator."},
        TypeCase{"datetime divided", kDiv, kDate, kInt,
                 "error: Operand data type datetime is invalid for divide operator."},
        TypeCase{"text minus text", kSub, kVarchar, kVarchar,
                 "error: Operand data type varchar is invalid for subtract operator."},
        TypeCase{"text modulo text", kMod, kNVarchar, kVarchar,
                 "error: Operand data type nvarchar is invalid for modulo operator."},
        TypeCase{"float modulo", kMod, kFloat, kInt,
                 "error: The data types float and int are incompatible in the modulo operator."},
        TypeCase{"bit plus bit", kAdd, kBit, kBit,
                 "error: Operand data type bit is invalid for add operator."},
        TypeCase{"guid plus int", kAdd, kGuid, kInt,
                 "error: Operand data type uniqueidentifier is invalid for add operator."}),
    scripted::ByName());

TEST(LiteralTypes, AreTheServers) {
    using sqlite::number_literal_type;
    using sqlite::string_literal_type;
    EXPECT_EQ(type_text(number_literal_type("1")), "int");
    EXPECT_EQ(type_text(number_literal_type("00012")), "int");
    EXPECT_EQ(type_text(number_literal_type("2147483647")), "int");
    EXPECT_EQ(type_text(number_literal_type("2147483648")), "numeric(10,0)");
    EXPECT_EQ(type_text(number_literal_type("1.0")), "numeric(2,1)");
    EXPECT_EQ(type_text(number_literal_type(".5")), "numeric(1,1)");
    EXPECT_EQ(type_text(number_literal_type("0.7")), "numeric(1,1)");
    EXPECT_EQ(type_text(number_literal_type("0.07")), "numeric(2,2)");
    EXPECT_EQ(type_text(number_literal_type("12.345")), "numeric(5,3)");
    EXPECT_EQ(type_text(number_literal_type("1E3")), "float");
    EXPECT_THROW(number_literal_type("123456789012345678901234567890123456789"), Error);
    EXPECT_EQ(type_text(string_literal_type("'abc'")), "varchar(3)");
    EXPECT_EQ(type_text(string_literal_type("N'\xC3\xA0\xC3\xA9'")), "nvarchar(2)");
    EXPECT_EQ(type_text(string_literal_type("''")), "varchar(1)");
    EXPECT_EQ(type_text(string_literal_type("'it''s'")), "varchar(4)");
}

TEST(Precedence, WinsAsTheServerConverts) {
    using sqlite::higher_precedence;
    EXPECT_EQ(type_text(higher_precedence(kInt, num(5, 2))), "numeric(12,2)");
    EXPECT_EQ(type_text(higher_precedence(num(5, 2), num(10, 4))), "numeric(10,4)");
    EXPECT_EQ(type_text(higher_precedence(kVarchar, kInt)), "int");
    EXPECT_EQ(type_text(higher_precedence(kFloat, num(5, 2))), "float");
    EXPECT_EQ(type_text(higher_precedence(kDate, kVarchar)), "datetime");
    EXPECT_EQ(type_text(higher_precedence(text_type(SqlBase::NVarChar, 5), text_type(SqlBase::VarChar, 10))),
              "nvarchar(10)");
    EXPECT_EQ(type_text(higher_precedence(kNull, kInt)), "int");
    EXPECT_EQ(type_text(higher_precedence(kUnknown, kInt)), "unknown");
    EXPECT_EQ(type_text(higher_precedence(kMoney, kBig)), "money");
}

TEST(TypeCodes, RoundTripAndRefuseWhatNoTypeHas) {
    for (const SqlType& t : {kBit, kTiny, kSmall, kInt, kBig, num(1, 0), num(38, 38), num(19, 4), kMoney,
                             kSmallMoney, kFloat, kVarchar, kNVarchar, kDate, kGuid, kNull, kUnknown})
        EXPECT_EQ(SqlType::from_code(t.code()), t) << type_text(t);
    EXPECT_EQ(num(19, 4).code(), 7019004);
    for (const std::int64_t bad : {99000000LL, 7039000LL, 7005006LL, 5010000LL, -1LL, 8010004LL})
        EXPECT_THROW(SqlType::from_code(bad), Error) << bad;
}

TEST(TypeCodes, ColumnsDescribeTheirType) {
    using sqlite::sql_type_of;
    using sqlite::tsql_type;
    using sqlite::type_info_of;
    EXPECT_EQ(type_text(sql_type_of(tsql_type("DECIMAL", {"19", "4"}))), "numeric(19,4)");
    EXPECT_EQ(sql_type_of(tsql_type("MONEY", {})), kMoney);
    EXPECT_EQ(sql_type_of(tsql_type("SMALLMONEY", {})), kSmallMoney);
    EXPECT_EQ(sql_type_of(tsql_type("TINYINT", {})), kTiny);
    EXPECT_EQ(type_text(sql_type_of(tsql_type("NVARCHAR", {"50"}))), "nvarchar(50)");
    EXPECT_EQ(type_text(sql_type_of(tsql_type("CHAR", {"3"}))), "char(3)");
    EXPECT_EQ(type_text(sql_type_of(tsql_type("VARCHAR", {"MAX"}))), "varchar(-1)");
    EXPECT_EQ(sql_type_of(tsql_type("DATE", {})), kDate);
    EXPECT_EQ(sql_type_of(sqlite::TypeInfo{}), kUnknown);
    for (const char* name : {"INT", "BIGINT", "BIT", "FLOAT", "MONEY", "DATETIME", "UNIQUEIDENTIFIER"}) {
        const auto info = tsql_type(name, {});
        EXPECT_EQ(type_info_of(sql_type_of(info)).tsql, info.tsql) << name;
    }
    const auto dec = type_info_of(num(30, 15));
    EXPECT_EQ(dec.ado_type, adNumeric);
    EXPECT_EQ(dec.precision, 30);
    EXPECT_EQ(dec.scale, 15);
    EXPECT_EQ(type_info_of(text_type(SqlBase::VarChar, 7)).size, 7);
    EXPECT_EQ(type_info_of(kUnknown).storage, sqlite::Storage::Expression);
}

TEST(Aggregates, TakeTheServersTypes) {
    EXPECT_EQ(type_text(sqlite::sum_type(kTiny)), "int");
    EXPECT_EQ(type_text(sqlite::sum_type(kBig)), "bigint");
    EXPECT_EQ(type_text(sqlite::sum_type(num(19, 4))), "numeric(38,4)");
    EXPECT_EQ(sqlite::sum_type(kSmallMoney), kMoney);
    EXPECT_EQ(type_text(sqlite::avg_type(num(19, 4))), "numeric(38,6)");
    EXPECT_EQ(type_text(sqlite::avg_type(num(19, 8))), "numeric(38,8)");
    EXPECT_EQ(type_text(sqlite::avg_type(kSmall)), "int");
    EXPECT_THROW(sqlite::sum_type(kVarchar), Error);
    EXPECT_THROW(sqlite::avg_type(kDate), Error);
}

// ---------------------------------------------------------------- arithmetic

struct EvalCase {
    const char* name;
    ArithOp op;
    BoundValue a;
    SqlType ta;
    BoundValue b;
    SqlType tb;
    const char* expected;  // render(), or "error: ..."
};

void PrintTo(const EvalCase& c, std::ostream* os) {
    *os << c.name;
}

class Arithmetic : public ::testing::TestWithParam<EvalCase> {};

TEST_P(Arithmetic, GivesTheServersValue) {
    const EvalCase& c = GetParam();
    const SqlType result = arithmetic_type(c.op, c.ta, c.tb);
    EXPECT_EQ(outcome([&] { return arithmetic(c.op, c.a, c.ta, c.b, c.tb, result); }), c.expected)
        << "result type " << type_text(result);
}

const char* const kDivZero = "error: Divide by zero error encountered.";

INSTANTIATE_TEST_SUITE_P(
    Values, Arithmetic,
    ::testing::Values(
        EvalCase{"decimal divided by int keeps the fraction", kDiv, I(10), num(19, 4), I(4), kInt,
                 "real 2.5"},
        EvalCase{"decimal sum is exact", kAdd, R(100.1), num(4, 1), R(22.02), num(4, 2), "real 122.12"},
        EvalCase{"decimal product is exact", kMul, R(612042.85), num(8, 2), R(20.5), num(3, 1),
                 "real 12546878.425"},
        EvalCase{"one by three point zero", kDiv, I(1), kInt, R(3.0), num(2, 1), "real 0.333333"},
        EvalCase{"two by three point zero is truncated", kDiv, I(2), kInt, R(3.0), num(2, 1),
                 "real 0.666666"},
        EvalCase{"negative quotient truncated toward zero", kDiv, I(-2), kInt, R(3.0), num(2, 1),
                 "real -0.666666"},
        EvalCase{"quotient at six decimals truncated", kDiv, R(1.67574), num(38, 10), I(10000), num(38, 10),
                 "real 0.000167"},
        EvalCase{"product reduced to six decimals rounds", kMul, R(0.0000009), num(30, 10), I(1), num(30, 10),
                 "real 0.000001"},
        EvalCase{"product kept at 17 decimals", kMul, R(0.0000009), num(30, 20), I(1), num(30, 20),
                 "real 0.0000009"},
        EvalCase{"decimal modulo keeps the dividend sign", kMod, R(-7.5), num(2, 1), I(2), kInt, "real -1.5"},
        EvalCase{"beyond 28 digits exact as text", kAdd, T("12345678901234567890123456789012"), num(38, 0),
                 I(1), kInt, "'12345678901234567890123456789013'"},
        EvalCase{"beyond 38 digits", kAdd, T("99999999999999999999999999999999999999"), num(38, 0), I(1),
                 num(38, 0), "error: Arithmetic overflow error converting expression to data type numeric."},
        EvalCase{"decimal by zero", kDiv, R(1.5), num(2, 1), I(0), kInt, kDivZero},
        EvalCase{"decimal modulo zero", kMod, R(1.5), num(2, 1), I(0), kInt, kDivZero},
        EvalCase{"int division truncates", kDiv, I(7), kInt, I(2), kInt, "3"},
        EvalCase{"negative int division truncates toward zero", kDiv, I(-7), kInt, I(2), kInt, "-3"},
        EvalCase{"remainder takes the dividend sign", kMod, I(-7), kInt, I(2), kInt, "-1"},
        EvalCase{"remainder of a negative divisor", kMod, I(7), kInt, I(-2), kInt, "1"},
        EvalCase{"int by zero", kDiv, I(10), kInt, I(0), kInt, kDivZero},
        EvalCase{"int modulo zero", kMod, I(10), kInt, I(0), kInt, kDivZero},
        EvalCase{"int overflow", kAdd, I(2147483647), kInt, I(1), kInt,
                 "error: Arithmetic overflow error converting expression to data type int."},
        EvalCase{"int minimum by minus one", kDiv, I(-2147483648LL), kInt, I(-1), kInt,
                 "error: Arithmetic overflow error converting expression to data type int."},
        EvalCase{"tinyint overflow names the value", kAdd, I(200), kTiny, I(100), kTiny,
                 "error: Arithmetic overflow error for data type tinyint, value = 300."},
        EvalCase{"tinyint below zero", kSub, I(2), kTiny, I(7), kTiny,
                 "error: Arithmetic overflow error for data type tinyint, value = -5."},
        EvalCase{"bigint overflow", kMul, I(INT64_MAX), kBig, I(2), kInt,
                 "error: Arithmetic overflow error converting expression to data type bigint."},
        EvalCase{"bit counts as int", kAdd, I(1), kBit, I(2), kInt, "3"},
        EvalCase{"text converted to int", kAdd, T("1"), kVarchar, I(1), kInt, "2"},
        EvalCase{"text times int", kMul, T(" 6 "), kVarchar, I(2), kInt, "12"},
        EvalCase{"text that is no int", kAdd, T("a"), kVarchar, I(1), kInt,
                 "error: Conversion failed when converting the varchar value 'a' to data type int."},
        EvalCase{"unicode text that is no int", kAdd, T("x"), kNVarchar, I(1), kInt,
                 "error: Conversion failed when converting the nvarchar value 'x' to data type int."},
        EvalCase{"text beyond int", kAdd, I(1), kInt, T("2147483648"), kVarchar,
                 "error: The conversion of the varchar value '2147483648' overflowed an int column."},
        EvalCase{"text with a decimal", kAdd, T("1.5"), kVarchar, R(1.0), num(2, 1), "real 2.5"},
        EvalCase{"texts joined", kAdd, T("ab"), kVarchar, T("cd"), kVarchar, "'abcd'"},
        EvalCase{"text joined to a number held in a text column", kAdd, T("ab"), kVarchar, I(12), kVarchar,
                 "'ab12'"},
        EvalCase{"money product rounded to four places", kMul, R(1.2345), kMoney, R(1.2345), kMoney,
                 "real 1.524"},
        EvalCase{"money quotient", kDiv, I(1), kMoney, I(3), kMoney, "real 0.3333"},
        EvalCase{"money quotient rounded half away", kDiv, I(2), kMoney, I(3), kMoney, "real 0.6667"},
        EvalCase{"money plus int", kAdd, R(10.5), kMoney, I(2), kInt, "real 12.5"},
        EvalCase{"money by zero", kDiv, I(1), kMoney, I(0), kInt, kDivZero},
        EvalCase{"smallmoney overflow", kAdd, R(214748.3647), kSmallMoney, I(1), kInt,
                 "error: Arithmetic overflow error converting expression to data type smallmoney."},
        EvalCase{"float is binary", kAdd, R(0.1), kFloat, R(0.2), kFloat, "real 0.30000000000000004"},
        EvalCase{"decimal with float is float", kAdd, R(1.5), num(2, 1), R(0.25), kFloat, "real 1.75"},
        EvalCase{"float by zero", kDiv, R(1), kFloat, R(0), kFloat, kDivZero},
        EvalCase{"datetime plus days", kAdd, T("20240131"), kDate, I(1), kInt, "'20240201'"},
        EvalCase{"datetime plus half a day", kAdd, T("20240131"), kDate, R(0.5), num(1, 1),
                 "'20240131 12:00:00'"},
        EvalCase{"datetime plus a float fraction", kAdd, T("19000110"), kDate, R(1.25), kFloat,
                 "'19000111 06:00:00'"},
        EvalCase{"datetime minus days", kSub, T("20240301"), kDate, I(1), kInt, "'20240229'"},
        EvalCase{"datetime minus datetime", kSub, T("20240131"), kDate, T("20240101"), kDate, "'19000131'"},
        EvalCase{"days plus datetime", kAdd, I(1), kInt, T("20240131 10:11:12"), kDate,
                 "'20240201 10:11:12'"},
        EvalCase{"datetime plus text date", kAdd, T("20240131"), kDate, T("1900-01-02"), kVarchar,
                 "'20240201'"},
        EvalCase{"datetime beyond 9999", kAdd, T("99991231"), kDate, I(1), kInt,
                 "error: Arithmetic overflow error converting expression to data type datetime."},
        EvalCase{"null operand", kAdd, N(), kNull, I(1), kInt, "NULL"},
        EvalCase{"null decimal", kMul, R(1.5), num(2, 1), N(), num(19, 4), "NULL"}),
    scripted::ByName());

TEST(Arithmetic, AnUnknownResultTypeIsTakenFromTheValues) {
    EXPECT_EQ(render(arithmetic(kDiv, I(10), kUnknown, R(4.0), kUnknown, kUnknown)), "real 2.5");
    EXPECT_EQ(render(arithmetic(kAdd, R(100.1), kUnknown, R(22.02), kUnknown, kUnknown)), "real 122.12");
}

// Plain decimal text of a coefficient and scale, trailing zeros dropped.
std::string plain(Int128 coefficient, int scale) {
    const bool negative = coefficient < 0;
    std::string digits;
    for (Int128 m = negative ? -coefficient : coefficient; m != 0; m /= 10)
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(m % 10)));
    if (digits.size() <= static_cast<std::size_t>(scale))
        digits.insert(0, static_cast<std::size_t>(scale) + 1 - digits.size(), '0');
    if (scale > 0) digits.insert(digits.size() - static_cast<std::size_t>(scale), ".");
    if (digits.find('.') != std::string::npos) {
        while (digits.back() == '0') digits.pop_back();
        if (digits.back() == '.') digits.pop_back();
    }
    return digits == "0" || !negative ? digits : "-" + digits;
}

// A result as plain decimal text, however SQLite holds it.
std::string plain(const BoundValue& v) {
    const std::string r = render(v);
    if (v.kind == BoundValue::Kind::Real) return r.substr(5);
    if (v.kind == BoundValue::Kind::Text) return v.text;
    return r;
}

// Decimal +, -, * and / against Decimal's own arithmetic at the server's result scales, on
// random operands in the ranges of the books' amounts: DECIMAL(19, 4) and DECIMAL(10, 2).
TEST(Arithmetic, RandomDecimalsMatchExactArithmetic) {
    std::mt19937_64 rng(20240131);
    auto operand = [&](int p, int s) {
        std::uniform_int_distribution<int> digits_of(1, p);
        Int128 c = 0;
        for (int d = digits_of(rng); d > 0; --d) c = c * 10 + static_cast<int>(rng() % 10);
        if (rng() % 2 != 0) c = -c;
        return Decimal::from_parts(c, s);
    };
    const std::array<ArithOp, 4> ops = {kAdd, kSub, kMul, kDiv};
    int checked = 0;
    for (int i = 0; i < 4000; ++i) {
        const int p1 = 1 + static_cast<int>(rng() % 19);
        const int s1 = static_cast<int>(rng() % (std::min(p1, 4) + 1));
        const int p2 =
            1 + static_cast<int>(rng() % std::min(10, 28 - p1));  // products within Decimal's 28 digits
        const int s2 = static_cast<int>(rng() % (std::min(p2, 2) + 1));
        const Decimal a = operand(p1, s1);
        const Decimal b = operand(p2, s2);
        const ArithOp op = ops[static_cast<std::size_t>(i % 4)];
        if (op == kDiv && b.is_zero()) continue;
        const SqlType result = arithmetic_type(op, num(p1, s1), num(p2, s2));
        std::string expected;
        switch (op) {
            case ArithOp::Add:
                expected = (a + b).rounded(result.scale).to_string();
                break;
            case ArithOp::Sub:
                expected = (a - b).rounded(result.scale).to_string();
                break;
            case ArithOp::Mul:
                expected = (a * b).rounded(result.scale).to_string();
                break;
            default: {
                // Truncated at the result scale: (A * 10^(s2 + s - s1)) / B on the coefficients.
                Int128 n = a.coefficient();
                for (int k = 0; k < s2 + result.scale - s1; ++k) n *= 10;
                expected = plain(n / b.coefficient(), result.scale);
            }
        }
        const BoundValue got =
            arithmetic(op, sqlite::exact_value(a), num(p1, s1), sqlite::exact_value(b), num(p2, s2), result);
        ASSERT_EQ(plain(got), expected) << a.to_string() << " op " << static_cast<int>(op) << " "
                                        << b.to_string() << " as " << type_text(result);
        ++checked;
    }
    EXPECT_GT(checked, 3900);
}

TEST(ExactValues, AreHeldAsSQLiteHoldsDecimals) {
    using sqlite::decimal_of;
    using sqlite::exact_value;
    EXPECT_EQ(render(exact_value(Decimal::from_string("2.50"))), "real 2.5");
    EXPECT_EQ(render(exact_value(Decimal::from_string("-12.000"))), "-12");
    EXPECT_EQ(render(exact_value(Decimal::from_string("123456789012.345"))), "real 123456789012.345");
    EXPECT_EQ(render(exact_value(Decimal::from_string("1234567890123.4567"))), "'1234567890123.4567'");
    EXPECT_EQ(decimal_of(T("1234567890123.4567")).to_string(), "1234567890123.4567");
    EXPECT_EQ(decimal_of(R(0.1)).to_string(), "0.1");
    EXPECT_EQ(decimal_of(I(-7)).to_string(), "-7");
    EXPECT_EQ(outcome([] { return exact_value(decimal_of(T("x"))); }),
              "error: Error converting data type varchar to numeric.");
    EXPECT_EQ(outcome([] { return exact_value(decimal_of(T("123456789012345678901234567890123"))); }),
              "error: Arithmetic overflow error converting varchar to data type numeric.");
}

// ---------------------------------------------------------------- comparison

struct CompareCase {
    const char* name;
    BoundValue a;
    SqlType ta;
    BoundValue b;
    SqlType tb;
    const char* expected;
};

void PrintTo(const CompareCase& c, std::ostream* os) {
    *os << c.name;
}

class Comparison : public ::testing::TestWithParam<CompareCase> {};

TEST_P(Comparison, IsTheServers) {
    const CompareCase& c = GetParam();
    EXPECT_EQ(answer([&] {
                  const auto r = compare(c.a, c.ta, c.b, c.tb);
                  return r ? std::to_string(*r) : std::string("NULL");
              }),
              c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, Comparison,
    ::testing::Values(
        CompareCase{"int with its text", I(1), kInt, T("1"), kVarchar, "0"},
        CompareCase{"int with text compared as numbers", I(2), kInt, T("10"), kVarchar, "-1"},
        CompareCase{"text that is no int", T("ABC"), kVarchar, I(1), kInt,
                    "error: Conversion failed when converting the varchar value 'ABC' to data type int."},
        CompareCase{"texts under the collation", T("abc"), kVarchar, T("ABC  "), kVarchar, "0"},
        CompareCase{"texts in order", T("abc"), kVarchar, T("abd"), kNVarchar, "-1"},
        CompareCase{"decimal above int", R(2.5), num(3, 2), I(2), kInt, "1"},
        CompareCase{"decimal equal to int", R(2.0), num(2, 1), I(2), kInt, "0"},
        CompareCase{"decimal with text", R(0.1), num(1, 1), T("0.10"), kVarchar, "0"},
        CompareCase{"decimal with text that is no number", R(0.1), num(1, 1), T("x"), kVarchar,
                    "error: Error converting data type varchar to numeric."},
        CompareCase{"decimals beyond 28 digits", T("12345678901234567890123456789012345678"), num(38, 0),
                    T("12345678901234567890123456789012345679"), num(38, 0), "-1"},
        CompareCase{"datetime with ISO text", T("20240131"), kDate, T("2024-01-31"), kVarchar, "0"},
        CompareCase{"datetime with ISO text and time", T("20240131"), kDate, T("2024-01-31T10:00:00"),
                    kVarchar, "-1"},
        CompareCase{"datetime with text and minutes", T("20240131 10:11:00"), kDate, T("2024-01-31 10:11"),
                    kVarchar, "0"},
        CompareCase{"datetime with text that is no date", T("20240131"), kDate, T("xyz"), kVarchar,
                    "error: Conversion failed when converting date and/or time from character string."},
        CompareCase{"datetime with day-first text as the engine stores it", T("20240131"), kDate,
                    T("31/01/2024"), kVarchar, "0"},
        CompareCase{"datetime with days since 1900", T("20240131"), kDate, I(45320), kInt, "0"},
        CompareCase{"float with decimal", R(0.5), kFloat, R(0.5), num(1, 1), "0"},
        CompareCase{"money with decimal", R(1.5), kMoney, R(1.5), num(3, 2), "0"},
        CompareCase{"guid with lower-case text", T("6F9619FF-8B86-D011-B42D-00C04FC964FF"), kGuid,
                    T("{6f9619ff-8b86-d011-b42d-00c04fc964ff}"), kVarchar, "0"},
        CompareCase{"guids by their last group first", T("00000000-0000-0000-0000-000000000001"), kGuid,
                    T("01000000-0000-0000-0000-000000000000"), kGuid, "1"},
        CompareCase{"guid with int", T("6F9619FF-8B86-D011-B42D-00C04FC964FF"), kGuid, I(1), kInt,
                    "error: Operand type clash: uniqueidentifier is incompatible with int"},
        CompareCase{"null", N(), kInt, I(1), kInt, "NULL"},
        CompareCase{"unknown types judged by value", I(5), kUnknown, R(5.0), kUnknown, "0"}),
    scripted::ByName());

// ---------------------------------------------------------------- server error numbers

TEST(ServerErrorNumbers, NameEachMessage) {
    using sqlite::server_error_number;
    EXPECT_EQ(server_error_number(sqlite::kDivideByZero), 8134);
    EXPECT_EQ(server_error_number(sqlite::overflow_message(kInt)), 8115);
    EXPECT_EQ(server_error_number("Arithmetic overflow error converting numeric to data type numeric."),
              8115);
    EXPECT_EQ(server_error_number("Arithmetic overflow error for data type tinyint, value = 300."), 220);
    EXPECT_EQ(
        server_error_number("Conversion failed when converting the varchar value 'a' to data type int."),
        245);
    EXPECT_EQ(
        server_error_number("Conversion failed when converting date and/or time from character string."),
        241);
    EXPECT_EQ(server_error_number("Error converting data type varchar to numeric."), 8114);
    EXPECT_EQ(server_error_number("Operand type clash: uniqueidentifier is incompatible with int"), 206);
    EXPECT_EQ(server_error_number("Operand data type datetime is invalid for multiply operator."), 8117);
    EXPECT_EQ(server_error_number("The data types float and int are incompatible in the modulo operator."),
              402);
    EXPECT_EQ(server_error_number("Adding a value to a 'datetime' column caused an overflow."), 517);
    EXPECT_EQ(
        server_error_number("The conversion of a varchar data type to a datetime data type resulted in an "
                            "out-of-range value."),
        242);
    EXPECT_EQ(
        server_error_number("Explicit conversion from data type uniqueidentifier to int is not allowed."),
        529);
    EXPECT_EQ(server_error_number("no such table: NOPE"), 0);
}

// ---------------------------------------------------------------- through a database

class TypedFunctions : public DbTest {
  protected:
    std::string value(const std::string& sql) { return render(scalar(*db_, sql)); }
    static std::string code(const SqlType& t) { return std::to_string(t.code()); }
};

TEST_F(TypedFunctions, EvaluateInStatements) {
    const SqlType quotient = arithmetic_type(kDiv, num(19, 4), kInt);
    EXPECT_EQ(value("SELECT li_calc(4, 10, 4, " + code(num(19, 4)) + ", " + code(kInt) + ", " +
                    code(quotient) + ")"),
              "2.5");
    EXPECT_EQ(value("SELECT li_cmp(2, '10', " + code(kInt) + ", " + code(kVarchar) + ")"), "-1");
    EXPECT_EQ(value("SELECT li_cast(2.5, " + code(num(10, 2)) + ", " + code(kVarchar) + ", 0)"), "2.50");
    EXPECT_EQ(value("SELECT li_dateadd(3, 1, '2024-01-31', " + code(kVarchar) + ")"), "20240229");
    EXPECT_EQ(value("SELECT li_datediff(1, '2024-12-31', '2025-01-01', " + code(kVarchar) + ", " +
                    code(kVarchar) + ")"),
              "1");
    EXPECT_EQ(value("SELECT li_datepart(7, '2024-01-31', " + code(kDate) + ")"), "4");
    EXPECT_EQ(value("SELECT li_pad('ab', 4) || '|'"), "ab  |");
    EXPECT_EQ(value("SELECT li_calc(1, NULL, 1, " + code(kInt) + ", " + code(kInt) + ", " + code(kInt) + ")"),
              "NULL");
}

TEST_F(TypedFunctions, ComputeOnColumnsExactly) {
    db_->execute("CREATE TABLE T (A DECIMAL(19, 2) NULL, B DECIMAL(19, 2) NULL)");
    db_->execute("INSERT INTO T (A, B) VALUES (612042.85, 20.5)");
    const SqlType product = arithmetic_type(kMul, num(19, 2), num(19, 2));
    const std::string sql = "SELECT li_calc(3, A, B, " + code(num(19, 2)) + ", " + code(num(19, 2)) + ", " +
                            code(product) + ") FROM T";
    EXPECT_EQ(value(sql), "12546878.425");
    EXPECT_EQ(value("SELECT li_cast(li_calc(3, A, B, " + code(num(19, 2)) + ", " + code(num(19, 2)) + ", " +
                    code(product) + "), " + code(product) + ", " + code(num(19, 2)) + ", 0) FROM T"),
              "12546878.43");
}

TEST_F(TypedFunctions, FailWithTheServersMessageAndNumber) {
    struct Failure {
        std::string sql;
        std::string message;
        long number;
    };
    const std::vector<Failure> failures = {
        {"SELECT li_calc(4, 1, 0, " + code(kInt) + ", " + code(kInt) + ", " + code(kInt) + ")",
         std::string(sqlite::kDivideByZero), 8134},
        {"SELECT li_cmp('ABC', 1, " + code(kVarchar) + ", " + code(kInt) + ")",
         "Conversion failed when converting the varchar value 'ABC' to data type int.", 245},
        {"SELECT li_dateadd(1, 8000, '2015-01-31', " + code(kVarchar) + ")",
         "Adding a value to a 'datetime' column caused an overflow.", 517},
        {"SELECT li_calc(1, 1, 1, 99000000, " + code(kInt) + ", " + code(kInt) + ")",
         "The type code 99000000 names no type.", 0},
    };
    for (const auto& f : failures) {
        SCOPED_TRACE(f.sql);
        const Thrown t = thrown([&] { db_->execute(f.sql); });
        EXPECT_EQ(t.description, f.message);
        ASSERT_EQ(db_->errors().size(), 1U);
        if (f.number != 0) {
            EXPECT_EQ(db_->errors()[0].native_error, f.number);
        }
    }
}

}  // namespace
}  // namespace ado::testing
