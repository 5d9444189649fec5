// T-SQL definitions as the schema scripts write them.
#include <gtest/gtest.h>

#include "sqlite_support.h"

namespace ado::testing {
namespace {

using Definitions = DbTest;

TEST_F(Definitions, IfNotExistsMakesInitialisationRepeatable) {
    const std::string init =
        "CREATE TABLE IF NOT EXISTS T (ID INT IDENTITY(1,1) NOT NULL PRIMARY KEY, V NVARCHAR(10) NULL, RV ROWVERSION)\r\n"
        "GO\r\nCREATE INDEX IF NOT EXISTS IX_T_V ON T (V)\r\nGO\r\n";
    db_->execute(init);
    db_->execute("INSERT INTO T (V) VALUES ('a')");
    EXPECT_NO_THROW(db_->execute(init));
    EXPECT_EQ(scalar(*db_, "SELECT COUNT(*) FROM T").to_long(), 1);
    EXPECT_THROW(db_->execute("CREATE TABLE T (A INT NULL)"), Error);
    EXPECT_NE(db_->errors().at(0).description.find("already exists"), std::string::npos);
}

TEST_F(Definitions, IdentityBesideADeclaredKey) {
    db_->execute("CREATE TABLE T (CODE CHAR(4) NOT NULL, ID INT IDENTITY(100, 1) NOT NULL, V INT NULL,"
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
        "CREATE TABLE [dbo].[P] ([ID] INT NOT NULL PRIMARY KEY, [AT] DATETIME NOT NULL CONSTRAINT DF_AT DEFAULT (getdate()),"
        " [G] UNIQUEIDENTIFIER NOT NULL DEFAULT (newid()) ROWGUIDCOL, [N] NVARCHAR(5) NULL DEFAULT (N'ü'),"
        " [Q] DECIMAL(9, 2) NOT NULL DEFAULT ((0)), [BIG] BIGINT NULL, [D] DATE NULL DEFAULT ('2024-01-31'),"
        " CONSTRAINT CK_P_Q CHECK (Q >= 0))\r\n"
        "CREATE TABLE C (ID INT NOT NULL PRIMARY KEY, P_ID INT NOT NULL REFERENCES P (ID) ON DELETE CASCADE)");
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
    db_->execute("CREATE TABLE T (A INT NOT NULL, B VARCHAR(10) NULL)\r\n"
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

TEST_F(Definitions, WhatTheEngineCannotDefineIsRefused) {
    for (const char* sql : {"ALTER TABLE T ADD X INT NULL", "CREATE TABLE T (A INT IDENTITY(1, 2) NOT NULL)",
                            "CREATE TABLE T (A INT IDENTITY NOT NULL, B INT IDENTITY NOT NULL)",
                            "CREATE TABLE T (A GEOGRAPHY NULL)", "CREATE TABLE T (A INT NULL FANCY)"}) {
        SCOPED_TRACE(sql);
        EXPECT_THROW(db_->execute(sql), Error);
        EXPECT_EQ(db_->errors().size(), 1U);
    }
    EXPECT_TRUE(scalar(*db_, "SELECT OBJECT_ID('T')").is_null());
}

}  // namespace
}  // namespace ado::testing
