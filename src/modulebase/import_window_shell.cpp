#include "modulebase/import_window_shell.h"

#include "ado/connection.h"
#include "host/log_object.h"
#include "host/navigator.h"
#include "host/objects.h"
#include "host/services.h"
#include "modulebase/error_trap.h"
#include "modulebase/host_access.h"
#include "modulebase/module_context.h"
#include "modulebase/routines.h"

namespace module {

namespace {

// A number the host may not have: 0 when missing (Empty or Null), else converted.
std::int32_t long_or_zero(const ado::Variant& v) {
    return v.is_empty() || v.is_null() ? 0 : v.to_long();
}
std::int16_t integer_or_zero(const ado::Variant& v) {
    return v.is_empty() || v.is_null() ? 0 : v.to_integer();
}

}  // namespace

ImportWindowShell::ImportWindowShell(ModuleContext& context)
    : ModuleWindow(context, kObjectName, kLayoutCaption) {}

ImportWindowShell::~ImportWindowShell() {
    // Destroyed while still loaded (the host released the module without closing it): free
    // what the window holds without talking to a host that may already be gone.
    if (IsLoaded()) release_window_resources();
}

host::Cinterface& ImportWindowShell::module_object() const {
    return need(module_object_, "module object");
}

std::int32_t ImportWindowShell::VisualizzaErrore(const host::ErrorInfo& error,
                                                 std::string_view procedure) noexcept {
    return context().VisualizzaErrore(error, procedure);
}

void ImportWindowShell::OnLoad() noexcept {
    activated_ = false;
    ModuleState& state = context().state();
    ErrorTrap trap(*this, "Form_Load");
    std::shared_ptr<host::LogObject> log;
    if (!trap.run([&] { log = created(host_classes(module_object()).CreateLogObject(), "the log object"); }))
        return;
    if (!trap.run([&] {
            need(log, "log object").Initialise(active_dll_);
            state.log = log;
        }))
        return;
    if (!trap.run([&] {
            state.connection_string =
                need(cls_global(module_object()).Database(), "ClsGlobal.Database").ConnectionString();
        }))
        return;
    if (!trap.run([&] {
            connection_factory_ =
                created(host_classes(module_object()).CreateConnectionFactory(), "the connection factory");
        }))
        return;
    if (!trap.run([&] {
            state.connection =
                created(need(connection_factory_, "connection factory").NewConnection(), "a connection");
        }))
        return;
    if (!trap.run([&] {
            need(state.connection, "module connection").SetConnectionString(state.connection_string);
        }))
        return;
    if (!trap.run([&] { need(state.connection, "module connection").Open(); })) return;
    if (!trap.run([&] { module_object().SetConnection(state.connection); })) return;
    if (!trap.run([&] {
            state.date_object = created(host_classes(module_object()).CreateDateObject(), "the date object");
        }))
        return;
    trap.run([&] {
        utility_ = created(host_classes(module_object()).CreateUtilityObject(), "the utility object");
    });
}

void ImportWindowShell::OnActivate() noexcept {
    if (activated_) return;
    ErrorTrap trap(*this, "Form_Activate");
    NavigatorRefresh();
    read_company_context(trap);
    if (trap.left()) return;
    FirstActivationBeforeRegistration(trap);
    if (trap.left()) return;
    InizializzaScriptELayout();
    FirstActivationAfterRegistration(trap);
    if (trap.left()) return;
    activated_ = true;
}

void ImportWindowShell::read_company_context(ErrorTrap& trap) {
    CompanyContext& company = context().state().company;
    if (!trap.run([&] {
            const auto object = cls_global(module_object()).Company();
            company.company_code = object ? long_or_zero(object->Code()) : 0;
        }))
        return;
    if (!trap.run([&] {
            const auto settings = cls_global(module_object()).Settings();
            company.chart_of_accounts_group =
                settings ? integer_or_zero(settings->ChartOfAccountsGroup()) : 0;
            company.second_setting = settings ? integer_or_zero(settings->SecondSetting()) : 0;
        }))
        return;
    trap.run([&] {
        const auto accounts = cls_global(module_object()).Accounts();
        company.customer_account = accounts ? accounts->CustomerAccount().text_or_empty() : std::string();
        company.supplier_account = accounts ? accounts->SupplierAccount().text_or_empty() : std::string();
    });
}

void ImportWindowShell::InizializzaScriptELayout() noexcept {
    ErrorTrap trap(*this, "InizializzaScriptELayout");
    if (!trap.run([&] { need(module_object().ActiveNavigator(), "ActiveNavigator").Notify(); })) return;
    if (!trap.run([&] { ExecuteFormEvent(ado::Variant(kOpenEvent)); })) return;
    trap.run([&] { cls_global(module_object()).SetApplication(context().application()); });
}

ado::Variant ImportWindowShell::ExecuteFormEvent(const ado::Variant& event) noexcept {
    const std::string name = suppress_or(std::string(), [&] { return event.text_or_empty(); });
    if (name != kOpenEvent && name != kCloseEvent) return {};
    const std::int16_t state = name == kOpenEvent ? 1 : 0;
    ErrorTrap trap(*this, "ExecuteFormEvent");
    std::shared_ptr<host::Navigator> navigator;
    std::shared_ptr<host::FormRegistry> forms;
    if (!trap.run([&] {
            navigator = module_object().ActiveNavigator();
            need(navigator, "ActiveNavigator").Notify();
        }))
        return {};
    if (!trap.run([&] { forms = need(navigator, "ActiveNavigator").Forms(); })) return {};
    trap.run([&] {
        if (forms) forms->Register(Handle(), 0, state, "");
    });
    return {};
}

ado::Variant ImportWindowShell::NavigatorRefresh() noexcept {
    suppress([&] { cls_global(module_object()).SetCurrentModule(module_object().ActiveDll()); });
    suppress([&] {
        if (const auto frame = module_object().ActiveFrame()) {
            const std::int16_t status = frame->Value("Status").to_integer();
            need(module_object().ActiveNavigator(), "ActiveNavigator").SetFrameStatus(status);
        }
    });
    suppress([&] { need(module_object().ActiveNavigator(), "ActiveNavigator").Refresh(); });
    return {};
}

void ImportWindowShell::OnQueryUnload(bool& cancel) noexcept {
    ErrorTrap trap(*this, "Form_QueryUnload");
    NavigatorRefresh();
    if (cancel) return;
    ExecuteFormEvent(ado::Variant(kCloseEvent));
    trap.run([&] {
        const auto forms = need(module_object().ActiveNavigator(), "ActiveNavigator").Forms();
        cancel = need(forms, "ActiveNavigator.Forms").CloseAnswer() != 0;
    });
}

void ImportWindowShell::release_window_resources() noexcept {
    for (auto& recordset : recordsets_) ChiudiRecordset(recordset);
    recordsets_.clear();
    utility_.reset();
    context().state().date_object.reset();
    for (auto& request : numbering_) {
        if (!request) continue;
        suppress([&] { request->SetConnection(nullptr); });
        request.reset();
    }
}

void ImportWindowShell::detach_from_host() noexcept {
    ModuleState& state = context().state();
    // The host learns that the module goes, and forgets the window.
    suppress([&] { cls_global(module_object()).ModuleReleasing(); });
    suppress([&] {
        const auto forms = need(module_object().ActiveNavigator(), "ActiveNavigator").Forms();
        need(forms, "ActiveNavigator.Forms").RemoveMenuItem(Handle());
    });
    suppress([&] { need(module_object().ActiveNavigator(), "ActiveNavigator").ClearCurrentModule(); });
    // The module connection and the factory it came from.
    suppress([&] {
        if (state.connection && state.connection->State() == ado::adStateOpen) state.connection->Close();
    });
    state.connection.reset();
    connection_factory_.reset();
    // The module object lets go of the host.
    suppress([&] {
        host::Cinterface& module = module_object();
        const auto global = module.ClsGlobal();
        module.SetActiveNavigator(nullptr);
        if (global) suppress([&] { global->DropModuleReferences(); });
        module.SetClsGlobal(nullptr);
        module.SetConnection(nullptr);
        module.SetActiveDll(nullptr);
    });
}

void ImportWindowShell::OnUnload() noexcept {
    release_window_resources();
    detach_from_host();
    active_dll_ = nullptr;
    module_object_ = nullptr;
    ModuleState& state = context().state();
    if (state.log) suppress([&] { state.log->Terminate(); });
    state.log.reset();
}

}  // namespace module
