// The encoding of the member's file as the import window sees it: a file written in a
// single-byte code page shows its company's name and address as they are, and a file whose
// fiscal code holds a reference to character 0 is refused before it is matched to a member.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "import_window_fixture.h"

namespace {

using module_test::import_xml;
using module_test::write_text;

// `text` with its one occurrence of `from` replaced by `to`.
std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const auto at = text.find(from);
    if (at == std::string::npos || text.find(from, at + 1) != std::string::npos)
        throw std::logic_error("not found exactly once: " + from);
    return text.replace(at, from.size(), to);
}

struct EncodedFile {
    std::string name;
    std::string encoding;
    std::string company_name;  // bytes in the file
    std::string address;
};

void PrintTo(const EncodedFile& c, std::ostream* os) {
    *os << c.name;
}

// What the window must show, whatever the file's encoding.
const std::string kCompanyName = "Societ\xC3\xA0 Perch\xC3\xA8 Pi\xC3\xB9 \xE2\x82\xAC S.r.l.";
const std::string kAddress = "Via Cant\xC3\xB9 1, Forl\xC3\xAC";

class ImportWindowEncodingTest : public module_test::ImportWindowFixture,
                                 public testing::WithParamInterface<EncodedFile> {};

TEST_P(ImportWindowEncodingTest, TheCompanyNameAndAddressAreShownAsUtf8) {
    const EncodedFile& c = GetParam();
    std::string xml = replaced(import_xml({}), "encoding=\"UTF-8\"", "encoding=\"" + c.encoding + "\"");
    xml = replaced(xml, "Membro Uno S.r.l.", c.company_name);
    xml = replaced(xml, "Via Roma 1", c.address);
    auto& w = open();
    const auto mark = host.calls->size();

    EXPECT_FALSE(choose(w, write_text(dir / "member.xml", xml)));

    EXPECT_EQ(messages_since(mark), Texts{});
    EXPECT_EQ(w.TXT_RAGSOCEXP.text, kCompanyName);
    EXPECT_EQ(w.TXT_INDEXP.text, kAddress);
    EXPECT_EQ(w.TXT_CODANAIMP.text, "900");
    EXPECT_TRUE(w.CMD_IMPORTA.enabled);
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, ImportWindowEncodingTest,
    testing::Values(EncodedFile{"Windows1252", "windows-1252", "Societ\xE0 Perch\xE8 Pi\xF9 \x80 S.r.l.",
                                "Via Cant\xF9 1, Forl\xEC"},
                    EncodedFile{"Latin9", "ISO-8859-15", "Societ\xE0 Perch\xE8 Pi\xF9 \xA4 S.r.l.",
                                "Via Cant\xF9 1, Forl\xEC"},
                    EncodedFile{"Utf8", "UTF-8", kCompanyName, kAddress}),
    [](const testing::TestParamInfo<EncodedFile>& param) { return param.param.name; });

class ImportWindowNulReferenceTest : public module_test::ImportWindowFixture {};

TEST_F(ImportWindowNulReferenceTest, AFiscalCodeCutByANulReferenceIsRefusedNotMatched) {
    // Read leniently, the code would end at &#0; and be the member's own.
    const std::string fiscal_code = std::string(kMemberFiscalCode) + "&#0;junk";
    const std::string xml = import_xml({.fiscal_code = fiscal_code});
    const auto reference = xml.find("&#0;");
    const auto line = 1 + std::count(xml.begin(), xml.begin() + static_cast<long>(reference), '\n');
    const auto column = reference - xml.rfind('\n', reference);
    auto& w = open();
    const auto counts = table_counts();
    const auto mark = host.calls->size();

    EXPECT_TRUE(choose(w, write_text(dir / "member.xml", xml)));

    const Texts shown = messages_since(mark);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].rfind("102,3,Errore in lettura file xml.\n", 0), 0u) << shown[0];
    const std::string reason = "Character reference &#0; (U+0000) is not allowed in XML (line " +
                               std::to_string(line) + ", column " + std::to_string(column) + ")";
    EXPECT_NE(shown[0].find(reason), std::string::npos) << shown[0];
    EXPECT_EQ(w.import_state().document, nullptr);
    EXPECT_EQ(w.import_state().group_structure, nullptr);
    EXPECT_EQ(w.TXT_CFISCEXP.text, "");
    EXPECT_EQ(w.TXT_CODANAIMP.text, "");
    EXPECT_FALSE(w.CMD_IMPORTA.enabled);
    EXPECT_TRUE(errors_shown().empty());
    EXPECT_EQ(table_counts(), counts);
}

}  // namespace
