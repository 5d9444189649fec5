#include "ado/sqlite/handles.h"

#include "ado/sqlite/sql_eval.h"

#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>

namespace ado::sqlite {
namespace {

std::string sql_state_for(int rc) {
    switch (rc & 0xff) {
        case SQLITE_CONSTRAINT:
            return "23000";
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return "HYT00";
        case SQLITE_CANTOPEN:
            return "08001";
        case SQLITE_READONLY:
        case SQLITE_PERM:
            return "42000";
        case SQLITE_FULL:
        case SQLITE_IOERR:
            return "HY000";
        default:
            return "42000";
    }
}

// Our DDL names its own CHECK constraints "li_len:COL:N" (text width) and
// "li_num:COL:TYPE" (numeric range and type); say what they mean.
std::string explain(std::string msg) {
    // INSERT ... SELECT reads through li_insert_source (see written_values.cpp): a select with
    // another number of columns than the insert's list.
    if (msg.rfind("table li_insert_source has ", 0) == 0)
        return "Column name or number of supplied values does not match table definition.";
    static constexpr std::string_view kPrefix = "CHECK constraint failed: li_";
    const auto at = msg.find(kPrefix);
    if (at == std::string::npos) return msg;
    const std::string name = msg.substr(at + kPrefix.size() - 3);
    const auto c1 = name.find(':');
    const auto c2 = name.rfind(':');
    if (c1 == std::string::npos || c2 == c1) return msg;
    const std::string kind = name.substr(0, c1);
    const std::string column = name.substr(c1 + 1, c2 - c1 - 1);
    const std::string arg = name.substr(c2 + 1);
    if (kind == "li_len")
        return "String or binary data would be truncated: column '" + column + "' holds at most " + arg +
               " characters.";
    if (kind == "li_num")
        return "Arithmetic overflow or conversion error: column '" + column + "' takes values of type " +
               arg + ".";
    return msg;
}

}  // namespace

void DbCloser::operator()(sqlite3* db) const noexcept {
    sqlite3_close_v2(db);
}
ResetOnExit::~ResetOnExit() {
    sqlite3_reset(s_);
}

void StmtFinalizer::operator()(sqlite3_stmt* s) const noexcept {
    sqlite3_finalize(s);
}

ProviderError engine_error(sqlite3* db, int rc) {
    ProviderError e;
    e.number = kErrProvider;
    const int code = db ? sqlite3_extended_errcode(db) : rc;
    e.description = explain(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    e.source = std::string(kSource);
    e.sql_state = sql_state_for(code ? code : rc);
    e.native_error = code ? code : rc;
    // Our functions raise the server's messages; report the server's numbers with them.
    if (const int server = server_error_number(e.description)) e.native_error = server;
    return e;
}

bool readable_as_immutable(const std::string& path, int code) {
    const int primary = code & 0xff;
    if (primary != SQLITE_CANTOPEN && primary != SQLITE_READONLY) return false;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    const std::filesystem::path folder = std::filesystem::absolute(path, ec).parent_path();
    if (ec || ::access(folder.c_str(), W_OK) == 0) return false;
    const std::string wal = path + "-wal";
    if (std::filesystem::exists(wal, ec) && std::filesystem::file_size(wal, ec) > 0)
        throw to_exception(provider_error(kErrProvider,
                                          "its changes are still in \"" + wal +
                                              "\" and its folder is read-only: open it once where its folder "
                                              "can be written, and the changes go into the database",
                                          "08001"));
    return true;
}

std::string immutable_uri(const std::string& path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string uri = "file:";
    for (const char c : path) {
        if (c == '%' || c == '?' || c == '#') {
            const auto byte = static_cast<unsigned char>(c);
            uri += '%';
            uri += kHex[byte >> 4];
            uri += kHex[byte & 0xF];
        } else {
            uri += c;
        }
    }
    return uri + "?immutable=1";
}

ProviderError provider_error(long number, std::string description, std::string sql_state) {
    ProviderError e;
    e.number = number;
    e.description = std::move(description);
    e.source = std::string(kSource);
    e.sql_state = std::move(sql_state);
    return e;
}

EngineError to_exception(const ProviderError& e) {
    return EngineError(e);
}

StmtHandle prepare(sqlite3* db, std::string_view sql) {
    sqlite3_stmt* raw = nullptr;
    const int rc = sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                                      &raw, nullptr);
    StmtHandle stmt(raw);
    if (rc != SQLITE_OK) throw to_exception(engine_error(db, rc));
    return stmt;
}

void exec(sqlite3* db, std::string_view sql) {
    const char* tail = sql.data();
    const char* end = sql.data() + sql.size();
    while (tail < end) {
        sqlite3_stmt* raw = nullptr;
        int rc = sqlite3_prepare_v2(db, tail, static_cast<int>(end - tail), &raw, &tail);
        StmtHandle stmt(raw);
        if (rc != SQLITE_OK) throw to_exception(engine_error(db, rc));
        if (!stmt) continue;  // blank or comment
        while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE) throw to_exception(engine_error(db, rc));
    }
}

}  // namespace ado::sqlite
