#pragma once
// `ledgerintake demo`: a demo database with a VAT group and its books, the members'
// export files, and the import of the first member's file with the master data it created,
// in one folder. Running it again on the same folder keeps the database and writes the
// files anew.
#include <filesystem>

#include "console.h"

namespace cli {

struct DemoOptions {
    std::filesystem::path dir = "ledgerintake-demo";
    int entries = 200;
};

// Returns the import's exit status, or 74 when the folder or the database cannot be made.
int run_demo(const DemoOptions& options, Console& console);

}  // namespace cli
