#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ado/types.h"
#include "ado/variant.h"

namespace {

int sign(int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

struct CollateCase {
    const char* a;
    const char* b;
    int expected;
};

TEST(Collation, CaseAndTrailingBlanksIgnored) {
    const std::vector<CollateCase> cases = {
        {"ab", "AB", 0},
        {"ab ", "AB", 0},
        {"AB  ", "ab", 0},
        {"", "   ", 0},
        {"", "", 0},
        {"\xC3\xA0", "\xC3\x80", 0},              // à À
        {"perch\xC3\xA9", "PERCH\xC3\x89 ", 0},   // perché PERCHÉ
        {"\xC3\xB9\xC3\xA8\xC3\xAC\xC3\xB2", "\xC3\x99\xC3\x88\xC3\x8C\xC3\x92", 0},  // ùèìò ÙÈÌÒ
        {"a", "b", -1},
        {"B", "a", 1},
        {"abc", "abd", -1},
        {"ab", "abc", -1},
        {" ab", "ab", -1},                        // leading blanks count
        {"a\t", "a", -1},                         // the shorter text is padded with blanks
        {"a!", "a", 1},
        {"a b", "ab", -1},
        {"e", "\xC3\xA9", -1},                    // accents are not ignored: code point order
        {"z", "\xC3\xA0", -1},
        {"\xC3\x97", "\xC3\xB7", -1},             // × and ÷ are not letters
        {"_", "a", -1},
        {"\xE2\x82\xAC", "\xC3\xBF", 1},          // € after ÿ
        {"\xF0\x9F\x98\x80", "\xE2\x82\xAC", 1},  // 4-byte after 3-byte
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("'") + c.a + "' vs '" + c.b + "'");
        EXPECT_EQ(sign(ado::collate_compare(c.a, c.b)), c.expected);
        EXPECT_EQ(sign(ado::collate_compare(c.b, c.a)), -c.expected);
    }
}

TEST(Collation, IsATotalOrderForSorting) {
    // Sorting must be consistent (transitive) for the database to index with it.
    std::vector<std::string> words = {"b", "A", "a ", "\xC3\x80", "ab", "a\t", "", " ", "AB", "\xC3\xA0x",
                                      "a!", "\xFF", "\xC3", "Z", "z ", "\xC3\xA9", "e"};
    std::sort(words.begin(), words.end(),
              [](const std::string& x, const std::string& y) { return ado::collate_compare(x, y) < 0; });
    for (std::size_t i = 0; i < words.size(); ++i)
        for (std::size_t j = i + 1; j < words.size(); ++j) {
            SCOPED_TRACE(words[i] + " / " + words[j]);
            EXPECT_LE(ado::collate_compare(words[i], words[j]), 0);
        }
}

TEST(Utf8, LengthAndLeftCountCharacters) {
    const std::string text = "a\xC3\xA0\xE2\x82\xAC\xF0\x9F\x98\x80z";  // a à € 😀 z
    EXPECT_EQ(ado::utf8_length(text), 5U);
    EXPECT_EQ(ado::utf8_length(""), 0U);
    const std::vector<std::pair<std::size_t, std::string>> cuts = {
        {0, ""},
        {1, "a"},
        {2, "a\xC3\xA0"},
        {3, "a\xC3\xA0\xE2\x82\xAC"},
        {4, "a\xC3\xA0\xE2\x82\xAC\xF0\x9F\x98\x80"},
        {5, text},
        {50, text},
    };
    for (const auto& [n, expected] : cuts) {
        SCOPED_TRACE(n);
        EXPECT_EQ(ado::utf8_left(text, n), expected);
        EXPECT_EQ(ado::utf8_length(ado::utf8_left(text, n)), std::min<std::size_t>(n, 5));
    }
}

TEST(Trim, RemovesSpacesOnly) {
    struct Case {
        const char* in;
        const char* l;
        const char* r;
        const char* both;
    };
    const std::vector<Case> cases = {
        {"  ab  ", "ab  ", "  ab", "ab"},
        {"\tab\t", "\tab\t", "\tab\t", "\tab\t"},
        {"    ", "", "", ""},
        {"", "", "", ""},
        {" a b ", "a b ", " a b", "a b"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("'") + c.in + "'");
        EXPECT_EQ(ado::ltrim(c.in), c.l);
        EXPECT_EQ(ado::rtrim(c.in), c.r);
        EXPECT_EQ(ado::trim(c.in), c.both);
    }
}

TEST(FieldTypes, Families) {
    for (int t = 0; t < 260; ++t) {
        SCOPED_TRACE(t);
        const bool text = t == 129 || t == 130 || (t >= 200 && t <= 203);
        const bool number = t == 2 || t == 3 || t == 4 || t == 5 || t == 6 || t == 14 || t == 16 || t == 20 || t == 131;
        EXPECT_EQ(ado::is_text_type(t), text);
        EXPECT_EQ(ado::is_fixed_text_type(t), t == 129 || t == 130);
        EXPECT_EQ(ado::is_numeric_type(t), number);
        EXPECT_EQ(ado::is_date_type(t), t == 7 || t == 135);
    }
}

}  // namespace
