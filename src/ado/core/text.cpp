// Text helpers on UTF-8 strings (the collation is in collation.cpp).
#include <string>
#include <string_view>

#include "ado/variant.h"

namespace ado {
namespace {

bool is_continuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0U) == 0x80U;
}

}  // namespace

char32_t next_code_point(std::string_view s, std::size_t& i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    std::size_t len = 0;
    char32_t cp = 0;
    if (b0 < 0x80U) {
        ++i;
        return b0;
    }
    if ((b0 & 0xE0U) == 0xC0U) {
        len = 2;
        cp = b0 & 0x1FU;
    } else if ((b0 & 0xF0U) == 0xE0U) {
        len = 3;
        cp = b0 & 0x0FU;
    } else if ((b0 & 0xF8U) == 0xF0U) {
        len = 4;
        cp = b0 & 0x07U;
    } else {
        ++i;
        return b0;
    }
    if (s.size() - i < len) {
        ++i;
        return b0;
    }
    for (std::size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0U) != 0x80U) {
            ++i;
            return b0;
        }
        cp = (cp << 6) | (b & 0x3FU);
    }
    i += len;
    return cp;
}

std::size_t utf8_length(std::string_view s) {
    std::size_t n = 0;
    for (const char c : s)
        if (!is_continuation(c)) ++n;
    return n;
}

std::string utf8_left(std::string_view s, std::size_t chars) {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (is_continuation(s[i])) continue;
        if (seen == chars) return std::string(s.substr(0, i));
        ++seen;
    }
    return std::string(s);
}

std::string rtrim(std::string_view s) {
    const std::size_t end = s.find_last_not_of(' ');
    return end == std::string_view::npos ? std::string() : std::string(s.substr(0, end + 1));
}

std::string ltrim(std::string_view s) {
    const std::size_t begin = s.find_first_not_of(' ');
    return begin == std::string_view::npos ? std::string() : std::string(s.substr(begin));
}

std::string trim(std::string_view s) {
    const std::size_t begin = s.find_first_not_of(' ');
    if (begin == std::string_view::npos) return std::string();
    return std::string(s.substr(begin, s.find_last_not_of(' ') - begin + 1));
}

}  // namespace ado
