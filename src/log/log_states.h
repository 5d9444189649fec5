#pragma once
// The codes a log row carries in STATO and which of them mean that the import must stop.
#include <array>
#include <cstdint>
#include <string>

namespace importlog {

enum LogState : std::int16_t {
    kInserted = 0,        // created in the group company
    kExisting = 10,       // already there, directly or through its transcoding
    kMissing = 30,        // "Elemento assente."
    kNoTranscoding = 31,  // "Transcodifica assente."
    kTranscodingTargetMissing = 32,
    kProposalNotTranscoded = 33,
    kWriteFailed = 50,
    kNoVerdict = 99,  // every element starts with it
};

// The error states, in the order the log check's filter names them.
inline constexpr std::array<std::int16_t, 6> kErrorStates = {
    kMissing, kNoTranscoding, kTranscodingTargetMissing, kProposalNotTranscoded, kWriteFailed, kNoVerdict};

constexpr bool is_error_state(std::int32_t state) noexcept {
    for (auto s : kErrorStates)
        if (s == state) return true;
    return false;
}

// "STATO = 30 OR STATO = 31 OR ... OR STATO = 99": the filter that keeps the error rows.
std::string error_state_filter();

// What the log window shows for a row's STATO, given as its decimal text: "Inserito",
// "Esistente", "Transcodifica", "Errore", or "Non previsto" for any other text.
std::string state_caption(const std::string& stato);
// What it shows for a row's TABELLA ("CG24_TABPDC" is "PdC"); another text stays as it is.
std::string table_caption(const std::string& tabella);

}  // namespace importlog
