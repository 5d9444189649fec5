#include "db_commands.h"

#include <istream>
#include <iterator>
#include <ostream>
#include <vector>

#include "ado/connection.h"
#include "ado/error.h"
#include "database_option.h"
#include "exit_status.h"
#include "open_checks.h"
#include "refhost/database.h"
#include "text_output.h"

namespace cli {

namespace {

bool blank(const std::string& s) {
    return s.find_first_not_of(" \t\r\n") == std::string::npos;
}

void print_csv(ado::Recordset& rows, std::ostream& out) {
    ado::Fields fields = rows.GetFields();
    std::vector<std::string> line;
    for (int i = 0; i < fields.Count(); ++i) line.push_back(fields.Item(i).Name());
    out << csv_line(line);
    if (rows.RecordCount() > 0) rows.MoveFirst();
    for (; !rows.EOF(); rows.MoveNext()) {
        line.clear();
        for (int i = 0; i < fields.Count(); ++i) line.push_back(fields.Item(i).Value().text_or_empty());
        out << csv_line(line);
    }
}

}  // namespace

int run_db_init(const std::filesystem::path& db, Console& console) {
    const bool existed = std::filesystem::exists(db);
    if (auto problem = setup_problem(db)) {
        console.err << "ledgerintake: " << *problem << '\n';
        return kExitDatabase;
    }
    try {
        refhost::init_database(db);
    } catch (const std::exception& e) {
        console.err << "ledgerintake: cannot set up the database " << db.string() << ": " << e.what() << '\n';
        return kExitDatabase;
    }
    console.out << (existed ? "Database ready: " : "Database created: ") << db.string() << '\n';
    return kExitOk;
}

int run_db_sql(const std::filesystem::path& db, const std::string& statement, Console& console) {
    std::string text = statement;
    if (statement == "-")
        text.assign(std::istreambuf_iterator<char>(console.in), std::istreambuf_iterator<char>());
    if (blank(text)) {
        console.err << "ledgerintake: db sql needs a statement (or \"-\" to read it from standard input)\n";
        return kExitUsage;
    }
    const refhost::DatabaseState state = refhost::check_database(db);
    if (state == refhost::DatabaseState::Missing || state == refhost::DatabaseState::Unreadable) {
        console.err << "ledgerintake: cannot open the database " << db.string()
                    << (state == refhost::DatabaseState::Missing ? ": no such file" : unreadable_text(db))
                    << '\n';
        return kExitDatabase;
    }
    ado::Connection connection(refhost::connection_string(db));
    try {
        connection.Open();
    } catch (const ado::Error& e) {
        console.err << "ledgerintake: cannot open the database " << db.string() << ": " << e.description()
                    << '\n';
        return kExitDatabase;
    }
    try {
        long affected = -1;
        ado::RecordsetPtr rows = connection.Execute(text, &affected);
        if (rows && rows->State() == ado::adStateOpen)
            print_csv(*rows, console.out);
        else if (affected >= 0)
            console.err << affected << " row(s) affected\n";
    } catch (const ado::Error& e) {
        console.err << "ledgerintake: the statement failed: " << e.description() << '\n';
        return kExitDataError;
    }
    return kExitOk;
}

}  // namespace cli
