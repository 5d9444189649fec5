// Statements that differ only in their literals share one translation and one prepared
// statement; what is structure (TOP n, type sizes, ORDER BY positions, definitions) is not
// lifted.
#include <gtest/gtest.h>

#include "ado/sqlite/plan.h"
#include "ado/sqlite/shape.h"
#include "ado/sqlite/sqlite_driver.h"
#include "sqlite_support.h"

namespace ado::testing {
namespace {

using sqlite::BoundValue;
using sqlite::make_shape;

struct ShapePair {
    const char* name;
    const char* a;
    const char* b;
    bool same;
};

void PrintTo(const ShapePair& p, std::ostream* os) {
    *os << p.a << " | " << p.b;
}

class ShapePairs : public ::testing::TestWithParam<ShapePair> {};

TEST_P(ShapePairs, ShareAShapeOnlyWhenOnlyValuesDiffer) {
    EXPECT_EQ(make_shape(GetParam().a, 'Q').key == make_shape(GetParam().b, 'Q').key, GetParam().same);
}

const ShapePair kShapePairs[] = {
    {"Layout", "SELECT A FROM T WHERE B = 1", " SELECT A\r\n FROM T\r\n\r\n WHERE B = 22  \r\n", true},
    {"Strings", "SELECT A FROM T WHERE B = 'x'", "SELECT A FROM T WHERE B = N'yy'", true},
    {"Numbers", "SELECT A FROM T WHERE B = -1.5", "SELECT A FROM T WHERE B = -7.5", true},
    {"NumbersOfOtherTypes", "SELECT 7 / 2", "SELECT 7 / 2.0", false},
    {"NumberAndString", "SELECT A FROM T WHERE B = 1", "SELECT A FROM T WHERE B = '1'", false},
    {"Columns", "SELECT A FROM T WHERE B = 1", "SELECT A FROM T WHERE C = 1", false},
    {"Top", "SELECT TOP 1 A FROM T", "SELECT TOP 2 A FROM T", false},
    {"CastSize", "SELECT CAST(A AS VARCHAR(5)) FROM T", "SELECT CAST(A AS VARCHAR(6)) FROM T", false},
    {"ConvertScale", "SELECT CONVERT(DECIMAL(10, 2), A) FROM T", "SELECT CONVERT(DECIMAL(10, 3), A) FROM T",
     false},
    {"OrderByPosition", "SELECT A, B FROM T ORDER BY 1", "SELECT A, B FROM T ORDER BY 2", false},
    {"InListValues", "SELECT A FROM T WHERE B IN (1, 2, 3)", "SELECT A FROM T WHERE B IN (4, 5, 6)", true},
    {"OrderByAfterInList", "SELECT A FROM T WHERE B IN (1, 2) ORDER BY 1, 2",
     "SELECT A FROM T WHERE B IN (3, 4) ORDER BY 2, 1", false},
    {"AssignedValue", " DECLARE @X AS VARCHAR(5)\r\n SET @X = 1",
     " DECLARE @X AS VARCHAR(5)\r\n SET @X = 99999", true},
    {"DeclaredSize", " DECLARE @X AS VARCHAR(5)", " DECLARE @X AS VARCHAR(6)", false},
};

INSTANTIATE_TEST_SUITE_P(Texts, ShapePairs, ::testing::ValuesIn(kShapePairs),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(Shape, ModeIsPartOfTheShape) {
    EXPECT_NE(make_shape("SELECT * FROM T", 'Q').key, make_shape("SELECT * FROM T", 'U').key);
}

TEST(Shape, LiteralValuesKeepTheirText) {
    const auto s = make_shape(
        " SELECT 1 WHERE A = 'ITA ' AND B = -12.50 AND C = N'città' AND D = 'l''x' AND E = ''", 'Q');
    ASSERT_EQ(s.literals.size(), 6U);
    EXPECT_EQ(s.literals[0].kind, BoundValue::Kind::Int);
    EXPECT_EQ(s.literals[1].text, "ITA ");
    EXPECT_EQ(s.literals[2].kind, BoundValue::Kind::Real);
    EXPECT_EQ(s.literals[2].r, 12.5);
    EXPECT_EQ(s.literals[3].text, "città");
    EXPECT_EQ(s.literals[4].text, "l'x");
    EXPECT_EQ(s.literals[5].text, "");
    EXPECT_TRUE(s.cacheable);
}

TEST(Shape, DefinitionsAreNotLifted) {
    const auto s =
        make_shape("CREATE TABLE X (A DECIMAL(10, 0) NOT NULL DEFAULT 5, B CHAR(2) DEFAULT 'x')", 'Q');
    EXPECT_FALSE(s.cacheable);
    EXPECT_TRUE(s.literals.empty());
}

TEST(Shape, NumbersTheEngineCannotHoldExactlyAreRefused) {
    EXPECT_EQ(sqlite::number_value("5.00").kind, BoundValue::Kind::Int);
    EXPECT_EQ(sqlite::number_value("5.00").i, 5);
    EXPECT_EQ(sqlite::number_value("9223372036854775807").i, INT64_MAX);
    EXPECT_EQ(sqlite::number_value("1E300").kind, BoundValue::Kind::Real);
    EXPECT_EQ(sqlite::number_value("99999999999.9999").r, 99999999999.9999);
    EXPECT_THROW(sqlite::number_value("0.1234567890123456"), Error);
    EXPECT_THROW(sqlite::number_value("12345678901234567890"), Error);
}

// The engine's own driver, for its cache counters.
class StatementCache : public ::testing::Test {
  protected:
    TempDir dir_;
    sqlite::SqliteDriver db{sqlite::SqliteOptions::from(ConnectionString(cs_for((dir_ / "c.db").string())))};
};

TEST_F(StatementCache, SameShapeReusesTranslationAndStatement) {
    db.execute("CREATE TABLE T (K INT NOT NULL PRIMARY KEY, V NVARCHAR(20) NULL, D DATETIME NULL)");
    const auto before = db.cache_stats();
    for (int i = 0; i < 100; ++i)
        db.execute(" INSERT INTO T (K, V, D)\r\n VALUES (" + std::to_string(i) + ", 'v" + std::to_string(i) +
                   "', '2024-01-" + std::to_string(10 + i % 20) + "')");
    std::vector<std::string> read;
    std::vector<std::string> written;
    for (int i = 0; i < 100; i += 7) {
        for (const auto& row :
             query(db, " SELECT V, D FROM T WITH (NOLOCK) WHERE K = " + std::to_string(i)).rows)
            read.push_back(row[0].str() + "|" + row[1].date().compact());
        written.push_back("v" + std::to_string(i) + "|" +
                          DateTime::from_parts(2024, 1, 10 + i % 20).compact());
    }
    EXPECT_EQ(read, written);
    const auto after = db.cache_stats();
    EXPECT_EQ(after.misses - before.misses, 2U);  // one INSERT shape, one SELECT shape
    EXPECT_EQ(after.hits - before.hits, 99U + 14U);
    EXPECT_EQ(after.plans, 2U);
}

TEST_F(StatementCache, DefinitionsForgetWhatWasLearnt) {
    db.execute(
        "CREATE TABLE T (K INT NOT NULL, V NVARCHAR(20) NULL)\r\nINSERT INTO T (K, V) VALUES (1, 'a')");
    EXPECT_EQ(query(db, "SELECT * FROM T WHERE K = 1").columns.size(), 2U);
    db.execute("DROP TABLE T");
    EXPECT_EQ(db.cache_stats().plans, 0U);
    db.execute(
        "CREATE TABLE T (K INT NOT NULL, V NVARCHAR(20) NULL, W DATETIME NULL)\r\n"
        "INSERT INTO T (K, V, W) VALUES (1, 'a', '2024-02-03')");
    RowSet rs = query(db, "SELECT * FROM T WHERE K = 1");
    ASSERT_EQ(rs.columns.size(), 3U);
    EXPECT_EQ(rs.columns[2].type, adDBTimeStamp);
    EXPECT_TRUE(rs.rows[0][2].is_date());
}

TEST_F(StatementCache, BatchesWithVariablesRepeatWithTheirOwnValues) {
    const auto before = db.cache_stats();
    for (const char* v : {"a", "b", "c"}) {
        const std::string sql =
            std::string(" DECLARE @V AS VARCHAR(5)\r\n SET @V = '") + v + "'\r\n SELECT @V + '!'";
        EXPECT_EQ(scalar(db, sql).str(), std::string(v) + "!");
    }
    EXPECT_EQ(db.cache_stats().misses - before.misses, 1U);
    EXPECT_EQ(db.cache_stats().hits - before.hits, 2U);
}

TEST(LruCache, EvictsTheLeastRecentlyUsed) {
    sqlite::LruCache<int> cache(2);
    cache.insert("a", std::make_shared<int>(1));
    cache.insert("b", std::make_shared<int>(2));
    ASSERT_TRUE(cache.find("a"));
    cache.insert("c", std::make_shared<int>(3));
    EXPECT_TRUE(cache.find("a"));
    EXPECT_FALSE(cache.find("b"));
    EXPECT_EQ(*cache.find("c"), 3);
    EXPECT_EQ(cache.size(), 2U);
}

}  // namespace
}  // namespace ado::testing
