#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "../support/case_name.h"
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
                                     {-1, 1, 1, 0, 0, 0, nullptr},
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

// DateSerial's two-digit years: 0-29 are 2000-2029, 30-99 are 1930-1999, counted after
// the months have rolled into the year.
struct WindowCase {
    const char* name;
    int y, m, d;
    const char* iso;  // nullptr: overflow
};

void PrintTo(const WindowCase& c, std::ostream* os) {
    *os << c.name;
}

class DateTimeYearWindow : public ::testing::TestWithParam<WindowCase> {};

TEST_P(DateTimeYearWindow, LikeDateSerial) {
    const WindowCase& c = GetParam();
    if (c.iso != nullptr)
        EXPECT_EQ(DateTime::from_parts(c.y, c.m, c.d).iso(), c.iso);
    else
        EXPECT_EQ(thrown([&] { DateTime::from_parts(c.y, c.m, c.d); }).number, ado::kErrOverflow);
}

const WindowCase kWindowCases[] = {
    {"year 0 is 2000", 0, 1, 1, "2000-01-01"},
    {"year 0 keeps 2000's leap day", 0, 2, 29, "2000-02-29"},
    {"year 24 is 2024", 24, 1, 31, "2024-01-31"},
    {"year 29 is 2029", 29, 12, 31, "2029-12-31"},
    {"year 30 is 1930", 30, 1, 1, "1930-01-01"},
    {"year 75 is 1975", 75, 1, 31, "1975-01-31"},
    {"year 99 is 1999", 99, 12, 31, "1999-12-31"},
    {"year 5 is not leap as 2005", 5, 2, 29, "2005-03-01"},
    {"month rolling past 99 gives year 100", 99, 13, 20, "0100-01-20"},
    {"month rolling back from 30 lands in 2029", 30, 0, 1, "2029-12-01"},
    {"days rolling come after the window", 29, 12, 32, "2030-01-01"},
    {"year 100 taken as it is", 100, 1, 1, "0100-01-01"},
    {"four-digit years taken as they are", 2024, 1, 31, "2024-01-31"},
    {"year 1999 taken as it is", 1999, 12, 31, "1999-12-31"},
    {"month rolling back from 0 leaves the range", 0, 0, 1, nullptr},
    {"negative year", -5, 1, 1, nullptr},
};

INSTANTIATE_TEST_SUITE_P(Years, DateTimeYearWindow, ::testing::ValuesIn(kWindowCases), scripted::ByName());

TEST(DateTimeYearWindow, WindowedYear) {
    const std::vector<std::pair<int, int>> cases = {{0, 2000},  {29, 2029},   {30, 1930}, {99, 1999},
                                                    {100, 100}, {2024, 2024}, {-1, -1}};
    for (const auto& [year, full] : cases) EXPECT_EQ(DateTime::windowed_year(year), full);
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
                                       {"31/01/24", "2024-01-31"},
                                       {"31/01/75", "1975-01-31"},
                                       {"31/12/29", "2029-12-31"},
                                       {"1/1/30", "1930-01-01"},
                                       {"29/02/00", "2000-02-29"},
                                       {"31/01/24 10:30", "2024-01-31 10:30:00"},
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
                             "24-01-31",
                             "31-01-24",
                             "31/01/024",
                             "31/01/2",
                             "29/02/30",
                             "31/01/24T10:00",
                             "240131",
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
