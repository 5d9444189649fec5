#include "ado/sqlite/operands.h"

#include "ado/error.h"
#include "ado/sqlite/catalog.h"

namespace ado::sqlite {
namespace {

constexpr std::string_view kTextFunctions[] = {"LTRIM",     "RTRIM",    "TRIM",  "UPPER",    "LOWER",
                                               "SUBSTRING", "SUBSTR",   "LEFT",  "RIGHT",    "REPLACE",
                                               "REPLICATE", "SPACE",    "STR",   "CHAR",     "NCHAR",
                                               "li_left",   "li_right", "NEWID", "li_newid", "QUOTENAME"};
constexpr std::string_view kNumberFunctions[] = {"LEN",
                                                 "li_len",
                                                 "ABS",
                                                 "ROUND",
                                                 "COUNT",
                                                 "SUM",
                                                 "AVG",
                                                 "CEILING",
                                                 "FLOOR",
                                                 "DATALENGTH",
                                                 "CHARINDEX",
                                                 "IDENT_CURRENT",
                                                 "li_ident_current",
                                                 "SCOPE_IDENTITY",
                                                 "li_scope_identity",
                                                 "OBJECT_ID",
                                                 "li_object_id",
                                                 "YEAR",
                                                 "MONTH",
                                                 "DAY",
                                                 "DATEDIFF",
                                                 "LENGTH"};
constexpr std::string_view kPassFunctions[] = {"ISNULL", "IFNULL", "COALESCE", "MIN", "MAX", "NULLIF"};

bool is_name(const Token& t) {
    return (t.kind == TokKind::Word && t.text.front() != '#') || t.kind == TokKind::QuotedIdent;
}

std::string name_of(const Token& t) {
    return t.kind == TokKind::QuotedIdent ? ident_value(t.text) : std::string(t.text);
}

Operand of_type(const TypeInfo& t) {
    if (t.is_text() || t.storage == Storage::Guid) return Operand::Text;
    if (t.is_integer() || t.storage == Storage::Decimal || t.storage == Storage::Double)
        return Operand::Number;
    return Operand::Unknown;
}

}  // namespace

OperandTyper::OperandTyper(const std::vector<Token>& toks, Catalog& catalog,
                           const std::map<std::string, TypeInfo>& variables)
    : t_(toks),
      variables_(variables),
      parens_(toks),
      case_then_(toks.size(), kNone),
      start_(toks.size(), Operand::Unknown),
      chain_(toks.size(), Operand::Unknown) {
    index_tables(catalog);
    match_cases();
    for (std::size_t i = t_.size(); i-- > 0;) {
        if (is_name(t_[i])) chain_[i] = name_at(i);
        start_[i] = starting_at(i);
    }
}

// The columns of the tables and views the statement names, the first table's first.
void OperandTyper::index_tables(Catalog& catalog) {
    for (std::size_t i = 0; i + 1 < t_.size(); ++i) {
        const Token& k = t_[i];
        if (!(k.is_word("FROM") || k.is_word("JOIN") || k.is_word("INTO") || k.is_word("UPDATE"))) continue;
        std::size_t n = i + 1;
        // schema-qualified: keep the last part
        while (n + 2 < t_.size() && t_[n + 1].is_punct(".")) n += 2;
        if (t_[n].kind != TokKind::Word && t_[n].kind != TokKind::QuotedIdent) continue;
        std::string name = name_of(t_[n]);
        if (!name.empty() && name.front() == '#') name = upper(name);
        if (const TableMeta* meta = catalog.table("", name))
            for (const ColumnMeta& c : meta->columns) columns_.emplace(upper(c.name), of_type(c.type));
    }
}

// CASE gets its first THEN (the one at its own level), END its CASE.
void OperandTyper::match_cases() {
    std::vector<std::size_t> open;
    for (std::size_t i = 0; i < t_.size(); ++i) {
        if (t_[i].kind != TokKind::Word) continue;
        if (t_[i].is_word("CASE")) {
            open.push_back(i);
        } else if (t_[i].is_word("THEN") && !open.empty()) {
            if (case_then_[open.back()] == kNone) case_then_[open.back()] = i;
        } else if (t_[i].is_word("END") && !open.empty()) {
            case_then_[i] = open.back();
            open.pop_back();
        }
    }
}

bool OperandTyper::joins_text(std::size_t op) const {
    const Operand l = left_of(op);
    const Operand r = right_of(op);
    if (l == Operand::Number || r == Operand::Number) return false;
    return l == Operand::Text || r == Operand::Text;
}

Operand OperandTyper::left_of(std::size_t op) const {
    return op == 0 ? Operand::Unknown : ending_at(op - 1);
}
Operand OperandTyper::right_of(std::size_t op) const {
    return start(op + 1);
}

Operand OperandTyper::column(const Token& name) const {
    const auto it = columns_.find(upper(name_of(name)));
    return it == columns_.end() ? Operand::Unknown : it->second;
}

// A name, or a dotted chain of names: the column its last part names.
Operand OperandTyper::name_at(std::size_t i) const {
    if (i + 2 < t_.size() && t_[i + 1].is_punct(".") && is_name(t_[i + 2])) return chain_[i + 2];
    return column(t_[i]);
}

Operand OperandTyper::starting_at(std::size_t i) const {
    const Token& t = t_[i];
    switch (t.kind) {
        case TokKind::String:
            return Operand::Text;
        case TokKind::Number:
            return Operand::Number;
        case TokKind::Variable: {
            const auto it = variables_.find(upper(t.text));
            return it == variables_.end() ? Operand::Unknown : of_type(it->second);
        }
        case TokKind::Punct:
            if (t.is_punct("-")) return Operand::Number;
            if (t.is_punct("("))
                return start(i + 1 < t_.size() && t_[i + 1].is_word("SELECT") ? i + 2 : i + 1);
            return Operand::Unknown;
        default:
            break;
    }
    if (t.is_word("CASE")) return case_then_[i] == kNone ? Operand::Unknown : start(case_then_[i] + 1);
    if (t.is_word("NULL")) return Operand::Unknown;
    if (t.kind == TokKind::Word && i + 1 < t_.size() && t_[i + 1].is_punct("(")) return function(i, i + 1);
    return is_name(t) ? chain_[i] : Operand::Unknown;
}

Operand OperandTyper::ending_at(std::size_t i) const {
    const Token& t = t_[i];
    if (t.is_punct(")")) {
        const std::size_t open = parens_.partner(i);
        if (open > 0 && t_[open - 1].kind == TokKind::Word && !t_[open - 1].is_word("IN") &&
            !t_[open - 1].is_word("EXISTS") && !t_[open - 1].is_word("VALUES") &&
            !t_[open - 1].is_word("AS")) {
            const Token& f = t_[open - 1];
            return f.is_word("CASE") || f.is_word("NULL") ? Operand::Unknown : start_[open - 1];
        }
        return start_[open];
    }
    if (t.is_word("END")) return case_then_[i] == kNone ? Operand::Unknown : start_[case_then_[i]];
    if (is_name(t)) return column(t);
    return start_[i];
}

// CAST(x AS type) / CONVERT(type, x): the type's answer.
Operand OperandTyper::cast_type(std::size_t name, std::size_t open) const {
    std::size_t type_at = open + 1;
    if (t_[name].is_word("CAST"))
        parens_.for_each_inside(open, [&](std::size_t k) {
            if (t_[k].is_word("AS")) type_at = k + 1;
        });
    if (type_at >= parens_.partner(open) || t_[type_at].kind != TokKind::Word) return Operand::Unknown;
    try {
        return of_type(tsql_type(t_[type_at].text, {}));
    } catch (const Error&) {
        return Operand::Unknown;
    }
}

Operand OperandTyper::function(std::size_t name, std::size_t open) const {
    const Token& f = t_[name];
    if (is_one_of(f, kTextFunctions)) return Operand::Text;
    if (is_one_of(f, kNumberFunctions)) return Operand::Number;
    if (f.is_word("CAST") || f.is_word("CONVERT")) return cast_type(name, open);
    if (!is_one_of(f, kPassFunctions)) return Operand::Unknown;
    // The first argument that tells.
    Operand found = Operand::Unknown;
    bool at_arg = true;
    parens_.for_each_inside(open, [&](std::size_t k) {
        if (found == Operand::Unknown && at_arg) found = start_[k];
        at_arg = t_[k].is_punct(",");
    });
    return found;
}

}  // namespace ado::sqlite
