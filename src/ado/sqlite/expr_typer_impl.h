#pragma once
// The typed rewrite's parser (expr_typer.cpp: statements, clauses, operators;
// expr_functions.cpp: function calls). Internal to the engine.
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ado/sqlite/catalog.h"
#include "ado/sqlite/expr_edits.h"
#include "ado/sqlite/expr_typer.h"
#include "ado/sqlite/parens.h"

namespace ado::sqlite {

// One parsed expression: its tokens [begin, end) in the statement, its type and form.
struct Expr {
    enum class Form : std::uint8_t { Other, Column, Literal, Variable, Null, Star };
    std::size_t begin = 0;
    std::size_t end = 0;
    SqlType type;
    Form form = Form::Other;
    const ColumnMeta* column = nullptr;  // Form::Column
    std::string name;                    // a column's name: names the select item

    bool plain() const { return form != Form::Other; }
    // Computed decimals of more than 15 digits may arrive as exact text, which SQLite's own
    // comparison would take for a string.
    bool may_be_text_number() const {
        return (type.base == SqlBase::Decimal || type.base == SqlBase::Money) && type.precision > 15 &&
               form == Form::Other;
    }
};

// A truth value (bit) over [begin, end).
inline Expr bit_over(std::size_t begin, std::size_t end) {
    Expr e;
    e.begin = begin;
    e.end = end;
    e.type = SqlType::of(SqlBase::Bit);
    return e;
}

class ExprTyper {
  public:
    ExprTyper(const std::vector<Token>& toks, const TranslateEnv& env, std::deque<std::string>& arena);
    TypedStatement run();

  private:
    // Tables and derived tables a query names, for resolving column names.
    struct Source {
        std::string alias;  // upper case; the table's name when it has no alias
        const TableMeta* table = nullptr;
        std::vector<std::pair<std::string, Expr>> derived;  // upper-case name, its item
    };
    struct Scope {
        std::vector<Source> sources;
        const Scope* parent = nullptr;
    };
    struct Item {
        Expr expr;
        std::string name;  // upper case
    };

    // One more level of nesting while it lives; too deep abandons the typing.
    class Deeper {
      public:
        explicit Deeper(int& depth);
        ~Deeper() { --depth_; }
        Deeper(const Deeper&) = delete;
        Deeper& operator=(const Deeper&) = delete;

      private:
        int& depth_;
    };

    // Statements and clauses (expr_typer.cpp).
    void type_statement(TypedStatement& out);
    std::vector<Item> query(std::size_t begin, std::size_t end, const Scope* parent);
    std::vector<Item> select_core(std::size_t begin, std::size_t end, const Scope* parent);
    void from_clause(std::size_t begin, std::size_t end, Scope& scope);
    std::size_t source(std::size_t i, std::size_t end, Scope& scope);
    void insert_statement();
    void update_or_delete();
    std::vector<Item> expression_list(std::size_t begin, std::size_t end, const Scope& scope, bool items);
    void order_list(std::size_t begin, std::size_t end, const Scope& scope, const std::vector<Item>& items);

    // Expressions (expr_typer.cpp). Each parses from pos_ up to end_.
    Expr expression(std::size_t begin, std::size_t end, const Scope& scope);
    Expr parse_or();
    Expr parse_and();
    Expr parse_not();
    Expr parse_predicate();
    Expr parse_additive();
    Expr parse_multiplicative();
    Expr parse_unary();
    Expr parse_primary();
    Expr name_chain();
    Expr case_expression();
    Expr subquery(std::size_t open);
    void in_list(const Expr& left, std::size_t open, bool negated);
    Expr between(const Expr& left, std::size_t between_at, bool negated);

    // Functions (expr_functions.cpp).
    Expr function_call(std::size_t name, std::size_t open);
    std::vector<Expr> arguments(std::size_t open);
    Expr cast_call(std::size_t name, std::size_t open);
    Expr date_call(std::size_t name, std::size_t open, std::string_view which);
    Expr aggregate(std::size_t name, std::size_t open, const std::vector<Expr>& args);
    void pad_fixed_text(const Expr& e);

    // Rewrites (expr_typer.cpp).
    Expr arithmetic(const Expr& a, std::size_t op, const Expr& b);
    Expr comparison(const Expr& a, std::size_t op, const Expr& b);
    bool converts(const Expr& a, const Expr& b);
    void wrap(const Expr& e, std::string_view fn, std::vector<Token> extra = {});
    Token code(std::int64_t n);
    Token word(std::string_view text);

    std::optional<Expr> resolve(std::string_view qualifier, std::string_view column) const;

    bool at(std::string_view word) const { return pos_ < end_ && t_[pos_].is_word(word); }
    bool at_punct(std::string_view p) const { return pos_ < end_ && t_[pos_].is_punct(p); }
    std::size_t top_level(std::size_t begin, std::size_t end, std::string_view word) const;
    [[noreturn]] void cannot_type(const Expr& a, const Expr& b) const;

    const std::vector<Token>& t_;
    const TranslateEnv& env_;
    std::deque<std::string>& arena_;
    Parens parens_;
    Edits edits_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    const Scope* scope_ = nullptr;
    int depth_ = 0;
};

}  // namespace ado::sqlite
