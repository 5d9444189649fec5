#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "../support/case_name.h"
#include "ado/decimal.h"
#include "ado_support.h"

namespace {

using ado::Decimal;
using ado::testing::thrown;

Decimal D(const char* text) {
    return Decimal::from_string(text);
}

struct NumberForm {
    const char* text;
    const char* canonical;  // nullptr: not a number
};

void PrintTo(const NumberForm& f, std::ostream* os) {
    *os << "'" << f.text << "'";
}

class DecimalParseForms : public ::testing::TestWithParam<NumberForm> {};

TEST_P(DecimalParseForms, CanonicalOrRefused) {
    const auto& [text, canonical] = GetParam();
    const auto d = Decimal::parse(text);
    if (canonical == nullptr) {
        EXPECT_FALSE(d.has_value());
        EXPECT_EQ(thrown([&] { D(text); }).number, ado::kErrTypeMismatch);
    } else {
        ASSERT_TRUE(d.has_value());
        EXPECT_EQ(d->to_string(), canonical);
    }
}

const NumberForm kNumberForms[] = {{"0", "0"},
                                   {"1.5", "1.5"},
                                   {"1,5", "1.5"},
                                   {"  -0.0001 ", "-0.0001"},
                                   {"+12", "12"},
                                   {"\t7\t", "7"},
                                   {".5", "0.5"},
                                   {"5.", "5"},
                                   {"-0", "0"},
                                   {"000123.4500", "123.45"},
                                   {"1E3", "1000"},
                                   {"1.5e-3", "0.0015"},
                                   {"-2.5E+2", "-250"},
                                   {"0.1234567890123456789012345678", "0.1234567890123456789012345678"},
                                   {"-79228162514264337593543950335", "-79228162514264337593543950335"},
                                   // beyond 28 decimals: rounded half to even
                                   {"0.00000000000000000000000000005", "0"},
                                   {"0.00000000000000000000000000015", "0.0000000000000000000000000002"},
                                   {"0.000000000000000000000000000051", "0.0000000000000000000000000001"},
                                   {"1E-40", "0"},
                                   {"", nullptr},
                                   {"   ", nullptr},
                                   {"abc", nullptr},
                                   {"1.2.3", nullptr},
                                   {"1,234.5", nullptr},
                                   {"1 000", nullptr},
                                   {"-", nullptr},
                                   {".", nullptr},
                                   {"1E", nullptr},
                                   {"1E+", nullptr},
                                   {"12a", nullptr},
                                   {"--1", nullptr},
                                   {"0x10", nullptr}};

INSTANTIATE_TEST_SUITE_P(Texts, DecimalParseForms, ::testing::ValuesIn(kNumberForms));

TEST(DecimalParse, ScaleKeptAndOverflow) {
    EXPECT_EQ(D("1.50").scale(), 2);  // the written scale is kept
    EXPECT_EQ(D("1.50").coefficient(), 150);
    for (const char* text : {"79228162514264337593543950336", "1E29", "-1E40"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(Decimal::parse(text).has_value());
        EXPECT_EQ(thrown([&] { D(text); }).number, ado::kErrOverflow);
    }
}

TEST(DecimalText, RoundTripsUpTo28DigitsAndFixedScale) {
    std::string digits;
    for (int n = 1; n <= 28; ++n) {
        digits.push_back(static_cast<char>('1' + n % 9));
        for (int point = 0; point <= n; ++point) {
            std::string text = digits;
            if (point > 0) text.insert(static_cast<std::size_t>(n - point), point == n ? "0." : ".");
            SCOPED_TRACE(text);
            EXPECT_EQ(D(text.c_str()).to_string(), text);
            EXPECT_EQ(D(("-" + text).c_str()).to_string(), "-" + text);
        }
    }
    EXPECT_EQ(D("1.5").to_string_fixed(2), "1.50");
    EXPECT_EQ(D("7").to_string_fixed(3), "7.000");
    EXPECT_EQ(D("-1.005").to_string_fixed(2), "-1.01");
    EXPECT_EQ(D("0.004").to_string_fixed(2), "0.00");
    EXPECT_EQ(D("12.5").to_string_fixed(0), "13");
    EXPECT_EQ(thrown([] { D("1").to_string_fixed(29); }).number, ado::kErrArgument);
}

TEST(DecimalArithmetic, SumsOfMoneyAreExact) {
    Decimal sum;
    for (int i = 0; i < 10000; ++i) sum = sum + D("0.1000");
    EXPECT_EQ(sum.to_string(), "1000");
    EXPECT_EQ(sum.scale(), 4);
    const Decimal big = D("999999999999999.9999");  // DECIMAL(19,4) extreme
    Decimal total;
    for (int i = 0; i < 1000; ++i) total = total + big;
    EXPECT_EQ(total.to_string(), "999999999999999999.9");
    for (int i = 0; i < 1000; ++i) total = total - big;
    EXPECT_TRUE(total.is_zero());
}

struct BinaryCase {
    const char* a;
    char op;
    const char* b;
    const char* result;  // nullptr: overflow
};

Decimal apply(const BinaryCase& c) {
    switch (c.op) {
        case '+':
            return D(c.a) + D(c.b);
        case '-':
            return D(c.a) - D(c.b);
        case '*':
            return D(c.a) * D(c.b);
        default:
            return D(c.a) / D(c.b);
    }
}

TEST(DecimalArithmetic, OperationsTable) {
    const std::vector<BinaryCase> cases = {
        {"1.1", '+', "2.25", "3.35"},
        {"-1.1", '+', "1.1", "0"},
        {"5", '-', "7.5", "-2.5"},
        {"-5", '-', "-7.5", "2.5"},
        {"1.5", '*', "-1.5", "-2.25"},
        {"0.0001", '*', "0.0001", "0.00000001"},
        {"-3", '*', "0", "0"},
        {"1", '/', "4", "0.25"},
        {"1", '/', "3", "0.3333333333333333333333333333"},
        {"2", '/', "3", "0.6666666666666666666666666667"},
        {"-2", '/', "3", "-0.6666666666666666666666666667"},
        {"100", '/', "0.001", "100000"},
        {"1", '/', "0.003", "333.33333333333333333333333333"},
        {"7.5", '/', "-2.5", "-3"},
        {"0", '/', "-5", "0"},
        // past 28 decimals or 2^96: digits given up with half-to-even
        {"0.0000000000000000000000000001", '*', "0.5", "0"},
        {"0.0000000000000000000000000003", '*', "0.5", "0.0000000000000000000000000002"},
        {"0.0000000000000000000000000001", '+', "1", "1.0000000000000000000000000001"},
        {"79228162514264337593543950335", '-', "1", "79228162514264337593543950334"},
        {"7922816251426433759354395033.5", '+', "0.05", "7922816251426433759354395034"},
        {"39614081257132168796771975168", '+', "39614081257132168796771975167",
         "79228162514264337593543950335"},
        {"99999999999999.99999999999999", '*', "10", "999999999999999.9999999999999"},
        {"12345678901234.5678", '*', "98765.4321", "1219326311248285312.22374638"},
        {"79228162514264337593543950335", '+', "1", nullptr},
        {"-79228162514264337593543950335", '-', "1", nullptr},
        {"10000000000000000000000000000", '*', "10", nullptr},
        {"10000000000000000000", '/', "0.0000000001", nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " " + c.op + " " + c.b);
        if (c.result != nullptr)
            EXPECT_EQ(apply(c).to_string(), c.result);
        else
            EXPECT_EQ(thrown([&] { apply(c); }).number, ado::kErrOverflow);
    }
    EXPECT_EQ(thrown([] { D("1") / D("0.00"); }).number, ado::kErrDivisionByZero);
    EXPECT_EQ(thrown([] { Decimal::from_parts(1, 29); }).number, ado::kErrArgument);
    EXPECT_EQ(thrown([] { Decimal::from_parts(static_cast<ado::Int128>(1) << 96, 0); }).number,
              ado::kErrOverflow);
}

TEST(DecimalRounding, BankersAndHalfAwayFromZero) {
    struct Case {
        const char* value;
        long long even;      // round_to_integer_even
        const char* away_0;  // rounded(0)
    };
    const std::vector<Case> cases = {
        {"2.5", 2, "3"},  {"3.5", 4, "4"}, {"-2.5", -2, "-3"},          {"-3.5", -4, "-4"},
        {"0.5", 0, "1"},  {"1.5", 2, "2"}, {"2.4999", 2, "2"},          {"2.5001", 3, "3"},
        {"-0.4", 0, "0"}, {"7", 7, "7"},   {"32767.5", 32768, "32768"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(static_cast<long long>(D(c.value).round_to_integer_even()), c.even);
        EXPECT_EQ(D(c.value).rounded(0).to_string(), c.away_0);
    }
    EXPECT_EQ(D("1.23445").rounded(4).to_string(), "1.2345");
    EXPECT_EQ(D("1.23454").rounded(4).to_string(), "1.2345");
    EXPECT_EQ(D("1.2").rounded(4).scale(), 1);
}

TEST(DecimalCompare, ExactAcrossScales) {
    EXPECT_EQ(D("1.50"), D("1.5"));
    EXPECT_EQ(D("0"), D("-0.000"));
    EXPECT_LT(D("-1"), D("0.0000000000000000000000000001"));
    EXPECT_LT(D("0.0000000000000000000000000001"), D("0.0000000000000000000000000002"));
    EXPECT_GT(D("79228162514264337593543950335"), D("7922816251426433759354395033.5"));
    EXPECT_LT(D("-79228162514264337593543950335"), D("-7922816251426433759354395033.5"));
    EXPECT_GT(D("-2"), D("-2.0000000000000000000000000001"));
    EXPECT_EQ(D("123.45").integer_digits(), 3);
    EXPECT_EQ(D("0.45").integer_digits(), 0);
    EXPECT_TRUE(D("12.000").is_integer());
    EXPECT_FALSE(D("12.001").is_integer());
}

// A Double becomes a Decimal (CDec) and text (CStr) through its 15 significant digits.
struct DoubleCase {
    const char* name;
    double value;
    const char* decimal;  // nullptr: beyond the Decimal's range (overflow)
    const char* text;
};

void PrintTo(const DoubleCase& c, std::ostream* os) {
    *os << c.name;
}

class DoubleConversions : public ::testing::TestWithParam<DoubleCase> {};

TEST_P(DoubleConversions, FifteenSignificantDigits) {
    const DoubleCase& c = GetParam();
    if (c.decimal != nullptr) {
        const Decimal d = Decimal::from_double(c.value);
        EXPECT_EQ(d.to_string(), c.decimal);
        EXPECT_EQ(d, D(c.decimal));
    } else {
        EXPECT_EQ(thrown([&] { Decimal::from_double(c.value); }).number, ado::kErrOverflow);
    }
    EXPECT_EQ(ado::double_text(c.value), c.text);
}

const DoubleCase kDoubleCases[] = {
    {"0.1 + 0.2 is 0.3", 0.1 + 0.2, "0.3", "0.3"},
    {"1.15 * 100 is 115", 1.15 * 100, "115", "115"},
    {"0.1 + 0.7 is 0.8", 0.1 + 0.7, "0.8", "0.8"},
    {"1 / 3 keeps 15 digits", 1.0 / 3, "0.333333333333333", "0.333333333333333"},
    {"2 / 3 rounds the 15th digit", 2.0 / 3, "0.666666666666667", "0.666666666666667"},
    {"negative", -(0.1 + 0.2), "-0.3", "-0.3"},
    {"negative with decimals", -1234.5678, "-1234.5678", "-1234.5678"},
    {"one tenth", 0.1, "0.1", "0.1"},
    {"zero", 0.0, "0", "0"},
    {"negative zero", -0.0, "0", "0"},
    {"whole number", 100.0, "100", "100"},
    {"largest plain", 999999999999999.0, "999999999999999", "999999999999999"},
    {"1E15 in exponent form", 1e15, "1000000000000000", "1E+15"},
    {"rounding reaches 1E15", 999999999999999.9, "1000000000000000", "1E+15"},
    {"rounding carries a digit", 99999999999999.99, "100000000000000", "100000000000000"},
    {"1E20", 1e20, "100000000000000000000", "1E+20"},
    {"123456789012345678 as double", 123456789012345678.0, "123456789012346000", "1.23456789012346E+17"},
    {"negative large", -1.5e17, "-150000000000000000", "-1.5E+17"},
    {"1E-4 still plain", 0.0001, "0.0001", "0.0001"},
    {"1E-5 in exponent form", 1e-5, "0.00001", "1E-05"},
    {"negative small", -1.25e-7, "-0.000000125", "-1.25E-07"},
    {"tie at the 16th digit goes to even, down", 1234567890123445.0, "1234567890123440",
     "1.23456789012344E+15"},
    {"tie at the 16th digit goes to even, up", 1234567890123455.0, "1234567890123460",
     "1.23456789012346E+15"},
    {"half tie goes to even, down", 123456789012344.5, "123456789012344", "123456789012344"},
    {"half tie goes to even, up", 123456789012345.5, "123456789012346", "123456789012346"},
    {"below the Decimal's 28 decimals", 1e-30, "0", "1E-30"},
    {"28 decimals kept", 1.5e-27, "0.0000000000000000000000000015", "1.5E-27"},
    {"three digit exponent", 2.5e-300, "0", "2.5E-300"},
    {"beyond the Decimal's range", 1.5e300, nullptr, "1.5E+300"},
    {"just beyond the Decimal's range", 1e29, nullptr, "1E+29"},
};

INSTANTIATE_TEST_SUITE_P(Doubles, DoubleConversions, ::testing::ValuesIn(kDoubleCases), scripted::ByName());

TEST(DoubleConversions, NotFiniteIsOverflow) {
    for (double v : {std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::infinity()})
        EXPECT_EQ(thrown([v] { Decimal::from_double(v); }).number, ado::kErrOverflow);
    EXPECT_DOUBLE_EQ(D("1234.5678").to_double(), 1234.5678);
}

// What an engine stores as REAL is a decimal of at most 15 significant digits: through the
// double and back it must read exactly as written, at any scale the Decimal holds.
TEST(DoubleConversions, FifteenDigitDecimalsComeBackAsWritten) {
    std::uint64_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        return seed >> 11;
    };
    for (int i = 0; i < 20000; ++i) {
        const int digits = 1 + static_cast<int>(next() % 15);
        std::string text = std::to_string(1 + next() % 9);
        for (int k = 1; k < digits; ++k) text.push_back(static_cast<char>('0' + next() % 10));
        const int scale = static_cast<int>(next() % 29);
        const Decimal written = Decimal::from_parts(std::stoll(text), scale);
        const Decimal negative = -written;
        SCOPED_TRACE(written.to_string());
        EXPECT_EQ(Decimal::from_double(written.to_double()).to_string(), written.to_string());
        EXPECT_EQ(Decimal::from_double(negative.to_double()).to_string(), negative.to_string());
    }
    for (const char* text : {"999999999999999", "0.000000000000001", "0.0000000000000999999999999999",
                             "99999999999999.9", "123456789.012345", "9007199254740.99"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(Decimal::from_double(D(text).to_double()).to_string(), text);
    }
}

// Numbers as the user's regional settings write them (Italian): the form CDec, CDbl and
// IsNumeric of text read.
struct RegionalForm {
    const char* name;
    const char* text;
    const char* value;  // nullptr: not a number
};

void PrintTo(const RegionalForm& f, std::ostream* os) {
    *os << "'" << f.text << "'";
}

class DecimalRegionalForms : public ::testing::TestWithParam<RegionalForm> {};

TEST_P(DecimalRegionalForms, ValueOrRefused) {
    const RegionalForm& f = GetParam();
    const auto d = Decimal::parse_regional(f.text);
    const auto plain = ado::regional_number_text(f.text);
    if (f.value == nullptr) {
        EXPECT_FALSE(d.has_value());
        EXPECT_FALSE(plain.has_value());
    } else {
        ASSERT_TRUE(d.has_value());
        EXPECT_EQ(d->to_string(), f.value);
        ASSERT_TRUE(plain.has_value());
        EXPECT_EQ(Decimal::parse(*plain), d);
    }
}

const RegionalForm kRegionalForms[] = {
    {"comma and grouping", "1.234,56", "1234.56"},
    {"comma without grouping", "1234,56", "1234.56"},
    {"a group of three is grouping", "1.234", "1234"},
    {"several groups", "1.234.567,89", "1234567.89"},
    {"groups without comma", "123.456.789", "123456789"},
    {"negative grouped", "-1.234,5", "-1234.5"},
    {"sign and blanks", " +12,5 ", "12.5"},
    {"tabs around", "\t7\t", "7"},
    {"comma first", ",5", "0.5"},
    {"comma last", "5,", "5"},
    {"leading zero without grouping", "0,001", "0.001"},
    {"exponent", "1,5E3", "1500"},
    {"grouping and exponent", "1.234E-2", "12.34"},
    {"plain integer", "42", "42"},
    {"negative zero", "-0", "0"},
    {"point with one digit after", "1.5", nullptr},
    {"point with two digits after", "1.23,4", nullptr},
    {"group of four", "1.2345", nullptr},
    {"first group of four", "1234.567", nullptr},
    {"group starting with zero", "0.123", nullptr},
    {"point first", ".5", nullptr},
    {"point last", "1.", nullptr},
    {"two points", "1..234", nullptr},
    {"point after comma", "1,234.5", nullptr},
    {"two commas", "1,2,3", nullptr},
    {"grouping after comma", "1.234,5.6", nullptr},
    {"blank inside", "1 234", nullptr},
    {"empty", "", nullptr},
    {"blanks only", "   ", nullptr},
    {"sign only", "-", nullptr},
    {"comma only", ",", nullptr},
    {"exponent without digits", "1E", nullptr},
    {"exponent sign without digits", "1,5E+", nullptr},
    {"letters", "abc", nullptr},
    {"trailing letter", "12a", nullptr},
};

INSTANTIATE_TEST_SUITE_P(Texts, DecimalRegionalForms, ::testing::ValuesIn(kRegionalForms),
                         scripted::ByName());

}  // namespace
