#pragma once
// Evaluation with the server's semantics, on values as SQLite holds them. A value of an
// exact numeric type arrives as INTEGER, as REAL (a decimal of at most 15 significant
// digits, read through its 15 significant digits) or as TEXT (the exact decimal text of a longer
// one); a datetime as the stored text ('YYYYMMDD' or 'YYYYMMDD HH:MM:SS'); text as TEXT.
// Results come back the same way: integers as Int, decimals through `exact_value`
// (Int when integral and within 64 bits, Real when at most 15 significant digits, else the
// exact Text), float as Real, datetime as the stored text. NULL in gives NULL out.
// Errors are ado::Error with the server's words (see each function).
#include <optional>
#include <string_view>

#include "ado/decimal.h"
#include "ado/sqlite/shape.h"
#include "ado/sqlite/sql_type.h"

namespace ado::sqlite {

// Server messages the evaluation raises; the engine reports their server numbers as the
// provider error's native error (see `server_error_number`).
inline constexpr std::string_view kDivideByZero = "Divide by zero error encountered.";  // 8134
// "Arithmetic overflow error converting expression to data type int." (8115) and the like
// are made by `overflow_message(type)`.
std::string overflow_message(const SqlType& type);
// 8134, 8115, 245 (conversion failed), 241 (date conversion), 8114 (error converting data
// type), 206 (operand type clash), 8117 (operand type invalid for operator); 0 for a message
// that is not one of the server's.
int server_error_number(std::string_view message);

// A decimal as SQLite holds it: Int when integral and within 64 bits, Real when it has at
// most 15 significant digits (exact through its 15 significant digits), else its exact
// text.
BoundValue exact_value(const Decimal& d);
// The exact decimal of a value held as above (TEXT parsed exactly). Throws ado::Error
// ("Error converting data type varchar to numeric.") for text that is not a number.
Decimal decimal_of(const BoundValue& v);

// a op b with a of type `ta`, b of type `tb`, giving `result` (from arithmetic_type):
// exact decimal arithmetic at the result's scale (products and sums exact, quotients
// truncated at the result scale as the server does, money rounded to 4 places), integer
// division and remainder between integers, double arithmetic for float, text joined for
// text + text, days (and fractions of a day) added to or taken from a datetime.
// Throws: kDivideByZero for / and % by zero (integer, decimal, money; float too),
// overflow_message(result) when the value leaves the result type's range (int beyond
// 32 bits, decimal beyond its precision or beyond the 28 digits Decimal holds), and the
// server's conversion messages when a text operand does not convert.
BoundValue arithmetic(ArithOp op, const BoundValue& a, const SqlType& ta, const BoundValue& b,
                      const SqlType& tb, const SqlType& result);

// -1, 0 or 1 comparing a (of type ta) with b (of type tb) as the server does: both
// converted to the type of higher precedence (text to number, text to datetime with the
// server's date forms, number to datetime as days since 1900-01-01), exact for decimals;
// text with text under the database's collation. Empty for a NULL operand. Throws the
// server's conversion messages ("Conversion failed when converting the varchar value
// 'ABC' to data type int.", "Conversion failed when converting date and/or time from
// character string.").
std::optional<int> compare(const BoundValue& a, const SqlType& ta, const BoundValue& b, const SqlType& tb);

// CAST / CONVERT of v (of type `from`) to `to`, and the conversion when a value is
// assigned to a variable or column of type `to`: decimal rounded half away from zero to
// the scale, overflow beyond the precision; decimal or float to an integer type truncated
// toward zero (range checked); text to a number or a datetime as the server parses it
// ('2024-01-31', '20240131', '2024-01-31T10:00:00', '2024-01-31 10:11:12'); datetime to
// text by `style` (0 or absent: 'Jan 31 2024 10:11AM'; 103 dd/mm/yyyy; 112 yyyymmdd; 120
// yyyy-mm-dd hh:mi:ss; 121 yyyy-mm-dd hh:mi:ss.mmm; 23 yyyy-mm-dd) and cut to the text
// type's length when it has one; a number to text in the server's form. Text to text
// returns it unchanged (the length cut is the translator's). Throws ado::Error with the
// server's words for what does not convert and for an unknown style.
BoundValue convert(const BoundValue& v, const SqlType& from, const SqlType& to, int style = 0);

// Date parts as the server names them in DATEADD, DATEDIFF and DATEPART.
enum class DatePart : int {
    Year = 1,
    Quarter,
    Month,
    DayOfYear,
    Day,
    Week,
    Weekday,
    Hour,
    Minute,
    Second,
    Millisecond,
};
// "year", "yy", "yyyy", "quarter", "qq", "q", "month", "mm", "m", "dayofyear", "dy", "y",
// "day", "dd", "d", "week", "wk", "ww", "weekday", "dw", "hour", "hh", "minute", "mi", "n",
// "second", "ss", "s", "millisecond", "ms" (any case). Empty for anything else.
std::optional<DatePart> date_part(std::string_view name);

// DATEADD(part, n, d): n whole (a decimal n is truncated as the server does); month and
// year additions clamp the day to the month's last. Overflow beyond year 9999 or before
// 1753: "Adding a value to a 'datetime' column caused an overflow.".
BoundValue date_add(DatePart part, const BoundValue& n, const BoundValue& date, const SqlType& date_type);
// DATEDIFF(part, a, b): boundaries crossed from a to b (year: b.year - a.year; day: days
// between the dates; week: Sundays crossed), as an int.
BoundValue date_diff(DatePart part, const BoundValue& a, const SqlType& ta, const BoundValue& b,
                     const SqlType& tb);
// DATEPART(part, d), YEAR(d), MONTH(d), DAY(d): an int (weekday with the server's default
// first day, Sunday = 1).
BoundValue date_part_of(DatePart part, const BoundValue& date, const SqlType& date_type);

}  // namespace ado::sqlite
