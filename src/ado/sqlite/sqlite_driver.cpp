#include "ado/sqlite/sqlite_driver.h"

#include <sqlite3.h>

#include <charconv>

#include "ado/sqlite/batch.h"
#include "ado/sqlite/collation_order.h"
#include "ado/sqlite/functions.h"
#include "ado/sqlite/row_writer.h"
#include "ado/sqlite/runner.h"
#include "ado/sqlite/tokenizer.h"

namespace ado::sqlite {
namespace {

// Opens `name` and reads its header, which tells a file that is not a database at once.
// Throws EngineError.
DbHandle open_file(const std::string& name, int flags, const SqliteOptions& o) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(name.c_str(), &raw, flags, nullptr);
    DbHandle db(raw);
    if (rc != SQLITE_OK) throw to_exception(engine_error(db.get(), rc));
    sqlite3_extended_result_codes(db.get(), 1);
    sqlite3_busy_timeout(db.get(), o.busy_timeout_ms);
    register_functions(db.get());
    exec(db.get(), "PRAGMA foreign_keys = ON");
    // Temporary tables (the import log) never go to disk at commit, so their dirty pages
    // stay in the cache, and every commit walks them: a small cache keeps that walk short.
    exec(db.get(), "PRAGMA temp.cache_size = 64");
    exec(db.get(), "PRAGMA schema_version");
    if (!o.synchronous.empty()) exec(db.get(), "PRAGMA synchronous = " + o.synchronous);
    if (o.max_page_count > 0) exec(db.get(), "PRAGMA max_page_count = " + std::to_string(o.max_page_count));
    return db;
}

DbHandle open_readable(const SqliteOptions& o) {
    if (o.path.empty())
        throw Error(kErrProvider, "The connection string names no database (Data Source).", kSource.data());
    int flags = SQLITE_OPEN_NOMUTEX | (o.read_only ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE);
    if (o.create && !o.read_only) flags |= SQLITE_OPEN_CREATE;
    return read_database(o.path, [&](const std::string& name, bool immutable) {
        return open_file(name,
                         immutable ? SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_READONLY | SQLITE_OPEN_URI : flags, o);
    });
}

DbHandle open_database(const SqliteOptions& o) {
    DbHandle db = open_readable(o);
    // WAL lets the log connection read and write its temporary table while the module's
    // transaction is open. A read-only file keeps its journal mode.
    const bool writable = !o.read_only && sqlite3_db_readonly(db.get(), "main") == 0;
    if (writable && o.path != ":memory:") {
        try {
            exec(db.get(), "PRAGMA journal_mode = WAL");
        } catch (const EngineError&) {
        }
    }
    if (o.path != ":memory:") keep_collation_order(db.get(), writable, o.path);
    return db;
}

std::string option_key(std::string_view k) {
    std::string out;
    for (char c : k)
        if (c != ' ') out.push_back(static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c));
    return out;
}

}  // namespace

SqliteOptions SqliteOptions::from(const ConnectionString& cs) {
    SqliteOptions o;
    if (auto v = cs.get("Data Source")) o.path = *v;
    if (auto v = cs.get("Mode")) {
        const std::string m = option_key(*v);
        if (m == "create" || m == "readwritecreate")
            o.create = true;
        else if (m == "readonly" || m == "read")
            o.read_only = true;
        else if (m != "readwrite")
            throw Error(kErrArgument,
                        "Mode in the connection string is Create, ReadWrite or ReadOnly, not '" + *v + "'.");
    }
    if (auto v = cs.get("Busy Timeout")) {
        const auto res = std::from_chars(v->data(), v->data() + v->size(), o.busy_timeout_ms);
        if (res.ec != std::errc() || res.ptr != v->data() + v->size() || o.busy_timeout_ms < 0)
            throw Error(
                kErrArgument,
                "Busy Timeout in the connection string is a number of milliseconds, not '" + *v + "'.");
    }
    if (auto v = cs.get("Max Page Count")) {
        const auto res = std::from_chars(v->data(), v->data() + v->size(), o.max_page_count);
        if (res.ec != std::errc() || res.ptr != v->data() + v->size() || o.max_page_count < 1)
            throw Error(kErrArgument,
                        "Max Page Count in the connection string is a number of pages, not '" + *v + "'.");
    }
    if (auto v = cs.get("Synchronous")) {
        const std::string m = option_key(*v);
        if (m != "full" && m != "normal" && m != "off" && m != "extra")
            throw Error(
                kErrArgument,
                "Synchronous in the connection string is Full, Normal, Extra or Off, not '" + *v + "'.");
        o.synchronous = m;
    }
    return o;
}

SqliteDriver::SqliteDriver(const SqliteOptions& options)
    : session_(std::make_shared<Session>(open_database(options))) {}

SqliteDriver::~SqliteDriver() {
    if (in_transaction_ && sqlite3_get_autocommit(session_->handle()) == 0)
        sqlite3_exec(session_->handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

CacheStats SqliteDriver::cache_stats() const {
    CacheStats s = session_->stats;
    s.plans = session_->plans.size();
    return s;
}

std::shared_ptr<Plan> SqliteDriver::plan_for(const Shape& shape, bool updatable) {
    if (shape.cacheable) {
        if (auto hit = session_->plans.find(shape.key)) {
            ++session_->stats.hits;
            return hit;
        }
    }
    ++session_->stats.misses;
    auto plan = std::make_shared<Plan>(build_plan(shape, session_->catalog, updatable));
    if (shape.cacheable && !plan->has_ddl) session_->plans.insert(shape.key, plan);
    return plan;
}

std::vector<ExecResult> SqliteDriver::run(const std::string& sql, char mode, std::shared_ptr<Plan>* used) {
    const Shape shape = make_shape(sql, mode);
    std::shared_ptr<Plan> plan = plan_for(shape, mode == 'U');
    if (used) *used = plan;
    PlanRunner runner(*session_, shape.literals);
    // What this connection defined or dropped invalidates what it knew of the schema.
    struct Forget {
        Session& s;
        bool on;
        ~Forget() {
            if (!on) return;
            s.catalog.clear();
            s.plans.clear();
            s.statements.clear();
        }
    } forget{*session_, plan->has_ddl};
    runner.run(plan->nodes);
    return runner.take_results();
}

std::vector<ExecResult> SqliteDriver::execute(const std::string& sql) {
    return session_->guarded([&] { return run(sql, 'Q', nullptr); });
}

std::unique_ptr<RowWriter> SqliteDriver::open_updatable(const std::string& sql, RowSet& out) {
    return session_->guarded([&]() -> std::unique_ptr<RowWriter> {
        std::shared_ptr<Plan> plan;
        std::vector<ExecResult> results = run(sql, 'U', &plan);
        if (results.empty() || !results[0].rows)
            throw Error(kErrProvider, "An updatable record set needs a SELECT statement.");
        const std::vector<ResultColumn>& columns = plan->nodes.at(0).step.columns;
        const ResultColumn* base = nullptr;
        for (const auto& c : columns)
            if (!c.info.hidden && !c.info.base_table.empty()) base = &c;
        if (!base) throw Error(kErrProvider, "An updatable record set needs a SELECT on one table.");
        out = std::move(*results[0].rows);
        return std::make_unique<SqliteRowWriter>(session_, base->schema, base->info.base_table, columns);
    });
}

void SqliteDriver::begin() {
    session_->guarded([&] {
        if (in_transaction_) throw Error(kErrProvider, "Only one transaction can be active on this session.");
        exec(session_->handle(), "BEGIN IMMEDIATE");
        in_transaction_ = true;
    });
}

void SqliteDriver::commit() {
    session_->guarded([&] {
        if (!in_transaction_) throw Error(kErrProvider, "No transaction is active.");
        // A failing commit leaves the transaction open for the caller to roll back.
        exec(session_->handle(), "COMMIT");
        in_transaction_ = false;
    });
}

void SqliteDriver::rollback() {
    session_->guarded([&] {
        if (!in_transaction_) throw Error(kErrProvider, "No transaction is active.");
        in_transaction_ = false;
        // The engine may have rolled back on its own after an I/O or full-disk error.
        if (sqlite3_get_autocommit(session_->handle()) == 0) exec(session_->handle(), "ROLLBACK");
    });
}

}  // namespace ado::sqlite
