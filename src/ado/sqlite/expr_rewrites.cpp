// The typed rewrite's edits: arithmetic into li_calc, comparisons that convert, the
// constructs refused, and ORDER BY of long decimals (see expr_typer.h).
#include "ado/error.h"
#include "ado/sqlite/expr_typer_impl.h"

namespace ado::sqlite {
namespace {

std::optional<ArithOp> arith_op(const Token& t) {
    if (t.is_punct("+")) return ArithOp::Add;
    if (t.is_punct("-")) return ArithOp::Sub;
    if (t.is_punct("*")) return ArithOp::Mul;
    if (t.is_punct("/")) return ArithOp::Div;
    if (t.is_punct("%")) return ArithOp::Mod;
    return std::nullopt;
}

}  // namespace

// A computed decimal of more than 15 digits may be held as exact text, which SQLite would
// order after every number: such an item orders by the engine's exact sort key. Its
// position or alias cannot be wrapped, so that form is refused.
void ExprTyper::order_list(std::size_t begin, std::size_t end, const Scope& scope,
                           const std::vector<Item>& items) {
    for (const Item& order : expression_list(begin, end, scope, false)) {
        const Expr& e = order.expr;
        if (e.may_be_text_number()) {
            wrap(e, "li_sortkey");
            continue;
        }
        const Item* named = nullptr;
        if (e.form == Expr::Form::Literal && t_[e.begin].kind == TokKind::Number) {
            std::size_t n = 0;
            for (char c : t_[e.begin].text) n = n * 10 + static_cast<std::size_t>(c - '0');
            if (n >= 1 && n <= items.size()) named = &items[n - 1];
        } else if (!e.type.known() && e.end == e.begin + 1 && !e.name.empty()) {
            for (const Item& i : items)
                if (i.name == e.name) named = &i;
        }
        if (named && named->expr.may_be_text_number())
            unsupported(
                "ORDER BY the position or alias of a computed decimal (order by the expression itself)");
    }
}

// Whether comparing a with b needs the typed comparison; converts a text side to a date or
// GUID in place when the other side is one (the comparison then stays SQLite's, on an index).
bool ExprTyper::converts(const Expr& a, const Expr& b) {
    const SqlType& x = a.type;
    const SqlType& y = b.type;
    if (!x.known() || !y.known() || x.base == SqlBase::Null || y.base == SqlBase::Null) return false;
    if (x.is_date() && y.is_text()) return wrap(b, "li_date"), false;
    if (y.is_date() && x.is_text()) return wrap(a, "li_date"), false;
    if (x.base == SqlBase::Guid && y.is_text()) return wrap(b, "li_guid"), false;
    if (y.base == SqlBase::Guid && x.is_text()) return wrap(a, "li_guid"), false;
    if (x.is_text() && y.is_text()) return false;
    // A constant text meeting a number converts to the number's type, as the server converts
    // it; the comparison then stays SQLite's and keeps the column's index.
    // A decimal takes the text's own value (not rounded to the column's scale), as the
    // typed comparison does.
    const auto constant = [](const Expr& e) {
        return e.form == Expr::Form::Literal || e.form == Expr::Form::Variable;
    };
    const auto target = [](const SqlType& t) {
        return t.is_integer() || t.base == SqlBase::Float ? t : SqlType::decimal(38, 18);
    };
    if (x.is_numeric() && y.is_text() && constant(b))
        return wrap(b, "li_cast",
                    {raw(","), code(y.code()), raw(","), code(target(x).code()), raw(","), raw("0")}),
               false;
    if (y.is_numeric() && x.is_text() && constant(a))
        return wrap(a, "li_cast",
                    {raw(","), code(x.code()), raw(","), code(target(y).code()), raw(","), raw("0")}),
               false;
    if ((x.is_numeric() && y.is_text()) || (x.is_text() && y.is_numeric())) return true;
    if ((x.is_date() && y.is_numeric()) || (x.is_numeric() && y.is_date())) return true;
    return a.may_be_text_number() || b.may_be_text_number();
}

Expr ExprTyper::comparison(const Expr& a, std::size_t op, const Expr& b) {
    if (converts(a, b)) {
        edits_.head(a.begin, {word("li_cmp"), raw("(")});
        edits_.drop(op);
        edits_.tail(op, {raw(",")});
        edits_.tail(b.end, {raw(","), code(a.type.code()), raw(","), code(b.type.code()), raw(")"), t_[op],
                            raw("0")});
    }
    return bit_over(a.begin, b.end);
}

void ExprTyper::in_list(const Expr& left, std::size_t open, bool) {
    for (const auto& [b, e] : parens_.items(t_, open)) {
        const Expr item = expression(b, e, *scope_);
        if (converts(left, item))
            unsupported("IN with a list whose values the server would convert to compare");
    }
}

Expr ExprTyper::between(const Expr& left, std::size_t between_at, bool) {
    pos_ = between_at + 1;
    const Expr low = parse_additive();
    if (at("AND")) ++pos_;
    const Expr high = parse_additive();
    if (converts(left, low) || converts(left, high))
        unsupported("BETWEEN with bounds the server would convert to compare");
    return bit_over(left.begin, high.end);
}

Expr ExprTyper::arithmetic(const Expr& a, std::size_t op_at, const Expr& b) {
    Expr e;
    e.begin = a.begin;
    e.end = b.end;
    const std::optional<ArithOp> op = arith_op(t_[op_at]);
    if (!op) {  // & | ^: integers, as SQLite computes them
        e.type = higher_precedence(a.type, b.type);
        return e;
    }
    if (a.type.base == SqlBase::Null || b.type.base == SqlBase::Null) {
        e.type = a.type.base == SqlBase::Null ? b.type : a.type;
        return e;
    }
    if (!a.type.known() || !b.type.known()) {
        // "+" beside a text joins: the text rule decides it later.
        if (*op == ArithOp::Add && (a.type.is_text() || b.type.is_text() || a.form == Expr::Form::Star))
            return e;
        cannot_type(a, b);
    }
    if (*op == ArithOp::Add && a.type.is_text() && b.type.is_text()) {
        pad_fixed_text(a);
        pad_fixed_text(b);
        edits_.drop(op_at);
        edits_.tail(op_at, {raw("||")});
        e.type = higher_precedence(a.type, b.type);
        return e;
    }
    e.type = arithmetic_type(*op, a.type, b.type);
    edits_.head(a.begin, {word("li_calc"), raw("("), code(static_cast<int>(*op)), raw(",")});
    edits_.drop(op_at);
    edits_.tail(op_at, {raw(",")});
    edits_.tail(b.end, {raw(","), code(a.type.code()), raw(","), code(b.type.code()), raw(","),
                        code(e.type.code()), raw(")")});
    return e;
}

void ExprTyper::wrap(const Expr& e, std::string_view fn, std::vector<Token> extra) {
    if (e.begin >= e.end) return;
    edits_.head(e.begin, {word(fn), raw("(")});
    extra.push_back(raw(")"));
    edits_.tail(e.end, std::move(extra));
}

Token ExprTyper::code(std::int64_t n) {
    arena_.push_back(std::to_string(n));
    return raw(arena_.back());
}

Token ExprTyper::word(std::string_view text) {
    arena_.emplace_back(text);
    return raw(arena_.back());
}

void ExprTyper::cannot_type(const Expr& a, const Expr& b) const {
    std::string text;
    for (std::size_t k = a.begin; k < b.end && text.size() < 60; ++k) {
        const bool tight = k == a.begin || t_[k].is_punct("(") || t_[k].is_punct(")") ||
                           t_[k].is_punct(",") || t_[k - 1].is_punct("(");
        text += (tight ? "" : " ") + std::string(t_[k].text);
    }
    if (b.end > a.begin && text.size() >= 60) text += " ...";
    unsupported("arithmetic on an operand whose type it cannot tell: " + text);
}

}  // namespace ado::sqlite
