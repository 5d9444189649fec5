// Arbitrary T-SQL run through a connection on a private in-memory copy of the books'
// schema: translation, the batch's variables and IF blocks, the engine's functions and the
// reading of every value of the result as the module reads fields. Whatever the text does
// to the tables stays in that copy (see sql_sandbox.h). Refusals are ado::Error.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ado/connection.h"
#include "ado/error.h"
#include "ado/recordset.h"
#include "sql_sandbox.h"

namespace {

constexpr std::string_view kBooks = "Provider=SQLite;Data Source=:memory:";
// Rows read from a result; the rest are no different.
constexpr long kRowsRead = 100;

void read_all(ado::Recordset& rs) {
    if (rs.State() != ado::adStateOpen) return;
    ado::Fields fields = rs.GetFields();
    for (long n = 0; !rs.EOF() && n < kRowsRead; rs.MoveNext(), ++n)
        for (int i = 0; i < fields.Count(); ++i) {
            const ado::Variant v = fields[i].Value();
            if (!v.is_null()) (void)v.to_string();
        }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::install_sql_sandbox();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view sql(reinterpret_cast<const char*>(data), size);
    fuzz::reset_step_budget();
    ado::Connection books;
    books.Open(kBooks);
    try {
        if (const ado::RecordsetPtr rs = books.Execute(sql)) read_all(*rs);
    } catch (const ado::Error&) {
    }
    try {
        auto rs = ado::Recordset::create();
        rs->Open(sql, books, ado::adOpenKeyset, ado::adLockOptimistic);
        read_all(*rs);
    } catch (const ado::Error&) {
    }
    return 0;
}
