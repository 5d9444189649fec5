#include "importfile/xml_syntax.h"

#include <algorithm>
#include <cstdio>

#include "ado/variant.h"

namespace importfile::xml {
namespace {

struct Range {
    char32_t first;
    char32_t last;
};

// Name start characters above ASCII (XML 1.0, fifth edition).
constexpr Range kNameStart[] = {{0xC0, 0xD6},     {0xD8, 0xF6},     {0xF8, 0x2FF},    {0x370, 0x37D},
                                {0x37F, 0x1FFF},  {0x200C, 0x200D}, {0x2070, 0x218F}, {0x2C00, 0x2FEF},
                                {0x3001, 0xD7FF}, {0xF900, 0xFDCF}, {0xFDF0, 0xFFFD}, {0x10000, 0xEFFFF}};
// Further characters allowed after the first one.
constexpr Range kNameMore[] = {{0xB7, 0xB7}, {0x300, 0x36F}, {0x203F, 0x2040}};

template <std::size_t N>
bool in(const Range (&ranges)[N], char32_t c) {
    return std::any_of(std::begin(ranges), std::end(ranges),
                       [c](Range r) { return c >= r.first && c <= r.last; });
}

bool ascii_name_start(char32_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':';
}

bool is_continuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

}  // namespace

Position locate(std::string_view utf8, std::size_t offset) {
    Position p;
    const std::size_t end = std::min(offset, utf8.size());
    for (std::size_t i = 0; i < end; ++i) {
        const char c = utf8[i];
        if (c == '\n' || (c == '\r' && (i + 1 >= utf8.size() || utf8[i + 1] != '\n'))) {
            ++p.line;
            p.column = 1;
        } else if (!is_continuation(static_cast<unsigned char>(c))) {
            ++p.column;
        }
    }
    return p;
}

bool is_name_start(char32_t c) {
    return c < 0x80 ? ascii_name_start(c) : in(kNameStart, c);
}

bool is_name_char(char32_t c) {
    if (c < 0x80) return ascii_name_start(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
    return in(kNameStart, c) || in(kNameMore, c);
}

void append_utf8(char32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::size_t name_length(std::string_view utf8, std::size_t pos) {
    std::size_t end = pos;
    if (end >= utf8.size() || !is_name_start(ado::next_code_point(utf8, end))) return 0;
    while (end < utf8.size()) {
        const auto b = static_cast<unsigned char>(utf8[end]);
        if (b < 0x80) {  // most names are ASCII: no decoding for them
            if (!is_name_char(b)) break;
            ++end;
            continue;
        }
        std::size_t next = end;
        if (!is_name_char(ado::next_code_point(utf8, next))) break;
        end = next;
    }
    return end - pos;
}

std::string code_point_text(char32_t c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(c));
    return buf;
}

std::string byte_text(unsigned char b) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%02X", b);
    return buf;
}

std::string excerpt(std::string_view text, std::size_t max_chars) {
    // A reason is one line: the piece stops at a line break too.
    const std::string_view line = text.substr(0, text.find_first_of("\r\n"));
    std::size_t end = 0;
    for (std::size_t chars = 0; end < line.size() && chars < max_chars; ++chars)
        ado::next_code_point(line, end);
    if (end >= text.size()) return std::string(text);
    return std::string(text.substr(0, end)) + "...";
}

}  // namespace importfile::xml
