// The statements the import sends, held to a golden trace: making the import faster must
// not change what it asks the database, nor in what order. The trace is that of the
// demo's member Alfa with five entries (a purchase, sales, a payment and the links between
// them, and every master record the file creates) imported into the demo's books, both
// made for a fixed year so that the trace is the same in every year. What differs from
// run to run is masked: the moment of each statement, the moments the import stamps on
// its history and master documents, GUIDs.
//
// After a change that is meant to alter the statements, write the golden file anew with
// LEDGERINTAKE_UPDATE_GOLDEN=1 (the case then skips) and review its diff.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "cli_process.h"
#include "demo/demo_data.h"
#include "demo/demo_database.h"
#include "demo/member_file.h"
#include "refhost/database.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;
using cli_test::read_file;
using cli_test::run_ledgerintake;
using cli_test::write_file;

constexpr int kYear = 2026;
constexpr int kEntries = 5;
constexpr const char* kGoldenName = "alfa_import_trace.sql";
constexpr const char* kGoldenHeader =
    "# The statements of `ledgerintake import alfa.xml --db books.db --trace-sql PATH` on the demo's books "
    "and Alfa's file of 5 entries, both for 2026 (tests/cli/cli_sql_trace_test.cpp); moments and GUIDs "
    "masked, lines ended by LF.\n";

// The trace with what a run changes replaced by a placeholder, lines ended by LF.
std::string masked(std::string trace) {
    static const std::vector<std::pair<std::regex, std::string>> masks = {
        {std::regex(R"(\r\n)"), "\n"},
        {std::regex(R"(-- \d{4}-\d\d-\d\d \d\d:\d\d:\d\d)"), "-- <moment>"},
        {std::regex(R"('\d{8} \d\d:\d\d:\d\d')"), "'<now>'"},
        {std::regex(R"([0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12})"),
         "<guid>"},
    };
    for (const auto& [pattern, placeholder] : masks) trace = std::regex_replace(trace, pattern, placeholder);
    return trace;
}

// The import of the small file into fresh books, traced; its trace as written.
std::string traced_import() {
    scripted::TempDir dir;
    const fs::path db = dir / "books.db";
    refhost::init_database(db);
    demo::populate_database(db, kYear);
    demo::MemberFileOptions options;
    options.entries = kEntries;
    options.year = kYear;
    write_file(dir / "alfa.xml", demo::member_file_xml(demo::members().at(0), options));
    const auto run =
        run_ledgerintake(dir.path(), {"import", "alfa.xml", "--db", "books.db", "--trace-sql", "trace.sql"});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    return read_file(dir / "trace.sql");
}

std::size_t count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
    return n;
}

TEST(SqlTrace, MaskingReplacesMomentsAndGuidsOnly) {
    EXPECT_EQ(masked("-- 2026-12-06 11:27:57\r\n SELECT 1\r\nGO\r\n"), "-- <moment>\n SELECT 1\nGO\n");
    EXPECT_EQ(masked("     , '20261206 11:27:57'"), "     , '<now>'");
    EXPECT_EQ(masked("'9007D372-29D8-4E80-8A3C-543E8B9D95A9'"), "'<guid>'");
    // Dates of the file and registration numbers are the same in every run: they stay.
    EXPECT_EQ(masked(" WHERE CG41_NUMREG = '202600000001' AND X >= '20260101'"),
              " WHERE CG41_NUMREG = '202600000001' AND X >= '20260101'");
}

TEST(SqlTrace, TheSmallestDemoImportSendsTheStatementsOfTheGoldenTrace) {
    const std::string raw = traced_import();
    ASSERT_FALSE(raw.empty());
    // Statements are sent with their lines joined by CR LF; the golden file keeps LF only.
    EXPECT_EQ(count(raw, "\n"), count(raw, "\r\n"));
    const std::string trace = masked(raw);
    const fs::path golden_path = fs::path(LEDGERINTAKE_GOLDEN_DIR) / kGoldenName;

    const char* update = std::getenv("LEDGERINTAKE_UPDATE_GOLDEN");
    if (update != nullptr && std::string(update) == "1") {
        write_file(golden_path, kGoldenHeader + trace);
        GTEST_SKIP() << "wrote " << golden_path.string();
    }
    std::string golden = read_file(golden_path);
    ASSERT_EQ(golden.rfind("# ", 0), 0u) << "the golden file starts with a line saying what it covers";
    golden.erase(0, golden.find('\n') + 1);
    // Compared line by line first, so that a difference shows where it is.
    std::istringstream got(trace), want(golden);
    std::string got_line, want_line;
    for (int line = 2; std::getline(want, want_line); ++line) {
        ASSERT_TRUE(std::getline(got, got_line))
            << "the trace ends before line " << line << " of the golden file";
        ASSERT_EQ(got_line, want_line) << "line " << line << " of " << golden_path.string();
    }
    EXPECT_FALSE(std::getline(got, got_line)) << "the trace goes on after the golden file: " << got_line;
    EXPECT_EQ(trace, golden);
}

}  // namespace
