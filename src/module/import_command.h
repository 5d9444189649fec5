#pragma once
// The import command (CMD_IMPORTA): runs the import steps in their fixed order, each with
// the shared error flag, and stops at the first that fails with that step's message.
//
// The four steps: the activity parameters (message 112 when they fail), the verification of
// the master tables (109), the journal import (108) and the rebuild of the progressive
// totals (110, else 107). After a failing step the path box is refreshed; after the rebuild,
// whatever its outcome, the last folder is proposed again.
#include <cstdint>
#include <string>

#include "importfile/window_procedure.h"

namespace module {

// What the window's last event (first activation, path validation, a command) came to,
// for the front end that drives the window.
struct ImportOutcome {
    enum Step { None, ActivityParameters, Verification, Journal, Rebuild };

    // The last string-table message shown during the event (0: none) and its text.
    std::int32_t message_id = 0;
    std::string message_text;
    // Errors reported through the error routine during the event.
    int errors_reported = 0;
    // Path validation: the file passed every check and fills the window.
    bool file_accepted = false;
    // Import command: the last step that ran to its end, and the step that failed (None
    // when no step failed).
    Step completed_step = None;
    Step failed_step = None;
    // Import command: the import header (IE42_ID) the journal import wrote (0: none). The
    // header is deleted again when no entry was taken over under it.
    std::int32_t import_id = 0;
};

class ImportCommand : public importfile::WindowProcedure {
  public:
    using WindowProcedure::WindowProcedure;
    static constexpr const char* kProcedure = "CMD_IMPORTA_ButtonClick";

    void Run(ImportOutcome& outcome) noexcept;
};

}  // namespace module
