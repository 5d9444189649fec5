#pragma once
// Writes a member company's export file in the member's own codes: the settings header,
// the company record, the master-data sections (causal, VAT code and customer/supplier
// rows carry the member's whole record, element names as the database columns, dates
// day-first) and N journal entries (sales and purchase invoices with their VAT rows,
// payments and receipts linked to the invoice they settle). Amounts balance; output is
// the same for the same arguments.
#include <cstdint>
#include <string>

#include "demo/demo_data.h"

namespace demo {

struct MemberFileOptions {
    int entries = 200;
    int year = 2026;
    std::uint32_t seed = 1;
    std::string user = "export";
};

std::string member_file_xml(const Member& member, const MemberFileOptions& options);

}  // namespace demo
