// Text comparisons ignore case and trailing blanks and count accents, as the server's default
// collation does: in =, joins, GROUP BY, DISTINCT, ORDER BY, unique indexes, LIKE and REPLACE.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "ado/core/collation.h"
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
    {"LikeFoldsAccentedCapitals", "NAME LIKE 'CITTÀ'", 2},  // trailing blanks of the value ignored
    {"LikeCountsAccents", "NAME LIKE 'citta'", 0},
    {"LikeUnderscoreTakesAnAccentedLetter", "NAME LIKE '_itt_'", 2},
    {"LikeSet", "NAME LIKE '[c-d]%'", 2},
    {"LikeNegatedSet", "NAME LIKE '[^c ]%'", 1},
    {"LikeLeadingBlank", "NAME LIKE ' %'", 1},
    {"NotLike", "NAME NOT LIKE 'c%'", 2},
    {"LikeEscapeMakesALiteral", "NAME LIKE 'Zet!a' ESCAPE '!'", 1},
    {"LikeEscapedPercentIsNoWildcard", "NAME LIKE 'Z!%' ESCAPE '!'", 0},
    {"ReplaceIgnoresCase", "REPLACE(NAME, 'T', 'x') = 'cixxà'", 2},
};

INSTANTIATE_TEST_SUITE_P(Predicates, Comparisons, ::testing::ValuesIn(kPredicates),
                         [](const auto& p) { return std::string(p.param.name); });

// Patterns that change from row to row, and from one run of a cached statement to the next,
// are compiled anew rather than taken from the previous row.
TEST_F(Collation, LikePatternsFromColumnsAndRepeatedStatements) {
    EXPECT_EQ(scalar(*db_, "SELECT COUNT(*) FROM NAMES N JOIN CODES C ON N.CODE LIKE C.CODE").to_long(), 3);
    EXPECT_EQ(scalar(*db_, "SELECT COUNT(*) FROM NAMES WHERE NAME LIKE 'z%'").to_long(), 1);
    EXPECT_EQ(scalar(*db_, "SELECT COUNT(*) FROM NAMES WHERE NAME LIKE 'c%'").to_long(), 2);
    EXPECT_EQ(scalar(*db_, "SELECT COUNT(*) FROM NAMES WHERE NAME LIKE 'z%'").to_long(), 1);
}

// On varchar the blanks at the end of the value may be left unmatched; those of the pattern
// must be there.
TEST_F(Collation, LikeTrailingBlanks) {
    EXPECT_EQ(scalar(*db_, "SELECT COUNT(*) FROM CODES WHERE CODE LIKE 'cd'").to_long(), 1);
    EXPECT_EQ(scalar(*db_, "SELECT COUNT(*) FROM CODES WHERE CODE LIKE 'cd '").to_long(), 1);
    EXPECT_EQ(scalar(*db_, "SELECT COUNT(*) FROM CODES WHERE CODE LIKE 'cd   '").to_long(), 0);
    EXPECT_EQ(scalar(*db_, "SELECT COUNT(*) FROM CODES WHERE CODE LIKE 'ab '").to_long(), 0);
}

TEST_F(Collation, LikeRefusesAnEscapeOfMoreThanOneCharacter) {
    EXPECT_THROW(query(*db_, "SELECT COUNT(*) FROM NAMES WHERE NAME LIKE 'a' ESCAPE '!!'"), Error);
    EXPECT_NE(db_->errors().at(0).description.find("The invalid escape character \"!!\""), std::string::npos);
}

struct TextResult {
    const char* name;
    const char* expression;
    const char* expected;
};

void PrintTo(const TextResult& r, std::ostream* os) {
    *os << r.expression;
}

class TextFunctions : public Collation, public ::testing::WithParamInterface<TextResult> {};

TEST_P(TextFunctions, AsTheServer) {
    EXPECT_EQ(render(scalar(*db_, std::string("SELECT ") + GetParam().expression)), GetParam().expected);
}

const TextResult kTextResults[] = {
    {"UpperItalian", "UPPER(N'città')", "CITTÀ"},
    {"LowerPolish", "LOWER(N'ŁÓDŹ')", "łódź"},
    {"UpperOfNull", "UPPER(NULL)", "NULL"},
    {"ReplaceIgnoresCase", "REPLACE('aAbB', 'a', 'x')", "xxbB"},
    {"ReplaceCountsAccents", "REPLACE(N'cAttà', 'a', 'x')", "cxttà"},
    {"ReplaceAccentedCapital", "REPLACE(N'Città', N'À', 'a')", "Citta"},
    {"ReplaceEmptyLeavesTheText", "REPLACE('abc', '', 'x')", "abc"},
    {"ReplaceOfNull", "REPLACE('abc', NULL, 'x')", "NULL"},
    {"LikeAsAValue", "CASE WHEN N'CITTÀ' LIKE N'città' THEN 1 ELSE 0 END", "1"},
    {"LikeCountsAccentsAsAValue", "CASE WHEN N'città' LIKE 'CITTA' THEN 1 ELSE 0 END", "0"},
};

INSTANTIATE_TEST_SUITE_P(Expressions, TextFunctions, ::testing::ValuesIn(kTextResults),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(Collation, OrderByFollowsTheCollation) {
    db_->execute(
        "CREATE TABLE W (ID INT NOT NULL PRIMARY KEY, V NVARCHAR(20) NOT NULL)\r\n"
        "INSERT INTO W (ID, V) VALUES (1, 'Cittadella')\r\n"
        "INSERT INTO W (ID, V) VALUES (2, N'Città')\r\n"
        "INSERT INTO W (ID, V) VALUES (3, 'fiume')\r\n"
        "INSERT INTO W (ID, V) VALUES (4, N'éclair')\r\n"
        "INSERT INTO W (ID, V) VALUES (5, 'eclair')\r\n"
        "INSERT INTO W (ID, V) VALUES (6, N'Łódź')\r\n"
        "INSERT INTO W (ID, V) VALUES (7, 'Zeta')\r\n"
        "INSERT INTO W (ID, V) VALUES (8, 'citta')\r\n"
        "INSERT INTO W (ID, V) VALUES (9, 'lodz')\r\n"
        "CREATE INDEX IX_W_V ON W (V)");
    const std::vector<std::string> expected = {"citta", "Città", "Cittadella", "eclair", "éclair",
                                               "fiume", "lodz",  "Łódź",       "Zeta"};
    std::vector<std::string> order;
    for (const auto& row : query(*db_, "SELECT V FROM W ORDER BY V").rows) order.push_back(row[0].str());
    EXPECT_EQ(order, expected);
    order.clear();  // through the index
    for (const auto& row : query(*db_, "SELECT V FROM W WHERE V >= 'C' ORDER BY V").rows)
        order.push_back(row[0].str());
    EXPECT_EQ(order, expected);
    EXPECT_EQ(render(scalar(*db_, "SELECT MIN(V) FROM W WHERE V > N'Città'")), "Cittadella");
}

TEST_F(Collation, UniqueIndexFoldsCaseBeyondLatin1ButKeepsAccents) {
    db_->execute("CREATE TABLE P (V NVARCHAR(20) NULL)\r\nCREATE UNIQUE INDEX IX_P ON P (V)");
    db_->execute("INSERT INTO P (V) VALUES (N'ŁÓDŹ')");
    EXPECT_THROW(db_->execute("INSERT INTO P (V) VALUES (N'łódź  ')"), Error);
    EXPECT_NO_THROW(db_->execute("INSERT INTO P (V) VALUES (N'lodz')"));
    db_->execute("INSERT INTO P (V) VALUES (N'città')");
    EXPECT_NO_THROW(db_->execute("INSERT INTO P (V) VALUES ('citta')"));
    EXPECT_THROW(db_->execute("INSERT INTO P (V) VALUES (N'CITTÀ')"), Error);
    EXPECT_EQ(scalar(*db_, "SELECT COUNT(DISTINCT V) FROM P").to_long(), 4);
    EXPECT_EQ(render(scalar(*db_, "SELECT V FROM P WHERE V = N'łódź'")), "ŁÓDŹ");  // found through the index
}

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

// A database indexed under another version of the collation is reindexed by the first
// writable connection, and refused by a read-only one until then.
void record_version(const std::string& path, const char* version) {
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
    const std::string sql = std::string("UPDATE li_collation SET VERSION = '") + version + "'";
    EXPECT_EQ(sqlite3_exec(raw, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(raw);
}

TEST_F(Collation, AnotherCollationVersionIsReindexedOnce) {
    db_.reset();
    record_version(path(), "older");
    EXPECT_THROW(
        {
            try {
                open_db(path(), "Mode=ReadOnly");
            } catch (const Error& e) {
                EXPECT_NE(std::string(e.what()).find("ordered by another version of the collation"),
                          std::string::npos)
                    << e.what();
                throw;
            }
        },
        Error);
    db_ = open_db(path());
    EXPECT_EQ(scalar(*db_, "SELECT VERSION FROM li_collation").str(), collation_version());
    EXPECT_EQ(scalar(*db_, "SELECT COUNT(*) FROM NAMES WHERE CODE = 'ab'").to_long(), 3);
    EXPECT_NO_THROW(open_db(path(), "Mode=ReadOnly"));
}

}  // namespace
}  // namespace ado::testing
