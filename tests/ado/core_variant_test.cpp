#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ado/error.h"
#include "ado/variant.h"

namespace {

using ado::DateTime;
using ado::Decimal;
using ado::Variant;
using ado::VarType;

long error_of(const std::function<void()>& f) {
    try {
        f();
    } catch (const ado::Error& e) {
        return e.number();
    }
    return 0;
}

TEST(VariantType, SubtypeCodes) {
    EXPECT_EQ(Variant().type(), VarType::Empty);
    EXPECT_EQ(Variant(ado::Null).type(), VarType::Null);
    EXPECT_EQ(Variant(true).type(), VarType::Boolean);
    EXPECT_EQ(Variant::integer_value(3).type(), VarType::Integer);
    EXPECT_EQ(Variant(3).type(), VarType::Long);
    EXPECT_EQ(Variant(3L).type(), VarType::LongLong);
    EXPECT_EQ(Variant(1.5).type(), VarType::Double);
    EXPECT_EQ(Variant(Decimal(2)).type(), VarType::Decimal);
    EXPECT_EQ(Variant(DateTime()).type(), VarType::Date);
    EXPECT_EQ(Variant("x").type(), VarType::String);
    EXPECT_TRUE(Variant(true).is_numeric_type());
    EXPECT_FALSE(Variant("1").is_numeric_type());
    EXPECT_EQ(error_of([] { (void)Variant(1).str(); }), ado::kErrTypeMismatch);
    EXPECT_EQ(error_of([] { (void)Variant("2020-01-01").date(); }), ado::kErrTypeMismatch);
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
        {Variant(1e20), "1E+20"},
        {Variant(-2.5), "-2.5"},
        {Variant(Decimal::from_string("1.500")), "1.5"},
        {Variant(Decimal::from_string("-0.0001")), "-0.0001"},
        {Variant(DateTime::from_parts(2020, 1, 2)), "2020-01-02"},
        {Variant(DateTime::from_parts(2020, 1, 2, 3, 4, 5)), "2020-01-02 03:04:05"},
        {Variant("  text "), "  text "},
    };
    for (const auto& [v, text] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(v.to_string(), text);
        EXPECT_EQ(v.text_or_empty(), text);
    }
    EXPECT_EQ(error_of([] { (void)Variant(ado::Null).to_string(); }), ado::kErrInvalidUse);
    EXPECT_EQ(Variant(ado::Null).text_or_empty(), "");
}

struct IntegerCase {
    Variant value;
    long long expected;  // CLng result
    long error;          // error number when the conversion must fail
};

TEST(VariantToLong, BankersRoundingRangeAndJunk) {
    const std::vector<IntegerCase> cases = {
        {Variant(), 0, 0},
        {Variant(true), -1, 0},
        {Variant(false), 0, 0},
        {Variant("2.5"), 2, 0},
        {Variant("3.5"), 4, 0},
        {Variant(" -2,5 "), -2, 0},
        {Variant("1E3"), 1000, 0},
        {Variant(2.5), 2, 0},
        {Variant(-3.5), -4, 0},
        {Variant(Decimal::from_string("2147483647.4")), 2147483647, 0},
        {Variant(Decimal::from_string("2147483647.5")), 0, ado::kErrOverflow},
        {Variant(-2147483648LL), -2147483648LL, 0},
        {Variant(-2147483649LL), 0, ado::kErrOverflow},
        {Variant(1e300), 0, ado::kErrOverflow},
        {Variant(DateTime::from_parts(1900, 1, 1)), 2, 0},
        {Variant(DateTime::from_parts(1900, 1, 1, 12)), 2, 0},  // 2.5 rounds to even
        {Variant(DateTime::from_parts(1900, 1, 1, 13)), 3, 0},
        {Variant(ado::Null), 0, ado::kErrInvalidUse},
        {Variant(""), 0, ado::kErrTypeMismatch},
        {Variant("abc"), 0, ado::kErrTypeMismatch},
        {Variant("1.2.3"), 0, ado::kErrTypeMismatch},
        {Variant("99999999999999999999999999999999"), 0, ado::kErrOverflow},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value.is_null() ? std::string("Null") : c.value.to_string());
        if (c.error == 0) {
            EXPECT_EQ(c.value.to_long(), c.expected);
            EXPECT_EQ(c.value.to_longlong(), c.expected);
        } else {
            EXPECT_EQ(error_of([&] { (void)c.value.to_long(); }), c.error);
        }
    }
}

TEST(VariantToInteger, SixteenBitRange) {
    EXPECT_EQ(Variant("32767.4").to_integer(), 32767);
    EXPECT_EQ(Variant("-32768.5").to_integer(), -32768);
    EXPECT_EQ(error_of([] { (void)Variant("32767.5").to_integer(); }), ado::kErrOverflow);
    EXPECT_EQ(error_of([] { (void)Variant(40000).to_integer(); }), ado::kErrOverflow);
    EXPECT_EQ(error_of([] { (void)Variant(ado::Null).to_integer(); }), ado::kErrInvalidUse);
}

TEST(VariantToDecimal, ExactAndChecked) {
    EXPECT_EQ(Variant("1,5").to_decimal(), Decimal::from_string("1.5"));
    EXPECT_EQ(Variant("1.5").to_decimal(), Decimal::from_string("1.5"));
    EXPECT_EQ(Variant("1234567890123456789.123456789").to_decimal().to_string(), "1234567890123456789.123456789");
    EXPECT_EQ(Variant(0.1).to_decimal().to_string(), "0.1");
    EXPECT_EQ(Variant(true).to_decimal(), Decimal(-1));
    EXPECT_TRUE(Variant().to_decimal().is_zero());
    EXPECT_EQ(Variant(DateTime::from_parts(1899, 12, 29, 12)).to_decimal().to_string(), "-1.5");
    EXPECT_EQ(error_of([] { (void)Variant("abc").to_decimal(); }), ado::kErrTypeMismatch);
    EXPECT_EQ(error_of([] { (void)Variant("").to_decimal(); }), ado::kErrTypeMismatch);
    EXPECT_EQ(error_of([] { (void)Variant("1E40").to_decimal(); }), ado::kErrOverflow);
    EXPECT_EQ(error_of([] { (void)Variant(ado::Null).to_decimal(); }), ado::kErrInvalidUse);
}

TEST(VariantToDouble, TextAndNumbers) {
    EXPECT_DOUBLE_EQ(Variant("1,25").to_double(), 1.25);
    EXPECT_DOUBLE_EQ(Variant("1E300").to_double(), 1e300);
    EXPECT_DOUBLE_EQ(Variant(Decimal::from_string("-7.75")).to_double(), -7.75);
    EXPECT_DOUBLE_EQ(Variant(DateTime::from_parts(1900, 1, 1, 6)).to_double(), 2.25);
    EXPECT_EQ(error_of([] { (void)Variant("nan").to_double(); }), ado::kErrTypeMismatch);
    EXPECT_EQ(error_of([] { (void)Variant("inf").to_double(); }), ado::kErrTypeMismatch);
}

TEST(VariantToBool, NumbersAndWords) {
    const std::vector<std::pair<Variant, bool>> cases = {
        {Variant(), false},      {Variant(0), false},       {Variant(-1), true},     {Variant(0.0), false},
        {Variant(0.5), true},    {Variant("True"), true},   {Variant("tRUE"), true}, {Variant("FALSE"), false},
        {Variant("0"), false},   {Variant("-0.0"), false},  {Variant("2"), true},    {Variant(" true "), true},
        {Variant(Decimal::from_string("0.000")), false},
    };
    for (const auto& [v, expected] : cases) {
        SCOPED_TRACE(v.to_string());
        EXPECT_EQ(v.to_bool(), expected);
    }
    EXPECT_EQ(error_of([] { (void)Variant("yes").to_bool(); }), ado::kErrTypeMismatch);
    EXPECT_EQ(error_of([] { (void)Variant("").to_bool(); }), ado::kErrTypeMismatch);
    EXPECT_EQ(error_of([] { (void)Variant(ado::Null).to_bool(); }), ado::kErrInvalidUse);
}

TEST(VariantToDate, TextAndSerials) {
    EXPECT_EQ(Variant("31/01/2020").to_date(), DateTime::from_parts(2020, 1, 31));
    EXPECT_EQ(Variant(DateTime::from_parts(2020, 5, 6)).to_date(), DateTime::from_parts(2020, 5, 6));
    EXPECT_EQ(Variant(2).to_date(), DateTime::from_parts(1900, 1, 1));
    EXPECT_EQ(Variant(2.25).to_date(), DateTime::from_parts(1900, 1, 1, 6));
    EXPECT_EQ(Variant(-1.5).to_date(), DateTime::from_parts(1899, 12, 29, 12));
    EXPECT_EQ(Variant().to_date(), DateTime());
    EXPECT_EQ(error_of([] { (void)Variant("31/02/2020").to_date(); }), ado::kErrTypeMismatch);
    EXPECT_EQ(error_of([] { (void)Variant("abc").to_date(); }), ado::kErrTypeMismatch);
    EXPECT_EQ(error_of([] { (void)Variant(3000000).to_date(); }), ado::kErrOverflow);
    EXPECT_EQ(error_of([] { (void)Variant(ado::Null).to_date(); }), ado::kErrInvalidUse);
}

TEST(VariantPredicates, IsNumericAndIsDate) {
    struct Case {
        Variant v;
        bool numeric;
        bool date;
    };
    const std::vector<Case> cases = {
        {Variant(), true, false},
        {Variant(ado::Null), false, false},
        {Variant(true), true, false},
        {Variant(5), true, false},
        {Variant(1.5), true, false},
        {Variant(DateTime()), false, true},
        {Variant("12"), true, false},
        {Variant(" -1,5 "), true, false},
        {Variant("1E300"), true, false},
        {Variant(""), false, false},
        {Variant("abc"), false, false},
        {Variant("1.2.3"), false, false},
        {Variant("2020-01-31"), false, true},
        {Variant("31/02/2020"), false, false},
        {Variant("20200131"), true, true},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(cases[i].v.is_numeric(), cases[i].numeric);
        EXPECT_EQ(cases[i].v.is_date_like(), cases[i].date);
    }
}

TEST(VariantEquality, StrictOnFamilyByValueForNumbers) {
    EXPECT_EQ(Variant(), Variant());
    EXPECT_EQ(Variant(ado::Null), Variant(ado::Null));
    EXPECT_NE(Variant(), Variant(ado::Null));
    EXPECT_EQ(Variant(5), Variant(5LL));
    EXPECT_EQ(Variant::integer_value(5), Variant(Decimal::from_string("5.000")));
    EXPECT_EQ(Variant(2.5), Variant(Decimal::from_string("2.5")));
    EXPECT_NE(Variant(5), Variant(6));
    EXPECT_NE(Variant(5), Variant("5"));
    EXPECT_NE(Variant(-1), Variant(true));
    EXPECT_NE(Variant(0), Variant());
    EXPECT_EQ(Variant("ab"), Variant("ab"));
    EXPECT_NE(Variant("ab"), Variant("AB"));
    EXPECT_EQ(Variant(DateTime::from_parts(2020, 1, 1)), Variant(DateTime::from_parts(2020, 1, 1)));
}

struct CompareCase {
    Variant a;
    Variant b;
    int expected;
};

TEST(CompareValues, AcrossSubtypes) {
    const std::vector<CompareCase> cases = {
        {Variant(5), Variant(Decimal::from_string("5.00")), 0},
        {Variant(true), Variant(-1), 0},
        {Variant(false), Variant(Decimal()), 0},
        {Variant(0.1), Variant(Decimal::from_string("0.1")), 0},
        {Variant(1e300), Variant(Decimal::from_string("79228162514264337593543950335")), 1},
        {Variant(Decimal::from_string("0.0000000000000000000000000001")), Variant(0), 1},
        {Variant(9007199254740993LL), Variant(9007199254740992LL), 1},
        {Variant("ab "), Variant("AB"), 0},
        {Variant("\xC3\xA0"), Variant("\xC3\x80"), 0},
        {Variant("a"), Variant("b"), -1},
        {Variant("10"), Variant(9), 1},
        {Variant(" 1,5"), Variant(Decimal::from_string("1.5")), 0},
        {Variant(2), Variant("1E300"), -1},
        {Variant(DateTime::from_parts(2020, 1, 2)), Variant(DateTime::from_parts(2020, 1, 1, 23, 59, 59)), 1},
        {Variant(DateTime::from_parts(2020, 1, 2)), Variant("02/01/2020"), 0},
        {Variant("2020-01-01 10:00"), Variant(DateTime::from_parts(2020, 1, 1, 10)), 0},
        {Variant(DateTime::from_parts(1900, 1, 1)), Variant(2), 0},
        {Variant(), Variant(0), 0},
        {Variant(), Variant(""), 0},
        {Variant(), Variant("   "), 0},
        {Variant(), Variant(-3), 1},
        {Variant(), Variant(), 0},
    };
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
    EXPECT_EQ(error_of([] { ado::compare_values(Variant("abc"), Variant(1)); }), ado::kErrTypeMismatch);
    EXPECT_EQ(error_of([] { ado::compare_values(Variant(1), Variant("")); }), ado::kErrTypeMismatch);
    EXPECT_EQ(error_of([] { ado::compare_values(Variant("x"), Variant(DateTime())); }), ado::kErrTypeMismatch);
    EXPECT_EQ(error_of([] { ado::compare_values(Variant(ado::Null), Variant(1)); }), ado::kErrInvalidUse);
    EXPECT_EQ(error_of([] { ado::compare_values(Variant(1), Variant(ado::Null)); }), ado::kErrInvalidUse);
}

}  // namespace
