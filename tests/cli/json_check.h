#pragma once
// A strict check that a text is exactly one JSON value (RFC 8259), with nothing after it
// but white space; no tool outside the test is needed.
#include <cctype>
#include <string_view>

namespace cli_test {

class JsonCheck {
  public:
    static bool is_one_value(std::string_view text) {
        JsonCheck c(text);
        c.space();
        if (!c.value()) return false;
        c.space();
        return c.i_ == text.size();
    }

  private:
    explicit JsonCheck(std::string_view t) : t_(t) {}
    bool more() const { return i_ < t_.size(); }
    char peek() const { return more() ? t_[i_] : '\0'; }
    void space() {
        while (more() && (peek() == ' ' || peek() == '\n' || peek() == '\r' || peek() == '\t')) ++i_;
    }
    bool literal(std::string_view word) {
        if (t_.substr(i_, word.size()) != word) return false;
        i_ += word.size();
        return true;
    }
    bool value() {
        switch (peek()) {
            case '{':
                return object();
            case '[':
                return array();
            case '"':
                return string();
            case 't':
                return literal("true");
            case 'f':
                return literal("false");
            case 'n':
                return literal("null");
            default:
                return number();
        }
    }
    bool object() {
        ++i_;
        space();
        if (peek() == '}') return ++i_, true;
        for (;;) {
            space();
            if (!string()) return false;
            space();
            if (peek() != ':') return false;
            ++i_;
            space();
            if (!value()) return false;
            space();
            if (peek() == '}') return ++i_, true;
            if (peek() != ',') return false;
            ++i_;
        }
    }
    bool array() {
        ++i_;
        space();
        if (peek() == ']') return ++i_, true;
        for (;;) {
            space();
            if (!value()) return false;
            space();
            if (peek() == ']') return ++i_, true;
            if (peek() != ',') return false;
            ++i_;
        }
    }
    bool string() {
        if (peek() != '"') return false;
        for (++i_; more(); ++i_) {
            const unsigned char c = static_cast<unsigned char>(peek());
            if (c == '"') return ++i_, true;
            if (c < 0x20) return false;
            if (c != '\\') continue;
            ++i_;
            if (!more()) return false;
            if (peek() == 'u') {
                for (int k = 0; k < 4; ++k) {
                    ++i_;
                    if (!std::isxdigit(static_cast<unsigned char>(peek()))) return false;
                }
            } else if (std::string_view("\"\\/bfnrt").find(peek()) == std::string_view::npos) {
                return false;
            }
        }
        return false;
    }
    bool digits() {
        const std::size_t start = i_;
        while (std::isdigit(static_cast<unsigned char>(peek()))) ++i_;
        return i_ > start;
    }
    bool number() {
        if (peek() == '-') ++i_;
        if (peek() == '0') {
            ++i_;
        } else if (!digits()) {
            return false;
        }
        if (peek() == '.' && (++i_, !digits())) return false;
        if (peek() == 'e' || peek() == 'E') {
            ++i_;
            if (peek() == '+' || peek() == '-') ++i_;
            if (!digits()) return false;
        }
        return true;
    }

    std::string_view t_;
    std::size_t i_ = 0;
};

}  // namespace cli_test
