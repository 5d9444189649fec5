#include "modulebase/controls.h"

#include <string_view>
#include <system_error>

namespace module {

namespace {

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

}  // namespace

bool PathBox::local_usable(const std::string& text) {
    const std::string_view path = trimmed(text);
    if (path.empty() || path.find('\0') != std::string_view::npos) return false;
    return path.back() != '/' && path.back() != '\\';
}

PathBox::File PathBox::local_file(const std::string& text) {
    File f;
    if (!local_usable(text)) return f;
    std::error_code ec;
    const std::filesystem::path given{std::string(trimmed(text))};
    std::filesystem::path absolute = std::filesystem::absolute(given, ec);
    if (ec) absolute = given;
    f.full_path = absolute.lexically_normal();
    f.exists = std::filesystem::is_regular_file(f.full_path, ec) && !ec;
    return f;
}

}  // namespace module
