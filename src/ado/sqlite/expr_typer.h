#pragma once
// Types every expression of a DML statement as the server does (columns from the catalog,
// literals by their form, variables by their declaration, functions by their result) and
// rewrites what SQLite would answer differently into calls of the typed SQL functions
// (typed_functions.h): arithmetic, comparisons that convert, casts, date functions,
// decimal aggregates, CHAR values inside expressions. Runs once per statement shape.
#include <deque>
#include <string>
#include <vector>

#include "ado/sqlite/rewrite.h"
#include "ado/sqlite/sql_type.h"

namespace ado::sqlite {

struct TypedStatement {
    std::vector<Token> tokens;
    // Types of the items of the statement's (first) SELECT list; empty when the list holds
    // a "*" or the statement is not a SELECT.
    std::vector<SqlType> select_types;
};

// `arena` keeps the text of the tokens the rewrite makes until they are emitted. Throws
// ado::Error for arithmetic whose operand types cannot be told and for constructs the
// engine cannot evaluate as the server does.
TypedStatement type_expressions(const std::vector<Token>& toks, const TranslateEnv& env,
                                std::deque<std::string>& arena);

}  // namespace ado::sqlite
