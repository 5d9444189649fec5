#pragma once
// ImportazioneMovimentiFileXML: the third step of the import. Every journal entry of the
// member's file is written into the group company's books under a new registration number,
// in a transaction of its own, with its account and VAT rows; entries taken over by an
// earlier import are skipped; the links between entries are resolved at the end. Every
// entry, row and link is a log row; an error row fails the step (message 108).
#include "importfile/window_procedure.h"

namespace journal {

class JournalImport : public importfile::WindowProcedure {
  public:
    using WindowProcedure::WindowProcedure;
    static constexpr const char* kProcedure = "ImportazioneMovimentiFileXML";

    void ImportazioneMovimentiFileXML(bool& error) noexcept;
};

}  // namespace journal
