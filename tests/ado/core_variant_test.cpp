#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "../support/case_name.h"
#include "ado_support.h"

namespace {

using ado::DateTime;
using ado::Decimal;
using ado::Variant;
using ado::VarType;
using ado::testing::dec;
using ado::testing::thrown;

const Variant kNull(ado::Null);

Variant date(int y, int m, int d, int h = 0) {
    return Variant(DateTime::from_parts(y, m, d, h));
}

TEST(VariantType, SubtypeCodesAndDirectAccess) {
    const std::vector<std::pair<Variant, VarType>> cases = {
        {Variant(), VarType::Empty},          {kNull, VarType::Null},
        {Variant(true), VarType::Boolean},    {Variant::integer_value(3), VarType::Integer},
        {Variant(3), VarType::Long},          {Variant(3L), VarType::LongLong},
        {Variant(1.5), VarType::Double},      {dec("2"), VarType::Decimal},
        {Variant(DateTime()), VarType::Date}, {Variant("x"), VarType::String}};
    for (const auto& [v, type] : cases) EXPECT_EQ(v.type(), type);
    EXPECT_EQ(thrown([] { (void)Variant(1).str(); }).number, ado::kErrTypeMismatch);
    EXPECT_EQ(thrown([] { (void)Variant("2020-01-01").date(); }).number, ado::kErrTypeMismatch);
}

TEST(VariantToString, LikeCStr) {
    const std::vector<std::pair<Variant, std::string>> cases = {
        {Variant(), ""},
        {Variant(true), "True"},
        {Variant(false), "False"},
        {Variant(-42), "-42"},
        {Variant::integer_value(-32768), "-32768"},
        {Variant(9007199254740993LL), "9007199254740993"},
        {Variant(0.1), "0.1"},
        {Variant(0.1 + 0.2), "0.3"},
        {Variant(1.0 / 3), "0.333333333333333"},
        {Variant(-2.0 / 3), "-0.666666666666667"},
        {Variant(1.15 * 100), "115"},
        {Variant(1e20), "1E+20"},
        {Variant(1e15), "1E+15"},
        {Variant(123456789012345678.0), "1.23456789012346E+17"},
        {Variant(0.0001), "0.0001"},
        {Variant(1e-5), "1E-05"},
        {dec("1.500"), "1.5"},
        {dec("-0.0001"), "-0.0001"},
        {date(2020, 1, 2), "2020-01-02"},
        {Variant("  text "), "  text "},
        {Variant(DateTime::from_parts(2020, 1, 2, 3, 4, 5)), "2020-01-02 03:04:05"}};
    for (const auto& [v, text] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(v.to_string(), text);
        EXPECT_EQ(v.text_or_empty(), text);
    }
    EXPECT_EQ(thrown([] { (void)kNull.to_string(); }).number, ado::kErrInvalidUse);
    EXPECT_EQ(kNull.text_or_empty(), "");
}

TEST(VariantToLong, BankersRoundingRangeAndJunk) {
    struct Case {
        Variant value;
        long long expected;
        long error;  // error number when the conversion must fail
    };
    const std::vector<Case> cases = {{Variant(), 0, 0},
                                     {Variant(true), -1, 0},
                                     {Variant("2,5"), 2, 0},
                                     {Variant("3,5"), 4, 0},
                                     {Variant("1.234"), 1234, 0},
                                     {Variant("-2.345,5"), -2346, 0},
                                     {Variant(" -2,5 "), -2, 0},
                                     {Variant("1E3"), 1000, 0},
                                     {Variant(2.5), 2, 0},
                                     {Variant(-3.5), -4, 0},
                                     {dec("2147483647.4"), 2147483647, 0},
                                     {dec("2147483647.5"), 0, ado::kErrOverflow},
                                     {Variant(-2147483648LL), -2147483648LL, 0},
                                     {Variant(-2147483649LL), 0, ado::kErrOverflow},
                                     {Variant(1e300), 0, ado::kErrOverflow},
                                     {date(1900, 1, 1), 2, 0},
                                     {date(1900, 1, 1, 12), 2, 0},
                                     {date(1900, 1, 1, 13), 3, 0},  // 2.5 goes to even
                                     {kNull, 0, ado::kErrInvalidUse},
                                     {Variant(""), 0, ado::kErrTypeMismatch},
                                     {Variant("abc"), 0, ado::kErrTypeMismatch},
                                     {Variant("1.2.3"), 0, ado::kErrTypeMismatch},
                                     {Variant("2.5"), 0, ado::kErrTypeMismatch},
                                     {Variant(1.15 * 100 + 0.5), 116, 0},
                                     {Variant("99999999999999999999999999999999"), 0, ado::kErrOverflow}};
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        const auto& c = cases[i];
        if (c.error == 0) {
            EXPECT_EQ(c.value.to_long(), c.expected);
            EXPECT_EQ(c.value.to_longlong(), c.expected);
        } else {
            EXPECT_EQ(thrown([&] { (void)c.value.to_long(); }).number, c.error);
        }
    }
    EXPECT_EQ(Variant("32767,4").to_integer(), 32767);
    EXPECT_EQ(Variant("-32768,5").to_integer(), -32768);
    EXPECT_EQ(thrown([] { (void)Variant("32767,5").to_integer(); }).number, ado::kErrOverflow);
    EXPECT_EQ(thrown([] { (void)Variant(40000).to_integer(); }).number, ado::kErrOverflow);
}

TEST(VariantToDecimalAndDouble, ExactAndChecked) {
    EXPECT_EQ(Variant("1,5").to_decimal(), Decimal::from_string("1.5"));
    EXPECT_EQ(Variant("1.234.567.890.123.456.789,123456789").to_decimal().to_string(),
              "1234567890123456789.123456789");
    EXPECT_EQ(Variant(0.1).to_decimal().to_string(), "0.1");
    EXPECT_EQ(Variant(0.1 + 0.2).to_decimal().to_string(), "0.3");
    EXPECT_EQ(Variant(1.15 * 100).to_decimal().to_string(), "115");
    EXPECT_EQ(Variant(true).to_decimal(), Decimal(-1));
    EXPECT_EQ(Variant(DateTime::from_parts(1899, 12, 29, 12)).to_decimal().to_string(), "-1.5");
    EXPECT_EQ(thrown([] { (void)Variant("").to_decimal(); }).number, ado::kErrTypeMismatch);
    EXPECT_EQ(thrown([] { (void)Variant("1E40").to_decimal(); }).number, ado::kErrOverflow);
    EXPECT_EQ(thrown([] { (void)kNull.to_decimal(); }).number, ado::kErrInvalidUse);
    EXPECT_DOUBLE_EQ(Variant("1,25").to_double(), 1.25);
    EXPECT_DOUBLE_EQ(Variant("1E300").to_double(), 1e300);
    EXPECT_DOUBLE_EQ(date(1900, 1, 1, 6).to_double(), 2.25);
    EXPECT_EQ(thrown([] { (void)Variant("nan").to_double(); }).number, ado::kErrTypeMismatch);
    EXPECT_EQ(thrown([] { (void)Variant("inf").to_double(); }).number, ado::kErrTypeMismatch);
    EXPECT_EQ(thrown([] { (void)Variant("1E400").to_double(); }).number, ado::kErrOverflow);
    EXPECT_EQ(Variant("1E-400").to_double(), 0.0);
}

// CDec, CDbl, CLng and IsNumeric of text read the user's regional form (Italian).
struct RegionalCase {
    const char* name;
    const char* text;
    const char* value;  // nullptr: type mismatch, and not numeric
};

void PrintTo(const RegionalCase& c, std::ostream* os) {
    *os << "'" << c.text << "'";
}

class VariantRegionalText : public ::testing::TestWithParam<RegionalCase> {};

TEST_P(VariantRegionalText, ConvertsOrMismatches) {
    const RegionalCase& c = GetParam();
    const Variant v(c.text);
    if (c.value == nullptr) {
        EXPECT_FALSE(v.is_numeric());
        EXPECT_EQ(thrown([&] { (void)v.to_decimal(); }).number, ado::kErrTypeMismatch);
        EXPECT_EQ(thrown([&] { (void)v.to_double(); }).number, ado::kErrTypeMismatch);
        EXPECT_EQ(thrown([&] { (void)v.to_long(); }).number, ado::kErrTypeMismatch);
        return;
    }
    EXPECT_TRUE(v.is_numeric());
    EXPECT_EQ(v.to_decimal(), Decimal::from_string(c.value));
    EXPECT_EQ(v.to_double(), Decimal::from_string(c.value).to_double());
    EXPECT_EQ(v.to_longlong(), static_cast<long long>(Decimal::from_string(c.value).round_to_integer_even()));
}

const RegionalCase kRegionalCases[] = {
    {"comma and grouping", "1.234,56", "1234.56"},
    {"comma only", "1234,56", "1234.56"},
    {"a group of three is grouping", "1.234", "1234"},
    {"several groups", "1.234.567,89", "1234567.89"},
    {"negative", "-1.234,5", "-1234.5"},
    {"blanks and sign", " +0,25 ", "0.25"},
    {"exponent", "1,5E3", "1500"},
    {"decimal point is not the regional form", "1.5", nullptr},
    {"groups of other sizes", "1.23,4", nullptr},
    {"grouping after a zero", "0.123", nullptr},
    {"point and comma swapped", "1,234.56", nullptr},
    {"empty", "", nullptr},
    {"word", "abc", nullptr},
};

INSTANTIATE_TEST_SUITE_P(Texts, VariantRegionalText, ::testing::ValuesIn(kRegionalCases), scripted::ByName());

TEST(VariantRegionalText, BeyondTheDecimalStillNumeric) {
    EXPECT_TRUE(Variant("1E300").is_numeric());
    EXPECT_TRUE(Variant("1E-400").is_numeric());
    EXPECT_FALSE(Variant("1E400").is_numeric());
    EXPECT_EQ(thrown([] { (void)Variant("1E300").to_decimal(); }).number, ado::kErrOverflow);
}

TEST(VariantToBool, NumbersAndWords) {
    const std::vector<std::pair<Variant, bool>> cases = {
        {Variant(), false},    {Variant(0), false},      {Variant(-1), true},     {Variant(0.0), false},
        {Variant(0.5), true},  {Variant("True"), true},  {Variant("tRUE"), true}, {Variant("FALSE"), false},
        {Variant("0"), false}, {Variant("-0,0"), false}, {Variant("2"), true},    {Variant(" true "), true},
        {dec("0.000"), false}};
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(cases[i].first.to_bool(), cases[i].second);
    }
    EXPECT_EQ(thrown([] { (void)Variant("yes").to_bool(); }).number, ado::kErrTypeMismatch);
    EXPECT_EQ(thrown([] { (void)Variant("0.5").to_bool(); }).number, ado::kErrTypeMismatch);
    EXPECT_EQ(thrown([] { (void)Variant("").to_bool(); }).number, ado::kErrTypeMismatch);
    EXPECT_EQ(thrown([] { (void)kNull.to_bool(); }).number, ado::kErrInvalidUse);
}

TEST(VariantToDate, TextAndSerials) {
    EXPECT_EQ(Variant("31/01/2020").to_date(), DateTime::from_parts(2020, 1, 31));
    EXPECT_EQ(Variant("31/01/24").to_date(), DateTime::from_parts(2024, 1, 31));
    EXPECT_EQ(Variant("1/1/30").to_date(), DateTime::from_parts(1930, 1, 1));
    EXPECT_EQ(Variant(2).to_date(), DateTime::from_parts(1900, 1, 1));
    EXPECT_EQ(Variant(2.25).to_date(), DateTime::from_parts(1900, 1, 1, 6));
    EXPECT_EQ(Variant(-1.5).to_date(), DateTime::from_parts(1899, 12, 29, 12));
    EXPECT_EQ(Variant().to_date(), DateTime());
    EXPECT_EQ(thrown([] { (void)Variant("31/02/2020").to_date(); }).number, ado::kErrTypeMismatch);
    EXPECT_EQ(thrown([] { (void)Variant(3000000).to_date(); }).number, ado::kErrOverflow);
    EXPECT_EQ(thrown([] { (void)kNull.to_date(); }).number, ado::kErrInvalidUse);
}

TEST(VariantPredicates, IsNumericAndIsDate) {
    struct Case {
        Variant v;
        bool numeric, date;
    };
    const std::vector<Case> cases = {{Variant(), true, false},
                                     {kNull, false, false},
                                     {Variant(true), true, false},
                                     {Variant(1.5), true, false},
                                     {Variant(DateTime()), false, true},
                                     {Variant(" -1,5 "), true, false},
                                     {Variant("1E300"), true, false},
                                     {Variant(""), false, false},
                                     {Variant("abc"), false, false},
                                     {Variant("1.2.3"), false, false},
                                     {Variant("2020-01-31"), false, true},
                                     {Variant("31/02/2020"), false, false},
                                     {Variant("20200131"), true, true},
                                     {Variant("1.234,5"), true, false},
                                     {Variant("1.5"), false, false},
                                     {Variant("31/12/29"), false, true},
                                     {Variant("24-01-31"), false, false}};
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(cases[i].v.is_numeric(), cases[i].numeric);
        EXPECT_EQ(cases[i].v.is_date_like(), cases[i].date);
    }
}

TEST(VariantEquality, StrictOnFamilyByValueForNumbers) {
    EXPECT_EQ(Variant(), Variant());
    EXPECT_EQ(kNull, kNull);
    EXPECT_NE(Variant(), kNull);
    EXPECT_EQ(Variant(5), Variant(5LL));
    EXPECT_EQ(Variant::integer_value(5), dec("5.000"));
    EXPECT_EQ(Variant(2.5), dec("2.5"));
    EXPECT_EQ(Variant(0.1 + 0.2), dec("0.3"));    // the Double through CDec
    EXPECT_NE(Variant(0.1 + 0.2), Variant(0.3));  // two Doubles as they are
    EXPECT_NE(Variant(5), Variant(6));
    EXPECT_NE(Variant(5), Variant("5"));
    EXPECT_NE(Variant(-1), Variant(true));
    EXPECT_NE(Variant(0), Variant());
    EXPECT_NE(Variant("ab"), Variant("AB"));
    EXPECT_NE(Variant(std::nan("")), Variant(std::nan("")));
    EXPECT_EQ(date(2020, 1, 1), date(2020, 1, 1));
}

TEST(CompareValues, AcrossSubtypes) {
    struct Case {
        Variant a, b;
        int expected;
    };
    const std::vector<Case> cases = {
        {Variant(5), dec("5.00"), 0},
        {Variant(true), Variant(-1), 0},
        {Variant(false), dec("0"), 0},
        {Variant(0.1), dec("0.1"), 0},
        {Variant(0.1 + 0.2), dec("0.3"), 0},
        {Variant(0.1 + 0.2), Variant(0.3), 1},
        {Variant(1e300), dec("79228162514264337593543950335"), 1},
        {dec("0.0000000000000000000000000001"), Variant(0), 1},
        {Variant(9007199254740993LL), Variant(9007199254740992LL), 1},
        {Variant("ab "), Variant("AB"), 0},
        {Variant("\xC3\xA0"), Variant("\xC3\x80"), 0},
        {Variant("a"), Variant("b"), -1},
        {Variant("10"), Variant(9), 1},
        {Variant(" 1,5"), dec("1.5"), 0},
        {Variant("1.5"), dec("1.5"), 0},  // comparisons read text in the fixed form
        {Variant(2), Variant("1E300"), -1},
        {date(2020, 1, 2), Variant(DateTime::from_parts(2020, 1, 1, 23, 59, 59)), 1},
        {date(2020, 1, 2), Variant("02/01/2020"), 0},
        {Variant("2020-01-01 10:00"), date(2020, 1, 1, 10), 0},
        {date(1900, 1, 1), Variant(2), 0},
        {Variant(), Variant(0), 0},
        {Variant(), Variant("   "), 0},
        {Variant(), Variant(-3), 1},
        {Variant(), Variant(), 0}};
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ado::compare_values(cases[i].a, cases[i].b), cases[i].expected);
        EXPECT_EQ(ado::compare_values(cases[i].b, cases[i].a), -cases[i].expected);
    }
}

TEST(CompareValues, ExactTextAndFailures) {
    EXPECT_NE(ado::compare_values(Variant("ab"), Variant("AB"), true), 0);
    EXPECT_NE(ado::compare_values(Variant("ab "), Variant("ab"), true), 0);
    EXPECT_EQ(ado::compare_values(Variant("ab"), Variant("ab"), true), 0);
    EXPECT_EQ(thrown([] { ado::compare_values(Variant("abc"), Variant(1)); }).number, ado::kErrTypeMismatch);
    EXPECT_EQ(thrown([] { ado::compare_values(Variant(1), Variant("")); }).number, ado::kErrTypeMismatch);
    EXPECT_EQ(thrown([] { ado::compare_values(Variant("x"), Variant(DateTime())); }).number,
              ado::kErrTypeMismatch);
    EXPECT_EQ(thrown([] { ado::compare_values(kNull, Variant(1)); }).number, ado::kErrInvalidUse);
    EXPECT_EQ(thrown([] { ado::compare_values(Variant(1), kNull); }).number, ado::kErrInvalidUse);
}

}  // namespace
