#pragma once
// Runs `ledgerintake import` with its statement trace written into a FIFO that this
// process reads as the program writes it, and kills the program with SIGKILL once a given
// number of statements has been traced (and, for a moment inside work the trace does not
// show, a given time after that).
#include <chrono>
#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace reliability {

struct TracedRun {
    bool killed = false;         // ended by our SIGKILL
    int exit_status = -1;        // when it ended by itself
    std::size_t statements = 0;  // statements in the trace when it ended
    std::string trace;           // the whole trace, when asked for
    // When each statement's "GO" was read, from the start of the run.
    std::vector<std::chrono::microseconds> arrivals;
};

struct KillAt {
    std::size_t statement = 0;  // 0: never
    std::chrono::microseconds delay{0};
};

// Imports `file` into `db` (both in `folder`) with --yes; the trace goes through a FIFO
// made in `folder`. Standard output and error go to files there. `keep_trace` keeps the
// trace's text and arrival times (for the reference run).
TracedRun run_traced_import(const std::filesystem::path& folder, const std::string& file,
                            const std::string& db, const KillAt& kill_at, bool keep_trace);

}  // namespace reliability
