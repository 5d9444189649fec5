// ROUND, SUM and AVG with the server's result types (see typed_functions.h).
#include <sqlite3.h>

#include <array>
#include <cstring>
#include <exception>
#include <limits>
#include <string>
#include <type_traits>

#include "ado/decimal.h"
#include "ado/error.h"
#include "ado/sqlite/function_support.h"
#include "ado/sqlite/handles.h"
#include "ado/sqlite/sql_eval.h"
#include "ado/sqlite/typed_functions.h"
#include "ado/sqlite/values.h"

namespace ado::sqlite {
namespace {

using fn::check;
using fn::guarded;
using fn::result;

// ROUND(x, n[, f]) of a decimal: to n places (n < 0: tens, hundreds ...), half away from zero,
// or cut toward zero when f is not 0; the type, and so the scale, stays x's.
void fn_round(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
        return sqlite3_result_null(ctx);
    guarded(ctx, [&] {
        const Decimal x = decimal_of(value_of(argv[0]));
        const auto places = sqlite3_value_int64(argv[1]);
        const bool cut = sqlite3_value_int64(argv[2]) != 0;
        const SqlType type = SqlType::from_code(sqlite3_value_int64(argv[3]));
        if (places >= x.scale()) return result(ctx, exact_value(x));
        // Shift so that the places to keep are whole, round there, shift back.
        const int shift = static_cast<int>(std::max<std::int64_t>(places, -38));
        Decimal scaled = x;
        Decimal factor = 1;
        for (int i = 0; i < (shift < 0 ? -shift : 0); ++i) factor = factor * Decimal(10);
        if (shift < 0) scaled = x / factor;
        const int keep = shift < 0 ? 0 : shift;
        Decimal r = scaled.rounded(keep);
        if (cut && scaled.scale() > keep) {
            Int128 div = 1;
            for (int i = keep; i < scaled.scale(); ++i) div *= 10;
            r = Decimal::from_parts(scaled.coefficient() / div, keep);  // toward zero
        }
        if (shift < 0) r = r * factor;
        if (type.base == SqlBase::Decimal && r.integer_digits() > type.precision - type.scale)
            throw Error(kErrOverflow, overflow_message(type));
        result(ctx, exact_value(r));
    });
}

// A key whose byte order is the numeric order of an exact decimal of any length: sign,
// then the exponent, then the digits (complemented, with a terminator, for negatives, so
// that a larger magnitude sorts first).
std::string sort_key(std::string_view number) {
    bool negative = false;
    std::string digits;
    int exponent = 0;  // digits before the point, counted from the first significant one
    bool seen_point = false, significant = false;
    for (char c : number) {
        if (c == '-') negative = true;
        if (c == '.') seen_point = true;
        if (c < '0' || c > '9') continue;
        if (!significant && c == '0') {
            if (seen_point) --exponent;
            continue;
        }
        significant = true;
        digits.push_back(c);
        if (!seen_point) ++exponent;
    }
    while (!digits.empty() && digits.back() == '0') digits.pop_back();
    std::string key;
    if (digits.empty()) return std::string(1, '\x02');
    const auto biased = static_cast<unsigned>(exponent + 32768);
    key.push_back(negative ? '\x01' : '\x03');
    const unsigned char hi = static_cast<unsigned char>(biased >> 8), lo = static_cast<unsigned char>(biased);
    key.push_back(static_cast<char>(negative ? 0xFF - hi : hi));
    key.push_back(static_cast<char>(negative ? 0xFF - lo : lo));
    for (char d : digits) key.push_back(negative ? static_cast<char>('9' - d + '0') : d);
    if (negative) key.push_back('\xFF');
    return key;
}

void fn_sortkey(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const BoundValue v = value_of(argv[0]);
    std::string text;
    switch (v.kind) {
        case BoundValue::Kind::Null:
            return sqlite3_result_null(ctx);
        case BoundValue::Kind::Int:
            text = std::to_string(v.i);
            break;
        case BoundValue::Kind::Real:
            text = decimal_from_real(v.r).to_string();
            break;
        default:
            text = v.text;
    }
    const std::string key = sort_key(text);
    sqlite3_result_blob(ctx, key.data(), static_cast<int>(key.size()), SQLITE_TRANSIENT);
}

// Running total of li_sum_int / li_avg_int: whole numbers, 64 bits are enough for any count
// of int values SQLite can hold.
struct IntTotal {
    std::int64_t sum;
    std::int64_t count;
};

void int_step(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return;
    auto* t = static_cast<IntTotal*>(sqlite3_aggregate_context(ctx, sizeof(IntTotal)));
    if (!t) return sqlite3_result_error_nomem(ctx);
    if (__builtin_add_overflow(t->sum, sqlite3_value_int64(argv[0]), &t->sum))
        return sqlite3_result_error(ctx, overflow_message(SqlType::of(SqlBase::Int)).c_str(), -1);
    ++t->count;
}

void sum_int_final(sqlite3_context* ctx) {
    const auto* t = static_cast<IntTotal*>(sqlite3_aggregate_context(ctx, 0));
    if (!t || t->count == 0) return sqlite3_result_null(ctx);
    if (t->sum > std::numeric_limits<std::int32_t>::max() ||
        t->sum < std::numeric_limits<std::int32_t>::min())
        return sqlite3_result_error(ctx, overflow_message(SqlType::of(SqlBase::Int)).c_str(), -1);
    sqlite3_result_int64(ctx, t->sum);
}

void avg_int_final(sqlite3_context* ctx) {
    const auto* t = static_cast<IntTotal*>(sqlite3_aggregate_context(ctx, 0));
    if (!t || t->count == 0) return sqlite3_result_null(ctx);
    sqlite3_result_int64(ctx, t->sum / t->count);  // truncated toward zero, as integer division
}

// AVG of decimals: the exact total divided by the count, at the scale the function's name
// carries. The aggregate context is only 8-byte aligned, so the total is copied in and out.
static_assert(std::is_trivially_copyable_v<Decimal>);

struct DecimalTotal {
    bool started;
    std::int64_t count;
    unsigned char total[sizeof(Decimal)];
};

void decimal_step(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return;
    guarded(ctx, [&] {
        auto* t = static_cast<DecimalTotal*>(sqlite3_aggregate_context(ctx, sizeof(DecimalTotal)));
        if (!t) return sqlite3_result_error_nomem(ctx);
        Decimal sum;
        if (t->started) std::memcpy(static_cast<void*>(&sum), t->total, sizeof sum);
        sum = sum + decimal_of(value_of(argv[0]));
        std::memcpy(t->total, static_cast<const void*>(&sum), sizeof sum);
        t->started = true;
        ++t->count;
    });
}

void decimal_avg_final(sqlite3_context* ctx) {
    const auto* t = static_cast<DecimalTotal*>(sqlite3_aggregate_context(ctx, 0));
    if (!t || t->count == 0) return sqlite3_result_null(ctx);
    guarded(ctx, [&] {
        Decimal sum;
        std::memcpy(static_cast<void*>(&sum), t->total, sizeof sum);
        const int scale = static_cast<int>(reinterpret_cast<std::intptr_t>(sqlite3_user_data(ctx)));
        const SqlType total_type = SqlType::decimal(38, std::min(scale, sum.scale()));
        const SqlType quotient = SqlType::decimal(38, scale);
        result(ctx, arithmetic(ArithOp::Div, exact_value(sum), total_type, BoundValue::integer(t->count),
                               SqlType::of(SqlBase::BigInt), quotient));
    });
}

constexpr int kFlags = SQLITE_UTF8 | SQLITE_INNOCUOUS | SQLITE_DETERMINISTIC;

}  // namespace

void register_typed_aggregates(sqlite3* db) {
    check(db, sqlite3_create_function_v2(db, "li_sortkey", 1, kFlags, nullptr, fn_sortkey, nullptr, nullptr,
                                         nullptr));
    check(db, sqlite3_create_function_v2(db, "li_round", 4, kFlags, nullptr, fn_round, nullptr, nullptr,
                                         nullptr));
    check(db, sqlite3_create_function_v2(db, "li_sum_int", 1, kFlags, nullptr, nullptr, int_step,
                                         sum_int_final, nullptr));
    check(db, sqlite3_create_function_v2(db, "li_avg_int", 1, kFlags, nullptr, nullptr, int_step,
                                         avg_int_final, nullptr));
    for (int scale = 0; scale <= 38; ++scale) {
        const std::string name = "li_avg_s" + std::to_string(scale);
        check(db, sqlite3_create_function_v2(db, name.c_str(), 1, kFlags,
                                             reinterpret_cast<void*>(static_cast<std::intptr_t>(scale)),
                                             nullptr, decimal_step, decimal_avg_final, nullptr));
    }
}

}  // namespace ado::sqlite
