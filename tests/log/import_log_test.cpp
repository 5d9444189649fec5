// The import log on a real database file: numbering, stored texts and numbers, the log
// check with its viewer, and closing in every state.
#include <gtest/gtest.h>

#include <algorithm>

#include <memory>
#include <string>
#include <vector>

#include "ado/connection.h"
#include "log/import_log.h"
#include "log/log_states.h"
#include "log/log_viewer.h"
#include "module/module_object.h"
#include "module/ui.h"
#include "scripted_host.h"
#include "temp_dir.h"

namespace {

using ado::Variant;
using importlog::ImportLog;

// A front end whose Ui also shows logs: it records what it was given.
class ViewerUi final : public module::Ui, public importlog::LogViewer {
  public:
    void WindowCreated(module::Window&) override {}
    void ShowModeless(module::Window&) override {}
    void RunModal(module::Window&) override {}
    std::int32_t MessageBox(const std::string&, const std::string&, std::int32_t) override { return 1; }
    void ShowLog(const std::string& text, const ado::RecordsetPtr& rows) override {
        texts.push_back(text);
        row_counts.push_back(rows ? rows->RecordCount() : -1);
    }
    std::vector<std::string> texts;
    std::vector<long> row_counts;
};

class ImportLogTest : public ::testing::Test {
  protected:
    ImportLogTest() {
        host.global->database->connection_string =
            scripted::sqlite_connection_string((dir / "books.db").string());
        object = std::make_unique<module::ModuleObject>(module::ModuleObject::Options{});
        object->SetClsGlobal(host.global);
        object->SetUi(ui);
        module::ModuleState& state = object->context().state();
        state.connection_string = host.global->database->connection_string;
        host_log = std::make_shared<scripted::Log>(host.calls);
        state.log = host_log;
        log = std::make_unique<ImportLog>(object->context());
    }

    // The stored rows, each as its six values in column order.
    std::vector<std::vector<Variant>> stored_rows() {
        bool no_log = false;
        log->ReuperaRecordSetLog(no_log);
        EXPECT_FALSE(no_log);
        std::vector<std::vector<Variant>> rows;
        const ado::RecordsetPtr& rs = log->recordset();
        if (!rs) return rows;
        if (rs->RecordCount() > 0) rs->MoveFirst();
        for (; !rs->EOF(); rs->MoveNext()) {
            std::vector<Variant> row;
            for (int i = 0; i < rs->GetFields().Count(); ++i) row.push_back(rs->GetFields().Item(i).Value());
            rows.push_back(row);
        }
        return rows;
    }

    std::vector<std::string> errors_shown() const {
        std::vector<std::string> procedures;
        for (const auto& e : host_log->shown) procedures.push_back(e.procedure);
        return procedures;
    }

    scripted::TempDir dir;
    scripted::Host host;
    std::shared_ptr<ViewerUi> ui = std::make_shared<ViewerUi>();
    std::unique_ptr<module::ModuleObject> object;
    std::shared_ptr<scripted::Log> host_log;
    std::unique_ptr<ImportLog> log;
};

TEST_F(ImportLogTest, NumberingStartsAtOneAndGoesOnInTheNextLog) {
    log->set_counter(0);
    log->CreaTabellaLogTemporanea();
    for (int i = 0; i < 3; ++i) log->GeneraNuovaRigaLog("CG24_TABPDC", 0, importlog::kExisting, "k", "");
    bool failed = true;
    log->ApreFormTabellaLog(failed);
    EXPECT_FALSE(failed);
    EXPECT_FALSE(log->is_open());

    log->CreaTabellaLogTemporanea();
    log->GeneraNuovaRigaLog("CG41_PRIMANOTA", 0, importlog::kInserted, "A0000001", "");
    log->GeneraNuovaRigaLog("CG42_MOVCONT", 1, importlog::kInserted, "1", "");
    const auto rows = stored_rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0].to_long(), 4);
    EXPECT_EQ(rows[1][0].to_long(), 5);
    EXPECT_EQ(log->counter(), 5);
    EXPECT_TRUE(errors_shown().empty());
}

TEST_F(ImportLogTest, RowsSurviveARollbackOnTheModuleConnection) {
    ado::Connection books(host.global->database->connection_string);
    books.Open();
    books.Execute("CREATE TABLE T (A INT NULL)");
    log->CreaTabellaLogTemporanea();
    books.BeginTrans();
    books.Execute("INSERT INTO T (A) VALUES (1)");
    log->GeneraNuovaRigaLog("CG33_TABCAU", 0, importlog::kWriteFailed, "FV", "refused");
    books.RollbackTrans();
    EXPECT_EQ(books.Execute("SELECT COUNT(*) FROM T")->GetFields().Item(0).Value().to_long(), 0);
    const auto rows = stored_rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][5].to_string(), "refused");
    EXPECT_TRUE(errors_shown().empty());
}

struct TextCase {
    const char* what;
    Variant key, message;
    std::string stored_key, stored_message;
};

TEST_F(ImportLogTest, TextsAreTrimmedCutThenStoredWithTheirQuotes) {
    const std::string a4100(4100, 'a');
    const std::string e4100 = [] {
        std::string s;
        for (int i = 0; i < 4100; ++i) s += "\xC3\xA8";  // è: characters, not bytes, are counted
        return s;
    }();
    const std::vector<TextCase> cases = {
        {"key of 4100 characters", a4100, "", std::string(4000, 'a'), ""},
        {"message of 1200 characters", "", std::string(1200, 'm'), "", std::string(1000, 'm')},
        {"trailing blanks go before the cut", std::string(3990, 'k') + std::string(20, ' '),
         std::string(995, 'm') + std::string(10, ' '), std::string(3990, 'k'), std::string(995, 'm')},
        // Trimmed first, then cut: the cut may end on a blank, which stays.
        {"the cut comes after the trim", std::string(3999, 'k') + " zzz  ", std::string(999, 'm') + " zz ",
         std::string(3999, 'k') + " ", std::string(999, 'm') + " "},
        {"quotes stored once", "L'Angolo del Libro", "it's 'quoted'", "L'Angolo del Libro", "it's 'quoted'"},
        {"quotes cut before doubling", std::string(4100, '\''), "", std::string(4000, '\''), ""},
        {"two-byte characters", e4100, "", e4100.substr(0, 8000), ""},
        {"null and blank", Variant(ado::Null), "    ", "", ""},
    };
    log->CreaTabellaLogTemporanea();
    for (const auto& c : cases)
        log->GeneraNuovaRigaLog("CG16_ANAGGEN", 1, importlog::kInserted, c.key, c.message);
    const auto rows = stored_rows();
    ASSERT_EQ(rows.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].what);
        EXPECT_EQ(rows[i][4].to_string(), cases[i].stored_key);
        EXPECT_EQ(rows[i][5].to_string(), cases[i].stored_message);
    }
    EXPECT_TRUE(errors_shown().empty());
}

TEST_F(ImportLogTest, BlankLevelAndStateAreStoredAsZero) {
    const std::vector<std::pair<Variant, long>> cases = {
        {Variant(ado::Null), 0},
        {Variant(), 0},
        {Variant(""), 0},
        {Variant("   "), 0},
        {Variant(std::int16_t{1}), 1},
        {Variant("33"), 33},
        {Variant(std::int16_t{99}), 99},
    };
    log->CreaTabellaLogTemporanea();
    for (const auto& c : cases) log->GeneraNuovaRigaLog("CG28_TABCODIVA", c.first, c.first, "k", "");
    const auto rows = stored_rows();
    ASSERT_EQ(rows.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rows[i][2].to_long(), cases[i].second);
        EXPECT_EQ(rows[i][3].to_long(), cases[i].second);
    }
}

TEST_F(ImportLogTest, ATableNameWithAQuoteIsRefusedAndNothingStored) {
    log->CreaTabellaLogTemporanea();
    log->GeneraNuovaRigaLog("CG24'X", 0, importlog::kExisting, "k", "");
    EXPECT_EQ(errors_shown(), std::vector<std::string>{"GeneraNuovaRigaLog"});
    EXPECT_TRUE(stored_rows().empty());
}

TEST_F(ImportLogTest, EachStateDecidesTheCheck) {
    const std::vector<std::pair<std::int16_t, bool>> cases = {
        {0, false}, {10, false}, {20, false}, {30, true}, {31, true},
        {32, true}, {33, true},  {50, true},  {99, true}, {98, false},
    };
    for (const auto& [state, error] : cases) {
        SCOPED_TRACE(state);
        EXPECT_EQ(importlog::is_error_state(state), error);
        ui->texts.clear();
        log->CreaTabellaLogTemporanea();
        log->GeneraNuovaRigaLog("CG24_TABPDC", 0, importlog::kExisting, "fine", "");
        log->GeneraNuovaRigaLog("CG24_TABPDC", 0, state, "this one", "");
        bool failed = !error;
        log->ApreFormTabellaLog(failed);
        EXPECT_EQ(failed, error);
        EXPECT_EQ(ui->texts.size(), error ? 1u : 0u);
        EXPECT_FALSE(log->is_open());
        EXPECT_EQ(log->recordset(), nullptr);
    }
    EXPECT_TRUE(errors_shown().empty());
}

TEST_F(ImportLogTest, OneProposalErrorAmongAThousandExistingShowsTheWholeLog) {
    log->CreaTabellaLogTemporanea();
    for (int i = 0; i < 1000; ++i) {
        log->GeneraNuovaRigaLog("CG24_TABPDC", 0, importlog::kExisting, "A" + std::to_string(i), "");
        if (i == 500)
            log->GeneraNuovaRigaLog("CG33_TABCAU", 0, importlog::kProposalNotTranscoded, "FV", "no");
    }
    std::shared_ptr<ado::Connection> connection = log->connection();
    bool failed = false;
    log->ApreFormTabellaLog(failed);
    EXPECT_TRUE(failed);
    ASSERT_EQ(ui->texts.size(), 1u);
    EXPECT_EQ(ui->row_counts[0], 1001);
    const std::string& text = ui->texts[0];
    EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 1001);
    EXPECT_NE(text.find("502\tCG33_TABCAU\t0\t33\tFV\tno\r"), std::string::npos);
    EXPECT_FALSE(log->is_open());
    EXPECT_EQ(connection->State(), ado::adStateClosed);
}

TEST_F(ImportLogTest, LogTextIsOneCrEndedLineOfSixTabSeparatedFieldsPerRow) {
    log->set_counter(6);
    log->CreaTabellaLogTemporanea();
    log->GeneraNuovaRigaLog("CG33_TABCAU", 0, importlog::kMissing, "FTV - Fattura vendita",
                            "Elemento assente.");
    log->GeneraNuovaRigaLog("CG16_ANAGGEN", 1, importlog::kInserted, "5001", "");
    bool failed = false;
    log->ApreFormTabellaLog(failed);
    ASSERT_EQ(ui->texts.size(), 1u);
    EXPECT_EQ(ui->texts[0],
              "7\tCG33_TABCAU\t0\t30\tFTV - Fattura vendita\tElemento assente.\r"
              "8\tCG16_ANAGGEN\t1\t0\t5001\t\r");
}

TEST_F(ImportLogTest, ClosingWhenTheTableHasVanishedStillClosesTheConnection) {
    log->CreaTabellaLogTemporanea();
    std::shared_ptr<ado::Connection> connection = log->connection();
    connection->Execute(" DROP TABLE #VPOOLLOG");
    log->EliminaTabellaLogTemporanea();
    EXPECT_FALSE(log->is_open());
    EXPECT_EQ(connection->State(), ado::adStateClosed);
    EXPECT_TRUE(errors_shown().empty());
}

TEST_F(ImportLogTest, OpeningALogDiscardsTheOpenOne) {
    log->CreaTabellaLogTemporanea();
    log->GeneraNuovaRigaLog("CG68_NUMERDESC", 0, importlog::kExisting, "01", "");
    std::shared_ptr<ado::Connection> old = log->connection();
    log->CreaTabellaLogTemporanea();
    EXPECT_EQ(old->State(), ado::adStateClosed);
    // Each log has a connection of its own from the host's factory, on the module's database.
    const auto& handed = host.components().connection_factory->handed_out;
    ASSERT_EQ(handed.size(), 2u);
    EXPECT_EQ(handed[1], log->connection());
    EXPECT_EQ(handed[1]->ConnectionString(), host.global->database->connection_string);
    EXPECT_TRUE(stored_rows().empty());
    log->GeneraNuovaRigaLog("CG68_NUMERDESC", 0, importlog::kExisting, "02", "");
    const auto rows = stored_rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0].to_long(), 2);
    EXPECT_TRUE(errors_shown().empty());
}

TEST_F(ImportLogTest, WithoutAnOpenLogRowsFailAndTheCheckFails) {
    log->GeneraNuovaRigaLog("CG24_TABPDC", 0, importlog::kExisting, "k", "");
    EXPECT_EQ(errors_shown(), std::vector<std::string>{"GeneraNuovaRigaLog"});
    bool no_log = false;
    log->ReuperaRecordSetLog(no_log);
    EXPECT_TRUE(no_log);
    bool failed = false;
    log->ApreFormTabellaLog(failed);
    EXPECT_TRUE(failed);
    EXPECT_TRUE(ui->texts.empty());
    EXPECT_EQ(errors_shown().size(), 1u);

    host.global->components->refuse_connection_factory = true;
    log->CreaTabellaLogTemporanea();
    EXPECT_EQ(errors_shown().back(), "CreaTabellaLogTemporanea");
    EXPECT_FALSE(log->is_open());
}

}  // namespace
