#pragma once
// The exit statuses of `ledgerintake` (docs/cli.md lists them with their causes).
namespace cli {

enum ExitStatus : int {
    kExitOk = 0,              // a command other than import did its job
    kExitImported = 0,        // message 107
    kExitImportErrors = 1,    // message 108
    kExitStopped = 2,         // messages 109, 112
    kExitRebuildFailed = 3,   // message 110
    kExitCompanyRefused = 4,  // message 105
    kExitUsage = 64,          // the command line is wrong
    kExitFileRefused = 65,    // messages 100, 102, 103, 106, a declined re-import, a path with a quote
    kExitDataError = 65,      // db sql: the engine refused the statement
    kExitFileNotFound = 66,   // message 101
    kExitInternal = 70,       // an unexpected failure
    kExitDatabase = 74,       // the database is missing, unreadable or without the schema
};

}  // namespace cli
