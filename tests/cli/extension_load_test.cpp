// libledgerintake_sqlite.so loaded by plain SQLite: into a connection of this process, and
// into the sqlite3 shell run as a program. Either can then check and query a demo database,
// which without the extension fails on the first text column it compares.
#include <sqlite3.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli_process.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;
using cli_test::contains;

const char* const kExtension = LEDGERINTAKE_SQLITE_EXTENSION;
constexpr const char* kShell = "/usr/bin/sqlite3";

// The demo's causal codes by description, as the engine orders them: the expected answer.
constexpr const char* kCausalsByDescription =
    "SELECT CG33_CODICE FROM CG33_TABCAU ORDER BY CG33_DESCR, CG33_CODICE";

// Under the collation 'fv' is 'FV'; in byte order every upper-case code sorts before it.
constexpr const char* kCausalsFromFv =
    "SELECT CG33_CODICE FROM CG33_TABCAU WHERE CG33_CODICE >= 'fv' ORDER BY CG33_CODICE DESC";
// Case ignored, accents counted: byte order would give B, Città, Cittadella, a, citta, e, f, é.
constexpr const char* kWordsInOrder =
    "SELECT w FROM (SELECT 'f' AS w UNION ALL SELECT 'é' UNION ALL SELECT 'Cittadella' UNION ALL SELECT 'B' "
    "UNION ALL SELECT 'citta' UNION ALL SELECT 'e' UNION ALL SELECT 'Città' UNION ALL SELECT 'a') "
    "ORDER BY w COLLATE CI_RTRIM";

class Extension : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        demo_ = new scripted::TempDir;
        const auto run = cli_test::run_ledgerintake(demo_->path(), {"demo", "--dir", "d", "--entries", "12"});
        ASSERT_EQ(run.status, 0) << run.out << run.err;
        const auto sql =
            cli_test::run_ledgerintake(demo_->path(), {"db", "sql", "--db", db(), kCausalsByDescription});
        ASSERT_EQ(sql.status, 0) << sql.err;
        // The engine reads CHAR columns back padded to their width; SQLite gives them as stored.
        engine_order_ = new std::string;
        std::string rest = sql.out.substr(sql.out.find('\n') + 1);
        for (std::size_t end; (end = rest.find('\n')) != std::string::npos; rest.erase(0, end + 1))
            *engine_order_ += rest.substr(0, rest.find_last_not_of(' ', end - 1) + 1) + '\n';
    }
    static void TearDownTestSuite() {
        delete demo_;
        delete engine_order_;
    }
    static std::string db() { return (demo_->path() / "d" / "ledgerintake.db").string(); }

    static scripted::TempDir* demo_;
    static std::string* engine_order_;  // one code per line
};

scripted::TempDir* Extension::demo_ = nullptr;
std::string* Extension::engine_order_ = nullptr;

struct Closer {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
using Database = std::unique_ptr<sqlite3, Closer>;

Database open_read_only(const std::string& path) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
    Database db(raw);
    EXPECT_EQ(rc, SQLITE_OK) << sqlite3_errmsg(raw);
    return db;
}

// The rows of a statement, one line each, columns joined by "|"; or "error: ..." .
std::string rows(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &raw, nullptr) != SQLITE_OK)
        return std::string("error: ") + sqlite3_errmsg(db);
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement(raw, sqlite3_finalize);
    std::string out;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        for (int i = 0; i < sqlite3_column_count(raw); ++i) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(raw, i));
            out += (i == 0 ? "" : "|") + std::string(text ? text : "");
        }
        out += '\n';
    }
    return rc == SQLITE_DONE ? out : std::string("error: ") + sqlite3_errmsg(db);
}

std::string load(sqlite3* db, const char* file, const char* entry = nullptr) {
    sqlite3_enable_load_extension(db, 1);
    char* error = nullptr;
    const int rc = sqlite3_load_extension(db, file, entry, &error);
    std::string message = rc == SQLITE_OK ? "" : (error ? error : "failed");
    sqlite3_free(error);
    return message;
}

TEST_F(Extension, WithoutItPlainSqliteCannotCompareText) {
    const Database conn = open_read_only(db());
    EXPECT_TRUE(contains(rows(conn.get(), "PRAGMA integrity_check"), "no such collation sequence: CI_RTRIM"));
    EXPECT_TRUE(contains(rows(conn.get(), kCausalsByDescription), "no such collation sequence"));
}

TEST_F(Extension, LoadedIntoAConnectionItChecksOrdersAndComputesAsTheEngine) {
    const Database conn = open_read_only(db());
    ASSERT_EQ(load(conn.get(), kExtension), "");  // entry point found from the file name
    EXPECT_EQ(rows(conn.get(), "PRAGMA integrity_check"), "ok\n");
    EXPECT_EQ(rows(conn.get(), kCausalsByDescription), *engine_order_);
    // Codes compare ignoring case and trailing blanks, as the books compare them.
    EXPECT_EQ(rows(conn.get(), "SELECT COUNT(*) FROM CG33_TABCAU WHERE CG33_CODICE = 'fv  '"), "1\n");
    EXPECT_EQ(rows(conn.get(), kCausalsFromFv), "RIMC\nPAG\nNCC\nINC\nFV\n");
    EXPECT_EQ(rows(conn.get(), kWordsInOrder), "a\nB\ncitta\nCittà\nCittadella\ne\né\nf\n");
    EXPECT_EQ(rows(conn.get(), "SELECT li_len('abc  '), li_left('città', 4), li_date('31/01/2024')"),
              "3|citt|20240131\n");
    // SUM is the engine's exact sum: ten times 0.1 is 1, not 0.9999999999999999.
    EXPECT_EQ(rows(conn.get(),
                   "WITH RECURSIVE t(n, v) AS (SELECT 1, 0.1 UNION ALL SELECT n + 1, 0.1 FROM t "
                   "WHERE n < 10) SELECT sum(v) = 1 FROM t"),
              "1\n");
}

TEST_F(Extension, ANamedEntryPointThatIsNotThereIsRefused) {
    const Database conn = open_read_only(db());
    EXPECT_TRUE(contains(load(conn.get(), kExtension, "sqlite3_nosuch_init"), "sqlite3_nosuch_init"));
    EXPECT_TRUE(contains(rows(conn.get(), "PRAGMA integrity_check"), "no such collation sequence"));
}

// The shell's output (and errors) for a database and the commands it reads, one a line.
cli_test::Run shell(const fs::path& folder, const std::string& database,
                    const std::vector<std::string>& commands) {
    std::string input;
    for (const std::string& c : commands) input += c + '\n';
    cli_test::write_file(folder / "commands.sql", input);
#ifdef LEDGERINTAKE_SANITIZER_RUNTIMES
    // The shell is no sanitized program; the extension of a sanitizer build needs their
    // runtimes loaded first. The shell's own allocations are not ours to check.
    const std::string prefix = std::string("env LD_PRELOAD='") + LEDGERINTAKE_SANITIZER_RUNTIMES +
                               "' ASAN_OPTIONS=detect_leaks=0:verify_asan_link_order=0 ";
#else
    const std::string prefix;
#endif
    const std::string line =
        prefix + kShell + " -batch '" + database + "' < '" + (folder / "commands.sql").string() + "' 2>&1";
    cli_test::Run run;
    FILE* pipe = ::popen(line.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST_F(Extension, TheSqliteShellLoadsItChecksAndQueries) {
    if (::access(kShell, X_OK) != 0) GTEST_SKIP() << kShell << " is not installed (Debian package sqlite3)";
    scripted::TempDir folder;
    const auto without = shell(folder.path(), db(), {"PRAGMA integrity_check;"});
    EXPECT_TRUE(contains(without.out, "no such collation sequence: CI_RTRIM")) << without.out;
    const auto with = shell(folder.path(), db(),
                            {std::string(".load ") + kExtension, "PRAGMA integrity_check;",
                             std::string(kCausalsByDescription) + ";", std::string(kCausalsFromFv) + ";",
                             "SELECT li_len('abc  '), li_decimal('1.23455', 4);"});
    EXPECT_EQ(with.status, 0) << with.out;
    EXPECT_EQ(with.out, "ok\n" + *engine_order_ + "RIMC\nPAG\nNCC\nINC\nFV\n3|1.2346\n");
}

}  // namespace
