#pragma once
// Values that INSERT and UPDATE write to date, decimal and GUID columns, converted to the
// column's stored form whatever the caller's spelling ('2024-01-31' -> '20240131', 1.23456
// -> 1.2346 in a scale of 4, '{guid}' -> upper case without braces).
//
// A statement the translator does not fully recognise would store such values unconverted,
// so on a table that has such columns it is refused, naming the construct. Statements on
// other tables, and on tables the catalog does not know, pass unchanged.
#include <vector>

#include "ado/sqlite/tokenizer.h"
#include "ado/sqlite/type_info.h"

namespace ado::sqlite {

class Catalog;

// The tokens around a value that give it the stored form of `type` (date, GUID, decimal
// with its scale); false for the types whose values SQLite stores as they come.
bool stored_form_wrappers(const TypeInfo& type, std::vector<Token>& head, std::vector<Token>& tail);

// `t`: an INSERT INTO or UPDATE statement as translated so far. Throws ado::Error.
void convert_written_values(std::vector<Token>& t, Catalog& catalog);

}  // namespace ado::sqlite
