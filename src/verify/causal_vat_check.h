#pragma once
// VerificaTabellaCausaliContabili and VerificaTabellaCodiciIVA: every accounting causal and
// VAT code of the member's file is resolved through the group structure's rules; a code the
// group company lacks is created as a copy of the member's record (with its description in
// the language table), each creation in a transaction of its own. Links between causals are
// written in a second pass, once every causal of the file exists.
#include <cstdint>
#include <string>
#include <string_view>

#include "ado/recordset.h"
#include "ado/sqltext.h"
#include "importfile/import_document.h"
#include "importfile/window_procedure.h"

namespace module {
class ErrorTrap;
}

namespace verify {

class CausalVatCheck : public importfile::WindowProcedure {
  public:
    using WindowProcedure::WindowProcedure;
    static constexpr const char* kCausals = "VerificaTabellaCausaliContabili";
    static constexpr const char* kVatCodes = "VerificaTabellaCodiciIVA";
    static constexpr const char* kNewCausal = "InserisceNuovoElementoTabellaCausaliContabili";
    static constexpr const char* kNewVatCode = "InserisceNuovoElementoTabellaCodiciIVA";

    void VerificaTabellaCausaliContabili(bool& error) noexcept;
    void VerificaTabellaCodiciIVA(bool& error) noexcept;
    // Create the causal or VAT code `code` from the member's row. The outcome is `state`:
    // 0 created, 50 failed with `message` set; unchanged when there is nothing to create
    // (no row, blank code). The linked-causal list is created when first needed.
    void InserisceNuovoElementoTabellaCausaliContabili(const std::string& code, const importfile::Node& row,
                                                       ado::RecordsetPtr& linked_causals, std::int16_t& state,
                                                       std::string& message) noexcept;
    void InserisceNuovoElementoTabellaCodiciIVA(const std::string& code, const importfile::Node& row,
                                                std::int16_t& state, std::string& message) noexcept;

    // The existence statements (code padded to 4), the creation's template statement (code
    // as passed) and the link update.
    static ado::SqlText causal_exists_statement(std::string_view code);
    static ado::SqlText vat_code_exists_statement(std::string_view code);
    static ado::SqlText template_statement(bool causal, std::string_view code);
    static ado::SqlText description_statement(bool causal, std::int32_t provider_id,
                                              std::string_view description);
    static ado::SqlText link_statement(std::string_view causal, std::string_view linked);

    // What differs between the two tables a creation writes.
    struct Table;

  private:
    void create(const Table& table, const std::string& code, const importfile::Node& row,
                ado::RecordsetPtr* linked_causals, std::int16_t& state, std::string& message) noexcept;
    void check_codes(const Table& table, module::ErrorTrap& trap, ado::RecordsetPtr* linked_causals);
    void write_links(ado::RecordsetPtr& linked_causals) noexcept;
    void keep_link(ado::RecordsetPtr& linked_causals, const std::string& code, const importfile::Node& row);
    void keep_lost_link(ado::RecordsetPtr& linked_causals, const std::string& code,
                        const importfile::Node& row);
    bool exists(bool causal, std::string_view code);
};

}  // namespace verify
