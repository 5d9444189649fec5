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

struct BadStatement {
    const char* sql;
    const char* message;
};

TEST_F(Failures, EachGivesOneProviderError) {
    const BadStatement kCases[] = {
        {"SELEC * FROM PARENT", "Incorrect syntax near 'SELEC'."},
        {"SELECT * FROM PARENT WHERE", "incomplete input"},
        {"SELECT * FROM PARENT WHERE NAME = 'open", "Unclosed quotation mark after the character string 'open'."},
        {"SELECT * FROM NOPE WITH (NOLOCK)", "no such table: NOPE"},
        {"SELECT NOPE FROM PARENT", "no such column: NOPE"},
        {"INSERT INTO PARENT (ID, NAME) VALUES (1, 'again')", "UNIQUE constraint failed: PARENT.ID"},
        {"INSERT INTO PARENT (ID, NAME) VALUES (2, NULL)", "NOT NULL constraint failed: PARENT.NAME"},
        {"INSERT INTO CHILD (ID, PARENT_ID) VALUES (1, 99)", "FOREIGN KEY constraint failed"},
        {"INSERT INTO PARENT (ID, NAME) VALUES (3, 'a name longer than twenty')", "holds at most 20 characters"},
    };
    for (const auto& c : kCases) expect_failure(*db_, c.sql, c.message);
    EXPECT_EQ(scalar(*db_, "SELECT SQLITE_VERSION()").is_null(), false);
}

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
            small->execute("INSERT INTO PARENT (ID, NAME) VALUES (" + std::to_string(i) + ", 'filler text filler')");
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

TEST(OpenFailures, ClearErrorsWhenTheDatabaseCannotBeOpened) {
    TempDir dir;
    std::ofstream(dir / "junk.db") << std::string(4096, 'x');
    const std::pair<std::string, std::string> kCases[] = {
        {"Provider=SQLite;Data Source=" + (dir / "missing.db").string(), "unable to open database file"},
        {"Provider=SQLite;Data Source=" + (dir / "junk.db").string(), "file is not a database"},
        {"Provider=Nowhere;Data Source=x", "Provider cannot be found"},
        {"Data Source=x", "Provider cannot be found"},
        {"Provider=SQLite", "names no database"},
        {"Provider=SQLite;Data Source=x;Mode=Sometimes", "Mode"},
        {"Provider=SQLite;Data Source=x;Busy Timeout=soon", "Busy Timeout"},
    };
    for (const auto& [cs, message] : kCases) {
        SCOPED_TRACE(cs);
        const auto e = thrown([&] { open_driver(ConnectionString(cs)); });
        EXPECT_NE(e.number, 0);
        EXPECT_NE(e.description.find(message), std::string::npos) << e.description;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "missing.db"));
}

TEST(ConnectionStrings, KeysIgnoreCaseAndBlanks) {
    const ConnectionString cs("provider = SQLite ; DATA SOURCE=\"C:\\a;b.db\" ;datasource2='x''y';Mode=Create");
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
