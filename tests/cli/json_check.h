#pragma once
// A small structural check that standard output is one JSON object on one line: braces and
// brackets balance outside strings, strings hold no raw control characters and use only
// JSON escapes, and nothing follows the object but the line end.
#include <string>
#include <string_view>

namespace cli_test {

inline bool is_one_json_object(std::string_view text) {
    if (text.size() < 3 || text.front() != '{' || text.substr(text.size() - 2) != "}\n") return false;
    std::string open;  // the containers not yet closed
    bool in_string = false;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        const char c = text[i];
        if (in_string) {
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c == '"') in_string = false;
            if (c == '\\' && std::string_view("\"\\/bfnrtu").find(text[++i]) == std::string_view::npos)
                return false;
        } else if (c == '"') {
            in_string = true;
        } else if (c == '{' || c == '[') {
            open += c;
        } else if (c == '}' || c == ']') {
            if (open.empty() || open.back() != (c == '}' ? '{' : '[')) return false;
            open.pop_back();
            if (open.empty() && i + 2 != text.size()) return false;  // something after the object
        } else if (std::string_view(" \t\r\n").find(c) != std::string_view::npos) {
            return false;  // one line, no padding
        }
    }
    return open.empty() && !in_string;
}

}  // namespace cli_test
