#include "verify/verification.h"

#include <limits>
#include <optional>
#include <string>

#include "ado/recordset.h"
#include "importfile/progress.h"
#include "importfile/window_context.h"
#include "log/import_log.h"
#include "modulebase/error_trap.h"
#include "modulebase/routines.h"
#include "verify/causal_vat_check.h"
#include "verify/check_trap.h"
#include "verify/customer_check.h"
#include "verify/section_account_check.h"
#include "verify/transcoding.h"

namespace verify {

namespace {

constexpr int kMastroWidth = 10;

}  // namespace

void Verification::read_mastro_codes() noexcept {
    importfile::ImportState& state = window_.import_state();
    const importfile::Node settings = state.document ? state.document->settings() : importfile::Node();
    state.customers_mastro =
        module::StringaFissa(ado::Variant(settings.text_or_empty("IE40_MASTROCLIENTI")), kMastroWidth);
    state.suppliers_mastro =
        module::StringaFissa(ado::Variant(settings.text_or_empty("IE40_MASTROFORNITORI")), kMastroWidth);
}

std::int32_t Verification::step_count(std::int32_t accounts_indicator) const noexcept {
    const importfile::ImportState& state = window_.import_state();
    const importfile::Node settings = state.document ? state.document->settings() : importfile::Node();
    std::int32_t steps = 1;
    // A count that is missing or not a number contributes nothing; so does one that would
    // overflow the sum.
    const auto add = [&](const char* element) {
        module::suppress([&] {
            const std::optional<std::string> text = settings.text(element);
            if (!text) return;
            const std::int64_t sum = std::int64_t{steps} + ado::Variant(*text).to_long();
            if (sum < std::numeric_limits<std::int32_t>::min() ||
                sum > std::numeric_limits<std::int32_t>::max())
                return;
            steps = static_cast<std::int32_t>(sum);
        });
    };
    add("IE40_CG68_NUMERDESC");
    add(accounts_indicator != kAccountProposal ? "IE40_CG24_TABPDC" : "IE40_CG41_PRIMANOTA");
    add("IE40_CG33_TABCAU");
    add("IE40_CG28_TABCODIVA");
    add("IE40_CG44_CLIFOR");
    return steps;
}

void Verification::VerificaTabelleImportazioneFileXML(bool& error) noexcept {
    importfile::ImportState& state = window_.import_state();
    module::ErrorTrap trap(window_.error_reporter(), kProcedure);
    stop_on_error(trap, window_, error);

    // 1. The group structure must hold the member's row.
    bool has_structure = false;
    if (!trap.run([&] {
            ado::Recordset* structure = state.group_structure.get();
            if (structure == nullptr || structure->State() != ado::adStateOpen) return;
            structure->SetFilter("");
            if (structure->BOF() && structure->EOF()) return;
            structure->MoveFirst();
            has_structure = true;
        }))
        return;
    if (!has_structure) {
        error = true;
        return;
    }

    // 2-3. The log numbering restarts; the header's mastro codes and counts (errors ignored).
    importlog::ImportLog& log = window_.import_log();
    log.set_counter(0);
    read_mastro_codes();
    std::int32_t accounts_indicator = kUnchanged;
    module::suppress([&] { accounts_indicator = Transcoding(window_).defaults_of(kKindAccount).indicator; });
    const std::int32_t steps = step_count(accounts_indicator);

    // 4. Progress, pointer and a fresh log.
    if (!trap.run([&] { importfile::AggiornaProgressBar(window_, importfile::kProgressStart, steps); }))
        return;
    if (!trap.run([&] { window_.controls().MousePointer = module::kPointerHourglass; })) return;
    if (!trap.run([&] { log.CreaTabellaLogTemporanea(); })) return;
    if (!trap.run([&] { importfile::AggiornaProgressBar(window_, importfile::kProgressStep); })) return;

    // 5. The section checks, in their order; one that fails unexpectedly stops the rest.
    SectionAccountCheck sections(window_);
    CausalVatCheck causals(window_);
    CustomerSupplierCheck customers(window_);
    sections.VerificaTabellaSezionali(error);
    if (error) return;
    sections.VerificaTabellaPianoDeiConti(error);
    if (error) return;
    causals.VerificaTabellaCausaliContabili(error);
    if (error) return;
    causals.VerificaTabellaCodiciIVA(error);
    if (error) return;
    customers.VerificaTabellaClientiFornitoriAnagraficheGenerali(error);
    if (error) return;

    // 6. The log decides: an error row fails the step and shows the log.
    if (!trap.run([&] { log.ApreFormTabellaLog(error); })) return;
    if (!trap.run([&] { importfile::AggiornaProgressBar(window_, importfile::kProgressEnd); })) return;
    trap.run([&] { window_.controls().MousePointer = module::kPointerDefault; });
}

}  // namespace verify
