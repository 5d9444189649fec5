#include <gtest/gtest.h>

#include "ado/decimal.h"
#include "ado/sqltext.h"

namespace {

using ado::Decimal;
using ado::SqlText;

TEST(SqlText, JoinsLinesWithCrLfAndCanonicalNumbers) {
    SqlText sql;
    sql.line(" SELECT *").line("  FROM T").add(" WHERE A = ").number(std::int64_t{-5});
    EXPECT_EQ(sql.text(), " SELECT *\r\n  FROM T WHERE A = -5\r\n");
    EXPECT_EQ(sql.text(false), " SELECT *\r\n  FROM T WHERE A = -5");
    sql.without_final_crlf();
    EXPECT_EQ(sql.text(), " SELECT *\r\n  FROM T WHERE A = -5");
    EXPECT_EQ(sql.lines().size(), 2U);

    SqlText added;  // add without a line starts one
    added.add("A").blank_line().add("B");
    EXPECT_EQ(added.text(), "A\r\nB\r\n");
    EXPECT_EQ(SqlText().text(), "");

    SqlText numbers;
    numbers.line("X = ")
        .number(Decimal::from_parts(-15000, 4))
        .add(", Y = ")
        .number(Decimal::from_string("0.00"));
    EXPECT_EQ(numbers.text(false), "X = -1.5, Y = 0");
}

TEST(SqlText, RecordsVerbatimValuesAndFindsTheFirstUnsafeOne) {
    SqlText sql;
    sql.line("SELECT 'OK' AS ESISTE WHERE C = '").value("ABC").add("'");
    EXPECT_EQ(sql.unsafe_value(), nullptr);  // quotes in fixed text are not values
    sql.line("AND D = '").value("O'Brien").add("' AND E = '").value("it's").add("'");
    ASSERT_NE(sql.unsafe_value(), nullptr);
    EXPECT_EQ(*sql.unsafe_value(), "O'Brien");
    EXPECT_EQ(sql.verbatim_values().size(), 3U);
    EXPECT_EQ(sql.text(false), "SELECT 'OK' AS ESISTE WHERE C = 'ABC'\r\nAND D = 'O'Brien' AND E = 'it's'");
}

}  // namespace
