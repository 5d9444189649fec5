#pragma once
// The shared routines of the module (MDLCG_LEDGERINTAKE): SQL text fragments from values,
// normalisation of values read from record sets and the import file, release and copy of
// record sets. All run with errors suppressed: a value they cannot use gives the stated
// fall-back result, never an exception.
#include <cstdint>
#include <string>
#include <string_view>

#include "ado/recordset.h"
#include "ado/variant.h"

namespace host {
class DateObject;
}

namespace module {

// A quoted SQL date literal ("'20240131'") of the value, or of today when the value is blank
// or not a valid date; "NULL" when the host date object refuses the date (or is missing).
std::string FormattaDataSQL(const ado::Variant& value, host::DateObject* date_object) noexcept;

// The value as text without trailing blanks; Null, Empty and values that do not convert
// give the empty text.
std::string TrimStringa(const ado::Variant& value) noexcept;

// The value as Decimal; Integer 0 when missing, Empty, Null or blank text; Empty when it is
// not a number (or does not fit a Decimal).
ado::Variant ValoreDecimale() noexcept;
ado::Variant ValoreDecimale(const ado::Variant& value) noexcept;

// The value, or `default_value` when the value is Empty, Null or text that is blank after
// trimming.
ado::Variant ValoreDefault(const ado::Variant& value, const ado::Variant& default_value) noexcept;

// Exactly `width` characters: the trimmed value followed by blanks, cut to `width`
// (characters, not bytes). Empty or Null gives `width` blanks; a negative width gives "".
std::string StringaFissa(const ado::Variant& value, std::int16_t width) noexcept;

// Closes the record set when it is open, then releases the reference.
void ChiudiRecordset(ado::RecordsetPtr& recordset) noexcept;

// Text of the date-time written as day "/" month "/" four-digit year with an optional
// " hh:mm[:ss]" after it, as ISO text "YYYY-MM-DD" or "YYYY-MM-DD HH:MM:SS" (time left out
// at midnight). Parts that cannot be read count as 0 and out-of-range numbers roll over
// (day 0 is the last day of the previous month; years 0-29 are 2000-2029, 30-99 are
// 1930-1999); a result outside years 100..9999 gives the empty text.
std::string ConvertiDataOra(std::string_view text) noexcept;

// The text with every single quote doubled.
std::string RaddoppiaApici(std::string_view text) noexcept;

// Replaces `target` with a new connectionless, updatable record set holding the fields
// (name, type, size; precision and scale for numeric and decimal) and the rows of `source`.
// The source is left on its last row; the copy on its first. A source handed over (no other
// reference to it, std::move) is emptied row by row as it is copied and ends closed.
void CopiaRecordset(ado::RecordsetPtr source, ado::RecordsetPtr& target) noexcept;

}  // namespace module
