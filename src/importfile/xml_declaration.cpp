#include "importfile/xml_declaration.h"

#include <array>

namespace importfile::xml {
namespace {

constexpr std::string_view kOpen = "<?xml";
constexpr std::array<std::string_view, 3> kPseudoAttributes = {"version", "encoding", "standalone"};

bool ascii_letter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool ascii_digit(char c) {
    return c >= '0' && c <= '9';
}

// A piece of the raw declaration for a reason: its bytes are not decoded yet, so anything
// but printable ASCII is shown as '?'.
std::string ascii_excerpt(std::string_view raw) {
    std::string out;
    for (const char c : raw.substr(0, 16)) out += c >= 0x20 && c < 0x7F ? c : '?';
    return raw.size() > 16 ? out + "..." : out;
}

bool valid_version(std::string_view v) {
    if (v.size() < 3 || v.substr(0, 2) != "1.") return false;
    for (const char c : v.substr(2))
        if (!ascii_digit(c)) return false;
    return true;
}

bool valid_encoding_name(std::string_view v) {
    if (v.empty() || !ascii_letter(v[0])) return false;
    for (const char c : v)
        if (!ascii_letter(c) && !ascii_digit(c) && c != '.' && c != '_' && c != '-') return false;
    return true;
}

// Reads the pseudo-attributes one after the other, in the only order the grammar allows.
class DeclarationReader {
  public:
    DeclarationReader(std::string_view text, Declaration& out) : text_(text), out_(out) {}

    std::optional<Failure> read() {
        pos_ = kOpen.size();
        std::size_t next_allowed = 0;  // index in kPseudoAttributes
        for (;;) {
            const bool spaced = skip_space();
            if (text_.substr(pos_, 2) == "?>") break;
            if (pos_ >= text_.size()) return fail("it is not closed by ?>");
            if (!spaced) return fail("expected a blank or ?>");
            if (auto f = pseudo_attribute(next_allowed)) return f;
        }
        if (out_.version.empty()) return fail("version is missing", kOpen.size());
        out_.length = pos_ + 2;
        return std::nullopt;
    }

  private:
    std::optional<Failure> pseudo_attribute(std::size_t& next_allowed) {
        const std::size_t start = pos_;
        while (pos_ < text_.size() && ascii_letter(text_[pos_])) ++pos_;
        const std::string_view name = text_.substr(start, pos_ - start);
        std::size_t index = 0;
        while (index < kPseudoAttributes.size() && kPseudoAttributes[index] != name) ++index;
        if (index == kPseudoAttributes.size())
            return fail(name.empty() ? "unexpected '" + ascii_excerpt(text_.substr(start, 1)) + "'"
                                     : "unknown '" + std::string(name) + "'",
                        start);
        if (index > 0 && out_.version.empty()) return fail("version must come first", start);
        if (index < next_allowed) return fail(std::string(name) + " is out of place", start);
        next_allowed = index + 1;
        skip_space();
        if (pos_ >= text_.size() || text_[pos_] != '=') return fail("expected = after " + std::string(name));
        ++pos_;
        skip_space();
        std::string value;
        if (auto f = quoted(value)) return f;
        return assign(index, value, start);
    }

    std::optional<Failure> quoted(std::string& value) {
        if (pos_ >= text_.size() || (text_[pos_] != '"' && text_[pos_] != '\''))
            return fail("expected a quoted value");
        const char quote = text_[pos_];
        const std::size_t end = text_.find(quote, pos_ + 1);
        if (end == std::string_view::npos) return fail("a value is not closed");
        value = std::string(text_.substr(pos_ + 1, end - pos_ - 1));
        pos_ = end + 1;
        return std::nullopt;
    }

    std::optional<Failure> assign(std::size_t index, const std::string& value, std::size_t at) {
        if (index == 0) {
            if (!valid_version(value)) return fail("version \"" + ascii_excerpt(value) + "\" is not 1.x", at);
            out_.version = value;
        } else if (index == 1) {
            if (!valid_encoding_name(value))
                return fail("\"" + ascii_excerpt(value) + "\" is not an encoding name", at);
            out_.encoding = value;
        } else {
            if (value != "yes" && value != "no") return fail("standalone must be \"yes\" or \"no\"", at);
            out_.standalone = value;
        }
        return std::nullopt;
    }

    bool skip_space() {
        const std::size_t start = pos_;
        while (pos_ < text_.size() && is_space(static_cast<unsigned char>(text_[pos_]))) ++pos_;
        return pos_ > start;
    }

    Failure fail(const std::string& why) const { return fail(why, pos_); }
    Failure fail(const std::string& why, std::size_t at) const {
        return Failure{"Malformed XML declaration: " + why, at};
    }

    std::string_view text_;
    Declaration& out_;
    std::size_t pos_ = 0;
};

}  // namespace

bool starts_with_declaration(std::string_view text) {
    return text.substr(0, kOpen.size()) == kOpen &&
           (text.size() == kOpen.size() || is_space(static_cast<unsigned char>(text[kOpen.size()])) ||
            text[kOpen.size()] == '?');
}

std::optional<Failure> read_declaration(std::string_view text, Declaration& out) {
    out = Declaration{};
    if (!starts_with_declaration(text)) return std::nullopt;
    return DeclarationReader(text, out).read();
}

}  // namespace importfile::xml
