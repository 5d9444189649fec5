#pragma once
// What the trap of every section check (and of the driver) does before the error routine is
// asked: the progress indicator closes, the mouse pointer goes back to the default and the
// error flag is set, so the verification stops.
#include "importfile/progress.h"
#include "importfile/window_context.h"
#include "modulebase/error_trap.h"

namespace verify {

inline void stop_on_error(module::ErrorTrap& trap, importfile::ImportWindowContext& window, bool& error) {
    trap.on_error([&window, &error] {
        importfile::AggiornaProgressBar(window, importfile::kProgressEnd);
        window.controls().MousePointer = module::kPointerDefault;
        error = true;
    });
}

}  // namespace verify
