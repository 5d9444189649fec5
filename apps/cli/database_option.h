#pragma once
// The database a command works on: --db, else $LEDGERINTAKE_DB, else ledgerintake.db in
// the current folder.
#include <filesystem>
#include <optional>
#include <string>

namespace cli {

inline constexpr const char* kDatabaseVariable = "LEDGERINTAKE_DB";
inline constexpr const char* kDefaultDatabase = "ledgerintake.db";

std::filesystem::path database_path(const std::optional<std::string>& option);

}  // namespace cli
