#pragma once
// The floor's hold on SQLite: a database handle and prepared statements, each owning its
// native handle, every error code turned into one exception carrying the engine's message.
// Nothing here translates or caches text: statements are written for SQLite and prepared
// once by their user.
#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace floorbench {

class SqliteError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class Statement {
  public:
    Statement(sqlite3* db, std::string_view sql) : db_(db) {
        check(sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                                 &stmt_, nullptr),
              sql);
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    Statement(Statement&& o) noexcept : db_(o.db_), stmt_(std::exchange(o.stmt_, nullptr)) {}
    ~Statement() { sqlite3_finalize(stmt_); }

    // Binds by position from 1, in the order given; resets the statement first.
    template <class... Values>
    Statement& bind(const Values&... values) {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
        int i = 0;
        (bind_one(++i, values), ...);
        return *this;
    }

    // One step: true while it yields a row.
    bool step() {
        const int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW) return true;
        if (rc != SQLITE_DONE) check(rc, sqlite3_sql(stmt_));
        return false;
    }

    // Runs a statement without rows (or ignores them) and resets it.
    void run() {
        while (step()) {
        }
        sqlite3_reset(stmt_);
    }

    // The first column of the first row, when there is a row and it is not Null.
    std::optional<std::int64_t> first_integer() {
        std::optional<std::int64_t> out;
        if (step() && sqlite3_column_type(stmt_, 0) != SQLITE_NULL) out = sqlite3_column_int64(stmt_, 0);
        sqlite3_reset(stmt_);
        return out;
    }

    std::int64_t integer(int column) const { return sqlite3_column_int64(stmt_, column); }
    bool is_null(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }
    std::string text(int column) const {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
        return p ? std::string(p) : std::string();
    }

  private:
    void check(int rc, std::string_view sql) const {
        if (rc == SQLITE_OK) return;
        throw SqliteError(std::string(sqlite3_errmsg(db_)) + " [" + std::string(sql.substr(0, 120)) + "]");
    }
    void bind_one(int i, std::int64_t v) { check(sqlite3_bind_int64(stmt_, i, v), "bind"); }
    void bind_one(int i, int v) { check(sqlite3_bind_int64(stmt_, i, v), "bind"); }
    void bind_one(int i, double v) { check(sqlite3_bind_double(stmt_, i, v), "bind"); }
    void bind_one(int i, std::nullopt_t) { check(sqlite3_bind_null(stmt_, i), "bind"); }
    void bind_one(int i, const std::string& v) {
        check(sqlite3_bind_text(stmt_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT), "bind");
    }
    void bind_one(int i, const char* v) { bind_one(i, std::string(v)); }
    template <class T>
    void bind_one(int i, const std::optional<T>& v) {
        if (v)
            bind_one(i, *v);
        else
            bind_one(i, std::nullopt);
    }

    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

class Database {
  public:
    explicit Database(const std::string& path, bool create = false) {
        const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
        const int rc = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
        if (rc != SQLITE_OK) {
            const std::string message = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
            sqlite3_close(db_);
            throw SqliteError("cannot open " + path + ": " + message);
        }
        sqlite3_extended_result_codes(db_, 1);
    }
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;
    ~Database() { sqlite3_close_v2(db_); }

    sqlite3* handle() const { return db_; }
    void exec(const std::string& sql) {
        char* error = nullptr;
        if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
            const std::string message = error ? error : sqlite3_errmsg(db_);
            sqlite3_free(error);
            throw SqliteError(message + " [" + sql.substr(0, 120) + "]");
        }
    }
    Statement prepare(std::string_view sql) { return Statement(db_, sql); }
    std::int64_t last_rowid() const { return sqlite3_last_insert_rowid(db_); }

  private:
    sqlite3* db_ = nullptr;
};

// BEGIN IMMEDIATE (as the engine begins a transaction) to COMMIT; rolled back when left
// before the commit.
class Transaction {
  public:
    explicit Transaction(Database& db) : db_(db) { db_.exec("BEGIN IMMEDIATE"); }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    ~Transaction() {
        if (open_) sqlite3_exec(db_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    }
    void commit() {
        db_.exec("COMMIT");
        open_ = false;
    }

  private:
    Database& db_;
    bool open_ = true;
};

}  // namespace floorbench
