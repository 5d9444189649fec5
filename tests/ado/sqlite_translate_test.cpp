// Each T-SQL construct the module sends, run on a small database: the rows that come back
// are the server's rows.
#include <gtest/gtest.h>

#include "sqlite_support.h"

namespace ado::testing {
namespace {

constexpr const char* kSetup[] = {
    "CREATE TABLE T1 (ID INT IDENTITY(1,1) NOT NULL PRIMARY KEY, CODE CHAR(4) NOT NULL, NAME NVARCHAR(40) "
    "NULL,"
    " EXTRA NVARCHAR(40) NULL, NUM INT NULL, WHEN_AT DATETIME NULL, START_AT DATETIME NULL, END_AT DATETIME "
    "NULL)",
    "CREATE TABLE T2 (T2_ID INT NOT NULL PRIMARY KEY, T2_T1 INT NULL, T2_TEXT VARCHAR(20) NULL)",
};
constexpr const char* kT1Rows[] = {"'A1', ' Rossi ', 'Mario', 5, '20240131 10:11:12', '20240101', NULL",
                                   "'B2', 'Bianchi', NULL, 7, '20230615', NULL, '20231231'",
                                   "'C3', 'Verdi', '', NULL, NULL, NULL, NULL"};
constexpr const char* kT2Rows[] = {"10, 1, 'one'", "11, 1, 'uno'", "20, 2, 'two'"};

struct Case {
    const char* name;
    const char* sql;
    std::vector<std::string> rows;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.sql;
}

class Translation : public DbTest, public ::testing::WithParamInterface<Case> {
  protected:
    void SetUp() override {
        DbTest::SetUp();
        for (const char* s : kSetup) db_->execute(s);
        for (const char* r : kT1Rows)
            db_->execute(
                std::string("INSERT INTO T1 (CODE, NAME, EXTRA, NUM, WHEN_AT, START_AT, END_AT) VALUES (") +
                r + ")");
        for (const char* r : kT2Rows)
            db_->execute(std::string("INSERT INTO T2 (T2_ID, T2_T1, T2_TEXT) VALUES (") + r + ")");
    }
};

TEST_P(Translation, GivesTheServersRows) {
    const Case& c = GetParam();
    SCOPED_TRACE(c.sql);
    EXPECT_EQ(render(query(*db_, c.sql)), c.rows);
}

const Case kCases[] = {
    {"NoLockHint", " SELECT CODE\r\n FROM T1 WITH (NOLOCK)\r\n WHERE ID = 1\r\n", {"A1  "}},
    {"NoLockWithoutBlank", " SELECT CODE FROM T1 WITH(NOLOCK) WHERE ID = 2", {"B2  "}},
    {"NoLockTwoBlanksAndAlias", " SELECT X.CODE FROM T1  AS X WITH (NOLOCK) WHERE X.ID = 3", {"C3  "}},
    {"NoLockOnJoinedTable",
     " SELECT CODE, T2_ID FROM T1 WITH (NOLOCK)\r\n LEFT OUTER JOIN T2 WITH (NOLOCK)\r\n     ON T2_T1 = "
     "ID\r\n"
     " WHERE ID = 2",
     {"B2  |20"}},
    {"TopOneOrdered", " SELECT TOP 1 NAME\r\n FROM T1\r\n ORDER BY ID DESC\r\n", {"Verdi"}},
    {"TopInsideExists",
     " SELECT 'yes' WHERE EXISTS(SELECT TOP 1 1 FROM T2 WITH(NOLOCK) WHERE T2_T1 = 1)",
     {"yes"}},
    {"TopInUnionBranch", " SELECT TOP 1 T2_ID FROM T2 ORDER BY T2_ID DESC UNION SELECT 99", {"20", "99"}},
    {"IsNull", " SELECT ISNULL(EXTRA, 'none') FROM T1 ORDER BY ID", {"Mario", "none", ""}},
    {"CoalesceThree", " SELECT COALESCE(NULL, EXTRA, NAME, '') FROM T1 WHERE ID = 2", {"Bianchi"}},
    {"UnicodeLiteral", " SELECT N'città ünïcode'", {"città ünïcode"}},
    {"QuoteDoubled", " SELECT 'l''anno'", {"l'anno"}},
    {"TrailingBlankKept", " SELECT 'ITA ' + '|'", {"ITA |"}},
    {"PlusJoinsTexts",
     " SELECT LTRIM(RTRIM(NAME)) + ' ' + LTRIM(RTRIM(EXTRA)) FROM T1 WHERE ID = 1",
     {"Rossi Mario"}},
    {"PlusWithNullGivesNull", " SELECT NAME + EXTRA FROM T1 WHERE ID = 2", {"NULL"}},
    {"PlusAddsNumbers", " SELECT NUM + 1 FROM T1 WHERE ID = 1", {"6"}},
    {"CastToVarcharCuts",
     " SELECT CAST(LTRIM(RTRIM(NAME)) + '!' AS VARCHAR(4)) FROM T1 WHERE ID = 2",
     {"Bian"}},
    {"CastCaseToVarchar",
     " SELECT CAST(LTRIM(RTRIM(NAME)) +\r\n         CASE WHEN LTRIM(RTRIM(ISNULL(EXTRA, ''))) <> ''\r\n"
     "             THEN ' ' + LTRIM(RTRIM(EXTRA))\r\n             ELSE ''\r\n"
     "                     END AS VARCHAR(500)) AS FULLNAME\r\n FROM T1 ORDER BY ID",
     {"Rossi Mario", "Bianchi", "Verdi"}},
    {"ConvertToVarchar", " SELECT CONVERT(VARCHAR(3), NAME) FROM T1 WHERE ID = 3", {"Ver"}},
    {"CastToDecimalRounds", " SELECT CAST(2.71828 AS DECIMAL(10, 2))", {"2.72"}},
    {"LtrimRtrimBlanksOnly", " SELECT '[' + LTRIM(RTRIM(NAME)) + ']' FROM T1 WHERE ID = 1", {"[Rossi]"}},
    {"LenLeftRight", " SELECT LEN('abc  '), LEFT('abcdef', 2), RIGHT('abcdef', 3)", {"3|ab|def"}},
    {"DeclareSetBatch",
     " DECLARE @C AS VARCHAR(20)\r\n DECLARE @N AS CHAR(1)\r\n SET @C = 'b2'\r\n SET @N = -1\r\n"
     " SELECT ID, @N FROM T1 WHERE CODE = @C",
     {"2|-1"}},
    {"VariableHoldsFullValue",
     " DECLARE @D AS VARCHAR(5)\r\n SET @D = 123456789\r\n SELECT @D",
     {"123456789"}},
    {"NumericColumnEqualsTextVariable",
     " DECLARE @D AS VARCHAR(5)\r\n SET @D = '7'\r\n SELECT CODE FROM T1 WHERE NUM = @D",
     {"B2  "}},
    {"VariableNullTest",
     " DECLARE @PI AS VARCHAR(20)\r\n SELECT COUNT(*) FROM T1 WHERE ISNULL(@PI, '') = ''",
     {"3"}},
    {"IfNotExistsRunsBody",
     " IF NOT EXISTS(SELECT TOP 1 1 FROM T2 WITH(NOLOCK) WHERE T2_T1 = 3)\r\n     BEGIN\r\n"
     "         DELETE FROM T2 WHERE T2_ID = 20\r\n     END\r\n SELECT COUNT(*) FROM T2",
     {"2"}},
    {"IfNotExistsSkipsBody",
     " IF NOT EXISTS(SELECT TOP 1 1 FROM T2 WITH(NOLOCK) WHERE T2_T1 = 1)\r\n     BEGIN\r\n"
     "         DELETE FROM T2 WHERE T2_ID = 20\r\n     END\r\n SELECT COUNT(*) FROM T2",
     {"3"}},
    {"UpdateFromSameTable",
     " UPDATE T1\r\n     SET NAME = (\r\n         SELECT T2_TEXT FROM T2 AS P WITH (NOLOCK) WHERE P.T2_ID = "
     "20\r\n"
     "         )\r\n FROM T1\r\n WHERE ID = 3\r\n SELECT NAME FROM T1 WHERE ID = 3",
     {"two"}},
    {"ScalarSubqueryTakesFirstRow",
     " UPDATE T1 SET NAME = (SELECT T2_TEXT FROM T2 WHERE T2_T1 = 1) FROM T1 WHERE ID = 3\r\n"
     " SELECT COUNT(*) FROM T1 WHERE ID = 3 AND NAME IN ('one', 'uno')",
     {"1"}},
    {"UnionRemovesDuplicates",
     " SELECT 1 AS ORDINE\r\n FROM T1 WHERE ID = 1\r\n UNION\r\n SELECT 1 AS ORDINE\r\n FROM T1 WHERE ID = "
     "2\r\n"
     " UNION\r\n SELECT 2 AS ORDINE FROM T1 WHERE ID = 3",
     {"1", "2"}},
    {"DateLiteralBetweenIsNull",
     " SELECT CODE FROM T1\r\n WHERE '20240115' BETWEEN ISNULL(START_AT, '17530101')\r\n"
     "             AND ISNULL(END_AT, '99991231')\r\n ORDER BY ID",
     {"A1  ", "C3  "}},
    {"DateColumnBetweenIsNull",
     " SELECT ID FROM T1 WHERE WHEN_AT BETWEEN ISNULL(START_AT, '17530101') AND ISNULL(END_AT, '99991231') "
     "ORDER BY ID",
     {"1", "2"}},
    {"DateTimeAfterMidnightOfSameDay",
     " SELECT ID FROM T1 WHERE WHEN_AT > '20240131' AND WHEN_AT < '20240201'",
     {"1"}},
    {"BracketedIdentifiers", " SELECT [CODE] FROM [T1] WHERE [ID] = 1", {"A1  "}},
    {"QualifiedStarAndAlias",
     " SELECT T1.CODE, LTRIM(RTRIM(NAME)) AS NAME FROM T1\r\n LEFT OUTER JOIN T2 AS X\r\n     ON X.T2_T1 = "
     "T1.ID\r\n"
     "     AND X.T2_ID = 10\r\n WHERE T1.ID = 1",
     {"A1  |Rossi"}},
    {"AlwaysFalse", " SELECT * FROM T2 WHERE 1 = 0", {}},
    {"OrderByOrdinal", " SELECT T2_TEXT, T2_ID FROM T2 ORDER BY 2 DESC", {"two|20", "uno|11", "one|10"}},
    {"CaseWhen",
     " SELECT CASE WHEN NUM > 5 THEN 'big' ELSE 'small' END FROM T1 WHERE ID IN (1, 2) ORDER BY ID",
     {"small", "big"}},
    {"CommentsAndBlankLines",
     " -- a comment\r\n\r\n SELECT /* inline */ T2_ID\r\n\r\n FROM T2 WHERE T2_ID = 10  \r\n",
     {"10"}},
    {"NewIdIsAGuid", "SELECT LEN(NEWID()), LEN(REPLACE(NEWID(), '-', ''))", {"36|32"}},
    {"IdentCurrent", "SELECT IDENT_CURRENT('T1')", {"3"}},
    {"IdentCurrentOfTableWithoutIdentity", "SELECT IDENT_CURRENT('T2')", {"NULL"}},
    {"ScopeIdentityOfTheInsertInTheSameBatch",
     " INSERT INTO T1 (CODE, NAME) VALUES ('D4', 'Neri')\r\n SELECT SCOPE_IDENTITY()",
     {"4"}},
    {"ObjectIdOfMissingTempTable", " SELECT OBJECT_ID(N'tempdb..#NOPE', N'U')", {"NULL"}},
    {"TempTableLifecycle",
     " CREATE TABLE #WORK\r\n      (PROGR   DECIMAL(10, 0) NULL\r\n     , TXT NVARCHAR(50)   COLLATE "
     "DATABASE_DEFAULT NULL)\r\n"
     " INSERT INTO #WORK (PROGR, TXT) VALUES (2, 'b')\r\n INSERT INTO #WORK (PROGR, TXT) VALUES (1, 'a')\r\n"
     " SELECT PROGR, TXT FROM #WORK WITH (NOLOCK) ORDER BY PROGR",
     {"1|a", "2|b"}},
    {"DeleteAndInsertWithoutFromAndInto",
     " INSERT T2 (T2_ID, T2_T1, T2_TEXT) VALUES (30, 3, 'three')\r\n DELETE T2 WHERE T2_ID = 10\r\n"
     " SELECT T2_ID FROM T2 ORDER BY T2_ID",
     {"11", "20", "30"}},
    {"TopInSubquery",
     " SELECT COUNT(*) FROM T1 WHERE ID IN (SELECT TOP 1 T2_T1 FROM T2 ORDER BY T2_ID DESC)",
     {"1"}},
    {"GroupByCount", " SELECT T2_T1, COUNT(*) FROM T2 GROUP BY T2_T1 ORDER BY T2_T1", {"1|2", "2|1"}},
    {"ExistenceProbeWithLiteralAlias",
     " SELECT 'OK' AS ESISTE\r\n FROM T1 WITH (NOLOCK)\r\n WHERE NUM = 5\r\n     AND CODE = \r\n'A1  '\r\n",
     {"OK"}},
    {"TrimOfCoalesceFallsBackToTheCode",
     " SELECT LTRIM(RTRIM(COALESCE(EXTRA, CODE, ''))) AS FALLBACK\r\n FROM T1 WITH (NOLOCK)\r\n ORDER BY ID",
     {"Mario", "B2", ""}},
    {"LeftJoinOnAConstantOrdered",
     " SELECT *\r\n FROM T1 WITH (NOLOCK)\r\n LEFT OUTER JOIN T2 WITH (NOLOCK)\r\n     ON T2_T1 = 2\r\n"
     "     AND T2_T1 = ID\r\n ORDER BY CODE\r\n",
     {"1|A1  | Rossi |Mario|5|20240131 10:11:12|20240101|NULL|NULL|NULL|NULL",
      "2|B2  |Bianchi|NULL|7|20230615|NULL|20231231|20|2|two",
      "3|C3  |Verdi||NULL|NULL|NULL|NULL|NULL|NULL|NULL"}},
    {"MatchBranchesWithVariablesInTheJoin",
     " DECLARE @PI AS VARCHAR(20)\r\n DECLARE @RS AS NVARCHAR(60)\r\n DECLARE @N AS CHAR(1)\r\n\r\n"
     " SET @PI = 'Mario'\r\n SET @RS = 'l''Bianchi'\r\n SET @N = 1\r\n\r\n"
     " SELECT 1 AS ORDINE\r\n     , T2_ID\r\n     , CODE\r\n FROM T1 WITH (NOLOCK)\r\n"
     " LEFT OUTER JOIN T2 WITH (NOLOCK)\r\n     ON T2_T1 = @N\r\n         AND T2_T1 = ID\r\n"
     " WHERE ISNULL(@PI, '') <> ''\r\n     AND COALESCE(EXTRA, NAME, '') = ISNULL(@PI, '')\r\n\r\n "
     "UNION\r\n\r\n"
     " SELECT 2 AS ORDINE\r\n     , T2_ID\r\n     , CODE\r\n FROM T1 WITH (NOLOCK)\r\n"
     " LEFT OUTER JOIN T2 WITH (NOLOCK)\r\n     ON T2_T1 = @N\r\n         AND T2_T1 = ID\r\n"
     " WHERE (ISNULL(EXTRA, '') = '' OR ISNULL(@PI, '') = '')\r\n     AND 'l' + ISNULL(NAME, '') = "
     "SUBSTRING(@RS, 1, 1) + "
     "SUBSTRING(@RS, 3, 20)\r\n\r\n",
     {"1|10|A1  ", "1|11|A1  ", "2|NULL|B2  "}},
    {"UpdateOneColumnByCode",
     " UPDATE T1\r\n SET CODE = 'Z9  '\r\n WHERE CODE = 'C3  '\r\n SELECT COUNT(*) FROM T1 WHERE CODE = 'Z9'",
     {"1"}},
    {"InsertOverLinesWithTrailingBlankText",
     " INSERT INTO T2 (\r\n     T2_ID\r\n     , T2_T1\r\n     , T2_TEXT\r\n     )\r\n VALUES (\r\n"
     "     40\r\n     , 5\r\n     , 'ITA '\r\n     )\r\n SELECT T2_TEXT + '|' FROM T2 WHERE T2_ID = 40",
     {"ITA |"}},
};

INSTANTIATE_TEST_SUITE_P(Constructs, Translation, ::testing::ValuesIn(kCases),
                         [](const auto& p) { return std::string(p.param.name); });

using TranslationTemp = DbTest;

// Temporary tables belong to the connection that made them, and go with it.
TEST_F(TranslationTemp, SeenOnlyByTheirConnection) {
    const char* exists = " SELECT OBJECT_ID(N'tempdb..#VPOOLLOG', N'U')";
    auto other = open_db(path());
    db_->execute(
        " CREATE TABLE #VPOOLLOG\r\n      (PROGR   DECIMAL(10, 0) NULL\r\n     , TABELLA NVARCHAR(50) NULL)");
    db_->execute("INSERT INTO #VPOOLLOG (PROGR) VALUES (1)");
    EXPECT_FALSE(scalar(*db_, exists).is_null());
    EXPECT_TRUE(scalar(*other, exists).is_null());
    EXPECT_THROW(other->execute(" SELECT * FROM #VPOOLLOG"), Error);
    db_.reset();
    db_ = open_db(path());
    EXPECT_TRUE(scalar(*db_, exists).is_null());
}

using TranslationIdentity = DbTest;

// SCOPE_IDENTITY() is the identity this connection inserted, whoever inserted after it;
// IDENT_CURRENT is the table's latest, whichever connection inserted it.
TEST_F(TranslationIdentity, ScopeIdentityStaysWithItsConnection) {
    auto other = open_db(path());
    db_->execute("CREATE TABLE H (H_ID INT IDENTITY(1,1) NOT NULL PRIMARY KEY, H_NAME VARCHAR(10) NULL)");
    EXPECT_TRUE(scalar(*db_, "SELECT SCOPE_IDENTITY()").is_null());
    db_->execute("INSERT INTO H (H_NAME) VALUES ('mine')");
    other->execute("INSERT INTO H (H_NAME) VALUES ('theirs')");
    EXPECT_EQ(scalar(*db_, "SELECT SCOPE_IDENTITY()").to_long(), 1);
    EXPECT_EQ(scalar(*other, "SELECT SCOPE_IDENTITY()").to_long(), 2);
    EXPECT_EQ(scalar(*db_, "SELECT IDENT_CURRENT('H')").to_long(), 2);
}

class UnsupportedText : public DbTest, public ::testing::WithParamInterface<SqlCase> {};

TEST_P(UnsupportedText, IsRefusedWithAProviderError) {
    EXPECT_EQ(thrown([&] { db_->execute(GetParam().sql); }).description, GetParam().expected);
    ASSERT_EQ(db_->errors().size(), 1U);
    EXPECT_EQ(db_->errors()[0].number, kErrProvider);
}

const SqlCase kUnsupported[] = {
    {"TransactionInText", "BEGIN TRANSACTION",
     "The embedded engine does not support transactions in statement text (use the connection's "
     "BeginTrans)."},
    {"Exec", "EXEC sp_who", "The embedded engine does not support EXEC statements."},
    {"UndeclaredVariable", "SELECT @UNDECLARED", "Must declare the scalar variable \"@UNDECLARED\"."},
    {"TopPercent", "SELECT TOP 10 PERCENT 1",
     "The embedded engine does not support TOP ... PERCENT or WITH TIES."},
    {"CompoundAssignment", "DECLARE @X AS INT\r\n SET @X += 1",
     "The embedded engine does not support compound assignment of variables."},
};

INSTANTIATE_TEST_SUITE_P(Statements, UnsupportedText, ::testing::ValuesIn(kUnsupported),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace ado::testing
