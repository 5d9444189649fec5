#pragma once
// DeterminaEsercizioImportazione: the accounting exercise of the import, from the host's
// exercise service and the file's last movement date; the rebuild of the progressive
// totals uses its two values.
#include <cstdint>

#include "importfile/window_procedure.h"

namespace importfile {

class Exercise : public WindowProcedure {
  public:
    using WindowProcedure::WindowProcedure;
    static constexpr const char* kProcedure = "DeterminaEsercizioImportazione";

    // Sets `failed` when the service reports a failure or a statement fails (otherwise
    // leaves it as the caller set it); `first` and `second` get the service's values
    // (0 when missing).
    void DeterminaEsercizioImportazione(bool& failed, std::int16_t& first, std::int16_t& second) noexcept;
};

}  // namespace importfile
