#include "verify/record_copy.h"

#include <optional>
#include <string>

#include "ado/error.h"
#include "ado/types.h"
#include "modulebase/routines.h"

namespace verify {

namespace {

void copy_from_file(ado::Field field, const importfile::Node& row, const std::string& path) {
    const std::optional<std::string> text = row.text(path);
    if (!text) {
        if ((field.Attributes() & ado::adFldIsNullable) != 0 && !field.Value().is_null())
            field.SetValue(ado::Variant(ado::Null));
        return;
    }
    if (field.Type() == ado::adDBTimeStamp)
        field.SetValue(ado::Variant(module::ConvertiDataOra(*text)));
    else
        field.SetValue(ado::Variant(*text));
}

// Texts compare exactly but for the blanks a fixed-width column pads with: a description
// changed only in its case is a change.
bool same_value(const ado::Variant& a, const ado::Variant& b) {
    if (a.is_null() || b.is_null()) return a.is_null() == b.is_null();
    if (a.is_string() && b.is_string()) {
        std::string x = a.to_string(), y = b.to_string();
        x.erase(x.find_last_not_of(' ') + 1);
        y.erase(y.find_last_not_of(' ') + 1);
        return x == y;
    }
    try {
        return ado::compare_values(a, b) == 0;
    } catch (const ado::Error&) {
        return false;
    }
}

bool compared(const ColumnFill& fill) {
    return fill.kind == ColumnFill::Copy || fill.kind == ColumnFill::Value;
}

}  // namespace

void copy_columns(ado::Recordset& record, const importfile::Node& row, std::string_view element_prefix,
                  const std::function<ColumnFill(std::string_view column)>& fill_of) {
    ado::Fields fields = record.GetFields();
    const int count = fields.Count();
    for (int i = 0; i < count; ++i) {
        ado::Field field = fields.Item(i);
        const std::string name = field.Name();
        ColumnFill fill = fill_of(name);
        switch (fill.kind) {
            case ColumnFill::Copy:
                copy_from_file(field, row, std::string(element_prefix) + name);
                break;
            case ColumnFill::Null:
                field.SetValue(ado::Variant(ado::Null));
                break;
            case ColumnFill::Leave:
                break;
            case ColumnFill::Value:
                field.SetValue(fill.value);
                break;
        }
    }
}

bool holds_copy(ado::Recordset& existing, const importfile::Node& row, std::string_view element_prefix,
                const std::function<ColumnFill(std::string_view column)>& fill_of) {
    // The copy is made into a record of a scratch set with the compared columns' types, so
    // the file's texts go through the very conversions a creation's assignments make.
    ado::Fields fields = existing.GetFields();
    ado::RecordsetPtr scratch = ado::Recordset::create();
    ado::Fields scratch_fields = scratch->GetFields();
    for (int i = 0; i < fields.Count(); ++i) {
        ado::Field field = fields.Item(i);
        if (!compared(fill_of(field.Name()))) continue;
        scratch_fields.Append(field.Name(), field.Type(), field.DefinedSize(),
                              field.Attributes() & ado::adFldIsNullable);
        ado::Field added = scratch_fields.Item(field.Name());
        added.SetPrecision(field.Precision());
        added.SetNumericScale(field.NumericScale());
    }
    scratch->Open();
    scratch->AddNew();
    try {
        copy_columns(*scratch, row, element_prefix, fill_of);
    } catch (const ado::Error&) {
        return false;
    }
    for (int i = 0; i < scratch_fields.Count(); ++i) {
        ado::Field copy = scratch_fields.Item(i);
        if (!same_value(copy.Value(), fields.Item(copy.Name()).Value())) return false;
    }
    return true;
}

}  // namespace verify
