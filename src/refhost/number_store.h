#pragma once
// Where the reference host keeps the numbers it hands out: a companion SQLite file beside
// the main database, `<file>.numbers`. Each take is one short transaction of its own there,
// so it never waits on a transaction the module holds on the main file, and a number once
// handed out stays taken whatever the caller's transaction does afterwards.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <limits>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ado/connection.h"
#include "ado/variant.h"

namespace refhost {

inline constexpr std::string_view kNumberStoreSuffix = ".numbers";
// Counters of the numbering service (company, kind, section, year) and of keyed progressives.
inline constexpr std::string_view kNumberingTable = "HOST_NUMBERING";
inline constexpr std::string_view kProgressiveTable = "HOST_PROGRESSIVE";

// The main database a connection string names: an SQLite file that exists.
struct MainDatabase {
    std::string connection_string;
    std::filesystem::path file;
    std::string busy_timeout;  // as the connection string gives it; empty for the default

    std::filesystem::path store_file() const { return file.string() + std::string(kNumberStoreSuffix); }
    // Reads only: never takes a lock that waits on a writer of the main file (WAL).
    std::string read_only_connection_string() const;
};

// Throws host::Error for another provider, ":memory:", no Data Source or no such file: numbers
// are never kept in memory, where a second connection would hand them out again.
MainDatabase main_database(const std::string& connection_string);

// [A-Za-z_][A-Za-z0-9_]*: the only table and column names a statement of the host is built with.
bool plain_identifier(std::string_view name);

// One counter of the store: its table and the values of its key columns, 32-bit integers
// or texts without quotes, and the last number it may hand out.
struct CounterKey {
    std::string_view table;
    std::vector<std::pair<std::string_view, ado::Variant>> columns;
    std::int32_t last_allowed = std::numeric_limits<std::int32_t>::max();
};

class NumberStore {
  public:
    // Opens the store beside `main`, creating the file and its tables when missing.
    // Throws ado::Error when it cannot.
    explicit NumberStore(MainDatabase main);

    // Takes the next number of each counter in one transaction that commits before it
    // returns. A counter the store has not seen starts after `last_before(i)`, called inside
    // the transaction (negative values count as 0). Throws ado::Error or host::Error; then
    // nothing is taken.
    std::vector<std::int32_t> take(const std::vector<CounterKey>& counters,
                                   const std::function<std::int64_t(std::size_t)>& last_before);

    const MainDatabase& main() const { return main_; }

  private:
    std::int32_t take_one(const CounterKey& counter, const std::function<std::int64_t()>& last_before);

    MainDatabase main_;
    ado::Connection conn_;
};

}  // namespace refhost
