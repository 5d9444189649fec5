#pragma once
// The schema scripts (src/refhost/schema), compiled into the library at build time.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace refhost {

struct SchemaScript {
    std::string_view name;  // "ledger.sql", "host.sql"
    std::string_view text;  // T-SQL, statements separated by lines holding only GO
};

// In the order they run: the books first, then the host's own tables.
const std::vector<SchemaScript>& schema_scripts();

// The statements of a script: the text between lines that hold only "GO" (blanks and case
// aside). Parts holding nothing but blanks and "--" comments are left out.
std::vector<std::string> split_batches(std::string_view script);

// The table or view a "CREATE TABLE name" / "CREATE VIEW name" statement defines.
std::optional<std::string> created_object(std::string_view statement);

}  // namespace refhost
