// The encodings a member's file is read in: every value arrives as UTF-8, bytes that are no
// character of the file's encoding are refused with their place, other encodings are refused
// by name.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include "../support/temp_dir.h"
#include "importfile/import_document.h"
#include "xml_cases.h"

namespace {

using importfile::ImportDocument;
using importfile::LoadError;
using xml_cases::kValueColumn;
using xml_cases::kValueLine;
using xml_cases::kValueOffset;
using xml_cases::Refused;
using xml_cases::with_user;
using namespace std::string_literals;

const std::string kAccents = "\xC3\xA0\xC3\xA8\xC3\xAC\xC3\xB2\xC3\xB9";  // àèìòù in UTF-8
const std::string kEuro = "\xE2\x82\xAC";

std::string declaring(const std::string& encoding) {
    return "<?xml version=\"1.0\" encoding=\"" + encoding + "\"?>";
}

// A file with `value` in a header field, a company field and (as CDATA) a nested row field.
std::string in_every_place(const std::string& value, const std::string& declaration) {
    return declaration + "\n<MovimentiCoGe><Impostazioni><IE40_UTENTE>" + value +
           "</IE40_UTENTE></Impostazioni>\n<InfoDitta><CG16_RAGSOANAG>" + value +
           "</CG16_RAGSOANAG></InfoDitta>\n<CG44_CLIFOR><Row><CG16_ANAGGEN><CG16_INDIRIZZO><![CDATA[" +
           value + "]]></CG16_INDIRIZZO></CG16_ANAGGEN></Row></CG44_CLIFOR></MovimentiCoGe>\n";
}

// UTF-16 code units of UTF-8 text, as bytes in either order, after a byte order mark.
std::string utf16(const std::string& utf8, bool little_endian, bool bom = true) {
    std::u32string code_points;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (std::size_t k = 1; k < length; ++k)
            c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        code_points += c;
        i += length;
    }
    std::string out;
    const auto unit = [&](char32_t u) {
        const char high = static_cast<char>(u >> 8), low = static_cast<char>(u & 0xFF);
        out += little_endian ? low : high;
        out += little_endian ? high : low;
    };
    if (bom) unit(0xFEFF);
    for (const char32_t c : code_points) {
        if (c < 0x10000) {
            unit(c);
        } else {
            unit(0xD800 + ((c - 0x10000) >> 10));
            unit(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return out;
}

struct Decoded {
    std::string name;
    std::string bytes;
    std::string text;  // expected in every place, UTF-8
};

void PrintTo(const Decoded& c, std::ostream* os) {
    *os << c.name;
}

std::string decoded_name(const testing::TestParamInfo<Decoded>& param) {
    return param.param.name;
}

// A test name from an encoding's name.
std::string identifier(std::string text) {
    for (char& c : text)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return text;
}

// The same text in a file under each name of its encoding (numbered: names that differ only
// in '-' and '_' make the same identifier).
void add_named(std::vector<Decoded>& cases, const std::string& prefix,
               std::initializer_list<const char*> names, const std::string& bytes, const std::string& text) {
    int n = 0;
    for (const std::string name : names)
        cases.push_back({prefix + std::to_string(++n) + "_" + identifier(name),
                         in_every_place(bytes, declaring(name)), text});
}

std::vector<Decoded> decoded_files() {
    std::vector<Decoded> cases;
    // àèìòù, the euro sign, Š and Ÿ in windows-1252
    add_named(cases, "Windows1252_", {"windows-1252", "Windows-1252", "WINDOWS-1252", "cp1252", "CP1252"},
              "\xE0\xE8\xEC\xF2\xF9 \x80 \x8A\x9F", kAccents + " " + kEuro + " \xC5\xA0\xC5\xB8");
    // àèìòù and the currency sign in ISO-8859-1
    add_named(cases, "Latin1_",
              {"ISO-8859-1", "iso-8859-1", "ISO_8859-1", "latin1", "LATIN1", "l1", "iso-ir-100"},
              "\xE0\xE8\xEC\xF2\xF9 \xA4", kAccents + " \xC2\xA4");
    // àèìòù, the euro sign and Š in ISO-8859-15
    add_named(cases, "Latin9_", {"ISO-8859-15", "iso-8859-15", "ISO_8859-15", "latin-9", "Latin-9", "LATIN9"},
              "\xE0\xE8\xEC\xF2\xF9 \xA4 \xA6", kAccents + " " + kEuro + " \xC5\xA0");
    add_named(cases, "Utf8_", {"UTF-8", "utf-8", "Utf-8"}, kAccents + " " + kEuro, kAccents + " " + kEuro);
    const std::string text = kAccents + " " + kEuro + " \xF0\x9F\x98\x80";
    cases.insert(
        cases.end(),
        {
            {"Latin1ByteOfTheEuroSignIsAControl", in_every_place("\x80", declaring("ISO-8859-1")),
             "\xC2\x80"},
            {"UndeclaredIsUtf8", in_every_place(text, "<?xml version=\"1.0\"?>"), text},
            {"NoDeclarationIsUtf8", in_every_place(text, ""), text},
            {"ByteOrderMarkIsUtf8", "\xEF\xBB\xBF" + in_every_place(text, ""), text},
            {"ByteOrderMarkAndUtf8Declared", "\xEF\xBB\xBF" + in_every_place(text, declaring("UTF-8")), text},
            {"Utf16LittleEndian", utf16(in_every_place(text, ""), true), text},
            {"Utf16BigEndian", utf16(in_every_place(text, ""), false), text},
            {"Utf16Declared", utf16(in_every_place(text, declaring("UTF-16")), true), text},
            {"Utf16BigEndianDeclared", utf16(in_every_place(text, declaring("utf-16be")), false), text},
        });
    return cases;
}

class DecodedFile : public testing::TestWithParam<Decoded> {};

TEST_P(DecodedFile, EveryValueArrivesAsUtf8) {
    LoadError e;
    const auto d = ImportDocument::parse(GetParam().bytes, e);
    ASSERT_TRUE(d) << e.reason;
    EXPECT_EQ(d->settings().text("IE40_UTENTE"), GetParam().text);
    EXPECT_EQ(d->company().text("CG16_RAGSOANAG"), GetParam().text);
    EXPECT_EQ(d->row("CG44_CLIFOR", 1).text("CG16_ANAGGEN/CG16_INDIRIZZO"), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Encodings, DecodedFile, testing::ValuesIn(decoded_files()), decoded_name);

// The byte offset of the value in with_user(value, declaration) with a declaration.
std::string offset_in(const std::string& declaration, std::size_t n) {
    return "at byte offset " + std::to_string(declaration.size() + 1 + kValueOffset + n);
}

std::vector<Refused> undefined_windows_1252_bytes() {
    std::vector<Refused> cases;
    const std::string declaration = declaring("windows-1252");
    for (const unsigned char b : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
        const std::string hex = xml_cases::hex(b);
        cases.push_back(
            {"Windows1252Byte" + hex.substr(2),
             with_user("\xE0" + std::string(1, static_cast<char>(b)), declaration),
             "Byte " + hex + " " + offset_in(declaration, 1) + " is not a character in windows-1252",
             kValueLine + 1, kValueColumn + 1});
    }
    return cases;
}

std::vector<Refused> control_bytes() {
    std::vector<Refused> cases;
    for (const char* encoding : {"UTF-8", "windows-1252", "ISO-8859-1", "ISO-8859-15"}) {
        const std::string declaration = declaring(encoding);
        for (const unsigned char b : {0x00, 0x01, 0x0B, 0x0C, 0x1F}) {
            const std::string hex = xml_cases::hex(b);
            cases.push_back({"Control" + hex.substr(2) + "In" + identifier(encoding),
                             with_user("ab" + std::string(1, static_cast<char>(b)), declaration),
                             "Character U+00" + hex.substr(2) + " " + offset_in(declaration, 2) +
                                 " is not allowed in XML",
                             kValueLine + 1, kValueColumn + 2});
        }
    }
    return cases;
}

// Bad UTF-8 after "à" (two bytes, one column) in a file without a declaration.
Refused bad_utf8(const std::string& name, const std::string& bytes, const std::string& reason) {
    return {name, with_user("\xC3\xA0" + bytes + "z"),
            reason + " at byte offset " + std::to_string(kValueOffset + 2), kValueLine, kValueColumn + 1};
}

const std::vector<Refused> kBadUtf8 = {
    bad_utf8("StrayContinuationByte", "\x80", "Invalid UTF-8 byte 0x80"),
    bad_utf8("ByteFF", "\xFF", "Invalid UTF-8 byte 0xFF"),
    bad_utf8("MissingContinuation", "\xC3(", "Incomplete UTF-8 sequence 0xC3 0x28"),
    bad_utf8("ShortThreeByteSequence", "\xE2\x82(", "Incomplete UTF-8 sequence 0xE2 0x82 0x28"),
    bad_utf8("OverlongSlashC0", "\xC0\xAF", "Overlong UTF-8 sequence 0xC0"),
    bad_utf8("OverlongSlashE0", "\xE0\x80\xAF", "Overlong UTF-8 sequence 0xE0 0x80"),
    bad_utf8("OverlongSlashF0", "\xF0\x80\x80\xAF", "Overlong UTF-8 sequence 0xF0 0x80"),
    bad_utf8("EncodedSurrogate", "\xED\xA0\x80", "Surrogate in UTF-8 sequence 0xED 0xA0"),
    bad_utf8("BeyondUnicode", "\xF4\x90\x80\x80", "Code point beyond U+10FFFF in UTF-8 sequence 0xF4 0x90"),
    bad_utf8("LeadByteF5", "\xF5\x80\x80\x80", "Code point beyond U+10FFFF in UTF-8 sequence 0xF5"),
    bad_utf8("NonCharacterFFFE", "\xEF\xBF\xBE", "Character U+FFFE"),
    bad_utf8("NonCharacterFFFF", "\xEF\xBF\xBF", "Character U+FFFF"),
    {"SequenceCutByTheEnd", "<MovimentiCoGe/>\n\xE2\x82"s,
     "Incomplete UTF-8 sequence 0xE2 0x82 at byte offset 17", 2, 1},
    {"Latin1BytesUndeclared", with_user("Citt\xE0"), "Incomplete UTF-8 sequence 0xE0 0x3C at byte offset 47",
     kValueLine, kValueColumn + 4},
};

const std::vector<Refused> kRefusedEncodings = {
    {"UnknownEncoding", with_user("x", declaring("EBCDIC-US")), "Encoding \"EBCDIC-US\" is not read", 1, 1},
    {"Utf7", with_user("x", declaring("UTF-7")), "Encoding \"UTF-7\" is not read", 1, 1},
    {"Latin2", with_user("x", declaring("ISO-8859-2")), "Encoding \"ISO-8859-2\" is not read", 1, 1},
    {"Utf16DeclaredWithoutByteOrderMark", with_user("x", declaring("UTF-16")),
     "declares encoding \"UTF-16\" but has no UTF-16 byte order mark", 1, 1},
    {"Utf16WithoutByteOrderMark", utf16(with_user("x"), true, false), "UTF-16 text without a byte order mark",
     1, 1},
    {"Utf16BigEndianWithoutByteOrderMark", utf16(with_user("x"), false, false),
     "UTF-16 text without a byte order mark", 1, 1},
    {"Utf32", "\xFF\xFE\0\0<\0\0\0"s, "UTF-32 files are not read", 1, 1},
    {"Utf8ByteOrderMarkDeclaringLatin1", "\xEF\xBB\xBF" + with_user("x", declaring("latin1")),
     "starts with a UTF-8 byte order mark but declares encoding \"latin1\"", 1, 1},
    {"Utf16ByteOrderMarkDeclaringWindows1252", utf16(with_user("x", declaring("windows-1252")), true),
     "starts with a UTF-16LE byte order mark but declares encoding \"windows-1252\"", 1, 1},
    {"Utf16UnpairedSurrogate", utf16(with_user("a"), true).replace(2 + 2 * kValueOffset, 2, "\x00\xD8"s),
     "Unpaired UTF-16 surrogate U+D800 at byte offset " + std::to_string(2 + 2 * kValueOffset), kValueLine,
     kValueColumn},
    {"Utf16OddLength", utf16(with_user("a"), false) + "x",
     "UTF-16 text with an odd number of bytes: byte 0x78", kValueLine + 2, 1},
};

class RefusedBytes : public testing::TestWithParam<Refused> {};

TEST_P(RefusedBytes, AreRefusedWithTheByteAndItsPlace) {
    xml_cases::expect_refused(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Windows1252, RefusedBytes, testing::ValuesIn(undefined_windows_1252_bytes()),
                         xml_cases::case_name);
INSTANTIATE_TEST_SUITE_P(Controls, RefusedBytes, testing::ValuesIn(control_bytes()), xml_cases::case_name);
INSTANTIATE_TEST_SUITE_P(Utf8, RefusedBytes, testing::ValuesIn(kBadUtf8), xml_cases::case_name);
INSTANTIATE_TEST_SUITE_P(Encodings, RefusedBytes, testing::ValuesIn(kRefusedEncodings), xml_cases::case_name);

TEST(EncodedFileOnDisk, IsDecodedWhenLoaded) {
    const scripted::TempDir dir;
    const std::filesystem::path path = dir / "member.xml";
    std::ofstream(path, std::ios::binary) << in_every_place("Citt\xE0 \x80", declaring("windows-1252"));
    LoadError e;
    const auto d = ImportDocument::load(path, e);
    ASSERT_TRUE(d) << e.reason;
    EXPECT_EQ(d->company().text("CG16_RAGSOANAG"), "Citt\xC3\xA0 " + kEuro);
}

}  // namespace
