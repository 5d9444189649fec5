#pragma once
// Helpers of the engine tests: a temporary directory per test and short ways to run text.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "ado/driver.h"
#include "ado/types.h"

namespace ado::testing {

class TempDir {
public:
    TempDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "ledgerintake-engine-XXXXXX").string();
        if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
        path_ = tmpl;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline std::string cs_for(const std::string& path, const std::string& extra = "") {
    return "Provider=SQLite;Data Source=" + path + ";Mode=Create" + (extra.empty() ? "" : ";" + extra);
}

inline std::unique_ptr<Driver> open_db(const std::string& path, const std::string& extra = "") {
    return open_driver(ConnectionString(cs_for(path, extra)));
}

// The first result with rows.
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

// The schema scripts of the reference host, as `db init` runs them (split at GO lines).
inline std::string schema_script(const std::string& name) {
    const auto path = std::filesystem::path(__FILE__).parent_path() / "../../src/refhost/schema" / name;
    std::ifstream in(path);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

}  // namespace ado::testing
