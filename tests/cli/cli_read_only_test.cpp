// A database the user cannot write, or one in a folder the user cannot write, is told as
// read-only by `import` and `db init` (exit 74), not as something that is no database, and
// can still be read and checked (`db sql`, `db check`) unless changes wait in its -wal file.
// File permissions do not bind root, who runs the tests in the build containers: there the
// program runs as the unprivileged user "nobody" on files root owns; any other user gets
// the same conditions from the permission bits.
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "case_name.h"
#include "cli_process.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;
using cli_test::contains;
using cli_test::read_file;
using cli_test::run_ledgerintake;

enum class Writable { Both, FolderOnly, FileOnly, Neither };

struct ReadOnlyCase {
    const char* name;
    std::string database;                       // in the case's folder
    std::function<void(const fs::path&)> make;  // makes the database there, as the test's user
    Writable writable;
    std::vector<std::string> command;  // the program's arguments, --db added
    int status;
    std::string says;  // on standard error
};

void PrintTo(const ReadOnlyCase& c, std::ostream* os) {
    *os << c.name;
}

// A database set up by db init (its journal in WAL mode, as the books run).
void set_up(const fs::path& db) {
    const auto run = run_ledgerintake(db.parent_path(), {"db", "init", "--db", db.filename().string()});
    ASSERT_EQ(run.status, 0) << run.err;
}

void no_database(const fs::path&) {}

// A database whose last changes are still in its -wal file, as a program that stopped
// without closing it leaves them.
void with_changes_waiting(const fs::path& db) {
    set_up(db);
    cli_test::write_file(db.string() + "-wal", std::string(4096, 'w'));
}

void notes(const fs::path& db) {
    cli_test::write_file(db, "my notes, not a database\n");
}

// Who runs the program and how the case's files are made read-only for them.
class Restricted {
  public:
    // nullopt when this process cannot make a file read-only for the program it runs.
    static std::optional<Restricted> find(const fs::path& probe_folder) {
        if (::geteuid() != 0) return Restricted(std::nullopt);
        const passwd* nobody = ::getpwnam("nobody");
        const cli_test::OtherUser user{nobody ? nobody->pw_uid : 65534, nobody ? nobody->pw_gid : 65534};
        fs::permissions(probe_folder, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                          fs::perms::others_read | fs::perms::others_exec);
        if (cli_test::run_ledgerintake_as(user, probe_folder, {"--help"}).status != 0) return std::nullopt;
        return Restricted(user);
    }

    // Leaves `folder` and `file` writable for the program or not.
    void restrict(const fs::path& folder, const fs::path& file, Writable writable) const {
        const bool folder_writable = writable == Writable::Both || writable == Writable::FolderOnly;
        const bool file_writable = writable == Writable::Both || writable == Writable::FileOnly;
        const fs::perms read = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
        const fs::perms search = fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
        if (user_) {
            // Root's files: readable by everyone, written by their owner only.
            fs::permissions(folder, read | search | fs::perms::owner_write);
            if (folder_writable) give(folder);
            if (fs::exists(file)) {
                fs::permissions(file, read | fs::perms::owner_write);
                if (file_writable) give(file);
            }
        } else {
            fs::permissions(folder,
                            read | search | (folder_writable ? fs::perms::owner_write : fs::perms::none));
            if (fs::exists(file))
                fs::permissions(file, read | (file_writable ? fs::perms::owner_write : fs::perms::none));
        }
    }

    cli_test::Run run(const fs::path& folder, const std::vector<std::string>& args) const {
        return user_ ? cli_test::run_ledgerintake_as(*user_, folder, args) : run_ledgerintake(folder, args);
    }

  private:
    explicit Restricted(std::optional<cli_test::OtherUser> user) : user_(user) {}
    void give(const fs::path& path) const {
        if (::chown(path.c_str(), user_->uid, user_->gid) != 0) ADD_FAILURE() << "cannot give " << path;
    }
    std::optional<cli_test::OtherUser> user_;
};

class ReadOnlyDatabase : public ::testing::TestWithParam<ReadOnlyCase> {
  protected:
    void TearDown() override {
        // The temporary folder must be writable again to be removed by a user who is not root.
        std::error_code ec;
        fs::permissions(dir.path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    scripted::TempDir dir;
};

TEST_P(ReadOnlyDatabase, IsToldAsReadOnlyAndLeftAsItWas) {
    const ReadOnlyCase& c = GetParam();
    const std::optional<Restricted> restricted = Restricted::find(dir.path());
    if (!restricted) GTEST_SKIP() << "running as root, and the program cannot be run as user nobody here";
    const fs::path db = dir / c.database;
    c.make(db);
    cli_test::write_file(dir / "alfa.xml", "<MovimentiCoGe/>");
    const std::string before = fs::exists(db) ? read_file(db) : "";
    const fs::path wal = dir / (c.database + "-wal");
    const bool wal_before = fs::exists(wal);
    restricted->restrict(dir.path(), db, c.writable);

    std::vector<std::string> args = c.command;
    args.insert(args.end(), {"--db", c.database});
    const auto run = restricted->run(dir.path(), args);
    EXPECT_EQ(run.status, c.status) << run.out << run.err;
    EXPECT_TRUE(contains(run.err, c.says)) << run.err;
    if (c.writable != Writable::Both) {
        EXPECT_EQ(fs::exists(db) ? read_file(db) : "", before) << "the database changed";
        EXPECT_EQ(fs::exists(wal), wal_before);
    }
}

const std::vector<std::string> kImport = {"import", "alfa.xml"};
const std::vector<std::string> kInit = {"db", "init"};
const std::vector<std::string> kRead = {"db", "sql", "SELECT COUNT(*) AS N FROM HOST_SCHEMA"};
const std::vector<std::string> kWrite = {"db", "sql", "DELETE FROM CG33_TABCAU"};
const std::vector<std::string> kCheck = {"db", "check"};
const std::string kFileReadOnly = "the database books.db is read-only: this user cannot write the file";
const std::string kFolderReadOnly = "the database books.db is read-only: this user cannot write its folder";

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadOnlyDatabase,
    ::testing::Values(
        ReadOnlyCase{"import a read-only database in a read-only folder", "books.db", set_up,
                     Writable::Neither, kImport, 74, kFileReadOnly},
        ReadOnlyCase{"import a read-only database in a folder that can be written", "books.db", set_up,
                     Writable::FolderOnly, kImport, 74, kFileReadOnly},
        ReadOnlyCase{"import a database that can be written in a read-only folder", "books.db", set_up,
                     Writable::FileOnly, kImport, 74, kFolderReadOnly},
        // The control: with both writable the import goes past the database to the company,
        // which a database fresh from db init does not hold yet.
        ReadOnlyCase{"import with the database and its folder writable", "books.db", set_up, Writable::Both,
                     kImport, 64, "company 1"},
        ReadOnlyCase{"import a read-only file that is no database", "books.db", notes, Writable::Neither,
                     kImport, 74, "cannot read the database books.db: it is not a database"},
        ReadOnlyCase{"db init on a read-only database in a read-only folder", "books.db", set_up,
                     Writable::Neither, kInit, 74, kFileReadOnly},
        ReadOnlyCase{"db init on a database that can be written in a read-only folder", "books.db", set_up,
                     Writable::FileOnly, kInit, 74, kFolderReadOnly},
        ReadOnlyCase{"db init of a new database in a read-only folder", "books.db", no_database,
                     Writable::Neither, kInit, 74,
                     "cannot create the database books.db: this user cannot write the folder"},
        ReadOnlyCase{"db init with the database and its folder writable", "books.db", set_up, Writable::Both,
                     kInit, 0, ""},
        ReadOnlyCase{"db sql reads a read-only database in a read-only folder", "books.db", set_up,
                     Writable::Neither, kRead, 0, ""},
        ReadOnlyCase{"db sql reads a database that can be written in a read-only folder", "books.db", set_up,
                     Writable::FileOnly, kRead, 0, ""},
        ReadOnlyCase{"db sql cannot write a read-only database in a read-only folder", "books.db", set_up,
                     Writable::Neither, kWrite, 65, "attempt to write a readonly database"},
        ReadOnlyCase{"db check on a read-only database in a read-only folder", "books.db", set_up,
                     Writable::Neither, kCheck, 0, ""},
        ReadOnlyCase{"db sql on a database with changes waiting in a read-only folder", "books.db",
                     with_changes_waiting, Writable::Neither, kRead, 74, "its changes are still in"}),
    scripted::ByName());

}  // namespace
