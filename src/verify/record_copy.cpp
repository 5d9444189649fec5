#include "verify/record_copy.h"

#include <optional>
#include <string>

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

}  // namespace verify
