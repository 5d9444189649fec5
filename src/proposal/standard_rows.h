#pragma once
// The standard rows of the account-proposal table, as data: each row is a VAT causal, an
// operation type and the host setting (ParametroProposta01..13 of the accounting parameters)
// whose value is the row's standard proposal code. The filling procedures append them in
// the order they stand here, line by line.
#include <array>
#include <cstddef>
#include <cstdint>

namespace proposal {

// The host's proposal settings, numbered as the accounting-parameter object declares them.
enum class Setting : int {
    ParametroProposta01 = 1,
    ParametroProposta02,
    ParametroProposta03,
    ParametroProposta04,
    ParametroProposta05,
    ParametroProposta06,
    ParametroProposta07,
    ParametroProposta08,
    ParametroProposta09,
    ParametroProposta10,
    ParametroProposta11,
    ParametroProposta12,
    ParametroProposta13,
};

struct StandardRow {
    std::int16_t vat_causal;
    std::int16_t operation_type;
    Setting setting;
};

namespace rows {

using enum Setting;

// The catch-all row every lookup falls back on.
inline constexpr StandardRow kStopper{0, 0, ParametroProposta01};

// CreaRecordSetPropostaContiRecordVendite
inline constexpr std::array<StandardRow, 37> kSales{{
    {1, 2, ParametroProposta07},   {1, 27, ParametroProposta07},   {1, 49, ParametroProposta13},
    {1, 69, ParametroProposta10},  {1, 3, ParametroProposta02},  //
    {2, 2, ParametroProposta07},   {2, 3, ParametroProposta02},  //
    {5, 2, ParametroProposta07},   {5, 27, ParametroProposta07},   {5, 49, ParametroProposta13},
    {5, 69, ParametroProposta10},  {5, 3, ParametroProposta02},  //
    {7, 2, ParametroProposta07},   {7, 27, ParametroProposta07},   {7, 49, ParametroProposta13},
    {7, 69, ParametroProposta10},  {7, 3, ParametroProposta02},  //
    {9, 2, ParametroProposta07},   {9, 27, ParametroProposta07},   {9, 49, ParametroProposta13},
    {9, 69, ParametroProposta10},  {9, 3, ParametroProposta02},  //
    {61, 2, ParametroProposta07},  {61, 27, ParametroProposta07},  {61, 3, ParametroProposta02},
    {62, 2, ParametroProposta07},  {62, 5, ParametroProposta07},   {62, 3, ParametroProposta05},
    {63, 2, ParametroProposta07},  {63, 27, ParametroProposta07},  {63, 3, ParametroProposta02},
    {281, 2, ParametroProposta07}, {281, 49, ParametroProposta13}, {281, 3, ParametroProposta03},
    {285, 2, ParametroProposta07}, {285, 49, ParametroProposta13}, {285, 3, ParametroProposta03},
}};

// CreaRecordSetPropostaContiRecordAcquisti: every purchase VAT causal takes the same four
// rows, in the same order.
struct OperationSetting {
    std::int16_t operation_type;
    Setting setting;
};
inline constexpr std::array<std::int16_t, 17> kPurchaseCausals{31, 32, 33, 35, 37, 39, 41, 42, 51,
                                                               52, 71, 91, 92, 93, 94, 96, 97};
inline constexpr std::array<OperationSetting, 4> kPurchaseRowsOfEachCausal{{
    {2, ParametroProposta06},
    {4, ParametroProposta09},
    {27, ParametroProposta09},
    {3, ParametroProposta04},
}};

constexpr std::array<StandardRow, kPurchaseCausals.size() * kPurchaseRowsOfEachCausal.size()>
purchase_rows() {
    std::array<StandardRow, kPurchaseCausals.size() * kPurchaseRowsOfEachCausal.size()> all{};
    std::size_t i = 0;
    for (const std::int16_t causal : kPurchaseCausals)
        for (const OperationSetting& row : kPurchaseRowsOfEachCausal)
            all[i++] = {causal, row.operation_type, row.setting};
    return all;
}
inline constexpr auto kPurchases = purchase_rows();

// CreaRecordSetPropostaContiRecordCorrispettivi
inline constexpr std::array<StandardRow, 7> kReceipts{{
    {80, 2, ParametroProposta08},
    {80, 3, ParametroProposta12},
    {81, 2, ParametroProposta08},
    {81, 3, ParametroProposta12},
    {82, 2, ParametroProposta08},
    {82, 96, ParametroProposta12},
    {82, 95, ParametroProposta12},
}};

// CreaRecordSetPropostaContiRecordGiroconti
inline constexpr std::array<StandardRow, 3> kTransfers{{
    {109, 25, ParametroProposta05},
    {109, 48, ParametroProposta13},
    {129, 70, ParametroProposta11},
}};

static_assert(kSales.size() + kPurchases.size() + kReceipts.size() + kTransfers.size() == 115);

}  // namespace rows
}  // namespace proposal
