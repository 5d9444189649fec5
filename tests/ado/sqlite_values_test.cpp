// Values as stored and read back: exact amounts and sums, dates in time order as type 135,
// and the field metadata the module compares.
#include <gtest/gtest.h>

#include "sqlite_support.h"

namespace ado::testing {
namespace {

class Values : public DbTest {
  protected:
    void SetUp() override {
        DbTest::SetUp();
        db_->execute(
            "CREATE TABLE AMOUNTS (ID INT IDENTITY(1,1) NOT NULL PRIMARY KEY, AMOUNT DECIMAL(19, 4) NULL,"
            " RATE DECIMAL(5, 2) NULL)\r\n"
            "CREATE TABLE DATES (ID INT NOT NULL PRIMARY KEY, AT DATETIME NULL)");
    }

    // Writes through an updatable record set, as the module's AddNew/Update does.
    std::vector<Variant> add_row(const std::string& table, const Assignments& cols) {
        return insert_row(*db_, "SELECT * FROM " + table + " WITH (NOLOCK) WHERE 1 = 0", cols);
    }
};

class ExactAmounts : public Values, public ::testing::WithParamInterface<const char*> {};

// Through statement text and through a record set alike.
TEST_P(ExactAmounts, ReadBackExactly) {
    const char* text = GetParam();
    const Decimal expected = Decimal::from_string(text);
    db_->execute(std::string("INSERT INTO AMOUNTS (AMOUNT) VALUES (") + text + ")");
    add_row("AMOUNTS", {{"AMOUNT", expected}});
    RowSet rs = query(*db_, "SELECT AMOUNT FROM AMOUNTS ORDER BY ID");
    ASSERT_EQ(rs.rows.size(), 2U);
    for (const auto& row : rs.rows) {
        EXPECT_EQ(row[0].type(), VarType::Decimal);
        EXPECT_EQ(row[0].to_decimal(), expected);
        EXPECT_EQ(row[0].to_decimal().to_string(), expected.to_string());
    }
    EXPECT_EQ(query(*db_, std::string("SELECT ID FROM AMOUNTS WHERE AMOUNT = ") + text).rows.size(), 2U);
}

INSTANTIATE_TEST_SUITE_P(Amounts, ExactAmounts,
                         ::testing::Values("0.0001", "-0.0001", "0.1", "0.3", "1.005", "2.675",
                                           "1234567.8912", "-4.5", "99999999999.9999", "-99999999999.9999",
                                           "123456789012345", "922337203685477", "0"));

TEST_F(Values, DecimalsRoundToTheColumnScaleHalfAwayFromZero) {
    db_->execute("INSERT INTO AMOUNTS (AMOUNT, RATE) VALUES (1.23455, 2.675)");
    add_row("AMOUNTS",
            {{"AMOUNT", Decimal::from_string("-1.23455")}, {"RATE", Decimal::from_string("-2.675")}});
    RowSet rs = query(*db_, "SELECT AMOUNT, RATE FROM AMOUNTS ORDER BY ID");
    EXPECT_EQ(rs.rows[0][0].to_decimal().to_string(), "1.2346");
    EXPECT_EQ(rs.rows[0][1].to_decimal().to_string(), "2.68");
    EXPECT_EQ(rs.rows[1][0].to_decimal().to_string(), "-1.2346");
    EXPECT_EQ(rs.rows[1][1].to_decimal().to_string(), "-2.68");
}

TEST_F(Values, AmountsBeyondTheExactRangeAreRefused) {
    // 17 significant digits with a fraction: more than the engine holds exactly.
    EXPECT_THROW(db_->execute("INSERT INTO AMOUNTS (AMOUNT) VALUES (1234567890123.4567)"), Error);
    EXPECT_THROW(add_row("AMOUNTS", {{"AMOUNT", Decimal::from_string("1234567890123.4567")}}), Error);
    ASSERT_EQ(db_->errors().size(), 1U);
    EXPECT_NE(db_->errors()[0].description.find("15"), std::string::npos);
    // Beyond DECIMAL(5, 2)'s integer digits: the server's overflow.
    EXPECT_THROW(db_->execute("INSERT INTO AMOUNTS (RATE) VALUES (1000)"), Error);
    EXPECT_EQ(scalar(*db_, "SELECT COUNT(*) FROM AMOUNTS").to_long(), 0);
}

TEST_F(Values, SumsOverManyRowsAreExact) {
    Decimal expected;
    db_->begin();
    for (int i = 0; i < 10000; ++i) {
        const Decimal d = Decimal::from_string(std::to_string(i % 977) + "." +
                                               std::to_string(1000 + (i * 7919) % 9000).substr(0, 4));
        expected = expected + d;
        db_->execute("INSERT INTO AMOUNTS (AMOUNT) VALUES (" + d.to_string() + ")");
    }
    db_->commit();
    const Variant sum = scalar(*db_, "SELECT SUM(AMOUNT) FROM AMOUNTS");
    EXPECT_EQ(sum.to_decimal(), expected);
    Decimal read_back;
    for (const auto& row : query(*db_, "SELECT AMOUNT FROM AMOUNTS").rows)
        read_back = read_back + row[0].to_decimal();
    EXPECT_EQ(read_back, expected);

    // A total beyond 15 significant digits still comes back exact (as text).
    db_->execute("DELETE FROM AMOUNTS");
    for (int i = 0; i < 3; ++i) db_->execute("INSERT INTO AMOUNTS (AMOUNT) VALUES (99999999999.9999)");
    EXPECT_EQ(Decimal::from_string(scalar(*db_, "SELECT SUM(AMOUNT) FROM AMOUNTS").to_string()).to_string(),
              "299999999999.9997");
    EXPECT_EQ(scalar(*db_, "SELECT SUM(ID) FROM AMOUNTS WHERE 1 = 0").is_null(), true);
}

TEST_F(Values, AmountsCompareAndSortAsNumbers) {
    for (const char* a : {"10", "9.5", "-1", "0.25", "100.0001"})
        db_->execute(std::string("INSERT INTO AMOUNTS (AMOUNT) VALUES (") + a + ")");
    std::vector<std::string> order;
    for (const auto& row : query(*db_, "SELECT AMOUNT FROM AMOUNTS ORDER BY AMOUNT").rows)
        order.push_back(row[0].to_decimal().to_string());
    EXPECT_EQ(order, (std::vector<std::string>{"-1", "0.25", "9.5", "10", "100.0001"}));
    EXPECT_EQ(query(*db_, "SELECT ID FROM AMOUNTS WHERE AMOUNT > 9.5").rows.size(), 2U);
    EXPECT_EQ(query(*db_, "SELECT ID FROM AMOUNTS WHERE AMOUNT = '0.25'").rows.size(), 1U);
}

TEST_F(Values, DatesReadAsType135InTimeOrder) {
    db_->execute("INSERT INTO DATES (ID, AT) VALUES (1, '2024-01-31')");
    db_->execute("INSERT INTO DATES (ID, AT) VALUES (2, '20240131 10:11:12')");
    db_->execute("INSERT INTO DATES (ID, AT) VALUES (3, '17530101')");
    db_->execute("INSERT INTO DATES (ID, AT) VALUES (4, '31/12/9999 23:59:59')");
    add_row("DATES", {{"ID", 5}, {"AT", DateTime::from_parts(2024, 1, 31, 9, 0, 0)}});
    add_row("DATES", {{"ID", 6}, {"AT", "2023-12-31 23:59:59"}});
    RowSet rs = query(*db_, "SELECT ID, AT, CONVERT(VARCHAR(20), AT, 120) FROM DATES ORDER BY AT");
    EXPECT_EQ(rs.columns[1].type, 135);
    std::vector<long> ids;
    std::vector<std::string> stored;
    for (const auto& row : rs.rows) {
        ids.push_back(row[0].to_long());
        stored.push_back(row[2].str());
        EXPECT_TRUE(row[1].is_date());
    }
    EXPECT_EQ(ids, (std::vector<long>{3, 6, 1, 5, 2, 4}));
    EXPECT_EQ(stored, (std::vector<std::string>{"1753-01-01 00:00:00", "2023-12-31 23:59:59",
                                                "2024-01-31 00:00:00", "2024-01-31 09:00:00",
                                                "2024-01-31 10:11:12", "9999-12-31 23:59:59"}));
    EXPECT_EQ(rs.rows[4][1].date(), DateTime::from_parts(2024, 1, 31, 10, 11, 12));
    EXPECT_EQ(
        query(*db_, "SELECT ID FROM DATES WHERE AT BETWEEN '20240131' AND '20240131 09:30:00'").rows.size(),
        2U);
}

TEST_F(Values, TextThatIsNoDateIsRefused) {
    EXPECT_THROW(db_->execute("INSERT INTO DATES (ID, AT) VALUES (1, '2024-02-30')"), Error);
    EXPECT_EQ(db_->errors().at(0).description,
              "Conversion failed when converting date and/or time from character string.");
    EXPECT_EQ(scalar(*db_, "SELECT COUNT(*) FROM DATES").to_long(), 0);
}

struct FieldCase {
    const char* column;
    int type;
    long size;
    int precision;
    int scale;
    bool nullable;
};

using Fields = DbTest;

TEST_F(Fields, MetadataReportsThePlatformsCodes) {
    db_->execute(
        "CREATE TABLE ALLTYPES (C_ID INT IDENTITY(1,1) NOT NULL PRIMARY KEY, C_SMALL SMALLINT NOT NULL "
        "DEFAULT 0,"
        " C_TINY TINYINT NULL, C_BIG BIGINT NULL, C_BIT BIT NULL, C_DEC DECIMAL(19, 4) NULL, C_NUM "
        "NUMERIC(10, 0) NULL,"
        " C_CHAR CHAR(4) NULL, C_NCHAR NCHAR(2) NOT NULL, C_VAR VARCHAR(20) NULL, C_NVAR NVARCHAR(60) NULL,"
        " C_MAX NVARCHAR(MAX) NULL, C_DATE DATETIME NULL, C_GUID UNIQUEIDENTIFIER NULL, C_RV ROWVERSION,"
        " C_BIN VARBINARY(16) NULL)");
    const FieldCase kCases[] = {
        {"C_ID", adInteger, 4, 10, 0, false},       {"C_SMALL", adSmallInt, 2, 5, 0, false},
        {"C_TINY", adTinyInt, 1, 3, 0, true},       {"C_BIG", adBigInt, 8, 19, 0, true},
        {"C_BIT", adBoolean, 2, 1, 0, true},        {"C_DEC", adNumeric, 19, 19, 4, true},
        {"C_NUM", adNumeric, 19, 10, 0, true},      {"C_CHAR", adChar, 4, 0, 0, true},
        {"C_NCHAR", adWChar, 2, 0, 0, false},       {"C_VAR", adVarChar, 20, 0, 0, true},
        {"C_NVAR", adVarWChar, 60, 0, 0, true},     {"C_MAX", adLongVarWChar, 1073741823, 0, 0, true},
        {"C_DATE", adDBTimeStamp, 16, 23, 3, true}, {"C_GUID", adGUID, 16, 0, 0, true},
        {"C_BIN", adVarBinary, 16, 0, 0, true},
    };
    RowSet rs;
    db_->open_updatable("SELECT * FROM ALLTYPES WITH (NOLOCK) WHERE 1 = 0", rs);
    ASSERT_EQ(rs.columns.size(), 17U);  // 16 columns and the hidden row key
    EXPECT_TRUE(rs.columns[16].hidden);
    for (const FieldCase& c : kCases) {
        SCOPED_TRACE(c.column);
        const ColumnInfo* info = &rs.columns[column(rs, c.column)];
        EXPECT_EQ(info->type, c.type);
        EXPECT_EQ(info->defined_size, c.size);
        EXPECT_EQ(info->precision, c.precision);
        EXPECT_EQ(info->numeric_scale, c.scale);
        EXPECT_EQ((info->attributes & adFldIsNullable) != 0, c.nullable);
        EXPECT_EQ(info->base_table, "ALLTYPES");
    }
    EXPECT_TRUE(rs.columns[0].read_only);
    EXPECT_TRUE(rs.columns[0].has_default);
    EXPECT_TRUE(rs.columns[1].has_default);
    EXPECT_FALSE(rs.columns[2].has_default);
    EXPECT_TRUE(rs.columns[14].read_only);  // row version
    // The same codes for a plain query, and "" for an unnamed expression.
    RowSet q = query(*db_, "SELECT C_DEC, C_DATE, 1 + 1, 'x' AS NAMED FROM ALLTYPES WHERE 1 = 0");
    EXPECT_EQ(q.columns[0].type, adNumeric);
    EXPECT_EQ(q.columns[1].type, adDBTimeStamp);
    EXPECT_EQ(q.columns[2].name, "");
    EXPECT_EQ(q.columns[3].name, "NAMED");
}

TEST_F(Fields, StoredFormsOfEachType) {
    auto& db = db_;
    db->execute(
        "CREATE TABLE T (ID INT IDENTITY(1,1) NOT NULL PRIMARY KEY, CODE CHAR(4) NULL, FLAG BIT NULL,"
        " G UNIQUEIDENTIFIER NULL, SMALL SMALLINT NULL, NAME VARCHAR(5) NULL, RV ROWVERSION)");
    db->execute(
        "INSERT INTO T (CODE, FLAG, G, SMALL) VALUES ('AB', 1, '{6f9619ff-8b86-d011-b42d-00c04fc964ff}', 7)");
    RowSet rs = query(*db, "SELECT CODE, FLAG, G, SMALL, RV, ID FROM T");
    EXPECT_EQ(rs.rows[0][0].str(), "AB  ");  // fixed width read back blank-padded
    EXPECT_EQ(scalar(*db, "SELECT ISNULL(CODE, '-') FROM T").str(), "AB  ");  // the value itself
    EXPECT_EQ(scalar(*db, "SELECT COALESCE(NAME, CODE) FROM T").str(), "AB  ");
    EXPECT_EQ(rs.rows[0][1].type(), VarType::Boolean);
    EXPECT_EQ(rs.rows[0][2].str(), "6F9619FF-8B86-D011-B42D-00C04FC964FF");
    EXPECT_EQ(rs.rows[0][3].type(), VarType::Integer);
    EXPECT_EQ(rs.rows[0][5].type(), VarType::Long);
    const long long rv1 = rs.rows[0][4].to_longlong();
    db->execute("UPDATE T SET CODE = 'CD' WHERE ID = 1");
    const long long rv2 = scalar(*db, "SELECT RV FROM T").to_longlong();
    EXPECT_GT(rv1, 0);
    EXPECT_GT(rv2, rv1);
    EXPECT_THROW(db->execute("INSERT INTO T (NAME) VALUES ('abcdef')"), Error);
    EXPECT_EQ(db->errors().at(0).description,
              "String or binary data would be truncated: column 'NAME' holds at most 5 characters.");
    EXPECT_NO_THROW(db->execute("INSERT INTO T (NAME, CODE) VALUES ('abcde   ', 'WXYZ  ')"));
    EXPECT_EQ(scalar(*db, "SELECT CODE FROM T WHERE NAME = 'abcde'").str(), "WXYZ");
    EXPECT_THROW(db->execute("INSERT INTO T (SMALL) VALUES (40000)"), Error);
    EXPECT_THROW(db->execute("INSERT INTO T (SMALL) VALUES ('abc')"), Error);
    EXPECT_THROW(db->execute("INSERT INTO T (G) VALUES ('not-a-guid')"), Error);
}

}  // namespace
}  // namespace ado::testing
