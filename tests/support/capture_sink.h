#pragma once
// A trace sink that keeps the lines for the test to read.
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "modulebase/trace.h"

namespace scripted {

class CaptureSink final : public module::TraceSink {
  public:
    void Write(std::string_view line) noexcept override { lines.emplace_back(line); }
    std::vector<std::string> lines;
};

// The fields of a trace line: "KVTR:", id, phase, project, object.
inline std::vector<std::string> trace_fields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const auto bar = line.find('|', start);
        fields.push_back(line.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos) return fields;
        start = bar + 1;
    }
}

// The lines of a trace written to a file.
inline std::vector<std::string> read_lines(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

}  // namespace scripted
