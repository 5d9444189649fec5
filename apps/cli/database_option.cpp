#include "database_option.h"

#include <unistd.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <system_error>

namespace cli {

namespace fs = std::filesystem;

namespace {

// The folder a database file lives in (the current folder for a bare name).
fs::path folder_of(const fs::path& db) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(db, ec);
    const fs::path folder = (ec ? db : absolute).parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

bool writable(const fs::path& path) {
    return ::access(path.c_str(), W_OK) == 0;
}

}  // namespace

std::filesystem::path database_path(const std::optional<std::string>& option) {
    if (option) return *option;
    const char* variable = std::getenv(kDatabaseVariable);
    if (variable != nullptr && *variable != '\0') return variable;
    return std::filesystem::current_path() / kDefaultDatabase;
}

bool holds_a_database(const fs::path& db) {
    static constexpr char kHeader[] = "SQLite format 3";  // with its NUL: 16 bytes
    std::error_code ec;
    if (!fs::is_regular_file(db, ec)) return false;
    std::ifstream in(db, std::ios::binary);
    if (!in) return false;
    std::array<char, sizeof kHeader> start{};
    in.read(start.data(), start.size());
    if (in.gcount() == 0 && in.eof()) return true;
    return in.gcount() == static_cast<std::streamsize>(start.size()) &&
           std::memcmp(start.data(), kHeader, start.size()) == 0;
}

std::optional<std::string> read_only_problem(const fs::path& db) {
    std::error_code ec;
    if (!fs::is_regular_file(db, ec)) return std::nullopt;
    const std::string start = "the database " + db.string() + " is read-only: ";
    if (!writable(db)) return start + "this user cannot write the file (make it writable, or work on a copy)";
    const fs::path folder = folder_of(db);
    if (!writable(folder))
        return start + "this user cannot write its folder " + folder.string() +
               ", where the database keeps its journal and the import its store of numbers (make the folder "
               "writable, or work on a copy in another folder)";
    return std::nullopt;
}

std::optional<std::string> setup_problem(const fs::path& db) {
    std::error_code ec;
    if (fs::exists(fs::symlink_status(db, ec))) {
        if (!holds_a_database(db)) return std::nullopt;
        return read_only_problem(db);
    }
    const fs::path folder = folder_of(db);
    if (!fs::is_directory(folder, ec))
        return "cannot create the database " + db.string() + ": the folder " + folder.string() +
               " does not exist";
    if (!writable(folder))
        return "cannot create the database " + db.string() + ": this user cannot write the folder " +
               folder.string();
    return std::nullopt;
}

}  // namespace cli
