#pragma once
// Cinterface: the module interface through which the host drives a module. The host
// creates the module object, hands it its service objects, then calls ShowForm and
// CloseForm. No member reports a failure to the host: every member is noexcept and the
// module swallows whatever goes wrong inside it.
//
// References: host objects are shared (std::shared_ptr, the counted references of the
// original component model). ActiveDll is a plain, non-owning pointer because it normally
// points back at the module object itself; holding it counted would keep the object alive
// through its own reference.
#include <cstdint>
#include <memory>

#include "ado/variant.h"
#include "host/api.h"

namespace ado {
class Connection;
}

namespace host {

class GlobalServices;
class Navigator;
class Frame;
class HostObject;

class LEDGERINTAKE_CONTRACT Cinterface {
  public:
    virtual ~Cinterface() = default;

    // Objects handed over by the host (Set/Get).
    virtual void SetClsGlobal(std::shared_ptr<GlobalServices> v) noexcept = 0;
    virtual std::shared_ptr<GlobalServices> ClsGlobal() const noexcept = 0;
    virtual void SetActiveFrame(std::shared_ptr<Frame> v) noexcept = 0;
    virtual std::shared_ptr<Frame> ActiveFrame() const noexcept = 0;
    virtual void SetActiveNavigator(std::shared_ptr<Navigator> v) noexcept = 0;
    virtual std::shared_ptr<Navigator> ActiveNavigator() const noexcept = 0;
    virtual void SetActiveDll(Cinterface* v) noexcept = 0;
    virtual Cinterface* ActiveDll() const noexcept = 0;
    virtual void SetStatusBar(std::shared_ptr<HostObject> v) noexcept = 0;
    virtual std::shared_ptr<HostObject> StatusBar() const noexcept = 0;

    // Host flags (Let/Get).
    virtual void SetCanInsert(bool v) noexcept = 0;
    virtual bool CanInsert() const noexcept = 0;
    virtual void SetCanDelete(bool v) noexcept = 0;
    virtual bool CanDelete() const noexcept = 0;
    virtual void SetCanUpdate(bool v) noexcept = 0;
    virtual bool CanUpdate() const noexcept = 0;
    virtual void SetCanQbe(bool v) noexcept = 0;
    virtual bool CanQbe() const noexcept = 0;
    // Stored as 16-bit integers: a value outside -32768..32767 leaves the stored one unchanged.
    virtual void SetWindowState(std::int32_t v) noexcept = 0;
    virtual std::int32_t WindowState() const noexcept = 0;
    virtual void SetWindowModal(bool v) noexcept = 0;
    virtual bool WindowModal() const noexcept = 0;
    virtual void SetProgramMode(std::int32_t v) noexcept = 0;
    virtual std::int32_t ProgramMode() const noexcept = 0;

    virtual void SetMenuModulo(const ado::Variant& v) noexcept = 0;
    virtual ado::Variant MenuModulo() const noexcept = 0;
    virtual void SetMenuPadre(const ado::Variant& v) noexcept = 0;
    virtual ado::Variant MenuPadre() const noexcept = 0;
    virtual void SetMenuProg(const ado::Variant& v) noexcept = 0;
    virtual ado::Variant MenuProg() const noexcept = 0;
    virtual void SetCaption(const ado::Variant& v) noexcept = 0;
    virtual ado::Variant Caption() const noexcept = 0;
    virtual void SetHwndParent(std::int32_t v) noexcept = 0;
    virtual std::int32_t HwndParent() const noexcept = 0;

    // Opens the module's window (modally when WindowModal is set). Returns Empty.
    virtual ado::Variant ShowForm() noexcept = 0;
    // Closes it; Boolean True when the window is gone, False when the close was refused.
    virtual ado::Variant CloseForm() noexcept = 0;

    // The module replaces this with its own connection when its window loads.
    virtual void SetConnection(std::shared_ptr<ado::Connection> v) noexcept = 0;
    virtual std::shared_ptr<ado::Connection> Connection() const noexcept = 0;
    // The host window object; nothing in the module assigns it.
    virtual std::shared_ptr<HostObject> Cwindow() const noexcept = 0;
    // Raises the module's DataTransfer event with `data`. Returns Empty.
    virtual ado::Variant TransferData(const ado::Variant& data) noexcept = 0;

    // Set from a value converted to a 32-bit integer (unchanged when it does not
    // convert), returned as a Variant of subtype Long.
    virtual ado::Variant Top() const noexcept = 0;
    virtual void SetTop(const ado::Variant& v) noexcept = 0;
    virtual ado::Variant Left() const noexcept = 0;
    virtual void SetLeft(const ado::Variant& v) noexcept = 0;

    virtual void SetClsVoceMenu(std::shared_ptr<HostObject> v) noexcept = 0;
    virtual std::shared_ptr<HostObject> ClsVoceMenu() const noexcept = 0;
    virtual void SetIsActive(bool v) noexcept = 0;
    virtual bool IsActive() const noexcept = 0;
    virtual void SetIsCalled(bool v) noexcept = 0;
    virtual bool IsCalled() const noexcept = 0;
    virtual void SetFiltro(const ado::Variant& v) noexcept = 0;
    virtual ado::Variant Filtro() const noexcept = 0;
};

}  // namespace host
