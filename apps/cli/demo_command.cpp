#include "demo_command.h"

#include <cctype>
#include <fstream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "ado/datetime.h"
#include "demo/demo_data.h"
#include "demo/demo_database.h"
#include "demo/master_data.h"
#include "demo/member_file.h"
#include "exit_status.h"
#include "import_command.h"
#include "refhost/database.h"
#include "text_output.h"

namespace cli {

namespace {

// "alfa" for "Alfa Commerciale S.r.l.".
std::string file_stem(const demo::Member& member) {
    std::string stem;
    for (char c : member.name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) break;
        stem += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return stem.empty() ? std::to_string(member.registry_code) : stem;
}

// The program as the user can call it again: its own path when the system tells it.
std::string program_path() {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string("ledgerintake") : self.string();
}

bool write_file(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out);
}

// The group company's master data; none when the database cannot be read, which the
// import reports in its own words.
std::optional<demo::MasterData> master_data(const std::filesystem::path& db) {
    try {
        return demo::read_master_data(db, demo::group().company_code);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// What the import added to the master data it started from.
void report_created(const std::filesystem::path& db, const std::optional<demo::MasterData>& before,
                    Console& console) {
    const std::optional<demo::MasterData> after = master_data(db);
    if (!before || !after) return;
    const std::vector<std::string> lines = demo::created_lines(*before, *after);
    if (lines.empty()) {
        console.out << "The import created no master data in company " << demo::group().company_code
                    << ": the books already held everything the file names.\n";
        return;
    }
    console.out << "Master data the import created in company " << demo::group().company_code << ":\n";
    for (const auto& line : lines) console.out << "  " << line << '\n';
}

// The commands that import each file into the demo database by hand.
void print_import_commands(const std::filesystem::path& db, const std::vector<std::filesystem::path>& files,
                           Console& console) {
    for (const auto& file : files)
        console.out << "  " << shell_word(program_path()) << " import --db " << shell_word(db.string()) << " "
                    << shell_word(file.string()) << '\n';
}

}  // namespace

int run_demo(const DemoOptions& options, Console& console) {
    const int year = ado::DateTime::today().year();
    const std::filesystem::path db = options.dir / "ledgerintake.db";
    try {
        std::filesystem::create_directories(options.dir);
        refhost::init_database(db);
        const bool written = demo::populate_database(db, year);
        console.out << "Demo database: " << db.string()
                    << (written ? " (VAT group " : " (already holds the VAT group ") << demo::group().name
                    << ", company " << demo::group().company_code << ", members in its structure for "
                    << year - 1 << " and " << year << ")\n";
    } catch (const std::exception& e) {
        console.err << "ledgerintake: cannot build the demo database in " << options.dir.string() << ": "
                    << e.what() << '\n';
        return kExitDatabase;
    }

    std::vector<std::filesystem::path> files;
    for (const demo::Member& member : demo::members()) {
        demo::MemberFileOptions file_options;
        file_options.entries = options.entries;
        file_options.shape = options.shape;
        file_options.year = year;
        const std::filesystem::path path =
            options.dir / (file_stem(member) + "-" + std::to_string(year) + ".xml");
        if (!write_file(path, demo::member_file_xml(member, file_options))) {
            console.err << "ledgerintake: cannot write " << path.string() << '\n';
            return kExitDatabase;
        }
        console.out << "Member file: " << path.string() << " (" << member.name << ", " << options.entries
                    << " entries)\n  " << member.import_shows << '\n';
        files.push_back(path);
    }
    if (!options.import) {
        console.out << "\nNothing imported (--no-import). Import a file with:\n";
        print_import_commands(db, files, console);
        return kExitOk;
    }
    const std::filesystem::path& first_file = files.front();

    const std::optional<demo::MasterData> before = master_data(db);

    console.out << "\nImporting " << first_file.string() << " into company " << demo::group().company_code
                << " as user " << demo::kDemoUser << ":\n";
    ImportOptions import;
    import.file = first_file.string();
    import.database = db;
    import.company = demo::group().company_code;
    import.user = demo::kDemoUser;
    import.yes = true;
    const int status = run_import(import, console);
    report_created(db, before, console);
    console.out << "\nThe import ended with exit status " << status
                << " (docs/cli.md explains each status).\n"
                << "Try it yourself:\n";
    print_import_commands(db, files, console);
    return status;
}

}  // namespace cli
