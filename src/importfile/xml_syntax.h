#pragma once
// Character classes and small helpers shared by the stages that read the import file before
// the parser sees it: the decoder, the declaration reader and the well-formedness checks.
#include <cstddef>
#include <string>
#include <string_view>

namespace importfile::xml {

// Why the file's text was refused, and where: `offset` is a byte offset into the file's text
// once decoded to UTF-8 (the file's byte offset, when it matters, is part of `what`).
struct Failure {
    std::string what;
    std::size_t offset = 0;
};

// Line and column (from 1) of a place in the text. A line ends at LF, CR or CR LF, as the
// parser reads them; columns count characters, so they are the same in the file whatever
// its encoding.
struct Position {
    long line = 1;
    long column = 1;
};
Position locate(std::string_view utf8, std::size_t offset);

// The characters a document may hold at all (Char), whitespace (S) and those of names.
// The first two are inline: the decoders ask them of every character of the file.
inline bool is_char(char32_t c) {
    if (c < 0x20) return c == 0x9 || c == 0xA || c == 0xD;
    return c <= 0xD7FF || (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}
inline bool is_space(char32_t c) {
    return c == 0x20 || c == 0x9 || c == 0xA || c == 0xD;
}
bool is_name_start(char32_t c);
bool is_name_char(char32_t c);

// Appends `c` encoded as UTF-8.
void append_utf8(char32_t c, std::string& out);

// Length in bytes of the name starting at `pos`, 0 when no name starts there.
std::size_t name_length(std::string_view utf8, std::size_t pos);

// "U+0001", "0x81": how a character or a byte is named in a reason.
std::string code_point_text(char32_t c);
std::string byte_text(unsigned char b);

// A piece of the text quoted in a reason, cut short when it is long or has a line break.
std::string excerpt(std::string_view text, std::size_t max_chars = 24);

}  // namespace importfile::xml
