#include "demo/master_data.h"

#include <set>

#include "ado/connection.h"
#include "ado/recordset.h"
#include "ado/sqltext.h"
#include "ado/variant.h"
#include "refhost/database.h"

namespace demo {

namespace {

// Fixed-width codes come back blank-padded.
std::string trimmed(const ado::Variant& value) {
    std::string text = value.is_null() ? std::string() : value.to_string();
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Rows of a statement whose columns are code, name and a remark (empty for none).
std::vector<MasterRecord> records(ado::Connection& c, const ado::SqlText& sql,
                                  const std::string& remark_prefix) {
    std::vector<MasterRecord> out;
    ado::RecordsetPtr rows = c.Execute(sql);
    for (; !rows->EOF(); rows->MoveNext()) {
        ado::Fields fields = rows->GetFields();
        MasterRecord r{trimmed(fields.Item(0).Value()), trimmed(fields.Item(1).Value())};
        r.text = r.code + (r.text.empty() ? "" : " " + r.text);
        const std::string remark = trimmed(fields.Item(2).Value());
        if (!remark.empty()) r.text += " (" + remark_prefix + remark + ")";
        out.push_back(std::move(r));
    }
    rows->Close();
    return out;
}

ado::SqlText parties(std::int32_t company, int type) {
    ado::SqlText sql;
    sql.line(" SELECT CG44_CLIFOR, CG16_RAGSOANAG, CG44_CODICE_CG16")
        .line(" FROM CG44_CLIFOR")
        .line(" LEFT OUTER JOIN CG16_ANAGGEN ON CG16_CODICE = CG44_CODICE_CG16")
        .line(" WHERE CG44_DITTA_CG18 = ")
        .number(company)
        .add(" AND CG44_TIPOCF = ")
        .number(type)
        .line(" ORDER BY CG44_CLIFOR");
    return sql;
}

ado::SqlText fixed(const char* text) {
    ado::SqlText sql;
    sql.line(text);
    return sql;
}

void add_line(std::vector<std::string>& lines, const char* label, const std::vector<MasterRecord>& before,
              const std::vector<MasterRecord>& after) {
    std::set<std::string> known;
    for (const auto& r : before) known.insert(r.code);
    std::string line;
    for (const auto& r : after) {
        if (known.count(r.code)) continue;
        line += (line.empty() ? std::string(label) + ": " : ", ") + r.text;
    }
    if (!line.empty()) lines.push_back(line);
}

}  // namespace

MasterData read_master_data(const std::filesystem::path& db, std::int32_t company) {
    ado::Connection c(refhost::connection_string(db));
    c.Open();
    MasterData data;
    data.causals = records(
        c, fixed(" SELECT CG33_CODICE, CG33_DESCR, CG33_CAUSALECOLL FROM CG33_TABCAU ORDER BY CG33_CODICE"),
        "linked causal ");
    data.vat_codes = records(
        c, fixed(" SELECT CG28_CODICE, CG28_DESCR, NULL FROM CG28_TABCODIVA ORDER BY CG28_CODICE"), "");
    data.registry = records(
        c, fixed(" SELECT CG16_CODICE, CG16_RAGSOANAG, NULL FROM CG16_ANAGGEN ORDER BY CG16_CODICE"), "");
    data.customers = records(c, parties(company, 0), "registry ");
    data.suppliers = records(c, parties(company, 1), "registry ");
    return data;
}

std::vector<std::string> created_lines(const MasterData& before, const MasterData& after) {
    std::vector<std::string> lines;
    add_line(lines, "causals", before.causals, after.causals);
    add_line(lines, "VAT codes", before.vat_codes, after.vat_codes);
    add_line(lines, "registry records", before.registry, after.registry);
    add_line(lines, "customers", before.customers, after.customers);
    add_line(lines, "suppliers", before.suppliers, after.suppliers);
    return lines;
}

}  // namespace demo
