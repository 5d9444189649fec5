// Filters in the platform's syntax on a snapshot: the expressions the module builds,
// precedence and grouping, literal typing, and malformed text leaving the old filter.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "ado/recordset.h"
#include "ado_support.h"

namespace {

using ado::testing::col;
using ado::testing::day;
using ado::testing::dec;
using ado::testing::thrown;

// Five rows; ROWID is an engine key that filters cannot name.
ado::RecordsetPtr sample() {
    ado::RowSet rows;
    ado::ColumnInfo rowid = col("ROWID", ado::adBigInt);
    rowid.hidden = true;
    rows.columns = {col("ID", ado::adInteger),
                    col("CGG6_INDTRASC", ado::adDecimal, 0, 2, 0),
                    col("CGG6_VALESTERNO", ado::adVarWChar, 20),
                    col("CODE", ado::adChar, 4),
                    col("AMOUNT", ado::adNumeric, 0, 18, 2),
                    col("STATO", ado::adDecimal, 0, 2, 0),
                    col("DAY", ado::adDBTimeStamp),
                    col("NOTE", ado::adVarWChar, 50),
                    rowid};
    rows.rows = {
        {1, dec("0"), "ABC", "AB", dec("10.50"), dec("30"), day("2024-01-05"), "x", 101LL},
        {2, dec("1"), "O'Brien", "CD", dec("-3.25"), dec("31"), day("2024-02-10"), ado::Null, 102LL},
        {3, dec("2"), "abc ", "EF", dec("0"), dec("10"), day("2023-12-31"), "hello world", 103LL},
        {4, dec("3"), "Zeta", "AB", dec("100"), dec("99"), ado::Null, "World", 104LL},
        {5, dec("1"), "ABC", "GH", dec("7.5"), dec("0"), day("2024-01-05 12:00"), ado::Null, 105LL},
    };
    return ado::Recordset::from_rows(std::move(rows));
}

// IDs of the rows the record set shows, from its current row on.
std::vector<int> visible_ids(ado::Recordset& rs) {
    std::vector<int> ids;
    while (!rs.EOF()) {
        ids.push_back(rs["ID"].Value().to_long());
        rs.MoveNext();
    }
    return ids;
}

struct FilterCase {
    const char* criteria;
    std::vector<int> ids;
};

void PrintTo(const FilterCase& c, std::ostream* os) {
    *os << c.criteria;
}

class FilterTest : public ::testing::TestWithParam<FilterCase> {};

TEST_P(FilterTest, ShowsMatchingRowsFromTheFirst) {
    const FilterCase& c = GetParam();
    auto rs = sample();
    rs->MoveLast();
    rs->SetFilter(c.criteria);
    EXPECT_EQ(rs->Filter(), c.criteria);
    EXPECT_EQ(rs->RecordCount(), static_cast<long>(c.ids.size()));
    EXPECT_EQ(rs->BOF(), c.ids.empty());
    EXPECT_EQ(rs->EOF(), c.ids.empty());
    EXPECT_EQ(visible_ids(*rs), c.ids);
}

// Filtered again and again, a record set finds rows by the equalities of the filter: the
// same rows in the same order.
TEST_P(FilterTest, ShowsTheSameRowsWhenLookedUpByKey) {
    const FilterCase& c = GetParam();
    auto rs = sample();
    for (int i = 0; i < 3; ++i) rs->SetFilter(c.criteria);
    EXPECT_EQ(visible_ids(*rs), c.ids);
}

INSTANTIATE_TEST_SUITE_P(
    Expressions, FilterTest,
    ::testing::Values(
        // F1: kind and external code; text ignores case and trailing blanks; doubled quotes.
        FilterCase{"CGG6_INDTRASC = 1 AND CGG6_VALESTERNO = 'ABC'", {5}},
        FilterCase{"CGG6_INDTRASC = 2 AND CGG6_VALESTERNO = 'ABC'", {3}},
        FilterCase{"CGG6_INDTRASC = 1 AND CGG6_VALESTERNO = 'O''Brien'", {2}},
        FilterCase{"CGG6_INDTRASC = 0 AND CGG6_VALESTERNO = ''", {}},
        // F2-F5: decimals, negative and fractional values, text that is a number.
        FilterCase{"STATO = 30 AND CGG6_INDTRASC = 0", {1}}, FilterCase{"AMOUNT = 10.5", {1}},
        FilterCase{"AMOUNT = -3.25", {2}}, FilterCase{"AMOUNT < 0", {2}},
        FilterCase{"AMOUNT >= 7.5", {1, 4, 5}}, FilterCase{"AMOUNT <= 0", {2, 3}},
        FilterCase{"AMOUNT > 10.49 AND AMOUNT < 10.51", {1}}, FilterCase{"STATO = '31'", {2}},
        // F6: fixed-width text with the blank after the closing quote.
        FilterCase{"CODE = 'AB  ' ", {1, 4}}, FilterCase{"CODE <> 'ab'", {2, 3, 5}},
        FilterCase{"CODE = 5", {}},  // a number against a text column compares as text
        // F7-F9.
        FilterCase{"STATO = 30 OR STATO = 31 OR STATO = 32 OR STATO = 33 OR STATO = 50 OR STATO = 99",
                   {1, 2, 4}},
        FilterCase{"STATO = 10", {3}}, FilterCase{"STATO = 0", {5}}, FilterCase{"STATO = 77", {}},
        // AND binds tighter than OR; parentheses regroup.
        FilterCase{"STATO = 10 OR STATO = 30 AND CGG6_INDTRASC = 1", {3}},
        FilterCase{"(STATO = 10 OR STATO = 30) AND CGG6_INDTRASC = 0", {1}},
        FilterCase{"STATO = 0 AND (CODE = 'GH' OR CODE = 'AB') OR ID = 2", {2, 5}},
        // Names in any case or in brackets, no blanks around the operator.
        FilterCase{"[stato] = 99", {4}}, FilterCase{"stato=99", {4}}, FilterCase{"id>=4 and Stato<>0", {4}},
        // LIKE with either wildcard at the ends, ignoring case.
        FilterCase{"NOTE LIKE '*world'", {3, 4}}, FilterCase{"NOTE LIKE 'HEL%'", {3}},
        FilterCase{"NOTE LIKE '*LO W*'", {3}}, FilterCase{"NOTE LIKE 'x'", {1}},
        // Null never matches a comparison, only "= NULL".
        FilterCase{"NOTE = NULL", {2, 5}}, FilterCase{"NOTE <> NULL", {1, 3, 4}},
        FilterCase{"NOTE <> 'x'", {3, 4}}, FilterCase{"DAY < #2030-01-01#", {1, 2, 3, 5}},
        // Dates in #...# or quoted, in the forms dates are parsed in.
        FilterCase{"DAY = #2024-01-05#", {1}}, FilterCase{"DAY >= #2024-01-05#", {1, 2, 5}},
        FilterCase{"DAY < '31/12/2023 00:00:01'", {3}}));

// Text in filters compares as the database does: case ignored beyond Latin-1, accents
// counted, in = and in LIKE alike; LIKE's brackets are plain characters here.
ado::RecordsetPtr names() {
    ado::RowSet rows;
    rows.columns = {col("ID", ado::adInteger), col("NAME", ado::adVarWChar, 20)};
    rows.rows = {{1, "Citt\xC3\xA0"},
                 {2, "CITT\xC3\x80  "},
                 {3, "citta"},
                 {4,
                  "\xC5\x81\xC3\x93"
                  "D\xC5\xB9"},
                 {5, "50%"},
                 {6, "a[b"}};
    return ado::Recordset::from_rows(std::move(rows));
}

class FilterCollationTest : public ::testing::TestWithParam<FilterCase> {};

TEST_P(FilterCollationTest, MatchesAsTheDatabase) {
    auto rs = names();
    rs->SetFilter(GetParam().criteria);
    EXPECT_EQ(visible_ids(*rs), GetParam().ids);
    rs->SetFilter(GetParam().criteria);  // now through the index of the column
    EXPECT_EQ(visible_ids(*rs), GetParam().ids);
}

INSTANTIATE_TEST_SUITE_P(Texts, FilterCollationTest,
                         ::testing::Values(FilterCase{"NAME LIKE 'citt\xC3\xA0'", {1, 2}},
                                           FilterCase{"NAME LIKE 'CITT*'", {1, 2, 3}},
                                           FilterCase{"NAME LIKE '*TA'", {3}},
                                           FilterCase{"NAME LIKE '\xC5\x82\xC3\xB3"
                                                      "d\xC5\xBA'",
                                                      {4}},
                                           FilterCase{"NAME LIKE '*\xC3\xB3*'", {4}},
                                           FilterCase{"NAME LIKE '*[b'", {6}},
                                           FilterCase{"NAME LIKE '50*'", {5}},
                                           FilterCase{"NAME = '\xC5\x82\xC3\xB3"
                                                      "d\xC5\xBA  '",
                                                      {4}},
                                           FilterCase{"NAME > 'citta' AND NAME < 'Cittadella'", {1, 2}},
                                           FilterCase{"NAME = 'CITT\xC3\xA0'", {1, 2}},
                                           FilterCase{"NAME = 'citta ' AND ID > 0", {3}},
                                           FilterCase{"NAME = '50%' OR ID = 6", {5, 6}}));

// A lookup by key sees rows appended, changed and deleted after the column was indexed,
// through the record set and through its clones.
TEST(Filter, LookupsFollowRowsAddedChangedAndDeleted) {
    auto rs = ado::Recordset::create();
    rs->GetFields().Append("ID", ado::adInteger);
    rs->GetFields().Append("STATO", ado::adInteger);
    rs->GetFields().Append("NAME", ado::adVarWChar, 20);
    rs->Open();
    const auto add = [](ado::Recordset& r, int id, int stato, const char* name) {
        r.AddNew();
        r["ID"].SetValue(ado::Variant(id));
        r["STATO"].SetValue(ado::Variant(stato));
        r["NAME"].SetValue(ado::Variant(name));
        r.Update();
    };
    add(*rs, 1, 30, "ABC");
    add(*rs, 2, 31, "O'Brien");
    add(*rs, 3, 10, "abc ");
    auto clone = rs->Clone();
    const auto ids_of = [&](ado::Recordset& r, const char* criteria) {
        r.SetFilter(criteria);
        r.SetFilter(criteria);
        return visible_ids(r);
    };
    ASSERT_EQ(ids_of(*rs, "NAME = 'abc'"), (std::vector<int>{1, 3}));
    ASSERT_EQ(ids_of(*rs, "STATO = 31"), (std::vector<int>{2}));

    add(*clone, 4, 31, "Abc  ");
    EXPECT_EQ(ids_of(*rs, "STATO = 31.00"), (std::vector<int>{2, 4}));
    EXPECT_EQ(ids_of(*rs, "NAME = 'ABC'"), (std::vector<int>{1, 3, 4}));

    clone->SetFilter("ID = 2");
    (*clone)["STATO"].SetValue(ado::Variant(10));
    clone->Update();
    EXPECT_EQ(ids_of(*rs, "STATO = 31"), (std::vector<int>{4}));
    EXPECT_EQ(ids_of(*rs, "STATO = 10"), (std::vector<int>{2, 3}));

    clone->SetFilter("ID = 3");
    clone->Delete();
    EXPECT_EQ(ids_of(*rs, "STATO = 10"), (std::vector<int>{2}));
    EXPECT_EQ(ids_of(*rs, "NAME = 'abc' AND STATO = 30"), (std::vector<int>{1}));
}

TEST(Filter, ClearingShowsEveryRowAgain) {
    auto rs = sample();
    rs->SetFilter("STATO = 10");
    ASSERT_EQ(rs->RecordCount(), 1);
    rs->SetFilter("");
    EXPECT_EQ(rs->Filter(), "");
    EXPECT_EQ(rs->RecordCount(), 5);
    EXPECT_EQ(visible_ids(*rs), (std::vector<int>{1, 2, 3, 4, 5}));
    rs->SetFilter("STATO = 10");
    rs->SetFilter("   ");
    EXPECT_EQ(rs->RecordCount(), 5);
}

class MalformedFilterTest : public ::testing::TestWithParam<const char*> {};

TEST_P(MalformedFilterTest, ThrowsAndKeepsThePreviousFilter) {
    auto rs = sample();
    rs->SetFilter("STATO = 30 OR STATO = 10");
    rs->MoveNext();  // on row 3
    const auto e = thrown([&] { rs->SetFilter(GetParam()); });
    EXPECT_EQ(e.number, ado::kErrFilter);
    EXPECT_EQ(e.description,
              "Arguments are of the wrong type, are out of acceptable range, or are in conflict with one "
              "another.");
    EXPECT_EQ(rs->Filter(), "STATO = 30 OR STATO = 10");
    EXPECT_EQ(rs->RecordCount(), 2);
    EXPECT_EQ((*rs)["ID"].Value().to_long(), 3);
}

INSTANTIATE_TEST_SUITE_P(Texts, MalformedFilterTest,
                         ::testing::Values("NOPE = 1",                     // unknown field
                                           "ROWID = 101",                  // hidden column
                                           "STATO = 'abc'",                // text against a number
                                           "STATO = ''",                   // empty text against a number
                                           "STATO = ",                     // value missing
                                           "CGG6_VALESTERNO = 'abc",       // unclosed quote
                                           "STATO = 1 AND",                // dangling AND
                                           "(STATO = 1",                   // unclosed group
                                           "STATO = 1)",                   // stray parenthesis
                                           "STATO = 1 STATO = 2",          // missing operator
                                           "STATO > NULL",                 // NULL only with = and <>
                                           "STATO = #2024-01-01#",         // date against a number
                                           "DAY = 5",                      // number against a date
                                           "DAY = '2024-13-45'",           // not a date
                                           "NOTE LIKE 'a*b'",              // inner wildcard
                                           "STATO LIKE '3*'",              // LIKE on a number
                                           "STATO == 1",                   // bad operator
                                           "STATO = 12abc",                // bad number
                                           "[STATO = 1",                   // unclosed bracket
                                           "STATO = 1 OR OR STATO = 2"));  // doubled OR

std::string nested(int depth) {
    std::string inner = "STATO = 10";
    for (int i = 0; i < depth; ++i) inner = "(" + inner + (i % 2 ? " OR STATO = 30)" : " AND ID > 0)");
    return inner;
}

// Groups nest by recursion: deep ones are malformed, not a stack overflow.
TEST(Filter, GroupsNestUpTo128Levels) {
    auto rs = sample();
    rs->SetFilter(nested(128));
    EXPECT_EQ(rs->RecordCount(), 2);
    const std::string deep = nested(129);
    EXPECT_EQ(thrown([&] { rs->SetFilter(deep); }).number, ado::kErrFilter);
    const std::string hundred_thousand = std::string(100000, '(') + "STATO = 10" + std::string(100000, ')');
    EXPECT_EQ(thrown([&] { rs->SetFilter(hundred_thousand); }).number, ado::kErrFilter);
    EXPECT_EQ(rs->Filter(), nested(128));
    EXPECT_EQ(rs->RecordCount(), 2);
}

}  // namespace
