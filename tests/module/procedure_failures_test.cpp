// A failure forced inside each procedure of the import window, of the file and of the log,
// through the scripted host (a host call that fails), the path box's front-end side or the
// database (a table gone): the error routine is handed that procedure's name, the user's
// answer (abort) leaves it, and what its trap sets is what the caller sees.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "case_name.h"
#include "import_window_fixture.h"
#include "importfile/exercise.h"
#include "importfile/file_opener.h"
#include "log/import_log.h"

namespace {

using module_test::FileParts;
using Outcome = module::ImportOutcome;

class ProcedureFailures;

struct FailureCase {
    const char* name;
    // Forces the failure, does what reaches the procedure and checks what its trap left.
    std::function<void(ProcedureFailures&)> scenario;
    // The procedure names handed to the error routine, in order.
    std::vector<std::string> reported;
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

class ProcedureFailures : public module_test::ImportWindowFixture,
                          public ::testing::WithParamInterface<FailureCase> {
  public:
    // What the scenarios reach.
    using ImportWindowFixture::add_history;
    using ImportWindowFixture::exec;
    using ImportWindowFixture::host;
    using ImportWindowFixture::object;

    // The window with the path box's front-end side, which the scenario may make fail.
    module::ImportWindow& window() {
        if (window_ == nullptr) {
            window_ = &open();
            window_->TXT_NOMEFILE.view = std::make_shared<scripted::PathBoxView>(host.calls);
        }
        return *window_;
    }
    // Names the member's file; returns the cancel flag.
    bool choose_file(const FileParts& parts = {}) { return choose(window(), member_file(parts)); }
    void accept_file() {
        if (choose_file()) throw std::runtime_error("the member's file was refused");
    }
    void drop_history() {
        exec("DROP TABLE IE43_DETTIMPCOGE");
        exec("DROP TABLE IE42_IMPCOGE");
    }
    // The procedures the error routine was handed, from every log object's calls.
    Texts reported() const {
        Texts procedures;
        for (const std::string& call : host.calls->calls())
            if (call.rfind("Log.ShowError(", 0) == 0) procedures.push_back(call.substr(14, call.size() - 15));
        return procedures;
    }
    bool shown(int code) const {
        for (const std::string& m : messages_since(0))
            if (m.rfind(std::to_string(code) + ",", 0) == 0) return true;
        return false;
    }
    // An open import log on the window's module context.
    importlog::ImportLog& log() {
        if (!log_) {
            log_ = std::make_unique<importlog::ImportLog>(object->context());
            log_->CreaTabellaLogTemporanea();
            if (!log_->is_open()) throw std::runtime_error("the log did not open");
        }
        return *log_;
    }

  private:
    module::ImportWindow* window_ = nullptr;
    std::unique_ptr<importlog::ImportLog> log_;
};

TEST_P(ProcedureFailures, ReportTheProcedureAndLeaveWhatTheTrapSets) {
    GetParam().scenario(*this);
    EXPECT_EQ(reported(), GetParam().reported);
}

const FailureCase kCases[] = {
    {"Form_Load",
     [](ProcedureFailures& t) {
         t.host.calls->fail("ConnectionFactory.NewConnection");
         t.window();
         EXPECT_EQ(t.object->Connection(), nullptr);  // the window stays without a database
     },
     // Without a database the activation cannot read the last import either.
     {"Form_Load", "ImpostaSuggerimentoUltimoFolder"}},
    {"Form_Activate",
     [](ProcedureFailures& t) {
         t.host.calls->fail("ClsGlobal.Company");
         auto& w = t.window();
         EXPECT_FALSE(w.activated());  // the next activation tries again
         EXPECT_EQ(w.LBL_HELP.text, "");
         EXPECT_FALSE(t.host.calls->contains("Forms.Register(1001,0,1,'')"));
     },
     {"Form_Activate"}},
    {"InizializzaScriptELayout",
     [](ProcedureFailures& t) {
         t.host.calls->fail("Navigator.Notify");
         auto& w = t.window();
         EXPECT_FALSE(t.host.calls->contains("Forms.Register(1001,0,1,'')"));
         EXPECT_EQ(t.host.global->application, nullptr);
         EXPECT_TRUE(w.activated());  // the activation goes on without the registration
     },
     {"InizializzaScriptELayout"}},
    {"ExecuteFormEvent",
     [](ProcedureFailures& t) {
         t.host.calls->fail("Forms.Register");
         auto& w = t.window();
         EXPECT_NE(t.host.global->application, nullptr);  // its caller goes on
         EXPECT_TRUE(w.activated());
     },
     {"ExecuteFormEvent"}},
    {"Form_QueryUnload",
     [](ProcedureFailures& t) {
         t.window();
         t.host.calls->fail("Forms.CloseAnswer");
         // The cancel flag keeps its value: the window closes.
         EXPECT_EQ(t.object->CloseForm(), ado::Variant(true));
         EXPECT_FALSE(t.window().IsLoaded());
     },
     {"Form_QueryUnload"}},
    {"ImpostaSuggerimentoUltimoFolder",
     [](ProcedureFailures& t) {
         t.add_history(1, "/srv/imports/last.xml");
         t.drop_history();
         auto& w = t.window();
         EXPECT_EQ(w.TXT_NOMEFILE.text, "");
         EXPECT_FALSE(w.CMD_IMPORTA.enabled);
         EXPECT_TRUE(w.activated());
     },
     {"ImpostaSuggerimentoUltimoFolder"}},
    {"IsFileGiaImportato",
     [](ProcedureFailures& t) {
         t.window();
         t.drop_history();
         // Not known as imported: no question, and the file is opened.
         EXPECT_FALSE(t.choose_file());
         EXPECT_FALSE(t.shown(113));
         EXPECT_TRUE(t.window().last_outcome().file_accepted);
     },
     {"IsFileGiaImportato"}},
    {"ApreFileDaImportare",
     [](ProcedureFailures& t) {
         t.accept_file();
         t.host.calls->fail("PathBox.Usable");
         EXPECT_TRUE(t.choose_file());
         EXPECT_FALSE(t.window().CMD_IMPORTA.enabled);  // the previous file is not importable
         EXPECT_FALSE(t.window().last_outcome().file_accepted);
     },
     {"ApreFileDaImportare"}},
    {"ApreFileXML: the file object",
     [](ProcedureFailures& t) {
         t.accept_file();
         t.host.calls->fail("PathBox.FileOf");
         EXPECT_TRUE(t.choose_file());
         EXPECT_FALSE(t.window().CMD_IMPORTA.enabled);
         EXPECT_EQ(t.window().TXT_CODANAIMP.text, "");
     },
     {"ApreFileXML"}},
    {"ApreFileXML: a last movement date that is not a date",
     [](ProcedureFailures& t) {
         t.accept_file();
         EXPECT_TRUE(t.choose_file({.to_date = "31/02/2024x"}));
         EXPECT_FALSE(t.window().CMD_IMPORTA.enabled);
         EXPECT_FALSE(t.window().last_outcome().file_accepted);
     },
     {"ApreFileXML"}},
    {"GeneraRecordSetStrutturaAnno",
     [](ProcedureFailures& t) {
         t.window();
         t.exec("DROP TABLE CGG6_TRASCODIFVAL");
         // Not found: the file is refused as coming from outside the group.
         EXPECT_TRUE(t.choose_file());
         EXPECT_TRUE(t.shown(106));
         EXPECT_EQ(t.window().import_state().group_structure, nullptr);
     },
     {"GeneraRecordSetStrutturaAnno"}},
    {"GeneraRecordsetParametriAttivita",
     [](ProcedureFailures& t) {
         t.accept_file();
         t.host.calls->fail("Activity.Run");
         t.window().CMD_IMPORTA_ButtonClick();
         // The trap set the error flag: the command stops with message 112.
         EXPECT_EQ(t.window().last_outcome().failed_step, Outcome::ActivityParameters);
         EXPECT_TRUE(t.shown(112));
     },
     {"GeneraRecordsetParametriAttivita"}},
    {"CMD_IMPORTA_ButtonClick",
     [](ProcedureFailures& t) {
         t.accept_file();
         t.host.calls->fail("Activity.Run");
         t.host.calls->fail("PathBox.RefreshText");
         t.window().CMD_IMPORTA_ButtonClick();
         EXPECT_EQ(t.window().last_outcome().failed_step, Outcome::ActivityParameters);
         EXPECT_EQ(t.window().last_outcome().completed_step, Outcome::None);
     },
     {"GeneraRecordsetParametriAttivita", "CMD_IMPORTA_ButtonClick"}},
    {"DeterminaEsercizioImportazione",
     [](ProcedureFailures& t) {
         t.accept_file();
         t.host.calls->fail("Exercise.Run");
         bool failed = false;
         std::int16_t first = -1, second = -1;
         importfile::Exercise(t.window()).DeterminaEsercizioImportazione(failed, first, second);
         EXPECT_TRUE(failed);
         EXPECT_EQ(first, -1);
         EXPECT_EQ(second, -1);
     },
     {"DeterminaEsercizioImportazione"}},
    {"CreaTabellaLogTemporanea",
     [](ProcedureFailures& t) {
         t.window();
         t.host.calls->fail("ConnectionFactory.NewConnection");
         importlog::ImportLog log(t.object->context());
         log.CreaTabellaLogTemporanea();
         EXPECT_FALSE(log.is_open());
     },
     {"CreaTabellaLogTemporanea"}},
    {"GeneraNuovaRigaLog",
     [](ProcedureFailures& t) {
         t.window();
         t.log().connection()->Execute("DROP TABLE #VPOOLLOG");
         t.log().GeneraNuovaRigaLog("CG24_TABPDC", 0, 1, "key", "");
         EXPECT_EQ(t.log().counter(), 1);  // the number was taken before the insert failed
     },
     {"GeneraNuovaRigaLog"}},
    {"ReuperaRecordSetLog and ApreFormTabellaLog",
     [](ProcedureFailures& t) {
         t.window();
         t.log().connection()->Execute("DROP TABLE #VPOOLLOG");
         bool failed = false;
         t.log().ApreFormTabellaLog(failed);
         EXPECT_TRUE(failed);  // a log that cannot be read fails the step
     },
     {"ReuperaRecordSetLog", "ApreFormTabellaLog"}},
    {"EliminaTabellaLogTemporanea",
     [](ProcedureFailures& t) {
         t.window();
         t.log().connection()->Close();
         t.log().EliminaTabellaLogTemporanea();
         EXPECT_TRUE(t.log().is_open());  // left at the failing statement
     },
     {"EliminaTabellaLogTemporanea"}},
};

INSTANTIATE_TEST_SUITE_P(EachProcedure, ProcedureFailures, ::testing::ValuesIn(kCases), scripted::ByName());

}  // namespace
