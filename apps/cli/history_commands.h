#pragma once
// `ledgerintake history`: the history window's rows, as the window shows them (it opens the
// import window and presses Storico). `ledgerintake log IMPORT-ID`: the log kept for an
// import, filtered as the log window filters it.
#include <cstdint>
#include <filesystem>
#include <string>

#include "console.h"

namespace cli {

struct HistoryOptions {
    std::filesystem::path database;
    std::int32_t company = 1;
    std::string user = "admin";
    bool json = false;
};

int run_history(const HistoryOptions& options, Console& console);

struct LogOptions {
    std::filesystem::path database;
    std::int32_t import_id = 0;
    std::string filter = "all";  // all, errors, created, checked
    bool json = false;
};

int run_log(const LogOptions& options, Console& console);

}  // namespace cli
