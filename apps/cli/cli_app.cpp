#include "cli_app.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <system_error>

#include "database_option.h"
#include "db_check.h"
#include "db_commands.h"
#include "demo_command.h"
#include "exit_status.h"
#include "history_commands.h"
#include "import_command.h"

namespace cli {

namespace {

// A whole number from `low` to `high` as the option's value: anything else (blank, a sign,
// letters, a number out of range) is refused with a message naming what was given.
CLI::Validator whole_number(const std::string& what, long long low, long long high) {
    return CLI::Validator(
        [=](std::string& text) -> std::string {
            long long value = 0;
            const char* end = text.data() + text.size();
            const auto read = std::from_chars(text.data(), end, value);
            if (!text.empty() && read.ec == std::errc() && read.ptr == end && value >= low && value <= high)
                return {};
            return "'" + text + "' is not " + what + " (a whole number from " + std::to_string(low) + " to " +
                   std::to_string(high) + ")";
        },
        "", "");
}

// The word of the command line that should name a command and names none ("ledgerintake
// frobnicate", "ledgerintake db frob"), told with the commands it could have been.
std::optional<std::string> unknown_command(CLI::App& app, int argc, const char* const* argv) {
    CLI::App* current = &app;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word.empty() || word.front() == '-') return std::nullopt;
        CLI::App* next = nullptr;
        std::string names;
        for (CLI::App* sub : current->get_subcommands({})) {
            if (sub->get_name() == word) next = sub;
            names += (names.empty() ? "" : ", ") + sub->get_name();
        }
        if (next == nullptr) {
            if (current->get_require_subcommand_min() == 0) return std::nullopt;
            return "unknown command '" + word + "' (commands: " + names + ")";
        }
        current = next;
    }
    return std::nullopt;
}

// --db on a command: the option's value when given.
struct DatabaseFlag {
    std::string value;
    CLI::Option* option = nullptr;
    void add_to(CLI::App& command) {
        option = command.add_option(
            "--db", value,
            "Database file (default: $LEDGERINTAKE_DB, else ledgerintake.db in the current folder)");
    }
    std::filesystem::path path() const {
        return database_path(option != nullptr && option->count() > 0 ? std::optional<std::string>(value)
                                                                      : std::nullopt);
    }
};

struct ImportFlags {
    DatabaseFlag db;
    ImportOptions options;
    std::string on_error = "abort";
    std::string log_file, trace_sql;
    CLI::Option* log_file_option = nullptr;
    CLI::Option* trace_sql_option = nullptr;
    int busy_timeout = 0;
    CLI::Option* busy_timeout_option = nullptr;

    void add_to(CLI::App& command) {
        command.add_option("FILE", options.file, "The member company's import file")->required();
        db.add_to(command);
        command.add_option("--company", options.company, "Company code of the VAT group (default 1)")
            ->check(whole_number("a company code", 1, 2147483647));
        command.add_option("--user", options.user, "User code (default admin)");
        busy_timeout_option =
            command
                .add_option("--busy-timeout", busy_timeout,
                            "Milliseconds a statement waits for a lock another program holds (default 5000)")
                ->check(whole_number("a number of milliseconds", 0, 3600000));
        command.add_flag("--yes", options.yes,
                         "Import again a file of the same name imported before (question 113)");
        command
            .add_option("--on-error", on_error,
                        "Answer to an error when nobody is at the terminal (default abort)")
            ->check(CLI::IsMember({"abort", "ignore"}));
        log_file_option =
            command.add_option("--log-file", log_file, "Save the import log there (Windows-1252 text)");
        trace_sql_option =
            command.add_option("--trace-sql", trace_sql, "Append every statement of the import there");
        command.add_flag("--json", options.json, "Print one JSON object and nothing else on standard output");
    }

    ImportOptions finish() {
        ImportOptions o = options;
        o.database = db.path();
        o.on_error = on_error == "ignore" ? OnError::Ignore : OnError::Abort;
        if (log_file_option->count() > 0) o.log_file = log_file;
        if (trace_sql_option->count() > 0) o.trace_sql = trace_sql;
        if (busy_timeout_option->count() > 0) o.busy_timeout_ms = busy_timeout;
        return o;
    }
};

}  // namespace

int run_cli(int argc, const char* const* argv, Console& console) {
    CLI::App app{"ledgerintake: takes a VAT-group member company's journal into the group company's books",
                 "ledgerintake"};
    app.require_subcommand(1);
    std::function<int()> command;

    CLI::App* db = app.add_subcommand("db", "The database");
    db->require_subcommand(1);
    DatabaseFlag init_db;
    CLI::App* init = db->add_subcommand("init", "Create the database and its tables where they are missing");
    init_db.add_to(*init);
    init->callback([&] { command = [&] { return run_db_init(init_db.path(), console); }; });

    DatabaseFlag sql_db;
    std::string statement;
    CLI::App* sql = db->add_subcommand("sql", "Run a T-SQL statement and print its rows as CSV");
    sql->add_option("STATEMENT", statement, "The statement, or - to read it from standard input")->required();
    sql_db.add_to(*sql);
    sql->callback([&] { command = [&] { return run_db_sql(sql_db.path(), statement, console); }; });

    DatabaseFlag check_db;
    bool check_json = false;
    CLI::App* check = db->add_subcommand("check", "Check the database file and the consistency of the books");
    check_db.add_to(*check);
    check->add_flag("--json", check_json, "Print one JSON object and nothing else on standard output");
    check->callback([&] { command = [&] { return run_db_check(check_db.path(), check_json, console); }; });

    ImportFlags import_flags;
    // Not named `import`: the formatter takes that word for a module import.
    CLI::App* import_app = app.add_subcommand("import", "Check a member's import file and import it");
    import_flags.add_to(*import_app);
    import_app->callback([&] { command = [&] { return run_import(import_flags.finish(), console); }; });

    DatabaseFlag history_db;
    HistoryOptions history_options;
    CLI::App* history_app =
        app.add_subcommand("history", "List the imports made into the company, newest first");
    history_db.add_to(*history_app);
    history_app->add_option("--company", history_options.company, "Company code of the VAT group (default 1)")
        ->check(whole_number("a company code", 1, 2147483647));
    history_app->add_option("--user", history_options.user, "User code (default admin)");
    history_app->add_flag("--json", history_options.json, "Print one JSON object and nothing else");
    history_app->callback([&] {
        command = [&] {
            history_options.database = history_db.path();
            return run_history(history_options, console);
        };
    });

    DatabaseFlag log_db;
    LogOptions log_options;
    CLI::App* log_app = app.add_subcommand("log", "Show the log kept for an import");
    log_app
        ->add_option("IMPORT-ID", log_options.import_id, "The import's Id (ledgerintake history lists them)")
        ->required()
        ->check(whole_number("an import Id", 1, 2147483647));
    log_db.add_to(*log_app);
    log_app->add_option("--filter", log_options.filter, "Rows: all (default), errors, created or checked")
        ->check(CLI::IsMember({"all", "errors", "created", "checked"}));
    log_app->add_flag("--json", log_options.json, "Print one JSON object and nothing else");
    log_app->callback([&] {
        command = [&] {
            log_options.database = log_db.path();
            return run_log(log_options, console);
        };
    });

    DemoOptions demo_options;
    std::string demo_dir = demo_options.dir.string();
    CLI::App* demo = app.add_subcommand("demo", "Build a demo VAT group with member files and import one");
    demo->add_option("--dir", demo_dir, "Folder of the demo (default ./ledgerintake-demo)");
    // Source numbers have seven digits after the member's letter.
    demo->add_option("--entries", demo_options.entries, "Journal entries per member file (default 200)")
        ->check(whole_number("a number of entries", 1, 9999999));
    std::string demo_shape = "plain";
    demo->add_option("--shape", demo_shape, "Entries: plain (default) or rich (as bench/run measures)")
        ->check(CLI::IsMember({"plain", "rich"}));
    bool demo_no_import = false;
    demo->add_flag("--no-import", demo_no_import, "Build the database and the files, import nothing");
    demo->callback([&] {
        command = [&] {
            demo_options.dir = demo_dir;
            demo_options.shape = demo_shape == "rich" ? demo::EntryShape::rich : demo::EntryShape::plain;
            demo_options.import = !demo_no_import;
            return run_demo(demo_options, console);
        };
    });

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        console.out << app.help();
        return kExitOk;
    } catch (const CLI::CallForAllHelp&) {
        console.out << app.help("", CLI::AppFormatMode::All);
        return kExitOk;
    } catch (const CLI::ParseError& e) {
        const std::optional<std::string> unknown = unknown_command(app, argc, argv);
        console.err << "ledgerintake: " << (unknown ? *unknown : std::string(e.what()))
                    << "\nRun ledgerintake --help for the commands and options.\n";
        return kExitUsage;
    }
    return command ? command() : kExitUsage;
}

}  // namespace cli
