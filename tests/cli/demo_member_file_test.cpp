#include <cstdlib>
#include <map>
#include <set>

#include <gtest/gtest.h>

#include "demo/member_file.h"
#include "importfile/import_document.h"

namespace {

using importfile::ImportDocument;

// Amount text "123.45" as cents; the generator writes two decimals with "." always.
long long cents(const std::string& s) {
    const auto dot = s.find('.');
    EXPECT_NE(dot, std::string::npos) << s;
    EXPECT_EQ(s.size() - dot, 3u) << s;
    const long long units = std::stoll(s.substr(0, dot));
    const long long frac = std::stoll(s.substr(dot + 1));
    return units < 0 || s[0] == '-' ? units * 100 - frac : units * 100 + frac;
}

class MemberFile : public ::testing::TestWithParam<std::size_t> {};

TEST_P(MemberFile, EntriesBalanceAndLinksPointToEntriesOfTheFile) {
    const demo::Member& m = demo::members().at(GetParam());
    demo::MemberFileOptions o;
    o.entries = 57;
    o.year = 2025;
    importfile::LoadError e;
    auto doc = ImportDocument::parse(demo::member_file_xml(m, o), e);
    ASSERT_TRUE(doc) << e.reason;

    EXPECT_EQ(doc->settings().text("IE40_VERSIONE_FILE"), std::optional<std::string>("1.0"));
    EXPECT_EQ(doc->company().text_or_empty("CG16_CODFISCALE"), m.fiscal_code);
    ASSERT_EQ(doc->row_count("CG41_PRIMANOTA"), 57);
    EXPECT_EQ(std::to_string(doc->row_count("CG41_PRIMANOTA")),
              doc->settings().text_or_empty("IE40_CG41_PRIMANOTA"));

    std::set<std::string> numregs;
    std::map<std::string, std::string> parents;
    for (long i = 1; i <= doc->row_count("CG41_PRIMANOTA"); ++i) {
        const auto row = doc->row("CG41_PRIMANOTA", i);
        const std::string numreg = row.text_or_empty("CG41_NUMREG");
        EXPECT_TRUE(numregs.insert(numreg).second) << "duplicate " << numreg;
        EXPECT_LE(numreg.size(), 12u);
        long long debit = 0, credit = 0;
        const long n = doc->child_count("CG41_PRIMANOTA", i, "CG42_MOVCONT");
        EXPECT_GE(n, 2);
        for (long j = 1; j <= n; ++j) {
            const auto a = doc->row_child("CG41_PRIMANOTA", i, "CG42_MOVCONT", j);
            debit += cents(a.text_or_empty("CG42_IMPDARE"));
            credit += cents(a.text_or_empty("CG42_IMPAVERE"));
        }
        EXPECT_EQ(debit, credit) << numreg;
        EXPECT_EQ(debit, cents(row.text_or_empty("CG41_IMPTOTALE"))) << numreg;
        if (auto p = row.text("CG41_RIFPADRE")) parents[numreg] = *p;
    }
    EXPECT_FALSE(parents.empty());
    for (const auto& [child, parent] : parents)
        EXPECT_TRUE(numregs.count(parent)) << child << " -> " << parent;
}

TEST_P(MemberFile, SameSeedGivesTheSameFileAndAnotherSeedAnother) {
    const demo::Member& m = demo::members().at(GetParam());
    demo::MemberFileOptions o;
    o.entries = 20;
    const std::string a = demo::member_file_xml(m, o);
    EXPECT_EQ(a, demo::member_file_xml(m, o));
    o.seed = 2;
    EXPECT_NE(a, demo::member_file_xml(m, o));
}

INSTANTIATE_TEST_SUITE_P(Members, MemberFile, ::testing::Values(0u, 1u));

TEST(MemberFile, ZeroEntriesStillWritesTheMasterData) {
    demo::MemberFileOptions o;
    o.entries = 0;
    importfile::LoadError e;
    auto doc = ImportDocument::parse(demo::member_file_xml(demo::members()[0], o), e);
    ASSERT_TRUE(doc) << e.reason;
    EXPECT_EQ(doc->row_count("CG41_PRIMANOTA"), 0);
    EXPECT_EQ(doc->row_count("CG44_CLIFOR"), static_cast<long>(demo::members()[0].parties.size()));
}

}  // namespace
