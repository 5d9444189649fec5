#pragma once
// Tables of files for the reader's tests: the bytes of each file are built here, so that
// every case shows exactly what the file holds.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>

#include "importfile/import_document.h"

namespace xml_cases {

// The header line a value is put in: line 2 of the file, the value from column 28.
constexpr long kValueLine = 2;
constexpr long kValueColumn = 28;
constexpr std::string_view kBefore = "<MovimentiCoGe>\n<Impostazioni><IE40_UTENTE>";
constexpr std::string_view kAfter = "</IE40_UTENTE></Impostazioni>\n</MovimentiCoGe>\n";

// A file whose user name (IE40_UTENTE) is `value`, after `declaration` if any.
inline std::string with_user(std::string_view value, std::string_view declaration = "") {
    std::string file(declaration);
    if (!file.empty()) file += '\n';
    return file.append(kBefore).append(value).append(kAfter);
}

// Byte offset of the value in with_user(value) with no declaration.
constexpr std::size_t kValueOffset = kBefore.size();

// A file the reader refuses: the reason names what is wrong, at that line and column.
struct Refused {
    std::string name;
    std::string bytes;
    std::string reason;  // a part of the reason
    long line = 0;
    long column = 0;
};

// "0x81": a byte as reasons name it.
inline std::string hex(unsigned char b) {
    const char* digits = "0123456789ABCDEF";
    return std::string("0x") + digits[b >> 4] + digits[b & 0xF];
}

inline void PrintTo(const Refused& c, std::ostream* os) {
    *os << c.name;
}

inline std::string case_name(const testing::TestParamInfo<Refused>& info) {
    return info.param.name;
}

inline void expect_refused(const Refused& c) {
    importfile::LoadError e;
    EXPECT_EQ(importfile::ImportDocument::parse(c.bytes, e), nullptr);
    EXPECT_NE(e.reason.find(c.reason), std::string::npos) << e.reason;
    const std::string place =
        "(line " + std::to_string(c.line) + ", column " + std::to_string(c.column) + ")";
    EXPECT_NE(e.reason.find(place), std::string::npos) << e.reason;
    EXPECT_EQ(e.line, c.line) << e.reason;
    EXPECT_EQ(e.column, c.column) << e.reason;
}

// The user name of a file the reader must accept.
inline std::string user_of(const std::string& bytes) {
    importfile::LoadError e;
    const auto document = importfile::ImportDocument::parse(bytes, e);
    if (!document) {
        ADD_FAILURE() << "refused: " << e.reason;
        return {};
    }
    return document->settings().text_or_empty("IE40_UTENTE");
}

}  // namespace xml_cases
