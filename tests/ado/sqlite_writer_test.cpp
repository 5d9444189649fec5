// Updatable record sets: rows written through to the table, keyed by the hidden rowid,
// with the database's defaults, identity and row version read back.
#include <gtest/gtest.h>

#include "sqlite_support.h"

namespace ado::testing {
namespace {

class Writer : public DbTest {
  protected:
    void SetUp() override {
        DbTest::SetUp();
        db_->execute(
            "CREATE TABLE T (ID INT IDENTITY(1,1) NOT NULL PRIMARY KEY, CODE CHAR(4) NOT NULL UNIQUE,"
            " QTY SMALLINT NOT NULL DEFAULT 3, CREATED DATETIME NULL DEFAULT (GETDATE()),"
            " G UNIQUEIDENTIFIER NULL DEFAULT (NEWID()), NOTE NVARCHAR(10) NULL, RV ROWVERSION)");
        writer_ = db_->open_updatable(" SELECT *\r\n FROM T WITH (NOLOCK)\r\n WHERE 1 = 0", rs_);
    }

    std::size_t col(const char* name) const { return column(rs_, name); }
    std::vector<Variant> insert(const Assignments& cols) { return insert_row(*writer_, rs_, cols); }

    RowSet rs_;
    std::unique_ptr<RowWriter> writer_;
};

TEST_F(Writer, InsertTakesTheDatabasesValuesForUnassignedColumns) {
    ASSERT_EQ(rs_.columns.size(), 8U);
    EXPECT_TRUE(rs_.columns.back().hidden);
    const auto row = insert({{"CODE", "ab"}});
    EXPECT_EQ(row[col("ID")].to_long(), 1);
    EXPECT_EQ(row[col("CODE")].str(), "ab  ");
    EXPECT_EQ(row[col("QTY")].to_long(), 3);
    EXPECT_TRUE(row[col("CREATED")].is_date());
    EXPECT_EQ(row[col("G")].str().size(), 36U);
    EXPECT_TRUE(row[col("NOTE")].is_null());
    EXPECT_GT(row[col("RV")].to_longlong(), 0);
    EXPECT_FALSE(row.back().is_null());
    EXPECT_EQ(insert({{"CODE", "cd"}, {"QTY", Variant(std::int16_t{9})}})[col("ID")].to_long(), 2);
}

TEST_F(Writer, UpdateAndRemoveFindTheRowByItsKey) {
    const auto row = insert({{"CODE", "ab"}, {"NOTE", "first"}});
    std::vector<Variant> changed_values = row;
    std::vector<bool> changed(row.size(), false);
    changed_values[col("NOTE")] = "second";
    changed[col("NOTE")] = true;
    const auto stored = writer_->update(row, changed_values, changed);
    EXPECT_EQ(stored[col("NOTE")].str(), "second");
    EXPECT_GT(stored[col("RV")].to_longlong(), row[col("RV")].to_longlong());
    EXPECT_EQ(scalar(*db_, "SELECT NOTE FROM T WHERE CODE = 'AB'").str(), "second");

    writer_->remove(stored);
    EXPECT_EQ(scalar(*db_, "SELECT COUNT(*) FROM T").to_long(), 0);
    EXPECT_THROW(writer_->remove(stored), Error);
    EXPECT_EQ(
        db_->errors().at(0).description,
        "Row cannot be located for updating. Some values may have been changed since it was last read.");
    EXPECT_THROW(writer_->update(stored, changed_values, changed), Error);
}

struct RefusedRow {
    const char* name;
    Assignments cols;
    const char* message;
};

void PrintTo(const RefusedRow& c, std::ostream* os) {
    *os << c.name;
}

class RefusedRows : public Writer, public ::testing::WithParamInterface<RefusedRow> {};

TEST_P(RefusedRows, GiveTheEnginesMessageAndStoreNothing) {
    insert({{"CODE", "ab"}});
    EXPECT_EQ(thrown([&] { insert(GetParam().cols); }).number, kErrProvider);
    ASSERT_EQ(db_->errors().size(), 1U);
    EXPECT_NE(db_->errors()[0].description.find(GetParam().message), std::string::npos)
        << db_->errors()[0].description;
    EXPECT_EQ(scalar(*db_, "SELECT COUNT(*) FROM T").to_long(), 1);
}

const RefusedRow kRefusedRows[] = {
    {"NotNull", {{"NOTE", "x"}}, "NOT NULL constraint failed: T.CODE"},
    {"Unique", {{"CODE", "AB "}}, "UNIQUE constraint failed: T.CODE"},
    {"TooLong", {{"CODE", "toolong"}}, "holds at most 4 characters"},
    {"OutOfRange", {{"CODE", "ok"}, {"QTY", 70000}}, "takes values of type SMALLINT"},
    {"NotADate", {{"CODE", "ok"}, {"CREATED", "not a date"}}, "Conversion failed"},
    {"Identity", {{"CODE", "ok"}, {"ID", 5}}, "the database assigns it"},
};

INSTANTIATE_TEST_SUITE_P(Rows, RefusedRows, ::testing::ValuesIn(kRefusedRows),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(Writer, AWriterOutlivingItsConnectionFailsCleanly) {
    insert({{"CODE", "ab"}});
    db_.reset();
    EXPECT_EQ(thrown([&] { insert({{"CODE", "cd"}}); }).number, kErrNotOpen);
}

TEST_F(Writer, OpenNeedsOneTable) {
    auto& db = db_;
    db->execute(
        "CREATE TABLE A (X INT NULL)\r\nCREATE TABLE B (Y INT NULL)\r\nCREATE TABLE #TMP (Z INT NULL)");
    RowSet rs;
    for (const char* sql : {"SELECT * FROM A LEFT OUTER JOIN B ON X = Y", "SELECT * FROM A, B",
                            "SELECT X FROM A UNION SELECT Y FROM B", "DELETE FROM A", "SELECT 1"}) {
        SCOPED_TRACE(sql);
        EXPECT_THROW(db->open_updatable(sql, rs), Error);
    }
    auto w = db->open_updatable("SELECT * FROM #TMP WITH (NOLOCK)", rs);
    const auto row = w->insert({Variant(4), Variant()}, {true, false});
    EXPECT_EQ(row[0].to_long(), 4);
    EXPECT_EQ(scalar(*db, "SELECT Z FROM #TMP").to_long(), 4);
}

}  // namespace
}  // namespace ado::testing
