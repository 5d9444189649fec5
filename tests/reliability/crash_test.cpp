// The import killed (SIGKILL) at chosen statements of a run: after each kill the books
// must pass the checks of `db check` (all but the progressive totals, which only the
// import's last step brings up to date), importing the file again must complete, and the
// books must then equal those of a run that was never interrupted (books_snapshot.h says
// what "equal" leaves aside). Twelve points by default; LEDGERINTAKE_RELIABILITY=full runs
// two hundred (a number runs that many) and prints the figures.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "books_snapshot.h"
#include "cli_process.h"
#include "crash_run.h"
#include "temp_dir.h"
#include "trace_points.h"

namespace {

namespace fs = std::filesystem;
using cli_test::run_ledgerintake;
using namespace reliability;

constexpr const char* kFile = "alfa.xml";
constexpr const char* kDb = "books.db";
constexpr int kReruns = 2;

std::size_t point_count() {
    const char* value = std::getenv("LEDGERINTAKE_RELIABILITY");
    if (value == nullptr || *value == '\0') return 12;
    if (std::string(value) == "full") return 200;
    return static_cast<std::size_t>(std::max(1L, std::atol(value)));
}

// Forty entries make a run of one or two seconds; the short set takes half as many.
std::string entries_per_file() {
    const char* value = std::getenv("LEDGERINTAKE_RELIABILITY_ENTRIES");
    if (value != nullptr && *value != '\0') return value;
    return point_count() >= 100 ? "40" : "20";
}

// The demo's database and Alfa's file, made once; each run works on a copy in a folder
// of its own (the database with every file kept beside it, the store of numbers too).
class Demo {
  public:
    Demo() {
        const auto run = run_ledgerintake(
            dir_.path(), {"demo", "--dir", "demo", "--entries", entries_per_file(), "--no-import"});
        if (run.status != 0) throw std::runtime_error("the demo failed: " + run.err);
        const std::time_t now = std::time(nullptr);
        const std::string year = std::to_string(std::localtime(&now)->tm_year + 1900);
        member_file_ = dir_ / "demo" / ("alfa-" + year + ".xml");
    }
    fs::path copy(const std::string& name) const {
        const fs::path folder = dir_ / name;
        fs::create_directories(folder);
        for (const auto& item : fs::directory_iterator(dir_ / "demo")) {
            const std::string file = item.path().filename().string();
            if (file.rfind("ledgerintake.db", 0) == 0)
                fs::copy_file(item.path(),
                              folder / (kDb + file.substr(std::string("ledgerintake.db").size())));
        }
        fs::copy_file(member_file_, folder / kFile);
        return folder;
    }
    void remove(const std::string& name) const {
        std::error_code ec;
        fs::remove_all(dir_ / name, ec);
    }

  private:
    scripted::TempDir dir_;
    fs::path member_file_;
};

// The checks of `db check` that failed, by name.
std::vector<std::string> failed_checks(const fs::path& folder, std::string& output) {
    const auto run = run_ledgerintake(folder, {"db", "check", "--db", kDb});
    output = run.out + run.err;
    std::vector<std::string> failed;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) {
        const auto at = line.find(": FAILED");
        if (at != std::string::npos && line.rfind("    ", 0) != 0) failed.push_back(line.substr(0, at));
    }
    if (run.status != 0 && failed.empty()) failed.push_back("db check exit " + std::to_string(run.status));
    return failed;
}

struct Reference {
    TraceMap map;
    std::size_t statements = 0;
    std::chrono::microseconds rebuild_time{0};
    Books books;
};

Reference reference_run(const Demo& demo, const std::string& today) {
    const fs::path folder = demo.copy("reference");
    const TracedRun run = run_traced_import(folder, kFile, kDb, {}, true);
    EXPECT_FALSE(run.killed);
    EXPECT_EQ(run.exit_status, 0) << cli_test::read_file(folder / ".stdout")
                                  << cli_test::read_file(folder / ".stderr");
    Reference reference;
    const auto statements = split_statements(run.trace);
    reference.statements = statements.size();
    EXPECT_EQ(reference.statements, run.statements);
    reference.map = classify(statements);
    const std::size_t after = reference.map.rebuild_after;
    if (after > 0 && after < run.arrivals.size())
        reference.rebuild_time = run.arrivals[after] - run.arrivals[after - 1];
    reference.books = read_books(folder / kDb, today);
    return reference;
}

struct Tally {
    std::size_t tried = 0, killed = 0, survived = 0;
};

struct Outcome {
    bool killed = false;
    std::size_t statements_at_kill = 0;
    std::vector<std::string> faults;
    std::size_t reruns = 0, headers = 0, empty_headers = 0;
};

Outcome crash_at(const Demo& demo, const Reference& reference, const CrashPoint& point, std::size_t index,
                 const std::string& today) {
    const std::string name = "point-" + std::to_string(index);
    const fs::path folder = demo.copy(name);
    const auto delay = std::chrono::microseconds(
        static_cast<long long>(point.delay_fraction * static_cast<double>(reference.rebuild_time.count())));
    const TracedRun run = run_traced_import(folder, kFile, kDb, {point.statement, delay}, false);
    Outcome outcome;
    outcome.killed = run.killed;
    outcome.statements_at_kill = run.statements;

    std::string check_output;
    for (const auto& check : failed_checks(folder, check_output))
        if (check != "progressive totals")
            outcome.faults.push_back("after the kill, db check: " + check_output);

    int status = -1;
    std::string last_output;
    while (status != 0 && outcome.reruns < kReruns) {
        ++outcome.reruns;
        const auto rerun = run_ledgerintake(folder, {"import", kFile, "--db", kDb, "--yes"});
        status = rerun.status;
        last_output = rerun.out + rerun.err;
    }
    if (status != 0)
        outcome.faults.push_back("the import again ended with status " + std::to_string(status) + ": " +
                                 last_output);
    if (!failed_checks(folder, check_output).empty())
        outcome.faults.push_back("after the import again, db check: " + check_output);

    const Books books = read_books(folder / kDb, today);
    for (const auto& difference : differences(reference.books, books))
        outcome.faults.push_back("books differ: " + difference);
    outcome.headers = books.headers;
    outcome.empty_headers = books.empty_headers;
    if (outcome.faults.empty()) demo.remove(name);
    return outcome;
}

std::string figures(const std::map<Moment, Tally>& tallies, std::size_t statements, std::size_t empty_headers,
                    std::size_t max_headers, double seconds) {
    std::ostringstream out;
    out << "Crash points over a run of " << statements << " statements (" << entries_per_file()
        << " entries):\n";
    out << "  moment                 tried  killed  survived\n";
    Tally total;
    for (const Moment moment : kMoments) {
        const auto found = tallies.find(moment);
        const Tally t = found == tallies.end() ? Tally{} : found->second;
        char line[120];
        std::snprintf(line, sizeof line, "  %-21s %6zu %7zu %9zu\n", moment_name(moment), t.tried, t.killed,
                      t.survived);
        out << line;
        total.tried += t.tried;
        total.killed += t.killed;
        total.survived += t.survived;
    }
    char line[120];
    std::snprintf(line, sizeof line, "  %-21s %6zu %7zu %9zu\n", "all", total.tried, total.killed,
                  total.survived);
    out << line;
    out << "  import headers left without entries: " << empty_headers
        << "; most headers after one point: " << max_headers << "\n";
    out << "  time: " << static_cast<long>(seconds) << " s\n";
    return out.str();
}

TEST(Crash, ImportKilledAtChosenStatementsLeavesWholeBooksThatAnotherImportCompletes) {
    const auto started = std::chrono::steady_clock::now();
    const std::string today = today_text();
    const Demo demo;
    const Reference reference = reference_run(demo, today);
    ASSERT_GT(reference.statements, 0u);
    ASSERT_GT(reference.map.rebuild_after, 0u) << "no rebuild found in the trace";

    const std::vector<CrashPoint> points = choose_points(reference.map, point_count());
    ASSERT_EQ(points.size(), point_count());
    std::map<Moment, Tally> tallies;
    std::size_t empty_headers = 0, max_headers = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const CrashPoint& point = points[i];
        const Outcome outcome = crash_at(demo, reference, point, i, today);
        Tally& tally = tallies[point.moment];
        ++tally.tried;
        if (outcome.killed) ++tally.killed;
        if (outcome.faults.empty()) ++tally.survived;
        empty_headers += outcome.empty_headers;
        max_headers = std::max(max_headers, outcome.headers);
        std::ostringstream where;
        where << "statement " << point.statement << " of " << reference.statements << " ("
              << moment_name(point.moment) << (point.delay_fraction > 0 ? ", " : "")
              << (point.delay_fraction > 0 ? std::to_string(point.delay_fraction) + " into it" : "")
              << "), killed after " << outcome.statements_at_kill;
        for (const auto& fault : outcome.faults) ADD_FAILURE() << where.str() << ": " << fault;
    }
    // A kill late in the rebuild may come after the program ended; most must land.
    std::size_t killed = 0;
    for (const auto& [moment, tally] : tallies) killed += tally.killed;
    EXPECT_GE(killed * 10, points.size() * 9) << "too few runs were stopped by the kill";
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const std::string text = figures(tallies, reference.statements, empty_headers, max_headers, seconds);
    std::cout << text;
    if (const char* report = std::getenv("LEDGERINTAKE_RELIABILITY_REPORT"); report != nullptr && *report)
        std::ofstream(report) << text;
}

}  // namespace
