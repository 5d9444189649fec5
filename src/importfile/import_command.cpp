#include "importfile/import_command.h"

#include "importfile/activity_parameters.h"
#include "importfile/file_opener.h"
#include "importfile/window_context.h"
#include "module/error_trap.h"

namespace importfile {

void ImportCommand::Run(ImportOutcome& outcome) noexcept {
    module::ErrorTrap trap(window_.error_reporter(), kProcedure);
    bool error = false;

    // 1. Activity parameters of the year.
    if (!trap.run([&] { ActivityParameters(window_).GeneraRecordsetParametriAttivita(error); })) return;
    if (error) {
        outcome.failed_step = ImportOutcome::ActivityParameters;
        module::Message message{.kind = module::kKindPlainSevere, .code = module::kMsgActivityParameters};
        message.p1 = std::string(module::kLineBreak);
        window_.ShowMessage(message);
        trap.run([&] { window_.controls().TXT_NOMEFILE.Refresh(); });
        return;
    }
    outcome.completed_step = ImportOutcome::ActivityParameters;

    // 2-4. Verification of the master tables, journal import and rebuild of the totals
    // are supplied by later issues; the command stops here and says so in the outcome.
    outcome.steps_missing = true;
    trap.run([&] { FileOpener(window_).ImpostaSuggerimentoUltimoFolder(); });
}

}  // namespace importfile
