#pragma once
// The working state of the journal entry being taken over, shared by the steps that write
// it: the header, the numbering update, the links and the account and VAT rows.
#include <cstdint>
#include <string>

#include "importfile/import_document.h"
#include "log/log_states.h"

namespace journal {

// The section of the import file that holds the journal entries, and its log table name.
inline constexpr const char* kEntrySection = "CG41_PRIMANOTA";

struct JournalEntry {
    long index = 0;            // position of the entry element in the file, from 1
    importfile::Node element;  // /MovimentiCoGe/CG41_PRIMANOTA/Row[index]
    std::int16_t state = importlog::kNoVerdict;
    std::string error_text;     // the message of the entry's last failure
    std::string key;            // the entry's text in the log
    std::string source_number;  // CG41_NUMREG of the member company
    std::string new_number;     // the group company's registration number
    std::int16_t type = -1;     // CG41_TIPOCF_CG44, -1 when missing
    std::string causal;         // the transcoded causal, 4 characters
    std::string parent, child;  // CG41_RIFPADRE, CG41_RIFFIGLIA as the file has them

    bool failed() const noexcept { return state == importlog::kWriteFailed; }
    void fail(std::string text) {
        state = importlog::kWriteFailed;
        error_text = std::move(text);
    }
    void succeed() {
        state = importlog::kInserted;
        error_text.clear();
    }
};

}  // namespace journal
