#include "ado/sqlite/batch.h"

#include <map>

#include "ado/error.h"
#include "ado/sqlite/ddl.h"
#include "ado/sqlite/parens.h"
#include "ado/sqlite/rewrite.h"

namespace ado::sqlite {
namespace {

using Toks = std::vector<Token>;

// IF and BEGIN levels a batch may nest. The server's batches nest a handful; each level
// costs a few frames of recursion here and when the plan runs.
constexpr int kMaxNesting = 128;

constexpr std::string_view kStarters[] = {"INSERT", "UPDATE", "DELETE",   "DECLARE", "IF",       "BEGIN",
                                          "END",    "CREATE", "DROP",     "ALTER",   "TRUNCATE", "GO",
                                          "ELSE",   "COMMIT", "ROLLBACK", "SAVE",    "EXEC",     "EXECUTE",
                                          "PRINT",  "RETURN", "WHILE",    "MERGE",   "USE"};

bool is_starter(const Token& t) {
    return is_one_of(t, kStarters);
}

bool is_compound(const Token& t) {
    return t.is_word("UNION") || t.is_word("EXCEPT") || t.is_word("INTERSECT") || t.is_word("ALL");
}

class PlanBuilder {
  public:
    PlanBuilder(const Toks& t, Catalog& catalog, bool updatable)
        : t_(t), catalog_(catalog), updatable_(updatable) {}

    Plan build() {
        // Unbalanced parentheses end here, before the batch is split at depth 0.
        const Parens balanced(t_);
        Plan plan;
        plan.nodes = block(false);
        plan.has_ddl = has_ddl_;
        if (updatable_ && (plan.nodes.size() != 1 || plan.nodes[0].kind != PlanNode::Kind::Sql ||
                           !plan.nodes[0].step.updatable))
            throw Error(kErrProvider, "An updatable record set needs a single SELECT statement.");
        return plan;
    }

  private:
    std::vector<PlanNode> block(bool until_end) {
        std::vector<PlanNode> out;
        while (true) {
            while (p_ < t_.size() && (t_[p_].is_punct(";") || t_[p_].is_word("GO"))) ++p_;
            if (p_ >= t_.size()) {
                if (until_end) syntax_error_near(t_, p_);
                return out;
            }
            if (t_[p_].is_word("END")) {
                if (!until_end) syntax_error_near(t_, p_);
                ++p_;
                return out;
            }
            out.push_back(statement());
        }
    }

    // One more IF or BEGIN level while it lives; refused beyond kMaxNesting, before the
    // recursion (planning, running and freeing a plan) could exhaust the stack.
    class Nesting {
      public:
        explicit Nesting(int& depth) : depth_(depth) {
            if (++depth_ > kMaxNesting) {
                --depth_;
                throw Error(kErrProvider, "The batch nests IF/BEGIN blocks deeper than " +
                                              std::to_string(kMaxNesting) +
                                              " levels; the embedded engine allows at most " +
                                              std::to_string(kMaxNesting) + ".");
            }
        }
        ~Nesting() { --depth_; }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;

      private:
        int& depth_;
    };

    PlanNode statement() {
        const Token& t = t_[p_];
        if (t.is_word("IF")) {
            const Nesting level(depth_);
            return if_node();
        }
        if (t.is_word("BEGIN")) {
            if (p_ + 1 < t_.size() && (t_[p_ + 1].is_word("TRAN") || t_[p_ + 1].is_word("TRANSACTION")))
                unsupported("transactions in statement text (use the connection's BeginTrans)");
            const Nesting level(depth_);
            ++p_;
            PlanNode n;
            n.kind = PlanNode::Kind::Block;
            n.body = block(true);
            return n;
        }
        if (t.is_word("DECLARE")) return declare();
        if (t.is_word("SET")) return set();
        if (t.is_word("SELECT") || t.is_word("INSERT") || t.is_word("UPDATE") || t.is_word("DELETE"))
            return dml();
        if (t.is_word("CREATE") || t.is_word("DROP") || t.is_word("ALTER") || t.is_word("TRUNCATE"))
            return ddl();
        if (t.is_word("COMMIT") || t.is_word("ROLLBACK") || t.is_word("SAVE"))
            unsupported("transactions in statement text (use the connection's CommitTrans/RollbackTrans)");
        if (is_starter(t)) unsupported(std::string(t.text) + " statements");
        syntax_error_near(t_, p_);
    }

    // Index just past the statement that starts at `start`.
    std::size_t statement_end(std::size_t start) const {
        const bool is_update = t_[start].is_word("UPDATE");
        const bool is_insert = t_[start].is_word("INSERT");
        bool set_seen = false;
        bool values_seen = false;
        int depth = 0;
        int cases = 0;
        for (std::size_t i = start + 1; i < t_.size(); ++i) {
            const Token& t = t_[i];
            if (t.is_punct("(")) ++depth;
            if (t.is_punct(")")) --depth;
            if (depth > 0) continue;
            if (t.is_punct(";")) return i;
            if (t.kind != TokKind::Word) continue;
            if (cases > 0 && (t.is_word("WHEN") || t.is_word("THEN") || t.is_word("ELSE"))) continue;
            if (t.is_word("CASE")) {
                ++cases;
            } else if (t.is_word("END") && cases > 0) {
                --cases;
            } else if (t.is_word("VALUES")) {
                values_seen = true;
            } else if (t.is_word("SET")) {
                if (!(is_update && !set_seen)) return i;
                set_seen = true;
            } else if (t.is_word("SELECT")) {
                const Token& prev = t_[i - 1];
                if (!(is_compound(prev) || prev.is_word("AS") || (is_insert && !values_seen))) return i;
            } else if ((t.is_word("EXEC") || t.is_word("EXECUTE")) && is_insert && !values_seen) {
                // INSERT ... EXEC: one statement, refused whole by the translator
            } else if (t.is_word("WITH")) {
                if (!(i + 1 < t_.size() && t_[i + 1].is_punct("("))) return i;
            } else if (t.is_word("IF") && (t_[i - 1].is_word("TABLE") || t_[i - 1].is_word("INDEX") ||
                                           t_[i - 1].is_word("VIEW") || t_[i - 1].is_word("TRIGGER"))) {
                // CREATE TABLE IF NOT EXISTS, DROP TABLE IF EXISTS
            } else if (is_starter(t)) {
                return i;
            }
        }
        return t_.size();
    }

    Toks take_statement() {
        const std::size_t end = statement_end(p_);
        Toks out(t_.begin() + static_cast<long>(p_), t_.begin() + static_cast<long>(end));
        p_ = end;
        return out;
    }

    SqlStep translated(Toks toks, bool updatable = false) {
        SqlStep step;
        step.changes_rows =
            toks[0].is_word("INSERT") || toks[0].is_word("UPDATE") || toks[0].is_word("DELETE");
        step.updatable = updatable;
        const TranslateEnv env{catalog_, variables_};
        Emitted e = translate_dml(std::move(toks), env, updatable, &step.result_types);
        step.sql.push_back(std::move(e.sql));
        step.params = std::move(e.params);
        return step;
    }

    // SELECT <expr>: the value of a SET or the truth of an IF.
    SqlStep value_query(const Toks& expr, bool condition) {
        Toks q{raw("SELECT")};
        if (condition) q.insert(q.end(), {raw("CASE"), raw("WHEN")});
        q.insert(q.end(), expr.begin(), expr.end());
        if (condition) q.insert(q.end(), {raw("THEN"), raw("1"), raw("ELSE"), raw("0"), raw("END")});
        return translated(std::move(q));
    }

    PlanNode dml() {
        PlanNode n;
        n.kind = PlanNode::Kind::Sql;
        const bool select = t_[p_].is_word("SELECT");
        n.step = translated(take_statement(), updatable_ && select);
        return n;
    }

    PlanNode ddl() {
        PlanNode n;
        n.kind = PlanNode::Kind::Sql;
        n.step.ddl = true;
        n.step.sql = translate_ddl(take_statement(), catalog_);
        has_ddl_ = true;
        return n;
    }

    PlanNode if_node() {
        const std::size_t end = statement_end(p_);
        const Toks cond(t_.begin() + static_cast<long>(p_ + 1), t_.begin() + static_cast<long>(end));
        if (cond.empty()) syntax_error_near(t_, p_);
        p_ = end;
        PlanNode n;
        n.kind = PlanNode::Kind::If;
        n.step = value_query(cond, true);
        if (p_ >= t_.size()) syntax_error_near(t_, p_);
        n.body.push_back(statement());
        if (p_ < t_.size() && t_[p_].is_word("ELSE")) {
            ++p_;
            if (p_ >= t_.size()) syntax_error_near(t_, p_);
            n.otherwise.push_back(statement());
        }
        return n;
    }

    // DECLARE @a [AS] type [= value] [, @b ...]
    PlanNode declare() {
        const Toks toks = take_statement();
        PlanNode block;
        block.kind = PlanNode::Kind::Block;
        if (toks.size() < 2) syntax_error_near(toks, 0);
        std::size_t i = 1;
        while (i < toks.size()) {
            if (toks[i].kind != TokKind::Variable) syntax_error_near(toks, i);
            const std::string name = upper(toks[i].text);
            ++i;
            if (i < toks.size() && toks[i].is_word("AS")) ++i;
            if (i >= toks.size() || toks[i].kind != TokKind::Word) syntax_error_near(toks, i);
            if (toks[i].is_word("TABLE") || toks[i].is_word("CURSOR"))
                unsupported("table and cursor variables");
            const std::string_view type_name = toks[i++].text;
            std::vector<std::string> args;
            if (i < toks.size() && toks[i].is_punct("(")) {
                const std::size_t close = Parens(toks).partner(i);
                args = type_arguments(toks, i, close);
                i = close + 1;
            }
            variables_[name] = tsql_type(type_name, args);
            PlanNode d;
            d.kind = PlanNode::Kind::Declare;
            d.variable = name;
            block.body.push_back(std::move(d));
            if (i < toks.size() && toks[i].is_punct("=")) {
                std::size_t end = i + 1;
                int depth = 0;
                for (; end < toks.size(); ++end) {
                    if (toks[end].is_punct("(")) ++depth;
                    if (toks[end].is_punct(")")) --depth;
                    if (depth == 0 && toks[end].is_punct(",")) break;
                }
                block.body.push_back(assignment(name, Toks(toks.begin() + static_cast<long>(i + 1),
                                                           toks.begin() + static_cast<long>(end))));
                i = end;
            }
            if (i < toks.size()) {
                if (!toks[i].is_punct(",")) syntax_error_near(toks, i);
                ++i;
            }
        }
        return block;
    }

    PlanNode assignment(const std::string& name, const Toks& expr) {
        if (expr.empty()) syntax_error_near(t_, p_);
        PlanNode n;
        n.kind = PlanNode::Kind::Set;
        n.variable = name;
        n.declared = sql_type_of(variables_.at(name));
        const auto literal_type = [](const Token& k) {
            return k.kind == TokKind::Number ? number_literal_type(k.text) : string_literal_type(k.text);
        };
        if (expr.size() == 1 && expr[0].lifted()) {
            n.literal = expr[0].literal;
            n.value_type = literal_type(expr[0]);
        } else if (expr.size() == 2 && expr[0].is_punct("-") && expr[1].kind == TokKind::Number &&
                   expr[1].lifted()) {
            n.literal = expr[1].literal;
            n.value_type = literal_type(expr[1]);
            n.negate = true;
        } else if (expr.size() == 1 && expr[0].is_word("NULL")) {
            n.set_null = true;
        } else {
            n.from_query = true;
            n.step = value_query(expr, false);
        }
        return n;
    }

    // SET @v = value; SET options (NOCOUNT ...) have no meaning here.
    PlanNode set() {
        const Toks toks = take_statement();
        if (toks.size() < 2 || toks[1].kind != TokKind::Variable) return PlanNode{};
        const std::string name = upper(toks[1].text);
        if (!variables_.count(name))
            throw Error(kErrProvider,
                        "Must declare the scalar variable \"" + std::string(toks[1].text) + "\".");
        if (toks.size() < 3 || !toks[2].is_punct("=")) unsupported("compound assignment of variables");
        return assignment(name, Toks(toks.begin() + 3, toks.end()));
    }

    const Toks& t_;
    Catalog& catalog_;
    bool updatable_;
    bool has_ddl_ = false;
    std::size_t p_ = 0;
    int depth_ = 0;  // IF and BEGIN levels open
    std::map<std::string, TypeInfo> variables_;
};

}  // namespace

Plan build_plan(const Shape& shape, Catalog& catalog, bool updatable) {
    return PlanBuilder(shape.tokens, catalog, updatable).build();
}

}  // namespace ado::sqlite
