#pragma once
// AggiornaProgressBar: the progress indicator that every long step of the import drives
// (the window's PROGRESS_BAR and its mouse pointer). Errors are ignored throughout: a step
// beyond the maximum is nothing the user has to see.
#include <cstdint>

namespace importfile {

class ImportWindowContext;

enum ProgressMode : std::int32_t { kProgressStart = 0, kProgressStep = 1, kProgressEnd = 2 };

// Mode 0 starts the bar with `steps` steps (caption, 0..steps, visible, hourglass), mode 1
// advances it one step, mode 2 hides it and restores the default pointer. Every mode ends
// with a repaint.
void AggiornaProgressBar(ImportWindowContext& window, std::int32_t mode, std::int32_t steps = 0) noexcept;

}  // namespace importfile
