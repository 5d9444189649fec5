// Moving through a snapshot: BOF/EOF at the edges, clones sharing rows, Find, the
// clip-string export, fields by name and position, closed record sets.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ado/recordset.h"
#include "ado_support.h"

namespace {

using ado::Variant;
using ado::testing::col;
using ado::testing::thrown;

ado::RecordsetPtr numbers(int count) {
    ado::RowSet rows;
    ado::ColumnInfo key = col("KEY", ado::adBigInt);
    key.hidden = true;
    rows.columns = {col("N", ado::adInteger), key, col("NAME", ado::adVarWChar, 10)};
    for (int i = 1; i <= count; ++i)
        rows.rows.push_back({i, static_cast<long long>(i * 100), "n" + std::to_string(i)});
    return ado::Recordset::from_rows(std::move(rows));
}

// A free-standing set, as the module builds its lists: appended fields, then Open.
ado::RecordsetPtr free_standing() {
    auto rs = ado::Recordset::create();
    rs->GetFields().Append("N", ado::adInteger);
    rs->GetFields().Append("NAME", ado::adVarWChar, 10, ado::adFldIsNullable);
    rs->SetCursorLocation(ado::adUseClient);
    rs->SetCursorType(ado::adOpenDynamic);
    rs->Open();
    return rs;
}

void add(ado::Recordset& rs, int n, const char* name) {
    rs.AddNew();
    rs["N"] = n;
    rs["NAME"] = name;
    rs.Update();
}

int current(ado::Recordset& rs) {
    return rs["N"].Value().to_long();
}

std::vector<int> rest(ado::Recordset& rs) {
    std::vector<int> out;
    for (; !rs.EOF(); rs.MoveNext()) out.push_back(current(rs));
    return out;
}

void expect_no_current_record(const std::function<void()>& action) {
    const auto e = thrown(action);
    EXPECT_EQ(e.number, ado::kErrBofEof);
    EXPECT_EQ(e.description,
              "Either BOF or EOF is True, or the current record has been deleted. Requested operation "
              "requires a current record.");
}

TEST(Moves, EmptySnapshotIsAtBothEnds) {
    auto rs = numbers(0);
    EXPECT_TRUE(rs->BOF());
    EXPECT_TRUE(rs->EOF());
    EXPECT_EQ(rs->RecordCount(), 0);
    expect_no_current_record([&] { rs->MoveFirst(); });
    expect_no_current_record([&] { rs->MoveLast(); });
    expect_no_current_record([&] { rs->MoveNext(); });
    expect_no_current_record([&] { rs->MovePrevious(); });
    expect_no_current_record([&] { (*rs)["N"].Value(); });
}

TEST(Moves, EdgesSetOneFlagAndFurtherMovesFail) {
    auto rs = numbers(3);
    EXPECT_FALSE(rs->BOF());
    EXPECT_EQ(current(*rs), 1);
    rs->MoveLast();
    EXPECT_EQ(current(*rs), 3);
    rs->MoveNext();
    EXPECT_TRUE(rs->EOF());
    EXPECT_FALSE(rs->BOF());
    expect_no_current_record([&] { rs->MoveNext(); });
    expect_no_current_record([&] { (*rs)["N"].Value(); });
    rs->MovePrevious();
    EXPECT_EQ(current(*rs), 3);
    rs->MoveFirst();
    rs->MovePrevious();
    EXPECT_TRUE(rs->BOF());
    EXPECT_FALSE(rs->EOF());
    expect_no_current_record([&] { rs->MovePrevious(); });
    rs->MoveNext();
    EXPECT_EQ(current(*rs), 1);
    EXPECT_EQ(rest(*rs), (std::vector<int>{1, 2, 3}));
}

TEST(Moves, ClosedRecordSetRefusesEverything) {
    auto rs = numbers(2);
    EXPECT_EQ(rs->State(), ado::adStateOpen);
    rs->Close();
    EXPECT_EQ(rs->State(), ado::adStateClosed);
    const std::vector<std::function<void()>> actions = {
        [&] { rs->EOF(); },         [&] { rs->MoveFirst(); }, [&] { rs->RecordCount(); },
        [&] { rs->SetFilter(""); }, [&] { rs->Clone(); },     [&] { rs->AddNew(); },
        [&] { rs->Close(); },       [&] { rs->GetString(); }, [&] { rs->Filter(); },
    };
    for (std::size_t i = 0; i < actions.size(); ++i) {
        SCOPED_TRACE(i);
        const auto e = thrown(actions[i]);
        EXPECT_EQ(e.number, ado::kErrNotOpen);
        EXPECT_EQ(e.description, "Operation is not allowed when the object is closed.");
    }
}

TEST(Fields, ByNameAndPositionWithoutHiddenColumns) {
    auto rs = numbers(1);
    ado::Fields f = rs->GetFields();
    ASSERT_EQ(f.Count(), 2);
    EXPECT_EQ(f[0].Name(), "N");
    EXPECT_EQ(f[1].Name(), "NAME");
    EXPECT_EQ(f["name"].Value().str(), "n1");
    EXPECT_EQ(f[1].DefinedSize(), 10);
    EXPECT_EQ(f[1].Type(), ado::adVarWChar);
    EXPECT_TRUE(f.Contains("Name"));
    EXPECT_FALSE(f.Contains("KEY"));
    EXPECT_EQ(thrown([&] { f.Item("KEY"); }).number, ado::kErrFieldNotFound);
    EXPECT_EQ(thrown([&] { f.Item(2); }).number, ado::kErrFieldNotFound);
    EXPECT_EQ(thrown([&] { f.Item(-1); }).number, ado::kErrFieldNotFound);
}

TEST(Clones, OwnFilterAndPositionOverSharedRows) {
    auto rs = numbers(4);
    rs->MoveLast();
    auto clone = rs->Clone();
    EXPECT_EQ(current(*clone), 1);  // a clone starts at the first row
    EXPECT_EQ(clone->Filter(), "");
    clone->SetFilter("N >= 3");
    EXPECT_EQ(clone->RecordCount(), 2);
    EXPECT_EQ(rs->RecordCount(), 4);
    EXPECT_EQ(current(*rs), 4);
    clone->Close();
    EXPECT_EQ(current(*rs), 4);  // closing the clone leaves the original open
}

TEST(Clones, SeeRowsAddedAndDeletedThroughEachOther) {
    auto rs = free_standing();
    add(*rs, 1, "a");
    add(*rs, 2, "b");
    auto all = rs->Clone();
    auto big = rs->Clone();
    big->SetFilter("N > 1");
    add(*all, 3, "c");  // passes both
    add(*rs, 0, "z");   // fails big's filter
    EXPECT_EQ(rs->RecordCount(), 4);
    EXPECT_EQ(big->RecordCount(), 2);
    all->MoveFirst();
    EXPECT_EQ(rest(*all), (std::vector<int>{1, 2, 3, 0}));

    // Deleting row 2 through `big` hides it everywhere; it stays current there until a move.
    EXPECT_EQ(current(*big), 2);
    big->Delete();
    expect_no_current_record([&] { (*big)["N"].Value(); });
    EXPECT_FALSE(big->EOF());
    big->MoveNext();
    EXPECT_EQ(current(*big), 3);
    EXPECT_EQ(rs->RecordCount(), 3);
    rs->MoveFirst();
    EXPECT_EQ(rest(*rs), (std::vector<int>{1, 3, 0}));
}

// Draining hands the visible, live rows in order, fields only (no hidden column), and
// closes; rows shared with a clone or an edit in progress are left alone.
TEST(Drain, HandsTheVisibleRowsAndCloses) {
    auto rs = free_standing();
    for (int n = 1; n <= 5; ++n) add(*rs, n, ("n" + std::to_string(n)).c_str());
    rs->SetFilter("N <> 2");
    rs->MoveFirst();
    rs->Delete();  // row 1
    {
        auto clone = rs->Clone();
        EXPECT_FALSE(rs->DrainRows([](const std::vector<Variant>&) { FAIL() << "a clone shares the rows"; }));
    }
    rs->AddNew();
    EXPECT_FALSE(rs->DrainRows([](const std::vector<Variant>&) { FAIL() << "an edit is pending"; }));
    rs->CancelUpdate();
    EXPECT_EQ(rs->State(), ado::adStateOpen);

    std::vector<std::vector<Variant>> handed;
    EXPECT_TRUE(rs->DrainRows([&](const std::vector<Variant>& values) { handed.push_back(values); }));
    EXPECT_EQ(handed, (std::vector<std::vector<Variant>>{{3, "n3"}, {4, "n4"}, {5, "n5"}}));
    EXPECT_EQ(rs->State(), ado::adStateClosed);

    auto hidden = numbers(2);
    handed.clear();
    EXPECT_TRUE(hidden->DrainRows([&](const std::vector<Variant>& values) { handed.push_back(values); }));
    EXPECT_EQ(handed, (std::vector<std::vector<Variant>>{{1, "n1"}, {2, "n2"}}));
}

TEST(Find, ForwardBackwardAndSkip) {
    auto rs = numbers(5);
    rs->Find("N >= 3");
    EXPECT_EQ(current(*rs), 3);
    rs->Find("N >= 3");  // inclusive of the current row
    EXPECT_EQ(current(*rs), 3);
    rs->Find("N >= 3", 1);
    EXPECT_EQ(current(*rs), 4);
    rs->Find("NAME = 'N2'", 0, ado::adSearchBackward);
    EXPECT_EQ(current(*rs), 2);
    rs->Find("N = 9");
    EXPECT_TRUE(rs->EOF());
    rs->Find("N < 3", 0, ado::adSearchBackward);
    EXPECT_EQ(current(*rs), 2);
    rs->Find("N > 3", 0, ado::adSearchBackward);
    EXPECT_TRUE(rs->BOF());
    EXPECT_THROW(rs->Find("N = 1 AND N = 2"), ado::Error);
    EXPECT_THROW(rs->Find("X = 1"), ado::Error);
}

TEST(GetString, ClipFormatFromTheCurrentRow) {
    auto rs = ado::Recordset::create();
    auto f = rs->GetFields();
    f.Append("PROGR", ado::adDecimal);
    f["PROGR"].SetPrecision(10);
    f["PROGR"].SetNumericScale(2);
    f.Append("TABELLA", ado::adVarWChar, 50);
    f.Append("CHIAVE", ado::adChar, 4);
    f.Append("DATA", ado::adDBTimeStamp);
    f.Append("ERRORE", ado::adVarWChar, 1000);
    rs->Open();
    const std::vector<std::vector<Variant>> rows = {
        {1, "CG41", "AB", "2024-03-01", "bad"},
        {"2.50", "CG42", ado::Null, "2024-03-01 10:20:30", ado::Null},
        {3, "", "ABCD", ado::Null, "x"},
    };
    for (const auto& r : rows) {
        rs->AddNew();
        for (int i = 0; i < 5; ++i) f[i] = r[static_cast<std::size_t>(i)];
        rs->Update();
    }
    rs->MoveFirst();
    EXPECT_EQ(rs->GetString(),
              "1\tCG41\tAB  \t2024-03-01\tbad\r"
              "2.5\tCG42\t\t2024-03-01 10:20:30\t\r"
              "3\t\tABCD\t\tx\r");
    EXPECT_TRUE(rs->EOF());
    expect_no_current_record([&] { rs->GetString(); });

    rs->MoveFirst();
    EXPECT_EQ(rs->GetString(1, ";", "\n", "NULL"), "1;CG41;AB  ;2024-03-01;bad\n");
    EXPECT_EQ((*rs)["PROGR"].Value().to_string(), "2.5");  // moved past the exported row
    EXPECT_EQ(rs->GetString(-1, ";", "\n", "NULL"),
              "2.5;CG42;NULL;2024-03-01 10:20:30;NULL\n3;;ABCD;NULL;x\n");
}

// A row reached by its place among the visible rows, under a filter and after a delete
// through a clone; places outside the rows are refused and the position stays.
TEST(RecordsetPosition, ReachesRowsByTheirPlace) {
    const auto rs = free_standing();
    for (int n = 1; n <= 6; ++n) add(*rs, n, "n");
    rs->MoveFirst();
    EXPECT_EQ(rs->AbsolutePosition(), 1);
    rs->SetAbsolutePosition(4);
    EXPECT_EQ(current(*rs), 4);
    rs->SetFilter("N > 2");
    EXPECT_EQ(rs->AbsolutePosition(), 1);
    rs->SetAbsolutePosition(3);
    EXPECT_EQ(current(*rs), 5);
    EXPECT_EQ(rs->AbsolutePosition(), 3);

    const auto clone = rs->Clone();
    clone->SetFilter("N = 4");
    clone->Delete();
    rs->SetAbsolutePosition(2);
    EXPECT_EQ(current(*rs), 5);
    EXPECT_EQ(rs->AbsolutePosition(), 2);
    for (long wrong : {0L, 4L, -1L})
        EXPECT_EQ(thrown([&] { rs->SetAbsolutePosition(wrong); }).number, ado::kErrArgument) << wrong;
    EXPECT_EQ(current(*rs), 5);
    rs->MoveLast();
    rs->MoveNext();
    EXPECT_EQ(rs->AbsolutePosition(), ado::adPosEOF);
    rs->MoveFirst();
    rs->MovePrevious();
    EXPECT_EQ(rs->AbsolutePosition(), ado::adPosBOF);
}

}  // namespace
