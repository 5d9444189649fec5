#pragma once
// Operands of the typed evaluation: a value as SQLite holds it, read as its declared type
// and converted the way the server converts it implicitly. Shared by the arithmetic, the
// comparison, CAST/CONVERT and the date functions (sql_eval.h is their public face).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ado/datetime.h"
#include "ado/sqlite/shape.h"
#include "ado/sqlite/sql_numeric.h"
#include "ado/sqlite/sql_type.h"

namespace ado::sqlite::operand {

[[noreturn]] void fail(const std::string& message);

// The type a value is read as: `t`, or for an Unknown type what SQLite's storage class
// tells (INTEGER bigint, REAL a decimal of its own digits, TEXT varchar, BLOB varbinary).
SqlType effective_type(const BoundValue& v, const SqlType& t);

// The name a text operand has in conversion messages ("varchar" for text of no known type).
std::string text_type_name(const SqlType& t);

// Integer of type `to` (an integer type or bit): text parsed strictly (blanks around, a sign;
// '' is 0), decimals and floats truncated toward zero, datetimes rounded to days since
// 1900-01-01; range checked with the server's messages.
std::int64_t integer_of(const BoundValue& v, const SqlType& from, const SqlType& to);
// The exact number held, without rounding: for comparisons and as the first step of
// `numeric_of`. `to` names the target in conversion messages (decimal or money).
Numeric exact_of(const BoundValue& v, const SqlType& from, const SqlType& to);
// Decimal(p, s), money or smallmoney: rounded half away from zero to the scale, then
// precision (or money range) checked.
Numeric numeric_of(const BoundValue& v, const SqlType& from, const SqlType& to);
// Brings an exact number to decimal(p, s) or money: rounded half away from zero, then checked
// against the type's range: beyond it "Arithmetic overflow error converting <source> to data
// type <to>." ("expression" for a result of arithmetic).
Numeric fit(const Numeric& n, const SqlType& to, std::string_view source);
double float_of(const BoundValue& v, const SqlType& from);
// Seconds since 1900-01-01 00:00:00: dates read from text (the server's forms; error 241),
// numbers as days (and fractions of a day) since 1900-01-01.
std::int64_t datetime_of(const BoundValue& v, const SqlType& from);
// The text CAST(v AS VARCHAR) gives (style 0).
std::string text_of(const BoundValue& v, const SqlType& from);

// CAST/CONVERT of a float to text: style 0 "%.6g" as the server writes it ('1.23457e+006'),
// 1 eight digits and 2 sixteen digits in scientific notation; 3, 126, 128, 129 refused,
// other styles taken as 0.
std::string float_text(double v, int style);
// Of a money value: style 0 two decimals, 1 two decimals with thousands commas, 2 and 126
// four decimals; other styles taken as 0.
std::string money_text(const Numeric& n, int style);

// A datetime result in its stored form; beyond 1753-01-01 .. 9999-12-31 23:59:59 the
// server's overflow (`overflow` message).
BoundValue datetime_value(std::int64_t seconds, const std::string& overflow);
// True when the seconds lie in the server's datetime range.
bool in_datetime_range(std::int64_t seconds);
// Seconds since 1900-01-01 00:00:00 of a date, and back.
std::int64_t seconds_of(const DateTime& d);
DateTime datetime_at(std::int64_t seconds);
// An exact result as SQLite holds decimals (see exact_value).
BoundValue numeric_value(const Numeric& n);

// Dates: the server's date strings (ISO with '-' and optional 'T' or blank time,
// 'YYYYMMDD[ time]', '' for 1900-01-01) as seconds since 1900-01-01; empty for other text.
// Day-first or month-first forms with '/' are refused (their reading depends on the
// server's language). Years before 1753 give error 242.
std::optional<std::int64_t> parse_date(std::string_view text);
// Text to datetime for CONVERT with an input style (101, 103, 104, 105, 110 and their
// two-digit-year forms; others as parse_date); throws 241 / 242.
std::int64_t date_from_text(std::string_view text, int style);
// Datetime to text by CONVERT style; throws for styles the engine does not format.
std::string date_text(std::int64_t seconds, int style);

}  // namespace ado::sqlite::operand
