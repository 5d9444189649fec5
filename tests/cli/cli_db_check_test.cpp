// db check run as a program on a demo database: every check passes on the books the demo
// imports, and each fails, naming what is wrong, when the thing it checks is broken.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "case_name.h"
#include "cli_process.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;
using cli_test::contains;
using cli_test::run_ledgerintake;

const std::vector<std::string> kChecks = {"integrity",      "entries whole",   "entries balanced",
                                          "numbers unique", "numbering store", "progressive totals"};

// One demo database for the suite; each case works on a copy of it and its store of numbers.
class DbCheckDemo : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        demo_ = new scripted::TempDir;
        const auto run = run_ledgerintake(demo_->path(), {"demo", "--dir", "d", "--entries", "24"});
        ASSERT_EQ(run.status, 0) << run.out << run.err;
    }
    static void TearDownTestSuite() {
        delete demo_;
        demo_ = nullptr;
    }

    void SetUp() override {
        for (const char* file : {"ledgerintake.db", "ledgerintake.db.numbers"})
            fs::copy_file(demo_->path() / "d" / file, dir_ / file);
    }

    cli_test::Run check(const std::vector<std::string>& more = {}) {
        std::vector<std::string> args = {"db", "check", "--db", "ledgerintake.db"};
        args.insert(args.end(), more.begin(), more.end());
        return run_ledgerintake(dir_.path(), args);
    }

    void sql(const std::string& statement, const std::string& db = "ledgerintake.db") {
        const auto run = run_ledgerintake(dir_.path(), {"db", "sql", "--db", db, statement});
        ASSERT_EQ(run.status, 0) << statement << ": " << run.err;
    }

    static scripted::TempDir* demo_;
    scripted::TempDir dir_;
};

scripted::TempDir* DbCheckDemo::demo_ = nullptr;

TEST_F(DbCheckDemo, PassesEveryCheckOnTheDemoBooks) {
    const auto run = check();
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    for (const std::string& name : kChecks) EXPECT_TRUE(contains(run.out, "\n" + name + ": ok\n")) << run.out;
    EXPECT_TRUE(contains(run.out, "All 6 checks passed.")) << run.out;
}

TEST_F(DbCheckDemo, JsonIsOneObjectWithEveryCheck) {
    sql("UPDATE HOST_PROG_IVA SET TAX = TAX + 1");
    const auto run = check({"--json"});
    EXPECT_EQ(run.status, 1) << run.err;
    ASSERT_EQ(run.out.find('\n'), run.out.size() - 1) << run.out;
    EXPECT_EQ(run.out.rfind("{\"status\":1,\"database\":\"ledgerintake.db\"", 0), 0u) << run.out;
    for (const std::string& name : kChecks)
        EXPECT_TRUE(contains(run.out, "{\"name\":\"" + name + "\"")) << name;
    EXPECT_TRUE(contains(run.out, "{\"name\":\"progressive totals\",\"passed\":false,")) << run.out;
    EXPECT_TRUE(contains(run.out, "{\"name\":\"entries whole\",\"passed\":true,\"problems\":0,\"shown\":[]}"))
        << run.out;
}

TEST_F(DbCheckDemo, ChangesNothingInTheBooks) {
    const std::string before = cli_test::read_file(dir_ / "ledgerintake.db");
    EXPECT_EQ(check().status, 0);
    EXPECT_EQ(cli_test::read_file(dir_ / "ledgerintake.db"), before);
}

TEST(DbCheck, ADatabaseThatCannotBeReadIs74) {
    scripted::TempDir dir;
    cli_test::write_file(dir / "text.db", "not a database at all, just some text long enough to look at");
    ASSERT_EQ(run_ledgerintake(dir.path(), {"db", "init", "--db", "empty.db"}).status, 0);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"absent.db", "no such file"}, {"text.db", "not a readable database"}, {"empty.db", ""}};
    for (const auto& [db, says] : cases) {
        const auto run = run_ledgerintake(dir.path(), {"db", "check", "--db", db});
        // An empty database of ours has nothing inconsistent in it.
        EXPECT_EQ(run.status, db == "empty.db" ? 0 : 74) << db << ": " << run.out << run.err;
        EXPECT_TRUE(contains(run.err, says)) << db << ": " << run.err;
    }
    EXPECT_FALSE(fs::exists(dir / "absent.db"));
}

// The page of the leaf where the index IX_CG42_CONTO starts (its leftmost leaf), found by
// walking down from its root page along the first child of each interior page.
std::int64_t leftmost_leaf(std::fstream& file, std::int64_t page_size, std::int64_t page) {
    for (;;) {
        std::vector<unsigned char> bytes(static_cast<std::size_t>(page_size));
        file.seekg((page - 1) * page_size);
        file.read(reinterpret_cast<char*>(bytes.data()), page_size);
        if (bytes[0] != 0x02) return page;  // not an interior index page
        const std::size_t cell = static_cast<std::size_t>(bytes[12] << 8 | bytes[13]);
        page =
            std::int64_t{bytes[cell]} << 24 | bytes[cell + 1] << 16 | bytes[cell + 2] << 8 | bytes[cell + 3];
    }
}

// Changes one digit of the first account code stored in that leaf, so that an index entry no
// longer matches its row.
void corrupt_account_index(const fs::path& db, std::int64_t root) {
    std::fstream file(db, std::ios::in | std::ios::out | std::ios::binary);
    unsigned char header[18];
    file.read(reinterpret_cast<char*>(header), sizeof header);
    const std::int64_t page_size = header[16] == 0 && header[17] == 1 ? 65536 : header[16] << 8 | header[17];
    const std::int64_t leaf = leftmost_leaf(file, page_size, root);
    std::string bytes(static_cast<std::size_t>(page_size), '\0');
    file.seekg((leaf - 1) * page_size);
    file.read(bytes.data(), page_size);
    // The leaf's first cell (its lowest key): the cell pointer after the 8-byte leaf header.
    const std::size_t first_cell = static_cast<std::size_t>(static_cast<unsigned char>(bytes[8]) << 8 |
                                                            static_cast<unsigned char>(bytes[9]));
    std::size_t at = std::string::npos;
    for (std::size_t i = first_cell; i + 10 <= bytes.size() && at == std::string::npos; ++i)
        if (bytes.find_first_not_of("0123456789", i) >= i + 10) at = i;
    ASSERT_NE(at, std::string::npos) << "no account code in page " << leaf;
    bytes[at] = bytes[at] == '9' ? '8' : '9';
    file.seekp((leaf - 1) * page_size);
    file.write(bytes.data(), page_size);
}

struct Breakage {
    const char* name;
    std::vector<std::pair<std::string, std::string>> statements;  // database, statement
    std::vector<std::string> failing;                             // the checks that must fail
    std::string says;                                             // in the report
    bool others_may_fail = false;
};

class DbCheckBreak : public DbCheckDemo, public ::testing::WithParamInterface<Breakage> {};

const std::string kBooks = "ledgerintake.db";
const std::string kFirstEntry = "(SELECT MIN(CG41_NUMREG) FROM CG41_PRIMANOTA)";

TEST_P(DbCheckBreak, FailsTheCheckThatLooksAtIt) {
    const Breakage& c = GetParam();
    for (const auto& [db, statement] : c.statements) {
        if (statement == "corrupt") {
            const auto root = run_ledgerintake(
                dir_.path(), {"db", "sql", "--db", kBooks,
                              "SELECT rootpage AS R FROM sqlite_master WHERE name = 'IX_CG42_CONTO'"});
            ASSERT_EQ(root.status, 0) << root.err;
            corrupt_account_index(dir_ / db, std::stoll(root.out.substr(root.out.find('\n') + 1)));
        } else {
            sql(statement, db);
        }
    }
    const auto run = check();
    EXPECT_EQ(run.status, 1) << run.out << run.err;
    for (const std::string& name : kChecks) {
        const bool fails = std::find(c.failing.begin(), c.failing.end(), name) != c.failing.end();
        if (fails) {
            EXPECT_TRUE(contains(run.out, "\n" + name + ": FAILED: ")) << name << "\n" << run.out;
        } else if (!c.others_may_fail) {
            EXPECT_TRUE(contains(run.out, "\n" + name + ": ok\n")) << name << "\n" << run.out;
        }
    }
    EXPECT_TRUE(contains(run.out, c.says)) << run.out;
    EXPECT_TRUE(contains(run.out, std::to_string(c.failing.size()) + " of 6 checks failed.") ||
                c.others_may_fail)
        << run.out;
}

INSTANTIATE_TEST_SUITE_P(
    Books, DbCheckBreak,
    ::testing::Values(
        Breakage{"an entry without account rows",
                 {{kBooks, "DELETE FROM CG42_MOVCONT WHERE CG42_NUMREG_CG41 = " + kFirstEntry}},
                 {"entries whole", "progressive totals"},
                 "no CG42_MOVCONT row"},
        Breakage{"an account row deleted",
                 {{kBooks, "DELETE FROM CG42_MOVCONT WHERE CG42_NUMREG_CG41 = " + kFirstEntry +
                               " AND CG42_NUMRIGACONT = 2"}},
                 {"entries balanced", "progressive totals"},
                 "entries balanced: FAILED: 1 problem(s)\n    company 1 entry "},
        Breakage{"an entry without its master document",
                 {{kBooks, "DELETE FROM CO99_MASTERDOC WHERE CO99_NUMREG = " + kFirstEntry}},
                 {"entries whole"},
                 ": no CO99_MASTERDOC row"},
        Breakage{"a member entry taken over twice",
                 {{kBooks,
                   "INSERT INTO IE43_DETTIMPCOGE (IE43_DITTA_CG18, IE43_AZIENDARIF, IE43_NUMREG_AZIENDARIF, "
                   "IE43_NUMREG_CO99, IE43_ID_IE42) SELECT TOP 1 IE43_DITTA_CG18, IE43_AZIENDARIF, "
                   "IE43_NUMREG_AZIENDARIF, IE43_NUMREG_CO99, IE43_ID_IE42 FROM IE43_DETTIMPCOGE"}},
                 {"numbers unique"},
                 "numbers unique: FAILED: 1 problem(s)\n    IE43_DETTIMPCOGE member entry taken over"},
        Breakage{"a monthly account total changed",
                 {{kBooks,
                   "UPDATE HOST_PROG_CONTI SET DEBIT = DEBIT + 0.01 WHERE ACCOUNT = (SELECT MIN(ACCOUNT) "
                   "FROM HOST_PROG_CONTI) AND MONTH = (SELECT MIN(MONTH) FROM HOST_PROG_CONTI)"}},
                 {"progressive totals"},
                 "progressive totals: FAILED: 1 problem(s)\n    HOST_PROG_CONTI (COMPANY_CODE 1"},
        Breakage{"a protocol of a VAT register changed",
                 {{kBooks,
                   "UPDATE HOST_PROG_REGISTRI_IVA SET LAST_PROTOCOL = 99999 WHERE MONTH = (SELECT "
                   "MIN(MONTH) FROM HOST_PROG_REGISTRI_IVA)"}},
                 {"progressive totals"},
                 "LAST_PROTOCOL 99999 where the journal gives"},
        Breakage{"a VAT total of an activity changed",
                 {{kBooks,
                   "UPDATE HOST_PROG_IVA_ATTIVITA SET TAXABLE = TAXABLE + 1 WHERE MONTH = (SELECT "
                   "MIN(MONTH) FROM HOST_PROG_IVA_ATTIVITA) AND VAT_CODE = (SELECT MIN(VAT_CODE) FROM "
                   "HOST_PROG_IVA_ATTIVITA)"}},
                 {"progressive totals"},
                 "progressive totals: FAILED: 1 problem(s)\n    HOST_PROG_IVA_ATTIVITA (COMPANY_CODE 1, "
                 "ACTIVITY_ID "},
        Breakage{"an exercise total removed",
                 {{kBooks,
                   "DELETE FROM HOST_PROG_ESERCIZIO WHERE ACCOUNT = (SELECT MIN(ACCOUNT) FROM "
                   "HOST_PROG_ESERCIZIO)"}},
                 {"progressive totals"},
                 "progressive totals: FAILED: 1 problem(s)\n    HOST_PROG_ESERCIZIO (COMPANY_CODE 1, "},
        Breakage{"a VAT total of a month without entries",
                 {{kBooks,
                   "INSERT INTO HOST_PROG_IVA (COMPANY_CODE, VAT_CODE, SECTION, YEAR, MONTH, TAXABLE, TAX) "
                   "VALUES (1, '22', '01', 1999, 1, 100, 22)"}},
                 {"progressive totals"},
                 "HOST_PROG_IVA (COMPANY_CODE 1, VAT_CODE 22, SECTION 01, YEAR 1999, MONTH 1): TAXABLE 100, "
                 "TAX 22 but no journal rows"},
        Breakage{"the store's registration counter set back",
                 {{"ledgerintake.db.numbers",
                   "UPDATE HOST_NUMBERING SET LAST_NUMBER = LAST_NUMBER - 1 WHERE "
                   "KIND = 999"}},
                 {"numbering store"},
                 "numbering store: FAILED: 1 problem(s)\n    HOST_NUMBERING company 1 kind 999 year "},
        Breakage{"the store's supplier counter set back",
                 {{"ledgerintake.db.numbers", "UPDATE HOST_NUMBERING SET LAST_NUMBER = 1 WHERE KIND = 902"}},
                 {"numbering store"},
                 "(CG44_CLIFOR suppliers)"},
        // Queries that read the index may go wrong too: only the integrity check is certain.
        Breakage{
            "an index page corrupted", {{kBooks, "corrupt"}}, {"integrity"}, "index IX_CG42_CONTO", true}),
    scripted::ByName());

}  // namespace
