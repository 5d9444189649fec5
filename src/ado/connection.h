#pragma once
// A database connection: opened from a connection string, runs statement text, holds
// transactions and the provider-error collection of the last failure.
#include <memory>
#include <string>
#include <string_view>

#include "ado/driver.h"
#include "ado/recordset.h"
#include "ado/sqltext.h"

namespace ado {

class StatementTrace;

class Connection {
  public:
    Connection();
    explicit Connection(std::string connection_string);
    ~Connection();  // closes; an open transaction is rolled back
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    const std::string& ConnectionString() const { return connection_string_; }
    void SetConnectionString(std::string cs);
    // Opens with the given (or the stored) connection string. Throws ado::Error.
    void Open(std::string_view connection_string = {});
    void Close();
    long State() const;

    // Runs text; returns the first result that has rows as an open record set, or a
    // closed record set when the text returns none. `records_affected` receives the sum
    // of the rows changed.
    RecordsetPtr Execute(std::string_view sql, long* records_affected = nullptr);
    // Same, for built text: a value inserted verbatim that holds a quote fails here, with
    // the error the server would give, before anything reaches the engine.
    RecordsetPtr Execute(const SqlText& sql, long* records_affected = nullptr);

    // Fails as Execute(const SqlText&) does when a value inserted verbatim holds a quote
    // (for built text that reaches the engine another way, such as a record set's Open).
    void CheckText(const SqlText& sql) { check_sql(sql); }

    void BeginTrans();
    void CommitTrans();
    void RollbackTrans();
    bool InTransaction() const;

    // Provider errors of the last failing operation.
    const ProviderErrors& Errors() const;

    // Writes every statement, before translation, to `path` (appending); empty stops it.
    void SetStatementTrace(const std::string& path);

    // For record sets opened on this connection.
    Driver& driver();

  private:
    void check_sql(const SqlText& sql);
    void record_error(const Error& e);
    void trace(std::string_view sql);
    std::string connection_string_;
    std::unique_ptr<Driver> driver_;
    ProviderErrors own_errors_;
    std::unique_ptr<StatementTrace> trace_;
};

// Begins a transaction; rolls it back on destruction unless Commit() succeeded.
class TransactionGuard {
  public:
    explicit TransactionGuard(Connection& c);
    ~TransactionGuard();
    TransactionGuard(const TransactionGuard&) = delete;
    TransactionGuard& operator=(const TransactionGuard&) = delete;
    void Commit();
    void Rollback();
    bool active() const { return active_; }

  private:
    Connection& conn_;
    bool active_ = false;
};

}  // namespace ado
