#include "importfile/xml_encoding.h"

#include <algorithm>

#include "importfile/xml_declaration.h"

namespace importfile::xml {
namespace {

struct Alias {
    std::string_view name;
    Encoding encoding;
};

constexpr Alias kAliases[] = {
    {"utf-8", Encoding::utf8},
    {"utf8", Encoding::utf8},
    {"windows-1252", Encoding::windows_1252},
    {"cp1252", Encoding::windows_1252},
    {"cswindows1252", Encoding::windows_1252},
    {"iso-8859-1", Encoding::iso_8859_1},
    {"iso_8859-1", Encoding::iso_8859_1},
    {"iso8859-1", Encoding::iso_8859_1},
    {"iso-ir-100", Encoding::iso_8859_1},
    {"latin1", Encoding::iso_8859_1},
    {"l1", Encoding::iso_8859_1},
    {"ibm819", Encoding::iso_8859_1},
    {"cp819", Encoding::iso_8859_1},
    {"csisolatin1", Encoding::iso_8859_1},
    {"iso-8859-15", Encoding::iso_8859_15},
    {"iso_8859-15", Encoding::iso_8859_15},
    {"iso8859-15", Encoding::iso_8859_15},
    {"latin-9", Encoding::iso_8859_15},
    {"latin9", Encoding::iso_8859_15},
    {"csiso885915", Encoding::iso_8859_15},
    {"csisolatin9", Encoding::iso_8859_15},
};

constexpr std::string_view kReadable =
    "UTF-8, UTF-16 with a byte order mark, windows-1252, ISO-8859-1, ISO-8859-15";

bool same_name(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

bool starts_with_bytes(std::string_view bytes, std::string_view prefix) {
    return bytes.substr(0, prefix.size()) == prefix;
}

// What the first bytes say: a byte order mark (its length), or a form that is not read.
struct Opening {
    std::optional<Encoding> encoding;  // set by a byte order mark
    std::size_t bom = 0;
    std::optional<Failure> refused;
};

Opening opening_of(std::string_view bytes) {
    using namespace std::string_view_literals;
    if (starts_with_bytes(bytes, "\xEF\xBB\xBF"sv)) return {Encoding::utf8, 3, {}};
    if (starts_with_bytes(bytes, "\x00\x00\xFE\xFF"sv) || starts_with_bytes(bytes, "\xFF\xFE\x00\x00"sv))
        return {{}, 0, Failure{"UTF-32 files are not read (readable: " + std::string(kReadable) + ")", 0}};
    if (starts_with_bytes(bytes, "\xFE\xFF"sv)) return {Encoding::utf16be, 2, {}};
    if (starts_with_bytes(bytes, "\xFF\xFE"sv)) return {Encoding::utf16le, 2, {}};
    if (starts_with_bytes(bytes, "<\x00"sv) || starts_with_bytes(bytes, "\x00<"sv))
        return {{}, 0, Failure{"UTF-16 text without a byte order mark is not read", 0}};
    return {};
}

Failure conflict(const Opening& opening, const std::string& declared) {
    return Failure{"The file starts with a " + std::string(encoding_name(*opening.encoding)) +
                       " byte order mark but declares encoding \"" + declared + "\"",
                   0};
}

// A UTF-16 file: decoded by its byte order mark, then its declaration must agree.
std::optional<Failure> decode_utf16_file(std::string_view bytes, const Opening& opening, std::string& text) {
    if (auto failure = decode(bytes.substr(opening.bom), *opening.encoding, opening.bom, text))
        return failure;
    Declaration declaration;
    if (auto failure = read_declaration(text, declaration)) return failure;
    const std::string& declared = declaration.encoding;
    if (!declared.empty() && !same_name(declared, "utf-16") &&
        !same_name(declared, encoding_name(*opening.encoding)))
        return conflict(opening, declared);
    return std::nullopt;
}

// The encoding of a file that is not UTF-16, from its byte order mark and declaration.
std::optional<Failure> declared_encoding(std::string_view bytes, const Opening& opening, Encoding& encoding) {
    Declaration declaration;
    if (auto failure = read_declaration(bytes.substr(opening.bom), declaration)) return failure;
    const std::string& declared = declaration.encoding;
    encoding = Encoding::utf8;
    if (declared.empty()) return std::nullopt;
    const std::optional<Encoding> named = single_encoding_named(declared);
    if (!named) {
        if (same_name(declared.substr(0, 6), "utf-16"))
            return Failure{
                "The file declares encoding \"" + declared + "\" but has no UTF-16 byte order mark", 0};
        return Failure{"Encoding \"" + declared + "\" is not read (readable: " + std::string(kReadable) + ")",
                       0};
    }
    if (opening.encoding && *named != *opening.encoding) return conflict(opening, declared);
    encoding = *named;
    return std::nullopt;
}

}  // namespace

std::optional<Encoding> single_encoding_named(std::string_view name) {
    for (const Alias& alias : kAliases)
        if (same_name(alias.name, name)) return alias.encoding;
    return std::nullopt;
}

std::optional<Failure> decode_file(std::string bytes, std::string& text) {
    const Opening opening = opening_of(bytes);
    if (opening.refused) return opening.refused;
    if (opening.encoding == Encoding::utf16le || opening.encoding == Encoding::utf16be)
        return decode_utf16_file(bytes, opening, text);
    Encoding encoding = Encoding::utf8;
    std::optional<Failure> failure = declared_encoding(bytes, opening, encoding);
    if (!failure && encoding != Encoding::utf8)
        return decode(std::string_view(bytes).substr(opening.bom), encoding, opening.bom, text);
    if (!failure) failure = check_utf8(std::string_view(bytes).substr(opening.bom), opening.bom);
    // UTF-8 is already the parser's encoding: the bytes become the text.
    bytes.erase(0, opening.bom);
    text = std::move(bytes);
    return failure;
}

}  // namespace importfile::xml
