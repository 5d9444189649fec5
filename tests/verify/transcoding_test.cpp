// The transcoding lookups the checks and the journal import share, and the verification
// driver that runs the five checks and ends with the log check.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "case_name.h"
#include "verify/transcoding.h"
#include "verify/verification.h"
#include "verify_fixture.h"

namespace {

using verify::Transcoding;
using verify_test::Indicators;
using verify_test::VerifyFixture;

TEST(TranscodingFilter, KeepsTheCodeOneLiteral) {
    EXPECT_EQ(verify::transcoding_filter(2, "FV "), "CGG6_INDTRASC = 2 AND CGG6_VALESTERNO = 'FV '");
    EXPECT_EQ(verify::transcoding_filter(3, "O'K"), "CGG6_INDTRASC = 3 AND CGG6_VALESTERNO = 'O''K'");
}

struct InternalCase {
    const char* name;
    int kind;
    const char* indicator;  // of the kind, as SQL
    const char* external;
    const char* causal;
    int operation_type;
    const char* expected;
};

// Group structure: fixed values S1 / 10 / CF / F100; value rows for each kind mapping
// "EXT" (and the account "O'K") to a group code; the proposal for causal FV, operation 2.
const InternalCase kInternalCases[] = {
    {"UnchangedGivesTheCodeItself", 1, "0", "22", "", 0, "22"},
    {"NullIndicatorIsUnchanged", 1, "NULL", "22", "", 0, "22"},
    {"TranscodedFindsTheValueRow", 1, "1", "EXT", "", 0, "IVA1"},
    {"TranscodedWithoutRowIsEmptyNotTheCode", 1, "1", "OTHER", "", 0, ""},
    {"FixedValue", 2, "2", "ANY", "", 0, "CF"},
    {"SectionFixedValue", 0, "2", "ANY", "", 0, "S1"},
    {"AccountTranscodedFirst", 3, "3", "EXT", "FV", 2, "CONTO1"},
    {"AccountWithQuoteStillOneLiteral", 3, "1", "O'K", "FV", 2, "CONTO2"},
    {"AccountProposedWhenNoValueRow", 3, "3", "NOROW", "FV", 2, "R100"},
    {"AccountNoCausalNoOperationIsEmpty", 3, "3", "EXT", "", 0, ""},
    {"AccountNoProposalIsEmpty", 3, "3", "NOROW", "ZZ", 77, ""},
    {"EmptyExternalIsEmpty", 1, "0", "", "", 0, ""},
    {"UnknownIndicatorIsEmpty", 1, "9", "22", "", 0, ""},
    {"UnknownKindReadsNothingAndIsUnchanged", 8, "1", "22", "", 0, "22"},
};

class InternalValue : public VerifyFixture, public ::testing::WithParamInterface<InternalCase> {};

TEST_P(InternalValue, FollowsTheKindsIndicator) {
    const InternalCase& c = GetParam();
    Indicators ind;
    std::string* slot[] = {&ind.sections, &ind.vat_codes, &ind.causals, &ind.accounts};
    if (c.kind >= 0 && c.kind <= 3) *slot[c.kind] = c.indicator;
    set_structure(ind, "'S1'", "'F100'", "'10'");
    exec("UPDATE CGG5_STRUTGR SET CGG5_DEFAULTCAUCONT = 'CF'");
    add_transcoding(1, "EXT", "'IVA1'");
    add_transcoding(3, "EXT", "'CONTO1'");
    add_transcoding(3, "O''K", "' CONTO2 '");
    exec("INSERT INTO CG33_TABCAU (CG33_CODICE, CG33_CAUSALEIVA) VALUES ('FV', '1')");
    exec("INSERT INTO CG37_CONTIPRSSTD (CG37_CODICE, CG37_DESCR) VALUES (7, 'Ricavi')");
    exec("INSERT INTO CG36_PRSPDC (CG36_GRUPPO_CG10, CG36_CODICE, CG36_CONTO_CG24) VALUES (1, 7, 'R100')");
    set_proposal_setting(7, 7);
    module::ImportWindow& window = open_with("");
    EXPECT_EQ(Transcoding(window).GetValoreInternoTranscodifica(c.kind, ado::Variant(c.external),
                                                                ado::Variant(c.causal), c.operation_type),
              c.expected);
    EXPECT_TRUE(errors_shown().empty());
}

INSTANTIATE_TEST_SUITE_P(Rules, InternalValue, ::testing::ValuesIn(kInternalCases), scripted::ByName());

TEST_F(VerifyFixture, ATranscodingRowWithoutInternalValueIsNoTranscoding) {
    add_transcoding(2, "NUL", "NULL");
    add_transcoding(2, "BLK", "'   '");
    add_transcoding(2, "VAL", "' G1 '");
    module::ImportWindow& window = open_with("");
    Transcoding lookups(window);
    std::string internal = "stale";
    EXPECT_FALSE(lookups.IsPresenteTranscodifica(verify::transcoding_filter(2, "NUL"), internal));
    EXPECT_EQ(internal, "");
    EXPECT_FALSE(lookups.IsPresenteTranscodifica(verify::transcoding_filter(2, "BLK"), internal));
    EXPECT_TRUE(lookups.IsPresenteTranscodifica(verify::transcoding_filter(2, "VAL"), internal));
    EXPECT_EQ(internal, "G1");
    EXPECT_FALSE(lookups.IsPresenteTranscodifica("", internal));
    // The shared group structure keeps no filter from the lookups.
    EXPECT_EQ(window.import_state().group_structure->Filter(), "");
}

TEST_F(VerifyFixture, AMunicipalityCodeIsLookedUpCutToFourCharacters) {
    exec("INSERT INTO CG01_ANAGCOMUNI (CG01_CODICE, CG01_DESCR) VALUES ('H501', 'Roma')");
    module::ImportWindow& window = open_with("");
    Transcoding lookups(window);
    EXPECT_TRUE(lookups.IsPresenteCodiceComune(ado::Variant(" H501")));
    EXPECT_TRUE(lookups.IsPresenteCodiceComune(ado::Variant("H5012")));
    EXPECT_FALSE(lookups.IsPresenteCodiceComune(ado::Variant("F205")));
    EXPECT_FALSE(lookups.IsPresenteCodiceComune(ado::Variant(ado::Null)));
}

// A statement the engine refuses is the lookup's error: reported with its name, and the
// answer false.
TEST_F(VerifyFixture, ARefusedExistenceStatementIsReportedAndAnswersFalse) {
    module::ImportWindow& window = open_with("");
    ado::SqlText sql;
    sql.line(" SELECT 1 FROM CG33_TABCAU WHERE CG33_CODICE = '").value("A'B").add("'");
    EXPECT_FALSE(Transcoding(window).IsPresenteElementoTranscodifica(sql));
    EXPECT_EQ(errors_shown(), std::vector<std::string>{"IsPresenteElementoTranscodifica"});
    EXPECT_FALSE(Transcoding(window).IsPresenteElementoTranscodifica(ado::SqlText()));
}

// The driver.
class DriverTest : public VerifyFixture {
  protected:
    bool verify(module::ImportWindow& window) {
        object->SetUi(viewer);
        bool error = false;
        verify::Verification(window).VerificaTabelleImportazioneFileXML(error);
        return error;
    }
    std::shared_ptr<scripted::ViewerUi> viewer = std::make_shared<scripted::ViewerUi>();
};

TEST_F(DriverTest, AFileWhoseCodesAllResolvePassesAndShowsNoLog) {
    set_structure({.sections = "2", .accounts = "0", .causals = "0", .vat_codes = "0"}, "'G1'");
    exec(
        "INSERT INTO CG68_NUMERDESC (CG68_DITTA_CG18, CG68_INDTIPOLOGIA, CG68_SEZIONALE) VALUES (1, 0, "
        "'G1')");
    exec("INSERT INTO CG24_TABPDC (CG24_GRUPPO_CG10, CG24_CONTO) VALUES (1, 'C100')");
    module::ImportWindow& window = open_with(
        "<CG68_NUMERDESC><Row><CG68_SEZIONALE>01</CG68_SEZIONALE></Row></CG68_NUMERDESC>"
        "<CG24_TABPDC><Row><CG24_CONTO>C100</CG24_CONTO></Row></CG24_TABPDC>"
        "<CG33_TABCAU><Row><CG33_CODICE>NC</CG33_CODICE></Row></CG33_TABCAU>",
        "<IE40_CG68_NUMERDESC>1</IE40_CG68_NUMERDESC><IE40_CG24_TABPDC>1</IE40_CG24_TABPDC>"
        "<IE40_CG33_TABCAU>1</IE40_CG33_TABCAU>");
    window.import_log().set_counter(41);
    EXPECT_FALSE(verify(window));
    EXPECT_TRUE(viewer->texts.empty());
    EXPECT_EQ(window.import_log().counter(), 3);  // restarted from 0
    EXPECT_FALSE(window.import_log().is_open());
    EXPECT_FALSE(window.PROGRESS_BAR.visible);
    EXPECT_EQ(window.MousePointer, module::kPointerDefault);
    EXPECT_EQ(text_of("SELECT CG33_CODICE FROM CG33_TABCAU"), "NC  ");
}

TEST_F(DriverTest, AnErrorRowFailsTheStepAndShowsTheLog) {
    set_structure({.sections = "0", .accounts = "0", .causals = "0", .vat_codes = "0"});
    module::ImportWindow& window =
        open_with("<CG68_NUMERDESC><Row><CG68_SEZIONALE>01</CG68_SEZIONALE></Row></CG68_NUMERDESC>");
    EXPECT_TRUE(verify(window));
    ASSERT_EQ(viewer->texts.size(), 1u);
    EXPECT_EQ(viewer->texts[0],
              "1\tCG68_NUMERDESC\t0\t99\tCodice sezionale: 01\tTipologia transcodifica NON prevista.\r");
}

TEST_F(DriverTest, AnEmptyGroupStructureStopsWithoutALog) {
    module::ImportWindow& window = open_with("");
    window.import_log().EliminaTabellaLogTemporanea();
    ado::RecordsetPtr empty = ado::Recordset::create();
    empty->GetFields().Append("CGG5_ID", ado::adInteger);
    empty->Open();
    window.import_state().group_structure = empty;
    EXPECT_TRUE(verify(window));
    EXPECT_FALSE(window.import_log().is_open());
}

struct MastroCase {
    const char* name;
    const char* header;
    const char* customers;
    const char* suppliers;
};

const MastroCase kMastroCases[] = {
    {"Missing", "", "          ", "          "},
    {"Padded",
     "<IE40_MASTROCLIENTI> 1101</IE40_MASTROCLIENTI><IE40_MASTROFORNITORI>2101</IE40_MASTROFORNITORI>",
     "1101      ", "2101      "},
    {"CutToTen", "<IE40_MASTROCLIENTI>12345678901234</IE40_MASTROCLIENTI>", "1234567890", "          "},
};

class MastroCodes : public DriverTest, public ::testing::WithParamInterface<MastroCase> {};

TEST_P(MastroCodes, AreReadFromTheHeaderAsTenCharacters) {
    module::ImportWindow& window = open_with("", GetParam().header);
    verify(window);
    EXPECT_EQ(window.import_state().customers_mastro, GetParam().customers);
    EXPECT_EQ(window.import_state().suppliers_mastro, GetParam().suppliers);
}

INSTANTIATE_TEST_SUITE_P(Header, MastroCodes, ::testing::ValuesIn(kMastroCases), scripted::ByName());

struct StepCase {
    const char* name;
    const char* accounts_indicator;
    int expected;
};

const StepCase kStepCases[] = {
    {"ChartOfAccounts", "0", 1 + 2 + 30 + 4 + 5 + 6},
    {"JournalWithAccountProposal", "3", 1 + 2 + 700 + 4 + 5 + 6},
};

class StepCount : public DriverTest, public ::testing::WithParamInterface<StepCase> {};

TEST_P(StepCount, SumsTheDeclaredRowCounts) {
    set_structure({.accounts = GetParam().accounts_indicator});
    module::ImportWindow& window =
        open_with("",
                  "<IE40_CG68_NUMERDESC>2</IE40_CG68_NUMERDESC><IE40_CG24_TABPDC>30</IE40_CG24_TABPDC>"
                  "<IE40_CG41_PRIMANOTA>700</IE40_CG41_PRIMANOTA><IE40_CG33_TABCAU>4</IE40_CG33_TABCAU>"
                  "<IE40_CG28_TABCODIVA>5</IE40_CG28_TABCODIVA><IE40_CG44_CLIFOR>6</IE40_CG44_CLIFOR>"
                  "<IE40_CG44_NOTACOUNT>x</IE40_CG44_NOTACOUNT>");
    EXPECT_EQ(verify::Verification(window).step_count(std::stoi(GetParam().accounts_indicator)),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Header, StepCount, ::testing::ValuesIn(kStepCases), scripted::ByName());

}  // namespace
