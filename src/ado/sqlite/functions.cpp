#include "ado/sqlite/functions.h"

#include <sqlite3.h>

#include <charconv>
#include <cstring>
#include <exception>
#include <string>
#include <type_traits>

#include "ado/datetime.h"
#include "ado/decimal.h"
#include "ado/sqlite/function_support.h"
#include "ado/sqlite/handles.h"
#include "ado/sqlite/text_functions.h"
#include "ado/sqlite/tokenizer.h"
#include "ado/sqlite/typed_functions.h"
#include "ado/sqlite/values.h"
#include "ado/variant.h"

namespace ado::sqlite {
namespace {

using fn::arg_text;
using fn::check;
using fn::guarded;
using fn::result_text;

int collate(void*, int n1, const void* a, int n2, const void* b) {
    return collate_compare(std::string_view(static_cast<const char*>(a), static_cast<std::size_t>(n1)),
                           std::string_view(static_cast<const char*>(b), static_cast<std::size_t>(n2)));
}

void fn_newid(sqlite3_context* ctx, int, sqlite3_value**) {
    unsigned char b[16];
    sqlite3_randomness(sizeof b, b);
    b[6] = static_cast<unsigned char>((b[6] & 0x0F) | 0x40);  // version 4
    b[8] = static_cast<unsigned char>((b[8] & 0x3F) | 0x80);  // variant 1
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) out.push_back('-');
        out.push_back(kHex[b[i] >> 4]);
        out.push_back(kHex[b[i] & 0xF]);
    }
    result_text(ctx, out);
}

void fn_now(sqlite3_context* ctx, int, sqlite3_value**) {
    guarded(ctx, [&] { result_text(ctx, DateTime::now().compact()); });
}

void fn_date(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    guarded(ctx, [&] { result_text(ctx, date_storage(arg_text(argv[0]))); });
}

void fn_guid(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    guarded(ctx, [&] { result_text(ctx, normalize_guid(arg_text(argv[0]))); });
}

Decimal decimal_arg(sqlite3_value* v) {
    switch (sqlite3_value_type(v)) {
        case SQLITE_INTEGER:
            return Decimal(sqlite3_value_int64(v));
        case SQLITE_FLOAT:
            return decimal_from_real(sqlite3_value_double(v));
        default: {
            const auto d = Decimal::parse(arg_text(v));
            if (!d) throw Error(kErrProvider, "Error converting data type varchar to numeric.");
            return *d;
        }
    }
}

void fn_decimal(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    guarded(ctx, [&] {
        const int scale = sqlite3_value_int(argv[1]);
        fn::result(ctx, decimal_storage(decimal_arg(argv[0]).rounded(scale)));
    });
}

void fn_len(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(utf8_length(rtrim(arg_text(argv[0])))));
}

void fn_left(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
        return sqlite3_result_null(ctx);
    const auto n = sqlite3_value_int64(argv[1]);
    if (n < 0) return sqlite3_result_error(ctx, "Invalid length parameter passed to the left function.", -1);
    result_text(ctx, utf8_left(arg_text(argv[0]), static_cast<std::size_t>(n)));
}

void fn_right(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
        return sqlite3_result_null(ctx);
    const auto n = sqlite3_value_int64(argv[1]);
    if (n < 0) return sqlite3_result_error(ctx, "Invalid length parameter passed to the right function.", -1);
    const std::string_view s = arg_text(argv[0]);
    const std::size_t len = utf8_length(s);
    const std::size_t skip = len > static_cast<std::size_t>(n) ? len - static_cast<std::size_t>(n) : 0;
    const std::string head = utf8_left(s, skip);
    result_text(ctx, std::string(s.substr(head.size())));
}

// "tempdb..#X" and "#X" live in this connection's temp schema; "dbo.T", "[T]" in main.
std::pair<std::string, std::string> object_name(std::string_view text) {
    std::string name(text);
    const auto dot = name.rfind('.');
    if (dot != std::string::npos) name = name.substr(dot + 1);
    if (name.size() >= 2 && name.front() == '[' && name.back() == ']') name = name.substr(1, name.size() - 2);
    if (!name.empty() && name.front() == '#') {
        for (auto& c : name) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        return {"temp", name};
    }
    return {"main", name};
}

void fn_object_id(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    guarded(ctx, [&] {
        const auto [schema, name] = object_name(arg_text(argv[0]));
        std::string kind =
            argc > 1 && sqlite3_value_type(argv[1]) != SQLITE_NULL ? std::string(arg_text(argv[1])) : "";
        std::string filter = "type IN ('table', 'view')";
        if (kind == "U" || kind == "u") filter = "type = 'table'";
        if (kind == "V" || kind == "v") filter = "type = 'view'";
        StmtHandle s = prepare(sqlite3_context_db_handle(ctx), "SELECT rowid FROM \"" + schema +
                                                                   "\".sqlite_master WHERE " + filter +
                                                                   " AND name = ?1 COLLATE NOCASE");
        sqlite3_bind_text(s.get(), 1, name.data(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(s.get()) != SQLITE_ROW) return sqlite3_result_null(ctx);
        const auto id = sqlite3_column_int64(s.get(), 0);
        sqlite3_result_int64(ctx, schema == "temp" ? -id : id);
    });
}

// The seed our DDL noted beside an identity column ("/*li:identity INT SEED 100*/"), or 1.
long long identity_seed(std::string_view create) {
    const auto marker = create.find("/*li:identity ");
    if (marker == std::string_view::npos) return 1;
    const auto end = create.find("*/", marker);
    const auto seed = create.substr(marker, end - marker).find(" SEED ");
    if (seed == std::string_view::npos) return 1;
    const std::string_view text = create.substr(marker + seed + 6, end - marker - seed - 6);
    long long v = 1;
    std::from_chars(text.data(), text.data() + text.size(), v);  // our DDL wrote a checked number
    return v;
}

// The table's latest identity value; the seed while it has never held a row; NULL for a
// table without identity.
void fn_ident_current(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    guarded(ctx, [&] {
        sqlite3* db = sqlite3_context_db_handle(ctx);
        const auto [schema, name] = object_name(arg_text(argv[0]));
        StmtHandle s = prepare(db, "SELECT sql, (SELECT count(*) FROM \"" + schema +
                                       "\".sqlite_master WHERE name = 'sqlite_sequence') FROM \"" + schema +
                                       "\".sqlite_master WHERE type = 'table' AND name = ?1 COLLATE NOCASE");
        sqlite3_bind_text(s.get(), 1, name.data(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(s.get()) != SQLITE_ROW) return sqlite3_result_null(ctx);
        const auto* sql = reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 0));
        const std::string create = sql ? sql : "";
        if (upper(create).find("AUTOINCREMENT") == std::string::npos) return sqlite3_result_null(ctx);
        const long long seed = identity_seed(create);
        if (sqlite3_column_int(s.get(), 1) == 0) return sqlite3_result_int64(ctx, seed);
        StmtHandle q =
            prepare(db, "SELECT seq FROM \"" + schema + "\".sqlite_sequence WHERE name = ?1 COLLATE NOCASE");
        sqlite3_bind_text(q.get(), 1, name.data(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
        const long long seq =
            sqlite3_step(q.get()) == SQLITE_ROW ? sqlite3_column_int64(q.get(), 0) : seed - 1;
        sqlite3_result_int64(ctx, seq < seed ? seed : seq);
    });
}

// SCOPE_IDENTITY(): the rowid of this connection's last INSERT, NULL while it has inserted
// nothing. Confined to the connection (another connection's insert never shows here), and
// a trigger's insert is forgotten when the trigger ends; read it right after the insert
// into the table with the identity, in the insert's own batch, as the server's scope asks.
void fn_scope_identity(sqlite3_context* ctx, int, sqlite3_value**) {
    const sqlite3_int64 rowid = sqlite3_last_insert_rowid(sqlite3_context_db_handle(ctx));
    if (rowid == 0) return sqlite3_result_null(ctx);
    sqlite3_result_int64(ctx, rowid);
}

// Exact SUM: integers and the decimals held as REAL add up without binary rounding.
// The aggregate context is only 8-byte aligned, so the total is copied in and out.
static_assert(std::is_trivially_copyable_v<Decimal>);

struct SumState {
    bool started;
    bool all_integers;
    long long count;
    unsigned char total[sizeof(Decimal)];

    Decimal get() const {
        Decimal d;
        std::memcpy(static_cast<void*>(&d), total, sizeof d);
        return d;
    }
    void put(const Decimal& d) { std::memcpy(total, static_cast<const void*>(&d), sizeof d); }
};

SumState* sum_state(sqlite3_context* ctx, bool create) {
    auto* st = static_cast<SumState*>(sqlite3_aggregate_context(ctx, create ? sizeof(SumState) : 0));
    if (st && !st->started) {
        st->started = true;
        st->all_integers = true;
        st->put(Decimal());
    }
    return st;
}

void sum_add(sqlite3_context* ctx, sqlite3_value* v, bool subtract) {
    if (sqlite3_value_type(v) == SQLITE_NULL) return;
    guarded(ctx, [&] {
        SumState* st = sum_state(ctx, true);
        if (!st) return sqlite3_result_error_nomem(ctx);
        const int type = sqlite3_value_type(v);
        Decimal d;
        if (type == SQLITE_INTEGER) {
            d = Decimal(sqlite3_value_int64(v));
        } else {
            st->all_integers = false;
            if (type == SQLITE_FLOAT)
                d = decimal_from_real(sqlite3_value_double(v));
            else
                d = Decimal::parse(arg_text(v)).value_or(Decimal());
        }
        st->put(subtract ? st->get() - d : st->get() + d);
        st->count += subtract ? -1 : 1;
    });
}

void sum_step(sqlite3_context* ctx, int, sqlite3_value** argv) {
    sum_add(ctx, argv[0], false);
}
void sum_inverse(sqlite3_context* ctx, int, sqlite3_value** argv) {
    sum_add(ctx, argv[0], true);
}

void sum_value(sqlite3_context* ctx) {
    SumState* st = sum_state(ctx, false);
    if (!st || st->count == 0) return sqlite3_result_null(ctx);
    guarded(ctx, [&] {
        const Decimal t = st->get();
        if (st->all_integers) {
            const BoundValue v = decimal_storage(t);
            if (v.kind == BoundValue::Kind::Int) return sqlite3_result_int64(ctx, v.i);
            return sqlite3_result_error(
                ctx, "Arithmetic overflow error converting expression to data type bigint.", -1);
        }
        try {
            const BoundValue v = decimal_storage(t);
            if (v.kind == BoundValue::Kind::Int) return sqlite3_result_double(ctx, static_cast<double>(v.i));
            return sqlite3_result_double(ctx, v.r);
        } catch (const Error&) {
            result_text(ctx, t.to_string());  // beyond 15 digits: exact text
        }
    });
}

void sum_final(sqlite3_context* ctx) {
    sum_value(ctx);
}

void scalar(sqlite3* db, const char* name, int args, bool deterministic,
            void (*f)(sqlite3_context*, int, sqlite3_value**)) {
    fn::scalar(db, name, args, f, deterministic ? fn::kDeterministic : SQLITE_UTF8 | SQLITE_INNOCUOUS);
}

}  // namespace

void register_functions(sqlite3* db) {
    check(db, sqlite3_create_collation_v2(db, std::string(kCollation).c_str(), SQLITE_UTF8, nullptr, collate,
                                          nullptr));
    scalar(db, "li_newid", 0, false, fn_newid);
    scalar(db, "li_now", 0, false, fn_now);
    scalar(db, "li_date", 1, true, fn_date);
    scalar(db, "li_guid", 1, true, fn_guid);
    scalar(db, "li_decimal", 2, true, fn_decimal);
    scalar(db, "li_len", 1, true, fn_len);
    scalar(db, "li_left", 2, true, fn_left);
    scalar(db, "li_right", 2, true, fn_right);
    scalar(db, "li_object_id", 1, false, fn_object_id);
    scalar(db, "li_object_id", 2, false, fn_object_id);
    scalar(db, "li_ident_current", 1, false, fn_ident_current);
    scalar(db, "li_scope_identity", 0, false, fn_scope_identity);
    check(db,
          sqlite3_create_window_function(db, "sum", 1, SQLITE_UTF8 | SQLITE_INNOCUOUS | SQLITE_DETERMINISTIC,
                                         nullptr, sum_step, sum_final, sum_value, sum_inverse, nullptr));
    register_text_functions(db);
    register_typed_functions(db);
    register_typed_aggregates(db);
}

}  // namespace ado::sqlite
