#include "importfile/file_value.h"

namespace importfile {

namespace {

// The first `count` characters of UTF-8 text (a character is never split).
std::string_view first_characters(std::string_view text, std::size_t count) {
    std::size_t at = 0;
    for (std::size_t seen = 0; at < text.size(); ++at) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if ((byte & 0xC0) == 0x80) continue;  // continuation byte of the character before
        if (seen++ == count) break;
    }
    return text.substr(0, at);
}

}  // namespace

std::string describe(const FileValue& value) {
    if (!value.text) return value.element + " (missing)";
    std::string shown(first_characters(*value.text, kShownCharacters));
    const bool cut = shown.size() < value.text->size();
    for (char& c : shown)
        if (c == '\r' || c == '\n' || c == '\t') c = ' ';
    return value.element + " '" + shown + (cut ? "...'" : "'");
}

ado::Error value_error(const FileValue& value, const ado::Error& error) {
    return ado::Error(error.number(), describe(value) + ": " + error.description(), error.source());
}

const FileValue* find_value(const std::vector<FileValue>& values, std::string_view element) {
    for (const FileValue& value : values)
        if (value.element == element) return &value;
    return nullptr;
}

}  // namespace importfile
