// Rows per table of the import's database and the floor's, side by side: every table of
// the schema, and the counters of the companion store.
#include <cstdio>
#include <set>

#include "ado/sqlite/functions.h"
#include "floor.h"
#include "refhost/number_store.h"

namespace floorbench {

namespace {

std::map<std::string, std::int64_t> counts(const std::string& path, bool store) {
    Database db(path);
    ado::sqlite::register_functions(db.handle());
    Statement tables = db.prepare(
        "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%' ORDER BY name");
    std::map<std::string, std::int64_t> out;
    while (tables.step()) {
        const std::string name = tables.text(0);
        // The store's engine tables are the engine's business, not the import's.
        if (store && name.rfind("HOST_", 0) != 0) continue;
        out[name] = db.prepare("SELECT COUNT(*) FROM \"" + name + "\"").first_integer().value_or(0);
    }
    return out;
}

int print(const std::map<std::string, std::int64_t>& a, const std::map<std::string, std::int64_t>& b,
          const char* where) {
    std::set<std::string> names;
    for (const auto& [name, n] : a) names.insert(name);
    for (const auto& [name, n] : b) names.insert(name);
    int differ = 0;
    for (const auto& name : names) {
        const auto x = a.find(name), y = b.find(name);
        const std::int64_t nx = x == a.end() ? -1 : x->second, ny = y == b.end() ? -1 : y->second;
        if (nx == 0 && ny == 0) continue;
        // The log the front end keeps after the import is no row of the books; the floor
        // keeps none, and bench/run says what keeping it costs.
        if (name == "HOST_IMPORT_LOG") {
            std::printf("  %-8s %-26s %10lld %10lld   (the kept import log: not compared)\n", where,
                        name.c_str(), static_cast<long long>(nx), static_cast<long long>(ny));
            continue;
        }
        const bool same = nx == ny;
        if (!same) ++differ;
        std::printf("  %-8s %-26s %10lld %10lld%s\n", where, name.c_str(), static_cast<long long>(nx),
                    static_cast<long long>(ny), same ? "" : "   DIFFERS");
    }
    return differ;
}

}  // namespace

int compare_counts(const std::string& import_db, const std::string& floor_db) {
    const std::string suffix(refhost::kNumberStoreSuffix);
    std::printf("Rows per table (tables empty in both left out):\n  %-8s %-26s %10s %10s\n", "file", "table",
                "import", "floor");
    int differ = print(counts(import_db, false), counts(floor_db, false), "main");
    differ += print(counts(import_db + suffix, true), counts(floor_db + suffix, true), "numbers");
    if (differ == 0)
        std::printf("Same rows per table in both.\n");
    else
        std::printf("%d table(s) differ.\n", differ);
    return differ;
}

}  // namespace floorbench
