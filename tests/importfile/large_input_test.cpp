// Inputs built at a size no test file holds: nesting deeper than any stack would take by
// recursion, a tag with very many attributes, a very long reference.
#include <gtest/gtest.h>

#include <string>

#include "xml_cases.h"

namespace {

using xml_cases::kValueColumn;
using xml_cases::kValueLine;
using xml_cases::with_user;

constexpr std::size_t kDepth = 1'000'000;

std::string repeated(std::string_view piece, std::size_t times) {
    std::string out;
    out.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i) out += piece;
    return out;
}

TEST(LargeInput, AMillionNestedElementsInAHeaderFieldAreRead) {
    const std::string value = "x" + repeated("<a>", kDepth) + "y" + repeated("</a>", kDepth) + "z";
    EXPECT_EQ(xml_cases::user_of(with_user(value)), "xyz");
}

TEST(LargeInput, AMillionNestedElementsLeftOpenAreRefusedWhereTheFirstWrongEndTagIs) {
    const long column = kValueColumn + static_cast<long>(3 * kDepth) + 2;
    xml_cases::expect_refused(
        {"", with_user(repeated("<a>", kDepth)), "Start-end tags mismatch", kValueLine, column});
}

TEST(LargeInput, ADuplicateAmongAHundredThousandAttributesIsFound) {
    std::string tag = "<MovimentiCoGe";
    for (int i = 0; i < 100'000; ++i) tag += " a" + std::to_string(i) + "='1'";
    const long column = static_cast<long>(tag.size()) + 2;
    tag += " a5='2'/>";
    xml_cases::expect_refused({"", tag, "Duplicate attribute a5", 1, column});
}

TEST(LargeInput, AMillionDigitReferenceIsRefusedWithAShortReason) {
    const std::string value = "&#" + repeated("9", kDepth) + ";";
    importfile::LoadError e;
    EXPECT_EQ(importfile::ImportDocument::parse(with_user(value), e), nullptr);
    EXPECT_NE(e.reason.find("is beyond U+10FFFF"), std::string::npos) << e.reason.substr(0, 200);
    EXPECT_LT(e.reason.size(), 120u);
    EXPECT_EQ(e.column, kValueColumn);
}

}  // namespace
