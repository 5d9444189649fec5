#pragma once
// The statements of a traced import and the moments they belong to, from which the crash
// points are chosen: each statement is written to the trace before it runs, so killing
// the program once the k-th statement is in the trace stops it at or just after that
// statement.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace reliability {

enum class Moment {
    entry_commit,    // the commit of a journal entry, about to run
    entry_boundary,  // the statement after an entry's commit: the entry is in the books
    mid_entry,       // between an entry's BEGIN and its COMMIT
    creation,        // a creation of master data (its transaction and the statement after it)
    rebuild,         // the rebuild of the progressive totals (on the host's own connection)
    other,           // the checks, the links, the import header, the log
};
inline constexpr Moment kMoments[] = {Moment::entry_boundary, Moment::entry_commit, Moment::mid_entry,
                                      Moment::creation,       Moment::rebuild,      Moment::other};

const char* moment_name(Moment moment);

// The statements of a trace, each without its comment line of time and its "GO" line.
std::vector<std::string> split_statements(std::string_view trace);

// The number of "GO" lines in `text`, and what is left after the last line end (a line
// still being written), to be put in front of the next piece.
std::size_t count_statement_ends(std::string& pending, std::string_view piece);

struct TraceMap {
    std::vector<Moment> moments;  // one per statement, in order
    // The 1-based statement after which the host's rebuild runs (the reading of the
    // exercise that follows the journal import); 0 when the trace has none.
    std::size_t rebuild_after = 0;
};

TraceMap classify(const std::vector<std::string>& statements);

struct CrashPoint {
    std::size_t statement = 0;  // kill once this many statements are in the trace (1-based)
    Moment moment = Moment::other;
    double delay_fraction = 0;  // for the rebuild: how far into it, 0..1
};

// `count` points spread over the moments of the map: shares of the count per moment
// (boundaries, commits, mid-entry, creations, rebuild, others), each share spread evenly
// over the statements of its moment.
std::vector<CrashPoint> choose_points(const TraceMap& map, std::size_t count);

}  // namespace reliability
