#pragma once
// Fills a database that `db init` prepared with the demo's books: the VAT-group company as
// the reference host knows it (company, user, fiscal years, VAT activities, proposal
// settings), its master data (municipalities, sections, chart of accounts, causals, VAT
// codes, registry records, customers and suppliers, account proposals) and its VAT group's
// structure for two years with the members' transcoding values.
#include <filesystem>

namespace demo {

inline constexpr const char* kDemoUser = "admin";
inline constexpr const char* kDemoUserGroup = "AMMIN";

// Writes the books for `year` and the year before, in one transaction, unless the group
// company is already there (then nothing is written). True when it wrote. Throws ado::Error.
bool populate_database(const std::filesystem::path& db, int year);

}  // namespace demo
