#include "ado/sqlite/row_writer.h"

#include <sqlite3.h>

#include "ado/sqlite/result_set.h"
#include "ado/sqlite/session.h"
#include "ado/sqlite/tokenizer.h"
#include "ado/sqlite/values.h"

namespace ado::sqlite {
namespace {

std::string quote(std::string_view name) {
    return enclosed(name, '"');
}

const std::string kNotLocated =
    "Row cannot be located for updating. Some values may have been changed since it was last read.";

sqlite3_stmt* cached(Session& s, const std::string& sql) {
    if (auto hit = s.statements.find(sql)) return hit->stmt.get();
    auto entry = std::make_shared<CachedStatement>();
    entry->stmt = prepare(s.handle(), sql);
    sqlite3_stmt* raw = entry->stmt.get();
    s.statements.insert(sql, std::move(entry));
    return raw;
}

}  // namespace

SqliteRowWriter::SqliteRowWriter(std::weak_ptr<Session> session, std::string schema, std::string table,
                                 std::vector<ResultColumn> columns)
    : session_(std::move(session)),
      schema_(std::move(schema)),
      table_(std::move(table)),
      columns_(std::move(columns)) {
    std::string list;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        const ColumnInfo& c = columns_[i].info;
        if (c.hidden) rowid_index_ = i;
        list += (i ? ", " : "") + (c.hidden                ? std::string("rowid")
                                   : c.base_column.empty() ? "NULL"
                                                           : quote(c.base_column));
    }
    reread_sql_ = "SELECT " + list + " FROM " + target() + " WHERE rowid = ?1";
}

Session& SqliteRowWriter::session() const {
    const auto s = session_.lock();
    if (!s) throw Error(kErrNotOpen, "Operation is not allowed when the object is closed.");
    return *s;  // the driver owns it; it cannot go away during this call
}

std::string SqliteRowWriter::target() const {
    return quote(schema_) + "." + quote(table_);
}

std::int64_t SqliteRowWriter::rowid_of(const std::vector<Variant>& row) const {
    if (rowid_index_ >= row.size() || row[rowid_index_].is_null() || row[rowid_index_].is_empty())
        throw Error(kErrProvider, kNotLocated);
    return row[rowid_index_].to_longlong();
}

void SqliteRowWriter::run(Session& s, const std::string& sql, const std::vector<BoundValue>& values) {
    sqlite3_stmt* st = cached(s, sql);
    ResetOnExit reset(st);
    for (std::size_t i = 0; i < values.size(); ++i) bind_value(st, static_cast<int>(i + 1), values[i]);
    const int rc = sqlite3_step(st);
    if (rc != SQLITE_DONE) throw to_exception(engine_error(s.handle(), rc));
}

std::vector<Variant> SqliteRowWriter::reread(Session& s, std::int64_t rowid) {
    sqlite3_stmt* st = cached(s, reread_sql_);
    ResetOnExit reset(st);
    sqlite3_bind_int64(st, 1, rowid);
    const int rc = sqlite3_step(st);
    if (rc == SQLITE_ROW) return read_row(st, columns_);
    if (rc != SQLITE_DONE) throw to_exception(engine_error(s.handle(), rc));
    throw Error(kErrProvider, kNotLocated);
}

std::vector<Variant> SqliteRowWriter::insert(const std::vector<Variant>& values,
                                             const std::vector<bool>& assigned) {
    Session& s = session();
    return s.guarded([&] {
        std::string names;
        std::string params;
        std::vector<BoundValue> bound;
        for (std::size_t i = 0; i < columns_.size() && i < values.size(); ++i) {
            const ResultColumn& c = columns_[i];
            if (i >= assigned.size() || !assigned[i] || c.info.hidden || c.info.base_column.empty()) continue;
            if (c.info.read_only)
                throw Error(kErrProvider, "Cannot insert an explicit value into column '" +
                                              c.info.base_column + "' of table '" + table_ +
                                              "': the database assigns it.");
            bound.push_back(to_storage(values[i], c.type));
            names += (names.empty() ? "" : ", ") + quote(c.info.base_column);
            params += (params.empty() ? "?" : ", ?") + std::to_string(bound.size());
        }
        const std::string sql = names.empty()
                                    ? "INSERT INTO " + target() + " DEFAULT VALUES"
                                    : "INSERT INTO " + target() + " (" + names + ") VALUES (" + params + ")";
        run(s, sql, bound);
        return reread(s, sqlite3_last_insert_rowid(s.handle()));
    });
}

std::vector<Variant> SqliteRowWriter::update(const std::vector<Variant>& original,
                                             const std::vector<Variant>& values,
                                             const std::vector<bool>& changed) {
    Session& s = session();
    return s.guarded([&] {
        const std::int64_t rowid = rowid_of(original);
        std::string sets;
        std::vector<BoundValue> bound;
        for (std::size_t i = 0; i < columns_.size() && i < values.size(); ++i) {
            const ResultColumn& c = columns_[i];
            if (i >= changed.size() || !changed[i] || c.info.hidden || c.info.base_column.empty()) continue;
            if (c.info.read_only)
                throw Error(kErrProvider,
                            "Cannot update column '" + c.info.base_column + "': the database assigns it.");
            bound.push_back(to_storage(values[i], c.type));
            sets += (sets.empty() ? "" : ", ") + quote(c.info.base_column) + " = ?" +
                    std::to_string(bound.size());
        }
        if (!sets.empty()) {
            bound.push_back(BoundValue::integer(rowid));
            run(s, "UPDATE " + target() + " SET " + sets + " WHERE rowid = ?" + std::to_string(bound.size()),
                bound);
            if (sqlite3_changes64(s.handle()) == 0) throw Error(kErrProvider, kNotLocated);
        }
        return reread(s, rowid);
    });
}

void SqliteRowWriter::remove(const std::vector<Variant>& original) {
    Session& s = session();
    s.guarded([&] {
        run(s, "DELETE FROM " + target() + " WHERE rowid = ?1", {BoundValue::integer(rowid_of(original))});
        if (sqlite3_changes64(s.handle()) == 0) throw Error(kErrProvider, kNotLocated);
    });
}

}  // namespace ado::sqlite
