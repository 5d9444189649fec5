#pragma once
// Helpers of the engine tests: a database in a temporary directory per test and short
// ways to run text and to write rows through.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "../support/temp_dir.h"
#include "ado/driver.h"
#include "ado/types.h"
#include "ado_support.h"

namespace ado::testing {

using scripted::TempDir;

inline std::string cs_for(const std::string& path, const std::string& extra = "") {
    return "Provider=SQLite;Data Source=" + path + ";Mode=Create" + (extra.empty() ? "" : ";" + extra);
}

inline std::unique_ptr<Driver> open_db(const std::string& path, const std::string& extra = "") {
    return open_driver(ConnectionString(cs_for(path, extra)));
}

// One database file in a fresh temporary directory, opened as db_ for each test.
class DbTest : public ::testing::Test {
  protected:
    void SetUp() override { db_ = open_db(path()); }
    std::string path(const std::string& name = "t.db") const { return (dir_ / name).string(); }

    TempDir dir_;
    std::unique_ptr<Driver> db_;
};

// The first result with rows.
// A statement of a table test: what it covers, its text, and the message (or result) it
// must give. A failing case prints its text.
struct SqlCase {
    const char* name;
    const char* sql;
    const char* expected;
};

inline void PrintTo(const SqlCase& c, std::ostream* os) {
    *os << c.sql;
}

// A value as the tests compare it: NULL, dates in their stored form, else the text.
inline std::string render(const Variant& v) {
    if (v.is_null()) return "NULL";
    if (v.is_date()) return v.date().compact();
    return v.to_string();
}

// Each row as its values joined by "|".
inline std::vector<std::string> render(const RowSet& rs) {
    std::vector<std::string> out;
    for (const auto& row : rs.rows) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) line += (i ? "|" : "") + render(row[i]);
        out.push_back(line);
    }
    return out;
}

inline RowSet query(Driver& d, const std::string& sql) {
    for (auto& r : d.execute(sql))
        if (r.rows) return std::move(*r.rows);
    ADD_FAILURE() << "no rows result for: " << sql;
    return {};
}

inline Variant scalar(Driver& d, const std::string& sql) {
    RowSet rs = query(d, sql);
    if (rs.rows.empty() || rs.rows[0].empty()) return Variant(Null);
    return rs.rows[0][0];
}

inline long affected(Driver& d, const std::string& sql) {
    long n = 0;
    for (auto& r : d.execute(sql))
        if (r.records_affected > 0) n += r.records_affected;
    return n;
}

using Assignments = std::vector<std::pair<const char*, Variant>>;

// Position of the named column; fails the test when there is none.
inline std::size_t column(const RowSet& rs, const std::string& name) {
    for (std::size_t i = 0; i < rs.columns.size(); ++i)
        if (rs.columns[i].name == name) return i;
    ADD_FAILURE() << "no column " << name;
    return 0;
}

// Inserts through an updatable record set's writer, as AddNew/Update does: the named
// columns assigned, the others left to the database. Returns the row as stored.
inline std::vector<Variant> insert_row(RowWriter& w, const RowSet& rs, const Assignments& cols) {
    std::vector<Variant> values(rs.columns.size());
    std::vector<bool> assigned(rs.columns.size(), false);
    for (const auto& [name, value] : cols) {
        values[column(rs, name)] = value;
        assigned[column(rs, name)] = true;
    }
    return w.insert(values, assigned);
}

// Opens `sql` updatable and inserts one row through it.
inline std::vector<Variant> insert_row(Driver& d, const std::string& sql, const Assignments& cols) {
    RowSet rs;
    auto w = d.open_updatable(sql, rs);
    return insert_row(*w, rs, cols);
}

// The schema scripts of the reference host, as `db init` runs them (split at GO lines).
inline std::string schema_script(const std::string& name) {
    const auto path = std::filesystem::path(__FILE__).parent_path() / "../../src/refhost/schema" / name;
    std::ifstream in(path);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

}  // namespace ado::testing
