#pragma once
// T-SQL data definition (CREATE TABLE / INDEX / VIEW, DROP) as SQLite statements.
//
// Tables keep each column's T-SQL type in its declaration (so the record sets report the
// platform's codes) and add: the registered collation on text columns, named CHECKs for
// text widths and numeric ranges (SQLite enforces neither), an identity column as the
// table's INTEGER PRIMARY KEY AUTOINCREMENT (a declared key elsewhere becomes UNIQUE), and
// triggers that keep a ROWVERSION column at a database-wide increasing value.
#include <string>
#include <vector>

#include "ado/sqlite/tokenizer.h"

namespace ado::sqlite {

class Catalog;

// The SQLite statements, in order. Throws ado::Error for what the engine cannot define.
std::vector<std::string> translate_ddl(const std::vector<Token>& toks, Catalog& catalog);

}  // namespace ado::sqlite
