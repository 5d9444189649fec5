#pragma once
// The embedded engine: runs the T-SQL the module sends on an SQLite database file.
#include <memory>
#include <string>

#include "ado/driver.h"
#include "ado/sqlite/session.h"
#include "ado/sqlite/shape.h"

namespace ado::sqlite {

// From the connection string:
//   Data Source=PATH     the database file (":memory:" for a private in-memory one)
//   Mode=Create          create the file when missing (default: it must exist)
//   Mode=ReadOnly        open for reading only
//   Busy Timeout=MS      how long a statement waits for another connection's lock (5000)
//   Synchronous=Normal   trade the last commits on power loss for speed (default Full)
//   Max Page Count=N     cap the file at N pages: writes beyond fail as on a full disk
struct SqliteOptions {
    std::string path;
    bool create = false;
    bool read_only = false;
    int busy_timeout_ms = 5000;
    std::string synchronous;  // empty: the engine's default (FULL)
    long max_page_count = 0;  // 0: no cap

    static SqliteOptions from(const ConnectionString& cs);  // throws ado::Error on bad values
};

class SqliteDriver final : public Driver {
  public:
    explicit SqliteDriver(const SqliteOptions& options);  // throws ado::Error when it cannot open
    ~SqliteDriver() override;
    SqliteDriver(const SqliteDriver&) = delete;
    SqliteDriver& operator=(const SqliteDriver&) = delete;

    std::vector<ExecResult> execute(const std::string& sql) override;
    std::unique_ptr<RowWriter> open_updatable(const std::string& sql, RowSet& out) override;
    void begin() override;
    void commit() override;
    void rollback() override;
    bool in_transaction() const override { return in_transaction_; }
    const ProviderErrors& errors() const override { return session_->errors; }
    void clear_errors() override { session_->errors.clear(); }

    // How often a batch found its shape already translated and prepared.
    CacheStats cache_stats() const;

  private:
    std::shared_ptr<Plan> plan_for(const Shape& shape, bool updatable);
    std::vector<ExecResult> run(const std::string& sql, char mode, std::shared_ptr<Plan>* used);

    std::shared_ptr<Session> session_;
    bool in_transaction_ = false;
};

}  // namespace ado::sqlite
