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

// What the entries look like. `plain`: an invoice has one VAT row (three account rows), a
// payment or receipt two account rows, all on the member's own customers and suppliers.
// `rich`, a busier member's year: invoices of one to four VAT lines, so four account rows
// and two VAT rows per entry on average, and for every 50 entries one more customer or
// supplier, each new to the group (a registry record of its own).
enum class EntryShape { plain, rich };

inline constexpr int kEntriesPerNewParty = 50;

struct MemberFileOptions {
    int entries = 200;
    EntryShape shape = EntryShape::plain;
    int year = 2026;
    std::uint32_t seed = 1;
    std::string user = "export";
};

std::string member_file_xml(const Member& member, const MemberFileOptions& options);

}  // namespace demo
