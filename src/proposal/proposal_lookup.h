#pragma once
// IsPresenteElementoTranscodificaPropostaConti: the account proposed for an accounting
// causal (through its VAT causal in the group company's causal table) and an operation
// type, from the window's account-proposal table; the stopper row when the pair is missing.
#include <cstdint>
#include <string>

#include "ado/variant.h"
#include "importfile/window_procedure.h"

namespace proposal {

class ProposalLookup : public importfile::WindowProcedure {
  public:
    using WindowProcedure::WindowProcedure;
    static constexpr const char* kProcedure = "IsPresenteElementoTranscodificaPropostaConti";

    // True when a non-blank account was proposed; `account` is then 10 characters. Both
    // strings are empty when nothing was found.
    bool IsPresenteElementoTranscodificaPropostaConti(const ado::Variant& causal,
                                                      const ado::Variant& operation_type,
                                                      std::string& description,
                                                      std::string& account) noexcept;
};

}  // namespace proposal
