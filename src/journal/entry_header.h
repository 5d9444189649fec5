#pragma once
// The header of an entry taken over (CG41_PRIMANOTA): a new row under the group company's
// registration number, every column filled by its rule (company, number, customer or
// supplier through the map, section and causal transcoded, fixed values, a new GUID) and
// every other column copied from the entry's element of the same name.
#include <cstdint>
#include <string>
#include <string_view>

#include "ado/recordset.h"
#include "ado/sqltext.h"
#include "importfile/window_procedure.h"
#include "journal/journal_entry.h"

namespace journal {

inline constexpr const char* kTextNumberInUse =
    "Numero registrazione esistente in inserimento testata registrazione.";

class EntryHeader : public importfile::WindowProcedure {
  public:
    using WindowProcedure::WindowProcedure;

    // Writes the header of `entry` (its new number set): state 0 when saved, 50 with the
    // error text when the number is in use or the row is refused. Reads the entry's type
    // and sets its causal and its parent and child references. A required element missing
    // or a value a column cannot take throws (the import's trap).
    void write(JournalEntry& entry);

    // The entry's text in the log, from its elements (a missing one gives empty text).
    static std::string entry_key(const importfile::Node& element);
    // The updatable record set of the header under a number.
    static ado::SqlText header_statement(std::int32_t company_code, std::string_view number);

  private:
    void fill(ado::Recordset& record, JournalEntry& entry);
};

}  // namespace journal
