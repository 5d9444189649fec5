// The history and log commands on a demo database: the history window's rows as a table
// and as JSON, and the log kept for each import, filtered as the log window filters it.
#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <string>
#include <thread>

#include "case_name.h"
#include "cli_process.h"
#include "json_check.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;
using cli_test::contains;
using cli_test::read_file;
using cli_test::run_ledgerintake;

// A demo of 12 entries per member: the demo imported alfa; beta and gamma are imported here.
struct Demo {
    Demo() {
        const auto made = run_ledgerintake(dir.path(), {"demo", "--dir", "demo", "--entries", "12"});
        EXPECT_EQ(made.status, 0) << made.err;
        db = (dir / "demo" / "ledgerintake.db").string();
        // The history lists the newest first, to the second.
        std::this_thread::sleep_for(std::chrono::milliseconds(1100));
        for (const auto& [member, status] : {std::pair{"beta", 0}, std::pair{"gamma", 2}}) {
            const auto run = run_ledgerintake(dir.path(), {"import", file(member), "--db", db, "--json"});
            EXPECT_EQ(run.status, status) << member << run.out << run.err;
        }
    }
    std::string file(const std::string& member) const {
        for (const auto& entry : fs::directory_iterator(dir / "demo"))
            if (entry.path().filename().string().rfind(member + "-", 0) == 0) return entry.path().string();
        return {};
    }
    scripted::TempDir dir;
    std::string db;
};

const Demo& demo() {
    static const Demo d;
    return d;
}

// The import moment and the demo's folder change from run to run.
std::string masked(std::string text) {
    text = std::regex_replace(text, std::regex(R"(\d\d/\d\d/\d{4} \d\d:\d\d:\d\d)"), "DD/MM/YYYY hh:mm:ss");
    text = std::regex_replace(text, std::regex(R"(-20\d\d\.xml)"), "-YYYY.xml");
    text = std::regex_replace(text, std::regex(R"(\d\d/\d\d/20\d\d)"), "DD/MM/YYYY");
    for (std::size_t at; (at = text.find(demo().dir.path().string())) != std::string::npos;)
        text.replace(at, demo().dir.path().string().size(), "DIR");
    return text;
}

std::string golden(const std::string& name) {
    std::string text = read_file(fs::path(LEDGERINTAKE_GOLDEN_DIR) / name);
    EXPECT_EQ(text.rfind("# ", 0), 0u) << "the golden file starts with a line saying what it covers";
    return text.erase(0, text.find('\n') + 1);
}

// The gamma import stopped at the verification: no header, so it is not listed.
TEST(HistoryCommand, PrintsTheHistoryWindowsRowsNewestFirst) {
    const auto run = run_ledgerintake(demo().dir.path(), {"history", "--db", demo().db});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(masked(run.out), golden("demo_history.txt"));

    const auto json = run_ledgerintake(demo().dir.path(), {"history", "--db", demo().db, "--json"});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_TRUE(cli_test::is_one_json_object(json.out)) << json.out;
    EXPECT_TRUE(contains(json.out, R"({"imports":[{"IE42_ID":2,)")) << json.out;
    EXPECT_TRUE(contains(json.out, R"("IE42_FLGSEZ":true)")) << json.out;

    const auto other = run_ledgerintake(demo().dir.path(), {"history", "--db", demo().db, "--company", "7"});
    EXPECT_EQ(other.status, 64) << other.out;
}

struct LogCase {
    std::string name, filter;
    int rows;  // -1: more than zero
    std::string state_text;
};

class LogCommand : public ::testing::TestWithParam<LogCase> {};

// Each filter shows only its rows; the kept log of beta (import 2) has the verification's
// rows and the journal's.
TEST_P(LogCommand, ShowsTheKeptRowsOfItsFilter) {
    const auto run = run_ledgerintake(
        demo().dir.path(), {"log", "2", "--db", demo().db, "--filter", GetParam().filter, "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(cli_test::is_one_json_object(run.out)) << run.out;
    std::size_t rows = 0;
    for (std::size_t at = 0; (at = run.out.find("\"progr\":", at)) != std::string::npos; ++at) ++rows;
    if (GetParam().rows < 0)
        EXPECT_GT(rows, 0u);
    else
        EXPECT_EQ(rows, static_cast<std::size_t>(GetParam().rows));
    if (!GetParam().state_text.empty()) {
        std::size_t texts = 0;
        for (std::size_t at = 0;
             (at = run.out.find("\"state_text\":\"" + GetParam().state_text, at)) != std::string::npos; ++at)
            ++texts;
        EXPECT_EQ(texts, rows) << run.out;
    }
}

INSTANTIATE_TEST_SUITE_P(Filters, LogCommand,
                         ::testing::Values(LogCase{"errors", "errors", 0, ""},
                                           LogCase{"created", "created", -1, "Inserito"},
                                           LogCase{"checked", "checked", -1, "Esistente"},
                                           LogCase{"all", "all", -1, ""}),
                         scripted::ByName{});

TEST(LogCommandText, PrintsTheWindowsColumnsDecoded) {
    const auto run =
        run_ledgerintake(demo().dir.path(), {"log", "1", "--db", demo().db, "--filter", "checked"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')),
              "Prog  Livello  Tipo        Risultato  Descrizione" + std::string(51, ' ') + "Segnalazione");
    EXPECT_TRUE(contains(run.out, "\n1     0        Sezionali   Esistente  Codice sezionale: V\n"))
        << run.out;
    EXPECT_FALSE(contains(run.out, "Inserito")) << run.out;
}

TEST(LogCommandText, AnImportWithoutAKeptLogIsNamed) {
    const auto run = run_ledgerintake(demo().dir.path(), {"log", "99", "--db", demo().db});
    EXPECT_EQ(run.status, 66);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err,
              "ledgerintake: no log is kept for import 99 (ledgerintake history lists the imports)\n");
}

}  // namespace
