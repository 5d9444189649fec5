#include "importfile/progress.h"

#include "importfile/window_context.h"
#include "modulebase/error_trap.h"

namespace importfile {

void AggiornaProgressBar(ImportWindowContext& window, std::int32_t mode, std::int32_t steps) noexcept {
    module::suppress([&] {
        module::ImportWindowControls& controls = window.controls();
        module::ProgressBar& bar = controls.PROGRESS_BAR;
        switch (mode) {
            case kProgressStart:
                bar.caption = "Elaborazione in corso ...";
                bar.min = 0;
                bar.max = steps;
                bar.value = 0;
                bar.visible = true;
                controls.MousePointer = module::kPointerHourglass;
                break;
            case kProgressStep:
                ++bar.value;
                break;
            case kProgressEnd:
                bar.visible = false;
                bar.value = 0;
                controls.MousePointer = module::kPointerDefault;
                break;
            default:
                break;
        }
        bar.Refresh();
    });
}

}  // namespace importfile
