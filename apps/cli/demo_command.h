#pragma once
// `ledgerintake demo`: a demo database with a VAT group and its books, the members'
// export files, and the import of the first member's file with the master data it created,
// in one folder. Running it again on the same folder keeps the database and writes the
// files anew.
#include <filesystem>

#include "console.h"
#include "demo/member_file.h"

namespace cli {

struct DemoOptions {
    std::filesystem::path dir = "ledgerintake-demo";
    int entries = 200;
    demo::EntryShape shape = demo::EntryShape::plain;
    bool import = true;  // false: the database and the files only (bench/run imports them itself)
};

// Returns the import's exit status, or 74 when the folder or the database cannot be made.
int run_demo(const DemoOptions& options, Console& console);

}  // namespace cli
