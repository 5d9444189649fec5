#include "journal/entry_rows.h"

#include <string>

#include "ado/connection.h"
#include "importfile/window_context.h"
#include "journal/entry_support.h"
#include "log/import_log.h"
#include "modulebase/host_access.h"
#include "modulebase/module_context.h"
#include "modulebase/scoped_recordset.h"
#include "verify/record_copy.h"
#include "verify/transcoding.h"

namespace journal {

namespace {

using verify::ColumnFill;

constexpr std::int16_t kCodeWidth = 4;
constexpr std::int16_t kAccountWidth = 10;
// The operation type under which a VAT row's account is transcoded.
constexpr std::int32_t kVatRowOperation = 3;
constexpr std::int16_t kCustomer = 0;
constexpr std::int16_t kSupplier = 1;

ado::SqlText rows_statement(const char* table, const char* prefix, std::int32_t company_code,
                            std::string_view number) {
    const std::string p(prefix);
    ado::SqlText sql;
    sql.line(" SELECT *")
        .line(" FROM " + std::string(table) + " WITH (NOLOCK)")
        .line(" WHERE " + p + "_DITTA_CG18 = ")
        .number(company_code)
        .line("     AND " + p + "_NUMREG_CG41 = '")
        .value(number)
        .add("'");
    return sql;
}

const importfile::ImportDocument& document_of(importfile::ImportWindowContext& window) {
    return module::need(window.import_state().document.get(), "the import file");
}

}  // namespace

struct EntryRows::AccountRow {
    importfile::Node element;
    long number = 0;             // position among the entry's account rows, from 1
    std::int16_t type = -1;      // CG42_TIPOCF_CG44, -1 when missing
    std::int16_t operation = 0;  // CG42_INDTIPOOPER, 0 when missing
};

ado::SqlText EntryRows::account_rows_statement(std::int32_t company_code, std::string_view number) {
    return rows_statement(kAccountRows, "CG42", company_code, number);
}

ado::SqlText EntryRows::vat_rows_statement(std::int32_t company_code, std::string_view number) {
    return rows_statement(kVatRows, "CG43", company_code, number);
}

ado::RecordsetPtr EntryRows::open_rows(const ado::SqlText& statement) {
    ado::RecordsetPtr record = ado::Recordset::create();
    record->Open(statement, module_connection(window_), ado::adOpenKeyset, ado::adLockOptimistic);
    return record;
}

void EntryRows::write_account_rows(JournalEntry& entry) {
    const importfile::ImportDocument& document = document_of(window_);
    const long count = document.child_count(kEntrySection, entry.index, kAccountRows);
    const std::int32_t company = window_.module_context().state().company.company_code;
    module::ScopedRecordset record(open_rows(account_rows_statement(company, entry.new_number)));
    delete_rows(*record);
    for (long j = 1; j <= count; ++j) {
        AccountRow row;
        row.element = document.row_child(kEntrySection, entry.index, kAccountRows, j);
        if (!row.element.present()) continue;
        row.number = j;
        row.operation = integer_or(row.element, "CG42_INDTIPOOPER", 0);
        row.type = integer_or(row.element, "CG42_TIPOCF_CG44", -1);
        const std::string key = "Numero riga contabile: " + row.element.text_or_empty("CG42_NUMRIGACONT") +
                                " - Conto: " + row.element.text_or_empty("CG42_CONTOPAR_CG24");
        record->AddNew();
        fill_account_row(*record, row, entry);
        std::string description;
        if (save_row(*record, description))
            entry.succeed();
        else
            entry.fail(description + " in inserimento riga registrazione.");
        window_.import_log().GeneraNuovaRigaLog(kAccountRows, 1, entry.state, key, entry.error_text);
        if (entry.failed()) return;
    }
}

void EntryRows::write_vat_rows(JournalEntry& entry) {
    const importfile::ImportDocument& document = document_of(window_);
    const long count = document.child_count(kEntrySection, entry.index, kVatRows);
    const std::int32_t company = window_.module_context().state().company.company_code;
    module::ScopedRecordset record(open_rows(vat_rows_statement(company, entry.new_number)));
    delete_rows(*record);
    for (long j = 1; j <= count; ++j) {
        const importfile::Node row = document.row_child(kEntrySection, entry.index, kVatRows, j);
        if (!row.present()) continue;
        const std::string where = "the VAT row " + std::to_string(j) + " of the journal entry " +
                                  std::to_string(entry.index) + " of the import file";
        const std::string key = "Numero riga Iva: " + required_text(row, "CG43_NUMRIGAIVA", where);
        record->AddNew();
        fill_vat_row(*record, row, entry);
        std::string description;
        if (save_row(*record, description))
            entry.succeed();
        else
            entry.fail(description + " in inserimento riga iva.");
        window_.import_log().GeneraNuovaRigaLog(kVatRows, 1, entry.state, key, entry.error_text);
        if (entry.failed()) return;
    }
}

void EntryRows::fill_account_row(ado::Recordset& record, const AccountRow& row, const JournalEntry& entry) {
    const module::CompanyContext& company = window_.module_context().state().company;
    const ado::Variant company_value = ado::Variant::long_value(company.company_code);
    const bool has_type = row.type != -1;
    const importfile::Node& e = row.element;
    const std::string where = "the account row " + std::to_string(row.number) + " of the journal entry " +
                              std::to_string(entry.index) + " of the import file";
    verify::Transcoding transcoding(window_);

    verify::copy_columns(record, e, "", [&](std::string_view column) -> ColumnFill {
        if (column == "CG42_DITTA_CG18") return ColumnFill::set(company_value);
        if (column == "CG42_NUMREG_CG41") return ColumnFill::set(ado::Variant(entry.new_number));
        if (column == "CG42_GRUPPO_CG10")
            return ColumnFill::set(ado::Variant(company.chart_of_accounts_group));
        if (column == "CG42_TIPOCF_CG44")
            return has_type ? ColumnFill::set(ado::Variant(row.type)) : ColumnFill::null();
        if (column == "CG42_DITTACF_CG18")
            return has_type ? ColumnFill::set(company_value) : ColumnFill::null();
        if (column == "CG42_CODICE_CG33") {
            const std::string causal = transcoding.GetValoreInternoTranscodifica(
                verify::kKindCausal, ado::Variant(required_text(e, column, where)), ado::Variant(""), 0);
            assign_padded(record[column], causal, kCodeWidth);
            return ColumnFill::leave();
        }
        if (column == "CG42_CLIFORPAR_CG44") {
            // As for the header: a code the map does not know leaves the column Null.
            const ado::Variant code =
                group_customer_supplier(window_.import_state(), row.type, e.text("CG42_CLIFORPAR_CG44"));
            if (!code.is_null()) return ColumnFill::set(code);
            clear_if_nullable(record[column]);
            return ColumnFill::leave();
        }
        if (column == "CG42_CONTOPAR_CG24") {
            // Customers and suppliers post to the group company's own counter-accounts.
            std::string account;
            if (row.type == kCustomer)
                account = company.customer_account;
            else if (row.type == kSupplier)
                account = company.supplier_account;
            else
                account = transcoding.GetValoreInternoTranscodifica(
                    verify::kKindAccount, ado::Variant(required_text(e, column, where)),
                    ado::Variant(entry.causal), row.operation);
            assign_padded(record[column], account, kAccountWidth);
            return ColumnFill::leave();
        }
        if (column == "CG42_FLGSTPGIOR") return ColumnFill::set(ado::Variant(std::int16_t{1}));
        if (column == "CG42_CODICE_CGC0") return ColumnFill::null();
        if (column == "CG42_CODICE_CG31") return ColumnFill::set(ado::Variant(std::int16_t{0}));
        if (column == "CG42_GUID") return ColumnFill::set(new_guid(module_connection(window_)));
        if (column == "CG42_ROWVERSION") return ColumnFill::leave();
        return ColumnFill::copy();
    });
}

void EntryRows::fill_vat_row(ado::Recordset& record, const importfile::Node& row, const JournalEntry& entry) {
    const module::CompanyContext& company = window_.module_context().state().company;
    verify::Transcoding transcoding(window_);

    // A VAT code or account present in the row is the group company's after transcoding;
    // a missing one leaves the column Null.
    const auto transcoded = [&](std::string_view column, std::int32_t kind, const ado::Variant& causal,
                                std::int32_t operation, std::int16_t width) {
        const std::optional<std::string> text = row.text(column);
        if (!text) {
            clear_if_nullable(record[column]);
            return ColumnFill::leave();
        }
        assign_padded(record[column],
                      transcoding.GetValoreInternoTranscodifica(kind, ado::Variant(*text), causal, operation),
                      width);
        return ColumnFill::leave();
    };

    verify::copy_columns(record, row, "", [&](std::string_view column) -> ColumnFill {
        if (column == "CG43_DITTA_CG18")
            return ColumnFill::set(ado::Variant::long_value(company.company_code));
        if (column == "CG43_NUMREG_CG41") return ColumnFill::set(ado::Variant(entry.new_number));
        if (column == "CG43_GRUPPO_CG10")
            return ColumnFill::set(ado::Variant(company.chart_of_accounts_group));
        if (column == "CG43_ALIQIVA1_CG28" || column == "CG43_ALIQIVA2_CG28")
            return transcoded(column, verify::kKindVatCode, ado::Variant(""), 0, kCodeWidth);
        if (column == "CG43_CONTO_CG24")
            return transcoded(column, verify::kKindAccount, ado::Variant(entry.causal), kVatRowOperation,
                              kAccountWidth);
        if (column == "CG43_ROWVERSION") return ColumnFill::leave();
        return ColumnFill::copy();
    });
}

}  // namespace journal
