#pragma once
// What one check of `ledgerintake db check` found: how many problems, and the first few,
// each naming the rows at fault.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace cli {

struct CheckOutcome {
    static constexpr std::size_t kShown = 5;  // problems told by name; the rest are counted

    explicit CheckOutcome(std::string check_name) : name(std::move(check_name)) {}

    std::string name;
    std::int64_t problems = 0;
    std::vector<std::string> shown;

    void add(std::string problem) {
        ++problems;
        if (shown.size() < kShown) shown.push_back(std::move(problem));
    }
    bool passed() const { return problems == 0; }
};

}  // namespace cli
