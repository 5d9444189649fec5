#pragma once
// `ledgerintake import FILE`: drives the import window as a person would. It names the
// file in TXT_NOMEFILE, lets the window check it (answering question 113 from --yes or at
// the terminal), presses CMD_IMPORTA when the window enables it, and maps what the window
// came to onto the exit statuses of docs/cli.md.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "console.h"
#include "terminal_front_end.h"

namespace cli {

struct ImportOptions {
    std::string file;
    std::filesystem::path database;
    std::int32_t company = 1;
    std::string user = "admin";
    std::optional<int> busy_timeout_ms;
    bool yes = false;
    OnError on_error = OnError::Abort;
    std::optional<std::filesystem::path> log_file;
    std::optional<std::filesystem::path> trace_sql;
    bool json = false;
};

// What the window showed about an accepted file.
struct FileSummary {
    std::string exported_by, exported_at, export_user;
    std::string member_code, member_name, fiscal_code, vat_number;
    std::string from_date, to_date;
    std::string group_registry_code;
    bool sections = false, accounts = false, causals = false, vat_codes = false;
    // Rows per section of the file, in the order of kSections.
    std::vector<long> counts;
};

// The sections of the file counted in the report, with the JSON names of their counts.
struct SectionName {
    const char* section;
    const char* json_name;
    const char* label;
};
inline constexpr SectionName kSections[] = {
    {"CG41_PRIMANOTA", "entries", "entries"},
    {"CG68_NUMERDESC", "sections", "sections"},
    {"CG24_TABPDC", "accounts", "accounts"},
    {"CG33_TABCAU", "causals", "causals"},
    {"CG28_TABCODIVA", "vat_codes", "VAT codes"},
    {"CG44_CLIFOR", "customers_suppliers", "customers and suppliers"},
};

struct ImportReport {
    int status = 70;
    std::string file;
    // FILE as the window looks it up (absolute and normalised; "" for an empty path): the
    // file the messages about the file name.
    std::string path;
    // The last string-table message of the import (0 when none) and its text as shown.
    std::int32_t message_id = 0;
    std::string message_text;
    // The front end's own words where no message of the module says what happened.
    std::string detail;
    bool file_accepted = false;
    bool import_run = false;
    // The import header the journal import wrote (0: none); `ledgerintake log` shows its log.
    std::int32_t import_id = 0;
    FileSummary summary;
    std::vector<ShownMessage> messages;
    std::vector<ShownError> errors;
    std::vector<LogRow> log;
};

// The exit status a string-table message stands for; nullopt for the others.
std::optional<int> status_for_message(std::int32_t message_id);

// Runs the import; prints the module's messages as they come (nothing on standard output
// with --json) and fills the report.
ImportReport import_file(const ImportOptions& options, Console& console);

// `ledgerintake import`: import_file, then the summary (or the JSON object); returns the
// exit status.
int run_import(const ImportOptions& options, Console& console);

// Report output.
void print_summary(const ImportReport& report, std::ostream& out);
std::string report_json(const ImportReport& report);

}  // namespace cli
