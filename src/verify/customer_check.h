#pragma once
// VerificaTabellaClientiFornitoriAnagraficheGenerali: the last section check of the
// verification. Every customer and supplier of the member listed in the import file is
// matched, by the registry data it carries, with a customer or supplier of the group
// company, or created (customer_creation.h). Each row ends as a log row (CG44_CLIFOR, level
// 0) and, when a group code is known, as a record of the customer/supplier map that the
// journal import translates the member's codes with.
#include <cstdint>
#include <string>

#include "ado/sqltext.h"
#include "importfile/window_procedure.h"

namespace importfile {
class Node;
}
namespace module {
class ErrorTrap;
}

namespace verify {

// The values of one file row that the registry match compares.
struct RegistryMatchValues {
    std::string vat_number;  // the VAT number, or the foreign one when it is empty
    std::string tax_code;
    std::string name;  // name, address and city as read: the statement doubles their quotes
    std::string address;
    std::string city;
    std::int32_t company = 0;
    std::int16_t type = -1;
};

class CustomerSupplierCheck : public importfile::WindowProcedure {
  public:
    using WindowProcedure::WindowProcedure;
    static constexpr const char* kProcedure = "VerificaTabellaClientiFornitoriAnagraficheGenerali";
    static constexpr const char* kMapProcedure = "CreaStrutturaRecorSetClientiFornitori";
    static constexpr const char* kSection = "CG44_CLIFOR";

    // Walks /MovimentiCoGe/CG44_CLIFOR/Row. Rows that cannot be matched or created are log
    // rows in state 50; `error` is set only by an unexpected error. The map stays open for
    // the journal import.
    void VerificaTabellaClientiFornitoriAnagraficheGenerali(bool& error) noexcept;
    // Drops any earlier map and opens a new, empty one: TIPOCF, CLIFOR, CF_SORGENTE.
    void CreaStrutturaRecorSetClientiFornitori() noexcept;

    // The registry match: three branches by VAT number, tax code and name, with the
    // company's customer or supplier of the type on each registry record found; the column
    // ORDINE gives the branch, the lower the better.
    static ado::SqlText registry_match_statement(const RegistryMatchValues& values);

  private:
    struct RowOutcome;
    void check_row(module::ErrorTrap& trap, long index, RowOutcome& outcome);
    void match_or_create(module::ErrorTrap& trap, const importfile::Node& row, RowOutcome& outcome);
    void append_to_map(const RowOutcome& outcome);
};

}  // namespace verify
