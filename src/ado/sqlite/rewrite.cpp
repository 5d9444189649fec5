#include "ado/sqlite/rewrite.h"

#include "ado/error.h"
#include "ado/sqlite/catalog.h"
#include "ado/sqlite/functions.h"
#include "ado/sqlite/operands.h"

namespace ado::sqlite {
namespace {

using Toks = std::vector<Token>;

constexpr std::string_view kHints[] = {"NOLOCK",   "READUNCOMMITTED", "READCOMMITTED", "ROWLOCK",   "PAGLOCK",
                                       "TABLOCK",  "TABLOCKX",        "UPDLOCK",       "HOLDLOCK",  "XLOCK",
                                       "READPAST", "SERIALIZABLE",    "REPEATABLEREAD", "NOWAIT",   "INDEX",
                                       "FORCESEEK", "NOEXPAND"};

bool is_hint(const Token& t) { return is_one_of(t, kHints); }

bool is_compound(const Token& t) {
    return t.is_word("UNION") || t.is_word("EXCEPT") || t.is_word("INTERSECT");
}

[[noreturn]] void unsupported(std::string_view what) {
    throw Error(kErrProvider, "The embedded engine does not support " + std::string(what) + ".");
}

// Scale digits as tokens for li_decimal(x, s).
constexpr std::string_view kDigits[] = {"0",  "1",  "2",  "3",  "4",  "5",  "6",  "7",  "8",  "9",
                                        "10", "11", "12", "13", "14", "15", "16", "17", "18", "19",
                                        "20", "21", "22", "23", "24", "25", "26", "27", "28", "29",
                                        "30", "31", "32", "33", "34", "35", "36", "37", "38"};

Token number_token(int n) { return Token{TokKind::Number, kDigits[n], -1}; }

// End of the SELECT that starts at `select`: the ")" closing its group, a UNION, or the end.
std::size_t select_end(const Toks& t, std::size_t select) {
    int depth = 0;
    for (std::size_t i = select + 1; i < t.size(); ++i) {
        if (t[i].is_punct("(")) ++depth;
        if (t[i].is_punct(")") && depth-- == 0) return i;
        if (depth == 0 && (is_compound(t[i]) || t[i].is_punct(";"))) return i;
    }
    return t.size();
}

// SELECT TOP n ... -> SELECT ... LIMIT n; a branch of a UNION is wrapped so that the
// limit stays its own.
void rewrite_top(Toks& t) {
    for (std::size_t s = 0; s < t.size(); ++s) {
        if (!t[s].is_word("SELECT")) continue;
        std::size_t top = s + 1;
        if (top < t.size() && (t[top].is_word("DISTINCT") || t[top].is_word("ALL"))) ++top;
        if (top >= t.size() || !t[top].is_word("TOP")) continue;
        Toks limit;
        std::size_t after = top + 1;
        if (after < t.size() && t[after].is_punct("(")) {
            const std::size_t close = matching_paren(t, after);
            limit.assign(t.begin() + static_cast<long>(after), t.begin() + static_cast<long>(std::min(close + 1, t.size())));
            after = close + 1;
        } else if (after < t.size() && (t[after].kind == TokKind::Number || t[after].kind == TokKind::Variable)) {
            limit.push_back(t[after]);
            ++after;
        } else {
            throw Error(kErrProvider, "Incorrect syntax near 'TOP'.");
        }
        if (after < t.size() && (t[after].is_word("PERCENT") || (t[after].is_word("WITH") && after + 1 < t.size() &&
                                                                  t[after + 1].is_word("TIES"))))
            unsupported("TOP ... PERCENT or WITH TIES");
        t.erase(t.begin() + static_cast<long>(top), t.begin() + static_cast<long>(after));
        const std::size_t end = select_end(t, s);
        const bool branch = (s > 0 && (is_compound(t[s - 1]) || t[s - 1].is_word("ALL"))) ||
                            (end < t.size() && is_compound(t[end]));
        Toks tail{raw("LIMIT")};
        tail.insert(tail.end(), limit.begin(), limit.end());
        if (branch) tail.push_back(raw(")"));
        t.insert(t.begin() + static_cast<long>(end), tail.begin(), tail.end());
        if (branch) {
            const Toks head{raw("SELECT"), raw("*"), raw("FROM"), raw("(")};
            t.insert(t.begin() + static_cast<long>(s), head.begin(), head.end());
            s += head.size();
        }
    }
}

// CAST(x AS type) / CONVERT(type, x[, style]) to SQLite expressions of the same result.
bool rewrite_one_cast(Toks& t, std::size_t at) {
    const bool is_cast = t[at].is_word("CAST");
    const std::size_t open = at + 1;
    const std::size_t close = matching_paren(t, open);
    if (close >= t.size()) throw Error(kErrProvider, "Incorrect syntax near '" + std::string(t[at].text) + "'.");
    std::size_t type_begin = 0;
    std::size_t type_end = 0;
    std::size_t expr_begin = 0;
    std::size_t expr_end = 0;
    int depth = 0;
    std::size_t split = 0;
    for (std::size_t k = open + 1; k < close; ++k) {
        if (t[k].is_punct("(")) ++depth;
        if (t[k].is_punct(")")) --depth;
        if (depth == 0 && ((is_cast && t[k].is_word("AS")) || (!is_cast && t[k].is_punct(",") && split == 0))) split = k;
    }
    if (split == 0) throw Error(kErrProvider, "Incorrect syntax near '" + std::string(t[at].text) + "'.");
    if (is_cast) {
        expr_begin = open + 1, expr_end = split, type_begin = split + 1, type_end = close;
    } else {
        type_begin = open + 1, type_end = split, expr_begin = split + 1, expr_end = close;
        depth = 0;
        for (std::size_t k = expr_begin; k < close; ++k) {
            if (t[k].is_punct("(")) ++depth;
            if (t[k].is_punct(")")) --depth;
            if (depth == 0 && t[k].is_punct(",")) {
                expr_end = k;  // the style argument has no meaning for the stored forms
                break;
            }
        }
    }
    if (type_begin >= type_end || t[type_begin].kind != TokKind::Word) return false;
    std::vector<std::string> args;
    const Token* size_token = nullptr;
    for (std::size_t k = type_begin + 1; k < type_end; ++k) {
        if (t[k].kind == TokKind::Number) {
            args.emplace_back(t[k].text);
            if (!size_token) size_token = &t[k];
        }
        if (t[k].is_word("MAX")) args.emplace_back("MAX");
    }
    const TypeInfo type = tsql_type(t[type_begin].text, args);
    const Toks expr(t.begin() + static_cast<long>(expr_begin), t.begin() + static_cast<long>(expr_end));
    Toks out;
    auto wrap = [&](std::initializer_list<Token> head, std::initializer_list<Token> tail) {
        out.insert(out.end(), head);
        out.insert(out.end(), expr.begin(), expr.end());
        out.insert(out.end(), tail);
    };
    switch (type.storage) {
        case Storage::Text:
        case Storage::FixedText:
            if (type.is_long || !size_token)
                wrap({raw("CAST"), raw("(")}, {raw("AS"), raw("TEXT"), raw(")")});
            else
                wrap({raw("SUBSTR"), raw("("), raw("CAST"), raw("(")},
                     {raw("AS"), raw("TEXT"), raw(")"), raw(","), raw("1"), raw(","), *size_token, raw(")")});
            break;
        case Storage::Date:
            wrap({raw("li_date"), raw("(")}, {raw(")")});
            break;
        case Storage::Guid:
            wrap({raw("li_guid"), raw("(")}, {raw(")")});
            break;
        case Storage::Decimal:
            wrap({raw("li_decimal"), raw("(")}, {raw(","), number_token(type.scale), raw(")")});
            break;
        case Storage::Int16:
        case Storage::Int32:
        case Storage::Int64:
            wrap({raw("CAST"), raw("(")}, {raw("AS"), raw("INTEGER"), raw(")")});
            break;
        case Storage::Bool:
            wrap({raw("("), raw("CAST"), raw("(")}, {raw("AS"), raw("INTEGER"), raw(")"), raw("<>"), raw("0"), raw(")")});
            break;
        case Storage::Double:
            wrap({raw("CAST"), raw("(")}, {raw("AS"), raw("REAL"), raw(")")});
            break;
        default:
            return false;
    }
    t.erase(t.begin() + static_cast<long>(at), t.begin() + static_cast<long>(close + 1));
    t.insert(t.begin() + static_cast<long>(at), out.begin(), out.end());
    return true;
}

void rewrite_casts(Toks& t) {
    for (std::size_t i = 0; i + 1 < t.size(); ++i)
        if ((t[i].is_word("CAST") || t[i].is_word("CONVERT")) && t[i + 1].is_punct("(")) rewrite_one_cast(t, i);
}

bool same_name(const Token& a, const Token& b) {
    auto name = [](const Token& x) { return x.kind == TokKind::QuotedIdent ? ident_value(x.text) : std::string(x.text); };
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
        if (same_name(t[i + 1], t[1]) && alone) t.erase(t.begin() + static_cast<long>(i), t.begin() + static_cast<long>(i + 2));
        return;
    }
}

const TableMeta* target_table(const Toks& t, std::size_t name_at, Catalog& catalog) {
    if (name_at >= t.size()) return nullptr;
    const Token& n = t[name_at];
    if (n.kind == TokKind::QuotedIdent) return catalog.table("", ident_value(n.text));
    if (n.kind != TokKind::Word) return nullptr;
    return catalog.table(n.text.front() == '#' ? "temp" : "", n.text.front() == '#' ? upper(n.text) : std::string(n.text));
}

// Wraps a value written to a date, GUID or decimal column so it is stored in that column's
// form whatever the caller's spelling ('2024-01-31', '{guid}', 1.23456 into a scale of 4).
Toks value_wrapper_head(const ColumnMeta& c) {
    switch (c.type.storage) {
        case Storage::Date:
            return {raw("li_date"), raw("(")};
        case Storage::Guid:
            return {raw("li_guid"), raw("(")};
        case Storage::Decimal:
            return {raw("li_decimal"), raw("(")};
        default:
            return {};
    }
}

void wrap_range(Toks& t, std::size_t begin, std::size_t end, const ColumnMeta& c) {
    const Toks head = value_wrapper_head(c);
    if (head.empty() || begin >= end) return;
    Toks tail{raw(")")};
    if (c.type.storage == Storage::Decimal) tail = {raw(","), number_token(c.type.scale), raw(")")};
    t.insert(t.begin() + static_cast<long>(end), tail.begin(), tail.end());
    t.insert(t.begin() + static_cast<long>(begin), head.begin(), head.end());
}

// Splits the group opened at `open` at its top-level commas: [begin, end) of each item.
std::vector<std::pair<std::size_t, std::size_t>> items(const Toks& t, std::size_t open) {
    std::vector<std::pair<std::size_t, std::size_t>> out;
    const std::size_t close = matching_paren(t, open);
    int depth = 0;
    std::size_t begin = open + 1;
    for (std::size_t k = open + 1; k <= close && k < t.size(); ++k) {
        if (k == close || (depth == 0 && t[k].is_punct(","))) {
            out.emplace_back(begin, k);
            begin = k + 1;
            continue;
        }
        if (t[k].is_punct("(")) ++depth;
        if (t[k].is_punct(")")) --depth;
    }
    return out;
}

void wrap_insert_values(Toks& t, Catalog& catalog) {
    // INSERT [INTO] T ( cols ) VALUES ( values )
    std::size_t name_at = t.size() > 1 && t[1].is_word("INTO") ? 2 : 1;
    const TableMeta* table = target_table(t, name_at, catalog);
    if (!table || name_at + 1 >= t.size() || !t[name_at + 1].is_punct("(")) return;
    const std::size_t cols_open = name_at + 1;
    const std::size_t cols_close = matching_paren(t, cols_open);
    if (cols_close + 2 >= t.size() || !t[cols_close + 1].is_word("VALUES") || !t[cols_close + 2].is_punct("(")) return;
    std::vector<const ColumnMeta*> cols;
    for (const auto& [b, e] : items(t, cols_open)) {
        cols.push_back(e == b + 1 ? table->find(t[b].kind == TokKind::QuotedIdent ? ident_value(t[b].text)
                                                                                  : std::string(t[b].text))
                                  : nullptr);
    }
    const auto vals = items(t, cols_close + 2);
    // Right to left, so earlier positions stay valid.
    for (std::size_t k = std::min(cols.size(), vals.size()); k-- > 0;)
        if (cols[k]) wrap_range(t, vals[k].first, vals[k].second, *cols[k]);
}

void wrap_update_values(Toks& t, Catalog& catalog) {
    const TableMeta* table = target_table(t, 1, catalog);
    if (!table || t.size() < 3 || !t[2].is_word("SET")) return;
    std::vector<std::tuple<std::size_t, std::size_t, const ColumnMeta*>> sets;
    int depth = 0;
    std::size_t item = 3;
    for (std::size_t k = 3; k <= t.size(); ++k) {
        const bool end = k == t.size() ||
                         (depth == 0 && (t[k].is_punct(",") || t[k].is_word("FROM") || t[k].is_word("WHERE")));
        if (end) {
            if (item + 2 < k && t[item + 1].is_punct("=")) {
                const std::string name =
                    t[item].kind == TokKind::QuotedIdent ? ident_value(t[item].text) : std::string(t[item].text);
                if (const ColumnMeta* c = table->find(name)) sets.emplace_back(item + 2, k, c);
            }
            if (k == t.size() || !t[k].is_punct(",")) break;
            item = k + 1;
            continue;
        }
        if (t[k].is_punct("(")) ++depth;
        if (t[k].is_punct(")")) --depth;
    }
    for (auto it = sets.rbegin(); it != sets.rend(); ++it) wrap_range(t, std::get<0>(*it), std::get<1>(*it), *std::get<2>(*it));
}

void join_texts(Toks& t, const TranslateEnv& env) {
    std::vector<std::size_t> joins;
    {
        const OperandTyper typer(t, env.catalog, env.variables);
        for (std::size_t i = 1; i + 1 < t.size(); ++i)
            if (t[i].is_punct("+") && typer.joins_text(i)) joins.push_back(i);
    }
    for (std::size_t i : joins) t[i] = Token{TokKind::Punct, "||", -1};
}

// Text literals compare as the database's collation does, wherever they meet an
// expression that carries none of its own (LTRIM(RTRIM(col)) = 'abc').
void collate_strings(Toks& t) {
    // No collation inside an INSERT's VALUES: nothing is compared there.
    std::size_t values_begin = 0;
    std::size_t values_end = 0;
    if (!t.empty() && t[0].is_word("INSERT"))
        for (std::size_t i = 0; i + 1 < t.size(); ++i)
            if (t[i].is_word("VALUES") && t[i + 1].is_punct("(")) {
                values_begin = i + 1;
                values_end = matching_paren(t, i + 1);
                break;
            }
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i].kind != TokKind::String || (i > values_begin && i < values_end)) continue;
        if (i + 1 < t.size() && t[i + 1].is_word("COLLATE")) continue;
        const Token tail[] = {raw("COLLATE"), raw(kCollation)};
        t.insert(t.begin() + static_cast<long>(i + 1), std::begin(tail), std::end(tail));
        if (values_begin > i) values_begin += 2, values_end += 2;
        i += 2;
    }
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

void drop_table_hints(Toks& t) {
    for (std::size_t i = 0; i < t.size();) {
        if (t[i].is_word("WITH") && i + 2 < t.size() && t[i + 1].is_punct("(") && is_hint(t[i + 2])) {
            const std::size_t close = matching_paren(t, i + 1);
            t.erase(t.begin() + static_cast<long>(i), t.begin() + static_cast<long>(std::min(close + 1, t.size())));
            continue;
        }
        if (i > 0 && t[i].is_punct("(") && i + 2 < t.size() && t[i + 1].is_word("NOLOCK") && t[i + 2].is_punct(")") &&
            (t[i - 1].kind == TokKind::Word || t[i - 1].kind == TokKind::QuotedIdent)) {
            t.erase(t.begin() + static_cast<long>(i), t.begin() + static_cast<long>(i + 3));
            continue;
        }
        ++i;
    }
}

void rewrite_functions(Toks& t) {
    static constexpr std::pair<std::string_view, std::string_view> kMap[] = {
        {"ISNULL", "IFNULL"},       {"NEWID", "li_newid"},        {"GETDATE", "li_now"},
        {"SYSDATETIME", "li_now"},  {"IDENT_CURRENT", "li_ident_current"}, {"OBJECT_ID", "li_object_id"},
        {"LEN", "li_len"},          {"LEFT", "li_left"},          {"RIGHT", "li_right"},
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

std::string translate_dml(Toks t, const TranslateEnv& env, bool updatable) {
    if (t.empty()) return {};
    check_variables(t, env);
    drop_table_hints(t);
    join_texts(t, env);
    rewrite_top(t);
    rewrite_casts(t);
    rewrite_functions(t);
    rewrite_collations(t);
    drop_redundant_update_from(t);
    // DELETE T / INSERT T: the server's optional FROM / INTO, which SQLite wants.
    if (t.size() > 1 && t[0].is_word("DELETE") && !t[1].is_word("FROM")) t.insert(t.begin() + 1, raw("FROM"));
    if (t.size() > 1 && t[0].is_word("INSERT") && !t[1].is_word("INTO")) t.insert(t.begin() + 1, raw("INTO"));
    if (t[0].is_word("INSERT")) wrap_insert_values(t, env.catalog);
    if (t[0].is_word("UPDATE")) wrap_update_values(t, env.catalog);
    collate_strings(t);
    if (updatable) {
        if (!t[0].is_word("SELECT")) throw Error(kErrProvider, "An updatable record set needs a SELECT statement.");
        add_rowid(t);
    }
    return emit(t);
}

}  // namespace ado::sqlite
