// Text that once broke the engine (found by fuzzing): statements cut short, deep nesting,
// long chains, very many literals. Each ends in one ado::Error or in the right rows, and the
// connection answers the next statement.
#include <gtest/gtest.h>

#include <functional>

#include "ado/sqlite/sql_type.h"
#include "sqlite_support.h"
#include "sqlite_translation_support.h"

namespace ado::testing {
namespace {

std::string rows_text(const RowSet& rs) {
    std::string out;
    for (const auto& row : rs.rows) {
        if (!out.empty()) out += ";";
        for (std::size_t i = 0; i < row.size(); ++i)
            out += (i ? "|" : "") + (row[i].is_null() ? "NULL" : row[i].to_string());
    }
    return out;
}

// Runs `sql`: its rows as text ("a|b;c|d"), or "error: " and the description.
std::string outcome(Driver& d, const std::string& sql) {
    try {
        for (auto& r : d.execute(sql))
            if (r.rows) return rows_text(*r.rows);
        return "";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), kErrProvider);
        EXPECT_EQ(d.errors().size(), 1U);
        return "error: " + e.description();
    }
}

class Robustness : public DbTest {
  protected:
    void SetUp() override {
        DbTest::SetUp();
        db_->execute(
            "CREATE TABLE T (A INT NULL, B VARCHAR(10) NULL)\r\n"
            "CREATE TABLE D (ID INT NOT NULL PRIMARY KEY, AT DATETIME NULL)");
    }
    void TearDown() override { EXPECT_EQ(outcome(*db_, "SELECT COUNT(*) FROM T"), "0"); }
};

class TruncatedStatements : public Robustness, public ::testing::WithParamInterface<SqlCase> {};

TEST_P(TruncatedStatements, EndInOneProviderError) {
    EXPECT_EQ(outcome(*db_, GetParam().sql), std::string("error: ") + GetParam().expected);
}

const SqlCase kTruncated[] = {
    {"TopOpenParenthesis", "SELECT TOP (", "Incorrect syntax near '('."},
    {"TopAlone", "SELECT TOP", "Incorrect syntax near 'TOP'."},
    {"TopUnclosedCount", "SELECT TOP (1", "Incorrect syntax near '1'."},
    {"TopWithoutColumns", "SELECT TOP 1", "near \"LIMIT\": syntax error"},
    {"TopInUnionBranch", "SELECT 1 UNION SELECT TOP", "Incorrect syntax near 'TOP'."},
    {"TopInExists", "SELECT 1 WHERE EXISTS (SELECT TOP (1", "Incorrect syntax near '1'."},
    {"HintOpen", "SELECT * FROM T WITH (", "Incorrect syntax near '('."},
    {"HintUnclosed", "SELECT * FROM T WITH (NOLOCK", "Incorrect syntax near 'NOLOCK'."},
    {"CastOpen", "SELECT CAST(", "Incorrect syntax near '('."},
    {"CastWithoutType", "SELECT CAST(1 AS", "Incorrect syntax near 'AS'."},
    {"CastTypeOpen", "SELECT CAST(1 AS VARCHAR(", "Incorrect syntax near '('."},
    {"CastEmpty", "SELECT CAST()", "Incorrect syntax near 'CAST'."},
    {"CastEmptyType", "SELECT CAST(1 AS)", "Incorrect syntax near ')'."},
    {"ConvertEmptyType", "SELECT CONVERT(, 1)", "Incorrect syntax near ','."},
    {"CastNegativeSize", "SELECT CAST(1 AS VARCHAR(-1))", "Incorrect syntax near '-'."},
    {"ConvertTypeOpen", "SELECT CONVERT(VARCHAR(", "Incorrect syntax near '('."},
    {"ConvertUnclosed", "SELECT CONVERT(VARCHAR(10)", "Incorrect syntax near ')'."},
    {"ConvertWithoutValue", "SELECT CONVERT(VARCHAR(10))", "Incorrect syntax near 'CONVERT'."},
    {"ObjectIdOpen", "SELECT OBJECT_ID(", "Incorrect syntax near '('."},
    {"IsNullOpen", "SELECT ISNULL(B, ", "Incorrect syntax near ','."},
    {"TrailingParenthesis", "SELECT A FROM T WHERE A IN (", "Incorrect syntax near '('."},
    {"ParenthesisAlone", "(", "Incorrect syntax near '('."},
    {"CloseWithoutOpen", "SELECT 1)", "Incorrect syntax near ')'."},
    {"CloseBeforeOpen", "SELECT )(", "Incorrect syntax near ')'."},
    {"InsertColumnsOpen", "INSERT INTO T (", "Incorrect syntax near '('."},
    {"InsertColumnsUnclosed", "INSERT INTO T (A", "Incorrect syntax near 'A'."},
    {"InsertValuesOpen", "INSERT INTO T (A) VALUES (", "Incorrect syntax near '('."},
    {"InsertValuesUnclosed", "INSERT INTO T (A) VALUES (1", "Incorrect syntax near '1'."},
    {"InsertDateValuesUnclosed", "INSERT INTO D (ID, AT) VALUES (1,", "Incorrect syntax near ','."},
    {"InsertWithoutValues", "INSERT INTO D (ID, AT)", "Incorrect syntax near ')'."},
    {"InsertAlone", "INSERT", "incomplete input"},
    {"InsertIntoAlone", "INSERT INTO", "incomplete input"},
    {"UpdateSetAlone", "UPDATE T SET", "incomplete input"},
    {"UpdateDateSetAlone", "UPDATE D SET", "Incorrect syntax near 'SET'."},
    {"UpdateDateSetWithoutValue", "UPDATE D SET AT =", "Incorrect syntax near '='."},
    {"UpdateDateWithoutSet", "UPDATE D", "Incorrect syntax near 'D'."},
    {"DeleteAlone", "DELETE", "incomplete input"},
    {"IfAlone", "IF", "Incorrect syntax near 'IF'."},
    {"IfOpen", "IF (", "Incorrect syntax near '('."},
    {"IfWithoutStatement", "IF 1 = 1", "Incorrect syntax near '1'."},
    {"ElseWithoutStatement", "IF 1 = 1 SELECT 1 ELSE", "Incorrect syntax near 'ELSE'."},
    {"BeginWithoutEnd", "BEGIN SELECT 1", "Incorrect syntax near '1'."},
    {"EndAlone", "END", "Incorrect syntax near 'END'."},
    {"DeclareAlone", "DECLARE", "Incorrect syntax near 'DECLARE'."},
    {"DeclareTypeOpen", "DECLARE @X VARCHAR(", "Incorrect syntax near '('."},
    {"DeclareNegativeSize", "DECLARE @X VARCHAR(-1)", "Incorrect syntax near '-'."},
    {"DeclareEmptySize", "DECLARE @X VARCHAR()", "Incorrect syntax near ')'."},
    {"CreateTableOpen", "CREATE TABLE X (", "Incorrect syntax near '('."},
    {"CreateTableDefaultAtEnd", "CREATE TABLE X (A INT DEFAULT", "Incorrect syntax near 'DEFAULT'."},
    {"CreateTableDefaultEmpty", "CREATE TABLE X (A INT DEFAULT)", "Incorrect syntax near ')'."},
    {"CreateTableCollateAtEnd", "CREATE TABLE X (A VARCHAR(5) COLLATE)", "Incorrect syntax near ')'."},
    {"CreateIndexOpen", "CREATE INDEX IX ON T (", "Incorrect syntax near '('."},
};

INSTANTIATE_TEST_SUITE_P(Fuzzed, TruncatedStatements, ::testing::ValuesIn(kTruncated),
                         [](const auto& p) { return std::string(p.param.name); });

// Statements made in the test: too long to write out.
struct Built {
    const char* name;
    std::function<std::string()> sql;
    std::string expected;  // rows as text, or "error: " and the description
};

void PrintTo(const Built& c, std::ostream* os) {
    *os << c.name;
}

class BuiltStatements : public Robustness, public ::testing::WithParamInterface<Built> {};

TEST_P(BuiltStatements, GiveTheirRowsOrOneProviderError) {
    EXPECT_EQ(outcome(*db_, GetParam().sql()), GetParam().expected);
}

const std::string kTooDeep =
    "error: The batch nests IF/BEGIN blocks deeper than 128 levels; the embedded engine allows at most 128.";

std::string else_ifs(int n) {
    return repeated("IF 1 = 0 SELECT 0 ELSE ", n - 1) + "IF 1 = 1 SELECT 'last'";
}

const Built kNesting[] = {
    {"ChainedIfsAtTheLimit", [] { return repeated("IF 1 = 1 ", 128) + "SELECT 1"; }, "1"},
    {"ChainedIfsBeyondTheLimit", [] { return repeated("IF 1 = 1 ", 129) + "SELECT 1"; }, kTooDeep},
    {"ThousandChainedIfs", [] { return repeated("IF 1 = 1 ", 1000) + "SELECT 1"; }, kTooDeep},
    {"ElseIfChainAtTheLimit", [] { return else_ifs(128); }, "last"},
    {"ThousandElseIfs", [] { return else_ifs(1000); }, kTooDeep},
    {"NestedBlocksAtTheLimit", [] { return repeated("BEGIN ", 128) + "SELECT 2 " + repeated("END ", 128); },
     "2"},
    {"ThousandNestedBlocks", [] { return repeated("BEGIN ", 1000) + "SELECT 2 " + repeated("END ", 1000); },
     kTooDeep},
    {"IfBlocksAtTheLimit", [] { return repeated("IF 1 = 1 BEGIN ", 64) + "SELECT 3" + repeated(" END", 64); },
     "3"},
    {"IfBlocksBeyondTheLimit",
     [] { return repeated("IF 1 = 1 BEGIN ", 65) + "SELECT 3" + repeated(" END", 65); }, kTooDeep},
    // SQLite limits the depth of an expression itself; its refusal is one provider error too.
    {"HundredThousandParentheses",
     [] { return "SELECT " + repeated("(", 100000) + "1" + repeated(")", 100000); },
     "error: parser stack overflow"},
    {"HundredThousandUnclosedParentheses", [] { return "SELECT " + repeated("(", 100000) + "1"; },
     "error: Incorrect syntax near '1'."},
    {"PlusInsideDeepParentheses",
     [] { return "SELECT " + repeated("(", 20) + "'a' + 'b'" + repeated(")", 20); }, "ab"},
    {"NestedPlusBeyondSqlitesDepth",
     [] { return "SELECT " + repeated("'a' + (", 5000) + "'b'" + repeated(")", 5000); },
     "error: parser stack overflow"},
    // Translated whole; SQLite's own limits refuse them.
    {"FiveThousandNestedCasts",
     [] { return "SELECT " + repeated("CAST(", 5000) + "'x'" + repeated(" AS VARCHAR(10))", 5000); },
     "error: parser stack overflow"},
    {"TwentyThousandTermPlusChain", [] { return "SELECT 'a'" + repeated(" + 'a'", 19999); },
     "error: Expression tree is too large (maximum depth 1000)"},
    // Within them, the server's result.
    {"TenNestedCasts",
     [] { return "SELECT " + repeated("CAST(", 10) + "'xyz'" + repeated(" AS VARCHAR(2))", 10); }, "xy"},
    {"TenNestedIsNulls", [] { return "SELECT " + repeated("ISNULL(", 10) + "NULL" + repeated(", 'a')", 10); },
     "a"},
    {"FiveHundredTermPlusChain", [] { return "SELECT 'a'" + repeated(" + 'a'", 499); },
     std::string(500, 'a')},
};

INSTANTIATE_TEST_SUITE_P(Fuzzed, BuiltStatements, ::testing::ValuesIn(kNesting),
                         [](const auto& p) { return std::string(p.param.name); });

// Long inputs translate in one piece: every CAST, ISNULL and "+" of them.
using LongInputs = Robustness;

TEST_F(LongInputs, NestedCastsTranslateWhole) {
    const int n = 5000;
    const std::string sql = "SELECT " + repeated("CAST(", n) + "'x'" + repeated(" AS VARCHAR(10))", n);
    const std::string expected =
        "SELECT " + repeated("SUBSTR (CAST (", n) + "? COLLATE CI_RTRIM" + repeated(" AS TEXT), 1, 10)", n);
    EXPECT_EQ(translated(path(), sql), std::vector<std::string>{expected});
}

TEST_F(LongInputs, NestedIsNullsTranslateWhole) {
    const int n = 5000;
    const std::string sql = "SELECT " + repeated("ISNULL(", n) + "B" + repeated(", 'a')", n) + " FROM T";
    const std::string expected =
        "SELECT " + repeated("IFNULL (", n) + "B" + repeated(", ? COLLATE CI_RTRIM)", n) + " FROM T";
    EXPECT_EQ(translated(path(), sql), std::vector<std::string>{expected});
}

TEST_F(LongInputs, PlusChainJoinsEveryTerm) {
    const int n = 20000;
    const std::string sql = "SELECT B" + repeated(" + 'a'", n - 1) + " FROM T";
    const std::string expected = "SELECT B" + repeated(" || ? COLLATE CI_RTRIM", n - 1) + " FROM T";
    EXPECT_EQ(translated(path(), sql), std::vector<std::string>{expected});
}

TEST_F(LongInputs, NumbersAddedInALongChainAreTypedOnce) {
    const std::string sql = "SELECT A" + repeated(" + 1", 19999) + " FROM T";
    const std::vector<std::string> out = translated(path(), sql);
    ASSERT_EQ(out.size(), 1U);
    const std::string int_code = std::to_string(sqlite::SqlType::of(sqlite::SqlBase::Int).code());
    const std::string innermost = "A, ?, " + int_code + ", " + int_code + ", " + int_code + ")";
    EXPECT_EQ(out[0].rfind("SELECT " + repeated("li_calc (1, ", 19999) + innermost, 0), 0U);
    EXPECT_EQ(out[0].find(" + "), std::string::npos);
}

// A literal is one anonymous parameter, bound by position; a variable is one per use.
std::string in_list(const std::string& probe, int n, bool strings) {
    std::string s = "SELECT 'found' WHERE " + probe + " IN (";
    for (int i = 1; i <= n; ++i)
        s += (i > 1 ? ", " : "") + (strings ? "'k" + std::to_string(i) + "'" : std::to_string(i));
    return s + ")";
}

using Literals = Robustness;

TEST_F(Literals, AHundredThousandInOneStatement) {
    const int limit = parameter_limit();
    for (const bool strings : {false, true}) {
        SCOPED_TRACE(strings ? "strings" : "numbers");
        const std::string found = in_list(strings ? "'k99999'" : "99999", 100000, strings);
        const std::string missing = in_list(strings ? "'k100001'" : "100001", 100000, strings);
        if (limit < 100002) {
            EXPECT_EQ(outcome(*db_, found).rfind("error: The statement holds 100002 literal values", 0), 0U);
            continue;
        }
        EXPECT_EQ(outcome(*db_, found), "found");
        EXPECT_EQ(outcome(*db_, missing), "");  // the same shape, other values
    }
}

TEST_F(Literals, BeyondSqlitesLimitOneProviderError) {
    const int limit = parameter_limit();
    const std::string sql = in_list("1", limit, false);  // the limit, and "found" and the probe
    EXPECT_EQ(outcome(*db_, sql), "error: The statement holds " + std::to_string(limit + 2) +
                                      " literal values and variables; the embedded engine binds at most " +
                                      std::to_string(limit) + " in one statement.");
    EXPECT_EQ(outcome(*db_, in_list("1", 3, false)), "found");
}

TEST_F(Literals, VariablesAndLiteralsBindWhereTheyAreUsed) {
    EXPECT_EQ(outcome(*db_,
                      " DECLARE @A AS INT\r\n DECLARE @B AS VARCHAR(5)\r\n SET @A = 5\r\n SET @B = 'x'\r\n"
                      " SELECT @A + 1, @B + 'y', @A * 2, 'z' + @B, @A"),
              "6|xy|10|zx|5");
    EXPECT_EQ(outcome(*db_, " DECLARE @A AS INT\r\n SET @A = 7\r\n IF @A = 7 SELECT @A - 1, 'seven'"),
              "6|seven");
}

}  // namespace
}  // namespace ado::testing
