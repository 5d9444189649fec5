#pragma once
// Names of parameterised cases from their descriptions, so that each case reads in the
// test list as what it covers: "a folder, not a file" becomes AFolderNotAFile.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <string_view>

namespace scripted {

inline std::string case_name(std::string_view text) {
    std::string name;
    bool word_start = true;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (!std::isalnum(c)) {
            word_start = true;
            continue;
        }
        name += word_start ? static_cast<char>(std::toupper(c)) : ch;
        word_start = false;
    }
    return name.empty() ? "Unnamed" : name;
}

// For INSTANTIATE_TEST_SUITE_P: each case named after its `name` member.
struct ByName {
    template <typename Case>
    std::string operator()(const ::testing::TestParamInfo<Case>& info) const {
        return case_name(info.param.name);
    }
};

}  // namespace scripted
