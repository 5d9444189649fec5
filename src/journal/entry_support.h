#pragma once
// What the writers of an entry's header and rows share: required elements of the file, the customer/supplier
// map, padded codes and new GUIDs.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ado/recordset.h"
#include "ado/variant.h"
#include "importfile/import_document.h"
#include "importfile/window_context.h"

namespace ado {
class Connection;
}
namespace importfile {
class ImportWindowContext;
struct ImportState;
}  // namespace importfile

namespace journal {

using importfile::module_connection;

// The text of a child element the import cannot do without; a missing one fails with a
// message that names the element and `where` it was expected.
std::string required_text(const importfile::Node& element, std::string_view name, std::string_view where);

// A 16-bit integer read from an element's trimmed text; `fallback` when the element is
// missing, blank or not a number.
std::int16_t integer_or(const importfile::Node& element, std::string_view name,
                        std::int16_t fallback) noexcept;

// The group company's customer or supplier for a member's code, through the window's
// customer/supplier map (TIPOCF, CF_SORGENTE -> CLIFOR, 0 when null): a 32-bit integer, or
// Null when the type is -1, the code is missing or blank, or the map has no row for it. A
// code that is not a number fails as the map's filter would.
ado::Variant group_customer_supplier(importfile::ImportState& state, std::int16_t type,
                                     const std::optional<std::string>& member_code);

// Assigns `value`, then the field's own value padded to `width` (StringaFissa): a value
// longer than its column is refused by the column, never cut short.
void assign_padded(ado::Field field, const std::string& value, std::int16_t width);

// Null for a field that admits it and is not Null yet; otherwise the field is left alone.
void clear_if_nullable(ado::Field field);

// The first column of "SELECT NEWID()" on the connection.
ado::Variant new_guid(ado::Connection& connection);

// Saves the pending row of `record` with errors suppressed: true when saved; otherwise
// `description` receives the provider's words.
bool save_row(ado::Recordset& record, std::string& description) noexcept;

// Deletes every row of an updatable record set, one after the other.
void delete_rows(ado::Recordset& record);

}  // namespace journal
