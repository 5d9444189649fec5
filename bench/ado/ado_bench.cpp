// Statements per second through the connection (T-SQL text built as the module builds it,
// translated and run by the embedded engine), next to the floor: the same statements
// hand-prepared once with sqlite3 and only bound and stepped, on the same tables. Then
// the time of single large statements (deep nesting, long chains, many literals).
//
//   ado_bench [rows]             both parts (rows default 20000)
//   ado_bench throughput [rows]  statements per second only
//   ado_bench large [scale]      large statements only, sizes times scale (default 1)
#include <sqlite3.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "ado/connection.h"
#include "ado/recordset.h"
#include "ado/sqlite/functions.h"
#include "ado/sqltext.h"
#include "large_inputs.h"

namespace {

using Clock = std::chrono::steady_clock;

const char* kTable =
    "CREATE TABLE IE43_DETTIMPCOGE (IE43_ID INT IDENTITY(1,1) NOT NULL PRIMARY KEY, IE43_DITTA_CG18 INT NOT "
    "NULL,"
    " IE43_AZIENDARIF INT NOT NULL, IE43_NUMREG_AZIENDARIF VARCHAR(20) NOT NULL, IE43_NUMREG_CO99 "
    "VARCHAR(12) NULL,"
    " IE43_ID_IE42 INT NOT NULL)\r\n"
    "CREATE INDEX IX_IE43_SORGENTE ON IE43_DETTIMPCOGE (IE43_DITTA_CG18, IE43_AZIENDARIF, "
    "IE43_NUMREG_AZIENDARIF)";

std::string source_number(int i) {
    return "R" + std::to_string(100000 + i);
}
std::string target_number(int i) {
    return "CO" + std::to_string(1000000 + i);
}

double per_second(int n, Clock::duration d) {
    return n / std::chrono::duration<double>(d).count();
}

// The detail insert (S25) and the detail lookup (S24), as the module builds them.
ado::SqlText insert_text(int i) {
    ado::SqlText t;
    t.line(" INSERT INTO IE43_DETTIMPCOGE (").line("     IE43_DITTA_CG18").line("     , IE43_AZIENDARIF");
    t.line("     , IE43_NUMREG_AZIENDARIF").line("     , IE43_NUMREG_CO99").line("     , IE43_ID_IE42");
    t.line(" ) VALUES (")
        .line("     ")
        .number(1)
        .line("     , ")
        .number(100)
        .line("     , '")
        .value(source_number(i))
        .add("'");
    t.line("     , '").value(target_number(i)).add("'").line("     , ").number(i / 50 + 1).line(" )");
    return t;
}

ado::SqlText select_text(int i) {
    ado::SqlText t;
    t.line(" SELECT TOP 1 IE43_NUMREG_CO99").line(" FROM IE43_DETTIMPCOGE WITH (NOLOCK)");
    t.line(" WHERE IE43_DITTA_CG18 = ").number(1).line("     AND IE43_AZIENDARIF = ").number(100);
    t.line("     AND IE43_NUMREG_AZIENDARIF = '").value(source_number(i)).add("'");
    return t;
}

struct Rates {
    double insert = 0;
    double select = 0;
};

void keep_best(Rates& best, const Rates& r) {
    best.insert = std::max(best.insert, r.insert);
    best.select = std::max(best.select, r.select);
}

// A fresh database file holding the table, made by the connection's own definition
// (so both sides run on the same checks, collation and index).
void create_table(const std::string& path) {
    std::filesystem::remove(path);
    ado::Connection conn("Provider=SQLite;Data Source=" + path + ";Mode=Create");
    conn.Open();
    conn.Execute(kTable);
}

// `texts`: the statement texts exist before the clock starts, so only the connection and
// the engine are timed; without them each text is built with SqlText inside the loop, as
// the module pays it. The connection is reopened between inserts and lookups, so that both
// sides read a checkpointed file.
Rates through_connection(const std::string& path, int n, const std::vector<ado::SqlText>* inserts,
                         const std::vector<ado::SqlText>* selects) {
    create_table(path);
    const std::string cs = "Provider=SQLite;Data Source=" + path;
    Rates r;
    {
        ado::Connection conn(cs);
        conn.Open();
        conn.BeginTrans();
        const auto start = Clock::now();
        for (int i = 0; i < n; ++i)
            conn.Execute(inserts ? (*inserts)[static_cast<std::size_t>(i)] : insert_text(i));
        r.insert = per_second(n, Clock::now() - start);
        conn.CommitTrans();
    }
    ado::Connection conn(cs);
    conn.Open();
    std::size_t found = 0;
    const auto start = Clock::now();
    for (int i = 0; i < n; ++i) {
        ado::RecordsetPtr rs =
            conn.Execute(selects ? (*selects)[static_cast<std::size_t>(i)] : select_text((i * 7919) % n));
        if (!rs->EOF()) found += rs->GetFields().Item(0).Value().str().size();
    }
    r.select = per_second(n, Clock::now() - start);
    if (found == 0) std::fprintf(stderr, "lookups found nothing\n");
    return r;
}

void check(sqlite3* db, int rc, const char* what) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
        std::exit(1);
    }
}

class RawDb {
  public:
    explicit RawDb(const std::string& path) {
        check(db_, sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr),
              "open");
        ado::sqlite::register_functions(db_);
        check(db_,
              sqlite3_exec(db_, "PRAGMA foreign_keys = ON; PRAGMA journal_mode = WAL", nullptr, nullptr,
                           nullptr),
              "pragma");
    }
    ~RawDb() { sqlite3_close_v2(db_); }
    RawDb(const RawDb&) = delete;
    RawDb& operator=(const RawDb&) = delete;
    sqlite3* get() const { return db_; }
    sqlite3_stmt* prepare(const char* sql) {
        sqlite3_stmt* s = nullptr;
        check(db_, sqlite3_prepare_v2(db_, sql, -1, &s, nullptr), "prepare");
        return s;
    }

  private:
    sqlite3* db_ = nullptr;
};

// The same work with statements prepared once by hand: the cost of SQLite itself.
Rates floor(const std::string& path, int n) {
    create_table(path);
    Rates r;
    {
        RawDb db(path);
        sqlite3_stmt* ins = db.prepare(
            "INSERT INTO IE43_DETTIMPCOGE (IE43_DITTA_CG18, IE43_AZIENDARIF, IE43_NUMREG_AZIENDARIF,"
            " IE43_NUMREG_CO99, IE43_ID_IE42) VALUES (?, ?, ?, ?, ?)");
        check(db.get(), sqlite3_exec(db.get(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), "begin");
        const auto start = Clock::now();
        for (int i = 0; i < n; ++i) {
            const std::string s = source_number(i);
            const std::string t = target_number(i);
            sqlite3_bind_int64(ins, 1, 1);
            sqlite3_bind_int64(ins, 2, 100);
            sqlite3_bind_text(ins, 3, s.data(), static_cast<int>(s.size()), SQLITE_STATIC);
            sqlite3_bind_text(ins, 4, t.data(), static_cast<int>(t.size()), SQLITE_STATIC);
            sqlite3_bind_int64(ins, 5, i / 50 + 1);
            check(db.get(), sqlite3_step(ins), "insert");
            sqlite3_reset(ins);
        }
        r.insert = per_second(n, Clock::now() - start);
        check(db.get(), sqlite3_exec(db.get(), "COMMIT", nullptr, nullptr, nullptr), "commit");
        sqlite3_finalize(ins);
    }
    RawDb db(path);
    sqlite3_stmt* sel = db.prepare(
        "SELECT IE43_NUMREG_CO99 FROM IE43_DETTIMPCOGE WHERE IE43_DITTA_CG18 = ? AND IE43_AZIENDARIF = ?"
        " AND IE43_NUMREG_AZIENDARIF = ? LIMIT 1");
    std::size_t found = 0;
    const auto start = Clock::now();
    for (int i = 0; i < n; ++i) {
        const std::string s = source_number((i * 7919) % n);
        sqlite3_bind_int64(sel, 1, 1);
        sqlite3_bind_int64(sel, 2, 100);
        sqlite3_bind_text(sel, 3, s.data(), static_cast<int>(s.size()), SQLITE_STATIC);
        if (sqlite3_step(sel) == SQLITE_ROW) found += static_cast<std::size_t>(sqlite3_column_bytes(sel, 0));
        sqlite3_reset(sel);
    }
    r.select = per_second(n, Clock::now() - start);
    sqlite3_finalize(sel);
    if (found == 0) std::fprintf(stderr, "lookups found nothing\n");
    return r;
}

void run_throughput(int n) {
    std::string tmpl = (std::filesystem::temp_directory_path() / "ledgerintake-bench-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("cannot make a temporary directory");
    const std::filesystem::path dir(tmpl);
    try {
        std::vector<ado::SqlText> inserts;
        std::vector<ado::SqlText> selects;
        for (int i = 0; i < n; ++i) {
            inserts.push_back(insert_text(i));
            selects.push_back(select_text((i * 7919) % n));
        }
        // Rounds alternate between the sides so that both meet the same machine load.
        Rates floor_rates;
        Rates executed;
        Rates built;
        for (int round = 0; round < 5; ++round) {
            keep_best(floor_rates, floor((dir / "floor.db").string(), n));
            keep_best(executed, through_connection((dir / "ours.db").string(), n, &inserts, &selects));
            keep_best(built, through_connection((dir / "built.db").string(), n, nullptr, nullptr));
        }
        std::printf("%d statements each, best of 5 rounds, the inserts inside one transaction\n", n);
        std::printf("%-48s %13s %13s %7s\n", "", "connection/s", "floor/s", "ratio");
        auto row = [](const char* what, double ours, double fl) {
            std::printf("%-48s %13.0f %13.0f %7.2f\n", what, ours, fl, fl / ours);
        };
        row("INSERT (S25 shape), text given", executed.insert, floor_rates.insert);
        row("keyed SELECT TOP 1 (S24 shape), text given", executed.select, floor_rates.select);
        row("INSERT, text built with SqlText each time", built.insert, floor_rates.insert);
        row("keyed SELECT, text built with SqlText each time", built.select, floor_rates.select);
    } catch (...) {
        std::filesystem::remove_all(dir);
        throw;
    }
    std::filesystem::remove_all(dir);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string section =
        argc > 1 && !std::isdigit(static_cast<unsigned char>(argv[1][0])) ? argv[1] : "";
    const char* number = section.empty() ? (argc > 1 ? argv[1] : nullptr) : (argc > 2 ? argv[2] : nullptr);
    if (!section.empty() && section != "throughput" && section != "large") {
        std::fprintf(stderr, "usage: ado_bench [throughput|large] [rows|scale]\n");
        return 2;
    }
    try {
        if (section != "large") run_throughput(number ? std::atoi(number) : 20000);
        if (section.empty()) std::printf("\n");
        if (section != "throughput")
            bench::run_large_inputs(number && !section.empty() ? std::atof(number) : 1.0);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench failed: %s\n", e.what());
        return 1;
    }
    return 0;
}
