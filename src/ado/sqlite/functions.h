#pragma once
// The collation and the SQL functions every connection registers, so that translated
// T-SQL finds what it relies on: case- and trailing-blank-insensitive text comparison,
// NEWID(), GETDATE(), IDENT_CURRENT, SCOPE_IDENTITY, OBJECT_ID, LEN/LEFT/RIGHT, conversions
// to the storage forms, and an exact SUM.
#include <string_view>

struct sqlite3;

namespace ado::sqlite {

// Name of the registered collation: SQL Server's default collation behaviour.
inline constexpr std::string_view kCollation = "CI_RTRIM";

// Registers everything on `db`; throws ado::Error on failure.
void register_functions(sqlite3* db);

}  // namespace ado::sqlite
