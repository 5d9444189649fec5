// Every statement shape the module sends (S01-S38), with the real column names, on the
// reference schema as `db init` creates it.
#include <gtest/gtest.h>

#include "sqlite_support.h"

namespace ado::testing {
namespace {

// Lines as the module builds them: a leading blank, joined by CR LF.
std::string lines(std::initializer_list<const char*> ls) {
    std::string out;
    for (const char* l : ls) out += std::string(l) + "\r\n";
    return out;
}

class Statements : public DbTest {
  protected:
    void SetUp() override {
        DbTest::SetUp();
        db_->execute(schema_script("ledger.sql"));
        db_->execute(schema_script("host.sql"));
    }

    long header_insert(const char* file, const char* when) {
        const std::string sql =
            lines({" INSERT INTO IE42_IMPCOGE (", "     IE42_DITTA_CG18", "     , IE42_DATAORA",
                   "     , IE42_NOMEFILE", "     , IE42_FLGSEZ", "     , IE42_FLGPDC", "     , IE42_FLGCAU",
                   "     , IE42_FLGCODIVA", "     , IE42_FLGCLIFOR", "     , IE42_FLGESTRATTI",
                   "     , IE42_FLGGESTCODID", "     , IE42_DADATA", "     , IE42_ADATA",
                   "     , IE42_INDPROVIMP", "     , IE42_AZIENDARIF", "     , IE42_UTENTE", " ) VALUES (",
                   "     1"}) +
            "     , '" + when + "'\r\n     , '" + file + "'\r\n" +
            lines({"     , 1", "     , 1", "     , 0", "     , 0", "     , 1", "     , 0", "     , 0",
                   "     , '20240101'", "     , NULL", "     , 1", "     , 100", "     , 'ADMIN'", " )"});
        EXPECT_EQ(affected(*db_, sql), 1);
        return scalar(*db_, "SELECT IDENT_CURRENT('IE42_IMPCOGE')").to_long();
    }
};

TEST_F(Statements, SchemaScriptsCreateEveryTable) {
    for (const char* t :
         {"CG01_ANAGCOMUNI", "CG33_TABCAU", "CG16_ANAGGEN", "CG44_CLIFOR", "IE42_IMPCOGE", "IE43_DETTIMPCOGE",
          "CO99_MASTERDOC", "CG41_PRIMANOTA", "CG42_MOVCONT", "CG43_MOVIVA", "CG37_CONTIPRSSTD",
          "CG36_PRSPDC", "CGG5_STRUTGR", "CGG6_TRASCODIFVAL", "HOST_COMPANY"}) {
        SCOPED_TRACE(t);
        EXPECT_FALSE(scalar(*db_, std::string("SELECT OBJECT_ID('") + t + "', 'U')").is_null());
    }
    EXPECT_FALSE(scalar(*db_, "SELECT OBJECT_ID('VCG16_ANAGGEN', 'V')").is_null());
}

// S01, S02, S22-S27, S38: import history.
TEST_F(Statements, ImportHistory) {
    const long first = header_insert("C:\\in\\a.xml", "20240131 10:11:12");
    const long second = header_insert("C:\\in\\b.xml", "20240201 08:00:00");
    EXPECT_EQ(second, first + 1);

    RowSet s01 = query(*db_, lines({" SELECT IE42_NOMEFILE", " FROM IE42_IMPCOGE WITH (NOLOCK)",
                                    " WHERE IE42_DITTA_CG18 = 1", " ORDER BY IE42_NOMEFILE"}));
    ASSERT_EQ(s01.rows.size(), 2U);
    EXPECT_EQ(s01.rows[0][0].str(), "C:\\in\\a.xml");

    EXPECT_EQ(scalar(*db_, lines({" SELECT TOP 1 IE42_NOMEFILE", " FROM IE42_IMPCOGE WITH (NOLOCK)",
                                  " WHERE IE42_DITTA_CG18 = 1", "     AND IE42_INDPROVIMP = 1",
                                  " ORDER BY IE42_ID DESC"}))
                  .str(),
              "C:\\in\\b.xml");

    const std::string detail =
        lines({" INSERT INTO IE43_DETTIMPCOGE (", "     IE43_DITTA_CG18", "     , IE43_AZIENDARIF",
               "     , IE43_NUMREG_AZIENDARIF", "     , IE43_NUMREG_CO99", "     , IE43_ID_IE42",
               " ) VALUES (", "     1", "     , 100", "     , 'R0001'", "     , 'CO000001'"}) +
        "     , " + std::to_string(first) + "\r\n )\r\n";
    EXPECT_EQ(affected(*db_, detail), 1);
    EXPECT_EQ(affected(*db_, lines({" INSERT INTO CO99_MASTERDOC (",
                                    "     CO99_DITTA_CG18",
                                    "     , CO99_NUMREG",
                                    "     , CO99_INDTIPOOP",
                                    "     , CO99_DATACRE",
                                    "     , CO99_GRUPPOCRE",
                                    "     , CO99_UTENTECRE",
                                    "     , CO99_DATAVAR",
                                    "     , CO99_GRUPPOVAR",
                                    "     , CO99_UTENTEVAR",
                                    "     , CO99_INDNOTE1",
                                    "     , CO99_DESCNOTE1",
                                    "     , CO99_FLGDELNOTE1",
                                    "     , CO99_INDCOIN",
                                    " ) VALUES (",
                                    "     1",
                                    "     , 'CO000001'",
                                    "     , 0",
                                    "     , '20240131 10:11:12'",
                                    "     , 'GRP'",
                                    "     , 'ADMIN'",
                                    "     , '20240131 10:11:12'",
                                    "     , 'GRP'",
                                    "     , 'ADMIN'",
                                    "     , 0",
                                    "     , ''",
                                    "     , 0",
                                    "     , 0",
                                    " )"})),
              1);

    EXPECT_EQ(scalar(*db_, lines({" SELECT TOP 1 IE43_NUMREG_CO99", " FROM IE43_DETTIMPCOGE WITH (NOLOCK)",
                                  " WHERE IE43_DITTA_CG18 = 1", "     AND IE43_AZIENDARIF = 100",
                                  "     AND IE43_NUMREG_AZIENDARIF = 'r0001'"}))
                  .str(),
              "CO000001");

    // S27 keeps the header with details and deletes the one without.
    for (long id : {first, second}) {
        db_->execute(
            " IF NOT EXISTS(SELECT TOP 1 1 FROM IE43_DETTIMPCOGE WITH(NOLOCK) WHERE IE43_ID_IE42 = " +
            std::to_string(id) + ")\r\n     BEGIN\r\n         DELETE FROM IE42_IMPCOGE WHERE IE42_ID = " +
            std::to_string(id) + "\r\n     END\r\n");
    }
    EXPECT_EQ(scalar(*db_, "SELECT COUNT(*) FROM IE42_IMPCOGE").to_long(), 1);
    EXPECT_EQ(scalar(*db_, "SELECT IDENT_CURRENT('IE42_IMPCOGE')").to_long(), second);
}

TEST_F(Statements, HistoryGridJoinsTheRegistryValidAtTheImport) {
    db_->execute(
        "INSERT INTO CG16_ANAGGEN (CG16_CODICE, CG16_RAGSOANAG, CG16_RAGSOANAGEX, CG16_INIZIOVALIDITA)"
        " VALUES (100, ' Alfa Srl ', 'Divisione Nord', '20240101')");
    db_->execute(
        "INSERT INTO CG16_ANAGGENSTO (CG16S_CODICE_CG16, CG16S_RAGSOANAG, CG16S_INIZIOVALIDITA,"
        " CG16S_FINEVALIDITA) VALUES (100, 'Alfa Vecchia', '20200101', '20231231')");
    header_insert("C:\\in\\old.xml", "20230615 09:00:00");
    header_insert("C:\\in\\new.xml", "20240131 10:11:12");
    const std::string s38 = lines(
        {" SELECT IE42_IMPCOGE.*", "     , CAST(LTRIM(RTRIM(CG16_RAGSOANAG)) +",
         "         CASE WHEN LTRIM(RTRIM(ISNULL(CG16_RAGSOANAGEX, ''))) <> ''",
         "             THEN ' ' + LTRIM(RTRIM(CG16_RAGSOANAGEX))", "             ELSE ''",
         "                     END AS VARCHAR(500)) AS CG16_RAGSOANAG", " FROM IE42_IMPCOGE WITH (NOLOCK)",
         " LEFT OUTER JOIN VCG16_ANAGGEN AS CG16", "     ON CG16.CG16_CODICE = IE42_AZIENDARIF",
         "         AND IE42_DATAORA BETWEEN ISNULL(CG16.INIZIOVALIDITATOT, '17530101')",
         "             AND ISNULL(CG16.FINEVALIDITATOT, '99991231')", " WHERE IE42_DITTA_CG18 = 1",
         " ORDER BY IE42_DATAORA DESC"});
    RowSet rs = query(*db_, s38);
    ASSERT_EQ(rs.rows.size(), 2U);
    const std::size_t name = rs.columns.size() - 1;
    EXPECT_EQ(rs.columns[name].name, "CG16_RAGSOANAG");
    EXPECT_EQ(rs.columns[0].name, "IE42_ID");
    EXPECT_EQ(rs.rows[0][name].str(), "Alfa Srl Divisione Nord");
    EXPECT_EQ(rs.rows[1][name].str(), "Alfa Vecchia");
    EXPECT_TRUE(rs.rows[0][2].is_date());
}

// S03-S08, S13, S14, S16, S17, S20: verification lookups.
TEST_F(Statements, VerificationLookups) {
    db_->execute(
        "INSERT INTO CG16_ANAGGEN (CG16_CODICE, CG16_RAGSOANAG, CG16_CODFISCALE, CG16_PARTIVA)"
        " VALUES (100, 'Alfa Srl', 'RSSMRA80A01F205X  ', '01234567890')");
    db_->execute(
        "INSERT INTO CGG5_STRUTGR (CGG5_DITTA_CG18, CGG5_ANNO, CGG5_CODICEAN_CG16) VALUES (1, 2024, 100)");
    db_->execute(
        "INSERT INTO CGG6_TRASCODIFVAL (CGG6_ID_CGG5, CGG6_INDTRASC, CGG6_VALESTERNO, CGG6_VALINTERNO)"
        " VALUES (1, 0, 'A', 'B ')");
    db_->execute("INSERT INTO CG01_ANAGCOMUNI (CG01_CODICE) VALUES ('F205')");
    db_->execute(
        "INSERT INTO CG68_NUMERDESC (CG68_DITTA_CG18, CG68_INDTIPOLOGIA, CG68_SEZIONALE) VALUES (1, 0, 'A')");
    db_->execute("INSERT INTO CG24_TABPDC (CG24_GRUPPO_CG10, CG24_CONTO) VALUES (-1, '0101001')");
    db_->execute("INSERT INTO CG33_TABCAU (CG33_CODICE, CG33_CAUSALEIVA) VALUES ('V1', NULL)");
    db_->execute("INSERT INTO CG28_TABCODIVA (CG28_CODICE, CG28_ALIQUOTA) VALUES ('22', 22)");
    db_->execute(
        "INSERT INTO CG44_CLIFOR (CG44_DITTA_CG18, CG44_TIPOCF, CG44_CLIFOR, CG44_CODICE_CG16)"
        " VALUES (1, -1, 5, 100)");

    RowSet s03 = query(
        *db_,
        lines({" SELECT CGG5_STRUTGR.*", "     , LTRIM(RTRIM(CG16_CODFISCALE)) AS CG16_CODFISCALE",
               "     , CGG6_TRASCODIFVAL.*", " FROM CGG5_STRUTGR WITH (NOLOCK)",
               " LEFT OUTER JOIN VCG16_ANAGGEN AS CG16", "     ON CG16.CG16_CODICE = CGG5_CODICEAN_CG16",
               "         AND '20240301' BETWEEN ISNULL(CG16.INIZIOVALIDITATOT, '17530101')",
               "             AND ISNULL(CG16.FINEVALIDITATOT, '99991231')",
               " LEFT OUTER JOIN CGG6_TRASCODIFVAL WITH (NOLOCK)", "     ON CGG6_ID_CGG5 = CGG5_ID",
               " WHERE CGG5_DITTA_CG18 = 1", "     AND CGG5_ANNO = 2024",
               "     AND LTRIM(RTRIM(CG16_CODFISCALE)) = 'rssmra80a01f205x'"}));
    ASSERT_EQ(s03.rows.size(), 1U);
    EXPECT_EQ(s03.columns[13].name, "CG16_CODFISCALE");
    EXPECT_EQ(s03.rows[0][13].str(), "RSSMRA80A01F205X");
    EXPECT_EQ(s03.rows[0][18].str(), "B ");

    auto exists = [&](const std::string& sql) { return !query(*db_, sql).rows.empty(); };
    EXPECT_TRUE(exists(lines(
        {" SELECT CG01_CODICE", " FROM CG01_ANAGCOMUNI WITH (NOLOCK)", " WHERE CG01_CODICE = 'F205'"})));
    EXPECT_TRUE(exists(
        lines({" SELECT 'OK' AS ESISTE", " FROM CG68_NUMERDESC WITH (NOLOCK)", " WHERE CG68_DITTA_CG18 = 1",
               "     AND CG68_INDTIPOLOGIA = 0", "     AND CG68_SEZIONALE = 'A '"})));
    EXPECT_TRUE(exists(lines({" SELECT 'OK' AS ESISTE", " FROM CG24_TABPDC WITH (NOLOCK)",
                              " WHERE CG24_GRUPPO_CG10 = -1", "     AND CG24_CONTO = '0101001   '"})));
    EXPECT_TRUE(exists(lines(
        {" SELECT 'OK' AS ESISTE", " FROM CG33_TABCAU WITH (NOLOCK)", " WHERE CG33_CODICE = ", "'V1  '"})));
    EXPECT_TRUE(exists(lines(
        {" SELECT 'OK' AS ESISTE", " FROM CG28_TABCODIVA WITH (NOLOCK)", " WHERE CG28_CODICE = '22  '"})));
    EXPECT_FALSE(exists(lines(
        {" SELECT 'OK' AS ESISTE", " FROM CG28_TABCODIVA WITH (NOLOCK)", " WHERE CG28_CODICE = '10  '"})));
    EXPECT_TRUE(exists(
        lines({" SELECT CG16_CODICE", " FROM CG16_ANAGGEN  WITH (NOLOCK)", " WHERE CG16_CODICE = 100"})));
    EXPECT_TRUE(
        exists(lines({" SELECT CG44_CLIFOR", " FROM CG44_CLIFOR  WITH (NOLOCK)", " WHERE CG44_DITTA_CG18 = 1",
                      "     AND CG44_TIPOCF = -1", "     AND CG44_CLIFOR = 5"})));

    RowSet s14 =
        query(*db_, lines({" SELECT LTRIM(RTRIM(COALESCE(CG33_CAUSALEIVA, CG33_CODICE, ''))) AS CAUSALEIVA",
                           " FROM CG33_TABCAU WITH (NOLOCK)", " WHERE CG33_CODICE = 'V1  '"}));
    ASSERT_EQ(s14.rows.size(), 1U);
    EXPECT_EQ(s14.columns[0].name, "CAUSALEIVA");
    EXPECT_EQ(s14.rows[0][0].str(), "V1");

    RowSet s20 = query(
        *db_, lines({" SELECT CG33_CODICE", "     , CG33_CAUSALEIVA", " FROM CG33_TABCAU WITH (NOLOCK)"}));
    ASSERT_EQ(s20.rows.size(), 1U);
    EXPECT_TRUE(s20.rows[0][1].is_null());
}

// S13: the registry match batch; -1 in @TIPOCF and the company code in @DITTA keep their values.
TEST_F(Statements, RegistryMatchBatch) {
    db_->execute(
        "INSERT INTO CG16_ANAGGEN (CG16_CODICE, CG16_RAGSOANAG, CG16_INDIRIZZO, CG16_CITTA, CG16_CODFISCALE,"
        " CG16_PARTIVA) VALUES (100, 'Alfa Srl', 'Via Roma 1', 'Milano', 'RSSMRA80A01F205X', '01234567890')");
    db_->execute(
        "INSERT INTO CG16_ANAGGEN (CG16_CODICE, CG16_RAGSOANAG, CG16_INDIRIZZO, CG16_CITTA)"
        " VALUES (200, 'Beta d''Italia', 'Via Po 2', 'Torino')");
    db_->execute(
        "INSERT INTO CG44_CLIFOR (CG44_DITTA_CG18, CG44_TIPOCF, CG44_CLIFOR, CG44_CODICE_CG16)"
        " VALUES (123456, -1, 7, 200)");
    auto match = [&](const char* pi, const char* cf, const char* rs) {
        const std::string sql =
            lines({" DECLARE @PI AS VARCHAR(20)", " DECLARE @CF AS VARCHAR(20)",
                   " DECLARE @RS AS NVARCHAR(60)", " DECLARE @IND AS NVARCHAR(40)",
                   " DECLARE @CIT AS NVARCHAR(40)", " DECLARE @DITTA AS VARCHAR(5)",
                   " DECLARE @TIPOCF AS CHAR(1)", ""}) +
            " SET @PI = '" + pi + "'\r\n SET @CF = '" + cf + "'\r\n SET @RS = '" + rs + "'\r\n" +
            lines({" SET @IND = 'Via Po 2'",
                   " SET @CIT = 'TORINO'",
                   " SET @DITTA = 123456",
                   " SET @TIPOCF = -1",
                   "",
                   " SELECT 1 AS ORDINE",
                   "     , CG16_CODICE",
                   "     , CG44_CLIFOR",
                   " FROM CG16_ANAGGEN WITH (NOLOCK)",
                   " LEFT OUTER JOIN CG44_CLIFOR WITH (NOLOCK)",
                   "     ON CG44_CODICE_CG16 = CG16_CODICE",
                   "         AND CG44_DITTA_CG18 = @DITTA",
                   "         AND CG44_TIPOCF = @TIPOCF",
                   " WHERE ISNULL(@PI, '') <> ''",
                   "     AND COALESCE(CG16_PARTIVA_EST, CG16_PARTIVA, '') = ISNULL(@PI, '')",
                   "",
                   " UNION",
                   "",
                   " SELECT 2 AS ORDINE",
                   "     , CG16_CODICE",
                   "     , CG44_CLIFOR",
                   " FROM CG16_ANAGGEN WITH (NOLOCK)",
                   " LEFT OUTER JOIN CG44_CLIFOR WITH (NOLOCK)",
                   "     ON CG44_CODICE_CG16 = CG16_CODICE",
                   "         AND CG44_DITTA_CG18 = @DITTA",
                   "         AND CG44_TIPOCF = @TIPOCF",
                   " WHERE ISNULL(@CF, '') <> ''",
                   "     AND ISNULL(CG16_CODFISCALE, '') = ISNULL(@CF, '')",
                   "",
                   " UNION",
                   "",
                   " SELECT 3 AS ORDINE",
                   "     , CG16_CODICE",
                   "     , CG44_CLIFOR",
                   " FROM CG16_ANAGGEN WITH (NOLOCK)",
                   " LEFT OUTER JOIN CG44_CLIFOR WITH (NOLOCK)",
                   "     ON CG44_CODICE_CG16 = CG16_CODICE",
                   "         AND CG44_DITTA_CG18 = @DITTA",
                   "         AND CG44_TIPOCF = @TIPOCF",
                   " WHERE CG16_RAGSOANAG = @RS",
                   "     AND CG16_INDIRIZZO = @IND",
                   "     AND CG16_CITTA = @CIT",
                   "     AND (COALESCE(CG16_PARTIVA_EST, CG16_PARTIVA, '') = '' OR ISNULL(@PI, '') = '')  ",
                   "     AND (ISNULL(CG16_CODFISCALE, '') = '' OR ISNULL(@CF, '') = '')  "});
        return query(*db_, sql);
    };
    RowSet by_vat = match("01234567890", "", "");
    ASSERT_EQ(by_vat.rows.size(), 1U);
    EXPECT_EQ(by_vat.rows[0][0].to_long(), 1);
    EXPECT_EQ(by_vat.rows[0][1].to_long(), 100);
    EXPECT_TRUE(by_vat.rows[0][2].is_null());

    RowSet by_name = match("", "", "BETA D''ITALIA");
    ASSERT_EQ(by_name.rows.size(), 1U);
    EXPECT_EQ(by_name.rows[0][0].to_long(), 3);
    EXPECT_EQ(by_name.rows[0][1].to_long(), 200);
    EXPECT_EQ(by_name.rows[0][2].to_long(), 7);  // company 123456 and type -1 matched in full

    EXPECT_TRUE(match("99999999999", "", "Nobody").rows.empty());
}

// S09-S12, S15, S18, S19: master-data creation through updatable record sets.
TEST_F(Statements, MasterDataCreation) {
    RowSet s09;
    auto w = db_->open_updatable(
        lines({" SELECT *", " FROM CG33_TABCAU WITH (NOLOCK)", " WHERE CG33_CODICE = 'V9'"}), s09);
    EXPECT_TRUE(s09.rows.empty());
    const long id =
        insert_row(
            *w, s09,
            {{"CG33_CODICE", "V9"}, {"CG33_DESCR", "Vendite 9"}, {"CG33_CAUSALECOLL", Variant(Null)}})[0]
            .to_long();
    EXPECT_GT(id, 0);

    RowSet again =
        query(*db_, lines({" SELECT *", " FROM CG33_TABCAU WITH (NOLOCK)", " WHERE CG33_CODICE = 'V9'"}));
    ASSERT_EQ(again.rows.size(), 1U);
    EXPECT_EQ(again.rows[0][0].to_long(), id);
    EXPECT_EQ(again.rows[0][2].str(), "Vendite 9");

    EXPECT_EQ(affected(*db_, lines({" INSERT INTO CG0L_DESLINGUA (", "     CG0L_CODLINGUA_MG52",
                                    "     , CG0L_PROVID", "     , CG0L_IDPROV", "     , CG0L_DESCRIZIONE",
                                    " ) VALUES (", "     'ITA '", "     , 5"}) +
                                 "     , " + std::to_string(id) + "\r\n     , 'Vendite 9'\r\n )\r\n"),
              1);
    EXPECT_EQ(scalar(*db_, "SELECT '[' + CG0L_CODLINGUA_MG52 + ']' FROM CG0L_DESLINGUA").str(), "[ITA ]");
    EXPECT_EQ(affected(*db_, lines({" UPDATE CG33_TABCAU", " SET CG33_CAUSALECOLL = 'V1  '",
                                    " WHERE CG33_CODICE = 'v9'"})),
              1);

    const std::string guid = scalar(*db_, "SELECT NEWID()").str();
    EXPECT_EQ(guid.size(), 36U);
    insert_row(*db_, lines({" SELECT *", " FROM CG16_ANAGGEN WITH (NOLOCK)", " WHERE 1 = 0"}),
               {{"CG16_CODICE", 300}, {"CG16_RAGSOANAG", "Gamma"}, {"CG16_GUID", guid}});
    const auto cf_row =
        insert_row(*db_, lines({" SELECT *", " FROM CG44_CLIFOR WITH (NOLOCK)", " WHERE 1 = 0"}),
                   {{"CG44_DITTA_CG18", 1},
                    {"CG44_TIPOCF", Variant(std::int16_t{0})},
                    {"CG44_CLIFOR", 9},
                    {"CG44_CODICE_CG16", 300}});
    EXPECT_EQ(cf_row[0].to_long(), 1);  // identity assigned
    EXPECT_EQ(scalar(*db_, "SELECT CG16_GUID FROM CG16_ANAGGEN WHERE CG16_CODICE = 300").str(), guid);
}

// S21, S28-S31: the entry, its rows and the parent/child links.
TEST_F(Statements, JournalEntryAndLinks) {
    insert_row(*db_,
               lines({" SELECT *", " FROM CG41_PRIMANOTA WITH(NOLOCK)", " WHERE CG41_DITTA_CG18 = 1",
                      "     AND CG41_NUMREG = 'CO000002'"}),
               {{"CG41_DITTA_CG18", 1},
                {"CG41_NUMREG", "CO000002"},
                {"CG41_DATAREG", *DateTime::parse("2024-01-31")},
                {"CG41_SEZIONALE", "A"},
                {"CG41_CODICE_CG33", "V1"},
                {"CG41_IMPTOTALE", Decimal::from_string("1234.5678")}});

    header_insert("x.xml", "20240131");
    db_->execute(
        "INSERT INTO IE43_DETTIMPCOGE (IE43_DITTA_CG18, IE43_AZIENDARIF, IE43_NUMREG_AZIENDARIF,"
        " IE43_NUMREG_CO99, IE43_ID_IE42) VALUES (1, 100, 'R0', 'CO000001', 1)");
    const std::string s30 = lines(
        {" UPDATE CG41_PRIMANOTA", "     SET CG41_RIFPADRE = (", "         SELECT PADRE.IE43_NUMREG_CO99",
         "         FROM IE43_DETTIMPCOGE AS PADRE WITH (NOLOCK)",
         "         WHERE IE43_DITTA_CG18 = CG41_DITTA_CG18", "             AND IE43_AZIENDARIF = 100",
         "             AND IE43_NUMREG_AZIENDARIF  = 'R0'", "         )", " FROM CG41_PRIMANOTA",
         " WHERE CG41_DITTA_CG18 = 1", "     AND CG41_NUMREG = 'CO000002'"});
    EXPECT_EQ(affected(*db_, s30), 1);
    const std::string s31 = lines(
        {" UPDATE CG41_PRIMANOTA", "     SET CG41_RIFFIGLIA = (", "         SELECT FIGLIA.IE43_NUMREG_CO99",
         "         FROM IE43_DETTIMPCOGE AS FIGLIA WITH (NOLOCK)",
         "         WHERE IE43_DITTA_CG18 = CG41_DITTA_CG18", "             AND IE43_AZIENDARIF = 100",
         "             AND IE43_NUMREG_AZIENDARIF = 'R-none'", "         )", " FROM CG41_PRIMANOTA",
         " WHERE CG41_DITTA_CG18 = 1", "     AND CG41_NUMREG = 'CO000002'"});
    EXPECT_EQ(affected(*db_, s31), 1);
    RowSet links = query(*db_, "SELECT CG41_RIFPADRE, CG41_RIFFIGLIA, CG41_IMPTOTALE FROM CG41_PRIMANOTA");
    ASSERT_EQ(links.rows.size(), 1U);
    EXPECT_EQ(links.rows[0][0].str(), "CO000001");
    EXPECT_TRUE(links.rows[0][1].is_null());
    EXPECT_EQ(links.rows[0][2].to_decimal(), Decimal::from_string("1234.5678"));

    // S28: rows deleted one by one, then new rows added on the same record set.
    db_->execute(
        "INSERT INTO CG42_MOVCONT (CG42_DITTA_CG18, CG42_NUMREG_CG41, CG42_NUMRIGACONT, CG42_GRUPPO_CG10,"
        " CG42_CONTOPAR_CG24, CG42_CODICE_CG33, CG42_IMPDARE) VALUES (1, 'CO000002', 1, 1, '0101', 'V1', "
        "10)");
    RowSet s28;
    auto rows =
        db_->open_updatable(lines({" SELECT *", " FROM CG42_MOVCONT WITH (NOLOCK)",
                                   " WHERE CG42_DITTA_CG18 = 1", "     AND CG42_NUMREG_CG41 = 'CO000002'"}),
                            s28);
    ASSERT_EQ(s28.rows.size(), 1U);
    rows->remove(s28.rows[0]);
    const auto added = insert_row(*rows, s28,
                                  {{"CG42_DITTA_CG18", 1},
                                   {"CG42_NUMREG_CG41", "CO000002"},
                                   {"CG42_NUMRIGACONT", Variant(std::int16_t{1})},
                                   {"CG42_GRUPPO_CG10", Variant(std::int16_t{1})},
                                   {"CG42_CONTOPAR_CG24", "0101001"},
                                   {"CG42_CODICE_CG33", "V1"},
                                   {"CG42_IMPAVERE", Decimal::from_string("99.99")}});
    EXPECT_EQ(added.size(), s28.columns.size());
    EXPECT_EQ(scalar(*db_, "SELECT COUNT(*) FROM CG42_MOVCONT").to_long(), 1);
    EXPECT_EQ(scalar(*db_, "SELECT CG42_IMPAVERE FROM CG42_MOVCONT").to_decimal(),
              Decimal::from_string("99.99"));

    RowSet s29;
    db_->open_updatable(lines({" SELECT *", " FROM CG43_MOVIVA WITH (NOLOCK)", " WHERE CG43_DITTA_CG18 = 1",
                               "     AND CG43_NUMREG_CG41 = 'CO000002'"}),
                        s29);
    EXPECT_TRUE(s29.rows.empty());
    EXPECT_TRUE(s29.columns.back().hidden);
}

// S32: the proposal cache, every column of both tables.
TEST_F(Statements, ProposalCache) {
    db_->execute("INSERT INTO CG37_CONTIPRSSTD (CG37_CODICE, CG37_DESCR) VALUES (2, 'Ricavi')");
    db_->execute("INSERT INTO CG37_CONTIPRSSTD (CG37_CODICE, CG37_DESCR) VALUES (1, 'Costi')");
    db_->execute(
        "INSERT INTO CG36_PRSPDC (CG36_GRUPPO_CG10, CG36_CODICE, CG36_CONTO_CG24) VALUES (1, 2, '0501')");
    db_->execute(
        "INSERT INTO CG36_PRSPDC (CG36_GRUPPO_CG10, CG36_CODICE, CG36_CONTO_CG24) VALUES (9, 1, '0999')");
    RowSet rs =
        query(*db_, lines({" SELECT *", " FROM CG37_CONTIPRSSTD WITH (NOLOCK)",
                           " LEFT OUTER JOIN CG36_PRSPDC WITH (NOLOCK)", "     ON CG36_GRUPPO_CG10 = 1",
                           "     AND CG36_CODICE = CG37_CODICE", " ORDER BY CG37_CODICE"}));
    ASSERT_EQ(rs.columns.size(), 5U);
    ASSERT_EQ(rs.rows.size(), 2U);
    EXPECT_TRUE(rs.rows[0][4].is_null());
    EXPECT_EQ(rs.rows[1][4].str(), "0501");
}

// S33-S37 on the log connection, while the module connection holds a write transaction.
TEST_F(Statements, LogTableBesideAnOpenTransaction) {
    auto log = open_db(path(), "Busy Timeout=200");
    db_->begin();
    db_->execute("INSERT INTO CG01_ANAGCOMUNI (CG01_CODICE) VALUES ('Z999')");

    log->execute(lines({" CREATE TABLE #VPOOLLOG", "      (PROGR   DECIMAL(10, 0) NULL",
                        "     , TABELLA NVARCHAR(50)   COLLATE DATABASE_DEFAULT NULL",
                        "     , LIVELLO DECIMAL(2, 0) NULL", "     , STATO   DECIMAL(2, 0) NULL",
                        "     , CHIAVE  NVARCHAR(4000) COLLATE DATABASE_DEFAULT NULL",
                        "     , ERRORE  NVARCHAR(1000) COLLATE DATABASE_DEFAULT NULL)"}));
    for (int i = 2; i >= 1; --i)
        log->execute(lines({" INSERT INTO #VPOOLLOG (", "     PROGR", "     , TABELLA", "     , LIVELLO",
                            "     , STATO", "     , CHIAVE", "     , ERRORE", " ) VALUES ("}) +
                     "     " + std::to_string(i) +
                     "\r\n     , 'CG16_ANAGGEN'\r\n     , 1\r\n     , 10\r\n"
                     "     , 'città'\r\n     , 'l''errore'\r\n )\r\n");
    RowSet s37 =
        query(*log, lines({" SELECT *", " FROM #VPOOLLOG WITH (NOLOCK)", " ORDER BY PROGR, LIVELLO"}));
    ASSERT_EQ(s37.rows.size(), 2U);
    EXPECT_EQ(s37.rows[0][0].to_long(), 1);
    EXPECT_EQ(s37.rows[0][5].str(), "l'errore");
    EXPECT_EQ(s37.columns[0].type, adNumeric);
    EXPECT_EQ(s37.columns[0].precision, 10);
    EXPECT_EQ(s37.columns[4].type, adVarWChar);
    EXPECT_EQ(s37.columns[4].defined_size, 4000);
    EXPECT_FALSE(scalar(*log, " SELECT OBJECT_ID(N'tempdb..#VPOOLLOG', N'U')").is_null());
    log->execute(" DROP TABLE #VPOOLLOG\r\n");
    EXPECT_TRUE(scalar(*log, " SELECT OBJECT_ID(N'tempdb..#VPOOLLOG', N'U')").is_null());
    db_->rollback();
    EXPECT_EQ(scalar(*db_, "SELECT COUNT(*) FROM CG01_ANAGCOMUNI").to_long(), 0);
}

}  // namespace
}  // namespace ado::testing
