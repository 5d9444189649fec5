#pragma once
// Indexes on text are ordered by the collation; a database indexed under another order (an
// older engine, another ICU version) would give wrong answers through them. Each database
// records the collation version it is ordered by (table li_collation) and is reindexed once,
// in one transaction, when a writable connection finds another one.
#include <string>

struct sqlite3;

namespace ado::sqlite {

// `writable`: the connection may write the file. Throws ado::Error naming `path` when a
// read-only connection meets a database ordered otherwise, or when the reindex fails (two
// keys of a unique index equal under the new order).
void keep_collation_order(sqlite3* db, bool writable, const std::string& path);

}  // namespace ado::sqlite
