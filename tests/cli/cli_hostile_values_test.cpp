// Hostile values in the elements of a member's file: every element of the file gets one
// (LEDGERINTAKE_RELIABILITY=full: every element every value). Each import ends with a
// status of the command, never a crash; a value never leaves the string literal it was put
// in (the statement trace shows it); and the books stay whole.
#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "cli_process.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;
using cli_test::contains;
using cli_test::read_file;
using cli_test::run_ledgerintake;
using cli_test::write_file;

constexpr const char* kMarker = "ZQX";

struct Hostile {
    const char* name;
    std::string xml_text;  // as it stands between the element's tags
};

const std::vector<Hostile>& hostile_values() {
    static const std::vector<Hostile> values = {
        {"quotes", "ZQX' OR '1'='1; DROP TABLE CG41_PRIMANOTA; --&quot;"},
        {"NUL", "ZQX&#0;tail"},
        {"control characters", std::string("ZQX\x01\x1F") + "x"},
        {"10 kB", "ZQX" + std::string(10 * 1024, 'a')},
        {"right-to-left and astral",
         "ZQX \xE2\x80\xAE\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D \xF0\x9F\x98\x80\xF0\x9D\x84\x9E"},
        {"30 digits", "123456789012345678901234567890"},
        {"impossible date", "31/02/2026"},
    };
    return values;
}

// True when every occurrence of the marker lies inside a '...' literal of the statement text
// (quotes doubled inside it).
bool marker_only_in_literals(const std::string& sql, std::string& where) {
    bool in_string = false;
    for (std::size_t i = 0; i < sql.size(); ++i) {
        if (sql[i] == '\'') {
            if (in_string && i + 1 < sql.size() && sql[i + 1] == '\'') {
                ++i;
                continue;
            }
            in_string = !in_string;
        } else if (!in_string && sql.compare(i, 3, kMarker) == 0) {
            where = sql.substr(i > 60 ? i - 60 : 0, 120);
            return false;
        }
    }
    return true;
}

// The statements of a trace that reached the engine: those the connection refused before
// it (a verbatim value holding a quote) carry a note on their comment line and are left out.
std::vector<std::string> statements_run(const std::string& trace, int& refused) {
    std::vector<std::string> out;
    std::size_t at = 0;
    for (std::size_t end; (end = trace.find("\r\nGO\r\n", at)) != std::string::npos; at = end + 6) {
        const std::string chunk = trace.substr(at, end - at);
        const std::size_t first_line = chunk.find("\r\n");
        if (chunk.substr(0, first_line).find("refused before the engine") != std::string::npos) {
            ++refused;
            continue;
        }
        out.push_back(first_line == std::string::npos ? std::string() : chunk.substr(first_line + 2));
    }
    return out;
}

struct Demo {
    Demo() {
        const auto made =
            run_ledgerintake(dir.path(), {"demo", "--dir", "demo", "--entries", "3", "--no-import"});
        EXPECT_EQ(made.status, 0) << made.err;
        for (const auto& entry : fs::directory_iterator(dir / "demo"))
            if (entry.path().filename().string().rfind("alfa-", 0) == 0) file = read_file(entry.path());
        const std::regex element(R"(<([A-Za-z0-9_]+)>[^<]*</\1>)");
        std::set<std::string> seen;
        for (std::sregex_iterator it(file.begin(), file.end(), element), end; it != end; ++it)
            if (seen.insert((*it)[1]).second) names.push_back((*it)[1]);
    }
    scripted::TempDir dir;
    std::string file;
    std::vector<std::string> names;
};

const Demo& demo() {
    static const Demo d;
    return d;
}

// The file with the text of every `name` element replaced.
std::string with_value(const std::string& file, const std::string& name, const std::string& text) {
    return std::regex_replace(
        file, std::regex("<" + name + ">[^<]*</" + name + ">"),
        "<" + name + ">" + std::regex_replace(text, std::regex("\\$"), "$$$$") + "</" + name + ">");
}

TEST(HostileValues, EndInAStatusKeepLiteralsAndLeaveTheBooksWhole) {
    const bool full = std::getenv("LEDGERINTAKE_RELIABILITY") != nullptr &&
                      std::string(std::getenv("LEDGERINTAKE_RELIABILITY")) == "full";
    const auto& values = hostile_values();
    ASSERT_GT(demo().names.size(), 50u);
    int tried = 0, refused = 0;
    for (std::size_t n = 0; n < demo().names.size(); ++n) {
        for (std::size_t v = 0; v < values.size(); ++v) {
            if (!full && v != n % values.size()) continue;
            const std::string& name = demo().names[n];
            const Hostile& value = values[v];
            const std::string what = name + " <- " + value.name;
            scripted::TempDir dir;
            fs::copy_file(demo().dir / "demo" / "ledgerintake.db", dir / "books.db");
            write_file(dir / "member.xml", with_value(demo().file, name, value.xml_text));
            const auto run = run_ledgerintake(
                dir.path(), {"import", "member.xml", "--db", "books.db", "--trace-sql", "trace.sql"});
            ++tried;
            const std::set<int> statuses = {0, 1, 2, 3, 65, 66, 70};
            EXPECT_TRUE(statuses.count(run.status) == 1) << what << ": status " << run.status << "\n"
                                                         << run.err;
            EXPECT_FALSE(run.status != 0 && run.out.empty() && run.err.empty()) << what << ": nothing said";
            for (const std::string& sql : statements_run(read_file(dir / "trace.sql"), refused)) {
                std::string where;
                EXPECT_TRUE(marker_only_in_literals(sql, where)) << what << ": " << where;
            }
            const auto check = run_ledgerintake(dir.path(), {"db", "check", "--db", "books.db"});
            for (const char* line :
                 {"integrity: ok", "entries whole: ok", "entries balanced: ok", "numbers unique: ok"})
                EXPECT_TRUE(contains(check.out, line)) << what << ": " << line << "\n" << check.out;
        }
    }
    std::cout << "[ hostile  ] " << tried << " files tried (" << demo().names.size() << " elements), "
              << refused << " statements refused before the engine\n";
}

}  // namespace
