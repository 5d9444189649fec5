#include "refhost/reference_host.h"

#include <stdexcept>

#include "ado/connection.h"
#include "refhost/database.h"
#include "refhost/host_components.h"
#include "refhost/host_globals.h"
#include "refhost/host_navigator.h"
#include "refhost/host_records.h"

namespace refhost {

ReferenceHost::ReferenceHost(HostOptions options, std::shared_ptr<HostUi> ui,
                             std::filesystem::path statement_trace)
    : options_(std::move(options)), connection_string_(refhost::connection_string(options_.database)) {
    if (options_.busy_timeout_ms)
        connection_string_ += ";Busy Timeout=" + std::to_string(*options_.busy_timeout_ms);
    if (!ui) throw std::invalid_argument("the reference host needs a front end (HostUi)");
    std::shared_ptr<const CompanyRecord> company;
    UserRecord user;
    {
        ado::Connection conn;
        conn.Open(connection_string_);
        company = std::make_shared<const CompanyRecord>(read_company(conn, options_.company));
        user = read_user(conn, options_.user);
    }
    auto components = std::make_shared<Components>(ui, connection_string_, std::move(statement_trace));
    global_ = std::make_shared<GlobalServices>(connection_string_, std::move(company), std::move(user), ui,
                                               std::move(components));
    navigator_ = std::make_shared<Navigator>();
}

std::shared_ptr<host::GlobalServices> ReferenceHost::global_services() {
    return global_;
}

std::shared_ptr<host::Navigator> ReferenceHost::navigator() {
    return navigator_;
}

}  // namespace refhost
