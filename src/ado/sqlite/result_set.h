#pragma once
// Result columns described as the platform's fields, and rows read as Variants.
#include <vector>

#include "ado/driver.h"
#include "ado/sqlite/plan.h"

struct sqlite3_stmt;

namespace ado::sqlite {

class Catalog;

// Columns of a prepared statement. A column taken from a table reports that column's
// type, size, precision, scale and nullability; an expression is typed by its values
// (see finish_columns). An unnamed expression is named "" as the server names it.
// `updatable`: the last column is the hidden rowid the writer keys on.
std::vector<ResultColumn> describe_columns(sqlite3_stmt* s, Catalog& catalog, bool updatable);

// Expression columns whose server type the translator told (decimal, money, float, date)
// report that type and read their values as it; the others stay typed by their values.
void apply_result_types(std::vector<ResultColumn>& columns, const std::vector<SqlType>& types);

// Steps `s` to the end and returns its rows; throws the engine's error. The base table
// and column names are handed on only when the rows will be written through.
RowSet read_rows(sqlite3_stmt* s, const std::vector<ResultColumn>& columns, bool write_through);

// Reads the current row only.
std::vector<Variant> read_row(sqlite3_stmt* s, const std::vector<ResultColumn>& columns);

}  // namespace ado::sqlite
