// Bad input: each failure is one ado::Error carrying the engine's message in the error
// collection; the connection stays usable and an open transaction stays the caller's.
#include <gtest/gtest.h>
#include <unistd.h>

#include "sqlite_support.h"

namespace ado::testing {
namespace {

class Failures : public DbTest {
  protected:
    void SetUp() override {
        db_ = open_db(path(), "Busy Timeout=100");
        db_->execute(
            "CREATE TABLE PARENT (ID INT NOT NULL PRIMARY KEY, NAME NVARCHAR(20) NOT NULL)\r\n"
            "CREATE TABLE CHILD (ID INT NOT NULL PRIMARY KEY, PARENT_ID INT NOT NULL,"
            " CONSTRAINT FK_CHILD FOREIGN KEY (PARENT_ID) REFERENCES PARENT (ID))\r\n"
            "INSERT INTO PARENT (ID, NAME) VALUES (1, 'one')");
    }

    // The failure is one provider error whose description contains `text`, and the
    // connection answers the next statement.
    void expect_failure(Driver& d, const std::string& sql, const std::string& text) {
        SCOPED_TRACE(sql);
        const auto e = thrown([&] { d.execute(sql); });
        ASSERT_EQ(d.errors().size(), 1U);
        EXPECT_EQ(d.errors()[0].number, kErrProvider);
        EXPECT_EQ(d.errors()[0].description, e.description);
        EXPECT_NE(e.description.find(text), std::string::npos) << e.description;
        EXPECT_EQ(scalar(d, "SELECT COUNT(*) FROM PARENT").to_long(), 1);
        EXPECT_TRUE(d.errors().empty());
    }
};

class BadStatements : public Failures, public ::testing::WithParamInterface<SqlCase> {};

TEST_P(BadStatements, EachGivesOneProviderError) {
    expect_failure(*db_, GetParam().sql, GetParam().expected);
}

const SqlCase kBadStatements[] = {
    {"MisspelledKeyword", "SELEC * FROM PARENT", "Incorrect syntax near 'SELEC'."},
    {"CutShort", "SELECT * FROM PARENT WHERE", "incomplete input"},
    {"UnclosedQuote", "SELECT * FROM PARENT WHERE NAME = 'open",
     "Unclosed quotation mark after the character string 'open'."},
    {"NoSuchTable", "SELECT * FROM NOPE WITH (NOLOCK)", "no such table: NOPE"},
    {"NoSuchColumn", "SELECT NOPE FROM PARENT", "no such column: NOPE"},
    {"Unique", "INSERT INTO PARENT (ID, NAME) VALUES (1, 'again')", "UNIQUE constraint failed: PARENT.ID"},
    {"NotNull", "INSERT INTO PARENT (ID, NAME) VALUES (2, NULL)", "NOT NULL constraint failed: PARENT.NAME"},
    {"ForeignKey", "INSERT INTO CHILD (ID, PARENT_ID) VALUES (1, 99)", "FOREIGN KEY constraint failed"},
    {"TooLong", "INSERT INTO PARENT (ID, NAME) VALUES (3, 'a name longer than twenty')",
     "holds at most 20 characters"},
};

INSTANTIATE_TEST_SUITE_P(Statements, BadStatements, ::testing::ValuesIn(kBadStatements),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(Failures, AFailedStatementInsideATransactionLeavesItToTheCaller) {
    db_->begin();
    db_->execute("INSERT INTO PARENT (ID, NAME) VALUES (2, 'two')");
    EXPECT_THROW(db_->execute("INSERT INTO PARENT (ID, NAME) VALUES (2, 'dup')"), Error);
    EXPECT_TRUE(db_->in_transaction());
    EXPECT_EQ(scalar(*db_, "SELECT COUNT(*) FROM PARENT").to_long(), 2);
    EXPECT_THROW(db_->begin(), Error);
    db_->rollback();
    EXPECT_FALSE(db_->in_transaction());
    EXPECT_EQ(scalar(*db_, "SELECT COUNT(*) FROM PARENT").to_long(), 1);
    EXPECT_THROW(db_->rollback(), Error);
    EXPECT_THROW(db_->commit(), Error);
}

TEST_F(Failures, LockedDatabase) {
    auto other = open_db(path(), "Busy Timeout=100");
    other->begin();
    other->execute("INSERT INTO PARENT (ID, NAME) VALUES (5, 'held')");
    expect_failure(*db_, "INSERT INTO PARENT (ID, NAME) VALUES (6, 'waits')", "database is locked");
    EXPECT_EQ(db_->errors().size(), 0U);
    EXPECT_THROW(db_->begin(), Error);
    EXPECT_FALSE(db_->in_transaction());
    other->commit();
    db_->execute("INSERT INTO PARENT (ID, NAME) VALUES (6, 'waits')");
    EXPECT_EQ(scalar(*db_, "SELECT COUNT(*) FROM PARENT").to_long(), 3);
}

TEST_F(Failures, ReadOnlyConnection) {
    auto ro = open_driver(ConnectionString("Provider=SQLite;Data Source=" + path() + ";Mode=ReadOnly"));
    EXPECT_EQ(scalar(*ro, "SELECT NAME FROM PARENT").str(), "one");
    expect_failure(*ro, "INSERT INTO PARENT (ID, NAME) VALUES (7, 'no')", "readonly database");
}

TEST_F(Failures, WriteProtectedFile) {
    if (geteuid() == 0) GTEST_SKIP() << "file permissions do not bind the superuser";
    db_.reset();
    namespace fs = std::filesystem;
    fs::permissions(path(), fs::perms::owner_read);
    auto ro = open_db(path());
    EXPECT_EQ(scalar(*ro, "SELECT NAME FROM PARENT").str(), "one");
    expect_failure(*ro, "INSERT INTO PARENT (ID, NAME) VALUES (7, 'no')", "readonly database");
}

TEST_F(Failures, FullDisk) {
    db_.reset();
    auto small = open_db(path(), "Max Page Count=8;Busy Timeout=100");
    small->begin();
    std::string error;
    for (int i = 10; i < 2000 && error.empty(); ++i) {
        try {
            small->execute("INSERT INTO PARENT (ID, NAME) VALUES (" + std::to_string(i) +
                           ", 'filler text filler')");
        } catch (const Error& e) {
            error = e.description();
        }
    }
    EXPECT_EQ(error, "database or disk is full");
    ASSERT_EQ(small->errors().size(), 1U);
    EXPECT_EQ(small->errors()[0].native_error & 0xff, 13);  // SQLITE_FULL
    EXPECT_TRUE(small->in_transaction());
    small->rollback();
    EXPECT_EQ(scalar(*small, "SELECT COUNT(*) FROM PARENT").to_long(), 1);
}

struct OpenFailure {
    const char* name;
    const char* connection_string;  // "{dir}": a fresh directory holding junk.db
    const char* message;
};

void PrintTo(const OpenFailure& c, std::ostream* os) {
    *os << c.connection_string;
}

class OpenFailures : public ::testing::TestWithParam<OpenFailure> {
  protected:
    void SetUp() override { std::ofstream(dir_ / "junk.db") << std::string(4096, 'x'); }
    TempDir dir_;
};

TEST_P(OpenFailures, GiveAClearErrorAndCreateNothing) {
    std::string cs = GetParam().connection_string;
    if (const auto at = cs.find("{dir}"); at != std::string::npos) cs.replace(at, 5, dir_.path().string());
    const auto e = thrown([&] { open_driver(ConnectionString(cs)); });
    EXPECT_NE(e.number, 0);
    EXPECT_NE(e.description.find(GetParam().message), std::string::npos) << e.description;
    EXPECT_FALSE(std::filesystem::exists(dir_ / "missing.db"));
}

const OpenFailure kOpenFailures[] = {
    {"MissingFile", "Provider=SQLite;Data Source={dir}/missing.db", "unable to open database file"},
    {"NotADatabase", "Provider=SQLite;Data Source={dir}/junk.db", "file is not a database"},
    {"UnknownProvider", "Provider=Nowhere;Data Source=x", "Provider cannot be found"},
    {"NoProvider", "Data Source=x", "Provider cannot be found"},
    {"NoDataSource", "Provider=SQLite", "names no database"},
    {"BadMode", "Provider=SQLite;Data Source=x;Mode=Sometimes", "Mode"},
    {"BadBusyTimeout", "Provider=SQLite;Data Source=x;Busy Timeout=soon", "Busy Timeout"},
};

INSTANTIATE_TEST_SUITE_P(ConnectionStrings, OpenFailures, ::testing::ValuesIn(kOpenFailures),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(ConnectionStrings, KeysIgnoreCaseAndBlanks) {
    const ConnectionString cs(
        "provider = SQLite ; DATA SOURCE=\"C:\\a;b.db\" ;datasource2='x''y';Mode=Create");
    EXPECT_EQ(cs.get("Provider"), "SQLite");
    EXPECT_EQ(cs.get("Data Source"), "C:\\a;b.db");
    EXPECT_EQ(cs.get("DataSource"), "C:\\a;b.db");
    EXPECT_EQ(cs.get("datasource2"), "x'y");
    EXPECT_EQ(cs.get("mode"), "Create");
    EXPECT_FALSE(cs.get("Busy Timeout").has_value());
    EXPECT_THROW(ConnectionString("Provider=SQLite;junk"), Error);
    EXPECT_THROW(ConnectionString("Data Source=\"open"), Error);
}

}  // namespace
}  // namespace ado::testing
