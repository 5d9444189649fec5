// A failure forced inside each procedure of the account proposal (a read of the host's
// proposal settings that fails, a table gone, a causal with a quote): the error routine is
// handed that procedure's name, the answer decides what happens next, and the rows saved
// before the failure stay in the table.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <ostream>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "case_name.h"
#include "modulebase/routines.h"
#include "proposal/proposal_lookup.h"
#include "proposal_fixture.h"

namespace {

using proposal_test::TableRow;

// Reads of the host's settings: two per row, the stopper first, then 37 sales rows, 68
// purchase rows, 7 receipt rows and 3 transfer rows.
constexpr int kFirstSalesRead = 3;
constexpr int kFirstPurchaseRead = kFirstSalesRead + 2 * 37;
constexpr int kFirstReceiptRead = kFirstPurchaseRead + 2 * 68;
constexpr int kFirstTransferRead = kFirstReceiptRead + 2 * 7;

// What the cases reach.
class FailureFixture : public proposal_test::ProposalFixture {
  public:
    using ProposalFixture::accounting;
    using ProposalFixture::exec;
    using ProposalFixture::host;
};

struct FailureCase {
    const char* name;
    std::function<void(FailureFixture&)> arrange;
    // Answers of the error routine, in turn (abort once they run out).
    std::deque<std::int32_t> answers;
    std::vector<std::string> reported;
    // Rows of the table afterwards, per group: stopper, sales, purchases, receipts, transfers.
    std::vector<int> rows;
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

class ProposalFailures : public FailureFixture, public ::testing::WithParamInterface<FailureCase> {
  protected:
    static std::vector<int> groups(const std::vector<TableRow>& rows) {
        const std::set<long> sales{1, 2, 5, 7, 9, 61, 62, 63, 281, 285};
        const std::set<long> purchases{31, 32, 33, 35, 37, 39, 41, 42, 51, 52, 71, 91, 92, 93, 94, 96, 97};
        const std::set<long> receipts{80, 81, 82};
        const std::set<long> transfers{109, 129};
        std::vector<int> counts(5, 0);
        for (const TableRow& row : rows) {
            const long c = row.vat_causal;
            const int group = c == 0               ? 0
                              : sales.count(c)     ? 1
                              : purchases.count(c) ? 2
                              : receipts.count(c)  ? 3
                              : transfers.count(c) ? 4
                                                   : -1;
            if (group < 0) throw std::runtime_error("unexpected VAT causal " + std::to_string(c));
            ++counts[static_cast<std::size_t>(group)];
        }
        return counts;
    }
};

TEST_P(ProposalFailures, ReportTheProcedureAndKeepTheRowsSaved) {
    const FailureCase& c = GetParam();
    auto& w = open();
    ASSERT_TRUE(errors_shown().empty());
    window_log().error_answers = c.answers;
    c.arrange(*this);
    rebuild(w);
    EXPECT_EQ(errors_shown(), c.reported);
    const std::vector<TableRow> rows = rows_of(w);
    EXPECT_EQ(groups(rows), c.rows);
}

const char* const kStopper = "CreaRecordSetPropostaContiRecordGenericoTappo";
const char* const kSales = "CreaRecordSetPropostaContiRecordVendite";
const char* const kPurchases = "CreaRecordSetPropostaContiRecordAcquisti";
const char* const kReceipts = "CreaRecordSetPropostaContiRecordCorrispettivi";
const char* const kTransfers = "CreaRecordSetPropostaContiRecordGiroconti";
const char* const kProposalData = "GetDatiPropostaConti";

void fail_read(FailureFixture& t, int nth) {
    t.host.calls->fail("Accounting.ParametroProposta", nth);
}

const FailureCase kCases[] = {
    {"stopper", [](FailureFixture& t) { fail_read(t, 1); }, {}, {kStopper}, {0, 37, 68, 7, 3}},
    {"sales at the code of their sixth row",
     [](FailureFixture& t) { fail_read(t, kFirstSalesRead + 2 * 5); },
     {},
     {kSales},
     {1, 5, 68, 7, 3}},
    {"sales at the description of their sixth row",
     [](FailureFixture& t) { fail_read(t, kFirstSalesRead + 2 * 5 + 1); },
     {},
     {kSales},
     {1, 5, 68, 7, 3}},
    {"purchases",
     [](FailureFixture& t) { fail_read(t, kFirstPurchaseRead); },
     {},
     {kPurchases},
     {1, 37, 0, 7, 3}},
    {"receipts at their last row",
     [](FailureFixture& t) { fail_read(t, kFirstReceiptRead + 12); },
     {},
     {kReceipts},
     {1, 37, 68, 6, 3}},
    {"transfers",
     [](FailureFixture& t) { fail_read(t, kFirstTransferRead); },
     {},
     {kTransfers},
     {1, 37, 68, 7, 0}},
    {"sales answered retry",
     [](FailureFixture& t) { fail_read(t, kFirstSalesRead); },
     {host::kAnswerRetry},
     {kSales},
     {1, 37, 68, 7, 3}},
    {"no accounting parameters",
     [](FailureFixture& t) { t.host.global->accounting = nullptr; },
     {},
     {kStopper, kSales, kPurchases, kReceipts, kTransfers},
     {0, 0, 0, 0, 0}},
    {"standard codes unreadable for the one row with a code",
     [](FailureFixture& t) {
         for (int n = 2; n <= 13; ++n) t.accounting->proposal[n - 1] = 0;
         t.exec("DROP TABLE CG36_PRSPDC");
     },
     {},
     {kProposalData},
     {1, 37, 68, 7, 3}},
    {"standard codes unreadable for every row with a code",
     [](FailureFixture& t) {
         for (int n = 1; n <= 13; ++n)
             if (n != 1 && n != 11) t.accounting->proposal[n - 1] = 0;
         t.exec("DROP TABLE CG37_CONTIPRSSTD");
     },
     {},
     {kProposalData, kProposalData},
     {1, 37, 68, 7, 3}},
};
INSTANTIATE_TEST_SUITE_P(Procedures, ProposalFailures, ::testing::ValuesIn(kCases), scripted::ByName{});

class FailureOutcome : public FailureFixture {};

TEST_F(FailureOutcome, AnIgnoredFailureOfTheCodeSavesTheRowWithoutIt) {
    auto& w = open();
    window_log().error_answers = {host::kAnswerIgnore};
    host.calls->fail("Accounting.ParametroProposta", kFirstSalesRead);
    rebuild(w);
    EXPECT_EQ(errors_shown(), Texts{"CreaRecordSetPropostaContiRecordVendite"});
    const std::vector<TableRow> rows = rows_of(w);
    ASSERT_EQ(rows.size(), 116u);
    EXPECT_EQ(rows[1].vat_causal, 1);
    EXPECT_EQ(rows[1].operation_type, 2);
    EXPECT_TRUE(rows[1].code.is_null());
    EXPECT_EQ(rows[1].description, description_of(7));
}

TEST_F(FailureOutcome, AnUnreadableStandardCodeLeavesTheRowWithItsCodeOnly) {
    exec("DROP TABLE CG36_PRSPDC");
    auto& w = open();
    const std::vector<TableRow> rows = rows_of(w);
    ASSERT_EQ(rows.size(), 116u);
    EXPECT_EQ(rows.front().code.to_long(), code_of(1));
    EXPECT_EQ(rows.front().description, "");
    EXPECT_EQ(ado::trim(rows.front().account), "");  // blank in the fixed-width field
    // Each row with a code asked for the standard codes again, and was told.
    EXPECT_EQ(errors_shown(), Texts(116, "GetDatiPropostaConti"));
}

struct LookupFailure {
    const char* name;
    std::function<void(FailureFixture&, module::ImportWindow&)> arrange;
    const char* causal;
    ado::Variant operation = 2;
};

void PrintTo(const LookupFailure& c, std::ostream* os) {
    *os << c.name;
}

class LookupFailures : public FailureFixture, public ::testing::WithParamInterface<LookupFailure> {};

TEST_P(LookupFailures, ReportTheLookupAndProposeNothing) {
    auto& w = open();
    ASSERT_TRUE(errors_shown().empty());
    GetParam().arrange(*this, w);
    std::string description = "x";
    std::string account = "x";
    EXPECT_FALSE(proposal::ProposalLookup(w).IsPresenteElementoTranscodificaPropostaConti(
        GetParam().causal, GetParam().operation, description, account));
    EXPECT_EQ(description, "");
    EXPECT_EQ(account, "");
    EXPECT_EQ(errors_shown(), Texts{proposal::ProposalLookup::kProcedure});
}

const LookupFailure kLookupFailures[] = {
    {"a quote in the causal", [](FailureFixture&, module::ImportWindow&) {}, "V'1"},
    {"the causal table gone",
     [](FailureFixture& t, module::ImportWindow&) { t.exec("DROP TABLE CG33_TABCAU"); }, "VEN1"},
    {"the proposal table closed",
     [](FailureFixture&, module::ImportWindow& w) {
         module::ChiudiRecordset(w.import_state().account_proposal);
     },
     "VEN1"},
    {"an operation type that is not a number", [](FailureFixture&, module::ImportWindow&) {}, "VEN1", "abc"},
};
INSTANTIATE_TEST_SUITE_P(Lookup, LookupFailures, ::testing::ValuesIn(kLookupFailures), scripted::ByName{});

}  // namespace
