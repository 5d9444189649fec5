#pragma once
// What a front end checks before it opens the import window: the database it names, and a
// file path the import history could not record. Shared by the command line and the
// desktop front end so both refuse the same things in the same words.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace cli {

inline constexpr const char* kQuoteRefusal =
    "the file path holds a single quote ('), which the import history cannot record: rename the file or its "
    "folder and import it again";

// The import history stores the file name verbatim, so a path with a quote cannot be imported.
inline bool path_has_quote(std::string_view path) {
    return path.find('\'') != std::string_view::npos;
}

// A database without the schema, or with an older version of it: what to run.
std::string no_schema_problem(const std::string& name);

// ": not a readable database", with the engine's reason when it gives one.
std::string unreadable_text(const std::filesystem::path& db);

// Why the database cannot take an import (missing, without the schema, unreadable,
// read-only); nullopt when it can.
std::optional<std::string> database_problem(const std::filesystem::path& db);

}  // namespace cli
