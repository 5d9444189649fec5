#pragma once
// The database a command works on: --db, else $LEDGERINTAKE_DB, else ledgerintake.db in
// the current folder; and whether this process can write it.
#include <filesystem>
#include <optional>
#include <string>

namespace cli {

inline constexpr const char* kDatabaseVariable = "LEDGERINTAKE_DB";
inline constexpr const char* kDefaultDatabase = "ledgerintake.db";

std::filesystem::path database_path(const std::optional<std::string>& option);

// True when the file holds a database: it starts with the SQLite header, or is empty (an
// empty file is a database without tables). A file that cannot be read is not one.
bool holds_a_database(const std::filesystem::path& db);

// Why an existing database cannot be written by this process, in the words the commands
// print ("the database PATH is read-only: ..."): the file cannot be written, or its folder
// cannot, where the engine keeps the database's journal and the import its store of numbers.
// nullopt when both can be written, or when there is no file at `db`.
std::optional<std::string> read_only_problem(const std::filesystem::path& db);

// Why `db init` cannot make or update the database at `db`: a database it cannot write, a
// folder that is not there or cannot be written for a new one. nullopt when it may try (a
// file that is no database is left to the installer, which says so).
std::optional<std::string> setup_problem(const std::filesystem::path& db);

}  // namespace cli
