#pragma once
// Whether an operand of T-SQL "+" is text, so that "+" between texts becomes SQLite's "||".
// SQLite has no operator that adds numbers and joins texts; the rule: "+" joins when one
// operand is known to be text (string literal, text column, text function, CAST to a
// character type, text variable, CASE whose first branch is text) and the other is not
// known to be a number.
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "ado/sqlite/parens.h"
#include "ado/sqlite/tokenizer.h"
#include "ado/sqlite/type_info.h"

namespace ado::sqlite {

class Catalog;

enum class Operand : unsigned char { Text, Number, Unknown };

// Judges every primary of the statement once, from the last token to the first (what starts
// at a token depends only on the tokens after it), so that each "+" is then answered at once
// however long the chain or deep the nesting.
class OperandTyper {
  public:
    OperandTyper(const std::vector<Token>& toks, Catalog& catalog,
                 const std::map<std::string, TypeInfo>& variables);
    Operand left_of(std::size_t op) const;   // the primary that ends just before `op`
    Operand right_of(std::size_t op) const;  // the primary that starts just after `op`
    bool joins_text(std::size_t op) const;   // "+" at `op` should become "||"

  private:
    Operand start(std::size_t i) const { return i < start_.size() ? start_[i] : Operand::Unknown; }
    Operand ending_at(std::size_t i) const;
    Operand starting_at(std::size_t i) const;  // from the answers for later tokens
    Operand function(std::size_t name, std::size_t open) const;
    Operand cast_type(std::size_t name, std::size_t open) const;
    Operand name_at(std::size_t i) const;
    Operand column(const Token& name) const;
    void index_tables(Catalog& catalog);
    void match_cases();

    const std::vector<Token>& t_;
    const std::map<std::string, TypeInfo>& variables_;
    Parens parens_;
    std::unordered_map<std::string, Operand> columns_;  // upper-case column name: its first table's answer
    std::vector<std::size_t> case_then_;                // CASE: its first THEN; END: its CASE
    std::vector<Operand> start_;                        // the primary starting at each token
    std::vector<Operand> chain_;                        // a name: the column its dotted chain ends in
};

}  // namespace ado::sqlite
