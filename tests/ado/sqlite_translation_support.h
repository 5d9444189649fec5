#pragma once
// What the engine makes of statement text, read from its translator directly: the SQLite
// text of each top-level statement of a batch, on the schema of a database file.
#include <sqlite3.h>

#include <string>
#include <vector>

#include "ado/sqlite/batch.h"
#include "ado/sqlite/catalog.h"
#include "ado/sqlite/handles.h"
#include "ado/sqlite/shape.h"

namespace ado::testing {

inline std::vector<std::string> translated(const std::string& path, const std::string& sql) {
    sqlite3* raw = nullptr;
    sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
    const sqlite::DbHandle db(raw);
    sqlite::Catalog catalog(db.get());
    const sqlite::Plan plan = sqlite::build_plan(sqlite::make_shape(sql, 'Q'), catalog, false);
    std::vector<std::string> out;
    for (const auto& node : plan.nodes)
        for (const auto& s : node.step.sql) out.push_back(s);
    return out;
}

// `piece` n times.
inline std::string repeated(std::string_view piece, int n) {
    std::string out;
    out.reserve(piece.size() * static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) out.append(piece);
    return out;
}

// The most parameters SQLite binds in one statement, as built here.
inline int parameter_limit() {
    sqlite3* raw = nullptr;
    sqlite3_open(":memory:", &raw);
    const sqlite::DbHandle db(raw);
    return sqlite3_limit(db.get(), SQLITE_LIMIT_VARIABLE_NUMBER, -1);
}

}  // namespace ado::testing
