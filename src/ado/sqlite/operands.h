#pragma once
// Whether an operand of T-SQL "+" is text, so that "+" between texts becomes SQLite's "||".
// SQLite has no operator that adds numbers and joins texts; the rule: "+" joins when one
// operand is known to be text (string literal, text column, text function, CAST to a
// character type, text variable, CASE whose first branch is text) and the other is not
// known to be a number.
#include <map>
#include <string>
#include <vector>

#include "ado/sqlite/tokenizer.h"
#include "ado/sqlite/type_info.h"

namespace ado::sqlite {

class Catalog;

enum class Operand { Text, Number, Unknown };

class OperandTyper {
public:
    OperandTyper(const std::vector<Token>& toks, Catalog& catalog, const std::map<std::string, TypeInfo>& variables);
    Operand left_of(std::size_t op) const;   // the primary that ends just before `op`
    Operand right_of(std::size_t op) const;  // the primary that starts just after `op`
    bool joins_text(std::size_t op) const;   // "+" at `op` should become "||"

private:
    Operand starting_at(std::size_t i, int guard) const;
    Operand ending_at(std::size_t i, int guard) const;
    Operand function(std::size_t name, std::size_t open, int guard) const;
    Operand case_result(std::size_t case_at, int guard) const;
    Operand column(std::string_view name) const;
    Operand of_type(const TypeInfo& t) const;

    const std::vector<Token>& t_;
    Catalog& catalog_;
    const std::map<std::string, TypeInfo>& variables_;
    std::vector<std::string> tables_;  // tables and views the statement names
};

}  // namespace ado::sqlite
