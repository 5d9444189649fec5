// Choosing a file in the import window: the files it refuses and the message each gets,
// the file it accepts and what it shows, the member company in the group structure, the
// question before a file is imported again, and the folder of the last import.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "case_name.h"
#include "import_window_fixture.h"
#include "importfile/file_opener.h"

namespace {

using module_test::import_xml;
using module_test::write_text;
using Path = std::filesystem::path;

class ImportWindowFileTest : public module_test::ImportWindowFixture {};

const std::string kNotPertinent = "103,3,File NON pertinente o versione NON corretta.";
const std::string kNotInGroup =
    "106,3,L'azienda indicata nel file sorgente NON è presente nella struttura del gruppo IVA dell'anno!";

const std::string kNotFound = "101,3,File non trovato.";
const std::string kXmlError = "102,3,Errore in lettura file xml.\n";

struct RefusedFile {
    const char* name;
    // What is at the path: nothing, a folder, or the file's text.
    enum { Nothing, Folder, Text } kind;
    std::string content;
    // "code,kind,text" of the message; for 102 the text up to the parser's reason.
    std::string message;
};

class RefusedFileTest : public module_test::ImportWindowFixture,
                        public ::testing::WithParamInterface<RefusedFile> {};

TEST_P(RefusedFileTest, GetsItsMessageLeavesTheWindowEmptyAndWritesNothing) {
    const RefusedFile& c = GetParam();
    auto& w = open();
    const auto counts = table_counts();
    ASSERT_GT(counts.size(), 20u);
    // An accepted file first, so that the refusal has something to clear.
    ASSERT_FALSE(choose(w, member_file({}, "ok/member.xml")));
    ASSERT_TRUE(w.CMD_IMPORTA.enabled);
    const Path path = dir / "refused" / "member.xml";
    if (c.kind == RefusedFile::Folder) std::filesystem::create_directories(path);
    if (c.kind == RefusedFile::Text) write_text(path, c.content);
    const auto mark = host.calls->size();

    EXPECT_TRUE(choose(w, path));

    const Texts shown = messages_since(mark);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].rfind(c.message, 0), 0u) << shown[0];
    if (c.message == kXmlError) {  // the parser's reason and position
        EXPECT_NE(shown[0].find("(line "), std::string::npos) << shown[0];
    }
    EXPECT_EQ(w.last_outcome().message_id, std::stoi(shown[0]));
    EXPECT_FALSE(w.last_outcome().file_accepted);
    EXPECT_EQ(w.import_state().document, nullptr);
    for (const module::TextBox* box :
         {&w.TXT_DATAEXP, &w.TXT_RAGSOCEXP, &w.TXT_CFISCEXP, &w.TXT_ADATA, &w.TXT_CODANAIMP})
        EXPECT_EQ(box->text, "");
    EXPECT_EQ(w.CHK_TABSEZ.value + w.CHK_ESTRATTI.value, 0);
    EXPECT_FALSE(w.CMD_IMPORTA.enabled);
    EXPECT_EQ(w.TXT_NOMEFILE.text, path.string());
    EXPECT_TRUE(errors_shown().empty());
    EXPECT_EQ(table_counts(), counts);
}

std::vector<RefusedFile> refused_files() {
    const std::string full = import_xml({});
    return {{"missing file", RefusedFile::Nothing, "", kNotFound},
            {"a folder", RefusedFile::Folder, "", kNotFound},
            {"empty file", RefusedFile::Text, "", kXmlError},
            {"not XML", RefusedFile::Text, "plain text\n", kXmlError},
            {"truncated", RefusedFile::Text, full.substr(0, full.size() / 2), kXmlError},
            {"wrong root", RefusedFile::Text, import_xml({.root = "Movimenti"}), kNotPertinent},
            {"version with blanks", RefusedFile::Text, import_xml({.version = " 1.0"}), kNotPertinent},
            {"version 1.1", RefusedFile::Text, import_xml({.version = "1.1"}), kNotPertinent},
            {"no version", RefusedFile::Text, import_xml({.version = std::nullopt}), kNotPertinent},
            {"member not in the group", RefusedFile::Text, import_xml({.fiscal_code = "OTHERFISCALCODE1"}),
             kNotInGroup},
            {"no fiscal code", RefusedFile::Text, import_xml({.fiscal_code = std::nullopt}), kNotInGroup}};
}

INSTANTIATE_TEST_SUITE_P(Files, RefusedFileTest, ::testing::ValuesIn(refused_files()), scripted::ByName());

TEST_F(ImportWindowFileTest, AnAcceptedFileFillsTheWindowAndEnablesTheImport) {
    auto& w = open();
    const auto mark = host.calls->size();
    EXPECT_FALSE(choose(w, member_file()));
    EXPECT_EQ(messages_since(mark), Texts{});
    EXPECT_TRUE(w.last_outcome().file_accepted);
    const std::vector<std::pair<const module::TextBox*, std::string>> shown = {
        {&w.TXT_DADATA, "01/01/2024"},
        {&w.TXT_ADATA, "31/12/2024"},
        {&w.TXT_DATAEXP, "15/01/2025 10:30:00"},
        {&w.TXT_UTEXP, "mario"},
        {&w.TXT_AZIEXP, "7"},
        {&w.TXT_CODANAEXP, "501"},
        {&w.TXT_RAGSOCEXP, "Membro Uno S.r.l."},
        {&w.TXT_INDEXP, "Via Roma 1"},
        {&w.TXT_CAPEXP, "00100"},
        {&w.TXT_CITTAEXP, "Roma"},
        {&w.TXT_PROVEXP, "RM"},
        {&w.TXT_CFISCEXP, kMemberFiscalCode},
        {&w.TXT_PIVAEXP, "01234567890"},
        {&w.TXT_CODANAIMP, "900"}};
    for (const auto& [box, text] : shown) EXPECT_EQ(box->text, text);
    EXPECT_EQ(w.CHK_ESTRATTI.value, 1);
    EXPECT_EQ(w.CHK_CLIFOR.value, 0);
    EXPECT_FALSE(w.CHK_GESTCODID.visible);
    EXPECT_TRUE(w.CMD_IMPORTA.enabled);
    EXPECT_EQ(w.import_state().import_year, 2024);
    EXPECT_EQ(w.import_state().member_registry_code, kMemberRegistryCode);
    ASSERT_NE(w.import_state().group_structure, nullptr);
    EXPECT_EQ((*w.import_state().group_structure)["CGG5_ID"].Value().to_long(), group_id_2024);

    // Header fields that are missing or unreadable stay empty; the file is still accepted.
    EXPECT_FALSE(choose(
        w, member_file({.from_date = std::nullopt, .exported_at = "not a date", .statements_flag = "x"})));
    EXPECT_EQ(w.TXT_DADATA.text + w.TXT_DATAEXP.text, "");
    EXPECT_EQ(w.CHK_ESTRATTI.value, 0);
    EXPECT_TRUE(w.CMD_IMPORTA.enabled);
    EXPECT_TRUE(errors_shown().empty());
}

struct Indicators {
    const char* name;  // the indicators SEZ, CONTI, CAUCONT, CODIVA as stored
    // The checks of sections, accounts, causals and VAT codes.
    std::vector<int> checks;
};

class MasterTableChecks : public module_test::ImportWindowFixture,
                          public ::testing::WithParamInterface<Indicators> {};

TEST_P(MasterTableChecks, FollowTheGroupStructureIndicators) {
    exec("DELETE FROM CGG5_STRUTGR");
    add_group_structure(1, 2024, kMemberRegistryCode, GetParam().name);
    auto& w = open();
    ASSERT_FALSE(choose(w, member_file()));
    EXPECT_EQ(
        std::vector<int>({w.CHK_TABSEZ.value, w.CHK_TABPDC.value, w.CHK_TABCAU.value, w.CHK_TABCODIVA.value}),
        GetParam().checks);
}

INSTANTIATE_TEST_SUITE_P(Indicators, MasterTableChecks,
                         ::testing::Values(Indicators{"1, 1, 1, 1", {1, 1, 1, 1}},
                                           Indicators{"0, 3, 0, 0", {0, 1, 0, 0}},
                                           Indicators{"2, 2, 2, 2", {0, 0, 0, 0}},
                                           Indicators{"NULL, NULL, NULL, NULL", {0, 0, 0, 0}},
                                           Indicators{"1, 0, 3, 1", {1, 0, 0, 1}}),
                         scripted::ByName());

struct MemberLookup {
    const char* name;
    const char* fiscal_code;
    const char* to_date;
    int found;  // the registry code found, 0 for none
};

// Registry 910 has had NEWFISCAL since 2025; until mid-2024 it had OLDFISCAL. Registry 920
// is stored with blanks around its code. Company 2's group does not count.
class MemberLookupTest : public module_test::ImportWindowFixture,
                         public ::testing::WithParamInterface<MemberLookup> {
  protected:
    MemberLookupTest() {
        exec(
            "INSERT INTO CG16_ANAGGEN (CG16_CODICE, CG16_CODFISCALE, CG16_INIZIOVALIDITA) VALUES (910, "
            "'NEWFISCAL', '20250101')");
        exec(
            "INSERT INTO CG16_ANAGGENSTO (CG16S_CODICE_CG16, CG16S_CODFISCALE, CG16S_FINEVALIDITA) VALUES "
            "(910, 'OLDFISCAL', '20240630')");
        exec("INSERT INTO CG16_ANAGGEN (CG16_CODICE, CG16_CODFISCALE) VALUES (920, '  BLANKFISCAL ')");
        exec("INSERT INTO CG16_ANAGGEN (CG16_CODICE, CG16_CODFISCALE) VALUES (930, 'OTHERGROUP')");
        add_group_structure(1, 2024, 910);
        add_group_structure(1, 2025, 910);
        add_group_structure(1, 2024, 920);
        add_group_structure(2, 2024, 930);
    }
};

TEST_P(MemberLookupTest, ByTrimmedFiscalCodeInTheRegistryRecordValidInTheYear) {
    const MemberLookup& c = GetParam();
    auto& w = open();
    EXPECT_EQ(choose(w, member_file({.to_date = c.to_date, .fiscal_code = c.fiscal_code})), c.found == 0);
    EXPECT_EQ(w.TXT_CODANAIMP.text, c.found ? std::to_string(c.found) : "");
}

INSTANTIATE_TEST_SUITE_P(
    Members, MemberLookupTest,
    ::testing::Values(MemberLookup{"old code while valid", "OLDFISCAL", "31/03/2024", 910},
                      MemberLookup{"old code after it expired", "OLDFISCAL", "31/12/2024", 0},
                      MemberLookup{"new code while valid", "NEWFISCAL", "31/01/2025", 910},
                      MemberLookup{"new code before it was valid", "NEWFISCAL", "31/12/2024", 0},
                      MemberLookup{"blanks around both codes", "  BLANKFISCAL  ", "31/12/2024", 920},
                      MemberLookup{"a year without a group structure", "MBRFSC80A01H501U", "31/12/2023", 0},
                      MemberLookup{"another company's group", "OTHERGROUP", "31/12/2024", 0}),
    scripted::ByName());

TEST_F(ImportWindowFileTest, AFiscalCodeHoldingAQuoteFailsTheLookupAndCannotWidenIt) {
    // Were the quote let through, this code would match every member of the group.
    auto& w = open();
    const auto mark = host.calls->size();
    EXPECT_TRUE(choose(w, member_file({.fiscal_code = "X' OR '1'='1"})));
    EXPECT_EQ(errors_shown(), Texts{"GeneraRecordSetStrutturaAnno"});
    EXPECT_EQ(window_log().errors.at(0).number, ado::kErrProvider);
    EXPECT_EQ(messages_since(mark), Texts{kNotInGroup});
    EXPECT_EQ(w.last_outcome().errors_reported, 1);
    EXPECT_EQ(w.import_state().group_structure, nullptr);
}

// The answer to question 113: 0 declines, anything else goes on.
class ReimportQuestion : public module_test::ImportWindowFixture,
                         public ::testing::WithParamInterface<std::int16_t> {};

TEST_P(ReimportQuestion, AFileImportedBeforeIsOpenedAgainOnlyWhenTheUserSaysSo) {
    const std::int16_t answer = GetParam();
    add_history(1, "/archive/2024/member.xml");
    const Path file = member_file({}, "in/member.xml");
    host.components().configure_log = [answer](scripted::Log& log) { log.message_answer = answer; };
    auto& w = open();
    const auto mark = host.calls->size();
    EXPECT_EQ(choose(w, file), answer == 0);
    EXPECT_EQ(messages_since(mark), Texts{"113,4,File già importato. Forza?"});
    EXPECT_TRUE(host.calls->contains("Log.SetDefaultButton(256)"));
    EXPECT_EQ(w.last_outcome().file_accepted, answer != 0);
    EXPECT_EQ(w.CMD_IMPORTA.enabled, answer != 0);
    // Declined: the path box proposes the folder of the last import again.
    EXPECT_EQ(w.TXT_NOMEFILE.text, answer == 0 ? "/archive/2024/" : file.string());
}

INSTANTIATE_TEST_SUITE_P(Answers, ReimportQuestion, ::testing::Values(std::int16_t{0}, std::int16_t{6}),
                         [](const auto& answer) { return answer.param == 0 ? "No" : "Yes"; });

TEST_F(ImportWindowFileTest, AFileCountsAsImportedByItsNameForTheSameCompanyOnly) {
    for (const char* stored : {"/archive/a.xml", "C:\\Import\\b.xml", "2024|X|  /srv/in/c.xml  ", " d.xml "})
        add_history(1, stored);
    add_history(2, "/archive/e.xml");
    exec(
        "INSERT INTO IE42_IMPCOGE (IE42_DITTA_CG18, IE42_DATAORA, IE42_NOMEFILE) VALUES (1, '20250101', "
        "NULL)");
    const std::vector<std::pair<std::string, bool>> cases = {
        {"/elsewhere/a.xml", true}, {"a.xml", true},          {"/x/b.xml", true},
        {"C:\\y\\c.xml", true},     {"  /z/d.xml  ", true},   {"/archive/e.xml", false},
        {"/archive/A.xml", false},  {"/archive/a.xm", false}, {"", false}};
    auto& w = open();
    importfile::FileOpener opener(w);
    for (const auto& [path, imported] : cases) EXPECT_EQ(opener.IsFileGiaImportato(path), imported) << path;
    EXPECT_TRUE(errors_shown().empty());
}

TEST_F(ImportWindowFileTest, ThePathBoxProposesTheFolderOfTheCompanysLastImportOfThisKind) {
    add_history(1, "/srv/first/a.xml");
    add_history(1, "A|B|C:\\Dati\\Gruppo\\b.xml");
    add_history(1, "/srv/standard/c.xml", 0);
    add_history(2, "/other/company/d.xml");
    auto& w = open();
    EXPECT_EQ(w.TXT_NOMEFILE.text, "A|B|C:\\Dati\\Gruppo\\");
    EXPECT_EQ(w.TXT_NOMEFILE.text_refreshes, 1);
    EXPECT_EQ(w.TXT_NOMEFILE.list_refreshes, 1);

    exec("DELETE FROM IE42_IMPCOGE WHERE IE42_DITTA_CG18 = 1 AND IE42_INDPROVIMP = 1");
    w.TXT_NOMEFILE.text = "typed by the user";
    importfile::FileOpener(w).ImpostaSuggerimentoUltimoFolder();
    EXPECT_EQ(w.TXT_NOMEFILE.text, "typed by the user");
}

TEST_F(ImportWindowFileTest, PathsThatNameNoFileAreNotOpened) {
    auto& w = open();
    ASSERT_FALSE(choose(w, member_file()));
    const auto mark = host.calls->size();
    for (const std::string text : {"", "   ", "/srv/in/", "C:\\in\\"}) {
        w.TXT_NOMEFILE.text = text;
        EXPECT_FALSE(w.TXT_NOMEFILE_Validate()) << text;
        EXPECT_FALSE(w.CMD_IMPORTA.enabled) << text;
    }
    EXPECT_EQ(messages_since(mark), Texts{});
    // Opened directly, such a path is refused with message 100.
    bool cancel = false;
    importfile::FileOpener(w).ApreFileXML(cancel);
    EXPECT_TRUE(cancel);
    EXPECT_EQ(messages_since(mark), Texts{"100,3,File non valido."});
}

}  // namespace
