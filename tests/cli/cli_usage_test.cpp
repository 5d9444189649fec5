// A wrong command line: status 64, nothing on standard output, and a message on standard
// error that names what was wrong, before anything is opened or created.
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

struct Usage {
    const char* name;
    std::vector<std::string> args;
    std::string says;  // on standard error
};

class WrongCommandLine : public ::testing::TestWithParam<Usage> {};

TEST_P(WrongCommandLine, IsRefusedWithAMessageNamingIt) {
    const Usage& c = GetParam();
    scripted::TempDir dir;
    const auto run = run_ledgerintake(dir.path(), c.args);
    EXPECT_EQ(run.status, 64) << run.err;
    EXPECT_TRUE(run.out.empty()) << run.out;
    EXPECT_TRUE(contains(run.err, "ledgerintake: " + c.says)) << run.err;
    EXPECT_FALSE(fs::exists(dir / "ledgerintake.db")) << "a refused command line created the database";
}

const std::string kCompany = "is not a company code (a whole number from 1 to 2147483647)";
const std::string kEntries = "is not a number of entries (a whole number from 1 to 9999999)";

INSTANTIATE_TEST_SUITE_P(
    Cases, WrongCommandLine,
    ::testing::Values(
        Usage{"EmptyCompany", {"import", "x.xml", "--company", ""}, "--company: '' " + kCompany},
        Usage{"CompanyNotANumber", {"import", "x.xml", "--company", "abc"}, "--company: 'abc' " + kCompany},
        Usage{"CompanyZero", {"import", "x.xml", "--company", "0"}, "--company: '0' " + kCompany},
        Usage{"CompanyNegative", {"import", "x.xml", "--company", "-3"}, "--company: '-3' " + kCompany},
        Usage{"CompanyWithBlanks", {"import", "x.xml", "--company", " 7"}, "--company: ' 7' " + kCompany},
        Usage{"CompanyBeyond32Bits",
              {"import", "x.xml", "--company", "2147483648"},
              "--company: '2147483648' " + kCompany},
        Usage{"UnknownCommand",
              {"frobnicate"},
              "unknown command 'frobnicate' (commands: db, import, history, log, demo)"},
        Usage{"UnknownDbCommand", {"db", "frob"}, "unknown command 'frob' (commands: init, sql, check)"},
        Usage{"NoEntries", {"demo", "--entries", "0"}, "--entries: '0' " + kEntries},
        Usage{"TooManyEntries", {"demo", "--entries", "10000000"}, "--entries: '10000000' " + kEntries},
        Usage{"EntriesNotANumber", {"demo", "--entries", "many"}, "--entries: 'many' " + kEntries},
        Usage{"NoCommand", {}, "A subcommand is required"},
        Usage{"NoDbCommand", {"db"}, "A subcommand is required"},
        Usage{"NoFile", {"import"}, "FILE is required"},
        Usage{"NoStatement", {"db", "sql"}, "STATEMENT is required"},
        Usage{"UnknownAnswer",
              {"import", "a.xml", "--on-error", "maybe"},
              "--on-error: maybe not in {abort,ignore}"},
        Usage{"UnknownOption",
              {"import", "a.xml", "--unknown"},
              "The following argument was not expected: --unknown"},
        Usage{"LogInNoFolder",
              {"import", "a.xml", "--log-file", "no/such/folder/log.txt"},
              "cannot write the log to no/such/folder/log.txt"},
        Usage{"TraceInNoFolder",
              {"import", "a.xml", "--trace-sql", "no/such/folder/trace.sql"},
              "cannot write the statement trace to no/such/folder/trace.sql"}),
    scripted::ByName());

struct DatabaseOutput {
    const char* name;
    std::string option;
    std::string path;  // beside books.db in the test's folder
};

class OutputOnTheDatabase : public ::testing::TestWithParam<DatabaseOutput> {};

// A log or a trace written over the database or a file kept beside it would destroy the
// books: refused, and the database is left byte for byte as it was.
TEST_P(OutputOnTheDatabase, IsRefusedAndTheBooksStayAsTheyWere) {
    const DatabaseOutput& c = GetParam();
    scripted::TempDir dir;
    ASSERT_EQ(run_ledgerintake(dir.path(), {"db", "init", "--db", "books.db"}).status, 0);
    fs::create_directory(dir / "sub");
    fs::create_symlink("books.db", dir / "link.db");
    fs::copy_file(dir / "books.db", dir / "before.db");
    const auto run = run_ledgerintake(dir.path(), {"import", "a.xml", "--db", "books.db", c.option, c.path});
    EXPECT_EQ(run.status, 64) << run.err;
    EXPECT_TRUE(contains(run.err, c.option + " names " + c.path + ", which belongs to the database books.db"))
        << run.err;
    EXPECT_TRUE(cli_test::read_file(dir / "books.db") == cli_test::read_file(dir / "before.db"));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, OutputOnTheDatabase,
    ::testing::Values(DatabaseOutput{"TraceOnTheFile", "--trace-sql", "books.db"},
                      DatabaseOutput{"LogThroughAnotherPath", "--log-file", "sub/../books.db"},
                      DatabaseOutput{"TraceThroughALink", "--trace-sql", "link.db"},
                      DatabaseOutput{"LogOnTheJournal", "--log-file", "books.db-wal"},
                      DatabaseOutput{"TraceOnTheNumbers", "--trace-sql", "books.db.numbers"}),
    scripted::ByName());

TEST(Usage, HelpExitsZero) {
    scripted::TempDir dir;
    const auto run = run_ledgerintake(dir.path(), {"--help"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(contains(run.out, "import")) << run.out;
}

}  // namespace
