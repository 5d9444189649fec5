// CAST / CONVERT and the date functions with the server's semantics: numbers to text in the
// server's forms, the date styles, text to numbers and dates, rounding and range checks;
// DATEADD, DATEDIFF and DATEPART.
#include <gtest/gtest.h>

#include "sqlite_semantics_support.h"

namespace ado::testing {
namespace {

using sqlite::convert;

struct ConvertCase {
    const char* name;
    BoundValue v;
    SqlType from;
    SqlType to;
    int style;
    const char* expected;  // render(), or "error: ..."
};

void PrintTo(const ConvertCase& c, std::ostream* os) {
    *os << c.name;
}

class Conversions : public ::testing::TestWithParam<ConvertCase> {};

TEST_P(Conversions, AreTheServers) {
    const ConvertCase& c = GetParam();
    EXPECT_EQ(outcome([&] { return convert(c.v, c.from, c.to, c.style); }), c.expected);
}

const SqlType kVarchar3 = text_type(SqlBase::VarChar, 3);
const SqlType kVarchar10 = text_type(SqlBase::VarChar, 10);
const BoundValue kMoment = T("20240131 10:11:12");

INSTANTIATE_TEST_SUITE_P(
    Numbers, Conversions,
    ::testing::Values(
        ConvertCase{"decimal keeps its scale as text", R(2.5), num(10, 2), kVarchar, 0, "'2.50'"},
        ConvertCase{"decimal below one as text", R(-0.5), num(10, 2), kVarchar, 0, "'-0.50'"},
        ConvertCase{"whole decimal as text", I(3), num(5, 0), kVarchar, 0, "'3'"},
        ConvertCase{"product stored rounds half away", R(12546878.425), num(12, 3), num(19, 2), 0,
                    "real 12546878.43"},
        ConvertCase{"negative rounds half away", R(-2.675), num(5, 3), num(10, 2), 0, "real -2.68"},
        ConvertCase{"decimal beyond the precision", R(1234.5), num(5, 1), num(5, 2), 0,
                    "error: Arithmetic overflow error converting numeric to data type numeric."},
        ConvertCase{"int beyond the precision", I(1000), kInt, num(5, 2), 0,
                    "error: Arithmetic overflow error converting int to data type numeric."},
        ConvertCase{"int as text", I(-5), kInt, kVarchar, 0, "'-5'"},
        ConvertCase{"int too long for its text", I(12345), kInt, kVarchar3, 0, "'*'"},
        ConvertCase{"decimal too long for its text", R(1234.5), num(5, 1), kVarchar3, 0,
                    "error: Arithmetic overflow error converting numeric to data type varchar."},
        ConvertCase{"bit as text", I(1), kBit, kVarchar, 0, "'1'"},
        ConvertCase{"float in six digits", R(1234567.0), kFloat, kVarchar, 0, "'1.23457e+006'"},
        ConvertCase{"float rounded to six digits", R(1.353956), kFloat, kVarchar, 0, "'1.35396'"},
        ConvertCase{"small float", R(0.00001), kFloat, kVarchar, 0, "'1e-005'"},
        ConvertCase{"float in plain notation", R(100000), kFloat, kVarchar, 0, "'100000'"},
        ConvertCase{"float tenth", R(0.1), kFloat, kVarchar, 0, "'0.1'"},
        ConvertCase{"float style 1", R(1234567.0), kFloat, kVarchar, 1, "'1.2345670e+006'"},
        ConvertCase{"float style 3 refused", R(1.5), kFloat, kVarchar, 3,
                    "error: The embedded engine does not support CONVERT style 3."},
        ConvertCase{"money in two decimals", R(1234.5678), kMoney, kVarchar, 0, "'1234.57'"},
        ConvertCase{"money with commas", R(1234567.5), kMoney, kVarchar, 1, "'1,234,567.50'"},
        ConvertCase{"money in four decimals", R(1234.5678), kMoney, kVarchar, 2, "'1234.5678'"},
        ConvertCase{"decimal to int truncates", R(2.7), num(2, 1), kInt, 0, "2"},
        ConvertCase{"negative decimal to int truncates", R(-2.7), num(2, 1), kInt, 0, "-2"},
        ConvertCase{"decimal beyond int", R(3000000000.5), num(11, 1), kInt, 0,
                    "error: Arithmetic overflow error converting numeric to data type int."},
        ConvertCase{"float to int truncates", R(-2.7), kFloat, kInt, 0, "-2"},
        ConvertCase{"int beyond smallint", I(100000), kInt, kSmall, 0,
                    "error: Arithmetic overflow error converting expression to data type smallint."},
        ConvertCase{"int to money", I(5), kInt, kMoney, 0, "5"},
        ConvertCase{"decimal to float", R(2.5), num(2, 1), kFloat, 0, "real 2.5"},
        ConvertCase{"guid to int", T("6F9619FF-8B86-D011-B42D-00C04FC964FF"), kGuid, kInt, 0,
                    "error: Explicit conversion from data type uniqueidentifier to int is not allowed."}),
    scripted::ByName());

INSTANTIATE_TEST_SUITE_P(
    Texts, Conversions,
    ::testing::Values(
        ConvertCase{"text to int with blanks", T(" 12 "), kVarchar, kInt, 0, "12"},
        ConvertCase{"text with a fraction to int", T("1.5"), kVarchar, kInt, 0,
                    "error: Conversion failed when converting the varchar value '1.5' to data type int."},
        ConvertCase{"empty text to int", T(""), kVarchar, kInt, 0, "0"},
        ConvertCase{"text beyond int", T("3000000000"), kVarchar, kInt, 0,
                    "error: The conversion of the varchar value '3000000000' overflowed an int column."},
        ConvertCase{"text to decimal rounds half away", T("1.005"), kVarchar, num(10, 2), 0, "real 1.01"},
        ConvertCase{"text that is no decimal", T("x"), kVarchar, num(10, 2), 0,
                    "error: Error converting data type varchar to numeric."},
        ConvertCase{"empty text to decimal", T(""), kNVarchar, num(10, 2), 0,
                    "error: Error converting data type nvarchar to numeric."},
        ConvertCase{"exponent text to decimal", T("1E3"), kVarchar, num(10, 2), 0,
                    "error: Error converting data type varchar to numeric."},
        ConvertCase{"text beyond the precision", T("123456"), kVarchar, num(5, 2), 0,
                    "error: Arithmetic overflow error converting varchar to data type numeric."},
        ConvertCase{"exponent text to float", T("1E3"), kVarchar, kFloat, 0, "real 1000"},
        ConvertCase{"text that is no float", T("x"), kVarchar, kFloat, 0,
                    "error: Error converting data type varchar to float."},
        ConvertCase{"text to money", T("$1,234.50"), kVarchar, kMoney, 0, "real 1234.5"},
        ConvertCase{"text that is no money", T("abc"), kVarchar, kMoney, 0,
                    "error: Cannot convert a char value to money. The char value has incorrect syntax."},
        ConvertCase{"TRUE to bit", T("TRUE"), kVarchar, kBit, 0, "1"},
        ConvertCase{"number text to bit", T("2"), kVarchar, kBit, 0, "1"},
        ConvertCase{"text that is no bit", T("x"), kVarchar, kBit, 0,
                    "error: Conversion failed when converting the varchar value 'x' to data type bit."},
        ConvertCase{"text to guid", T("{6f9619ff-8b86-d011-b42d-00c04fc964ff}"), kVarchar, kGuid, 0,
                    "'6F9619FF-8B86-D011-B42D-00C04FC964FF'"},
        ConvertCase{"text that is no guid", T("x"), kVarchar, kGuid, 0,
                    "error: Conversion failed when converting from a character string to uniqueidentifier."},
        ConvertCase{"text stays text", T("abc "), kVarchar, kNVarchar, 0, "'abc '"}),
    scripted::ByName());

INSTANTIATE_TEST_SUITE_P(
    Dates, Conversions,
    ::testing::Values(
        ConvertCase{"ISO date", T("2024-01-31"), kVarchar, kDate, 0, "'20240131'"},
        ConvertCase{"compact date and time", T("20240131 10:11:12"), kVarchar, kDate, 0,
                    "'20240131 10:11:12'"},
        ConvertCase{"ISO with T", T("2024-01-31T10:00:00"), kVarchar, kDate, 0, "'20240131 10:00:00'"},
        ConvertCase{"ISO to the minute", T("2024-01-31 10:11"), kVarchar, kDate, 0, "'20240131 10:11:00'"},
        ConvertCase{"empty text is the base date", T(""), kVarchar, kDate, 0, "'19000101'"},
        ConvertCase{"text that is no date", T("31 gennaio"), kVarchar, kDate, 0,
                    "error: Conversion failed when converting date and/or time from character string."},
        ConvertCase{"date before 1753", T("1600-01-01"), kVarchar, kDate, 0,
                    "error: The conversion of a varchar data type to a datetime data type resulted in an "
                    "out-of-range value."},
        ConvertCase{"style 103 reads day first", T("31/01/2024"), kVarchar, kDate, 103, "'20240131'"},
        ConvertCase{"style 101 reads month first", T("01/31/2024"), kVarchar, kDate, 101, "'20240131'"},
        ConvertCase{"style 1 with two-digit year", T("01/31/24"), kVarchar, kDate, 1, "'20240131'"},
        ConvertCase{"style 101 with no such month", T("31/01/2024"), kVarchar, kDate, 101,
                    "error: Conversion failed when converting date and/or time from character string."},
        ConvertCase{"days since 1900 to a date", I(45320), kInt, kDate, 0, "'20240131'"},
        ConvertCase{"a day and a half", R(45320.5), num(7, 1), kDate, 0, "'20240131 12:00:00'"},
        ConvertCase{"a date to days", T("20240131"), kDate, kInt, 0, "45320"},
        ConvertCase{"afternoon rounds to the next day", T("20240131 13:00:00"), kDate, kInt, 0, "45321"},
        ConvertCase{"a date to float", T("20240131 12:00:00"), kDate, kFloat, 0, "real 45320.5"},
        ConvertCase{"a date to decimal", T("20240131 06:00:00"), kDate, num(10, 2), 0, "real 45320.25"},
        ConvertCase{"default style", kMoment, kDate, kVarchar, 0, "'Jan 31 2024 10:11AM'"},
        ConvertCase{"style 100", kMoment, kDate, kVarchar, 100, "'Jan 31 2024 10:11AM'"},
        ConvertCase{"default style pads day and hour", T("20240105 09:05:00"), kDate, kVarchar, 0,
                    "'Jan  5 2024  9:05AM'"},
        ConvertCase{"default style afternoon", T("20241205 13:00:00"), kDate, kVarchar, 0,
                    "'Dec  5 2024  1:00PM'"},
        ConvertCase{"default style midnight", T("20240131"), kDate, kVarchar, 0, "'Jan 31 2024 12:00AM'"},
        ConvertCase{"style 101", kMoment, kDate, kVarchar, 101, "'01/31/2024'"},
        ConvertCase{"style 103", kMoment, kDate, kVarchar, 103, "'31/01/2024'"},
        ConvertCase{"style 3", kMoment, kDate, kVarchar, 3, "'31/01/24'"},
        ConvertCase{"style 104", kMoment, kDate, kVarchar, 104, "'31.01.2024'"},
        ConvertCase{"style 105", kMoment, kDate, kVarchar, 105, "'31-01-2024'"},
        ConvertCase{"style 110", kMoment, kDate, kVarchar, 110, "'01-31-2024'"},
        ConvertCase{"style 112", kMoment, kDate, kVarchar, 112, "'20240131'"},
        ConvertCase{"style 120", kMoment, kDate, kVarchar, 120, "'2024-01-31 10:11:12'"},
        ConvertCase{"style 121", kMoment, kDate, kVarchar, 121, "'2024-01-31 10:11:12.000'"},
        ConvertCase{"style 23", kMoment, kDate, kVarchar, 23, "'2024-01-31'"},
        ConvertCase{"style 126", kMoment, kDate, kVarchar, 126, "'2024-01-31T10:11:12'"},
        ConvertCase{"style 108", kMoment, kDate, kVarchar, 108, "'10:11:12'"},
        ConvertCase{"style 106", kMoment, kDate, kVarchar, 106, "'31 Jan 2024'"},
        ConvertCase{"style cut to the text length", kMoment, kDate, kVarchar10, 120, "'2024-01-31'"},
        ConvertCase{"style the engine does not format", kMoment, kDate, kVarchar, 131,
                    "error: The embedded engine does not support CONVERT style 131."}),
    scripted::ByName());

TEST(Conversions, NullStaysNull) {
    EXPECT_EQ(render(convert(N(), kVarchar, kInt)), "NULL");
    EXPECT_EQ(render(convert(N(), kDate, kVarchar, 103)), "NULL");
}

// ---------------------------------------------------------------- date functions

enum class DateFn { Add, Diff, Part };

struct DateCase {
    const char* name;
    DateFn fn;
    DatePart part;
    BoundValue a;  // DATEADD's number, DATEDIFF's start, DATEPART's date
    BoundValue b;  // DATEADD's date, DATEDIFF's end
    const char* expected;
};

void PrintTo(const DateCase& c, std::ostream* os) {
    *os << c.name;
}

class DateFunctions : public ::testing::TestWithParam<DateCase> {};

TEST_P(DateFunctions, AreTheServers) {
    const DateCase& c = GetParam();
    EXPECT_EQ(outcome([&] {
                  switch (c.fn) {
                      case DateFn::Add:
                          return sqlite::date_add(c.part, c.a, c.b, kVarchar);
                      case DateFn::Diff:
                          return sqlite::date_diff(c.part, c.a, kVarchar, c.b, kDate);
                      case DateFn::Part:
                          break;
                  }
                  return sqlite::date_part_of(c.part, c.a, kVarchar);
              }),
              c.expected);
}

using P = DatePart;
const auto kAddFn = DateFn::Add;
const auto kDiffFn = DateFn::Diff;
const auto kPartFn = DateFn::Part;
const char* const kDiffOverflow =
    "error: The datediff function resulted in an overflow. The number of dateparts separating two date/time "
    "instances is too large. Try to use datediff with a less precise datepart.";

INSTANTIATE_TEST_SUITE_P(
    Values, DateFunctions,
    ::testing::Values(
        DateCase{"month end clamped", kAddFn, P::Month, I(1), T("2024-01-31"), "'20240229'"},
        DateCase{"month end of a short month", kAddFn, P::Month, I(1), T("20060831"), "'20060930'"},
        DateCase{"leap day a year on", kAddFn, P::Year, I(1), T("2024-02-29"), "'20250228'"},
        DateCase{"quarter", kAddFn, P::Quarter, I(1), T("20241130"), "'20250228'"},
        DateCase{"months back over a year", kAddFn, P::Month, I(-13), T("20240315 08:30:00"),
                 "'20230215 08:30:00'"},
        DateCase{"days back", kAddFn, P::Day, I(-1), T("20240301"), "'20240229'"},
        DateCase{"weeks", kAddFn, P::Week, I(5), T("20070101 01:01:01"), "'20070205 01:01:01'"},
        DateCase{"hours over midnight", kAddFn, P::Hour, I(25), T("20240131"), "'20240201 01:00:00'"},
        DateCase{"seconds", kAddFn, P::Second, I(59), T("20070101 01:01:01"), "'20070101 01:02:00'"},
        DateCase{"a fraction is truncated", kAddFn, P::Day, R(1.9), T("20240131"), "'20240201'"},
        DateCase{"a number as text", kAddFn, P::Day, T("2"), T("20240131"), "'20240202'"},
        DateCase{"whole seconds in milliseconds", kAddFn, P::Millisecond, I(-2000), T("20240131"),
                 "'20240130 23:59:58'"},
        DateCase{"milliseconds the engine does not hold", kAddFn, P::Millisecond, I(-3), T("20240131"),
                 "error: The embedded engine holds date and time to the second: DATEADD(millisecond, -3, "
                 "...) would "
                 "need milliseconds."},
        DateCase{"beyond year 9999", kAddFn, P::Year, I(8000), T("2015-01-31"),
                 "error: Adding a value to a 'datetime' column caused an overflow."},
        DateCase{"before 1753", kAddFn, P::Day, I(-100000), T("1753-01-01"),
                 "error: Adding a value to a 'datetime' column caused an overflow."},
        DateCase{"number beyond int", kAddFn, P::Year, R(2147483648.0), T("20060731"),
                 "error: Arithmetic overflow error converting expression to data type int."},
        DateCase{"text that is no date", kAddFn, P::Day, I(1), T("31 gennaio"),
                 "error: Conversion failed when converting date and/or time from character string."},
        DateCase{"null date", kAddFn, P::Day, I(1), N(), "NULL"},
        DateCase{"years crossed in a day", kDiffFn, P::Year, T("2024-12-31"), T("20250101"), "1"},
        DateCase{"days backwards", kDiffFn, P::Day, T("2036-03-01"), T("20360228"), "-2"},
        DateCase{"days ignore the time", kDiffFn, P::Day, T("2024-01-31 23:59:59"), T("20240201"), "1"},
        DateCase{"months", kDiffFn, P::Month, T("2024-01-31"), T("20240201"), "1"},
        DateCase{"quarters", kDiffFn, P::Quarter, T("2024-03-31"), T("20240401"), "1"},
        DateCase{"a Sunday crossed", kDiffFn, P::Week, T("2005-12-31 23:59:59"), T("20060101"), "1"},
        DateCase{"no Sunday crossed", kDiffFn, P::Week, T("2024-01-01"), T("20240106"), "0"},
        DateCase{"weeks back", kDiffFn, P::Week, T("2024-01-14"), T("20240106"), "-2"},
        DateCase{"hours crossed", kDiffFn, P::Hour, T("2024-01-31 10:59:59"), T("20240131 11:00:00"), "1"},
        DateCase{"minutes", kDiffFn, P::Minute, T("2024-01-31 10:00:59"), T("20240131 10:02:00"), "2"},
        DateCase{"seconds beyond int", kDiffFn, P::Second, T("1900-01-01"), T("20240101"), kDiffOverflow},
        DateCase{"milliseconds", kDiffFn, P::Millisecond, T("2024-01-31 10:00:00"), T("20240131 10:00:02"),
                 "2000"},
        DateCase{
            "weekday is no datediff part", kDiffFn, P::Weekday, T("2024-01-31"), T("20240201"),
            "error: The datepart weekday is not supported by date function datediff for data type datetime."},
        DateCase{"weekday of a Wednesday", kPartFn, P::Weekday, T("2024-01-31"), N(), "4"},
        DateCase{"weekday of a Sunday", kPartFn, P::Weekday, T("2024-01-07"), N(), "1"},
        DateCase{"week of January 1st", kPartFn, P::Week, T("2024-01-01"), N(), "1"},
        DateCase{"week starting on the first Sunday", kPartFn, P::Week, T("2024-01-07"), N(), "2"},
        DateCase{"last week of a leap year", kPartFn, P::Week, T("2024-12-31"), N(), "53"},
        DateCase{"day of a leap year", kPartFn, P::DayOfYear, T("2024-12-31"), N(), "366"},
        DateCase{"quarter of August", kPartFn, P::Quarter, T("20240815"), N(), "3"},
        DateCase{"year", kPartFn, P::Year, T("20240815"), N(), "2024"},
        DateCase{"month", kPartFn, P::Month, T("20240815"), N(), "8"},
        DateCase{"day", kPartFn, P::Day, T("20240815"), N(), "15"},
        DateCase{"hour", kPartFn, P::Hour, T("20240815 13:14:15"), N(), "13"},
        DateCase{"minute", kPartFn, P::Minute, T("20240815 13:14:15"), N(), "14"},
        DateCase{"second", kPartFn, P::Second, T("20240815 13:14:15"), N(), "15"},
        DateCase{"millisecond", kPartFn, P::Millisecond, T("20240815 13:14:15"), N(), "0"},
        DateCase{"null", kPartFn, P::Year, N(), N(), "NULL"}),
    scripted::ByName());

TEST(DateParts, AreNamedAsTheServerNamesThem) {
    EXPECT_EQ(sqlite::date_part("yyyy"), DatePart::Year);
    EXPECT_EQ(sqlite::date_part("QQ"), DatePart::Quarter);
    EXPECT_EQ(sqlite::date_part("m"), DatePart::Month);
    EXPECT_EQ(sqlite::date_part("y"), DatePart::DayOfYear);
    EXPECT_EQ(sqlite::date_part("dd"), DatePart::Day);
    EXPECT_EQ(sqlite::date_part("wk"), DatePart::Week);
    EXPECT_EQ(sqlite::date_part("DW"), DatePart::Weekday);
    EXPECT_EQ(sqlite::date_part("n"), DatePart::Minute);
    EXPECT_EQ(sqlite::date_part("ss"), DatePart::Second);
    EXPECT_EQ(sqlite::date_part("ms"), DatePart::Millisecond);
    EXPECT_FALSE(sqlite::date_part("fortnight"));
    EXPECT_FALSE(sqlite::date_part("mcs"));
}

}  // namespace
}  // namespace ado::testing
