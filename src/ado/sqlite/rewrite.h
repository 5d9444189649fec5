#pragma once
// T-SQL statements (SELECT, INSERT, UPDATE, DELETE) rewritten for SQLite, token by token.
#include <map>
#include <string>
#include <vector>

#include "ado/sqlite/tokenizer.h"
#include "ado/sqlite/type_info.h"

namespace ado::sqlite {

class Catalog;

struct TranslateEnv {
    Catalog& catalog;
    const std::map<std::string, TypeInfo>& variables;  // declared so far in the batch, upper-case names
};

// The SQLite text of one DML statement. `updatable` adds the hidden rowid column that
// updatable record sets write through. Throws ado::Error for constructs the engine
// cannot run.
std::string translate_dml(std::vector<Token> toks, const TranslateEnv& env, bool updatable = false);

// Function names and table hints; used for DDL pieces (defaults, checks) too.
void drop_table_hints(std::vector<Token>& toks);
void rewrite_functions(std::vector<Token>& toks);
void rewrite_collations(std::vector<Token>& toks);

}  // namespace ado::sqlite
