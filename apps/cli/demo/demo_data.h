#pragma once
// The demo's books: one VAT-group company and three member companies, each member with
// its own codes and the transcoding rules the group keeps for it. Both the demo database
// and the member files are generated from these tables, so they always agree. A member's
// master data that the group lacks (causals, VAT codes, customers, suppliers) is what its
// import creates; a code of a member without a transcoding value is what stops one.
#include <string>
#include <vector>

namespace demo {

struct Account {
    std::string code;  // group chart of accounts, 10 characters at most
    std::string description;
};

struct Causal {
    std::string code;
    std::string description;
    std::string vat_causal;  // empty for causals without VAT
    std::string linked;      // the linked causal (CG33_CAUSALECOLL), empty for none
};

struct VatCode {
    std::string code;
    std::string description;
    std::string rate;  // percent, "." separator
};

struct Party {  // a customer or supplier with its registry data
    int code = 0;
    int type = 0;  // 0 customer, 1 supplier
    std::string name, address, cap, city, province, fiscal_code, vat_number, municipality;
    std::string since;       // dd/mm/yyyy: when the member recorded it; empty for none
    std::string birth_date;  // dd/mm/yyyy for a natural person (born in `municipality`)
};

// A code of the member and the group code it stands for (transcoding value).
struct Mapping {
    int kind = 0;  // 0 sections, 1 VAT codes, 2 causals, 3 accounts
    std::string external;
    std::string internal;
};

struct Member {
    int registry_code = 0;     // the member's general registry record in the group's books
    int own_company_code = 0;  // the member's company code in its own books
    std::string name, address, cap, city, province, fiscal_code, vat_number;
    // Default indicators of the group structure: sections, accounts, causals, VAT codes.
    int ind_sections = 0, ind_accounts = 0, ind_causals = 0, ind_vat = 0;
    std::string fixed_section, fixed_account, fixed_causal, fixed_vat;
    std::vector<Mapping> mappings;
    // The member's own codes as its export writes them.
    std::string section_sales, section_purchases, section_general;
    std::string account_revenue, account_cost, account_vat_sales, account_vat_purchases, account_bank;
    std::string account_customers, account_suppliers;  // the member's control accounts (mastri)
    // Sale, purchase, payment, receipt first, in this order (the entries use them), then
    // any others the member's causal table holds.
    std::vector<Causal> causals;
    std::vector<VatCode> vat_codes;  // the entries use the first two
    std::vector<Party> parties;      // customers before suppliers
    std::string numreg_prefix;       // the member's registration numbers: prefix + digits
    std::string import_shows;        // what importing its file shows, for the demo's report
};

struct Group {
    int company_code = 1;
    std::string name;
    int chart_group = 1;
    std::string account_customers, account_suppliers;
    std::vector<Account> accounts;
    std::vector<std::pair<std::string, std::string>> sections;  // code, description
    std::vector<Causal> causals;
    std::vector<VatCode> vat_codes;
    std::vector<Party> registry;  // registry records the group already has
    // Standard proposal codes 1..13 with descriptions and accounts, and the company's
    // ParametroProposta01..13 settings (index 0 = 01).
    std::vector<std::pair<std::string, std::string>> proposal_codes;  // description, account
    std::vector<int> proposal_settings;
};

const Group& group();
const std::vector<Member>& members();

}  // namespace demo
