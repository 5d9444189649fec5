#include "verify/customer_check.h"

#include <optional>
#include <string>

#include "ado/connection.h"
#include "ado/error.h"
#include "ado/recordset.h"
#include "ado/types.h"
#include "importfile/import_document.h"
#include "importfile/progress.h"
#include "importfile/window_context.h"
#include "log/import_log.h"
#include "log/log_states.h"
#include "modulebase/error_trap.h"
#include "modulebase/host_access.h"
#include "modulebase/module_context.h"
#include "modulebase/routines.h"
#include "modulebase/scoped_recordset.h"
#include "verify/check_trap.h"
#include "verify/customer_creation.h"

namespace verify {

namespace {

// The registry record a match found, with the company's customer or supplier on it (Null
// or 0 when there is none).
struct RegistryMatch {
    std::int32_t order = 0;
    ado::Variant customer;
    ado::Variant registry;
};

// Lines 18 to 24 of every branch: the registry record with the company's customer or
// supplier of the file's type on it, when there is one.
void registry_with_customer(ado::SqlText& sql) {
    sql.line("     , CG44_CLIFOR")
        .line("     , CG16_CODICE")
        .line(" FROM CG16_ANAGGEN WITH (NOLOCK)")
        .line(" LEFT OUTER JOIN CG44_CLIFOR WITH (NOLOCK)")
        .line("     ON CG44_DITTA_CG18 = @DITTA")
        .line("         AND CG44_TIPOCF = @TIPOCF")
        .line("             AND CG44_CODICE_CG16 = CG16_CODICE");
}

// Text of an element that may be missing (read as empty), with errors ignored.
std::string text_of(const importfile::Node& row, const char* path) {
    return module::suppress_or(std::string(), [&] { return row.text_or_empty(path); });
}

}  // namespace

struct CustomerSupplierCheck::RowOutcome {
    bool active = false;  // a row is being checked: an error's description becomes its message
    std::int32_t member_code = 0;
    std::int16_t type = -1;
    std::int16_t state = importlog::kNoVerdict;
    std::string key;
    std::string message;
    std::int32_t group_code = 0;
};

ado::SqlText CustomerSupplierCheck::registry_match_statement(const RegistryMatchValues& values) {
    ado::SqlText sql;
    sql.line(" DECLARE @PI AS VARCHAR(20)")
        .line(" DECLARE @CF AS VARCHAR(20)")
        .line(" DECLARE @RS AS NVARCHAR(60)")
        .line(" DECLARE @IND AS NVARCHAR(40)")
        .line(" DECLARE @CIT AS NVARCHAR(40)")
        .line(" DECLARE @DITTA AS VARCHAR(5)")
        .line(" DECLARE @TIPOCF AS CHAR(1)")
        .blank_line();
    // VAT number and tax code go in as read: a quote in them fails the statement.
    sql.line(" SET @PI = '").value(values.vat_number).add("'");
    sql.line(" SET @CF = '").value(values.tax_code).add("'");
    sql.line(" SET @RS = '").add(module::RaddoppiaApici(values.name)).add("'");
    sql.line(" SET @IND = '").add(module::RaddoppiaApici(values.address)).add("'");
    sql.line(" SET @CIT = '").add(module::RaddoppiaApici(values.city)).add("'");
    sql.line(" SET @DITTA = ").number(values.company);
    sql.line(" SET @TIPOCF = ").number(values.type);
    sql.blank_line();

    sql.line(" SELECT 1 AS ORDINE");
    registry_with_customer(sql);
    sql.line(" WHERE ISNULL(@PI, '') <> ''")
        .line("     AND COALESCE(CG16_PARTIVA_EST, CG16_PARTIVA, '') = ISNULL(@PI, '')")
        .line("     AND ISNULL(CG16_CODFISCALE, '') = ISNULL(@CF, '')")
        .blank_line()
        .line(" UNION")
        .blank_line();

    sql.line(" SELECT 2 AS ORDINE");
    registry_with_customer(sql);
    sql.line(" WHERE (COALESCE(CG16_PARTIVA_EST, CG16_PARTIVA, '') = '' OR ISNULL(@PI, '') = '')")
        .line("     AND ISNULL(@CF, '') <> ''")
        .line("     AND ISNULL(CG16_CODFISCALE, '') = ISNULL(@CF, '')")
        .blank_line()
        .line(" UNION")
        .blank_line();

    sql.line(" SELECT 3 AS ORDINE");
    registry_with_customer(sql);
    sql.line(" WHERE (COALESCE(CG16_PARTIVA_EST, CG16_PARTIVA, '') = '' OR ISNULL(@PI, '') = '')")
        .line("     AND (ISNULL(CG16_CODFISCALE, '') = '' OR ISNULL(@CF, '') = '')  ")
        .line("     AND ISNULL(@RS, '') <> ''")
        .line("     AND ISNULL(CG16_RAGSOANAG, '') = ISNULL(@RS, '')")
        .line(
            "     AND (ISNULL(CG16_INDIRIZZO, '') = ISNULL(@IND, '') OR ISNULL(CG16_INDIRIZZO, '') = '' OR "
            "ISNULL(@IND, '') = '')")
        .line(
            "     AND (ISNULL(CG16_CITTA, '') = ISNULL(@CIT, '') OR ISNULL(CG16_CITTA, '') = '' OR "
            "ISNULL(@CIT, '') "
            "= '')")
        .blank_line();
    return sql;
}

void CustomerSupplierCheck::CreaStrutturaRecorSetClientiFornitori() noexcept {
    module::ErrorTrap trap(window_.error_reporter(), kMapProcedure);
    ado::RecordsetPtr& map = window_.import_state().customer_supplier_map;
    module::ChiudiRecordset(map);
    trap.run([&] {
        ado::RecordsetPtr made = ado::Recordset::create();
        made->SetCursorLocation(ado::adUseClient);
        made->SetCursorType(ado::adOpenDynamic);
        ado::Fields fields = made->GetFields();
        for (const auto& [name, precision] : {std::pair{"TIPOCF", 2}, {"CLIFOR", 8}, {"CF_SORGENTE", 8}}) {
            fields.Append(name, ado::adDecimal);
            fields.Item(name).SetPrecision(precision);
            fields.Item(name).SetNumericScale(0);
        }
        made->Open();
        map = std::move(made);
    });
}

void CustomerSupplierCheck::VerificaTabellaClientiFornitoriAnagraficheGenerali(bool& error) noexcept {
    RowOutcome outcome;
    module::ErrorTrap trap(window_.error_reporter(), kProcedure);
    stop_on_error(trap, window_, error);
    // The row in hand is logged as failed with the error's description, whatever the answer.
    trap.on_error([&] {
        if (!outcome.active) return;
        outcome.state = importlog::kWriteFailed;
        outcome.message = trap.last_error().description;
    });

    CreaStrutturaRecorSetClientiFornitori();
    long count = 0;
    if (!trap.run([&] {
            count =
                module::need(window_.import_state().document.get(), "the import file").row_count(kSection);
        }))
        return;
    for (long i = 1; i <= count; ++i) {
        outcome = RowOutcome{};
        check_row(trap, i, outcome);
        if (outcome.active)
            window_.import_log().GeneraNuovaRigaLog(kSection, 0, outcome.state, outcome.key, outcome.message);
        if (trap.left()) return;
        if (outcome.active) importfile::AggiornaProgressBar(window_, importfile::kProgressStep);
    }
}

void CustomerSupplierCheck::check_row(module::ErrorTrap& trap, long index, RowOutcome& outcome) {
    importfile::Node row;
    if (!trap.run([&] {
            row = module::need(window_.import_state().document.get(), "the import file").row(kSection, index);
        }))
        return;
    if (!row.present()) return;
    outcome.active = true;

    // A code that is missing or not a number keeps its starting value.
    module::suppress([&] {
        if (const auto code = row.text("CG44_CLIFOR")) outcome.member_code = ado::Variant(*code).to_long();
    });
    module::suppress([&] {
        if (const auto type = row.text("CG44_TIPOCF")) outcome.type = ado::Variant(*type).to_integer();
    });
    outcome.key =
        std::string(outcome.type == 0 ? "Codice cliente sorgente: " : "Codice fornitore sorgente: ") +
        std::to_string(outcome.member_code);

    if (text_of(row, "CG16_ANAGGEN/CG16_PARTIVA").empty() &&
        text_of(row, "CG16_ANAGGEN/CG16_CODFISCALE").empty() &&
        text_of(row, "CG16_ANAGGEN/CG16_RAGSOANAG").empty()) {
        outcome.message = "Nessun dato anagrafico valorizzato!";
        outcome.state = importlog::kWriteFailed;
        return;
    }
    match_or_create(trap, row, outcome);
    if (trap.left() || outcome.group_code == 0) return;
    trap.run([&] { append_to_map(outcome); });
}

void CustomerSupplierCheck::match_or_create(module::ErrorTrap& trap, const importfile::Node& row,
                                            RowOutcome& outcome) {
    RegistryMatchValues values;
    values.vat_number = text_of(row, "CG16_ANAGGEN/CG16_PARTIVA");
    if (values.vat_number.empty()) values.vat_number = text_of(row, "CG16_ANAGGEN/CG16_PARTIVA_EST");
    values.tax_code = text_of(row, "CG16_ANAGGEN/CG16_CODFISCALE");
    values.name = text_of(row, "CG16_ANAGGEN/CG16_RAGSOANAG");
    values.address = text_of(row, "CG16_ANAGGEN/CG16_INDIRIZZO");
    values.city = text_of(row, "CG16_ANAGGEN/CG16_CITTA");
    values.company = window_.module_context().state().company.company_code;
    values.type = outcome.type;

    // Every row the match returns is read; the lowest ORDINE wins, the first of equals.
    std::optional<RegistryMatch> best;
    bool refused = false;
    if (!trap.run([&] {
            const ado::SqlText statement = registry_match_statement(values);
            module::ScopedRecordset found;
            try {
                found = importfile::module_connection(window_).Execute(statement);
            } catch (const ado::Error&) {
                // A quote in the VAT number or tax code is the row's bad data, not a failure
                // of the check.
                if (statement.unsafe_value() == nullptr) throw;
                outcome.message = module::current_error_info().description;
                outcome.state = importlog::kWriteFailed;
                refused = true;
                return;
            }
            if (found->State() != ado::adStateOpen) return;
            for (; !found->EOF(); found->MoveNext()) {
                const std::int32_t order = (*found)["ORDINE"].Value().to_long();
                if (best && best->order <= order) continue;
                best = RegistryMatch{order, (*found)["CG44_CLIFOR"].Value(), (*found)["CG16_CODICE"].Value()};
            }
        }))
        return;
    if (refused) return;

    std::int32_t registry_code = 0;
    std::int32_t existing_code = 0;  // the company's customer or supplier on the record, if any
    if (best && !trap.run([&] {
            registry_code = best->registry.to_long();
            if (!best->customer.is_null()) existing_code = best->customer.to_long();
        }))
        return;
    const std::string registry_key = " - Codice anagrafica:" + std::to_string(registry_code);
    if (best && existing_code != 0) {
        outcome.key += registry_key + (outcome.type == 0 ? " - Codice cliente:" : " - Codice fornitore:") +
                       std::to_string(existing_code);
        outcome.group_code = existing_code;
        outcome.state = importlog::kExisting;
        return;
    }

    CustomerSupplierCreation creation(window_);
    const CreationResult result = best ? creation.create_on_registry(trap, row, outcome.type, registry_code)
                                       : creation.create_with_new_registry(trap, row, outcome.type);
    outcome.key += (best ? registry_key : std::string()) +
                   (outcome.type == 0 ? " - Nuovo codice cliente:" : " - Nuovo codice fornitore:") +
                   std::to_string(result.code);
    // A creation left by an error keeps the state and message the trap gave the row.
    if (trap.left() || result.state == importlog::kNoVerdict) return;
    outcome.state = result.state;
    outcome.message = result.message;
    // A code whose record was not written names no customer or supplier of the group.
    if (result.state == importlog::kInserted) outcome.group_code = result.code;
}

void CustomerSupplierCheck::append_to_map(const RowOutcome& outcome) {
    ado::Recordset& map =
        module::need(window_.import_state().customer_supplier_map, "the customer/supplier map");
    map.AddNew();
    try {
        map["TIPOCF"] = ado::Variant::integer_value(outcome.type);
        map["CLIFOR"] = ado::Variant::long_value(outcome.group_code);
        map["CF_SORGENTE"] = ado::Variant::long_value(outcome.member_code);
        map.Update();
    } catch (...) {
        // The next AddNew would save a half-filled record.
        module::suppress([&] { map.CancelUpdate(); });
        throw;
    }
}

}  // namespace verify
