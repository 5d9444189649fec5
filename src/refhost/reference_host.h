#pragma once
// The reference host: the host contract implemented on the database that `db init`
// creates. It reads the company and the user once, when it is constructed; a front end
// hands global_services() and navigator() to the module object.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "host/global_services.h"
#include "host/navigator.h"
#include "refhost/host_error.h"
#include "refhost/host_ui.h"

namespace refhost {

struct HostOptions {
    std::filesystem::path database;
    std::int32_t company = 1;
    std::string user = "admin";
    // How long a statement of the module waits for a lock another program holds on the
    // books before it fails (milliseconds); nullopt: the engine's own default.
    std::optional<int> busy_timeout_ms{};
};

class ReferenceHost {
  public:
    // Throws ado::Error when the database cannot be opened or read (a missing file is not
    // created), refhost::HostError when the company is not in HOST_COMPANY or the user not
    // in HOST_USER, std::invalid_argument without a front end.
    // `statement_trace`: when set, every connection the host hands out appends its statements there.
    ReferenceHost(HostOptions options, std::shared_ptr<HostUi> ui,
                  std::filesystem::path statement_trace = {});

    std::shared_ptr<host::GlobalServices> global_services();
    // The navigator allows every close.
    std::shared_ptr<host::Navigator> navigator();

    const HostOptions& options() const { return options_; }
    const std::string& connection_string() const { return connection_string_; }

  private:
    HostOptions options_;
    std::string connection_string_;
    std::shared_ptr<host::GlobalServices> global_;
    std::shared_ptr<host::Navigator> navigator_;
};

}  // namespace refhost
