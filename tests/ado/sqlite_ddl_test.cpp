// T-SQL definitions as the schema scripts write them.
#include <gtest/gtest.h>

#include "sqlite_support.h"

namespace ado::testing {
namespace {

using Definitions = DbTest;

TEST_F(Definitions, IfNotExistsMakesInitialisationRepeatable) {
    const std::string init =
        "CREATE TABLE IF NOT EXISTS T (ID INT IDENTITY(1,1) NOT NULL PRIMARY KEY, V NVARCHAR(10) NULL, RV "
        "ROWVERSION)\r\n"
        "GO\r\nCREATE INDEX IF NOT EXISTS IX_T_V ON T (V)\r\nGO\r\n";
    db_->execute(init);
    db_->execute("INSERT INTO T (V) VALUES ('a')");
    EXPECT_NO_THROW(db_->execute(init));
    EXPECT_EQ(scalar(*db_, "SELECT COUNT(*) FROM T").to_long(), 1);
    EXPECT_THROW(db_->execute("CREATE TABLE T (A INT NULL)"), Error);
    EXPECT_NE(db_->errors().at(0).description.find("already exists"), std::string::npos);
}

TEST_F(Definitions, IdentityBesideADeclaredKey) {
    db_->execute(
        "CREATE TABLE T (CODE CHAR(4) NOT NULL, ID INT IDENTITY(100, 1) NOT NULL, V INT NULL,"
        " CONSTRAINT PK_T PRIMARY KEY CLUSTERED (CODE) ON [PRIMARY]) ON [PRIMARY]");
    EXPECT_EQ(scalar(*db_, "SELECT IDENT_CURRENT('T')").to_long(), 100);
    db_->execute("INSERT INTO T (CODE) VALUES ('a')");
    db_->execute("INSERT INTO T (CODE) VALUES ('b')");
    EXPECT_THROW(db_->execute("INSERT INTO T (CODE) VALUES ('A ')"), Error);
    EXPECT_THROW(db_->execute("INSERT INTO T (CODE) VALUES (NULL)"), Error);
    RowSet rs = query(*db_, "SELECT ID FROM T ORDER BY CODE");
    EXPECT_EQ(rs.rows[0][0].to_long(), 100);
    EXPECT_EQ(rs.rows[1][0].to_long(), 101);
    EXPECT_EQ(scalar(*db_, "SELECT IDENT_CURRENT('T')").to_long(), 101);
    RowSet meta;
    db_->open_updatable("SELECT * FROM T WHERE 1 = 0", meta);
    EXPECT_EQ(meta.columns[1].type, adInteger);
    EXPECT_TRUE(meta.columns[1].read_only);
    EXPECT_FALSE(meta.columns[0].attributes & adFldIsNullable);
}

TEST_F(Definitions, DefaultsChecksAndForeignKeys) {
    db_->execute(
        "CREATE TABLE [dbo].[P] ([ID] INT NOT NULL PRIMARY KEY, [AT] DATETIME NOT NULL CONSTRAINT DF_AT "
        "DEFAULT (getdate()),"
        " [G] UNIQUEIDENTIFIER NOT NULL DEFAULT (newid()) ROWGUIDCOL, [N] NVARCHAR(5) NULL DEFAULT (N'ü'),"
        " [Q] DECIMAL(9, 2) NOT NULL DEFAULT ((0)), [BIG] BIGINT NULL, [D] DATE NULL DEFAULT ('2024-01-31'),"
        " CONSTRAINT CK_P_Q CHECK (Q >= 0))\r\n"
        "CREATE TABLE C (ID INT NOT NULL PRIMARY KEY, P_ID INT NOT NULL REFERENCES P (ID) ON DELETE "
        "CASCADE)");
    db_->execute("INSERT INTO P (ID) VALUES (1)");
    RowSet rs = query(*db_, "SELECT AT, G, N, Q, D FROM P");
    EXPECT_TRUE(rs.rows[0][0].is_date());
    EXPECT_EQ(rs.rows[0][1].str().size(), 36U);
    EXPECT_EQ(rs.rows[0][2].str(), "ü");
    EXPECT_EQ(rs.rows[0][3].to_decimal(), Decimal(0));
    EXPECT_EQ(rs.rows[0][4].date(), DateTime::from_parts(2024, 1, 31));
    EXPECT_THROW(db_->execute("INSERT INTO P (ID, Q) VALUES (2, -1)"), Error);
    EXPECT_NE(db_->errors().at(0).description.find("CK_P_Q"), std::string::npos);
    EXPECT_THROW(db_->execute("INSERT INTO C (ID, P_ID) VALUES (1, 9)"), Error);
    db_->execute("INSERT INTO C (ID, P_ID) VALUES (1, 1)");
    db_->execute("DELETE FROM P WHERE ID = 1");
    EXPECT_EQ(scalar(*db_, "SELECT COUNT(*) FROM C").to_long(), 0);
}

TEST_F(Definitions, ViewsIndexesAndDrops) {
    db_->execute(
        "CREATE TABLE T (A INT NOT NULL, B VARCHAR(10) NULL)\r\n"
        "CREATE UNIQUE NONCLUSTERED INDEX IX_T_A ON dbo.T (A DESC) INCLUDE (B) WITH (FILLFACTOR = 90)\r\n"
        "CREATE VIEW V_T AS SELECT TOP 100 A, ISNULL(B, 'none') AS B FROM T WITH (NOLOCK) ORDER BY A\r\n"
        "INSERT INTO T (A, B) VALUES (1, NULL)");
    EXPECT_EQ(scalar(*db_, "SELECT B FROM V_T WHERE A = 1").str(), "none");
    EXPECT_THROW(db_->execute("INSERT INTO T (A) VALUES (1)"), Error);
    db_->execute("DROP INDEX IX_T_A ON T");
    db_->execute("INSERT INTO T (A) VALUES (1)");
    db_->execute("DROP VIEW V_T\r\nDROP TABLE IF EXISTS T, NEVER_THERE");
    EXPECT_TRUE(scalar(*db_, "SELECT OBJECT_ID('T')").is_null());
}

TEST_F(Definitions, IdentitySeedsAcrossTheirTypesRange) {
    db_->execute(
        "CREATE TABLE BIG (ID BIGINT IDENTITY(9223372036854775806, 1) NOT NULL, V INT NULL)\r\n"
        "CREATE TABLE SIGNED (ID SMALLINT IDENTITY(+32767, +1) NOT NULL, V INT NULL)");
    db_->execute("INSERT INTO BIG (V) VALUES (1)");
    EXPECT_EQ(scalar(*db_, "SELECT ID FROM BIG").to_longlong(), 9223372036854775806LL);
    EXPECT_EQ(scalar(*db_, "SELECT IDENT_CURRENT('BIG')").to_longlong(), 9223372036854775806LL);
    EXPECT_EQ(scalar(*db_, "SELECT IDENT_CURRENT('SIGNED')").to_long(), 32767);
}

class RefusedDefinitions : public DbTest, public ::testing::WithParamInterface<SqlCase> {};

// Nothing is defined, and the message names what the engine refused.
TEST_P(RefusedDefinitions, GiveOneProviderErrorAndDefineNothing) {
    const Thrown e = thrown([&] { db_->execute(GetParam().sql); });
    EXPECT_EQ(e.number, kErrProvider);
    EXPECT_EQ(e.description, GetParam().expected);
    EXPECT_EQ(db_->errors().size(), 1U);
    EXPECT_TRUE(scalar(*db_, "SELECT OBJECT_ID('T')").is_null());
}

const SqlCase kRefused[] = {
    {"AlterTable", "ALTER TABLE T ADD X INT NULL", "The embedded engine does not support ALTER statements."},
    {"IncrementOtherThanOne", "CREATE TABLE T (A INT IDENTITY(1, 2) NOT NULL)",
     "The embedded engine supports identity increments of 1 only."},
    {"TwoIdentities", "CREATE TABLE T (A INT IDENTITY NOT NULL, B INT IDENTITY NOT NULL)",
     "Multiple identity columns specified for table 'T'."},
    {"UnknownType", "CREATE TABLE T (A GEOGRAPHY NULL)",
     "Column, parameter, or variable: cannot find data type GEOGRAPHY."},
    {"UnknownAttribute", "CREATE TABLE T (A INT NULL FANCY)", "Incorrect syntax near 'FANCY'."},
    {"SeedBeyond64Bits", "CREATE TABLE T (ID INT IDENTITY(99999999999999999999999, 1))",
     "The identity seed 99999999999999999999999 of column 'ID' is outside the range of INT."},
    {"SeedBeyondInt", "CREATE TABLE T (ID INT IDENTITY(3000000000, 1))",
     "The identity seed 3000000000 of column 'ID' is outside the range of INT."},
    {"NegativeSeedBeyondTinyInt", "CREATE TABLE T (ID TINYINT IDENTITY(-1, 1))",
     "The identity seed -1 of column 'ID' is outside the range of TINYINT."},
    {"LowestBigIntSeed", "CREATE TABLE T (ID BIGINT IDENTITY(-9223372036854775808, 1))",
     "The identity seed -9223372036854775808 of column 'ID' is outside the range of BIGINT."},
    {"SeedBeyondDecimalPrecision", "CREATE TABLE T (ID DECIMAL(3, 0) IDENTITY(1000, 1))",
     "The identity seed 1000 of column 'ID' is outside the range of DECIMAL(3,0)."},
    {"NegativeSeed", "CREATE TABLE T (ID INT IDENTITY(-5, 1))",
     "The embedded engine supports identity seeds from 1 up; column 'ID' has -5."},
    {"ZeroSeed", "CREATE TABLE T (ID BIGINT IDENTITY(0, 1))",
     "The embedded engine supports identity seeds from 1 up; column 'ID' has 0."},
    {"FractionalSeed", "CREATE TABLE T (ID INT IDENTITY(1.5, 1))",
     "The identity seed 1.5 of column 'ID' is not a whole number."},
    {"IncrementBeyond64Bits", "CREATE TABLE T (ID BIGINT IDENTITY(1, 99999999999999999999))",
     "The identity increment 99999999999999999999 of column 'ID' is outside the range of BIGINT."},
    {"SeedWithoutIncrement", "CREATE TABLE T (ID INT IDENTITY(1))", "Incorrect syntax near ')'."},
    {"SeedNotANumber", "CREATE TABLE T (ID INT IDENTITY(X, 1))", "Incorrect syntax near 'X'."},
    {"IdentityOnText", "CREATE TABLE T (ID VARCHAR(10) IDENTITY(1, 1))",
     "Identity column 'ID' must be of data type int, bigint, smallint, tinyint, or decimal or numeric with a "
     "scale of"
     " 0."},
    {"SizeBeyond64Bits", "CREATE TABLE T (A VARCHAR(99999999999999999999) NULL)",
     "The size (99999999999999999999) given to the type 'VARCHAR' is outside 1 to 8000 (or MAX)."},
    {"SizeZero", "CREATE TABLE T (A CHAR(0) NULL)",
     "The size (0) given to the type 'CHAR' is outside 1 to 8000 (or MAX)."},
    {"WideSizeBeyondItsLimit", "CREATE TABLE T (A NVARCHAR(4001) NULL)",
     "The size (4001) given to the type 'NVARCHAR' is outside 1 to 4000 (or MAX)."},
    {"NegativeSize", "CREATE TABLE T (A VARCHAR(-1) NULL)", "Incorrect syntax near '-'."},
    {"FractionalSize", "CREATE TABLE T (A VARCHAR(1.5) NULL)", "Incorrect syntax near '1.5'."},
    {"BinarySizeBeyondItsLimit", "CREATE TABLE T (A VARBINARY(8001) NULL)",
     "The size (8001) given to the type 'VARBINARY' is outside 1 to 8000 (or MAX)."},
    {"PrecisionBeyond64Bits", "CREATE TABLE T (A DECIMAL(99999999999999999999, 2) NULL)",
     "The precision (99999999999999999999) given to the type 'DECIMAL' is outside 1 to 38."},
    {"PrecisionZero", "CREATE TABLE T (A NUMERIC(0, 0) NULL)",
     "The precision (0) given to the type 'NUMERIC' is outside 1 to 38."},
    {"ScaleBeyondPrecision", "CREATE TABLE T (A DECIMAL(10, 11) NULL)",
     "The scale (11) given to the type 'DECIMAL(10)' is outside 0 to its precision."},
    {"NegativePrecision", "CREATE TABLE T (A DECIMAL(-1, 2) NULL)", "Incorrect syntax near '-'."},
    {"VariableInDefault", "CREATE TABLE T (A INT NULL DEFAULT (@X))",
     "Must declare the scalar variable \"@X\"."},
};

INSTANTIATE_TEST_SUITE_P(Definitions, RefusedDefinitions, ::testing::ValuesIn(kRefused),
                         [](const auto& p) { return std::string(p.param.name); });

// Sizes in statements other than definitions are checked alike.
class RefusedTypes : public DbTest, public ::testing::WithParamInterface<SqlCase> {};

TEST_P(RefusedTypes, GiveOneProviderError) {
    const Thrown e = thrown([&] { db_->execute(GetParam().sql); });
    EXPECT_EQ(e.number, kErrProvider);
    EXPECT_EQ(e.description, GetParam().expected);
    EXPECT_EQ(scalar(*db_, "SELECT 1").to_long(), 1);
}

const SqlCase kRefusedTypes[] = {
    {"CastSizeBeyond64Bits", "SELECT CAST(1 AS VARCHAR(99999999999999999999))",
     "The size (99999999999999999999) given to the type 'VARCHAR' is outside 1 to 8000 (or MAX)."},
    {"ConvertPrecisionBeyondItsLimit", "SELECT CONVERT(DECIMAL(39, 2), 1)",
     "The precision (39) given to the type 'DECIMAL' is outside 1 to 38."},
    {"DeclaredSizeBeyond64Bits", " DECLARE @X AS NVARCHAR(99999999999999999999)\r\n SELECT 1",
     "The size (99999999999999999999) given to the type 'NVARCHAR' is outside 1 to 4000 (or MAX)."},
    {"DeclaredScaleBeyondPrecision", " DECLARE @X AS DECIMAL(2, 5)\r\n SELECT 1",
     "The scale (5) given to the type 'DECIMAL(2)' is outside 0 to its precision."},
};

INSTANTIATE_TEST_SUITE_P(Statements, RefusedTypes, ::testing::ValuesIn(kRefusedTypes),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace ado::testing
