#pragma once
// The customer/supplier check on the import window: a member file with a CG44_CLIFOR
// section written by the test, the group company's registry records and customers in the
// database, and the host's two numbering components scripted.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "scripted_host.h"
#include "verify/customer_check.h"
#include "verify_fixture.h"

namespace customer_test {

using verify_test::Elements;
using verify_test::elements_xml;

// One Row of the section: the member's CG44_CLIFOR columns and, unless left out, its
// CG16_ANAGGEN child.
struct Party {
    Elements clifor = {{"CG44_CLIFOR", "15"}, {"CG44_TIPOCF", "0"}};
    Elements registry;
    bool with_registry = true;
};

inline std::string section_xml(const std::vector<Party>& parties) {
    std::string xml = "<CG44_CLIFOR>";
    for (const Party& party : parties) {
        xml += "<Row>" + elements_xml(party.clifor);
        if (party.with_registry) xml += "<CG16_ANAGGEN>" + elements_xml(party.registry) + "</CG16_ANAGGEN>";
        xml += "</Row>";
    }
    return xml + "</CG44_CLIFOR>";
}

// A registry record of the group company; a missing value is stored as Null.
struct Registry {
    int code = 0;
    std::optional<std::string> vat, foreign_vat, tax_code, name, address, city;
};

inline std::string literal(const std::optional<std::string>& text) {
    if (!text) return "NULL";
    std::string quoted = "'";
    for (char c : *text) quoted += c == '\'' ? std::string("''") : std::string(1, c);
    return quoted + "'";
}

class CustomerFixture : public verify_test::VerifyFixture {
  protected:
    static constexpr int kCompany = 1;  // the scripted host's current company

    CustomerFixture() {
        host.components().numbering = [this] { return numbering; };
        host.components().progressive = progressive;
    }

    module::ImportWindow& open_with_parties(const std::vector<Party>& parties) {
        return open_with(section_xml(parties));
    }

    // Runs the check; returns its error flag.
    static bool run(module::ImportWindow& window) {
        bool error = false;
        verify::CustomerSupplierCheck(window).VerificaTabellaClientiFornitoriAnagraficheGenerali(error);
        return error;
    }

    void add_registry(const Registry& r) {
        exec(
            "INSERT INTO CG16_ANAGGEN (CG16_CODICE, CG16_PARTIVA, CG16_PARTIVA_EST, CG16_CODFISCALE, "
            "CG16_RAGSOANAG, CG16_INDIRIZZO, CG16_CITTA) VALUES (" +
            std::to_string(r.code) + ", " + literal(r.vat) + ", " + literal(r.foreign_vat) + ", " +
            literal(r.tax_code) + ", " + literal(r.name) + ", " + literal(r.address) + ", " +
            literal(r.city) + ")");
    }
    void add_customer(int company, int type, int code, int registry) {
        exec(
            "INSERT INTO CG44_CLIFOR (CG44_DITTA_CG18, CG44_TIPOCF, CG44_CLIFOR, CG44_CODICE_CG16) VALUES (" +
            std::to_string(company) + ", " + std::to_string(type) + ", " + std::to_string(code) + ", " +
            std::to_string(registry) + ")");
    }

    // The customer/supplier map as "TIPOCF|CLIFOR|CF_SORGENTE", in order.
    static std::vector<std::string> map_rows(module::ImportWindow& window) {
        std::vector<std::string> rows;
        const ado::RecordsetPtr& map = window.import_state().customer_supplier_map;
        if (!map) return {"<no map>"};
        if (map->RecordCount() == 0) return rows;
        for (map->MoveFirst(); !map->EOF(); map->MoveNext())
            rows.push_back(map->GetFields().Item("TIPOCF").Value().to_string() + "|" +
                           map->GetFields().Item("CLIFOR").Value().to_string() + "|" +
                           map->GetFields().Item("CF_SORGENTE").Value().to_string());
        return rows;
    }

    long registries() { return scalar("SELECT COUNT(*) FROM CG16_ANAGGEN"); }
    long customers() { return scalar("SELECT COUNT(*) FROM CG44_CLIFOR"); }

    std::shared_ptr<scripted::Numbering> numbering = std::make_shared<scripted::Numbering>(host.calls);
    std::shared_ptr<scripted::Progressive> progressive = std::make_shared<scripted::Progressive>(host.calls);
};

}  // namespace customer_test
