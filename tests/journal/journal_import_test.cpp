// The journal import: each entry of the member's file written whole under a new
// registration number (history detail, master document, header, numbering update, account
// and VAT rows) in a transaction of its own, or not at all; entries taken over before are
// skipped; every failure is a log row and the next entry goes on.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "case_name.h"
#include "importfile/import_document.h"
#include "journal/entry_header.h"
#include "journal_fixture.h"
#include "modulebase/routines.h"
#include "verify/verification.h"

namespace {

using journal_test::account_row;
using journal_test::Elements;
using journal_test::Entry;
using journal_test::entry_header;
using journal_test::JournalFixture;
using journal_test::Texts;
using journal_test::vat_row;

// The log key of an entry built by entry_header(), before its new number is known.
std::string key_of(const std::string& source) {
    return "Data reg.: 15/01/2024 - Data doc.: 14/01/2024 - Num. doc.: D" + source +
           " - Sez.: 01 - Causale: FV - Fattura vendita - Num. doc. orig.:  - Importo: 122.00 - Num. reg. "
           "sorgente : " +
           source;
}
std::string key_of(const std::string& source, const std::string& number) {
    return key_of(source) + " - Num. reg.: " + number;
}

// An entry with a balanced pair of account rows and one VAT row.
Entry simple_entry(const std::string& source, const Elements& changes = {}) {
    return {entry_header(source, changes),
            {account_row("1", "C100", "122.00", "0"), account_row("2", "C400", "0", "122.00")},
            {vat_row("1", "100", "22")}};
}

class JournalImportTest : public JournalFixture {
  protected:
    long entries() { return scalar("SELECT COUNT(*) FROM CG41_PRIMANOTA"); }
    long headers() { return scalar("SELECT COUNT(*) FROM IE42_IMPCOGE"); }
    // The rows under a number in every table an entry writes: "CG41/CG42/CG43/IE43/CO99".
    std::string written_under(const std::string& number) {
        const std::string n = "'" + number + "'";
        return std::to_string(scalar("SELECT COUNT(*) FROM CG41_PRIMANOTA WHERE CG41_NUMREG = " + n)) + "/" +
               std::to_string(scalar("SELECT COUNT(*) FROM CG42_MOVCONT WHERE CG42_NUMREG_CG41 = " + n)) +
               "/" +
               std::to_string(scalar("SELECT COUNT(*) FROM CG43_MOVIVA WHERE CG43_NUMREG_CG41 = " + n)) +
               "/" +
               std::to_string(scalar("SELECT COUNT(*) FROM IE43_DETTIMPCOGE WHERE IE43_NUMREG_CO99 = " + n)) +
               "/" + std::to_string(scalar("SELECT COUNT(*) FROM CO99_MASTERDOC WHERE CO99_NUMREG = " + n));
    }
    void add_entry(const std::string& number) {
        exec(
            "INSERT INTO CG41_PRIMANOTA (CG41_DITTA_CG18, CG41_NUMREG, CG41_DATAREG, CG41_SEZIONALE, "
            "CG41_CODICE_CG33) VALUES (1, '" +
            number + "', '20240101', '01', 'FV')");
    }
    // The level-0 rows of the log shown, as "STATO|CHIAVE|ERRORE".
    Texts entry_rows() const {
        Texts found;
        for (const std::string& line : shown_log()) {
            const std::string marker = "|CG41_PRIMANOTA|0|";
            const std::size_t at = line.find(marker);
            if (at != std::string::npos) found.push_back(line.substr(at + marker.size()));
        }
        return found;
    }
};

// Header columns by their rules, codes transcoded and padded, the customer through the
// map, a customer row's counter-account from the company's account texts, other accounts
// and the VAT codes transcoded; the numbering update gets the codes as the file has them.
TEST_F(JournalImportTest, AnEntryIsWrittenWhole) {
    set_structure({.sections = "1", .accounts = "1", .causals = "1", .vat_codes = "1"});
    add_transcoding(0, "01", "'G1'");
    add_transcoding(2, "FV", "'GFV'");
    add_transcoding(1, "22", "'G22'");
    add_transcoding(3, "C400", "'G400'");
    add_transcoding(3, "C500", "'G500'");
    const Entry entry{
        entry_header("100", {{"CG41_TIPOCF_CG44", "0"},
                             {"CG41_CLIFOR_CG44", "15"},
                             {"CG41_INDTIPOMOV", "1"},
                             {"CG41_FLGSTPIVA", "0"},
                             {"CG41_DESCRAGG", "Nota dell'anno"},
                             {"CG41_IDMEDIA_CG99", "5"},
                             {"CG41_CODICE_CG31", "3"}}),
        {account_row("1", "C100", "122.00", "0", {{"CG42_TIPOCF_CG44", "0"}, {"CG42_CLIFORPAR_CG44", "15"}}),
         account_row("2", "C400", "0", "100", {{"CG42_INDTIPOOPER", "2"}, {"CG42_DESCR", "Ricavi"}}),
         account_row("3", "C500", "0", "22", {{"CG42_CODICE_CGC0", "9"}, {"CG42_CODICE_CG31", "4"}})},
        {vat_row("1", "100", "22", {{"CG43_ALIQIVA1_CG28", "22"}, {"CG43_CONTO_CG24", "C400"}})}};
    module::ImportWindow& window = open_entries({entry});
    map_customer(window, 0, 15, 4001);
    map_customer(window, 1, 15, 5001);
    window.import_log().set_counter(7);

    EXPECT_FALSE(import(window));

    EXPECT_EQ(
        rows("SELECT CG41_DITTA_CG18, CG41_NUMREG, CG41_DATAREG, CG41_DATADOC, CG41_NUMDOC, "
             "CG41_SEZIONALE, CG41_CODICE_CG33, CG41_DESCAUSALE, CG41_DESCRAGG, CG41_IMPTOTALE, "
             "CG41_TIPOCF_CG44, CG41_DITTACF_CG18, CG41_CLIFOR_CG44, CG41_RIFPADRE, CG41_RIFFIGLIA, "
             "CG41_INDTIPOMOV, CG41_FLGSTPIVA, CG41_FLGSTPTOTIVA, CG41_DITTASEDE_CG18, "
             "CG41_CODICE_CG31, CG41_IDMEDIA_CG99 FROM CG41_PRIMANOTA"),
        Texts{"1|G00000001|2024-01-15|2024-01-14|D100|G1|GFV |Fattura vendita|Nota dell'anno|122|0|1|4001|"
              "null|null|0|1|1|1|0|null"});
    EXPECT_EQ(text_of("SELECT CG41_GUID FROM CG41_PRIMANOTA").size(), 36u);
    EXPECT_EQ(
        rows("SELECT CG42_NUMRIGACONT, CG42_GRUPPO_CG10, CG42_CONTOPAR_CG24, CG42_CODICE_CG33, "
             "CG42_TIPOCF_CG44, CG42_DITTACF_CG18, CG42_CLIFORPAR_CG44, CG42_FLGSTPGIOR, CG42_CODICE_CGC0, "
             "CG42_CODICE_CG31, CG42_INDTIPOOPER, CG42_DESCR, CG42_IMPDARE, CG42_IMPAVERE "
             "FROM CG42_MOVCONT ORDER BY CG42_NUMRIGACONT"),
        (Texts{"1|1|1101      |GFV |0|1|4001|1|null|0|0|null|122|0",
               "2|1|G400      |GFV |null|null|null|1|null|0|2|Ricavi|0|100",
               "3|1|G500      |GFV |null|null|null|1|null|0|0|null|0|22"}));
    for (const std::string& guid : column("SELECT CG42_GUID FROM CG42_MOVCONT")) EXPECT_EQ(guid.size(), 36u);
    EXPECT_EQ(rows("SELECT CG43_NUMREG_CG41, CG43_GRUPPO_CG10, CG43_ALIQIVA1_CG28, CG43_ALIQIVA2_CG28, "
                   "CG43_CONTO_CG24, CG43_IMPONIBILE, CG43_IMPOSTA FROM CG43_MOVIVA"),
              Texts{"G00000001|1|G22 |null|G400      |100|22"});
    EXPECT_EQ(rows("SELECT IE43_DITTA_CG18, IE43_AZIENDARIF, IE43_NUMREG_AZIENDARIF, IE43_NUMREG_CO99 "
                   "FROM IE43_DETTIMPCOGE"),
              Texts{"1|900|100|G00000001"});
    EXPECT_EQ(written_under("G00000001"), "1/3/1/1/1");
    EXPECT_EQ(headers(), 1);

    // The VAT causal of FV numbers the entry with the file's section, date and document.
    ASSERT_EQ(updates.size(), 1u);
    std::string handed;
    for (const auto& [role, value] : updates[0]->properties)
        if (role == "Section" || role == "NumberingKind" || role == "UpdateDate" || role == "DocumentNumber")
            handed += role + "=" + value.text_or_empty() + ";";
    EXPECT_EQ(handed, "Section=01;NumberingKind=1;UpdateDate=15/01/2024;DocumentNumber=D100;");

    // Entry, three account rows and a VAT row, numbered on from the rows before; nothing
    // failed, so the log closes without being shown.
    EXPECT_TRUE(viewer->texts.empty());
    EXPECT_EQ(window.import_log().counter(), 12);
    EXPECT_FALSE(window.import_log().is_open());
    EXPECT_FALSE(in_transaction(window));
    EXPECT_FALSE(window.PROGRESS_BAR.visible);
    EXPECT_EQ(window.MousePointer, module::kPointerDefault);
    EXPECT_FALSE(window.import_state().customer_supplier_map);
}

TEST_F(JournalImportTest, ASecondImportOfTheSameFileSkipsEveryEntry) {
    module::ImportWindow& window = open_entries({simple_entry("100"), simple_entry("101")});
    ASSERT_FALSE(import(window));
    ASSERT_EQ(entries(), 2);
    const std::vector<long> before = table_counts();
    const int numbers_taken = registration->runs;
    const std::int32_t counter = window.import_log().counter();

    EXPECT_FALSE(import(window));

    EXPECT_EQ(table_counts(), before);  // the second import's header is gone again
    EXPECT_EQ(registration->runs, numbers_taken);
    EXPECT_EQ(window.import_log().counter(), counter + 2);  // one row per entry
    EXPECT_TRUE(viewer->texts.empty());
    EXPECT_FALSE(in_transaction(window));
}

// The log of the journal import goes on from the verification's numbers; a failing entry
// makes it visible with every row: account and VAT rows before their entry's row, a
// skipped entry as state 10, a number in use as state 50.
TEST_F(JournalImportTest, TheLogGoesOnFromTheVerificationAndShowsEveryRow) {
    module::ImportWindow& window = open_entries({simple_entry("100")});
    ASSERT_FALSE(import(window));
    add_entry("G00000002");
    const std::string causals = "<CG33_TABCAU><Row><CG33_CODICE>FV</CG33_CODICE></Row></CG33_TABCAU>";
    ASSERT_FALSE(
        choose(window, entries_file("second.xml", causals,
                                    {simple_entry("100"), simple_entry("101"), simple_entry("102")})));
    bool failed = false;
    verify::Verification(window).VerificaTabelleImportazioneFileXML(failed);
    ASSERT_FALSE(failed);
    ASSERT_EQ(window.import_log().counter(), 1);

    EXPECT_TRUE(import(window));

    const std::string number_in_use = "Numero registrazione esistente in inserimento testata registrazione.";
    EXPECT_EQ(shown_log(), (Texts{"2|CG41_PRIMANOTA|0|10|" + key_of("100") + "|",
                                  "3|CG41_PRIMANOTA|0|50|" + key_of("101", "G00000002") + "|" + number_in_use,
                                  "4|CG42_MOVCONT|1|0|Numero riga contabile: 1 - Conto: C100|",
                                  "5|CG42_MOVCONT|1|0|Numero riga contabile: 2 - Conto: C400|",
                                  "6|CG43_MOVIVA|1|0|Numero riga Iva: 1|",
                                  "7|CG41_PRIMANOTA|0|0|" + key_of("102", "G00000003") + "|"}));
}

// A number already in the books: the entry is rolled back with its history detail and
// master document; the next entry takes the next number.
TEST_F(JournalImportTest, ANumberAlreadyInUseRollsTheEntryBack) {
    add_entry("G00000001");
    module::ImportWindow& window = open_entries({simple_entry("100"), simple_entry("101")});

    EXPECT_TRUE(import(window));

    EXPECT_EQ(written_under("G00000001"), "1/0/0/0/0");  // only the entry that was there
    EXPECT_EQ(written_under("G00000002"), "1/2/1/1/1");
    EXPECT_EQ(entry_rows(),
              (Texts{"50|" + key_of("100", "G00000001") +
                         "|Numero registrazione esistente in inserimento testata registrazione.",
                     "0|" + key_of("101", "G00000002") + "|"}));
    EXPECT_TRUE(errors_shown().empty());
    EXPECT_FALSE(in_transaction(window));
}

TEST_F(JournalImportTest, WithoutANumberTheEntryIsLoggedAndNothingIsWritten) {
    registration->error_code = 7;
    module::ImportWindow& window = open_entries({simple_entry("100")});

    EXPECT_TRUE(import(window));

    // The key ends with the empty number (the log drops the trailing blank).
    EXPECT_EQ(entry_rows(), Texts{"50|" + key_of("100") +
                                  " - Num. reg.:|Impossibile recuperare un nuovo numero registrazione."});
    EXPECT_EQ(entries(), 0);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM IE43_DETTIMPCOGE"), 0);
    EXPECT_EQ(headers(), 0);  // deleted: no detail refers to it
    EXPECT_TRUE(errors_shown().empty());
}

struct CustomerCase {
    const char* name;
    Elements header;     // changes to the entry's header
    const char* stored;  // CG41_TIPOCF_CG44|CG41_DITTACF_CG18|CG41_CLIFOR_CG44
};

void PrintTo(const CustomerCase& c, std::ostream* os) {
    *os << c.name;
}

const CustomerCase kCustomerCases[] = {
    {"no type leaves the three columns null", {{"CG41_CLIFOR_CG44", "15"}}, "null|null|null"},
    {"a supplier", {{"CG41_TIPOCF_CG44", "1"}, {"CG41_CLIFOR_CG44", "15"}}, "1|1|5001"},
    {"a customer", {{"CG41_TIPOCF_CG44", "0"}, {"CG41_CLIFOR_CG44", " 15 "}}, "0|1|4001"},
    {"a code the map lacks", {{"CG41_TIPOCF_CG44", "0"}, {"CG41_CLIFOR_CG44", "99"}}, "0|1|null"},
    {"a type without code", {{"CG41_TIPOCF_CG44", "1"}}, "1|1|null"},
    {"an empty code", {{"CG41_TIPOCF_CG44", "0"}, {"CG41_CLIFOR_CG44", ""}}, "0|1|null"},
    {"an empty type", {{"CG41_TIPOCF_CG44", ""}, {"CG41_CLIFOR_CG44", "15"}}, "null|null|null"},
};

class EntryCustomer : public JournalImportTest, public ::testing::WithParamInterface<CustomerCase> {};

TEST_P(EntryCustomer, IsTranslatedThroughTheMap) {
    module::ImportWindow& window = open_entries({simple_entry("100", GetParam().header)});
    map_customer(window, 0, 15, 4001);
    map_customer(window, 1, 15, 5001);
    EXPECT_FALSE(import(window));
    EXPECT_EQ(rows("SELECT CG41_TIPOCF_CG44, CG41_DITTACF_CG18, CG41_CLIFOR_CG44 FROM CG41_PRIMANOTA"),
              Texts{GetParam().stored});
}

INSTANTIATE_TEST_SUITE_P(Cases, EntryCustomer, ::testing::ValuesIn(kCustomerCases), scripted::ByName());

struct NumberingCase {
    const char* name;
    const char* movement_type;  // CG41_INDTIPOMOV, "<drop>" for none
    const char* causal;
    std::size_t updates;
};

void PrintTo(const NumberingCase& c, std::ostream* os) {
    *os << c.name;
}

const NumberingCase kNumberingCases[] = {
    {"a VAT causal numbers the entry", "0", "FV", 1},
    {"movement type 2 numbers nothing", "2", "FV", 0},
    {"no movement type", "<drop>", "FV", 1},
    {"a causal without VAT causal", "0", "GC", 0},
    {"a VAT causal without numbering kind", "0", "NK", 0},
    {"a causal the group company lacks", "0", "ZZ", 0},
};

class NumberingUpdate : public JournalImportTest, public ::testing::WithParamInterface<NumberingCase> {};

TEST_P(NumberingUpdate, FollowsTheCausalAndTheMovementType) {
    module::ImportWindow& window = open_entries({simple_entry(
        "100", {{"CG41_INDTIPOMOV", GetParam().movement_type}, {"CG41_CODICE_CG33", GetParam().causal}})});
    EXPECT_FALSE(import(window));
    EXPECT_EQ(updates.size(), GetParam().updates);
    EXPECT_EQ(written_under("G00000001"), "1/2/1/1/1");
}

INSTANTIATE_TEST_SUITE_P(Cases, NumberingUpdate, ::testing::ValuesIn(kNumberingCases), scripted::ByName());

struct RefusedCase {
    const char* name;
    Entry entry;
    const char* logged;  // the end of the failing entry's level-0 row
    bool refuse_numbering = false;
};

void PrintTo(const RefusedCase& c, std::ostream* os) {
    *os << c.name;
}

const RefusedCase kRefusedCases[] = {
    {"two account rows with the same number",
     {entry_header("100"), {account_row("1", "C100", "1", "0"), account_row("1", "C400", "0", "1")}, {}},
     " in inserimento riga registrazione."},
    {"an account row without its number",
     {entry_header("100"), {{{"CG42_CONTOPAR_CG24", "C100"}, {"CG42_CODICE_CG33", "FV"}}}, {}},
     " in inserimento riga registrazione."},
    {"two VAT rows with the same number",
     {entry_header("100"), {}, {vat_row("1", "10", "2"), vat_row("1", "20", "4")}},
     " in inserimento riga iva."},
    {"a numbering update refused",
     {entry_header("100"), {}, {}},
     "|Errore in aggiornamento numerazione.",
     true},
};

class RefusedEntry : public JournalImportTest, public ::testing::WithParamInterface<RefusedCase> {};

// What the database or the numbering refuses is no error to show: the entry is rolled
// back whole and logged, and the next entry is committed.
TEST_P(RefusedEntry, IsRolledBackAndTheNextEntryCommitted) {
    if (GetParam().refuse_numbering) update_error_code = 1;
    module::ImportWindow& window =
        open_entries({GetParam().entry, simple_entry("101", {{"CG41_CODICE_CG33", "GC"}})});

    EXPECT_TRUE(import(window));

    EXPECT_EQ(written_under("G00000001"), "0/0/0/0/0");
    EXPECT_EQ(written_under("G00000002"), "1/2/1/1/1");
    const Texts logged = entry_rows();
    ASSERT_EQ(logged.size(), 2u);
    EXPECT_EQ(logged[0].substr(0, 3 + key_of("100", "G00000001").size()), "50|" + key_of("100", "G00000001"));
    EXPECT_TRUE(logged[0].ends_with(GetParam().logged)) << logged[0];
    EXPECT_TRUE(logged[1].starts_with("0|")) << logged[1];
    EXPECT_TRUE(errors_shown().empty());
    EXPECT_FALSE(in_transaction(window));
}

INSTANTIATE_TEST_SUITE_P(Cases, RefusedEntry, ::testing::ValuesIn(kRefusedCases), scripted::ByName());

struct TrappedCase {
    const char* name;
    Entry entry;
};

void PrintTo(const TrappedCase& c, std::ostream* os) {
    *os << c.name;
}

const TrappedCase kTrappedCases[] = {
    {"an amount that is not a number", {entry_header("100"), {account_row("1", "C100", "dodici", "0")}, {}}},
    {"a registration date that is no date", simple_entry("100", {{"CG41_DATAREG", "31/02/2024"}})},
    {"no registration date", simple_entry("100", {{"CG41_DATAREG", "<drop>"}})},
    {"a registration date not day first", simple_entry("100", {{"CG41_DATAREG", "2024-01-15"}})},
    {"no source number", simple_entry("100", {{"CG41_NUMREG", "<drop>"}})},
    {"no section", simple_entry("100", {{"CG41_SEZIONALE", "<drop>"}})},
    {"no causal", simple_entry("100", {{"CG41_CODICE_CG33", "<drop>"}})},
    {"a customer code that is not a number",
     simple_entry("100", {{"CG41_TIPOCF_CG44", "0"}, {"CG41_CLIFOR_CG44", "15 OR TIPOCF = 1"}})},
    {"an account row without account",
     {entry_header("100"), {{{"CG42_NUMRIGACONT", "1"}, {"CG42_CODICE_CG33", "FV"}}}, {}}},
    {"an account row without causal",
     {entry_header("100"), {{{"CG42_NUMRIGACONT", "1"}, {"CG42_CONTOPAR_CG24", "C1"}}}, {}}},
    {"a VAT row without its number", {entry_header("100"), {}, {{{"CG43_IMPONIBILE", "10"}}}}},
    {"a VAT amount that is not a number", {entry_header("100"), {}, {vat_row("1", "10", "2,2,2")}}},
    {"a parent reference longer than a number", simple_entry("100", {{"CG41_RIFPADRE", "1234567890123"}})},
};

class TrappedEntry : public JournalImportTest, public ::testing::WithParamInterface<TrappedCase> {};

// A trapped error is shown under the procedure's name. Answered ignore, the entry has been
// rolled back whole already, is logged as failed and the import goes on with the next one.
TEST_P(TrappedEntry, AnsweredIgnoreGoesOnWithTheNextEntry) {
    host.components().configure_log = [](scripted::Log& log) { log.default_answer = host::kAnswerIgnore; };
    module::ImportWindow& window = open_entries({GetParam().entry, simple_entry("101")});
    map_customer(window, 0, 15, 4001);

    EXPECT_TRUE(import(window));

    EXPECT_EQ(errors_shown(), Texts{"ImportazioneMovimentiFileXML"});
    EXPECT_EQ(column("SELECT IE43_NUMREG_AZIENDARIF FROM IE43_DETTIMPCOGE"), Texts{"101"});
    const Texts numbers = column("SELECT CG41_NUMREG FROM CG41_PRIMANOTA");
    ASSERT_EQ(numbers.size(), 1u);
    EXPECT_EQ(written_under(numbers[0]), "1/2/1/1/1");
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM CG42_MOVCONT"), 2);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM CO99_MASTERDOC"), 1);
    const Texts logged = entry_rows();
    ASSERT_EQ(logged.size(), 2u);
    EXPECT_TRUE(logged[0].starts_with("50|")) << logged[0];
    EXPECT_FALSE(logged[0].ends_with("|")) << "the error's description is logged";
    EXPECT_EQ(logged[1], "0|" + key_of("101", numbers[0]) + "|");
    EXPECT_FALSE(in_transaction(window));
    EXPECT_EQ(headers(), 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, TrappedEntry, ::testing::ValuesIn(kTrappedCases), scripted::ByName());

// Answered abort, the import leaves at once: the entry rolled back, no later entry, the
// header deleted because no detail refers to it, the progress and the pointer reset.
TEST_F(JournalImportTest, ATrappedErrorAnsweredAbortLeavesAtOnce) {
    module::ImportWindow& window = open_entries(
        {{entry_header("100"), {account_row("1", "C100", "dodici", "0")}, {}}, simple_entry("101")});

    EXPECT_TRUE(import(window));

    EXPECT_EQ(errors_shown(), Texts{"ImportazioneMovimentiFileXML"});
    EXPECT_EQ(registration->runs, 1);
    EXPECT_EQ(entries(), 0);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM IE43_DETTIMPCOGE"), 0);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM CO99_MASTERDOC"), 0);
    EXPECT_EQ(headers(), 0);
    EXPECT_FALSE(in_transaction(window));
    EXPECT_FALSE(window.PROGRESS_BAR.visible);
    EXPECT_EQ(window.MousePointer, module::kPointerDefault);
}

// Retry takes the whole entry again in a new transaction, with a new number.
TEST_F(JournalImportTest, ATrappedErrorAnsweredRetryTakesTheEntryAgain) {
    host.components().configure_log = [](scripted::Log& log) {
        log.error_answers = {host::kAnswerRetry};
        log.default_answer = host::kAnswerAbort;
    };
    module::ImportWindow& window =
        open_entries({{entry_header("100"), {account_row("1", "C100", "dodici", "0")}, {}}});

    EXPECT_TRUE(import(window));

    EXPECT_EQ(errors_shown(), (Texts{"ImportazioneMovimentiFileXML", "ImportazioneMovimentiFileXML"}));
    EXPECT_EQ(registration->runs, 2);
    EXPECT_EQ(entries(), 0);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM IE43_DETTIMPCOGE"), 0);
    EXPECT_FALSE(in_transaction(window));
}

// Amounts go from the file's text to the database exactly, to the last of four decimals.
TEST_F(JournalImportTest, AmountsAreStoredExactly) {
    Entry cents{entry_header("101"), {}, {}};
    for (int j = 1; j <= 150; ++j)
        cents.account_rows.push_back(account_row(std::to_string(j), "C100", "0.01", "0"));
    cents.account_rows.push_back(account_row("151", "C400", "0", "1.5"));
    module::ImportWindow& window = open_entries(
        {{entry_header("100"),
          {account_row("1", "C100", "0.1", "0"), account_row("2", "C100", "0.2", "0"),
           account_row("3", "C100", "1234567.0005", "0"), account_row("4", "C400", "0", "1234567.3005"),
           account_row("5", "C400", "0", "99999999999.9999"), account_row("6", "C100", "0,05", "0")},
          {vat_row("1", "1234567.0005", "0.1"), vat_row("2", "0.2", "271604.7401")}},
         cents});

    EXPECT_FALSE(import(window));

    const auto decimals = [&](const std::string& sql) {
        Texts texts;
        for (ado::RecordsetPtr rs = db.Execute(sql); !rs->EOF(); rs->MoveNext())
            texts.push_back(rs->GetFields().Item(0).Value().to_decimal().to_string() + "/" +
                            rs->GetFields().Item(1).Value().to_decimal().to_string());
        return texts;
    };
    EXPECT_EQ(
        decimals("SELECT CG42_IMPDARE, CG42_IMPAVERE FROM CG42_MOVCONT WHERE CG42_NUMREG_CG41 = 'G00000001' "
                 "ORDER BY CG42_NUMRIGACONT"),
        (Texts{"0.1/0", "0.2/0", "1234567.0005/0", "0/1234567.3005", "0/99999999999.9999", "0.05/0"}));
    EXPECT_EQ(decimals("SELECT CG43_IMPONIBILE, CG43_IMPOSTA FROM CG43_MOVIVA ORDER BY CG43_NUMRIGAIVA"),
              (Texts{"1234567.0005/0.1", "0.2/271604.7401"}));
    ado::Decimal debit, credit;
    for (ado::RecordsetPtr rs = db.Execute("SELECT CG42_IMPDARE, CG42_IMPAVERE FROM CG42_MOVCONT WHERE "
                                           "CG42_NUMREG_CG41 = 'G00000002'");
         !rs->EOF(); rs->MoveNext()) {
        debit = debit + rs->GetFields().Item(0).Value().to_decimal();
        credit = credit + rs->GetFields().Item(1).Value().to_decimal();
    }
    EXPECT_EQ(debit.to_string(), "1.5");
    EXPECT_EQ(credit.to_string(), "1.5");
}

// References are resolved once every entry is written, so a parent later in the file is
// found; an empty reference makes no link.
TEST_F(JournalImportTest, LinksAreResolvedOnceEveryEntryIsWritten) {
    module::ImportWindow& window = open_entries({simple_entry("100", {{"CG41_RIFPADRE", "101"}}),
                                                 simple_entry("101", {{"CG41_RIFFIGLIA", "100"}}),
                                                 simple_entry("102", {{"CG41_RIFPADRE", ""}})});
    EXPECT_FALSE(import(window));
    EXPECT_EQ(
        rows("SELECT CG41_NUMREG, CG41_RIFPADRE, CG41_RIFFIGLIA FROM CG41_PRIMANOTA ORDER BY CG41_NUMREG"),
        (Texts{"G00000001|G00000002|null", "G00000002|null|G00000001", "G00000003|null|null"}));
    // Three entries, six account rows, three VAT rows, two links.
    EXPECT_EQ(window.import_log().counter(), 14);
}

// An import stopped between its entries' commits and its link pass (the program killed)
// leaves their references unwritten; the next import of the file skips those entries and
// writes their references, and where they were written it writes the same numbers again.
TEST_F(JournalImportTest, AnotherImportWritesTheLinksOfEntriesTakenOverBefore) {
    module::ImportWindow& window =
        open_entries({simple_entry("100", {{"CG41_RIFPADRE", "101"}}),
                      simple_entry("101", {{"CG41_RIFFIGLIA", "100"}}), simple_entry("102")});
    ASSERT_FALSE(import(window));
    exec(
        "UPDATE CG41_PRIMANOTA SET CG41_RIFPADRE = NULL, CG41_RIFFIGLIA = NULL WHERE CG41_NUMREG = "
        "'G00000001'");
    const std::vector<long> before = table_counts();
    const int numbers_taken = registration->runs;

    EXPECT_FALSE(import(window));

    EXPECT_EQ(
        rows("SELECT CG41_NUMREG, CG41_RIFPADRE, CG41_RIFFIGLIA FROM CG41_PRIMANOTA ORDER BY CG41_NUMREG"),
        (Texts{"G00000001|G00000002|null", "G00000002|null|G00000001", "G00000003|null|null"}));
    EXPECT_EQ(table_counts(), before);
    EXPECT_EQ(registration->runs, numbers_taken);
}

// The header's count only sizes the progress (plus header, log and links): a count
// smaller than the entries takes them all the same.
TEST_F(JournalImportTest, TheHeadersEntryCountOnlySizesTheProgress) {
    module::ImportWindow& window =
        open_with(journal_test::entries_xml({simple_entry("100"), simple_entry("101")}),
                  "<IE40_CG41_PRIMANOTA>1</IE40_CG41_PRIMANOTA>");
    verify::CustomerSupplierCheck(window).CreaStrutturaRecorSetClientiFornitori();
    long highest = 0;
    window.PROGRESS_BAR.on_repaint = [&highest](const module::ProgressBar& bar) {
        highest = std::max(highest, bar.value);
    };
    EXPECT_FALSE(import(window));
    EXPECT_EQ(entries(), 2);
    EXPECT_EQ(window.PROGRESS_BAR.max, 4);
    EXPECT_EQ(highest, 5);  // header, log, two entries, links
    EXPECT_FALSE(window.PROGRESS_BAR.visible);
}

TEST_F(JournalImportTest, AFileWithoutEntriesLeavesNoHeader) {
    module::ImportWindow& window = open_entries({});
    EXPECT_FALSE(import(window));
    EXPECT_EQ(headers(), 0);
    EXPECT_EQ(registration->runs, 0);
    EXPECT_FALSE(window.import_log().is_open());
}

TEST_F(JournalImportTest, WithoutAGroupStructureNothingHappens) {
    module::ImportWindow& window = open_entries({simple_entry("100")});
    module::ChiudiRecordset(window.import_state().group_structure);
    const std::int32_t counter = window.import_log().counter();
    EXPECT_TRUE(import(window));
    EXPECT_EQ(headers(), 0);
    EXPECT_EQ(entries(), 0);
    EXPECT_EQ(window.import_log().counter(), counter);
    EXPECT_TRUE(errors_shown().empty());
}

TEST(EntryKey, NamesTheEntryByItsElements) {
    importfile::LoadError error;
    const auto document = importfile::ImportDocument::parse(
        "<MovimentiCoGe><CG41_PRIMANOTA><Row><CG41_NUMREG>7</CG41_NUMREG><CG41_NUMDOC>12</CG41_NUMDOC>"
        "<CG41_FLGDOCBIS>1</CG41_FLGDOCBIS><CG41_CODICE_CG33>FA</CG41_CODICE_CG33>"
        "<CG41_NUMDOCORIG>A/12</CG41_NUMDOCORIG></Row></CG41_PRIMANOTA></MovimentiCoGe>",
        error);
    ASSERT_TRUE(document);
    EXPECT_EQ(
        journal::EntryHeader::entry_key(document->row("CG41_PRIMANOTA", 1)),
        "Data reg.:  - Data doc.:  - Num. doc.: 12 bis - Sez.:  - Causale: FA -  - Num. doc. orig.: A/12 - "
        "Importo:  - Num. reg. sorgente : 7");
}

}  // namespace
