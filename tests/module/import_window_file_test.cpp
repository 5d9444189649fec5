// Choosing a file in the import window: the files it refuses and the message each gets,
// the file it accepts and what it shows, the member company in the group structure, the
// question before a file is imported again, and the folder of the last import.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

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

TEST_F(ImportWindowFileTest, RefusedFilesGetTheirMessageLeaveTheWindowEmptyAndWriteNothing) {
    const std::string full = import_xml({});
    const std::string not_found = "101,3,File non trovato.",
                      xml_error = "102,3,Errore in lettura file xml.\n";
    // name, what is at the path (nothing, "/" a folder, or the file's text), the message
    // ("code,kind,text"; for 102 the text up to the parser's reason)
    const std::vector<std::tuple<std::string, std::optional<std::string>, std::string>> cases = {
        {"missing file", std::nullopt, not_found},
        {"a folder", "/", not_found},
        {"empty file", "", xml_error},
        {"not XML", "plain text\n", xml_error},
        {"truncated", full.substr(0, full.size() / 2), xml_error},
        {"wrong root", import_xml({.root = "Movimenti"}), kNotPertinent},
        {"version with blanks", import_xml({.version = " 1.0"}), kNotPertinent},
        {"version 1.1", import_xml({.version = "1.1"}), kNotPertinent},
        {"no version", import_xml({.version = std::nullopt}), kNotPertinent},
        {"member not in the group", import_xml({.fiscal_code = "OTHERFISCALCODE1"}), kNotInGroup},
        {"no fiscal code", import_xml({.fiscal_code = std::nullopt}), kNotInGroup}};
    auto& w = open();
    const auto counts = table_counts();
    ASSERT_GT(counts.size(), 20u);
    for (const auto& [name, content, message] : cases) {
        SCOPED_TRACE(name);
        // An accepted file first, so that the refusal has something to clear.
        ASSERT_FALSE(choose(w, member_file({}, "ok/member.xml")));
        ASSERT_TRUE(w.CMD_IMPORTA.enabled);
        const Path path = dir / name / "member.xml";
        if (content == "/")
            std::filesystem::create_directories(path);
        else if (content)
            write_text(path, *content);
        const auto mark = host.calls->size();

        EXPECT_TRUE(choose(w, path));

        const Texts shown = messages_since(mark);
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].rfind(message, 0), 0u) << shown[0];
        if (message == xml_error) {  // the parser's reason and position
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
    }
    EXPECT_TRUE(errors_shown().empty());
    EXPECT_EQ(table_counts(), counts);
}

TEST_F(ImportWindowFileTest, AnAcceptedFileFillsTheWindowAndEnablesTheImport) {
    auto& w = open();
    const auto mark = host.calls->size();
    EXPECT_FALSE(choose(w, member_file()));
    EXPECT_EQ(messages_since(mark), Texts{});
    EXPECT_TRUE(w.last_outcome().file_accepted);
    const std::vector<std::pair<const module::TextBox*, std::string>> shown = {
        {&w.TXT_DADATA, "01/01/2024"},           {&w.TXT_ADATA, "31/12/2024"},
        {&w.TXT_DATAEXP, "15/01/2025 10:30:00"}, {&w.TXT_UTEXP, "mario"},
        {&w.TXT_AZIEXP, "7"},                    {&w.TXT_CODANAEXP, "501"},
        {&w.TXT_RAGSOCEXP, "Membro Uno S.r.l."}, {&w.TXT_INDEXP, "Via Roma 1"},
        {&w.TXT_CAPEXP, "00100"},                {&w.TXT_CITTAEXP, "Roma"},
        {&w.TXT_PROVEXP, "RM"},                  {&w.TXT_CFISCEXP, kMemberFiscalCode},
        {&w.TXT_PIVAEXP, "01234567890"},         {&w.TXT_CODANAIMP, "900"}};
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

TEST_F(ImportWindowFileTest, MasterTableChecksFollowTheGroupStructureIndicators) {
    const std::vector<std::pair<const char*, std::vector<int>>> cases = {
        // indicators SEZ, CONTI, CAUCONT, CODIVA; checks of sections, accounts, causals, VAT codes
        {"1, 1, 1, 1", {1, 1, 1, 1}}, {"0, 3, 0, 0", {0, 1, 0, 0}}, {"2, 2, 2, 2", {0, 0, 0, 0}},
        {"NULL, NULL, NULL, NULL", {0, 0, 0, 0}}, {"1, 0, 3, 1", {1, 0, 0, 1}}};
    auto& w = open();
    const Path file = member_file();
    for (const auto& [indicators, checks] : cases) {
        SCOPED_TRACE(indicators);
        exec("DELETE FROM CGG5_STRUTGR");
        add_group_structure(1, 2024, kMemberRegistryCode, indicators);
        ASSERT_FALSE(choose(w, file));
        EXPECT_EQ(std::vector<int>(
                      {w.CHK_TABSEZ.value, w.CHK_TABPDC.value, w.CHK_TABCAU.value, w.CHK_TABCODIVA.value}),
                  checks);
    }
}

TEST_F(ImportWindowFileTest, TheMemberIsFoundByTrimmedFiscalCodeInTheRegistryRecordValidInTheYear) {
    // Registry 910 has had NEWFISCAL since 2025; until mid-2024 it had OLDFISCAL. Registry
    // 920 is stored with blanks around its code. Company 2's group does not count.
    exec("INSERT INTO CG16_ANAGGEN (CG16_CODICE, CG16_CODFISCALE, CG16_INIZIOVALIDITA) VALUES (910, "
         "'NEWFISCAL', '20250101')");
    exec("INSERT INTO CG16_ANAGGENSTO (CG16S_CODICE_CG16, CG16S_CODFISCALE, CG16S_FINEVALIDITA) VALUES (910, "
         "'OLDFISCAL', '20240630')");
    exec("INSERT INTO CG16_ANAGGEN (CG16_CODICE, CG16_CODFISCALE) VALUES (920, '  BLANKFISCAL ')");
    exec("INSERT INTO CG16_ANAGGEN (CG16_CODICE, CG16_CODFISCALE) VALUES (930, 'OTHERGROUP')");
    add_group_structure(1, 2024, 910);
    add_group_structure(1, 2025, 910);
    add_group_structure(1, 2024, 920);
    add_group_structure(2, 2024, 930);
    const std::vector<std::tuple<const char*, const char*, int>> cases = {
        // fiscal code, last date, registry found
        {"OLDFISCAL", "31/03/2024", 910},       {"OLDFISCAL", "31/12/2024", 0},
        {"NEWFISCAL", "31/01/2025", 910},       {"NEWFISCAL", "31/12/2024", 0},
        {"  BLANKFISCAL  ", "31/12/2024", 920}, {kMemberFiscalCode, "31/12/2023", 0},
        {"OTHERGROUP", "31/12/2024", 0}};
    auto& w = open();
    for (const auto& [fiscal_code, to_date, found] : cases) {
        SCOPED_TRACE(std::string(fiscal_code) + " " + to_date);
        EXPECT_EQ(choose(w, member_file({.to_date = to_date, .fiscal_code = fiscal_code})), found == 0);
        EXPECT_EQ(w.TXT_CODANAIMP.text, found ? std::to_string(found) : "");
    }
}

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

TEST_F(ImportWindowFileTest, AFileImportedBeforeIsOpenedAgainOnlyWhenTheUserSaysSo) {
    add_history(1, "/archive/2024/member.xml");
    const Path file = member_file({}, "in/member.xml");
    for (const std::int16_t answer : {std::int16_t{0}, std::int16_t{6}}) {
        SCOPED_TRACE(answer);
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
}

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
