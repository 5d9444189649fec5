// Failures of the customer/supplier check: the name each procedure hands to the error
// routine, what the answer does, and what stays behind (nothing half-created); and the
// customer/supplier map the check leaves for the journal import.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "ado/connection.h"
#include "case_name.h"
#include "customer_test_fixture.h"
#include "host/log_object.h"
#include "importfile/progress.h"
#include "modulebase/module_context.h"

namespace {

using customer_test::CustomerFixture;
using customer_test::Party;

constexpr const char* kCheck = "VerificaTabellaClientiFornitoriAnagraficheGenerali";

Party party(const std::string& code, const std::string& name) {
    Party p;
    p.clifor = {{"CG44_CLIFOR", code}, {"CG44_TIPOCF", "0"}};
    p.registry = {{"CG16_RAGSOANAG", name}};
    return p;
}

class CheckFailure : public CustomerFixture {
  protected:
    CheckFailure() {
        progressive->values = {501, 502};
        numbering->numbers = {7001, 7002};
    }
    module::ImportWindow& open_two() {
        module::ImportWindow& window = open_with_parties({party("15", "Primo"), party("16", "Secondo")});
        importfile::AggiornaProgressBar(window, importfile::kProgressStart, 10);
        return window;
    }
    ado::Connection& module_connection(module::ImportWindow& window) {
        return *window.module_context().state().connection;
    }
};

TEST_F(CheckFailure, WithoutAFileTheCheckReportsAndStops) {
    module::ImportWindow& window = open_two();
    window.import_state().document.reset();
    EXPECT_TRUE(run(window));
    EXPECT_EQ(errors_shown(), std::vector<std::string>{kCheck});
    EXPECT_FALSE(window.PROGRESS_BAR.visible);
    EXPECT_EQ(window.MousePointer, module::kPointerDefault);
    EXPECT_TRUE(log_rows(window).empty());
    EXPECT_EQ(map_rows(window), std::vector<std::string>{});  // created before the walk
}

// An error inside a creation, answered with abort: the row in hand is logged failed with
// the error's description, the walk stops, the step fails, and nothing was written. Here the
// transaction of path A cannot begin because one is already open on the connection.
TEST_F(CheckFailure, AnErrorInACreationAnsweredAbortStopsTheWalk) {
    module::ImportWindow& window = open_two();
    const std::vector<long> before = table_counts();
    module_connection(window).BeginTrans();
    EXPECT_TRUE(run(window));
    EXPECT_TRUE(module_connection(window).InTransaction());
    module_connection(window).RollbackTrans();

    EXPECT_EQ(errors_shown(), std::vector<std::string>{kCheck});
    EXPECT_EQ(log_texts(window),
              std::vector<std::string>{"CG44_CLIFOR|0|50|Codice cliente sorgente: 15 - Nuovo codice "
                                       "cliente:0|Only one transaction can be active on this session."});
    EXPECT_EQ(table_counts(), before);
    EXPECT_FALSE(window.PROGRESS_BAR.visible);
    EXPECT_EQ(map_rows(window), std::vector<std::string>{});
}

// Answered with ignore, each row is logged failed and the walk goes on; the step still fails.
TEST_F(CheckFailure, AnErrorInACreationAnsweredIgnoreGoesOn) {
    module::ImportWindow& window = open_two();
    window_log().default_answer = host::kAnswerIgnore;
    const std::vector<long> before = table_counts();
    module_connection(window).BeginTrans();
    EXPECT_TRUE(run(window));
    module_connection(window).RollbackTrans();

    EXPECT_EQ(errors_shown(), (std::vector<std::string>{kCheck, kCheck}));
    const std::vector<verify_test::LogRow> rows = log_rows(window);
    ASSERT_EQ(rows.size(), 2u) << ::testing::PrintToString(log_texts(window));
    for (const verify_test::LogRow& row : rows) {
        EXPECT_EQ(row.state, 50);
        EXPECT_EQ(row.message, "Only one transaction can be active on this session.");
    }
    EXPECT_EQ(table_counts(), before);
}

// A statement of the check that fails for a reason other than the row's data is the check's
// error, not a row's: here the module connection is gone.
TEST_F(CheckFailure, AFailingMatchIsTheChecksError) {
    module::ImportWindow& window = open_two();
    module_connection(window).Close();
    EXPECT_TRUE(run(window));
    EXPECT_EQ(errors_shown(), std::vector<std::string>{kCheck});
    const std::vector<verify_test::LogRow> rows = log_rows(window);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].state, 50);
    EXPECT_FALSE(rows[0].message.empty());
    EXPECT_TRUE(progressive->reservations.empty());
}

// The numbering service fails once; the answer decides.
struct NumberingCase {
    std::string name;
    std::int32_t answer = host::kAnswerAbort;
    std::string first_row;  // the first file row's log row
    int runs = 0;
    long customers_added = 0;
    friend void PrintTo(const NumberingCase& c, std::ostream* os) { *os << c.name; }
};

class NumberingFailure : public CheckFailure, public ::testing::WithParamInterface<NumberingCase> {};

TEST_P(NumberingFailure, IsReportedUnderItsOwnName) {
    module::ImportWindow& window = open_two();
    window_log().default_answer = GetParam().answer;
    host.calls->fail("Numbering.Run");
    const long before = customers();
    EXPECT_FALSE(run(window));  // the code procedures do not stop the check
    EXPECT_EQ(errors_shown(), std::vector<std::string>{"GetUltimoCodiceClienteFornitore"});
    const std::vector<std::string> texts = log_texts(window);
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[1], GetParam().first_row);
    EXPECT_EQ(numbering->runs, GetParam().runs);
    EXPECT_EQ(customers(), before + GetParam().customers_added);
    EXPECT_FALSE(module_connection(window).InTransaction());
}

INSTANTIATE_TEST_SUITE_P(
    Answers, NumberingFailure,
    ::testing::Values(
        NumberingCase{"abort", host::kAnswerAbort,
                      "CG44_CLIFOR|0|50|Codice cliente sorgente: 15 - Nuovo codice cliente:0|Impossibile "
                      "recuperare un nuovo codice per il cliente!",
                      2, 1},
        NumberingCase{"retry", host::kAnswerRetry,
                      "CG44_CLIFOR|0|0|Codice cliente sorgente: 15 - Nuovo codice cliente:7001|", 3, 2},
        NumberingCase{"ignore", host::kAnswerIgnore,
                      "CG44_CLIFOR|0|0|Codice cliente sorgente: 15 - Nuovo codice cliente:7001|", 3, 2}),
    scripted::ByName{});

TEST_F(CheckFailure, TheProgressiveServiceFailingIsReportedUnderItsOwnName) {
    module::ImportWindow& window = open_two();
    host.calls->fail("Progressive.Reserve");
    EXPECT_FALSE(run(window));
    EXPECT_EQ(errors_shown(), std::vector<std::string>{"GetNuovoCodiceAnagrafica"});
    const std::vector<std::string> texts = log_texts(window);
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0],
              "CG16_ANAGGEN|1|50|Nuovo codice anagrafica:0|Impossibile recuperare un nuovo codice per "
              "l'anagrafica!");
    EXPECT_EQ(texts[2], "CG16_ANAGGEN|1|0|Nuovo codice anagrafica:501|");
    EXPECT_EQ(numbering->runs, 1);  // the first row's customer was not attempted
}

// The map holds every row that has a group code, two rows of one member code included; it
// is made anew by each run and stays open for the journal import.
TEST_F(CheckFailure, TheMapOfARun) {
    add_registry({200, "06666666666", {}, {}, "Epsilon", {}, {}});
    add_customer(kCompany, 0, 20, 200);
    Party existing = party("15", "Epsilon");
    existing.registry = {{"CG16_PARTIVA", "06666666666"}};
    module::ImportWindow& window =
        open_with_parties({existing, existing, party("17", "Nuovo"), party("18", "")});
    importfile::AggiornaProgressBar(window, importfile::kProgressStart, 10);
    EXPECT_FALSE(run(window));
    EXPECT_EQ(map_rows(window), (std::vector<std::string>{"0|20|15", "0|20|15", "0|7001|17"}));
    EXPECT_EQ(window.PROGRESS_BAR.value, 4);

    window.import_log().CreaTabellaLogTemporanea();
    progressive->values = {502};
    numbering->numbers = {7002};
    EXPECT_FALSE(run(window));
    // The customer created by the first run is found by the second.
    EXPECT_EQ(map_rows(window), (std::vector<std::string>{"0|20|15", "0|20|15", "0|7001|17"}));
    EXPECT_EQ(log_texts(window)[2],
              "CG44_CLIFOR|0|10|Codice cliente sorgente: 17 - Codice anagrafica:501 - Codice "
              "cliente:7001|");
    EXPECT_EQ(window.import_state().customer_supplier_map->State(), ado::adStateOpen);
    const ado::Fields fields = window.import_state().customer_supplier_map->GetFields();
    for (const char* name : {"TIPOCF", "CLIFOR", "CF_SORGENTE"}) {
        EXPECT_EQ(fields.Item(name).Type(), ado::adDecimal) << name;
        EXPECT_EQ(fields.Item(name).NumericScale(), 0) << name;
    }
    EXPECT_EQ(fields.Item("TIPOCF").Precision(), 2);
    EXPECT_EQ(fields.Item("CLIFOR").Precision(), 8);
    EXPECT_EQ(fields.Item("CF_SORGENTE").Precision(), 8);
}

}  // namespace
