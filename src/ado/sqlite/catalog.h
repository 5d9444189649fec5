#pragma once
// What the engine knows of the tables and views of one connection: each column's T-SQL
// type, nullability, identity, row version and default. Loaded on first need and
// forgotten when this connection changes the schema.
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ado/sqlite/type_info.h"

struct sqlite3;

namespace ado::sqlite {

struct ColumnMeta {
    std::string name;
    TypeInfo type;
    bool not_null = false;
    bool primary_key = false;
    bool identity = false;
    bool has_default = false;
    bool read_only() const { return identity || type.storage == Storage::RowVersion; }
};

struct TableMeta {
    std::string schema;  // "main" or "temp"
    std::string name;    // as stored (temp tables: "#NAME")
    std::vector<ColumnMeta> columns;
    const ColumnMeta* find(std::string_view column) const;  // case-insensitive
};

class Catalog {
  public:
    explicit Catalog(sqlite3* db) : db_(db) {}
    // `schema` empty: temp first, then main, as SQLite resolves names. nullptr if missing.
    const TableMeta* table(std::string_view schema, std::string_view name);
    void clear() { tables_.clear(); }

  private:
    std::unique_ptr<TableMeta> load(const std::string& schema, std::string_view name);
    sqlite3* db_;
    std::map<std::string, std::unique_ptr<TableMeta>> tables_;  // "SCHEMA.NAME" upper case; null = missing
};

}  // namespace ado::sqlite
