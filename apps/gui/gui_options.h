#pragma once
// The command line of `ledgerintake-gui`: the database, company and user the import window
// opens for, resolved as the command-line front end resolves them.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace gui {

struct GuiOptions {
    std::filesystem::path database;
    std::int32_t company = 1;
    std::string user = "admin";
};

// What the command line asked for: run with `options`, or stop with `status` after
// printing `message` (the help text with 0, the reason with 64).
struct ParsedCommandLine {
    GuiOptions options;
    bool run = true;
    int status = 0;
    std::string message;
};

// `arguments` without the program name; Qt's own options already taken out.
ParsedCommandLine parse_command_line(const std::vector<std::string>& arguments);

}  // namespace gui
