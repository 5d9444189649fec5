// Statements that compute, each with the answer the server gives (from its documentation),
// grouped by construct. A statement the engine cannot answer as the server does must fail
// with an error, never give another answer.
#include <gtest/gtest.h>

#include <random>

#include "../support/case_name.h"
#include "ado/error.h"
#include "sqlite_support.h"

namespace ado::testing {
namespace {

class ServerAnswers : public DbTest {
  protected:
    void SetUp() override {
        DbTest::SetUp();
        db_->execute(
            "CREATE TABLE V (ID INT NOT NULL PRIMARY KEY, A DECIMAL(19,4) NULL, B DECIMAL(19,4) NULL, "
            "C DECIMAL(19,4) NULL, C2 DECIMAL(19,2) NULL, P DECIMAL(5,2) NULL, N INT NULL, D DATETIME NULL, "
            "S VARCHAR(20) NULL, F CHAR(4) NULL, G FLOAT NULL)\r\n"
            "INSERT INTO V (ID, A, B, C, N, D, S, F) VALUES (1, 100.1, 22.02, 122.12, 10, '20240131', "
            "'città', "
            "'GA')\r\n"
            "INSERT INTO V (ID, A, B, C, N, D, S, F) VALUES (2, 612042.85, 20.5, 0, 3, '20240105', "
            "'Cittadella', "
            "'X')\r\n"
            "INSERT INTO V (ID, A, B, C, N, D, S, F) VALUES (3, -99999999999.9999, -99999999999.9999, 0, -7, "
            "'20240131 10:00:00', '5abc', NULL)");
    }

    // The first value of the first row, or the error's description.
    std::string answer(const std::string& sql) {
        try {
            const RowSet rs = query(*db_, sql);
            if (rs.rows.empty()) return "(no rows)";
            return render(rs.rows[0][0]);
        } catch (const Error& e) {
            return std::string("error: ") + e.what();
        }
    }
};

class Answers : public ServerAnswers, public ::testing::WithParamInterface<SqlCase> {};

TEST_P(Answers, AsTheServer) {
    EXPECT_EQ(answer(GetParam().sql), GetParam().expected);
}

// Decimal and integer arithmetic: the server's result types, exact values.
const SqlCase kArithmetic[] = {
    {"a whole decimal divides exactly", "SELECT CAST(10 AS DECIMAL(19,4)) / 4", "2.5"},
    {"int over numeric literal", "SELECT 7 / 2.0", "3.5"},
    {"int over int truncates", "SELECT 7 / 2", "3"},
    {"negative int division truncates toward zero", "SELECT -7 / 2", "-3"},
    {"remainder takes the dividend's sign", "SELECT -7 % 2", "-1"},
    {"decimal remainder", "SELECT 7.5 % 2", "1.5"},
    {"sum of decimal columns is exact", "SELECT A + B FROM V WHERE ID = 1", "122.12"},
    {"difference of decimal columns", "SELECT A - B FROM V WHERE ID = 1", "78.08"},
    {"product keeps every digit", "SELECT A * B FROM V WHERE ID = 2", "12546878.425"},
    {"decimal over int", "SELECT A / N FROM V WHERE ID = 1", "10.01"},
    {"int column over int literal", "SELECT N / 4 FROM V WHERE ID = 1", "2"},
    {"int times decimal literal", "SELECT N * 0.5 FROM V WHERE ID = 2", "1.5"},
    {"unary minus of a sum", "SELECT -(A + B) FROM V WHERE ID = 1", "-122.12"},
    {"sixteen digits come back exact", "SELECT A + B FROM V WHERE ID = 3", "-199999999999.9998"},
    {"float stays binary", "SELECT CAST(0.5 AS FLOAT) * 2", "1"},
    {"parentheses group", "SELECT (1 + 2) * 3", "9"},
    {"precedence of times over plus", "SELECT 1 + 2 * 3", "7"},
    {"null operand gives null", "SELECT A + NULL FROM V WHERE ID = 1", "NULL"},
};
INSTANTIATE_TEST_SUITE_P(Arithmetic, Answers, ::testing::ValuesIn(kArithmetic), scripted::ByName());

// What the server refuses, with its words.
const SqlCase kErrors[] = {
    {"integer division by zero", "SELECT 1 / 0", "error: Divide by zero error encountered."},
    {"decimal division by zero", "SELECT A / 0 FROM V WHERE ID = 1",
     "error: Divide by zero error encountered."},
    {"remainder by zero", "SELECT N % 0 FROM V WHERE ID = 1", "error: Divide by zero error encountered."},
    {"int overflow", "SELECT 2147483647 + 1",
     "error: Arithmetic overflow error converting expression to data type int."},
    {"text that is not a number", "SELECT S + 1 FROM V WHERE ID = 1",
     "error: Conversion failed when converting the varchar value 'città' to data type int."},
};
INSTANTIATE_TEST_SUITE_P(Errors, Answers, ::testing::ValuesIn(kErrors), scripted::ByName());

// Comparisons convert as the server does.
const SqlCase kComparisons[] = {
    {"a computed sum equals a column", "SELECT COUNT(*) FROM V WHERE A + B = C", "1"},
    {"date column equals an ISO date", "SELECT COUNT(*) FROM V WHERE D = '2024-01-31'", "1"},
    {"date column after an ISO date", "SELECT COUNT(*) FROM V WHERE D > '2024-01-31'", "1"},
    {"ISO date on the left", "SELECT COUNT(*) FROM V WHERE '2024-01-05' = D", "1"},
    {"date with time in ISO form", "SELECT COUNT(*) FROM V WHERE D = '2024-01-31T10:00:00'", "1"},
    {"compact date", "SELECT COUNT(*) FROM V WHERE D >= '20240131'", "2"},
    {"date text that is no date", "SELECT COUNT(*) FROM V WHERE D = 'yesterday'",
     "error: Conversion failed when converting date and/or time from character string."},
    {"int column against a text number converts the text", "SELECT COUNT(*) FROM V WHERE ID = '2'", "1"},
    {"int column against a text fraction", "SELECT COUNT(*) FROM V WHERE ID = '2.5'",
     "error: Conversion failed when converting the varchar value '2.5' to data type int."},
    {"decimal column against a text keeps the text's digits", "SELECT COUNT(*) FROM V WHERE B = '20.50001'",
     "0"},
    {"decimal column against an equal text", "SELECT COUNT(*) FROM V WHERE B = '20.5'", "1"},
    {"negative total beyond fifteen digits",
     "SELECT COUNT(*) FROM (SELECT ID FROM V GROUP BY ID HAVING SUM(A + B) < 0) X", "1"},
    {"total beyond fifteen digits is a number", "SELECT SUM(A + B) FROM V WHERE ID = 3",
     "-199999999999.9998"},
    {"total of the whole column", "SELECT SUM(A) FROM V", "-99999387857.0499"},
};
INSTANTIATE_TEST_SUITE_P(Comparisons, Answers, ::testing::ValuesIn(kComparisons), scripted::ByName());

// Ordering by a computed decimal, and what the engine refuses rather than answer otherwise.
const SqlCase kOrderAndRefusals[] = {
    {"a total beyond fifteen digits orders first", "SELECT ID FROM V ORDER BY A + B", "3"},
    {"and last when descending", "SELECT ID FROM V ORDER BY A + B DESC", "2"},
    {"position of a computed decimal", "SELECT A + B FROM V ORDER BY 1",
     "error: The embedded engine does not support ORDER BY the position or alias of a computed decimal "
     "(order "
     "by the expression itself)."},
    {"a text column in a list of numbers", "SELECT COUNT(*) FROM V WHERE S IN (1, 2)",
     "error: The embedded engine does not support IN with a list whose values the server would convert to "
     "compare."},
    {"a number column in a list of texts converts them", "SELECT COUNT(*) FROM V WHERE N IN ('3', '10')",
     "2"},
    {"arithmetic on a function the engine does not know", "SELECT UNKNOWN_FN(1) / 2",
     "error: The embedded engine does not support arithmetic on an operand whose type it cannot tell: "
     "UNKNOWN_FN(1) / 2."},
};
INSTANTIATE_TEST_SUITE_P(OrderAndRefusals, Answers, ::testing::ValuesIn(kOrderAndRefusals),
                         scripted::ByName());

// Dates as dates.
const SqlCase kDates[] = {
    {"a day added", "SELECT D + 1 FROM V WHERE ID = 1", "20240201"},
    {"a day taken", "SELECT D - 1 FROM V WHERE ID = 1", "20240130"},
    {"dateadd month clamps the day", "SELECT DATEADD(month, 1, D) FROM V WHERE ID = 1", "20240229"},
    {"dateadd of a text date", "SELECT DATEADD(day, 1, '2024-12-31')", "20250101"},
    {"datediff of years", "SELECT DATEDIFF(year, '2024-12-31', '2025-01-01')", "1"},
    {"datediff of days backwards", "SELECT DATEDIFF(day, '2024-03-01', '2024-02-01')", "-29"},
    {"year of a column", "SELECT YEAR(D) FROM V WHERE ID = 1", "2024"},
    {"month and day", "SELECT MONTH(D) * 100 + DAY(D) FROM V WHERE ID = 2", "105"},
    {"weekday", "SELECT DATEPART(weekday, D) FROM V WHERE ID = 1", "4"},
    {"convert style 103", "SELECT CONVERT(VARCHAR(10), D, 103) FROM V WHERE ID = 1", "31/01/2024"},
    {"convert style 112", "SELECT CONVERT(VARCHAR(8), D, 112) FROM V WHERE ID = 2", "20240105"},
    {"convert style 120", "SELECT CONVERT(VARCHAR(19), D, 120) FROM V WHERE ID = 3", "2024-01-31 10:00:00"},
    {"unknown date part", "SELECT DATEADD(fortnight, 1, D) FROM V",
     "error: 'fortnight' is not a recognized DATEADD option."},
};
INSTANTIATE_TEST_SUITE_P(Dates, Answers, ::testing::ValuesIn(kDates), scripted::ByName());

// Casts and the functions that round.
const SqlCase kCasts[] = {
    {"decimal to int truncates", "SELECT CAST(2.7 AS INT)", "2"},
    {"negative decimal to int truncates", "SELECT CAST(-2.7 AS INT)", "-2"},
    {"to decimal rounds half away from zero", "SELECT CAST(2.345 AS DECIMAL(10,2))", "2.35"},
    {"negative half away from zero", "SELECT CAST(-2.345 AS DECIMAL(10,2))", "-2.35"},
    {"decimal to text keeps its scale", "SELECT CAST(CAST(2.5 AS DECIMAL(10,2)) AS VARCHAR(10))", "2.50"},
    {"text to decimal", "SELECT CAST('12.5' AS DECIMAL(10,2)) * 2", "25"},
    {"round half away from zero", "SELECT ROUND(CAST(2.675 AS DECIMAL(10,3)), 2)", "2.68"},
    {"round to tens", "SELECT ROUND(CAST(1234.5 AS DECIMAL(10,1)), -2)", "1200"},
    {"round cuts with a third argument", "SELECT ROUND(CAST(2.679 AS DECIMAL(10,3)), 2, 1)", "2.67"},
    {"average of decimals at scale six",
     "SELECT AVG(P) FROM (SELECT CAST(1 AS DECIMAL(5,2)) AS P UNION ALL "
     "SELECT CAST(2 AS DECIMAL(5,2))) X",
     "1.5"},
    {"average of ints is an int", "SELECT AVG(N) FROM V WHERE ID < 3", "6"},
};
INSTANTIATE_TEST_SUITE_P(Casts, Answers, ::testing::ValuesIn(kCasts), scripted::ByName());

// Text under the server's default collation.
const SqlCase kText[] = {
    {"character class", "SELECT COUNT(*) FROM V WHERE S LIKE '[0-9]%'", "1"},
    {"upper beyond ASCII", "SELECT UPPER(N'città')", "CITTÀ"},
    {"replace ignores case", "SELECT REPLACE('aAbB', 'a', 'x')", "xxbB"},
    {"accented letter sorts as a letter", "SELECT S FROM V WHERE ID < 3 ORDER BY S", "città"},
    {"char column keeps its blanks in an expression", "SELECT F + '>' FROM V WHERE ID = 1", "GA  >"},
    {"texts join", "SELECT S + '!' FROM V WHERE ID = 2", "Cittadella!"},
};
INSTANTIATE_TEST_SUITE_P(Text, Answers, ::testing::ValuesIn(kText), scripted::ByName());

// Variables hold their declared types.
const SqlCase kVariables[] = {
    {"decimal variable adds exactly",
     "DECLARE @x DECIMAL(19,4)\r\nSET @x = 0.1\r\nSET @x = @x + 0.2\r\nIF @x = 0.3 SELECT 1 ELSE SELECT 0",
     "1"},
    {"decimal variable rounds to its scale", "DECLARE @x DECIMAL(10,2)\r\nSET @x = 2.345\r\nSELECT @x",
     "2.35"},
    {"int variable truncates", "DECLARE @i INT\r\nSET @i = 2.7\r\nSELECT @i", "2"},
    {"date variable from ISO text",
     "DECLARE @d DATETIME\r\nSET @d = '2024-01-31'\r\nSELECT COUNT(*) FROM V WHERE D = @d", "1"},
    {"text variable keeps its value", "DECLARE @s VARCHAR(2)\r\nSET @s = 'abcdef'\r\nSELECT @s", "abcdef"},
};
INSTANTIATE_TEST_SUITE_P(Variables, Answers, ::testing::ValuesIn(kVariables), scripted::ByName());

TEST_F(ServerAnswers, AProductStoredRoundsHalfAwayFromZero) {
    db_->execute("UPDATE V SET C2 = A * B WHERE ID = 2");
    EXPECT_EQ(answer("SELECT C2 FROM V WHERE ID = 2"), "12546878.43");
}

TEST_F(ServerAnswers, LongDecimalsOrderByValue) {
    std::string sql = "SELECT X FROM (";
    const char* values[] = {
        "1.23", "-1.2", "10", "0", "-1.23", "0.001", "1.2", "-1000", "123456789012345678"};
    for (std::size_t i = 0; i < std::size(values); ++i)
        sql += std::string(i ? " UNION ALL " : "") + "SELECT CAST(" + values[i] +
               " AS DECIMAL(38,10)) + 0.5 AS X";
    std::vector<std::string> got;
    for (const auto& row : query(*db_, sql + ") T ORDER BY X").rows)
        got.push_back(row[0].to_decimal().to_string());
    EXPECT_EQ(got, (std::vector<std::string>{"-999.5", "-0.73", "-0.7", "0.5", "0.501", "1.7", "1.73", "10.5",
                                             "123456789012345678.5"}));
}

TEST_F(ServerAnswers, ErrorsCarryTheServersNumbers) {
    try {
        db_->execute("SELECT 1 / 0");
        FAIL() << "no error";
    } catch (const Error&) {
        ASSERT_FALSE(db_->errors().empty());
        EXPECT_EQ(db_->errors().back().native_error, 8134);
    }
}

TEST_F(ServerAnswers, ResultsOfDateTypeReadBackAsDates) {
    const RowSet rs = query(*db_, "SELECT D + 1, DATEADD(day, 1, D), A * B FROM V WHERE ID = 1");
    ASSERT_EQ(rs.rows.size(), 1u);
    EXPECT_TRUE(rs.rows[0][0].is_date());
    EXPECT_TRUE(rs.rows[0][1].is_date());
    EXPECT_EQ(rs.columns[0].type, adDBTimeStamp);
    EXPECT_EQ(rs.columns[2].type, adNumeric);
}

// Sums, differences and products of random amounts against Decimal at the server's scales.
TEST_F(ServerAnswers, RandomAmountsAgreeWithDecimal) {
    std::mt19937_64 rng(20261206);
    std::uniform_int_distribution<std::int64_t> whole(-999999, 999999);
    std::uniform_int_distribution<std::int64_t> cents(0, 9999);
    const auto amount = [&] {
        const std::int64_t w = whole(rng);
        return Decimal::from_parts(static_cast<Int128>(w) * 10000 + (w < 0 ? -cents(rng) : cents(rng)), 4);
    };
    for (int i = 0; i < 300; ++i) {
        const Decimal a = amount();
        Decimal b = amount();
        if (b.is_zero()) b = Decimal(1);
        db_->execute("UPDATE V SET A = " + a.to_string() + ", B = " + b.to_string() + " WHERE ID = 1");
        const RowSet rs = query(*db_, "SELECT A + B, A - B, A * B FROM V WHERE ID = 1");
        ASSERT_EQ(rs.rows.size(), 1u);
        EXPECT_EQ(rs.rows[0][0].to_decimal().to_string(), (a + b).to_string())
            << a.to_string() << " + " << b.to_string();
        EXPECT_EQ(rs.rows[0][1].to_decimal().to_string(), (a - b).to_string())
            << a.to_string() << " - " << b.to_string();
        // decimal(19,4) * decimal(19,4) is decimal(38,7): 39 digits reduced, the product rounded
        EXPECT_EQ(rs.rows[0][2].to_decimal().to_string(), (a * b).rounded(7).to_string())
            << a.to_string() << " * " << b.to_string();
    }
}

}  // namespace
}  // namespace ado::testing
