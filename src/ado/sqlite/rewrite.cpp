#include "ado/sqlite/rewrite.h"

#include <deque>
#include <optional>

#include "ado/error.h"
#include "ado/sqlite/catalog.h"
#include "ado/sqlite/expr_typer.h"
#include "ado/sqlite/functions.h"
#include "ado/sqlite/operands.h"
#include "ado/sqlite/parens.h"
#include "ado/sqlite/splice.h"
#include "ado/sqlite/written_values.h"

namespace ado::sqlite {
namespace {

using Toks = std::vector<Token>;

constexpr std::string_view kHints[] = {
    "NOLOCK",         "READUNCOMMITTED", "READCOMMITTED", "ROWLOCK",   "PAGLOCK",  "TABLOCK",
    "TABLOCKX",       "UPDLOCK",         "HOLDLOCK",      "XLOCK",     "READPAST", "SERIALIZABLE",
    "REPEATABLEREAD", "NOWAIT",          "INDEX",         "FORCESEEK", "NOEXPAND"};

bool is_hint(const Token& t) {
    return is_one_of(t, kHints);
}

bool is_compound(const Token& t) {
    return t.is_word("UNION") || t.is_word("EXCEPT") || t.is_word("INTERSECT");
}

bool any_of_tokens(const Toks& t, bool (*pred)(const Token&)) {
    for (const Token& k : t)
        if (pred(k)) return true;
    return false;
}

// For each SELECT, where it ends: the ")" closing its group, a UNION / EXCEPT / INTERSECT or
// ";" at its own level, or the end. One pass, with the SELECTs still open on a stack.
std::vector<std::size_t> select_ends(const Toks& t) {
    std::vector<std::size_t> end(t.size(), kNone);
    std::vector<std::pair<std::size_t, int>> open;  // SELECT, its depth
    int depth = 0;
    const auto close_level = [&](std::size_t at) {
        for (; !open.empty() && open.back().second == depth; open.pop_back()) end[open.back().first] = at;
    };
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i].is_punct("(")) {
            ++depth;
        } else if (t[i].is_punct(")")) {
            close_level(i);
            --depth;
        } else if (is_compound(t[i]) || t[i].is_punct(";")) {
            close_level(i);
        } else if (t[i].is_word("SELECT")) {
            open.emplace_back(i, depth);
        }
    }
    for (const auto& [select, level] : open) end[select] = t.size();
    return end;
}

// SELECT TOP n ... -> SELECT ... LIMIT n; a branch of a UNION is wrapped so that the
// limit stays its own.
void rewrite_top(Toks& t) {
    if (!any_of_tokens(t, [](const Token& k) { return k.is_word("TOP"); })) return;
    const Parens p(t);
    const std::vector<std::size_t> ends = select_ends(t);
    Splice sp(t);
    for (std::size_t s = 0; s < t.size(); ++s) {
        if (sp.dropped(s) || !t[s].is_word("SELECT")) continue;  // dropped: inside a TOP expression
        std::size_t top = s + 1;
        if (top < t.size() && (t[top].is_word("DISTINCT") || t[top].is_word("ALL"))) ++top;
        if (top >= t.size() || !t[top].is_word("TOP")) continue;
        std::size_t after = top + 1;
        if (after < t.size() && t[after].is_punct("(")) {
            after = p.partner(after) + 1;
        } else if (after < t.size() &&
                   (t[after].kind == TokKind::Number || t[after].kind == TokKind::Variable)) {
            ++after;
        } else {
            syntax_error_near(t, top);
        }
        if (after < t.size() &&
            (t[after].is_word("PERCENT") ||
             (t[after].is_word("WITH") && after + 1 < t.size() && t[after + 1].is_word("TIES"))))
            unsupported("TOP ... PERCENT or WITH TIES");
        sp.drop(top, after);
        const std::size_t end = ends[s];
        const bool branch = (s > 0 && (is_compound(t[s - 1]) || t[s - 1].is_word("ALL"))) ||
                            (end < t.size() && is_compound(t[end]));
        Toks tail{raw("LIMIT")};
        tail.insert(tail.end(), t.begin() + static_cast<long>(top + 1), t.begin() + static_cast<long>(after));
        if (branch) tail.push_back(raw(")"));
        sp.insert(end, tail);
        if (branch) sp.insert(s, {raw("SELECT"), raw("*"), raw("FROM"), raw("(")});
    }
    if (!sp.empty()) t = sp.result();
}

// The pieces of CAST(x AS type) / CONVERT(type, x[, style]) at `at`: [begin, end) of the
// expression and of the type.
struct CastParts {
    std::size_t expr_begin, expr_end, type_begin, type_end;
};

CastParts cast_parts(const Toks& t, const Parens& p, std::size_t at) {
    const bool is_cast = t[at].is_word("CAST");
    const std::size_t open = at + 1;
    const std::size_t close = p.partner(open);
    std::size_t split = 0;
    p.for_each_inside(open, [&](std::size_t k) {
        if (is_cast ? t[k].is_word("AS") : (split == 0 && t[k].is_punct(","))) split = k;
    });
    if (split == 0) syntax_error_near(t, at);
    if (is_cast) return {open + 1, split, split + 1, close};
    // The style argument has no meaning for the stored forms.
    std::size_t expr_end = close;
    p.for_each_inside(open, [&](std::size_t k) {
        if (k > split && expr_end == close && t[k].is_punct(",")) expr_end = k;
    });
    return {split + 1, expr_end, open + 1, split};
}

// Tokens around the expression that give the server's result for `type`; false when
// SQLite's own conversion is the same.
bool cast_wrappers(const TypeInfo& type, const Token* size, Toks& head, Toks& tail) {
    switch (type.storage) {
        case Storage::Text:
        case Storage::FixedText:
            if (type.is_long || !size) {
                head = {raw("CAST"), raw("(")}, tail = {raw("AS"), raw("TEXT"), raw(")")};
            } else {
                head = {raw("SUBSTR"), raw("("), raw("CAST"), raw("(")};
                tail = {raw("AS"), raw("TEXT"), raw(")"), raw(","), raw("1"), raw(","), *size, raw(")")};
            }
            return true;
        case Storage::Date:
        case Storage::Guid:
        case Storage::Decimal:
            return stored_form_wrappers(type, head, tail);
        case Storage::Int16:
        case Storage::Int32:
        case Storage::Int64:
            head = {raw("CAST"), raw("(")}, tail = {raw("AS"), raw("INTEGER"), raw(")")};
            return true;
        case Storage::Bool:
            head = {raw("("), raw("CAST"), raw("(")};
            tail = {raw("AS"), raw("INTEGER"), raw(")"), raw("<>"), raw("0"), raw(")")};
            return true;
        case Storage::Double:
            head = {raw("CAST"), raw("(")}, tail = {raw("AS"), raw("REAL"), raw(")")};
            return true;
        default:
            return false;
    }
}

// CAST(x AS type) / CONVERT(type, x[, style]) to SQLite expressions of the same result.
void rewrite_one_cast(const Toks& t, const Parens& p, Splice& sp, std::size_t at) {
    const CastParts c = cast_parts(t, p, at);
    // CAST(x AS): SQLite would take it (no type, no conversion); the server would not.
    if (c.type_begin >= c.type_end) syntax_error_near(t, c.type_end);
    if (t[c.type_begin].kind != TokKind::Word) return;
    std::vector<std::string> args;
    const Token* size = nullptr;
    const std::size_t args_open = c.type_begin + 1;
    if (args_open < c.type_end && t[args_open].is_punct("(")) {
        args = type_arguments(t, args_open, p.partner(args_open));
        if (t[args_open + 1].kind == TokKind::Number) size = &t[args_open + 1];
    }
    Toks head;
    Toks tail;
    if (!cast_wrappers(tsql_type(t[c.type_begin].text, args), size, head, tail)) return;
    sp.insert(at, head);
    sp.drop(at, c.expr_begin);
    sp.insert(c.expr_end, tail);
    sp.drop(c.expr_end, p.partner(at + 1) + 1);
}

void rewrite_casts(Toks& t) {
    const auto cast_at = [&t](std::size_t i) {
        return (t[i].is_word("CAST") || t[i].is_word("CONVERT")) && t[i + 1].is_punct("(");
    };
    bool any = false;
    for (std::size_t i = 0; i + 1 < t.size() && !any; ++i) any = cast_at(i);
    if (!any) return;
    const Parens p(t);
    Splice sp(t);
    // A CAST inside a dropped piece (CONVERT's style) goes with it.
    for (std::size_t i = 0; i + 1 < t.size(); ++i)
        if (!sp.dropped(i) && cast_at(i)) rewrite_one_cast(t, p, sp, i);
    if (!sp.empty()) t = sp.result();
}

bool same_name(const Token& a, const Token& b) {
    auto name = [](const Token& x) {
        return x.kind == TokKind::QuotedIdent ? ident_value(x.text) : std::string(x.text);
    };
    return iequals(name(a), name(b));
}

// UPDATE T SET ... FROM T WHERE ...: the FROM names the target again; SQLite wants none.
void drop_redundant_update_from(Toks& t) {
    if (t.size() < 4 || !t[0].is_word("UPDATE")) return;
    int depth = 0;
    for (std::size_t i = 2; i + 1 < t.size(); ++i) {
        if (t[i].is_punct("(")) ++depth;
        if (t[i].is_punct(")")) --depth;
        if (depth != 0 || !t[i].is_word("FROM")) continue;
        const bool alone = i + 2 >= t.size() || t[i + 2].is_word("WHERE") || t[i + 2].is_punct(";");
        if (same_name(t[i + 1], t[1]) && alone)
            t.erase(t.begin() + static_cast<long>(i), t.begin() + static_cast<long>(i + 2));
        return;
    }
}

void drop_table_hints(Toks& t) {
    const auto with_hint = [&t](std::size_t i) {
        return t[i].is_word("WITH") && i + 2 < t.size() && t[i + 1].is_punct("(") && is_hint(t[i + 2]);
    };
    const auto bare_nolock = [&t](std::size_t i) {
        return i > 0 && t[i].is_punct("(") && i + 2 < t.size() && t[i + 1].is_word("NOLOCK") &&
               t[i + 2].is_punct(")") &&
               (t[i - 1].kind == TokKind::Word || t[i - 1].kind == TokKind::QuotedIdent);
    };
    std::optional<Parens> p;
    Splice sp(t);
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (with_hint(i)) {
            if (!p) p.emplace(t);
            const std::size_t close = p->partner(i + 1);
            sp.drop(i, close + 1);
            i = close;
        } else if (bare_nolock(i)) {
            sp.drop(i, i + 3);
            i += 2;
        }
    }
    if (!sp.empty()) t = sp.result();
}

void join_texts(Toks& t, const TranslateEnv& env) {
    if (!any_of_tokens(t, [](const Token& k) { return k.is_punct("+"); })) return;
    std::vector<std::size_t> joins;
    {
        const OperandTyper typer(t, env.catalog, env.variables);
        for (std::size_t i = 1; i + 1 < t.size(); ++i)
            if (t[i].is_punct("+") && typer.joins_text(i)) joins.push_back(i);
    }
    for (std::size_t i : joins) t[i] = Token{TokKind::Punct, "||", -1};
}

// [open, close] of each row of an INSERT's VALUES.
std::vector<std::pair<std::size_t, std::size_t>> value_rows(const Toks& t) {
    std::vector<std::pair<std::size_t, std::size_t>> rows;
    if (!t[0].is_word("INSERT")) return rows;
    const Parens p(t);
    std::size_t values = 0;
    while (values < t.size() && !t[values].is_word("VALUES")) values = p.skip(values);
    for (std::size_t k = values + 1; k < t.size() && t[k].is_punct("(");) {
        rows.emplace_back(k, p.partner(k));
        k = p.partner(k) + 1;
        if (k >= t.size() || !t[k].is_punct(",")) break;
        ++k;
    }
    return rows;
}

// Text literals compare as the database's collation does, wherever they meet an
// expression that carries none of its own (LTRIM(RTRIM(col)) = 'abc').
void collate_strings(Toks& t) {
    if (!any_of_tokens(t, [](const Token& k) { return k.kind == TokKind::String; })) return;
    // No collation inside the rows an INSERT writes: nothing is compared there.
    const auto rows = value_rows(t);
    std::size_t row = 0;
    Splice sp(t);
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (row < rows.size() && i == rows[row].first) {
            i = rows[row++].second;
            continue;
        }
        if (t[i].kind != TokKind::String || (i + 1 < t.size() && t[i + 1].is_word("COLLATE"))) continue;
        sp.insert(i + 1, {raw("COLLATE"), raw(kCollation)});
    }
    if (!sp.empty()) t = sp.result();
}

void check_variables(const Toks& t, const TranslateEnv& env) {
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i].kind != TokKind::Variable) continue;
        if (!env.variables.count(upper(t[i].text)))
            throw Error(kErrProvider, "Must declare the scalar variable \"" + std::string(t[i].text) + "\".");
        if (i > 0 && t[i - 1].is_word("SELECT") && i + 1 < t.size() && t[i + 1].is_punct("="))
            unsupported("assigning variables in a SELECT");
    }
}

void add_rowid(Toks& t) {
    static constexpr std::string_view kMessage = "An updatable record set needs a SELECT on one table.";
    int depth = 0;
    std::size_t from = 0;
    for (std::size_t i = 1; i < t.size(); ++i) {
        if (t[i].is_punct("(")) ++depth;
        if (t[i].is_punct(")")) --depth;
        if (depth != 0) continue;
        if (is_compound(t[i]) || t[i].is_word("JOIN") || (from && t[i].is_punct(",")))
            throw Error(kErrProvider, std::string(kMessage));
        if (!from && t[i].is_word("FROM")) from = i;
        if (from && (t[i].is_word("WHERE") || t[i].is_word("ORDER") || t[i].is_word("GROUP"))) break;
    }
    if (!from) throw Error(kErrProvider, std::string(kMessage));
    const Token extra[] = {raw(","), raw("rowid"), raw("AS"), raw("li_rowid")};
    t.insert(t.begin() + static_cast<long>(from), std::begin(extra), std::end(extra));
}

}  // namespace

void rewrite_functions(Toks& t) {
    static constexpr std::pair<std::string_view, std::string_view> kMap[] = {
        {"ISNULL", "IFNULL"},
        {"NEWID", "li_newid"},
        {"GETDATE", "li_now"},
        {"SYSDATETIME", "li_now"},
        {"IDENT_CURRENT", "li_ident_current"},
        {"SCOPE_IDENTITY", "li_scope_identity"},
        {"OBJECT_ID", "li_object_id"},
        {"LEN", "li_len"},
        {"LEFT", "li_left"},
        {"RIGHT", "li_right"},
        {"SUBSTRING", "SUBSTR"}};
    for (std::size_t i = 0; i + 1 < t.size(); ++i) {
        if (t[i].kind != TokKind::Word || !t[i + 1].is_punct("(")) continue;
        for (const auto& [from, to] : kMap)
            if (t[i].is_word(from)) t[i] = raw(to);
    }
}

void rewrite_collations(Toks& t) {
    for (std::size_t i = 0; i + 1 < t.size(); ++i) {
        if (!t[i].is_word("COLLATE")) continue;
        Token& name = t[i + 1];
        if (name.is_word("BINARY") || name.is_word("NOCASE") || name.is_word("RTRIM")) continue;
        name = raw(kCollation);
    }
}

Emitted translate_dml(Toks t, const TranslateEnv& env, bool updatable, std::vector<SqlType>* result_types) {
    if (t.empty()) return {};
    // Unbalanced text ends here, before any pass meets a group that does not close.
    const Parens balanced(t);
    check_variables(t, env);
    drop_table_hints(t);
    std::deque<std::string> made;  // text of the tokens the typed rewrite makes, until emitted
    {
        TypedStatement typed = type_expressions(t, env, made);
        t = std::move(typed.tokens);
        if (result_types) *result_types = std::move(typed.select_types);
    }
    // "+" whose operand types the typed rewrite could not tell: joined when one side is text.
    join_texts(t, env);
    rewrite_top(t);
    rewrite_casts(t);
    rewrite_functions(t);
    rewrite_collations(t);
    drop_redundant_update_from(t);
    // DELETE T / INSERT T: the server's optional FROM / INTO, which SQLite wants.
    if (t.size() > 1 && t[0].is_word("DELETE") && !t[1].is_word("FROM")) t.insert(t.begin() + 1, raw("FROM"));
    if (t.size() > 1 && t[0].is_word("INSERT") && !t[1].is_word("INTO")) t.insert(t.begin() + 1, raw("INTO"));
    if (t[0].is_word("INSERT") || t[0].is_word("UPDATE")) convert_written_values(t, env.catalog);
    collate_strings(t);
    if (updatable) {
        if (!t[0].is_word("SELECT"))
            throw Error(kErrProvider, "An updatable record set needs a SELECT statement.");
        add_rowid(t);
    }
    return emit(t);
}

}  // namespace ado::sqlite
