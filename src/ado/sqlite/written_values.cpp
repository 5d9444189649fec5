#include "ado/sqlite/written_values.h"

#include "ado/error.h"
#include "ado/sqlite/catalog.h"
#include "ado/sqlite/parens.h"
#include "ado/sqlite/splice.h"

namespace ado::sqlite {
namespace {

using Toks = std::vector<Token>;
using Range = std::pair<std::size_t, std::size_t>;

// The common table expression an INSERT ... SELECT reads through, so that the select's
// values are converted by position whatever the select looks like (UNION, TOP, *).
constexpr std::string_view kInsertSource = "li_insert_source";

bool converted(const ColumnMeta& c) {
    return c.type.storage == Storage::Date || c.type.storage == Storage::Guid ||
           c.type.storage == Storage::Decimal;
}

bool has_converted_columns(const TableMeta& t) {
    for (const ColumnMeta& c : t.columns)
        if (converted(c)) return true;
    return false;
}

bool is_plain_name(const Token& t) {
    return (t.kind == TokKind::Word && t.text.front() != '#') || t.kind == TokKind::QuotedIdent;
}

std::string name_of(const Token& t) {
    return t.kind == TokKind::QuotedIdent ? ident_value(t.text) : std::string(t.text);
}

// The text of [begin, end) for a message, "a.X" without blanks around the dot.
std::string piece(const Toks& t, std::size_t begin, std::size_t end) {
    std::string out;
    for (std::size_t k = begin; k < end; ++k) {
        if (k > begin && !t[k].is_punct(".") && !t[k - 1].is_punct(".")) out.push_back(' ');
        out.append(t[k].text);
    }
    return out;
}

[[noreturn]] void refuse(const std::string& construct, std::string_view preposition, const TableMeta& table) {
    unsupported(construct + " " + std::string(preposition) + " a table with date, decimal or GUID columns (" +
                table.name + ")");
}

[[noreturn]] void invalid_column(const std::string& name) {
    throw Error(kErrProvider, "Invalid column name '" + name + "'.");
}

// The table named at `at` (T, [T], #T, dbo.T, main.T: the last part names it) and the index
// just after its name; no table when the catalog does not know it.
std::pair<const TableMeta*, std::size_t> table_named_at(const Toks& t, std::size_t at, Catalog& catalog) {
    const auto name_token = [&t](std::size_t i) {
        return i < t.size() && (t[i].kind == TokKind::Word || t[i].kind == TokKind::QuotedIdent);
    };
    if (!name_token(at)) return {nullptr, at};
    std::size_t last = at;
    while (last + 2 < t.size() && t[last + 1].is_punct(".") && name_token(last + 2)) last += 2;
    std::string name = name_of(t[last]);
    std::string schema;
    if (!name.empty() && name.front() == '#') {
        schema = "temp";
        name = upper(name);
    } else if (last > at &&
               (iequals(name_of(t[last - 2]), "main") || iequals(name_of(t[last - 2]), "temp"))) {
        schema = name_of(t[last - 2]);
    }
    return {catalog.table(schema, name), last + 1};
}

void wrap(Splice& sp, const Range& value, const ColumnMeta& c) {
    Toks head;
    Toks tail;
    // An empty value is SQLite's syntax error; nothing is stored.
    if (value.first >= value.second || !stored_form_wrappers(c.type, head, tail)) return;
    sp.insert(value.first, head);
    sp.insert(value.second, tail);
}

// The columns of INSERT INTO T (a, b): each must be a plain name of one of T's columns.
std::vector<const ColumnMeta*> column_list(const Toks& t, const Parens& p, std::size_t open,
                                           const TableMeta& table) {
    std::vector<const ColumnMeta*> cols;
    for (const auto& [b, e] : p.items(t, open)) {
        if (b == e) syntax_error_near(t, e);
        if (e != b + 1 || !is_plain_name(t[b]))
            refuse("INSERT with a column list item that is not a plain column name (" + piece(t, b, e) + ")",
                   "into", table);
        const ColumnMeta* c = table.find(name_of(t[b]));
        if (!c) invalid_column(name_of(t[b]));
        cols.push_back(c);
    }
    if (cols.empty()) syntax_error_near(t, p.partner(open));
    return cols;
}

[[noreturn]] void count_mismatch(std::size_t columns, std::size_t values) {
    throw Error(kErrProvider,
                std::string("There are ") + (columns > values ? "more" : "fewer") +
                    " columns in the INSERT statement than values specified in the VALUES clause."
                    " The number of values in the VALUES clause must match the number of columns"
                    " specified in the INSERT statement.");
}

// VALUES (...), (...): every row's values converted by their column.
void convert_rows(Toks& t, const Parens& p, std::size_t values, const std::vector<const ColumnMeta*>& cols) {
    Splice sp(t);
    for (std::size_t k = values + 1;; ++k) {
        if (k >= t.size() || !t[k].is_punct("(")) syntax_error_near(t, k);
        const auto row = p.items(t, k);
        if (row.size() != cols.size()) count_mismatch(cols.size(), row.size());
        for (std::size_t i = 0; i < row.size(); ++i) wrap(sp, row[i], *cols[i]);
        k = p.partner(k) + 1;
        if (k == t.size()) break;
        if (!t[k].is_punct(",")) syntax_error_near(t, k);
    }
    t = sp.result();
}

// INSERT INTO T (a, d) SELECT ...  ->  WITH li_insert_source (a, d) AS (SELECT ...)
// INSERT INTO T (a, d) SELECT a, li_date(d) FROM li_insert_source
void convert_select(Toks& t, std::size_t cols_open, std::size_t cols_close, std::size_t select,
                    const std::vector<const ColumnMeta*>& cols) {
    const auto at = [&t](std::size_t i) { return t.begin() + static_cast<long>(i); };
    Toks out{raw("WITH"), raw(kInsertSource)};
    out.insert(out.end(), at(cols_open), at(cols_close + 1));
    out.insert(out.end(), {raw("AS"), raw("(")});
    out.insert(out.end(), at(select), t.end());
    out.push_back(raw(")"));
    out.insert(out.end(), t.begin(), at(select));
    out.push_back(raw("SELECT"));
    for (std::size_t i = 0; i < cols.size(); ++i) {
        if (i > 0) out.push_back(raw(","));
        Toks head;
        Toks tail;
        const bool wrapped = stored_form_wrappers(cols[i]->type, head, tail);
        out.insert(out.end(), head.begin(), head.end());
        out.push_back(t[cols_open + 1 + 2 * i]);  // the list holds one name per item
        if (wrapped) out.insert(out.end(), tail.begin(), tail.end());
    }
    out.insert(out.end(), {raw("FROM"), raw(kInsertSource)});
    t = std::move(out);
}

void convert_insert(Toks& t, Catalog& catalog) {
    // INSERT ... EXEC runs a procedure, which the engine has none of, whatever the table.
    for (const Token& k : t)
        if (k.is_word("EXEC") || k.is_word("EXECUTE")) unsupported("INSERT ... EXEC");
    const auto [table, after_name] = table_named_at(t, 2, catalog);
    if (!table || !has_converted_columns(*table)) return;
    const std::size_t open = after_name;
    // Only the defaults, which the table definition stores in their form.
    if (open + 2 == t.size() && t[open].is_word("DEFAULT") && t[open + 1].is_word("VALUES")) return;
    if (open >= t.size() || !t[open].is_punct("(")) refuse("INSERT without a column list", "into", *table);
    const Parens p(t);
    const auto cols = column_list(t, p, open, *table);
    const std::size_t next = p.partner(open) + 1;
    if (next >= t.size()) syntax_error_near(t, next);
    if (t[next].is_word("VALUES")) return convert_rows(t, p, next, cols);
    if (t[next].is_word("SELECT")) return convert_select(t, open, p.partner(open), next, cols);
    refuse("INSERT ... " + upper(t[next].text), "into", *table);
}

// The items of UPDATE ... SET, up to the statement's own FROM or WHERE.
std::vector<Range> set_items(const Toks& t, const Parens& p, std::size_t first) {
    std::vector<Range> out;
    std::size_t begin = first;
    std::size_t k = first;
    for (; k < t.size() && !t[k].is_word("FROM") && !t[k].is_word("WHERE"); k = p.skip(k)) {
        if (!t[k].is_punct(",")) continue;
        out.emplace_back(begin, k);
        begin = k + 1;
    }
    out.emplace_back(begin, k);
    return out;
}

// The column a SET item writes: "name = value" and nothing else.
const ColumnMeta& set_column(const Toks& t, const Range& item, const TableMeta& table) {
    const auto [b, e] = item;
    if (b >= e) syntax_error_near(t, b);
    if (t[b].kind == TokKind::Variable)
        refuse("assigning variables in an UPDATE (" + std::string(t[b].text) + ")", "on", table);
    if (!is_plain_name(t[b]))
        refuse("UPDATE with a SET item that is not a plain column name (" + piece(t, b, e) + ")", "on",
               table);
    if (b + 2 < e && t[b + 1].is_punct("."))
        refuse("UPDATE with a qualified column name in SET (" + piece(t, b, b + 3) + ")", "on", table);
    if (b + 1 >= e || !t[b + 1].is_punct("=")) {
        if (b + 2 < e && t[b + 1].kind == TokKind::Punct && t[b + 2].is_punct("="))
            refuse("compound assignment in an UPDATE (" + std::string(t[b].text) + " " +
                       std::string(t[b + 1].text) + "=)",
                   "on", table);
        syntax_error_near(t, b + 1);
    }
    const ColumnMeta* c = table.find(name_of(t[b]));
    if (!c) invalid_column(name_of(t[b]));
    if (b + 2 >= e) syntax_error_near(t, b + 1);
    return *c;
}

bool same_name(const Token& a, const Token& b) {
    return (a.kind == TokKind::Word || a.kind == TokKind::QuotedIdent) && iequals(name_of(a), name_of(b));
}

// UPDATE a SET ... FROM T a: the rows written are T's, reached through an alias that SQLite
// does not follow; refused when T has columns to convert.
void refuse_update_through_alias(const Toks& t, std::size_t after_name, Catalog& catalog) {
    if (after_name != 2) return;
    const Parens p(t);
    std::size_t k = after_name;
    while (k < t.size() && !t[k].is_word("FROM")) k = p.skip(k);
    const std::size_t from = k;
    for (++k; k < t.size() && !t[k].is_word("WHERE"); k = p.skip(k)) {
        if (!same_name(t[k], t[1])) continue;
        const std::size_t name = t[k - 1].is_word("AS") ? k - 2 : k - 1;
        if (name <= from) continue;
        std::size_t first = name;
        while (first >= 2 && t[first - 1].is_punct(".")) first -= 2;
        const auto [table, end] = table_named_at(t, first, catalog);
        if (table && end == name + 1 && has_converted_columns(*table))
            refuse("UPDATE through an alias (" + std::string(t[1].text) + ")", "of", *table);
    }
}

void convert_update(Toks& t, Catalog& catalog) {
    const auto [table, after_name] = table_named_at(t, 1, catalog);
    if (!table) return refuse_update_through_alias(t, after_name, catalog);
    if (!has_converted_columns(*table)) return;
    if (after_name >= t.size() || !t[after_name].is_word("SET")) syntax_error_near(t, after_name);
    const Parens p(t);
    Splice sp(t);
    for (const Range& item : set_items(t, p, after_name + 1))
        wrap(sp, {item.first + 2, item.second}, set_column(t, item, *table));
    t = sp.result();
}

}  // namespace

bool stored_form_wrappers(const TypeInfo& type, Toks& head, Toks& tail) {
    switch (type.storage) {
        case Storage::Date:
            head = {raw("li_date"), raw("(")}, tail = {raw(")")};
            return true;
        case Storage::Guid:
            head = {raw("li_guid"), raw("(")}, tail = {raw(")")};
            return true;
        case Storage::Decimal:
            head = {raw("li_decimal"), raw("(")}, tail = {raw(","), small_number(type.scale), raw(")")};
            return true;
        default:
            return false;
    }
}

void convert_written_values(Toks& t, Catalog& catalog) {
    if (t.empty()) return;
    if (t[0].is_word("INSERT"))
        convert_insert(t, catalog);
    else if (t[0].is_word("UPDATE"))
        convert_update(t, catalog);
}

}  // namespace ado::sqlite
