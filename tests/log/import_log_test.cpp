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
#include "module/module_object.h"
#include "modulebase/ui.h"
#include "scripted_host.h"
#include "temp_dir.h"
#include "viewer_ui.h"

namespace {

using ado::Variant;
using importlog::ImportLog;
using Texts = std::vector<std::string>;

using scripted::ViewerUi;

class ImportLogTest : public ::testing::Test {
  protected:
    ImportLogTest() {
        host.global->database->connection_string =
            scripted::sqlite_connection_string((dir / "books.db").string());
        object->SetClsGlobal(host.global);
        object->SetUi(ui);
        object->context().state().connection_string = host.global->database->connection_string;
        object->context().state().log = host_log;
    }

    void add(const Variant& table, const Variant& state, const Variant& key = "k",
             const Variant& message = "") {
        log.GeneraNuovaRigaLog(table, 0, state, key, message);
    }
    // The log check; `failed` is what the caller's flag held before.
    bool check(bool failed = false) {
        log.ApreFormTabellaLog(failed);
        return failed;
    }

    // The stored rows, each as its six values in column order.
    std::vector<std::vector<Variant>> stored_rows() {
        bool no_log = false;
        log.ReuperaRecordSetLog(no_log);
        EXPECT_FALSE(no_log);
        std::vector<std::vector<Variant>> rows;
        const ado::RecordsetPtr& rs = log.recordset();
        if (!rs) return rows;
        if (rs->RecordCount() > 0) rs->MoveFirst();
        for (; !rs->EOF(); rs->MoveNext()) {
            rows.emplace_back();
            for (int i = 0; i < rs->GetFields().Count(); ++i)
                rows.back().push_back(rs->GetFields().Item(i).Value());
        }
        return rows;
    }

    Texts errors_shown() const { return host_log->procedures_shown(); }

    scripted::TempDir dir;
    scripted::Host host;
    std::shared_ptr<ViewerUi> ui = std::make_shared<ViewerUi>();
    std::unique_ptr<module::ModuleObject> object =
        std::make_unique<module::ModuleObject>(module::ModuleObject::Options{});
    std::shared_ptr<scripted::Log> host_log = std::make_shared<scripted::Log>(host.calls);
    ImportLog log{object->context()};
};

// Without an open log rows and the check fail. PROGR goes on from the last log; reopening
// discards the open log and its rows, each log on a connection of its own from the host's
// factory; closing works when the table has vanished; without a factory there is no log.
TEST_F(ImportLogTest, LogsOpenNumberTheirRowsAndClose) {
    add("CG24_TABPDC", importlog::kExisting);
    bool no_log = false;
    log.ReuperaRecordSetLog(no_log);
    EXPECT_TRUE(no_log);
    EXPECT_TRUE(check());
    EXPECT_TRUE(ui->texts.empty());
    EXPECT_EQ(errors_shown(), Texts{"GeneraNuovaRigaLog"});

    log.set_counter(0);
    log.CreaTabellaLogTemporanea();
    for (int i = 0; i < 3; ++i) add("CG24_TABPDC", importlog::kExisting);
    EXPECT_FALSE(check(true));
    EXPECT_FALSE(log.is_open());

    log.CreaTabellaLogTemporanea();
    add("CG68_NUMERDESC", importlog::kExisting, "01");
    const std::shared_ptr<ado::Connection> old = log.connection();
    log.CreaTabellaLogTemporanea();
    EXPECT_EQ(old->State(), ado::adStateClosed);
    const auto& handed = host.components().connection_factory->handed_out;
    ASSERT_EQ(handed.size(), 3u);
    EXPECT_EQ(handed[2], log.connection());
    EXPECT_EQ(handed[2]->ConnectionString(), host.global->database->connection_string);
    EXPECT_TRUE(stored_rows().empty());

    add("CG41_PRIMANOTA", importlog::kInserted, "A0000001");
    add("CG42_MOVCONT", importlog::kInserted, "1");
    const auto rows = stored_rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0].to_long(), 5);
    EXPECT_EQ(rows[1][0].to_long(), 6);
    EXPECT_EQ(log.counter(), 6);

    const std::shared_ptr<ado::Connection> connection = log.connection();
    connection->Execute(" DROP TABLE #VPOOLLOG");
    log.EliminaTabellaLogTemporanea();
    EXPECT_FALSE(log.is_open());
    EXPECT_EQ(connection->State(), ado::adStateClosed);
    EXPECT_EQ(errors_shown(), Texts{"GeneraNuovaRigaLog"});

    host.global->components->refuse_connection_factory = true;
    log.CreaTabellaLogTemporanea();
    EXPECT_EQ(errors_shown(), (Texts{"GeneraNuovaRigaLog", "CreaTabellaLogTemporanea"}));
    EXPECT_FALSE(log.is_open());
}

// Texts are trimmed, then cut, then stored with their quotes; a blank level or state is 0;
// a table name holding a quote is refused and nothing is stored for it. The rows survive
// the rollback of a transaction on the module's database.
TEST_F(ImportLogTest, TextsAndNumbersAreStoredAsTheRulesSayAndSurviveARollback) {
    std::string e4100;
    for (int i = 0; i < 4100; ++i) e4100 += "\xC3\xA8";  // è: characters, not bytes, are counted
    const std::vector<std::tuple<const char*, Variant, Variant, std::string, std::string>> texts = {
        // what, key, message, stored key, stored message
        {"key of 4100 characters", std::string(4100, 'a'), "", std::string(4000, 'a'), ""},
        {"message of 1200 characters", "", std::string(1200, 'm'), "", std::string(1000, 'm')},
        {"trailing blanks go before the cut", std::string(3990, 'k') + std::string(20, ' '),
         std::string(995, 'm') + std::string(10, ' '), std::string(3990, 'k'), std::string(995, 'm')},
        // Trimmed first, then cut: the cut may end on a blank, which stays.
        {"the cut comes after the trim", std::string(3999, 'k') + " zzz  ", std::string(999, 'm') + " zz ",
         std::string(3999, 'k') + " ", std::string(999, 'm') + " "},
        {"quotes stored once", "L'Angolo del Libro", "it's 'quoted'", "L'Angolo del Libro", "it's 'quoted'"},
        {"quotes cut before doubling", std::string(4100, '\''), "", std::string(4000, '\''), ""},
        {"two-byte characters", e4100, "", e4100.substr(0, 8000), ""},
        {"null and blank", ado::Null, "    ", "", ""}};
    const std::vector<std::pair<Variant, long>> numbers = {
        {ado::Null, 0}, {Variant(), 0},        {"", 0}, {"   ", 0}, {std::int16_t{1}, 1},
        {"33", 33},     {std::int16_t{99}, 99}};
    ado::Connection books(host.global->database->connection_string);
    books.Open();
    books.Execute("CREATE TABLE T (A INT NULL)");
    log.CreaTabellaLogTemporanea();
    books.BeginTrans();
    books.Execute("INSERT INTO T (A) VALUES (1)");
    for (const auto& [what, key, message, stored_key, stored_message] : texts)
        log.GeneraNuovaRigaLog("CG16_ANAGGEN", 1, importlog::kInserted, key, message);
    for (const auto& [value, stored] : numbers)
        log.GeneraNuovaRigaLog("CG28_TABCODIVA", value, value, "k", "");
    EXPECT_TRUE(errors_shown().empty());
    add("CG24'X", importlog::kExisting);
    EXPECT_EQ(errors_shown(), Texts{"GeneraNuovaRigaLog"});
    books.RollbackTrans();
    EXPECT_EQ(books.Execute("SELECT COUNT(*) FROM T")->GetFields().Item(0).Value().to_long(), 0);

    const auto rows = stored_rows();
    ASSERT_EQ(rows.size(), texts.size() + numbers.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        SCOPED_TRACE(std::get<0>(texts[i]));
        EXPECT_EQ(rows[i][4].to_string(), std::get<3>(texts[i]));
        EXPECT_EQ(rows[i][5].to_string(), std::get<4>(texts[i]));
    }
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rows[texts.size() + i][2].to_long(), numbers[i].second);
        EXPECT_EQ(rows[texts.size() + i][3].to_long(), numbers[i].second);
    }
}

TEST_F(ImportLogTest, EachStateDecidesTheCheck) {
    const std::vector<std::pair<std::int16_t, bool>> cases = {
        {0, false}, {10, false}, {20, false}, {30, true}, {31, true},
        {32, true}, {33, true},  {50, true},  {99, true}, {98, false}};
    for (const auto& [state, error] : cases) {
        SCOPED_TRACE(state);
        EXPECT_EQ(importlog::is_error_state(state), error);
        ui->texts.clear();
        log.CreaTabellaLogTemporanea();
        add("CG24_TABPDC", importlog::kExisting, "fine");
        add("CG24_TABPDC", state, "this one");
        EXPECT_EQ(check(!error), error);
        EXPECT_EQ(ui->texts.size(), error ? 1u : 0u);
        EXPECT_FALSE(log.is_open());
        EXPECT_EQ(log.recordset(), nullptr);
    }
    EXPECT_TRUE(errors_shown().empty());
}

// One proposal error among a thousand existing rows shows the whole log: one CR-ended line
// of six tab-separated fields per row.
TEST_F(ImportLogTest, OneErrorShowsTheWholeLogAsTabSeparatedLines) {
    log.set_counter(6);
    log.CreaTabellaLogTemporanea();
    add("CG33_TABCAU", importlog::kMissing, "FTV - Fattura vendita", "Elemento assente.");
    log.GeneraNuovaRigaLog("CG16_ANAGGEN", 1, importlog::kInserted, "5001", "");
    for (int i = 0; i < 1000; ++i) {
        add("CG24_TABPDC", importlog::kExisting, "A" + std::to_string(i));
        if (i == 500) add("CG33_TABCAU", importlog::kProposalNotTranscoded, "FV", "no");
    }
    const std::shared_ptr<ado::Connection> connection = log.connection();
    EXPECT_TRUE(check());
    ASSERT_EQ(ui->texts.size(), 1u);
    EXPECT_EQ(ui->row_counts[0], 1003);
    const std::string& text = ui->texts[0];
    EXPECT_EQ(text.rfind("7\tCG33_TABCAU\t0\t30\tFTV - Fattura vendita\tElemento assente.\r"
                         "8\tCG16_ANAGGEN\t1\t0\t5001\t\r9\tCG24_TABPDC\t0\t10\tA0\t\r",
                         0),
              0u)
        << text.substr(0, 200);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 1003);
    EXPECT_NE(text.find("\r510\tCG33_TABCAU\t0\t33\tFV\tno\r"), std::string::npos);
    EXPECT_FALSE(log.is_open());
    EXPECT_EQ(connection->State(), ado::adStateClosed);
}

}  // namespace
