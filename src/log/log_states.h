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

}  // namespace importlog
