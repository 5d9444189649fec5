#include "ado/sqlite/runner.h"

#include <sqlite3.h>

#include "ado/sqlite/result_set.h"
#include "ado/sqlite/session.h"
#include "ado/sqlite/sql_eval.h"
#include "ado/sqlite/values.h"

namespace ado::sqlite {
namespace {

BoundValue negated(BoundValue v) {
    if (v.kind == BoundValue::Kind::Int) v.i = -v.i;
    if (v.kind == BoundValue::Kind::Real) v.r = -v.r;
    return v;
}

bool truthy(const BoundValue& v) {
    return (v.kind == BoundValue::Kind::Int && v.i != 0) || (v.kind == BoundValue::Kind::Real && v.r != 0);
}

}  // namespace

// The value a SET or DECLARE ... = gives: numbers and dates take the variable's declared
// type, as the server converts them; texts keep their whole value (the module relies on it).
BoundValue PlanRunner::assigned(PlanNode& n) {
    if (n.set_null) return BoundValue::null();
    BoundValue v;
    SqlType from = n.value_type;
    if (n.from_query) {
        v = scalar(n.step);
        from = n.step.result_types.empty() ? SqlType() : n.step.result_types[0];
    } else {
        v = n.negate ? negated(literals_.at(static_cast<std::size_t>(n.literal)))
                     : literals_.at(static_cast<std::size_t>(n.literal));
    }
    if (v.kind == BoundValue::Kind::Null || !(n.declared.is_numeric() || n.declared.is_date())) return v;
    if (!from.known() || from.base == SqlBase::Null) {
        // Judged by the value: an exact number or a text.
        from = v.kind == BoundValue::Kind::Int    ? SqlType::of(SqlBase::BigInt)
               : v.kind == BoundValue::Kind::Real ? SqlType::decimal(38, 10)
                                                  : SqlType::of(SqlBase::NVarChar);
    }
    return convert(v, from, n.declared);
}

void PlanRunner::run(std::vector<PlanNode>& nodes) {
    for (auto& n : nodes) run_node(n);
}

void PlanRunner::run_node(PlanNode& n) {
    switch (n.kind) {
        case PlanNode::Kind::Nothing:
            return;
        case PlanNode::Kind::Sql:
            return run_sql(n.step);
        case PlanNode::Kind::Declare:
            variables_[n.variable] = BoundValue::null();
            return;
        case PlanNode::Kind::Set:
            variables_[n.variable] = assigned(n);
            return;
        case PlanNode::Kind::If:
            return run(truthy(scalar(n.step)) ? n.body : n.otherwise);
        case PlanNode::Kind::Block:
            return run(n.body);
    }
}

void PlanRunner::prepare(SqlStep& step) {
    if (step.stmt) return;
    // SQLite refuses a statement with more parameters than its limit ("too many SQL
    // variables"); say what the limit is and where the count comes from.
    const auto limit = static_cast<std::size_t>(sqlite3_limit(s_.handle(), SQLITE_LIMIT_VARIABLE_NUMBER, -1));
    if (step.params.size() > limit)
        throw Error(kErrProvider, "The statement holds " + std::to_string(step.params.size()) +
                                      " literal values and variables; the embedded engine binds at most " +
                                      std::to_string(limit) + " in one statement.");
    StmtHandle stmt = sqlite::prepare(s_.handle(), step.sql.at(0));
    if (static_cast<std::size_t>(sqlite3_bind_parameter_count(stmt.get())) != step.params.size())
        throw Error(kErrProvider,
                    "The embedded engine translated a statement whose parameters it cannot bind.");
    step.columns = describe_columns(stmt.get(), s_.catalog, step.updatable);
    apply_result_types(step.columns, step.result_types);
    step.stmt = std::move(stmt);
}

void PlanRunner::bind(SqlStep& step) {
    static const BoundValue kNull;
    for (std::size_t i = 0; i < step.params.size(); ++i) {
        const ParamSlot& p = step.params[i];
        const BoundValue* v = &kNull;
        if (p.literal >= 0) {
            v = &literals_.at(static_cast<std::size_t>(p.literal));
        } else if (!p.variable.empty()) {
            const auto it = variables_.find(p.variable);
            if (it != variables_.end()) v = &it->second;
        }
        bind_value(step.stmt.get(), static_cast<int>(i + 1), *v);
    }
}

void PlanRunner::run_sql(SqlStep& step) {
    if (step.ddl) {
        for (const auto& piece : step.sql) exec(s_.handle(), piece);
        return;
    }
    prepare(step);
    sqlite3_stmt* st = step.stmt.get();
    ResetOnExit reset(st);
    bind(step);
    if (sqlite3_column_count(st) > 0) {
        results_.push_back(ExecResult{read_rows(st, step.columns, step.updatable), -1});
        return;
    }
    const int rc = sqlite3_step(st);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) throw to_exception(engine_error(s_.handle(), rc));
    if (step.changes_rows)
        results_.push_back(ExecResult{std::nullopt, static_cast<long>(sqlite3_changes64(s_.handle()))});
}

BoundValue PlanRunner::scalar(SqlStep& step) {
    prepare(step);
    sqlite3_stmt* st = step.stmt.get();
    ResetOnExit reset(st);
    bind(step);
    const int rc = sqlite3_step(st);
    if (rc == SQLITE_ROW) return column_value(st, 0);
    if (rc != SQLITE_DONE) throw to_exception(engine_error(s_.handle(), rc));
    return BoundValue::null();
}

}  // namespace ado::sqlite
