#pragma once
// Owners of the native SQLite handles and the one place that turns an engine result code
// into ado::Error with the engine's message.
#include <memory>
#include <string>
#include <string_view>

#include "ado/error.h"

struct sqlite3;
struct sqlite3_stmt;

namespace ado::sqlite {

struct DbCloser {
    void operator()(sqlite3* db) const noexcept;
};
struct StmtFinalizer {
    void operator()(sqlite3_stmt* s) const noexcept;
};
using DbHandle = std::unique_ptr<sqlite3, DbCloser>;
using StmtHandle = std::unique_ptr<sqlite3_stmt, StmtFinalizer>;

// An ado::Error that also carries the full provider record (SQL state, native code).
class EngineError : public Error {
  public:
    explicit EngineError(ProviderError detail)
        : Error(detail.number, detail.description, detail.source), detail_(std::move(detail)) {}
    const ProviderError& detail() const noexcept { return detail_; }

  private:
    ProviderError detail_;
};

// The provider error for a failing engine call: description = the engine's message
// (our own constraint names turned into words), SQL state and native code set.
ProviderError engine_error(sqlite3* db, int rc);
ProviderError provider_error(long number, std::string description, std::string sql_state = "42000");
EngineError to_exception(const ProviderError& e);

// Prepares one statement; throws the engine's error.
StmtHandle prepare(sqlite3* db, std::string_view sql);
// Runs statements without results (PRAGMA, BEGIN, DDL pieces); throws the engine's error.
void exec(sqlite3* db, std::string_view sql);

// Leaves a prepared statement ready for its next use whatever happens.
class ResetOnExit {
  public:
    explicit ResetOnExit(sqlite3_stmt* s) : s_(s) {}
    ~ResetOnExit();
    ResetOnExit(const ResetOnExit&) = delete;
    ResetOnExit& operator=(const ResetOnExit&) = delete;

  private:
    sqlite3_stmt* s_;
};

inline constexpr std::string_view kSource = "ledgerintake.sqlite";

// Whether the failed first read of `path` (extended code `code`) is a database in WAL mode
// in a folder this user cannot write, with no changes waiting in its -wal file; throws
// EngineError when changes wait. immutable_uri(path) names it as a file nothing changes.
bool readable_as_immutable(const std::string& path, int code);
std::string immutable_uri(const std::string& path);

// Opens and reads the database at `path` through `read(name, immutable)`. Reading a database
// in WAL mode needs its -shm file beside it, which cannot be made in a folder this user
// cannot write (an archive, a read-only share); a database with no changes waiting in its
// -wal file is whole in itself, and is then read as it stands: `read` is called again with
// immutable_uri(path) and `immutable` true (to open read-only with SQLITE_OPEN_URI). An
// error is thrown naming the file ("Cannot open database \"path\": ...").
template <typename Read>
auto read_database(const std::string& path, const Read& read) -> decltype(read(path, false)) {
    ProviderError first;
    try {
        return read(path, false);
    } catch (const EngineError& e) {
        first = e.detail();
    }
    try {
        if (!readable_as_immutable(path, static_cast<int>(first.native_error))) throw to_exception(first);
        return read(immutable_uri(path), true);
    } catch (const EngineError& e) {
        ProviderError d = e.detail();
        d.description = "Cannot open database \"" + path + "\": " + d.description;
        throw to_exception(d);
    }
}

}  // namespace ado::sqlite
