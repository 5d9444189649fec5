#pragma once
// The VAT numbering record of the reference host (HOST_VAT_NUMBERING in the main database):
// what recording a used number (numbering operation 3) changes. It runs on the caller's
// connection, so the record goes with the caller's transaction: an entry rolled back leaves
// the record as it was.
#include <cstdint>
#include <optional>
#include <string>

#include "ado/datetime.h"
#include "ado/variant.h"

namespace ado {
class Connection;
}

namespace refhost {

// Kinds of the VAT numbering (1 to 14; there is no kind 12).
bool vat_numbering_kind(std::int32_t kind);

// A document number as the import file writes it: digits only (blanks around them and
// leading zeros allowed), at most 18 significant digits; or an integer Variant not below 0.
// Empty optional otherwise, with `why` saying what is wrong.
std::optional<std::int64_t> document_number(const ado::Variant& value, std::string& why);

struct UsedNumber {
    std::int32_t company = 0;
    std::int32_t year = 0;
    std::string section;  // as the member wrote it, without trailing blanks; no quote
    std::int32_t kind = 0;
    std::int64_t number = 0;
    std::optional<ado::DateTime> date;
};

// Keeps the highest number of (company, year, section, kind) with the date that came with
// it: a first number inserts the row, a higher one replaces number and date, an equal or
// lower one changes nothing. Throws ado::Error when the table cannot be read or written.
void record_used_number(ado::Connection& conn, const UsedNumber& used);

}  // namespace refhost
