// The import window around the file: the first activation (notice, statements/portfolio
// refusal, last folder), messages from the string table, the import command with the
// activity parameters, the fiscal year, and the release of what the window holds.
#include <gtest/gtest.h>

#include <map>

#include <string>
#include <vector>

#include "case_name.h"
#include "history/history_window.h"
#include "import_window_fixture.h"
#include "importfile/exercise.h"

namespace {

using Outcome = module::ImportOutcome;

class ImportWindowTest : public module_test::ImportWindowFixture {
  protected:
    // The VAT activities the activity-parameters service returns.
    static ado::RecordsetPtr activities(int rows) { return scripted::activity_rows(rows); }

    module::ImportWindow& open_with_file() {
        auto& w = open();
        if (choose(w, member_file({}, "in/member.xml"))) throw std::runtime_error("file refused");
        return w;
    }
};

TEST_F(ImportWindowTest, FirstActivationShowsTheNoticeProposesTheLastFolderAndIsNotRepeated) {
    add_history(1, "/srv/imports/2024/member.xml");
    auto& w = open();
    EXPECT_EQ(
        w.LBL_HELP.text,
        "I movimenti saranno importati con la stampa dei registri IVA e la stampa del giornale bollato "
        "effettuate per impedire la modifica delle registrazioni nel gruppo.\r\nEventuali modifiche alle "
        "registrazioni devono essere eseguite nelle singole aziende aderenti e reimportate nel gruppo previa "
        "eliminazione eseguita con il programma: Eliminazione movimenti importati gruppo IVA.");
    EXPECT_EQ(w.TXT_NOMEFILE.text, "/srv/imports/2024/");
    EXPECT_FALSE(w.CMD_IMPORTA.enabled);
    EXPECT_TRUE(w.CMD_STORICO.enabled);
    EXPECT_FALSE(w.TXT_DADATA.enabled);
    EXPECT_EQ(w.QRV_RESIZEFORM.initialisations, 1);
    EXPECT_EQ(messages_since(0), Texts{});
    EXPECT_TRUE(errors_shown().empty());

    // Back to the window after another one: nothing is repeated.
    w.TXT_NOMEFILE.text = "typed";
    const auto mark = host.calls->size();
    w.Activate();
    EXPECT_EQ(host.calls->since(mark), Texts{});
    EXPECT_EQ(w.TXT_NOMEFILE.text, "typed");
    EXPECT_EQ(w.QRV_RESIZEFORM.initialisations, 1);
}

struct StatementIndicator {
    const char* name;
    int index;  // 1..4, 0 for none
    ado::Variant value;
    bool refused;
};

class StatementsPortfolio : public ImportWindowTest,
                            public ::testing::WithParamInterface<StatementIndicator> {};

TEST_P(StatementsPortfolio, ACompanyThatManagesThemIsToldOnceAndCannotImport) {
    const StatementIndicator& c = GetParam();
    if (c.index) host.global->company->indicators[c.index - 1] = c.value;
    auto& w = open();
    EXPECT_EQ(messages_since(0), c.refused ? Texts{"105,2,Attenzione! L'azienda gestisce estratto conto e/o "
                                                   "portafoglio.\nNon è possibile importare le registrazioni "
                                                   "di Co.Ge."}
                                           : Texts{});
    EXPECT_EQ(w.last_outcome().message_id, c.refused ? 105 : 0);

    // A valid file is shown and accepted, but the import stays disabled.
    const auto mark = host.calls->size();
    EXPECT_FALSE(choose(w, member_file()));
    EXPECT_TRUE(w.last_outcome().file_accepted);
    EXPECT_EQ(w.TXT_CODANAIMP.text, "900");
    EXPECT_EQ(w.CMD_IMPORTA.enabled, !c.refused);
    if (c.refused) w.CMD_IMPORTA_ButtonClick();  // a disabled button cannot be pressed
    EXPECT_EQ(host.components().activity->runs, 0);
    w.Activate();
    EXPECT_EQ(messages_since(mark), Texts{});
}

INSTANTIATE_TEST_SUITE_P(Indicators, StatementsPortfolio,
                         ::testing::Values(StatementIndicator{"none", 0, 0, false},
                                           StatementIndicator{"first 1", 1, std::int16_t{1}, true},
                                           StatementIndicator{"second 1 as long", 2, 1, true},
                                           StatementIndicator{"third 1 as text", 3, "1", true},
                                           StatementIndicator{"fourth 1", 4, std::int16_t{1}, true},
                                           StatementIndicator{"second 2", 2, std::int16_t{2}, false},
                                           StatementIndicator{"third null", 3, ado::Null, false}),
                         scripted::ByName());

TEST_F(ImportWindowTest, ShowMessageUsesALogObjectOfItsOwnAndReplacesOnlyTheArgumentsGiven) {
    auto& w = open();
    const std::vector<std::pair<module::Message, std::string>> cases = {
        {{.kind = 3, .code = 102, .p1 = "<br>"}, "102,3,Errore in lettura file xml.<br>%2"},
        {{.kind = 3, .code = 102, .p2 = "only two"}, "102,3,Errore in lettura file xml.%1only two"},
        {{.kind = 2, .code = 999, .p1 = "free %2", .p2 = "x"}, "999,2,free x"},
        {{.kind = 3, .code = 4242}, "4242,3,"}};
    for (const auto& [message, shown] : cases) {
        const auto mark = host.calls->size();
        w.ShowMessage(message);
        EXPECT_EQ(host.calls->since(mark), (Texts{"Classes.CreateLogObject", "Log.SetDefaultButton(0)",
                                                  "Log.ShowMessage(" + shown + ")"}));
        EXPECT_EQ(w.last_outcome().message_id, message.code);
    }
}

// Closing the window afterwards closes the record sets it holds and releases the file.
TEST_F(ImportWindowTest, TheImportCommandRunsEveryStepAndEndsWithMessage107) {
    add_history(1, "/srv/imports/last.xml");
    host.components().activity->result = activities(2);
    auto calls = host.calls;
    host.components().rebuild = [calls] {
        return std::make_shared<scripted::Rebuild>(calls, std::map<std::int32_t, std::int32_t>{});
    };
    auto& w = open_with_file();
    const ado::RecordsetPtr group = w.import_state().group_structure;
    const auto mark = host.calls->size();

    w.CMD_IMPORTA_ButtonClick();

    const auto& service = *host.components().activity;
    EXPECT_EQ(service.runs, 1);
    EXPECT_EQ(service.connection, object->Connection());
    EXPECT_EQ(service.connection_string, host.global->database->connection_string);
    EXPECT_EQ(service.company, 1);
    EXPECT_EQ(service.year, 2024);
    EXPECT_TRUE(service.option);
    EXPECT_EQ(messages_since(mark), Texts{"107,3,Importazione ESEGUITA con successo."});
    const Outcome outcome = w.last_outcome();
    EXPECT_EQ(outcome.completed_step, Outcome::Rebuild);
    EXPECT_EQ(outcome.failed_step, Outcome::None);
    EXPECT_EQ(w.import_state().activity_parameters, service.result);
    // The file had no entry: no history header stays. The window goes back to the last
    // folder, ready for another file.
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM IE42_IMPCOGE"), 1);
    EXPECT_EQ(w.TXT_NOMEFILE.text, "/srv/imports/");
    EXPECT_FALSE(w.CMD_IMPORTA.enabled);
    EXPECT_EQ(w.TXT_CODANAIMP.text, "");

    ASSERT_TRUE(group && service.result);
    EXPECT_EQ(object->CloseForm(), ado::Variant(true));
    EXPECT_EQ(group->State(), ado::adStateClosed);
    EXPECT_EQ(service.result->State(), ado::adStateClosed);
    EXPECT_EQ(w.import_state().group_structure, nullptr);
    EXPECT_EQ(w.import_state().document, nullptr);
}

// A code the group company cannot resolve fails the verification: message 109, the
// following steps never run, and the path box is refreshed.
TEST_F(ImportWindowTest, AnUnresolvedCodeStopsTheImportWithMessage109) {
    host.components().activity->result = activities(1);
    exec("UPDATE CGG5_STRUTGR SET CGG5_INDDEFAULTSEZ = 0");
    std::string xml = module_test::import_xml({});
    xml.replace(xml.find("<CG41_PRIMANOTA/>"), 17,
                "<CG68_NUMERDESC><Row><CG68_SEZIONALE>01</CG68_SEZIONALE></Row></CG68_NUMERDESC>");
    auto& w = open();
    ASSERT_FALSE(choose(w, module_test::write_text(dir / "in" / "sections.xml", xml)));
    const auto mark = host.calls->size();
    const int refreshes = w.TXT_NOMEFILE.text_refreshes;

    w.CMD_IMPORTA_ButtonClick();

    const Outcome outcome = w.last_outcome();
    EXPECT_EQ(outcome.failed_step, Outcome::Verification);
    EXPECT_EQ(outcome.completed_step, Outcome::ActivityParameters);
    EXPECT_EQ(
        messages_since(mark),
        Texts{"109,3,Impossibile proseguire con l'importazione!\nRiscontrata l'assenza di transcodifiche. "});
    EXPECT_EQ(w.TXT_NOMEFILE.text_refreshes, refreshes + 1);
    EXPECT_FALSE(w.import_log().is_open());
}

// A rebuild that fails leaves the entries as written and ends with message 110.
TEST_F(ImportWindowTest, AFailingRebuildEndsWithMessage110) {
    host.components().activity->result = activities(1);
    auto calls = host.calls;
    host.components().rebuild = [calls] {
        return std::make_shared<scripted::Rebuild>(calls, std::map<std::int32_t, std::int32_t>{{3, 9}});
    };
    auto& w = open_with_file();
    const auto mark = host.calls->size();
    w.CMD_IMPORTA_ButtonClick();
    EXPECT_EQ(w.last_outcome().failed_step, Outcome::Rebuild);
    EXPECT_EQ(w.last_outcome().completed_step, Outcome::Journal);
    EXPECT_EQ(
        messages_since(mark),
        Texts{"110,2,ERRORE nella ricostruzione dei progressivi contabili e dei progressivi IVA.\nEseguire "
              "le ricostruzioni dal programma presente nelle utility di contabilità."});
}

struct ActivityFailure {
    const char* name;
    ado::Variant status;
    int rows;  // -1: no service at all
    std::vector<std::string> errors;
};

class ActivityParametersFailure : public ImportWindowTest,
                                  public ::testing::WithParamInterface<ActivityFailure> {};

TEST_P(ActivityParametersFailure, StopsTheImportWithMessage112) {
    const ActivityFailure& c = GetParam();
    host.components().activity->status = c.status;
    host.components().activity->result = activities(c.rows);
    if (c.rows < 0) host.components().activity.reset();
    auto& w = open_with_file();
    const int refreshes = w.TXT_NOMEFILE.list_refreshes;
    const auto mark = host.calls->size();

    w.CMD_IMPORTA_ButtonClick();

    EXPECT_EQ(messages_since(mark),
              Texts{"112,2,Impossibile proseguire con l'importazione!\nERRORE nei parametri "
                    "delle attività esercitate."});
    EXPECT_EQ(errors_shown(), c.errors);
    EXPECT_EQ(w.last_outcome().failed_step, Outcome::ActivityParameters);
    EXPECT_EQ(w.last_outcome().completed_step, Outcome::None);
    EXPECT_EQ(w.import_state().activity_parameters, nullptr);
    EXPECT_EQ(w.TXT_NOMEFILE.list_refreshes, refreshes + 1);
}

INSTANTIATE_TEST_SUITE_P(Failures, ActivityParametersFailure,
                         ::testing::Values(ActivityFailure{"service fails", 3, 2, {}},
                                           ActivityFailure{"no activity for the year", 0, 0, {}},
                                           ActivityFailure{
                                               "no service", 0, -1, {"GeneraRecordsetParametriAttivita"}}),
                         scripted::ByName());

struct ExerciseCase {
    const char* name;
    bool service;  // the host has an exercise service
    ado::Variant status, first, second;
    bool failed_before, failed;
    std::int16_t expected_first, expected_second;
};

class ExerciseOfTheImport : public ImportWindowTest, public ::testing::WithParamInterface<ExerciseCase> {};

TEST_P(ExerciseOfTheImport, ComesFromTheExerciseService) {
    const ExerciseCase& c = GetParam();
    auto service = std::make_shared<scripted::Exercise>();
    service->status = c.status;
    service->first = c.first;
    service->second = c.second;
    host.components().exercise = c.service ? service : nullptr;
    auto& w = open_with_file();
    bool failed = c.failed_before;
    std::int16_t first = -1, second = -1;

    importfile::Exercise(w).DeterminaEsercizioImportazione(failed, first, second);

    EXPECT_EQ(failed, c.failed);
    EXPECT_EQ(first, c.expected_first);
    EXPECT_EQ(second, c.expected_second);
    EXPECT_EQ(service->reference_date, c.service ? "31/12/2024" : "");
    EXPECT_EQ(service->connection, c.service ? object->Connection() : nullptr);
    EXPECT_EQ(errors_shown(), c.service ? Texts{} : Texts{"DeterminaEsercizioImportazione"});
}

INSTANTIATE_TEST_SUITE_P(
    Services, ExerciseOfTheImport,
    ::testing::Values(
        ExerciseCase{"found", true, 0, std::int16_t{2024}, std::int16_t{1}, false, false, 2024, 1},
        ExerciseCase{"missing status and values count as 0", true, ado::Variant(), ado::Variant(), ado::Null,
                     false, false, 0, 0},
        ExerciseCase{"failure", true, 7, 2024, 1, false, true, 2024, 1},
        ExerciseCase{"a flag set by the caller stays set", true, 0, 2024, 1, true, true, 2024, 1},
        ExerciseCase{"no service", false, ado::Variant(), 0, 0, false, true, -1, -1}),
    scripted::ByName());

}  // namespace

// Storico shows the history modally, closes it and proposes the last folder again; the
// user's history rows are in the window while it is up.
TEST_F(ImportWindowTest, HistoryOpensModallyAndProposesTheLastFolderAfter) {
    add_history(1, "/srv/imports/2024/member.xml");
    add_history(2, "/srv/other/x.xml");
    auto& w = open();
    w.TXT_NOMEFILE.text = "typed";
    long rows = -1;
    std::string name;
    ui->user = [&](module::Window& window) {
        auto* history = dynamic_cast<history::HistoryWindow*>(&window);
        ASSERT_NE(history, nullptr);
        rows = history->GRID_STORICO.RowCount();
        name = history->GRID_STORICO.CellText(0, 15);
        history->CMD_CHIUDI_ButtonClick();
    };
    ui->shown.clear();
    w.CMD_STORICO_ButtonClick();
    EXPECT_EQ(ui->shown, (Texts{"created", "modal:Elenco importazioni", "modal returned (closed)"}));
    EXPECT_EQ(rows, 1);
    EXPECT_EQ(name, "/srv/imports/2024/member.xml");
    EXPECT_EQ(w.TXT_NOMEFILE.text, "/srv/imports/2024/");
    EXPECT_TRUE(errors_shown().empty());

    // A front end that returns without closing it: the window is closed all the same.
    ui->user = nullptr;
    ui->shown.clear();
    w.CMD_STORICO_ButtonClick();
    EXPECT_EQ(ui->shown, (Texts{"created", "modal:Elenco importazioni", "modal returned (open)"}));
    EXPECT_TRUE(errors_shown().empty());
}
