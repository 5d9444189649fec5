#pragma once
// What the XML parser lets through and a well-formed document may not hold: references to
// undefined entities or to characters outside XML, a bare '&', '<' in an attribute value,
// duplicate attributes, "]]>" in text, "--" in a comment, names with characters names may
// not have, anything but comments, processing instructions and blanks around the root
// element, a second root, an XML declaration anywhere but at the start, a document type
// declaration. Tag nesting and matching are left to the parser, which checks them.
#include <optional>
#include <string_view>

#include "importfile/xml_syntax.h"

namespace importfile::xml {

// Checks UTF-8 text whose characters are already known to be XML characters, in one pass and
// without recursion however deep the elements nest. Returns the first problem found.
std::optional<Failure> check_well_formed(std::string_view utf8);

}  // namespace importfile::xml
