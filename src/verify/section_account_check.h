#pragma once
// VerificaTabellaSezionali and VerificaTabellaPianoDeiConti: every section code and every
// account of the member's file is resolved through the group structure's rules and looked
// up in the group company; one log row per code. Nothing is written to the books.
#include <cstdint>
#include <string>
#include <string_view>

#include "ado/sqltext.h"
#include "importfile/window_procedure.h"

namespace verify {

class SectionAccountCheck : public importfile::WindowProcedure {
  public:
    using WindowProcedure::WindowProcedure;
    static constexpr const char* kSections = "VerificaTabellaSezionali";
    static constexpr const char* kAccounts = "VerificaTabellaPianoDeiConti";

    void VerificaTabellaSezionali(bool& error) noexcept;
    void VerificaTabellaPianoDeiConti(bool& error) noexcept;

    // The existence statements, line by line.
    static ado::SqlText section_statement(std::int32_t company_code, std::string_view section);
    static ado::SqlText account_statement(std::int32_t chart_group, std::string_view account);

  private:
    // Indicators other than 3: the accounts of the file's chart-of-accounts section.
    void check_chart_rows(std::int32_t indicator, bool& error) noexcept;
    // Indicator 3: the accounts the journal rows use, through the account proposal.
    void check_journal_accounts(bool& error) noexcept;
};

}  // namespace verify
