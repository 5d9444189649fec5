// The entries: the import header first, then per entry the check that no earlier import
// took it, its registration number taken and committed on its own in the store, and one
// transaction with the history detail, the master document, the header, the VAT numbering
// update, the account rows and the VAT rows; last the links between entries, one
// statement each.
#include <array>
#include <cstdio>
#include <stdexcept>

#include "floor.h"
#include "refhost/numbering_services.h"

namespace floorbench {

namespace {

constexpr std::size_t kCodeWidth = 4;

// VAT causal codes and the numbering kind each consumes, as the import knows them.
constexpr std::array<std::pair<int, int>, 29> kNumberingKinds = {{
    {1, 1},  {61, 1}, {281, 1}, {31, 2}, {41, 2}, {51, 2},  {71, 2},  {91, 2}, {96, 2},  {80, 3},
    {81, 3}, {82, 3}, {90, 3},  {5, 4},  {63, 4}, {285, 4}, {35, 5},  {42, 5}, {52, 5},  {92, 5},
    {97, 5}, {7, 6},  {37, 7},  {9, 8},  {39, 9}, {62, 10}, {32, 11}, {2, 13}, {33, 14},
}};

std::optional<int> numbering_kind(const std::string& vat_causal) {
    if (vat_causal.empty() || vat_causal.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const int code = std::stoi(vat_causal);
    for (const auto& [causal, kind] : kNumberingKinds)
        if (causal == code) return kind;
    return std::nullopt;
}

std::string padded(std::string code, std::size_t width) {
    if (code.size() < width) code.append(width - code.size(), ' ');
    return code;
}

std::optional<std::string> present(const pugi::xml_node& row, const char* name) {
    const pugi::xml_node n = row.child(name);
    return n ? std::optional<std::string>(n.text().get()) : std::nullopt;
}

std::optional<int> integer_of(const pugi::xml_node& row, const char* name) {
    const auto text = present(row, name);
    return text && !text->empty() ? std::optional<int>(std::stoi(*text)) : std::nullopt;
}

// Binds an amount as the engine stores it.
std::optional<double> real_of(const Amount& a) {
    return a.whole ? std::nullopt : std::optional<double>(a.real);
}

struct Link {
    std::string parent, child, number;
};

class Journal {
  public:
    Journal(Files& files, const Books& books, NumberTaker& numbers)
        : files_(files),
          books_(books),
          numbers_(numbers),
          taken_over_(
              files.main.prepare("SELECT IE43_NUMREG_CO99 FROM IE43_DETTIMPCOGE WHERE IE43_DITTA_CG18 = ? "
                                 "AND IE43_AZIENDARIF = ? AND IE43_NUMREG_AZIENDARIF = ? LIMIT 1")),
          detail_(files.main.prepare(
              "INSERT INTO IE43_DETTIMPCOGE (IE43_DITTA_CG18, IE43_AZIENDARIF, "
              "IE43_NUMREG_AZIENDARIF, IE43_NUMREG_CO99, IE43_ID_IE42) VALUES (?, ?, ?, ?, ?)")),
          master_document_(files.main.prepare(
              "INSERT INTO CO99_MASTERDOC (CO99_DITTA_CG18, CO99_NUMREG, CO99_INDTIPOOP, CO99_DATACRE, "
              "CO99_GRUPPOCRE, CO99_UTENTECRE, CO99_DATAVAR, CO99_GRUPPOVAR, CO99_UTENTEVAR, CO99_INDNOTE1, "
              "CO99_DESCNOTE1, CO99_FLGDELNOTE1, CO99_INDCOIN) VALUES (?, ?, 0, ?, ?, ?, ?, ?, ?, 0, '', 0, "
              "0)")),
          header_(files.main.prepare(
              "INSERT INTO CG41_PRIMANOTA (CG41_DITTA_CG18, CG41_NUMREG, CG41_DATAREG, CG41_DATADOC, "
              "CG41_NUMDOC, "
              "CG41_FLGDOCBIS, CG41_SEZIONALE, CG41_CODICE_CG33, CG41_DESCAUSALE, CG41_IMPTOTALE, "
              "CG41_NUMPROT, "
              "CG41_TIPOCF_CG44, CG41_DITTACF_CG18, CG41_CLIFOR_CG44, CG41_INDTIPOMOV, CG41_FLGSTPIVA, "
              "CG41_FLGSTPTOTIVA, CG41_DITTASEDE_CG18, CG41_CODICE_CG31, CG41_GUID) VALUES (?, ?, ?, ?, ?, "
              "?, ?, ?, "
              "?, COALESCE(?, ?), ?, ?, ?, ?, 0, 1, 1, ?, 0, li_newid())")),
          vat_numbering_(
              files.main.prepare("SELECT LAST_NUMBER FROM HOST_VAT_NUMBERING WHERE COMPANY_CODE = ? AND "
                                 "YEAR = ? AND SECTION = ? AND KIND = ?")),
          insert_vat_numbering_(
              files.main.prepare("INSERT INTO HOST_VAT_NUMBERING (COMPANY_CODE, YEAR, SECTION, "
                                 "KIND, LAST_NUMBER, LAST_DATE) VALUES (?, ?, ?, ?, ?, ?)")),
          update_vat_numbering_(files.main.prepare("UPDATE HOST_VAT_NUMBERING SET LAST_NUMBER = ?, LAST_DATE "
                                                   "= ? WHERE COMPANY_CODE = ? AND YEAR = ? "
                                                   "AND SECTION = ? AND KIND = ?")),
          account_row_(files.main.prepare(
              "INSERT INTO CG42_MOVCONT (CG42_DITTA_CG18, CG42_NUMREG_CG41, CG42_NUMRIGACONT, "
              "CG42_GRUPPO_CG10, "
              "CG42_CONTOPAR_CG24, CG42_CODICE_CG33, CG42_INDTIPOOPER, CG42_IMPDARE, CG42_IMPAVERE, "
              "CG42_TIPOCF_CG44, CG42_DITTACF_CG18, CG42_CLIFORPAR_CG44, CG42_FLGSTPGIOR, CG42_CODICE_CG31, "
              "CG42_GUID) VALUES (?, ?, ?, ?, ?, ?, ?, COALESCE(?, ?), COALESCE(?, ?), ?, ?, ?, 1, 0, "
              "li_newid())")),
          vat_row_(files.main.prepare(
              "INSERT INTO CG43_MOVIVA (CG43_DITTA_CG18, CG43_NUMREG_CG41, CG43_NUMRIGAIVA, "
              "CG43_GRUPPO_CG10, "
              "CG43_ALIQIVA1_CG28, CG43_CONTO_CG24, CG43_IMPONIBILE, CG43_IMPOSTA) VALUES (?, ?, ?, ?, ?, ?, "
              "COALESCE(?, ?), COALESCE(?, ?))")) {
        Statement causals = files.main.prepare("SELECT CG33_CODICE, CG33_CAUSALEIVA FROM CG33_TABCAU");
        while (causals.step()) vat_causals_[padded(causals.text(0), kCodeWidth)] = causals.text(1);
    }

    void write_header(const pugi::xml_node& root, const std::string& file_name) {
        const pugi::xml_node s = root.child("Impostazioni");
        Statement insert = files_.main.prepare(
            "INSERT INTO IE42_IMPCOGE (IE42_DITTA_CG18, IE42_DATAORA, IE42_NOMEFILE, IE42_FLGSEZ, "
            "IE42_FLGPDC, "
            "IE42_FLGCAU, IE42_FLGCODIVA, IE42_FLGCLIFOR, IE42_FLGESTRATTI, IE42_DADATA, IE42_ADATA, "
            "IE42_INDPROVIMP, IE42_AZIENDARIF, IE42_UTENTE, IE42_FLGGESTCODID) VALUES (?, ?, ?, ?, ?, ?, ?, "
            "?, ?, ?, "
            "?, 1, ?, ?, 0)");
        const auto by_value = [&](int kind) { return books_.indicator.at(kind) == 1 ? 1 : 0; };
        insert
            .bind(books_.company, now_stored(), file_name, by_value(kSection), by_value(kAccount),
                  by_value(kCausal), by_value(kVatCode), std::stoi(text_of(s, "IE40_FLGCLIFOR")),
                  std::stoi(text_of(s, "IE40_FLGESTRATTI")), stored_date(text_of(s, "IE40_DADATA")),
                  stored_date(text_of(s, "IE40_ADATA")), books_.member_registry, books_.user)
            .run();
        header_id_ = files_.main.last_rowid();
    }

    void write_entry(const pugi::xml_node& e) {
        const std::string source = text_of(e, "CG41_NUMREG");
        if (taken_over_.bind(books_.company, books_.member_registry, source).first_integer()) return;
        const std::string date = stored_date(text_of(e, "CG41_DATAREG"));
        const int year = std::stoi(date.substr(0, 4));
        const int company = books_.company;
        Files& files = files_;
        const int n = numbers_.take(company, refhost::kRegistrationKind, "00", year, [&files, company, year] {
            return last_registration_number(files, company, year);
        });
        char digits[16];
        std::snprintf(digits, sizeof digits, "%08d", n);
        const std::string number = std::to_string(year) + digits;

        Transaction t(files_.main);
        detail_.bind(company, books_.member_registry, source, number, header_id_).run();
        const std::string now = now_stored();
        master_document_
            .bind(company, number, now, books_.user_group, books_.user, now, books_.user_group, books_.user)
            .run();
        write_entry_header(e, number, date);
        if (text_of(e, "CG41_INDTIPOMOV") != "2") update_numbering(e, date);
        if (!text_of(e, "CG41_RIFPADRE").empty() || !text_of(e, "CG41_RIFFIGLIA").empty())
            links_.push_back({text_of(e, "CG41_RIFPADRE"), text_of(e, "CG41_RIFFIGLIA"), number});
        write_account_rows(e, number);
        write_vat_rows(e, number);
        t.commit();
        ++counts.entries;
    }

    // Each reference one statement outside any transaction, as every entry is committed.
    void resolve_links() {
        Statement parent = link_statement("CG41_RIFPADRE");
        Statement child = link_statement("CG41_RIFFIGLIA");
        for (const Link& link : links_) {
            if (!link.parent.empty()) {
                parent.bind(books_.member_registry, link.parent, books_.company, link.number).run();
                ++counts.links;
            }
            if (!link.child.empty()) {
                child.bind(books_.member_registry, link.child, books_.company, link.number).run();
                ++counts.links;
            }
        }
    }

    JournalCounts counts;

  private:
    Statement link_statement(const std::string& column) {
        return files_.main.prepare(
            "UPDATE CG41_PRIMANOTA SET " + column +
            " = (SELECT IE43_NUMREG_CO99 FROM IE43_DETTIMPCOGE WHERE IE43_DITTA_CG18 = "
            "CG41_DITTA_CG18 AND IE43_AZIENDARIF = ? AND IE43_NUMREG_AZIENDARIF = ?) "
            "WHERE CG41_DITTA_CG18 = ? AND CG41_NUMREG = ?");
    }

    std::optional<int> group_party(std::optional<int> type, const pugi::xml_node& row,
                                   const char* column) const {
        const std::optional<int> code = integer_of(row, column);
        if (!type || !code) return std::nullopt;
        const auto it = books_.parties.find({*type, *code});
        return it == books_.parties.end() ? std::nullopt : std::optional<int>(it->second);
    }

    void write_entry_header(const pugi::xml_node& e, const std::string& number, const std::string& date) {
        const std::optional<int> type = integer_of(e, "CG41_TIPOCF_CG44");
        std::optional<int> company;
        if (type) company = books_.company;
        const auto document_date = present(e, "CG41_DATADOC");
        const Amount total = amount(text_of(e, "CG41_IMPTOTALE"));
        header_
            .bind(books_.company, number, date,
                  document_date ? std::optional<std::string>(stored_date(*document_date)) : std::nullopt,
                  present(e, "CG41_NUMDOC"), integer_of(e, "CG41_FLGDOCBIS").value_or(0),
                  books_.transcode(kSection, text_of(e, "CG41_SEZIONALE")),
                  padded(books_.transcode(kCausal, text_of(e, "CG41_CODICE_CG33")), kCodeWidth),
                  present(e, "CG41_DESCAUSALE"), real_of(total), total.integer, integer_of(e, "CG41_NUMPROT"),
                  type, company, group_party(type, e, "CG41_CLIFOR_CG44"), books_.company)
            .run();
    }

    // The numbering a VAT causal consumes, looked up with the causal code as the file has it.
    void update_numbering(const pugi::xml_node& e, const std::string& date) {
        const auto causal = vat_causals_.find(padded(text_of(e, "CG41_CODICE_CG33"), kCodeWidth));
        if (causal == vat_causals_.end()) return;
        const std::optional<int> kind = numbering_kind(causal->second);
        if (!kind) return;
        const std::int64_t used = std::stoll(text_of(e, "CG41_NUMDOC"));
        const std::string section = text_of(e, "CG41_SEZIONALE");
        const int year = std::stoi(date.substr(0, 4));
        const std::string day = date.substr(0, 8);
        const std::optional<std::int64_t> last =
            vat_numbering_.bind(books_.company, year, section, *kind).first_integer();
        if (!last)
            insert_vat_numbering_.bind(books_.company, year, section, *kind, used, day).run();
        else if (*last < used)
            update_vat_numbering_.bind(used, day, books_.company, year, section, *kind).run();
        ++counts.numbering_updates;
    }

    void write_account_rows(const pugi::xml_node& e, const std::string& number) {
        int n = 0;
        for (const pugi::xml_node row : e.children("CG42_MOVCONT")) {
            const std::optional<int> type = integer_of(row, "CG42_TIPOCF_CG44");
            std::optional<int> company;
            if (type) company = books_.company;
            std::string account;
            if (type == 0)
                account = books_.customer_account;
            else if (type == 1)
                account = books_.supplier_account;
            else
                account = books_.transcode(kAccount, text_of(row, "CG42_CONTOPAR_CG24"));
            const Amount debit = amount(text_of(row, "CG42_IMPDARE"));
            const Amount credit = amount(text_of(row, "CG42_IMPAVERE"));
            account_row_
                .bind(books_.company, number, ++n, books_.chart_group, account,
                      padded(books_.transcode(kCausal, text_of(row, "CG42_CODICE_CG33")), kCodeWidth),
                      integer_of(row, "CG42_INDTIPOOPER").value_or(0), real_of(debit), debit.integer,
                      real_of(credit), credit.integer, type, company,
                      group_party(type, row, "CG42_CLIFORPAR_CG44"))
                .run();
            ++counts.account_rows;
        }
    }

    void write_vat_rows(const pugi::xml_node& e, const std::string& number) {
        for (const pugi::xml_node row : e.children("CG43_MOVIVA")) {
            const Amount taxable = amount(text_of(row, "CG43_IMPONIBILE"));
            const Amount tax = amount(text_of(row, "CG43_IMPOSTA"));
            vat_row_
                .bind(books_.company, number, std::stoi(text_of(row, "CG43_NUMRIGAIVA")), books_.chart_group,
                      padded(books_.transcode(kVatCode, text_of(row, "CG43_ALIQIVA1_CG28")), kCodeWidth),
                      books_.transcode(kAccount, text_of(row, "CG43_CONTO_CG24")), real_of(taxable),
                      taxable.integer, real_of(tax), tax.integer)
                .run();
            ++counts.vat_rows;
        }
    }

    Files& files_;
    const Books& books_;
    NumberTaker& numbers_;
    std::int64_t header_id_ = 0;
    std::map<std::string, std::string> vat_causals_;  // group causal (4 wide) -> its VAT causal
    std::vector<Link> links_;
    Statement taken_over_, detail_, master_document_, header_, vat_numbering_, insert_vat_numbering_,
        update_vat_numbering_, account_row_, vat_row_;
};

}  // namespace

JournalCounts write_journal(Files& files, const Books& books, NumberTaker& numbers,
                            const pugi::xml_node& root, const std::string& file_name) {
    Journal journal(files, books, numbers);
    journal.write_header(root, file_name);
    for (const pugi::xml_node e : root.child("CG41_PRIMANOTA").children("Row")) journal.write_entry(e);
    journal.resolve_links();
    return journal.counts;
}

}  // namespace floorbench
