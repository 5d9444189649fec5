#pragma once
// The import window as its procedures see it. The window (module::ImportWindow) implements
// this; the procedures of the import receive it by reference, so they reach the window's
// shared state without depending on the window's own library.
#include <cstdint>

#include "importfile/import_state.h"
#include "modulebase/import_window_controls.h"
#include "modulebase/string_table.h"

namespace ado {
class Connection;
}
namespace host {
class UtilityObject;
}
namespace importlog {
class ImportLog;
}
namespace module {
class ErrorReporter;
class ModuleContext;
}  // namespace module

namespace importfile {

class ImportWindowContext {
  public:
    virtual ~ImportWindowContext() = default;

    // Module-wide state: module connection, company context, host date object.
    virtual module::ModuleContext& module_context() noexcept = 0;
    // The window's error routine (VisualizzaErrore), for the procedures' traps.
    virtual module::ErrorReporter& error_reporter() noexcept = 0;
    virtual module::ImportWindowControls& controls() noexcept = 0;
    virtual ImportState& import_state() noexcept = 0;
    // The window's import log: opened by the verification and by the journal import, closed
    // when the window unloads.
    virtual importlog::ImportLog& import_log() noexcept = 0;
    // The window's host utility object (date display formats); nullptr when the host gave none.
    virtual const host::UtilityObject* utility() const noexcept = 0;

    // The window's message routine (ShowMessage, with the window's caption as title).
    virtual std::int16_t ShowMessage(const module::Message& message) noexcept = 0;
    // Empties the information frames (PuliziaComponenti).
    virtual void PuliziaComponenti() noexcept = 0;
};

// The module connection the window's procedures write through; throws ado::Error when it is
// not open (a window whose load could not open the database).
ado::Connection& module_connection(ImportWindowContext& window);

}  // namespace importfile
