#include "importfile/file_paths.h"

namespace importfile {

namespace {

std::size_t last_separator(std::string_view path) noexcept {
    return path.find_last_of("/\\");
}

}  // namespace

std::string_view trim_blanks(std::string_view text) noexcept {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

std::string_view after_last_separator(std::string_view path) noexcept {
    const std::size_t pos = last_separator(path);
    return pos == std::string_view::npos ? path : path.substr(pos + 1);
}

std::string stored_file_name(std::string_view stored) {
    stored = trim_blanks(stored);
    const std::size_t pipe = stored.rfind('|');
    const std::string_view path =
        trim_blanks(pipe == std::string_view::npos ? stored : stored.substr(pipe + 1));
    return std::string(trim_blanks(after_last_separator(path)));
}

std::string folder_suggestion(std::string_view stored) {
    stored = trim_blanks(stored);
    const std::size_t pipe = stored.rfind('|');
    std::string suggestion(pipe == std::string_view::npos ? std::string_view() : stored.substr(0, pipe + 1));
    const std::string_view path =
        trim_blanks(pipe == std::string_view::npos ? stored : stored.substr(pipe + 1));
    const std::size_t pos = last_separator(path);
    if (pos != std::string_view::npos) suggestion += path.substr(0, pos + 1);
    return suggestion;
}

}  // namespace importfile
