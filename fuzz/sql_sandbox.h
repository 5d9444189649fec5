#pragma once
// What the SQL fuzz targets share: the books' schema held as a database image, and a
// sandbox that every SQLite connection of the process opens in. A connection opened on
// ":memory:" starts as a private copy of the schema, so each input runs on fresh books and
// nothing it creates, drops or writes outlives it; no connection may attach a file, and a
// statement that runs too long or builds a huge value is stopped by the engine.
#include <string>

struct sqlite3;

namespace fuzz {

// The schema `ledgerintake db init` installs, as the bytes of a database file. Built once,
// in a temporary folder that is removed again.
const std::string& schema_image();

// Registers the sandbox for every connection opened from now on. Call once, first.
void install_sql_sandbox();

// Gives the next input its full budget of engine steps.
void reset_step_budget();

// A connection of the sandbox on its own copy of the schema (the caller closes it).
sqlite3* open_schema_copy();

}  // namespace fuzz
