#include <fstream>
#include <iterator>

#include "refhost/schema_scripts.h"
#include "refhost_fixture.h"

namespace refhost_test {
namespace fs = std::filesystem;
using refhost::DatabaseState;

std::string file_bytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_file(const fs::path& p, const std::string& text) {
    std::ofstream(p, std::ios::binary) << text;
}

TEST_F(DatabaseTest, InitTwiceKeepsDataAndRecordsTheVersionOnce) {
    exec("INSERT INTO HOST_COMPANY (COMPANY_CODE, NAME) VALUES (1, 'Gruppo')");
    refhost::init_database(db_path());
    refhost::init_database(db_path());
    EXPECT_EQ(conn_.Execute(" SELECT COUNT(*) FROM HOST_COMPANY")->GetFields().Item(0).Value().to_long(), 1);
    const auto rs = conn_.Execute(" SELECT VERSION, CREATED FROM HOST_SCHEMA");
    ASSERT_EQ(rs->RecordCount(), 1);
    EXPECT_EQ(rs->GetFields().Item("VERSION").Value().to_long(), refhost::kSchemaVersion);
    EXPECT_TRUE(rs->GetFields().Item("CREATED").Value().is_date());
}

// check_database tells the state without creating or changing files; init_database refuses
// what is not its database (a text file, a path in a missing folder, a database whose
// schema tables were made by hand) and changes nothing.
TEST_F(DatabaseTest, CheckTellsTheStateAndInitRefusesWhatIsNotItsDatabase) {
    const fs::path missing = dir_ / "missing.db", bare = dir_ / "bare.db", text = dir_ / "notes.txt";
    ado::Connection hand_made(refhost::connection_string(bare, true));
    hand_made.Open();
    hand_made.Execute("CREATE TABLE CG01_ANAGCOMUNI (CG01_CODICE CHAR(4) NOT NULL PRIMARY KEY)");
    hand_made.Execute("INSERT INTO CG01_ANAGCOMUNI (CG01_CODICE) VALUES ('H501')");
    hand_made.Close();
    write_file(text, "not a database");
    fs::create_directory(dir_ / "folder.db");
    conn_.Close();
    // No -wal or -shm file is left beside a database that was only checked.
    EXPECT_EQ(refhost::check_database(db_path()), DatabaseState::Ready);
    EXPECT_FALSE(fs::exists(db_path().string() + "-wal"));
    EXPECT_FALSE(fs::exists(db_path().string() + "-shm"));
    fs::permissions(db_path(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const std::string ready_bytes = file_bytes(db_path());
    const auto ready_time = fs::last_write_time(db_path());

    const std::vector<std::pair<fs::path, DatabaseState>> cases = {
        {missing, DatabaseState::Missing},
        {bare, DatabaseState::NoSchema},
        {db_path(), DatabaseState::Ready},
        {text, DatabaseState::Unreadable},
        {dir_ / "folder.db", DatabaseState::Unreadable}};
    for (const auto& [path, expected] : cases) EXPECT_EQ(refhost::check_database(path), expected) << path;
    EXPECT_FALSE(fs::exists(missing));
    EXPECT_EQ(file_bytes(db_path()), ready_bytes);
    EXPECT_EQ(fs::last_write_time(db_path()), ready_time);

    for (const fs::path& refused : {text, dir_ / "no-such-folder" / "x.db", bare})
        EXPECT_THROW(refhost::init_database(refused), ado::Error) << refused;
    EXPECT_EQ(file_bytes(text), "not a database");
    EXPECT_FALSE(fs::exists(dir_ / "no-such-folder"));
    EXPECT_EQ(refhost::check_database(bare), DatabaseState::NoSchema);
    hand_made.Open();
    EXPECT_EQ(
        hand_made.Execute(" SELECT COUNT(*) FROM CG01_ANAGCOMUNI")->GetFields().Item(0).Value().to_long(), 1);
}

// A database set up by version 1 lacks the tables versions 2 and 3 added: it is not ready
// until db init has added them, which keeps everything it holds.
TEST_F(DatabaseTest, InitAddsWhatAnOlderVersionLacks) {
    const std::vector<std::string> added = {
        "HOST_VAT_NUMBERING", "HOST_ACTIVITY_SECTION",  "HOST_PROG_CONTI",        "HOST_PROG_ESERCIZIO",
        "HOST_PROG_IVA",      "HOST_PROG_IVA_ATTIVITA", "HOST_PROG_REGISTRI_IVA", "HOST_IMPORT_LOG"};
    exec("INSERT INTO HOST_COMPANY (COMPANY_CODE, NAME) VALUES (1, 'Gruppo')");
    for (const auto& table : added)
        if (table != "HOST_PROG_IVA") exec("DROP TABLE " + table);  // one already there stays as it is
    exec(
        "INSERT INTO HOST_PROG_IVA (COMPANY_CODE, VAT_CODE, SECTION, YEAR, MONTH, TAXABLE, TAX) "
        "VALUES (1, '22', '01', 2024, 1, 0.1, 0.022)");
    exec("UPDATE HOST_SCHEMA SET VERSION = 1, CREATED = '20200102 03:04:05'");
    conn_.Close();
    EXPECT_EQ(refhost::check_database(db_path()), DatabaseState::NoSchema);

    refhost::init_database(db_path());
    EXPECT_EQ(refhost::check_database(db_path()), DatabaseState::Ready);
    conn_.Open(refhost::connection_string(db_path()));
    for (const auto& table : added) EXPECT_NO_THROW(conn_.Execute("SELECT COUNT(*) FROM " + table)) << table;
    const auto rs = conn_.Execute(" SELECT VERSION, CREATED FROM HOST_SCHEMA");
    ASSERT_EQ(rs->RecordCount(), 1);
    EXPECT_EQ(rs->GetFields().Item("VERSION").Value().to_long(), refhost::kSchemaVersion);
    EXPECT_EQ(rs->GetFields().Item("CREATED").Value().to_date().compact(), "20200102 03:04:05");
    EXPECT_EQ(conn_.Execute("SELECT COUNT(*) FROM HOST_COMPANY")->GetFields().Item(0).Value().to_long(), 1);
    EXPECT_EQ(
        conn_.Execute("SELECT TAX FROM HOST_PROG_IVA")->GetFields().Item(0).Value().to_decimal().to_string(),
        "0.022");
}

TEST_F(DatabaseTest, PathsWithSeparatorsOrQuotesWork) {
    for (const std::string name : {"a;b.db", "it's \"here\".db", " blank.db"}) {
        SCOPED_TRACE(name);
        refhost::init_database(dir_ / name);
        EXPECT_EQ(refhost::check_database(dir_ / name), DatabaseState::Ready);
    }
}

// Every table and view of the scripts, with the columns the module and the host look up by.
TEST_F(DatabaseTest, EveryTableExistsWithItsKeyColumns) {
    const std::vector<std::pair<std::string, std::string>> tables = {
        {"CG01_ANAGCOMUNI", "CG01_CODICE, CG01_PROV"},
        {"CG37_CONTIPRSSTD", "CG37_CODICE"},
        {"CG68_NUMERDESC", "CG68_DITTA_CG18, CG68_INDTIPOLOGIA, CG68_SEZIONALE"},
        {"CG24_TABPDC", "CG24_GRUPPO_CG10, CG24_CONTO, CG24_LIVELLO"},
        {"CG33_TABCAU", "CG33_IDPROV, CG33_CODICE, CG33_CAUSALEIVA"},
        {"CG28_TABCODIVA", "CG28_IDPROV, CG28_CODICE, CG28_ALIQUOTA"},
        {"CG0L_DESLINGUA", "CG0L_CODLINGUA_MG52, CG0L_PROVID, CG0L_IDPROV"},
        {"CG16_ANAGGEN", "CG16_CODICE, CG16_CODFISCALE, CG16_PARTIVA"},
        {"CG16_ANAGGENSTO", "CG16S_CODICE_CG16, CG16S_INIZIOVALIDITA"},
        {"VCG16_ANAGGEN", "CG16_CODICE, CG16_CODFISCALE, INIZIOVALIDITATOT, FINEVALIDITATOT"},
        {"CG44_CLIFOR", "CG44_DITTA_CG18, CG44_TIPOCF, CG44_CLIFOR, CG44_CODICE_CG16"},
        {"CG26_PROGANAG", "CG26_CODICE, CG26_VALPROG"},
        {"HOST_USER", "USER_CODE, USER_GROUP"},
        {"CG36_PRSPDC", "CG36_GRUPPO_CG10, CG36_CODICE, CG36_CONTO_CG24"},
        {"CGG5_STRUTGR", "CGG5_ID, CGG5_DITTA_CG18, CGG5_ANNO, CGG5_CODICEAN_CG16"},
        {"CGG6_TRASCODIFVAL", "CGG6_ID_CGG5, CGG6_INDTRASC, CGG6_VALESTERNO"},
        {"IE42_IMPCOGE", "IE42_ID, IE42_DITTA_CG18, IE42_NOMEFILE"},
        {"HOST_SCHEMA", "VERSION, CREATED"},
        {"HOST_IMPORT_LOG", "IE42_ID, PROGR, STATO"},
        {"IE43_DETTIMPCOGE", "IE43_DITTA_CG18, IE43_AZIENDARIF, IE43_NUMREG_AZIENDARIF, IE43_ID_IE42"},
        {"CO99_MASTERDOC", "CO99_DITTA_CG18, CO99_NUMREG"},
        {"CG41_PRIMANOTA", "CG41_DITTA_CG18, CG41_NUMREG, CG41_DATAREG"},
        {"CG42_MOVCONT", "CG42_DITTA_CG18, CG42_NUMREG_CG41, CG42_NUMRIGACONT, CG42_IMPDARE, CG42_IMPAVERE"},
        {"CG43_MOVIVA", "CG43_DITTA_CG18, CG43_NUMREG_CG41, CG43_NUMRIGAIVA, CG43_IMPONIBILE, CG43_IMPOSTA"},
        {"HOST_COMPANY", "COMPANY_CODE, CHART_GROUP, FLG_PORTFOLIO_PAYABLE, PROPOSAL_13"},
        {"HOST_EXERCISE", "COMPANY_CODE, START_DATE, END_DATE, EXERCISE_VALUE1, EXERCISE_VALUE2"},
        {"CG86_ATTIVITAIVA", "CG86_IDATTIVITA, CG86_DITTA_CG18, CG86_ANNO, CG86_CODATTIVITA"},
        {"HOST_VAT_NUMBERING", "COMPANY_CODE, YEAR, SECTION, KIND, LAST_NUMBER, LAST_DATE"},
        {"HOST_ACTIVITY_SECTION", "COMPANY_CODE, SECTION, ACTIVITY_CODE"},
        {"HOST_PROG_CONTI", "COMPANY_CODE, ACCOUNT_GROUP, ACCOUNT, YEAR, MONTH, DEBIT, CREDIT"},
        {"HOST_PROG_ESERCIZIO", "COMPANY_CODE, EXERCISE_VALUE1, EXERCISE_VALUE2, ACCOUNT, DEBIT, CREDIT"},
        {"HOST_PROG_IVA", "COMPANY_CODE, VAT_CODE, SECTION, YEAR, MONTH, TAXABLE, TAX"},
        {"HOST_PROG_IVA_ATTIVITA", "COMPANY_CODE, ACTIVITY_ID, ACTIVITY_CODE, VAT_CODE, TAXABLE, TAX"},
        {"HOST_PROG_REGISTRI_IVA", "COMPANY_CODE, ACTIVITY_ID, SECTION, TAXABLE, TAX, LAST_PROTOCOL"}};
    for (const auto& [table, columns] : tables) {
        SCOPED_TRACE(table);
        EXPECT_NO_THROW(conn_.Execute(" SELECT " + columns + " FROM " + table + " WHERE 1 = 0"));
    }
    // The list above covers every object the scripts create.
    for (const auto& script : refhost::schema_scripts()) {
        for (const auto& statement : refhost::split_batches(script.text)) {
            const auto name = refhost::created_object(statement);
            if (!name) continue;
            EXPECT_TRUE(
                std::any_of(tables.begin(), tables.end(), [&](const auto& t) { return t.first == *name; }))
                << *name << " of " << script.name << " is not checked";
        }
    }
}

}  // namespace refhost_test
