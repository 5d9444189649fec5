#include "ado/connection.h"

#include "ado/statement_trace.h"

namespace ado {
namespace {

constexpr long kErrObjectOpen = 3705;

[[noreturn]] void throw_closed() {
    throw Error(kErrNotOpen, "Operation is not allowed when the object is closed.");
}

ProviderError as_provider_error(const Error& e) {
    ProviderError p;
    p.number = e.number();
    p.description = e.description();
    p.source = e.source();
    p.sql_state = "42000";
    return p;
}

// What the server answers when a value inserted verbatim closes the string it was put in:
// an odd count of quotes leaves a string open, an even one leaves words outside it.
std::string refusal_for(const std::string& value) {
    std::size_t quotes = 0;
    for (char c : value) quotes += c == '\'' ? 1 : 0;
    const std::string after = value.substr(value.find('\'') + 1);
    if (quotes % 2 == 1) return "Unclosed quotation mark after the character string '" + after + "'.";
    const std::string near = after.substr(0, after.find_first_of("' "));
    return "Incorrect syntax near '" + near + "'.";
}

}  // namespace

Connection::Connection() : trace_(std::make_unique<StatementTrace>()) {}

Connection::Connection(std::string connection_string)
    : connection_string_(std::move(connection_string)), trace_(std::make_unique<StatementTrace>()) {}

Connection::~Connection() {
    Close();
}

void Connection::SetConnectionString(std::string cs) {
    if (driver_) throw Error(kErrObjectOpen, "Operation is not allowed when the object is open.");
    connection_string_ = std::move(cs);
}

void Connection::Open(std::string_view connection_string) {
    own_errors_.clear();
    if (driver_) throw Error(kErrObjectOpen, "Operation is not allowed when the object is open.");
    if (!connection_string.empty()) connection_string_ = std::string(connection_string);
    try {
        driver_ =
            std::make_unique<TracingDriver>(open_driver(ado::ConnectionString(connection_string_)), *trace_);
    } catch (const Error& e) {
        record_error(e);
        throw;
    }
}

// Closing twice is harmless; the engine rolls back a transaction left open.
void Connection::Close() {
    driver_.reset();
}

long Connection::State() const {
    return driver_ ? adStateOpen : adStateClosed;
}

RecordsetPtr Connection::Execute(std::string_view sql, long* records_affected) {
    own_errors_.clear();
    if (!driver_) throw_closed();
    std::vector<ExecResult> results;
    try {
        results = driver_->execute(std::string(sql));
    } catch (const Error& e) {
        if (driver_->errors().empty()) record_error(e);
        throw;
    }
    long changed = -1;
    RecordsetPtr rs;
    for (ExecResult& r : results) {
        if (r.records_affected >= 0) changed = (changed < 0 ? 0 : changed) + r.records_affected;
        if (!rs && r.rows) {
            rs = Recordset::create();
            rs->open_snapshot(std::move(*r.rows), nullptr);
        }
    }
    if (records_affected) *records_affected = changed;
    return rs ? rs : Recordset::create();
}

RecordsetPtr Connection::Execute(const SqlText& sql, long* records_affected) {
    own_errors_.clear();
    if (!driver_) throw_closed();
    check_sql(sql);
    return Execute(std::string_view(sql.text()), records_affected);
}

void Connection::check_sql(const SqlText& sql) {
    const std::string* unsafe = sql.unsafe_value();
    if (!unsafe) return;
    const Error e(kErrProvider, refusal_for(*unsafe));
    trace_->write(sql.text(), "(refused before the engine: a value holds a quote)");
    record_error(e);
    throw e;
}

void Connection::BeginTrans() {
    own_errors_.clear();
    if (!driver_) throw_closed();
    driver_->begin();
}

void Connection::CommitTrans() {
    own_errors_.clear();
    if (!driver_) throw_closed();
    driver_->commit();
}

void Connection::RollbackTrans() {
    own_errors_.clear();
    if (!driver_) throw_closed();
    driver_->rollback();
}

bool Connection::InTransaction() const {
    return driver_ && driver_->in_transaction();
}

const ProviderErrors& Connection::Errors() const {
    if (!own_errors_.empty() || !driver_) return own_errors_;
    return driver_->errors();
}

void Connection::SetStatementTrace(const std::string& path) {
    trace_->open(path);
}

Driver& Connection::driver() {
    own_errors_.clear();
    if (!driver_) throw_closed();
    return *driver_;
}

void Connection::record_error(const Error& e) {
    own_errors_ = {as_provider_error(e)};
    if (driver_) driver_->clear_errors();
}

void Connection::trace(std::string_view sql) {
    trace_->write(sql);
}

TransactionGuard::TransactionGuard(Connection& c) : conn_(c) {
    conn_.BeginTrans();
    active_ = true;
}

TransactionGuard::~TransactionGuard() {
    if (!active_) return;
    try {
        conn_.RollbackTrans();
    } catch (...) {
        // Nothing more can be done from a destructor; the engine drops the transaction
        // when the connection closes.
    }
}

void TransactionGuard::Commit() {
    if (!active_) throw Error(kErrProvider, "No transaction is active.");
    conn_.CommitTrans();  // a failing commit leaves the guard to roll back
    active_ = false;
}

void TransactionGuard::Rollback() {
    if (!active_) return;
    active_ = false;
    conn_.RollbackTrans();
}

}  // namespace ado
