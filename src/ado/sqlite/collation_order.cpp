#include "ado/sqlite/collation_order.h"

#include <sqlite3.h>

#include "ado/core/collation.h"
#include "ado/error.h"
#include "ado/sqlite/functions.h"
#include "ado/sqlite/handles.h"

namespace ado::sqlite {
namespace {

std::optional<std::string> recorded_version(sqlite3* db) {
    StmtHandle has =
        prepare(db, "SELECT 1 FROM main.sqlite_master WHERE type = 'table' AND name = 'li_collation'");
    if (sqlite3_step(has.get()) != SQLITE_ROW) return std::nullopt;
    StmtHandle q = prepare(db, "SELECT VERSION FROM main.li_collation");
    if (sqlite3_step(q.get()) != SQLITE_ROW) return std::string();
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(q.get(), 0));
    return std::string(text ? text : "");
}

// Whether anything in the file is ordered by the collation (a column declared with it).
bool uses_collation(sqlite3* db) {
    StmtHandle q = prepare(db, "SELECT 1 FROM main.sqlite_master WHERE instr(upper(sql), ?1) > 0 LIMIT 1");
    const std::string name(kCollation);
    sqlite3_bind_text(q.get(), 1, name.data(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
    return sqlite3_step(q.get()) == SQLITE_ROW;
}

}  // namespace

void keep_collation_order(sqlite3* db, bool writable, const std::string& path) {
    const std::string version = collation_version();
    const std::optional<std::string> recorded = recorded_version(db);
    if (recorded && *recorded == version) return;
    const bool ordered = uses_collation(db);
    if (!writable) {
        if (ordered)
            throw Error(kErrProvider, "Cannot open database \"" + path +
                                          "\": its text indexes are ordered by another version of the "
                                          "collation; open it once for writing (ledgerintake db init) to "
                                          "reindex it.");
        return;
    }
    try {
        exec(db, "BEGIN IMMEDIATE");
        if (ordered) exec(db, "REINDEX " + std::string(kCollation));
        exec(db, "CREATE TABLE IF NOT EXISTS main.li_collation (VERSION TEXT NOT NULL)");
        exec(db, "DELETE FROM main.li_collation");
        StmtHandle ins = prepare(db, "INSERT INTO main.li_collation (VERSION) VALUES (?1)");
        sqlite3_bind_text(ins.get(), 1, version.data(), static_cast<int>(version.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(ins.get()) != SQLITE_DONE) throw to_exception(engine_error(db, sqlite3_errcode(db)));
        exec(db, "COMMIT");
        sqlite3_set_last_insert_rowid(db, 0);  // SCOPE_IDENTITY() knows of no insert yet
    } catch (const EngineError& e) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw Error(kErrProvider, "Cannot open database \"" + path +
                                      "\": reindexing its text under the current collation failed: " +
                                      e.detail().description);
    }
}

}  // namespace ado::sqlite
