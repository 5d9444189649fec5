#include "proposal/account_proposal.h"

#include <functional>
#include <memory>
#include <string>

#include "ado/connection.h"
#include "ado/sqltext.h"
#include "ado/types.h"
#include "host/global_services.h"
#include "importfile/window_context.h"
#include "modulebase/error_trap.h"
#include "modulebase/host_access.h"
#include "modulebase/module_context.h"
#include "modulebase/routines.h"
#include "modulebase/scoped_recordset.h"

namespace proposal {

namespace {

// Numeric fields keep the record set's own attributes (they admit Null).
constexpr long kAttributesUnspecified = -1;
constexpr long kDescriptionSize = 40;
constexpr std::int16_t kAccountWidth = 10;

// The build's proposal cache is closed however the build ends.
class CloseOnExit {
  public:
    explicit CloseOnExit(ado::RecordsetPtr& recordset) noexcept : recordset_(recordset) {}
    ~CloseOnExit() { module::ChiudiRecordset(recordset_); }
    CloseOnExit(const CloseOnExit&) = delete;
    CloseOnExit& operator=(const CloseOnExit&) = delete;

  private:
    ado::RecordsetPtr& recordset_;
};

// Every standard proposal code with the account behind it in the company's group of the
// chart of accounts (none when the group has no row for the code).
ado::SqlText proposal_codes_statement(std::int16_t chart_of_accounts_group) {
    ado::SqlText sql;
    sql.line(" SELECT *")
        .line(" FROM CG37_CONTIPRSSTD WITH (NOLOCK)")
        .line(" LEFT OUTER JOIN CG36_PRSPDC WITH (NOLOCK)")
        .line("     ON CG36_GRUPPO_CG10 = ")
        .number(chart_of_accounts_group)
        .line("     AND CG36_CODICE = CG37_CODICE")
        .line(" ORDER BY CG37_CODICE");
    return sql;
}

ado::Recordset& opened(const module::ScopedRecordset& recordset, const char* what) {
    return module::need(recordset.operator->(), what);
}

}  // namespace

void AccountProposal::CreaRecordSetPropostaConti() noexcept {
    module::ErrorTrap trap(window_.error_reporter(), kBuild);
    ado::RecordsetPtr cache;
    const CloseOnExit close_cache(cache);
    // Each procedure traps its own errors: a filling procedure that gives up does not stop
    // the ones after it.
    if (!trap.run([&] { CreaStruturaRecordSetPropostaConti(); })) return;
    if (!trap.run([&] { CreaRecordSetPropostaContiRecordGenericoTappo(cache); })) return;
    if (!trap.run([&] { CreaRecordSetPropostaContiRecordVendite(cache); })) return;
    if (!trap.run([&] { CreaRecordSetPropostaContiRecordAcquisti(cache); })) return;
    if (!trap.run([&] { CreaRecordSetPropostaContiRecordCorrispettivi(cache); })) return;
    trap.run([&] { CreaRecordSetPropostaContiRecordGiroconti(cache); });
}

void AccountProposal::CreaStruturaRecordSetPropostaConti() noexcept {
    module::ErrorTrap trap(window_.error_reporter(), kStructure);
    ado::RecordsetPtr& table = window_.import_state().account_proposal;
    module::ChiudiRecordset(table);
    if (!trap.run([&] { table = ado::Recordset::create(); })) return;
    const auto created = [&]() -> ado::Recordset& {
        return module::need(table, "the account-proposal table");
    };
    const auto fields = [&] { return created().GetFields(); };
    const auto append_decimal = [&](const char* name, int precision) {
        return trap.run([&] { fields().Append(name, ado::adDecimal, 0, kAttributesUnspecified); }) &&
               trap.run([&] { fields().Item(name).SetPrecision(precision); }) &&
               trap.run([&] { fields().Item(name).SetNumericScale(0); });
    };
    if (!append_decimal("CAUSALEIVA", 4)) return;
    if (!append_decimal("CG42_INDTIPOOPER", 2)) return;
    if (!append_decimal("CG37_CODICE", 4)) return;
    if (!trap.run(
            [&] { fields().Append("CG37_DESCR", ado::adVarChar, kDescriptionSize, ado::adFldIsNullable); }))
        return;
    if (!trap.run(
            [&] { fields().Append("CG36_CONTO_CG24", ado::adChar, kAccountWidth, ado::adFldIsNullable); }))
        return;
    if (!trap.run([&] { created().SetCursorLocation(ado::adUseClient); })) return;
    if (!trap.run([&] { created().SetCursorType(ado::adOpenDynamic); })) return;
    trap.run([&] { created().Open(); });
}

void AccountProposal::CreaRecordSetPropostaContiRecordGenericoTappo(ado::RecordsetPtr& cache) noexcept {
    module::ErrorTrap trap(window_.error_reporter(), kStopper);
    append_row(trap, rows::kStopper, cache);
}

void AccountProposal::CreaRecordSetPropostaContiRecordVendite(ado::RecordsetPtr& cache) noexcept {
    module::ErrorTrap trap(window_.error_reporter(), kSales);
    append_rows(trap, rows::kSales, cache);
}

void AccountProposal::CreaRecordSetPropostaContiRecordAcquisti(ado::RecordsetPtr& cache) noexcept {
    module::ErrorTrap trap(window_.error_reporter(), kPurchases);
    append_rows(trap, rows::kPurchases, cache);
}

void AccountProposal::CreaRecordSetPropostaContiRecordCorrispettivi(ado::RecordsetPtr& cache) noexcept {
    module::ErrorTrap trap(window_.error_reporter(), kReceipts);
    append_rows(trap, rows::kReceipts, cache);
}

void AccountProposal::CreaRecordSetPropostaContiRecordGiroconti(ado::RecordsetPtr& cache) noexcept {
    module::ErrorTrap trap(window_.error_reporter(), kTransfers);
    append_rows(trap, rows::kTransfers, cache);
}

void AccountProposal::append_rows(module::ErrorTrap& trap, std::span<const StandardRow> rows,
                                  ado::RecordsetPtr& cache) {
    for (const StandardRow& row : rows)
        if (!append_row(trap, row, cache)) return;
}

bool AccountProposal::append_row(module::ErrorTrap& trap, const StandardRow& row, ado::RecordsetPtr& cache) {
    ado::RecordsetPtr& held = window_.import_state().account_proposal;
    const auto table = [&]() -> ado::Recordset& { return module::need(held, "the account-proposal table"); };
    std::string description;
    std::string account;
    // The steps of one row, each trapped on its own (retry runs the step again, ignore goes
    // on with the next one).
    const std::function<void()> steps[] = {
        [&] { table().AddNew(); },
        [&] { table()["CAUSALEIVA"] = ado::Variant(row.vat_causal); },
        [&] { table()["CG42_INDTIPOOPER"] = ado::Variant(row.operation_type); },
        [&] { table()["CG37_CODICE"] = setting(row.setting); },
        [&] { description = GetDatiPropostaConti(cache, setting(row.setting).to_integer(), account); },
        [&] { table()["CG37_DESCR"] = ado::Variant(description); },
        [&] { table()["CG36_CONTO_CG24"] = module::ValoreDefault(account, ""); },
        [&] { table().Update(); },
    };
    for (const std::function<void()>& step : steps) {
        if (trap.run(step)) continue;
        // Left half-built, the row would be saved by the next AddNew.
        module::suppress([&] {
            if (held && held->State() == ado::adStateOpen && held->EditPending()) held->CancelUpdate();
        });
        return false;
    }
    return true;
}

ado::Variant AccountProposal::setting(Setting which) {
    const std::shared_ptr<host::AccountingParameters> parameters =
        module::cls_global(window_.module_context().module_object()).Accounting();
    return module::ValoreDefault(
        module::need(parameters, "ClsGlobal.Accounting").ParametroProposta(static_cast<int>(which)),
        std::int16_t{0});
}

std::string AccountProposal::GetDatiPropostaConti(ado::RecordsetPtr& cache, std::int16_t code,
                                                  std::string& account) noexcept {
    std::string description;
    account.clear();
    if (code == 0) return description;
    module::ErrorTrap trap(window_.error_reporter(), kProposalData);
    const module::ModuleState& shared = window_.module_context().state();
    if (!cache && !trap.run([&] {
            cache = module::need(shared.connection, "the module connection")
                        .Execute(proposal_codes_statement(shared.company.chart_of_accounts_group));
        }))
        return description;
    long codes = 0;
    if (!trap.run([&] { codes = module::need(cache, "the proposal cache").RecordCount(); }))
        return description;
    if (codes == 0) return description;

    module::ScopedRecordset found;
    if (!trap.run([&] { found = module::need(cache, "the proposal cache").Clone(); })) return description;
    if (!trap.run(
            [&] { opened(found, "the proposal clone").SetFilter("CG37_CODICE = " + std::to_string(code)); }))
        return description;
    bool any = false;
    if (!trap.run([&] { any = opened(found, "the proposal clone").RecordCount() > 0; })) return description;
    if (!any) return description;
    if (!trap.run([&] { found->MoveFirst(); })) return description;
    // A code without an account in the group gives blanks (stored as no account).
    if (!trap.run([&] {
            account = module::StringaFissa(found->GetFields()["CG36_CONTO_CG24"].Value(), kAccountWidth);
        }))
        return description;
    trap.run([&] { description = ado::trim(found->GetFields()["CG37_DESCR"].Value().text_or_empty()); });
    return description;
}

}  // namespace proposal
