#pragma once
// The links between imported entries: while the entries are written, each entry's parent
// and child references (the member's registration numbers) are collected; once every entry
// is written, each reference is resolved through the import history into the group
// company's number and stored in the entry. One log row per reference.
#include <cstdint>
#include <string>
#include <string_view>

#include "ado/recordset.h"
#include "ado/sqltext.h"
#include "importfile/window_procedure.h"

namespace journal {

class EntryLinks : public importfile::WindowProcedure {
  public:
    using WindowProcedure::WindowProcedure;
    ~EntryLinks();
    EntryLinks(const EntryLinks&) = delete;
    EntryLinks& operator=(const EntryLinks&) = delete;

    // Adds a row (the list is created on first need). Throws on a failure (the caller's trap).
    void collect(std::string_view parent, std::string_view child, std::string_view new_number,
                 std::string_view source_number);
    bool empty() const noexcept { return !links_; }
    // Resolves every collected reference, writing one log row each (parent first).
    // Throws on an unexpected failure (the caller's trap); a refused update is a log row.
    void resolve();
    // Closes the list.
    void close() noexcept;

    // The update of one reference, line by line.
    static ado::SqlText update_statement(bool parent, std::int32_t company_code, std::int32_t member_code,
                                         std::string_view reference, std::string_view new_number);

  private:
    ado::RecordsetPtr links_;
};

}  // namespace journal
