// The loadable SQLite extension libledgerintake_sqlite.so: `.load` in the sqlite3 shell (or
// sqlite3_load_extension) gives that connection the collation CI_RTRIM and the functions our
// own connections register, so other tools can read, check and query a books file.
//
// The engine's registration calls the SQLite API directly, not through the routine table an
// extension is handed. That is sound only when the program loading us uses the same SQLite
// library we link (Debian's libsqlite3.so.0, as the sqlite3 shell does): the entry point
// checks that and refuses otherwise, rather than register functions on a connection of
// another copy of SQLite.
#define SQLITE_CORE 1  // we link the SQLite library itself: no routine-table macros
#include <sqlite3ext.h>

#include <exception>
#include <string>

#include "ado/sqlite/functions.h"

namespace {

constexpr const char* kOtherCopy =
    "libledgerintake_sqlite: the program loading it has its own copy of SQLite; it loads only into "
    "programs that use the shared SQLite library (libsqlite3.so.0), such as Debian's sqlite3 shell";

// Text the loading program frees with sqlite3_free: allocated through its own routines.
void tell(char** error, const sqlite3_api_routines* api, const std::string& text) {
    if (error != nullptr && api != nullptr && api->mprintf != nullptr)
        *error = api->mprintf("%s", text.c_str());
}

}  // namespace

// The name SQLite derives from the file name libledgerintake_sqlite.so, so that `.load` needs
// no entry point.
extern "C" __attribute__((visibility("default"))) int sqlite3_ledgerintakesqlite_init(
    sqlite3* db, char** error, const sqlite3_api_routines* api) {
    if (api == nullptr || api->libversion_number != &sqlite3_libversion_number) {
        tell(error, api, kOtherCopy);
        return SQLITE_ERROR;
    }
    try {
        ado::sqlite::register_functions(db);
        return SQLITE_OK;
    } catch (const std::exception& e) {
        tell(error, api,
             std::string("libledgerintake_sqlite: cannot register the collation and functions: ") + e.what());
    } catch (...) {
        tell(error, api, "libledgerintake_sqlite: cannot register the collation and functions");
    }
    return SQLITE_ERROR;
}
