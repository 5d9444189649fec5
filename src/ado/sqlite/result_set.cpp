#include "ado/sqlite/result_set.h"

#include <sqlite3.h>

#include <algorithm>

#include "ado/sqlite/catalog.h"
#include "ado/sqlite/values.h"

namespace ado::sqlite {
namespace {

constexpr long kNullable = adFldIsNullable | adFldMayBeNull;

// SQLite names an unaliased expression after its text ("li_newid()", "?1"); the server
// names it "". An alias or a column name is a plain identifier.
bool plain_identifier(const char* n) {
    if (!n || !*n || (*n >= '0' && *n <= '9')) return false;
    for (const char* p = n; *p; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                        c == '_' || c == '#' || c == '$' || c >= 0x80;
        if (!ok) return false;
    }
    return true;
}

void apply_type(ColumnInfo& info, const TypeInfo& t) {
    info.type = t.ado_type;
    info.defined_size = t.size;
    info.precision = t.precision;
    info.numeric_scale = t.scale;
}

// An expression's type, from the first value that is not Null.
void type_expression(ColumnInfo& info, const RowSet& rows, std::size_t col) {
    long longest = 0;
    int scale = 0;
    const Variant* first = nullptr;
    for (const auto& row : rows.rows) {
        const Variant& v = row[col];
        if (v.is_null()) continue;
        if (!first) first = &v;
        if (v.is_string()) longest = std::max(longest, static_cast<long>(utf8_length(v.str())));
        if (v.type() == VarType::Decimal) scale = std::max(scale, v.to_decimal().scale());
    }
    info.defined_size = 0;
    info.precision = 0;
    info.numeric_scale = 0;
    switch (first ? first->type() : VarType::String) {
        case VarType::Integer:
            info.type = adSmallInt, info.defined_size = 2, info.precision = 5;
            break;
        case VarType::Long:
            info.type = adInteger, info.defined_size = 4, info.precision = 10;
            break;
        case VarType::LongLong:
            info.type = adBigInt, info.defined_size = 8, info.precision = 19;
            break;
        case VarType::Decimal:
            info.type = adNumeric, info.defined_size = 19, info.precision = 28, info.numeric_scale = scale;
            break;
        case VarType::Double:
            info.type = adDouble, info.defined_size = 8, info.precision = 15;
            break;
        case VarType::Date:
            info.type = adDBTimeStamp, info.defined_size = 16, info.precision = 23, info.numeric_scale = 3;
            break;
        case VarType::Boolean:
            info.type = adBoolean, info.defined_size = 2;
            break;
        default:
            info.type = adVarWChar, info.defined_size = first ? std::max(longest, 1L) : 4000;
    }
    info.attributes = kNullable | (info.type == adVarWChar ? 0L : static_cast<long>(adFldFixed));
}

}  // namespace

std::vector<ResultColumn> describe_columns(sqlite3_stmt* s, Catalog& catalog, bool updatable) {
    const int n = sqlite3_column_count(s);
    std::vector<ResultColumn> out(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        ResultColumn& rc = out[static_cast<std::size_t>(i)];
        const char* name = sqlite3_column_name(s, i);
        const char* db = sqlite3_column_database_name(s, i);
        const char* table = sqlite3_column_table_name(s, i);
        const char* column = sqlite3_column_origin_name(s, i);
        if (updatable && i == n - 1) {
            rc.type = tsql_type("BIGINT", {});
            apply_type(rc.info, rc.type);
            rc.info.name = "li_rowid";
            rc.info.base_column = "rowid";
            rc.info.hidden = true;
            rc.info.read_only = true;
            continue;
        }
        if (table && column) {
            rc.info.name = name ? name : column;
            rc.info.base_table = table;
            rc.info.base_column = column;
            rc.schema = db ? db : "main";
            const TableMeta* meta = catalog.table(db ? db : "", table);
            const ColumnMeta* cm = meta ? meta->find(column) : nullptr;
            rc.type = cm ? cm->type
                         : declared_type(sqlite3_column_decltype(s, i) ? sqlite3_column_decltype(s, i) : "");
            const bool nullable = !cm || !cm->not_null;
            rc.info.read_only = cm && cm->read_only();
            rc.info.has_default = cm && cm->has_default;
            apply_type(rc.info, rc.type);
            rc.info.attributes = rc.type.attributes_for_type() | (nullable ? kNullable : 0) |
                                 (rc.info.read_only ? 0L : static_cast<long>(adFldUpdatable));
            if (rc.type.storage == Storage::Expression) rc.info.attributes |= kNullable;
            continue;
        }
        rc.info.name = plain_identifier(name) ? name : "";
        rc.info.read_only = true;
        rc.info.attributes = kNullable;
    }
    return out;
}

void apply_result_types(std::vector<ResultColumn>& columns, const std::vector<SqlType>& types) {
    if (types.size() != columns.size()) return;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const SqlType& t = types[i];
        ResultColumn& rc = columns[i];
        if (!rc.info.base_column.empty()) continue;
        const bool told = (t.is_exact() && !t.is_integer()) || t.base == SqlBase::Float || t.is_date();
        if (!told) continue;
        rc.type = type_info_of(t);
        apply_type(rc.info, rc.type);
        rc.info.attributes = kNullable | static_cast<long>(adFldFixed);
    }
}

std::vector<Variant> read_row(sqlite3_stmt* s, const std::vector<ResultColumn>& columns) {
    std::vector<Variant> row;
    row.reserve(columns.size());
    for (std::size_t i = 0; i < columns.size(); ++i)
        row.push_back(read_value(s, static_cast<int>(i), columns[i].type));
    return row;
}

RowSet read_rows(sqlite3_stmt* s, const std::vector<ResultColumn>& columns, bool write_through) {
    RowSet rs;
    rs.columns.reserve(columns.size());
    for (const auto& c : columns) {
        if (write_through) {
            rs.columns.push_back(c.info);
            continue;
        }
        ColumnInfo info;
        info.name = c.info.name;
        info.type = c.info.type;
        info.defined_size = c.info.defined_size;
        info.precision = c.info.precision;
        info.numeric_scale = c.info.numeric_scale;
        info.attributes = c.info.attributes;
        info.hidden = c.info.hidden;
        info.read_only = c.info.read_only;
        info.has_default = c.info.has_default;
        rs.columns.push_back(std::move(info));
    }
    int rc = 0;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) rs.rows.push_back(read_row(s, columns));
    if (rc != SQLITE_DONE) throw to_exception(engine_error(sqlite3_db_handle(s), rc));
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (columns[i].type.storage == Storage::Expression && columns[i].info.base_column.empty())
            type_expression(rs.columns[i], rs, i);
    return rs;
}

}  // namespace ado::sqlite
