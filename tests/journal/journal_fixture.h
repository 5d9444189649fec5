#pragma once
// The import window opened on a member file whose journal section the test writes, over a
// database with the project's schema: the group company's causals, a customer/supplier map
// and a scripted numbering service that hands out the registration numbers the test lists
// and records every numbering update.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ado/connection.h"
#include "host/log_object.h"
#include "journal/journal_import.h"
#include "modulebase/module_context.h"
#include "scripted_host.h"
#include "verify/customer_check.h"
#include "verify_fixture.h"
#include "viewer_ui.h"

namespace journal_test {

using Texts = std::vector<std::string>;
using verify_test::Elements;
using verify_test::elements_xml;

// One entry of the file: its header elements, account rows and VAT rows.
struct Entry {
    Elements header;
    std::vector<Elements> account_rows;
    std::vector<Elements> vat_rows;
};

inline std::string entries_xml(const std::vector<Entry>& entries) {
    std::string xml = "<CG41_PRIMANOTA>";
    for (const Entry& entry : entries) {
        xml += "<Row>" + elements_xml(entry.header);
        for (const Elements& row : entry.account_rows)
            xml += "<CG42_MOVCONT>" + elements_xml(row) + "</CG42_MOVCONT>";
        for (const Elements& row : entry.vat_rows)
            xml += "<CG43_MOVIVA>" + elements_xml(row) + "</CG43_MOVIVA>";
        xml += "</Row>";
    }
    return xml + "</CG41_PRIMANOTA>";
}

// A header as the member exports it, with `changes` replacing (or, for names it lacks,
// adding) elements; a change with the text "<drop>" leaves the element out.
inline Elements entry_header(const std::string& source_number, const Elements& changes = {}) {
    Elements header = {{"CG41_NUMREG", source_number}, {"CG41_DATAREG", "15/01/2024"},
                       {"CG41_DATADOC", "14/01/2024"}, {"CG41_NUMDOC", "D" + source_number},
                       {"CG41_FLGDOCBIS", "0"},        {"CG41_SEZIONALE", "01"},
                       {"CG41_CODICE_CG33", "FV"},     {"CG41_DESCAUSALE", "Fattura vendita"},
                       {"CG41_IMPTOTALE", "122.00"},   {"CG41_INDTIPOMOV", "0"}};
    for (const auto& [name, text] : changes) {
        bool found = false;
        for (auto it = header.begin(); it != header.end(); ++it)
            if (it->first == name) {
                found = true;
                if (text == "<drop>")
                    header.erase(it);
                else
                    it->second = text;
                break;
            }
        if (!found && text != "<drop>") header.emplace_back(name, text);
    }
    return header;
}

inline Elements account_row(const std::string& number, const std::string& account, const std::string& debit,
                            const std::string& credit, const Elements& more = {}) {
    Elements row = {{"CG42_NUMRIGACONT", number},
                    {"CG42_CONTOPAR_CG24", account},
                    {"CG42_CODICE_CG33", "FV"},
                    {"CG42_IMPDARE", debit},
                    {"CG42_IMPAVERE", credit}};
    row.insert(row.end(), more.begin(), more.end());
    return row;
}

inline Elements vat_row(const std::string& number, const std::string& taxable, const std::string& tax,
                        const Elements& more = {}) {
    Elements row = {{"CG43_NUMRIGAIVA", number}, {"CG43_IMPONIBILE", taxable}, {"CG43_IMPOSTA", tax}};
    row.insert(row.end(), more.begin(), more.end());
    return row;
}

class JournalFixture : public verify_test::VerifyFixture {
  protected:
    static constexpr int kCompany = 1;  // the scripted host's current company

    JournalFixture() {
        // The first request is the one that takes registration numbers for the window's
        // life; every later one records a numbering update.
        host.components().numbering = [this]() -> std::shared_ptr<host::NumberingRequest> {
            if (!registration_made) {
                registration_made = true;
                return registration;
            }
            auto update = std::make_shared<scripted::Numbering>(host.calls);
            update->error_code = update_error_code;
            updates.push_back(update);
            return update;
        };
        registration->prefix = "G";
        registration->numbers = {1, 2, 3, 4, 5, 6, 7, 8, 9};
        set_structure({.sections = "0", .accounts = "0", .causals = "0", .vat_codes = "0"});
        exec("INSERT INTO CG33_TABCAU (CG33_CODICE, CG33_CAUSALEIVA) VALUES ('FV', '1')");
        exec("INSERT INTO CG33_TABCAU (CG33_CODICE, CG33_CAUSALEIVA) VALUES ('GC', NULL)");
        exec("INSERT INTO CG33_TABCAU (CG33_CODICE, CG33_CAUSALEIVA) VALUES ('NK', '12')");
    }

    // The window on a file holding `entries`, with an empty customer/supplier map.
    module::ImportWindow& open_entries(const std::vector<Entry>& entries, const std::string& header = "") {
        module::ImportWindow& window = open_with(entries_xml(entries), header);
        verify::CustomerSupplierCheck(window).CreaStrutturaRecorSetClientiFornitori();
        return window;
    }

    static void map_customer(module::ImportWindow& window, int type, int source, int group_code) {
        ado::Recordset& map = *window.import_state().customer_supplier_map;
        map.AddNew();
        map["TIPOCF"].SetValue(type);
        map["CLIFOR"].SetValue(group_code);
        map["CF_SORGENTE"].SetValue(source);
        map.Update();
    }

    // Runs the journal import; returns its error flag.
    bool import(module::ImportWindow& window) {
        object->SetUi(viewer);
        bool error = false;
        journal::JournalImport(window).ImportazioneMovimentiFileXML(error);
        return error;
    }

    // The lines of the last log shown (each "PROGR|TABELLA|LIVELLO|STATO|CHIAVE|ERRORE").
    Texts shown_log() const {
        Texts lines;
        if (viewer->texts.empty()) return lines;
        const std::string& text = viewer->texts.back();
        for (std::size_t pos = 0; pos < text.size();) {
            const std::size_t end = text.find('\r', pos);
            std::string line = text.substr(pos, end - pos);
            for (char& c : line)
                if (c == '\t') c = '|';
            lines.push_back(line);
            pos = end + 1;
        }
        return lines;
    }

    // Another member file of the same company holding `sections` (XML) and `entries`.
    std::filesystem::path entries_file(const std::string& name, const std::string& sections,
                                       const std::vector<Entry>& entries) {
        std::string xml = module_test::import_xml({});
        xml.replace(xml.find("<CG41_PRIMANOTA/>"), 17, sections + entries_xml(entries));
        return module_test::write_text(dir / name, xml);
    }

    bool in_transaction(module::ImportWindow& window) {
        return window.module_context().state().connection->InTransaction();
    }

    std::shared_ptr<scripted::Numbering> registration = std::make_shared<scripted::Numbering>(host.calls);
    bool registration_made = false;
    std::vector<std::shared_ptr<scripted::Numbering>> updates;
    ado::Variant update_error_code = 0;
    std::shared_ptr<scripted::ViewerUi> viewer = std::make_shared<scripted::ViewerUi>();
};

}  // namespace journal_test
