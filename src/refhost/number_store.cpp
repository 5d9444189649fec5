#include "refhost/number_store.h"

#include <charconv>

#include "ado/driver.h"
#include "ado/error.h"
#include "host/error.h"
#include "refhost/database.h"

namespace refhost {
namespace fs = std::filesystem;

namespace {

constexpr const char* kSource = "ledgerintake.refhost";

// The store's tables. Texts take the database collation, so sections and key values compare
// as the books compare them (case and trailing blanks ignored).
constexpr const char* kNumberingDefinition =
    "CREATE TABLE IF NOT EXISTS HOST_NUMBERING (\r\n"
    "    COMPANY INT NOT NULL,\r\n"
    "    KIND INT NOT NULL,\r\n"
    "    SECTION NVARCHAR(20) NOT NULL,\r\n"
    "    YEAR INT NOT NULL,\r\n"
    "    LAST_NUMBER INT NOT NULL,\r\n"
    "    PRIMARY KEY (COMPANY, KIND, SECTION, YEAR)\r\n"
    ")";
constexpr const char* kProgressiveDefinition =
    "CREATE TABLE IF NOT EXISTS HOST_PROGRESSIVE (\r\n"
    "    TABLE_NAME VARCHAR(128) NOT NULL,\r\n"
    "    KEY_VALUES NVARCHAR(1000) NOT NULL,\r\n"
    "    VALUE_COLUMN VARCHAR(128) NOT NULL,\r\n"
    "    LAST_NUMBER INT NOT NULL,\r\n"
    "    PRIMARY KEY (TABLE_NAME, KEY_VALUES, VALUE_COLUMN)\r\n"
    ")";

[[noreturn]] void refuse(const std::string& message) {
    throw host::Error(host::kErrHostCall, message, kSource);
}

std::string lower_without_blanks(std::string_view s) {
    std::string out;
    for (char c : s)
        if (c != ' ' && c != '\t') out.push_back(static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c));
    return out;
}

void add_value(ado::SqlText& sql, const ado::Variant& value) {
    if (value.is_string())
        sql.add("'").value(value.to_string()).add("'");
    else
        sql.number(value.to_longlong());
}

void add_where(ado::SqlText& sql, const CounterKey& counter) {
    bool first = true;
    for (const auto& [column, value] : counter.columns) {
        sql.line(first ? " WHERE " : "     AND ").add(column).add(" = ");
        add_value(sql, value);
        first = false;
    }
}

std::string describe(const CounterKey& counter) {
    std::string out(counter.table);
    const char* separator = " ";
    for (const auto& [column, value] : counter.columns) {
        out += separator + std::string(column) + " = " + value.to_string();
        separator = ", ";
    }
    return out;
}

}  // namespace

std::string MainDatabase::read_only_connection_string() const {
    return refhost::connection_string(file) + ";Mode=ReadOnly" +
           (busy_timeout.empty() ? "" : ";Busy Timeout=" + busy_timeout);
}

MainDatabase main_database(const std::string& text) {
    const ado::ConnectionString cs(text);
    const std::string provider = cs.get("Provider").value_or("");
    if (lower_without_blanks(provider) != "sqlite" && lower_without_blanks(provider) != "sqlite3")
        refuse("Numbers are kept beside an SQLite database file; the connection string names the provider '" +
               provider + "'.");
    const std::string source = cs.get("Data Source").value_or("");
    if (source.empty())
        refuse("The connection string names no database file (Data Source) to keep numbers beside.");
    if (source == ":memory:")
        refuse(
            "The database is in memory (:memory:): numbers are kept in a file beside the database file, "
            "and an in-memory database has none.");
    std::error_code ec;
    if (!fs::is_regular_file(source, ec))
        refuse("The database file \"" + source + "\" does not exist: numbers are kept beside it.");
    MainDatabase main{text, source, cs.get("Busy Timeout").value_or("")};
    int milliseconds = 0;
    const auto* end = main.busy_timeout.data() + main.busy_timeout.size();
    if (!main.busy_timeout.empty() &&
        (std::from_chars(main.busy_timeout.data(), end, milliseconds).ptr != end || milliseconds < 0))
        refuse("Busy Timeout in the connection string is a number of milliseconds, not '" +
               main.busy_timeout + "'.");
    return main;
}

bool plain_identifier(std::string_view name) {
    const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
    if (name.empty() || !letter(name.front())) return false;
    for (char c : name)
        if (!letter(c) && !(c >= '0' && c <= '9')) return false;
    return true;
}

NumberStore::NumberStore(MainDatabase main) : main_(std::move(main)) {
    conn_.Open(connection_string(main_.store_file(), true) +
               (main_.busy_timeout.empty() ? "" : ";Busy Timeout=" + main_.busy_timeout));
    // Two imports opening a new store at once: the second waits here and finds the tables.
    ado::TransactionGuard transaction(conn_);
    conn_.Execute(kNumberingDefinition);
    conn_.Execute(kProgressiveDefinition);
    transaction.Commit();
}

std::vector<std::int32_t> NumberStore::take(const std::vector<CounterKey>& counters,
                                            const std::function<std::int64_t(std::size_t)>& last_before) {
    ado::TransactionGuard transaction(conn_);
    std::vector<std::int32_t> taken;
    for (std::size_t i = 0; i < counters.size(); ++i)
        taken.push_back(take_one(counters[i], [&] { return last_before(i); }));
    transaction.Commit();
    return taken;
}

std::int32_t NumberStore::take_one(const CounterKey& counter,
                                   const std::function<std::int64_t()>& last_before) {
    ado::SqlText select;
    select.line(" SELECT LAST_NUMBER").line(" FROM ").add(counter.table);
    add_where(select, counter);
    const auto rs = conn_.Execute(select);
    const bool seen = !rs->EOF();
    std::int64_t last = seen ? rs->GetFields().Item(0).Value().to_longlong() : last_before();
    if (last < 0) last = 0;
    if (last >= counter.last_allowed)
        refuse("The counter " + describe(counter) + " in \"" + main_.store_file().string() +
               "\" has handed out its last number (" + std::to_string(last) + ").");
    const auto next = static_cast<std::int32_t>(last + 1);

    ado::SqlText write;
    if (seen) {
        write.line(" UPDATE ").add(counter.table).add(" SET LAST_NUMBER = ").number(next);
        add_where(write, counter);
    } else {
        write.line(" INSERT INTO ").add(counter.table).add(" (");
        for (const auto& [column, value] : counter.columns) write.add(column).add(", ");
        write.add("LAST_NUMBER)").line(" VALUES (");
        for (const auto& [column, value] : counter.columns) {
            add_value(write, value);
            write.add(", ");
        }
        write.number(next).add(")");
    }
    conn_.Execute(write);
    return next;
}

}  // namespace refhost
