// The account and VAT rows of an entry: rows already under the new number go first; the
// counter-account of a customer or supplier row is the company's own, any other account
// and the VAT codes are transcoded (the VAT row's account under operation type 3); each
// row is a log row and the first refused row ends the entry's rows.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "case_name.h"
#include "journal/entry_rows.h"
#include "journal/journal_entry.h"
#include "journal_fixture.h"

namespace {

using journal::EntryRows;
using journal::JournalEntry;
using journal_test::account_row;
using journal_test::Elements;
using journal_test::Entry;
using journal_test::entry_header;
using journal_test::JournalFixture;
using journal_test::Texts;
using journal_test::vat_row;

constexpr const char* kNumber = "G00000001";

class EntryRowsTest : public JournalFixture {
  protected:
    // The window on a file with `entry` as its only entry, whose header is in the books
    // under kNumber; the entry in hand as the import holds it after its header.
    module::ImportWindow& open_entry(const Entry& entry) {
        module::ImportWindow& window = open_entries({entry});
        add_header(kNumber);
        in_hand.index = 1;
        in_hand.element = window.import_state().document->row("CG41_PRIMANOTA", 1);
        in_hand.new_number = kNumber;
        in_hand.causal = "FV  ";
        in_hand.succeed();
        return window;
    }
    void add_header(const std::string& number) {
        exec(
            "INSERT INTO CG41_PRIMANOTA (CG41_DITTA_CG18, CG41_NUMREG, CG41_DATAREG, CG41_SEZIONALE, "
            "CG41_CODICE_CG33) VALUES (1, '" +
            number + "', '20240101', '01', 'FV')");
    }
    void write(module::ImportWindow& window) {
        EntryRows rows(window);
        rows.write_account_rows(in_hand);
        if (!in_hand.failed()) rows.write_vat_rows(in_hand);
    }
    Texts accounts() {
        return rows(
            "SELECT CG42_NUMREG_CG41, CG42_NUMRIGACONT, CG42_CONTOPAR_CG24, CG42_IMPDARE FROM CG42_MOVCONT "
            "ORDER BY CG42_NUMREG_CG41, CG42_NUMRIGACONT");
    }

    JournalEntry in_hand;
};

TEST_F(EntryRowsTest, RowsAlreadyUnderTheNumberGoFirst) {
    module::ImportWindow& window =
        open_entry({entry_header("100"), {account_row("2", "C1", "5", "0")}, {vat_row("1", "10", "2")}});
    add_header("G00000009");
    for (const char* number : {kNumber, "G00000009"}) {
        for (const char* row : {"1", "2", "3"})
            exec(std::string(
                     "INSERT INTO CG42_MOVCONT (CG42_DITTA_CG18, CG42_NUMREG_CG41, CG42_NUMRIGACONT, "
                     "CG42_GRUPPO_CG10, CG42_CONTOPAR_CG24, CG42_CODICE_CG33, CG42_IMPDARE) VALUES (1, '") +
                 number + "', " + row + ", 1, 'OLD', 'FV', 99)");
        exec(std::string("INSERT INTO CG43_MOVIVA (CG43_DITTA_CG18, CG43_NUMREG_CG41, CG43_NUMRIGAIVA, "
                         "CG43_GRUPPO_CG10, CG43_IMPONIBILE) VALUES (1, '") +
             number + "', 7, 1, 99)");
    }

    write(window);

    EXPECT_EQ(in_hand.state, 0);
    EXPECT_EQ(accounts(), (Texts{"G00000001|2|C1        |5", "G00000009|1|OLD       |99",
                                 "G00000009|2|OLD       |99", "G00000009|3|OLD       |99"}));
    EXPECT_EQ(rows("SELECT CG43_NUMREG_CG41, CG43_NUMRIGAIVA, CG43_IMPONIBILE FROM CG43_MOVIVA ORDER BY "
                   "CG43_NUMREG_CG41"),
              (Texts{"G00000001|1|10", "G00000009|7|99"}));
    EXPECT_EQ(log_texts(window), (Texts{"CG42_MOVCONT|1|0|Numero riga contabile: 2 - Conto: C1|",
                                        "CG43_MOVIVA|1|0|Numero riga Iva: 1|"}));
}

struct CounterAccountCase {
    const char* name;
    Elements row;  // besides the row's number and amounts
    const char* stored;
};

void PrintTo(const CounterAccountCase& c, std::ostream* os) {
    *os << c.name;
}

const CounterAccountCase kCounterAccountCases[] = {
    {"a customer row takes the customers account",
     {{"CG42_TIPOCF_CG44", "0"}, {"CG42_CONTOPAR_CG24", "C400"}},
     "1101      "},
    {"a supplier row takes the suppliers account",
     {{"CG42_TIPOCF_CG44", "1"}, {"CG42_CONTOPAR_CG24", "C400"}},
     "2101      "},
    {"a customer row needs no account element", {{"CG42_TIPOCF_CG44", "0"}}, "1101      "},
    {"a row without type is transcoded", {{"CG42_CONTOPAR_CG24", "C400"}}, "G400      "},
    {"any other type is transcoded",
     {{"CG42_TIPOCF_CG44", "2"}, {"CG42_CONTOPAR_CG24", "C400"}},
     "G400      "},
    {"an account without transcoding is blank", {{"CG42_CONTOPAR_CG24", "C999"}}, "          "},
};

class CounterAccount : public EntryRowsTest, public ::testing::WithParamInterface<CounterAccountCase> {};

TEST_P(CounterAccount, FollowsTheRowType) {
    set_structure({.sections = "0", .accounts = "1", .causals = "0", .vat_codes = "0"});
    add_transcoding(3, "C400", "'G400'");
    Elements row = {{"CG42_NUMRIGACONT", "1"}, {"CG42_CODICE_CG33", "FV"}, {"CG42_IMPDARE", "1"}};
    row.insert(row.end(), GetParam().row.begin(), GetParam().row.end());
    module::ImportWindow& window = open_entry({entry_header("100"), {row}, {}});
    write(window);
    EXPECT_EQ(in_hand.state, 0) << in_hand.error_text;
    EXPECT_EQ(column("SELECT CG42_CONTOPAR_CG24 FROM CG42_MOVCONT"), Texts{GetParam().stored});
}

INSTANTIATE_TEST_SUITE_P(Cases, CounterAccount, ::testing::ValuesIn(kCounterAccountCases),
                         scripted::ByName());

// Under the account proposal, an account row asks with its own operation type, a VAT row
// with operation type 3, both for the entry's causal.
TEST_F(EntryRowsTest, TheAccountProposalIsAskedWithTheRowsOperationType) {
    set_structure({.sections = "0", .accounts = "3", .causals = "0", .vat_codes = "0"});
    exec("INSERT INTO CG37_CONTIPRSSTD (CG37_CODICE, CG37_DESCR) VALUES (7, 'Ricavi'), (2, 'Iva vendite')");
    exec(
        "INSERT INTO CG36_PRSPDC (CG36_GRUPPO_CG10, CG36_CODICE, CG36_CONTO_CG24) VALUES (1, 7, 'R100'), "
        "(1, 2, 'V100')");
    set_proposal_setting(7, 7);  // sales, operation type 2
    set_proposal_setting(2, 2);  // sales, operation type 3
    module::ImportWindow& window =
        open_entry({entry_header("100"),
                    {account_row("1", "P1", "10", "0", {{"CG42_INDTIPOOPER", " 2 "}})},
                    {vat_row("1", "10", "2", {{"CG43_CONTO_CG24", "V1"}})}});
    write(window);
    EXPECT_EQ(in_hand.state, 0) << in_hand.error_text;
    EXPECT_EQ(column("SELECT CG42_CONTOPAR_CG24 FROM CG42_MOVCONT"), Texts{"R100      "});
    EXPECT_EQ(column("SELECT CG43_CONTO_CG24 FROM CG43_MOVIVA"), Texts{"V100      "});
}

// VAT codes and the account: transcoded and padded when the row has them (an empty one
// gives blanks), Null when it has not.
TEST_F(EntryRowsTest, VatRowCodesAreTranscodedOrLeftNull) {
    set_structure({.sections = "0", .accounts = "1", .causals = "0", .vat_codes = "1"});
    add_transcoding(1, "22", "'G22'");
    add_transcoding(3, "C400", "'G400'");
    module::ImportWindow& window =
        open_entry({entry_header("100"),
                    {},
                    {vat_row("1", "10", "2", {{"CG43_ALIQIVA1_CG28", "22"}, {"CG43_CONTO_CG24", "C400"}}),
                     vat_row("2", "10", "2", {{"CG43_ALIQIVA2_CG28", ""}}), vat_row("3", "10", "2")}});
    write(window);
    EXPECT_EQ(in_hand.state, 0) << in_hand.error_text;
    EXPECT_EQ(rows("SELECT CG43_NUMRIGAIVA, CG43_GRUPPO_CG10, CG43_ALIQIVA1_CG28, CG43_ALIQIVA2_CG28, "
                   "CG43_CONTO_CG24 FROM CG43_MOVIVA ORDER BY CG43_NUMRIGAIVA"),
              (Texts{"1|1|G22 |null|G400      ", "2|1|null|    |null", "3|1|null|null|null"}));
}

TEST_F(EntryRowsTest, AnEntryWithoutRowsWritesNoRowAndNoLogRow) {
    module::ImportWindow& window = open_entry({entry_header("100"), {}, {}});
    const std::int32_t counter = window.import_log().counter();
    write(window);
    EXPECT_EQ(in_hand.state, 0);
    EXPECT_EQ(window.import_log().counter(), counter);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM CG42_MOVCONT") + scalar("SELECT COUNT(*) FROM CG43_MOVIVA"), 0);
}

// One refused row ends the rows: the next one is never tried and the VAT rows not reached.
TEST_F(EntryRowsTest, TheFirstRefusedRowEndsTheRows) {
    module::ImportWindow& window =
        open_entry({entry_header("100"),
                    {account_row("1", "C1", "1", "0"), account_row("1", "C2", "2", "0"),
                     account_row("3", "C3", "3", "0")},
                    {vat_row("1", "10", "2")}});
    write(window);
    EXPECT_EQ(in_hand.state, 50);
    EXPECT_TRUE(in_hand.error_text.ends_with(" in inserimento riga registrazione.")) << in_hand.error_text;
    const std::vector<verify_test::LogRow> logged = log_rows(window);
    ASSERT_EQ(logged.size(), 2u);
    EXPECT_EQ(logged[0].text(), "CG42_MOVCONT|1|0|Numero riga contabile: 1 - Conto: C1|");
    EXPECT_EQ(logged[1].state, 50);
    EXPECT_EQ(logged[1].key, "Numero riga contabile: 1 - Conto: C2");
    EXPECT_EQ(logged[1].message, in_hand.error_text);
    EXPECT_EQ(accounts(), Texts{"G00000001|1|C1        |1"});  // no transaction here to roll it back
}

TEST(EntryRowsStatements, SelectTheRowsOfTheCompanyUnderTheNumber) {
    EXPECT_EQ(EntryRows::account_rows_statement(1, "G00000001").text(),
              " SELECT *\r\n FROM CG42_MOVCONT WITH (NOLOCK)\r\n WHERE CG42_DITTA_CG18 = 1\r\n     AND "
              "CG42_NUMREG_CG41 = 'G00000001'\r\n");
    EXPECT_EQ(EntryRows::vat_rows_statement(12, "P1").lines(),
              (Texts{" SELECT *", " FROM CG43_MOVIVA WITH (NOLOCK)", " WHERE CG43_DITTA_CG18 = 12",
                     "     AND CG43_NUMREG_CG41 = 'P1'"}));
    EXPECT_EQ(EntryRows::account_rows_statement(1, "G'1").verbatim_values(), Texts{"G'1"});
}

}  // namespace
