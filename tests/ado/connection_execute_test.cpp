// The connection as the module uses it: open from a connection string, execute text into
// record sets, transactions and their guard, the provider-error collection, built text
// refused before the engine, and the statement trace.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "ado/connection.h"
#include "ado/recordset.h"
#include "ado/sqltext.h"

namespace ado {
namespace {

class TempDir {
public:
    TempDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "ledgerintake-conn-XXXXXX").string();
        if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
        path_ = tmpl;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

class ConnectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        cs_ = "Provider=SQLite;Data Source=" + dir_.file("c.db") + ";Mode=Create";
        conn_.Open(cs_);
        conn_.Execute(
            "CREATE TABLE IE42_IMPCOGE (IE42_ID INT IDENTITY(1,1) NOT NULL PRIMARY KEY,"
            " IE42_DATAORA DATETIME NOT NULL, IE42_NOMEFILE NVARCHAR(500) NULL, IE42_IMPORTO DECIMAL(19, 4) NULL)");
    }
    long count() { return conn_.Execute("SELECT COUNT(*) FROM IE42_IMPCOGE")->GetFields().Item(0).Value().to_long(); }

    TempDir dir_;
    std::string cs_;
    Connection conn_;
};

TEST_F(ConnectionTest, OpensClosesAndKeepsItsConnectionString) {
    EXPECT_EQ(conn_.State(), adStateOpen);
    EXPECT_EQ(conn_.ConnectionString(), cs_);
    EXPECT_THROW(conn_.Open(), Error);
    EXPECT_THROW(conn_.SetConnectionString("x"), Error);
    conn_.Close();
    EXPECT_EQ(conn_.State(), adStateClosed);
    conn_.Close();
    try {
        conn_.Execute("SELECT 1");
        ADD_FAILURE() << "ran on a closed connection";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), kErrNotOpen);
    }
    Connection later;
    later.SetConnectionString(cs_);
    later.Open();
    EXPECT_EQ(later.State(), adStateOpen);
}

TEST_F(ConnectionTest, AFailedOpenFillsTheErrorCollection) {
    Connection c("Provider=SQLite;Data Source=" + dir_.file("nowhere.db"));
    EXPECT_THROW(c.Open(), Error);
    ASSERT_EQ(c.Errors().size(), 1U);
    EXPECT_NE(c.Errors()[0].description.find("unable to open database file"), std::string::npos);
    EXPECT_EQ(c.State(), adStateClosed);
}

TEST_F(ConnectionTest, ExecuteGivesRowsAsAnOpenRecordSet) {
    long affected = 0;
    RecordsetPtr none = conn_.Execute(
        " INSERT INTO IE42_IMPCOGE (IE42_DATAORA, IE42_NOMEFILE, IE42_IMPORTO)\r\n VALUES ('20240131 10:11:12', 'a.xml', 12.3456)\r\n",
        &affected);
    EXPECT_EQ(none->State(), adStateClosed);
    EXPECT_EQ(affected, 1);
    RecordsetPtr rs = conn_.Execute(" SELECT *\r\n FROM IE42_IMPCOGE WITH (NOLOCK)\r\n", &affected);
    EXPECT_EQ(affected, -1);
    ASSERT_EQ(rs->State(), adStateOpen);
    ASSERT_FALSE(rs->EOF());
    EXPECT_EQ(rs->RecordCount(), 1);
    Field when = rs->GetFields().Item("IE42_DATAORA");
    EXPECT_EQ(when.Type(), 135);
    EXPECT_EQ(when.Attributes() & adFldIsNullable, 0);
    EXPECT_EQ(when.Value().date(), DateTime::from_parts(2024, 1, 31, 10, 11, 12));
    EXPECT_NE(rs->GetFields().Item("IE42_NOMEFILE").Attributes() & adFldIsNullable, 0);
    EXPECT_EQ(rs->GetFields().Item("IE42_IMPORTO").Value().to_decimal(), Decimal::from_string("12.3456"));
    EXPECT_EQ(rs->GetFields().Item("IE42_IMPORTO").Type(), adNumeric);

    RecordsetPtr id = conn_.Execute("SELECT IDENT_CURRENT('IE42_IMPCOGE')");
    EXPECT_EQ(id->GetFields().Item(0).Name(), "");
    EXPECT_EQ(id->GetFields().Item(0).Value().to_long(), 1);
}

TEST_F(ConnectionTest, BuiltTextWithAQuoteInAVerbatimValueNeverReachesTheEngine) {
    const std::string trace = dir_.file("trace.sql");
    conn_.SetStatementTrace(trace);
    struct Refusal {
        const char* value;
        const char* message;
    };
    const Refusal kCases[] = {
        {"C:\\Users\\D'Angelo\\file.xml", "Unclosed quotation mark after the character string 'Angelo\\file.xml'."},
        {"x', 'y", "Incorrect syntax near ','."},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.value);
        SqlText sql;
        sql.line(" INSERT INTO IE42_IMPCOGE (IE42_DATAORA, IE42_NOMEFILE)")
            .line(" VALUES ('20240131', '")
            .value(c.value)
            .add("')");
        try {
            conn_.Execute(sql);
            ADD_FAILURE() << "executed";
        } catch (const Error& e) {
            EXPECT_EQ(e.number(), kErrProvider);
            EXPECT_EQ(e.description(), c.message);
        }
        ASSERT_EQ(conn_.Errors().size(), 1U);
        EXPECT_EQ(conn_.Errors()[0].description, c.message);
    }
    EXPECT_EQ(count(), 0);
    EXPECT_TRUE(conn_.Errors().empty());
    SqlText ok;
    ok.line(" INSERT INTO IE42_IMPCOGE (IE42_DATAORA, IE42_NOMEFILE)").line(" VALUES ('20240131', '").value("C:\\in\\a.xml").add("')");
    conn_.Execute(ok);
    EXPECT_EQ(count(), 1);
    const std::string text = read_file(trace);
    EXPECT_NE(text.find("refused before the engine"), std::string::npos);
    EXPECT_NE(text.find(" VALUES ('20240131', 'C:\\in\\a.xml')\r\nGO\r\n"), std::string::npos);
}

TEST_F(ConnectionTest, TraceHoldsEveryStatementBeforeTranslation) {
    const std::string trace = dir_.file("trace.sql");
    conn_.SetStatementTrace(trace);
    conn_.Execute(" SELECT TOP 1 IE42_NOMEFILE\r\n FROM IE42_IMPCOGE WITH (NOLOCK)\r\n");
    RecordsetPtr rs = Recordset::create();
    rs->Open(" SELECT *\r\n FROM IE42_IMPCOGE WITH (NOLOCK)\r\n WHERE 1 = 0\r\n", conn_, adOpenKeyset, adLockOptimistic);
    conn_.BeginTrans();
    conn_.RollbackTrans();
    conn_.SetStatementTrace("");
    conn_.Execute("SELECT 'not traced'");
    const std::string text = read_file(trace);
    EXPECT_NE(text.find(" SELECT TOP 1 IE42_NOMEFILE\r\n FROM IE42_IMPCOGE WITH (NOLOCK)\r\nGO\r\n"), std::string::npos);
    EXPECT_NE(text.find(" WHERE 1 = 0\r\nGO\r\n"), std::string::npos);
    EXPECT_NE(text.find("-- RollbackTrans"), std::string::npos);
    EXPECT_EQ(text.find("not traced"), std::string::npos);
    EXPECT_THROW(conn_.SetStatementTrace(dir_.file("no/such/dir/trace.sql")), Error);
}

TEST_F(ConnectionTest, ProviderErrorsDescribeTheLastFailure) {
    try {
        conn_.Execute("INSERT INTO IE42_IMPCOGE (IE42_NOMEFILE) VALUES ('no date')");
        ADD_FAILURE() << "inserted";
    } catch (const Error& e) {
        EXPECT_EQ(e.description(), "NOT NULL constraint failed: IE42_IMPCOGE.IE42_DATAORA");
    }
    ASSERT_EQ(conn_.Errors().size(), 1U);
    EXPECT_EQ(conn_.Errors()[0].description, "NOT NULL constraint failed: IE42_IMPCOGE.IE42_DATAORA");
    EXPECT_EQ(conn_.Errors()[0].sql_state, "23000");
    conn_.Execute("SELECT 1");
    EXPECT_TRUE(conn_.Errors().empty());
}

TEST_F(ConnectionTest, UpdatableRecordSetsWriteThroughInsideTransactions) {
    RecordsetPtr rs = Recordset::create();
    rs->Open(" SELECT *\r\n FROM IE42_IMPCOGE WITH (NOLOCK)\r\n WHERE 1 = 0\r\n", conn_, adOpenKeyset, adLockOptimistic);
    conn_.BeginTrans();
    rs->AddNew();
    rs->GetFields().Item("IE42_DATAORA").SetValue("2024-01-31 08:00:00");
    rs->GetFields().Item("IE42_NOMEFILE").SetValue("b.xml");
    rs->Update();
    EXPECT_EQ(rs->GetFields().Item("IE42_ID").Value().to_long(), 1);
    conn_.RollbackTrans();
    EXPECT_EQ(count(), 0);
    {
        TransactionGuard tx(conn_);
        rs->AddNew();
        rs->GetFields().Item("IE42_DATAORA").SetValue(DateTime::from_parts(2024, 2, 1));
        rs->Update();
        tx.Commit();
        EXPECT_FALSE(tx.active());
    }
    EXPECT_EQ(count(), 1);
    {
        TransactionGuard tx(conn_);
        conn_.Execute("DELETE FROM IE42_IMPCOGE");
        EXPECT_TRUE(conn_.InTransaction());
    }
    EXPECT_FALSE(conn_.InTransaction());
    EXPECT_EQ(count(), 1);
}

TEST_F(ConnectionTest, ClosingRollsBackAnOpenTransaction) {
    conn_.BeginTrans();
    conn_.Execute("INSERT INTO IE42_IMPCOGE (IE42_DATAORA) VALUES ('20240101')");
    conn_.Close();
    conn_.Open();
    EXPECT_EQ(count(), 0);
    EXPECT_FALSE(conn_.InTransaction());
}

TEST_F(ConnectionTest, TemporaryTablesArePrivateToTheirConnection) {
    Connection log(cs_);
    log.Open();
    log.Execute(" CREATE TABLE #VPOOLLOG\r\n      (PROGR   DECIMAL(10, 0) NULL\r\n     , ERRORE NVARCHAR(1000) COLLATE DATABASE_DEFAULT NULL)\r\n");
    EXPECT_FALSE(log.Execute(" SELECT OBJECT_ID(N'tempdb..#VPOOLLOG', N'U')")->GetFields().Item(0).Value().is_null());
    EXPECT_TRUE(conn_.Execute(" SELECT OBJECT_ID(N'tempdb..#VPOOLLOG', N'U')")->GetFields().Item(0).Value().is_null());
}

}  // namespace
}  // namespace ado
