#pragma once
// Large statements through Connection::Execute: deep nesting, long operator chains and
// very many literals. Each is timed to its outcome (rows, or the error SQLite or the
// translator gives), so that a rewrite that grows with the square of the text shows.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "ado/connection.h"
#include "ado/recordset.h"

namespace bench {

inline std::string repeated(std::string_view piece, int n) {
    std::string out;
    out.reserve(piece.size() * static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) out.append(piece);
    return out;
}

// SELECT CAST(CAST(... 'x' ... AS VARCHAR(10)) AS VARCHAR(10))
inline std::string nested_casts(int n) {
    return "SELECT " + repeated("CAST(", n) + "'x'" + repeated(" AS VARCHAR(10))", n);
}

// SELECT ISNULL(ISNULL(... NULL ..., 'a'), 'a')
inline std::string nested_isnulls(int n) {
    return "SELECT " + repeated("ISNULL(", n) + "NULL" + repeated(", 'a')", n);
}

// SELECT 'a' + 'a' + ... (n terms)
inline std::string plus_chain(int n) {
    return "SELECT 'a'" + repeated(" + 'a'", n - 1);
}

// SELECT 1 WHERE 7 IN (1, 2, ..., n)
inline std::string number_list(int n) {
    std::string s = "SELECT 1 WHERE 7 IN (";
    for (int i = 1; i <= n; ++i) s += (i > 1 ? ", " : "") + std::to_string(i);
    return s + ")";
}

// SELECT 1 WHERE 'k7' IN ('k1', 'k2', ..., 'kn')
inline std::string string_list(int n) {
    std::string s = "SELECT 1 WHERE 'k7' IN (";
    for (int i = 1; i <= n; ++i) s += (i > 1 ? ", 'k" : "'k") + std::to_string(i) + "'";
    return s + ")";
}

// SELECT ((((1))))
inline std::string nested_parens(int n) {
    return "SELECT " + repeated("(", n) + "1" + repeated(")", n);
}

struct LargeInput {
    const char* what;
    std::function<std::string(int)> make;
    int size;
};

// Runs `sql` once on a fresh in-memory database: milliseconds and what came back.
inline std::pair<double, std::string> run_once(const std::string& sql) {
    ado::Connection conn("Provider=SQLite;Data Source=:memory:");
    conn.Open();
    const auto start = std::chrono::steady_clock::now();
    std::string outcome;
    try {
        ado::RecordsetPtr rs = conn.Execute(sql);
        outcome = rs->State() == ado::adStateOpen && !rs->EOF() ? "a row" : "no rows";
    } catch (const ado::Error& e) {
        outcome = "error: " + e.description().substr(0, 60);
    }
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return {ms, outcome};
}

// Best of three runs (one when a run takes longer than ten seconds).
inline void run_large_inputs(double scale) {
    const LargeInput kInputs[] = {
        {"nested CAST(... AS VARCHAR(10))", nested_casts, 5000},
        {"nested ISNULL(..., 'a')", nested_isnulls, 5000},
        {"'a' + 'a' + ... terms", plus_chain, 20000},
        {"numbers in one IN list", number_list, 100000},
        {"strings in one IN list", string_list, 100000},
        {"nested parentheses", nested_parens, 100000},
    };
    std::printf("%-36s %8s %12s  %s\n", "large statement", "size", "ms (best)", "outcome");
    for (const auto& in : kInputs) {
        const int n = std::max(1, static_cast<int>(in.size * scale));
        const std::string sql = in.make(n);
        double best = 0;
        std::string outcome;
        for (int round = 0; round < 3; ++round) {
            const auto [ms, what] = run_once(sql);
            best = round == 0 ? ms : std::min(best, ms);
            outcome = what;
            if (ms > 10000) break;
        }
        std::printf("%-36s %8d %12.1f  %s\n", in.what, n, best, outcome.c_str());
    }
}

}  // namespace bench
