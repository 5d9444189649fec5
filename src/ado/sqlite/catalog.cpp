#include "ado/sqlite/catalog.h"

#include <sqlite3.h>

#include "ado/sqlite/handles.h"
#include "ado/sqlite/tokenizer.h"

namespace ado::sqlite {
namespace {

std::string column_text(sqlite3_stmt* s, int i) {
    const auto* t = sqlite3_column_text(s, i);
    return t ? std::string(reinterpret_cast<const char*>(t)) : std::string();
}

// The CREATE text of the table; our DDL leaves "/*li:identity TYPE*/" beside an identity
// column, since SQLite needs such a column declared exactly INTEGER.
std::string create_text(sqlite3* db, const std::string& schema, std::string_view name) {
    const std::string sql = "SELECT sql FROM \"" + schema + "\".sqlite_master WHERE name = ?1 COLLATE NOCASE";
    StmtHandle s = prepare(db, sql);
    sqlite3_bind_text(s.get(), 1, name.data(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
    return sqlite3_step(s.get()) == SQLITE_ROW ? column_text(s.get(), 0) : std::string();
}

TypeInfo identity_type(const std::string& create) {
    static constexpr std::string_view kMarker = "/*li:identity ";
    const auto at = create.find(kMarker);
    if (at == std::string::npos) return tsql_type("INT", {});
    const auto end = create.find("*/", at);
    return declared_type(create.substr(at + kMarker.size(), end - at - kMarker.size()));
}

}  // namespace

const ColumnMeta* TableMeta::find(std::string_view column) const {
    for (const auto& c : columns)
        if (iequals(c.name, column)) return &c;
    return nullptr;
}

const TableMeta* Catalog::table(std::string_view schema, std::string_view name) {
    if (schema.empty()) {
        if (const TableMeta* t = table("temp", name)) return t;
        return table("main", name);
    }
    const std::string key = upper(schema) + "." + upper(name);
    auto it = tables_.find(key);
    if (it == tables_.end()) it = tables_.emplace(key, load(std::string(schema), name)).first;
    return it->second.get();
}

std::unique_ptr<TableMeta> Catalog::load(const std::string& schema, std::string_view name) {
    StmtHandle s =
        prepare(db_, "SELECT name, type, \"notnull\", dflt_value, pk FROM pragma_table_xinfo(?1, ?2)");
    sqlite3_bind_text(s.get(), 1, name.data(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(s.get(), 2, schema.data(), static_cast<int>(schema.size()), SQLITE_TRANSIENT);
    auto meta = std::make_unique<TableMeta>();
    meta->schema = schema;
    meta->name = std::string(name);
    int pk_columns = 0;
    while (sqlite3_step(s.get()) == SQLITE_ROW) {
        ColumnMeta c;
        c.name = column_text(s.get(), 0);
        c.type = declared_type(column_text(s.get(), 1));
        c.not_null = sqlite3_column_int(s.get(), 2) != 0;
        c.has_default =
            sqlite3_column_type(s.get(), 3) != SQLITE_NULL || c.type.storage == Storage::RowVersion;
        c.primary_key = sqlite3_column_int(s.get(), 4) != 0;
        pk_columns += c.primary_key ? 1 : 0;
        meta->columns.push_back(std::move(c));
    }
    if (meta->columns.empty()) return nullptr;
    const std::string create = create_text(db_, schema, name);
    if (pk_columns == 1 && create.find("AUTOINCREMENT") != std::string::npos) {
        for (auto& c : meta->columns) {
            if (!c.primary_key || c.type.storage != Storage::Int32) continue;
            c.identity = true;
            c.has_default = true;
            c.not_null = true;
            c.type = identity_type(create);
        }
    }
    return meta;
}

}  // namespace ado::sqlite
