// A disk that fills up in the middle of an import (the program may not make any file larger
// than a limit, as on a full disk): the import tells it and ends with its status, the entries
// written are whole, and once there is room again a re-run completes the books.
#include <gtest/gtest.h>

#include <string>
#include <vector>

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

TEST(FullDisk, TheImportStopsToldAndTheReRunCompletes) {
    scripted::TempDir dir;
    ASSERT_EQ(
        run_ledgerintake(dir.path(), {"demo", "--dir", "demo", "--entries", "150", "--no-import"}).status, 0);
    const fs::path demo = dir / "demo";
    const std::string db = (demo / "ledgerintake.db").string();
    std::string file;
    for (const auto& entry : fs::directory_iterator(demo))
        if (entry.path().filename().string().rfind("alfa-", 0) == 0) file = entry.path().string();

    // Room for the master data and a few entries, not for the whole journal.
    const auto room = static_cast<rlim_t>(fs::file_size(db) + 200 * 1024);
    const auto full = cli_test::run_ledgerintake_with_file_limit(demo, {"import", file, "--db", db}, room);
    EXPECT_NE(full.status, 0);
    EXPECT_NE(full.status, -1) << "the program was killed";
    const std::string& out = full.out;
    EXPECT_TRUE(contains(out, "Importazione NON eseguita o eseguita in modo parziale!")) << out;
    const long written = entries(demo, db);
    EXPECT_LT(written, 150);

    // What was written is whole; the totals wait for the rebuild of the next complete run.
    const std::string checked = check_lines(demo, db);
    for (const char* line : {"integrity: ok", "entries whole: ok", "entries balanced: ok",
                             "numbers unique: ok", "numbering store: ok"})
        EXPECT_TRUE(contains(checked, line)) << line << "\n" << checked;

    const auto again = run_ledgerintake(demo, {"import", file, "--db", db, "--yes"});
    EXPECT_EQ(again.status, 0) << again.out << again.err;
    EXPECT_EQ(entries(demo, db), 150);
    EXPECT_TRUE(contains(check_lines(demo, db), "All 6 checks passed.")) << check_lines(demo, db);
}

}  // namespace
