#include "database_option.h"

#include <cstdlib>

namespace cli {

std::filesystem::path database_path(const std::optional<std::string>& option) {
    if (option) return *option;
    const char* variable = std::getenv(kDatabaseVariable);
    if (variable != nullptr && *variable != '\0') return variable;
    return std::filesystem::current_path() / kDefaultDatabase;
}

}  // namespace cli
