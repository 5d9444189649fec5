#pragma once
// The file-system object the log window writes its text with: single-byte (ANSI) text in
// Windows-1252, the module's one code page, replacing what the file held.
#include <string>
#include <string_view>

namespace module {

// UTF-8 text as Windows-1252 bytes; a character the code page lacks, or a byte that is not
// part of well-formed UTF-8, becomes '?'.
std::string to_windows_1252(std::string_view utf8);

// Decodes one character of strict UTF-8 at `i`, moving `i` past it; false (one byte
// consumed) for a sequence that is not well-formed: overlong, a surrogate, past U+10FFFF
// or cut short.
bool next_code_point(std::string_view s, std::size_t& i, char32_t& cp);

class FileSystemObject {
  public:
    // Creates or replaces the file at `path` with `utf8` as Windows-1252 text. Throws
    // host::Error naming the file and the system's reason when it cannot be written; a file
    // that could not be written whole is removed rather than left cut short.
    void WriteAnsiText(const std::string& path, std::string_view utf8) const;
};

}  // namespace module
