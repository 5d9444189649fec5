// An error met converting a value of the import file names the element and the text it
// came from, and keeps its number and source for the trap that reports it.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "../support/case_name.h"
#include "ado/datetime.h"
#include "ado/variant.h"
#include "importfile/file_value.h"

namespace {

using importfile::FileValue;

struct DescribeCase {
    const char* name;
    FileValue value;
    std::string described;
};

class DescribeFileValue : public ::testing::TestWithParam<DescribeCase> {};

TEST_P(DescribeFileValue, NamesTheElementAndItsText) {
    EXPECT_EQ(importfile::describe(GetParam().value), GetParam().described);
}

const std::string k40 = "0123456789012345678901234567890123456789";

INSTANTIATE_TEST_SUITE_P(
    Values, DescribeFileValue,
    ::testing::Values(
        DescribeCase{"a date that does not exist", {"IE40_ADATA", "31/02/2020"}, "IE40_ADATA '31/02/2020'"},
        DescribeCase{"a missing element", {"IE40_ADATA", std::nullopt}, "IE40_ADATA (missing)"},
        DescribeCase{"an empty element", {"IE40_ADATA", ""}, "IE40_ADATA ''"},
        DescribeCase{"blanks kept", {"IE40_ADATA", " 1/1/2020 "}, "IE40_ADATA ' 1/1/2020 '"},
        DescribeCase{"line breaks on one line", {"IE40_ADATA", "31/12\r\n2020"}, "IE40_ADATA '31/12  2020'"},
        DescribeCase{"forty characters whole", {"X", k40}, "X '" + k40 + "'"},
        DescribeCase{"a longer text cut", {"X", k40 + "tail"}, "X '" + k40 + "...'"},
        // 39 letters and two accented ones: cut after the first accented letter, never inside it.
        DescribeCase{"cut between characters",
                     {"X", k40.substr(1) + "\xC3\xA8\xC3\xA0"},
                     "X '" + k40.substr(1) + "\xC3\xA8...'"}),
    scripted::ByName());

TEST(FileValueError, KeepsTheNumberAndSourceAndPrefixesTheValue) {
    const ado::Error cause(ado::kErrTypeMismatch, "Type mismatch", "ledgerintake.ado");
    const ado::Error told = importfile::value_error({"IE40_ADATA", "31/02/2020"}, cause);
    EXPECT_EQ(told.number(), ado::kErrTypeMismatch);
    EXPECT_EQ(told.source(), "ledgerintake.ado");
    EXPECT_EQ(told.description(), "IE40_ADATA '31/02/2020': Type mismatch");
}

// The import year is read from the date box the header fills; when the header could not
// fill it, the conversion's error is told with the file's element and text.
TEST(FileValueError, AConversionOfAnUnshownValueIsToldWithIt) {
    const std::vector<FileValue> unshown = {{"IE40_DADATA", "1/1/2020"}, {"IE40_ADATA", "abc"}};
    const auto year_of = [](const std::string& box) { return ado::Variant(box).to_date().year(); };
    try {
        importfile::converting(unshown, "IE40_ADATA", [&] { return year_of(""); });
        FAIL() << "an empty date box converted";
    } catch (const ado::Error& e) {
        EXPECT_EQ(e.number(), ado::kErrTypeMismatch);
        EXPECT_EQ(e.description(), "IE40_ADATA 'abc': Type mismatch");
    }
    // A value the header showed is converted as it is; an element not among the unshown
    // ones lets the error through unchanged.
    EXPECT_EQ(importfile::converting(unshown, "IE40_ADATA", [&] { return year_of("31/12/2024"); }), 2024);
    try {
        importfile::converting(unshown, "IE40_DATAORA", [&] { return year_of(""); });
        FAIL() << "an empty date box converted";
    } catch (const ado::Error& e) {
        EXPECT_EQ(e.description(), "Type mismatch");
    }
}

}  // namespace
