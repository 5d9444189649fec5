#pragma once
// The import window opened by a module object on a scripted host, over a database with the
// full schema in a temporary folder, with the VAT group's structure of one member company
// and a writer of the member's import files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "ado/connection.h"
#include "module/import_window.h"
#include "module_fixture.h"
#include "refhost/database.h"
#include "refhost/schema_scripts.h"

namespace module_test {

// The parts of a member's import file; each can be changed or left out.
struct FileParts {
    std::string root = "MovimentiCoGe";
    std::optional<std::string> version = "1.0";
    std::optional<std::string> from_date = "01/01/2024";
    std::optional<std::string> to_date = "31/12/2024";
    std::optional<std::string> exported_at = "15/01/2025 10:30:00";
    std::optional<std::string> fiscal_code = "MBRFSC80A01H501U";
    std::string statements_flag = "1";
    std::string clifor_flag = "0";
};

inline std::string element(const std::string& name, const std::optional<std::string>& text) {
    return text ? "<" + name + ">" + *text + "</" + name + ">" : std::string();
}

inline std::string import_xml(const FileParts& f) {
    std::ostringstream x;
    x << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<" << f.root << ">\n<Impostazioni>"
      << element("IE40_VERSIONE_FILE", f.version) << element("IE40_DITTA_CG18", "7")
      << element("IE40_UTENTE", "mario") << element("IE40_DATAORA", f.exported_at)
      << element("IE40_DADATA", f.from_date) << element("IE40_ADATA", f.to_date)
      << element("IE40_FLGESTRATTI", f.statements_flag) << element("IE40_FLGCLIFOR", f.clifor_flag)
      << "</Impostazioni>\n<InfoDitta>" << element("CG16_CODICE", "501")
      << element("CG16_RAGSOANAG", "Membro Uno S.r.l.") << element("CG16_INDIRIZZO", "Via Roma 1")
      << element("CG16_CAP", "00100") << element("CG16_CITTA", "Roma") << element("CG16_PROV", "RM")
      << element("CG16_CODFISCALE", f.fiscal_code) << element("CG16_PARTIVA", "01234567890")
      << "</InfoDitta>\n<CG41_PRIMANOTA/>\n</" << f.root << ">\n";
    return x.str();
}

inline std::filesystem::path write_text(const std::filesystem::path& path, const std::string& content) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

class ImportWindowFixture : public ModuleFixture {
  protected:
    static constexpr const char* kMemberFiscalCode = "MBRFSC80A01H501U";
    static constexpr int kMemberRegistryCode = 900;
    using Texts = std::vector<std::string>;

    // The member company's registry record and its place in company 1's VAT group for 2024.
    ImportWindowFixture() {
        refhost::init_database(dir / "books.db");
        db.Open(host.global->database->connection_string);
        exec(
            "INSERT INTO CG16_ANAGGEN (CG16_CODICE, CG16_RAGSOANAG, CG16_CODFISCALE) VALUES (900, "
            "'Membro Uno', 'MBRFSC80A01H501U')");
        group_id_2024 = add_group_structure(1, 2024, kMemberRegistryCode);
    }

    // Opens the import window as the host does (load and first activation).
    module::ImportWindow& open() {
        make([](module::ModuleContext& context) {
            return std::make_unique<module::ImportWindow>(context);
        }).ShowForm();
        auto* window = dynamic_cast<module::ImportWindow*>(object->CurrentWindow());
        if (window == nullptr) throw std::runtime_error("the module did not open the import window");
        return *window;
    }

    void exec(const std::string& sql) { db.Execute(sql); }
    long scalar(const std::string& sql) { return db.Execute(sql)->GetFields().Item(0).Value().to_long(); }

    // Rows of every table of the schema, to tell that nothing was written.
    std::vector<long> table_counts() {
        std::vector<long> counts;
        for (const auto& script : refhost::schema_scripts())
            for (const std::string& statement : refhost::split_batches(script.text))
                if (auto name = refhost::created_object(statement);
                    name && statement.find("CREATE TABLE") != std::string::npos)
                    counts.push_back(scalar("SELECT COUNT(*) FROM " + *name));
        return counts;
    }

    int add_group_structure(int company, int year, int registry_code,
                            const std::string& indicators = "1, 1, 1, 1") {
        exec(
            "INSERT INTO CGG5_STRUTGR (CGG5_DITTA_CG18, CGG5_ANNO, CGG5_CODICEAN_CG16, CGG5_INDDEFAULTSEZ, "
            "CGG5_INDDEFAULTCONTI, CGG5_INDDEFAULTCAUCONT, CGG5_INDDEFAULTCODIVA) VALUES (" +
            std::to_string(company) + ", " + std::to_string(year) + ", " + std::to_string(registry_code) +
            ", " + indicators + ")");
        return static_cast<int>(scalar("SELECT MAX(CGG5_ID) FROM CGG5_STRUTGR"));
    }

    void add_history(int company, const std::string& stored_name, int kind = 1) {
        exec(
            "INSERT INTO IE42_IMPCOGE (IE42_DITTA_CG18, IE42_DATAORA, IE42_NOMEFILE, IE42_INDPROVIMP) VALUES "
            "(" +
            std::to_string(company) + ", '20250110', '" + stored_name + "', " + std::to_string(kind) + ")");
    }

    // The member's import file, as the fixture's member company exports it unless changed.
    std::filesystem::path member_file(const FileParts& parts = {}, const std::string& name = "member.xml") {
        return write_text(dir / name, import_xml(parts));
    }

    // Names the file in the path box and confirms it; returns the cancel flag.
    bool choose(module::ImportWindow& window, const std::filesystem::path& path) {
        window.TXT_NOMEFILE.text = path.string();
        return window.TXT_NOMEFILE_Validate();
    }

    // Every message shown since `mark`: "code,kind,text".
    Texts messages_since(std::size_t mark) const {
        Texts shown;
        for (const std::string& call : host.calls->since(mark))
            if (call.rfind("Log.ShowMessage(", 0) == 0) shown.push_back(call.substr(16, call.size() - 17));
        return shown;
    }

    // The error log object of the window open now (each window load creates its own).
    scripted::Log& window_log() {
        auto* current = dynamic_cast<scripted::Log*>(object->context().state().log.get());
        if (current == nullptr) throw std::runtime_error("no window is loaded");
        return *current;
    }

    // The procedures whose errors the open window showed through the error routine.
    Texts errors_shown() { return window_log().procedures_shown(); }

    ado::Connection db;
    int group_id_2024 = 0;
};

}  // namespace module_test
