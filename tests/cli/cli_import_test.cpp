// The import command run as a program on a demo database: every exit status this build can
// produce, what it prints, that a refused file leaves the database as it was, and what the
// import of the demo's member files prints and writes.
#include <gtest/gtest.h>

#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "cli_process.h"
#include "json_check.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;
using cli_test::contains;
using cli_test::read_file;
using cli_test::run_ledgerintake;
using cli_test::write_file;

const std::string kYear = [] {
    const std::time_t now = std::time(nullptr);
    return std::to_string(std::localtime(&now)->tm_year + 1900);
}();

// One demo folder for the whole suite (a small one); each case works on copies.
const fs::path& demo_folder() {
    static scripted::TempDir dir;
    static const bool built = [] {
        const auto run = run_ledgerintake(dir.path(), {"demo", "--dir", "demo", "--entries", "12"});
        EXPECT_EQ(run.status, 0) << run.err;
        return true;
    }();
    (void)built;
    static const fs::path demo = dir.path() / "demo";
    return demo;
}

// A member's file the demo wrote for this year: "alfa", "beta" or "gamma".
std::string demo_file(const std::string& member) {
    return read_file(demo_folder() / (member + "-" + kYear + ".xml"));
}

// The good member's file, which the demo imported once already.
const std::string& member_file() {
    static const std::string text = demo_file("alfa");
    return text;
}

// A copy of the demo database as books.db in `dir`, beside the member's file as alfa.xml.
fs::path copy_demo(const fs::path& dir) {
    fs::copy_file(demo_folder() / "ledgerintake.db", dir / "books.db");
    write_file(dir / "alfa.xml", member_file());
    return dir / "books.db";
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

struct Case {
    fs::path dir, db;
    std::string file = "alfa.xml";
    std::vector<std::string> extra;
    void sql(const std::string& statement) const {
        const auto run = run_ledgerintake(dir, {"db", "sql", "--db", db.string(), statement});
        ASSERT_EQ(run.status, 0) << statement << ": " << run.err;
    }
};

struct ImportCase {
    const char* name;
    std::function<void(Case&)> prepare;  // on a copy of the demo database and the member's file
    int status;
    std::string out_has, err_has;
    bool database_unchanged;
};

// Cases print as their name in the test listing.
void PrintTo(const ImportCase& c, std::ostream* os) {
    *os << c.name;
}

const std::string kNotFound = "File non trovato.";
const std::string kImported = "Importazione ESEGUITA con successo.";
const std::string kTranscodingsMissing =
    "Impossibile proseguire con l'importazione!\nRiscontrata l'assenza di transcodifiche. ";
const std::string kNotValid = "File non valido.";
const std::string kXmlError = "Errore in lettura file xml.";
const std::string kNotPertinent = "File NON pertinente o versione NON corretta.";
const std::string kNotInGroup =
    "L'azienda indicata nel file sorgente NON è presente nella struttura del gruppo IVA dell'anno!";

// Built when the tests are listed: nothing here may need the demo folder yet.
std::vector<ImportCase> import_cases() {
    const auto text = [](std::string content) {
        return [content](Case& c) { write_file(c.dir / c.file, content); };
    };
    const auto member = [](std::string name) {
        return [name](Case& c) { write_file(c.dir / c.file, demo_file(name)); };
    };
    const auto edited_member = [](std::string name, std::string from, std::string to) {
        return [name, from, to](Case& c) { write_file(c.dir / c.file, replaced(demo_file(name), from, to)); };
    };
    const auto edited = [](std::string from, std::string to) {
        return [from, to](Case& c) { write_file(c.dir / c.file, replaced(member_file(), from, to)); };
    };
    const auto sql = [](std::string statement, std::vector<std::string> extra = {}) {
        return [statement, extra](Case& c) {
            c.sql(statement);
            c.extra = extra;
        };
    };
    const std::string imported_before =
        "INSERT INTO IE42_IMPCOGE (IE42_DITTA_CG18, IE42_DATAORA, IE42_NOMEFILE, IE42_INDPROVIMP) VALUES (1, "
        "'20240105', ";
    const std::string to_date = "<IE40_ADATA>31/12/" + kYear;
    return {
        {"entries_taken_over_before_are_skipped", [](Case&) {}, 0, kImported, "", false},
        {"second_member_is_imported", member("beta"), 0, kImported, "", false},
        {"third_member_lacks_two_transcodings", member("gamma"), 2, kTranscodingsMissing, "", true},
        // A document number the VAT numbering cannot record: those entries are rolled back,
        // the others are written.
        {"entries_refused_end_with_message_108",
         edited_member("beta", "<CG41_NUMDOC>1</CG41_NUMDOC>", "<CG41_NUMDOC>1/A</CG41_NUMDOC>"), 1,
         "Sono stati riscontrati errori.\nImportazione NON eseguita o eseguita in modo parziale!", "", false},
        {"totals_not_rebuilt_end_with_message_110", sql("DELETE FROM HOST_EXERCISE"), 3,
         "ERRORE nella ricostruzione dei progressivi contabili e dei progressivi IVA.", "", false},
        {"missing_file", [](Case& c) { c.file = "absent.xml"; }, 66, kNotFound, "", true},
        {"folder", [](Case& c) { fs::create_directory(c.dir / (c.file = "folder")); }, 66, kNotFound, "",
         true},
        {"empty_path", [](Case& c) { c.file = ""; }, 65, kNotValid, "", true},
        {"path_ending_in_a_separator", [](Case& c) { c.file = "folder/"; }, 65, kNotValid, "", true},
        {"empty_file", text(""), 65, kXmlError, "", true},
        {"not_xml", text("journal;2026;100.00\n"), 65, kXmlError, "", true},
        {"truncated_xml",
         [](Case& c) { write_file(c.dir / c.file, member_file().substr(0, member_file().size() / 2)); }, 65,
         kXmlError, "", true},
        {"wrong_root",
         text("<Movimenti><Impostazioni><IE40_VERSIONE_FILE>1.0</IE40_VERSIONE_FILE></Impostazioni></"
              "Movimenti>"),
         65, kNotPertinent, "", true},
        {"version_2_0", edited(">1.0<", ">2.0<"), 65, kNotPertinent, "", true},
        {"version_with_blanks", edited(">1.0<", "> 1.0 <"), 65, kNotPertinent, "", true},
        {"member_not_in_the_structure", edited("01122334455", "55544433322"), 65, kNotInGroup, "", true},
        {"year_without_a_structure", edited(to_date, "<IE40_ADATA>31/12/2001"), 65, kNotInGroup, "", true},
        {"path_with_a_quote",
         [](Case& c) { fs::rename(c.dir / "alfa.xml", c.dir / (c.file = "member's.xml")); }, 65, "",
         "single quote", true},
        {"reimport_declined", sql(imported_before + "'C:\\exports\\alfa.xml', 1)"), 65,
         "File già importato. Forza? no", "", true},
        {"reimport_confirmed", sql(imported_before + "'/old/alfa.xml', 1)", {"--yes"}), 0,
         "File già importato. Forza? yes", "", false},
        {"company_without_vat_activities", sql("DELETE FROM CG86_ATTIVITAIVA WHERE CG86_ANNO = " + kYear), 2,
         "ERRORE nei parametri delle attività esercitate.", "", false},
        {"company_with_statements", sql("UPDATE HOST_COMPANY SET FLG_STATEMENTS_CUSTOMERS = 1"), 4,
         "L'azienda gestisce estratto conto e/o portafoglio.", "", true},
        // A header date that is no date stops the check; the error names the element and its
        // text. Answered ignore, the check goes on and refuses the file with message 106, and
        // the command says that the ignored error may be the cause.
        {"header_date_that_is_no_date", edited(to_date, "<IE40_ADATA>soon"), 70, "",
         "ApreFileXML: IE40_ADATA 'soon': Type mismatch [13]", true},
        {"header_date_that_does_not_exist_ignored",
         [to_date](Case& c) {
             write_file(c.dir / c.file, replaced(member_file(), to_date, "<IE40_ADATA>31/02/" + kYear));
             c.extra = {"--on-error", "ignore"};
         },
         65,
         "message 106 may follow from an error ignored during the check of the file: ApreFileXML: "
         "IE40_ADATA '31/02/" +
             kYear + "': Type mismatch [13]",
         "ApreFileXML: IE40_ADATA '31/02/" + kYear + "': Type mismatch [13]", true},
        {"unknown_company",
         [](Case& c) {
             c.extra = {"--company", "7"};
         },
         64, "", "company 7", true},
        {"missing_database", [](Case& c) { c.db = c.dir / "absent.db"; }, 74, "", "db init", false},
        {"database_without_schema", [](Case& c) { write_file(c.db = c.dir / "empty.db", ""); }, 74, "",
         "db init", true},
        {"not_a_database",
         [](Case& c) { write_file(c.db = c.dir / "notes.db", "my notes, not a database\n"); }, 74, "",
         "cannot read the database", true},
        {"database_path_is_a_folder", [](Case& c) { c.db = c.dir; }, 74, "", "cannot read the database",
         false},
    };
}

// The messages about the file, each followed by a line naming it.
const std::string kFileMessages[] = {kNotFound,     kNotValid,   kXmlError,
                                     kNotPertinent, kNotInGroup, "File già importato. Forza?"};

class ImportCommand : public ::testing::TestWithParam<ImportCase> {
  protected:
    // FILE as the window looked it up: absolute and normalised.
    std::string looked_up() const {
        if (c.file.empty()) return "";
        return (fs::canonical(c.dir) / c.file).lexically_normal().string();
    }
    // Prepares the case and runs the import, its report in text or in JSON.
    cli_test::Run run(bool json) {
        c.dir = dir.path();
        c.db = copy_demo(dir.path());
        GetParam().prepare(c);
        before = fs::is_regular_file(c.db) ? read_file(c.db) : "";
        std::vector<std::string> args = {"import", c.file, "--db", c.db.string()};
        if (json) args.push_back("--json");
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        return run_ledgerintake(c.dir, args);
    }
    scripted::TempDir dir;
    Case c;
    std::string before;
};

TEST_P(ImportCommand, EndsWithItsStatusAndMessage) {
    const ImportCase& expected = GetParam();
    const auto run = this->run(false);
    EXPECT_EQ(run.status, expected.status) << run.out << run.err;
    EXPECT_TRUE(contains(run.out, expected.out_has)) << run.out;
    EXPECT_TRUE(contains(run.err, expected.err_has)) << run.err;
    bool about_the_file = false;
    for (const std::string& message : kFileMessages) {
        const auto at = run.out.find(message);
        if (at == std::string::npos) continue;
        about_the_file = true;
        const std::string line = "  file: " + (c.file.empty() ? "(no path given)" : looked_up()) + "\n";
        EXPECT_NE(run.out.find("\n" + line, at), std::string::npos) << line << "after " << message << " in\n"
                                                                    << run.out;
    }
    if (!about_the_file) {
        EXPECT_FALSE(contains(run.out, "  file: ")) << run.out;
    }
    if (expected.database_unchanged) {
        EXPECT_TRUE(read_file(c.db) == before) << "the database changed";
    }
}

TEST_P(ImportCommand, JsonIsOneObjectWithTheStatus) {
    const ImportCase& expected = GetParam();
    const auto run = this->run(true);
    EXPECT_EQ(run.status, expected.status);
    EXPECT_TRUE(cli_test::is_one_json_object(run.out)) << run.out;
    EXPECT_EQ(run.out.rfind("{\"status\":" + std::to_string(expected.status) + ",", 0), 0u) << run.out;
    EXPECT_TRUE(contains(run.out, ",\"path\":\"" + looked_up() + "\",")) << run.out;
    // A trapped error of the file's check keeps its number and names the file's value; a
    // refusal that may follow from an ignored one says so in the detail.
    const std::string procedure = "ApreFileXML: ";
    if (expected.err_has.rfind(procedure, 0) == 0) {
        const std::string description =
            expected.err_has.substr(procedure.size(), expected.err_has.size() - procedure.size() - 5);
        EXPECT_TRUE(contains(
            run.out, "{\"procedure\":\"ApreFileXML\",\"number\":13,\"description\":\"" + description + "\","))
            << description << " in " << run.out;
    }
    if (expected.out_has.rfind("message 106 may follow", 0) == 0) {
        EXPECT_TRUE(contains(run.out, "\"detail\":\"" + expected.out_has + "\"")) << run.out;
    }
    if (expected.out_has == kNotInGroup) {
        EXPECT_TRUE(contains(run.out, "\"message\":{\"id\":106,\"text\":\"L'azienda indicata")) << run.out;
    }
    if (expected.out_has == kTranscodingsMissing) {
        EXPECT_TRUE(contains(run.out, "\"message\":{\"id\":109,")) << run.out;
        EXPECT_TRUE(contains(run.out, "\"log_rows\":16,\"log_errors\":2}")) << run.out;
    }
    for (const char* key : {"\"message\":{\"id\":", "\"counts\":{", "\"log\":[", "\"messages\":["})
        EXPECT_TRUE(contains(run.out, key)) << key << " in " << run.out;
}

INSTANTIATE_TEST_SUITE_P(Cases, ImportCommand, ::testing::ValuesIn(import_cases()),
                         [](const ::testing::TestParamInfo<ImportCase>& c) {
                             return std::string(c.param.name);
                         });

TEST(ImportTrace, WritesTheModuleStatementsFromTheWindowLoadAndJsonCountsTheFile) {
    scripted::TempDir dir;
    copy_demo(dir.path());
    const auto run =
        run_ledgerintake(dir.path(), {"import", "alfa.xml", "--trace-sql", "trace.sql", "--json"}, "",
                         {{"LEDGERINTAKE_DB", (dir / "books.db").string()}});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(contains(run.out, "\"counts\":{\"entries\":12,\"sections\":3,\"accounts\":5,\"causals\":6"))
        << run.out;
    const std::string trace = read_file(dir / "trace.sql");
    // From the window's load on: the first activation's folder suggestion comes before the
    // check of the file's member in the group structure.
    const auto suggestion = trace.find(" SELECT TOP 1 IE42_NOMEFILE");
    const auto structure = trace.find("FROM CGG5_STRUTGR WITH (NOLOCK)");
    ASSERT_NE(structure, std::string::npos) << trace;
    EXPECT_LT(suggestion, structure) << trace;
    EXPECT_TRUE(contains(trace, "\r\nGO\r\n")) << trace;
}

// The printed log is the contract: compared line for line with the golden file, whose first
// line says what it covers.
TEST(DemoImport, TheBadFilePrintsTheLogNamingItsMissingTranscodingsThenMessage109) {
    scripted::TempDir dir;
    const fs::path db = copy_demo(dir.path());
    write_file(dir / "gamma.xml", demo_file("gamma"));
    const auto run = run_ledgerintake(dir.path(), {"import", "gamma.xml", "--db", db.string()});
    EXPECT_EQ(run.status, 2) << run.out << run.err;
    EXPECT_EQ(run.err, "");
    const auto log = run.out.find("Import log (");
    ASSERT_NE(log, std::string::npos) << run.out;
    std::string golden = read_file(fs::path(LEDGERINTAKE_GOLDEN_DIR) / "gamma_import_log.txt");
    ASSERT_EQ(golden.rfind("# ", 0), 0u) << "the golden file starts with a line saying what it covers";
    golden.erase(0, golden.find('\n') + 1);
    EXPECT_EQ(run.out.substr(log), golden);
}

// Everything of the group company's master data an import may create or change.
std::string master_data(const fs::path& dir, const fs::path& db) {
    std::string all;
    for (const char* table : {"CG33_TABCAU ORDER BY CG33_IDPROV", "CG28_TABCODIVA ORDER BY CG28_IDPROV",
                              "CG0L_DESLINGUA ORDER BY CG0L_PROVID, CG0L_IDPROV",
                              "CG16_ANAGGEN ORDER BY CG16_CODICE", "CG44_CLIFOR ORDER BY CG44_IDCLIFOR"}) {
        const auto run =
            run_ledgerintake(dir, {"db", "sql", "--db", db.string(), std::string("SELECT * FROM ") + table});
        EXPECT_EQ(run.status, 0) << table << ": " << run.err;
        all += run.out;
    }
    return all;
}

// The demo imported the good file once: what the books lacked is there, under the group's
// codes, and importing the file again finds it all and creates nothing.
TEST(DemoImport, TheGoodFileCreatedItsMissingMasterDataAndASecondImportCreatesNothing) {
    scripted::TempDir dir;
    const fs::path db = copy_demo(dir.path());
    const auto sql = [&](const std::string& statement) {
        const auto run = run_ledgerintake(dir.path(), {"db", "sql", "--db", db.string(), statement});
        EXPECT_EQ(run.status, 0) << statement << ": " << run.err;
        return run.out;
    };
    // The causal and its linked causal, new in the same file, with their descriptions; the
    // other four were the group's and were found through their transcoding values.
    EXPECT_EQ(
        sql("SELECT CG33_CODICE, CG33_DESCR, CG33_CAUSALEIVA, CG33_CAUSALECOLL, CG33_DATAINS, CG33_UTENTEINS "
            "FROM CG33_TABCAU WHERE CG33_UTENTEINS <> 'admin' ORDER BY CG33_CODICE"),
        "CG33_CODICE,CG33_DESCR,CG33_CAUSALEIVA,CG33_CAUSALECOLL,CG33_DATAINS,CG33_UTENTEINS\n"
        "NCC ,Nota credito a cliente,2,RIMC," +
            kYear + "-01-02 09:00:00,export\nRIMC,Rimborso a cliente,,," + kYear +
            "-01-02 09:00:00,export\n");
    EXPECT_EQ(sql("SELECT COUNT(*) AS N FROM CG33_TABCAU"), "N\n6\n");
    EXPECT_EQ(sql("SELECT CG33_CODICE, CG0L_CODLINGUA_MG52, CG0L_DESCRIZIONE FROM CG0L_DESLINGUA "
                  "JOIN CG33_TABCAU ON CG33_IDPROV = CG0L_IDPROV WHERE CG0L_PROVID = 5 ORDER BY CG33_CODICE"),
              "CG33_CODICE,CG0L_CODLINGUA_MG52,CG0L_DESCRIZIONE\nNCC ,ITA ,Nota credito a cliente\n"
              "RIMC,ITA ,Rimborso a cliente\n");
    EXPECT_EQ(
        sql("SELECT CG28_CODICE, CG28_DESCR, CG28_ALIQUOTA, CG28_INDTIPO, CG28_DATAINIZIO, CG0L_DESCRIZIONE "
            "FROM CG28_TABCODIVA LEFT OUTER JOIN CG0L_DESLINGUA ON CG0L_PROVID = 4 AND CG0L_IDPROV = "
            "CG28_IDPROV ORDER BY CG28_CODICE"),
        "CG28_CODICE,CG28_DESCR,CG28_ALIQUOTA,CG28_INDTIPO,CG28_DATAINIZIO,CG0L_DESCRIZIONE\n"
        "10  ,Aliquota 10%,10,0,2000-01-01,\n22  ,Aliquota 22%,22,0,2000-01-01,\n"
        "4   ,Aliquota 4%,4,0,2000-01-01,\nN2  ,Non soggetto art.7,0,2,2000-01-01,Non soggetto art.7\n");
    // New customers and suppliers take the group's next codes and no account or payment terms
    // of the member's; Tipografia Rapida is one registry record as customer and supplier, and
    // Ottica Moderna, the group's customer, became a supplier on its registry record.
    EXPECT_EQ(sql("SELECT CG44_TIPOCF, CG44_CLIFOR, CG44_CODICE_CG16, CG16_RAGSOANAG, CG44_DATAINS, "
                  "CG44_CONTO_CG24, "
                  "CG44_CODPAG_CG62 FROM CG44_CLIFOR JOIN CG16_ANAGGEN ON CG16_CODICE = CG44_CODICE_CG16 "
                  "WHERE CG44_DITTA_CG18 = 1 ORDER BY CG44_TIPOCF, CG44_CLIFOR"),
              "CG44_TIPOCF,CG44_CLIFOR,CG44_CODICE_CG16,CG16_RAGSOANAG,CG44_DATAINS,CG44_CONTO_CG24,CG44_"
              "CODPAG_CG62\n"
              "0,1,1001,Ottica Moderna S.n.c.,,1101000000,\n"
              "0,2,1003,Bar Centrale di Neri Luca,2020-05-04,,\n"
              "0,3,1004,L'Angolo del Libro S.a.s.,2021-09-21,,\n"
              "0,4,1005,Tipografia Rapida S.r.l.,2022-02-15,,\n"
              "1,1,1002,Trasporti Veloci S.r.l.,,2101000000,\n"
              "1,2,1006,Carta e Penna S.p.A.,2020-03-03,,\n"
              "1,3,1005,Tipografia Rapida S.r.l.,2022-02-15,,\n"
              "1,4,1001,Ottica Moderna S.n.c.,2023-06-07,,\n");
    EXPECT_EQ(sql("SELECT CG16_CODICE, CG16_INDPERSFISICA, CG16_DATANASCITA, CG16_COMFIS_CG01, "
                  "CG16_COMNASCITA_CG01 "
                  "FROM CG16_ANAGGEN WHERE CG16_CODFISCALE = 'NRELCU70A01D612X'"),
              "CG16_CODICE,CG16_INDPERSFISICA,CG16_DATANASCITA,CG16_COMFIS_CG01,CG16_COMNASCITA_CG01\n"
              "1003,1,1970-01-01,D612,D612\n");

    const std::string before = master_data(dir.path(), db);
    const auto again = run_ledgerintake(dir.path(), {"import", "alfa.xml", "--db", db.string()});
    EXPECT_EQ(again.status, 0) << again.out << again.err;
    EXPECT_FALSE(contains(again.out, "Import log")) << again.out;
    EXPECT_EQ(master_data(dir.path(), db), before);
}

}  // namespace
