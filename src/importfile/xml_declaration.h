#pragma once
// The XML declaration that may open the file: <?xml version="1.0" encoding="..." standalone="..."?>.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "importfile/xml_syntax.h"

namespace importfile::xml {

struct Declaration {
    std::size_t length = 0;  // bytes of the declaration; 0 when the text has none
    std::string version;
    std::string encoding;  // as written; empty when not declared
    std::string standalone;
};

// Whether `text` opens with a declaration (and not with a processing instruction whose target
// merely starts with "xml", such as <?xml-stylesheet ...?>).
bool starts_with_declaration(std::string_view text);

// Reads the declaration opening `text`, if any. Its grammar is ASCII only, so the raw bytes of
// any ASCII-compatible file can be read this way before their encoding is known.
std::optional<Failure> read_declaration(std::string_view text, Declaration& out);

}  // namespace importfile::xml
