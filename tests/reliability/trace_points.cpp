#include "trace_points.h"

#include <algorithm>
#include <cmath>

namespace reliability {

namespace {

bool contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

bool is_begin(const std::string& s) {
    return s == "-- BeginTrans";
}
bool is_end(const std::string& s) {
    return s == "-- CommitTrans" || s == "-- RollbackTrans";
}

// A transaction that writes the import history or the master document is a journal entry;
// any other the module opens before the journal is a creation of master data.
bool writes_an_entry(const std::vector<std::string>& statements, std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i <= end && i < statements.size(); ++i)
        if (contains(statements[i], "IE43_DETTIMPCOGE") || contains(statements[i], "CO99_MASTERDOC"))
            return true;
    return false;
}

struct Share {
    Moment moment;
    double part;
};
constexpr Share kShares[] = {{Moment::entry_boundary, 0.2}, {Moment::entry_commit, 0.125},
                             {Moment::mid_entry, 0.25},     {Moment::creation, 0.2},
                             {Moment::rebuild, 0.125},      {Moment::other, 0.1}};

// The share of each moment in `count`, whole numbers by the largest remainders.
std::vector<std::size_t> shares_of(std::size_t count) {
    std::vector<std::size_t> whole;
    std::vector<std::pair<double, std::size_t>> rest;
    std::size_t given = 0;
    for (std::size_t i = 0; i < std::size(kShares); ++i) {
        const double exact = kShares[i].part * static_cast<double>(count);
        whole.push_back(static_cast<std::size_t>(std::floor(exact)));
        given += whole.back();
        rest.emplace_back(exact - std::floor(exact), i);
    }
    std::stable_sort(rest.begin(), rest.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    for (std::size_t i = 0; given < count; ++i, ++given) ++whole[rest[i % rest.size()].second];
    return whole;
}

}  // namespace

const char* moment_name(Moment moment) {
    switch (moment) {
        case Moment::entry_commit:
            return "entry commit";
        case Moment::entry_boundary:
            return "entry boundary";
        case Moment::mid_entry:
            return "mid-entry";
        case Moment::creation:
            return "master-data creation";
        case Moment::rebuild:
            return "rebuild";
        case Moment::other:
            return "other";
    }
    return "?";
}

std::vector<std::string> split_statements(std::string_view trace) {
    std::vector<std::string> statements;
    std::string current;
    bool first_line = true;
    while (!trace.empty()) {
        const auto end = trace.find('\n');
        std::string_view line = trace.substr(0, end);
        trace = end == std::string_view::npos ? std::string_view() : trace.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line == "GO") {
            statements.push_back(current);
            current.clear();
            first_line = true;
            continue;
        }
        if (first_line) {  // the time the statement was sent
            first_line = false;
            continue;
        }
        if (!current.empty()) current += '\n';
        current += line;
    }
    return statements;
}

std::size_t count_statement_ends(std::string& pending, std::string_view piece) {
    pending.append(piece);
    std::size_t count = 0, start = 0;
    for (auto end = pending.find('\n'); end != std::string::npos; end = pending.find('\n', start)) {
        std::string_view line(pending.data() + start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line == "GO") ++count;
        start = end + 1;
    }
    pending.erase(0, start);
    return count;
}

TraceMap classify(const std::vector<std::string>& statements) {
    TraceMap map;
    map.moments.assign(statements.size(), Moment::other);
    bool journal_started = false;
    for (std::size_t i = 0; i < statements.size(); ++i) {
        if (contains(statements[i], "INSERT INTO IE42_IMPCOGE")) journal_started = true;
        if (journal_started && contains(statements[i], "FROM HOST_EXERCISE")) map.rebuild_after = i + 1;
        if (!is_begin(statements[i])) continue;
        std::size_t end = i + 1;
        while (end < statements.size() && !is_end(statements[end])) ++end;
        const bool entry = writes_an_entry(statements, i, end);
        for (std::size_t j = i; j < end && j < statements.size(); ++j)
            map.moments[j] = entry ? Moment::mid_entry : Moment::creation;
        if (end < statements.size()) map.moments[end] = entry ? Moment::entry_commit : Moment::creation;
        if (end + 1 < statements.size() && !is_begin(statements[end + 1]))
            map.moments[end + 1] = entry ? Moment::entry_boundary : Moment::creation;
        i = end;
    }
    return map;
}

std::vector<CrashPoint> choose_points(const TraceMap& map, std::size_t count) {
    const std::vector<std::size_t> shares = shares_of(count);
    std::vector<CrashPoint> points;
    for (std::size_t s = 0; s < shares.size(); ++s) {
        const Moment moment = kShares[s].moment;
        const std::size_t wanted = shares[s];
        if (wanted == 0) continue;
        if (moment == Moment::rebuild) {
            if (map.rebuild_after == 0) continue;
            for (std::size_t i = 0; i < wanted; ++i)
                points.push_back({map.rebuild_after, moment, (static_cast<double>(i) + 0.5) / wanted});
            continue;
        }
        std::vector<std::size_t> candidates;
        for (std::size_t i = 0; i < map.moments.size(); ++i)
            if (map.moments[i] == moment) candidates.push_back(i + 1);
        if (candidates.empty()) continue;
        // Evenly over the candidates; more points than candidates repeat some, which the
        // timing of the kill makes different moments anyway.
        for (std::size_t i = 0; i < wanted; ++i) {
            const auto at =
                static_cast<std::size_t>((static_cast<double>(i) + 0.5) * candidates.size() / wanted);
            points.push_back({candidates[std::min(at, candidates.size() - 1)], moment, 0});
        }
    }
    std::sort(points.begin(), points.end(), [](const CrashPoint& a, const CrashPoint& b) {
        return a.statement != b.statement ? a.statement < b.statement : a.delay_fraction < b.delay_fraction;
    });
    return points;
}

}  // namespace reliability
