// Function calls of the typed rewrite: their result types, and the calls SQLite would
// answer differently (CAST/CONVERT to numbers and dates, date functions, decimal
// aggregates, ROUND) rewritten into the typed SQL functions.
#include "ado/error.h"
#include "ado/sqlite/expr_typer_impl.h"
#include "ado/sqlite/sql_eval.h"

namespace ado::sqlite {
namespace {

constexpr std::string_view kTextFunctions[] = {"LEFT",      "RIGHT",   "SUBSTRING", "LTRIM",
                                               "RTRIM",     "UPPER",   "LOWER",     "REPLACE",
                                               "REPLICATE", "REVERSE", "STUFF",     "QUOTENAME"};
// Text functions whose answer depends on the blanks a CHAR(n) value carries.
constexpr std::string_view kPaddedArguments[] = {"LEFT",    "RIGHT", "SUBSTRING",  "LTRIM",
                                                 "UPPER",   "LOWER", "REPLACE",    "REPLICATE",
                                                 "REVERSE", "STUFF", "DATALENGTH", "CHARINDEX"};
constexpr std::string_view kIntFunctions[] = {"COUNT",    "LEN",    "DATALENGTH", "CHARINDEX",
                                              "PATINDEX", "ASCII",  "UNICODE",    "OBJECT_ID",
                                              "SIGN_INT", "LENGTH", "INSTR"};
constexpr std::string_view kIdentityFunctions[] = {"SCOPE_IDENTITY", "IDENT_CURRENT"};
constexpr std::string_view kSameAsArgument[] = {"ABS", "SIGN", "MIN", "MAX", "NULLIF"};
constexpr std::string_view kDateFunctions[] = {"DATEADD", "DATEDIFF", "DATEPART", "YEAR", "MONTH", "DAY"};

SqlType typed(SqlBase b) {
    return SqlType::of(b);
}

}  // namespace

std::vector<Expr> ExprTyper::arguments(std::size_t open) {
    std::vector<Expr> out;
    for (auto [b, e] : parens_.items(t_, open)) {
        if (b < e && (t_[b].is_word("DISTINCT") || t_[b].is_word("ALL"))) ++b;
        out.push_back(expression(b, e, *scope_));
    }
    return out;
}

Expr ExprTyper::function_call(std::size_t name, std::size_t open) {
    const Token& f = t_[name];
    const std::size_t close = parens_.partner(open);
    if (f.is_word("CAST") || f.is_word("CONVERT")) return cast_call(name, open);
    for (std::string_view d : kDateFunctions)
        if (f.is_word(d)) return date_call(name, open, d);
    const std::vector<Expr> args = arguments(open);
    pos_ = close + 1;
    if (at("OVER") && pos_ + 1 < end_ && t_[pos_ + 1].is_punct("(")) pos_ = parens_.partner(pos_ + 1) + 1;
    Expr e;
    e.begin = name;
    e.end = pos_;
    const SqlType first = args.empty() ? SqlType() : args[0].type;
    if (f.is_word("SUM") || f.is_word("AVG")) return aggregate(name, open, args);
    if (is_one_of(f, kPaddedArguments) && !args.empty()) pad_fixed_text(args[0]);
    if (is_one_of(f, kTextFunctions)) {
        e.type = first.is_text() ? first : typed(SqlBase::VarChar);
    } else if (f.is_word("COUNT_BIG")) {
        e.type = typed(SqlBase::BigInt);
    } else if (is_one_of(f, kIntFunctions)) {
        e.type = typed(SqlBase::Int);
    } else if (is_one_of(f, kIdentityFunctions)) {
        // numeric(38,0) on the server; held as an integer here, which it always is
        e.type = typed(SqlBase::BigInt);
    } else if (is_one_of(f, kSameAsArgument)) {
        e.type = first;
    } else if (f.is_word("ISNULL") || f.is_word("IFNULL")) {
        // The answer is a column's value itself, which the server holds blank-padded.
        for (const Expr& a : args) pad_fixed_text(a);
        e.type = first.base == SqlBase::Null && args.size() > 1 ? args[1].type : first;
    } else if (f.is_word("COALESCE")) {
        for (const Expr& a : args) pad_fixed_text(a);
        e.type = typed(SqlBase::Null);
        for (const Expr& a : args)
            if (a.type.base != SqlBase::Null)
                e.type = e.type.base == SqlBase::Null ? a.type : higher_precedence(e.type, a.type);
    } else if (f.is_word("FLOOR") || f.is_word("CEILING")) {
        e.type = first.base == SqlBase::Decimal ? SqlType::decimal(first.precision, 0) : first;
    } else if (f.is_word("ROUND")) {
        e.type = first;
        if ((first.base == SqlBase::Decimal || first.is_exact()) && !first.is_integer() && args.size() >= 2) {
            // SQLite rounds the binary double; the server rounds the decimal, half away from zero.
            edits_.drop(name);
            edits_.head(name, {word("li_round")});
            if (args.size() == 2) edits_.tail(close, {raw(","), raw("0")});
            edits_.tail(close, {raw(","), code(first.code())});
        }
    } else if (f.is_word("GETDATE") || f.is_word("SYSDATETIME") || f.is_word("GETUTCDATE")) {
        e.type = typed(SqlBase::DateTime);
    } else if (f.is_word("NEWID")) {
        e.type = typed(SqlBase::Guid);
    } else if (f.is_word("SPACE") || f.is_word("STR") || f.is_word("CHAR")) {
        e.type = typed(SqlBase::VarChar);
    } else if (f.is_word("NCHAR")) {
        e.type = typed(SqlBase::NVarChar);
    }
    return e;
}

// SUM and AVG keep the server's result types: an int total that leaves int is an overflow,
// a decimal average is the exact quotient at the server's scale.
Expr ExprTyper::aggregate(std::size_t name, std::size_t, const std::vector<Expr>& args) {
    Expr e;
    e.begin = name;
    e.end = pos_;
    const SqlType arg = args.empty() ? SqlType() : args[0].type;
    const bool sum = t_[name].is_word("SUM");
    e.type = sum ? sum_type(arg) : avg_type(arg);
    std::string renamed;
    if (sum && arg.is_integer() && arg.base != SqlBase::BigInt) {
        renamed = "li_sum_int";
    } else if (!sum && arg.is_integer()) {
        renamed = "li_avg_int";
    } else if (!sum && (arg.base == SqlBase::Decimal || arg.base == SqlBase::Money ||
                        arg.base == SqlBase::SmallMoney)) {
        renamed = "li_avg_s" + std::to_string(e.type.scale);
    }
    if (!renamed.empty()) {
        edits_.drop(name);
        edits_.head(name, {word(renamed)});
    }
    return e;
}

// CAST(x AS type) / CONVERT(type, x[, style]) to a number or a date, or from a number or a
// date to text: li_cast(x, from, to, style), cut to the text's length. Other casts are the
// plain rewrite's.
Expr ExprTyper::cast_call(std::size_t name, std::size_t open) {
    const std::size_t close = parens_.partner(open);
    const bool is_cast = t_[name].is_word("CAST");
    std::size_t type_begin = close, type_end = close, x_begin = open + 1, x_end = close, style = close;
    bool split = false;
    if (is_cast) {
        for (std::size_t k = open + 1; k < close; k = parens_.skip(k))
            if (t_[k].is_word("AS")) type_begin = k + 1, x_end = k, split = true;
        type_end = close;
    } else {
        std::size_t comma = close;
        for (std::size_t k = open + 1; k < close; k = parens_.skip(k)) {
            if (!t_[k].is_punct(",")) continue;
            if (comma == close)
                comma = k, split = true;
            else if (style == close)
                style = k;
        }
        type_begin = open + 1;
        type_end = comma;
        x_begin = comma + 1;
        x_end = style;
    }
    Expr e;
    e.begin = name;
    e.end = close + 1;
    pos_ = close + 1;
    if (!split) syntax_error_near(t_, name);  // no AS, no comma
    if (type_begin >= type_end || t_[type_begin].kind != TokKind::Word) syntax_error_near(t_, type_end);
    std::vector<std::string> type_args;
    const Token* size = nullptr;
    if (type_begin + 1 < type_end && t_[type_begin + 1].is_punct("(")) {
        type_args = type_arguments(t_, type_begin + 1, parens_.partner(type_begin + 1));
        if (t_[type_begin + 2].kind == TokKind::Number) size = &t_[type_begin + 2];
    }
    const TypeInfo info = tsql_type(t_[type_begin].text, type_args);
    e.type = sql_type_of(info);
    const Expr x = expression(x_begin, x_end, *scope_);
    if (style < close) expression(style + 1, close, *scope_);
    const bool to_text_from_value = e.type.is_text() && (x.type.is_numeric() || x.type.is_date());
    if (!(e.type.is_numeric() || e.type.is_date() || to_text_from_value)) {
        if (e.type.is_text()) pad_fixed_text(x);
        return e;
    }
    const std::vector<Token> codes{raw(","), code(x.type.code()), raw(","), code(e.type.code()), raw(",")};
    edits_.drop(name);
    edits_.head(name, {word("li_cast")});
    if (is_cast) {
        // CAST ( x AS type ) -> li_cast ( x , from , to , 0 )
        for (std::size_t k = x_end; k < close; ++k) edits_.drop(k);
        std::vector<Token> tail = codes;
        tail.push_back(raw("0"));
        edits_.tail(x_end, tail);
    } else {
        // CONVERT ( type , x [, style] ) -> li_cast ( x , from , to , style|0 )
        for (std::size_t k = type_begin; k <= type_end; ++k) edits_.drop(k);
        if (style < close) {
            edits_.drop(style);
            edits_.tail(style, codes);
        } else {
            std::vector<Token> tail = codes;
            tail.push_back(raw("0"));
            edits_.tail(close, tail);
        }
    }
    if (to_text_from_value && size && !info.is_long) {
        edits_.head(name, {raw("SUBSTR"), raw("(")});
        edits_.tail(close + 1, {raw(","), raw("1"), raw(","), *size, raw(")")});
    }
    return e;
}

// DATEADD(part, n, d) -> li_dateadd(code, n, d, td); DATEDIFF(part, a, b) ->
// li_datediff(code, a, b, ta, tb); DATEPART(part, d) -> li_datepart(code, d, td);
// YEAR(d), MONTH(d), DAY(d) -> li_datepart(code, d, td).
Expr ExprTyper::date_call(std::size_t name, std::size_t open, std::string_view which) {
    const std::size_t close = parens_.partner(open);
    const auto items = parens_.items(t_, open);
    Expr e;
    e.begin = name;
    e.end = close + 1;
    e.type = SqlType::of(which == "DATEADD" ? SqlBase::DateTime : SqlBase::Int);
    const bool named_part = which == "DATEADD" || which == "DATEDIFF" || which == "DATEPART";
    const std::size_t wanted = which == "DATEADD" || which == "DATEDIFF" ? 3 : named_part ? 2 : 1;
    if (items.size() != wanted)
        throw Error(kErrProvider, "The " + std::string(which) + " function requires " +
                                      std::to_string(wanted) + " argument(s).");
    std::optional<DatePart> part;
    if (named_part) {
        const Token& p = t_[items[0].first];
        if (items[0].second == items[0].first + 1 && p.kind == TokKind::Word) part = date_part(p.text);
        if (!part)
            throw Error(kErrProvider,
                        "'" + std::string(p.text) + "' is not a recognized " + upper(which) + " option.");
    } else {
        part = which == "YEAR" ? DatePart::Year : which == "MONTH" ? DatePart::Month : DatePart::Day;
    }
    std::vector<Expr> args;
    for (std::size_t i = named_part ? 1 : 0; i < items.size(); ++i)
        args.push_back(expression(items[i].first, items[i].second, *scope_));
    pos_ = close + 1;
    edits_.drop(name);
    edits_.head(name, {word(which == "DATEADD"    ? "li_dateadd"
                            : which == "DATEDIFF" ? "li_datediff"
                                                  : "li_datepart")});
    const Token part_code = code(static_cast<int>(*part));
    if (named_part) {
        edits_.drop(items[0].first);
        edits_.head(items[0].first, {part_code});
    } else {
        edits_.head(items[0].first, {part_code, raw(",")});
    }
    std::vector<Token> tail;
    if (which == "DATEADD") {
        tail = {raw(","), code(args[1].type.code())};
    } else if (which == "DATEDIFF") {
        tail = {raw(","), code(args[0].type.code()), raw(","), code(args[1].type.code())};
    } else {
        tail = {raw(","), code(args[0].type.code())};
    }
    edits_.tail(close, tail);
    return e;
}

void ExprTyper::pad_fixed_text(const Expr& e) {
    if (e.form != Expr::Form::Column || !e.column || e.column->type.storage != Storage::FixedText) return;
    wrap(e, "li_pad", {raw(","), code(e.column->type.size)});
}

}  // namespace ado::sqlite
