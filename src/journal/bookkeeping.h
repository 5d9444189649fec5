#pragma once
// The bookkeeping around the journal import: the import history header (IE42_IMPCOGE) and
// its details (IE43_DETTIMPCOGE), the registration numbers of the group company with their
// master documents (CO99_MASTERDOC), the update of the VAT numbering an entry consumes, and
// the removal of a header that ended without details. Procedures of the import window,
// on the module connection.
#include <cstdint>
#include <string>
#include <string_view>

#include "ado/sqltext.h"
#include "ado/variant.h"
#include "importfile/window_procedure.h"

namespace journal {

class Bookkeeping : public importfile::WindowProcedure {
  public:
    using WindowProcedure::WindowProcedure;
    static constexpr const char* kHeader = "GetIDTestataImportImpostazioni";
    static constexpr const char* kNumber = "GetNumeroRegistrazione";
    static constexpr const char* kNumbering = "AggiornaNumerazione";
    static constexpr const char* kDeleteHeader = "EliminaIDTestataImportazioneSenzaDettagli";

    // Inserts the import header; its IE42_ID (0 when it cannot be read). `date_time_text`
    // is the date (and time) of the import as text.
    std::int32_t GetIDTestataImportImpostazioni(const std::string& date_time_text) noexcept;
    // A new registration number for the date (prefix and 8 digits), Empty when none.
    ado::Variant GetNumeroRegistrazione(const ado::Variant& registration_date) noexcept;
    // Records the document number an entry used in the VAT numbering; true on success.
    bool AggiornaNumerazione(const ado::Variant& section, const ado::Variant& registration_date,
                             const ado::Variant& numbering_kind,
                             const ado::Variant& document_number) noexcept;
    // The numbering kind of a VAT causal (16-bit integer), Null when it has none.
    static ado::Variant GetTipoNumerazione(const ado::Variant& vat_causal) noexcept;
    // Deletes the header when no detail refers to it (nothing for 0).
    void EliminaIDTestataImportazioneSenzaDettagli(std::int32_t header_id) noexcept;

    // The header insert, line by line (the date-time literal of `date_time_text`, the window's
    // file box, check boxes and date boxes, the member company and the host's user code).
    // The file name goes in verbatim: a quote in it fails before the engine.
    ado::SqlText header_insert_statement(const std::string& date_time_text) const;
    // Ends the header insert's batch: the identity of the row this connection just inserted.
    static constexpr const char* kIdentityRead = " SELECT SCOPE_IDENTITY()";

    // The statements the entry import runs for each entry, line by line. The registration
    // numbers go in verbatim (a quote in one fails before the engine).
    ado::SqlText detail_lookup_statement(std::string_view source_number) const;
    ado::SqlText detail_insert_statement(std::string_view source_number, std::string_view new_number,
                                         std::int32_t header_id) const;
    // Reads the host's current user code and group once per column, as the statement is built.
    ado::SqlText master_document_statement(std::string_view new_number) const;

    // Prefix followed by the last 8 characters of "00000000" and the trimmed number.
    static std::string registration_number(std::string_view prefix, std::string_view number);
    // The SQL date-time literal: FormattaDataSQL of the date without its closing quote,
    // then " HH:MM:SS'" with the current time.
    std::string date_time_literal(const ado::Variant& date) const;
};

}  // namespace journal
