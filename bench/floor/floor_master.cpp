// The master data the member's file names and the group lacks, each record in its own
// transaction as the verification creates it: causals and VAT codes with their description
// row, customers and suppliers (on a registry record found by VAT number and tax code, or
// on a new one), their codes taken from the store.
#include <stdexcept>

#include "floor.h"
#include "refhost/numbering_services.h"

namespace floorbench {

namespace {

constexpr const char* kLanguage = "ITA ";
constexpr int kCausalProvider = 5;
constexpr int kVatCodeProvider = 4;

std::optional<std::string> present(const pugi::xml_node& row, const char* name) {
    const pugi::xml_node n = row.child(name);
    return n ? std::optional<std::string>(n.text().get()) : std::nullopt;
}

std::optional<std::string> date_of(const pugi::xml_node& row, const char* name) {
    const auto text = present(row, name);
    return text && !text->empty() ? std::optional<std::string>(stored_date(*text)) : std::nullopt;
}

class MasterData {
  public:
    MasterData(Files& files, Books& books, NumberTaker& numbers)
        : files_(files),
          books_(books),
          numbers_(numbers),
          causal_exists_(files.main.prepare("SELECT 1 FROM CG33_TABCAU WHERE CG33_CODICE = ?")),
          vat_exists_(files.main.prepare("SELECT 1 FROM CG28_TABCODIVA WHERE CG28_CODICE = ?")),
          insert_causal_(files.main.prepare(
              "INSERT INTO CG33_TABCAU (CG33_CODICE, CG33_DESCR, CG33_CAUSALEIVA, CG33_CAUSALECOLL, "
              "CG33_INDTIPOREG, CG33_DATAINS, CG33_UTENTEINS) VALUES (?, ?, ?, ?, ?, ?, ?)")),
          insert_vat_(
              files.main.prepare("INSERT INTO CG28_TABCODIVA (CG28_CODICE, CG28_DESCR, CG28_ALIQUOTA, "
                                 "CG28_INDTIPO, CG28_DATAINIZIO) VALUES (?, ?, ?, ?, ?)")),
          insert_description_(
              files.main.prepare("INSERT INTO CG0L_DESLINGUA (CG0L_CODLINGUA_MG52, CG0L_PROVID, "
                                 "CG0L_IDPROV, CG0L_DESCRIZIONE) VALUES (?, ?, ?, ?)")),
          find_registry_(files.main.prepare("SELECT CG16_CODICE FROM CG16_ANAGGEN WHERE "
                                            "COALESCE(CG16_PARTIVA_EST, CG16_PARTIVA, '') = ? AND "
                                            "IFNULL(CG16_CODFISCALE, '') = ? ORDER BY CG16_CODICE")),
          find_party_(files.main.prepare("SELECT CG44_CLIFOR FROM CG44_CLIFOR WHERE CG44_DITTA_CG18 = ? AND "
                                         "CG44_TIPOCF = ? AND CG44_CODICE_CG16 = ?")),
          insert_registry_(files.main.prepare(
              "INSERT INTO CG16_ANAGGEN (CG16_CODICE, CG16_RAGSOANAG, CG16_INDIRIZZO, CG16_CAP, CG16_CITTA, "
              "CG16_PROV, CG16_CODFISCALE, CG16_PARTIVA, CG16_INDPERSFISICA, CG16_DATANASCITA, "
              "CG16_COMANA_CG01, CG16_COMFIS_CG01, CG16_COMNASCITA_CG01, CG16_GUID) VALUES (?, ?, ?, ?, ?, "
              "?, ?, ?, "
              "?, ?, (SELECT CG01_CODICE FROM CG01_ANAGCOMUNI WHERE CG01_CODICE = ?), (SELECT CG01_CODICE "
              "FROM "
              "CG01_ANAGCOMUNI WHERE CG01_CODICE = ?), (SELECT CG01_CODICE FROM CG01_ANAGCOMUNI WHERE "
              "CG01_CODICE "
              "= ?), li_newid())")),
          insert_party_(files.main.prepare(
              "INSERT INTO CG44_CLIFOR (CG44_DITTA_CG18, CG44_TIPOCF, CG44_CLIFOR, CG44_CODICE_CG16, "
              "CG44_DESCRBREVE, CG44_FLGBLOCCATO, CG44_DATAINS, CG44_GUID) VALUES (?, ?, ?, ?, ?, ?, ?, "
              "li_newid())")) {}

    void causals(const pugi::xml_node& section) {
        for (const pugi::xml_node row : section.children("Row")) {
            const std::string code = books_.transcode(kCausal, text_of(row, "CG33_CODICE"));
            if (code.empty() || causal_exists_.bind(code).first_integer()) continue;
            Transaction t(files_.main);
            const std::string description = text_of(row, "CG33_DESCR");
            const auto linked = present(row, "CG33_CAUSALECOLL");
            insert_causal_
                .bind(code, description, present(row, "CG33_CAUSALEIVA"),
                      linked ? std::optional<std::string>(books_.transcode(kCausal, *linked)) : std::nullopt,
                      std::stoi(text_of(row, "CG33_INDTIPOREG")), date_of(row, "CG33_DATAINS"),
                      present(row, "CG33_UTENTEINS"))
                .run();
            insert_description_.bind(kLanguage, kCausalProvider, files_.main.last_rowid(), description).run();
            t.commit();
            ++counts.causals;
        }
    }

    void vat_codes(const pugi::xml_node& section) {
        for (const pugi::xml_node row : section.children("Row")) {
            const std::string code = books_.transcode(kVatCode, text_of(row, "CG28_CODICE"));
            if (code.empty() || vat_exists_.bind(code).first_integer()) continue;
            Transaction t(files_.main);
            const std::string description = text_of(row, "CG28_DESCR");
            const Amount rate = amount(text_of(row, "CG28_ALIQUOTA"));
            insert_vat_.bind(code, description, rate.whole ? static_cast<double>(rate.integer) : rate.real,
                             std::stoi(text_of(row, "CG28_INDTIPO")), date_of(row, "CG28_DATAINIZIO"));
            insert_vat_.run();
            insert_description_.bind(kLanguage, kVatCodeProvider, files_.main.last_rowid(), description)
                .run();
            t.commit();
            ++counts.vat_codes;
        }
    }

    // Each customer or supplier row: found by its registry record's VAT number and tax code
    // (the first way the verification matches), or created; then mapped for the entries.
    void parties(const pugi::xml_node& section) {
        for (const pugi::xml_node row : section.children("Row")) {
            const int type = std::stoi(text_of(row, "CG44_TIPOCF"));
            const int member_code = std::stoi(text_of(row, "CG44_CLIFOR"));
            const pugi::xml_node registry = row.child("CG16_ANAGGEN");
            std::optional<std::int64_t> registry_code =
                find_registry_.bind(text_of(registry, "CG16_PARTIVA"), text_of(registry, "CG16_CODFISCALE"))
                    .first_integer();
            std::optional<std::int64_t> code;
            if (registry_code) code = find_party_.bind(books_.company, type, *registry_code).first_integer();
            if (!code) code = create(row, registry, type, registry_code);
            books_.parties[{type, member_code}] = static_cast<int>(*code);
        }
    }

    MasterCounts counts;

  private:
    std::int64_t create(const pugi::xml_node& row, const pugi::xml_node& registry, int type,
                        std::optional<std::int64_t> registry_code) {
        const bool new_registry = !registry_code;
        if (new_registry) registry_code = numbers_.take_registry_code();
        const int company = books_.company;
        Files& files = files_;
        const int code =
            numbers_.take(company, type == 0 ? refhost::kCustomerCodeKind : refhost::kSupplierCodeKind, "00",
                          0, [&files, company, type] { return last_customer_code(files, company, type); });
        // A new registry record goes with its customer or supplier, never alone; on one that
        // exists the customer or supplier is a statement of its own.
        std::optional<Transaction> t;
        if (new_registry) {
            t.emplace(files_.main);
            insert_registry_
                .bind(*registry_code, text_of(registry, "CG16_RAGSOANAG"),
                      text_of(registry, "CG16_INDIRIZZO"), text_of(registry, "CG16_CAP"),
                      text_of(registry, "CG16_CITTA"), text_of(registry, "CG16_PROV"),
                      text_of(registry, "CG16_CODFISCALE"), text_of(registry, "CG16_PARTIVA"),
                      std::stoi(text_of(registry, "CG16_INDPERSFISICA")),
                      date_of(registry, "CG16_DATANASCITA"),
                      // A municipality the books do not know is left out, as the verification does.
                      present(registry, "CG16_COMANA_CG01"), present(registry, "CG16_COMFIS_CG01"),
                      present(registry, "CG16_COMNASCITA_CG01"))
                .run();
            ++counts.registry;
        }
        insert_party_
            .bind(company, type, code, *registry_code, text_of(row, "CG44_DESCRBREVE"),
                  std::stoi(text_of(row, "CG44_FLGBLOCCATO")), date_of(row, "CG44_DATAINS"))
            .run();
        if (t) t->commit();
        ++counts.parties;
        return code;
    }

    Files& files_;
    Books& books_;
    NumberTaker& numbers_;
    Statement causal_exists_, vat_exists_, insert_causal_, insert_vat_, insert_description_;
    Statement find_registry_, find_party_, insert_registry_, insert_party_;
};

}  // namespace

MasterCounts create_master_data(Files& files, Books& books, NumberTaker& numbers,
                                const pugi::xml_node& root) {
    MasterData m(files, books, numbers);
    m.causals(root.child("CG33_TABCAU"));
    m.vat_codes(root.child("CG28_TABCODIVA"));
    m.parties(root.child("CG44_CLIFOR"));
    return m.counts;
}

}  // namespace floorbench
