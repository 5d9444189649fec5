#pragma once
// What every SQL function the engine registers needs: its arguments' text, its result
// from a BoundValue, exceptions turned into the statement's error, and registration.
#include <sqlite3.h>

#include <exception>
#include <new>
#include <string>
#include <string_view>

#include "ado/sqlite/handles.h"
#include "ado/sqlite/shape.h"

namespace ado::sqlite::fn {

inline std::string_view arg_text(sqlite3_value* v) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return p ? std::string_view(p, static_cast<std::size_t>(sqlite3_value_bytes(v))) : std::string_view();
}

inline void result_text(sqlite3_context* ctx, std::string_view s) {
    sqlite3_result_text64(ctx, s.data(), s.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

inline void result(sqlite3_context* ctx, const BoundValue& v) {
    switch (v.kind) {
        case BoundValue::Kind::Null:
            return sqlite3_result_null(ctx);
        case BoundValue::Kind::Int:
            return sqlite3_result_int64(ctx, v.i);
        case BoundValue::Kind::Real:
            return sqlite3_result_double(ctx, v.r);
        case BoundValue::Kind::Blob:
            return sqlite3_result_blob64(ctx, v.text.data(), v.text.size(), SQLITE_TRANSIENT);
        case BoundValue::Kind::Text:
            break;
    }
    result_text(ctx, v.text);
}

// Runs `body`, turning any exception into the statement's error.
template <typename F>
void guarded(sqlite3_context* ctx, F&& body) {
    try {
        body();
    } catch (const std::bad_alloc&) {
        sqlite3_result_error_nomem(ctx);
    } catch (const std::exception& e) {
        sqlite3_result_error(ctx, e.what(), -1);
    }
}

inline void check(sqlite3* db, int rc) {
    if (rc != SQLITE_OK) throw to_exception(engine_error(db, rc));
}

inline constexpr int kDeterministic = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;

inline void scalar(sqlite3* db, const char* name, int args, void (*f)(sqlite3_context*, int, sqlite3_value**),
                   int flags = kDeterministic) {
    check(db, sqlite3_create_function_v2(db, name, args, flags, nullptr, f, nullptr, nullptr, nullptr));
}

}  // namespace ado::sqlite::fn
