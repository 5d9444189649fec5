#pragma once
// Keeps the import log of every import a front end runs (HOST_IMPORT_LOG, see
// docs/database.md): it listens to the module's log hook for as long as it lives and
// hands what it hears to a refhost::KeptLog on a connection of its own. Keeping the log
// never stops an import: a failure is remembered and told once.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace ado {
class Connection;
}
namespace module {
class ModuleObject;
}
namespace refhost {
class KeptLog;
}

namespace cli {

class LogKeeper {
  public:
    LogKeeper(const std::filesystem::path& database, module::ModuleObject& object);
    ~LogKeeper();
    LogKeeper(const LogKeeper&) = delete;
    LogKeeper& operator=(const LogKeeper&) = delete;

    // The import header is still there (the import deletes one that received no entry).
    bool header_exists(std::int32_t import_id) const;

    // Why the log could not be kept ("" when it was, or when there was nothing to keep).
    const std::string& problem() const { return problem_; }

  private:
    module::ModuleObject& object_;
    std::shared_ptr<ado::Connection> connection_;
    std::unique_ptr<refhost::KeptLog> kept_;
    std::string problem_;
};

}  // namespace cli
