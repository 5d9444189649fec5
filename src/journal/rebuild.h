#pragma once
// RicostruzioneProgressiviContabiliIVA: the fourth step of the import. Five rebuilds of the
// host's rebuild service, in a fixed order, each with its parameters; the error flag records
// any result code other than 0 (message 110). Nothing is computed here.
#include "importfile/window_procedure.h"

namespace journal {

class Rebuild : public importfile::WindowProcedure {
  public:
    using WindowProcedure::WindowProcedure;
    static constexpr const char* kProcedure = "RicostruzioneProgressiviContabiliIVA";

    void RicostruzioneProgressiviContabiliIVA(bool& error) noexcept;
};

}  // namespace journal
