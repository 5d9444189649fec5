#include "journal/bookkeeping.h"

#include <functional>
#include <initializer_list>
#include <memory>
#include <utility>

#include "ado/connection.h"
#include "ado/datetime.h"
#include "ado/decimal.h"
#include "ado/error.h"
#include "host/components.h"
#include "host/global_services.h"
#include "host/services.h"
#include "importfile/window_context.h"
#include "modulebase/error_trap.h"
#include "modulebase/host_access.h"
#include "modulebase/module_context.h"
#include "modulebase/routines.h"
#include "modulebase/scoped_recordset.h"

namespace journal {

using importfile::module_connection;

namespace {

// Registration numbers are numbering kind 999 of the fixed section "00".
constexpr std::int32_t kRegistrationKind = 999;
constexpr const char* kRegistrationSection = "00";
constexpr std::size_t kNumberDigits = 8;
constexpr const char* kNumberingService = "the numbering service";

// VAT causal codes and the numbering kind each consumes; any other code consumes none.
// There is no kind 12.
constexpr std::pair<int, std::int16_t> kNumberingKinds[] = {
    {1, 1},  {61, 1}, {281, 1}, {31, 2}, {41, 2}, {51, 2},  {71, 2},  {91, 2}, {96, 2},  {80, 3},
    {81, 3}, {82, 3}, {90, 3},  {5, 4},  {63, 4}, {285, 4}, {35, 5},  {42, 5}, {52, 5},  {92, 5},
    {97, 5}, {7, 6},  {37, 7},  {9, 8},  {39, 9}, {62, 10}, {32, 11}, {2, 13}, {33, 14},
};

host::GlobalServices& global_services(importfile::ImportWindowContext& window) {
    return module::cls_global(window.module_context().module_object());
}

// A text written between fragments: blank gives the empty text.
std::string text_value(const ado::Variant& value) {
    return module::ValoreDefault(value, ado::Variant("")).text_or_empty();
}

// The last `count` characters of a UTF-8 text (never a part of one).
std::string last_characters(const std::string& text, std::size_t count) {
    std::size_t start = text.size();
    for (std::size_t taken = 0; start > 0 && taken < count; ++taken) {
        --start;
        while (start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) --start;
    }
    return text.substr(start);
}

// A numbering service's error code: 0 is success (Empty counts as 0, Null does not);
// a code that is no number is an error of the caller.
bool succeeded(const ado::Variant& code) {
    if (code.is_null()) return false;
    return code.to_decimal().is_zero();
}

// Runs the statements in order through the trap; false when one was answered with abort.
bool run_all(module::ErrorTrap& trap, std::initializer_list<std::function<void()>> statements) {
    for (const auto& statement : statements)
        if (!trap.run(statement)) return false;
    return true;
}

}  // namespace

std::string Bookkeeping::date_time_literal(const ado::Variant& date) const {
    std::string literal = window_.module_context().FormattaDataSQL(date);
    if (!literal.empty()) literal.pop_back();
    return literal + " " + ado::DateTime::now().format("hh:nn:ss") + "'";
}

std::string Bookkeeping::registration_number(std::string_view prefix, std::string_view number) {
    return std::string(prefix) + last_characters("00000000" + ado::trim(number), kNumberDigits);
}

ado::SqlText Bookkeeping::header_insert_statement(const std::string& date_time_text) const {
    module::ModuleContext& context = window_.module_context();
    const module::ImportWindowControls& c = window_.controls();
    ado::SqlText sql;
    sql.line(" INSERT INTO IE42_IMPCOGE (")
        .line("     IE42_DITTA_CG18")
        .line("     , IE42_DATAORA")
        .line("     , IE42_NOMEFILE")
        .line("     , IE42_FLGSEZ")
        .line("     , IE42_FLGPDC")
        .line("     , IE42_FLGCAU")
        .line("     , IE42_FLGCODIVA")
        .line("     , IE42_FLGCLIFOR")
        .line("     , IE42_FLGESTRATTI")
        .line("     , IE42_DADATA")
        .line("     , IE42_ADATA")
        .line("     , IE42_INDPROVIMP")
        .line("     , IE42_AZIENDARIF")
        .line("     , IE42_UTENTE")
        .line("     , IE42_FLGGESTCODID")
        .line("     )")
        .line(" VALUES (")
        .line("     ")
        .number(context.state().company.company_code)
        .line("     , ")
        .add(date_time_literal(ado::Variant(date_time_text)))
        .line("     , '")
        .value(c.TXT_NOMEFILE.text)
        .add("'");
    for (const module::CheckBox* box :
         {&c.CHK_TABSEZ, &c.CHK_TABPDC, &c.CHK_TABCAU, &c.CHK_TABCODIVA, &c.CHK_CLIFOR, &c.CHK_ESTRATTI})
        sql.line("     , ").number(box->value);
    sql.line("     , ")
        .add(context.FormattaDataSQL(ado::Variant(c.TXT_DADATA.text)))
        .line("     , ")
        .add(context.FormattaDataSQL(ado::Variant(c.TXT_ADATA.text)))
        .line("     , 1")
        .line("     , ")
        .number(window_.import_state().member_registry_code)
        .line("     , '")
        .value(text_value(global_services(window_).CurrentUserCode()))
        .add("'")
        .line("     , ")
        .number(c.CHK_GESTCODID.value)
        .line("     )");
    return sql;
}

// The identity is read in the insert's own batch with SCOPE_IDENTITY(): the row this
// connection inserted, never a header another import inserted at the same moment (which
// IDENT_CURRENT, the table's latest identity, could return).
std::int32_t Bookkeeping::GetIDTestataImportImpostazioni(const std::string& date_time_text) noexcept {
    std::int32_t header_id = 0;
    module::ErrorTrap trap(window_.error_reporter(), kHeader);
    ado::SqlText batch;
    if (!trap.run([&] { batch = header_insert_statement(date_time_text).line(kIdentityRead); }))
        return header_id;
    if (batch.lines().empty()) return header_id;  // the statement could not be built
    module::ScopedRecordset identity;
    if (!trap.run([&] { identity = module_connection(window_).Execute(batch); })) return header_id;
    trap.run([&] {
        if (!identity || identity->State() != ado::adStateOpen || identity->EOF()) return;
        header_id = module::ValoreDefault(identity->GetFields().Item(0).Value(), 0).to_long();
    });
    return header_id;
}

// The request is made once and kept by the window; each call hands over the year, the
// operation, the section and kind of registration numbers and the date, then runs it.
ado::Variant Bookkeeping::GetNumeroRegistrazione(const ado::Variant& registration_date) noexcept {
    ado::Variant number;
    module::ModuleContext& context = window_.module_context();
    const module::ModuleState& state = context.state();
    std::shared_ptr<host::NumberingRequest>& kept = window_.import_state().registration_numbering;
    module::ErrorTrap trap(window_.error_reporter(), kNumber);

    if (!kept) {
        std::shared_ptr<host::NumberingRequest> made;
        const auto request = [&]() -> host::NumberingRequest& {
            return module::need(made, kNumberingService);
        };
        if (!run_all(trap, {[&] {
                                made = module::created(
                                    module::host_classes(context.module_object()).CreateNumberingRequest(),
                                    kNumberingService);
                            },
                            [&] { request().SetConnection(state.connection); },
                            [&] { request().SetConnectionString(state.connection_string); },
                            [&] { request().SetCompany(state.company.company_code); }}))
            return number;
        kept = std::move(made);
    }

    const auto request = [&]() -> host::NumberingRequest& { return module::need(kept, kNumberingService); };
    bool taken = false;
    std::string digits;
    if (!run_all(trap, {[&] { request().SetYear(registration_date.to_date().year()); },
                        [&] { request().SetOperation(host::kTakeNewNumber); },
                        [&] { request().SetCompanyAgain(state.company.company_code); },
                        [&] { request().SetSection(ado::Variant(kRegistrationSection)); },
                        [&] { request().SetNumberingKind(kRegistrationKind); },
                        [&] { request().SetDate(registration_date); }, [&] { request().Run(); },
                        [&] { taken = succeeded(request().ErrorCode()); }}))
        return number;
    if (!taken) return number;
    if (!trap.run([&] { digits = request().Number().text_or_empty(); })) return number;
    trap.run([&] { number = ado::Variant(registration_number(request().Prefix().text_or_empty(), digits)); });
    return number;
}

// A fresh request on every call: the previous one is detached from the connection and
// released first. The kind and the date are handed over twice, to the two properties of
// the service that take them.
bool Bookkeeping::AggiornaNumerazione(const ado::Variant& section, const ado::Variant& registration_date,
                                      const ado::Variant& numbering_kind,
                                      const ado::Variant& document_number) noexcept {
    bool updated = false;
    module::ModuleContext& context = window_.module_context();
    const module::ModuleState& state = context.state();
    std::shared_ptr<host::NumberingRequest>& current = window_.import_state().numbering_update;
    module::ErrorTrap trap(window_.error_reporter(), kNumbering);

    if (current) {
        if (!trap.run([&] { current->SetConnection(nullptr); })) return updated;
        current.reset();
    }
    const auto request = [&]() -> host::NumberingRequest& {
        return module::need(current, kNumberingService);
    };
    run_all(
        trap,
        {[&] {
             current = module::created(module::host_classes(context.module_object()).CreateNumberingRequest(),
                                       kNumberingService);
         },
         [&] { request().SetConnection(state.connection); },
         [&] { request().SetConnectionString(state.connection_string); },
         [&] { request().SetCompany(state.company.company_code); },
         [&] { request().SetYear(registration_date.to_date().year()); },
         [&] { request().SetOperation(host::kRecordUsedNumber); },
         [&] { request().SetCompanyAgain(state.company.company_code); },
         [&] { request().SetSection(section); },
         [&] { request().SetNumberingKind(numbering_kind.to_long()); },
         [&] { request().SetUpdateKind(numbering_kind.to_long()); },
         [&] { request().SetUpdateDate(registration_date); }, [&] { request().SetDate(registration_date); },
         [&] { request().SetDocumentNumber(document_number); },
         [&] { request().SetDocumentNumberSecond(document_number); }, [&] { request().Run(); },
         [&] { updated = succeeded(request().ErrorCode()); }});
    return updated;
}

ado::Variant Bookkeeping::GetTipoNumerazione(const ado::Variant& vat_causal) noexcept {
    return module::suppress_or(ado::Variant(ado::Null), [&] {
        const ado::Variant code = module::ValoreDefault(vat_causal, ado::Variant(""));
        if (!code.is_numeric()) return ado::Variant(ado::Null);
        const ado::Decimal value = code.to_decimal();
        for (const auto& [causal, kind] : kNumberingKinds)
            if (value == ado::Decimal(causal)) return ado::Variant::integer_value(kind);
        return ado::Variant(ado::Null);
    });
}

void Bookkeeping::EliminaIDTestataImportazioneSenzaDettagli(std::int32_t header_id) noexcept {
    if (header_id == 0) return;
    module::ErrorTrap trap(window_.error_reporter(), kDeleteHeader);
    ado::SqlText sql;
    sql.line(" IF NOT EXISTS(SELECT TOP 1 1 FROM IE43_DETTIMPCOGE WITH(NOLOCK) WHERE IE43_ID_IE42 = ")
        .number(header_id)
        .add(")")
        .line("     BEGIN")
        .line("         DELETE FROM IE42_IMPCOGE WHERE IE42_ID = ")
        .number(header_id)
        .line("     END");
    trap.run([&] { module_connection(window_).Execute(sql); });
}

ado::SqlText Bookkeeping::detail_lookup_statement(std::string_view source_number) const {
    ado::SqlText sql;
    sql.line(" SELECT TOP 1 IE43_NUMREG_CO99")
        .line(" FROM IE43_DETTIMPCOGE WITH (NOLOCK)")
        .line(" WHERE IE43_DITTA_CG18 = ")
        .number(window_.module_context().state().company.company_code)
        .line("     AND IE43_AZIENDARIF = ")
        .number(window_.import_state().member_registry_code)
        .line("     AND IE43_NUMREG_AZIENDARIF = '")
        .value(text_value(ado::Variant(source_number)))
        .add("'");
    return sql;
}

ado::SqlText Bookkeeping::detail_insert_statement(std::string_view source_number, std::string_view new_number,
                                                  std::int32_t header_id) const {
    ado::SqlText sql;
    sql.line(" INSERT INTO IE43_DETTIMPCOGE (")
        .line("     IE43_DITTA_CG18")
        .line("     , IE43_AZIENDARIF")
        .line("     , IE43_NUMREG_AZIENDARIF")
        .line("     , IE43_NUMREG_CO99")
        .line("     , IE43_ID_IE42")
        .line("     )")
        .line(" VALUES (")
        .line("     ")
        .number(window_.module_context().state().company.company_code)
        .line("     , ")
        .number(window_.import_state().member_registry_code)
        .line("     , '")
        .value(text_value(ado::Variant(source_number)))
        .add("'")
        .line("     , '")
        .value(text_value(ado::Variant(new_number)))
        .add("'")
        .line("     , ")
        .number(header_id)
        .line("     )");
    return sql;
}

ado::SqlText Bookkeeping::master_document_statement(std::string_view new_number) const {
    host::GlobalServices& global = global_services(window_);
    const std::string when = date_time_literal(ado::Variant(ado::DateTime::today()));
    ado::SqlText sql;
    sql.line(" INSERT INTO CO99_MASTERDOC (")
        .line("     CO99_DITTA_CG18")
        .line("     , CO99_NUMREG")
        .line("     , CO99_INDTIPOOP")
        .line("     , CO99_DATACRE")
        .line("     , CO99_GRUPPOCRE")
        .line("     , CO99_UTENTECRE")
        .line("     , CO99_DATAVAR")
        .line("     , CO99_GRUPPOVAR")
        .line("     , CO99_UTENTEVAR")
        .line("     , CO99_INDNOTE1")
        .line("     , CO99_DESCNOTE1")
        .line("     , CO99_FLGDELNOTE1")
        .line("     , CO99_INDCOIN")
        .line("     )")
        .line(" VALUES (")
        .line("     ")
        .number(window_.module_context().state().company.company_code)
        .line("     , '")
        .value(text_value(ado::Variant(new_number)))
        .add("'")
        .line("     , 0");
    // Created and last changed alike: today, by the current user's group and code.
    for (int stamp = 0; stamp < 2; ++stamp)
        sql.line("     , ")
            .add(when)
            .line("     , '")
            .value(text_value(global.CurrentUserGroup()))
            .add("'")
            .line("     , '")
            .value(text_value(global.CurrentUserCode()))
            .add("'");
    sql.line("     , 0").line("     , ''").line("     , 0").line("     , 0").line("     )");
    return sql;
}

}  // namespace journal
