// The bookkeeping of the journal import around its entries: the import header and the
// identity it gets (its own, whoever else inserts), the removal of a header left without
// details, and the detail and master-document statements of each entry.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "ado/connection.h"
#include "ado/datetime.h"
#include "ado/error.h"
#include "bookkeeping_fixture.h"
#include "journal/bookkeeping.h"
#include "modulebase/module_context.h"

namespace {

using bookkeeping_test::BookkeepingTest;
using bookkeeping_test::expect_date_time_literal;
using bookkeeping_test::Lines;
using bookkeeping_test::today_compact;

// ---- the import header ----

TEST_F(BookkeepingTest, TheHeaderInsertLineByLine) {
    fill_controls("/data/books/member.xml");
    const ado::DateTime before = ado::DateTime::now();
    const ado::SqlText sql = bookkeeping().header_insert_statement("15/01/2025 23:59:59");
    const ado::DateTime after = ado::DateTime::now();

    Lines lines = sql.lines();
    ASSERT_EQ(lines.size(), 34u);
    expect_date_time_literal(lines[19].substr(7), "20250115", before, after);
    EXPECT_EQ(lines[19].substr(0, 7), "     , ");
    lines[19] = "<date-time>";
    const Lines expected = {
        " INSERT INTO IE42_IMPCOGE (",
        "     IE42_DITTA_CG18",
        "     , IE42_DATAORA",
        "     , IE42_NOMEFILE",
        "     , IE42_FLGSEZ",
        "     , IE42_FLGPDC",
        "     , IE42_FLGCAU",
        "     , IE42_FLGCODIVA",
        "     , IE42_FLGCLIFOR",
        "     , IE42_FLGESTRATTI",
        "     , IE42_DADATA",
        "     , IE42_ADATA",
        "     , IE42_INDPROVIMP",
        "     , IE42_AZIENDARIF",
        "     , IE42_UTENTE",
        "     , IE42_FLGGESTCODID",
        "     )",
        " VALUES (",
        "     1",
        "<date-time>",
        "     , '/data/books/member.xml'",
        "     , 1",
        "     , 0",
        "     , 2",
        "     , 0",
        "     , 1",
        "     , 2",
        "     , '20240205'",
        "     , '" + today_compact() + "'",
        "     , 1",
        "     , 900",
        "     , 'MARIO'",
        "     , 1",
        "     )",
    };
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(sql.verbatim_values(), (Lines{"/data/books/member.xml", "MARIO"}));
}

// The row written, and the batch sent: the insert followed by the read of its own identity.
TEST_F(BookkeepingTest, TheHeaderRowAndItsIdentity) {
    fill_controls("/data/books/member.xml");
    trace_statements();
    const ado::DateTime before = ado::DateTime::now();
    const std::int32_t id = bookkeeping().GetIDTestataImportImpostazioni("15/01/2025 08:00:00");
    const ado::DateTime after = ado::DateTime::now();

    ASSERT_GT(id, 0);
    const std::string where = " FROM IE42_IMPCOGE WHERE IE42_ID = " + std::to_string(id);
    EXPECT_EQ(
        row_text("SELECT IE42_DITTA_CG18, IE42_NOMEFILE, IE42_FLGSEZ, IE42_FLGPDC, IE42_FLGCAU, "
                 "IE42_FLGCODIVA, IE42_FLGCLIFOR, IE42_FLGESTRATTI, IE42_DADATA, IE42_ADATA, "
                 "IE42_INDPROVIMP, IE42_AZIENDARIF, IE42_UTENTE, IE42_FLGGESTCODID" +
                 where),
        "1|/data/books/member.xml|1|0|2|0|1|2|2024-02-05|" + ado::DateTime::today().iso() + "|1|900|MARIO|1");
    const std::string stamp = text_of("SELECT IE42_DATAORA" + where);
    expect_date_time_literal("'" + ado::DateTime::parse(stamp)->compact() + "'", "20250115", before, after);
    EXPECT_TRUE(errors_shown().empty());

    const std::vector<std::string> statements = traced();
    ASSERT_EQ(statements.size(), 1u);
    const std::string head = " INSERT INTO IE42_IMPCOGE (\r\n";
    const std::string tail =
        "     , 1\r\n     )\r\n" + std::string(journal::Bookkeeping::kIdentityRead) + "\r\n";
    ASSERT_GT(statements[0].size(), head.size() + tail.size());
    EXPECT_EQ(statements[0].substr(0, head.size()), head);
    EXPECT_EQ(statements[0].substr(statements[0].size() - tail.size()), tail);
}

// Headers that other connections inserted before do not count: the identity is this row's.
TEST_F(BookkeepingTest, TheIdentityIsThisInsertsAfterOtherInserts) {
    add_history(2, "earlier-one.xml");
    add_history(2, "earlier-two.xml");
    fill_controls("mine.xml");
    const std::int32_t id = bookkeeping().GetIDTestataImportImpostazioni("15/01/2025 08:00:00");
    EXPECT_EQ(id, 3);
    EXPECT_EQ(text_of("SELECT IE42_NOMEFILE FROM IE42_IMPCOGE WHERE IE42_ID = 3"), "mine.xml");
}

// The read that ends the header's batch names this connection's insert even when another
// connection inserts a header between the insert and the read.
TEST_F(BookkeepingTest, TheIdentityReadIsThisConnectionsWhenAnotherInsertsInBetween) {
    fill_controls("mine.xml");
    ado::Connection& module = *window().module_context().state().connection;
    ado::Connection other;
    other.Open(connection_string);
    module.Execute(bookkeeping().header_insert_statement("15/01/2025"));
    other.Execute(
        "INSERT INTO IE42_IMPCOGE (IE42_DITTA_CG18, IE42_DATAORA, IE42_NOMEFILE) VALUES (2, '20250110', "
        "'theirs.xml')");
    const ado::Variant id = module.Execute(journal::Bookkeeping::kIdentityRead)->GetFields().Item(0).Value();
    EXPECT_EQ(text_of("SELECT IE42_NOMEFILE FROM IE42_IMPCOGE WHERE IE42_ID = " + id.to_string()),
              "mine.xml");
    EXPECT_EQ(text_of("SELECT IE42_NOMEFILE FROM IE42_IMPCOGE WHERE IE42_ID = IDENT_CURRENT('IE42_IMPCOGE')"),
              "theirs.xml");
}

// Another import inserts headers on its own connection all the time: every identifier this
// import gets is the identity of a header it inserted itself.
TEST_F(BookkeepingTest, TheIdentityIsThisInsertsWhileAnotherImportInserts) {
    fill_controls("mine.xml");
    module::ImportWindow& w = window();
    std::atomic<bool> stop{false};
    std::atomic<int> theirs{0};
    std::thread other_import([&] {
        ado::Connection other;
        other.Open(connection_string);
        while (!stop) {
            other.Execute(
                "INSERT INTO IE42_IMPCOGE (IE42_DITTA_CG18, IE42_DATAORA, IE42_NOMEFILE) VALUES (2, "
                "'20250110', "
                "'theirs.xml')");
            ++theirs;
            // Leave room for the import's own writes: SQLite has one writer at a time.
            std::this_thread::sleep_for(std::chrono::microseconds(300));
        }
    });
    while (theirs == 0) std::this_thread::yield();
    std::vector<std::int32_t> ids;
    for (int i = 0; i < 40; ++i)
        ids.push_back(journal::Bookkeeping(w).GetIDTestataImportImpostazioni("15/01/2025"));
    stop = true;
    other_import.join();

    for (const std::int32_t id : ids)
        EXPECT_EQ(text_of("SELECT IE42_NOMEFILE FROM IE42_IMPCOGE WHERE IE42_ID = " + std::to_string(id)),
                  "mine.xml")
            << id;
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM IE42_IMPCOGE WHERE IE42_NOMEFILE = 'mine.xml'"), 40);
    EXPECT_TRUE(errors_shown().empty());
}

// ---- the header left without details ----

TEST_F(BookkeepingTest, AHeaderWithoutDetailsIsDeleted) {
    add_history(1, "kept.xml");
    add_history(1, "empty.xml");
    exec(
        "INSERT INTO IE43_DETTIMPCOGE (IE43_DITTA_CG18, IE43_AZIENDARIF, IE43_NUMREG_AZIENDARIF, "
        "IE43_ID_IE42) "
        "VALUES (1, 900, '17', 1)");
    trace_statements();
    journal::Bookkeeping b = bookkeeping();
    b.EliminaIDTestataImportazioneSenzaDettagli(1);
    b.EliminaIDTestataImportazioneSenzaDettagli(2);
    b.EliminaIDTestataImportazioneSenzaDettagli(0);

    EXPECT_EQ(text_of("SELECT COUNT(*) FROM IE42_IMPCOGE WHERE IE42_ID = 1"), "1");
    EXPECT_EQ(text_of("SELECT COUNT(*) FROM IE42_IMPCOGE WHERE IE42_ID = 2"), "0");
    EXPECT_EQ(
        traced(),
        (std::vector<std::string>{
            " IF NOT EXISTS(SELECT TOP 1 1 FROM IE43_DETTIMPCOGE WITH(NOLOCK) WHERE IE43_ID_IE42 = 1)\r\n"
            "     BEGIN\r\n"
            "         DELETE FROM IE42_IMPCOGE WHERE IE42_ID = 1\r\n"
            "     END\r\n",
            " IF NOT EXISTS(SELECT TOP 1 1 FROM IE43_DETTIMPCOGE WITH(NOLOCK) WHERE IE43_ID_IE42 = 2)\r\n"
            "     BEGIN\r\n"
            "         DELETE FROM IE42_IMPCOGE WHERE IE42_ID = 2\r\n"
            "     END\r\n"}));  // nothing for 0
    EXPECT_TRUE(errors_shown().empty());
}

// ---- the statements of each entry ----

TEST_F(BookkeepingTest, TheDetailLookupAndInsertLineByLine) {
    journal::Bookkeeping b = bookkeeping();
    EXPECT_EQ(b.detail_lookup_statement("17").lines(), (Lines{
                                                           " SELECT TOP 1 IE43_NUMREG_CO99",
                                                           " FROM IE43_DETTIMPCOGE WITH (NOLOCK)",
                                                           " WHERE IE43_DITTA_CG18 = 1",
                                                           "     AND IE43_AZIENDARIF = 900",
                                                           "     AND IE43_NUMREG_AZIENDARIF = '17'",
                                                       }));
    EXPECT_EQ(b.detail_insert_statement("17", "P00000042", 5).lines(), (Lines{
                                                                           " INSERT INTO IE43_DETTIMPCOGE (",
                                                                           "     IE43_DITTA_CG18",
                                                                           "     , IE43_AZIENDARIF",
                                                                           "     , IE43_NUMREG_AZIENDARIF",
                                                                           "     , IE43_NUMREG_CO99",
                                                                           "     , IE43_ID_IE42",
                                                                           "     )",
                                                                           " VALUES (",
                                                                           "     1",
                                                                           "     , 900",
                                                                           "     , '17'",
                                                                           "     , 'P00000042'",
                                                                           "     , 5",
                                                                           "     )",
                                                                       }));
}

// The detail written is what the lookup finds, for this company and member only.
TEST_F(BookkeepingTest, TheDetailInsertIsFoundByTheLookup) {
    add_history(1, "running-import.xml");
    journal::Bookkeeping b = bookkeeping();
    ado::Connection& module = *window().module_context().state().connection;
    EXPECT_TRUE(module.Execute(b.detail_lookup_statement("17"))->EOF());
    module.Execute(b.detail_insert_statement("17", "P00000042", 1));
    exec(
        "INSERT INTO IE43_DETTIMPCOGE (IE43_DITTA_CG18, IE43_AZIENDARIF, IE43_NUMREG_AZIENDARIF, "
        "IE43_NUMREG_CO99, IE43_ID_IE42) VALUES (1, 901, '18', 'X', 1), (2, 900, '18', 'Y', 1)");

    EXPECT_EQ(row_text("SELECT IE43_DITTA_CG18, IE43_AZIENDARIF, IE43_NUMREG_AZIENDARIF, IE43_NUMREG_CO99, "
                       "IE43_ID_IE42 FROM IE43_DETTIMPCOGE WHERE IE43_NUMREG_AZIENDARIF = '17'"),
              "1|900|17|P00000042|1");
    ado::RecordsetPtr found = module.Execute(b.detail_lookup_statement("17"));
    ASSERT_FALSE(found->EOF());
    EXPECT_EQ(found->GetFields().Item(0).Value(), ado::Variant("P00000042"));
    EXPECT_TRUE(module.Execute(b.detail_lookup_statement("18"))->EOF());
}

TEST_F(BookkeepingTest, TheMasterDocumentLineByLineAndItsRow) {
    host.global->user_code = "MARIO";
    host.global->user_group = "CONTAB";
    journal::Bookkeeping b = bookkeeping();
    const ado::DateTime before = ado::DateTime::now();
    const ado::SqlText sql = b.master_document_statement("P00000042");
    const ado::DateTime after = ado::DateTime::now();

    Lines lines = sql.lines();
    ASSERT_EQ(lines.size(), 30u);
    EXPECT_EQ(lines[22], lines[19]);  // the same literal twice
    for (const std::size_t i : {19u, 22u}) {
        expect_date_time_literal(lines[i].substr(7), today_compact(), before, after);
        lines[i] = "<date-time>";
    }
    EXPECT_EQ(lines, (Lines{
                         " INSERT INTO CO99_MASTERDOC (",
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
                         "     )",
                         " VALUES (",
                         "     1",
                         "     , 'P00000042'",
                         "     , 0",
                         "<date-time>",
                         "     , 'CONTAB'",
                         "     , 'MARIO'",
                         "<date-time>",
                         "     , 'CONTAB'",
                         "     , 'MARIO'",
                         "     , 0",
                         "     , ''",
                         "     , 0",
                         "     , 0",
                         "     )",
                     }));

    window().module_context().state().connection->Execute(sql);
    EXPECT_EQ(row_text("SELECT CO99_DITTA_CG18, CO99_NUMREG, CO99_INDTIPOOP, CO99_GRUPPOCRE, CO99_UTENTECRE, "
                       "CO99_GRUPPOVAR, CO99_UTENTEVAR, CO99_INDNOTE1, CO99_DESCNOTE1, CO99_FLGDELNOTE1, "
                       "CO99_INDCOIN FROM CO99_MASTERDOC"),
              "1|P00000042|0|CONTAB|MARIO|CONTAB|MARIO|0||0|0");
    EXPECT_EQ(
        text_of(
            "SELECT COUNT(*) FROM CO99_MASTERDOC WHERE CO99_DATACRE = CO99_DATAVAR AND CO99_DATACRE >= '" +
            today_compact() + "'"),
        "1");
}

// A registration number or user code holding a quote fails before the engine.
TEST_F(BookkeepingTest, AQuoteInAValueFailsBeforeTheEngine) {
    journal::Bookkeeping b = bookkeeping();
    ado::Connection& module = *window().module_context().state().connection;
    EXPECT_THROW(module.Execute(b.detail_lookup_statement("1'7")), ado::Error);
    EXPECT_THROW(module.Execute(b.detail_insert_statement("17", "P'1", 1)), ado::Error);
    host.global->user_code = "O'NEIL";
    EXPECT_THROW(module.Execute(b.master_document_statement("P00000042")), ado::Error);
    EXPECT_EQ(text_of("SELECT COUNT(*) FROM CO99_MASTERDOC"), "0");
    EXPECT_EQ(text_of("SELECT COUNT(*) FROM IE43_DETTIMPCOGE"), "0");
}

}  // namespace
