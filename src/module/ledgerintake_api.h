#pragma once
// The module as a host loads it: the module object CLSCG_LEDGERINTAKE seen through the
// host's module interface (Cinterface) plus its own members, and the library's one C
// entry point.
//
// Loading at run time:
//     void* lib = dlopen("libledgerintake_module.so", RTLD_NOW | RTLD_LOCAL);
//     auto create = reinterpret_cast<ledgerintake_create_module_fn>(dlsym(lib,
//     "ledgerintake_create_module")); std::unique_ptr<module::LedgerIntake> object(create());
//     object->SetClsGlobal(global); object->SetActiveNavigator(navigator); object->ShowForm();
//     ...; object->CloseForm(); object.reset();   // before dlclose(lib)
//
// Ownership: ledgerintake_create_module returns a new object (nullptr when it cannot be
// made) that the caller owns and deletes through the virtual destructor, before unloading
// the library. The object writes its trace lines as LEDGERINTAKE_TRACE says.
#include <cstdint>
#include <functional>
#include <memory>

#include "ado/recordset.h"
#include "ado/variant.h"
#include "host/api.h"
#include "host/cinterface.h"
#include "host/global_services.h"

namespace module {

class Ui;
class Window;

class LEDGERINTAKE_CONTRACT LedgerIntake : public host::Cinterface {
  public:
    // Public fields of the default interface; stored only.
    virtual void SetIsScheduled(bool v) noexcept = 0;
    virtual bool IsScheduled() const noexcept = 0;
    virtual void SetScheduleCode(const ado::Variant& v) noexcept = 0;
    virtual ado::Variant ScheduleCode() const noexcept = 0;
    // The component's own application object (title, path, version of this library).
    virtual std::shared_ptr<const host::Application> ObjApplication() const noexcept = 0;

    // The DataTransfer event, raised by TransferData with its argument.
    using DataTransferHandler = std::function<void(const ado::Variant& data)>;
    // Returns a cookie for Unadvise (0 when the handler could not be added).
    virtual std::int32_t AdviseDataTransfer(DataTransferHandler handler) noexcept = 0;
    virtual void UnadviseDataTransfer(std::int32_t cookie) noexcept = 0;

    // The front end that displays the module's windows (nullptr: windows are not displayed
    // and modal shows return at once).
    virtual void SetUi(std::shared_ptr<Ui> ui) noexcept = 0;
    // Called with every import log the module reads back when a step closes it (the rows
    // are lent until the call returns): for a front end that keeps the log after the import.
    using LogHook = std::function<void(const std::shared_ptr<ado::Recordset>& rows)>;
    virtual void SetLogHook(LogHook hook) noexcept = 0;
    // The window ShowForm opened, for the front end to forward the user's actions; nullptr
    // before ShowForm.
    virtual Window* CurrentWindow() noexcept = 0;
};

}  // namespace module

extern "C" {
using ledgerintake_create_module_fn = module::LedgerIntake* (*)();
LEDGERINTAKE_CONTRACT module::LedgerIntake* ledgerintake_create_module() noexcept;
}
