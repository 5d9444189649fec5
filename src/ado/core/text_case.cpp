// UPPER, LOWER and REPLACE on UTF-8 text: case mapping by ICU (simple, per character), replacement
// matching under the database collation.
#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ado/core/collation.h"
#include "ado/error.h"

namespace ado {
namespace {

// One character to one character, as the server maps case: "straße" keeps its length.
// Bytes that are not UTF-8 are kept as they are.
std::string map_case(std::string_view s, UChar32 (*fn)(UChar32)) {
    std::string out;
    out.reserve(s.size());
    const auto* p = reinterpret_cast<const uint8_t*>(s.data());
    const auto n = static_cast<int32_t>(s.size());
    for (int32_t i = 0; i < n;) {
        const int32_t start = i;
        UChar32 c = 0;
        U8_NEXT(p, i, n, c);
        if (c < 0) {
            out.append(s.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(i - start)));
            continue;
        }
        uint8_t buf[U8_MAX_LENGTH];
        int32_t len = 0;
        U8_APPEND_UNSAFE(buf, len, fn(c));  // a mapped code point is valid and fits four bytes
        out.append(reinterpret_cast<const char*>(buf), static_cast<std::size_t>(len));
    }
    return out;
}

std::vector<char32_t> characters(std::string_view s) {
    std::vector<char32_t> out;
    for (std::size_t i = 0; i < s.size();) out.push_back(next_char(s, i));
    return out;
}

// Where `from` ends when it matches `s` at byte `at`, or nothing.
std::optional<std::size_t> match_at(std::string_view s, std::size_t at, const std::vector<char32_t>& from) {
    std::size_t i = at;
    for (const char32_t c : from) {
        if (i >= s.size() || collate_chars(c, next_char(s, i)) != 0) return std::nullopt;
    }
    return i;
}

}  // namespace

std::string upper_text(std::string_view s) {
    return map_case(s, u_toupper);
}

std::string lower_text(std::string_view s) {
    return map_case(s, u_tolower);
}

std::string collate_replace(std::string_view s, std::string_view from, std::string_view to) {
    if (from.empty()) return std::string(s);
    const std::vector<char32_t> pattern = characters(from);
    std::string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        if (const auto end = match_at(s, i, pattern)) {
            out.append(to);
            i = *end;
            continue;
        }
        const std::size_t start = i;
        next_char(s, i);
        out.append(s.substr(start, i - start));
    }
    return out;
}

}  // namespace ado
