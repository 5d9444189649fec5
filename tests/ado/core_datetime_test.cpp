#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "ado/datetime.h"
#include "ado_support.h"

namespace {

using ado::DateTime;
using ado::testing::thrown;

TEST(DateTimeSerial, KnownSerialNumbers) {
    struct Case {
        int y, m, d;
        std::int64_t days;
    };
    const std::vector<Case> cases = {{1899, 12, 30, 0},    {1899, 12, 31, 1},      {1900, 1, 1, 2},
                                     {1899, 12, 29, -1},   {2000, 1, 1, 36526},    {2020, 2, 29, 43890},
                                     {100, 1, 1, -657434}, {9999, 12, 31, 2958465}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.days);
        const DateTime dt = DateTime::from_parts(c.y, c.m, c.d);
        EXPECT_EQ(dt.days(), c.days);
        EXPECT_EQ(dt.year() * 10000 + dt.month() * 100 + dt.day(), c.y * 10000 + c.m * 100 + c.d);
    }
    EXPECT_EQ(DateTime(), DateTime::from_parts(1899, 12, 30));
}

TEST(DateTimeParts, RollOverLikeDateSerialWithinYears100To9999) {
    struct Case {
        int y, mo, d, h, mi, s;
        const char* iso;
    };
    const std::vector<Case> cases = {{2020, 3, 0, 0, 0, 0, "2020-02-29"},
                                     {2021, 3, 0, 0, 0, 0, "2021-02-28"},
                                     {2020, 0, 15, 0, 0, 0, "2019-12-15"},
                                     {2020, 13, 1, 0, 0, 0, "2021-01-01"},
                                     {2020, -1, 1, 0, 0, 0, "2019-11-01"},
                                     {2020, 1, 32, 0, 0, 0, "2020-02-01"},
                                     {2020, 1, -1, 0, 0, 0, "2019-12-30"},
                                     {2020, 25, 1, 0, 0, 0, "2022-01-01"},
                                     {2020, 12, 31, 24, 0, 0, "2021-01-01"},
                                     {2020, 1, 1, 0, 0, -1, "2019-12-31 23:59:59"},
                                     {2020, 1, 1, 10, 90, 75, "2020-01-01 11:31:15"},
                                     // outside years 100-9999: overflow
                                     {0, 1, 1, 0, 0, 0, nullptr},
                                     {99, 12, 31, 0, 0, 0, nullptr},
                                     {10000, 1, 1, 0, 0, 0, nullptr},
                                     {9999, 12, 32, 0, 0, 0, nullptr},
                                     {100, 1, 0, 0, 0, 0, nullptr},
                                     {9999, 13, 1, 0, 0, 0, nullptr},
                                     {2000000000, 1, 1, 0, 0, 0, nullptr},
                                     {9999, 12, 31, 24, 0, 0, nullptr},
                                     {9999, 12, 31, 23, 59, 59, "9999-12-31 23:59:59"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.y) + "-" + std::to_string(c.mo) + "-" + std::to_string(c.d));
        if (c.iso != nullptr)
            EXPECT_EQ(DateTime::from_parts(c.y, c.mo, c.d, c.h, c.mi, c.s).iso(), c.iso);
        else
            EXPECT_EQ(thrown([&] { DateTime::from_parts(c.y, c.mo, c.d, c.h, c.mi, c.s); }).number,
                      ado::kErrOverflow);
    }
}

struct AcceptedForm {
    const char* text;
    const char* iso;
};

class DateTimeParseForms : public ::testing::TestWithParam<AcceptedForm> {};

TEST_P(DateTimeParseForms, Accepted) {
    const auto d = DateTime::parse(GetParam().text);
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(d->iso(), GetParam().iso);
}

const AcceptedForm kAcceptedForms[] = {{"2020-02-29", "2020-02-29"},
                                       {"2020-2-9", "2020-02-09"},
                                       {" 2020-01-31 ", "2020-01-31"},
                                       {"2020-01-31 13:45", "2020-01-31 13:45:00"},
                                       {"2020-01-31T13:45:07", "2020-01-31 13:45:07"},
                                       {"2020-01-31 13:45:07.123", "2020-01-31 13:45:07"},
                                       {"2020-01-31 13:45:07.500", "2020-01-31 13:45:08"},
                                       {"2020-12-31 23:59:59.9", "2021-01-01"},
                                       {"20200131", "2020-01-31"},
                                       {"20200131 08:05:09", "2020-01-31 08:05:09"},
                                       {"31/01/2020", "2020-01-31"},
                                       {"1/2/2020", "2020-02-01"},
                                       {"31/12/2020 23:59", "2020-12-31 23:59:00"},
                                       {"29/02/2000 7:00:01", "2000-02-29 07:00:01"},
                                       {"0100-01-01", "0100-01-01"},
                                       {"9999-12-31 23:59:59", "9999-12-31 23:59:59"}};

// Test names from the text: letters and digits kept, the rest as '_'.
std::string case_name(const char* text, std::size_t index) {
    std::string out = "Case" + std::to_string(index) + "_";
    for (const char* c = text; *c; ++c)
        out.push_back(std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_');
    return out;
}

INSTANTIATE_TEST_SUITE_P(Texts, DateTimeParseForms, ::testing::ValuesIn(kAcceptedForms),
                         [](const auto& p) { return case_name(p.param.text, p.index); });

TEST(DateTimeParse, RejectsWhatIsNotADate) {
    for (const char* text : {"",
                             "   ",
                             "abc",
                             "31/02/2020",
                             "29/02/2021",
                             "2021-02-29",
                             "2020-13-01",
                             "2020-00-10",
                             "2020-01-00",
                             "0000-01-01",
                             "0099-12-31",
                             "10000-01-01",
                             "00/01/2020",
                             "01/13/2020",
                             "2020-01-01 24:00",
                             "2020-01-01 12:60",
                             "2020-01-01 12:00:60",
                             "2020-01-01 12",
                             "2020-01-01T",
                             "2020-01-01x",
                             "20200231",
                             "2020013",
                             "202001311",
                             "20200131T10:00:00",
                             "31/01/20",
                             "31-01-2020",
                             "2020/01/31",
                             "31/01/2020T10:00",
                             "9999-12-31 23:59:59.5",
                             "2020-01-01 1:2",
                             "12.5"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(DateTime::parse(text).has_value());
    }
}

TEST(DateTimeText, FormsAndTokens) {
    const DateTime dt = DateTime::from_parts(2021, 3, 4, 5, 6, 7);
    EXPECT_EQ(dt.iso(), "2021-03-04 05:06:07");
    EXPECT_EQ(dt.date_only().iso(), "2021-03-04");
    EXPECT_EQ(dt.date_only().iso_full(), "2021-03-04 00:00:00");
    EXPECT_EQ(dt.compact(), "20210304 05:06:07");
    EXPECT_EQ(dt.date_only().compact(), "20210304");
    EXPECT_EQ(dt.format("dd/mm/yyyy hh:nn:ss"), "04/03/2021 05:06:07");
    EXPECT_EQ(dt.format("[dd] at hh.nn"), "[04] at 05.06");
    EXPECT_EQ(DateTime::from_parts(123, 1, 2).iso(), "0123-01-02");
}

TEST(DateTimeText, CompactOrderIsTimeOrder) {
    const std::vector<DateTime> ordered = {DateTime::from_parts(100, 1, 1),
                                           DateTime::from_parts(1899, 12, 29, 23, 59, 59),
                                           DateTime::from_parts(1899, 12, 30),
                                           DateTime::from_parts(2020, 1, 31),
                                           DateTime::from_parts(2020, 1, 31, 0, 0, 1),
                                           DateTime::from_parts(2020, 2, 1)};
    for (std::size_t i = 1; i < ordered.size(); ++i) {
        SCOPED_TRACE(ordered[i].iso());
        EXPECT_LT(ordered[i - 1], ordered[i]);
        EXPECT_LT(ordered[i - 1].compact(), ordered[i].compact());
        EXPECT_EQ(DateTime::parse(ordered[i].compact()), ordered[i]);
    }
}

TEST(DateTimeClock, TodayIsNowAtMidnight) {
    const DateTime now = DateTime::now();
    const DateTime today = DateTime::today();
    EXPECT_FALSE(today.has_time());
    EXPECT_LE(today, now);
    EXPECT_LE(now.days() - today.days(), 1);
}

}  // namespace
