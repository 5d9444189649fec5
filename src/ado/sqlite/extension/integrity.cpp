#include "ado/sqlite/extension/integrity.h"

#include <sqlite3.h>

#include "ado/sqlite/collation_order.h"
#include "ado/sqlite/functions.h"
#include "ado/sqlite/handles.h"

namespace ado::sqlite {

namespace {

std::vector<std::string> check(const std::string& name, int flags, const std::filesystem::path& file,
                               int limit) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(name.c_str(), &raw, flags, nullptr);
    DbHandle db(raw);
    if (rc != SQLITE_OK) throw to_exception(engine_error(db.get(), rc));
    sqlite3_extended_result_codes(db.get(), 1);
    register_functions(db.get());
    keep_collation_order(db.get(), false, file.string());
    StmtHandle check =
        prepare(db.get(), "PRAGMA integrity_check(" + std::to_string(limit > 0 ? limit : 1) + ")");
    std::vector<std::string> problems;
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(check.get())) == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(check.get(), 0));
        problems.emplace_back(text ? text : "");
    }
    if (step != SQLITE_DONE) throw to_exception(engine_error(db.get(), step));
    if (problems.size() == 1 && problems.front() == "ok") problems.clear();
    return problems;
}

}  // namespace

std::vector<std::string> integrity_problems(const std::filesystem::path& file, int limit) {
    return read_database(file.string(), [&](const std::string& name, bool immutable) {
        return check(name, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX | (immutable ? SQLITE_OPEN_URI : 0),
                     file, limit);
    });
}

}  // namespace ado::sqlite
