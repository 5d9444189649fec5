// The demo's entry shapes and the options bench/run builds its files with: the rich shape
// has the rows per entry the benchmark promises and as many new customers and suppliers
// as it says, each new to the group; `demo --no-import` leaves the books untouched.
#include <gtest/gtest.h>

#include <ctime>
#include <map>
#include <set>
#include <string>

#include "case_name.h"
#include "cli_process.h"
#include "demo/demo_data.h"
#include "demo/member_file.h"
#include "importfile/import_document.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;
using importfile::ImportDocument;

long long cents(const std::string& s) {
    const auto dot = s.find('.');
    return std::stoll(s.substr(0, dot)) * 100 + std::stoll(s.substr(dot + 1));
}

struct ShapeCase {
    const char* name;
    demo::EntryShape shape;
    int entries;
    double account_rows_low, account_rows_high;  // per entry, on average
    double vat_rows_low, vat_rows_high;
    int further_parties;  // customers and suppliers beyond the member's own
};

class Shape : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(Shape, RowsPerEntryAndNewPartiesAreAsPromisedAndEveryInvoiceBalances) {
    const ShapeCase& c = GetParam();
    const demo::Member& member = demo::members().at(0);
    demo::MemberFileOptions o;
    o.entries = c.entries;
    o.shape = c.shape;
    importfile::LoadError error;
    const auto doc = ImportDocument::parse(demo::member_file_xml(member, o), error);
    ASSERT_TRUE(doc) << error.reason;
    ASSERT_EQ(doc->row_count("CG41_PRIMANOTA"), c.entries);

    long account_rows = 0, vat_rows = 0;
    for (long i = 1; i <= c.entries; ++i) {
        const long accounts = doc->child_count("CG41_PRIMANOTA", i, "CG42_MOVCONT");
        const long vats = doc->child_count("CG41_PRIMANOTA", i, "CG43_MOVIVA");
        account_rows += accounts;
        vat_rows += vats;
        long long debit = 0, credit = 0, vat_total = 0;
        for (long j = 1; j <= accounts; ++j) {
            const auto a = doc->row_child("CG41_PRIMANOTA", i, "CG42_MOVCONT", j);
            EXPECT_EQ(a.text_or_empty("CG42_NUMRIGACONT"), std::to_string(j));
            debit += cents(a.text_or_empty("CG42_IMPDARE"));
            credit += cents(a.text_or_empty("CG42_IMPAVERE"));
        }
        for (long j = 1; j <= vats; ++j) {
            const auto v = doc->row_child("CG41_PRIMANOTA", i, "CG43_MOVIVA", j);
            EXPECT_EQ(v.text_or_empty("CG43_NUMRIGAIVA"), std::to_string(j));
            vat_total += cents(v.text_or_empty("CG43_IMPONIBILE")) + cents(v.text_or_empty("CG43_IMPOSTA"));
        }
        const long long total = cents(doc->row("CG41_PRIMANOTA", i).text_or_empty("CG41_IMPTOTALE"));
        EXPECT_EQ(debit, credit) << "entry " << i;
        EXPECT_EQ(debit, total) << "entry " << i;
        // An invoice: the party's row, one row per VAT line, the VAT account's row.
        if (vats > 0) {
            EXPECT_EQ(accounts, vats + 2) << "entry " << i;
            EXPECT_EQ(vat_total, total) << "entry " << i;
        }
    }
    const double per_entry_accounts = static_cast<double>(account_rows) / c.entries;
    const double per_entry_vats = static_cast<double>(vat_rows) / c.entries;
    EXPECT_GE(per_entry_accounts, c.account_rows_low);
    EXPECT_LE(per_entry_accounts, c.account_rows_high);
    EXPECT_GE(per_entry_vats, c.vat_rows_low);
    EXPECT_LE(per_entry_vats, c.vat_rows_high);

    EXPECT_EQ(doc->row_count("CG44_CLIFOR"), static_cast<long>(member.parties.size()) + c.further_parties);
    EXPECT_EQ(doc->settings().text_or_empty("IE40_CG44_CLIFOR"),
              std::to_string(doc->row_count("CG44_CLIFOR")));
}

INSTANTIATE_TEST_SUITE_P(Entries, Shape,
                         ::testing::Values(ShapeCase{"plain invoices have one VAT row",
                                                     demo::EntryShape::plain, 400, 2.75, 2.75, 0.75, 0.75, 0},
                                           ShapeCase{"rich entries have four account rows and two VAT rows",
                                                     demo::EntryShape::rich, 4000, 3.9, 4.1, 1.9, 2.1, 80},
                                           ShapeCase{"rich below fifty entries adds no party",
                                                     demo::EntryShape::rich, 49, 2.0, 6.0, 0.0, 4.0, 0}),
                         scripted::ByName());

// The further parties are companies of their own: unique codes and VAT numbers, none the
// group or the member already knows, alternately customers and suppliers; the entries use
// them.
TEST(RichShape, FurtherPartiesAreNewToTheGroupAndTheEntriesUseThem) {
    const demo::Member& member = demo::members().at(0);
    demo::MemberFileOptions o;
    o.entries = 1000;
    o.shape = demo::EntryShape::rich;
    importfile::LoadError error;
    const auto doc = ImportDocument::parse(demo::member_file_xml(member, o), error);
    ASSERT_TRUE(doc) << error.reason;

    std::set<std::string> known;
    for (const auto& p : demo::group().registry) known.insert(p.vat_number);
    for (const auto& p : member.parties) known.insert(p.vat_number);
    std::set<std::string> vat_numbers;
    std::set<std::pair<std::string, std::string>> codes;
    std::map<std::string, int> of_type;
    const long count = doc->row_count("CG44_CLIFOR");
    for (long i = static_cast<long>(member.parties.size()) + 1; i <= count; ++i) {
        const auto row = doc->row("CG44_CLIFOR", i);
        const std::string vat = row.text_or_empty("CG16_ANAGGEN/CG16_PARTIVA");
        EXPECT_EQ(known.count(vat), 0u) << vat;
        EXPECT_TRUE(vat_numbers.insert(vat).second) << vat;
        EXPECT_TRUE(
            codes.insert({row.text_or_empty("CG44_TIPOCF"), row.text_or_empty("CG44_CLIFOR")}).second);
        ++of_type[row.text_or_empty("CG44_TIPOCF")];
    }
    EXPECT_EQ(of_type["0"], 10);
    EXPECT_EQ(of_type["1"], 10);

    std::set<std::pair<std::string, std::string>> used;
    for (long i = 1; i <= doc->row_count("CG41_PRIMANOTA"); ++i) {
        const auto e = doc->row("CG41_PRIMANOTA", i);
        used.insert({e.text_or_empty("CG41_TIPOCF_CG44"), e.text_or_empty("CG41_CLIFOR_CG44")});
    }
    std::size_t further_used = 0;
    for (const auto& code : codes) further_used += used.count(code);
    EXPECT_GT(further_used, codes.size() / 2);
}

// bench/run's way of building a demo: the rich files written, the books made and nothing
// imported into them.
TEST(DemoCommand, NoImportWritesTheRichFilesAndLeavesTheBooksUnimported) {
    scripted::TempDir dir;
    const auto run = cli_test::run_ledgerintake(
        dir.path(), {"demo", "--dir", "demo", "--entries", "120", "--shape", "rich", "--no-import"});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_TRUE(cli_test::contains(run.out, "Nothing imported (--no-import)")) << run.out;
    const std::time_t now = std::time(nullptr);
    const std::string year = std::to_string(std::localtime(&now)->tm_year + 1900);
    importfile::LoadError error;
    const auto doc = ImportDocument::parse(cli_test::read_file(dir / ("demo/alfa-" + year + ".xml")), error);
    ASSERT_TRUE(doc) << error.reason;
    EXPECT_EQ(doc->row_count("CG44_CLIFOR"), static_cast<long>(demo::members().at(0).parties.size()) + 2);

    const auto imports = cli_test::run_ledgerintake(
        dir.path(), {"db", "sql", "--db", "demo/ledgerintake.db", "SELECT COUNT(*) AS N FROM IE42_IMPCOGE"});
    ASSERT_EQ(imports.status, 0) << imports.err;
    EXPECT_EQ(imports.out, "N\n0\n");
}

TEST(DemoCommand, AnUnknownShapeIsAUsageError) {
    scripted::TempDir dir;
    const auto run = cli_test::run_ledgerintake(dir.path(), {"demo", "--dir", "demo", "--shape", "round"});
    EXPECT_EQ(run.status, 64);
    EXPECT_FALSE(fs::exists(dir / "demo"));
}

}  // namespace
