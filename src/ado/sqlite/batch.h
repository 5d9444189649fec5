#pragma once
// Splits a T-SQL batch into its statements (newlines, no ";" needed) and builds the plan:
// DECLARE/SET and IF/BEGIN/END become plan nodes, every other statement is translated.
#include "ado/sqlite/plan.h"
#include "ado/sqlite/shape.h"

namespace ado::sqlite {

class Catalog;

// `updatable`: the batch must be one SELECT on one table (an updatable record set).
// Throws ado::Error for text the engine cannot run.
Plan build_plan(const Shape& shape, Catalog& catalog, bool updatable);

}  // namespace ado::sqlite
