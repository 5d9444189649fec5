#include "demo_command.h"

#include <cctype>
#include <fstream>
#include <ostream>
#include <string>

#include "ado/datetime.h"
#include "demo/demo_data.h"
#include "demo/demo_database.h"
#include "demo/member_file.h"
#include "exit_status.h"
#include "import_command.h"
#include "refhost/database.h"

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

    std::filesystem::path first_file;
    for (const demo::Member& member : demo::members()) {
        demo::MemberFileOptions file_options;
        file_options.entries = options.entries;
        file_options.year = year;
        const std::filesystem::path path =
            options.dir / (file_stem(member) + "-" + std::to_string(year) + ".xml");
        if (!write_file(path, demo::member_file_xml(member, file_options))) {
            console.err << "ledgerintake: cannot write " << path.string() << '\n';
            return kExitDatabase;
        }
        console.out << "Member file: " << path.string() << " (" << member.name << ", " << options.entries
                    << " entries)\n";
        if (first_file.empty()) first_file = path;
    }

    console.out << "\nImporting " << first_file.string() << " into company " << demo::group().company_code
                << " as user " << demo::kDemoUser << ":\n";
    ImportOptions import;
    import.file = first_file.string();
    import.database = db;
    import.company = demo::group().company_code;
    import.user = demo::kDemoUser;
    import.yes = true;
    const int status = run_import(import, console);
    console.out << "\nThe import ended with exit status " << status
                << " (docs/cli.md explains each status).\n"
                << "Try it yourself: " << program_path() << " import --db " << db.string() << " "
                << first_file.string() << '\n';
    return status;
}

}  // namespace cli
