// The SQL functions of typed_functions.h: arguments read into BoundValues, the evaluation of
// sql_eval.h, its result handed back, any failure the statement's error in the server's words.
#include "ado/sqlite/typed_functions.h"

#include <sqlite3.h>

#include <algorithm>
#include <exception>
#include <string>

#include "ado/error.h"
#include "ado/sqlite/function_support.h"
#include "ado/sqlite/handles.h"
#include "ado/sqlite/sql_eval.h"
#include "ado/sqlite/values.h"
#include "ado/variant.h"

namespace ado::sqlite {
namespace {

using fn::guarded;
using fn::result;
using fn::scalar;

SqlType type_arg(sqlite3_value* v) {
    return SqlType::from_code(sqlite3_value_int64(v));
}

ArithOp op_arg(sqlite3_value* v) {
    const auto op = sqlite3_value_int64(v);
    if (op < static_cast<int>(ArithOp::Add) || op > static_cast<int>(ArithOp::Mod))
        throw Error(kErrProvider, "li_calc: no operator " + std::to_string(op) + ".");
    return static_cast<ArithOp>(op);
}

DatePart part_arg(sqlite3_value* v) {
    const auto part = sqlite3_value_int64(v);
    if (part < static_cast<int>(DatePart::Year) || part > static_cast<int>(DatePart::Millisecond))
        throw Error(kErrProvider, "No date part " + std::to_string(part) + ".");
    return static_cast<DatePart>(part);
}

void fn_calc(sqlite3_context* ctx, int, sqlite3_value** argv) {
    guarded(ctx, [&] {
        result(ctx, arithmetic(op_arg(argv[0]), value_of(argv[1]), type_arg(argv[3]), value_of(argv[2]),
                               type_arg(argv[4]), type_arg(argv[5])));
    });
}

void fn_cmp(sqlite3_context* ctx, int, sqlite3_value** argv) {
    guarded(ctx, [&] {
        const auto c = compare(value_of(argv[0]), type_arg(argv[2]), value_of(argv[1]), type_arg(argv[3]));
        if (!c) return sqlite3_result_null(ctx);
        sqlite3_result_int(ctx, *c);
    });
}

void fn_cast(sqlite3_context* ctx, int, sqlite3_value** argv) {
    guarded(ctx, [&] {
        const int style = sqlite3_value_type(argv[3]) == SQLITE_NULL ? 0 : sqlite3_value_int(argv[3]);
        result(ctx, convert(value_of(argv[0]), type_arg(argv[1]), type_arg(argv[2]), style));
    });
}

void fn_dateadd(sqlite3_context* ctx, int, sqlite3_value** argv) {
    guarded(ctx, [&] {
        result(ctx, date_add(part_arg(argv[0]), value_of(argv[1]), value_of(argv[2]), type_arg(argv[3])));
    });
}

void fn_datediff(sqlite3_context* ctx, int, sqlite3_value** argv) {
    guarded(ctx, [&] {
        result(ctx, date_diff(part_arg(argv[0]), value_of(argv[1]), type_arg(argv[3]), value_of(argv[2]),
                              type_arg(argv[4])));
    });
}

void fn_datepart(sqlite3_context* ctx, int, sqlite3_value** argv) {
    guarded(ctx, [&] { result(ctx, date_part_of(part_arg(argv[0]), value_of(argv[1]), type_arg(argv[2]))); });
}

// A CHAR(n) value: blank-padded to n characters (a longer one cut, as the column would).
void fn_pad(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    guarded(ctx, [&] {
        const BoundValue v = value_of(argv[0]);
        std::string text = convert(v, SqlType::of(SqlBase::Unknown), SqlType::of(SqlBase::VarChar)).text;
        if (sqlite3_value_type(argv[1]) != SQLITE_NULL) {
            const auto width =
                static_cast<std::size_t>(std::max<sqlite3_int64>(sqlite3_value_int64(argv[1]), 0));
            const std::size_t length = utf8_length(text);
            if (length > width)
                text = utf8_left(text, width);
            else
                text.append(width - length, ' ');
        }
        result(ctx, BoundValue::str(std::move(text)));
    });
}

}  // namespace

void register_typed_functions(sqlite3* db) {
    scalar(db, "li_calc", 6, fn_calc);
    scalar(db, "li_cmp", 4, fn_cmp);
    scalar(db, "li_cast", 4, fn_cast);
    scalar(db, "li_dateadd", 4, fn_dateadd);
    scalar(db, "li_datediff", 5, fn_datediff);
    scalar(db, "li_datepart", 3, fn_datepart);
    scalar(db, "li_pad", 2, fn_pad);
}

}  // namespace ado::sqlite
