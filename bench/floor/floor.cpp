// import_floor: writes a member file's rows into a database of the group company the way
// `ledgerintake import` does, with nothing but hand-prepared sqlite3 statements, and times
// it; or compares the rows per table of two databases.
//
//   import_floor FILE --db PATH [--company N] [--user CODE] [--synchronous MODE]
//   import_floor --compare IMPORT_DB FLOOR_DB
//
// The database must be one the import could take the file into (the demo's, before the
// import). Both files are opened as the engine opens them: the synchronous setting is the
// one the reference host's connection string gives, unless --synchronous names another
// (OFF, NORMAL, FULL, EXTRA). The last line of a run is "floor: key=value ...", which
// bench/run reads.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "floor.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Arguments {
    std::string file, db, user = "admin", synchronous;
    int company = 1;
    bool compare = false;
    std::string import_db, floor_db;
};

bool parse(int argc, char** argv, Arguments& a) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool has_value = i + 1 < argc;
        if (arg == "--compare" && i + 2 < argc) {
            a.compare = true;
            a.import_db = argv[++i];
            a.floor_db = argv[++i];
        } else if (arg == "--db" && has_value) {
            a.db = argv[++i];
        } else if (arg == "--company" && has_value) {
            a.company = std::atoi(argv[++i]);
        } else if (arg == "--user" && has_value) {
            a.user = argv[++i];
        } else if (arg == "--synchronous" && has_value) {
            a.synchronous = argv[++i];
        } else if (!arg.empty() && arg[0] != '-' && a.file.empty()) {
            a.file = arg;
        } else {
            return false;
        }
    }
    return a.compare || (!a.file.empty() && !a.db.empty());
}

int run(const Arguments& a) {
    using namespace floorbench;
    const Clock::time_point start = Clock::now();
    pugi::xml_document doc;
    const pugi::xml_parse_result parsed = doc.load_file(a.file.c_str());
    if (!parsed) {
        std::fprintf(stderr, "import_floor: %s: %s\n", a.file.c_str(), parsed.description());
        return 65;
    }
    const pugi::xml_node root = doc.child("MovimentiCoGe");
    const double parse_s = seconds_since(start);

    Clock::time_point phase = Clock::now();
    std::unique_ptr<Files> files = open_files(a.db, a.synchronous);
    NumberTaker numbers(*files);
    Books books = read_books(*files, root, a.company, a.user);
    const MasterCounts master = create_master_data(*files, books, numbers, root);
    const double master_s = seconds_since(phase);

    phase = Clock::now();
    // The import history records the file as it was named.
    const JournalCounts journal = write_journal(*files, books, numbers, root, a.file);
    const double journal_s = seconds_since(phase);

    phase = Clock::now();
    const int rebuilds = rebuild_totals(*files, books, root);
    const double totals_s = seconds_since(phase);
    const double total_s = seconds_since(start);

    std::printf(
        "Master data created: %d causals, %d VAT codes, %d registry records, %d customers and suppliers\n",
        master.causals, master.vat_codes, master.registry, master.parties);
    std::printf(
        "Journal: %d entries, %d account rows, %d VAT rows, %d numbering updates, %d links; %d rebuilds\n",
        journal.entries, journal.account_rows, journal.vat_rows, journal.numbering_updates, journal.links,
        rebuilds);
    std::printf(
        "floor: entries=%d seconds=%.3f parse=%.3f master=%.3f journal=%.3f totals=%.3f "
        "synchronous=%s journal_mode=%s sqlite=%s\n",
        journal.entries, total_s, parse_s, master_s, journal_s, totals_s, files->synchronous.c_str(),
        files->journal_mode.c_str(), sqlite3_libversion());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Arguments a;
    if (!parse(argc, argv, a)) {
        std::fprintf(stderr,
                     "usage: import_floor FILE --db PATH [--company N] [--user CODE] [--synchronous MODE]\n"
                     "       import_floor --compare IMPORT_DB FLOOR_DB\n");
        return 64;
    }
    try {
        if (a.compare) return floorbench::compare_counts(a.import_db, a.floor_db) == 0 ? 0 : 1;
        return run(a);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "import_floor: %s\n", e.what());
        return 70;
    }
}
