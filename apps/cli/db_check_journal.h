#pragma once
// The consistency checks of the journal that `ledgerintake db check` runs on the books: each
// reads only, through the module's engine, and returns what it found. They throw ado::Error
// when a table cannot be read.
#include <filesystem>

#include "db_check_outcome.h"

namespace ado {
class Connection;
}

namespace cli {

// Every entry (CG41_PRIMANOTA) has its master document (CO99_MASTERDOC) and at least one
// account row (CG42_MOVCONT); every account and VAT row (CG43_MOVIVA) has its entry.
CheckOutcome check_entries_whole(ado::Connection& books);

// The account rows of each entry balance: the debits add up to the credits.
CheckOutcome check_entries_balanced(ado::Connection& books);

// Registration numbers are unique per company in CG41_PRIMANOTA and CO99_MASTERDOC, and a
// member's entry was taken over at most once (IE43_DETTIMPCOGE).
CheckOutcome check_numbers_unique(ado::Connection& books);

// The numbering store beside the database (`db` + ".numbers") is not behind the books: each
// of its counters of registration numbers, customer and supplier codes has handed out at
// least the highest number the books use. No store: nothing to check (counters then start
// from the books).
CheckOutcome check_numbering_store(ado::Connection& books, const std::filesystem::path& db);

}  // namespace cli
