#include "import_command.h"

#include <unistd.h>

#include <exception>
#include <fstream>
#include <memory>
#include <ostream>
#include <utility>

#include "ado/connection.h"
#include "ado/error.h"
#include "exit_status.h"
#include "file_messages.h"
#include "importfile/import_state.h"
#include "log_keeper.h"
#include "module/import_window.h"
#include "module/module_object.h"
#include "modulebase/string_table.h"
#include "open_checks.h"
#include "refhost/database.h"
#include "refhost/reference_host.h"

namespace cli {

namespace {

// True when `output` is the database file or one SQLite or the store of numbers keeps
// beside it: writing a log or a trace there would destroy the books.
bool is_database_file(const std::filesystem::path& output, const std::filesystem::path& db) {
    namespace fs = std::filesystem;
    const auto where = [](const fs::path& p) {
        std::error_code ec;
        const fs::path resolved = fs::weakly_canonical(fs::absolute(p, ec), ec);
        return ec ? fs::path() : resolved;
    };
    const fs::path resolved = where(output);
    std::error_code ec;
    const bool exists = fs::exists(output, ec);
    for (const char* suffix :
         {"", "-wal", "-shm", "-journal", ".numbers", ".numbers-wal", ".numbers-shm", ".numbers-journal"}) {
        fs::path file = db;
        file += suffix;
        if (exists && fs::exists(file, ec) && fs::equivalent(output, file, ec)) return true;
        if (!resolved.empty() && resolved == where(file)) return true;
    }
    return false;
}

// Why an output the options name cannot be written; nullopt when it can.
std::optional<std::string> output_problem(const ImportOptions& options) {
    for (const auto& [option, output] :
         {std::pair{"--trace-sql", options.trace_sql}, std::pair{"--log-file", options.log_file}}) {
        if (output && is_database_file(*output, options.database))
            return std::string(option) + " names " + output->string() + ", which belongs to the database " +
                   options.database.string() + ": give another file";
    }
    if (options.trace_sql) {
        std::ofstream trace(*options.trace_sql, std::ios::app);
        if (!trace) return "cannot write the statement trace to " + options.trace_sql->string();
    }
    if (options.log_file) {
        const std::filesystem::path& file = *options.log_file;
        std::error_code ec;
        const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : ".";
        if (std::filesystem::is_directory(file, ec) || !std::filesystem::is_directory(folder, ec) ||
            ::access(folder.c_str(), W_OK) != 0)
            return "cannot write the log to " + file.string();
    }
    return std::nullopt;
}

// Closes the import window whatever way the import ends.
class OpenWindow {
  public:
    explicit OpenWindow(module::ModuleObject& object) : object_(object) { object_.ShowForm(); }
    ~OpenWindow() { object_.CloseForm(); }
    OpenWindow(const OpenWindow&) = delete;
    OpenWindow& operator=(const OpenWindow&) = delete;
    module::ImportWindow* window() { return dynamic_cast<module::ImportWindow*>(object_.CurrentWindow()); }

  private:
    module::ModuleObject& object_;
};

FileSummary summarise(module::ImportWindow& w) {
    FileSummary s;
    s.exported_by = w.TXT_AZIEXP.text;
    s.exported_at = w.TXT_DATAEXP.text;
    s.export_user = w.TXT_UTEXP.text;
    s.member_code = w.TXT_CODANAEXP.text;
    s.member_name = w.TXT_RAGSOCEXP.text;
    s.fiscal_code = w.TXT_CFISCEXP.text;
    s.vat_number = w.TXT_PIVAEXP.text;
    s.from_date = w.TXT_DADATA.text;
    s.to_date = w.TXT_ADATA.text;
    s.group_registry_code = w.TXT_CODANAIMP.text;
    s.sections = w.CHK_TABSEZ.value == 1;
    s.accounts = w.CHK_TABPDC.value == 1;
    s.causals = w.CHK_TABCAU.value == 1;
    s.vat_codes = w.CHK_TABCODIVA.value == 1;
    const importfile::ImportDocument* document = w.import_state().document.get();
    for (const auto& section : kSections)
        s.counts.push_back(document ? document->row_count(section.section) : 0);
    return s;
}

class Import {
  public:
    Import(const ImportOptions& options, Console& console) : options_(options), console_(console) {
        report_.file = options.file;
        report_.path = looked_up_path(options.file);
    }

    ImportReport run() {
        if (path_has_quote(options_.file)) return fail(kExitFileRefused, kQuoteRefusal);
        if (auto problem = output_problem(options_)) return fail(kExitUsage, *problem);
        if (auto problem = database_problem(options_.database)) return fail(kExitDatabase, *problem);
        front_end_ = std::make_shared<TerminalFrontEnd>(
            console_, FrontEndOptions{options_.yes, options_.on_error, options_.json, options_.log_file});
        std::unique_ptr<refhost::ReferenceHost> host;
        try {
            host = std::make_unique<refhost::ReferenceHost>(
                refhost::HostOptions{options_.database, options_.company, options_.user,
                                     options_.busy_timeout_ms},
                std::make_shared<FileNamingUi>(front_end_, file_line(report_.path)),
                options_.trace_sql.value_or(std::filesystem::path()));
        } catch (const refhost::HostError& e) {
            return fail(kExitUsage, e.what());
        } catch (const ado::Error& e) {
            return fail(kExitDatabase,
                        "cannot open the database " + options_.database.string() + ": " + e.description());
        }
        module::ModuleObject object(module::ModuleObject::default_options());
        object.SetClsGlobal(host->global_services());
        object.SetActiveNavigator(host->navigator());
        object.SetUi(front_end_);
        keeper_ = std::make_unique<LogKeeper>(options_.database, object);
        drive(object);
        if (!keeper_->problem().empty()) console_.err << "ledgerintake: " << keeper_->problem() << '\n';
        keeper_.reset();
        collect();
        return report_;
    }

  private:
    ImportReport fail(int status, std::string detail) {
        report_.status = status;
        report_.detail = std::move(detail);
        console_.err << "ledgerintake: " << report_.detail << '\n';
        collect();
        return report_;
    }

    void collect() {
        if (!front_end_) return;
        report_.messages = front_end_->messages();
        report_.errors = front_end_->errors();
        report_.log = front_end_->log_rows();
    }

    void note_message(const module::ImportOutcome& outcome) {
        if (outcome.message_id == 0) return;
        report_.message_id = outcome.message_id;
        report_.message_text = outcome.message_text;
    }

    bool errors_shown() const { return !front_end_->errors().empty(); }
    std::string last_error() const {
        if (!errors_shown()) return {};
        const ShownError& e = front_end_->errors().back();
        return " in " + e.procedure + ": " + e.description;
    }
    // A refusal that came after errors of the check were answered ignore may follow from
    // them rather than from what its message says (a last movement date that is no date
    // leaves no year to find the member's group structure in: message 106): say so.
    void note_ignored_errors(std::size_t errors_before) {
        const std::vector<ShownError>& errors = front_end_->errors();
        if (errors.size() <= errors_before) return;
        const ShownError& first = errors[errors_before];
        const std::size_t more = errors.size() - errors_before - 1;
        report_.detail =
            "message " + std::to_string(report_.message_id) +
            " may follow from an error ignored during the check of the file: " + first.procedure + ": " +
            first.description + " [" + std::to_string(first.number) + "]" +
            (more > 0 ? " (and " + std::to_string(more) + " more)" : "");
    }

    void drive(module::ModuleObject& object) {
        OpenWindow open(object);
        module::ImportWindow* window = open.window();
        if (window == nullptr || !window->IsLoaded()) {
            fail(kExitInternal, "the import window did not open");
            return;
        }
        if (!object.Connection() || object.Connection()->State() != ado::adStateOpen) {
            fail(kExitDatabase,
                 "the import window could not open the database " + options_.database.string());
            return;
        }
        if (window->statements_portfolio()) {
            note_message(window->last_outcome());
            report_.status = kExitCompanyRefused;
            return;
        }
        if (validate(*window)) press_import(*window);
    }

    // Names the file and lets the window check it; true when the window accepted it.
    bool validate(module::ImportWindow& window) {
        const std::size_t errors_before = front_end_->errors().size();
        window.TXT_NOMEFILE.text = options_.file;
        window.TXT_NOMEFILE_Validate();
        const module::ImportOutcome outcome = window.last_outcome();
        note_message(outcome);
        if (outcome.file_accepted) {
            report_.file_accepted = true;
            report_.summary = summarise(window);
            if (!options_.json) print_summary(report_, console_.out);
            return true;
        }
        if (const auto status = status_for_message(outcome.message_id)) {
            report_.status = *status;
            if (outcome.message_id == module::kMsgForceReimport)
                report_.detail = "not imported again: answer yes (--yes) to import the file a second time";
            else
                note_ignored_errors(errors_before);
        } else if (outcome.errors_reported > 0 || errors_shown()) {
            fail(kExitInternal, "the check of the file " +
                                    (report_.path.empty() ? options_.file : report_.path) +
                                    " stopped on an error" + last_error());
        } else if (!window.TXT_NOMEFILE.usable()) {
            // The window leaves an unusable path without a word; say what message 100 says.
            report_.status = kExitFileRefused;
            report_.message_id = module::kMsgFileNotValid;
            report_.message_text =
                std::string(module::StringTableEntry(module::kMsgFileNotValid).value_or(""));
            if (!options_.json)
                console_.out << report_.message_text << '\n' << file_line(report_.path) << '\n';
        } else {
            fail(kExitInternal, "the window neither accepted nor refused the file");
        }
        if (!report_.detail.empty() && report_.status != kExitInternal && !options_.json)
            console_.out << report_.detail << '\n';
        return false;
    }

    void press_import(module::ImportWindow& window) {
        if (!window.CMD_IMPORTA.enabled) {
            fail(kExitInternal, "the window accepted the file but did not enable the import");
            return;
        }
        window.CMD_IMPORTA_ButtonClick();
        report_.import_run = true;
        const module::ImportOutcome outcome = window.last_outcome();
        // A header under which no entry was taken over is deleted again at the end.
        if (outcome.import_id > 0 && keeper_->header_exists(outcome.import_id)) {
            report_.import_id = outcome.import_id;
            if (!options_.json)
                console_.out << "Import " << report_.import_id << ": ledgerintake log " << report_.import_id
                             << " shows its log.\n";
        }
        note_message(outcome);
        if (const auto status = status_for_message(outcome.message_id)) {
            report_.status = *status;
        } else {
            fail(kExitInternal, errors_shown() ? "the import stopped on an error" + last_error()
                                               : "the import ended without a result");
        }
    }

    const ImportOptions& options_;
    Console& console_;
    std::unique_ptr<LogKeeper> keeper_;
    ImportReport report_;
    std::shared_ptr<TerminalFrontEnd> front_end_;
};

}  // namespace

// The exit status each message of the window ends an import with.
constexpr std::pair<std::int32_t, int> kStatusOfMessage[] = {
    {module::kMsgImportDone, kExitImported},          {module::kMsgImportErrors, kExitImportErrors},
    {module::kMsgTranscodingMissing, kExitStopped},   {module::kMsgActivityParameters, kExitStopped},
    {module::kMsgRebuildError, kExitRebuildFailed},   {module::kMsgStatementsPortfolio, kExitCompanyRefused},
    {module::kMsgFileNotValid, kExitFileRefused},     {module::kMsgXmlReadError, kExitFileRefused},
    {module::kMsgFileNotPertinent, kExitFileRefused}, {module::kMsgCompanyNotInGroup, kExitFileRefused},
    {module::kMsgForceReimport, kExitFileRefused},    {module::kMsgFileNotFound, kExitFileNotFound},
};

std::optional<int> status_for_message(std::int32_t message_id) {
    for (const auto& [message, status] : kStatusOfMessage)
        if (message == message_id) return status;
    return std::nullopt;
}

ImportReport import_file(const ImportOptions& options, Console& console) {
    return Import(options, console).run();
}

int run_import(const ImportOptions& options, Console& console) {
    ImportReport report;
    report.file = options.file;
    try {
        report = import_file(options, console);
    } catch (const std::exception& e) {
        report.status = kExitInternal;
        report.detail = std::string("internal error: ") + e.what();
        console.err << "ledgerintake: " << report.detail << '\n';
    }
    if (options.json) console.out << report_json(report) << '\n';
    return report.status;
}

}  // namespace cli
