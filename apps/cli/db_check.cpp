#include "db_check.h"

#include <exception>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "ado/connection.h"
#include "ado/error.h"
#include "ado/sqlite/extension/integrity.h"
#include "db_check_journal.h"
#include "db_check_totals.h"
#include "exit_status.h"
#include "open_checks.h"
#include "refhost/database.h"
#include "text_output.h"

namespace cli {
namespace {

// Why the checks cannot start on `db`; nullopt when the books can be opened.
std::optional<std::string> opening_problem(const std::filesystem::path& db) {
    const std::string name = db.string();
    switch (refhost::check_database(db)) {
        case refhost::DatabaseState::Ready:
            return std::nullopt;
        case refhost::DatabaseState::Missing:
            return "cannot open the database " + name + ": no such file";
        case refhost::DatabaseState::NoSchema:
            return no_schema_problem(name);
        case refhost::DatabaseState::Unreadable:
            break;
    }
    return "cannot open the database " + name + unreadable_text(db);
}

CheckOutcome integrity(const std::filesystem::path& db) {
    CheckOutcome out{"integrity"};
    for (std::string& problem : ado::sqlite::integrity_problems(db)) out.add(std::move(problem));
    return out;
}

// Runs one check; a check that stops on an error counts that error as its problem.
CheckOutcome run_one(const char* name, const std::function<CheckOutcome()>& check) {
    try {
        return check();
    } catch (const std::exception& e) {
        CheckOutcome out{name};
        out.add(std::string("the check could not be run: ") + e.what());
        return out;
    }
}

void print_text(const std::filesystem::path& db, const std::vector<CheckOutcome>& outcomes,
                std::ostream& out) {
    out << "Checking " << db.string() << '\n';
    int failed = 0;
    for (const CheckOutcome& o : outcomes) {
        if (o.passed()) {
            out << o.name << ": ok\n";
            continue;
        }
        ++failed;
        out << o.name << ": FAILED: " << o.problems << " problem(s)\n";
        for (const std::string& problem : o.shown) out << "    " << problem << '\n';
        if (o.problems > static_cast<std::int64_t>(o.shown.size()))
            out << "    ... and " << o.problems - static_cast<std::int64_t>(o.shown.size()) << " more\n";
    }
    if (failed == 0)
        out << "All " << outcomes.size() << " checks passed.\n";
    else
        out << failed << " of " << outcomes.size() << " checks failed.\n";
}

std::string json_report(const std::filesystem::path& db, int status, const std::string& detail,
                        const std::vector<CheckOutcome>& outcomes) {
    JsonWriter w;
    w.begin_object().field("status", status).field("database", db.string()).field("detail", detail);
    w.key("checks").begin_array();
    for (const CheckOutcome& o : outcomes) {
        w.begin_object().field("name", o.name).field("passed", o.passed()).field("problems", o.problems);
        w.key("shown").begin_array();
        for (const std::string& problem : o.shown) w.value(problem);
        w.end_array().end_object();
    }
    w.end_array().end_object();
    return w.text();
}

}  // namespace

int run_db_check(const std::filesystem::path& db, bool json, Console& console) {
    std::optional<std::string> problem = opening_problem(db);
    ado::Connection books;
    if (!problem) {
        try {
            books.Open(refhost::connection_string(db) + ";Mode=ReadOnly");
        } catch (const ado::Error& e) {
            problem = "cannot open the database " + db.string() + ": " + e.description();
        }
    }
    if (problem) {
        console.err << "ledgerintake: " << *problem << '\n';
        if (json) console.out << json_report(db, kExitDatabase, *problem, {}) << '\n';
        return kExitDatabase;
    }
    const std::vector<CheckOutcome> outcomes = {
        run_one("integrity", [&] { return integrity(db); }),
        run_one("entries whole", [&] { return check_entries_whole(books); }),
        run_one("entries balanced", [&] { return check_entries_balanced(books); }),
        run_one("numbers unique", [&] { return check_numbers_unique(books); }),
        run_one("numbering store", [&] { return check_numbering_store(books, db); }),
        run_one("progressive totals", [&] { return check_progressive_totals(books); }),
    };
    bool passed = true;
    for (const CheckOutcome& o : outcomes) passed = passed && o.passed();
    const int status = passed ? kExitOk : kExitChecksFailed;
    if (json)
        console.out << json_report(db, status, "", outcomes) << '\n';
    else
        print_text(db, outcomes, console.out);
    return status;
}

}  // namespace cli
