#include "journal/entry_links.h"

#include "ado/connection.h"
#include "ado/error.h"
#include "ado/types.h"
#include "ado/variant.h"
#include "importfile/window_context.h"
#include "log/import_log.h"
#include "log/log_states.h"
#include "modulebase/error_trap.h"
#include "modulebase/module_context.h"
#include "modulebase/routines.h"

namespace journal {

using importfile::module_connection;

namespace {

constexpr long kFieldWidth = 12;
constexpr const char* kEntryTable = "CG41_PRIMANOTA";
constexpr std::int16_t kLinkLevel = 1;
constexpr const char* kFields[] = {"CG41_RIFPADRE", "CG41_RIFFIGLIA", "CG41_NUMREG", "CG41_NRSORGENTE"};

// The list of pending references: four fixed-length texts of 12 characters admitting Null.
ado::RecordsetPtr new_link_list() {
    ado::RecordsetPtr list = ado::Recordset::create();
    for (const char* name : kFields)
        list->GetFields().Append(name, ado::adChar, kFieldWidth, ado::adFldIsNullable);
    list->SetCursorLocation(ado::adUseClient);
    list->SetCursorType(ado::adOpenDynamic);
    list->Open();
    return list;
}

}  // namespace

EntryLinks::~EntryLinks() {
    close();
}

void EntryLinks::close() noexcept {
    module::ChiudiRecordset(links_);
}

void EntryLinks::collect(std::string_view parent, std::string_view child, std::string_view new_number,
                         std::string_view source_number) {
    if (!links_) links_ = new_link_list();
    const std::string_view values[] = {parent, child, new_number, source_number};
    links_->AddNew();
    try {
        for (int i = 0; i < 4; ++i) links_->GetFields().Item(i).SetValue(ado::Variant(values[i]));
        links_->Update();
    } catch (...) {
        // A refused row must not stay pending and be saved with the next one.
        module::suppress([&] { links_->CancelUpdate(); });
        throw;
    }
}

ado::SqlText EntryLinks::update_statement(bool parent, std::int32_t company_code, std::int32_t member_code,
                                          std::string_view reference, std::string_view new_number) {
    ado::SqlText sql;
    sql.line(" UPDATE CG41_PRIMANOTA");
    if (parent)
        sql.line("     SET CG41_RIFPADRE = (")
            .line("         SELECT PADRE.IE43_NUMREG_CO99")
            .line("         FROM IE43_DETTIMPCOGE AS PADRE WITH (NOLOCK)");
    else
        sql.line("     SET CG41_RIFFIGLIA = (")
            .line("         SELECT FIGLIA.IE43_NUMREG_CO99")
            .line("         FROM IE43_DETTIMPCOGE AS FIGLIA WITH (NOLOCK)");
    sql.line("         WHERE IE43_DITTA_CG18 = CG41_DITTA_CG18")
        .line("             AND IE43_AZIENDARIF = ")
        .number(member_code)
        .line(parent ? "             AND IE43_NUMREG_AZIENDARIF  = '"
                     : "             AND IE43_NUMREG_AZIENDARIF = '")
        .value(reference)
        .add("'")
        .line("         )")
        .line(" FROM CG41_PRIMANOTA")
        .line(" WHERE CG41_DITTA_CG18 = ")
        .number(company_code)
        .line("     AND CG41_NUMREG = '")
        .value(new_number)
        .add("'");
    return sql;
}

// Each reference is one update of its own, outside any transaction: every entry is
// committed by now. A reference never taken over sets the field to NULL (the update
// succeeds); a refused update is a log row in state 50, and the other links go on.
void EntryLinks::resolve() {
    if (!links_) return;
    module::ModuleContext& context = window_.module_context();
    const std::int32_t company_code = context.state().company.company_code;
    const std::int32_t member_code = window_.import_state().member_registry_code;
    importlog::ImportLog& log = window_.import_log();

    if (links_->BOF() && links_->EOF()) return;
    links_->MoveFirst();
    for (; !links_->EOF(); links_->MoveNext()) {
        const std::string parent = (*links_)["CG41_RIFPADRE"].Value().text_or_empty();
        const std::string child = (*links_)["CG41_RIFFIGLIA"].Value().text_or_empty();
        const std::string new_number = (*links_)["CG41_NUMREG"].Value().text_or_empty();
        for (const bool is_parent : {true, false}) {
            const std::string& reference = is_parent ? parent : child;
            if (ado::trim(reference).empty()) continue;
            // Each reference logs its own outcome: a failed parent does not colour its child.
            std::int16_t state = importlog::kInserted;
            std::string error;
            try {
                module_connection(window_).Execute(
                    update_statement(is_parent, company_code, member_code, reference, new_number));
            } catch (...) {
                state = importlog::kWriteFailed;
                error = module::current_error_info().description;
            }
            const std::string key = "Collegamento registrazione: " + new_number +
                                    (is_parent ? " con Reg. padre: " : " con Reg. figlia: ") + reference;
            log.GeneraNuovaRigaLog(kEntryTable, kLinkLevel, state, key, error);
        }
    }
}

}  // namespace journal
