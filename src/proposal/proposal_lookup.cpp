#include "proposal/proposal_lookup.h"

#include <string>

#include "ado/connection.h"
#include "ado/sqltext.h"
#include "importfile/window_context.h"
#include "modulebase/error_trap.h"
#include "modulebase/host_access.h"
#include "modulebase/module_context.h"
#include "modulebase/routines.h"
#include "modulebase/scoped_recordset.h"

namespace proposal {

namespace {

constexpr std::int16_t kCausalWidth = 4;
constexpr std::int16_t kAccountWidth = 10;
// The VAT causal of a causal that has none usable, and the highest one there is.
constexpr std::int16_t kFallbackVatCausal = 109;
constexpr std::int16_t kHighestVatCausal = 300;

// The VAT causal of the causal in the group company's causal table (the causal's own code
// when it names none).
ado::SqlText vat_causal_statement(const std::string& causal) {
    ado::SqlText sql;
    sql.line(" SELECT LTRIM(RTRIM(COALESCE(CG33_CAUSALEIVA, CG33_CODICE, ''))) AS CAUSALEIVA")
        .line(" FROM CG33_TABCAU WITH (NOLOCK)")
        .line(" WHERE CG33_CODICE = '")
        .value(module::StringaFissa(causal, kCausalWidth))
        .add("'");
    return sql;
}

std::string pair_filter(std::int16_t vat_causal, std::int16_t operation_type) {
    return "CAUSALEIVA = " + std::to_string(vat_causal) + " AND " +
           "CG42_INDTIPOOPER = " + std::to_string(operation_type);
}

// A VAT causal that is missing, not a number or above the highest stands for the fallback.
std::int16_t usable_vat_causal(const std::string& text) {
    const ado::Variant value(text);
    if (!value.is_numeric() || value.to_decimal() > ado::Decimal(kHighestVatCausal))
        return kFallbackVatCausal;
    return value.to_integer();
}

ado::Recordset& opened(const module::ScopedRecordset& recordset, const char* what) {
    return module::need(recordset.operator->(), what);
}

}  // namespace

bool ProposalLookup::IsPresenteElementoTranscodificaPropostaConti(const ado::Variant& causal,
                                                                  const ado::Variant& operation_type,
                                                                  std::string& description,
                                                                  std::string& account) noexcept {
    bool proposed = false;
    description.clear();
    account.clear();
    module::ErrorTrap trap(window_.error_reporter(), kProcedure);

    std::string causal_code;
    std::int16_t operation = 0;
    if (!trap.run([&] { causal_code = causal.text_or_empty(); })) return proposed;
    if (!trap.run([&] { operation = module::ValoreDefault(operation_type, std::int16_t{0}).to_integer(); }))
        return proposed;
    // Codes are blank-padded: a blank causal is no causal.
    if (ado::trim(causal_code).empty() && operation == 0) return proposed;

    module::ScopedRecordset causals;
    if (!trap.run([&] {
            causals = importfile::module_connection(window_).Execute(vat_causal_statement(causal_code));
        }))
        return proposed;
    std::string vat_causal_text;
    if (!trap.run([&] {
            ado::Recordset& rs = opened(causals, "the causal");
            if (!(rs.BOF() && rs.EOF()))
                vat_causal_text = rs.GetFields()["CAUSALEIVA"].Value().text_or_empty();
        }))
        return proposed;
    std::int16_t vat_causal = kFallbackVatCausal;
    if (!trap.run([&] { vat_causal = usable_vat_causal(vat_causal_text); })) return proposed;

    // A clone, so that the window's table keeps its own filter and position.
    module::ScopedRecordset proposals;
    if (!trap.run([&] {
            proposals =
                module::need(window_.import_state().account_proposal, "the account-proposal table").Clone();
        }))
        return proposed;
    long matches = 0;
    if (!trap.run(
            [&] { opened(proposals, "the proposal clone").SetFilter(pair_filter(vat_causal, operation)); }))
        return proposed;
    if (!trap.run([&] { matches = opened(proposals, "the proposal clone").RecordCount(); })) return proposed;
    if (matches == 0) {
        if (!trap.run([&] { opened(proposals, "the proposal clone").SetFilter(pair_filter(0, 0)); }))
            return proposed;
        if (!trap.run([&] { matches = opened(proposals, "the proposal clone").RecordCount(); }))
            return proposed;
        if (matches == 0) return proposed;
    }
    if (!trap.run([&] { proposals->MoveFirst(); })) return proposed;
    if (!trap.run([&] { description = proposals->GetFields()["CG37_DESCR"].Value().text_or_empty(); }))
        return proposed;
    if (!trap.run([&] {
            account = module::StringaFissa(proposals->GetFields()["CG36_CONTO_CG24"].Value().text_or_empty(),
                                           kAccountWidth);
        }))
        return proposed;
    trap.run([&] { proposed = !ado::trim(account).empty(); });
    return proposed;
}

}  // namespace proposal
