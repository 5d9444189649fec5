// The T-SQL translator on arbitrary text, against the books' schema: the batch is cut into
// its literals and tokens, split into statements and each statement rewritten for SQLite,
// as a command and as the source of an updatable record set. Text the engine cannot run
// must be refused with ado::Error; any other way out is a fault.
#include <sqlite3.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "ado/error.h"
#include "ado/sqlite/batch.h"
#include "ado/sqlite/catalog.h"
#include "ado/sqlite/functions.h"
#include "ado/sqlite/shape.h"
#include "sql_sandbox.h"

namespace {

sqlite3* books = nullptr;

void translate(const std::string& sql, char mode) {
    try {
        const ado::sqlite::Shape shape = ado::sqlite::make_shape(sql, mode);
        ado::sqlite::Catalog catalog(books);
        const ado::sqlite::Plan plan = ado::sqlite::build_plan(shape, catalog, mode == 'U');
        (void)plan;
    } catch (const ado::Error&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::install_sql_sandbox();
    books = fuzz::open_schema_copy();
    ado::sqlite::register_functions(books);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string sql(reinterpret_cast<const char*>(data), size);
    fuzz::reset_step_budget();
    translate(sql, 'Q');
    translate(sql, 'U');
    return 0;
}
