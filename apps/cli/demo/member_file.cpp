#include "demo/member_file.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <deque>
#include <map>
#include <sstream>
#include <vector>

#include <pugixml.hpp>

namespace demo {
namespace {

// Small deterministic generator: the same file on every platform for the same seed.
class Random {
  public:
    explicit Random(std::uint32_t seed) : s_(seed ? seed : 0x9E3779B9u) {}
    std::uint32_t next() {
        s_ ^= s_ << 13;
        s_ ^= s_ >> 17;
        s_ ^= s_ << 5;
        return s_;
    }
    int between(int lo, int hi) {
        return lo + static_cast<int>(next() % static_cast<std::uint32_t>(hi - lo + 1));
    }

  private:
    std::uint32_t s_;
};

std::string cents(std::int64_t c) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s%lld.%02lld", c < 0 ? "-" : "",
                  static_cast<long long>((c < 0 ? -c : c) / 100),
                  static_cast<long long>((c < 0 ? -c : c) % 100));
    return buf;
}

std::string two(int v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return buf;
}

// Day-first form with a time, as the member's export writes dates inside rows.
std::string row_date(int year, int day_of_year) {
    static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    int m = 0;
    int d = day_of_year;
    while (m < 12) {
        const int len = kDays[static_cast<std::size_t>(m)] + (m == 1 && leap ? 1 : 0);
        if (d <= len) break;
        d -= len;
        ++m;
    }
    return two(d) + "/" + two(m + 1) + "/" + std::to_string(year) + " 00:00:00";
}

void add(pugi::xml_node parent, const char* name, const std::string& value) {
    parent.append_child(name).text().set(value.c_str());
}

struct Invoice {
    std::string numreg;
    int party = 0;
    int type = 0;
    std::int64_t total = 0;
};

// One VAT line of an invoice: its code, taxable amount and tax, in cents.
struct VatLine {
    const VatCode* code = nullptr;
    std::int64_t taxable = 0;
    std::int64_t tax = 0;
};

// VAT lines of a rich invoice, drawn uniformly: 8/3 on average, so that with one entry in
// four a two-row settlement an entry has four account rows and two VAT rows on average.
constexpr std::array<int, 6> kRichVatLines = {1, 2, 3, 3, 3, 4};

// The rich shape's further customers and suppliers, alternately: companies new to the
// group, each with a VAT number of its own ("9" and ten digits, which no demo record uses).
std::vector<Party> further_parties(const Member& m, const MemberFileOptions& o) {
    struct Town {
        const char *cap, *city, *province, *municipality;
    };
    static constexpr std::array<Town, 5> kTowns = {{{"20121", "Milano", "MI", "F205"},
                                                    {"10121", "Torino", "TO", "L219"},
                                                    {"40121", "Bologna", "BO", "A944"},
                                                    {"00184", "Roma", "RM", "H501"},
                                                    {"50122", "Firenze", "FI", "D612"}}};
    std::vector<Party> out;
    if (o.shape != EntryShape::rich) return out;
    std::array<int, 2> last_code = {0, 0};
    for (const auto& p : m.parties)
        if (p.type == 0 || p.type == 1)
            last_code[static_cast<std::size_t>(p.type)] =
                std::max(last_code[static_cast<std::size_t>(p.type)], p.code);
    const int count = o.entries / kEntriesPerNewParty;
    for (int i = 0; i < count; ++i) {
        const Town& town = kTowns[static_cast<std::size_t>(i) % kTowns.size()];
        char number[16];
        std::snprintf(number, sizeof number, "9%010d", i + 1);
        Party p;
        p.type = i % 2;
        p.code = ++last_code[static_cast<std::size_t>(p.type)];
        p.name = std::string(p.type == 0 ? "Cliente " : "Fornitore ") + std::to_string(i + 1) + " S.r.l.";
        p.address = "Via dei Mille " + std::to_string(i % 200 + 1);
        p.cap = town.cap;
        p.city = town.city;
        p.province = town.province;
        p.fiscal_code = p.vat_number = number;
        p.municipality = town.municipality;
        p.since = "01/02/" + std::to_string(o.year - 1);
        out.push_back(std::move(p));
    }
    return out;
}

class Writer {
  public:
    Writer(const Member& m, const MemberFileOptions& o) : m_(m), o_(o), rnd_(o.seed), parties_(m.parties) {
        for (Party& p : further_parties(m, o)) parties_.push_back(std::move(p));
        for (std::size_t i = 0; i < parties_.size(); ++i)
            (parties_[i].type == 0 ? customers_ : suppliers_).push_back(i);
    }

    std::string run() {
        auto root = doc_.append_child("MovimentiCoGe");
        write_settings(root.append_child("Impostazioni"));
        write_company(root.append_child("InfoDitta"));
        write_sections(root);
        write_entries(root.append_child("CG41_PRIMANOTA"));
        std::ostringstream out;
        doc_.save(out, "  ", pugi::format_default, pugi::encoding_utf8);
        return out.str();
    }

  private:
    void write_settings(pugi::xml_node s) {
        add(s, "IE40_VERSIONE_FILE", "1.0");
        add(s, "IE40_DITTA_CG18", std::to_string(m_.own_company_code));
        add(s, "IE40_UTENTE", o_.user);
        add(s, "IE40_DATAORA", "31/12/" + std::to_string(o_.year) + " 18:30:00");
        add(s, "IE40_DADATA", "01/01/" + std::to_string(o_.year));
        add(s, "IE40_ADATA", "31/12/" + std::to_string(o_.year));
        add(s, "IE40_FLGESTRATTI", "0");
        add(s, "IE40_FLGCLIFOR", "1");
        add(s, "IE40_MASTROCLIENTI", m_.account_customers);
        add(s, "IE40_MASTROFORNITORI", m_.account_suppliers);
        add(s, "IE40_CG68_NUMERDESC", "3");
        add(s, "IE40_CG24_TABPDC", "5");
        add(s, "IE40_CG33_TABCAU", std::to_string(m_.causals.size()));
        add(s, "IE40_CG28_TABCODIVA", std::to_string(m_.vat_codes.size()));
        add(s, "IE40_CG44_CLIFOR", std::to_string(parties_.size()));
        add(s, "IE40_CG41_PRIMANOTA", std::to_string(o_.entries));
    }

    void write_company(pugi::xml_node c) {
        add(c, "CG16_CODICE", std::to_string(m_.registry_code));
        add(c, "CG16_RAGSOANAG", m_.name);
        add(c, "CG16_INDIRIZZO", m_.address);
        add(c, "CG16_CAP", m_.cap);
        add(c, "CG16_CITTA", m_.city);
        add(c, "CG16_PROV", m_.province);
        add(c, "CG16_CODFISCALE", m_.fiscal_code);
        add(c, "CG16_PARTIVA", m_.vat_number);
    }

    void write_sections(pugi::xml_node root) {
        auto sez = root.append_child("CG68_NUMERDESC");
        for (const auto& code : {m_.section_sales, m_.section_purchases, m_.section_general}) {
            auto r = sez.append_child("Row");
            add(r, "CG68_SEZIONALE", code);
            add(r, "CG68_INDTIPOLOGIA", "0");
        }
        auto pdc = root.append_child("CG24_TABPDC");
        for (const auto& code : {m_.account_revenue, m_.account_cost, m_.account_vat_sales,
                                 m_.account_vat_purchases, m_.account_bank}) {
            add(pdc.append_child("Row"), "CG24_CONTO", code);
        }
        write_causals(root.append_child("CG33_TABCAU"));
        write_vat_codes(root.append_child("CG28_TABCODIVA"));
        write_parties(root.append_child("CG44_CLIFOR"));
    }

    // Each row is the member's record, one element per column; the ids are the member's
    // own (the group assigns its own).
    void write_causals(pugi::xml_node section) {
        int id = 0;
        for (const auto& c : m_.causals) {
            auto r = section.append_child("Row");
            add(r, "CG33_IDPROV", std::to_string(++id));
            add(r, "CG33_CODICE", c.code);
            add(r, "CG33_DESCR", c.description);
            if (!c.vat_causal.empty()) add(r, "CG33_CAUSALEIVA", c.vat_causal);
            if (!c.linked.empty()) add(r, "CG33_CAUSALECOLL", c.linked);
            add(r, "CG33_INDTIPOREG", c.vat_causal.empty() ? "0" : "1");
            add(r, "CG33_DATAINS", "02/01/" + std::to_string(o_.year) + " 09:00:00");
            add(r, "CG33_UTENTEINS", o_.user);
        }
    }

    void write_vat_codes(pugi::xml_node section) {
        int id = 0;
        for (const auto& v : m_.vat_codes) {
            auto r = section.append_child("Row");
            add(r, "CG28_IDPROV", std::to_string(++id));
            add(r, "CG28_CODICE", v.code);
            add(r, "CG28_DESCR", v.description);
            add(r, "CG28_ALIQUOTA", v.rate);
            add(r, "CG28_INDTIPO", v.rate == "0" ? "2" : "0");
            add(r, "CG28_DATAINIZIO", "01/01/2000 00:00:00");
        }
    }

    // A customer or supplier row: the member's CG44_CLIFOR columns, and its registry record
    // as the child CG16_ANAGGEN. A legal person that is both customer and supplier has one
    // registry record in the member's books, so both rows carry the same registry code.
    void write_parties(pugi::xml_node section) {
        std::map<std::string, int> registry_codes;
        int id = 0;
        for (const auto& p : parties_) {
            const int registry =
                registry_codes.emplace(p.fiscal_code, 5001 + static_cast<int>(registry_codes.size()))
                    .first->second;
            const bool person = !p.birth_date.empty();
            auto r = section.append_child("Row");
            add(r, "CG44_IDCLIFOR", std::to_string(++id));
            add(r, "CG44_DITTA_CG18", std::to_string(m_.own_company_code));
            add(r, "CG44_TIPOCF", std::to_string(p.type));
            add(r, "CG44_CLIFOR", std::to_string(p.code));
            add(r, "CG44_CODICE_CG16", std::to_string(registry));
            add(r, "CG44_DESCRBREVE", p.name.substr(0, 40));
            add(r, "CG44_FLGBLOCCATO", "0");
            if (!p.since.empty()) add(r, "CG44_DATAINS", p.since + " 00:00:00");
            // The member's own chart and payment terms: never copied into the group's books.
            add(r, "CG44_GRUPPO_CG10", "1");
            add(r, "CG44_CONTO_CG24", p.type == 0 ? m_.account_customers : m_.account_suppliers);
            add(r, "CG44_CODPAG_CG62", "RB60");
            auto a = r.append_child("CG16_ANAGGEN");
            add(a, "CG16_CODICE", std::to_string(registry));
            add(a, "CG16_RAGSOANAG", p.name);
            add(a, "CG16_INDIRIZZO", p.address);
            add(a, "CG16_CAP", p.cap);
            add(a, "CG16_CITTA", p.city);
            add(a, "CG16_PROV", p.province);
            add(a, "CG16_CODFISCALE", p.fiscal_code);
            add(a, "CG16_PARTIVA", p.vat_number);
            add(a, "CG16_INDPERSFISICA", person ? "1" : "0");
            add(a, "CG16_COMFIS_CG01", p.municipality);
            if (person) {
                add(a, "CG16_DATANASCITA", p.birth_date + " 00:00:00");
                add(a, "CG16_COMNASCITA_CG01", p.municipality);
            }
        }
    }

    std::string next_numreg() {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%s%07d", m_.numreg_prefix.c_str(), ++numreg_);
        return buf;
    }

    const Party& pick_party(int type) {
        const std::vector<std::size_t>& of = type == 0 ? customers_ : suppliers_;
        return parties_[of[static_cast<std::size_t>(rnd_.between(0, static_cast<int>(of.size()) - 1))]];
    }

    // The invoice's VAT lines with their codes; amounts follow once the party is drawn.
    std::vector<VatLine> vat_lines() {
        std::vector<VatLine> lines;
        if (o_.shape == EntryShape::plain) {
            lines.push_back({&m_.vat_codes[static_cast<std::size_t>(rnd_.between(0, 1))]});
            return lines;
        }
        const int count = kRichVatLines[static_cast<std::size_t>(
            rnd_.between(0, static_cast<int>(kRichVatLines.size()) - 1))];
        const int codes = static_cast<int>(m_.vat_codes.size());
        const int first = rnd_.between(0, codes - 1);
        for (int k = 0; k < count; ++k)
            lines.push_back({&m_.vat_codes[static_cast<std::size_t>((first + k) % codes)]});
        return lines;
    }

    void write_entries(pugi::xml_node sec) {
        const int days = 360;
        for (int i = 0; i < o_.entries; ++i) {
            const int day = 1 + (i * days) / std::max(1, o_.entries);
            // Every fourth entry settles an earlier invoice when there is one to settle.
            if (i % 4 == 3 && !open_.empty()) {
                write_settlement(sec.append_child("Row"), day);
            } else {
                write_invoice(sec.append_child("Row"), day, rnd_.between(0, 2) != 0 ? 0 : 1);
            }
        }
    }

    void header(pugi::xml_node r, const std::string& numreg, int day, const Causal& c,
                const std::string& section, const std::string& numdoc, std::int64_t total, int type,
                int party) {
        add(r, "CG41_NUMREG", numreg);
        add(r, "CG41_DATAREG", row_date(o_.year, day));
        add(r, "CG41_DATADOC", row_date(o_.year, day));
        add(r, "CG41_NUMDOC", numdoc);
        add(r, "CG41_FLGDOCBIS", "0");
        add(r, "CG41_SEZIONALE", section);
        add(r, "CG41_CODICE_CG33", c.code);
        add(r, "CG41_DESCAUSALE", c.description);
        add(r, "CG41_IMPTOTALE", cents(total));
        add(r, "CG41_TIPOCF_CG44", std::to_string(type));
        add(r, "CG41_CLIFOR_CG44", std::to_string(party));
        add(r, "CG41_INDTIPOMOV", "0");
    }

    void account_row(pugi::xml_node r, int n, const std::string& account, const std::string& causal, int op,
                     std::int64_t debit, std::int64_t credit, int type, int party) {
        auto a = r.append_child("CG42_MOVCONT");
        add(a, "CG42_NUMRIGACONT", std::to_string(n));
        add(a, "CG42_CONTOPAR_CG24", account);
        add(a, "CG42_CODICE_CG33", causal);
        add(a, "CG42_INDTIPOOPER", std::to_string(op));
        add(a, "CG42_IMPDARE", cents(debit));
        add(a, "CG42_IMPAVERE", cents(credit));
        if (type >= 0) {
            add(a, "CG42_TIPOCF_CG44", std::to_string(type));
            add(a, "CG42_CLIFORPAR_CG44", std::to_string(party));
        }
    }

    void write_invoice(pugi::xml_node r, int day, int type) {
        const bool sale = type == 0;
        const Causal& c = m_.causals[sale ? 0 : 1];
        std::vector<VatLine> lines = vat_lines();
        const Party& p = pick_party(type);
        std::int64_t taxable = 0;
        std::int64_t tax = 0;
        for (VatLine& line : lines) {
            line.taxable = rnd_.between(1000, 500000);
            line.tax = (line.taxable * std::stoll(line.code->rate) + 50) / 100;
            taxable += line.taxable;
            tax += line.tax;
        }
        const std::int64_t total = taxable + tax;
        const std::string numreg = next_numreg();
        const std::string numdoc = std::to_string(sale ? ++sales_doc_ : rnd_.between(1, 9999));
        header(r, numreg, day, c, sale ? m_.section_sales : m_.section_purchases, numdoc, total, type,
               p.code);
        add(r, "CG41_NUMPROT", std::to_string(sale ? sales_doc_ : ++purchase_prot_));
        // The party's row, one revenue or cost row per VAT line, then the VAT account's row.
        int n = 0;
        if (sale)
            account_row(r, ++n, m_.account_customers, c.code, 1, total, 0, 0, p.code);
        else
            account_row(r, ++n, m_.account_suppliers, c.code, 1, 0, total, 1, p.code);
        for (const VatLine& line : lines) {
            if (sale)
                account_row(r, ++n, m_.account_revenue, c.code, 2, 0, line.taxable, -1, 0);
            else
                account_row(r, ++n, m_.account_cost, c.code, 2, line.taxable, 0, -1, 0);
        }
        if (sale)
            account_row(r, ++n, m_.account_vat_sales, c.code, 3, 0, tax, -1, 0);
        else
            account_row(r, ++n, m_.account_vat_purchases, c.code, 3, tax, 0, -1, 0);
        int k = 0;
        for (const VatLine& line : lines) {
            auto vr = r.append_child("CG43_MOVIVA");
            add(vr, "CG43_NUMRIGAIVA", std::to_string(++k));
            add(vr, "CG43_ALIQIVA1_CG28", line.code->code);
            add(vr, "CG43_CONTO_CG24", sale ? m_.account_revenue : m_.account_cost);
            add(vr, "CG43_IMPONIBILE", cents(line.taxable));
            add(vr, "CG43_IMPOSTA", cents(line.tax));
        }
        open_.push_back({numreg, p.code, type, total});
        invoices_[numreg] = r;
    }

    void write_settlement(pugi::xml_node r, int day) {
        const Invoice inv = open_.front();
        open_.pop_front();
        const bool receipt = inv.type == 0;
        const Causal& c = m_.causals[receipt ? 3 : 2];
        const std::string numreg = next_numreg();
        header(r, numreg, day, c, m_.section_general, "", inv.total, inv.type, inv.party);
        add(r, "CG41_RIFPADRE", inv.numreg);
        if (receipt) {
            account_row(r, 1, m_.account_bank, c.code, 0, inv.total, 0, -1, 0);
            account_row(r, 2, m_.account_customers, c.code, 1, 0, inv.total, 0, inv.party);
        } else {
            account_row(r, 1, m_.account_suppliers, c.code, 1, inv.total, 0, 1, inv.party);
            account_row(r, 2, m_.account_bank, c.code, 0, 0, inv.total, -1, 0);
        }
        // The invoice points forward to the entry that settled it.
        add(invoices_.at(inv.numreg), "CG41_RIFFIGLIA", numreg);
    }

    const Member& m_;
    const MemberFileOptions& o_;
    Random rnd_;
    pugi::xml_document doc_;
    int numreg_ = 0;
    int sales_doc_ = 0;
    int purchase_prot_ = 0;
    std::vector<Party> parties_;  // the member's, then the rich shape's further ones
    std::vector<std::size_t> customers_, suppliers_;
    std::deque<Invoice> open_;
    std::map<std::string, pugi::xml_node> invoices_;
};

}  // namespace

std::string member_file_xml(const Member& member, const MemberFileOptions& options) {
    return Writer(member, options).run();
}

}  // namespace demo
