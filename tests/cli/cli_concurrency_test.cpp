// Imports and readers on one database at the same time, and a lock held longer than the
// import will wait: both imports finish with the books whole, and a refused lock is told,
// leaves nothing half-written and a re-run completes.
#include <gtest/gtest.h>

#include <future>
#include <string>
#include <vector>

#include "ado/connection.h"
#include "cli_process.h"
#include "refhost/database.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;
using cli_test::contains;
using Outcome = cli_test::Run;
using cli_test::run_ledgerintake;

// A demo without its import, and one folder per concurrent run (each keeps its outputs there).
struct Books {
    explicit Books(int entries) {
        const auto made = run_ledgerintake(
            dir.path(), {"demo", "--dir", "demo", "--entries", std::to_string(entries), "--no-import"});
        EXPECT_EQ(made.status, 0) << made.err;
        for (const char* folder : {"a", "b", "h", "s"}) fs::create_directory(dir / folder);
        db = (dir / "demo" / "ledgerintake.db").string();
    }
    std::string file(const std::string& member) const {
        for (const auto& entry : fs::directory_iterator(dir / "demo"))
            if (entry.path().filename().string().rfind(member + "-", 0) == 0) return entry.path().string();
        return {};
    }
    Outcome in(const std::string& folder, const std::vector<std::string>& args) const {
        return run_ledgerintake(dir / folder, args);
    }
    long entries() const {
        const Outcome run = in("s", {"db", "sql", "--db", db, "SELECT COUNT(*) AS N FROM CG41_PRIMANOTA"});
        EXPECT_EQ(run.status, 0) << run.err;
        return std::stol(run.out.substr(run.out.find('\n') + 1));
    }
    scripted::TempDir dir;
    std::string db;
};

TEST(Concurrency, TwoImportsAndReadersAtOnceAllFinishWithTheBooksWhole) {
    const Books books(120);
    auto alfa = std::async(std::launch::async, [&] {
        return books.in("a", {"import", books.file("alfa"), "--db", books.db});
    });
    auto beta = std::async(std::launch::async, [&] {
        return books.in("b", {"import", books.file("beta"), "--db", books.db});
    });
    for (int i = 0; i < 4; ++i) {
        const Outcome history = books.in("h", {"history", "--db", books.db});
        EXPECT_EQ(history.status, 0) << history.err;
        const Outcome sql =
            books.in("s", {"db", "sql", "--db", books.db, "SELECT COUNT(*) AS N FROM CO99_MASTERDOC"});
        EXPECT_EQ(sql.status, 0) << sql.err;
    }
    const Outcome a = alfa.get(), b = beta.get();
    EXPECT_EQ(a.status, 0) << a.out << a.err;
    EXPECT_EQ(b.status, 0) << b.out << b.err;
    const Outcome check = books.in("s", {"db", "check", "--db", books.db});
    EXPECT_EQ(check.status, 0) << check.out << check.err;
    EXPECT_EQ(books.entries(), 240);
}

TEST(Concurrency, ALockHeldLongerThanTheWaitIsToldAndLeavesNothingHalfWritten) {
    const Books books(4);
    {
        // Another program writing to the books and keeping its transaction open.
        ado::Connection holder(refhost::connection_string(books.db));
        holder.Open();
        holder.BeginTrans();
        holder.Execute("UPDATE HOST_SCHEMA SET CREATED = CREATED");
        const Outcome run =
            books.in("a", {"import", books.file("beta"), "--db", books.db, "--busy-timeout", "200"});
        EXPECT_NE(run.status, 0) << run.out;
        EXPECT_TRUE(contains(run.err, "database is locked")) << run.err;
        holder.RollbackTrans();
    }
    const Outcome check = books.in("s", {"db", "check", "--db", books.db});
    EXPECT_EQ(check.status, 0) << check.out << check.err;
    EXPECT_EQ(books.entries(), 0);

    const Outcome again = books.in("a", {"import", books.file("beta"), "--db", books.db, "--yes"});
    EXPECT_EQ(again.status, 0) << again.out << again.err;
    EXPECT_EQ(books.entries(), 4);
}

}  // namespace
