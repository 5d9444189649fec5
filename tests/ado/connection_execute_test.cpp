// The connection as the module uses it: open from a connection string, execute text into
// record sets, transactions and their guard, the provider-error collection, built text
// refused before the engine, and the statement trace.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "../support/temp_dir.h"
#include "ado/connection.h"
#include "ado/recordset.h"
#include "ado/sqltext.h"
#include "ado_support.h"

namespace ado {
namespace {

using testing::thrown;

std::string read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

class ConnectionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        cs_ = "Provider=SQLite;Data Source=" + (dir_ / "c.db").string() + ";Mode=Create";
        conn_.Open(cs_);
        conn_.Execute(
            "CREATE TABLE IE42_IMPCOGE (IE42_ID INT IDENTITY(1,1) NOT NULL PRIMARY KEY,"
            " IE42_DATAORA DATETIME NOT NULL, IE42_NOMEFILE NVARCHAR(500) NULL, IE42_IMPORTO DECIMAL(19, 4) "
            "NULL)");
    }
    Variant first(const std::string& sql) { return conn_.Execute(sql)->GetFields().Item(0).Value(); }
    long count() { return first("SELECT COUNT(*) FROM IE42_IMPCOGE").to_long(); }

    scripted::TempDir dir_;
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
    EXPECT_EQ(thrown([&] { conn_.Execute("SELECT 1"); }).number, kErrNotOpen);
    Connection later;
    later.SetConnectionString(cs_);
    later.Open();
    EXPECT_EQ(later.State(), adStateOpen);

    Connection failed("Provider=SQLite;Data Source=" + (dir_ / "nowhere.db").string());
    EXPECT_THROW(failed.Open(), Error);
    ASSERT_EQ(failed.Errors().size(), 1U);
    EXPECT_NE(failed.Errors()[0].description.find("unable to open database file"), std::string::npos);
    EXPECT_EQ(failed.State(), adStateClosed);
}

TEST_F(ConnectionTest, ExecuteGivesRowsAsAnOpenRecordSet) {
    long affected = 0;
    RecordsetPtr none = conn_.Execute(
        " INSERT INTO IE42_IMPCOGE (IE42_DATAORA, IE42_NOMEFILE, IE42_IMPORTO)\r\n"
        " VALUES ('20240131 10:11:12', 'a.xml', 12.3456)\r\n",
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

// Built text whose verbatim value carries a quote is refused before reaching the engine,
// with the server's answer, and the trace notes it.
struct QuotedValue {
    const char* name;
    const char* value;
    const char* message;
};

class QuotedValues : public ConnectionTest, public ::testing::WithParamInterface<QuotedValue> {};

TEST_P(QuotedValues, AreRefusedBeforeTheEngine) {
    const auto trace = dir_ / "trace.sql";
    conn_.SetStatementTrace(trace.string());
    SqlText sql;
    sql.line(" INSERT INTO IE42_IMPCOGE (IE42_DATAORA, IE42_NOMEFILE)").line(" VALUES ('20240131', '");
    sql.value(GetParam().value).add("')");
    const auto e = thrown([&] { conn_.Execute(sql); });
    EXPECT_EQ(e.number, kErrProvider);
    EXPECT_EQ(e.description, GetParam().message);
    ASSERT_EQ(conn_.Errors().size(), 1U);
    EXPECT_EQ(conn_.Errors()[0].description, GetParam().message);
    EXPECT_EQ(count(), 0);
    EXPECT_NE(read_file(trace).find("refused before the engine"), std::string::npos);
}

const QuotedValue kQuotedValues[] = {
    {"OddQuotes", "C:\\Users\\D'Angelo\\file.xml",
     "Unclosed quotation mark after the character string 'Angelo\\file.xml'."},
    {"EvenQuotes", "x', 'y", "Incorrect syntax near ','."},
};

INSTANTIATE_TEST_SUITE_P(Built, QuotedValues, ::testing::ValuesIn(kQuotedValues),
                         [](const auto& p) { return std::string(p.param.name); });

// Text cut short (as `db sql` passes it on) is one provider error; the connection goes on.
TEST_F(ConnectionTest, TextCutShortIsOneProviderError) {
    EXPECT_EQ(thrown([&] { conn_.Execute("SELECT TOP ("); }).description, "Incorrect syntax near '('.");
    ASSERT_EQ(conn_.Errors().size(), 1U);
    EXPECT_EQ(conn_.Errors()[0].number, kErrProvider);
    EXPECT_EQ(count(), 0);
    EXPECT_TRUE(conn_.Errors().empty());
}

// The trace holds every statement as sent (before translation) and what was refused
// before reaching the engine.
TEST_F(ConnectionTest, TraceHoldsEveryStatementAsSent) {
    const auto trace = dir_ / "trace.sql";
    conn_.SetStatementTrace(trace.string());
    SqlText refused;
    refused.line(" INSERT INTO IE42_IMPCOGE (IE42_DATAORA, IE42_NOMEFILE)").line(" VALUES ('20240131', '");
    EXPECT_THROW(conn_.Execute(refused.value("D'Angelo").add("')")), Error);
    EXPECT_EQ(count(), 0);
    EXPECT_TRUE(conn_.Errors().empty());
    SqlText ok;
    ok.line(" INSERT INTO IE42_IMPCOGE (IE42_DATAORA, IE42_NOMEFILE)").line(" VALUES ('20240131', '");
    conn_.Execute(ok.value("C:\\in\\a.xml").add("')"));
    EXPECT_EQ(count(), 1);
    conn_.Execute(" SELECT TOP 1 IE42_NOMEFILE\r\n FROM IE42_IMPCOGE WITH (NOLOCK)\r\n");
    RecordsetPtr rs = Recordset::create();
    rs->Open(" SELECT *\r\n FROM IE42_IMPCOGE WITH (NOLOCK)\r\n WHERE 1 = 0\r\n", conn_, adOpenKeyset,
             adLockOptimistic);
    conn_.BeginTrans();
    conn_.RollbackTrans();
    conn_.SetStatementTrace("");
    conn_.Execute("SELECT 'not traced'");
    const std::string text = read_file(trace);
    EXPECT_NE(text.find("refused before the engine"), std::string::npos);
    EXPECT_NE(text.find(" VALUES ('20240131', 'C:\\in\\a.xml')\r\nGO\r\n"), std::string::npos);
    EXPECT_NE(text.find(" SELECT TOP 1 IE42_NOMEFILE\r\n FROM IE42_IMPCOGE WITH (NOLOCK)\r\nGO\r\n"),
              std::string::npos);
    EXPECT_NE(text.find(" WHERE 1 = 0\r\nGO\r\n"), std::string::npos);
    EXPECT_NE(text.find("-- RollbackTrans"), std::string::npos);
    EXPECT_EQ(text.find("not traced"), std::string::npos);
    EXPECT_THROW(conn_.SetStatementTrace((dir_ / "no/such/dir/trace.sql").string()), Error);
}

TEST_F(ConnectionTest, ProviderErrorsDescribeTheLastFailure) {
    const char* message = "NOT NULL constraint failed: IE42_IMPCOGE.IE42_DATAORA";
    EXPECT_EQ(
        thrown([&] { conn_.Execute("INSERT INTO IE42_IMPCOGE (IE42_NOMEFILE) VALUES ('x')"); }).description,
        message);
    ASSERT_EQ(conn_.Errors().size(), 1U);
    EXPECT_EQ(conn_.Errors()[0].description, message);
    EXPECT_EQ(conn_.Errors()[0].sql_state, "23000");
    conn_.Execute("SELECT 1");
    EXPECT_TRUE(conn_.Errors().empty());
}

TEST_F(ConnectionTest, UpdatableRecordSetsWriteThroughInsideTransactions) {
    RecordsetPtr rs = Recordset::create();
    rs->Open(" SELECT *\r\n FROM IE42_IMPCOGE WITH (NOLOCK)\r\n WHERE 1 = 0\r\n", conn_, adOpenKeyset,
             adLockOptimistic);
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
    conn_.BeginTrans();  // closing rolls back an open transaction
    conn_.Execute("INSERT INTO IE42_IMPCOGE (IE42_DATAORA) VALUES ('20240101')");
    conn_.Close();
    conn_.Open();
    EXPECT_EQ(count(), 1);
    EXPECT_FALSE(conn_.InTransaction());
}

}  // namespace
}  // namespace ado
