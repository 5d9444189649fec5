// The customer/supplier check finding the group company's customer: the three ways of
// matching a registry record (VAT number, tax code, name with address and city), the order
// among them, and the rows that cannot be matched at all.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "case_name.h"
#include "customer_test_fixture.h"

namespace {

using customer_test::CustomerFixture;
using customer_test::Elements;
using customer_test::Party;
using customer_test::Registry;

// The group company's registry records; each is a customer of the company with code
// registry code + 1000.
const std::vector<Registry> kRegistries = {
    {100, "01111111111", {}, "01111111111", "Alfa S.r.l.", "Via Uno 1", "Roma"},
    {101, {}, {}, "BNCLRA70B41F205X", "Laura Bianchi", "Via Due 2", "Milano"},
    {102, {}, {}, {}, "L'Ape d'Oro", {}, "Napoli"},
    {103, "02222222222", "ESB12345678", {}, "Iberica", {}, {}},
    {104, "03333333333", {}, "GRNPLA60C01L219K", "Paolo Verdi", {}, {}},
    {105, "04444444444", {}, {}, "Delta", {}, {}},
};

struct MatchCase {
    std::string name;
    Elements registry;  // the file row's CG16_ANAGGEN elements
    int matched = 0;    // the registry record found; 0: none, a new one is created
    friend void PrintTo(const MatchCase& c, std::ostream* os) { *os << c.name; }
};

class RegistryMatch : public CustomerFixture, public ::testing::WithParamInterface<MatchCase> {
  protected:
    RegistryMatch() {
        for (const Registry& r : kRegistries) {
            add_registry(r);
            add_customer(kCompany, 0, r.code + 1000, r.code);
        }
        progressive->values = {501};
        numbering->numbers = {7001};
    }
};

TEST_P(RegistryMatch, FindsTheRegistryRecordOrCreatesOne) {
    const MatchCase& c = GetParam();
    Party party;
    party.registry = c.registry;
    module::ImportWindow& window = open_with_parties({party});
    const long before = registries();
    EXPECT_FALSE(run(window));

    if (c.matched != 0) {
        const std::string customer = std::to_string(c.matched + 1000);
        EXPECT_EQ(log_texts(window), std::vector<std::string>{
                                         "CG44_CLIFOR|0|10|Codice cliente sorgente: 15 - Codice anagrafica:" +
                                         std::to_string(c.matched) + " - Codice cliente:" + customer + "|"});
        EXPECT_EQ(map_rows(window), std::vector<std::string>{"0|" + customer + "|15"});
        EXPECT_EQ(registries(), before);
        EXPECT_EQ(numbering->runs, 0);
    } else {
        EXPECT_EQ(log_texts(window),
                  (std::vector<std::string>{
                      "CG16_ANAGGEN|1|0|Nuovo codice anagrafica:501|",
                      "CG44_CLIFOR|0|0|Codice cliente sorgente: 15 - Nuovo codice cliente:7001|",
                  }));
        EXPECT_EQ(map_rows(window), std::vector<std::string>{"0|7001|15"});
        EXPECT_EQ(registries(), before + 1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Branches, RegistryMatch,
    ::testing::Values(
        MatchCase{"VAT number and tax code equal",
                  {{"CG16_PARTIVA", "01111111111"},
                   {"CG16_CODFISCALE", "01111111111"},
                   {"CG16_RAGSOANAG", "Other"}},
                  100},
        MatchCase{"VAT number with both tax codes empty", {{"CG16_PARTIVA", "04444444444"}}, 105},
        MatchCase{"tax code when the file has no VAT number", {{"CG16_CODFISCALE", "BNCLRA70B41F205X"}}, 101},
        MatchCase{"tax code when the registry has no VAT number",
                  {{"CG16_PARTIVA", "09999999999"}, {"CG16_CODFISCALE", "BNCLRA70B41F205X"}},
                  101},
        MatchCase{"tax code of another person",
                  {{"CG16_CODFISCALE", "BNCLRA70B41F205Y"}, {"CG16_RAGSOANAG", "Laura Bianchi"}},
                  0},
        MatchCase{
            "name and city with the registry's address missing",
            {{"CG16_RAGSOANAG", "L'Ape d'Oro"}, {"CG16_INDIRIZZO", "Via Tre"}, {"CG16_CITTA", "Napoli"}},
            102},
        MatchCase{"name with the file's city missing", {{"CG16_RAGSOANAG", "L'Ape d'Oro"}}, 102},
        MatchCase{"name in another city", {{"CG16_RAGSOANAG", "L'Ape d'Oro"}, {"CG16_CITTA", "Roma"}}, 0},
        MatchCase{"name at another address",
                  {{"CG16_RAGSOANAG", "Alfa S.r.l."}, {"CG16_INDIRIZZO", "Via Sei"}, {"CG16_CITTA", "Roma"}},
                  0},
        MatchCase{
            "foreign VAT number of the registry compared first", {{"CG16_PARTIVA", "ESB12345678"}}, 103},
        MatchCase{"VAT number of a registry that has a foreign one",
                  {{"CG16_PARTIVA", "02222222222"}, {"CG16_RAGSOANAG", "Iberica"}},
                  0},
        MatchCase{"foreign VAT number of the file when its VAT number is empty",
                  {{"CG16_PARTIVA", ""}, {"CG16_PARTIVA_EST", "04444444444"}, {"CG16_RAGSOANAG", "Anything"}},
                  105},
        MatchCase{"VAT number without tax code against a registry with one",
                  {{"CG16_PARTIVA", "03333333333"}, {"CG16_RAGSOANAG", "Paolo Verdi"}},
                  0}),
    scripted::ByName{});

// Several registry records match: the VAT number beats the tax code, which beats the name,
// whatever order they were written in.
struct PrecedenceCase {
    std::string name;
    std::vector<Registry> registries;
    int matched = 0;
    friend void PrintTo(const PrecedenceCase& c, std::ostream* os) { *os << c.name; }
};

const Registry kByVat{301, "05555555555", {}, "05555555555", "Gamma", {}, {}};
const Registry kByTaxCode{302, {}, {}, "05555555555", "Gamma", {}, {}};
const Registry kByName{303, {}, {}, {}, "Gamma", {}, {}};

class MatchPrecedence : public CustomerFixture, public ::testing::WithParamInterface<PrecedenceCase> {};

TEST_P(MatchPrecedence, TheLowestOrderWins) {
    for (const Registry& r : GetParam().registries) {
        add_registry(r);
        add_customer(kCompany, 0, r.code + 1000, r.code);
    }
    Party party;
    party.registry = {
        {"CG16_PARTIVA", "05555555555"}, {"CG16_CODFISCALE", "05555555555"}, {"CG16_RAGSOANAG", "Gamma"}};
    module::ImportWindow& window = open_with_parties({party});
    EXPECT_FALSE(run(window));
    const std::string matched = std::to_string(GetParam().matched);
    EXPECT_EQ(log_texts(window),
              std::vector<std::string>{"CG44_CLIFOR|0|10|Codice cliente sorgente: 15 - Codice anagrafica:" +
                                       matched + " - Codice cliente:1" + matched + "|"});
}

INSTANTIATE_TEST_SUITE_P(
    Order, MatchPrecedence,
    ::testing::Values(PrecedenceCase{"VAT number written last", {kByName, kByTaxCode, kByVat}, 301},
                      PrecedenceCase{"VAT number written first", {kByVat, kByName, kByTaxCode}, 301},
                      PrecedenceCase{"tax code before name", {kByName, kByTaxCode}, 302},
                      PrecedenceCase{"name alone", {kByName}, 303}),
    scripted::ByName{});

// Only the VAT number, the tax code and the name count as registry data: a row without
// them is refused before any lookup, even with a foreign VAT number.
struct NoDataCase {
    std::string name;
    Party party;
    friend void PrintTo(const NoDataCase& c, std::ostream* os) { *os << c.name; }
};

class NoRegistryData : public CustomerFixture, public ::testing::WithParamInterface<NoDataCase> {};

TEST_P(NoRegistryData, IsRefusedAndNothingIsWritten) {
    module::ImportWindow& window = open_with_parties({GetParam().party});
    const std::vector<long> before = table_counts();
    EXPECT_FALSE(run(window));
    EXPECT_EQ(log_texts(window),
              std::vector<std::string>{
                  "CG44_CLIFOR|0|50|Codice cliente sorgente: 15|Nessun dato anagrafico valorizzato!"});
    EXPECT_EQ(table_counts(), before);
    EXPECT_EQ(map_rows(window), std::vector<std::string>{});
    EXPECT_TRUE(progressive->reservations.empty());
    EXPECT_EQ(numbering->runs, 0);
}

Party without_registry() {
    Party p;
    p.with_registry = false;
    return p;
}
Party with_registry(Elements elements) {
    Party p;
    p.registry = std::move(elements);
    return p;
}

INSTANTIATE_TEST_SUITE_P(Rows, NoRegistryData,
                         ::testing::Values(NoDataCase{"no registry element", without_registry()},
                                           NoDataCase{"empty registry element", with_registry({})},
                                           NoDataCase{"empty VAT number tax code and name",
                                                      with_registry({{"CG16_PARTIVA", ""},
                                                                     {"CG16_CODFISCALE", ""},
                                                                     {"CG16_RAGSOANAG", ""},
                                                                     {"CG16_CITTA", "Roma"}})},
                                           NoDataCase{"only a foreign VAT number",
                                                      with_registry({{"CG16_PARTIVA_EST", "DE123456789"}})}),
                         scripted::ByName{});

// The type decides the words of the key and the customer looked for; a row without a type
// is handled as type -1 (a supplier's words), without a code as member code 0.
struct KeyCase {
    std::string name;
    Elements clifor;
    std::string key;
    std::string map;
    friend void PrintTo(const KeyCase& c, std::ostream* os) { *os << c.name; }
};

class KeyAndType : public CustomerFixture, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(KeyAndType, TheTypeNamesTheCustomerOrSupplier) {
    add_registry({200, "06666666666", {}, {}, "Epsilon", {}, {}});
    add_customer(kCompany, 0, 20, 200);
    add_customer(kCompany, 1, 21, 200);
    add_customer(kCompany, -1, 22, 200);
    Party party;
    party.clifor = GetParam().clifor;
    party.registry = {{"CG16_PARTIVA", "06666666666"}};
    module::ImportWindow& window = open_with_parties({party});
    EXPECT_FALSE(run(window));
    EXPECT_EQ(log_texts(window), std::vector<std::string>{"CG44_CLIFOR|0|10|" + GetParam().key + "|"});
    EXPECT_EQ(map_rows(window), std::vector<std::string>{GetParam().map});
}

INSTANTIATE_TEST_SUITE_P(
    Types, KeyAndType,
    ::testing::Values(KeyCase{"customer",
                              {{"CG44_CLIFOR", "15"}, {"CG44_TIPOCF", "0"}},
                              "Codice cliente sorgente: 15 - Codice anagrafica:200 - Codice cliente:20",
                              "0|20|15"},
                      KeyCase{"supplier",
                              {{"CG44_CLIFOR", "15"}, {"CG44_TIPOCF", "1"}},
                              "Codice fornitore sorgente: 15 - Codice anagrafica:200 - Codice fornitore:21",
                              "1|21|15"},
                      KeyCase{"no type",
                              {{"CG44_CLIFOR", "15"}},
                              "Codice fornitore sorgente: 15 - Codice anagrafica:200 - Codice fornitore:22",
                              "-1|22|15"},
                      KeyCase{"a type that is not a number",
                              {{"CG44_CLIFOR", "15"}, {"CG44_TIPOCF", "C"}},
                              "Codice fornitore sorgente: 15 - Codice anagrafica:200 - Codice fornitore:22",
                              "-1|22|15"},
                      KeyCase{"no member code",
                              {{"CG44_TIPOCF", "0"}},
                              "Codice cliente sorgente: 0 - Codice anagrafica:200 - Codice cliente:20",
                              "0|20|0"}),
    scripted::ByName{});

// A quote in the VAT number or the tax code cannot change the statement: the row is refused
// with the database's message and the next row is still checked.
TEST_F(CustomerFixture, AQuoteInTheVatNumberRefusesOnlyThatRow) {
    add_registry({200, "06666666666", {}, {}, "Epsilon", {}, {}});
    add_customer(kCompany, 0, 20, 200);
    Party quoted;
    quoted.registry = {{"CG16_PARTIVA", "0666'6"}};
    Party fine;
    fine.clifor = {{"CG44_CLIFOR", "16"}, {"CG44_TIPOCF", "0"}};
    fine.registry = {{"CG16_PARTIVA", "06666666666"}};
    module::ImportWindow& window = open_with_parties({quoted, fine});
    const long before = registries();
    EXPECT_FALSE(run(window));
    const std::vector<verify_test::LogRow> rows = log_rows(window);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].state, 50);
    EXPECT_EQ(rows[0].key, "Codice cliente sorgente: 15");
    EXPECT_NE(rows[0].message.find("quotation mark"), std::string::npos) << rows[0].message;
    EXPECT_EQ(rows[1].text(),
              "CG44_CLIFOR|0|10|Codice cliente sorgente: 16 - Codice anagrafica:200 - Codice cliente:20|");
    EXPECT_EQ(registries(), before);
    EXPECT_TRUE(errors_shown().empty());
}

}  // namespace
