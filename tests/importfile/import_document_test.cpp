#include "importfile/import_document.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "xml_cases.h"

namespace {

using importfile::ImportDocument;
using importfile::LoadError;

constexpr const char* kSample = R"(<?xml version="1.0" encoding="utf-8"?>
<MovimentiCoGe>
  <Impostazioni>
    <IE40_VERSIONE_FILE> 1.0</IE40_VERSIONE_FILE>
    <IE40_UTENTE></IE40_UTENTE>
    <IE40_MASTROCLIENTI>   </IE40_MASTROCLIENTI>
  </Impostazioni>
  <CG68_NUMERDESC><Row><CG68_SEZIONALE>A</CG68_SEZIONALE></Row><Row><CG68_SEZIONALE>B</CG68_SEZIONALE></Row></CG68_NUMERDESC>
  <CG44_CLIFOR>
    <Row><CG44_CLIFOR>7</CG44_CLIFOR><CG16_ANAGGEN><CG16_RAGSOANAG>Rossi &amp; Figli</CG16_RAGSOANAG></CG16_ANAGGEN></Row>
  </CG44_CLIFOR>
  <CG41_PRIMANOTA>
    <Row><CG41_NUMREG>1</CG41_NUMREG>
      <CG42_MOVCONT><CG42_NUMRIGACONT>1</CG42_NUMRIGACONT></CG42_MOVCONT>
      <CG42_MOVCONT><CG42_NUMRIGACONT>2</CG42_NUMRIGACONT></CG42_MOVCONT>
      <CG43_MOVIVA><CG43_NUMRIGAIVA>1</CG43_NUMRIGAIVA></CG43_MOVIVA>
    </Row>
    <Row><CG41_NUMREG>2</CG41_NUMREG></Row>
  </CG41_PRIMANOTA>
  <CG68_NUMERDESC><Row><CG68_SEZIONALE>C</CG68_SEZIONALE></Row></CG68_NUMERDESC>
</MovimentiCoGe>)";

std::unique_ptr<ImportDocument> sample() {
    LoadError e;
    auto d = ImportDocument::parse(kSample, e);
    EXPECT_TRUE(d) << e.reason;
    return d;
}

TEST(ImportDocument, RowsAreCountedFromOneAcrossRepeatedSections) {
    auto d = sample();
    EXPECT_EQ(d->row_count("CG68_NUMERDESC"), 3);
    EXPECT_EQ(d->row("CG68_NUMERDESC", 1).text_or_empty("CG68_SEZIONALE"), "A");
    EXPECT_EQ(d->row("CG68_NUMERDESC", 3).text_or_empty("CG68_SEZIONALE"), "C");
    EXPECT_FALSE(d->row("CG68_NUMERDESC", 0).present());
    EXPECT_FALSE(d->row("CG68_NUMERDESC", 4).present());
    EXPECT_EQ(d->row_count("CG24_TABPDC"), 0);
    EXPECT_FALSE(d->row("CG24_TABPDC", 1).present());
}

TEST(ImportDocument, TextIsRawAndMissingDiffersFromEmpty) {
    auto d = sample();
    const auto s = d->settings();
    ASSERT_TRUE(s.present());
    EXPECT_EQ(s.text("IE40_VERSIONE_FILE"), std::optional<std::string>(" 1.0"));
    EXPECT_EQ(s.text("IE40_UTENTE"), std::optional<std::string>(""));
    EXPECT_EQ(s.text("IE40_MASTROCLIENTI"), std::optional<std::string>("   "));
    EXPECT_EQ(s.text("IE40_MASTROFORNITORI"), std::nullopt);
    EXPECT_FALSE(d->company().present());
    EXPECT_EQ(d->company().text("CG16_CODICE"), std::nullopt);
}

TEST(ImportDocument, NestedRegistryColumnsAndEntryChildren) {
    auto d = sample();
    EXPECT_EQ(d->row("CG44_CLIFOR", 1).text("CG16_ANAGGEN/CG16_RAGSOANAG"),
              std::optional<std::string>("Rossi & Figli"));
    EXPECT_EQ(d->row("CG44_CLIFOR", 1).text("CG16_ANAGGEN/CG16_CITTA"), std::nullopt);
    EXPECT_EQ(d->child_count("CG41_PRIMANOTA", 1, "CG42_MOVCONT"), 2);
    EXPECT_EQ(d->child_count("CG41_PRIMANOTA", 1, "CG43_MOVIVA"), 1);
    EXPECT_EQ(d->child_count("CG41_PRIMANOTA", 2, "CG42_MOVCONT"), 0);
    EXPECT_EQ(d->row_child("CG41_PRIMANOTA", 1, "CG42_MOVCONT", 2).text_or_empty("CG42_NUMRIGACONT"), "2");
    EXPECT_FALSE(d->row_child("CG41_PRIMANOTA", 1, "CG42_MOVCONT", 3).present());
    EXPECT_FALSE(d->row_child("CG41_PRIMANOTA", 9, "CG42_MOVCONT", 1).present());
}

TEST(ImportDocument, ChildrenOfRowsAndNamesAskedInTurnStayApart) {
    LoadError e;
    const auto d = ImportDocument::parse(R"(<MovimentiCoGe><CG41_PRIMANOTA>
  <Row><A>1</A><B>x</B><A>2</A><B>y</B><B>z</B></Row>
  <Row><B>w</B><A>3</A></Row>
</CG41_PRIMANOTA></MovimentiCoGe>)",
                                         e);
    ASSERT_TRUE(d) << e.reason;
    const auto text = [&](long i, const char* name, long j) {
        return d->row_child("CG41_PRIMANOTA", i, name, j).own_text();
    };
    EXPECT_EQ(text(1, "A", 2), "2");
    EXPECT_EQ(text(1, "B", 3), "z");
    EXPECT_EQ(text(2, "A", 1), "3");
    EXPECT_EQ(text(1, "A", 1), "1");
    EXPECT_EQ(d->child_count("CG41_PRIMANOTA", 2, "B"), 1);
    EXPECT_EQ(text(1, "B", 1), "x");
    EXPECT_EQ(text(2, "B", 1), "w");
    EXPECT_FALSE(d->row_child("CG41_PRIMANOTA", 2, "B", 2).present());
    EXPECT_EQ(d->child_count("CG41_PRIMANOTA", 1, "B"), 3);
    EXPECT_EQ(d->child_count("CG41_PRIMANOTA", 3, "B"), 0);
    EXPECT_EQ(d->child_count("CG41_PRIMANOTA", 0, "A"), 0);
}

// An element's text is all the text it holds in document order, whatever else is around it.
// Comments and instructions count for nothing; a blank run is text only where it is all the
// element holds up to its end tag.
struct TextCase {
    std::string name;
    std::string value;  // the content of IE40_UTENTE
    std::string text;   // what is read from it
};

void PrintTo(const TextCase& c, std::ostream* os) {
    *os << c.name;
}

const std::vector<TextCase> kTexts = {
    {"TextThenChildThenText", "a<b>c</b>d", "acd"},
    {"NestedTexts", "x<a><a>y</a>z</a>w", "xyzw"},
    {"BlanksAfterAChild", "a<b/>  ", "a"},
    {"BlanksAloneInAChild", "<b> </b>x", " x"},
    {"BlanksAfterCdata", "a<![CDATA[b]]>  ", "ab"},
    {"CdataFirst", "<![CDATA[b]]>a", "ba"},
    {"BlanksAfterTextAndAComment", "a<!-- c -->  ", "a"},
    {"BlanksAfterTextAndAnInstruction", "a<?app x?>  ", "a"},
    {"BlankReferenceAfterTextAndAComment", "a<!-- c -->&#32;", "a "},
    {"BlanksAroundAComment", "  <!-- c -->  ", "  "},
    {"TextOnBothSidesOfAComment", "a<!-- c -->b<!-- d -->  ", "ab"},
    {"CommentInAChild", "a<b>c<!--x--></b>d", "acd"},
};

class ElementText : public testing::TestWithParam<TextCase> {};

TEST_P(ElementText, IsAllItsTextInOrder) {
    EXPECT_EQ(xml_cases::user_of(xml_cases::with_user(GetParam().value)), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(AroundMarkup, ElementText, testing::ValuesIn(kTexts),
                         [](const testing::TestParamInfo<TextCase>& p) { return p.param.name; });

TEST(ImportDocument, MissingFileIsALoadError) {
    LoadError e;
    EXPECT_EQ(ImportDocument::load("/nonexistent/dir/file.xml", e), nullptr);
    EXPECT_NE(e.reason.find("cannot be read"), std::string::npos);
}

}  // namespace
