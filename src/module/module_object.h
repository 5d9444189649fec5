#pragma once
// CLSCG_LEDGERINTAKE: the module object the host creates. It keeps what the host hands it
// through Cinterface, opens the import window on ShowForm and closes it on CloseForm, and
// raises DataTransfer when the host calls TransferData. No member lets an error reach the
// host.
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "module/ledgerintake_api.h"
#include "modulebase/module_context.h"
#include "modulebase/module_window.h"
#include "modulebase/trace.h"

namespace module {

class ModuleObject final : public LedgerIntake {
  public:
    static constexpr const char* kObjectName = "CLSCG_LEDGERINTAKE";
    static constexpr const char* kDefaultCaption = "Importazione movimenti COGE nel gruppo IVA";

    struct Options {
        std::shared_ptr<TraceSink> trace;                      // nullptr: silent
        WindowFactory window_factory;                          // empty: the import window
        GuidSource guid_source = random_guid;                  // instance identifiers
        std::shared_ptr<const host::Application> application;  // nullptr: this library's
    };
    // Options with the trace chosen by LEDGERINTAKE_TRACE and the import window.
    static Options default_options();

    explicit ModuleObject(Options options);
    ~ModuleObject() override;
    ModuleObject(const ModuleObject&) = delete;
    ModuleObject& operator=(const ModuleObject&) = delete;

    void SetClsGlobal(std::shared_ptr<host::GlobalServices> v) noexcept override;
    std::shared_ptr<host::GlobalServices> ClsGlobal() const noexcept override;
    void SetActiveFrame(std::shared_ptr<host::Frame> v) noexcept override;
    std::shared_ptr<host::Frame> ActiveFrame() const noexcept override;
    void SetActiveNavigator(std::shared_ptr<host::Navigator> v) noexcept override;
    std::shared_ptr<host::Navigator> ActiveNavigator() const noexcept override;
    void SetActiveDll(host::Cinterface* v) noexcept override { active_dll_ = v; }
    host::Cinterface* ActiveDll() const noexcept override { return active_dll_; }
    void SetStatusBar(std::shared_ptr<host::HostObject> v) noexcept override;
    std::shared_ptr<host::HostObject> StatusBar() const noexcept override;

    void SetCanInsert(bool v) noexcept override { can_insert_ = v; }
    bool CanInsert() const noexcept override { return can_insert_; }
    void SetCanDelete(bool v) noexcept override { can_delete_ = v; }
    bool CanDelete() const noexcept override { return can_delete_; }
    void SetCanUpdate(bool v) noexcept override { can_update_ = v; }
    bool CanUpdate() const noexcept override { return can_update_; }
    void SetCanQbe(bool v) noexcept override { can_qbe_ = v; }
    bool CanQbe() const noexcept override { return can_qbe_; }
    void SetWindowState(std::int32_t v) noexcept override;
    std::int32_t WindowState() const noexcept override { return window_state_; }
    void SetWindowModal(bool v) noexcept override { window_modal_ = v; }
    bool WindowModal() const noexcept override { return window_modal_; }
    void SetProgramMode(std::int32_t v) noexcept override;
    std::int32_t ProgramMode() const noexcept override { return program_mode_; }

    void SetMenuModulo(const ado::Variant& v) noexcept override;
    ado::Variant MenuModulo() const noexcept override;
    void SetMenuPadre(const ado::Variant& v) noexcept override;
    ado::Variant MenuPadre() const noexcept override;
    void SetMenuProg(const ado::Variant& v) noexcept override;
    ado::Variant MenuProg() const noexcept override;
    void SetCaption(const ado::Variant& v) noexcept override;
    ado::Variant Caption() const noexcept override;
    void SetHwndParent(std::int32_t v) noexcept override { hwnd_parent_ = v; }
    std::int32_t HwndParent() const noexcept override { return hwnd_parent_; }

    ado::Variant ShowForm() noexcept override;
    ado::Variant CloseForm() noexcept override;

    void SetConnection(std::shared_ptr<ado::Connection> v) noexcept override;
    std::shared_ptr<ado::Connection> Connection() const noexcept override;
    std::shared_ptr<host::HostObject> Cwindow() const noexcept override;
    ado::Variant TransferData(const ado::Variant& data) noexcept override;

    ado::Variant Top() const noexcept override { return ado::Variant::long_value(top_); }
    void SetTop(const ado::Variant& v) noexcept override;
    ado::Variant Left() const noexcept override { return ado::Variant::long_value(left_); }
    void SetLeft(const ado::Variant& v) noexcept override;

    void SetClsVoceMenu(std::shared_ptr<host::HostObject> v) noexcept override;
    std::shared_ptr<host::HostObject> ClsVoceMenu() const noexcept override;
    void SetIsActive(bool v) noexcept override { is_active_ = v; }
    bool IsActive() const noexcept override { return is_active_; }
    void SetIsCalled(bool v) noexcept override { is_called_ = v; }
    bool IsCalled() const noexcept override { return is_called_; }
    void SetFiltro(const ado::Variant& v) noexcept override;
    ado::Variant Filtro() const noexcept override;

    void SetIsScheduled(bool v) noexcept override { is_scheduled_ = v; }
    bool IsScheduled() const noexcept override { return is_scheduled_; }
    void SetScheduleCode(const ado::Variant& v) noexcept override;
    ado::Variant ScheduleCode() const noexcept override;
    std::shared_ptr<const host::Application> ObjApplication() const noexcept override;

    std::int32_t AdviseDataTransfer(DataTransferHandler handler) noexcept override;
    void UnadviseDataTransfer(std::int32_t cookie) noexcept override;

    void SetUi(std::shared_ptr<Ui> ui) noexcept override;
    void SetLogHook(LogHook hook) noexcept override;
    Window* CurrentWindow() noexcept override;

    // The module-wide state shared with the windows.
    ModuleContext& context() noexcept { return *context_; }

  private:
    // Declared first: the context outlives the window that refers to it.
    std::shared_ptr<const host::Application> application_;
    std::unique_ptr<ModuleContext> context_;
    WindowFactory window_factory_;
    ObjectTrace trace_;

    bool is_scheduled_ = false;
    ado::Variant schedule_code_;
    std::unique_ptr<ModuleWindow> window_;
    std::vector<std::unique_ptr<ModuleWindow>> earlier_windows_;  // opened by earlier ShowForm calls
    bool is_called_ = false, is_active_ = false, can_insert_ = false, can_delete_ = false,
         can_update_ = false, can_qbe_ = false, window_modal_ = false;
    std::int16_t window_state_ = 0;
    std::int16_t program_mode_ = 0;
    std::int32_t top_ = 0;
    std::int32_t left_ = 0;
    std::int32_t hwnd_parent_ = 0;
    ado::Variant filtro_, caption_, menu_modulo_, menu_padre_, menu_prog_;
    std::shared_ptr<ado::Connection> connection_;
    std::shared_ptr<host::GlobalServices> cls_global_;
    std::shared_ptr<host::HostObject> cls_voce_menu_;
    host::Cinterface* active_dll_ = nullptr;
    std::shared_ptr<host::HostObject> status_bar_;
    std::shared_ptr<host::Frame> active_frame_;
    std::shared_ptr<host::Navigator> navigator_;
    std::shared_ptr<host::HostObject> cwindow_;  // never assigned: Cwindow returns no object

    std::map<std::int32_t, DataTransferHandler> data_transfer_handlers_;
    std::int32_t next_cookie_ = 1;
};

}  // namespace module
