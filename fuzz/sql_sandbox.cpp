#include "sql_sandbox.h"

#include <sqlite3.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "refhost/database.h"

namespace fuzz {
namespace {

namespace fs = std::filesystem;

// Engine steps between two looks at the budget, and looks before a statement is stopped:
// some tens of millions of steps, about a second, far beyond what any input of the seeds
// needs and far below the fuzzer's timeout, so a runaway recursive query is no "hang".
constexpr int kStepsPerLook = 1000;
constexpr long kLooks = 20000;
// The longest text or blob a statement may build (REPLICATE, string concatenation).
constexpr int kLongestValue = 1 << 20;

long looks_left = kLooks;

int on_progress(void*) {
    return --looks_left < 0 ? 1 : 0;
}

// Attaching would reach the file system; everything else the engine may do in memory.
int authorize(void*, int action, const char*, const char*, const char*, const char*) {
    return action == SQLITE_ATTACH || action == SQLITE_DETACH ? SQLITE_DENY : SQLITE_OK;
}

int sandbox(sqlite3* db, char**, const struct sqlite3_api_routines*) {
    sqlite3_progress_handler(db, kStepsPerLook, on_progress, nullptr);
    sqlite3_limit(db, SQLITE_LIMIT_LENGTH, kLongestValue);
    const char* file = sqlite3_db_filename(db, "main");
    if (file == nullptr || *file == '\0') {
        const std::string& image = schema_image();
        auto* copy = static_cast<unsigned char*>(sqlite3_malloc64(image.size()));
        if (copy == nullptr) return SQLITE_NOMEM;
        std::memcpy(copy, image.data(), image.size());
        const int rc = sqlite3_deserialize(db, "main", copy, static_cast<sqlite3_int64>(image.size()),
                                           static_cast<sqlite3_int64>(image.size()),
                                           SQLITE_DESERIALIZE_FREEONCLOSE | SQLITE_DESERIALIZE_RESIZEABLE);
        if (rc != SQLITE_OK) return rc;
    }
    // Last: loading the copy attaches it.
    sqlite3_set_authorizer(db, authorize, nullptr);
    return SQLITE_OK;
}

void check(int rc, sqlite3* db, const char* what) {
    if (rc != SQLITE_OK) throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db));
}

std::string build_image() {
    char pattern[] = "/tmp/ledgerintake-fuzz-XXXXXX";
    if (mkdtemp(pattern) == nullptr) throw std::runtime_error("cannot make a temporary folder");
    const fs::path dir(pattern);
    const fs::path file = dir / "books.db";
    std::string bytes;
    try {
        refhost::init_database(file);
        sqlite3* db = nullptr;
        check(sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), db, "open");
        // An image in rollback-journal form: a deserialized copy has no WAL beside it.
        check(sqlite3_exec(db, "PRAGMA journal_mode = DELETE", nullptr, nullptr, nullptr), db, "journal");
        sqlite3_int64 size = 0;
        unsigned char* data = sqlite3_serialize(db, "main", &size, 0);
        if (data != nullptr)
            bytes.assign(reinterpret_cast<const char*>(data), static_cast<std::size_t>(size));
        sqlite3_free(data);
        sqlite3_close(db);
    } catch (...) {
        fs::remove_all(dir);
        throw;
    }
    fs::remove_all(dir);
    if (bytes.empty()) throw std::runtime_error("the schema could not be read back");
    return bytes;
}

}  // namespace

const std::string& schema_image() {
    static const std::string image = build_image();
    return image;
}

void install_sql_sandbox() {
    (void)schema_image();
    sqlite3_auto_extension(reinterpret_cast<void (*)()>(sandbox));
}

void reset_step_budget() {
    looks_left = kLooks;
}

sqlite3* open_schema_copy() {
    sqlite3* db = nullptr;
    check(sqlite3_open(":memory:", &db), db, "open");
    return db;
}

}  // namespace fuzz
