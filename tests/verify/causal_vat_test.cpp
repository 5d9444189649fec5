// The causal and VAT-code checks: codes resolved by the group structure's indicator, the
// missing ones created as copies of the member's record (each creation whole or not at
// all), links between causals written once every causal exists.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "case_name.h"
#include "verify/causal_vat_check.h"
#include "verify_fixture.h"

namespace {

using verify::CausalVatCheck;
using verify_test::Indicators;
using verify_test::VerifyFixture;

class CausalVatTest : public VerifyFixture {
  protected:
    std::vector<std::string> causals() {
        return column("SELECT CG33_CODICE FROM CG33_TABCAU ORDER BY CG33_CODICE");
    }
    void run_causals(module::ImportWindow& window, bool expect_error = false) {
        bool error = false;
        CausalVatCheck(window).VerificaTabellaCausaliContabili(error);
        EXPECT_EQ(error, expect_error);
    }
    void run_vat_codes(module::ImportWindow& window) {
        bool error = false;
        CausalVatCheck(window).VerificaTabellaCodiciIVA(error);
        EXPECT_FALSE(error);
    }
};

TEST_F(CausalVatTest, AnExistingCausalIsLeftAsItIs) {
    set_structure({.causals = "0"});
    exec("INSERT INTO CG33_TABCAU (CG33_CODICE, CG33_DESCR) VALUES ('FV', 'Fattura del gruppo')");
    module::ImportWindow& window = open_with(
        "<CG33_TABCAU><Row><CG33_CODICE>FV</CG33_CODICE><CG33_DESCR>Altra</CG33_DESCR></Row></CG33_TABCAU>");
    run_causals(window);
    EXPECT_EQ(log_texts(window), std::vector<std::string>{"CG33_TABCAU|0|10|Codice causale: FV|"});
    EXPECT_EQ(text_of("SELECT CG33_DESCR FROM CG33_TABCAU"), "Fattura del gruppo");
}

// Every column of the row is copied (a date through the day-first conversion); the
// provider id and media columns are the group company's; the description goes into the
// language table under provider 5.
TEST_F(CausalVatTest, AMissingCausalIsCreatedWithItsDescription) {
    set_structure({.causals = "0"});
    module::ImportWindow& window = open_with(
        "<CG33_TABCAU><Row><CG33_IDPROV>777</CG33_IDPROV><CG33_CODICE>NC</CG33_CODICE>"
        "<CG33_DESCR>Nuova causale</CG33_DESCR><CG33_CAUSALEIVA>1</CG33_CAUSALEIVA>"
        "<CG33_DATAINS>31/01/2024 10:20:30</CG33_DATAINS><CG33_IDMEDIA_CG99>5</CG33_IDMEDIA_CG99>"
        "<CG33_SEGNO>1</CG33_SEGNO></Row></CG33_TABCAU>");
    run_causals(window);
    EXPECT_EQ(log_texts(window), std::vector<std::string>{"CG33_TABCAU|0|0|Codice causale: NC|"});
    EXPECT_EQ(row_text("SELECT CG33_CODICE, CG33_DESCR, CG33_CAUSALEIVA, CG33_SEGNO, CG33_IDMEDIA_CG99, "
                       "CG33_DATAINS FROM CG33_TABCAU"),
              "NC  |Nuova causale|1|1|null|2024-01-31 10:20:30");
    EXPECT_NE(text_of("SELECT CG33_IDPROV FROM CG33_TABCAU"), "777");
    EXPECT_EQ(
        row_text("SELECT CG0L_PROVID, CG0L_CODLINGUA_MG52, CG0L_DESCRIZIONE FROM CG0L_DESLINGUA, CG33_TABCAU "
                 "WHERE CG0L_IDPROV = CG33_IDPROV"),
        "5|ITA |Nuova causale");
}

TEST_F(CausalVatTest, LinksAreWrittenOnceBothCausalsExist) {
    set_structure({.causals = "0"});
    module::ImportWindow& window = open_with(
        "<CG33_TABCAU><Row><CG33_CODICE>A1</CG33_CODICE><CG33_CAUSALECOLL>B1</CG33_CAUSALECOLL></Row>"
        "<Row><CG33_CODICE>B1</CG33_CODICE><CG33_CAUSALECOLL></CG33_CAUSALECOLL></Row></CG33_TABCAU>");
    run_causals(window);
    EXPECT_EQ(log_texts(window),
              (std::vector<std::string>{"CG33_TABCAU|0|0|Codice causale: A1|",
                                        "CG33_TABCAU|0|0|Codice causale: B1|",
                                        "CG33_TABCAU|1|0|Codice causale: A1 - Causale coll.: B1|"}));
    EXPECT_EQ(column("SELECT COALESCE(CG33_CAUSALECOLL, 'null') FROM CG33_TABCAU ORDER BY CG33_CODICE"),
              (std::vector<std::string>{"B1  ", "null"}));
}

// Under transcoding the link names the group's code of the linked causal, as the causal
// itself is created under the group's code.
TEST_F(CausalVatTest, ALinkUnderTranscodingNamesTheGroupsCode) {
    set_structure({.causals = "1"});
    add_transcoding(2, "A1", "'GA'");
    add_transcoding(2, "B1", "'GB'");
    module::ImportWindow& window = open_with(
        "<CG33_TABCAU><Row><CG33_CODICE>A1</CG33_CODICE><CG33_CAUSALECOLL>B1</CG33_CAUSALECOLL></Row>"
        "<Row><CG33_CODICE>B1</CG33_CODICE></Row></CG33_TABCAU>");
    run_causals(window);
    EXPECT_EQ(causals(), (std::vector<std::string>{"GA  ", "GB  "}));
    EXPECT_EQ(column("SELECT ISNULL(CG33_CAUSALECOLL, '-') FROM CG33_TABCAU ORDER BY CG33_CODICE"),
              (std::vector<std::string>{"GB  ", "-"}));
    EXPECT_EQ(log_texts(window).back(), "CG33_TABCAU|1|0|Codice causale: GA - Causale coll.: B1|");
}

// A run stopped between creating a causal and writing its link leaves the causal unlinked;
// the next run links it again only when the causal is still what the creation wrote.
struct LostLink {
    const char* name;
    const char* change;  // what happened to A1 between the two runs
    const char* link_after;
};

const LostLink kLostLinks[] = {
    {"ItsOwnCreationIsLinkedAgain", "UPDATE CG33_TABCAU SET CG33_CAUSALECOLL = NULL WHERE CG33_CODICE = 'A1'",
     "B1  "},
    {"ADescriptionChangedSinceStaysUnlinked",
     "UPDATE CG33_TABCAU SET CG33_CAUSALECOLL = NULL, CG33_DESCR = 'Altra' WHERE CG33_CODICE = 'A1'", "-"},
    {"ADescriptionChangedOnlyInItsCaseStaysUnlinked",
     "UPDATE CG33_TABCAU SET CG33_CAUSALECOLL = NULL, CG33_DESCR = 'INCASSO' WHERE CG33_CODICE = 'A1'", "-"},
    {"AnotherInsertionMomentStaysUnlinked",
     "UPDATE CG33_TABCAU SET CG33_CAUSALECOLL = NULL, CG33_DATAINS = '2024-01-31 10:20:31' "
     "WHERE CG33_CODICE = 'A1'",
     "-"},
    {"TheGroupsOwnCausalStaysUnlinked",
     "UPDATE CG33_TABCAU SET CG33_CAUSALECOLL = NULL, CG33_SEGNO = NULL WHERE CG33_CODICE = 'A1'", "-"},
    {"ALinkTheGroupChoseIsKept", "UPDATE CG33_TABCAU SET CG33_CAUSALECOLL = 'ZZ' WHERE CG33_CODICE = 'A1'",
     "ZZ  "},
};

class LostCausalLink : public CausalVatTest, public ::testing::WithParamInterface<LostLink> {};

TEST_P(LostCausalLink, IsWrittenOnlyForTheCausalAsItWasCreated) {
    set_structure({.causals = "0"});
    const std::string file =
        "<CG33_TABCAU><Row><CG33_CODICE>A1</CG33_CODICE><CG33_DESCR>Incasso</CG33_DESCR>"
        "<CG33_SEGNO>1</CG33_SEGNO><CG33_DATAINS>31/01/2024 10:20:30</CG33_DATAINS>"
        "<CG33_UTENTEINS>rossi</CG33_UTENTEINS><CG33_CAUSALECOLL>B1</CG33_CAUSALECOLL></Row>"
        "<Row><CG33_CODICE>B1</CG33_CODICE></Row></CG33_TABCAU>";
    run_causals(open_with(file));
    exec(GetParam().change);
    module::ImportWindow& again = open_with(file);
    run_causals(again);
    const std::string link_after = GetParam().link_after;
    EXPECT_EQ(text_of("SELECT ISNULL(CG33_CAUSALECOLL, '-') FROM CG33_TABCAU WHERE CG33_CODICE = 'A1'"),
              link_after);
    std::vector<std::string> expected{"CG33_TABCAU|0|10|Codice causale: A1|",
                                      "CG33_TABCAU|0|10|Codice causale: B1|"};
    if (link_after == "B1  ") expected.push_back("CG33_TABCAU|1|0|Codice causale: A1 - Causale coll.: B1|");
    EXPECT_EQ(log_texts(again), expected);
}

INSTANTIATE_TEST_SUITE_P(Changes, LostCausalLink, ::testing::ValuesIn(kLostLinks), scripted::ByName());

struct FailedCreation {
    const char* name;
    const char* row;  // the causal's Row content
};

// Whatever makes a creation fail (the description insert, a value the table refuses, a
// code too long for its column), the row is logged as failed and nothing of it stays.
const FailedCreation kFailedCreations[] = {
    {"ApostropheInTheDescription", "<CG33_CODICE>AP</CG33_CODICE><CG33_DESCR>Dell'anno</CG33_DESCR>"},
    {"TextLongerThanItsColumn",
     "<CG33_CODICE>LT</CG33_CODICE><CG33_DESCR>12345678901234567890123456789012345678901</CG33_DESCR>"},
    {"NumberThatIsNotANumber", "<CG33_CODICE>NN</CG33_CODICE><CG33_SEGNO>uno</CG33_SEGNO>"},
    {"CodeLongerThanFour", "<CG33_CODICE>LONGER</CG33_CODICE>"},
    {"QuoteInTheCode", "<CG33_CODICE>Q'</CG33_CODICE>"},
};

class FailedCausalCreation : public CausalVatTest, public ::testing::WithParamInterface<FailedCreation> {};

TEST_P(FailedCausalCreation, LeavesNothingBehindAndTheNextCausalIsCreated) {
    set_structure({.causals = "0"});
    module::ImportWindow& window = open_with(std::string("<CG33_TABCAU><Row>") + GetParam().row +
                                             "</Row><Row><CG33_CODICE>OK</CG33_CODICE></Row></CG33_TABCAU>");
    run_causals(window);
    const std::vector<verify_test::LogRow> rows = log_rows(window);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].state, 50);
    EXPECT_FALSE(rows[0].message.empty());
    EXPECT_EQ(rows[1].text(), "CG33_TABCAU|0|0|Codice causale: OK|");
    EXPECT_EQ(causals(), std::vector<std::string>{"OK  "});
    EXPECT_EQ(text_of("SELECT COUNT(*) FROM CG0L_DESLINGUA"), "1");
    EXPECT_FALSE(window.module_context().state().connection->InTransaction());
}

INSTANTIATE_TEST_SUITE_P(Rows, FailedCausalCreation, ::testing::ValuesIn(kFailedCreations),
                         scripted::ByName());

TEST_F(CausalVatTest, AMissingTranscodingStillCreatesTheMembersCausal) {
    set_structure({.causals = "1"});
    module::ImportWindow& window =
        open_with("<CG33_TABCAU><Row><CG33_CODICE>MC</CG33_CODICE></Row></CG33_TABCAU>");
    run_causals(window);
    EXPECT_EQ(log_texts(window),
              std::vector<std::string>{"CG33_TABCAU|0|31|Codice causale: MC|Transcodifica assente."});
    EXPECT_EQ(causals(), std::vector<std::string>{"MC  "});
}

// The record is created under the group company's code, the one the journal will write.
TEST_F(CausalVatTest, ATranscodedCausalIsCreatedUnderTheInternalCode) {
    set_structure({.causals = "1"});
    add_transcoding(2, "MC", "'GC'");
    module::ImportWindow& window = open_with(
        "<CG33_TABCAU><Row><CG33_CODICE>MC</CG33_CODICE><CG33_DESCR>Da MC</CG33_DESCR></Row></CG33_TABCAU>");
    run_causals(window);
    EXPECT_EQ(log_texts(window), std::vector<std::string>{"CG33_TABCAU|0|0|Codice causale: MC|"});
    EXPECT_EQ(causals(), std::vector<std::string>{"GC  "});
}

TEST_F(CausalVatTest, CausalsHaveNoFixedValueRule) {
    set_structure({.causals = "2"});
    module::ImportWindow& window =
        open_with("<CG33_TABCAU><Row><CG33_CODICE>MC</CG33_CODICE></Row></CG33_TABCAU>");
    run_causals(window);
    EXPECT_EQ(log_texts(window),
              std::vector<std::string>{
                  "CG33_TABCAU|0|99|Codice causale: MC|Tipologia transcodifica NON prevista."});
    EXPECT_TRUE(causals().empty());
}

struct VatCase {
    const char* name;
    const char* indicator;
    const char* fixed;
    const char* expected;
    const char* codes_after;  // VAT codes of the group company after the check
};

const VatCase kVatCases[] = {
    {"UnchangedCreatesTheMissingCode", "0", "NULL", "CG28_TABCODIVA|0|0|Codice Iva: 22N|", "22N ,G22 "},
    {"NoTranscodingCreatesAndFlags", "1", "NULL",
     "CG28_TABCODIVA|0|31|Codice Iva: 22N|Transcodifica assente.", "22N ,G22 "},
    {"FixedPresentCreatesNothing", "2", "'G22'", "CG28_TABCODIVA|0|10|Codice Iva: 22N|", "G22 "},
    {"FixedMissingCreatesNothing", "2", "'X9'", "CG28_TABCODIVA|0|32|Codice Iva: 22N|Elemento fisso assente.",
     "G22 "},
    {"UnknownIndicator", "5", "NULL",
     "CG28_TABCODIVA|0|99|Codice Iva: 22N|Tipologia transcodifica NON prevista.", "G22 "},
};

class VatCodeCheck : public CausalVatTest, public ::testing::WithParamInterface<VatCase> {};

TEST_P(VatCodeCheck, ResolvesAndCreatesByIndicator) {
    const VatCase& c = GetParam();
    set_structure({.vat_codes = c.indicator}, "NULL", "NULL", c.fixed);
    exec("INSERT INTO CG28_TABCODIVA (CG28_CODICE, CG28_DESCR) VALUES ('G22', 'Iva 22')");
    module::ImportWindow& window = open_with(
        "<CG28_TABCODIVA><Row><CG28_CODICE>22N</CG28_CODICE><CG28_DESCR>Iva 22 nuova</CG28_DESCR>"
        "<CG28_ALIQUOTA>22.00</CG28_ALIQUOTA><CG28_DATAINIZIO>01/07/2023</CG28_DATAINIZIO></Row></"
        "CG28_TABCODIVA>");
    run_vat_codes(window);
    EXPECT_EQ(log_texts(window), std::vector<std::string>{c.expected});
    std::string codes;
    for (const std::string& code : column("SELECT CG28_CODICE FROM CG28_TABCODIVA ORDER BY CG28_CODICE"))
        codes += (codes.empty() ? "" : ",") + code;
    EXPECT_EQ(codes, c.codes_after);
}

INSTANTIATE_TEST_SUITE_P(Indicators, VatCodeCheck, ::testing::ValuesIn(kVatCases), scripted::ByName());

TEST_F(CausalVatTest, ANewVatCodeKeepsItsRateAndDatesAndItsDescriptionUnderProvider4) {
    set_structure({.vat_codes = "0"});
    module::ImportWindow& window = open_with(
        "<CG28_TABCODIVA><Row><CG28_CODICE>22N</CG28_CODICE><CG28_DESCR>Iva 22 nuova</CG28_DESCR>"
        "<CG28_ALIQUOTA>22.5</CG28_ALIQUOTA><CG28_DATAINIZIO>01/07/2023</CG28_DATAINIZIO>"
        "<CG28_IDMEDIA_CG99>3</CG28_IDMEDIA_CG99></Row></CG28_TABCODIVA>");
    run_vat_codes(window);
    EXPECT_EQ(row_text("SELECT CG28_ALIQUOTA, CG28_DATAINIZIO, CG28_IDMEDIA_CG99 FROM CG28_TABCODIVA"),
              "22.5|2023-07-01|null");
    EXPECT_EQ(row_text("SELECT CG0L_PROVID, CG0L_DESCRIZIONE FROM CG0L_DESLINGUA"), "4|Iva 22 nuova");
}

TEST(CausalVatStatements, ReadAsTheGroupCompanyExpectsThem) {
    EXPECT_EQ(
        CausalVatCheck::causal_exists_statement("FV").text(),
        " SELECT 'OK' AS ESISTE\r\n FROM CG33_TABCAU WITH (NOLOCK)\r\n WHERE CG33_CODICE = \r\n'FV  '\r\n");
    EXPECT_EQ(
        CausalVatCheck::vat_code_exists_statement("22").text(),
        " SELECT 'OK' AS ESISTE\r\n FROM CG28_TABCODIVA WITH (NOLOCK)\r\n WHERE CG28_CODICE = '22  '\r\n");
    EXPECT_EQ(CausalVatCheck::template_statement(true, "FV").text(),
              " SELECT *\r\n FROM CG33_TABCAU WITH (NOLOCK)\r\n WHERE CG33_CODICE = 'FV'\r\n");
    EXPECT_EQ(CausalVatCheck::link_statement("A1", "B1").text(),
              " UPDATE CG33_TABCAU\r\n SET CG33_CAUSALECOLL = 'B1  '\r\n WHERE CG33_CODICE = 'A1  '\r\n");
    EXPECT_EQ(CausalVatCheck::description_statement(false, 12, "Iva").text(),
              " INSERT INTO CG0L_DESLINGUA (\r\n     CG0L_CODLINGUA_MG52\r\n     , CG0L_PROVID\r\n     , "
              "CG0L_IDPROV\r\n"
              "     , CG0L_DESCRIZIONE\r\n     )\r\n VALUES (\r\n     'ITA '\r\n     , 4\r\n     , 12\r\n"
              "     , 'Iva'\r\n     )\r\n");
}

}  // namespace
