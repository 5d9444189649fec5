#pragma once
// The floor of the journal import: what writing the same rows costs when nothing stands
// between the file and SQLite but hand-prepared statements. It writes what `ledgerintake
// import` writes for a member file that passes the verification, with the same
// transactions: each new master record in its own, each number taken and committed on its
// own in the companion store, each entry (history detail, master document, header,
// numbering update, account rows, VAT rows) in one, the links one statement each after the
// last entry, and each rebuild of the totals in one. It reads what deciding needs (codes
// the group has, a registry record to reuse, an entry taken over before) and no more. It
// leaves out the import log, a temporary table of the import's own connection, and the
// checks that only tell a person at the window what went wrong.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <pugixml.hpp>

#include "sqlite_db.h"

namespace floorbench {

// The text of a child element; empty when it is missing.
std::string text_of(const pugi::xml_node& node, const char* name);
// "dd/mm/yyyy[ hh:mm:ss]" as the books store dates: "yyyymmdd", with " hh:mm:ss" unless
// midnight. Throws for anything else.
std::string stored_date(const std::string& day_first);
// An amount written with "." as the decimal point, bound as the engine stores it: an
// integer when it is whole, else a double.
struct Amount {
    bool whole = true;
    std::int64_t integer = 0;
    double real = 0;
};
Amount amount(const std::string& text);
// Now as the books store a moment.
std::string now_stored();

// Transcoding kinds and the default indicators of the group structure.
enum Kind { kSection = 0, kVatCode = 1, kCausal = 2, kAccount = 3 };

// The group company, its user and the member's row of the group structure: read once.
struct Books {
    int company = 1;
    std::string user, user_group;
    int chart_group = 0;
    std::string customer_account, supplier_account;
    int member_registry = 0;
    int year = 0;  // of the file's last day
    std::map<int, int> indicator;
    std::map<int, std::string> fixed_value;
    std::map<std::pair<int, std::string>, std::string> values;  // (kind, member's code) -> group's
    // The member's customer or supplier (type, code) -> the group's code.
    std::map<std::pair<int, int>, int> parties;

    // The group's code for a member's code, as the import transcodes it; empty when none.
    std::string transcode(int kind, const std::string& external) const;
};

// The main database and the companion store, opened as the engine opens a connection.
struct Files {
    Database main;
    Database store;
    std::string synchronous, journal_mode;  // as PRAGMA reports them on the main database
};
// `synchronous`, when not empty, replaces the setting the connection string gives (for a
// floor at another durability than the import's).
std::unique_ptr<Files> open_files(const std::string& db_path, const std::string& synchronous);

// The store's counters, each take one transaction of its own there.
class NumberTaker {
  public:
    explicit NumberTaker(Files& files);
    // HOST_NUMBERING (company, kind, section, year); `seed` gives the last number before the
    // counter's first take.
    int take(int company, int kind, const std::string& section, int year,
             const std::function<std::int64_t()>& seed);
    // HOST_PROGRESSIVE of CG26_PROGANAG's registry counter.
    int take_registry_code();

  private:
    Files& files_;
    Statement select_numbering_, update_numbering_, insert_numbering_;
    Statement select_progressive_, update_progressive_, insert_progressive_;
};

std::int64_t last_registration_number(Files& files, int company, int year);
std::int64_t last_customer_code(Files& files, int company, int type);

Books read_books(Files& files, const pugi::xml_node& root, int company, const std::string& user);

// Phases; each returns what it wrote.
struct MasterCounts {
    int causals = 0, vat_codes = 0, registry = 0, parties = 0;
};
MasterCounts create_master_data(Files& files, Books& books, NumberTaker& numbers, const pugi::xml_node& root);

struct JournalCounts {
    int entries = 0, account_rows = 0, vat_rows = 0, numbering_updates = 0, links = 0;
};
JournalCounts write_journal(Files& files, const Books& books, NumberTaker& numbers,
                            const pugi::xml_node& root, const std::string& file_name);

int rebuild_totals(Files& files, const Books& books, const pugi::xml_node& root);

// Rows per table of two databases (and of their stores); returns the tables whose counts
// differ.
int compare_counts(const std::string& import_db, const std::string& floor_db);

}  // namespace floorbench
