// The kept import log: rows read back before there is an import header wait for it, then
// go into HOST_IMPORT_LOG with the later ones; texts keep whatever they hold.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "refhost/kept_log.h"
#include "refhost_fixture.h"

namespace {

using Rows = std::vector<std::vector<ado::Variant>>;
using Texts = std::vector<std::string>;

std::vector<ado::Variant> row(int progr, const char* table, int level, int state, const std::string& key,
                              const ado::Variant& message) {
    return {ado::Decimal(progr), table, ado::Decimal(level), ado::Decimal(state), key, message};
}

ado::RecordsetPtr log_rows(const Rows& values) {
    ado::RowSet rows;
    for (const char* name : {"PROGR", "TABELLA", "LIVELLO", "STATO", "CHIAVE", "ERRORE"}) {
        ado::ColumnInfo column;
        column.name = name;
        const std::string n = name;
        column.type = n == "PROGR" || n == "LIVELLO" || n == "STATO" ? ado::adNumeric : ado::adVarWChar;
        column.precision = 10;
        column.defined_size = 4000;
        column.attributes = ado::adFldIsNullable;
        rows.columns.push_back(column);
    }
    rows.rows = values;
    return ado::Recordset::from_rows(std::move(rows));
}

class KeptLogTest : public refhost_test::DatabaseTest {
  protected:
    // Every kept row of an import as "PROGR|TABELLA|STATO|CHIAVE|ERRORE".
    Texts kept(std::int32_t import_id) {
        Texts out;
        const ado::RecordsetPtr rs = refhost::KeptLog::Read(conn_, import_id);
        for (; !rs->EOF(); rs->MoveNext()) {
            std::string line;
            for (const char* f : {"PROGR", "TABELLA", "STATO", "CHIAVE", "ERRORE"})
                line += (line.empty() ? "" : "|") + rs->GetFields().Item(f).Value().text_or_empty();
            out.push_back(line);
        }
        return out;
    }
    std::int32_t header = 0;
};

TEST_F(KeptLogTest, TheVerificationsRowsWaitForTheHeader) {
    refhost::KeptLog log(conn_, [&] { return header; });
    const auto verification =
        log_rows({row(1, "CG24_TABPDC", 0, 10, "Codice conto: 'A'", ado::Variant(ado::Null)),
                  row(2, "CG33_TABCAU", 0, 31, "x'); DROP TABLE CG41_PRIMANOTA; --", "?")});
    verification->SetFilter("STATO = 31");  // whatever the window filtered, all rows are kept
    log.Take(*verification);
    EXPECT_EQ(log.waiting(), 2u);
    EXPECT_TRUE(kept(5).empty());

    header = 5;
    log.Take(*log_rows({row(3, "CG41_PRIMANOTA", 0, 0, "A0000001", "")}));
    EXPECT_EQ(log.waiting(), 0u);
    EXPECT_EQ(kept(5), (Texts{"1|CG24_TABPDC|10|Codice conto: 'A'|",
                              "2|CG33_TABCAU|31|x'); DROP TABLE "
                              "CG41_PRIMANOTA; --|?",
                              "3|CG41_PRIMANOTA|0|A0000001|"}));
    EXPECT_EQ(conn_.Execute("SELECT COUNT(*) FROM CG41_PRIMANOTA")->GetFields().Item(0).Value().to_long(), 0);
}

// A run that meets an import number kept before (a header deleted for want of entries is
// numbered again) replaces what was kept under it; a run without a header keeps nothing.
TEST_F(KeptLogTest, ANewRunReplacesWhatAnEarlierRunKeptUnderItsNumber) {
    header = 9;
    {
        refhost::KeptLog earlier(conn_, [&] { return header; });
        earlier.Take(
            *log_rows({row(1, "CG24_TABPDC", 0, 10, "old", ""), row(2, "CG24_TABPDC", 0, 10, "old", "")}));
    }
    refhost::KeptLog later(conn_, [&] { return header; });
    later.Take(*log_rows({row(1, "CG24_TABPDC", 0, 0, "new", "")}));
    later.Take(*log_rows({row(2, "CG41_PRIMANOTA", 0, 50, "entry", "refused")}));
    EXPECT_EQ(kept(9), (Texts{"1|CG24_TABPDC|0|new|", "2|CG41_PRIMANOTA|50|entry|refused"}));

    header = 0;
    refhost::KeptLog stopped(conn_, [&] { return header; });
    stopped.Take(*log_rows({row(1, "CG24_TABPDC", 0, 31, "k", "")}));
    stopped.Discard();
    EXPECT_EQ(stopped.waiting(), 0u);
    EXPECT_EQ(conn_.Execute("SELECT COUNT(*) FROM HOST_IMPORT_LOG")->GetFields().Item(0).Value().to_long(),
              2);
}

// Many rows go in statements of a hundred; a failure writes none of a call's rows.
TEST_F(KeptLogTest, ManyRowsAreKeptInOneTransaction) {
    header = 3;
    Rows rows;
    for (int i = 1; i <= 250; ++i) rows.push_back(row(i, "CG42_MOVCONT", 1, 0, "r", ""));
    refhost::KeptLog log(conn_, [&] { return header; });
    log.Take(*log_rows(rows));
    EXPECT_EQ(kept(3).size(), 250u);

    rows = {row(300, "CG42_MOVCONT", 1, 0, "r", ""), row(300, "CG42_MOVCONT", 1, 0, "again", "")};
    EXPECT_THROW(log.Take(*log_rows(rows)), ado::Error);
    EXPECT_EQ(kept(3).size(), 250u);
}

}  // namespace
