#include <cstdlib>
#include <map>
#include <regex>
#include <set>
#include <string_view>

#include <gtest/gtest.h>

#include "case_name.h"
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

// "dd/mm/yyyy" with an optional " hh:mm:ss", naming a day that exists.
bool day_first_date(const std::string& text) {
    static const std::regex form(R"((\d\d)/(\d\d)/(\d{4})( \d\d:\d\d:\d\d)?)");
    std::smatch m;
    if (!std::regex_match(text, m, form)) return false;
    const int day = std::stoi(m[1]), month = std::stoi(m[2]), year = std::stoi(m[3]);
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1 || day > kDays[month - 1]) return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month != 2 || day <= 28 || leap;
}

// Every element under `node` whose name holds "DATA" (the date columns of the tables).
void collect_dates(const pugi::xml_node& node, std::vector<std::string>& out) {
    for (const pugi::xml_node& child : node.children()) {
        if (child.type() != pugi::node_element) continue;
        if (std::string_view(child.name()).find("DATA") != std::string_view::npos)
            out.push_back(child.text().get());
        collect_dates(child, out);
    }
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

TEST_P(MemberFile, MasterRowsCarryTheMembersRecordsWithDayFirstDates) {
    const demo::Member& m = demo::members().at(GetParam());
    demo::MemberFileOptions o;
    o.entries = 4;
    importfile::LoadError e;
    auto doc = ImportDocument::parse(demo::member_file_xml(m, o), e);
    ASSERT_TRUE(doc) << e.reason;

    // A linked causal is one of the same file, so that the import can create both.
    std::set<std::string> causals;
    for (long i = 1; i <= doc->row_count("CG33_TABCAU"); ++i)
        causals.insert(doc->row("CG33_TABCAU", i).text_or_empty("CG33_CODICE"));
    EXPECT_EQ(causals.size(), m.causals.size());
    for (long i = 1; i <= doc->row_count("CG33_TABCAU"); ++i) {
        const auto row = doc->row("CG33_TABCAU", i);
        EXPECT_TRUE(row.text("CG33_DESCR")) << i;
        if (const auto linked = row.text("CG33_CAUSALECOLL")) {
            EXPECT_TRUE(causals.count(*linked)) << *linked;
        }
    }
    for (long i = 1; i <= doc->row_count("CG28_TABCODIVA"); ++i) {
        const auto row = doc->row("CG28_TABCODIVA", i);
        EXPECT_FALSE(row.text_or_empty("CG28_CODICE").empty()) << i;
        EXPECT_TRUE(row.text("CG28_ALIQUOTA")) << i;
    }

    // One legal person, one registry record of the member: a customer that is also a
    // supplier carries the same registry code in both rows.
    std::map<std::string, std::string> registry_of;
    ASSERT_EQ(doc->row_count("CG44_CLIFOR"), static_cast<long>(m.parties.size()));
    for (long i = 1; i <= doc->row_count("CG44_CLIFOR"); ++i) {
        const auto row = doc->row("CG44_CLIFOR", i);
        const std::string type = row.text_or_empty("CG44_TIPOCF");
        EXPECT_TRUE(type == "0" || type == "1") << i;
        EXPECT_FALSE(row.text_or_empty("CG44_CLIFOR").empty()) << i;
        ASSERT_TRUE(row.child("CG16_ANAGGEN").present()) << i;
        const std::string fiscal = row.text_or_empty("CG16_ANAGGEN/CG16_CODFISCALE");
        EXPECT_FALSE(fiscal.empty() || row.text_or_empty("CG16_ANAGGEN/CG16_RAGSOANAG").empty()) << i;
        const std::string registry = row.text_or_empty("CG16_ANAGGEN/CG16_CODICE");
        EXPECT_EQ(row.text_or_empty("CG44_CODICE_CG16"), registry) << i;
        const auto [known, fresh] = registry_of.emplace(fiscal, registry);
        EXPECT_EQ(known->second, registry) << fiscal;
        if (fresh) {
            for (const auto& [other, code] : registry_of) {
                if (other != fiscal) {
                    EXPECT_NE(code, registry) << fiscal << " and " << other;
                }
            }
        }
    }

    std::vector<std::string> dates;
    for (const char* section : {"CG33_TABCAU", "CG28_TABCODIVA", "CG44_CLIFOR"})
        for (long i = 1; i <= doc->row_count(section); ++i) collect_dates(doc->row(section, i).raw(), dates);
    EXPECT_FALSE(dates.empty());
    for (const auto& date : dates) EXPECT_TRUE(day_first_date(date)) << date;
}

INSTANTIATE_TEST_SUITE_P(Members, MemberFile, ::testing::Range<std::size_t>(0, demo::members().size()),
                         [](const ::testing::TestParamInfo<std::size_t>& c) {
                             const std::string& name = demo::members().at(c.param).name;
                             return scripted::case_name(name.substr(0, name.find(' ')));
                         });

TEST(DayFirstDate, TellsRealDaysFromOthers) {
    EXPECT_TRUE(day_first_date("29/02/2024"));
    EXPECT_TRUE(day_first_date("31/12/2026 18:30:00"));
    EXPECT_FALSE(day_first_date("29/02/2026"));
    EXPECT_FALSE(day_first_date("2026-12-31"));
    EXPECT_FALSE(day_first_date("12/31/2026"));
    EXPECT_FALSE(day_first_date("1/1/2026"));
}

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
