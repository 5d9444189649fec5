#pragma once
// The collation the database compares text with, as the server's default collation
// behaves: case ignored, accents counted, trailing blanks ignored, leading blanks counted.
// Built on ICU's root collation at secondary strength, so letters of every script fold;
// LIKE, REPLACE, UPPER and LOWER here match and map characters the same way.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ado {

// Negative, zero or positive as `a` sorts before, with or after `b`. A strict weak order on
// every byte string (an index may rely on it): malformed UTF-8 reads as U+FFFD. Texts of
// printable ASCII take a shortcut that gives ICU's answer without calling it.
int collate_compare(std::string_view a, std::string_view b);

// A key that texts equal under the collation share, and that texts which differ almost
// never share: lets equal values be looked up in a hash table instead of compared one by
// one. (ICU's sort key of the text without its trailing blanks; the bytes themselves when
// ICU is missing, as the comparison then falls back on bytes.)
std::string collation_key(std::string_view text);

// The same order always computed by ICU, shortcut left out.
int collate_compare_icu(std::string_view a, std::string_view b);

// The printable ASCII characters the shortcut covers (all 95 with ICU's root order); a text
// holding any other byte is compared by ICU.
std::string collation_shortcut_characters();

// The version of the order ("icu-" and ICU's collator version, e.g. "icu-153.120"): an
// index sorted under one version is out of order under another, so a database should be
// reindexed (REINDEX CI_RTRIM) when the version it was last indexed with differs.
std::string collation_version();

// Throws ado::Error when ICU cannot give the collation (its data is missing), so that a
// connection fails when it opens rather than in the middle of a comparison.
void require_collation();

// One character against another under the collation; a blank is a character here.
int collate_chars(char32_t a, char32_t b);

// The character of UTF-8 text at s[i], moving i past it; a malformed sequence reads as
// U+FFFD, one per maximal ill-formed part.
char32_t next_char(std::string_view s, std::size_t& i);

// A LIKE pattern, compiled once and matched against many texts. One pattern character
// matches one character of the text (a code point) under the collation.
class LikePattern {
  public:
    // A pattern of the server's syntax: % any run, _ any character, [abc], [a-f] and [^...]
    // sets, [%] [_] [[] as literals, and `escape` making the next character literal.
    // A pattern ending in a lone escape character is valid but matches nothing, as on the
    // server; so does a [ left open.
    static LikePattern parse(std::string_view pattern, std::optional<char32_t> escape = std::nullopt);

    // Literal text, with any run of characters allowed before and/or after it (the
    // record-set filter's patterns, whose only wildcards sit at the ends).
    static LikePattern literal(std::string_view text, bool any_before, bool any_after);

    // Blanks at the end of `text` are ignored as the pattern needs (the server's rule for
    // LIKE on char and varchar); blanks in the pattern count.
    bool matches(std::string_view text) const;

  private:
    enum class Kind : unsigned char { Char, One, Any, Set, NotSet };
    struct Element {
        Kind kind;
        char32_t c;         // Char: the character
        std::size_t first;  // Set, NotSet: first range in ranges_
        std::size_t count;  // Set, NotSet: number of ranges
    };
    struct Range {
        char32_t low;
        char32_t high;
    };

    void add(Kind kind, char32_t c = 0);
    bool element_matches(const Element& e, char32_t c) const;
    bool in_set(const Element& e, char32_t c) const;
    std::size_t parse_set(std::string_view p, std::size_t i, std::optional<char32_t> escape);

    std::vector<Element> elements_;
    std::vector<Range> ranges_;
    bool never_ = false;
};

// `pattern` LIKE: true when `text` matches (see LikePattern).
bool like_match(std::string_view pattern, std::string_view text,
                std::optional<char32_t> escape = std::nullopt);

// Every occurrence of `from` in `s`, left to right and not overlapping, matched character by
// character under the collation, replaced by `to`. An empty `from` leaves `s` as it is.
std::string collate_replace(std::string_view s, std::string_view from, std::string_view to);

// Upper and lower case by ICU's full case mapping (root locale); malformed bytes are kept.
std::string upper_text(std::string_view s);
std::string lower_text(std::string_view s);

}  // namespace ado
