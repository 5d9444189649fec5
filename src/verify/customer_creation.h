#pragma once
// The creation of the customers and suppliers the group company lacks, as copies of the
// member's records carried in the import file: a new general registry record with its
// customer or supplier when no registry record matched (path A, one transaction for both),
// or a new customer or supplier hung on the registry record that matched (path B). New codes
// come from the host's progressive-number service (registry codes) and numbering service
// (customer and supplier codes); each code is checked against its table before use.
//
// Both paths are steps of the customer/supplier check: its trap (with its procedure's name)
// receives their unexpected errors, while a record the database refuses is an expected
// outcome that comes back as state 50 with the database's message.
#include <cstdint>
#include <string>

#include "ado/recordset.h"
#include "importfile/import_document.h"
#include "importfile/window_procedure.h"
#include "log/log_states.h"

namespace ado {
class Connection;
}
namespace module {
class ErrorTrap;
}

namespace verify {

// What a creation hands back to the check for its log row and the customer/supplier map.
struct CreationResult {
    std::int16_t state = importlog::kNoVerdict;  // kInserted, or kWriteFailed with the message set
    std::string message;
    std::int32_t registry_code = 0;
    std::int32_t code = 0;  // the new customer or supplier code (0 when none was obtained)
};

class CustomerSupplierCreation : public importfile::WindowProcedure {
  public:
    using WindowProcedure::WindowProcedure;

    // A service that keeps answering 0 or codes already taken would hold the code loops
    // forever: each gives up after this many numbers and answers 0, which the paths report
    // as "Impossibile recuperare un nuovo codice ...".
    static constexpr int kMaxCodeAttempts = 1000;

    static constexpr const char* kNewRegistryProcedure = "GetNuovoCodiceAnagrafica";
    static constexpr const char* kLastCodeProcedure = "GetUltimoCodiceClienteFornitore";
    static constexpr const char* kNewCodeProcedure = "GetNuovoCodiceCliFor";

    // A new registry code not yet used in CG16_ANAGGEN (0 when none could be had).
    std::int32_t GetNuovoCodiceAnagrafica() noexcept;
    // The number the numbering service hands out for the type (kind 901 customers, 902
    // anything else), 0 when none could be had.
    std::int32_t GetUltimoCodiceClienteFornitore(std::int16_t type) noexcept;
    // A new customer or supplier code not yet used for the company and type (0 when none).
    std::int32_t GetNuovoCodiceCliFor(std::int16_t type) noexcept;

    // Path A: a new registry record and a customer or supplier on it, committed together.
    // Writes the registry's own log row (CG16_ANAGGEN, level 1).
    CreationResult create_with_new_registry(module::ErrorTrap& trap, const importfile::Node& row,
                                            std::int16_t type);
    // Path B: a new customer or supplier on the registry record `registry_code`.
    CreationResult create_on_registry(module::ErrorTrap& trap, const importfile::Node& row, std::int16_t type,
                                      std::int32_t registry_code);

  private:
    // The number of the numbering service; `abandoned` tells that its procedure was left
    // through the error routine (no use asking again).
    std::int32_t take_customer_number(std::int16_t type, bool& abandoned) noexcept;
    // Steps of path B on an open transaction or none; `result` gets state and message.
    void create_customer(module::ErrorTrap& trap, const importfile::Node& row, std::int16_t type,
                         CreationResult& result);
    // Opens an updatable record set on no rows of `table` with a pending new row.
    ado::RecordsetPtr new_record(const char* table);
    // The first column of "SELECT NEWID()" on the module connection.
    ado::Variant new_guid();
    // A municipality code column: the element's text when CG01_ANAGCOMUNI has it, else Null.
    ado::Variant municipality(const importfile::Node& row, const std::string& column);
    bool fill_registry(ado::Recordset& registry, const importfile::Node& row, std::int32_t registry_code,
                       module::ErrorTrap& trap, CreationResult& result);
};

}  // namespace verify
