#pragma once
// The state the module's windows and procedures share (one per module object, no globals):
// the module-wide state (host log object, module connection and its connection string, host
// date object, company context) and the error routine VisualizzaErrore that every trapped
// procedure reports to.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "ado/recordset.h"
#include "ado/variant.h"
#include "host/cinterface.h"
#include "host/global_services.h"
#include "modulebase/error_trap.h"
#include "modulebase/trace.h"

namespace ado {
class Connection;
}
namespace host {
class LogObject;
class DateObject;
}  // namespace host

namespace module {

class Ui;

// Company context read at the window's first activation.
struct CompanyContext {
    std::int32_t company_code = 0;
    std::int16_t chart_of_accounts_group = 0;
    std::int16_t second_setting = 0;  // kept, not used
    std::string customer_account;
    std::string supplier_account;
};

struct ModuleState {
    std::shared_ptr<host::LogObject> log;  // absent until the import window has loaded
    std::shared_ptr<ado::Connection> connection;
    std::string connection_string;
    std::shared_ptr<host::DateObject> date_object;
    CompanyContext company;
};

inline constexpr const char* kLogNotSetMessage = "Classe Log non settata";
inline constexpr const char* kLogNotSetTitle = "Attenzione";

class ModuleContext final : public ErrorReporter {
  public:
    ModuleContext(host::Cinterface& module_object, std::shared_ptr<const host::Application> application,
                  std::shared_ptr<TraceSink> trace, GuidSource guid_source = random_guid);
    ModuleContext(const ModuleContext&) = delete;
    ModuleContext& operator=(const ModuleContext&) = delete;

    host::Cinterface& module_object() const noexcept { return module_object_; }
    const std::shared_ptr<const host::Application>& application() const noexcept { return application_; }
    const std::shared_ptr<TraceSink>& trace_sink() const noexcept { return trace_; }
    const GuidSource& guid_source() const noexcept { return guid_source_; }
    Ui* ui() const noexcept { return ui_.get(); }

    // Called with every import log read back when a step closes it (errors or not), lent
    // until the call returns: how a front end keeps the log after its table is gone.
    using LogHook = std::function<void(const ado::RecordsetPtr& rows)>;
    const LogHook& log_hook() const noexcept { return log_hook_; }
    void set_log_hook(LogHook hook) noexcept { log_hook_ = std::move(hook); }
    void set_ui(std::shared_ptr<Ui> ui) noexcept { ui_ = std::move(ui); }

    ModuleState& state() noexcept { return state_; }
    const ModuleState& state() const noexcept { return state_; }

    // Without a log object: "Classe Log non settata" through ClsGlobal's message service, and
    // abort. Otherwise the log object gets the error and the module connection's provider
    // errors, shows them with abort/retry/ignore (4370) and its answer is returned.
    std::int32_t VisualizzaErrore(const host::ErrorInfo& error, std::string_view procedure) noexcept override;

    // FormattaDataSQL with the module's host date object.
    std::string FormattaDataSQL(const ado::Variant& value) const noexcept;

  private:
    host::Cinterface& module_object_;
    std::shared_ptr<const host::Application> application_;
    std::shared_ptr<TraceSink> trace_;
    GuidSource guid_source_;
    std::shared_ptr<Ui> ui_;
    LogHook log_hook_;
    ModuleState state_;
};

}  // namespace module
