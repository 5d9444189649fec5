#include "ado/sqlite/ddl.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <map>

#include "ado/error.h"
#include "ado/sqlite/functions.h"
#include "ado/sqlite/parens.h"
#include "ado/sqlite/rewrite.h"
#include "ado/sqlite/type_info.h"

namespace ado::sqlite {
namespace {

using Toks = std::vector<Token>;

std::string quote(std::string_view name) {
    return enclosed(name, '"');
}
std::string sql_string(std::string_view s) {
    return enclosed(s, '\'');
}

// SQLite text of a piece of a definition (a default, a check): values in definitions are
// never parameters, and a definition has no variables.
std::string definition_sql(Toks g) {
    for (const Token& k : g)
        if (k.kind == TokKind::Variable)
            throw Error(kErrProvider, "Must declare the scalar variable \"" + std::string(k.text) + "\".");
    rewrite_functions(g);
    rewrite_collations(g);
    Emitted e = emit(g);
    if (!e.params.empty()) throw Error(kErrProvider, "A definition cannot take parameters.");
    return std::move(e.sql);
}

// The range an identity value of type `t` may start from. One less than the lowest is
// stored as the sequence's start, so the lowest 64-bit value is left out.
std::pair<std::int64_t, std::int64_t> identity_range(const TypeInfo& t) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    if (t.tsql == "TINYINT") return {0, 255};
    if (t.storage == Storage::Int16) return {-32768, 32767};
    if (t.storage == Storage::Int32) return {-2147483648LL, 2147483647LL};
    std::int64_t limit = kMax;
    if (t.storage == Storage::Decimal && t.precision < 19) {
        limit = 1;
        for (int i = 0; i < t.precision; ++i) limit *= 10;
        --limit;
    }
    return {-limit, limit};
}

struct ColumnDef {
    std::string name;
    TypeInfo type;
    bool not_null = false;
    bool identity = false;
    std::int64_t seed = 1;
    bool unique = false;
    std::string default_sql;
    std::vector<std::string> extra;  // CHECK and REFERENCES clauses
};

class DdlParser {
  public:
    DdlParser(const Toks& t, Catalog& catalog) : t_(t), catalog_(catalog), parens_(t) {}

    std::vector<std::string> run() {
        if (accept("CREATE")) {
            if (accept("TABLE")) return create_table();
            if (accept("OR")) {
                expect("ALTER");
                expect("VIEW");
                return create_view(true);
            }
            if (accept("VIEW")) return create_view(false);
            const bool unique = accept("UNIQUE");
            if (!accept("CLUSTERED")) accept("NONCLUSTERED");
            expect("INDEX");
            return create_index(unique);
        }
        if (accept("DROP")) return drop();
        unsupported(std::string(t_[0].text) + " statements");
    }

  private:
    bool at_word(std::string_view w) const { return p_ < t_.size() && t_[p_].is_word(w); }
    bool at_punct(std::string_view w) const { return p_ < t_.size() && t_[p_].is_punct(w); }
    bool accept(std::string_view w) {
        if (!at_word(w)) return false;
        ++p_;
        return true;
    }
    void expect(std::string_view w) {
        if (!accept(w)) syntax_error_near(t_, p_);
    }
    void expect_punct(std::string_view w) {
        if (!at_punct(w)) syntax_error_near(t_, p_);
        ++p_;
    }
    bool if_not_exists() {
        if (!at_word("IF")) return false;
        ++p_;
        expect("NOT");
        expect("EXISTS");
        return true;
    }

    // A possibly qualified name (dbo.T, [dbo].[T], #T); the last part counts.
    std::string name() {
        std::string n;
        do {
            if (p_ >= t_.size() || !(t_[p_].kind == TokKind::Word || t_[p_].kind == TokKind::QuotedIdent))
                syntax_error_near(t_, p_);
            n = t_[p_].kind == TokKind::QuotedIdent ? ident_value(t_[p_].text) : std::string(t_[p_].text);
            ++p_;
        } while (at_punct(".") && ++p_);
        if (!n.empty() && n.front() == '#') n = upper(n);
        return n;
    }
    static bool is_temp(const std::string& n) { return !n.empty() && n.front() == '#'; }

    // Tokens of a parenthesised group starting at p_ (the "(" itself included).
    Toks group() {
        if (!at_punct("(")) syntax_error_near(t_, p_);
        const std::size_t close = parens_.partner(p_);
        Toks g(t_.begin() + static_cast<long>(p_), t_.begin() + static_cast<long>(close + 1));
        p_ = close + 1;
        return g;
    }

    // ON [PRIMARY], WITH (FILLFACTOR = 90): where and how the server stores a key.
    void skip_storage_options() {
        while (true) {
            if (accept("ON"))
                name();
            else if (at_word("WITH") && p_ + 1 < t_.size() && t_[p_ + 1].is_punct("("))
                ++p_, group();
            else
                return;
        }
    }

    std::vector<std::string> name_list() {
        std::vector<std::string> out;
        expect_punct("(");
        while (!at_punct(")")) {
            out.push_back(name());
            if (!accept("ASC")) accept("DESC");
            if (!at_punct(")")) expect_punct(",");
        }
        ++p_;
        return out;
    }

    static std::string expression(Toks g) { return definition_sql(std::move(g)); }

    TypeInfo type() {
        if (p_ >= t_.size() || t_[p_].kind != TokKind::Word) syntax_error_near(t_, p_);
        const std::string_view type_name = t_[p_++].text;
        std::vector<std::string> args;
        if (at_punct("(")) {
            const std::size_t close = parens_.partner(p_);
            args = type_arguments(t_, p_, close);
            p_ = close + 1;
        }
        return tsql_type(type_name, args);
    }

    void identity(ColumnDef& c);
    std::int64_t identity_number(std::size_t& k, std::size_t close, std::string_view what,
                                 const ColumnDef& c) const;

    std::vector<std::string> create_table();
    void column(ColumnDef& c, std::vector<std::string>& pk);
    // After REFERENCES: the referenced table and columns and the ON DELETE/UPDATE actions.
    std::string references();
    std::vector<std::string> create_index(bool unique);
    std::vector<std::string> create_view(bool replace);
    std::vector<std::string> drop();

    const Toks& t_;
    Catalog& catalog_;
    Parens parens_;
    std::size_t p_ = 0;
};

// [+|-]digits at `k` (advanced past it), within the column type's range.
std::int64_t DdlParser::identity_number(std::size_t& k, std::size_t close, std::string_view what,
                                        const ColumnDef& c) const {
    bool negative = false;
    if (k < close && (t_[k].is_punct("-") || t_[k].is_punct("+"))) negative = t_[k++].is_punct("-");
    if (k >= close || t_[k].kind != TokKind::Number) syntax_error_near(t_, k);
    const std::string text = (negative ? "-" : "") + std::string(t_[k++].text);
    std::int64_t v = 0;
    const auto res = std::from_chars(text.data(), text.data() + text.size(), v);
    const std::string where =
        "The identity " + std::string(what) + " " + text + " of column '" + c.name + "'";
    if (res.ptr != text.data() + text.size() && res.ec == std::errc())
        throw Error(kErrProvider, where + " is not a whole number.");
    const auto [low, high] = identity_range(c.type);
    if (res.ec != std::errc() || v < low || v > high)
        throw Error(kErrProvider, where + " is outside the range of " + c.type.tsql + ".");
    return v;
}

// IDENTITY [(seed, increment)]: whole numbers, the seed within the column's type.
void DdlParser::identity(ColumnDef& c) {
    const bool integral = c.type.storage == Storage::Int16 || c.type.storage == Storage::Int32 ||
                          c.type.storage == Storage::Int64 ||
                          (c.type.storage == Storage::Decimal && c.type.scale == 0);
    if (!integral)
        throw Error(kErrProvider,
                    "Identity column '" + c.name +
                        "' must be of data type int, bigint, smallint, tinyint, or decimal or numeric"
                        " with a scale of 0.");
    c.identity = true;
    if (!at_punct("(")) return;
    const std::size_t close = parens_.partner(p_);
    std::size_t k = p_ + 1;
    c.seed = identity_number(k, close, "seed", c);
    if (k >= close || !t_[k].is_punct(",")) syntax_error_near(t_, k);
    ++k;
    const std::int64_t increment = identity_number(k, close, "increment", c);
    if (k != close) syntax_error_near(t_, k);
    if (increment != 1)
        throw Error(kErrProvider, "The embedded engine supports identity increments of 1 only.");
    // SQLite numbers an empty table's first row 1 whatever the sequence holds below that.
    if (c.seed < 1)
        throw Error(kErrProvider, "The embedded engine supports identity seeds from 1 up; column '" + c.name +
                                      "' has " + std::to_string(c.seed) + ".");
    p_ = close + 1;
}

std::string DdlParser::references() {
    std::string out = "REFERENCES " + quote(name());
    if (at_punct("(")) {
        std::string cols;
        for (const auto& c : name_list()) cols += (cols.empty() ? "" : ", ") + quote(c);
        out += " (" + cols + ")";
    }
    while (at_word("ON")) {
        ++p_;
        if (!at_word("DELETE") && !at_word("UPDATE")) syntax_error_near(t_, p_);
        out += " ON " + upper(t_[p_++].text);
        if (accept("CASCADE"))
            out += " CASCADE";
        else if (accept("NO"))
            expect("ACTION"), out += " NO ACTION";
        else if (accept("SET")) {
            if (accept("NULL"))
                out += " SET NULL";
            else
                expect("DEFAULT"), out += " SET DEFAULT";
        } else
            syntax_error_near(t_, p_);
    }
    return out;
}

void DdlParser::column(ColumnDef& c, std::vector<std::string>& pk) {
    c.name = name();
    c.type = type();
    while (p_ < t_.size() && !at_punct(",") && !at_punct(")")) {
        if (accept("IDENTITY")) {
            identity(c);
        } else if (accept("NOT")) {
            if (accept("FOR"))
                expect("REPLICATION");
            else
                expect("NULL"), c.not_null = true;
        } else if (accept("NULL") || accept("ROWGUIDCOL") || accept("SPARSE")) {
        } else if (accept("COLLATE")) {
            if (p_ >= t_.size() || t_[p_].kind != TokKind::Word) syntax_error_near(t_, p_);
            ++p_;  // text columns all take the database collation
        } else if (accept("CONSTRAINT")) {
            name();
        } else if (accept("DEFAULT")) {
            Toks g;
            if (at_punct("(")) {
                g = group();
            } else {
                const std::size_t start = p_;
                if (at_punct("-") || at_punct("+")) ++p_;
                if (p_ >= t_.size() || at_punct(",") || at_punct(")")) syntax_error_near(t_, p_);
                ++p_;
                if (at_punct("(")) group();
                g.assign(t_.begin() + static_cast<long>(start), t_.begin() + static_cast<long>(p_));
            }
            c.default_sql = expression(std::move(g));
            if (c.type.storage == Storage::Date) c.default_sql = "li_date(" + c.default_sql + ")";
            if (c.type.storage == Storage::Guid) c.default_sql = "li_guid(" + c.default_sql + ")";
        } else if (accept("PRIMARY")) {
            expect("KEY");
            if (!accept("CLUSTERED")) accept("NONCLUSTERED");
            pk = {c.name};
            skip_storage_options();
        } else if (accept("UNIQUE")) {
            if (!accept("CLUSTERED")) accept("NONCLUSTERED");
            c.unique = true;
            skip_storage_options();
        } else if (accept("CHECK")) {
            c.extra.push_back("CHECK " + expression(group()));
        } else if (accept("FOREIGN")) {
            expect("KEY");
            expect("REFERENCES");
            c.extra.push_back(references());
        } else if (accept("REFERENCES")) {
            c.extra.push_back(references());
        } else {
            syntax_error_near(t_, p_);
        }
    }
}

std::string column_sql(const ColumnDef& c, bool in_key) {
    const std::string q = quote(c.name);
    if (c.identity)
        return q + " INTEGER /*li:identity " + sqlite_declaration(c.type) +
               (c.seed != 1 ? " SEED " + std::to_string(c.seed) : std::string()) +
               "*/ PRIMARY KEY AUTOINCREMENT NOT NULL";
    std::string s = q + " " + sqlite_declaration(c.type);
    if (c.not_null || in_key) s += " NOT NULL";
    if (c.type.storage == Storage::RowVersion)
        s += " DEFAULT 0";
    else if (!c.default_sql.empty())
        s += " DEFAULT (" + c.default_sql + ")";
    if (c.type.has_text_affinity()) s += " COLLATE " + std::string(kCollation);
    if (c.unique) s += " UNIQUE";
    const TypeInfo& t = c.type;
    if (t.is_text() && !t.is_long)
        s += " CONSTRAINT " + quote("li_len:" + c.name + ":" + std::to_string(t.size)) +
             " CHECK (length(rtrim(" + q + ")) <= " + std::to_string(t.size) + ")";
    static const std::map<Storage, std::pair<std::string, std::string>> kRanges = {
        {Storage::Int16, {"-32768", "32767"}}, {Storage::Int32, {"-2147483648", "2147483647"}}};
    std::string range;
    if (t.tsql == "TINYINT")
        range = " AND " + q + " BETWEEN 0 AND 255";
    else if (const auto it = kRanges.find(t.storage); it != kRanges.end())
        range = " AND " + q + " BETWEEN " + it->second.first + " AND " + it->second.second;
    if (t.is_integer())
        s += " CONSTRAINT " + quote("li_num:" + c.name + ":" + t.tsql) + " CHECK (" + q +
             " IS NULL OR (typeof(" + q + ") = 'integer'" + range + "))";
    if (t.storage == Storage::Decimal) {
        const int whole = t.precision - t.scale;
        s += " CONSTRAINT " + quote("li_num:" + c.name + ":" + t.tsql) + " CHECK (" + q +
             " IS NULL OR (typeof(" + q + ") IN ('integer', 'real')" +
             (whole < 19 ? " AND abs(" + q + ") < 1e" + std::to_string(whole) : "") + "))";
    }
    for (const auto& e : c.extra) s += " " + e;
    return s;
}

std::vector<std::string> rowversion_triggers(const std::string& table, bool temp, const std::string& column,
                                             bool if_not_exists) {
    const std::string t = quote(table);
    const std::string c = quote(column);
    const std::string create =
        std::string("CREATE ") + (temp ? "TEMP " : "") + "TRIGGER " + (if_not_exists ? "IF NOT EXISTS " : "");
    const std::string bump = " BEGIN UPDATE li_dbts SET value = value + 1 WHERE id = 1; UPDATE " + t +
                             " SET " + c +
                             " = (SELECT value FROM li_dbts WHERE id = 1) WHERE rowid = NEW.rowid; END";
    const std::string schema = temp ? "temp." : "";
    return {
        "CREATE TABLE IF NOT EXISTS " + schema +
            "li_dbts (id INTEGER PRIMARY KEY CHECK (id = 1), value INTEGER NOT NULL)",
        "INSERT OR IGNORE INTO " + schema + "li_dbts (id, value) VALUES (1, 0)",
        create + quote("li_rv_ins:" + table) + " AFTER INSERT ON " + t + bump,
        create + quote("li_rv_upd:" + table) + " AFTER UPDATE ON " + t + " WHEN NEW." + c + " IS OLD." + c +
            bump,
    };
}

std::vector<std::string> DdlParser::create_table() {
    const bool ine = if_not_exists();
    const std::string table = name();
    const bool temp = is_temp(table);
    expect_punct("(");
    std::vector<ColumnDef> cols;
    std::vector<std::string> pk;
    std::vector<std::string> constraints;
    while (true) {
        std::string constraint_name;
        if (accept("CONSTRAINT")) constraint_name = "CONSTRAINT " + quote(name()) + " ";
        if (accept("PRIMARY")) {
            expect("KEY");
            if (!accept("CLUSTERED")) accept("NONCLUSTERED");
            pk = name_list();
            skip_storage_options();
        } else if (accept("UNIQUE")) {
            if (!accept("CLUSTERED")) accept("NONCLUSTERED");
            std::string list;
            for (const auto& c : name_list()) list += (list.empty() ? "" : ", ") + quote(c);
            skip_storage_options();
            constraints.push_back(constraint_name + "UNIQUE (" + list + ")");
        } else if (accept("FOREIGN")) {
            expect("KEY");
            std::string list;
            for (const auto& c : name_list()) list += (list.empty() ? "" : ", ") + quote(c);
            expect("REFERENCES");
            constraints.push_back(constraint_name + "FOREIGN KEY (" + list + ") " + references());
        } else if (accept("CHECK")) {
            constraints.push_back(constraint_name + "CHECK " + expression(group()));
        } else {
            if (!constraint_name.empty()) syntax_error_near(t_, p_);
            cols.emplace_back();
            column(cols.back(), pk);
        }
        if (at_punct(")")) break;
        expect_punct(",");
    }
    ++p_;  // what follows (ON [PRIMARY], WITH (...)) places storage and means nothing here
    const ColumnDef* identity = nullptr;
    for (const auto& c : cols)
        if (c.identity) {
            if (identity)
                throw Error(kErrProvider, "Multiple identity columns specified for table '" + table + "'.");
            identity = &c;
        }
    std::vector<std::string> defs;
    for (const auto& c : cols) {
        bool in_key = false;
        for (const auto& k : pk) in_key = in_key || iequals(k, c.name);
        defs.push_back(column_sql(c, in_key));
    }
    if (!pk.empty() && !(identity && pk.size() == 1 && iequals(pk[0], identity->name))) {
        std::string list;
        for (const auto& k : pk) list += (list.empty() ? "" : ", ") + quote(k);
        // SQLite allows one AUTOINCREMENT key: with an identity elsewhere the declared key stays unique.
        defs.push_back((identity ? "UNIQUE (" : "PRIMARY KEY (") + list + ")");
    }
    for (auto& c : constraints) defs.push_back(std::move(c));
    std::string sql = std::string("CREATE ") + (temp ? "TEMP " : "") + "TABLE " +
                      (ine ? "IF NOT EXISTS " : "") + quote(table) + " (\n    ";
    for (std::size_t i = 0; i < defs.size(); ++i) sql += (i ? ",\n    " : "") + defs[i];
    sql += "\n)";
    std::vector<std::string> out{sql};
    if (identity && identity->seed != 1) {
        const std::string seq = std::string(temp ? "temp." : "") + "sqlite_sequence";
        out.push_back("INSERT INTO " + seq + " (name, seq) SELECT " + sql_string(table) + ", " +
                      std::to_string(identity->seed - 1) + " WHERE NOT EXISTS (SELECT 1 FROM " + seq +
                      " WHERE name = " + sql_string(table) + ")");
    }
    for (const auto& c : cols)
        if (c.type.storage == Storage::RowVersion)
            for (auto& s : rowversion_triggers(table, temp, c.name, ine)) out.push_back(std::move(s));
    return out;
}

std::vector<std::string> DdlParser::create_index(bool unique) {
    const bool ine = if_not_exists();
    const std::string index = name();
    expect("ON");
    const std::string table = name();
    std::string list;
    for (const auto& c : name_list()) list += (list.empty() ? "" : ", ") + quote(c);
    std::string where;
    while (p_ < t_.size()) {
        if (accept("INCLUDE"))
            group();
        else if (accept("WITH"))
            group();
        else if (accept("ON"))
            name();
        else if (accept("WHERE")) {
            where = " WHERE " + expression(Toks(t_.begin() + static_cast<long>(p_), t_.end()));
            p_ = t_.size();
        } else
            syntax_error_near(t_, p_);
    }
    return {std::string("CREATE ") + (unique ? "UNIQUE " : "") + "INDEX " + (ine ? "IF NOT EXISTS " : "") +
            (is_temp(table) ? "temp." : "") + quote(index) + " ON " + quote(table) + " (" + list + ")" +
            where};
}

std::vector<std::string> DdlParser::create_view(bool replace) {
    const bool ine = if_not_exists();
    const std::string view = name();
    std::string cols;
    if (at_punct("(")) {
        for (const auto& c : name_list()) cols += (cols.empty() ? "" : ", ") + quote(c);
        cols = " (" + cols + ")";
    }
    expect("AS");
    const std::map<std::string, TypeInfo> none;
    const TranslateEnv env{catalog_, none};
    const Emitted select = translate_dml(Toks(t_.begin() + static_cast<long>(p_), t_.end()), env);
    if (!select.params.empty()) throw Error(kErrProvider, "A view cannot take parameters.");
    std::vector<std::string> out;
    if (replace) out.push_back("DROP VIEW IF EXISTS " + quote(view));
    out.push_back(std::string("CREATE VIEW ") + (ine ? "IF NOT EXISTS " : "") + quote(view) + cols + " AS " +
                  select.sql);
    return out;
}

std::vector<std::string> DdlParser::drop() {
    std::string what;
    if (accept("TABLE"))
        what = "TABLE";
    else if (accept("VIEW"))
        what = "VIEW";
    else if (accept("INDEX"))
        what = "INDEX";
    else
        syntax_error_near(t_, p_);
    bool if_exists = false;
    if (accept("IF")) {
        expect("EXISTS");
        if_exists = true;
    }
    std::vector<std::string> out;
    while (true) {
        std::string n = name();
        std::string schema = is_temp(n) ? "temp." : "";
        if (what == "INDEX" && accept("ON")) {
            if (is_temp(name())) schema = "temp.";
        }
        out.push_back("DROP " + what + (if_exists ? " IF EXISTS " : " ") + schema + quote(n));
        if (!at_punct(",")) break;
        ++p_;
    }
    if (p_ < t_.size() && !at_punct(";")) syntax_error_near(t_, p_);
    return out;
}

}  // namespace

std::vector<std::string> translate_ddl(const std::vector<Token>& toks, Catalog& catalog) {
    return DdlParser(toks, catalog).run();
}

}  // namespace ado::sqlite
