// The database collation: case ignored beyond Latin-1, accents counted, trailing blanks
// ignored; a strict weak order on any bytes; the ASCII shortcut gives ICU's answer; LIKE,
// REPLACE, UPPER and LOWER agree with it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "../support/case_name.h"
#include "ado/core/collation.h"

namespace {

int sign(int v) {
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

struct OrderCase {
    const char* name;
    const char* a;
    const char* b;
    int expected;  // sign of collate_compare(a, b)
};

void PrintTo(const OrderCase& c, std::ostream* os) {
    *os << "'" << c.a << "' / '" << c.b << "'";
}

class CollationOrder : public ::testing::TestWithParam<OrderCase> {};

TEST_P(CollationOrder, BothWaysAndThroughIcuAlike) {
    const OrderCase& c = GetParam();
    EXPECT_EQ(sign(ado::collate_compare(c.a, c.b)), c.expected);
    EXPECT_EQ(sign(ado::collate_compare(c.b, c.a)), -c.expected);
    EXPECT_EQ(sign(ado::collate_compare_icu(c.a, c.b)), c.expected);
}

const OrderCase kOrderCases[] = {
    {"a word before a longer word it starts", "Citt\xC3\xA0", "Cittadella", -1},
    {"e before e acute", "e", "\xC3\xA9", -1},
    {"e acute before f", "\xC3\xA9", "f", -1},
    {"accented capital after its base letter", "\xC3\x80", "a", 1},
    {"z after a grave", "z", "\xC3\xA0", 1},
    {"accents count", "citta", "citt\xC3\xA0", -1},
    {"Latin-1 capitals fold", "PERCH\xC3\x89", "perch\xC3\xA9", 0},
    {"Polish letters fold",
     "\xC5\x81\xC3\x93"
     "D\xC5\xB9",
     "\xC5\x82\xC3\xB3"
     "d\xC5\xBA",
     0},
    {"Cyrillic folds", "\xD0\x9C\xD0\x9E\xD0\xA1\xD0\x9A\xD0\x92\xD0\x90",
     "\xD0\xBC\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0", 0},
    {"Greek folds with final sigma", "\xCE\xA3\xCE\x8A\xCE\xA3\xCE\xA5\xCE\xA6\xCE\x9F\xCE\xA3",
     "\xCF\x83\xCE\xAF\xCF\x83\xCF\x85\xCF\x86\xCE\xBF\xCF\x82", 0},
    {"sharp s sorts after ss", "STRASSE",
     "stra\xC3\x9F"
     "e",
     -1},
    {"decomposed accent equals composed", "e\xCC\x81", "\xC3\xA9", 0},
    {"trailing blanks ignored", "ab  ", "AB", 0},
    {"empty equals blanks", "", "   ", 0},
    {"leading blank counts", " ab", "ab", -1},
    {"inner blank counts", "a b", "ab", -1},
    {"blank before punctuation", "a ", "a!", -1},
    {"tab is not a blank", "a\t", "a", 1},
    {"punctuation before digits", "a-", "a0", -1},
    {"digits before letters", "9", "a", -1},
    {"hyphen counts", "co-op", "coop", -1},
    {"control characters are ignored", "a\x01", "a", 0},
    {"malformed bytes read as replacement character", "\xFF", "\xEF\xBF\xBD", 0},
    {"two malformed bytes alike", "x\xFE", "X\xFF", 0},
    {"currency sign before letters", "\xE2\x82\xAC", "\xC3\xBF", -1},
};

INSTANTIATE_TEST_SUITE_P(Words, CollationOrder, ::testing::ValuesIn(kOrderCases), scripted::ByName());

// Sorting and indexes need a strict weak order: irreflexive, transitive, with transitive
// equivalence, over texts of every kind; lookups by key need texts to share a key exactly
// when they are equal.
TEST(CollationOrder, IsAStrictWeakOrderWithOneKeyPerEqualText) {
    const std::vector<std::string> words = {"",
                                            " ",
                                            "a",
                                            "A ",
                                            "a\t",
                                            "a\x01",
                                            "ab",
                                            "a b",
                                            " ab",
                                            "aB",
                                            "b",
                                            "\xC3\xA0",
                                            "\xC3\x80",
                                            "a\xCC\x80",
                                            "Citt\xC3\xA0",
                                            "Cittadella",
                                            "citta",
                                            "e",
                                            "\xC3\xA9",
                                            "f",
                                            "\xFF",
                                            "\xC3",
                                            "\xEF\xBF\xBD",
                                            "ss",
                                            "\xC3\x9F",
                                            "SS",
                                            "\xC5\x81",
                                            "\xC5\x82",
                                            "l",
                                            "-",
                                            "_",
                                            "0",
                                            "9",
                                            "\xE2\x82\xAC",
                                            "z ",
                                            "Z",
                                            "\xF0\x9F\x98\x80",
                                            "a-b",
                                            "ab-",
                                            "\x7F",
                                            "a\xE2\x80\x8B",
                                            "\xE2\x80\x8B",
                                            "~"};
    const std::size_t n = words.size();
    for (std::size_t i = 0; i < n; ++i) {
        EXPECT_EQ(ado::collate_compare(words[i], words[i]), 0) << i;
        for (std::size_t j = 0; j < n; ++j) {
            const int ij = sign(ado::collate_compare(words[i], words[j]));
            ASSERT_EQ(ij, -sign(ado::collate_compare(words[j], words[i]))) << i << " " << j;
            ASSERT_EQ(ij == 0, ado::collation_key(words[i]) == ado::collation_key(words[j])) << i << " " << j;
            for (std::size_t k = 0; k < n; ++k) {
                const int jk = sign(ado::collate_compare(words[j], words[k]));
                const int ik = sign(ado::collate_compare(words[i], words[k]));
                if (ij <= 0 && jk <= 0) {
                    ASSERT_LE(ik, 0) << i << " " << j << " " << k;
                }
                if (ij == 0 && jk == 0) {
                    ASSERT_EQ(ik, 0) << i << " " << j << " " << k;
                }
            }
        }
    }
}

TEST(CollationShortcut, CoversEveryPrintableAsciiCharacter) {
    std::string all;
    for (char c = 0x20; c <= 0x7E; ++c) all.push_back(c);
    EXPECT_EQ(ado::collation_shortcut_characters(), all);
}

TEST(CollationShortcut, AgreesWithIcuOnEveryPairOfCharacters) {
    for (char x = 0x20; x <= 0x7E; ++x)
        for (char y = 0x20; y <= 0x7E; ++y) {
            const std::string a(1, x);
            const std::string b(1, y);
            ASSERT_EQ(sign(ado::collate_compare(a + "a", b + "a")),
                      sign(ado::collate_compare_icu(a + "a", b + "a")))
                << a << " / " << b;
            ASSERT_EQ(sign(ado::collate_chars(static_cast<char32_t>(x), static_cast<char32_t>(y))),
                      sign(ado::collate_compare_icu(a + "a", b + "a")))
                << a << " / " << b;
        }
}

// Random printable texts, many of them near each other (a shared start, one change, case
// flipped, blanks added), compared by the shortcut and by ICU.
TEST(CollationShortcut, AgreesWithIcuOnRandomAsciiTexts) {
    std::mt19937 random(20240611);
    const std::string alphabet = "  aAbBzZeE09-_'.,;:!?\"()[]{}@*/\\&#%`^+<=>|~$";
    auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };
    auto any_printable = [&] { return static_cast<char>(0x20 + pick(95)); };
    auto text = [&] {
        std::string s;
        const std::size_t len = pick(9);
        for (std::size_t i = 0; i < len; ++i)
            s.push_back(pick(3) == 0 ? any_printable() : alphabet[pick(alphabet.size())]);
        return s;
    };
    int equal = 0;
    for (int round = 0; round < 20000; ++round) {
        const std::string a = text();
        std::string b;
        switch (pick(4)) {
            case 0:
                b = text();
                break;
            case 1:
                b = a;
                if (!b.empty()) b[pick(b.size())] = any_printable();
                break;
            case 2:
                b = a;
                for (auto& c : b)
                    if (pick(2) == 0)
                        c = static_cast<char>(std::islower(static_cast<unsigned char>(c)) ? std::toupper(c)
                                                                                          : std::tolower(c));
                break;
            default:
                b = std::string(pick(2), ' ') + a + std::string(pick(3), ' ');
                break;
        }
        const int fast = sign(ado::collate_compare(a, b));
        ASSERT_EQ(fast, sign(ado::collate_compare_icu(a, b))) << "'" << a << "' / '" << b << "'";
        equal += fast == 0;
    }
    EXPECT_GT(equal, 1000);  // the equal answers were tried too, not only the easy ones
}

// Connections in several threads share the one collator.
TEST(CollationShortcut, ThreadsGetTheSameAnswers) {
    std::vector<std::pair<std::string, std::string>> pairs;
    std::vector<int> expected;
    std::vector<bool> like;
    const std::vector<std::string> words = {"Citt\xC3\xA0",
                                            "cittadella",
                                            "\xC5\x81\xC3\xB3"
                                            "d\xC5\xBA",
                                            "lodz",
                                            "abc ",
                                            "ABD",
                                            "e\xCC\x81",
                                            "\xC3\xA9"};
    for (const auto& a : words)
        for (const auto& b : words) {
            pairs.emplace_back(a, b);
            expected.push_back(sign(ado::collate_compare(a, b)));
            like.push_back(ado::like_match(a, b));
        }
    std::vector<int> wrong(4, 0);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < wrong.size(); ++t)
        threads.emplace_back([&, t] {
            for (int round = 0; round < 500; ++round)
                for (std::size_t k = 0; k < pairs.size(); ++k)
                    if (sign(ado::collate_compare(pairs[k].first, pairs[k].second)) != expected[k] ||
                        ado::like_match(pairs[k].first, pairs[k].second) != like[k])
                        ++wrong[t];
        });
    for (auto& th : threads) th.join();
    EXPECT_EQ(wrong, std::vector<int>(4, 0));
}

TEST(CollationShortcut, NamesTheVersionOfTheOrder) {
    const std::string v = ado::collation_version();
    EXPECT_EQ(v.rfind("icu-", 0), 0U) << v;
    EXPECT_GT(v.size(), 4U);
}

struct LikeCase {
    const char* name;
    const char* pattern;
    const char* text;
    std::optional<char32_t> escape;
    bool expected;
};

void PrintTo(const LikeCase& c, std::ostream* os) {
    *os << "'" << c.text << "' LIKE '" << c.pattern << "'";
}

class Like : public ::testing::TestWithParam<LikeCase> {};

TEST_P(Like, MatchesAsTheServer) {
    const LikeCase& c = GetParam();
    EXPECT_EQ(ado::like_match(c.pattern, c.text, c.escape), c.expected) << c.pattern << " / " << c.text;
}

const LikeCase kLikeCases[] = {
    {"digit class", "[0-9]%", "5abc", std::nullopt, true},
    {"digit class refuses a letter", "[0-9]%", "abc", std::nullopt, false},
    {"negated class", "[^a]%", "bcd", std::nullopt, true},
    {"negated class ignores case", "[^a]%", "Abc", std::nullopt, false},
    {"listed set", "[xyz]1", "Y1", std::nullopt, true},
    {"range under the collation takes an accented letter", "[a-c]", "\xC3\xA1", std::nullopt, true},
    {"range takes a capital", "[a-c]", "B", std::nullopt, true},
    {"range refuses what sorts after it", "[a-c]", "d", std::nullopt, false},
    {"reversed range matches nothing", "[c-a]", "b", std::nullopt, false},
    {"hyphen first is literal", "[-a]", "-", std::nullopt, true},
    {"hyphen last is literal", "[a-]", "-", std::nullopt, true},
    {"percent in brackets is literal", "a[%]b", "a%b", std::nullopt, true},
    {"percent in brackets is not a wildcard", "a[%]b", "axb", std::nullopt, false},
    {"underscore in brackets is literal", "a[_]b", "axb", std::nullopt, false},
    {"open bracket in brackets is literal", "[[]x", "[x", std::nullopt, true},
    {"bracket never closed matches nothing", "[ab", "[ab", std::nullopt, false},
    {"escaped percent", "10!%", "10%", U'!', true},
    {"escaped percent is not a wildcard", "10!%", "100", U'!', false},
    {"escaped escape", "a!!b", "a!b", U'!', true},
    {"escape inside brackets", "[!_]x", "_x", U'!', true},
    {"lone escape at the end matches nothing", "ab!", "ab!", U'!', false},
    {"underscore takes one accented letter", "citt_", "citt\xC3\xA0", std::nullopt, true},
    {"underscore takes one character not one byte", "citt__", "citt\xC3\xA0", std::nullopt, false},
    {"case ignored accents counted", "CITTA", "citt\xC3\xA0", std::nullopt, false},
    {"capital accented letter matches small", "citt\xC3\xA0", "CITT\xC3\x80", std::nullopt, true},
    {"Polish letters fold",
     "\xC5\x82\xC3\xB3"
     "d\xC5\xBA",
     "\xC5\x81\xC3\x93"
     "D\xC5\xB9",
     std::nullopt, true},
    {"trailing blanks of the text ignored", "abc", "abc   ", std::nullopt, true},
    {"trailing blank of the pattern counts", "abc ", "abc", std::nullopt, false},
    {"blank for blank", "abc ", "abc ", std::nullopt, true},
    {"more pattern blanks than text blanks", "abc  ", "abc ", std::nullopt, false},
    {"leading blank of the text counts", "abc", " abc", std::nullopt, false},
    {"underscore may take a trailing blank", "ab_", "ab ", std::nullopt, true},
    {"percent takes the empty text", "%", "", std::nullopt, true},
    {"underscore needs a character", "_", "", std::nullopt, false},
    {"empty pattern takes blanks", "", "  ", std::nullopt, true},
    {"empty pattern refuses a letter", "", "a", std::nullopt, false},
    {"runs backtrack", "%b%c", "abxbc", std::nullopt, true},
    {"runs backtrack and fail", "%b%c", "abxbd", std::nullopt, false},
    {"two runs in a row", "a%%b", "ab", std::nullopt, true},
    {"suffix after a run", "%world", "hello WORLD  ", std::nullopt, true},
    {"malformed byte is one character", "a_b",
     "a\xFF"
     "b",
     std::nullopt, true},
};

INSTANTIATE_TEST_SUITE_P(Patterns, Like, ::testing::ValuesIn(kLikeCases), scripted::ByName());

// A plain recursive matcher for %, _ and letters (case ignored), with the trailing-blank rule
// written as "the pattern matches the text less some of its trailing blanks".
bool reference_like(const std::string& p, const std::string& t) {
    auto same = [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    };
    auto whole = [&](auto& self, std::size_t i, std::size_t j, std::size_t end) -> bool {
        if (i == p.size()) return j == end;
        if (p[i] == '%') return self(self, i + 1, j, end) || (j < end && self(self, i, j + 1, end));
        return j < end && (p[i] == '_' || same(p[i], t[j])) && self(self, i + 1, j + 1, end);
    };
    std::size_t end = t.size();
    for (;;) {
        if (whole(whole, 0, 0, end)) return true;
        if (end == 0 || t[end - 1] != ' ') return false;
        --end;
    }
}

TEST(LikeRandom, AgreesWithAPlainMatcherOnRandomPatterns) {
    std::mt19937 random(7);
    auto draw = [&](const std::string& alphabet, std::size_t max_len) {
        std::string s(std::uniform_int_distribution<std::size_t>(0, max_len)(random), ' ');
        for (auto& c : s)
            c = alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(random)];
        return s;
    };
    int matched = 0;
    for (int round = 0; round < 5000; ++round) {
        const std::string pattern = draw("aAb %%__", 6);
        const std::string text = draw("aAbB  ", 8);
        const bool expected = reference_like(pattern, text);
        ASSERT_EQ(ado::like_match(pattern, text), expected) << "'" << text << "' LIKE '" << pattern << "'";
        matched += expected;
    }
    EXPECT_GT(matched, 500);
}

struct LiteralCase {
    const char* name;
    const char* literal;
    bool any_before;
    bool any_after;
    const char* text;
    bool expected;
};

void PrintTo(const LiteralCase& c, std::ostream* os) {
    *os << "'" << c.text << "' against '" << c.literal << "'";
}

class LikeLiteral : public ::testing::TestWithParam<LiteralCase> {};

TEST_P(LikeLiteral, WildcardsOnlyAtTheEnds) {
    const LiteralCase& c = GetParam();
    EXPECT_EQ(ado::LikePattern::literal(c.literal, c.any_before, c.any_after).matches(c.text), c.expected);
}

const LiteralCase kLiteralCases[] = {
    {"contains ignoring case", "ell", true, true, "HELLO", true},
    {"prefix", "he", false, true, "Hello", true},
    {"prefix refuses an inner match", "el", false, true, "Hello", false},
    {"suffix", "LO", true, false, "hello", true},
    {"whole accented word", "citt\xC3\xA0", false, false, "CITT\xC3\x80", true},
    {"whole word refuses the bare letter", "citt\xC3\xA0", false, false, "citta", false},
    {"brackets are plain characters", "a[b", true, false, "xa[b", true},
    {"percent is a plain character", "50%", false, false, "50x", false},
    {"percent matches itself", "50%", false, false, "50%", true},
};

INSTANTIATE_TEST_SUITE_P(Filters, LikeLiteral, ::testing::ValuesIn(kLiteralCases), scripted::ByName());

struct MappingCase {
    const char* name;
    const char* in;
    const char* upper;
    const char* lower;
};

void PrintTo(const MappingCase& c, std::ostream* os) {
    *os << "'" << c.in << "'";
}

class CaseMapping : public ::testing::TestWithParam<MappingCase> {};

TEST_P(CaseMapping, UpperAndLower) {
    const MappingCase& c = GetParam();
    EXPECT_EQ(ado::upper_text(c.in), c.upper);
    EXPECT_EQ(ado::lower_text(c.in), c.lower);
}

const MappingCase kMappingCases[] = {
    {"Italian accents", "citt\xC3\xA0", "CITT\xC3\x80", "citt\xC3\xA0"},
    {"Polish letters",
     "\xC5\x81\xC3\x93"
     "D\xC5\xB9",
     "\xC5\x81\xC3\x93"
     "D\xC5\xB9",
     "\xC5\x82\xC3\xB3"
     "d\xC5\xBA"},
    // One character for one, as the server maps case: no final sigma, sharp s stays.
    {"Greek sigma character by character", "\xCE\xA3\xCE\x9F\xCE\xA3", "\xCE\xA3\xCE\x9F\xCE\xA3",
     "\xCF\x83\xCE\xBF\xCF\x83"},
    {"sharp s keeps its length",
     "stra\xC3\x9F"
     "e",
     "STRA\xC3\x9F"
     "E",
     "stra\xC3\x9F"
     "e"},
    {"ASCII and digits", "Ab1-", "AB1-", "ab1-"},
    {"empty", "", "", ""},
    {"malformed bytes kept",
     "a\xFF"
     "b",
     "A\xFF"
     "B",
     "a\xFF"
     "b"},
};

INSTANTIATE_TEST_SUITE_P(Texts, CaseMapping, ::testing::ValuesIn(kMappingCases), scripted::ByName());

struct ReplaceCase {
    const char* name;
    const char* s;
    const char* from;
    const char* to;
    const char* expected;
};

void PrintTo(const ReplaceCase& c, std::ostream* os) {
    *os << "REPLACE('" << c.s << "', '" << c.from << "', '" << c.to << "')";
}

class Replace : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(Replace, MatchesUnderTheCollation) {
    const ReplaceCase& c = GetParam();
    EXPECT_EQ(ado::collate_replace(c.s, c.from, c.to), c.expected);
}

const ReplaceCase kReplaceCases[] = {
    {"case ignored", "aAbB", "a", "x", "xxbB"},
    {"accented capital", "Citt\xC3\xA0", "\xC3\x80", "a", "Citta"},
    {"accents count", "cAtt\xC3\xA0", "a", "x", "cxtt\xC3\xA0"},
    {"empty from leaves the text", "abc", "", "x", "abc"},
    {"left to right without overlap", "aaa", "aa", "b", "ba"},
    {"longer replacement", "a-b", "-", "--", "a--b"},
    {"beyond Latin-1",
     "\xC5\x81\xC3\x93"
     "D\xC5\xB9",
     "\xC3\xB3"
     "d\xC5\xBA",
     "x", "\xC5\x81x"},
    {"blanks removed", "a b  ", " ", "", "ab"},
    {"nothing found", "abc", "d", "x", "abc"},
    {"malformed bytes kept",
     "a\xFF"
     "b",
     "B", "c",
     "a\xFF"
     "c"},
};

INSTANTIATE_TEST_SUITE_P(Texts, Replace, ::testing::ValuesIn(kReplaceCases), scripted::ByName());

}  // namespace
