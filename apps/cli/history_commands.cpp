#include "history_commands.h"

#include <memory>
#include <ostream>
#include <vector>

#include "ado/connection.h"
#include "ado/error.h"
#include "exit_status.h"
#include "history/history_window.h"
#include "log/log_states.h"
#include "module/import_window.h"
#include "module/module_object.h"
#include "open_checks.h"
#include "refhost/database.h"
#include "refhost/kept_log.h"
#include "refhost/reference_host.h"
#include "terminal_front_end.h"
#include "text_output.h"

namespace cli {

namespace {

// Columns padded to their widest cell (up to kMaxPadding characters: a longer cell pushes
// the rest of its line), two blanks apart.
constexpr std::size_t kMaxPadding = 60;

void print_table(const std::vector<std::vector<std::string>>& rows, std::ostream& out) {
    std::vector<std::size_t> widths;
    for (const auto& row : rows)
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (widths.size() <= c) widths.push_back(0);
            widths[c] = std::max(widths[c], std::min(kMaxPadding, ado::utf8_length(row[c])));
        }
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c) {
            line += row[c];
            const std::size_t length = ado::utf8_length(row[c]);
            if (c + 1 < row.size()) line.append(length < widths[c] ? widths[c] - length + 2 : 2, ' ');
        }
        out << ado::rtrim(line) << '\n';
    }
}

int database_refused(const std::string& problem, Console& console) {
    console.err << "ledgerintake: " << problem << '\n';
    return kExitDatabase;
}

// The history grid as the window shows it, plus the hidden import id that `log` takes.
struct HistoryTable {
    std::vector<std::string> fields, captions;
    std::vector<bool> check_boxes;  // shown as "x" or "-"; true or false in JSON
    std::vector<std::vector<std::string>> rows;
};

HistoryTable read_history(const module::Grid& grid) {
    HistoryTable table;
    std::vector<std::size_t> columns;
    for (std::size_t c = 0; c < grid.columns.size(); ++c)
        if (grid.columns[c].shown || grid.columns[c].field == "IE42_ID") columns.push_back(c);
    for (std::size_t c : columns) {
        table.fields.push_back(grid.columns[c].field);
        table.captions.push_back(grid.columns[c].caption);
        table.check_boxes.push_back(grid.columns[c].kind == module::GridColumn::Kind::CheckBox);
    }
    for (long r = 0; r < grid.RowCount(); ++r) {
        std::vector<std::string> cells;
        for (std::size_t c : columns) {
            const module::GridColumn& column = grid.columns[c];
            if (column.kind == module::GridColumn::Kind::CheckBox)
                cells.emplace_back(grid.Checked(r, c) ? "x" : "-");
            else
                cells.push_back(grid.CellText(r, c));
        }
        table.rows.push_back(std::move(cells));
    }
    return table;
}

void print_history_json(const HistoryTable& table, std::ostream& out) {
    JsonWriter json;
    json.begin_object().key("imports").begin_array();
    for (const auto& row : table.rows) {
        json.begin_object();
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (table.check_boxes[c])
                json.field(table.fields[c], row[c] == "x");
            else if (table.fields[c] == "IE42_ID" && !row[c].empty())
                json.field(table.fields[c], static_cast<std::int64_t>(std::stoll(row[c])));
            else
                json.field(table.fields[c], row[c]);
        }
        json.end_object();
    }
    json.end_array().end_object();
    out << json.text() << '\n';
}

}  // namespace

int run_history(const HistoryOptions& options, Console& console) {
    if (auto problem = database_problem(options.database)) return database_refused(*problem, console);
    auto front_end = std::make_shared<TerminalFrontEnd>(
        console, FrontEndOptions{false, OnError::Abort, options.json, std::nullopt});
    bool shown = false;
    HistoryTable table;
    front_end->on_history = [&](const module::Grid& grid) {
        shown = true;
        table = read_history(grid);
    };
    std::unique_ptr<refhost::ReferenceHost> host;
    try {
        host = std::make_unique<refhost::ReferenceHost>(
            refhost::HostOptions{options.database, options.company, options.user}, front_end);
    } catch (const refhost::HostError& e) {
        console.err << "ledgerintake: " << e.what() << '\n';
        return kExitUsage;
    } catch (const ado::Error& e) {
        return database_refused(
            "cannot open the database " + options.database.string() + ": " + e.description(), console);
    }
    module::ModuleObject object(module::ModuleObject::default_options());
    object.SetClsGlobal(host->global_services());
    object.SetActiveNavigator(host->navigator());
    object.SetUi(front_end);
    object.ShowForm();
    if (auto* window = dynamic_cast<module::ImportWindow*>(object.CurrentWindow());
        window && window->IsLoaded())
        window->CMD_STORICO_ButtonClick();
    object.CloseForm();
    if (!shown || !front_end->errors().empty()) {
        console.err << "ledgerintake: the history could not be read\n";
        return kExitInternal;
    }
    if (options.json) {
        print_history_json(table, console.out);
    } else if (table.rows.empty()) {
        console.out << "No imports into company " << options.company << ".\n";
    } else {
        std::vector<std::vector<std::string>> lines{table.captions};
        lines.insert(lines.end(), table.rows.begin(), table.rows.end());
        print_table(lines, console.out);
    }
    return kExitOk;
}

namespace {

// The log window's filters by name.
std::optional<std::string> log_filter(const std::string& name) {
    if (name == "all") return std::string();
    if (name == "errors") return importlog::error_state_filter();
    if (name == "created") return "STATO = " + std::to_string(importlog::kInserted);
    if (name == "checked") return "STATO = " + std::to_string(importlog::kExisting);
    return std::nullopt;
}

// In the log window's column order.
const char* const kLogFields[] = {"PROGR", "LIVELLO", "TABELLA", "STATO", "CHIAVE", "ERRORE"};

}  // namespace

int run_log(const LogOptions& options, Console& console) {
    const std::optional<std::string> filter = log_filter(options.filter);
    if (!filter) {
        console.err << "ledgerintake: --filter " << options.filter
                    << ": use all, errors, created or checked\n";
        return kExitUsage;
    }
    const refhost::DatabaseState state = refhost::check_database(options.database);
    if (state != refhost::DatabaseState::Ready)
        return database_refused(
            "cannot read the database " + options.database.string() +
                (state == refhost::DatabaseState::NoSchema ? ": run ledgerintake db init on it first"
                                                           : ": missing or not a readable database"),
            console);
    ado::Connection connection(refhost::connection_string(options.database));
    ado::RecordsetPtr rows;
    long all_rows = 0;
    try {
        connection.Open();
        rows = refhost::KeptLog::Read(connection, options.import_id);
        all_rows = rows->RecordCount();
        rows->SetFilter(*filter);
    } catch (const ado::Error& e) {
        return database_refused("cannot read the kept log: " + e.description(), console);
    }
    if (all_rows == 0) {
        console.err << "ledgerintake: no log is kept for import " << options.import_id
                    << " (ledgerintake history lists the imports)\n";
        return kExitFileNotFound;
    }
    std::vector<std::vector<std::string>> lines;
    for (; !rows->EOF(); rows->MoveNext()) {
        std::vector<std::string> cells;
        for (const char* field : kLogFields)
            cells.push_back(rows->GetFields().Item(field).Value().text_or_empty());
        lines.push_back(std::move(cells));
    }
    if (options.json) {
        JsonWriter json;
        json.begin_object().field("import_id", static_cast<std::int64_t>(options.import_id));
        json.field("filter", options.filter).key("rows").begin_array();
        for (const auto& cells : lines) {
            json.begin_object();
            json.field("progr", cells[0]).field("level", cells[1]).field("table", cells[2]);
            json.field("state", cells[3]).field("state_text", importlog::state_caption(cells[3]));
            json.field("key", cells[4]).field("message", cells[5]);
            json.end_object();
        }
        json.end_array().end_object();
        console.out << json.text() << '\n';
        return kExitOk;
    }
    std::vector<std::vector<std::string>> table{
        {"Prog", "Livello", "Tipo", "Risultato", "Descrizione", "Segnalazione"}};
    for (auto cells : lines) {
        cells[2] = importlog::table_caption(cells[2]);
        cells[3] = importlog::state_caption(cells[3]);
        table.push_back(std::move(cells));
    }
    print_table(table, console.out);
    return kExitOk;
}

}  // namespace cli
