// Updatable record sets on the ledger schema: rows written through at Update and Delete,
// the database's own values read back, and refused writes that change nothing.
#include <gtest/gtest.h>

#include "ado/connection.h"
#include "ado/recordset.h"
#include "sqlite_support.h"

namespace ado::testing {
namespace {

const std::string kSuppliers = " SELECT *\r\n FROM CG44_CLIFOR WITH (NOLOCK)\r\n";
constexpr auto npos = std::string::npos;

// A supplier of company 1 on registry record `registry`.
Assignments supplier(int number, int registry = 100) {
    return {
        {"CG44_DITTA_CG18", 1}, {"CG44_TIPOCF", 1}, {"CG44_CLIFOR", number}, {"CG44_CODICE_CG16", registry}};
}

void assign(Recordset& rs, const Assignments& values) {
    for (const auto& [name, value] : values) rs[name] = value;
}

// Suppliers 7 and 8 of registry record 100, stored before the record set reads them.
class WriteThrough : public ::testing::Test {
  protected:
    void SetUp() override {
        conn_.Open(cs_for((dir_ / "w.db").string()));
        conn_.Execute(schema_script("ledger.sql"));
        conn_.Execute("INSERT INTO CG16_ANAGGEN (CG16_CODICE, CG16_RAGSOANAG) VALUES (100, 'Rossi')");
        const std::string insert =
            "INSERT INTO CG44_CLIFOR (CG44_DITTA_CG18, CG44_TIPOCF, CG44_CODICE_CG16, CG44_CLIFOR,"
            " CG44_DESCRBREVE) VALUES (1, 1, 100, ";
        for (const char* row : {"7, 'first')", "8, 'second')"}) conn_.Execute(insert + row);
        rs_->Open(kSuppliers, conn_, adOpenKeyset, adLockOptimistic);
    }
    // The stored suppliers as text: number, short name, note.
    std::string rows() {
        RecordsetPtr all = conn_.Execute(
            "SELECT CG44_CLIFOR, CG44_DESCRBREVE, CG44_NOTE FROM CG44_CLIFOR ORDER BY CG44_CLIFOR");
        return all->EOF() ? "" : all->GetString();
    }

    TempDir dir_;
    Connection conn_;
    RecordsetPtr rs_ = Recordset::create();
};

TEST_F(WriteThrough, NewRowTakesTheDatabasesValuesForWhatWasNotAssigned) {
    EXPECT_EQ(rs_->GetFields().Count(), 27);  // the columns of the table; the engine's key stays hidden
    rs_->AddNew();
    assign(*rs_, supplier(9));
    (*rs_)["CG44_CONTO_CG24"] = "C01";
    EXPECT_TRUE((*rs_)["CG44_IDCLIFOR"].Value().is_null());
    rs_->Update();
    EXPECT_EQ((*rs_)["CG44_IDCLIFOR"].Value().to_long(), 3);
    EXPECT_GT((*rs_)["CG44_ROWVERSION"].Value().to_longlong(), 0);
    EXPECT_EQ((*rs_)["CG44_FLGBLOCCATO"].Value().to_long(), 0);  // NOT NULL DEFAULT 0, never assigned
    EXPECT_EQ((*rs_)["CG44_CONTO_CG24"].Value().str(), "C01       ");
    EXPECT_EQ(rs_->RecordCount(), 3);
    EXPECT_EQ(rows(), "7\tfirst\t\r8\tsecond\t\r9\t\t\r");
}

// Only the changed column is written: a note stored meanwhile by someone else survives
// and is read back with the row.
TEST_F(WriteThrough, ChangedRowWritesOnlyWhatChanged) {
    rs_->MoveLast();
    conn_.Execute("UPDATE CG44_CLIFOR SET CG44_NOTE = 'elsewhere' WHERE CG44_CLIFOR = 8");
    (*rs_)["CG44_DESCRBREVE"] = "changed";
    rs_->Update();
    EXPECT_EQ((*rs_)["CG44_NOTE"].Value().str(), "elsewhere");
    EXPECT_EQ(rows(), "7\tfirst\t\r8\tchanged\telsewhere\r");
}

TEST_F(WriteThrough, DeleteRemovesTheRowUnlessTheDatabaseRefuses) {
    RecordsetPtr registry = Recordset::create();
    registry->Open("SELECT * FROM CG16_ANAGGEN WITH (NOLOCK)", conn_, adOpenKeyset, adLockOptimistic);
    EXPECT_NE(thrown([&] { registry->Delete(); }).description.find("FOREIGN KEY constraint failed"), npos);
    EXPECT_EQ(registry->RecordCount(), 1);
    EXPECT_EQ((*registry)["CG16_RAGSOANAG"].Value().str(), "Rossi");

    rs_->Delete();
    EXPECT_EQ(rows(), "8\tsecond\t\r");
    rs_->MoveNext();
    rs_->Delete();
    rs_->MoveNext();
    EXPECT_TRUE(rs_->BOF() && rs_->EOF());
    EXPECT_EQ(rows(), "");
    rs_->AddNew();  // the emptied set still takes new rows
    assign(*rs_, supplier(9));
    rs_->Update();
    EXPECT_EQ(rows(), "9\t\t\r");
}

struct Refusal {
    const char* what;
    bool new_row;  // else a change of supplier 8
    Assignments values;
    long number;
    const char* message;
};

TEST_F(WriteThrough, RefusedWriteKeepsTheRowPendingAndTheTableUnchanged) {
    const Assignments no_number = {{"CG44_DITTA_CG18", 1}, {"CG44_TIPOCF", 1}, {"CG44_CODICE_CG16", 100}};
    const Refusal kCases[] = {
        {"not null", true, no_number, kErrProvider, "NOT NULL constraint failed: CG44_CLIFOR.CG44_CLIFOR"},
        {"unique", true, supplier(7), kErrProvider, "UNIQUE constraint failed"},
        {"foreign key", true, supplier(9, 999), kErrProvider, "FOREIGN KEY constraint failed"},
        {"size", true, {{"CG44_DESCRBREVE", std::string(41, 'x')}}, kErrMultipleStep, "would be truncated"},
        {"identity", true, {{"CG44_IDCLIFOR", 5}}, kErrMultipleStep, "the database sets its value"},
        {"unique on change", false, {{"CG44_CLIFOR", 7}}, kErrProvider, "UNIQUE constraint failed"},
    };
    const std::string before = rows();
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        rs_->MoveLast();
        if (c.new_row) rs_->AddNew();
        const Thrown e = thrown([&] {
            assign(*rs_, c.values);
            rs_->Update();
        });
        EXPECT_EQ(e.number, c.number);
        EXPECT_NE(e.description.find(c.message), npos) << e.description;
        if (c.number == kErrProvider) {
            EXPECT_EQ(conn_.Errors().at(0).description, e.description);
        }
        EXPECT_TRUE(rs_->EditPending());
        rs_->CancelUpdate();
        EXPECT_FALSE(rs_->EditPending());
        EXPECT_EQ((*rs_)["CG44_CLIFOR"].Value().to_long(), 8);  // the row that was current, as stored
        EXPECT_EQ(rs_->RecordCount(), 2);
        EXPECT_EQ(rows(), before);
    }
}

TEST_F(WriteThrough, ClosingWithANewRowPendingWritesNothing) {
    rs_->AddNew();
    assign(*rs_, supplier(9));
    EXPECT_NO_THROW(rs_->Close());
    EXPECT_EQ(rows(), "7\tfirst\t\r8\tsecond\t\r");
}

TEST_F(WriteThrough, ExecuteResultRefusesChanges) {
    RecordsetPtr snapshot = conn_.Execute(kSuppliers);
    EXPECT_EQ(thrown([&] { snapshot->AddNew(); }).number, 3251);
    EXPECT_EQ(thrown([&] { (*snapshot)["CG44_NOTE"] = "x"; }).number, 3251);
    EXPECT_EQ(thrown([&] { snapshot->Delete(); }).number, 3251);
    EXPECT_EQ(rows(), "7\tfirst\t\r8\tsecond\t\r");
}

TEST_F(WriteThrough, ClonesSeeRowsAddedAndDeletedThroughEachOther) {
    RecordsetPtr clone = rs_->Clone();
    clone->AddNew();
    assign(*clone, supplier(9));
    clone->Update();
    EXPECT_EQ(rs_->RecordCount(), 3);
    rs_->Delete();
    EXPECT_EQ(clone->RecordCount(), 2);
    clone->MoveFirst();  // past the row deleted through the other
    EXPECT_EQ((*clone)["CG44_CLIFOR"].Value().to_long(), 8);
    EXPECT_EQ(rows(), "8\tsecond\t\r9\t\t\r");
}

}  // namespace
}  // namespace ado::testing
