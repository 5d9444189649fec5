#pragma once
// CreaRecordSetPropostaConti and its procedures: the account-proposal table that the import
// window builds once, at its first activation, into ImportState::account_proposal. One row
// per pair of VAT causal and operation type that the system knows (standard_rows.h), after
// the stopper row (0, 0); each row carries the standard proposal code read from the host's
// accounting parameters, its description and the account of the company's chart-of-accounts
// group.
#include <cstdint>
#include <span>
#include <string>

#include "ado/recordset.h"
#include "importfile/window_procedure.h"
#include "proposal/standard_rows.h"

namespace module {
class ErrorTrap;
}

namespace proposal {

class AccountProposal : public importfile::WindowProcedure {
  public:
    using WindowProcedure::WindowProcedure;
    static constexpr const char* kBuild = "CreaRecordSetPropostaConti";
    static constexpr const char* kStructure = "CreaStruturaRecordSetPropostaConti";
    static constexpr const char* kStopper = "CreaRecordSetPropostaContiRecordGenericoTappo";
    static constexpr const char* kSales = "CreaRecordSetPropostaContiRecordVendite";
    static constexpr const char* kPurchases = "CreaRecordSetPropostaContiRecordAcquisti";
    static constexpr const char* kReceipts = "CreaRecordSetPropostaContiRecordCorrispettivi";
    static constexpr const char* kTransfers = "CreaRecordSetPropostaContiRecordGiroconti";
    static constexpr const char* kProposalData = "GetDatiPropostaConti";

    // The cache passed to the row procedures starts null; the first code that needs it loads
    // every standard proposal code with its account of the company's chart-of-accounts group
    // (one query for the whole table), and it is closed when the table is built.
    void CreaRecordSetPropostaConti() noexcept;
    void CreaStruturaRecordSetPropostaConti() noexcept;
    void CreaRecordSetPropostaContiRecordGenericoTappo(ado::RecordsetPtr& cache) noexcept;
    void CreaRecordSetPropostaContiRecordVendite(ado::RecordsetPtr& cache) noexcept;
    void CreaRecordSetPropostaContiRecordAcquisti(ado::RecordsetPtr& cache) noexcept;
    void CreaRecordSetPropostaContiRecordCorrispettivi(ado::RecordsetPtr& cache) noexcept;
    void CreaRecordSetPropostaContiRecordGiroconti(ado::RecordsetPtr& cache) noexcept;
    // The description of a standard proposal code; `account` gets its account (10 characters).
    std::string GetDatiPropostaConti(ado::RecordsetPtr& cache, std::int16_t code,
                                     std::string& account) noexcept;

  private:
    // Appends the rows in order under the caller's trap; a row left half-built (the error
    // routine answered abort) is dropped, the rows saved before it stay.
    void append_rows(module::ErrorTrap& trap, std::span<const StandardRow> rows, ado::RecordsetPtr& cache);
    bool append_row(module::ErrorTrap& trap, const StandardRow& row, ado::RecordsetPtr& cache);
    // The host setting with null or blank taken as 0, read from the host at each call.
    ado::Variant setting(Setting which);
};

}  // namespace proposal
