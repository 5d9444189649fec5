#include "importfile/xml_checker.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "ado/variant.h"
#include "importfile/xml_declaration.h"

namespace importfile::xml {
namespace {

// The only entities a document can use without a DTD; the parser does not expand others.
constexpr std::array<std::string_view, 5> kPredefined = {"lt", "gt", "amp", "apos", "quot"};

// Thrown by the checker at the first problem, caught once at the top.
struct Refusal {
    Failure failure;
};

[[noreturn]] void fail(std::string what, std::size_t at) {
    throw Refusal{Failure{std::move(what), at}};
}

bool same_ignoring_case(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

int digit_value(char c, bool hex) {
    if (c >= '0' && c <= '9') return c - '0';
    if (hex && c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (hex && c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

class Checker {
  public:
    explicit Checker(std::string_view text) : t_(text) {}

    void run() {
        Declaration declaration;
        if (auto failure = read_declaration(t_, declaration)) throw Refusal{*failure};
        pos_ = declaration.length;
        while (pos_ < t_.size()) {
            if (t_[pos_] == '<')
                markup();
            else
                text();
        }
        if (!root_seen_) fail("No root element", t_.size());
        if (depth_ > 0) fail("The root element is not closed", t_.size());
    }

  private:
    bool at(std::size_t p, std::string_view s) const {
        return p <= t_.size() && t_.compare(p, s.size(), s) == 0;
    }

    std::size_t skip_space(std::size_t p) const {
        while (p < t_.size() && is_space(static_cast<unsigned char>(t_[p]))) ++p;
        return p;
    }

    // The character at `p` for a reason; the end of the text is named as such.
    std::string character_at(std::size_t p) const {
        if (p >= t_.size()) return "(end of file)";
        return code_point_text(ado::next_code_point(t_, p));
    }

    // What is wrong with the character right after a name: one that names may not hold, or
    // markup out of place.
    std::string after_name(const char* kind, std::string_view name, std::size_t p) const {
        if (static_cast<unsigned char>(t_[p]) >= 0x80)
            return "Invalid character " + character_at(p) + " in " + kind + " name " + excerpt(name);
        return "Unexpected '" + std::string(1, t_[p]) + "' after " + kind + " name " + excerpt(name);
    }

    void markup() {
        if (at(pos_, "<?"))
            processing_instruction();
        else if (at(pos_, "<!--"))
            comment();
        else if (at(pos_, "<![CDATA["))
            cdata();
        else if (at(pos_, "<!DOCTYPE"))
            fail("Document type declarations (DOCTYPE) are not accepted", pos_);
        else if (at(pos_, "<!"))
            fail("Unknown markup declaration " + excerpt(t_.substr(pos_), 12), pos_);
        else if (at(pos_, "</"))
            end_tag();
        else
            start_tag();
    }

    // Character data up to the next markup. Outside the root element only blanks may be.
    void text() {
        if (depth_ == 0) {
            const std::size_t p = skip_space(pos_);
            if (p < t_.size() && t_[p] != '<')
                fail(std::string(root_seen_ ? "Text after" : "Text before") +
                         " the root element: " + excerpt(t_.substr(p), 12),
                     p);
            pos_ = p;
            return;
        }
        std::size_t end = pos_;
        for (; end < t_.size() && t_[end] != '<' && t_[end] != '&'; ++end)
            if (t_[end] == ']' && at(end, "]]>")) fail("\"]]>\" in text outside a CDATA section", end);
        pos_ = end < t_.size() && t_[end] == '&' ? reference(end) : end;
    }

    // A reference at `p` ('&'); returns the position after it.
    std::size_t reference(std::size_t p) const {
        if (at(p, "&#")) return character_reference(p);
        const std::size_t length = name_length(t_, p + 1);
        const std::size_t semicolon = p + 1 + length;
        if (length == 0 || semicolon >= t_.size() || t_[semicolon] != ';')
            fail("'&' that starts no reference (the character itself is written &amp;)", p);
        const std::string_view name = t_.substr(p + 1, length);
        if (std::find(kPredefined.begin(), kPredefined.end(), name) == kPredefined.end())
            fail("Reference to undefined entity &" + excerpt(name) + ";", p);
        return semicolon + 1;
    }

    std::size_t character_reference(std::size_t p) const {
        const bool hex = at(p + 2, "x");
        const std::size_t first = p + (hex ? 3 : 2);
        std::size_t q = first;
        char32_t value = 0;
        for (int d; q < t_.size() && (d = digit_value(t_[q], hex)) >= 0; ++q)
            value = std::min<char32_t>(value * (hex ? 16 : 10) + static_cast<char32_t>(d), 0x110000);
        const std::string written = excerpt(t_.substr(p, q + 1 - p), 16);
        if (q == first || q >= t_.size() || t_[q] != ';') fail("Malformed character reference " + written, p);
        if (value > 0x10FFFF) fail("Character reference " + written + " is beyond U+10FFFF", p);
        if (!is_char(value))
            fail("Character reference " + written + " (" + code_point_text(value) + ") is not allowed in XML",
                 p);
        return q + 1;
    }

    void processing_instruction() {
        const std::size_t start = pos_;
        if (starts_with_declaration(t_.substr(start)))
            fail("XML declaration not at the start of the file", start);
        const std::size_t length = name_length(t_, start + 2);
        if (length == 0) fail("Processing instruction without a target", start);
        if (same_ignoring_case(t_.substr(start + 2, length), "xml"))
            fail("Processing instruction target \"" + std::string(t_.substr(start + 2, length)) +
                     "\" is reserved",
                 start);
        const std::size_t after = start + 2 + length;
        if (at(after, "?>")) {
            pos_ = after + 2;
            return;
        }
        if (after >= t_.size() || !is_space(static_cast<unsigned char>(t_[after])))
            fail("Processing instruction target not followed by a blank", after);
        const std::size_t close = t_.find("?>", after);
        if (close == std::string_view::npos) fail("Unterminated processing instruction", start);
        pos_ = close + 2;
    }

    void comment() {
        const std::size_t dashes = t_.find("--", pos_ + 4);
        if (dashes == std::string_view::npos) fail("Unterminated comment", pos_);
        if (!at(dashes + 2, ">")) fail("\"--\" inside a comment", dashes);
        pos_ = dashes + 3;
    }

    void cdata() {
        if (depth_ == 0) fail("CDATA section outside the root element", pos_);
        const std::size_t close = t_.find("]]>", pos_ + 9);
        if (close == std::string_view::npos) fail("Unterminated CDATA section", pos_);
        pos_ = close + 3;
    }

    void end_tag() {
        const std::size_t start = pos_;
        const std::size_t length = name_length(t_, start + 2);
        if (length == 0)
            fail("Character " + character_at(start + 2) + " cannot start an end tag's name", start + 2);
        const std::size_t close = skip_space(start + 2 + length);
        if (!at(close, ">")) fail("Malformed end tag", close);
        if (depth_ == 0) fail("End tag without a start tag", start);
        --depth_;
        pos_ = close + 1;
    }

    void start_tag() {
        const std::size_t start = pos_;
        if (depth_ == 0 && root_seen_) fail("A second root element", start);
        const std::size_t length = name_length(t_, start + 1);
        if (length == 0)
            fail("Character " + character_at(start + 1) + " cannot start an element name", start + 1);
        attributes_.clear();
        std::size_t p = start + 1 + length;
        bool empty = false;
        for (;;) {
            const std::size_t next = skip_space(p);
            if (at(next, "/>") || at(next, ">")) {
                empty = at(next, "/>");
                p = next + (empty ? 2 : 1);
                break;
            }
            if (next >= t_.size()) fail("Unterminated start tag", start);
            if (next == start + 1 + length)
                fail(after_name("element", t_.substr(start + 1, length), next), next);
            if (next == p) fail("Expected a blank before an attribute", p);
            p = attribute(next);
        }
        check_duplicates();
        root_seen_ = true;
        if (!empty) ++depth_;
        pos_ = p;
    }

    // The attribute at `p`; returns the position after its value.
    std::size_t attribute(std::size_t p) {
        const std::size_t length = name_length(t_, p);
        if (length == 0) fail("Character " + character_at(p) + " cannot start an attribute name", p);
        attributes_.push_back({t_.substr(p, length), p});
        std::size_t q = skip_space(p + length);
        if (q == p + length && !at(q, "=")) fail(after_name("attribute", t_.substr(p, length), q), q);
        if (!at(q, "=")) fail("Expected = after attribute " + excerpt(t_.substr(p, length)), q);
        q = skip_space(q + 1);
        if (!at(q, "\"") && !at(q, "'")) fail("Expected a quoted attribute value", q);
        const char quote = t_[q];
        const std::string_view stops = quote == '"' ? "\"<&" : "'<&";
        for (std::size_t v = q + 1;;) {
            const std::size_t stop = t_.find_first_of(stops, v);
            if (stop == std::string_view::npos) fail("Unterminated attribute value", q);
            if (t_[stop] == quote) return stop + 1;
            if (t_[stop] == '<') fail("'<' in an attribute value", stop);
            v = reference(stop);
        }
    }

    // Sorted, so that a tag with very many attributes costs no more than its sorting.
    void check_duplicates() {
        if (attributes_.size() < 2) return;
        std::sort(attributes_.begin(), attributes_.end());
        const Attribute* first_repeat = nullptr;
        for (std::size_t i = 1; i < attributes_.size(); ++i)
            if (attributes_[i].name == attributes_[i - 1].name &&
                (first_repeat == nullptr || attributes_[i].offset < first_repeat->offset))
                first_repeat = &attributes_[i];
        if (first_repeat != nullptr)
            fail("Duplicate attribute " + excerpt(first_repeat->name), first_repeat->offset);
    }

    struct Attribute {
        std::string_view name;
        std::size_t offset;
        bool operator<(const Attribute& o) const {
            return name != o.name ? name < o.name : offset < o.offset;
        }
    };

    std::string_view t_;
    std::size_t pos_ = 0;
    std::size_t depth_ = 0;
    bool root_seen_ = false;
    std::vector<Attribute> attributes_;  // of the start tag being read
};

}  // namespace

std::optional<Failure> check_well_formed(std::string_view utf8) {
    try {
        Checker(utf8).run();
    } catch (const Refusal& refusal) {
        return refusal.failure;
    }
    return std::nullopt;
}

}  // namespace importfile::xml
