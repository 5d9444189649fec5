// The account proposed for an accounting causal and an operation type: the causal's VAT
// causal from the group company's causal table (109 when it has none usable), the pair
// looked up in the window's account-proposal table, the stopper row when the pair is
// missing.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "case_name.h"
#include "proposal/proposal_lookup.h"
#include "proposal_fixture.h"

namespace {

class ProposalLookupTest : public proposal_test::ProposalFixture {
  protected:
    ProposalLookupTest() {
        add_causal("V22", "'22'");
        add_causal("VEN1", "'1'");
        add_causal("ABC", "'ABC'");
        add_causal("C300", "'300'");
        add_causal("C301", "'301'");
        add_causal("82", "NULL");
        add_causal("T129", "'129'");
        add_causal("N2", "' 2 '");
    }
    void add_causal(const std::string& code, const std::string& vat_causal) {
        exec("INSERT INTO CG33_TABCAU (CG33_CODICE, CG33_DESCR, CG33_CAUSALEIVA) VALUES ('" + code +
             "', 'Causale " + code + "', " + vat_causal + ")");
    }

    struct Result {
        bool proposed = false;
        std::string description;
        std::string account;
    };
    static Result look_up(module::ImportWindow& w, const ado::Variant& causal,
                          const ado::Variant& operation) {
        Result r{true, "not set", "not set"};
        r.proposed = proposal::ProposalLookup(w).IsPresenteElementoTranscodificaPropostaConti(
            causal, operation, r.description, r.account);
        return r;
    }
    // A row the standard rows do not have, added to the window's table.
    static void add_row(module::ImportWindow& w, int causal, int operation, const char* description,
                        const char* account) {
        ado::Recordset& table = *w.import_state().account_proposal;
        table.AddNew();
        table["CAUSALEIVA"] = causal;
        table["CG42_INDTIPOOPER"] = operation;
        table["CG37_CODICE"] = 500;
        table["CG37_DESCR"] = description;
        table["CG36_CONTO_CG24"] = account;
        table.Update();
    }
};

struct LookupCase {
    const char* name;
    ado::Variant causal;
    ado::Variant operation;
    // NN of the ParametroPropostaNN whose row is proposed; nullopt: nothing found.
    std::optional<int> setting;
};

void PrintTo(const LookupCase& c, std::ostream* os) {
    *os << c.name;
}

class LookupCaseTest : public ProposalLookupTest, public ::testing::WithParamInterface<LookupCase> {};

TEST_P(LookupCaseTest, ProposesTheAccountOfTheRowFound) {
    auto& w = open();
    const LookupCase& c = GetParam();
    const Result r = look_up(w, c.causal, c.operation);
    if (c.setting) {
        EXPECT_TRUE(r.proposed);
        EXPECT_EQ(r.description, description_of(*c.setting));
        EXPECT_EQ(r.account, padded(account_of(*c.setting)));
    } else {
        EXPECT_FALSE(r.proposed);
        EXPECT_EQ(r.description, "");
        EXPECT_EQ(r.account, "");
    }
    EXPECT_TRUE(errors_shown().empty());
}

const LookupCase kLookups[] = {
    {"VAT causal of the causal", "VEN1", 27, 7},
    {"VAT causal with blanks around it", "N2", 3, 2},
    {"causal code padded to four", "VEN1  ", 69, 10},
    {"pair missing falls back on the stopper", "V22", 1, 1},
    {"sales 2 with 27 falls back on the stopper", "N2", 27, 1},
    {"causal without VAT causal uses its own code", "82", 96, 12},
    {"causal missing is VAT causal 109", "ZZZZ", 25, 5},
    {"VAT causal not a number is 109", "ABC", 48, 13},
    {"VAT causal above 300 is 109", "C301", 25, 5},
    {"VAT causal 300 is kept", "C300", 25, 1},
    {"empty causal with an operation type is 109", "", 48, 13},
    {"null causal with an operation type is 109", ado::Variant(ado::Null), 25, 5},
    {"operation type as text", "T129", "70", 11},
    {"null operation type is 0", "VEN1", ado::Variant(ado::Null), 1},
    {"empty causal and operation type 0", "", 0, std::nullopt},
    {"blank causal and null operation type", "    ", ado::Variant(ado::Null), std::nullopt},
    {"null causal and empty operation type", ado::Variant(ado::Null), ado::Variant(), std::nullopt},
};
INSTANTIATE_TEST_SUITE_P(Lookups, LookupCaseTest, ::testing::ValuesIn(kLookups), scripted::ByName{});

TEST_F(ProposalLookupTest, APairTheTableHoldsIsFoundBeforeTheStopper) {
    auto& w = open();
    add_row(w, 22, 1, "Vendite 22", "2201");
    const Result r = look_up(w, "V22", 1);
    EXPECT_TRUE(r.proposed);
    EXPECT_EQ(r.description, "Vendite 22");
    EXPECT_EQ(r.account, "2201      ");
}

TEST_F(ProposalLookupTest, ARowWithoutAccountIsNotAProposalButGivesItsDescription) {
    exec("DELETE FROM CG36_PRSPDC WHERE CG36_CODICE = 111");
    auto& w = open();
    const Result r = look_up(w, "T129", 70);
    EXPECT_FALSE(r.proposed);
    EXPECT_EQ(r.description, "Proposta 11");
    EXPECT_EQ(r.account, std::string(10, ' '));
}

TEST_F(ProposalLookupTest, WithoutAStopperRowNothingIsFound) {
    auto& w = open();
    ado::Recordset& table = *w.import_state().account_proposal;
    table.MoveFirst();
    table.Delete();
    const Result r = look_up(w, "V22", 1);
    EXPECT_FALSE(r.proposed);
    EXPECT_EQ(r.description, "");
    EXPECT_EQ(r.account, "");
    EXPECT_TRUE(look_up(w, "VEN1", 2).proposed);
}

TEST_F(ProposalLookupTest, TheWindowsTableKeepsItsFilterAndPosition) {
    auto& w = open();
    ado::Recordset& table = *w.import_state().account_proposal;
    table.SetFilter("CAUSALEIVA = 82");
    table.MoveLast();
    EXPECT_TRUE(look_up(w, "VEN1", 2).proposed);
    EXPECT_EQ(table.Filter(), "CAUSALEIVA = 82");
    EXPECT_EQ(table.RecordCount(), 3);
    EXPECT_EQ(table.GetFields()["CG42_INDTIPOOPER"].Value().to_long(), 95);
}

TEST_F(ProposalLookupTest, EachLookupReadsTheCausalAgain) {
    auto& w = open();
    EXPECT_EQ(look_up(w, "VEN1", 3).description, description_of(2));
    exec("UPDATE CG33_TABCAU SET CG33_CAUSALEIVA = '129' WHERE CG33_CODICE = 'VEN1'");
    EXPECT_EQ(look_up(w, "VEN1", 70).description, description_of(11));
}

}  // namespace
