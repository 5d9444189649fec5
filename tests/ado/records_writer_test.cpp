// Updatable record sets hand their changes to the engine's row writer: what the writer
// receives (hidden key, assigned/changed flags), what it returns, and its failures.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ado/recordset.h"
#include "ado_support.h"

namespace {

using ado::Variant;
using ado::testing::thrown;
using Row = std::vector<Variant>;

// Records every call; stores rows as a database would: a new key, a default for the
// unassigned DESCR, and refuses what it was told to refuse.
struct Calls {
    std::vector<std::pair<Row, std::vector<bool>>> inserts;
    std::vector<std::pair<Row, Row>> updates;  // original, new values
    std::vector<std::vector<bool>> changed;
    std::vector<Row> removes;
    bool refuse = false;
};

class RecordingWriter : public ado::RowWriter {
  public:
    explicit RecordingWriter(Calls& calls) : calls_(calls) {}

    Row insert(const Row& values, const std::vector<bool>& assigned) override {
        refuse_if_asked();
        calls_.inserts.emplace_back(values, assigned);
        Row stored = values;
        stored[0] = static_cast<long long>(next_key_++);
        if (!assigned[2]) stored[2] = "(default)";
        return stored;
    }
    Row update(const Row& original, const Row& values, const std::vector<bool>& changed) override {
        refuse_if_asked();
        calls_.updates.emplace_back(original, values);
        calls_.changed.push_back(changed);
        return values;
    }
    void remove(const Row& original) override {
        refuse_if_asked();
        calls_.removes.push_back(original);
    }

  private:
    void refuse_if_asked() const {
        if (calls_.refuse)
            throw ado::Error(ado::kErrProvider, "Violation of PRIMARY KEY constraint 'PK_T'.", "engine");
    }
    Calls& calls_;
    long long next_key_ = 900;
};

ado::ColumnInfo col(std::string name, int type, long size = 0) {
    ado::ColumnInfo c = ado::testing::col(std::move(name), type, size);
    c.base_table = "T";
    c.base_column = c.name;
    return c;
}

// Columns: hidden key, CODE, DESCR (database default), AMOUNT; two stored rows.
ado::RecordsetPtr table(Calls& calls, std::vector<Row> rows = {}) {
    ado::RowSet rs;
    ado::ColumnInfo key = col("rowid", ado::adBigInt);
    key.hidden = true;
    ado::ColumnInfo descr = col("DESCR", ado::adVarWChar, 20);
    descr.has_default = true;
    ado::ColumnInfo amount = col("AMOUNT", ado::adNumeric);
    amount.precision = 10;
    amount.numeric_scale = 2;
    rs.columns = {key, col("CODE", ado::adChar, 4), descr, amount};
    rs.rows = std::move(rows);
    return ado::Recordset::from_rows(std::move(rs), std::make_unique<RecordingWriter>(calls));
}

std::vector<Row> two_rows() {
    return {{1LL, "A", "first", Variant(ado::Decimal(5))}, {2LL, "B", "second", Variant(ado::Null)}};
}

TEST(Writer, InsertGetsAllColumnsWithAssignedFlagsAndItsRowIsKept) {
    Calls calls;
    auto rs = table(calls);
    EXPECT_EQ(rs->GetFields().Count(), 3);
    rs->AddNew();
    (*rs)["CODE"] = "X";
    (*rs)["AMOUNT"] = "12,345";
    rs->Update();
    ASSERT_EQ(calls.inserts.size(), 1U);
    const auto& [values, assigned] = calls.inserts[0];
    EXPECT_TRUE(values == (Row{Variant(ado::Null), "X", Variant(ado::Null),
                                 Variant(ado::Decimal::from_string("12.35"))}));
    EXPECT_EQ(assigned, (std::vector<bool>{false, true, false, true}));
    // The row as the writer stored it: default filled in, fixed text padded on reading.
    EXPECT_EQ((*rs)["DESCR"].Value().str(), "(default)");
    EXPECT_EQ((*rs)["CODE"].Value().str(), "X   ");
    EXPECT_EQ(rs->RecordCount(), 1);
}

TEST(Writer, UpdateGetsOriginalRowWithHiddenKeyAndChangedFlags) {
    Calls calls;
    auto rs = table(calls, two_rows());
    rs->MoveNext();
    (*rs)["DESCR"] = "changed";
    rs->Update();
    ASSERT_EQ(calls.updates.size(), 1U);
    EXPECT_TRUE(calls.updates[0].first == two_rows()[1]);
    EXPECT_TRUE(calls.updates[0].second == (Row{2LL, "B", "changed", Variant(ado::Null)}));
    EXPECT_EQ(calls.changed[0], (std::vector<bool>{false, false, true, false}));
    EXPECT_EQ((*rs)["DESCR"].Value().str(), "changed");
    EXPECT_TRUE(calls.inserts.empty());
}

TEST(Writer, DeleteLoopRemovesEveryRowThroughTheWriter) {
    Calls calls;
    auto rs = table(calls, two_rows());
    while (!rs->EOF()) {
        rs->Delete();
        rs->MoveNext();
    }
    ASSERT_EQ(calls.removes.size(), 2U);
    EXPECT_TRUE(calls.removes[0] == two_rows()[0]);
    EXPECT_TRUE(calls.removes[1] == two_rows()[1]);
    EXPECT_EQ(rs->RecordCount(), 0);
    EXPECT_TRUE(rs->BOF());  // both ends once the last row is gone and the set moved
    EXPECT_TRUE(rs->EOF());
    rs->AddNew();  // the same record set then takes new rows
    (*rs)["CODE"] = "N";
    rs->Update();
    EXPECT_EQ(rs->RecordCount(), 1);
}

TEST(Writer, RefusedInsertKeepsTheRowPendingWithTheWritersError) {
    Calls calls;
    auto rs = table(calls, two_rows());
    rs->AddNew();
    (*rs)["CODE"] = "DUP";
    calls.refuse = true;
    try {
        rs->Update();
        FAIL() << "saved";
    } catch (const ado::Error& e) {  // the writer's own error, source included
        EXPECT_EQ(e.number(), ado::kErrProvider);
        EXPECT_EQ(e.description(), "Violation of PRIMARY KEY constraint 'PK_T'.");
        EXPECT_EQ(e.source(), "engine");
    }
    EXPECT_TRUE(rs->EditPending());
    EXPECT_EQ((*rs)["CODE"].Value().str(), "DUP ");
    EXPECT_THROW(rs->MoveFirst(), ado::Error);  // moving would save it: refused again
    EXPECT_EQ(rs->RecordCount(), 2);
    rs->Close();  // discards the refused row without an error
    EXPECT_EQ(rs->State(), ado::adStateClosed);
}

TEST(Writer, RefusedUpdateAndDeleteLeaveTheStoredRow) {
    Calls calls;
    auto rs = table(calls, two_rows());
    (*rs)["DESCR"] = "new";
    calls.refuse = true;
    EXPECT_THROW(rs->Update(), ado::Error);
    EXPECT_TRUE(rs->EditPending());
    rs->CancelUpdate();
    EXPECT_EQ((*rs)["DESCR"].Value().str(), "first");
    EXPECT_THROW(rs->Delete(), ado::Error);
    EXPECT_EQ(rs->RecordCount(), 2);
    EXPECT_EQ((*rs)["DESCR"].Value().str(), "first");
}

TEST(Writer, ReadOnlyColumnRefusesAssignment) {
    Calls calls;
    ado::RowSet rs;
    ado::ColumnInfo id = col("ID", ado::adInteger);
    id.read_only = true;
    rs.columns = {id, col("CODE", ado::adVarChar, 4)};
    auto set = ado::Recordset::from_rows(std::move(rs), std::make_unique<RecordingWriter>(calls));
    set->AddNew();
    EXPECT_THROW((*set)["ID"] = 5, ado::Error);
    EXPECT_TRUE((*set)["ID"].Value().is_null());
    (*set)["CODE"] = "ok";  // the other columns still take values
}

}  // namespace
