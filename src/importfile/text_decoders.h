#pragma once
// Decoders from the encodings an import file may be written in to UTF-8, the parser's own.
// Each refuses bytes that are no character of its encoding and characters no XML document
// may hold (C0 controls but tab, CR and LF; U+FFFE, U+FFFF; surrogates), naming the byte
// offset in the file.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "importfile/xml_syntax.h"

namespace importfile::xml {

enum class Encoding { utf8, utf16le, utf16be, windows_1252, iso_8859_1, iso_8859_15 };

// The encoding's preferred name, as reasons give it.
std::string_view encoding_name(Encoding encoding);

// Checks UTF-8 text where it is, without a copy. `skipped` is the number of file bytes before
// `bytes` (a byte order mark), so that reasons give offsets in the file.
std::optional<Failure> check_utf8(std::string_view bytes, std::size_t skipped);

// Decodes `bytes` into `out` (replacing its content). On failure `out` holds the text decoded
// before the offending byte, which is where the failure's offset points.
std::optional<Failure> decode(std::string_view bytes, Encoding encoding, std::size_t skipped,
                              std::string& out);

}  // namespace importfile::xml
