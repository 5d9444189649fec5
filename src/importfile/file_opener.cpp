#include "importfile/file_opener.h"

#include <memory>
#include <optional>

#include "ado/connection.h"
#include "host/objects.h"
#include "importfile/file_paths.h"
#include "importfile/file_value.h"
#include "importfile/group_structure.h"
#include "importfile/window_context.h"
#include "modulebase/error_trap.h"
#include "modulebase/host_access.h"
#include "modulebase/module_context.h"
#include "modulebase/routines.h"
#include "modulebase/scoped_recordset.h"

namespace importfile {

namespace {

using module::Message;

// A date of the file's header in one of the host's display formats.
std::string display_date(const std::string& text, const std::string& format) {
    const std::optional<ado::DateTime> date = ado::DateTime::parse(text);
    if (!date) throw ado::Error(ado::kErrTypeMismatch, "Type mismatch: '" + text + "' is not a date");
    return date->format(format);
}

// A check box value from the file's text ("0" or "1"; the box also knows 2, greyed).
int check_value(const std::string& text) {
    const std::int16_t value = ado::Variant(text).to_integer();
    if (value < 0 || value > 2) throw ado::Error(ado::kErrArgument, "Invalid property value: " + text);
    return value;
}

// A default indicator of the group structure's current row, 0 when Null.
std::int16_t indicator(ado::Recordset& group_structure, const char* column) {
    return module::ValoreDefault(group_structure[column].Value(), 0).to_integer();
}

// The names of the files imported for a company.
ado::SqlText imported_names_statement(std::int32_t company_code) {
    ado::SqlText sql;
    sql.line(" SELECT IE42_NOMEFILE")
        .line(" FROM IE42_IMPCOGE WITH (NOLOCK)")
        .line(" WHERE IE42_DITTA_CG18 = ")
        .number(company_code)
        .line(" ORDER BY IE42_NOMEFILE");
    return sql.without_final_crlf();
}

// The last import of this module for a company.
ado::SqlText last_import_statement(std::int32_t company_code) {
    ado::SqlText sql;
    sql.line(" SELECT TOP 1 IE42_NOMEFILE")
        .line(" FROM IE42_IMPCOGE WITH (NOLOCK)")
        .line(" WHERE IE42_DITTA_CG18 = ")
        .number(company_code)
        .line("     AND IE42_INDPROVIMP = 1")
        .line(" ORDER BY IE42_ID DESC");
    return sql.without_final_crlf();
}

}  // namespace

void FileOpener::ApreFileDaImportare(bool& cancel) noexcept {
    module::ImportWindowControls& c = window_.controls();
    module::ErrorTrap trap(window_.error_reporter(), "ApreFileDaImportare");
    trap.on_error_set(cancel, true);
    // The previous file's import must not stay available once its frames are emptied.
    trap.on_error_set(c.CMD_IMPORTA.enabled, false);
    window_.import_state().file_accepted = false;
    if (!trap.run([&] { window_.PuliziaComponenti(); })) return;
    trap.run([&] {
        if (c.TXT_NOMEFILE.usable())
            ApreFileXML(cancel);
        else
            c.CMD_IMPORTA.enabled = false;
    });
}

void FileOpener::ApreFileXML(bool& cancel) noexcept {
    module::ImportWindowControls& c = window_.controls();
    ImportState& state = window_.import_state();
    module::ErrorTrap trap(window_.error_reporter(), "ApreFileXML");
    trap.on_error_set(cancel, true);
    // A file whose opening failed must not leave the previous file's import available.
    trap.on_error_set(c.CMD_IMPORTA.enabled, false);
    state.file_accepted = false;

    // 1. The path names a file.
    bool usable = false;
    if (!trap.run([&] { usable = c.TXT_NOMEFILE.usable(); })) return;
    if (!usable) {
        window_.ShowMessage(Message{.kind = module::kKindPlain, .code = module::kMsgFileNotValid});
        ImpostaSuggerimentoUltimoFolder();
        reject(cancel);
        return;
    }
    // 2. A file of that name imported before: ask before importing it again.
    bool imported = false;
    if (!trap.run([&] { imported = IsFileGiaImportato(c.TXT_NOMEFILE.text); })) return;
    if (imported) {
        Message question{.kind = module::kKindQuestion, .code = module::kMsgForceReimport};
        question.default_button = module::kSecondButtonDefault;
        if (window_.ShowMessage(question) == 0) {
            ImpostaSuggerimentoUltimoFolder();
            reject(cancel);
            return;
        }
    }
    // 3. The file is there.
    module::PathBox::File file;
    if (!trap.run([&] { file = c.TXT_NOMEFILE.file(); })) return;
    if (!file.exists) {
        window_.ShowMessage(Message{.kind = module::kKindPlain, .code = module::kMsgFileNotFound});
        reject(cancel);
        return;
    }
    // 4. It is well-formed XML.
    LoadError load_error;
    if (!trap.run([&] { state.document = ImportDocument::load(file.full_path, load_error); })) return;
    if (!state.document) {
        Message message{.kind = module::kKindPlain, .code = module::kMsgXmlReadError};
        message.p1 = std::string(module::kLineBreak);
        message.p2 = load_error.reason;
        window_.ShowMessage(message);
        reject(cancel);
        return;
    }
    // 5. It is an import file of the version this module reads.
    std::string version;
    module::suppress([&] { version = state.document->settings().text_or_empty("IE40_VERSIONE_FILE"); });
    if (version != kFormatVersion) {
        window_.ShowMessage(Message{.kind = module::kKindPlain, .code = module::kMsgFileNotPertinent});
        reject(cancel);
        return;
    }
    // 6. Its header and exporting company.
    const std::vector<FileValue> unshown = show_header();
    // 7. The import year. A last movement date the header could not show left TXT_ADATA
    // empty: the error then names the file's element and text, not the empty box.
    if (!trap.run([&] {
            state.import_year = converting(unshown, "IE40_ADATA",
                                           [&] { return ado::Variant(c.TXT_ADATA.text).to_date().year(); });
        }))
        return;
    // 8. The exporting company is a member of the VAT group for that year.
    bool found = false;
    if (!trap.run([&] {
            found = GroupStructure(window_).GeneraRecordSetStrutturaAnno(
                ado::Variant(c.TXT_ADATA.text), std::string(trim_blanks(c.TXT_CFISCEXP.text)));
        }))
        return;
    if (!found) {
        window_.ShowMessage(Message{.kind = module::kKindPlain, .code = module::kMsgCompanyNotInGroup});
        reject(cancel);
        return;
    }
    // 9. Accepted: the member company, the master tables to transcode, the command.
    show_group_structure(trap);
}

std::vector<FileValue> FileOpener::show_header() noexcept {
    module::ImportWindowControls& c = window_.controls();
    const ImportDocument& document = *window_.import_state().document;
    const Node settings = document.settings();
    const Node company = document.company();
    const host::UtilityObject* utility = window_.utility();
    std::vector<FileValue> unshown;
    // Each field is a statement of its own whose failure leaves the control as it was.
    const auto date_field = [&](module::TextBox& box, const char* element, bool with_time) {
        module::suppress([&] {
            const std::optional<std::string> value = settings.text(element);
            if (!value || !ado::DateTime::parse(*value)) unshown.push_back({element, value});
            const std::string text = value.value();
            const host::UtilityObject& formats = module::need(utility, "the utility object");
            box.text = display_date(text, with_time ? formats.DateTimeFormat() : formats.DateFormat());
        });
    };
    const auto text_field = [](module::TextBox& box, const Node& node, const char* element) {
        module::suppress([&] { box.text = node.text(element).value(); });
    };
    const auto check_field = [&](module::CheckBox& box, const char* element) {
        module::suppress([&] { box.value = check_value(settings.text(element).value()); });
    };
    date_field(c.TXT_DADATA, "IE40_DADATA", false);
    date_field(c.TXT_ADATA, "IE40_ADATA", false);
    check_field(c.CHK_ESTRATTI, "IE40_FLGESTRATTI");
    check_field(c.CHK_CLIFOR, "IE40_FLGCLIFOR");
    c.CHK_GESTCODID.value = 0;
    date_field(c.TXT_DATAEXP, "IE40_DATAORA", true);
    text_field(c.TXT_UTEXP, settings, "IE40_UTENTE");
    text_field(c.TXT_AZIEXP, settings, "IE40_DITTA_CG18");
    text_field(c.TXT_CODANAEXP, company, "CG16_CODICE");
    text_field(c.TXT_RAGSOCEXP, company, "CG16_RAGSOANAG");
    text_field(c.TXT_INDEXP, company, "CG16_INDIRIZZO");
    text_field(c.TXT_CAPEXP, company, "CG16_CAP");
    text_field(c.TXT_CITTAEXP, company, "CG16_CITTA");
    text_field(c.TXT_PROVEXP, company, "CG16_PROV");
    text_field(c.TXT_CFISCEXP, company, "CG16_CODFISCALE");
    text_field(c.TXT_PIVAEXP, company, "CG16_PARTIVA");
    return unshown;
}

void FileOpener::show_group_structure(module::ErrorTrap& trap) {
    module::ImportWindowControls& c = window_.controls();
    ImportState& state = window_.import_state();
    if (!trap.run([&] { c.TXT_CODANAIMP.text = std::to_string(state.member_registry_code); })) return;
    struct Check {
        module::CheckBox& box;
        const char* indicator;
        std::int16_t first;
        std::int16_t second;  // a second indicator value that also checks the box
    };
    const Check checks[] = {{c.CHK_TABSEZ, "CGG5_INDDEFAULTSEZ", 1, 1},
                            {c.CHK_TABPDC, "CGG5_INDDEFAULTCONTI", 1, 3},
                            {c.CHK_TABCAU, "CGG5_INDDEFAULTCAUCONT", 1, 1},
                            {c.CHK_TABCODIVA, "CGG5_INDDEFAULTCODIVA", 1, 1}};
    for (const Check& check : checks) {
        if (!trap.run([&] {
                check.box.value = 0;
                const std::int16_t value =
                    indicator(module::need(state.group_structure, "group structure"), check.indicator);
                if (value == check.first || value == check.second) check.box.value = 1;
            }))
            return;
    }
    if (!trap.run([&] { c.CMD_IMPORTA.enabled = !state.statements_portfolio; })) return;
    state.file_accepted = true;
}

void FileOpener::reject(bool& cancel) noexcept {
    module::ImportWindowControls& c = window_.controls();
    ImportState& state = window_.import_state();
    cancel = true;
    window_.PuliziaComponenti();
    state.document.reset();
    state.file_accepted = false;
    c.CMD_IMPORTA.enabled = false;
    module::suppress([&] { c.TXT_NOMEFILE.Refresh(); });
}

bool FileOpener::IsFileGiaImportato(const std::string& path_text) noexcept {
    bool imported = false;
    if (path_text.empty()) return false;
    module::ModuleContext& context = window_.module_context();
    module::ErrorTrap trap(window_.error_reporter(), "IsFileGiaImportato");
    std::string name;
    if (!trap.run([&] { name = std::string(trim_blanks(after_last_separator(trim_blanks(path_text)))); }))
        return imported;
    module::ScopedRecordset names;
    if (!trap.run([&] {
            names = module::need(context.state().connection, "module connection")
                        .Execute(imported_names_statement(context.state().company.company_code));
        }))
        return imported;
    trap.run([&] {
        if (!names || names->State() != ado::adStateOpen) return;
        for (; !names->EOF(); names->MoveNext()) {
            if (stored_file_name(module::TrimStringa((*names)["IE42_NOMEFILE"].Value())) == name) {
                imported = true;
                return;
            }
        }
    });
    return imported;
}

void FileOpener::ImpostaSuggerimentoUltimoFolder() noexcept {
    module::ModuleContext& context = window_.module_context();
    module::ImportWindowControls& c = window_.controls();
    module::ErrorTrap trap(window_.error_reporter(), "ImpostaSuggerimentoUltimoFolder");
    if (!trap.run([&] { window_.PuliziaComponenti(); })) return;
    if (!trap.run([&] { c.CMD_IMPORTA.enabled = false; })) return;
    module::ScopedRecordset last;
    if (!trap.run([&] {
            last = module::need(context.state().connection, "module connection")
                       .Execute(last_import_statement(context.state().company.company_code));
        }))
        return;
    if (!trap.run([&] {
            if (last && last->State() == ado::adStateOpen && !last->EOF())
                c.TXT_NOMEFILE.text =
                    folder_suggestion(module::TrimStringa((*last)["IE42_NOMEFILE"].Value()));
        }))
        return;
    trap.run([&] { c.TXT_NOMEFILE.Refresh(); });
}

}  // namespace importfile
