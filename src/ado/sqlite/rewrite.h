#pragma once
// T-SQL statements (SELECT, INSERT, UPDATE, DELETE) rewritten for SQLite, token by token.
// Each pass reads the tokens once and builds its result in one go (see Splice, Parens), so
// that translation time grows with the length of the text, not with its square.
#include <map>
#include <string>
#include <vector>

#include "ado/sqlite/sql_type.h"
#include "ado/sqlite/tokenizer.h"
#include "ado/sqlite/type_info.h"

namespace ado::sqlite {

class Catalog;

struct TranslateEnv {
    Catalog& catalog;
    const std::map<std::string, TypeInfo>& variables;  // declared so far in the batch, upper-case names
};

// The SQLite text of one DML statement and what its parameters take. `updatable` adds the
// hidden rowid column that updatable record sets write through; `result_types` receives the
// server's types of a SELECT's items (see expr_typer.h). Throws ado::Error for constructs
// the engine cannot run.
Emitted translate_dml(std::vector<Token> toks, const TranslateEnv& env, bool updatable = false,
                      std::vector<SqlType>* result_types = nullptr);

// Function names and collations; used for DDL pieces (defaults, checks) too.
void rewrite_functions(std::vector<Token>& toks);
void rewrite_collations(std::vector<Token>& toks);

}  // namespace ado::sqlite
