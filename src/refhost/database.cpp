#include "refhost/database.h"

#include <unistd.h>

#include <array>
#include <cctype>
#include <cstring>
#include <fstream>
#include <system_error>

#include "ado/connection.h"
#include "ado/error.h"
#include "refhost/schema_scripts.h"

namespace refhost {
namespace fs = std::filesystem;

namespace {

bool blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

bool is_go_line(std::string_view line) {
    const auto t = trimmed(line);
    return t.size() == 2 && std::toupper(static_cast<unsigned char>(t[0])) == 'G' &&
           std::toupper(static_cast<unsigned char>(t[1])) == 'O';
}

bool only_comments(std::string_view batch) {
    while (!batch.empty()) {
        const auto eol = batch.find('\n');
        const auto line = trimmed(batch.substr(0, eol));
        if (!line.empty() && line.substr(0, 2) != "--") return false;
        if (eol == std::string_view::npos) break;
        batch.remove_prefix(eol + 1);
    }
    return true;
}

std::string quoted_if_needed(const std::string& path) {
    const bool needs = path.find_first_of(";\"'") != std::string::npos ||
                       (!path.empty() && (blank(path.front()) || blank(path.back())));
    if (!needs) return path;
    std::string out = "\"";
    for (char c : path) {
        if (c == '"') out.push_back('"');
        out.push_back(c);
    }
    return out + "\"";
}

bool object_exists(ado::Connection& conn, const std::string& name) {
    ado::SqlText sql;
    sql.line(" SELECT OBJECT_ID('").value(name).add("') AS OBJECT_NUMBER");
    const auto rs = conn.Execute(sql);
    return !rs->EOF() && !rs->GetFields().Item(0).Value().is_null();
}

// Tables of the schema in a database that lacks HOST_SCHEMA were made by someone else:
// creating the rest around them could mix two shapes, so nothing is done.
void refuse_foreign_objects(ado::Connection& conn, const std::vector<std::string>& statements) {
    for (const auto& statement : statements) {
        const auto name = created_object(statement);
        if (name && object_exists(conn, *name))
            throw ado::Error(ado::kErrProvider,
                             "The database already holds " + *name +
                                 " but was not set up by db init (it has no HOST_SCHEMA table); "
                                 "it was left unchanged.");
    }
}

// The version HOST_SCHEMA records; 0 when it holds no row.
int recorded_version(ado::Connection& conn) {
    const auto rs = conn.Execute(" SELECT MAX(VERSION) AS VERSION FROM HOST_SCHEMA");
    if (rs->EOF()) return 0;
    const ado::Variant value = rs->GetFields().Item(0).Value();
    return value.is_null() || value.is_empty() ? 0 : value.to_long();
}

// A database set up by an older version gets the tables and views it lacks; nothing that
// exists is touched. Only CREATE TABLE / CREATE VIEW statements are run here, so a table
// added by a later version carries its keys in its own definition.
void upgrade_schema(ado::Connection& conn, const std::vector<std::string>& statements) {
    if (recorded_version(conn) >= kSchemaVersion) return;
    for (const auto& statement : statements) {
        const auto name = created_object(statement);
        if (name && !object_exists(conn, *name)) conn.Execute(statement);
    }
    ado::SqlText record;
    record.line(" UPDATE HOST_SCHEMA SET VERSION = ").number(kSchemaVersion);
    long changed = 0;
    conn.Execute(record, &changed);
    if (changed <= 0) {
        ado::SqlText insert;
        insert.line(" INSERT INTO HOST_SCHEMA (VERSION, CREATED) VALUES (")
            .number(kSchemaVersion)
            .add(", GETDATE())");
        conn.Execute(insert);
    }
}

void install_schema(ado::Connection& conn) {
    std::vector<std::string> statements;
    for (const auto& script : schema_scripts())
        for (auto& s : split_batches(script.text)) statements.push_back(std::move(s));

    ado::TransactionGuard transaction(conn);
    if (object_exists(conn, "HOST_SCHEMA")) {
        upgrade_schema(conn, statements);
        transaction.Commit();
        return;
    }
    refuse_foreign_objects(conn, statements);
    for (const auto& statement : statements) conn.Execute(statement);
    ado::SqlText record;
    record.line(" INSERT INTO HOST_SCHEMA (VERSION, CREATED) VALUES (")
        .number(kSchemaVersion)
        .add(", GETDATE())");
    conn.Execute(record);
    transaction.Commit();
}

void remove_database_files(const fs::path& db) {
    std::error_code ec;
    fs::remove(db, ec);
    fs::remove(fs::path(db.string() + "-wal"), ec);
    fs::remove(fs::path(db.string() + "-shm"), ec);
    fs::remove(fs::path(db.string() + "-journal"), ec);
}

// A database in WAL mode, per its file header (write and read versions 2).
bool wal_mode_file(const fs::path& db) {
    std::array<char, 20> header{};
    std::ifstream in(db, std::ios::binary);
    if (!in.read(header.data(), header.size())) return false;
    return std::memcmp(header.data(), "SQLite format 3", 16) == 0 && header[18] == 2 && header[19] == 2;
}

// How check_database opens a file. A read-only connection to a WAL database creates the
// -wal and -shm files beside it and leaves them there; a read-write connection that writes
// nothing removes them when it closes and leaves the database itself as it was. Files in
// another journal mode are opened read-only, which creates nothing (a read-write open would
// switch them to WAL).
std::string checking_connection_string(const fs::path& db) {
    const bool writable = ::access(db.c_str(), W_OK) == 0;
    return connection_string(db) + (writable && wal_mode_file(db) ? ";Mode=ReadWrite" : ";Mode=ReadOnly");
}

}  // namespace

std::vector<std::string> split_batches(std::string_view script) {
    std::vector<std::string> out;
    std::string current;
    auto flush = [&] {
        if (!only_comments(current)) out.push_back(current);
        current.clear();
    };
    while (!script.empty()) {
        const auto eol = script.find('\n');
        const auto line = script.substr(0, eol);
        if (is_go_line(line)) {
            flush();
        } else {
            current.append(line);
            current.push_back('\n');
        }
        if (eol == std::string_view::npos) break;
        script.remove_prefix(eol + 1);
    }
    flush();
    return out;
}

std::optional<std::string> created_object(std::string_view statement) {
    // Words of the first statement line that is not a comment.
    std::vector<std::string> words;
    std::string word;
    bool in_comment = false;
    for (std::size_t i = 0; i < statement.size() && words.size() < 3; ++i) {
        const char c = statement[i];
        if (in_comment) {
            in_comment = c != '\n';
            continue;
        }
        if (c == '-' && i + 1 < statement.size() && statement[i + 1] == '-') {
            in_comment = true;
            continue;
        }
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '#') {
            word.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
        } else if (!word.empty()) {
            words.push_back(std::move(word));
            word.clear();
        }
    }
    if (!word.empty() && words.size() < 3) words.push_back(word);
    if (words.size() == 3 && words[0] == "CREATE" && (words[1] == "TABLE" || words[1] == "VIEW"))
        return words[2];
    return std::nullopt;
}

std::string connection_string(const fs::path& db, bool create) {
    // WAL at NORMAL: a committed entry survives a crash of the process; a power cut may take
    // back the last commits, and a number handed out again then meets the journal's check
    // for a number already in use rather than a second entry under it.
    std::string cs = "Provider=SQLite;Data Source=" + quoted_if_needed(db.string()) + ";Synchronous=Normal";
    if (create) cs += ";Mode=Create";
    return cs;
}

void init_database(const fs::path& db) {
    std::error_code ec;
    const bool existed = fs::exists(fs::symlink_status(db, ec));
    try {
        ado::Connection conn;
        conn.Open(connection_string(db, true));
        install_schema(conn);
    } catch (...) {
        if (!existed) remove_database_files(db);
        throw;
    }
}

DatabaseState check_database(const fs::path& db) {
    std::error_code ec;
    const auto status = fs::status(db, ec);
    if (status.type() == fs::file_type::not_found) return DatabaseState::Missing;
    if (ec || status.type() != fs::file_type::regular) return DatabaseState::Unreadable;
    try {
        ado::Connection conn;
        conn.Open(checking_connection_string(db));
        if (!object_exists(conn, "HOST_SCHEMA")) return DatabaseState::NoSchema;
        return recorded_version(conn) >= kSchemaVersion ? DatabaseState::Ready : DatabaseState::NoSchema;
    } catch (const std::exception&) {
        return DatabaseState::Unreadable;
    }
}

std::string unreadable_reason(const fs::path& db) {
    try {
        ado::Connection conn;
        conn.Open(checking_connection_string(db));
        return "";
    } catch (const ado::Error& e) {
        // The engine names the file first; the user's message names it already.
        const std::string& text = e.description();
        const std::string::size_type named = text.find("\": ");
        return text.rfind("Cannot open database \"", 0) == 0 && named != std::string::npos
                   ? text.substr(named + 3)
                   : text;
    } catch (const std::exception& e) {
        return e.what();
    }
}

}  // namespace refhost
