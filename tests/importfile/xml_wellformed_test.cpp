// Only well-formed XML is read: what the parser would let through is refused with a reason
// and its place, and the well-formed forms close to those still read as they should.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "xml_cases.h"

namespace {

using xml_cases::kValueColumn;
using xml_cases::kValueLine;
using xml_cases::Refused;
using xml_cases::with_user;
using namespace std::string_literals;

const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";

// The value's column plus `n` characters.
constexpr long col(long n) {
    return kValueColumn + n;
}

const std::vector<Refused> kReferences = {
    {"NulReferenceThatWouldCutTheValue", with_user("01122334455&#0;junk"),
     "Character reference &#0; (U+0000) is not allowed in XML", kValueLine, col(11)},
    {"ControlCharacterReference", with_user("a&#1;b"), "&#1; (U+0001) is not allowed in XML", kValueLine,
     col(1)},
    {"HexControlCharacterReference", with_user("&#x1F;"), "&#x1F; (U+001F) is not allowed", kValueLine,
     col(0)},
    {"SurrogateReference", with_user("a&#xD800;"), "&#xD800; (U+D800) is not allowed", kValueLine, col(1)},
    {"NonCharacterReference", with_user("&#xFFFE;"), "&#xFFFE; (U+FFFE) is not allowed", kValueLine, col(0)},
    {"ReferenceBeyondUnicode", with_user("&#x110000;"), "&#x110000; is beyond U+10FFFF", kValueLine, col(0)},
    {"HugeDecimalReference", with_user("&#99999999999999999999;"), "is beyond U+10FFFF", kValueLine, col(0)},
    {"ReferenceWithoutSemicolon", with_user("&#65 b"), "Malformed character reference &#65 ", kValueLine,
     col(0)},
    {"ReferenceWithCapitalX", with_user("&#X41;"), "Malformed character reference &#X", kValueLine, col(0)},
    {"ReferenceWithoutDigits", with_user("&#;"), "Malformed character reference &#;", kValueLine, col(0)},
    {"UndefinedEntity", with_user("a&foo;b"), "Reference to undefined entity &foo;", kValueLine, col(1)},
    {"BareAmpersand", with_user("Rossi & Figli"), "'&' that starts no reference", kValueLine, col(6)},
    {"EntityInAttribute", "<MovimentiCoGe a=\"&foo;\"/>", "Reference to undefined entity &foo;", 1, 19},
    {"NulReferenceInAttribute", "<MovimentiCoGe a='x&#0;'/>", "&#0; (U+0000) is not allowed", 1, 20},
    {"LessThanInAttribute", "<MovimentiCoGe a='x<y'/>", "'<' in an attribute value", 1, 20},
};

const std::vector<Refused> kCharacters = {
    {"RawControlCharacter", with_user("a\x01z"), "Character U+0001 at byte offset 44 is not allowed in XML",
     kValueLine, col(1)},
    {"RawNul", with_user("a\0z"s), "Character U+0000 at byte offset 44 is not allowed in XML", kValueLine,
     col(1)},
    {"RawEscape", with_user("\x1B[0m"), "Character U+001B at byte offset 43", kValueLine, col(0)},
    {"InvalidCharacterInElementName", with_user("<a\xC3\x97z/>"),
     "Invalid character U+00D7 in element name a", kValueLine, col(2)},
    {"SlashInsideAnEmptyElementTag", "<MovimentiCoGe/ >", "Unexpected '/' after element name MovimentiCoGe",
     1, 15},
    {"InvalidFirstCharacterOfName", with_user("<\xC3\xB7/>"), "U+00F7 cannot start an element name",
     kValueLine, col(1)},
    {"InvalidCharacterInAttributeName", "<MovimentiCoGe a\xC3\x97=''/>",
     "Invalid character U+00D7 in attribute name a", 1, 17},
};

const std::vector<Refused> kAttributes = {
    {"DuplicateAttribute", "<MovimentiCoGe>\n<Impostazioni a=\"1\" b='2' a='3'/>\n</MovimentiCoGe>",
     "Duplicate attribute a", 2, 27},
    {"DuplicateAttributeWithBlanks", "<MovimentiCoGe a = '1'  a\t=\"2\"/>", "Duplicate attribute a", 1, 25},
    {"AttributesWithoutBlankBetween", "<MovimentiCoGe a='1'b='2'/>", "Error parsing element attribute", 1,
     21},
};

const std::vector<Refused> kStructure = {
    {"TextAfterTheRoot", "<MovimentiCoGe/>\njunk", "Text after the root element: junk", 2, 1},
    {"SecondRootElement", "<MovimentiCoGe/>\n<MovimentiCoGe/>", "A second root element", 2, 1},
    {"SecondDocument", with_user("a", kDeclaration) + kDeclaration + "\n" + with_user("b"),
     "XML declaration not at the start of the file", 5, 1},
    {"DeclarationAfterABlank", " " + kDeclaration + "<MovimentiCoGe/>", "XML declaration not at the start", 1,
     2},
    {"DeclarationAfterAComment", "<!-- c -->" + kDeclaration + "<MovimentiCoGe/>",
     "XML declaration not at the start", 1, 11},
    {"DeclarationInsideTheRoot", with_user(kDeclaration), "XML declaration not at the start", kValueLine,
     col(0)},
    {"ReservedTarget", with_user("<?XML data?>"), "target \"XML\" is reserved", kValueLine, col(0)},
    {"TextBeforeTheRoot", "x<MovimentiCoGe/>", "Text before the root element", 1, 1},
    {"ReasonQuotesOneLine", "abc\ndef\n<MovimentiCoGe/>",
     "Text before the root element: abc... (line 1, column 1)", 1, 1},
    {"CdataOutsideTheRoot", "<MovimentiCoGe/>\n<![CDATA[x]]>", "CDATA section outside the root element", 2,
     1},
    {"CdataEndInText", with_user("a]]>b"), "\"]]>\" in text", kValueLine, col(1)},
    {"DoubleHyphenInComment", with_user("<!-- a -- b -->"), "\"--\" inside a comment", kValueLine, col(7)},
    {"CommentEndingInThreeHyphens", with_user("<!-- a --->"), "\"--\" inside a comment", kValueLine, col(7)},
    {"UnterminatedComment", with_user("<!-- x"), "Unterminated comment", kValueLine, col(0)},
    {"DocumentType", "<!DOCTYPE MovimentiCoGe [<!ENTITY e \"x\">]>\n" + with_user("&e;"),
     "Document type declarations (DOCTYPE) are not accepted", 1, 1},
    {"VersionNotOne", with_user("x", "<?xml version=\"2.0\"?>"),
     "Malformed XML declaration: version \"2.0\" is not 1.x", 1, 7},
    {"DeclarationWithoutVersion", with_user("x", "<?xml encoding=\"UTF-8\"?>"),
     "Malformed XML declaration: version must come first", 1, 7},
    {"DeclarationOutOfOrder", with_user("x", "<?xml version='1.0' standalone='yes' encoding='UTF-8'?>"),
     "Malformed XML declaration: encoding is out of place", 1, 38},
    {"UnclosedDeclaration", "<?xml version=\"1.0\"<MovimentiCoGe/>",
     "Malformed XML declaration: expected a blank or ?>", 1, 20},
    {"EndTagOfTheParent", "<MovimentiCoGe><Impostazioni></MovimentiCoGe>", "Start-end tags mismatch", 1, 32},
    {"MismatchedTags", "<MovimentiCoGe>\n<Row>\n<A>1</B>\n</Row></MovimentiCoGe>", "Start-end tags mismatch",
     3, 7},
    {"EmptyFile", "", "No document element found", 1, 1},
    {"PlainText", "not xml at all", "Text before the root element: not xml at a...", 1, 1},
    {"Truncated", "<MovimentiCoGe>\n<Impostazioni>", "Start-end tags mismatch", 2, 14},
};

// When the parser and the checks both find a problem, the first in the file is reported; the
// column counts characters, the line ends at LF, CR LF or CR.
const std::vector<Refused> kPlaces = {
    {"ParserProblemFirst", "<MovimentiCoGe>\n<A></B>\n<C>&foo;</C>\n</MovimentiCoGe>",
     "Start-end tags mismatch", 2, 6},
    {"CheckedProblemFirst", "<MovimentiCoGe>\n<C>&foo;</C>\n<A></B>\n</MovimentiCoGe>",
     "undefined entity &foo;", 2, 4},
    {"ColumnsCountCharacters", with_user("\xE2\x82\xAC\xE2\x82\xAC&foo;"), "undefined entity &foo;",
     kValueLine, col(2)},
    {"CarriageReturnsEndLines", "<MovimentiCoGe>\r<A>\r\n&foo;</A></MovimentiCoGe>", "undefined entity &foo;",
     3, 1},
    // The parser ends names by writing into the text, here over line ends: the place is
    // still counted in the file as it was.
    {"LineEndsAfterNames", "<MovimentiCoGe\n a='1'>\n<A\n>x</A>\n</B>", "Start-end tags mismatch", 5, 3},
};

class RefusedFile : public testing::TestWithParam<Refused> {};

TEST_P(RefusedFile, IsRefusedWithTheReasonAndItsPlace) {
    xml_cases::expect_refused(GetParam());
}

INSTANTIATE_TEST_SUITE_P(References, RefusedFile, testing::ValuesIn(kReferences), xml_cases::case_name);
INSTANTIATE_TEST_SUITE_P(Characters, RefusedFile, testing::ValuesIn(kCharacters), xml_cases::case_name);
INSTANTIATE_TEST_SUITE_P(Attributes, RefusedFile, testing::ValuesIn(kAttributes), xml_cases::case_name);
INSTANTIATE_TEST_SUITE_P(Structure, RefusedFile, testing::ValuesIn(kStructure), xml_cases::case_name);
INSTANTIATE_TEST_SUITE_P(Places, RefusedFile, testing::ValuesIn(kPlaces), xml_cases::case_name);

struct Accepted {
    std::string name;
    std::string bytes;
    std::string user;  // the text read from IE40_UTENTE
};

void PrintTo(const Accepted& c, std::ostream* os) {
    *os << c.name;
}

std::string accepted_name(const testing::TestParamInfo<Accepted>& param) {
    return param.param.name;
}

const std::vector<Accepted> kAccepted = {
    {"CdataHoldingBrackets", with_user("<![CDATA[a]]b]]>"), "a]]b"},
    {"CdataHoldingMarkup", with_user("<![CDATA[<&>&#0;]]]]>"), "<&>&#0;]]"},
    {"CommentHoldingAmpersands", with_user("a<!-- & &foo; &#0; < -->b"), "ab"},
    {"InstructionHoldingAmpersands", with_user("a<?app data & < &#0;?>b"), "ab"},
    {"InstructionAfterTheRoot", with_user("x") + "<?app done?>\n", "x"},
    {"CommentAfterTheRoot", with_user("x") + "<!-- end -->\n", "x"},
    {"BlanksAfterTheRoot", with_user("x") + " \t\r\n\n", "x"},
    {"EuroByReference", with_user("&#x20AC; &#8364;"), "\xE2\x82\xAC \xE2\x82\xAC"},
    {"EuroByReferenceInWindows1252",
     with_user("\xE0&#x20AC;", "<?xml version=\"1.0\" encoding=\"windows-1252\"?>"), "\xC3\xA0\xE2\x82\xAC"},
    {"EscapedNulReference", with_user("&amp;#0;"), "&#0;"},
    {"PredefinedEntities", with_user("&lt;&gt;&amp;&apos;&quot;"), "<>&'\""},
    {"AttributesWithBothQuotes",
     "<MovimentiCoGe a=\"it's\" b='say \"hi\"' c='&lt;&#x20AC;'>\n<Impostazioni><IE40_UTENTE d = 'x>y' "
     ">x</IE40_UTENTE ></Impostazioni></MovimentiCoGe>",
     "x"},
    {"ByteOrderMark", "\xEF\xBB\xBF" + with_user("x", kDeclaration), "x"},
    {"ByteOrderMarkWithoutDeclaration", "\xEF\xBB\xBF" + with_user("x"), "x"},
    {"StandaloneDeclaration", with_user("x", "<?xml version='1.0' encoding='UTF-8' standalone='yes' ?>"),
     "x"},
    {"StylesheetBeforeTheRoot", with_user("x", kDeclaration + "\n<?xml-stylesheet href=\"a.xsl\"?>"), "x"},
    {"GreaterThanAndBracketsInText", with_user("a>b]]c]>"), "a>b]]c]>"},
    {"CarriageReturns", with_user("a\r\nb\rc"), "a\nb\nc"},
    {"NonAsciiNames", with_user("<Citt\xC3\xA0>Roma</Citt\xC3\xA0>"), "Roma"},
    {"BeyondTheBasicPlane", with_user("\xF0\x9F\x98\x80&#x1F600;"), "\xF0\x9F\x98\x80\xF0\x9F\x98\x80"},
    {"DeleteAndC1Controls", with_user("\x7F\xC2\x85"), "\x7F\xC2\x85"},
    {"EmptyElementWithBlank", with_user("a<b />c"), "ac"},
};

class AcceptedFile : public testing::TestWithParam<Accepted> {};

TEST_P(AcceptedFile, IsReadWithItsText) {
    EXPECT_EQ(xml_cases::user_of(GetParam().bytes), GetParam().user);
}

INSTANTIATE_TEST_SUITE_P(WellFormed, AcceptedFile, testing::ValuesIn(kAccepted), accepted_name);

}  // namespace
