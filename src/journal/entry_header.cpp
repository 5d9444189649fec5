#include "journal/entry_header.h"

#include <optional>

#include "ado/connection.h"
#include "importfile/window_context.h"
#include "journal/entry_support.h"
#include "modulebase/error_trap.h"
#include "modulebase/module_context.h"
#include "modulebase/routines.h"
#include "modulebase/scoped_recordset.h"
#include "verify/record_copy.h"
#include "verify/transcoding.h"

namespace journal {

namespace {

using verify::ColumnFill;

constexpr std::int16_t kSectionWidth = 2;
constexpr std::int16_t kCausalWidth = 4;

// Columns the group company fills with its own constants.
std::optional<ado::Variant> fixed_value(std::string_view column) {
    if (column == "CG41_FLGSTPIVA" || column == "CG41_FLGSTPTOTIVA") return ado::Variant(std::int16_t{1});
    if (column == "CG41_INDTIPOMOV" || column == "CG41_CODICE_CG31") return ado::Variant(std::int16_t{0});
    if (column == "CG41_IDMEDIA_CG99" || column == "CG41_ANAGBLACKLIST_CG16" || column == "CG41_ID_CO1A" ||
        column == "CG41_ID_MG28" || column == "CG41_ANAGRAPPFISC_CG16" || column == "CG41_ANAGSTABORG_CG16")
        return ado::Variant(ado::Null);
    return std::nullopt;
}

}  // namespace

std::string EntryHeader::entry_key(const importfile::Node& e) {
    std::string key = "Data reg.: " + e.text_or_empty("CG41_DATAREG") +
                      " - Data doc.: " + e.text_or_empty("CG41_DATADOC") +
                      " - Num. doc.: " + e.text_or_empty("CG41_NUMDOC");
    if (e.text_or_empty("CG41_FLGDOCBIS") == "1") key += " bis";
    key += " - Sez.: " + e.text_or_empty("CG41_SEZIONALE") +
           " - Causale: " + e.text_or_empty("CG41_CODICE_CG33") + " - " + e.text_or_empty("CG41_DESCAUSALE") +
           " - Num. doc. orig.: " + e.text_or_empty("CG41_NUMDOCORIG") +
           " - Importo: " + e.text_or_empty("CG41_IMPTOTALE") +
           " - Num. reg. sorgente : " + e.text_or_empty("CG41_NUMREG");
    return key;
}

ado::SqlText EntryHeader::header_statement(std::int32_t company_code, std::string_view number) {
    ado::SqlText sql;
    sql.line(" SELECT *")
        .line(" FROM CG41_PRIMANOTA WITH(NOLOCK)")
        .line(" WHERE CG41_DITTA_CG18 = ")
        .number(company_code)
        .line("     AND CG41_NUMREG = '")
        .value(number)
        .add("'");
    return sql;
}

void EntryHeader::write(JournalEntry& entry) {
    entry.type = integer_or(entry.element, "CG41_TIPOCF_CG44", -1);
    entry.parent.clear();
    entry.child.clear();
    const std::int32_t company = window_.module_context().state().company.company_code;

    module::ScopedRecordset record(ado::Recordset::create());
    record->Open(header_statement(company, entry.new_number), module_connection(window_), ado::adOpenKeyset,
                 ado::adLockOptimistic);
    if (!(record->BOF() && record->EOF())) {
        entry.fail(kTextNumberInUse);
        return;
    }
    record->AddNew();
    fill(*record, entry);
    std::string description;
    if (save_row(*record, description))
        entry.succeed();
    else
        entry.fail(description + " in inserimento testata registrazione.");
}

void EntryHeader::fill(ado::Recordset& record, JournalEntry& entry) {
    const std::int32_t company = window_.module_context().state().company.company_code;
    const ado::Variant company_value = ado::Variant::long_value(company);
    const bool has_type = entry.type != -1;
    verify::Transcoding transcoding(window_);
    const importfile::Node& e = entry.element;
    const std::string where = "the journal entry " + std::to_string(entry.index) + " of the import file";

    verify::copy_columns(record, e, "", [&](std::string_view column) -> ColumnFill {
        if (column == "CG41_DITTA_CG18" || column == "CG41_DITTASEDE_CG18")
            return ColumnFill::set(company_value);
        if (column == "CG41_NUMREG") return ColumnFill::set(ado::Variant(entry.new_number));
        if (column == "CG41_DITTACF_CG18")
            return has_type ? ColumnFill::set(company_value) : ColumnFill::null();
        if (column == "CG41_TIPOCF_CG44")
            return has_type ? ColumnFill::set(ado::Variant(entry.type)) : ColumnFill::null();
        if (column == "CG41_CLIFOR_CG44") {
            // A code the map does not know leaves the column Null: the verification maps
            // every customer and supplier of the file before any entry is written.
            const ado::Variant code =
                group_customer_supplier(window_.import_state(), entry.type, e.text("CG41_CLIFOR_CG44"));
            if (!code.is_null()) return ColumnFill::set(code);
            clear_if_nullable(record[column]);
            return ColumnFill::leave();
        }
        if (column == "CG41_SEZIONALE") {
            const std::string section = transcoding.GetValoreInternoTranscodifica(
                verify::kKindSection, ado::Variant(required_text(e, column, where)), ado::Variant(""), 0);
            assign_padded(record[column], section, kSectionWidth);
            return ColumnFill::leave();
        }
        if (column == "CG41_CODICE_CG33") {
            const std::string causal = transcoding.GetValoreInternoTranscodifica(
                verify::kKindCausal, ado::Variant(required_text(e, column, where)), ado::Variant(""), 0);
            assign_padded(record[column], causal, kCausalWidth);
            entry.causal = module::StringaFissa(record[column].Value(), kCausalWidth);
            return ColumnFill::leave();
        }
        // The references are resolved once every entry is written.
        if (column == "CG41_RIFPADRE") {
            entry.parent = e.text_or_empty(column);
            return ColumnFill::leave();
        }
        if (column == "CG41_RIFFIGLIA") {
            entry.child = e.text_or_empty(column);
            return ColumnFill::leave();
        }
        if (std::optional<ado::Variant> value = fixed_value(column)) {
            return value->is_null() ? ColumnFill::null() : ColumnFill::set(std::move(*value));
        }
        if (column == "CG41_GUID") return ColumnFill::set(new_guid(module_connection(window_)));
        if (column == "CG41_ROWVERSION") return ColumnFill::leave();
        return ColumnFill::copy();
    });
}

}  // namespace journal
