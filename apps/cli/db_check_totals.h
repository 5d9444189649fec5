#pragma once
// The check that the progressive totals (HOST_PROG_...) hold what a rebuild would write:
// each table's rows are computed again from the journal, as the reference host's rebuild
// computes them, by reading only, and compared row by row (keys under the books' collation,
// amounts exactly).
#include "db_check_outcome.h"

namespace ado {
class Connection;
}

namespace cli {

// Throws ado::Error when a table cannot be read.
CheckOutcome check_progressive_totals(ado::Connection& books);

}  // namespace cli
