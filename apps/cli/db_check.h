#pragma once
// `ledgerintake db check`: SQLite's integrity check of the database file, then the
// consistency checks of the books (db_check_journal.h, db_check_totals.h), each told as
// "ok" or "FAILED: n problem(s)" with the first problems found.
#include <filesystem>

#include "console.h"

namespace cli {

// The exit status when the database was read and a check failed.
inline constexpr int kExitChecksFailed = 1;

// Opens the database read-only and changes nothing. 0 when every check passes; 1 when any
// fails (or cannot run to its end); 74 when the database is missing, is no database of
// ours, or cannot be opened. With `json`, standard output holds one JSON object.
int run_db_check(const std::filesystem::path& db, bool json, Console& console);

}  // namespace cli
