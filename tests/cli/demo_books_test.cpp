// The demo's database and its member files agree: written from the same tables, the codes a
// member's file uses resolve through the group structure the database holds, but for the
// two the bad file is there to show; and the good file brings master data the books lack.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "ado/connection.h"
#include "ado/recordset.h"
#include "ado/sqltext.h"
#include "demo/demo_data.h"
#include "demo/demo_database.h"
#include "demo/member_file.h"
#include "importfile/import_document.h"
#include "refhost/database.h"
#include "temp_dir.h"

namespace {

constexpr int kYear = 2026;

std::string trimmed(const ado::Variant& value) {
    std::string text = value.is_null() ? std::string() : value.to_string();
    const auto first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string()
                                      : text.substr(first, text.find_last_not_of(' ') - first + 1);
}

class DemoBooks : public ::testing::Test {
  protected:
    void SetUp() override {
        refhost::init_database(db_);
        ASSERT_TRUE(demo::populate_database(db_, kYear));
        connection_.Open();
    }

    // The first column of every row, trimmed.
    std::set<std::string> column(const ado::SqlText& sql) {
        std::set<std::string> out;
        for (ado::RecordsetPtr rows = connection_.Execute(sql); !rows->EOF(); rows->MoveNext())
            out.insert(trimmed(rows->GetFields().Item(0).Value()));
        return out;
    }
    std::set<std::string> column(const char* sql) {
        ado::SqlText text;
        text.line(sql);
        return column(text);
    }

    // The member's group structure for the year: its indicators and fixed values, and its
    // transcoding values by kind and external code.
    struct Structure {
        std::map<std::string, std::string> fields;
        std::map<std::pair<int, std::string>, std::string> values;
    };
    Structure structure_of(const demo::Member& m) {
        ado::SqlText sql;
        sql.line(" SELECT CGG5_INDDEFAULTSEZ, CGG5_DEFAULTSEZ, CGG5_INDDEFAULTCONTI, CGG5_INDDEFAULTCAUCONT,")
            .add(" CGG5_INDDEFAULTCODIVA, CGG6_INDTRASC, CGG6_VALESTERNO, CGG6_VALINTERNO")
            .line(" FROM CGG5_STRUTGR LEFT OUTER JOIN CGG6_TRASCODIFVAL ON CGG6_ID_CGG5 = CGG5_ID")
            .line(" WHERE CGG5_ANNO = ")
            .number(kYear)
            .add(" AND CGG5_CODICEAN_CG16 = ")
            .number(m.registry_code);
        Structure s;
        for (ado::RecordsetPtr rows = connection_.Execute(sql); !rows->EOF(); rows->MoveNext()) {
            ado::Fields f = rows->GetFields();
            for (int i = 0; i < 5; ++i) s.fields[f.Item(i).Name()] = trimmed(f.Item(i).Value());
            if (!f.Item(5).Value().is_null())
                s.values[{static_cast<int>(f.Item(5).Value().to_long()), trimmed(f.Item(6).Value())}] =
                    trimmed(f.Item(7).Value());
        }
        return s;
    }

    static std::unique_ptr<importfile::ImportDocument> file_of(const demo::Member& m) {
        demo::MemberFileOptions o;
        o.entries = 8;
        o.year = kYear;
        importfile::LoadError e;
        auto doc = importfile::ImportDocument::parse(demo::member_file_xml(m, o), e);
        EXPECT_TRUE(doc) << e.reason;
        return doc;
    }

    // The codes of a section of the file, as written.
    static std::vector<std::string> codes(const importfile::ImportDocument& doc, const char* section,
                                          const char* element) {
        std::vector<std::string> out;
        for (long i = 1; i <= doc.row_count(section); ++i)
            out.push_back(doc.row(section, i).text_or_empty(element));
        return out;
    }

    static const demo::Member& member(const std::string& first_word) {
        for (const auto& m : demo::members())
            if (m.name.rfind(first_word + " ", 0) == 0) return m;
        throw std::runtime_error("no demo member " + first_word);
    }

    scripted::TempDir dir_;
    std::filesystem::path db_ = dir_ / "books.db";
    ado::Connection connection_{refhost::connection_string(db_)};
};

// Sections and accounts by the rules the group structure gives each member (value rows,
// fixed value); accounts through the account proposal are left to the proposal's own tests.
TEST_F(DemoBooks, EveryMembersSectionAndAccountResolvesButTheTwoOfTheBadFile) {
    const std::set<std::string> sections = column(
        "SELECT CG68_SEZIONALE FROM CG68_NUMERDESC WHERE CG68_DITTA_CG18 = 1 AND CG68_INDTIPOLOGIA = 0");
    const std::set<std::string> accounts =
        column("SELECT CG24_CONTO FROM CG24_TABPDC WHERE CG24_GRUPPO_CG10 = 1");
    std::map<std::string, std::set<std::string>> unresolved;
    for (const auto& m : demo::members()) {
        SCOPED_TRACE(m.name);
        const Structure s = structure_of(m);
        const auto doc = file_of(m);
        ASSERT_TRUE(doc);
        std::set<std::string>& missing = unresolved[m.name];
        const auto resolve = [&](int kind, const std::string& indicator, const std::string& fixed,
                                 const std::set<std::string>& books, const std::string& code) {
            const auto value = s.values.find({kind, code});
            if (indicator == "1") {
                if (value == s.values.end() || !books.count(value->second)) missing.insert(code);
            } else if (indicator == "2") {
                if (!books.count(fixed)) missing.insert(code);
            } else {
                ASSERT_EQ(indicator, "3") << "sections and accounts of the demo are never used unchanged";
            }
        };
        for (const auto& code : codes(*doc, "CG68_NUMERDESC", "CG68_SEZIONALE"))
            resolve(0, s.fields.at("CGG5_INDDEFAULTSEZ"), s.fields.at("CGG5_DEFAULTSEZ"), sections, code);
        for (const auto& code : codes(*doc, "CG24_TABPDC", "CG24_CONTO"))
            resolve(3, s.fields.at("CGG5_INDDEFAULTCONTI"), "", accounts, code);
    }
    const std::map<std::string, std::set<std::string>> expected = {
        {member("Alfa").name, {}}, {member("Beta").name, {}}, {member("Gamma").name, {"GE", "BANCA01"}}};
    EXPECT_EQ(unresolved, expected);
}

// What the good file's import is there to show: a causal with its linked causal, a VAT code,
// customers and suppliers the books lack, among them one legal person new to the group as
// customer and supplier, and one the group knows as a customer only.
TEST_F(DemoBooks, TheGoodFileBringsMasterDataTheBooksLack) {
    const demo::Member& alfa = member("Alfa");
    const Structure s = structure_of(alfa);
    ASSERT_EQ(s.fields.at("CGG5_INDDEFAULTCAUCONT"), "1");
    ASSERT_EQ(s.fields.at("CGG5_INDDEFAULTCODIVA"), "0");
    const auto doc = file_of(alfa);
    ASSERT_TRUE(doc);

    const std::set<std::string> causals = column("SELECT CG33_CODICE FROM CG33_TABCAU");
    std::set<std::string> new_causals;
    for (const auto& code : codes(*doc, "CG33_TABCAU", "CG33_CODICE")) {
        const auto value = s.values.find({2, code});
        ASSERT_NE(value, s.values.end()) << code << " has no transcoding value: its row would be an error";
        if (!causals.count(value->second)) new_causals.insert(value->second);
    }
    EXPECT_EQ(new_causals, (std::set<std::string>{"NCC", "RIMC"}));
    std::map<std::string, std::string> linked;
    for (long i = 1; i <= doc->row_count("CG33_TABCAU"); ++i)
        if (const auto to = doc->row("CG33_TABCAU", i).text("CG33_CAUSALECOLL"))
            linked[doc->row("CG33_TABCAU", i).text_or_empty("CG33_CODICE")] = *to;
    EXPECT_EQ(linked, (std::map<std::string, std::string>{{"NCC", "RIMC"}}));

    const std::set<std::string> vat_codes = column("SELECT CG28_CODICE FROM CG28_TABCODIVA");
    std::set<std::string> new_vat_codes;
    for (const auto& code : codes(*doc, "CG28_TABCODIVA", "CG28_CODICE"))
        if (!vat_codes.count(code)) new_vat_codes.insert(code);
    EXPECT_EQ(new_vat_codes, (std::set<std::string>{"N2"}));

    // Fiscal codes of the group's registry, and of those that are customers or suppliers of
    // the company.
    const std::set<std::string> registry = column("SELECT CG16_CODFISCALE FROM CG16_ANAGGEN");
    std::map<int, std::set<std::string>> of_type;
    for (int type : {0, 1}) {
        ado::SqlText sql;
        sql.line(
               " SELECT CG16_CODFISCALE FROM CG44_CLIFOR JOIN CG16_ANAGGEN ON CG16_CODICE = CG44_CODICE_CG16")
            .line(" WHERE CG44_DITTA_CG18 = 1 AND CG44_TIPOCF = ")
            .number(type);
        of_type[type] = column(sql);
    }
    std::map<std::string, std::set<std::string>> types_of_new_person, types_of_known_person;
    for (long i = 1; i <= doc->row_count("CG44_CLIFOR"); ++i) {
        const auto row = doc->row("CG44_CLIFOR", i);
        const std::string fiscal = row.text_or_empty("CG16_ANAGGEN/CG16_CODFISCALE");
        const std::string type = row.text_or_empty("CG44_TIPOCF");
        if (!registry.count(fiscal))
            types_of_new_person[fiscal].insert(type);
        else if (!of_type[std::stoi(type)].count(fiscal))
            types_of_known_person[fiscal].insert(type);
    }
    EXPECT_EQ(types_of_new_person, (std::map<std::string, std::set<std::string>>{{"NRELCU70A01D612X", {"0"}},
                                                                                 {"04455660109", {"0"}},
                                                                                 {"03344550166", {"0", "1"}},
                                                                                 {"07788990011", {"1"}}}));
    // Ottica Moderna: a customer of the group, a supplier of Alfa.
    EXPECT_EQ(types_of_known_person, (std::map<std::string, std::set<std::string>>{{"03366550156", {"1"}}}));
    EXPECT_TRUE(of_type[0].count("03366550156"));
}

}  // namespace
