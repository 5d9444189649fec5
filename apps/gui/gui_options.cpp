#include "gui_options.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <optional>
#include <system_error>

#include "cli/database_option.h"
#include "cli/exit_status.h"

namespace gui {

namespace {

constexpr std::int32_t kHighestCompany = 2147483647;

// A company code as --company gives it: a whole number from 1 up, nothing around it.
std::string company_problem(const std::string& text) {
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto read = std::from_chars(text.data(), end, value);
    if (!text.empty() && read.ec == std::errc() && read.ptr == end && value >= 1 && value <= kHighestCompany)
        return {};
    return "'" + text + "' is not a company code (a whole number from 1 to " +
           std::to_string(kHighestCompany) + ")";
}

}  // namespace

ParsedCommandLine parse_command_line(const std::vector<std::string>& arguments) {
    ParsedCommandLine parsed;
    CLI::App app{"ledgerintake-gui: the import window of ledgerintake on the desktop", "ledgerintake-gui"};
    std::string db;
    CLI::Option* db_option = app.add_option(
        "--db", db, "Database file (default: $LEDGERINTAKE_DB, else ledgerintake.db in the current folder)");
    app.add_option("--company", parsed.options.company, "Company code of the VAT group (default 1)")
        ->check(CLI::Validator(company_problem, "", ""));
    app.add_option("--user", parsed.options.user, "User the import runs as (default admin)");
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        parsed.run = false;
        parsed.status = cli::kExitOk;
        parsed.message = app.help();
        return parsed;
    } catch (const CLI::ParseError& e) {
        parsed.run = false;
        parsed.status = cli::kExitUsage;
        parsed.message = e.what();
        return parsed;
    }
    parsed.options.database =
        cli::database_path(db_option->count() > 0 ? std::optional<std::string>(db) : std::nullopt);
    return parsed;
}

}  // namespace gui
