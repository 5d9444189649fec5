#include "ado/sqlite/expr_typer.h"

#include <algorithm>

#include "ado/error.h"
#include "ado/sqlite/expr_typer_impl.h"

namespace ado::sqlite {
namespace {

using Toks = std::vector<Token>;

// Words that end an expression or a table name: a name never takes them as its alias.
constexpr std::string_view kClauseWords[] = {
    "FROM",   "WHERE",   "GROUP",  "HAVING",  "ORDER", "UNION",    "EXCEPT", "INTERSECT", "ON",
    "JOIN",   "INNER",   "LEFT",   "RIGHT",   "FULL",  "CROSS",    "OUTER",  "AS",        "AND",
    "OR",     "NOT",     "THEN",   "WHEN",    "ELSE",  "END",      "SET",    "INTO",      "VALUES",
    "SELECT", "WITH",    "OPTION", "FOR",     "APPLY", "ASC",      "DESC",   "IS",        "IN",
    "LIKE",   "BETWEEN", "ESCAPE", "COLLATE", "BY",    "DISTINCT", "TOP"};

bool is_clause_word(const Token& t) {
    return is_one_of(t, kClauseWords);
}

bool is_name(const Token& t) {
    return (t.kind == TokKind::Word && !is_clause_word(t)) || t.kind == TokKind::QuotedIdent;
}

std::string name_of(const Token& t) {
    return upper(t.kind == TokKind::QuotedIdent ? ident_value(t.text) : std::string(t.text));
}

bool is_comparison(const Token& t) {
    if (t.kind != TokKind::Punct) return false;
    return t.is_punct("=") || t.is_punct("<>") || t.is_punct("!=") || t.is_punct("<") || t.is_punct(">") ||
           t.is_punct("<=") || t.is_punct(">=");
}

bool is_compound(const Token& t) {
    return t.is_word("UNION") || t.is_word("EXCEPT") || t.is_word("INTERSECT");
}

// Deeper nesting than this SQLite's own parser refuses (its stack holds 100 levels), so the
// statement is left untyped for SQLite to refuse, before this parser's recursion could
// exhaust the stack.
constexpr int kMaxDepth = 200;
struct TooDeep {};

}  // namespace

ExprTyper::ExprTyper(const Toks& toks, const TranslateEnv& env, std::deque<std::string>& arena)
    : t_(toks), env_(env), arena_(arena), parens_(toks), edits_(toks.size()) {}

TypedStatement ExprTyper::run() {
    TypedStatement out;
    try {
        type_statement(out);
    } catch (const TooDeep&) {
        out.tokens = t_;
        out.select_types.clear();
        return out;
    }
    out.tokens = edits_.empty() ? t_ : edits_.apply(t_);
    return out;
}

void ExprTyper::type_statement(TypedStatement& out) {
    if (!t_.empty()) {
        if (t_[0].is_word("SELECT")) {
            const std::vector<Item> items = query(0, t_.size(), nullptr);
            const bool star = std::any_of(items.begin(), items.end(),
                                          [](const Item& i) { return i.expr.form == Expr::Form::Star; });
            if (!star)
                for (const Item& i : items) out.select_types.push_back(i.expr.type);
        } else if (t_[0].is_word("INSERT")) {
            insert_statement();
        } else if (t_[0].is_word("UPDATE") || t_[0].is_word("DELETE")) {
            update_or_delete();
        }
    }
}

ExprTyper::Deeper::Deeper(int& depth) : depth_(depth) {
    if (++depth_ > kMaxDepth) {
        --depth_;
        throw TooDeep{};
    }
}

std::size_t ExprTyper::top_level(std::size_t begin, std::size_t end, std::string_view word) const {
    for (std::size_t i = begin; i < end; i = parens_.skip(i))
        if (t_[i].is_word(word)) return i;
    return end;
}

// SELECT ... [UNION [ALL] SELECT ...] [ORDER BY ...]: the first branch names and types the
// result.
std::vector<ExprTyper::Item> ExprTyper::query(std::size_t begin, std::size_t end, const Scope* parent) {
    std::vector<Item> first;
    bool have_first = false;
    std::size_t start = begin;
    for (std::size_t i = begin;; i = parens_.skip(i)) {
        if (i < end && !is_compound(t_[i])) continue;
        if (start < i && t_[start].is_word("SELECT")) {
            std::vector<Item> items = select_core(start, i, parent);
            if (!have_first) first = std::move(items), have_first = true;
        }
        if (i >= end) break;
        start = i + 1;
        if (start < end && t_[start].is_word("ALL")) ++start;
    }
    return first;
}

std::vector<ExprTyper::Item> ExprTyper::select_core(std::size_t begin, std::size_t end, const Scope* parent) {
    std::size_t i = begin + 1;
    if (i < end && (t_[i].is_word("DISTINCT") || t_[i].is_word("ALL"))) ++i;
    if (i < end && t_[i].is_word("TOP")) {
        ++i;
        if (i < end) i = parens_.skip(i);
        if (i < end && t_[i].is_word("PERCENT")) ++i;
    }
    // Where each clause starts, at this query's own level.
    std::size_t from = end, where = end, group = end, having = end, order = end;
    for (std::size_t k = i; k < end; k = parens_.skip(k)) {
        const Token& w = t_[k];
        if (w.kind != TokKind::Word) continue;
        if (w.is_word("FROM") && from == end) from = k;
        if (w.is_word("WHERE") && where == end) where = k;
        if (w.is_word("GROUP") && group == end) group = k;
        if (w.is_word("HAVING") && having == end) having = k;
        if (w.is_word("ORDER") && order == end) order = k;
    }
    const auto next_after = [&](std::size_t k) {
        std::size_t n = end;
        for (std::size_t c : {from, where, group, having, order})
            if (c > k && c < n) n = c;
        return n;
    };
    Scope scope;
    scope.parent = parent;
    if (from < end) from_clause(from + 1, next_after(from), scope);
    std::vector<Item> items = expression_list(i, next_after(i - 1), scope, true);
    if (where < end) expression(where + 1, next_after(where), scope);
    if (group < end) expression_list(group + 2, next_after(group), scope, false);
    if (having < end) expression(having + 1, next_after(having), scope);
    if (order < end) order_list(order + 2, next_after(order), scope, items);
    return items;
}

void ExprTyper::from_clause(std::size_t begin, std::size_t end, Scope& scope) {
    std::vector<std::pair<std::size_t, std::size_t>> conditions;
    for (std::size_t i = begin; i < end;) {
        const Token& k = t_[i];
        if (k.is_punct(",") || k.is_word("INNER") || k.is_word("LEFT") || k.is_word("RIGHT") ||
            k.is_word("FULL") || k.is_word("OUTER") || k.is_word("CROSS") || k.is_word("JOIN")) {
            ++i;
            continue;
        }
        if (k.is_word("ON")) {
            std::size_t e = i + 1;
            while (e < end && !(t_[e].is_punct(",") || t_[e].is_word("JOIN") || t_[e].is_word("INNER") ||
                                t_[e].is_word("LEFT") || t_[e].is_word("RIGHT") || t_[e].is_word("FULL") ||
                                t_[e].is_word("CROSS")))
                e = parens_.skip(e);
            conditions.emplace_back(i + 1, e);
            i = e;
            continue;
        }
        i = source(i, end, scope);
    }
    // Conditions see every table of the clause.
    for (const auto& [b, e] : conditions) expression(b, e, scope);
}

// One table, derived table or nested join at `i`, with its alias; the index after it.
std::size_t ExprTyper::source(std::size_t i, std::size_t end, Scope& scope) {
    Source s;
    std::size_t next = i + 1;
    if (t_[i].is_punct("(")) {
        const std::size_t close = parens_.partner(i);
        if (i + 1 < close && t_[i + 1].is_word("SELECT")) {
            for (Item& item : query(i + 1, close, scope.parent)) s.derived.emplace_back(item.name, item.expr);
        } else {
            from_clause(i + 1, close, scope);
        }
        next = close + 1;
    } else if (is_name(t_[i])) {
        std::size_t last = i;
        while (last + 2 < end && t_[last + 1].is_punct(".") && is_name(t_[last + 2])) last += 2;
        std::string name = name_of(t_[last]);
        s.table = env_.catalog.table("", name);
        s.alias = name;
        next = last + 1;
        if (next < end && t_[next].is_punct("(")) next = parens_.partner(next) + 1;  // table function
    } else {
        return i + 1;
    }
    if (next < end && t_[next].is_word("AS")) ++next;
    if (next < end && is_name(t_[next])) s.alias = name_of(t_[next++]);
    if (s.table || !s.derived.empty()) scope.sources.push_back(std::move(s));
    return next;
}

void ExprTyper::insert_statement() {
    const std::size_t end = t_.size();
    const std::size_t values = top_level(1, end, "VALUES");
    if (values < end) {
        const Scope none;
        for (std::size_t k = values + 1; k < end && t_[k].is_punct("(");) {
            const std::size_t close = parens_.partner(k);
            expression_list(k + 1, close, none, false);
            k = close + 1;
            if (k < end && t_[k].is_punct(",")) ++k;
        }
        return;
    }
    const std::size_t select = top_level(1, end, "SELECT");
    if (select < end) query(select, end, nullptr);
}

// UPDATE T SET c = v, ... [FROM ...] [WHERE ...]; DELETE [FROM] T [FROM ...] [WHERE ...].
void ExprTyper::update_or_delete() {
    const std::size_t end = t_.size();
    std::size_t target = 1;
    if (t_[0].is_word("DELETE") && target < end && t_[target].is_word("FROM")) ++target;
    Scope scope;
    if (target < end) source(target, end, scope);
    const std::size_t set = t_[0].is_word("UPDATE") ? top_level(1, end, "SET") : end;
    const std::size_t from =
        top_level(t_[0].is_word("DELETE") ? target + 1 : std::min(set, end), end, "FROM");
    const std::size_t where = top_level(1, end, "WHERE");
    if (from < end) from_clause(from + 1, std::min(where, end), scope);
    if (set < end) {
        const std::size_t list_end = std::min(from, where);
        std::size_t b = set + 1;
        for (std::size_t k = b;; k = parens_.skip(k)) {
            if (k < list_end && !t_[k].is_punct(",")) continue;
            std::size_t eq = b;
            while (eq < k && !t_[eq].is_punct("=")) ++eq;
            if (eq < k) expression(eq + 1, k, scope);
            if (k >= list_end) break;
            b = k + 1;
        }
    }
    if (where < end) expression(where + 1, end, scope);
}

std::vector<ExprTyper::Item> ExprTyper::expression_list(std::size_t begin, std::size_t end,
                                                        const Scope& scope, bool items) {
    std::vector<Item> out;
    std::size_t b = begin;
    for (std::size_t k = begin;; k = parens_.skip(k)) {
        if (k < end && !t_[k].is_punct(",")) continue;
        if (b < k) {
            Item item;
            item.expr = expression(b, k, scope);
            item.name = item.expr.name;
            if (items) {
                std::size_t a = item.expr.end;
                if (a < k && t_[a].is_word("AS")) ++a;
                if (a < k && (t_[a].kind == TokKind::Word || t_[a].kind == TokKind::QuotedIdent))
                    item.name = name_of(t_[a]);
                else if (a < k && t_[a].kind == TokKind::String)
                    item.name = upper(string_value(t_[a].text));
            }
            out.push_back(std::move(item));
        }
        if (k >= end) break;
        b = k + 1;
    }
    return out;
}

Expr ExprTyper::expression(std::size_t begin, std::size_t end, const Scope& scope) {
    const Deeper level(depth_);
    const std::size_t saved_pos = pos_, saved_end = end_;
    const Scope* saved_scope = scope_;
    pos_ = begin;
    end_ = end;
    scope_ = &scope;
    Expr e;
    e.begin = e.end = begin;
    if (begin < end) e = parse_or();
    e.end = std::max(e.end, e.begin);
    pos_ = saved_pos;
    end_ = saved_end;
    scope_ = saved_scope;
    return e;
}

Expr ExprTyper::parse_or() {
    Expr l = parse_and();
    while (at("OR")) {
        ++pos_;
        const Expr r = parse_and();
        l = bit_over(l.begin, r.end);
    }
    return l;
}

Expr ExprTyper::parse_and() {
    Expr l = parse_not();
    while (at("AND")) {
        ++pos_;
        const Expr r = parse_not();
        l = bit_over(l.begin, r.end);
    }
    return l;
}

Expr ExprTyper::parse_not() {
    if (!at("NOT")) return parse_predicate();
    const Deeper level(depth_);
    const std::size_t begin = pos_++;
    const Expr e = parse_not();
    return bit_over(begin, e.end);
}

Expr ExprTyper::parse_predicate() {
    if (at("EXISTS") && pos_ + 1 < end_ && t_[pos_ + 1].is_punct("(")) {
        const std::size_t begin = pos_++;
        const Expr q = subquery(pos_);
        return bit_over(begin, q.end);
    }
    Expr l = parse_additive();
    if (pos_ >= end_) return l;
    if (is_comparison(t_[pos_])) {
        const std::size_t op = pos_++;
        const Expr r = parse_additive();
        return comparison(l, op, r);
    }
    bool negated = false;
    if (at("NOT") && pos_ + 1 < end_ &&
        (t_[pos_ + 1].is_word("IN") || t_[pos_ + 1].is_word("BETWEEN") || t_[pos_ + 1].is_word("LIKE"))) {
        negated = true;
        ++pos_;
    }
    if (at("IS")) {
        ++pos_;
        if (at("NOT")) ++pos_;
        if (at("NULL")) ++pos_;
        return bit_over(l.begin, pos_);
    }
    if (at("IN") && pos_ + 1 < end_ && t_[pos_ + 1].is_punct("(")) {
        const std::size_t open = ++pos_;
        if (open + 1 < end_ && t_[open + 1].is_word("SELECT"))
            subquery(open);
        else
            in_list(l, open, negated);
        pos_ = parens_.partner(open) + 1;
        return bit_over(l.begin, pos_);
    }
    if (at("BETWEEN")) return between(l, pos_, negated);
    if (at("LIKE")) {
        ++pos_;
        const Expr pattern = parse_additive();
        if (at("ESCAPE")) {
            ++pos_;
            parse_additive();
        }
        return bit_over(l.begin, std::max(pattern.end, pos_));
    }
    return l;
}

Expr ExprTyper::parse_additive() {
    Expr l = parse_multiplicative();
    while (pos_ < end_ && (t_[pos_].is_punct("+") || t_[pos_].is_punct("-") || t_[pos_].is_punct("&") ||
                           t_[pos_].is_punct("|") || t_[pos_].is_punct("^"))) {
        const std::size_t op = pos_++;
        const Expr r = parse_multiplicative();
        l = arithmetic(l, op, r);
    }
    return l;
}

Expr ExprTyper::parse_multiplicative() {
    Expr l = parse_unary();
    while (pos_ < end_ && (t_[pos_].is_punct("*") || t_[pos_].is_punct("/") || t_[pos_].is_punct("%"))) {
        const std::size_t op = pos_++;
        const Expr r = parse_unary();
        l = arithmetic(l, op, r);
    }
    return l;
}

Expr ExprTyper::parse_unary() {
    if (!(at_punct("-") || at_punct("+") || at_punct("~"))) {
        Expr e = parse_primary();
        if (at("COLLATE") && pos_ + 1 < end_) e.end = pos_ += 2;  // the collation is the database's
        return e;
    }
    const Deeper level(depth_);
    const std::size_t op = pos_++;
    Expr e = parse_unary();
    if (t_[op].is_punct("-") && e.may_be_text_number()) {
        edits_.drop(op);
        edits_.head(op, {word("li_calc"), raw("("), code(static_cast<int>(ArithOp::Sub)), raw(","), raw("0"),
                         raw(",")});
        edits_.tail(e.end, {raw(","), code(SqlType::of(SqlBase::Int).code()), raw(","), code(e.type.code()),
                            raw(","), code(e.type.code()), raw(")")});
    }
    e.begin = op;
    if (e.form != Expr::Form::Literal) e.form = Expr::Form::Other;
    return e;
}

Expr ExprTyper::parse_primary() {
    Expr e;
    e.begin = e.end = pos_;
    if (pos_ >= end_) return e;
    const Token& k = t_[pos_];
    switch (k.kind) {
        case TokKind::Number:
            e.type = number_literal_type(k.text);
            e.form = Expr::Form::Literal;
            e.end = ++pos_;
            return e;
        case TokKind::String:
            e.type = string_literal_type(k.text);
            e.form = Expr::Form::Literal;
            e.end = ++pos_;
            return e;
        case TokKind::Variable: {
            const auto it = env_.variables.find(upper(k.text));
            if (it != env_.variables.end()) e.type = sql_type_of(it->second);
            e.form = Expr::Form::Variable;
            e.end = ++pos_;
            return e;
        }
        case TokKind::Punct:
            if (k.is_punct("*")) {
                e.form = Expr::Form::Star;
                e.end = ++pos_;
                return e;
            }
            if (k.is_punct("(")) {
                const std::size_t close = parens_.partner(pos_);
                if (pos_ + 1 < close && t_[pos_ + 1].is_word("SELECT")) return subquery(pos_);
                Expr inner = expression(pos_ + 1, close, *scope_);
                inner.begin = pos_;
                inner.end = close + 1;
                pos_ = close + 1;
                return inner;
            }
            return e;  // not an expression: the caller stops here
        default:
            break;
    }
    if (k.is_word("NULL")) {
        e.type = SqlType::of(SqlBase::Null);
        e.form = Expr::Form::Null;
        e.end = ++pos_;
        return e;
    }
    if (k.is_word("CASE")) return case_expression();
    if (k.kind == TokKind::Word && !is_clause_word(k) && pos_ + 1 < end_ && t_[pos_ + 1].is_punct("("))
        return function_call(pos_, pos_ + 1);
    if (is_name(k)) return name_chain();
    return e;
}

// a, t.a, s.t.a, t.*: the column the chain names.
Expr ExprTyper::name_chain() {
    const std::size_t begin = pos_;
    std::vector<std::string> parts{name_of(t_[pos_])};
    ++pos_;
    while (pos_ + 1 < end_ && t_[pos_].is_punct(".") &&
           (is_name(t_[pos_ + 1]) || t_[pos_ + 1].is_punct("*"))) {
        parts.push_back(t_[pos_ + 1].is_punct("*") ? "*" : name_of(t_[pos_ + 1]));
        pos_ += 2;
    }
    Expr e;
    e.begin = begin;
    e.end = pos_;
    if (parts.back() == "*") {
        e.form = Expr::Form::Star;
        return e;
    }
    const std::string qualifier = parts.size() > 1 ? parts[parts.size() - 2] : std::string();
    if (const std::optional<Expr> found = resolve(qualifier, parts.back())) {
        const Expr& r = *found;
        e.type = r.type;
        e.form = r.form == Expr::Form::Column ? Expr::Form::Column : Expr::Form::Other;
        e.column = r.column;
    }
    e.name = parts.back();
    return e;
}

std::optional<Expr> ExprTyper::resolve(std::string_view qualifier, std::string_view column) const {
    for (const Scope* s = scope_; s; s = s->parent) {
        for (const Source& src : s->sources) {
            if (!qualifier.empty() && !iequals(src.alias, qualifier)) continue;
            if (src.table) {
                if (const ColumnMeta* cm = src.table->find(column)) {
                    Expr e;
                    e.type = sql_type_of(cm->type);
                    e.form = Expr::Form::Column;
                    e.column = cm;
                    return e;
                }
            }
            for (const auto& [name, item] : src.derived)
                if (iequals(name, column)) return item;
        }
    }
    return std::nullopt;
}

Expr ExprTyper::case_expression() {
    const Deeper level(depth_);
    const std::size_t begin = pos_++;
    std::optional<Expr> input;
    if (!at("WHEN")) input = parse_or();
    SqlType result = SqlType::of(SqlBase::Null);
    const auto branch = [&](const Expr& r) {
        if (r.type.base == SqlBase::Null) return;
        result = result.base == SqlBase::Null ? r.type : higher_precedence(result, r.type);
    };
    while (at("WHEN")) {
        ++pos_;
        Expr w = parse_or();
        if (input) {
            if (input->type.is_date() && w.type.is_text()) wrap(w, "li_date");
        }
        if (at("THEN")) ++pos_;
        branch(parse_or());
    }
    if (at("ELSE")) {
        ++pos_;
        branch(parse_or());
    }
    if (at("END")) ++pos_;
    Expr e;
    e.begin = begin;
    e.end = pos_;
    e.type = result.base == SqlBase::Null ? SqlType::of(SqlBase::Int) : result;
    return e;
}

Expr ExprTyper::subquery(std::size_t open) {
    const std::size_t close = parens_.partner(open);
    const std::vector<Item> items = query(open + 1, close, scope_);
    Expr e;
    e.begin = open;
    e.end = close + 1;
    if (items.size() == 1) e.type = items[0].expr.type;
    pos_ = close + 1;
    return e;
}

TypedStatement type_expressions(const Toks& toks, const TranslateEnv& env, std::deque<std::string>& arena) {
    return ExprTyper(toks, env, arena).run();
}

}  // namespace ado::sqlite
