// db init, db sql and demo run as a program in a temporary folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "case_name.h"
#include "cli_process.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;
using cli_test::contains;
using cli_test::run_ledgerintake;

std::string sql(const fs::path& dir, const std::string& statement, const std::string& db = "books.db") {
    const auto run = run_ledgerintake(dir, {"db", "sql", "--db", db, statement});
    EXPECT_EQ(run.status, 0) << statement << ": " << run.err;
    return run.out;
}

TEST(DbInit, CreatesOnceNeverTouchesDataAndNeedsAFolderThatIsThere) {
    scripted::TempDir dir;
    auto run = run_ledgerintake(dir.path(), {"db", "init", "--db", "books.db"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(contains(run.out, "Database created: books.db")) << run.out;
    sql(dir.path(), "INSERT INTO HOST_USER (USER_CODE, USER_GROUP) VALUES ('rossi', 'CONT')");
    run = run_ledgerintake(dir.path(), {"db", "init", "--db", "books.db"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(contains(run.out, "Database ready: books.db")) << run.out;
    EXPECT_EQ(sql(dir.path(), "SELECT USER_CODE, USER_GROUP FROM HOST_USER"),
              "USER_CODE,USER_GROUP\nrossi,CONT\n");
    run = run_ledgerintake(dir.path(), {"db", "init", "--db", "no/such/folder/books.db"});
    EXPECT_EQ(run.status, 74);
    EXPECT_FALSE(run.err.empty());
}

TEST(DbInit, TakesTheDatabaseFromTheEnvironmentThenTheCurrentFolder) {
    scripted::TempDir dir;
    EXPECT_EQ(run_ledgerintake(dir.path(), {"db", "init"}, "", {{"LEDGERINTAKE_DB", "from-env.db"}}).status,
              0);
    EXPECT_TRUE(fs::is_regular_file(dir / "from-env.db"));
    EXPECT_FALSE(fs::exists(dir / "ledgerintake.db"));
    EXPECT_EQ(run_ledgerintake(dir.path(), {"db", "init"}).status, 0);
    EXPECT_TRUE(fs::is_regular_file(dir / "ledgerintake.db"));
}

TEST(DbSql, PrintsTheFirstResultAsCsvWithAHeaderOrFailsWithItsStatus) {
    scripted::TempDir dir;
    ASSERT_EQ(run_ledgerintake(dir.path(), {"db", "init", "--db", "books.db"}).status, 0);
    const std::vector<std::pair<std::string, std::string>> cases = {
        // statement, output
        {"SELECT 'a,b' AS X, NULL AS Y, 'say \"hi\"' AS Z", "X,Y,Z\n\"a,b\",,\"say \"\"hi\"\"\"\n"},
        {"SELECT 1 AS N WHERE 1 = 0", "N\n"},
        {"SELECT TOP 1 N'perché' AS T, 7 AS D", "T,D\nperché,7\n"},
        {"INSERT INTO CG26_PROGANAG (CG26_CODICE, CG26_VALPROG) VALUES ('ANAGG', 7)", ""},
        {"SELECT CG26_CODICE, CG26_VALPROG FROM CG26_PROGANAG WITH (NOLOCK)",
         "CG26_CODICE,CG26_VALPROG\nANAGG,7\n"},
    };
    for (const auto& [statement, output] : cases) EXPECT_EQ(sql(dir.path(), statement), output) << statement;
    const auto run = run_ledgerintake(dir.path(), {"db", "sql", "--db", "books.db", "-"},
                                      "SELECT CG26_VALPROG + 1 AS NEXT\r\nFROM CG26_PROGANAG\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "NEXT\n8\n");
}

struct SqlFailure {
    const char* name;
    std::string db;
    std::string statement;
    int status;
    std::string says;  // on standard error
};

class DbSqlFailure : public ::testing::TestWithParam<SqlFailure> {};

// Failures print nothing on standard output and have their status; a missing database is
// not created; a statement the engine cannot run is refused with a message, never a crash.
TEST_P(DbSqlFailure, PrintsNothingAndExitsWithItsStatus) {
    const SqlFailure& c = GetParam();
    scripted::TempDir dir;
    ASSERT_EQ(run_ledgerintake(dir.path(), {"db", "init", "--db", "books.db"}).status, 0);
    const auto failed = run_ledgerintake(dir.path(), {"db", "sql", "--db", c.db, c.statement});
    EXPECT_EQ(failed.status, c.status) << failed.err;
    EXPECT_TRUE(failed.out.empty()) << failed.out;
    EXPECT_TRUE(contains(failed.err, c.says)) << failed.err;
    EXPECT_FALSE(fs::exists(dir / "absent.db"));
}

INSTANTIATE_TEST_SUITE_P(
    Statements, DbSqlFailure,
    ::testing::Values(
        SqlFailure{"missing database", "absent.db", "SELECT 1", 74, "absent.db"},
        SqlFailure{"misspelt keyword", "books.db", "SELEC nothing", 65, "syntax"},
        SqlFailure{"unknown table", "books.db", "SELECT * FROM NO_SUCH_TABLE", 65, "NO_SUCH_TABLE"},
        SqlFailure{"blank statement", "books.db", "   ", 64, ""},
        SqlFailure{"empty standard input", "books.db", "-", 64, ""},
        SqlFailure{"unclosed parenthesis after TOP", "books.db", "SELECT TOP (", 65, "Incorrect syntax"},
        SqlFailure{"identity seed beyond 64 bits", "books.db",
                   "CREATE TABLE BIG (ID INT IDENTITY(99999999999999999999999, 1), X INT)", 65,
                   "99999999999999999999999"}),
    scripted::ByName());

// The second run keeps the books, rewrites the files and imports the good file again: the
// verification then finds everything the first run created, and every entry is skipped.
TEST(Demo, RunsTwiceOnTheSameFolder) {
    scripted::TempDir dir;
    const auto first = run_ledgerintake(dir.path(), {"demo", "--entries", "8"});
    EXPECT_EQ(first.status, 0) << first.out << first.err;
    EXPECT_TRUE(contains(first.out, "File accepted:")) << first.out;
    EXPECT_TRUE(contains(first.out, "8 entries")) << first.out;
    EXPECT_TRUE(contains(first.out,
                         "Master data the import created in company 1:\n"
                         "  causals: NCC Nota credito a cliente (linked causal RIMC), RIMC Rimborso a "
                         "cliente\n  VAT codes: N2 Non soggetto art.7\n"))
        << first.out;
    EXPECT_TRUE(contains(first.out,
                         "  suppliers: 2 Carta e Penna S.p.A. (registry 1006), 3 Tipografia Rapida "
                         "S.r.l. (registry 1005), 4 Ottica Moderna S.n.c. (registry 1001)\n"))
        << first.out;
    const fs::path folder = dir / "ledgerintake-demo";
    const std::string db = (folder / "ledgerintake.db").string();
    const std::string count =
        "SELECT (SELECT COUNT(*) FROM CGG5_STRUTGR) AS G, (SELECT COUNT(*) FROM HOST_COMPANY) AS C, "
        "(SELECT COUNT(*) FROM IE42_IMPCOGE) AS H, (SELECT COUNT(*) FROM CG33_TABCAU) AS CAU, "
        "(SELECT COUNT(*) FROM CG28_TABCODIVA) AS IVA, (SELECT COUNT(*) FROM CG16_ANAGGEN) AS ANAG, "
        "(SELECT COUNT(*) FROM CG44_CLIFOR) AS CF, (SELECT COUNT(*) FROM CG41_PRIMANOTA) AS E, "
        "(SELECT COUNT(*) FROM IE43_DETTIMPCOGE) AS D";
    // One import history header with a detail per entry; the second run skips every entry
    // and leaves no header of its own.
    const std::string after_first = "G,C,H,CAU,IVA,ANAG,CF,E,D\n6,1,1,6,4,9,8,8,8\n";
    EXPECT_EQ(sql(dir.path(), count, db), after_first);

    const auto second = run_ledgerintake(dir.path(), {"demo", "--entries", "8"});
    EXPECT_EQ(second.status, 0) << second.out << second.err;
    EXPECT_TRUE(contains(second.out, "already holds the VAT group")) << second.out;
    EXPECT_TRUE(contains(second.out, "The import created no master data in company 1")) << second.out;
    EXPECT_EQ(sql(dir.path(), count, db), after_first);
    int xml_files = 0;
    for (const auto& entry : fs::directory_iterator(folder)) xml_files += entry.path().extension() == ".xml";
    EXPECT_EQ(xml_files, 3);
}

}  // namespace
