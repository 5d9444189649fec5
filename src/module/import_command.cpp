#include "module/import_command.h"

#include "importfile/activity_parameters.h"
#include "importfile/file_opener.h"
#include "importfile/window_context.h"
#include "journal/journal_import.h"
#include "journal/rebuild.h"
#include "modulebase/error_trap.h"
#include "verify/verification.h"

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

    // 2. Verification of the master tables (the log is shown when it holds an error row).
    if (!trap.run([&] { verify::Verification(window_).VerificaTabelleImportazioneFileXML(error); })) return;
    if (error) {
        outcome.failed_step = ImportOutcome::Verification;
        Message message{.kind = kKindPlain, .code = kMsgTranscodingMissing};
        message.p1 = std::string(kLineBreak);
        window_.ShowMessage(message);
        trap.run([&] { window_.controls().TXT_NOMEFILE.Refresh(); });
        return;
    }
    outcome.completed_step = ImportOutcome::Verification;

    // 3. The journal import (the log is shown when it holds an error row).
    if (!trap.run([&] { journal::JournalImport(window_).ImportazioneMovimentiFileXML(error); })) return;
    if (error) {
        outcome.failed_step = ImportOutcome::Journal;
        Message message{.kind = kKindPlainSevere, .code = kMsgImportErrors};
        message.p1 = std::string(kLineBreak);
        window_.ShowMessage(message);
        trap.run([&] { window_.controls().TXT_NOMEFILE.Refresh(); });
        return;
    }
    outcome.completed_step = ImportOutcome::Journal;

    // 4. The rebuild of the progressive totals; the entries stay whatever its outcome.
    if (!trap.run([&] { journal::Rebuild(window_).RicostruzioneProgressiviContabiliIVA(error); })) return;
    if (error) {
        outcome.failed_step = ImportOutcome::Rebuild;
        Message message{.kind = kKindPlainSevere, .code = kMsgRebuildError};
        message.p1 = std::string(kLineBreak);
        window_.ShowMessage(message);
    } else {
        outcome.completed_step = ImportOutcome::Rebuild;
        window_.ShowMessage(Message{.kind = kKindPlain, .code = kMsgImportDone});
    }
    trap.run([&] { importfile::FileOpener(window_).ImpostaSuggerimentoUltimoFolder(); });
}

}  // namespace module
