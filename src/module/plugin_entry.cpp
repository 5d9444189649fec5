// The module library's one exported function. Everything else in the library is hidden.
#include "module/ledgerintake_api.h"
#include "module/module_object.h"

extern "C" LEDGERINTAKE_CONTRACT module::LedgerIntake* ledgerintake_create_module() noexcept {
    try {
        return new module::ModuleObject(module::ModuleObject::default_options());
    } catch (...) {
        return nullptr;
    }
}
