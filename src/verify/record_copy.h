#pragma once
// The copy rule of the creations: the pending new record of an updatable record set is
// filled from a member's Row element, every column of the target visited in the table's
// order. The caller names the columns it fills itself (a code, a null, a new identifier,
// a column the database assigns); every other column takes the element named as the
// column: date-time columns through ConvertiDataOra, any other column the text unchanged.
// A column without an element is set to Null where it admits Null and is not Null already,
// and otherwise left as the new record holds it.
#include <functional>
#include <string_view>

#include "ado/recordset.h"
#include "ado/variant.h"
#include "importfile/import_document.h"

namespace verify {

// How the caller fills one column.
struct ColumnFill {
    enum Kind {
        Copy,   // the copy rule from the file
        Null,   // set to Null
        Leave,  // left untouched (the database assigns it)
        Value,  // set to `value`
    };
    Kind kind = Copy;
    ado::Variant value{};

    static ColumnFill copy() { return {}; }
    static ColumnFill null() { return {Null, {}}; }
    static ColumnFill leave() { return {Leave, {}}; }
    static ColumnFill set(ado::Variant v) { return {Value, std::move(v)}; }
};

// Fills the pending new record of `record` (AddNew done). The element of a column is looked
// up under `row` at `element_prefix` + column name ("" or "CG16_ANAGGEN/"). An assignment
// the column refuses throws ado::Error (the creation's trap turns it into its log row).
void copy_columns(ado::Recordset& record, const importfile::Node& row, std::string_view element_prefix,
                  const std::function<ColumnFill(std::string_view column)>& fill_of);

// Whether the current record of `existing` holds, in every column the caller copies or sets,
// what copy_columns would write from `row`: the record is then one a creation made from this
// very row. Columns the caller nulls or leaves are not compared. A value of the file the
// column would refuse makes the answer false.
bool holds_copy(ado::Recordset& existing, const importfile::Node& row, std::string_view element_prefix,
                const std::function<ColumnFill(std::string_view column)>& fill_of);

}  // namespace verify
