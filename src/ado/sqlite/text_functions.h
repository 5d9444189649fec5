#pragma once
// The text functions whose meaning depends on the collation, registered over SQLite's own:
// LIKE (with and without ESCAPE) with the server's patterns, UPPER and LOWER beyond ASCII,
// REPLACE matching without regard to case. The translator leaves these calls as written.
struct sqlite3;

namespace ado::sqlite {

// Registers like/2, like/3, upper, lower and replace on `db`; throws ado::Error on failure
// (also when the collation cannot be had).
void register_text_functions(sqlite3* db);

}  // namespace ado::sqlite
