#include "verify/section_account_check.h"

#include <array>
#include <vector>

#include "importfile/progress.h"
#include "importfile/window_context.h"
#include "log/import_log.h"
#include "log/log_states.h"
#include "modulebase/error_trap.h"
#include "modulebase/module_context.h"
#include "modulebase/routines.h"
#include "proposal/proposal_lookup.h"
#include "verify/check_trap.h"
#include "verify/log_texts.h"
#include "verify/section_walk.h"
#include "verify/transcoding.h"

namespace verify {

namespace {

constexpr const char* kSectionTable = "CG68_NUMERDESC";
constexpr const char* kAccountTable = "CG24_TABPDC";
constexpr const char* kJournal = "CG41_PRIMANOTA";
constexpr int kSectionWidth = 2;
constexpr int kAccountWidth = 10;
constexpr int kCausalWidth = 4;
// VAT rows are proposed an account as operation type 3, whatever their entry's rows say.
constexpr std::int16_t kVatRowOperation = 3;

// The outcome of one code, written as its log row.
struct Verdict {
    std::int16_t state = importlog::kNoVerdict;
    std::string key;
    std::string message;
};

void write_row(importfile::ImportWindowContext& window, const char* table, const Verdict& v) {
    window.import_log().GeneraNuovaRigaLog(table, 0, v.state, v.key, v.message);
}

}  // namespace

ado::SqlText SectionAccountCheck::section_statement(std::int32_t company_code, std::string_view section) {
    ado::SqlText sql;
    sql.line(" SELECT 'OK' AS ESISTE")
        .line(" FROM CG68_NUMERDESC WITH (NOLOCK)")
        .line(" WHERE CG68_DITTA_CG18 = ")
        .number(company_code)
        .line("     AND CG68_INDTIPOLOGIA = 0")
        .line("     AND CG68_SEZIONALE = ")
        .add("'")
        .value(module::StringaFissa(ado::Variant(section), kSectionWidth))
        .add("'");
    return sql;
}

ado::SqlText SectionAccountCheck::account_statement(std::int32_t chart_group, std::string_view account) {
    ado::SqlText sql;
    sql.line(" SELECT 'OK' AS ESISTE")
        .line(" FROM CG24_TABPDC WITH (NOLOCK)")
        .line(" WHERE CG24_GRUPPO_CG10 = ")
        .number(chart_group)
        .line("     AND CG24_CONTO = ")
        .add("'")
        .value(module::StringaFissa(ado::Variant(account), kAccountWidth))
        .add("'");
    return sql;
}

void SectionAccountCheck::VerificaTabellaSezionali(bool& error) noexcept {
    module::ErrorTrap trap(window_.error_reporter(), kSections);
    stop_on_error(trap, window_, error);
    Transcoding transcoding(window_);
    const std::int32_t company = window_.module_context().state().company.company_code;
    std::int32_t indicator = kUnchanged;
    std::string fixed;
    if (!trap.run([&] {
            const KindDefaults defaults = transcoding.defaults_of(kKindSection);
            indicator = defaults.indicator;
            fixed = module::TrimStringa(ado::Variant(defaults.fixed_value));
        }))
        return;

    for_each_row(
        window_.import_state().document.get(), kSectionTable, [&](long, const importfile::Node& row) {
            Verdict v;
            const std::string raw = row.text_or_empty("CG68_SEZIONALE");
            v.key = "Codice sezionale: " + module::StringaFissa(ado::Variant(raw), kSectionWidth);
            const bool go_on = trap.run([&] {
                std::string internal;
                switch (indicator) {
                    case kTranscoded:
                        v.state = importlog::kExisting;
                        if (!transcoding.IsPresenteTranscodifica(transcoding_filter(kKindSection, raw),
                                                                 internal)) {
                            v.state = importlog::kNoTranscoding;
                            v.message = kTextNoTranscoding;
                        } else if (!transcoding.IsPresenteElementoTranscodifica(
                                       section_statement(company, internal))) {
                            v.state = importlog::kTranscodingTargetMissing;
                            v.message = kTextTranscodedMissing;
                        }
                        break;
                    case kFixedValue:
                        v.state = importlog::kExisting;
                        if (!transcoding.IsPresenteElementoTranscodifica(section_statement(company, fixed))) {
                            v.state = importlog::kTranscodingTargetMissing;
                            v.message = kTextFixedMissing;
                        }
                        break;
                    default:  // sections are never used as they stand
                        v.message = kTextKindNotProvided;
                        break;
                }
            });
            if (!go_on) return false;
            if (!trap.run([&] { write_row(window_, kSectionTable, v); })) return false;
            importfile::AggiornaProgressBar(window_, importfile::kProgressStep);
            return true;
        });
}

void SectionAccountCheck::VerificaTabellaPianoDeiConti(bool& error) noexcept {
    module::ErrorTrap trap(window_.error_reporter(), kAccounts);
    stop_on_error(trap, window_, error);
    std::int32_t indicator = kUnchanged;
    if (!trap.run([&] { indicator = Transcoding(window_).defaults_of(kKindAccount).indicator; })) return;
    if (indicator == kAccountProposal)
        check_journal_accounts(error);
    else
        check_chart_rows(indicator, error);
}

void SectionAccountCheck::check_chart_rows(std::int32_t indicator, bool& error) noexcept {
    module::ErrorTrap trap(window_.error_reporter(), kAccounts);
    stop_on_error(trap, window_, error);
    Transcoding transcoding(window_);
    const std::int32_t group = window_.module_context().state().company.chart_of_accounts_group;
    std::string fixed;
    if (!trap.run([&] {
            fixed = module::TrimStringa(ado::Variant(transcoding.defaults_of(kKindAccount).fixed_value));
        }))
        return;

    for_each_row(
        window_.import_state().document.get(), kAccountTable, [&](long, const importfile::Node& row) {
            Verdict v;
            const std::string raw = row.text_or_empty("CG24_CONTO");
            v.key = "Codice conto: " + module::StringaFissa(ado::Variant(raw), kAccountWidth);
            const bool go_on = trap.run([&] {
                std::string internal;
                switch (indicator) {
                    case kUnchanged:
                        v.state = importlog::kExisting;
                        if (!transcoding.IsPresenteElementoTranscodifica(account_statement(group, raw))) {
                            v.state = importlog::kMissing;
                            v.message = kTextMissing;
                        }
                        break;
                    case kTranscoded:
                        v.state = importlog::kExisting;
                        if (!transcoding.IsPresenteTranscodifica(transcoding_filter(kKindAccount, raw),
                                                                 internal)) {
                            v.state = importlog::kNoTranscoding;
                            v.message = kTextNoTranscoding;
                        } else if (!transcoding.IsPresenteElementoTranscodifica(
                                       account_statement(group, internal))) {
                            v.state = importlog::kTranscodingTargetMissing;
                            v.message = kTextTranscodedMissing;
                        }
                        break;
                    case kFixedValue:
                        v.state = importlog::kExisting;
                        if (!transcoding.IsPresenteElementoTranscodifica(account_statement(group, fixed))) {
                            v.state = importlog::kTranscodingTargetMissing;
                            v.message = kTextFixedMissing;
                        }
                        break;
                    default:
                        v.message = kTextKindNotProvided;
                        break;
                }
            });
            if (!go_on) return false;
            if (!trap.run([&] { write_row(window_, kAccountTable, v); })) return false;
            importfile::AggiornaProgressBar(window_, importfile::kProgressStep);
            return true;
        });
}

namespace {

// An account of a journal entry with the operation type its proposal is asked for.
struct UsedAccount {
    std::string account;  // 10 characters
    std::int16_t operation_type = 0;
};

std::int16_t operation_type_of(const importfile::Node& row) {
    const std::string text = module::TrimStringa(ado::Variant(row.text_or_empty("CG42_INDTIPOOPER")));
    return text.empty() ? std::int16_t{0} : ado::Variant(text).to_integer();
}

}  // namespace

void SectionAccountCheck::check_journal_accounts(bool& error) noexcept {
    module::ErrorTrap trap(window_.error_reporter(), kAccounts);
    stop_on_error(trap, window_, error);
    Transcoding transcoding(window_);
    proposal::ProposalLookup proposals(window_);
    const importfile::ImportState& state = window_.import_state();
    const importfile::ImportDocument* document = state.document.get();

    for_each_row(document, kJournal, [&](long i, const importfile::Node& entry) {
        const std::string causal =
            module::StringaFissa(ado::Variant(entry.text_or_empty("CG41_CODICE_CG33")), kCausalWidth);
        std::vector<UsedAccount> used;
        const bool read = trap.run([&] {
            const long rows = document->child_count(kJournal, i, "CG42_MOVCONT");
            for (long j = 1; j <= rows; ++j) {
                const importfile::Node row = document->row_child(kJournal, i, "CG42_MOVCONT", j);
                if (!row.present()) continue;
                used.push_back({module::StringaFissa(ado::Variant(row.text_or_empty("CG42_CONTOPAR_CG24")),
                                                     kAccountWidth),
                                operation_type_of(row)});
            }
            const long vat_rows = document->child_count(kJournal, i, "CG43_MOVIVA");
            for (long k = 1; k <= vat_rows; ++k) {
                const importfile::Node row = document->row_child(kJournal, i, "CG43_MOVIVA", k);
                if (!row.present()) continue;
                used.push_back(
                    {module::StringaFissa(ado::Variant(row.text_or_empty("CG43_CONTO_CG24")), kAccountWidth),
                     kVatRowOperation});
            }
        });
        if (!read) return false;
        for (const UsedAccount& a : used) {
            if (a.account == state.customers_mastro || a.account == state.suppliers_mastro) continue;
            Verdict v;
            v.state = importlog::kExisting;
            v.key = "Codice conto: " + a.account;
            const bool go_on = trap.run([&] {
                std::string internal;
                if (transcoding.IsPresenteTranscodifica(transcoding_filter(kKindAccount, a.account),
                                                        internal))
                    return;
                std::string description, account;
                if (proposals.IsPresenteElementoTranscodificaPropostaConti(
                        ado::Variant(causal), ado::Variant(a.operation_type), description, account))
                    return;
                v.state = importlog::kProposalNotTranscoded;
                v.key += " - Contropartita: " + description;
                v.message = kTextNoProposal;
            });
            if (!go_on) return false;
            if (!trap.run([&] { write_row(window_, kAccountTable, v); })) return false;
        }
        importfile::AggiornaProgressBar(window_, importfile::kProgressStep);
        return true;
    });
}

}  // namespace verify
