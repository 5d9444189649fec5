// The section and chart-of-accounts checks: every code resolved by the group structure's
// indicator, looked up in the group company, and logged with the state and message of its
// outcome.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "case_name.h"
#include "verify/section_account_check.h"
#include "verify_fixture.h"

namespace {

using verify::SectionAccountCheck;
using verify_test::Indicators;
using verify_test::VerifyFixture;

struct SectionCase {
    const char* name;
    const char* indicator;
    const char* fixed;           // CGG5_DEFAULTSEZ as SQL
    const char* transcoding;     // internal value for member code "M1" as SQL, or "" for none
    const char* group_sections;  // sections of company 1 (INDTIPOLOGIA 0), comma-separated
    const char* expected;        // the log row
};

const SectionCase kSectionCases[] = {
    {"UnchangedIsNeverUsed", "0", "NULL", "", "M1",
     "CG68_NUMERDESC|0|99|Codice sezionale: M1|Tipologia transcodifica NON prevista."},
    {"NullIndicatorCountsAsUnchanged", "NULL", "NULL", "", "M1",
     "CG68_NUMERDESC|0|99|Codice sezionale: M1|Tipologia transcodifica NON prevista."},
    {"TranscodedAndPresent", "1", "NULL", "'G1'", "G1", "CG68_NUMERDESC|0|10|Codice sezionale: M1|"},
    {"TranscodedButMissing", "1", "NULL", "'G9'", "G1",
     "CG68_NUMERDESC|0|32|Codice sezionale: M1|Elemento transcodifica assente."},
    {"NoTranscodingValue", "1", "NULL", "", "G1",
     "CG68_NUMERDESC|0|31|Codice sezionale: M1|Transcodifica assente."},
    {"BlankTranscodingValue", "1", "NULL", "'  '", "G1",
     "CG68_NUMERDESC|0|31|Codice sezionale: M1|Transcodifica assente."},
    {"FixedPresent", "2", "'G1'", "", "G1", "CG68_NUMERDESC|0|10|Codice sezionale: M1|"},
    {"FixedMissing", "2", "'G7'", "", "G1",
     "CG68_NUMERDESC|0|32|Codice sezionale: M1|Elemento fisso assente."},
    {"OneCharacterFixedPaddedToTwo", "2", "'A'", "", "A", "CG68_NUMERDESC|0|10|Codice sezionale: M1|"},
    {"IndicatorThreeNotForSections", "3", "NULL", "", "M1",
     "CG68_NUMERDESC|0|99|Codice sezionale: M1|Tipologia transcodifica NON prevista."},
};

class SectionCheck : public VerifyFixture, public ::testing::WithParamInterface<SectionCase> {};

TEST_P(SectionCheck, LogsTheOutcomeOfEachCode) {
    const SectionCase& c = GetParam();
    Indicators ind;
    ind.sections = c.indicator;
    set_structure(ind, c.fixed);
    if (*c.transcoding) add_transcoding(0, "M1", c.transcoding);
    std::string list = c.group_sections;
    exec("INSERT INTO CG68_NUMERDESC (CG68_DITTA_CG18, CG68_INDTIPOLOGIA, CG68_SEZIONALE) VALUES (1, 0, '" +
         list + "')");
    // The same code of another kind of numbering, or of another company, never counts.
    exec(
        "INSERT INTO CG68_NUMERDESC (CG68_DITTA_CG18, CG68_INDTIPOLOGIA, CG68_SEZIONALE) VALUES (1, 1, "
        "'G7')");
    exec(
        "INSERT INTO CG68_NUMERDESC (CG68_DITTA_CG18, CG68_INDTIPOLOGIA, CG68_SEZIONALE) VALUES (2, 0, "
        "'G9')");
    module::ImportWindow& window =
        open_with("<CG68_NUMERDESC><Row><CG68_SEZIONALE>M1</CG68_SEZIONALE></Row></CG68_NUMERDESC>");
    bool error = false;
    SectionAccountCheck(window).VerificaTabellaSezionali(error);
    EXPECT_FALSE(error);
    EXPECT_EQ(log_texts(window), std::vector<std::string>{c.expected});
    EXPECT_EQ(window.PROGRESS_BAR.value, 1);
}

INSTANTIATE_TEST_SUITE_P(Indicators, SectionCheck, ::testing::ValuesIn(kSectionCases), scripted::ByName());

struct AccountCase {
    const char* name;
    const char* indicator;
    const char* fixed;
    const char* transcoding;  // internal value for member account "M100" as SQL, or ""
    const char* expected;
};

const AccountCase kAccountCases[] = {
    {"UnchangedPresent", "0", "NULL", "", "CG24_TABPDC|0|10|Codice conto: M100|"},
    {"TranscodedPresent", "1", "NULL", "'G100'", "CG24_TABPDC|0|10|Codice conto: M100|"},
    {"TranscodedMissing", "1", "NULL", "'G999'",
     "CG24_TABPDC|0|32|Codice conto: M100|Elemento transcodifica assente."},
    {"NoTranscoding", "1", "NULL", "", "CG24_TABPDC|0|31|Codice conto: M100|Transcodifica assente."},
    {"FixedPresent", "2", "'G100'", "", "CG24_TABPDC|0|10|Codice conto: M100|"},
    {"FixedMissing", "2", "'G999'", "", "CG24_TABPDC|0|32|Codice conto: M100|Elemento fisso assente."},
    {"UnknownIndicator", "7", "NULL", "",
     "CG24_TABPDC|0|99|Codice conto: M100|Tipologia transcodifica NON prevista."},
};

class AccountCheck : public VerifyFixture, public ::testing::WithParamInterface<AccountCase> {};

TEST_P(AccountCheck, LogsTheOutcomeOfEachAccount) {
    const AccountCase& c = GetParam();
    Indicators ind;
    ind.accounts = c.indicator;
    set_structure(ind, "NULL", c.fixed);
    if (*c.transcoding) add_transcoding(3, "M100", c.transcoding);
    exec(
        "INSERT INTO CG24_TABPDC (CG24_GRUPPO_CG10, CG24_CONTO) VALUES (1, 'G100'), (1, 'M100'), (2, "
        "'G999')");
    module::ImportWindow& window =
        open_with("<CG24_TABPDC><Row><CG24_CONTO>M100</CG24_CONTO></Row></CG24_TABPDC>");
    bool error = false;
    SectionAccountCheck(window).VerificaTabellaPianoDeiConti(error);
    EXPECT_FALSE(error);
    EXPECT_EQ(log_texts(window), std::vector<std::string>{c.expected});
}

INSTANTIATE_TEST_SUITE_P(Indicators, AccountCheck, ::testing::ValuesIn(kAccountCases), scripted::ByName());

TEST_F(VerifyFixture, AnAccountMissingFromTheChartIsLoggedAsAbsentAndMastroCodesAreChecked) {
    Indicators ind;
    ind.accounts = "0";
    set_structure(ind);
    module::ImportWindow& window = open_with(
        "<CG24_TABPDC><Row><CG24_CONTO>X1</CG24_CONTO></Row><Row><CG24_CONTO>1101</CG24_CONTO></Row>"
        "</CG24_TABPDC>",
        "<IE40_MASTROCLIENTI>1101</IE40_MASTROCLIENTI>");
    window.import_state().customers_mastro = "1101      ";
    bool error = false;
    SectionAccountCheck(window).VerificaTabellaPianoDeiConti(error);
    EXPECT_EQ(log_texts(window),
              (std::vector<std::string>{"CG24_TABPDC|0|30|Codice conto: X1|Elemento assente.",
                                        "CG24_TABPDC|0|30|Codice conto: 1101|Elemento assente."}));
}

TEST_F(VerifyFixture, WithoutASectionNothingIsLogged) {
    module::ImportWindow& window = open_with("");
    bool error = false;
    SectionAccountCheck check(window);
    check.VerificaTabellaSezionali(error);
    check.VerificaTabellaPianoDeiConti(error);
    EXPECT_FALSE(error);
    EXPECT_TRUE(log_rows(window).empty());
}

// With the account proposal the chart section is ignored and the journal's accounts are
// checked: transcoded, proposed for the causal's VAT causal and the row's operation type,
// or logged as state 33. Mastro accounts get no row; VAT rows ask with operation type 3.
TEST_F(VerifyFixture, AccountProposalChecksTheJournalAccounts) {
    Indicators ind;
    ind.accounts = "3";
    set_structure(ind);
    add_transcoding(3, "T1", "'G100'");
    exec("INSERT INTO CG33_TABCAU (CG33_CODICE, CG33_CAUSALEIVA) VALUES ('FV', '1')");
    exec("INSERT INTO CG37_CONTIPRSSTD (CG37_CODICE, CG37_DESCR) VALUES (7, 'Ricavi'), (2, 'Iva vendite')");
    exec(
        "INSERT INTO CG36_PRSPDC (CG36_GRUPPO_CG10, CG36_CODICE, CG36_CONTO_CG24) VALUES (1, 7, 'R100'), (1, "
        "2, "
        "NULL)");
    set_proposal_setting(7, 7);  // sales, operation type 2
    set_proposal_setting(2, 2);  // sales, operation type 3: code without account
    module::ImportWindow& window = open_with(
        "<CG24_TABPDC><Row><CG24_CONTO>IGNORED</CG24_CONTO></Row></CG24_TABPDC>"
        "<CG41_PRIMANOTA><Row><CG41_CODICE_CG33>FV</CG41_CODICE_CG33>"
        "<CG42_MOVCONT><CG42_CONTOPAR_CG24>1101</CG42_CONTOPAR_CG24><CG42_INDTIPOOPER>1</CG42_INDTIPOOPER>"
        "</CG42_MOVCONT>"
        "<CG42_MOVCONT><CG42_CONTOPAR_CG24>T1</CG42_CONTOPAR_CG24><CG42_INDTIPOOPER>9</CG42_INDTIPOOPER>"
        "</CG42_MOVCONT>"
        "<CG42_MOVCONT><CG42_CONTOPAR_CG24>P1</CG42_CONTOPAR_CG24><CG42_INDTIPOOPER> 2 </CG42_INDTIPOOPER>"
        "</CG42_MOVCONT>"
        "<CG43_MOVIVA><CG43_CONTO_CG24>V1</CG43_CONTO_CG24></CG43_MOVIVA>"
        "</Row></CG41_PRIMANOTA>",
        "<IE40_MASTROCLIENTI>1101</IE40_MASTROCLIENTI>");
    window.import_state().customers_mastro = "1101      ";
    window.import_state().suppliers_mastro = "2101      ";
    bool error = false;
    SectionAccountCheck(window).VerificaTabellaPianoDeiConti(error);
    EXPECT_FALSE(error);
    EXPECT_EQ(
        log_texts(window),
        (std::vector<std::string>{
            "CG24_TABPDC|0|10|Codice conto: T1|",
            "CG24_TABPDC|0|10|Codice conto: P1|",
            "CG24_TABPDC|0|33|Codice conto: V1         - Contropartita: Iva vendite|Elemento proposta conti "
            "PdC assente.",
        }));
    EXPECT_EQ(window.PROGRESS_BAR.value, 1);  // one step per entry
}

TEST_F(VerifyFixture, AnAccountWithoutTranscodingOrProposalEndsTheKeyWithAnEmptyCounterAccount) {
    Indicators ind;
    ind.accounts = "3";
    set_structure(ind);
    module::ImportWindow& window = open_with(
        "<CG41_PRIMANOTA><Row><CG41_CODICE_CG33>ZZ</CG41_CODICE_CG33>"
        "<CG43_MOVIVA><CG43_CONTO_CG24>V1</CG43_CONTO_CG24></CG43_MOVIVA></Row></CG41_PRIMANOTA>");
    bool error = false;
    SectionAccountCheck(window).VerificaTabellaPianoDeiConti(error);
    EXPECT_EQ(log_texts(window),
              std::vector<std::string>{"CG24_TABPDC|0|33|Codice conto: V1         - "
                                       "Contropartita:|Elemento proposta conti PdC assente."});
}

TEST(SectionAccountStatements, ReadAsTheGroupCompanyExpectsThem) {
    EXPECT_EQ(SectionAccountCheck::section_statement(1, "A").text(),
              " SELECT 'OK' AS ESISTE\r\n FROM CG68_NUMERDESC WITH (NOLOCK)\r\n WHERE CG68_DITTA_CG18 = 1\r\n"
              "     AND CG68_INDTIPOLOGIA = 0\r\n     AND CG68_SEZIONALE = 'A '\r\n");
    EXPECT_EQ(SectionAccountCheck::account_statement(-1, "ABCDEFGHIJKL").text(),
              " SELECT 'OK' AS ESISTE\r\n FROM CG24_TABPDC WITH (NOLOCK)\r\n WHERE CG24_GRUPPO_CG10 = -1\r\n"
              "     AND CG24_CONTO = 'ABCDEFGHIJ'\r\n");
}

}  // namespace
