#pragma once
// The master data of the group company that an import may create (causals, VAT codes,
// registry records, customers, suppliers), read from the database, so that the demo can
// tell what one import created.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace demo {

// One record: its code and how the report names it ("NCC Nota credito a cliente").
struct MasterRecord {
    std::string code;
    std::string text;
};

struct MasterData {
    std::vector<MasterRecord> causals, vat_codes, registry, customers, suppliers;
};

// Reads the records in code order. Throws ado::Error.
MasterData read_master_data(const std::filesystem::path& db, std::int32_t company);

// One line per kind of record that `after` holds and `before` did not, such as
// "causals: NCC Nota credito a cliente (linked causal RIMC), RIMC Rimborso a cliente";
// none when nothing was created.
std::vector<std::string> created_lines(const MasterData& before, const MasterData& after);

}  // namespace demo
