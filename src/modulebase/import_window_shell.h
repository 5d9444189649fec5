#pragma once
// The start-up and shutdown shell of the import window FRMCG_LEDGERINTAKE.
//
// It does what every later feature of the window relies on: the load (host log object
// initialised with ActiveDll, connection string from ClsGlobal, the module connection from
// the host's connection factory, opened and handed back as the module's Connection, the
// host date and utility objects), the first activation's navigator refresh, company
// context and registration with the navigator (InizializzaScriptELayout, "kvOpen"), the
// close request (the navigator's form registry may refuse it) and the unload, which
// releases everything in a fixed order and detaches the module object.
//
// The import itself (file choice, controls, notice, account proposal, messages, import
// and history commands) belongs to the full import window (module/import_window.h), which
// builds on this shell and fills in the first activation's own steps through two hooks.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ado/recordset.h"
#include "ado/variant.h"
#include "modulebase/module_window.h"

namespace host {
class ConnectionFactory;
class NumberingRequest;
class UtilityObject;
}  // namespace host

namespace module {

class ImportWindowShell : public ModuleWindow {
  public:
    static constexpr const char* kObjectName = "FRMCG_LEDGERINTAKE";
    static constexpr const char* kLayoutCaption = "Importazione movimenti nel gruppo IVA";
    // Registrations with the navigator's form registry.
    static constexpr std::string_view kOpenEvent = "kvOpen";
    static constexpr std::string_view kCloseEvent = "kvClose";

    explicit ImportWindowShell(ModuleContext& context);
    ~ImportWindowShell() override;

    void SetActiveDll(host::Cinterface* active_dll) noexcept override { active_dll_ = active_dll; }
    host::Cinterface* ActiveDll() const noexcept override { return active_dll_; }
    void SetModuleObject(host::Cinterface* module_object) noexcept override {
        module_object_ = module_object;
    }
    host::Cinterface* ModuleObject() const noexcept override { return module_object_; }

    std::int32_t VisualizzaErrore(const host::ErrorInfo& error, std::string_view procedure) noexcept override;

    // Registers ("kvOpen") or unregisters ("kvClose") the window with the navigator's form
    // registry; other events do nothing. Returns Empty.
    ado::Variant ExecuteFormEvent(const ado::Variant& event) noexcept;
    // Makes the module current in the host, passes the frame status and refreshes the
    // navigator (errors suppressed). Returns Empty.
    ado::Variant NavigatorRefresh() noexcept;

    bool activated() const noexcept { return activated_; }

  protected:
    void OnLoad() noexcept override;
    void OnActivate() noexcept override;
    void OnQueryUnload(bool& cancel) noexcept override;
    void OnUnload() noexcept override;

    // The first activation's steps between the company context and the registration with
    // the navigator, and after it. They run with the activation's trap ("Form_Activate");
    // an abort leaves the window not activated.
    virtual void FirstActivationBeforeRegistration(ErrorTrap& /*trap*/) noexcept {}
    virtual void FirstActivationAfterRegistration(ErrorTrap& /*trap*/) noexcept {}

    // Record sets the window builds for the import; all closed at unload.
    std::vector<ado::RecordsetPtr>& recordsets() noexcept { return recordsets_; }
    // The numbering-service requests the window keeps (customer/supplier codes,
    // registration numbers, numbering updates); detached and released at unload.
    std::array<std::shared_ptr<host::NumberingRequest>, 3>& numbering_requests() noexcept {
        return numbering_;
    }
    host::UtilityObject* utility_object() const noexcept { return utility_.get(); }

  private:
    host::Cinterface& module_object() const;
    void InizializzaScriptELayout() noexcept;
    void read_company_context(ErrorTrap& trap);
    void release_window_resources() noexcept;
    void detach_from_host() noexcept;

    host::Cinterface* active_dll_ = nullptr;
    host::Cinterface* module_object_ = nullptr;
    bool activated_ = false;
    std::shared_ptr<host::ConnectionFactory> connection_factory_;
    std::shared_ptr<host::UtilityObject> utility_;
    std::vector<ado::RecordsetPtr> recordsets_;
    std::array<std::shared_ptr<host::NumberingRequest>, 3> numbering_;
};

}  // namespace module
