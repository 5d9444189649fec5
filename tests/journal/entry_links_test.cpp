// The links between imported entries: references collected while the entries are written
// and resolved afterwards through the import history, so that a parent later in the file
// or taken over by an earlier import is found; a reference never taken over clears the
// field; a refused update is a log row in state 50 and the other links go on.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "ado/connection.h"
#include "ado/error.h"
#include "case_name.h"
#include "journal/entry_links.h"
#include "modulebase/module_context.h"
#include "verify_fixture.h"

namespace {

using Texts = std::vector<std::string>;

// The link list keeps its texts in fields of 12 characters: read back, they are padded.
std::string padded(const std::string& text) {
    return text + std::string(12 - text.size(), ' ');
}

std::string link_key(const std::string& new_number, bool parent, const std::string& reference) {
    return "Collegamento registrazione: " + padded(new_number) +
           (parent ? " con Reg. padre: " : " con Reg. figlia: ") + reference;
}

// A level-1 link row of the log.
std::string link_row(int state, const std::string& new_number, bool parent, const std::string& reference,
                     const std::string& message = "") {
    return "CG41_PRIMANOTA|1|" + std::to_string(state) + "|" + link_key(new_number, parent, reference) + "|" +
           message;
}

struct Detail {
    int member;
    std::string source;
    std::string group_number;
};

struct Collected {
    std::string parent, child, new_number, source;
};

class EntryLinksTest : public verify_test::VerifyFixture {
  protected:
    static constexpr int kEarlierImport = 1;
    static constexpr int kThisImport = 2;

    EntryLinksTest() {
        add_history(1, "earlier.xml");
        add_history(1, "running-import.xml");
    }

    module::ImportWindow& window() {
        if (window_ == nullptr) window_ = &open_with("");
        return *window_;
    }

    // An entry of the group company, with references it may already carry.
    void add_entry(const std::string& number, const std::string& parent = "NULL",
                   const std::string& child = "NULL") {
        exec(
            "INSERT INTO CG41_PRIMANOTA (CG41_DITTA_CG18, CG41_NUMREG, CG41_DATAREG, CG41_SEZIONALE, "
            "CG41_CODICE_CG33, CG41_RIFPADRE, CG41_RIFFIGLIA) VALUES (1, '" +
            number + "', '20240315', '01', 'CA01', " + parent + ", " + child + ")");
    }
    void add_detail(int header, const Detail& d, int company = 1) {
        exec(
            "INSERT INTO IE43_DETTIMPCOGE (IE43_DITTA_CG18, IE43_AZIENDARIF, IE43_NUMREG_AZIENDARIF, "
            "IE43_NUMREG_CO99, IE43_ID_IE42) VALUES (" +
            std::to_string(company) + ", " + std::to_string(d.member) + ", '" + d.source + "', '" +
            d.group_number + "', " + std::to_string(header) + ")");
    }
    // "number|parent|child" of every entry, in number order.
    Texts entries() {
        Texts rows;
        ado::RecordsetPtr rs = db.Execute(
            "SELECT CG41_NUMREG, CG41_RIFPADRE, CG41_RIFFIGLIA FROM CG41_PRIMANOTA ORDER BY CG41_NUMREG");
        for (; !rs->EOF(); rs->MoveNext()) {
            std::string row;
            for (int i = 0; i < 3; ++i) {
                const ado::Variant v = rs->GetFields().Item(i).Value();
                row += (i > 0 ? "|" : "") + (v.is_null() ? std::string("null") : v.text_or_empty());
            }
            rows.push_back(row);
        }
        return rows;
    }
    // The description the module connection gives for a statement it refuses.
    std::string refusal_of(const ado::SqlText& statement) {
        try {
            window().module_context().state().connection->Execute(statement);
        } catch (const ado::Error& e) {
            return e.description();
        }
        return "<not refused>";
    }

  private:
    module::ImportWindow* window_ = nullptr;
};

struct LinkCase {
    const char* name;
    std::vector<std::string> entries;   // group numbers written
    std::vector<Detail> earlier;        // details of an earlier import
    std::vector<Collected> collected;   // in file order
    std::vector<Detail> written_after;  // details of this import written after the collection
    Texts expected_entries;
    Texts expected_log;
};

void PrintTo(const LinkCase& c, std::ostream* os) {
    *os << c.name;
}

class Links : public EntryLinksTest, public ::testing::WithParamInterface<LinkCase> {};

TEST_P(Links, AreResolvedThroughTheImportHistory) {
    const LinkCase& c = GetParam();
    module::ImportWindow& w = window();
    for (const std::string& number : c.entries) add_entry(number);
    for (const Detail& d : c.earlier) add_detail(kEarlierImport, d);
    journal::EntryLinks links(w);
    for (const Collected& l : c.collected) links.collect(l.parent, l.child, l.new_number, l.source);
    for (const Detail& d : c.written_after) add_detail(kThisImport, d);

    links.resolve();

    EXPECT_EQ(entries(), c.expected_entries);
    EXPECT_EQ(log_texts(w), c.expected_log);
    EXPECT_TRUE(errors_shown().empty());
    EXPECT_FALSE(w.module_context().state().connection->InTransaction());
}

INSTANTIATE_TEST_SUITE_P(
    References, Links,
    ::testing::Values(
        LinkCase{"parent later in the file",
                 {"P00000001", "P00000002"},
                 {},
                 {{"200", "", "P00000001", "100"}},
                 {{900, "100", "P00000001"}, {900, "200", "P00000002"}},
                 {"P00000001|P00000002|null", "P00000002|null|null"},
                 {link_row(0, "P00000001", true, "200")}},
        LinkCase{"child taken over by an earlier import",
                 {"P00000001", "P00000002"},
                 {{900, "50", "P00000001"}},
                 {{"", "50", "P00000002", "51"}},
                 {{900, "51", "P00000002"}},
                 {"P00000001|null|null", "P00000002|null|P00000001"},
                 {link_row(0, "P00000002", false, "50")}},
        LinkCase{"a reference never taken over clears the field",
                 {"P00000003"},
                 {},
                 {{"999", "", "P00000003", "60"}},
                 {{900, "60", "P00000003"}},
                 {"P00000003|null|null"},
                 {link_row(0, "P00000003", true, "999")}},
        LinkCase{"both references, the parent first",
                 {"P00000004", "P00000005", "P00000006"},
                 {},
                 {{"70", "72", "P00000005", "71"}},
                 {{900, "70", "P00000004"}, {900, "71", "P00000005"}, {900, "72", "P00000006"}},
                 {"P00000004|null|null", "P00000005|P00000004|P00000006", "P00000006|null|null"},
                 {link_row(0, "P00000005", true, "70"), link_row(0, "P00000005", false, "72")}},
        LinkCase{"blank references write nothing",
                 {"P00000007"},
                 {},
                 {{"   ", " ", "P00000007", "80"}},
                 {{900, "80", "P00000007"}},
                 {"P00000007|null|null"},
                 {}},
        LinkCase{"another member's entry of the same number is not the reference",
                 {"P00000008", "P00000009"},
                 {{901, "90", "P00000008"}},
                 {{"90", "", "P00000009", "91"}},
                 {{900, "91", "P00000009"}},
                 {"P00000008|null|null", "P00000009|null|null"},
                 {link_row(0, "P00000009", true, "90")}},
        LinkCase{"an entry rolled back later changes nothing",
                 {"P00000011"},
                 {},
                 {{"95", "", "P00000010", "96"}},
                 {{900, "95", "P00000011"}},
                 {"P00000011|null|null"},
                 {link_row(0, "P00000010", true, "95")}},
        LinkCase{"links in the order they were collected",
                 {"P00000012", "P00000013"},
                 {},
                 {{"", "101", "P00000012", "100"}, {"100", "", "P00000013", "101"}},
                 {{900, "100", "P00000012"}, {900, "101", "P00000013"}},
                 {"P00000012|null|P00000013", "P00000013|P00000012|null"},
                 {link_row(0, "P00000012", false, "101"), link_row(0, "P00000013", true, "100")}}),
    scripted::ByName());

// An entry that already carried references gets the resolved ones (or NULL) in their place.
TEST_F(EntryLinksTest, AResolvedReferenceReplacesWhatTheEntryHeld) {
    module::ImportWindow& w = window();
    add_entry("P00000001", "'OLD'", "'OLD'");
    add_entry("P00000002");
    journal::EntryLinks links(w);
    links.collect("20", "30", "P00000001", "10");
    add_detail(kThisImport, {900, "20", "P00000002"});
    links.resolve();
    EXPECT_EQ(entries(), (Texts{"P00000001|P00000002|null", "P00000002|null|null"}));
}

TEST_F(EntryLinksTest, TheUpdatesLineByLine) {
    EXPECT_EQ(journal::EntryLinks::update_statement(true, 1, 900, "200", "P00000001").lines(),
              (Texts{
                  " UPDATE CG41_PRIMANOTA",
                  "     SET CG41_RIFPADRE = (",
                  "         SELECT PADRE.IE43_NUMREG_CO99",
                  "         FROM IE43_DETTIMPCOGE AS PADRE WITH (NOLOCK)",
                  "         WHERE IE43_DITTA_CG18 = CG41_DITTA_CG18",
                  "             AND IE43_AZIENDARIF = 900",
                  "             AND IE43_NUMREG_AZIENDARIF  = '200'",
                  "         )",
                  " FROM CG41_PRIMANOTA",
                  " WHERE CG41_DITTA_CG18 = 1",
                  "     AND CG41_NUMREG = 'P00000001'",
              }));
    const ado::SqlText child = journal::EntryLinks::update_statement(false, 3, 0, "300", "P00000002");
    EXPECT_EQ(child.lines(), (Texts{
                                 " UPDATE CG41_PRIMANOTA",
                                 "     SET CG41_RIFFIGLIA = (",
                                 "         SELECT FIGLIA.IE43_NUMREG_CO99",
                                 "         FROM IE43_DETTIMPCOGE AS FIGLIA WITH (NOLOCK)",
                                 "         WHERE IE43_DITTA_CG18 = CG41_DITTA_CG18",
                                 "             AND IE43_AZIENDARIF = 0",
                                 "             AND IE43_NUMREG_AZIENDARIF = '300'",
                                 "         )",
                                 " FROM CG41_PRIMANOTA",
                                 " WHERE CG41_DITTA_CG18 = 3",
                                 "     AND CG41_NUMREG = 'P00000002'",
                             }));
    EXPECT_EQ(child.verbatim_values(), (Texts{"300", "P00000002"}));
    EXPECT_TRUE(child.final_crlf());
}

// A reference holding a quote is refused before the engine; the engine refuses the update
// when the history is gone. Each is a row in state 50 with the provider's description, and
// the links after it are still resolved.
TEST_F(EntryLinksTest, ARefusedUpdateIsAnErrorRowAndTheOthersGoOn) {
    module::ImportWindow& w = window();
    add_entry("P00000001");
    add_entry("P00000002");
    add_detail(kThisImport, {900, "20", "P00000001"});
    journal::EntryLinks links(w);
    links.collect("1'2", "20", "P00000002", "21");
    links.resolve();

    const std::string quote =
        refusal_of(journal::EntryLinks::update_statement(true, 1, 900, padded("1'2"), padded("P00000002")));
    ASSERT_NE(quote, "<not refused>");
    EXPECT_EQ(log_texts(w),
              (Texts{link_row(50, "P00000002", true, "1'2", quote), link_row(0, "P00000002", false, "20")}));
    EXPECT_EQ(entries(), (Texts{"P00000001|null|null", "P00000002|null|P00000001"}));
}

TEST_F(EntryLinksTest, AnUpdateTheEngineRefusesIsAnErrorRow) {
    module::ImportWindow& w = window();
    add_entry("P00000001");
    journal::EntryLinks links(w);
    links.collect("20", "", "P00000001", "21");
    exec("DROP TABLE IE43_DETTIMPCOGE");
    links.resolve();

    const std::string refused =
        refusal_of(journal::EntryLinks::update_statement(true, 1, 900, padded("20"), padded("P00000001")));
    ASSERT_NE(refused, "<not refused>");
    EXPECT_NE(refused, "");
    EXPECT_EQ(log_texts(w), (Texts{link_row(50, "P00000001", true, "20", refused)}));
    EXPECT_TRUE(errors_shown().empty());  // a log row, not a trapped error
}

// A reference longer than the list's field is the caller's error; the list stays usable.
TEST_F(EntryLinksTest, AReferenceTooLongForTheListFailsThatRowOnly) {
    module::ImportWindow& w = window();
    add_entry("P00000001");
    add_entry("P00000002");
    add_detail(kThisImport, {900, "20", "P00000001"});
    journal::EntryLinks links(w);
    EXPECT_THROW(links.collect("1234567890123", "", "P00000001", "10"), ado::Error);
    links.collect("20", "", "P00000002", "21");
    links.resolve();
    EXPECT_EQ(log_texts(w), (Texts{link_row(0, "P00000002", true, "20")}));
    EXPECT_EQ(entries(), (Texts{"P00000001|null|null", "P00000002|P00000001|null"}));
}

TEST_F(EntryLinksTest, NothingCollectedNothingResolved) {
    module::ImportWindow& w = window();
    journal::EntryLinks links(w);
    EXPECT_TRUE(links.empty());
    links.resolve();
    EXPECT_TRUE(log_texts(w).empty());
    links.collect("", "7", "P00000001", "6");
    EXPECT_FALSE(links.empty());
    links.close();
    EXPECT_TRUE(links.empty());
    links.resolve();
    EXPECT_TRUE(log_texts(w).empty());
}

}  // namespace
