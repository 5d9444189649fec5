#pragma once
// The encoding of an import file and its text as UTF-8. The byte order mark decides first,
// then the XML declaration; a file that declares nothing is UTF-8.
#include <optional>
#include <string>
#include <string_view>

#include "importfile/text_decoders.h"
#include "importfile/xml_syntax.h"

namespace importfile::xml {

// The encoding a declared name stands for (case-insensitive, with the usual aliases); nullopt
// for encodings the reader does not read. "UTF-16" alone is read only with a byte order mark
// and stands for either byte order, so it is not one of these.
std::optional<Encoding> single_encoding_named(std::string_view name);

// Decodes the file's bytes into `text` (a UTF-8 file is taken over, not copied; its byte
// order mark is dropped). On failure `text` holds at least the text up to the failure.
std::optional<Failure> decode_file(std::string bytes, std::string& text);

}  // namespace importfile::xml
