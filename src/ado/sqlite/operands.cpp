#include "ado/sqlite/operands.h"

#include "ado/sqlite/catalog.h"

namespace ado::sqlite {
namespace {

constexpr std::string_view kTextFunctions[] = {"LTRIM",   "RTRIM",    "TRIM",  "UPPER",     "LOWER",  "SUBSTRING",
                                               "SUBSTR",  "LEFT",     "RIGHT", "REPLACE",   "REPLICATE", "SPACE",
                                               "STR",     "CHAR",     "NCHAR", "li_left",   "li_right", "NEWID",
                                               "li_newid", "QUOTENAME"};
constexpr std::string_view kNumberFunctions[] = {"LEN",   "li_len", "ABS",        "ROUND",  "COUNT",
                                                 "SUM",   "AVG",    "CEILING",    "FLOOR",  "DATALENGTH",
                                                 "CHARINDEX", "IDENT_CURRENT", "li_ident_current", "OBJECT_ID",
                                                 "li_object_id", "YEAR", "MONTH", "DAY", "DATEDIFF", "LENGTH"};
constexpr std::string_view kPassFunctions[] = {"ISNULL", "IFNULL", "COALESCE", "MIN", "MAX", "NULLIF"};

template <std::size_t N>
bool in(const Token& t, const std::string_view (&list)[N]) {
    if (t.kind != TokKind::Word) return false;
    for (auto w : list)
        if (t.is_word(w)) return true;
    return false;
}

bool is_name(const Token& t) { return (t.kind == TokKind::Word && t.text.front() != '#') || t.kind == TokKind::QuotedIdent; }

std::string name_of(const Token& t) { return t.kind == TokKind::QuotedIdent ? ident_value(t.text) : std::string(t.text); }

}  // namespace

OperandTyper::OperandTyper(const std::vector<Token>& toks, Catalog& catalog,
                           const std::map<std::string, TypeInfo>& variables)
    : t_(toks), catalog_(catalog), variables_(variables) {
    for (std::size_t i = 0; i + 1 < t_.size(); ++i) {
        const Token& k = t_[i];
        if (!(k.is_word("FROM") || k.is_word("JOIN") || k.is_word("INTO") || k.is_word("UPDATE"))) continue;
        std::size_t n = i + 1;
        // schema-qualified: keep the last part
        while (n + 2 < t_.size() && t_[n + 1].is_punct(".")) n += 2;
        if (t_[n].kind == TokKind::Word || t_[n].kind == TokKind::QuotedIdent) {
            std::string name = name_of(t_[n]);
            if (!name.empty() && name.front() == '#') name = upper(name);
            tables_.push_back(std::move(name));
        }
    }
}

bool OperandTyper::joins_text(std::size_t op) const {
    const Operand l = left_of(op);
    const Operand r = right_of(op);
    if (l == Operand::Number || r == Operand::Number) return false;
    return l == Operand::Text || r == Operand::Text;
}

Operand OperandTyper::left_of(std::size_t op) const { return op == 0 ? Operand::Unknown : ending_at(op - 1, 0); }
Operand OperandTyper::right_of(std::size_t op) const { return starting_at(op + 1, 0); }

Operand OperandTyper::of_type(const TypeInfo& t) const {
    if (t.is_text() || t.storage == Storage::Guid) return Operand::Text;
    if (t.is_integer() || t.storage == Storage::Decimal || t.storage == Storage::Double) return Operand::Number;
    return Operand::Unknown;
}

Operand OperandTyper::column(std::string_view name) const {
    for (const auto& table : tables_) {
        const TableMeta* meta = catalog_.table("", table);
        if (!meta) continue;
        if (const ColumnMeta* c = meta->find(name)) return of_type(c->type);
    }
    return Operand::Unknown;
}

Operand OperandTyper::starting_at(std::size_t i, int guard) const {
    if (i >= t_.size() || guard > 16) return Operand::Unknown;
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
            if (t.is_punct("(")) {
                if (i + 1 < t_.size() && t_[i + 1].is_word("SELECT")) return starting_at(i + 2, guard + 1);
                return starting_at(i + 1, guard + 1);
            }
            return Operand::Unknown;
        default:
            break;
    }
    if (t.is_word("CASE")) return case_result(i, guard + 1);
    if (t.is_word("NULL")) return Operand::Unknown;
    if (t.kind == TokKind::Word && i + 1 < t_.size() && t_[i + 1].is_punct("(")) return function(i, i + 1, guard + 1);
    if (!is_name(t)) return Operand::Unknown;
    std::size_t last = i;
    while (last + 2 < t_.size() && t_[last + 1].is_punct(".") && is_name(t_[last + 2])) last += 2;
    return column(name_of(t_[last]));
}

Operand OperandTyper::ending_at(std::size_t i, int guard) const {
    if (guard > 16) return Operand::Unknown;
    const Token& t = t_[i];
    if (t.is_punct(")")) {
        const std::size_t open = matching_open(t_, i);
        if (open == std::string_view::npos) return Operand::Unknown;
        if (open > 0 && t_[open - 1].kind == TokKind::Word && !t_[open - 1].is_word("IN") &&
            !t_[open - 1].is_word("EXISTS") && !t_[open - 1].is_word("VALUES") && !t_[open - 1].is_word("AS"))
            return function(open - 1, open, guard + 1);
        return starting_at(open, guard + 1);
    }
    if (t.is_word("END")) {
        int depth = 0;
        for (std::size_t k = i + 1; k-- > 0;) {
            if (t_[k].is_word("END")) ++depth;
            if (t_[k].is_word("CASE") && --depth == 0) return case_result(k, guard + 1);
        }
        return Operand::Unknown;
    }
    if (is_name(t)) return column(name_of(t));
    return starting_at(i, guard + 1);
}

Operand OperandTyper::case_result(std::size_t case_at, int guard) const {
    int depth = 0;
    for (std::size_t k = case_at; k < t_.size(); ++k) {
        if (t_[k].is_word("CASE")) ++depth;
        if (t_[k].is_word("END") && --depth == 0) break;
        if (depth == 1 && t_[k].is_word("THEN")) return starting_at(k + 1, guard + 1);
    }
    return Operand::Unknown;
}

Operand OperandTyper::function(std::size_t name, std::size_t open, int guard) const {
    const Token& f = t_[name];
    if (in(f, kTextFunctions)) return Operand::Text;
    if (in(f, kNumberFunctions)) return Operand::Number;
    const std::size_t close = matching_paren(t_, open);
    if (f.is_word("CAST") || f.is_word("CONVERT")) {
        std::size_t type_at = open + 1;
        if (f.is_word("CAST")) {
            int depth = 0;
            for (std::size_t k = open + 1; k < close; ++k) {
                if (t_[k].is_punct("(")) ++depth;
                if (t_[k].is_punct(")")) --depth;
                if (depth == 0 && t_[k].is_word("AS")) type_at = k + 1;
            }
        }
        if (type_at >= close || t_[type_at].kind != TokKind::Word) return Operand::Unknown;
        try {
            return of_type(tsql_type(t_[type_at].text, {}));
        } catch (const std::exception&) {
            return Operand::Unknown;
        }
    }
    if (in(f, kPassFunctions)) {
        // The first argument that tells.
        int depth = 0;
        std::size_t arg = open + 1;
        for (std::size_t k = open + 1; k <= close && k < t_.size(); ++k) {
            if (t_[k].is_punct("(")) ++depth;
            if (t_[k].is_punct(")")) --depth;
            if ((depth == 0 && t_[k].is_punct(",")) || k == close) {
                if (const Operand o = starting_at(arg, guard + 1); o != Operand::Unknown) return o;
                arg = k + 1;
            }
        }
    }
    return Operand::Unknown;
}

}  // namespace ado::sqlite
