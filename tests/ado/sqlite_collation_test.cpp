// Text comparisons ignore case and trailing blanks, as the server's default collation does:
// in =, joins, GROUP BY, DISTINCT, ORDER BY and unique indexes.
#include <gtest/gtest.h>

#include "sqlite_support.h"

namespace ado::testing {
namespace {

class Collation : public DbTest {
  protected:
    void SetUp() override {
        DbTest::SetUp();
        db_->execute(
            "CREATE TABLE NAMES (ID INT NOT NULL PRIMARY KEY, CODE CHAR(4) NULL, NAME NVARCHAR(40) NULL)\r\n"
            "CREATE TABLE CODES (CODE VARCHAR(10) NOT NULL PRIMARY KEY, LABEL NVARCHAR(20) NULL)\r\n"
            "INSERT INTO NAMES (ID, CODE, NAME) VALUES (1, 'ab', 'Città')\r\n"
            "INSERT INTO NAMES (ID, CODE, NAME) VALUES (2, 'AB  ', 'CITTÀ  ')\r\n"
            "INSERT INTO NAMES (ID, CODE, NAME) VALUES (3, 'Ab', ' città')\r\n"
            "INSERT INTO NAMES (ID, CODE, NAME) VALUES (4, 'cd', 'Zeta')\r\n"
            "INSERT INTO CODES (CODE, LABEL) VALUES ('AB', 'first')\r\n"
            "INSERT INTO CODES (CODE, LABEL) VALUES ('cd  ', 'second')");
    }
};

struct Predicate {
    const char* name;
    const char* where;
    long matches;
};

void PrintTo(const Predicate& p, std::ostream* os) {
    *os << p.where;
}

class Comparisons : public Collation, public ::testing::WithParamInterface<Predicate> {};

TEST_P(Comparisons, IgnoreCaseAndTrailingBlanks) {
    EXPECT_EQ(scalar(*db_, std::string("SELECT COUNT(*) FROM NAMES WHERE ") + GetParam().where).to_long(),
              GetParam().matches);
}

const Predicate kPredicates[] = {
    {"Equal", "CODE = 'AB'", 3},
    {"EqualWithTrailingBlanks", "CODE = 'ab    '", 3},
    {"NotEqual", "CODE <> 'AB'", 1},
    {"Prefix", "CODE = 'A'", 0},
    {"LatinLetters", "NAME = 'città'", 2},  // Latin letters fold too; a leading blank counts
    {"LeadingBlank", "NAME = ' CITTÀ'", 1},
    {"ExpressionTakesTheLiteralsCollation", "LTRIM(RTRIM(NAME)) = 'CITTÀ'", 3},
    {"Coalesce", "COALESCE(NULL, NAME, '') = 'zeta '", 1},
    {"IsNull", "ISNULL(CODE, '') = 'CD'", 1},
    {"Range", "CODE > 'AA' AND CODE < 'AC'", 3},
    {"Like", "NAME LIKE 'cit%'", 2},
};

INSTANTIATE_TEST_SUITE_P(Predicates, Comparisons, ::testing::ValuesIn(kPredicates),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(Collation, JoinsMatchAcrossCaseAndBlanks) {
    RowSet rs = query(*db_,
                      " SELECT ID, LABEL FROM NAMES WITH (NOLOCK)\r\n LEFT OUTER JOIN CODES WITH (NOLOCK)\r\n"
                      "     ON CODES.CODE = NAMES.CODE\r\n ORDER BY ID");
    ASSERT_EQ(rs.rows.size(), 4U);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(rs.rows[static_cast<std::size_t>(i)][1].str(), "first");
    EXPECT_EQ(rs.rows[3][1].str(), "second");
}

TEST_F(Collation, GroupByDistinctAndOrderFold) {
    EXPECT_EQ(query(*db_, "SELECT CODE, COUNT(*) FROM NAMES GROUP BY CODE").rows.size(), 2U);
    EXPECT_EQ(query(*db_, "SELECT DISTINCT CODE FROM NAMES").rows.size(), 2U);
    db_->execute("INSERT INTO CODES (CODE, LABEL) VALUES ('b', 'x')");
    std::vector<std::string> order;
    for (const auto& row : query(*db_, "SELECT CODE FROM CODES ORDER BY CODE").rows)
        order.push_back(rtrim(row[0].str()));
    EXPECT_EQ(order, (std::vector<std::string>{"AB", "b", "cd"}));
}

TEST_F(Collation, UniqueKeysAndIndexesFold) {
    EXPECT_THROW(db_->execute("INSERT INTO CODES (CODE, LABEL) VALUES ('ab ', 'dup')"), Error);
    EXPECT_NE(db_->errors().at(0).description.find("UNIQUE constraint failed"), std::string::npos);
    // 'Città' and 'CITTÀ  ' are one value to a unique index.
    EXPECT_THROW(db_->execute("CREATE UNIQUE INDEX IX_NAMES_NAME ON NAMES (NAME)"), Error);
    db_->execute("CREATE TABLE U (V VARCHAR(10) NULL)\r\nCREATE UNIQUE INDEX IX_U ON U (V)");
    db_->execute("INSERT INTO U (V) VALUES ('Abc')");
    EXPECT_THROW(db_->execute("INSERT INTO U (V) VALUES ('aBC  ')"), Error);
    EXPECT_NO_THROW(db_->execute("INSERT INTO U (V) VALUES ('Abd')"));
}

}  // namespace
}  // namespace ado::testing
