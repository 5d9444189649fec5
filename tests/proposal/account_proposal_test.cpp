// The account-proposal table the import window builds at its first activation: its fields,
// its 116 standard rows in order, the codes taken from the host's proposal settings and
// their descriptions and accounts of the company's chart-of-accounts group, resolved with
// one query.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "ado/connection.h"
#include "case_name.h"
#include "modulebase/module_context.h"
#include "proposal_fixture.h"

namespace {

using proposal_test::TableRow;

class AccountProposalTest : public proposal_test::ProposalFixture {
  protected:
    // The rows must outlive the pointer: a temporary is refused.
    const TableRow* find(std::vector<TableRow>&&, long, long) = delete;
    const TableRow* find(const std::vector<TableRow>& rows, long causal, long operation) {
        const auto it = std::find_if(rows.begin(), rows.end(), [&](const TableRow& r) {
            return r.vat_causal == causal && r.operation_type == operation;
        });
        return it == rows.end() ? nullptr : &*it;
    }
    static long code(const TableRow& row) { return row.code.is_null() ? -1 : row.code.to_long(); }
};

TEST_F(AccountProposalTest, TheTableHasItsFiveFieldsAndIsAnOpenClientSideTable) {
    auto& w = open();
    const ado::RecordsetPtr& table = w.import_state().account_proposal;
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->State(), ado::adStateOpen);
    EXPECT_EQ(table->CursorLocation(), ado::adUseClient);
    EXPECT_EQ(table->CursorType(), ado::adOpenDynamic);
    struct Expected {
        const char* name;
        int type;
        long size;
        int precision;
    };
    const Expected fields[] = {{"CAUSALEIVA", ado::adDecimal, 0, 4},
                               {"CG42_INDTIPOOPER", ado::adDecimal, 0, 2},
                               {"CG37_CODICE", ado::adDecimal, 0, 4},
                               {"CG37_DESCR", ado::adVarChar, 40, 0},
                               {"CG36_CONTO_CG24", ado::adChar, 10, 0}};
    ado::Fields actual = table->GetFields();
    ASSERT_EQ(actual.Count(), 5);
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(fields[i].name);
        EXPECT_EQ(actual[i].Name(), fields[i].name);
        EXPECT_EQ(actual[i].Type(), fields[i].type);
        EXPECT_EQ(actual[i].DefinedSize(), fields[i].size);
        EXPECT_NE(actual[i].Attributes() & ado::adFldIsNullable, 0);
        if (fields[i].type == ado::adDecimal) {
            EXPECT_EQ(actual[i].Precision(), fields[i].precision);
            EXPECT_EQ(actual[i].NumericScale(), 0);
        }
    }
    EXPECT_TRUE(errors_shown().empty());
}

TEST_F(AccountProposalTest, HoldsTheStopperThenSalesPurchasesReceiptsAndTransfersInOrder) {
    auto& w = open();
    const std::vector<TableRow> rows = rows_of(w);
    ASSERT_EQ(rows.size(), 116u);

    const std::set<long> sales{1, 2, 5, 7, 9, 61, 62, 63, 281, 285};
    const std::vector<long> purchases{31, 32, 33, 35, 37, 39, 41, 42, 51, 52, 71, 91, 92, 93, 94, 96, 97};
    const std::set<long> receipts{80, 81, 82};
    const std::set<long> transfers{109, 129};
    const auto group_of = [&](long causal) {
        if (causal == 0) return 0;
        if (sales.count(causal)) return 1;
        if (std::find(purchases.begin(), purchases.end(), causal) != purchases.end()) return 2;
        if (receipts.count(causal)) return 3;
        if (transfers.count(causal)) return 4;
        return -1;
    };
    int counts[5] = {0, 0, 0, 0, 0};
    int last_group = 0;
    std::set<std::pair<long, long>> pairs;
    for (const TableRow& row : rows) {
        const int group = group_of(row.vat_causal);
        ASSERT_GE(group, 0) << "unexpected VAT causal " << row.vat_causal;
        EXPECT_GE(group, last_group) << "groups out of order at causal " << row.vat_causal;
        last_group = group;
        ++counts[group];
        EXPECT_TRUE(pairs.insert({row.vat_causal, row.operation_type}).second)
            << "pair (" << row.vat_causal << ", " << row.operation_type << ") twice";
    }
    EXPECT_EQ(rows.front().vat_causal, 0);
    EXPECT_EQ(rows.front().operation_type, 0);
    EXPECT_EQ(std::vector<int>(std::begin(counts), std::end(counts)), (std::vector<int>{1, 37, 68, 7, 3}));

    // The purchases: each causal in turn with operation types 2, 4, 27 and 3.
    for (std::size_t c = 0; c < purchases.size(); ++c)
        for (std::size_t k = 0; k < 4; ++k) {
            const TableRow& row = rows[38 + 4 * c + k];
            EXPECT_EQ(row.vat_causal, purchases[c]);
            EXPECT_EQ(row.operation_type, (std::vector<long>{2, 4, 27, 3}[k]));
        }
    // The first and the last lines of the sales, the receipts and the transfers, in order.
    const auto keys = [&](std::size_t from, std::size_t count) {
        std::vector<std::pair<long, long>> k;
        for (std::size_t i = from; i < from + count; ++i)
            k.emplace_back(rows[i].vat_causal, rows[i].operation_type);
        return k;
    };
    using Keys = std::vector<std::pair<long, long>>;
    EXPECT_EQ(keys(1, 7), (Keys{{1, 2}, {1, 27}, {1, 49}, {1, 69}, {1, 3}, {2, 2}, {2, 3}}));
    EXPECT_EQ(keys(26, 12), (Keys{{62, 2},
                                  {62, 5},
                                  {62, 3},
                                  {63, 2},
                                  {63, 27},
                                  {63, 3},
                                  {281, 2},
                                  {281, 49},
                                  {281, 3},
                                  {285, 2},
                                  {285, 49},
                                  {285, 3}}));
    EXPECT_EQ(keys(106, 10), (Keys{{80, 2},
                                   {80, 3},
                                   {81, 2},
                                   {81, 3},
                                   {82, 2},
                                   {82, 96},
                                   {82, 95},
                                   {109, 25},
                                   {109, 48},
                                   {129, 70}}));
    EXPECT_TRUE(errors_shown().empty());
}

struct RowCase {
    const char* name;
    long vat_causal;
    long operation_type;
    int setting;  // NN of ParametroPropostaNN
};

void PrintTo(const RowCase& c, std::ostream* os) {
    *os << c.name;
}

class StandardRowTest : public AccountProposalTest, public ::testing::WithParamInterface<RowCase> {};

TEST_P(StandardRowTest, TakesItsCodeDescriptionAndAccountFromItsSetting) {
    auto& w = open();
    const std::vector<TableRow> rows = rows_of(w);
    const RowCase& c = GetParam();
    const TableRow* row = find(rows, c.vat_causal, c.operation_type);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(code(*row), code_of(c.setting));
    EXPECT_EQ(row->description, description_of(c.setting));
    EXPECT_EQ(row->account, padded(account_of(c.setting)));
}

const RowCase kRows[] = {
    {"stopper", 0, 0, 1},
    {"sales 1 with 69", 1, 69, 10},
    {"sales 9 with 49", 9, 49, 13},
    {"sales 61 with 3", 61, 3, 2},
    {"sales 62 with 5", 62, 5, 7},
    {"sales 62 with 3", 62, 3, 5},
    {"sales 281 with 3", 281, 3, 3},
    {"sales 285 with 27 absent, 285 with 2", 285, 2, 7},
    {"purchase 31 with 2", 31, 2, 6},
    {"purchase 96 with 27", 96, 27, 9},
    {"purchase 97 with 4", 97, 4, 9},
    {"purchase 52 with 3", 52, 3, 4},
    {"receipt 80 with 2", 80, 2, 8},
    {"receipt 81 with 3", 81, 3, 12},
    {"receipt 82 with 95", 82, 95, 12},
    {"receipt 82 with 96", 82, 96, 12},
    {"transfer 109 with 25", 109, 25, 5},
    {"transfer 109 with 48", 109, 48, 13},
    {"transfer 129 with 70", 129, 70, 11},
};
INSTANTIATE_TEST_SUITE_P(Rows, StandardRowTest, ::testing::ValuesIn(kRows), scripted::ByName{});

TEST_F(AccountProposalTest, PairsTheSystemDoesNotKnowHaveNoRow) {
    auto& w = open();
    const std::vector<TableRow> rows = rows_of(w);
    EXPECT_EQ(find(rows, 2, 27), nullptr);
    EXPECT_EQ(find(rows, 1, 5), nullptr);
    EXPECT_EQ(find(rows, 80, 96), nullptr);
    EXPECT_EQ(find(rows, 285, 27), nullptr);
}

struct UnsetCase {
    const char* name;
    ado::Variant value;
};

void PrintTo(const UnsetCase& c, std::ostream* os) {
    *os << c.name;
}

class UnsetSettingTest : public AccountProposalTest, public ::testing::WithParamInterface<UnsetCase> {};

TEST_P(UnsetSettingTest, GivesItsRowsCodeZeroWithoutDescriptionOrAccount) {
    accounting->proposal[0] = GetParam().value;   // the stopper's
    accounting->proposal[10] = GetParam().value;  // transfer 129 with 70
    auto& w = open();
    const std::vector<TableRow> rows = rows_of(w);
    ASSERT_EQ(rows.size(), 116u);
    for (const auto& [causal, operation] : {std::pair{0L, 0L}, std::pair{129L, 70L}}) {
        const TableRow* row = find(rows, causal, operation);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(code(*row), 0);
        EXPECT_EQ(row->description, "");
        EXPECT_EQ(ado::trim(row->account), "");  // blank in the fixed-width field
    }
    EXPECT_EQ(find(rows, 109, 25)->description, description_of(5));
    EXPECT_TRUE(errors_shown().empty());
}

const UnsetCase kUnset[] = {
    {"null", ado::Variant(ado::Null)}, {"empty", ado::Variant()},        {"blank text", ado::Variant("   ")},
    {"zero", ado::Variant(0)},         {"zero text", ado::Variant("0")},
};
INSTANTIATE_TEST_SUITE_P(Settings, UnsetSettingTest, ::testing::ValuesIn(kUnset), scripted::ByName{});

TEST_F(AccountProposalTest, SettingSevenAtZeroEmptiesExactlyItsSeventeenRows) {
    accounting->proposal[6] = 0;
    auto& w = open();
    const std::vector<TableRow> rows = rows_of(w);
    ASSERT_EQ(rows.size(), 116u);
    int zero = 0;
    for (const TableRow& row : rows) {
        if (code(row) == 0) {
            ++zero;
            EXPECT_EQ(row.description, "");
            EXPECT_EQ(ado::trim(row.account), "");  // blank in the fixed-width field
            EXPECT_TRUE(row.operation_type == 2 || row.operation_type == 27 || row.operation_type == 5);
        } else {
            EXPECT_NE(row.description, "") << row.vat_causal << "/" << row.operation_type;
        }
    }
    EXPECT_EQ(zero, 17);
    EXPECT_EQ(code(*find(rows, 31, 2)), code_of(6));  // purchases keep theirs
}

TEST_F(AccountProposalTest, ACodeMissingFromTheStandardCodesGivesNoDescriptionOrAccount) {
    accounting->proposal[0] = 999;
    auto& w = open();
    const std::vector<TableRow> rows = rows_of(w);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(code(rows.front()), 999);
    EXPECT_EQ(rows.front().description, "");
    EXPECT_EQ(ado::trim(rows.front().account), "");  // blank in the fixed-width field
}

TEST_F(AccountProposalTest, ACodeWithoutAnAccountInTheGroupKeepsItsDescription) {
    exec("DELETE FROM CG36_PRSPDC WHERE CG36_GRUPPO_CG10 = 1 AND CG36_CODICE = 111");
    auto& w = open();
    const std::vector<TableRow> rows = rows_of(w);
    const TableRow* row = find(rows, 129, 70);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(code(*row), 111);
    EXPECT_EQ(row->description, "Proposta 11");
    EXPECT_EQ(ado::trim(row->account), "");  // blank in the fixed-width field
}

TEST_F(AccountProposalTest, AccountsAreCutToTenOrTrimmedAndDescriptionsTrimmed) {
    exec(
        "UPDATE CG36_PRSPDC SET CG36_CONTO_CG24 = 'ABCDEFGHIJKLMN' WHERE CG36_GRUPPO_CG10 = 1 AND "
        "CG36_CODICE = 101");
    exec(
        "UPDATE CG36_PRSPDC SET CG36_CONTO_CG24 = '  6011  ' WHERE CG36_GRUPPO_CG10 = 1 AND CG36_CODICE = "
        "105");
    exec("UPDATE CG37_CONTIPRSSTD SET CG37_DESCR = '  Giroconti  ' WHERE CG37_CODICE = 105");
    auto& w = open();
    const std::vector<TableRow> rows = rows_of(w);
    EXPECT_EQ(rows.front().account, "ABCDEFGHIJ");
    const TableRow* row = find(rows, 109, 25);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->account, "6011      ");
    EXPECT_EQ(row->description, "Giroconti");
}

TEST_F(AccountProposalTest, AccountsComeFromTheCompanysChartOfAccountsGroup) {
    host.global->settings->group = 2;
    auto& w = open();
    const std::vector<TableRow> rows = rows_of(w);
    const TableRow* row = find(rows, 96, 27);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->account, "700900    ");
}

TEST_F(AccountProposalTest, WithoutStandardCodesEveryRowKeepsItsCodeOnly) {
    exec("DELETE FROM CG37_CONTIPRSSTD");
    auto& w = open();
    const std::vector<TableRow> rows = rows_of(w);
    ASSERT_EQ(rows.size(), 116u);
    for (const TableRow& row : rows) {
        EXPECT_GT(code(row), 100);
        EXPECT_EQ(row.description, "");
        EXPECT_EQ(ado::trim(row.account), "");  // blank in the fixed-width field
    }
    EXPECT_TRUE(errors_shown().empty());
}

class StatementCount : public AccountProposalTest {
  protected:
    // Rebuilds the table with the module connection's statements traced; the statements
    // that read the standard codes.
    int proposal_queries(module::ImportWindow& w) {
        const std::filesystem::path trace_file = dir / "statements.sql";
        object->context().state().connection->SetStatementTrace(trace_file.string());
        rebuild(w);
        object->context().state().connection->SetStatementTrace("");
        std::ifstream in(trace_file);
        std::stringstream text;
        text << in.rdbuf();
        int queries = 0;
        const std::string all = text.str();
        for (std::size_t at = all.find("FROM CG37_CONTIPRSSTD"); at != std::string::npos;
             at = all.find("FROM CG37_CONTIPRSSTD", at + 1))
            ++queries;
        return queries;
    }
};

TEST_F(StatementCount, AllRowsAreResolvedWithOneQuery) {
    auto& w = open();
    EXPECT_EQ(proposal_queries(w), 1);
    const std::vector<TableRow> rows = rows_of(w);
    ASSERT_EQ(rows.size(), 116u);  // the previous table was replaced, not added to
    EXPECT_EQ(rows.back().description, description_of(11));
}

TEST_F(StatementCount, NoQueryWhenNoRowHasACode) {
    for (ado::Variant& setting : accounting->proposal) setting = 0;
    auto& w = open();
    EXPECT_EQ(proposal_queries(w), 0);
    EXPECT_EQ(rows_of(w).size(), 116u);
}

TEST_F(AccountProposalTest, EachRowReadsItsSettingFromTheHostWhenItIsAppended) {
    auto& w = open();
    const int before = accounting->reads;
    rebuild(w);
    EXPECT_EQ(accounting->reads - before, 2 * 116);
}

}  // namespace
