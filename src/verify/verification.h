#pragma once
// VerificaTabelleImportazioneFileXML: the second step of the import. It reads the file
// header's mastro codes and row counts, opens the import log, runs the five section checks
// in their fixed order and ends with the log check: the error flag is set when a check
// failed unexpectedly or when the log holds a row in an error state (the log is shown).
#include <cstdint>

#include "importfile/window_procedure.h"

namespace verify {

class Verification : public importfile::WindowProcedure {
  public:
    using WindowProcedure::WindowProcedure;
    static constexpr const char* kProcedure = "VerificaTabelleImportazioneFileXML";

    void VerificaTabelleImportazioneFileXML(bool& error) noexcept;

    // The progress indicator's step count from the header's declared row counts.
    std::int32_t step_count(std::int32_t accounts_indicator) const noexcept;

  private:
    void read_mastro_codes() noexcept;
};

}  // namespace verify
