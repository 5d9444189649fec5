// A failure forced inside each procedure of the verification: the error routine is handed
// that procedure's name, the answer (abort) leaves it, and its trap leaves what the caller
// sees (the error flag set and the progress indicator closed for the section checks; false
// or the empty text for the lookups; a failed row, rolled back, for a creation).
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "case_name.h"
#include "importfile/progress.h"
#include "verify/causal_vat_check.h"
#include "verify/section_account_check.h"
#include "verify/transcoding.h"
#include "verify_fixture.h"

namespace {

class VerifyFailures;

struct FailureCase {
    const char* name;
    std::function<void(VerifyFailures&)> scenario;
    std::vector<std::string> reported;
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

class VerifyFailures : public verify_test::VerifyFixture, public ::testing::WithParamInterface<FailureCase> {
  public:
    using VerifyFixture::exec;
    using VerifyFixture::log_texts;
    using VerifyFixture::text_of;

    module::ImportWindow& window(const std::string& sections = "") {
        if (window_ == nullptr) window_ = &open_with(sections);
        return *window_;
    }
    // The window with the group structure closed under the procedures' feet.
    module::ImportWindow& window_without_structure(const std::string& sections = "") {
        module::ImportWindow& w = window(sections);
        w.import_state().group_structure->Close();
        importfile::AggiornaProgressBar(w, importfile::kProgressStart, 10);
        return w;
    }
    // A section check stopped by its trap: the flag is set, the bar closed, the pointer reset.
    static void expect_stopped(module::ImportWindow& w, bool error) {
        EXPECT_TRUE(error);
        EXPECT_FALSE(w.PROGRESS_BAR.visible);
        EXPECT_EQ(w.MousePointer, module::kPointerDefault);
    }
    std::vector<std::string> reported() { return errors_shown(); }

  private:
    module::ImportWindow* window_ = nullptr;
};

TEST_P(VerifyFailures, ReportTheProcedureAndLeaveWhatTheTrapSets) {
    GetParam().scenario(*this);
    EXPECT_EQ(reported(), GetParam().reported);
}

const FailureCase kCases[] = {
    {"VerificaTabellaSezionali",
     [](VerifyFailures& t) {
         auto& w = t.window_without_structure(
             "<CG68_NUMERDESC><Row><CG68_SEZIONALE>01</CG68_SEZIONALE></Row>"
             "</CG68_NUMERDESC>");
         bool error = false;
         verify::SectionAccountCheck(w).VerificaTabellaSezionali(error);
         VerifyFailures::expect_stopped(w, error);
         EXPECT_TRUE(VerifyFailures::log_texts(w).empty());
     },
     {"VerificaTabellaSezionali"}},
    {"VerificaTabellaPianoDeiConti",
     [](VerifyFailures& t) {
         auto& w = t.window_without_structure();
         bool error = false;
         verify::SectionAccountCheck(w).VerificaTabellaPianoDeiConti(error);
         VerifyFailures::expect_stopped(w, error);
     },
     {"VerificaTabellaPianoDeiConti"}},
    {"VerificaTabellaCausaliContabili",
     [](VerifyFailures& t) {
         auto& w = t.window_without_structure();
         bool error = false;
         verify::CausalVatCheck(w).VerificaTabellaCausaliContabili(error);
         VerifyFailures::expect_stopped(w, error);
     },
     {"VerificaTabellaCausaliContabili"}},
    {"VerificaTabellaCodiciIVA",
     [](VerifyFailures& t) {
         auto& w = t.window_without_structure();
         bool error = false;
         verify::CausalVatCheck(w).VerificaTabellaCodiciIVA(error);
         VerifyFailures::expect_stopped(w, error);
     },
     {"VerificaTabellaCodiciIVA"}},
    {"InserisceNuovoElementoTabellaCausaliContabili",
     [](VerifyFailures& t) {
         auto& w = t.window(
             "<CG33_TABCAU><Row><CG33_CODICE>NN</CG33_CODICE><CG33_SEGNO>uno</CG33_SEGNO></Row>"
             "</CG33_TABCAU>");
         std::int16_t state = 10;
         std::string message;
         ado::RecordsetPtr links;
         verify::CausalVatCheck(w).InserisceNuovoElementoTabellaCausaliContabili(
             "NN", w.import_state().document->row("CG33_TABCAU", 1), links, state, message);
         EXPECT_EQ(state, 50);
         EXPECT_FALSE(message.empty());
         EXPECT_EQ(t.text_of("SELECT COUNT(*) FROM CG33_TABCAU"), "0");
         EXPECT_FALSE(w.module_context().state().connection->InTransaction());
     },
     {"InserisceNuovoElementoTabellaCausaliContabili"}},
    {"InserisceNuovoElementoTabellaCodiciIVA",
     [](VerifyFailures& t) {
         auto& w = t.window(
             "<CG28_TABCODIVA><Row><CG28_CODICE>X</CG28_CODICE><CG28_ALIQUOTA>22%</CG28_ALIQUOTA>"
             "</Row></CG28_TABCODIVA>");
         std::int16_t state = 10;
         std::string message;
         verify::CausalVatCheck(w).InserisceNuovoElementoTabellaCodiciIVA(
             "X", w.import_state().document->row("CG28_TABCODIVA", 1), state, message);
         EXPECT_EQ(state, 50);
         EXPECT_EQ(t.text_of("SELECT COUNT(*) FROM CG28_TABCODIVA"), "0");
     },
     {"InserisceNuovoElementoTabellaCodiciIVA"}},
    {"IsPresenteElementoTranscodifica",
     [](VerifyFailures& t) {
         auto& w = t.window();
         t.exec("DROP TABLE CG0L_DESLINGUA");
         ado::SqlText sql;
         sql.line(" SELECT 1 FROM CG0L_DESLINGUA");
         EXPECT_FALSE(verify::Transcoding(w).IsPresenteElementoTranscodifica(sql));
     },
     {"IsPresenteElementoTranscodifica"}},
    {"IsPresenteTranscodifica",
     [](VerifyFailures& t) {
         auto& w = t.window_without_structure();
         std::string internal = "stale";
         EXPECT_FALSE(
             verify::Transcoding(w).IsPresenteTranscodifica(verify::transcoding_filter(2, "A"), internal));
         EXPECT_EQ(internal, "");
     },
     {"IsPresenteTranscodifica"}},
    {"IsPresenteCodiceComune",
     [](VerifyFailures& t) {
         auto& w = t.window();
         t.exec("DROP TABLE CG01_ANAGCOMUNI");
         EXPECT_FALSE(verify::Transcoding(w).IsPresenteCodiceComune(ado::Variant("H501")));
     },
     {"IsPresenteCodiceComune"}},
    {"GetValoreInternoTranscodifica",
     [](VerifyFailures& t) {
         auto& w = t.window_without_structure();
         EXPECT_EQ(
             verify::Transcoding(w).GetValoreInternoTranscodifica(1, ado::Variant("22"), ado::Variant(""), 0),
             "");
     },
     {"GetValoreInternoTranscodifica"}},
};

INSTANTIATE_TEST_SUITE_P(EachProcedure, VerifyFailures, ::testing::ValuesIn(kCases), scripted::ByName());

}  // namespace
