#pragma once
// Values between Variants and SQLite storage, by column type.
#include <string>

#include "ado/decimal.h"
#include "ado/sqlite/shape.h"
#include "ado/sqlite/type_info.h"
#include "ado/variant.h"

struct sqlite3_stmt;
struct sqlite3_value;

namespace ado::sqlite {

// Exact storage of a decimal: INTEGER when integral and within 64 bits, else REAL, which
// holds any decimal of at most 15 significant digits exactly (read back through its 15
// significant digits, Decimal::from_double). Throws ado::Error (overflow) beyond that.
BoundValue decimal_storage(const Decimal& d);
Decimal decimal_from_real(double v);  // through 15 significant digits

// A Variant as stored in a column of type `t` (Expression: by the Variant's own type).
// Throws ado::Error when the value does not convert.
BoundValue to_storage(const Variant& v, const TypeInfo& t);

// Canonical GUID text (upper case, no braces); throws ado::Error for text that is not one.
std::string normalize_guid(std::string_view text);
// Storage text of a date ('YYYYMMDD[ HH:MM:SS]'); throws ado::Error for text that is not one.
std::string date_storage(std::string_view text);

void bind_value(sqlite3_stmt* s, int index, const BoundValue& v);
BoundValue column_value(sqlite3_stmt* s, int col);
BoundValue value_of(sqlite3_value* v);

// The value of result column `col` as a Variant, read as type `t`.
Variant read_value(sqlite3_stmt* s, int col, const TypeInfo& t);

}  // namespace ado::sqlite
