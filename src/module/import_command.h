#pragma once
// The import command (CMD_IMPORTA): runs the import steps in their fixed order, each with
// the shared error flag, and stops at the first that fails with that step's message.
//
// In this build the first two steps exist (the activity parameters and the verification of
// the master tables). The journal import and the rebuild of the totals come with later
// issues: until then the command stops after the verification without any message, marks
// the outcome `steps_missing`, and proposes the last folder again. It never reports an
// import that did not happen.
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
    // Import command: stopped because the following steps are not part of this build.
    bool steps_missing = false;
};

class ImportCommand : public importfile::WindowProcedure {
  public:
    using WindowProcedure::WindowProcedure;
    static constexpr const char* kProcedure = "CMD_IMPORTA_ButtonClick";

    void Run(ImportOutcome& outcome) noexcept;
};

}  // namespace module
