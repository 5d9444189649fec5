#pragma once
// SQLite's own check of a database file (PRAGMA integrity_check), which the T-SQL translator
// does not take: run on a read-only connection of its own with the engine's collation and
// functions, so that text indexes and CHECK constraints can be verified.
#include <filesystem>
#include <string>
#include <vector>

namespace ado::sqlite {

// The problems the check finds, at most `limit` (empty: the file is whole). Throws
// ado::Error when the file cannot be opened and read as a database, or when its text indexes
// are ordered by another version of the collation (they would all look out of order).
std::vector<std::string> integrity_problems(const std::filesystem::path& file, int limit = 100);

}  // namespace ado::sqlite
