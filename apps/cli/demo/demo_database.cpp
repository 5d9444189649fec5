#include "demo/demo_database.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "ado/connection.h"
#include "ado/datetime.h"
#include "ado/decimal.h"
#include "ado/sqltext.h"
#include "ado/variant.h"
#include "demo/demo_data.h"
#include "refhost/database.h"

namespace demo {

namespace {

// A column and the SQL literal of its value.
struct Column {
    const char* name;
    std::string literal;
};

// The demo's texts are constants of this program; quotes are doubled all the same.
std::string text(const std::string& value) {
    std::string out = "N'";
    for (char c : value) {
        out += c;
        if (c == '\'') out += '\'';
    }
    return out + "'";
}
std::string text_or_null(const std::string& value) {
    return value.empty() ? "NULL" : text(value);
}
std::string number(long long value) {
    return std::to_string(value);
}
std::string decimal(const std::string& value) {
    return ado::Decimal::from_string(value).to_string();
}
std::string date(int year, int month, int day) {
    return "'" + ado::DateTime::from_parts(year, month, day).compact() + "'";
}

class Books {
  public:
    Books(ado::Connection& c, int year) : c_(c), year_(year) {}

    void write() {
        host_tables();
        municipalities();
        sections_and_accounts();
        causals_and_vat_codes();
        registry();
        proposals();
        group_structure();
    }

  private:
    void insert(const char* table, const std::vector<Column>& columns) {
        ado::SqlText sql;
        sql.line(" INSERT INTO ").add(table).add(" (");
        bool first = true;
        for (const auto& col : columns) {
            sql.add(first ? "" : ", ").add(col.name);
            first = false;
        }
        sql.add(")").line(" VALUES (");
        first = true;
        for (const auto& col : columns) {
            if (!first) sql.add(", ");
            sql.add(col.literal);
            first = false;
        }
        sql.add(")");
        c_.Execute(sql);
    }

    void host_tables() {
        const Group& g = group();
        std::vector<Column> company = {{"COMPANY_CODE", number(g.company_code)},
                                       {"NAME", text(g.name)},
                                       {"CHART_GROUP", number(g.chart_group)},
                                       {"SECOND_SETTING", number(0)},
                                       {"ACCOUNT_CUSTOMERS", text(g.account_customers)},
                                       {"ACCOUNT_SUPPLIERS", text(g.account_suppliers)}};
        static const char* const kProposalColumns[] = {
            "PROPOSAL_01", "PROPOSAL_02", "PROPOSAL_03", "PROPOSAL_04", "PROPOSAL_05",
            "PROPOSAL_06", "PROPOSAL_07", "PROPOSAL_08", "PROPOSAL_09", "PROPOSAL_10",
            "PROPOSAL_11", "PROPOSAL_12", "PROPOSAL_13"};
        for (std::size_t i = 0; i < g.proposal_settings.size() && i < std::size(kProposalColumns); ++i)
            company.push_back({kProposalColumns[i], number(g.proposal_settings[i])});
        insert("HOST_COMPANY", company);
        insert("HOST_USER", {{"USER_CODE", text(kDemoUser)},
                             {"USER_GROUP", text(kDemoUserGroup)},
                             {"NAME", text("Amministratore")}});
        for (int y : {year_ - 1, year_}) {
            // Exercise values: the year, and the running number of the exercise (last year 1).
            insert("HOST_EXERCISE", {{"COMPANY_CODE", number(g.company_code)},
                                     {"START_DATE", date(y, 1, 1)},
                                     {"END_DATE", date(y, 12, 31)},
                                     {"EXERCISE_VALUE1", number(y)},
                                     {"EXERCISE_VALUE2", number(y - year_ + 2)}});
            insert("CG86_ATTIVITAIVA", {{"CG86_DITTA_CG18", number(g.company_code)},
                                        {"CG86_ANNO", number(y)},
                                        {"CG86_CODATTIVITA", text("477800")},
                                        {"CG86_DESCR", text("Commercio al dettaglio e servizi")},
                                        {"CG86_FLGPRINCIPALE", number(1)}});
        }
    }

    // Every municipality a registry record of the demo names.
    void municipalities() {
        std::map<std::string, const Party*> used;
        for (const auto& p : group().registry) used.emplace(p.municipality, &p);
        for (const auto& m : members())
            for (const auto& p : m.parties) used.emplace(p.municipality, &p);
        for (const auto& [code, p] : used)
            insert("CG01_ANAGCOMUNI", {{"CG01_CODICE", text(code)},
                                       {"CG01_DESCR", text(p->city)},
                                       {"CG01_PROV", text(p->province)},
                                       {"CG01_CAP", text(p->cap)}});
    }

    void sections_and_accounts() {
        const Group& g = group();
        for (const auto& [code, description] : g.sections)
            insert("CG68_NUMERDESC", {{"CG68_DITTA_CG18", number(g.company_code)},
                                      {"CG68_INDTIPOLOGIA", number(0)},
                                      {"CG68_SEZIONALE", text(code)},
                                      {"CG68_DESCR", text(description)}});
        for (const auto& a : g.accounts)
            insert("CG24_TABPDC", {{"CG24_GRUPPO_CG10", number(g.chart_group)},
                                   {"CG24_CONTO", text(a.code)},
                                   {"CG24_DESCR", text(a.description)}});
    }

    void causals_and_vat_codes() {
        for (const auto& c : group().causals)
            insert("CG33_TABCAU", {{"CG33_CODICE", text(c.code)},
                                   {"CG33_DESCR", text(c.description)},
                                   {"CG33_CAUSALEIVA", text_or_null(c.vat_causal)},
                                   {"CG33_INDTIPOREG", number(c.vat_causal.empty() ? 0 : 1)},
                                   {"CG33_DATAINS", date(year_ - 1, 1, 1)},
                                   {"CG33_UTENTEINS", text(kDemoUser)}});
        for (const auto& v : group().vat_codes)
            insert("CG28_TABCODIVA", {{"CG28_CODICE", text(v.code)},
                                      {"CG28_DESCR", text(v.description)},
                                      {"CG28_ALIQUOTA", decimal(v.rate)},
                                      {"CG28_INDTIPO", number(0)},
                                      {"CG28_DATAINIZIO", date(2000, 1, 1)}});
    }

    void registry_record(int code, const std::string& name, const std::string& address,
                         const std::string& cap, const std::string& city, const std::string& province,
                         const std::string& fiscal_code, const std::string& vat_number,
                         const std::string& municipality) {
        insert("CG16_ANAGGEN", {{"CG16_CODICE", number(code)},
                                {"CG16_RAGSOANAG", text(name)},
                                {"CG16_INDIRIZZO", text(address)},
                                {"CG16_CAP", text(cap)},
                                {"CG16_CITTA", text(city)},
                                {"CG16_PROV", text(province)},
                                {"CG16_CODFISCALE", text(fiscal_code)},
                                {"CG16_PARTIVA", text(vat_number)},
                                {"CG16_COMFIS_CG01", text_or_null(municipality)}});
    }

    // The group's own customers and suppliers (registry codes from 1001) and the members'
    // registry records, through which the group structure knows them by fiscal code.
    void registry() {
        const Group& g = group();
        int code = kFirstRegistryCode;
        std::map<int, int> next_party = {{0, 1}, {1, 1}};
        for (const auto& p : g.registry) {
            registry_record(code, p.name, p.address, p.cap, p.city, p.province, p.fiscal_code, p.vat_number,
                            p.municipality);
            insert("CG44_CLIFOR",
                   {{"CG44_DITTA_CG18", number(g.company_code)},
                    {"CG44_TIPOCF", number(p.type)},
                    {"CG44_CLIFOR", number(next_party[p.type]++)},
                    {"CG44_CODICE_CG16", number(code)},
                    {"CG44_DESCRBREVE", text(p.name.substr(0, 40))},
                    {"CG44_GRUPPO_CG10", number(g.chart_group)},
                    {"CG44_CONTO_CG24", text(p.type == 0 ? g.account_customers : g.account_suppliers)}});
            ++code;
        }
        for (const auto& m : members())
            registry_record(m.registry_code, m.name, m.address, m.cap, m.city, m.province, m.fiscal_code,
                            m.vat_number, "");
        // New registry records take the codes after the group's own.
        insert("CG26_PROGANAG", {{"CG26_CODICE", text("ANAGG")}, {"CG26_VALPROG", number(code - 1)}});
    }

    void proposals() {
        const Group& g = group();
        for (std::size_t i = 0; i < g.proposal_codes.size(); ++i) {
            const int code = static_cast<int>(i) + 1;
            insert("CG37_CONTIPRSSTD",
                   {{"CG37_CODICE", number(code)}, {"CG37_DESCR", text(g.proposal_codes[i].first)}});
            insert("CG36_PRSPDC", {{"CG36_GRUPPO_CG10", number(g.chart_group)},
                                   {"CG36_CODICE", number(code)},
                                   {"CG36_CONTO_CG24", text(g.proposal_codes[i].second)}});
        }
    }

    void group_structure() {
        const Group& g = group();
        for (int y : {year_ - 1, year_}) {
            for (const auto& m : members()) {
                insert("CGG5_STRUTGR", {{"CGG5_DITTA_CG18", number(g.company_code)},
                                        {"CGG5_ANNO", number(y)},
                                        {"CGG5_CODICEAN_CG16", number(m.registry_code)},
                                        {"CGG5_DESCR", text(m.name)},
                                        {"CGG5_INDDEFAULTSEZ", number(m.ind_sections)},
                                        {"CGG5_DEFAULTSEZ", text_or_null(m.fixed_section)},
                                        {"CGG5_INDDEFAULTCODIVA", number(m.ind_vat)},
                                        {"CGG5_DEFAULTCODIVA", text_or_null(m.fixed_vat)},
                                        {"CGG5_INDDEFAULTCAUCONT", number(m.ind_causals)},
                                        {"CGG5_DEFAULTCAUCONT", text_or_null(m.fixed_causal)},
                                        {"CGG5_INDDEFAULTCONTI", number(m.ind_accounts)},
                                        {"CGG5_DEFAULTCONTI", text_or_null(m.fixed_account)}});
                const long long id = structure_id(y, m.registry_code);
                for (const auto& map : m.mappings)
                    insert("CGG6_TRASCODIFVAL", {{"CGG6_ID_CGG5", number(id)},
                                                 {"CGG6_INDTRASC", number(map.kind)},
                                                 {"CGG6_VALESTERNO", text(map.external)},
                                                 {"CGG6_VALINTERNO", text(map.internal)}});
            }
        }
    }

    long long structure_id(int year, int registry_code) {
        ado::SqlText sql;
        sql.line(" SELECT CGG5_ID FROM CGG5_STRUTGR")
            .line(" WHERE CGG5_DITTA_CG18 = ")
            .number(group().company_code)
            .add(" AND CGG5_ANNO = ")
            .number(year)
            .add(" AND CGG5_CODICEAN_CG16 = ")
            .number(registry_code);
        return c_.Execute(sql)->GetFields().Item(0).Value().to_long();
    }

    static constexpr int kFirstRegistryCode = 1001;
    ado::Connection& c_;
    int year_;
};

bool company_exists(ado::Connection& c) {
    ado::SqlText sql;
    sql.line(" SELECT COUNT(*) FROM HOST_COMPANY WHERE COMPANY_CODE = ").number(group().company_code);
    return c.Execute(sql)->GetFields().Item(0).Value().to_long() > 0;
}

}  // namespace

bool populate_database(const std::filesystem::path& db, int year) {
    ado::Connection connection(refhost::connection_string(db));
    connection.Open();
    if (company_exists(connection)) return false;
    ado::TransactionGuard transaction(connection);
    Books(connection, year).write();
    transaction.Commit();
    return true;
}

}  // namespace demo
