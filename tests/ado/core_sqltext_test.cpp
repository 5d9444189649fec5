#include <gtest/gtest.h>

#include "ado/decimal.h"
#include "ado/sqltext.h"

namespace {

using ado::Decimal;
using ado::SqlText;

TEST(SqlText, JoinsLinesWithCrLf) {
    SqlText sql;
    sql.line(" SELECT *").line("  FROM T").add(" WHERE A = ").number(std::int64_t{-5});
    EXPECT_EQ(sql.text(), " SELECT *\r\n  FROM T WHERE A = -5\r\n");
    EXPECT_EQ(sql.text(false), " SELECT *\r\n  FROM T WHERE A = -5");
    sql.without_final_crlf();
    EXPECT_EQ(sql.text(), " SELECT *\r\n  FROM T WHERE A = -5");
    EXPECT_EQ(sql.lines().size(), 2U);
}

TEST(SqlText, AddWithoutLineStartsOne) {
    SqlText sql;
    sql.add("A").blank_line().add("B");
    EXPECT_EQ(sql.text(), "A\r\nB\r\n");
    EXPECT_EQ(SqlText().text(), "");
}

TEST(SqlText, DecimalNumbersAreCanonical) {
    SqlText sql;
    sql.line("X = ")
        .number(Decimal::from_parts(-15000, 4))
        .add(", Y = ")
        .number(Decimal::from_string("0.00"));
    EXPECT_EQ(sql.text(false), "X = -1.5, Y = 0");
}

TEST(SqlText, RecordsVerbatimValuesAndFindsTheFirstUnsafeOne) {
    SqlText sql;
    sql.line("WHERE C = '").value("ABC").add("'");
    EXPECT_EQ(sql.unsafe_value(), nullptr);
    sql.line("AND D = '").value("O'Brien").add("' AND E = '").value("it's").add("'");
    ASSERT_NE(sql.unsafe_value(), nullptr);
    EXPECT_EQ(*sql.unsafe_value(), "O'Brien");
    EXPECT_EQ(sql.verbatim_values().size(), 3U);
    EXPECT_EQ(sql.text(false), "WHERE C = 'ABC'\r\nAND D = 'O'Brien' AND E = 'it's'");
}

TEST(SqlText, FixedTextWithQuotesIsNotAValue) {
    SqlText sql;
    sql.line("SELECT 'OK' AS ESISTE");
    EXPECT_EQ(sql.unsafe_value(), nullptr);
}

}  // namespace
