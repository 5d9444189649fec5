#pragma once
// The import window opened on a member file that holds master-data sections, over a
// database with the project's schema, ready for the verification's procedures: the file is
// accepted, the group structure read and the import log open.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "import_window_fixture.h"
#include "log/import_log.h"
#include "viewer_ui.h"

namespace verify_test {

// One row of the import log.
struct LogRow {
    long progr = 0;
    std::string table;
    long level = 0;
    long state = 0;
    std::string key;
    std::string message;
    std::string text() const {
        return table + "|" + std::to_string(level) + "|" + std::to_string(state) + "|" + key + "|" + message;
    }
};

// Elements of a Row, in order: name and text.
using Elements = std::vector<std::pair<std::string, std::string>>;

inline std::string elements_xml(const Elements& elements) {
    std::string xml;
    for (const auto& [name, text] : elements) xml += "<" + name + ">" + text + "</" + name + ">";
    return xml;
}

// Group structure indicators in the fixture's column order: sections, accounts, causals,
// VAT codes.
struct Indicators {
    std::string sections = "1", accounts = "1", causals = "1", vat_codes = "1";
    std::string list() const { return sections + ", " + accounts + ", " + causals + ", " + vat_codes; }
};

class VerifyFixture : public module_test::ImportWindowFixture {
  protected:
    // The structure row of the fixture's member for 2024 gets these indicators (and fixed
    // values, as SQL literals or NULL).
    void set_structure(const Indicators& ind, const std::string& fixed_section = "NULL",
                       const std::string& fixed_account = "NULL", const std::string& fixed_vat = "NULL") {
        exec("UPDATE CGG5_STRUTGR SET CGG5_INDDEFAULTSEZ = " + ind.sections +
             ", CGG5_INDDEFAULTCONTI = " + ind.accounts + ", CGG5_INDDEFAULTCAUCONT = " + ind.causals +
             ", CGG5_INDDEFAULTCODIVA = " + ind.vat_codes + ", CGG5_DEFAULTSEZ = " + fixed_section +
             ", CGG5_DEFAULTCONTI = " + fixed_account + ", CGG5_DEFAULTCODIVA = " + fixed_vat +
             " WHERE CGG5_ID = " + std::to_string(group_id_2024));
    }
    void add_transcoding(int kind, const std::string& external, const std::string& internal_literal) {
        exec(
            "INSERT INTO CGG6_TRASCODIFVAL (CGG6_ID_CGG5, CGG6_INDTRASC, CGG6_VALESTERNO, CGG6_VALINTERNO) "
            "VALUES (" +
            std::to_string(group_id_2024) + ", " + std::to_string(kind) + ", '" + external + "', " +
            internal_literal + ")");
    }

    // The host's ParametroProposta<n> setting (n from 1).
    void set_proposal_setting(int n, const ado::Variant& code) {
        std::static_pointer_cast<scripted::AccountingParameters>(host.global->accounting)->proposal[n - 1] =
            code;
    }

    // The member's file with `sections` (XML after InfoDitta) and `header` (elements added to
    // Impostazioni); the window opened on it and the log opened.
    module::ImportWindow& open_with(const std::string& sections, const std::string& header = "") {
        std::string xml = module_test::import_xml({});
        xml.replace(xml.find("<CG41_PRIMANOTA/>"), 17, sections);
        xml.replace(xml.find("</Impostazioni>"), 0, header);
        module::ImportWindow& window = open();
        const bool refused = choose(window, module_test::write_text(dir / "member.xml", xml));
        if (refused) throw std::runtime_error("the test's member file was refused");
        window.import_log().CreaTabellaLogTemporanea();
        return window;
    }

    // The rows of the open log, in order.
    static std::vector<LogRow> log_rows(module::ImportWindow& window) {
        std::vector<LogRow> rows;
        ado::RecordsetPtr rs = window.import_log().connection()->Execute(
            "SELECT PROGR, TABELLA, LIVELLO, STATO, CHIAVE, ERRORE FROM #VPOOLLOG ORDER BY PROGR");
        for (; !rs->EOF(); rs->MoveNext())
            rows.push_back(
                {rs->GetFields().Item(0).Value().to_long(), rs->GetFields().Item(1).Value().text_or_empty(),
                 rs->GetFields().Item(2).Value().to_long(), rs->GetFields().Item(3).Value().to_long(),
                 rs->GetFields().Item(4).Value().text_or_empty(),
                 rs->GetFields().Item(5).Value().text_or_empty()});
        return rows;
    }
    static std::vector<std::string> log_texts(module::ImportWindow& window) {
        std::vector<std::string> texts;
        for (const LogRow& row : log_rows(window)) texts.push_back(row.text());
        return texts;
    }

    // Every row of a query, its values joined by "|" (Null as "null", dates as ISO text).
    std::vector<std::string> rows(const std::string& sql) {
        std::vector<std::string> texts;
        for (ado::RecordsetPtr rs = db.Execute(sql); !rs->EOF(); rs->MoveNext()) {
            std::string text;
            for (int i = 0; i < rs->GetFields().Count(); ++i) {
                const ado::Variant v = rs->GetFields().Item(i).Value();
                text += (i > 0 ? "|" : "") + (v.is_null() ? std::string("null") : v.text_or_empty());
            }
            texts.push_back(text);
        }
        return texts;
    }
    // The first row of a query as rows() gives it; "<none>" when there is none.
    std::string row_text(const std::string& sql) {
        const std::vector<std::string> all = rows(sql);
        return all.empty() ? "<none>" : all.front();
    }
    // The first column of every row of a query.
    std::vector<std::string> column(const std::string& sql) {
        std::vector<std::string> texts;
        for (const std::string& row : rows(sql)) texts.push_back(row.substr(0, row.find('|')));
        return texts;
    }
    std::string text_of(const std::string& sql) {
        ado::RecordsetPtr rs = db.Execute(sql);
        return rs->EOF() ? "<none>" : rs->GetFields().Item(0).Value().text_or_empty();
    }
};

}  // namespace verify_test
