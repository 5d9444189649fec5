// Values written to date, decimal and GUID columns are stored in the column's form, or the
// statement is refused naming what the engine does not convert; nothing is stored half
// converted. Tables without such columns, and tables the engine does not know, work as
// SQLite takes them.
#include <gtest/gtest.h>

#include "sqlite_support.h"
#include "sqlite_translation_support.h"

namespace ado::testing {
namespace {

constexpr const char* kRowsOfD = "SELECT ID, AT, AMOUNT, G FROM D ORDER BY ID";
constexpr const char* kSeed = "1|20240101|1|NULL";
constexpr const char* kGuid = "6F9619FF-8B86-D011-B42D-00C04FC964FF";

std::string refused(const std::string& construct, const char* table = "D") {
    return "The embedded engine does not support " + construct +
           " a table with date, decimal or GUID columns (" + table + ").";
}

const std::string kMoreColumns =
    "There are more columns in the INSERT statement than values specified in the VALUES clause. The number of"
    " values in the VALUES clause must match the number of columns specified in the INSERT statement.";
const std::string kFewerColumns =
    "There are fewer columns in the INSERT statement than values specified in the VALUES clause. The number "
    "of"
    " values in the VALUES clause must match the number of columns specified in the INSERT statement.";

class WrittenValues : public DbTest {
  protected:
    void SetUp() override {
        DbTest::SetUp();
        db_->execute(
            "CREATE TABLE D (ID INT NOT NULL PRIMARY KEY, AT DATETIME NULL, AMOUNT DECIMAL(19, 4) NULL,"
            " G UNIQUEIDENTIFIER NULL, NOTE VARCHAR(20) NULL)\r\n"
            "CREATE TABLE P (ID INT NOT NULL PRIMARY KEY, NOTE VARCHAR(20) NULL)\r\n"
            "CREATE TABLE S (K INT NULL, V VARCHAR(30) NULL)\r\n"
            "CREATE TABLE E (ID INT IDENTITY(1,1) NOT NULL PRIMARY KEY, AT DATETIME NOT NULL DEFAULT "
            "('2024-01-31'),"
            " AMOUNT DECIMAL(9, 2) NULL DEFAULT (0))\r\n"
            "CREATE TABLE #W (AT DATETIME NULL)");
        db_->execute(
            "INSERT INTO D (ID, AT, AMOUNT, G, NOTE) VALUES (1, '20240101', 1, NULL, 'seed')\r\n"
            "INSERT INTO P (ID, NOTE) VALUES (1, 'seed')\r\n"
            "INSERT INTO S (K, V) VALUES (2, '2024-01-31')\r\n"
            "INSERT INTO S (K, V) VALUES (3, '31/12/2023 10:11')");
    }
};

struct Written {
    const char* name;
    std::string sql;
    std::string error;  // empty: the statement runs
    const char* query;  // what it left
    std::vector<std::string> rows;
};

void PrintTo(const Written& c, std::ostream* os) {
    *os << c.sql;
}

class WrittenForms : public WrittenValues, public ::testing::WithParamInterface<Written> {};

TEST_P(WrittenForms, StoreConvertedOrRefuseAndLoseNothing) {
    const Written& c = GetParam();
    const Thrown e = thrown([&] { db_->execute(c.sql); });
    EXPECT_EQ(e.description, c.error);
    if (!c.error.empty()) {
        EXPECT_EQ(e.number, kErrProvider);
        EXPECT_EQ(db_->errors().size(), 1U);
    }
    EXPECT_EQ(render(query(*db_, c.query)), c.rows);
}

const Written kForms[] = {
    {"InsertWithColumnList",
     "INSERT INTO D (ID, AT, AMOUNT, G) VALUES (2, '2024-01-31', 1.23456, "
     "'{6f9619ff-8b86-d011-b42d-00c04fc964ff}')",
     "",
     kRowsOfD,
     {kSeed, std::string("2|20240131|1.2346|") + kGuid}},
    {"InsertWithoutInto",
     "INSERT D (ID, AT) VALUES (2, '2024-01-31 10:11')",
     "",
     kRowsOfD,
     {kSeed, "2|20240131 10:11:00|NULL|NULL"}},
    {"InsertIntoQualifiedName",
     "INSERT INTO main.D (ID, AT) VALUES (2, '2024-01-31')",
     "",
     kRowsOfD,
     {kSeed, "2|20240131|NULL|NULL"}},
    {"InsertIntoTempTable",
     "INSERT INTO #W (AT) VALUES ('2024-01-31')",
     "",
     "SELECT AT FROM #W",
     {"20240131"}},
    {"InsertSeveralRows",
     "INSERT INTO D (ID, AT, AMOUNT) VALUES (2, '2024-01-31', 2.55555), (3, '31/12/2023', -0.00005)",
     "",
     kRowsOfD,
     {kSeed, "2|20240131|2.5556|NULL", "3|20231231|-0.0001|NULL"}},
    {"InsertSelect",
     "INSERT INTO D (ID, AT, AMOUNT) SELECT K, V, K + 0.00005 FROM S",
     "",
     kRowsOfD,
     {kSeed, "2|20240131|2.0001|NULL", "3|20231231 10:11:00|3.0001|NULL"}},
    {"InsertSelectStar",
     "INSERT INTO D (ID, AT) SELECT * FROM S",
     "",
     kRowsOfD,
     {kSeed, "2|20240131|NULL|NULL", "3|20231231 10:11:00|NULL|NULL"}},
    {"InsertSelectUnion",
     "INSERT INTO D (ID, AT) SELECT K, V FROM S UNION ALL SELECT 9, '2020-02-29'",
     "",
     kRowsOfD,
     {kSeed, "2|20240131|NULL|NULL", "3|20231231 10:11:00|NULL|NULL", "9|20200229|NULL|NULL"}},
    {"InsertSelectTop",
     "INSERT INTO D (ID, AT) SELECT TOP 1 K, V FROM S ORDER BY K DESC",
     "",
     kRowsOfD,
     {kSeed, "3|20231231 10:11:00|NULL|NULL"}},
    {"InsertSelectOtherColumnCount",
     "INSERT INTO D (ID, AT, AMOUNT) SELECT * FROM S",
     "Column name or number of supplied values does not match table definition.",
     kRowsOfD,
     {kSeed}},
    {"InsertDefaultValues",
     "INSERT INTO E DEFAULT VALUES",
     "",
     "SELECT ID, AT, AMOUNT FROM E",
     {"1|20240131|0"}},
    {"InsertWithoutColumnList",
     "INSERT INTO D VALUES (2, '2024-01-31', 1, NULL, 'x')",
     refused("INSERT without a column list into"),
     kRowsOfD,
     {kSeed}},
    {"InsertSelectWithoutColumnList",
     "INSERT INTO D SELECT K, V, NULL, NULL, NULL FROM S",
     refused("INSERT without a column list into"),
     kRowsOfD,
     {kSeed}},
    {"InsertWithoutColumnListPlainTable",
     "INSERT INTO P VALUES (2, 'x')",
     "",
     "SELECT ID, NOTE FROM P ORDER BY ID",
     {"1|seed", "2|x"}},
    {"MoreColumnsThanValues",
     "INSERT INTO D (ID, AT, AMOUNT) VALUES (2, '2024-01-31')",
     kMoreColumns,
     kRowsOfD,
     {kSeed}},
    {"FewerColumnsThanValues",
     "INSERT INTO D (ID, AT) VALUES (2, '2024-01-31', 3)",
     kFewerColumns,
     kRowsOfD,
     {kSeed}},
    {"SecondRowShort",
     "INSERT INTO D (ID, AT) VALUES (2, '2024-01-31'), (3)",
     kMoreColumns,
     kRowsOfD,
     {kSeed}},
    {"QualifiedColumnInList",
     "INSERT INTO D (D.ID, AT) VALUES (2, '2024-01-31')",
     refused("INSERT with a column list item that is not a plain column name (D.ID) into"),
     kRowsOfD,
     {kSeed}},
    {"UnknownColumnInList",
     "INSERT INTO D (ID, NOPE) VALUES (2, 1)",
     "Invalid column name 'NOPE'.",
     kRowsOfD,
     {kSeed}},
    {"UnknownColumnPlainTable",
     "INSERT INTO P (ID, NOPE) VALUES (2, 1)",
     "table P has no column named NOPE",
     "SELECT ID, NOTE FROM P",
     {"1|seed"}},
    {"InsertExec",
     "INSERT INTO D (ID, AT) EXEC LOAD_DATES",
     "The embedded engine does not support INSERT ... EXEC.",
     kRowsOfD,
     {kSeed}},
    {"InsertOutput",
     "INSERT INTO D (ID, AT) OUTPUT INSERTED.ID VALUES (2, '2024-01-31')",
     refused("INSERT ... OUTPUT into"),
     kRowsOfD,
     {kSeed}},
    {"InsertUnknownTable",
     "INSERT INTO NOPE VALUES ('2024-01-31')",
     "no such table: NOPE",
     kRowsOfD,
     {kSeed}},
    {"UpdateSet",
     "UPDATE D SET AT = '2024-02-29', AMOUNT = 2.55555, G = '6f9619ff-8b86-d011-b42d-00c04fc964ff' WHERE ID "
     "= 1",
     "",
     kRowsOfD,
     {std::string("1|20240229|2.5556|") + kGuid}},
    {"UpdateSetFromSubquery",
     "UPDATE D SET AT = (SELECT V FROM S WHERE K = 3) WHERE ID = 1",
     "",
     kRowsOfD,
     {"1|20231231 10:11:00|1|NULL"}},
    {"UpdateWithRedundantFrom",
     "UPDATE D SET AT = '29/02/2024' FROM D WHERE ID = 1",
     "",
     kRowsOfD,
     {"1|20240229|1|NULL"}},
    {"UpdateThroughAlias",
     "UPDATE X SET AT = '2024-02-29' FROM D X WHERE X.ID = 1",
     refused("UPDATE through an alias (X) of"),
     kRowsOfD,
     {kSeed}},
    {"UpdateThroughAliasWithAs",
     "UPDATE X SET AT = '2024-02-29' FROM P JOIN D AS X ON X.ID = P.ID",
     refused("UPDATE through an alias (X) of"),
     kRowsOfD,
     {kSeed}},
    {"UpdateThroughAliasPlainTable",
     "UPDATE X SET NOTE = 'y' FROM P X",
     "no such table: X",
     "SELECT NOTE FROM P",
     {"seed"}},
    {"UpdateQualifiedColumn",
     "UPDATE D SET D.AT = '2024-02-29'",
     refused("UPDATE with a qualified column name in SET (D.AT) on"),
     kRowsOfD,
     {kSeed}},
    {"UpdateVariableAndColumn",
     " DECLARE @V AS DATETIME\r\n UPDATE D SET @V = AT = '2024-02-29'",
     refused("assigning variables in an UPDATE (@V) on"),
     kRowsOfD,
     {kSeed}},
    {"UpdateUnknownColumn", "UPDATE D SET NOPE = 1", "Invalid column name 'NOPE'.", kRowsOfD, {kSeed}},
    {"UpdateCompoundAssignment",
     "UPDATE D SET AMOUNT += 1",
     refused("compound assignment in an UPDATE (AMOUNT +=) on"),
     kRowsOfD,
     {kSeed}},
    {"UpdatePlainTable", "UPDATE P SET NOTE = 'y' WHERE ID = 1", "", "SELECT NOTE FROM P", {"y"}},
    {"UpdateUnknownTable", "UPDATE NOPE SET AT = '2024-01-31'", "no such table: NOPE", kRowsOfD, {kSeed}},
};

INSTANTIATE_TEST_SUITE_P(Statements, WrittenForms, ::testing::ValuesIn(kForms),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(WrittenValues, ThousandsOfRowsInOneInsertAllConverted) {
    std::string sql = "INSERT INTO D (ID, AT, AMOUNT) VALUES ";
    for (int i = 2; i <= 5001; ++i)
        sql += (i > 2 ? ", (" : "(") + std::to_string(i) + ", '2024-01-" + std::to_string(10 + i % 20) +
               "', " + std::to_string(i) + ".00005)";
    EXPECT_EQ(affected(*db_, sql), 5000);
    EXPECT_EQ(render(query(*db_, "SELECT COUNT(*) FROM D WHERE AT LIKE '202401__' AND AMOUNT = ID + 0.0001")),
              std::vector<std::string>{"5000"});
}

TEST_F(WrittenValues, TranslationWrapsEachValueByItsColumn) {
    EXPECT_EQ(
        translated(path(), "INSERT INTO D (NOTE, AT, AMOUNT, G) VALUES ('a', 'b', 1.5, 'c')"),
        std::vector<std::string>{
            "INSERT INTO D (NOTE, AT, AMOUNT, G) VALUES (?, li_date (?), li_decimal (?, 4), li_guid (?))"});
    EXPECT_EQ(translated(path(), "INSERT INTO D (ID, AT) SELECT K, V FROM S"),
              std::vector<std::string>{
                  "WITH li_insert_source (ID, AT) AS (SELECT K, V FROM S) INSERT INTO D (ID, AT)"
                  " SELECT ID, li_date (AT) FROM li_insert_source"});
    EXPECT_EQ(
        translated(path(), "UPDATE D SET NOTE = 'n', AT = NULL WHERE ID = 1"),
        std::vector<std::string>{"UPDATE D SET NOTE = ? COLLATE CI_RTRIM, AT = li_date (NULL) WHERE ID = ?"});
}

}  // namespace
}  // namespace ado::testing
