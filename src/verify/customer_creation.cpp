#include "verify/customer_creation.h"

#include <array>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "ado/connection.h"
#include "ado/datetime.h"
#include "ado/sqltext.h"
#include "ado/types.h"
#include "host/components.h"
#include "host/services.h"
#include "importfile/window_context.h"
#include "log/import_log.h"
#include "log/log_states.h"
#include "modulebase/error_trap.h"
#include "modulebase/host_access.h"
#include "modulebase/module_context.h"
#include "modulebase/scoped_recordset.h"
#include "verify/record_copy.h"
#include "verify/transcoding.h"

namespace verify {

namespace {

constexpr const char* kRegistryTable = "CG16_ANAGGEN";
constexpr const char* kCustomerTable = "CG44_CLIFOR";
constexpr std::int32_t kCustomerNumbering = 901;
constexpr std::int32_t kSupplierNumbering = 902;

constexpr const char* kRegistrySuffix = " in inserimento anagrafica.";
constexpr const char* kCustomerSuffix = " in inserimento cliente o fornitore.";

// Columns the new records never take from the file: links to tables of the member's own
// books, which mean nothing in the group company.
constexpr std::array<std::string_view, 6> kRegistryNulls = {
    "CG16_CODICE_CG15", "CG16_IDMEDIA_CG99", "CG16_CODICE_CGC0",
    "CG16_AUID_AU04",   "CG16_CODRICHIAMO",  "CG16_RAPAZEST_CG16",
};
constexpr std::array<std::string_view, 3> kMunicipalityColumns = {"CG16_COMANA_CG01", "CG16_COMFIS_CG01",
                                                                  "CG16_COMNASCITA_CG01"};
constexpr std::array<std::string_view, 16> kCustomerNulls = {
    "CG44_GRUPPO_CG10", "CG44_CONTO_CG24",  "CG44_CONTOR_CG24",  "CG44_CODPAG_CG62",
    "CG44_CODABI_CG12", "CG44_CODCAB_CG13", "CG44_TIPOCF_CG40",  "CG44_INTERMEDIO_CG40",
    "CG44_CODICE_CG08", "CG44_CODICE_CG28", "CG44_CODSEDE_CG31", "CG44_IDMEDIA_CG99",
    "CG44_CODCAT_MGA3", "CG44_PROGR_EF08",  "CG44_ANAGBL_CG16",  "CG44_IDAGENTE_MG17",
};

bool same_name(std::string_view a, std::string_view b) {
    return ado::collate_compare(a, b) == 0;
}

template <std::size_t N>
bool one_of(std::string_view column, const std::array<std::string_view, N>& names) {
    for (std::string_view name : names)
        if (same_name(column, name)) return true;
    return false;
}

// True when the statement returns a row (the code is taken).
bool returns_row(ado::Connection& connection, const ado::SqlText& statement) {
    module::ScopedRecordset found(connection.Execute(statement));
    return found && found->State() == ado::adStateOpen && !(found->BOF() && found->EOF());
}

// The state and message of a record the database refused, or of a value a column refused.
void refused(CreationResult& result, const char* suffix) noexcept {
    result.message = module::current_error_info().description + suffix;
    result.state = importlog::kWriteFailed;
}

}  // namespace

std::int32_t CustomerSupplierCreation::GetNuovoCodiceAnagrafica() noexcept {
    std::int32_t code = 0;
    const module::ModuleState& state = window_.module_context().state();
    importfile::ImportState& import = window_.import_state();
    module::ErrorTrap trap(window_.error_reporter(), kNewRegistryProcedure);
    for (int attempt = 0; code == 0 && attempt < kMaxCodeAttempts; ++attempt) {
        if (!trap.run([&] {
                if (!import.progressive_numbers)
                    import.progressive_numbers =
                        module::created(module::host_classes(window_.module_context().module_object())
                                            .CreateProgressiveNumberService(),
                                        "the progressive-number service");
                const std::vector<ado::Variant> values = import.progressive_numbers->Reserve(
                    state.connection_string, "CG26_PROGANAG", {{"CG26_CODICE", ado::Variant("ANAGG")}},
                    {"CG26_VALPROG"});
                if (values.empty())
                    throw ado::Error(ado::kErrArgument, "The progressive-number service returned no value.");
                code = values.front().to_long();
            }))
            return code;
        ado::SqlText taken;
        taken.line(" SELECT CG16_CODICE")
            .line(" FROM CG16_ANAGGEN  WITH (NOLOCK)")
            .line(" WHERE CG16_CODICE = ")
            .number(code);
        if (!trap.run([&] {
                if (returns_row(importfile::module_connection(window_), taken)) code = 0;
            }))
            return code;
    }
    return code;
}

std::int32_t CustomerSupplierCreation::GetUltimoCodiceClienteFornitore(std::int16_t type) noexcept {
    bool abandoned = false;
    return take_customer_number(type, abandoned);
}

std::int32_t CustomerSupplierCreation::take_customer_number(std::int16_t type, bool& abandoned) noexcept {
    std::int32_t number = 0;
    module::ModuleContext& context = window_.module_context();
    const module::ModuleState& state = context.state();
    std::shared_ptr<host::NumberingRequest>& kept = window_.import_state().code_numbering;
    module::ErrorTrap trap(window_.error_reporter(), kLastCodeProcedure);
    const auto step = [&](auto&& statement) {
        if (trap.run(statement)) return true;
        abandoned = true;
        return false;
    };

    // Created once, given the connection and the company, and kept by the window.
    if (!kept) {
        std::shared_ptr<host::NumberingRequest> made;
        if (!step([&] {
                made = module::created(module::host_classes(context.module_object()).CreateNumberingRequest(),
                                       "the numbering service");
            }))
            return number;
        if (!step([&] { module::need(made, "the numbering service").SetConnection(state.connection); }))
            return number;
        if (!step([&] {
                module::need(made, "the numbering service").SetConnectionString(state.connection_string);
            }))
            return number;
        if (!step(
                [&] { module::need(made, "the numbering service").SetCompany(state.company.company_code); }))
            return number;
        kept = std::move(made);
    }

    const auto request = [&]() -> host::NumberingRequest& {
        return module::need(kept, "the numbering service");
    };
    const ado::DateTime today = ado::DateTime::today();
    if (!step([&] { request().SetYear(today.year()); })) return number;
    if (!step([&] { request().SetCompanyAgain(state.company.company_code); })) return number;
    if (!step([&] { request().SetSection(ado::Variant("00")); })) return number;
    if (!step([&] { request().SetNumberingKind(type == 0 ? kCustomerNumbering : kSupplierNumbering); }))
        return number;
    if (!step([&] { request().SetUpdateDate(ado::Variant(today)); })) return number;
    if (!step([&] { request().SetDate(ado::Variant(today)); })) return number;
    if (!step([&] { request().SetOperation(host::kTakeNewNumber); })) return number;
    if (!step([&] { request().Run(); })) return number;
    step([&] { number = request().Number().to_long(); });
    return number;
}

std::int32_t CustomerSupplierCreation::GetNuovoCodiceCliFor(std::int16_t type) noexcept {
    std::int32_t code = 0;
    const module::ModuleState& state = window_.module_context().state();
    module::ErrorTrap trap(window_.error_reporter(), kNewCodeProcedure);
    for (int attempt = 0; code == 0 && attempt < kMaxCodeAttempts; ++attempt) {
        // A numbering service whose error was answered with abort is not asked again.
        bool abandoned = false;
        code = take_customer_number(type, abandoned);
        if (abandoned) return code;
        ado::SqlText taken;
        taken.line(" SELECT CG44_CLIFOR")
            .line(" FROM CG44_CLIFOR  WITH (NOLOCK)")
            .line(" WHERE CG44_DITTA_CG18 = ")
            .number(state.company.company_code)
            .line("     AND CG44_TIPOCF = ")
            .number(type)
            .line("     AND CG44_CLIFOR = ")
            .number(code);
        if (!trap.run([&] {
                if (returns_row(importfile::module_connection(window_), taken)) code = 0;
            }))
            return code;
    }
    return code;
}

ado::RecordsetPtr CustomerSupplierCreation::new_record(const char* table) {
    ado::SqlText none;
    none.line(" SELECT *").line(" FROM ").add(table).add(" WITH (NOLOCK)").line(" WHERE 1 = 0");
    ado::RecordsetPtr record = ado::Recordset::create();
    record->Open(none.text(), importfile::module_connection(window_), ado::adOpenKeyset,
                 ado::adLockOptimistic);
    record->AddNew();
    return record;
}

ado::Variant CustomerSupplierCreation::new_guid() {
    module::ScopedRecordset guid(importfile::module_connection(window_).Execute("SELECT NEWID()"));
    return guid->GetFields().Item(0).Value();
}

ado::Variant CustomerSupplierCreation::municipality(const importfile::Node& row, const std::string& column) {
    const std::optional<std::string> code = row.text("CG16_ANAGGEN/" + column);
    if (code && Transcoding(window_).IsPresenteCodiceComune(ado::Variant(*code))) return ado::Variant(*code);
    return ado::Variant(ado::Null);
}

bool CustomerSupplierCreation::fill_registry(ado::Recordset& registry, const importfile::Node& row,
                                             std::int32_t registry_code, module::ErrorTrap& trap,
                                             CreationResult& result) {
    ado::Variant guid;
    if (!trap.run([&] { guid = new_guid(); })) return false;
    std::vector<std::pair<std::string_view, ado::Variant>> municipalities;
    for (std::string_view column : kMunicipalityColumns)
        municipalities.emplace_back(column, municipality(row, std::string(column)));

    const auto fill_of = [&](std::string_view column) {
        if (same_name(column, "CG16_CODICE")) return ColumnFill::set(ado::Variant::long_value(registry_code));
        if (one_of(column, kRegistryNulls)) return ColumnFill::null();
        if (same_name(column, "CG16_GUID")) return ColumnFill::set(guid);
        if (same_name(column, "CG16_ROWVERSION")) return ColumnFill::leave();
        for (const auto& [name, value] : municipalities)
            if (same_name(column, name)) return ColumnFill::set(value);
        return ColumnFill::copy();
    };
    try {
        copy_columns(registry, row, "CG16_ANAGGEN/", fill_of);
    } catch (...) {
        refused(result, kRegistrySuffix);
    }
    return true;
}

CreationResult CustomerSupplierCreation::create_with_new_registry(module::ErrorTrap& trap,
                                                                  const importfile::Node& row,
                                                                  std::int16_t type) {
    CreationResult result;
    // Declared first so that it outlives everything written under it: leaving this path by
    // any way before the commit rolls the registry record back with its customer.
    std::optional<ado::TransactionGuard> transaction;
    module::ScopedRecordset registry;
    // An error answered with ignore leaves nothing to fill: the row keeps the trap's verdict.
    if (!trap.run([&] { registry = new_record(kRegistryTable); }) || !registry) return result;

    result.registry_code = GetNuovoCodiceAnagrafica();
    if (result.registry_code == 0) {
        result.message = "Impossibile recuperare un nuovo codice per l'anagrafica!";
        result.state = importlog::kWriteFailed;
    } else {
        if (!fill_registry(*registry, row, result.registry_code, trap, result)) return result;
        if (result.state != importlog::kWriteFailed) {
            // Never saved without its transaction: a registry record must not stay alone.
            if (!trap.run([&] { transaction.emplace(importfile::module_connection(window_)); }) ||
                !transaction)
                return result;
            try {
                registry->Update();
                result.state = importlog::kInserted;
            } catch (...) {
                refused(result, kRegistrySuffix);
            }
        }
    }
    registry = nullptr;
    window_.import_log().GeneraNuovaRigaLog(kRegistryTable, 1, result.state,
                                            "Nuovo codice anagrafica:" + std::to_string(result.registry_code),
                                            result.message);

    if (result.registry_code != 0 && result.state != importlog::kWriteFailed) {
        create_customer(trap, row, type, result);
        if (trap.left()) return result;
        if (result.state == importlog::kInserted && transaction && transaction->active()) {
            try {
                transaction->Commit();
            } catch (...) {
                refused(result, kCustomerSuffix);
            }
        }
    }
    // A registry record whose customer or supplier failed (or was never attempted) goes too.
    if (transaction && transaction->active()) trap.run([&] { transaction->Rollback(); });
    return result;
}

CreationResult CustomerSupplierCreation::create_on_registry(module::ErrorTrap& trap,
                                                            const importfile::Node& row, std::int16_t type,
                                                            std::int32_t registry_code) {
    CreationResult result;
    result.registry_code = registry_code;
    create_customer(trap, row, type, result);
    return result;
}

void CustomerSupplierCreation::create_customer(module::ErrorTrap& trap, const importfile::Node& row,
                                               std::int16_t type, CreationResult& result) {
    module::ScopedRecordset customer;
    if (!trap.run([&] { customer = new_record(kCustomerTable); }) || !customer) return;
    result.code = GetNuovoCodiceCliFor(type);
    if (result.code == 0) {
        result.message = std::string("Impossibile recuperare un nuovo codice per il ") +
                         (type == 0 ? "cliente" : "fornitore") + "!";
        result.state = importlog::kWriteFailed;
        return;
    }
    ado::Variant guid;
    if (!trap.run([&] { guid = new_guid(); })) return;
    const std::int32_t company = window_.module_context().state().company.company_code;
    const auto fill_of = [&](std::string_view column) {
        if (same_name(column, "CG44_IDCLIFOR") || same_name(column, "CG44_ROWVERSION"))
            return ColumnFill::leave();
        if (same_name(column, "CG44_DITTA_CG18")) return ColumnFill::set(ado::Variant::long_value(company));
        if (same_name(column, "CG44_TIPOCF")) return ColumnFill::set(ado::Variant::integer_value(type));
        if (same_name(column, "CG44_CLIFOR")) return ColumnFill::set(ado::Variant::long_value(result.code));
        if (same_name(column, "CG44_CODICE_CG16"))
            return ColumnFill::set(ado::Variant::long_value(result.registry_code));
        if (one_of(column, kCustomerNulls)) return ColumnFill::null();
        if (same_name(column, "CG44_GUID")) return ColumnFill::set(guid);
        return ColumnFill::copy();
    };
    try {
        copy_columns(*customer, row, "", fill_of);
        customer->Update();
        result.state = importlog::kInserted;
    } catch (...) {
        refused(result, kCustomerSuffix);
    }
}

}  // namespace verify
