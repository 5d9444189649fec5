#pragma once
// Runs a plan with one batch's literal values: binds, steps, reads results, keeps the
// batch's variables and follows its IF branches.
#include <map>
#include <string>
#include <vector>

#include "ado/driver.h"
#include "ado/sqlite/plan.h"
#include "ado/sqlite/shape.h"

namespace ado::sqlite {

struct Session;

class PlanRunner {
  public:
    PlanRunner(Session& session, const std::vector<BoundValue>& literals)
        : s_(session), literals_(literals) {}
    void run(std::vector<PlanNode>& nodes);
    std::vector<ExecResult> take_results() { return std::move(results_); }

  private:
    void run_node(PlanNode& n);
    void run_sql(SqlStep& step);
    void prepare(SqlStep& step);
    void bind(SqlStep& step);
    BoundValue scalar(SqlStep& step);
    BoundValue assigned(PlanNode& n);

    Session& s_;
    const std::vector<BoundValue>& literals_;
    std::map<std::string, BoundValue> variables_;
    std::vector<ExecResult> results_;
};

}  // namespace ado::sqlite
