#include "ado/sqlite/text_functions.h"

#include <sqlite3.h>

#include <exception>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "ado/core/collation.h"
#include "ado/error.h"
#include "ado/sqlite/function_support.h"
#include "ado/sqlite/handles.h"

namespace ado::sqlite {
namespace {

using fn::arg_text;
using fn::check;
using fn::guarded;
using fn::result_text;

bool any_null(int argc, sqlite3_value** argv) {
    for (int k = 0; k < argc; ++k)
        if (sqlite3_value_type(argv[k]) == SQLITE_NULL) return true;
    return false;
}

// ESCAPE takes exactly one character, as on the server.
char32_t escape_character(std::string_view text) {
    std::size_t i = 0;
    const char32_t c = text.empty() ? 0 : next_char(text, i);
    if (text.empty() || i != text.size())
        throw Error(kErrProvider, "The invalid escape character \"" + std::string(text) +
                                      "\" was specified in a LIKE predicate.");
    return c;
}

// A compiled pattern kept with the statement while its pattern argument stays the same;
// the text and escape are kept too, so a changed argument is never matched with an old
// pattern whatever SQLite does with the cache.
struct CachedPattern {
    std::string text;
    std::optional<char32_t> escape;
    LikePattern pattern;
};

void delete_cached(void* p) {
    delete static_cast<CachedPattern*>(p);
}

void fn_like(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (any_null(argc, argv)) return sqlite3_result_null(ctx);
    guarded(ctx, [&] {
        const std::string_view pattern = arg_text(argv[0]);
        const std::string_view text = arg_text(argv[1]);
        const int limit = sqlite3_limit(sqlite3_context_db_handle(ctx), SQLITE_LIMIT_LIKE_PATTERN_LENGTH, -1);
        if (pattern.size() > static_cast<std::size_t>(limit))
            return sqlite3_result_error(ctx, "LIKE or GLOB pattern too complex", -1);
        const std::optional<char32_t> escape =
            argc == 3 ? std::optional<char32_t>(escape_character(arg_text(argv[2]))) : std::nullopt;
        const auto* cached = static_cast<const CachedPattern*>(sqlite3_get_auxdata(ctx, 0));
        if (cached && cached->text == pattern && cached->escape == escape)
            return sqlite3_result_int(ctx, cached->pattern.matches(text) ? 1 : 0);
        auto fresh = std::make_unique<CachedPattern>(
            CachedPattern{std::string(pattern), escape, LikePattern::parse(pattern, escape)});
        sqlite3_result_int(ctx, fresh->pattern.matches(text) ? 1 : 0);
        // SQLite may free it at once: nothing reads `fresh` after this.
        sqlite3_set_auxdata(ctx, 0, fresh.release(), delete_cached);
    });
}

void fn_upper(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (any_null(1, argv)) return sqlite3_result_null(ctx);
    guarded(ctx, [&] { result_text(ctx, upper_text(arg_text(argv[0]))); });
}

void fn_lower(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (any_null(1, argv)) return sqlite3_result_null(ctx);
    guarded(ctx, [&] { result_text(ctx, lower_text(arg_text(argv[0]))); });
}

void fn_replace(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (any_null(argc, argv)) return sqlite3_result_null(ctx);
    guarded(ctx, [&] {
        const std::string_view s = arg_text(argv[0]);
        const std::string_view from = arg_text(argv[1]);
        const std::string_view to = arg_text(argv[2]);
        result_text(ctx, collate_replace(s, from, to));
    });
}

}  // namespace

void register_text_functions(sqlite3* db) {
    require_collation();
    fn::scalar(db, "like", 2, fn_like);
    fn::scalar(db, "like", 3, fn_like);
    fn::scalar(db, "upper", 1, fn_upper);
    fn::scalar(db, "lower", 1, fn_lower);
    fn::scalar(db, "replace", 3, fn_replace);
}

}  // namespace ado::sqlite
