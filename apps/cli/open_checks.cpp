#include "open_checks.h"

#include <unistd.h>

#include "database_option.h"
#include "refhost/database.h"

namespace cli {

std::string no_schema_problem(const std::string& name) {
    return "the database " + name +
           " has no ledgerintake tables, or those of an older version: run `ledgerintake db init --db " +
           name + "`";
}

std::string unreadable_text(const std::filesystem::path& db) {
    const std::string reason = refhost::unreadable_reason(db);
    return ": not a readable database" + (reason.empty() ? std::string() : " (" + reason + ")");
}

std::optional<std::string> database_problem(const std::filesystem::path& db) {
    const std::string name = db.string();
    // Told first: a read-only database in a read-only folder cannot even be opened to be checked.
    if (holds_a_database(db))
        if (auto read_only = read_only_problem(db)) return read_only;
    switch (refhost::check_database(db)) {
        case refhost::DatabaseState::Ready:
            break;
        case refhost::DatabaseState::Missing:
            return "no database at " + name + ": create it with `ledgerintake db init --db " + name + "`";
        case refhost::DatabaseState::NoSchema:
            return no_schema_problem(name);
        case refhost::DatabaseState::Unreadable:
            return "cannot read the database " + name + ": it is not a database or cannot be opened";
    }
    if (::access(db.c_str(), W_OK) != 0) return "the database " + name + " is read-only";
    return std::nullopt;
}

}  // namespace cli
