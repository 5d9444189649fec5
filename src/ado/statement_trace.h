#pragma once
// The statement trace of a connection: every statement text, before translation, appended
// to a file, each followed by a "GO" line (so the file can be replayed on the server).
// A connection's engine is wrapped so that statements reaching it from record sets are
// traced too.
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

#include "ado/driver.h"

namespace ado {

class StatementTrace {
  public:
    // Appends to `path` from now on; an empty path stops tracing. Throws ado::Error when
    // the file cannot be opened.
    void open(const std::string& path);
    bool active() const { return out_.is_open(); }
    // Writes the statement; a note (e.g. why it was refused) goes on a comment line first.
    // A trace that cannot be written never fails the statement.
    void write(std::string_view sql, std::string_view note = {}) noexcept;

  private:
    std::ofstream out_;
};

class TracingDriver final : public Driver {
  public:
    TracingDriver(std::unique_ptr<Driver> inner, StatementTrace& trace)
        : inner_(std::move(inner)), trace_(trace) {}

    std::vector<ExecResult> execute(const std::string& sql) override;
    std::unique_ptr<RowWriter> open_updatable(const std::string& sql, RowSet& out) override;
    void begin() override;
    void commit() override;
    void rollback() override;
    bool in_transaction() const override { return inner_->in_transaction(); }
    const ProviderErrors& errors() const override { return inner_->errors(); }
    void clear_errors() override { inner_->clear_errors(); }

  private:
    std::unique_ptr<Driver> inner_;
    StatementTrace& trace_;
};

}  // namespace ado
