#pragma once
// Values crossing a field: what an assignment stores (converted to the column's type and
// checked against its size, precision and nullability) and what a read gives back.
#include <string>

#include "ado/driver.h"
#include "ado/variant.h"

namespace ado::detail {

// How a column's values are held and compared.
enum class ColumnKind { Integer, Decimal, Float, Boolean, Date, Text, Binary, Other };
ColumnKind column_kind(int type);
bool is_number_kind(ColumnKind k);

bool admits_null(const ColumnInfo& col);
// Text columns of fixed width (by type or by attribute) read back blank-padded.
bool is_fixed_width_text(const ColumnInfo& col);

// Converts `v` for storage in `col`. Throws ado::Error when the column cannot take it:
// Null where not admitted, text that is not a number or date, too long, out of range.
Variant convert_for_column(const ColumnInfo& col, const Variant& v);

// The value as Field::Value gives it: fixed-width text padded to the column's width.
Variant read_back(const ColumnInfo& col, const Variant& stored);

// Text of a non-null value as exports show it: Decimal canonical, dates ISO.
std::string display_text(const Variant& v);

}  // namespace ado::detail
