#pragma once
// The account rows (CG42_MOVCONT) and the VAT rows (CG43_MOVIVA) of an entry taken over,
// written under its new number inside its transaction. Rows already under that number go
// first; each row is a log row; the first row the database refuses ends the entry's rows
// with state 50.
#include <cstdint>
#include <string_view>

#include "ado/recordset.h"
#include "ado/sqltext.h"
#include "importfile/window_procedure.h"
#include "journal/journal_entry.h"

namespace journal {

class EntryRows : public importfile::WindowProcedure {
  public:
    using WindowProcedure::WindowProcedure;
    static constexpr const char* kAccountRows = "CG42_MOVCONT";
    static constexpr const char* kVatRows = "CG43_MOVIVA";

    // Each leaves the entry's state 0 (every row saved) or 50 with the failing row's text.
    // A required element missing or a value a column cannot take throws (the import's trap).
    void write_account_rows(JournalEntry& entry);
    void write_vat_rows(JournalEntry& entry);

    // The updatable record sets of the rows under a number.
    static ado::SqlText account_rows_statement(std::int32_t company_code, std::string_view number);
    static ado::SqlText vat_rows_statement(std::int32_t company_code, std::string_view number);

  private:
    struct AccountRow;
    void fill_account_row(ado::Recordset& record, const AccountRow& row, const JournalEntry& entry);
    void fill_vat_row(ado::Recordset& record, const importfile::Node& row, const JournalEntry& entry);
    ado::RecordsetPtr open_rows(const ado::SqlText& statement);
};

}  // namespace journal
