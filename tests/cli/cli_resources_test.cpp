// A disk that fills up in the middle of an import (the program may not make any file larger
// than a limit, as on a full disk), and a file system that turns read-only in the middle of
// one: the import tells it and ends with its status, the entries written are whole, and once
// the disk takes writes again a re-run completes the books.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "case_name.h"
#include "cli_process.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;
using cli_test::contains;
using cli_test::run_ledgerintake;

std::string check_lines(const fs::path& folder, const std::string& db) {
    return run_ledgerintake(folder, {"db", "check", "--db", db}).out;
}

long entries(const fs::path& folder, const std::string& db) {
    const auto run =
        run_ledgerintake(folder, {"db", "sql", "--db", db, "SELECT COUNT(*) AS N FROM CG41_PRIMANOTA"});
    EXPECT_EQ(run.status, 0) << run.err;
    return std::stol(run.out.substr(run.out.find('\n') + 1));
}

constexpr int kEntries = 150;
const char* const kWholeBooks[] = {"integrity: ok", "entries whole: ok", "entries balanced: ok",
                                   "numbers unique: ok", "numbering store: ok"};

// A demo folder with its database in books/ (a folder of its own, so that the program's
// outputs, which the tests keep next to it, are not on the disk that fails) and the member's
// file.
struct DemoBooks {
    fs::path folder, db_folder;
    std::string db, file;

    explicit DemoBooks(const scripted::TempDir& dir, const std::string& name = "demo") {
        EXPECT_EQ(run_ledgerintake(dir.path(), {"demo", "--dir", name, "--entries", std::to_string(kEntries),
                                                "--no-import"})
                      .status,
                  0);
        folder = fs::canonical(dir / name);
        db_folder = folder / "books";
        fs::create_directory(db_folder);
        fs::rename(folder / "ledgerintake.db", db_folder / "ledgerintake.db");
        db = (db_folder / "ledgerintake.db").string();
        for (const auto& entry : fs::directory_iterator(folder))
            if (entry.path().filename().string().rfind("alfa-", 0) == 0) file = entry.path().string();
    }

    // What was written is whole; the totals wait for the rebuild of the next complete run. A
    // re-run then completes the books.
    void expect_whole_and_completed_by_a_rerun() const {
        const long written = entries(folder, db);
        EXPECT_LT(written, kEntries);
        const std::string checked = check_lines(folder, db);
        for (const char* line : kWholeBooks) EXPECT_TRUE(contains(checked, line)) << line << "\n" << checked;
        const auto again = run_ledgerintake(folder, {"import", file, "--db", db, "--yes"});
        EXPECT_EQ(again.status, 0) << again.out << again.err;
        EXPECT_EQ(entries(folder, db), kEntries);
        EXPECT_TRUE(contains(check_lines(folder, db), "All 6 checks passed.")) << check_lines(folder, db);
    }
};

TEST(FullDisk, TheImportStopsToldAndTheReRunCompletes) {
    scripted::TempDir dir;
    const DemoBooks demo(dir);
    // Room for the master data and a few entries, not for the whole journal.
    const auto room = static_cast<rlim_t>(fs::file_size(demo.db) + 200 * 1024);
    const auto full =
        cli_test::run_ledgerintake_with_file_limit(demo.folder, {"import", demo.file, "--db", demo.db}, room);
    EXPECT_NE(full.status, 0);
    EXPECT_NE(full.status, -1) << "the program was killed";
    EXPECT_TRUE(contains(full.out, "Importazione NON eseguita o eseguita in modo parziale!")) << full.out;
    EXPECT_TRUE(contains(full.out, "disk I/O error")) << full.out;
    demo.expect_whole_and_completed_by_a_rerun();
}

// The environment that preloads the read-only switch into the program (a sanitizer's runtime
// would otherwise insist on being the first library loaded).
std::map<std::string, std::string> read_only_switch(const DemoBooks& demo, long after,
                                                    const fs::path& count) {
    const char* asan = std::getenv("ASAN_OPTIONS");
    return {{"LD_PRELOAD", LEDGERINTAKE_READ_ONLY_FS},
            {"LI_READ_ONLY_DIR", demo.db_folder.string() + "/"},
            {"LI_READ_ONLY_AFTER", std::to_string(after)},
            {"LI_READ_ONLY_COUNT", count.string()},
            {"ASAN_OPTIONS", std::string(asan ? asan : "") + ":verify_asan_link_order=0"}};
}

struct ReadOnlyPoint {
    const char* name;
    double fraction;  // of the writes an uninterrupted import makes
};

class ReadOnlyMidImport : public ::testing::TestWithParam<ReadOnlyPoint> {};

TEST_P(ReadOnlyMidImport, TheImportStopsToldAndTheReRunCompletes) {
    scripted::TempDir dir;
    long writes = 0;
    {
        const DemoBooks counted(dir, "counted");
        const auto run = run_ledgerintake(counted.folder, {"import", counted.file, "--db", counted.db}, {},
                                          read_only_switch(counted, -1, dir / "writes"));
        ASSERT_EQ(run.status, 0) << run.out << run.err;
        writes = std::stol(cli_test::read_file(dir / "writes"));
        ASSERT_GT(writes, 100);
    }
    const DemoBooks demo(dir);
    const long after = static_cast<long>(GetParam().fraction * static_cast<double>(writes));
    const auto run = run_ledgerintake(demo.folder, {"import", demo.file, "--db", demo.db}, {},
                                      read_only_switch(demo, after, dir / "writes-stopped"));
    EXPECT_NE(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.status, -1) << "the program was killed";
    // The first refused write is told with the engine's words, on the log row or in the
    // error the procedure reports; whatever comes later is refused as a read-only database.
    EXPECT_TRUE(contains(run.out + run.err, "disk I/O error")) << run.out << run.err;
    demo.expect_whole_and_completed_by_a_rerun();
}

const ReadOnlyPoint kReadOnlyPoints[] = {
    {"DuringTheMasterData", 0.02},
    {"EarlyInTheJournal", 0.2},
    {"MidJournal", 0.5},
    {"LateInTheJournal", 0.9},
};

INSTANTIATE_TEST_SUITE_P(Points, ReadOnlyMidImport, ::testing::ValuesIn(kReadOnlyPoints), scripted::ByName());

}  // namespace
