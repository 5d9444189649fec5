#pragma once
// `ledgerintake db init` and `ledgerintake db sql`.
#include <filesystem>
#include <string>

#include "console.h"

namespace cli {

// Creates the database and its schema when they are missing; never changes data.
// 0, or 74 when the file cannot be made a database.
int run_db_init(const std::filesystem::path& db, Console& console);

// Runs one statement text (T-SQL, through the module's engine and translation; "-" reads it
// from standard input) and prints the rows of its first result as CSV with a header line:
// values as text, Null as an empty field. 0; 64 without a statement; 74 when the database
// cannot be opened; 65 when the engine refuses the statement.
int run_db_sql(const std::filesystem::path& db, const std::string& statement, Console& console);

}  // namespace cli
