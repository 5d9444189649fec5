#pragma once
// The rows of HOST_COMPANY and HOST_USER the reference host answers from, read once when
// the host starts.
#include <array>
#include <cstdint>
#include <string>

#include "ado/variant.h"

namespace ado {
class Connection;
}

namespace refhost {

struct CompanyRecord {
    std::int32_t code = 0;
    ado::Variant chart_group;        // CHART_GROUP, Integer
    ado::Variant second_setting;     // SECOND_SETTING, Integer
    ado::Variant account_customers;  // ACCOUNT_CUSTOMERS, text or Null
    ado::Variant account_suppliers;  // ACCOUNT_SUPPLIERS, text or Null
    // FLG_STATEMENTS_CUSTOMERS, FLG_STATEMENTS_SUPPLIERS, FLG_PORTFOLIO_RECEIVABLE,
    // FLG_PORTFOLIO_PAYABLE, in that order (indicators 1..4).
    std::array<ado::Variant, 4> indicators;
    std::array<ado::Variant, 13> proposals;  // PROPOSAL_01..13, Integer or Null
};

struct UserRecord {
    std::string code;
    std::string group;
};

// Throw refhost::HostError when there is no such row, ado::Error when the table cannot be read.
CompanyRecord read_company(ado::Connection& conn, std::int32_t code);
UserRecord read_user(ado::Connection& conn, const std::string& code);

}  // namespace refhost
