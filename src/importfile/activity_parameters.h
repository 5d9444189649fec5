#pragma once
// GeneraRecordsetParametriAttivita: the current company's VAT activities for the import
// year, from the host's activity-parameters service, kept by the window for the rebuild
// of the progressive totals.
#include "importfile/window_procedure.h"

namespace importfile {

class ActivityParameters : public WindowProcedure {
  public:
    using WindowProcedure::WindowProcedure;
    static constexpr const char* kProcedure = "GeneraRecordsetParametriAttivita";

    // Sets `error` when the service fails, returns no activity, or a statement fails.
    void GeneraRecordsetParametriAttivita(bool& error) noexcept;
};

}  // namespace importfile
