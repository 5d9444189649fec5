#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ado/types.h"
#include "ado/variant.h"

namespace {

int sign(int v) {
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

TEST(Collation, CaseAndTrailingBlanksIgnoredAccentsCount) {
    struct Case {
        const char* a;
        const char* b;
        int expected;
    };
    const std::vector<Case> cases = {
        {"ab", "AB", 0},
        {"ab ", "AB", 0},
        {"AB  ", "ab", 0},
        {"", "   ", 0},
        {"", "", 0},
        {"\xC3\xA0", "\xC3\x80", 0},                                                  // à À
        {"perch\xC3\xA9", "PERCH\xC3\x89 ", 0},                                       // perché PERCHÉ
        {"\xC3\xB9\xC3\xA8\xC3\xAC\xC3\xB2", "\xC3\x99\xC3\x88\xC3\x8C\xC3\x92", 0},  // ùèìò ÙÈÌÒ
        {"a", "b", -1},
        {"B", "a", 1},
        {"abc", "abd", -1},
        {"ab", "abc", -1},
        {" ab", "ab", -1},
        {"a b", "ab", -1},
        {"a\t", "a", 1},  // a tab is no blank: it stays and sorts after the end of the text
        {"a!", "a", 1},   // blanks at the end dropped, a longer text sorts after its start
        {"e", "\xC3\xA9", -1},
        {"z", "\xC3\xA0", 1},         // à sorts with a
        {"\xC3\x97", "\xC3\xB7", 1},  // accents count; × ÷ no letters (ICU's symbol order)
        {"_", "a", -1},
        {"\xE2\x82\xAC", "\xC3\xBF", -1},           // € (a symbol) before the letter ÿ
        {"\xF0\x9F\x98\x80", "\xE2\x82\xAC", -1}};  // 😀 before €: ICU's symbol order
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("'") + c.a + "' vs '" + c.b + "'");
        EXPECT_EQ(sign(ado::collate_compare(c.a, c.b)), c.expected);
        EXPECT_EQ(sign(ado::collate_compare(c.b, c.a)), -c.expected);
    }
}

TEST(Collation, IsATotalOrderForSorting) {
    // The database indexes with it, so sorting must be consistent, malformed UTF-8 included.
    std::vector<std::string> words = {"b",    "A", "a ", "\xC3\x80",  "ab", "a\t",
                                      "",     " ", "AB", "\xC3\xA0x", "a!", "\xFF",
                                      "\xC3", "Z", "z ", "\xC3\xA9",  "e"};
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
    const std::vector<std::pair<std::size_t, std::string>> cuts = {
        {0, ""},
        {1, "a"},
        {2, "a\xC3\xA0"},
        {3, "a\xC3\xA0\xE2\x82\xAC"},
        {4, "a\xC3\xA0\xE2\x82\xAC\xF0\x9F\x98\x80"},
        {5, text},
        {50, text}};
    for (const auto& [n, expected] : cuts) {
        SCOPED_TRACE(n);
        EXPECT_EQ(ado::utf8_left(text, n), expected);
        EXPECT_EQ(ado::utf8_length(ado::utf8_left(text, n)), std::min<std::size_t>(n, 5));
    }
}

TEST(Trim, RemovesSpacesOnly) {
    struct Case {
        const char *in, *l, *r, *both;
    };
    const std::vector<Case> cases = {{"  ab  ", "ab  ", "  ab", "ab"},
                                     {"\tab\t", "\tab\t", "\tab\t", "\tab\t"},
                                     {"    ", "", "", ""},
                                     {"", "", "", ""},
                                     {" a b ", "a b ", " a b", "a b"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("'") + c.in + "'");
        EXPECT_EQ(ado::ltrim(c.in), c.l);
        EXPECT_EQ(ado::rtrim(c.in), c.r);
        EXPECT_EQ(ado::trim(c.in), c.both);
    }
}

TEST(FieldTypes, BooleanIsNotANumberAndTimestampIsADate) {
    EXPECT_FALSE(ado::is_numeric_type(ado::adBoolean));
    EXPECT_TRUE(ado::is_numeric_type(ado::adNumeric) && ado::is_numeric_type(ado::adSmallInt));
    EXPECT_TRUE(ado::is_date_type(ado::adDBTimeStamp) && ado::is_date_type(ado::adDate));
    EXPECT_TRUE(ado::is_text_type(ado::adLongVarWChar) && !ado::is_text_type(ado::adVarBinary));
    EXPECT_TRUE(ado::is_fixed_text_type(ado::adWChar) && !ado::is_fixed_text_type(ado::adVarWChar));
}

}  // namespace
