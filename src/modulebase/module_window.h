#pragma once
// What the module object needs from the window that ShowForm opens: it hands the window
// the host's module interface (ActiveDll) and a reference to itself, and CloseForm learns
// from ActiveDll() whether the window's unload ran to the end (it releases the reference).
// Other windows report errors through this window's VisualizzaErrore.
#include <functional>
#include <memory>

#include "host/cinterface.h"
#include "modulebase/error_trap.h"
#include "modulebase/form.h"

namespace module {

class ModuleContext;

class ModuleWindow : public Form, public ErrorReporter {
  public:
    virtual void SetActiveDll(host::Cinterface* active_dll) noexcept = 0;
    virtual host::Cinterface* ActiveDll() const noexcept = 0;
    virtual void SetModuleObject(host::Cinterface* module_object) noexcept = 0;
    virtual host::Cinterface* ModuleObject() const noexcept = 0;

  protected:
    using Form::Form;
};

// Creates the window ShowForm opens.
using WindowFactory = std::function<std::unique_ptr<ModuleWindow>(ModuleContext&)>;

}  // namespace module
