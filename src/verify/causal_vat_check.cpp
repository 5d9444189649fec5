#include "verify/causal_vat_check.h"

#include <optional>

#include "ado/connection.h"
#include "ado/types.h"
#include "importfile/progress.h"
#include "importfile/window_context.h"
#include "log/import_log.h"
#include "log/log_states.h"
#include "modulebase/error_trap.h"
#include "modulebase/module_context.h"
#include "modulebase/routines.h"
#include "modulebase/scoped_recordset.h"
#include "verify/check_trap.h"
#include "verify/log_texts.h"
#include "verify/record_copy.h"
#include "verify/section_walk.h"
#include "verify/transcoding.h"

namespace verify {

using importfile::module_connection;

namespace {

constexpr int kCodeWidth = 4;
constexpr const char* kCausalTable = "CG33_TABCAU";
constexpr const char* kVatTable = "CG28_TABCODIVA";

std::string code4(std::string_view code) {
    return module::StringaFissa(ado::Variant(code), kCodeWidth);
}

}  // namespace

// What differs between the two tables a creation writes.
struct CausalVatCheck::Table {
    bool causal;
    const char* procedure;
    const char* name;
    const char* code_column;
    const char* id_column;
    const char* description_column;
    const char* rowversion_column;
};

namespace {

const CausalVatCheck::Table kCausal{
    true,         CausalVatCheck::kNewCausal, kCausalTable, "CG33_CODICE", "CG33_IDPROV",
    "CG33_DESCR", "CG33_ROWVERSION"};
const CausalVatCheck::Table kVatCode{false,
                                     CausalVatCheck::kNewVatCode,
                                     kVatTable,
                                     "CG28_CODICE",
                                     "CG28_IDPROV",
                                     "CG28_DESCR",
                                     "CG28_ROWVERSION"};

// The linked-causal list: code and linked causal, 4 characters each.
ado::RecordsetPtr new_link_list() {
    ado::RecordsetPtr list = ado::Recordset::create();
    list->GetFields().Append("CG33_CODICE", ado::adChar, kCodeWidth, ado::adFldIsNullable);
    list->GetFields().Append("CG33_CAUSALECOLL", ado::adChar, kCodeWidth, ado::adFldIsNullable);
    list->SetCursorLocation(ado::adUseClient);
    list->SetCursorType(ado::adOpenDynamic);
    list->Open();
    return list;
}

// The column rules of a creation besides the copy rule: the code the record is created
// under, the references and media the group company does not share, and what the
// database assigns.
ColumnFill fill_of(const CausalVatCheck::Table& t, std::string_view column, const std::string& code) {
    if (column == t.code_column) return ColumnFill::set(module::TrimStringa(ado::Variant(code)));
    if (column == t.id_column || column == t.rowversion_column) return ColumnFill::leave();
    if (t.causal) {
        if (column == "CG33_CAUSALECOLL" || column == "CG33_IDMEDIA_CG99" || column == "CG33_ID_CGD1" ||
            column == "CG33_ID_CG0Z")
            return ColumnFill::null();
    } else if (column == "CG28_IDMEDIA_CG99") {
        return ColumnFill::null();
    }
    return ColumnFill::copy();
}

}  // namespace

ado::SqlText CausalVatCheck::causal_exists_statement(std::string_view code) {
    ado::SqlText sql;
    sql.line(" SELECT 'OK' AS ESISTE")
        .line(" FROM CG33_TABCAU WITH (NOLOCK)")
        .line(" WHERE CG33_CODICE = ")
        .line("'")
        .value(code4(code))
        .add("'");
    return sql;
}

ado::SqlText CausalVatCheck::vat_code_exists_statement(std::string_view code) {
    ado::SqlText sql;
    sql.line(" SELECT 'OK' AS ESISTE")
        .line(" FROM CG28_TABCODIVA WITH (NOLOCK)")
        .line(" WHERE CG28_CODICE = ")
        .add("'")
        .value(code4(code))
        .add("'");
    return sql;
}

ado::SqlText CausalVatCheck::template_statement(bool causal, std::string_view code) {
    ado::SqlText sql;
    sql.line(" SELECT *");
    if (causal)
        sql.line(" FROM CG33_TABCAU WITH (NOLOCK)").line(" WHERE CG33_CODICE = '");
    else
        sql.line(" FROM CG28_TABCODIVA WITH (NOLOCK)").line(" WHERE CG28_CODICE = '");
    sql.value(code).add("'");
    return sql;
}

ado::SqlText CausalVatCheck::description_statement(bool causal, std::int32_t provider_id,
                                                   std::string_view description) {
    ado::SqlText sql;
    sql.line(" INSERT INTO CG0L_DESLINGUA (")
        .line("     CG0L_CODLINGUA_MG52")
        .line("     , CG0L_PROVID")
        .line("     , CG0L_IDPROV")
        .line("     , CG0L_DESCRIZIONE")
        .line("     )")
        .line(" VALUES (")
        .line("     'ITA '")
        .line(causal ? "     , 5" : "     , 4")
        .line("     , ")
        .number(provider_id)
        .line("     , '")
        .value(description)
        .add("'")
        .line("     )");
    return sql;
}

ado::SqlText CausalVatCheck::link_statement(std::string_view causal, std::string_view linked) {
    ado::SqlText sql;
    sql.line(" UPDATE CG33_TABCAU")
        .line(" SET CG33_CAUSALECOLL = '")
        .value(code4(linked))
        .add("'")
        .line(" WHERE CG33_CODICE = '")
        .value(code4(causal))
        .add("'");
    return sql;
}

bool CausalVatCheck::exists(bool causal, std::string_view code) {
    return Transcoding(window_).IsPresenteElementoTranscodifica(causal ? causal_exists_statement(code)
                                                                       : vat_code_exists_statement(code));
}

void CausalVatCheck::create(const Table& t, const std::string& code, const importfile::Node& row,
                            ado::RecordsetPtr* linked_causals, std::int16_t& state,
                            std::string& message) noexcept {
    if (!row.present() || code.empty()) return;
    module::ErrorTrap trap(window_.error_reporter(), t.procedure);
    // Whatever stops a creation leaves its row failed with the error's own words, also when
    // the error is ignored: the guard then rolls back what was written.
    bool failed = false;
    trap.on_error([&] {
        failed = true;
        state = importlog::kWriteFailed;
        message = trap.last_error().description;
    });
    const auto step = [&](const auto& statement) { return trap.run(statement) && !failed; };
    std::optional<ado::TransactionGuard> transaction;
    module::ScopedRecordset record;
    if (!step([&] { transaction.emplace(module_connection(window_)); })) return;
    if (!step([&] {
            record = ado::Recordset::create();
            record->Open(template_statement(t.causal, code), module_connection(window_), ado::adOpenKeyset,
                         ado::adLockOptimistic);
            record->AddNew();
            copy_columns(*record, row, "", [&](std::string_view column) { return fill_of(t, column, code); });
        }))
        return;
    try {
        record->Update();
        state = importlog::kInserted;
    } catch (...) {
        state = importlog::kWriteFailed;
        message = module::current_error_info().description;
        return;
    }

    std::int32_t provider_id = 0;
    std::string description;
    if (!step([&] {
            record = ado::Recordset::create();
            record->Open(template_statement(t.causal, code), module_connection(window_));
            if (record->BOF() || record->EOF()) return;
            provider_id = module::ValoreDefault((*record)[t.id_column].Value(), 0).to_long();
            description = module::TrimStringa((*record)[t.description_column].Value());
        }))
        return;
    try {
        module_connection(window_).Execute(description_statement(t.causal, provider_id, description));
    } catch (...) {
        state = importlog::kWriteFailed;
        message = module::current_error_info().description;
        return;
    }

    if (!step([&] { transaction->Commit(); })) return;
    // A link is kept only for a causal that now exists; it is written in the second pass.
    if (t.causal && linked_causals != nullptr) trap.run([&] { keep_link(*linked_causals, code, row); });
}

void CausalVatCheck::keep_link(ado::RecordsetPtr& linked_causals, const std::string& code,
                               const importfile::Node& row) {
    const std::optional<std::string> linked = row.text("CG33_CAUSALECOLL");
    if (!linked || module::TrimStringa(ado::Variant(*linked)).empty()) return;
    if (!linked_causals) linked_causals = new_link_list();
    ado::Recordset& list = *linked_causals;
    list.AddNew();
    list["CG33_CODICE"].SetValue(ado::Variant(code4(code)));
    list["CG33_CAUSALECOLL"].SetValue(ado::Variant(code4(*linked)));
    list.Update();
}

// An import stopped (killed, or the machine gone) between creating a causal and writing its
// link leaves a causal that the next import finds and would never link. A causal without a
// link that holds, column for column, what a creation from the member's row writes is that
// causal: its link is kept for the second pass like a new causal's. The group company's own
// causals, or ones it has changed or linked since, differ and stay as they are.
void CausalVatCheck::keep_lost_link(ado::RecordsetPtr& linked_causals, const std::string& code,
                                    const importfile::Node& row) {
    const std::optional<std::string> linked = row.text("CG33_CAUSALECOLL");
    if (!linked || module::TrimStringa(ado::Variant(*linked)).empty()) return;
    module::ScopedRecordset record(ado::Recordset::create());
    record->Open(template_statement(true, code), module_connection(window_));
    if (record->BOF() || record->EOF() || !record->GetFields().Item("CG33_CAUSALECOLL").Value().is_null())
        return;
    if (holds_copy(*record, row, "", [&](std::string_view column) { return fill_of(kCausal, column, code); }))
        keep_link(linked_causals, code, row);
}

void CausalVatCheck::InserisceNuovoElementoTabellaCausaliContabili(const std::string& code,
                                                                   const importfile::Node& row,
                                                                   ado::RecordsetPtr& linked_causals,
                                                                   std::int16_t& state,
                                                                   std::string& message) noexcept {
    create(kCausal, code, row, &linked_causals, state, message);
}

void CausalVatCheck::InserisceNuovoElementoTabellaCodiciIVA(const std::string& code,
                                                            const importfile::Node& row, std::int16_t& state,
                                                            std::string& message) noexcept {
    create(kVatCode, code, row, nullptr, state, message);
}

void CausalVatCheck::VerificaTabellaCausaliContabili(bool& error) noexcept {
    module::ErrorTrap trap(window_.error_reporter(), kCausals);
    stop_on_error(trap, window_, error);
    ado::RecordsetPtr linked_causals;
    check_codes(kCausal, trap, &linked_causals);
    if (!trap.left()) write_links(linked_causals);
    module::ChiudiRecordset(linked_causals);
}

void CausalVatCheck::VerificaTabellaCodiciIVA(bool& error) noexcept {
    module::ErrorTrap trap(window_.error_reporter(), kVatCodes);
    stop_on_error(trap, window_, error);
    check_codes(kVatCode, trap, nullptr);
}

// The walk both checks make. Indicator 0 and 1 create the missing code; only VAT codes have
// a fixed value (checked, never created).
void CausalVatCheck::check_codes(const Table& t, module::ErrorTrap& trap, ado::RecordsetPtr* linked_causals) {
    Transcoding transcoding(window_);
    const std::int32_t kind = t.causal ? kKindCausal : kKindVatCode;
    KindDefaults defaults;
    if (!trap.run([&] { defaults = transcoding.defaults_of(kind); })) return;
    const std::string fixed = module::TrimStringa(ado::Variant(defaults.fixed_value));
    const std::string key_text = t.causal ? "Codice causale: " : "Codice Iva: ";

    for_each_row(window_.import_state().document.get(), t.name, [&](long, const importfile::Node& row) {
        std::int16_t state = importlog::kNoVerdict;
        std::string message;
        const std::string raw = row.text_or_empty(t.code_column);
        const std::string key = key_text + code4(raw);
        const auto create_if_missing = [&](const std::string& code) {
            if (!exists(t.causal, code))
                create(t, code, row, linked_causals, state, message);
            else if (linked_causals != nullptr)
                keep_lost_link(*linked_causals, code, row);
        };
        const bool go_on = trap.run([&] {
            std::string internal;
            switch (defaults.indicator) {
                case kUnchanged:
                    state = importlog::kExisting;
                    create_if_missing(raw);
                    break;
                case kTranscoded:
                    state = importlog::kExisting;
                    if (transcoding.IsPresenteTranscodifica(transcoding_filter(kind, raw), internal)) {
                        // Created under the code the journal will write.
                        create_if_missing(internal);
                    } else {
                        create_if_missing(raw);
                        state = importlog::kNoTranscoding;
                        message = kTextNoTranscoding;
                    }
                    break;
                case kFixedValue:
                    if (t.causal) {  // causals have no fixed-value rule
                        message = kTextKindNotProvided;
                        break;
                    }
                    state = importlog::kExisting;
                    if (!exists(false, fixed)) {
                        state = importlog::kTranscodingTargetMissing;
                        message = kTextFixedMissing;
                    }
                    break;
                default:
                    message = kTextKindNotProvided;
                    break;
            }
        });
        if (!go_on) return false;
        if (!trap.run([&] { window_.import_log().GeneraNuovaRigaLog(t.name, 0, state, key, message); }))
            return false;
        importfile::AggiornaProgressBar(window_, importfile::kProgressStep);
        return true;
    });
}

void CausalVatCheck::write_links(ado::RecordsetPtr& linked_causals) noexcept {
    if (!linked_causals) return;
    module::ErrorTrap trap(window_.error_reporter(), kCausals);
    trap.run([&] {
        ado::Recordset& list = *linked_causals;
        list.SetFilter("");
        if (list.BOF() && list.EOF()) return;
        for (list.MoveFirst(); !list.EOF(); list.MoveNext()) {
            std::int16_t state = importlog::kNoVerdict;
            std::string message;
            const std::string linked = module::TrimStringa(list["CG33_CAUSALECOLL"].Value());
            const std::string code = module::TrimStringa(list["CG33_CODICE"].Value());
            // The link names the causal the group company keeps for the member's one: under
            // transcoding, the code its value row gives (the member's own when it has none).
            std::string target = Transcoding(window_).GetValoreInternoTranscodifica(
                kKindCausal, ado::Variant(linked), ado::Variant(""), 0);
            if (target.empty()) target = linked;
            try {
                module_connection(window_).Execute(link_statement(code, target));
                state = importlog::kInserted;
            } catch (...) {
                state = importlog::kWriteFailed;
                message = module::current_error_info().description;
            }
            window_.import_log().GeneraNuovaRigaLog(
                kCausalTable, 1, state, "Codice causale: " + code + " - Causale coll.: " + linked, message);
        }
    });
}

}  // namespace verify
