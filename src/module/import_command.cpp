#include "module/import_command.h"

#include "importfile/activity_parameters.h"
#include "importfile/file_opener.h"
#include "importfile/window_context.h"
#include "modulebase/error_trap.h"

namespace module {

void ImportCommand::Run(ImportOutcome& outcome) noexcept {
    ErrorTrap trap(window_.error_reporter(), kProcedure);
    bool error = false;

    // 1. Activity parameters of the year.
    if (!trap.run([&] { importfile::ActivityParameters(window_).GeneraRecordsetParametriAttivita(error); }))
        return;
    if (error) {
        outcome.failed_step = ImportOutcome::ActivityParameters;
        Message message{.kind = kKindPlainSevere, .code = kMsgActivityParameters};
        message.p1 = std::string(kLineBreak);
        window_.ShowMessage(message);
        trap.run([&] { window_.controls().TXT_NOMEFILE.Refresh(); });
        return;
    }
    outcome.completed_step = ImportOutcome::ActivityParameters;

    // 2-4. Verification of the master tables, journal import and rebuild of the totals
    // are not in this build yet: the command stops here and says so in the outcome.
    outcome.steps_missing = true;
    trap.run([&] { importfile::FileOpener(window_).ImpostaSuggerimentoUltimoFolder(); });
}

}  // namespace module
