// The creation of customers and suppliers the group company lacks: a new registry record
// with its customer in one transaction, or a new customer or supplier on a registry record
// that exists; new codes from the host's components, skipping the ones already taken; and
// nothing left behind when the database refuses a record.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "ado/connection.h"
#include "ado/datetime.h"
#include "case_name.h"
#include "customer_test_fixture.h"
#include "modulebase/module_context.h"
#include "verify/customer_creation.h"

namespace {

using customer_test::CustomerFixture;
using customer_test::Elements;
using customer_test::Party;

const Elements kRegistryElements = {
    {"CG16_CODICE", "77"},
    {"CG16_RAGSOANAG", "Rossi Mario"},
    {"CG16_INDIRIZZO", "Via Verdi 3"},
    {"CG16_CAP", "20100"},
    {"CG16_CITTA", "Milano"},
    {"CG16_PROV", "MI"},
    {"CG16_CODFISCALE", "RSSMRA80A01F205Z"},
    {"CG16_INDPERSFISICA", "1"},
    {"CG16_DATANASCITA", "05/03/1980"},
    {"CG16_COMANA_CG01", "F205"},
    {"CG16_COMFIS_CG01", "Z999"},
    {"CG16_CODICE_CG15", "12"},
    {"CG16_CODRICHIAMO", "ROSSI"},
    {"CG16_GUID", "not-a-guid"},
};

Party member_customer() {
    Party p;
    p.clifor = {
        {"CG44_IDCLIFOR", "999"},
        {"CG44_DITTA_CG18", "7"},
        {"CG44_TIPOCF", "0"},
        {"CG44_CLIFOR", "15"},
        {"CG44_CODICE_CG16", "77"},
        {"CG44_DESCRBREVE", "Rossi"},
        {"CG44_DATAINS", "31/01/2024 10:20:30"},
        {"CG44_NOTE", "Cliente storico"},
        {"CG44_CONTO_CG24", "1101001"},
        {"CG44_CODPAG_CG62", "RB30"},
        {"CG44_CODICE_CG28", "22"},
        {"CG44_IDAGENTE_MG17", "4"},
    };
    p.registry = kRegistryElements;
    return p;
}

class Creation : public CustomerFixture {
  protected:
    Creation() {
        exec("INSERT INTO CG01_ANAGCOMUNI (CG01_CODICE, CG01_DESCR) VALUES ('F205', 'Milano')");
        progressive->values = {501};
        numbering->numbers = {7001};
    }
    std::string registry_row(int code) {
        return row_text(
            "SELECT CG16_RAGSOANAG, CG16_INDIRIZZO, CG16_CAP, CG16_CITTA, CG16_PROV, CG16_CODFISCALE, "
            "CG16_INDPERSFISICA, CG16_DATANASCITA, CG16_COMANA_CG01, CG16_COMFIS_CG01, CG16_COMNASCITA_CG01, "
            "CG16_CODICE_CG15, CG16_CODRICHIAMO, CG16_PARTIVA FROM CG16_ANAGGEN WHERE CG16_CODICE = " +
            std::to_string(code));
    }
    std::string customer_row(int type, int code) {
        return row_text(
            "SELECT CG44_DITTA_CG18, CG44_TIPOCF, CG44_CLIFOR, CG44_CODICE_CG16, CG44_DESCRBREVE, "
            "CG44_DATAINS, "
            "CG44_NOTE, CG44_CONTO_CG24, CG44_CODPAG_CG62, CG44_CODICE_CG28, CG44_IDAGENTE_MG17 FROM "
            "CG44_CLIFOR "
            "WHERE CG44_DITTA_CG18 = 1 AND CG44_TIPOCF = " +
            std::to_string(type) + " AND CG44_CLIFOR = " + std::to_string(code));
    }
    bool in_transaction(module::ImportWindow& window) {
        return window.module_context().state().connection->InTransaction();
    }
};

// Path A: the registry record is a copy of the member's under the code of the progressive
// (links to the member's own tables dropped, a municipality the group lacks as Null); the
// customer is a copy under a new code, without account, payment terms or VAT code.
TEST_F(Creation, ANewRegistryRecordAndItsCustomer) {
    module::ImportWindow& window = open_with_parties({member_customer()});
    EXPECT_FALSE(run(window));

    EXPECT_EQ(log_texts(window),
              (std::vector<std::string>{
                  "CG16_ANAGGEN|1|0|Nuovo codice anagrafica:501|",
                  "CG44_CLIFOR|0|0|Codice cliente sorgente: 15 - Nuovo codice cliente:7001|",
              }));
    EXPECT_EQ(registry_row(501),
              "Rossi Mario|Via Verdi "
              "3|20100|Milano|MI|RSSMRA80A01F205Z|1|1980-03-05|F205|null|null|null|null|null");
    EXPECT_EQ(customer_row(0, 7001),
              "1|0|7001|501|Rossi|2024-01-31 10:20:30|Cliente storico|null|null|null|null");
    EXPECT_EQ(text_of("SELECT COUNT(*) FROM CG16_ANAGGEN WHERE CG16_CODICE = 501 AND CG16_GUID IS NOT NULL"),
              "1");
    EXPECT_EQ(text_of("SELECT COUNT(*) FROM CG44_CLIFOR WHERE CG44_CLIFOR = 7001 AND CG44_GUID IS NOT NULL"
                      " AND CG44_IDCLIFOR <> 999"),
              "1");
    EXPECT_EQ(map_rows(window), std::vector<std::string>{"0|7001|15"});
    EXPECT_FALSE(in_transaction(window));

    // The registry code comes from the ANAGG progressive, on the module's connection string.
    ASSERT_EQ(progressive->reservations.size(), 1u);
    const scripted::Progressive::Reservation& r = progressive->reservations[0];
    EXPECT_EQ(r.connection_string, window.module_context().state().connection_string);
    EXPECT_EQ(r.table, "CG26_PROGANAG");
    ASSERT_EQ(r.keys.size(), 1u);
    EXPECT_EQ(r.keys[0].first, "CG26_CODICE");
    EXPECT_EQ(r.keys[0].second, ado::Variant("ANAGG"));
    EXPECT_EQ(r.value_columns, std::vector<std::string>{"CG26_VALPROG"});
}

// The numbering request is made once and given connection and company; each request then
// asks for a new number of kind 901 (customers) or 902 (anything else), section "00", today.
TEST_F(Creation, TheNumberingRequestOfACustomerAndOfASupplier) {
    Party supplier = member_customer();
    supplier.clifor = {{"CG44_CLIFOR", "16"}, {"CG44_TIPOCF", "1"}};
    supplier.registry = {{"CG16_RAGSOANAG", "Fornitore Due"}};
    progressive->values = {501, 502};
    numbering->numbers = {7001, 8001};
    module::ImportWindow& window = open_with_parties({member_customer(), supplier});
    EXPECT_FALSE(run(window));

    const ado::Variant today(ado::DateTime::today());
    const std::vector<std::pair<std::string, ado::Variant>> request = {
        {"Year", ado::DateTime::today().year()},
        {"CompanyAgain", 1},
        {"Section", "00"},
        {"NumberingKind", 901},
        {"UpdateDate", today},
        {"Date", today},
        {"Operation", 2},
    };
    std::vector<std::pair<std::string, ado::Variant>> expected = {
        {"Connection", "set"},
        {"ConnectionString", window.module_context().state().connection_string},
        {"Company", 1},
    };
    expected.insert(expected.end(), request.begin(), request.end());
    expected.insert(expected.end(), request.begin(), request.end());
    expected[3 + 7 + 3].second = 902;
    EXPECT_EQ(numbering->properties, expected);
    EXPECT_EQ(numbering->runs, 2);
    EXPECT_EQ(customer_row(1, 8001).substr(0, 12), "1|1|8001|502");
    EXPECT_EQ(map_rows(window), (std::vector<std::string>{"0|7001|15", "1|8001|16"}));
}

// Path B: a supplier whose registry record is already a customer of the company gets a new
// supplier on the same record; no registry record is created.
TEST_F(Creation, ASupplierOnARegistryRecordThatIsACustomer) {
    exec(
        "INSERT INTO CG16_ANAGGEN (CG16_CODICE, CG16_RAGSOANAG, CG16_CODFISCALE) VALUES (300, 'Rossi Mario', "
        "'RSSMRA80A01F205Z')");
    add_customer(kCompany, 0, 40, 300);
    add_customer(2, 1, 41, 300);  // a supplier of another company
    Party supplier = member_customer();
    supplier.clifor[2].second = "1";
    numbering->numbers = {8001};
    module::ImportWindow& window = open_with_parties({supplier});
    const long before = registries();
    EXPECT_FALSE(run(window));

    EXPECT_EQ(log_texts(window),
              std::vector<std::string>{"CG44_CLIFOR|0|0|Codice fornitore sorgente: 15 - Codice "
                                       "anagrafica:300 - Nuovo codice fornitore:8001|"});
    EXPECT_EQ(customer_row(1, 8001),
              "1|1|8001|300|Rossi|2024-01-31 10:20:30|Cliente storico|null|null|null|null");
    EXPECT_EQ(registries(), before);
    EXPECT_TRUE(progressive->reservations.empty());
    EXPECT_EQ(map_rows(window), std::vector<std::string>{"1|8001|15"});
    EXPECT_FALSE(in_transaction(window));
}

// A number already taken is passed over; only the company's own codes of the same type count.
struct TakenCase {
    std::string name;
    int company = 1;
    int type = 0;
    int code = 0;  // the code the new customer gets
    int runs = 0;
    friend void PrintTo(const TakenCase& c, std::ostream* os) { *os << c.name; }
};

class TakenCode : public Creation, public ::testing::WithParamInterface<TakenCase> {};

TEST_P(TakenCode, IsSkippedForTheSameCompanyAndType) {
    exec("INSERT INTO CG16_ANAGGEN (CG16_CODICE, CG16_RAGSOANAG) VALUES (300, 'Altro')");
    add_customer(GetParam().company, GetParam().type, 7001, 300);
    numbering->numbers = {7001, 7002};
    module::ImportWindow& window = open_with_parties({member_customer()});
    EXPECT_FALSE(run(window));
    EXPECT_EQ(numbering->runs, GetParam().runs);
    EXPECT_EQ(log_rows(window).back().text(),
              "CG44_CLIFOR|0|0|Codice cliente sorgente: 15 - Nuovo codice cliente:" +
                  std::to_string(GetParam().code) + "|");
    EXPECT_EQ(customer_row(0, GetParam().code).rfind("1|0|" + std::to_string(GetParam().code) + "|501|", 0),
              0u);
}

INSTANTIATE_TEST_SUITE_P(Codes, TakenCode,
                         ::testing::Values(TakenCase{"taken by the company for customers", 1, 0, 7002, 2},
                                           TakenCase{"taken by another company", 2, 0, 7001, 1},
                                           TakenCase{"taken by the company for suppliers", 1, 1, 7001, 1}),
                         scripted::ByName{});

TEST_F(Creation, ARegistryCodeAlreadyUsedIsSkipped) {
    progressive->values = {kMemberRegistryCode, 501};  // the fixture's member company is 900
    module::ImportWindow& window = open_with_parties({member_customer()});
    EXPECT_FALSE(run(window));
    EXPECT_EQ(progressive->reservations.size(), 2u);
    EXPECT_EQ(log_texts(window).front(), "CG16_ANAGGEN|1|0|Nuovo codice anagrafica:501|");
    EXPECT_EQ(text_of("SELECT CG16_RAGSOANAG FROM CG16_ANAGGEN WHERE CG16_CODICE = 900"), "Membro Uno");
}

// Services that never hand out a free code: each loop gives up after its bound and the row
// is refused; the registry record of path A does not stay without its customer.
TEST_F(Creation, NoFreeRegistryCode) {
    progressive->values = {};
    progressive->last = kMemberRegistryCode;
    module::ImportWindow& window = open_with_parties({member_customer()});
    const std::vector<long> before = table_counts();
    EXPECT_FALSE(run(window));
    EXPECT_EQ(progressive->reservations.size(),
              static_cast<std::size_t>(verify::CustomerSupplierCreation::kMaxCodeAttempts));
    EXPECT_EQ(
        log_texts(window),
        (std::vector<std::string>{
            "CG16_ANAGGEN|1|50|Nuovo codice anagrafica:0|Impossibile recuperare un nuovo codice per "
            "l'anagrafica!",
            "CG44_CLIFOR|0|50|Codice cliente sorgente: 15 - Nuovo codice cliente:0|Impossibile recuperare un "
            "nuovo codice per l'anagrafica!",
        }));
    EXPECT_EQ(numbering->runs, 0);
    EXPECT_EQ(table_counts(), before);
}

TEST_F(Creation, NoFreeSupplierCode) {
    numbering->numbers = {};
    numbering->number = 0;
    Party supplier = member_customer();
    supplier.clifor[2].second = "1";
    module::ImportWindow& window = open_with_parties({supplier});
    const std::vector<long> before = table_counts();
    EXPECT_FALSE(run(window));
    EXPECT_EQ(numbering->runs, verify::CustomerSupplierCreation::kMaxCodeAttempts);
    EXPECT_EQ(log_texts(window), (std::vector<std::string>{
                                     "CG16_ANAGGEN|1|0|Nuovo codice anagrafica:501|",
                                     "CG44_CLIFOR|0|50|Codice fornitore sorgente: 15 - Nuovo codice "
                                     "fornitore:0|Impossibile recuperare "
                                     "un nuovo codice per il fornitore!",
                                 }));
    EXPECT_EQ(table_counts(), before);
    EXPECT_FALSE(in_transaction(window));
    EXPECT_EQ(map_rows(window), std::vector<std::string>{});
}

// A record the database refuses ends the row in state 50 with the database's message: a
// refused registry record stops path A before the customer; a refused customer takes its
// new registry record with it.
struct RefusedCase {
    std::string name;
    Elements registry_changes;
    Elements customer_changes;
    bool registry_refused = true;
    bool existing_registry = false;  // path B
    friend void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }
};

class RefusedRecord : public Creation, public ::testing::WithParamInterface<RefusedCase> {};

void change(Elements& elements, const Elements& changes) {
    for (const auto& [name, text] : changes) {
        auto it =
            std::find_if(elements.begin(), elements.end(), [&](const auto& e) { return e.first == name; });
        if (it != elements.end())
            it->second = text;
        else
            elements.emplace_back(name, text);
    }
}

TEST_P(RefusedRecord, LeavesNothingBehind) {
    const RefusedCase& c = GetParam();
    if (c.existing_registry)
        exec(
            "INSERT INTO CG16_ANAGGEN (CG16_CODICE, CG16_RAGSOANAG, CG16_CODFISCALE) VALUES (300, 'Rossi "
            "Mario', "
            "'RSSMRA80A01F205Z')");
    Party party = member_customer();
    change(party.registry, c.registry_changes);
    change(party.clifor, c.customer_changes);
    Party next;
    next.clifor = {{"CG44_CLIFOR", "16"}, {"CG44_TIPOCF", "0"}};
    next.registry = {{"CG16_RAGSOANAG", "Seconda"}};
    progressive->values = {501, 502};
    numbering->numbers = {7001, 7002};
    module::ImportWindow& window = open_with_parties({party, next});
    const long customers_before = customers();
    EXPECT_FALSE(run(window));

    const std::vector<verify_test::LogRow> rows = log_rows(window);
    const std::string suffix =
        c.registry_refused ? " in inserimento anagrafica." : " in inserimento cliente o fornitore.";
    const verify_test::LogRow& refused = rows.at(c.existing_registry ? 0 : 1);
    EXPECT_EQ(refused.table, "CG44_CLIFOR");
    EXPECT_EQ(refused.state, 50);
    ASSERT_GT(refused.message.size(), suffix.size());
    EXPECT_EQ(refused.message.substr(refused.message.size() - suffix.size()), suffix);
    if (!c.existing_registry) {
        EXPECT_EQ(rows[0].table, "CG16_ANAGGEN");
        // The registry's own row tells whether its record was refused; it was written
        // before the customer failed and stays as it was.
        EXPECT_EQ(rows[0].state, c.registry_refused ? 50 : 0);
        EXPECT_EQ(rows[0].message, c.registry_refused ? refused.message : "");
        EXPECT_EQ(numbering->runs, c.registry_refused ? 1 : 2);  // the customer was not attempted
    }
    // The next row is created as usual.
    EXPECT_EQ(rows.back().state, 0);
    EXPECT_EQ(customers(), customers_before + 1);
    EXPECT_EQ(text_of("SELECT COUNT(*) FROM CG16_ANAGGEN WHERE CG16_RAGSOANAG = 'Rossi Mario'"),
              c.existing_registry ? "1" : "0");
    EXPECT_EQ(text_of("SELECT COUNT(*) FROM CG44_CLIFOR WHERE CG44_DESCRBREVE = 'Rossi'"), "0");
    EXPECT_FALSE(in_transaction(window));
    EXPECT_EQ(map_rows(window).size(), 1u);
    EXPECT_TRUE(errors_shown().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Records, RefusedRecord,
    ::testing::Values(
        RefusedCase{"a province longer than its column", {{"CG16_PROV", "MIL"}}, {}},
        RefusedCase{"a name longer than its column", {{"CG16_RAGSOANAG", std::string(61, 'R')}}, {}},
        RefusedCase{"text in a number column of the registry", {{"CG16_INDPERSFISICA", "si"}}, {}},
        RefusedCase{
            "a short name longer than its column", {}, {{"CG44_DESCRBREVE", std::string(41, 'D')}}, false},
        RefusedCase{"text in a number column of the customer", {}, {{"CG44_FLGBLOCCATO", "no"}}, false},
        RefusedCase{"a customer refused on an existing registry record",
                    {},
                    {{"CG44_NOTE", std::string(201, 'N')}},
                    false,
                    true}),
    scripted::ByName{});

}  // namespace
