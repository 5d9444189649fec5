#pragma once
// The database of the reference host: its connection string, the installer of the schema
// (`ledgerintake db init`) and a check that tells whether a file is ready to be used.
#include <filesystem>
#include <string>

namespace refhost {

// The version db init records in HOST_SCHEMA. 2 added the VAT numbering record, the
// registers of the VAT activities and the progressive totals; 3 the kept import logs.
inline constexpr int kSchemaVersion = 3;

// "Provider=SQLite;Data Source=PATH", plus ";Mode=Create" when `create` (only the installer
// creates files). A path holding ";", quotes or blanks at its ends is quoted.
std::string connection_string(const std::filesystem::path& db, bool create = false);

// Creates the file when it is missing and the schema when it is absent, in one transaction,
// and records the schema version in HOST_SCHEMA. A database that already has the schema is
// left exactly as it is, except that one set up by an older version gets, in one
// transaction, the tables and views it lacks and this version recorded. Throws ado::Error when the file
// cannot be opened as a database (it is then left unchanged), or when it holds tables of the schema without
// HOST_SCHEMA. A file the call created is removed again when the installation fails.
void init_database(const std::filesystem::path& db);

enum class DatabaseState {
    Ready,       // a database with the schema
    Missing,     // no such file
    NoSchema,    // a database without the schema, or with an older version of it (db init
                 // has not run with this version)
    Unreadable,  // not a database, not a file, or it cannot be opened
};

// Opens read-only: never creates or changes the file.
DatabaseState check_database(const std::filesystem::path& db);

// Why an existing file cannot be opened as a database, in the engine's words ("" when it
// can): what to add to "not a readable database" for the user. Opens as check_database does.
std::string unreadable_reason(const std::filesystem::path& db);

}  // namespace refhost
