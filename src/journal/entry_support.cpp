#include "journal/entry_support.h"

#include "ado/connection.h"
#include "ado/error.h"
#include "ado/types.h"
#include "host/error.h"
#include "importfile/import_state.h"
#include "importfile/window_context.h"
#include "modulebase/error_trap.h"
#include "modulebase/host_access.h"
#include "modulebase/module_context.h"
#include "modulebase/routines.h"
#include "modulebase/scoped_recordset.h"

namespace journal {

std::string required_text(const importfile::Node& element, std::string_view name, std::string_view where) {
    std::optional<std::string> text = element.text(name);
    if (!text)
        throw host::Error(host::kErrObjectNotSet,
                          "The element " + std::string(name) + " is missing from " + std::string(where) + ".",
                          "ledgerintake");
    return std::move(*text);
}

std::int16_t integer_or(const importfile::Node& element, std::string_view name,
                        std::int16_t fallback) noexcept {
    return module::suppress_or(fallback, [&] {
        const std::optional<std::string> text = element.text(name);
        return text ? ado::Variant(ado::trim(*text)).to_integer() : fallback;
    });
}

ado::Variant group_customer_supplier(importfile::ImportState& state, std::int16_t type,
                                     const std::optional<std::string>& member_code) {
    if (type == -1 || !member_code || ado::trim(*member_code).empty()) return ado::Null;
    // The code goes into the filter as one number, never as filter text of its own.
    const std::optional<ado::Decimal> code = ado::Decimal::parse(*member_code);
    if (!code)
        throw ado::Error(ado::kErrFilter, "The customer or supplier code '" + *member_code +
                                              "' of the import file is not a number.");
    ado::Recordset& map = module::need(state.customer_supplier_map, "the customer/supplier map");
    map.SetFilter("TIPOCF = " + std::to_string(type) + " AND " + "CF_SORGENTE = " + code->to_string());
    if (map.BOF() || map.EOF()) return ado::Null;
    return ado::Variant::long_value(module::ValoreDefault(map["CLIFOR"].Value(), 0).to_long());
}

void assign_padded(ado::Field field, const std::string& value, std::int16_t width) {
    field.SetValue(ado::Variant(value));
    field.SetValue(ado::Variant(module::StringaFissa(field.Value(), width)));
}

void clear_if_nullable(ado::Field field) {
    if ((field.Attributes() & ado::adFldIsNullable) != 0 && !field.Value().is_null())
        field.SetValue(ado::Variant(ado::Null));
}

ado::Variant new_guid(ado::Connection& connection) {
    module::ScopedRecordset guid(connection.Execute("SELECT NEWID()"));
    return guid->GetFields().Item(0).Value();
}

bool save_row(ado::Recordset& record, std::string& description) noexcept {
    try {
        record.Update();
        return true;
    } catch (...) {
        description = module::current_error_info().description;
        return false;
    }
}

void delete_rows(ado::Recordset& record) {
    if (record.BOF() && record.EOF()) return;
    for (record.MoveFirst(); !record.EOF(); record.MoveNext()) record.Delete();
}

}  // namespace journal
