#include "refhost/numbering_services.h"

#include <algorithm>
#include <limits>

#include "ado/connection.h"
#include "ado/error.h"
#include "ado/types.h"
#include "host/error.h"
#include "refhost/vat_numbering.h"

namespace refhost {
namespace {

constexpr const char* kSource = "ledgerintake.refhost";
constexpr std::size_t kSectionWidth = 20;  // HOST_NUMBERING.SECTION, HOST_VAT_NUMBERING.SECTION
constexpr std::string_view kRegistrationSection = "00";

// The first column of the first row as a number; 0 when there is none or it is Null.
std::int64_t first_number(const ado::RecordsetPtr& rs) {
    if (rs->EOF()) return 0;
    const ado::Variant value = rs->GetFields().Item(0).Value();
    return value.is_null() || value.is_empty() ? 0 : value.to_longlong();
}

// Where a new customer (tipocf 0) or supplier (1) counter starts: after the highest code of
// the company. Read on a read-only connection of its own: it never waits on the module's
// open write transaction, and it sees what the module has committed.
std::int64_t last_customer_supplier_code(const MainDatabase& main, std::int32_t company,
                                         std::int32_t tipocf) {
    ado::Connection conn;
    conn.Open(main.read_only_connection_string());
    ado::SqlText sql;
    sql.line(" SELECT MAX(CG44_CLIFOR) AS LAST_CODE")
        .line(" FROM CG44_CLIFOR WITH (NOLOCK)")
        .line(" WHERE CG44_DITTA_CG18 = ")
        .number(company)
        .line("     AND CG44_TIPOCF = ")
        .number(tipocf);
    return first_number(conn.Execute(sql));
}

// The registration-number prefix of a year: its four digits.
std::string registration_prefix(std::int32_t year) {
    std::string digits = std::to_string(year);
    return std::string(digits.size() < 4 ? 4 - digits.size() : 0, '0') + digits;
}

// The number of a registration number made of `prefix` and 8 digits; -1 for any other text.
std::int64_t registration_number(std::string_view text, std::string_view prefix) {
    if (text.size() != prefix.size() + 8 || text.substr(0, prefix.size()) != prefix) return -1;
    const std::string_view digits = text.substr(prefix.size());
    std::int64_t n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

// Where the registration numbers of a year start: after the highest the company already has
// with the year's prefix, in its master documents and its journal. Texts in the prefix's
// range that are not prefix + 8 digits are passed over. Read-only, like the customer seed.
std::int64_t last_registration_number(const MainDatabase& main, std::int32_t company,
                                      const std::string& prefix) {
    struct Source {
        const char* table;
        const char* number;
        const char* company;
    };
    ado::Connection conn;
    conn.Open(main.read_only_connection_string());
    std::int64_t last = 0;
    for (const Source& source : {Source{"CO99_MASTERDOC", "CO99_NUMREG", "CO99_DITTA_CG18"},
                                 Source{"CG41_PRIMANOTA", "CG41_NUMREG", "CG41_DITTA_CG18"}}) {
        const auto range = [&](ado::SqlText& sql) {
            sql.line(" FROM ")
                .add(source.table)
                .add(" WITH (NOLOCK)")
                .line(" WHERE ")
                .add(source.company)
                .add(" = ")
                .number(company)
                .line("     AND ")
                .add(source.number)
                .add(" >= '")
                .value(prefix + "00000000")
                .add("'")
                .line("     AND ")
                .add(source.number)
                .add(" <= '")
                .value(prefix + "99999999")
                .add("'");
        };
        // Usually the highest text of the range is a number; otherwise the range is walked
        // down to the highest one that is.
        ado::SqlText highest;
        highest.line(" SELECT MAX(").add(source.number).add(") AS LAST_NUMBER");
        range(highest);
        const auto top = conn.Execute(highest);
        std::int64_t found =
            top->EOF() ? -1 : registration_number(top->GetFields().Item(0).Value().text_or_empty(), prefix);
        if (found < 0 && !top->EOF() && !top->GetFields().Item(0).Value().is_null()) {
            ado::SqlText walk;
            walk.line(" SELECT ").add(source.number).add(" AS NUMREG");
            range(walk);
            walk.line(" ORDER BY ").add(source.number).add(" DESC");
            for (const auto rs = conn.Execute(walk); found < 0 && !rs->EOF(); rs->MoveNext())
                found = registration_number(rs->GetFields().Item(0).Value().text_or_empty(), prefix);
        }
        last = std::max(last, found);
    }
    return last;
}

// The date recorded with a used number: the update date, else the date; Empty and Null give
// none. Text is read as the books write dates. False when the value is not a date.
bool recorded_date(const ado::Variant& update_date, const ado::Variant& date,
                   std::optional<ado::DateTime>& out) {
    const ado::Variant& v = update_date.is_empty() || update_date.is_null() ? date : update_date;
    out.reset();
    if (v.is_empty() || v.is_null()) return true;
    if (v.is_date()) {
        out = v.date();
        return true;
    }
    if (v.is_string()) out = ado::DateTime::parse(ado::trim(v.str()));
    return out.has_value();
}

bool integer_value(const ado::Variant& v) {
    const auto type = v.type();
    return type == ado::VarType::Integer || type == ado::VarType::Long || type == ado::VarType::LongLong;
}

void add_key_value(ado::SqlText& sql, const ado::Variant& value) {
    if (value.is_string())
        sql.add("'").value(value.to_string()).add("'");
    else
        sql.number(value.to_longlong());
}

using KeyPairs = std::vector<std::pair<std::string, ado::Variant>>;

// Where a new progressive starts: after the value its row holds (the highest, should the
// keys match several rows; 0 when none).
std::int64_t last_progressive_value(const MainDatabase& main, const std::string& table, const KeyPairs& keys,
                                    const std::string& value_column) {
    ado::Connection conn;
    conn.Open(main.read_only_connection_string());
    ado::SqlText sql;
    sql.line(" SELECT MAX(")
        .add(value_column)
        .add(") AS LAST_VALUE")
        .line(" FROM ")
        .add(table)
        .add(" WITH (NOLOCK)");
    bool first = true;
    for (const auto& [column, value] : keys) {
        sql.line(first ? " WHERE " : "     AND ").add(column).add(" = ");
        add_key_value(sql, value);
        first = false;
    }
    return first_number(conn.Execute(sql));
}

[[noreturn]] void refuse(const std::string& message) {
    throw host::Error(host::kErrHostCall, message, kSource);
}

// Names go into statements as text, so only plain identifiers pass; key values go in as
// values, so only texts without quotes and integers pass.
void check_progressive(const std::string& table, const KeyPairs& keys,
                       const std::vector<std::string>& value_columns) {
    if (!plain_identifier(table)) refuse("The table name '" + table + "' is not a plain identifier.");
    if (value_columns.empty()) refuse("No value column was named.");
    for (const auto& column : value_columns)
        if (!plain_identifier(column))
            refuse("The value column name '" + column + "' is not a plain identifier.");
    for (const auto& [column, value] : keys) {
        if (!plain_identifier(column))
            refuse("The key column name '" + column + "' is not a plain identifier.");
        if (value.is_string() && value.to_string().find('\'') != std::string::npos)
            refuse("The value of the key column " + column + " holds a quote.");
        if (!value.is_string() && !integer_value(value))
            refuse("The value of the key column " + column + " is neither a text nor an integer.");
    }
}

// One key value as the store records it: "text" (trailing blanks dropped, quotes doubled) or
// an integer; anything else only shows in messages.
std::string key_value_text(const ado::Variant& value) {
    if (integer_value(value)) return std::to_string(value.to_longlong());
    if (!value.is_string()) return value.is_null() ? "Null" : value.is_empty() ? "Empty" : "?";
    std::string out = "\"";
    for (char c : ado::rtrim(value.to_string())) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + '"';
}

// The keys as the store records them: COLUMN = "text" or COLUMN = 12, in the order given,
// joined by AND.
std::string key_text(const KeyPairs& keys) {
    std::string out;
    for (const auto& [column, value] : keys)
        out += (out.empty() ? "" : " AND ") + column + " = " + key_value_text(value);
    return out;
}

std::string describe_progressive(const std::string& table, const KeyPairs& keys,
                                 const std::vector<std::string>& value_columns) {
    std::string out = table + ".";
    for (std::size_t i = 0; i < value_columns.size(); ++i) out += (i ? "/" : "") + value_columns[i];
    if (!keys.empty()) out += " (" + key_text(keys) + ")";
    return out;
}

}  // namespace

ado::Variant NumberingRequest::Run() {
    error_code_ = kNumberingFailed;
    number_ = prefix_ = ado::Variant();
    last_error_.clear();
    if (operation_ == host::kRecordUsedNumber) {
        record_used_number();
    } else if (operation_ != host::kTakeNewNumber) {
        error_code_ = kNumberingBadRequest;
        last_error_ = "Operation " + std::to_string(operation_) +
                      " is neither 2 (take a new number) nor 3 (record a used number).";
    } else if (std::string problem = request_problem(); !problem.empty()) {
        error_code_ = kNumberingBadRequest;
        last_error_ = std::move(problem);
    } else {
        take_into_results();
    }
    return ErrorCode();
}

void NumberingRequest::take_into_results() {
    try {
        number_ = ado::Variant(std::to_string(take_new_number()));
        prefix_ = ado::Variant(kind_ == kRegistrationKind ? registration_prefix(year_) : std::string());
        error_code_ = kNumberingSuccess;
    } catch (const std::exception& e) {
        store_.reset();  // opened again by the next run
        last_error_ = "No number of kind " + std::to_string(kind_) + " could be taken: " + e.what();
    } catch (...) {
        store_.reset();
        last_error_ = "No number of kind " + std::to_string(kind_) + " could be taken.";
    }
}

void NumberingRequest::record_used_number() {
    error_code_ = kNumberingBadRequest;
    UsedNumber used;
    if (last_error_ = used_number(used); !last_error_.empty()) return;
    error_code_ = kNumberingFailed;
    try {
        refhost::record_used_number(*connection_, used);
        error_code_ = kNumberingSuccess;
    } catch (const std::exception& e) {
        last_error_ = "The used number " + std::to_string(used.number) + " of kind " +
                      std::to_string(used.kind) + " could not be recorded: " + e.what();
    }
}

std::string NumberingRequest::used_number(UsedNumber& used) const {
    if (!connection_ || connection_->State() != ado::adStateOpen)
        return "A used number is recorded on the caller's connection, inside its transaction, and no open "
               "connection was handed in.";
    if (std::string problem = section_problem(); !problem.empty()) return problem;
    if (year_ < 1 || year_ > 9999)
        return "The year " + std::to_string(year_) + " of the request is not a year (1 to 9999).";
    if (update_kind_ != 0 && kind_ != 0 && update_kind_ != kind_)
        return "The update kind " + std::to_string(update_kind_) + " differs from the numbering kind " +
               std::to_string(kind_) + ".";
    used.company = company_;
    used.year = year_;
    used.section = section_text();
    used.kind = update_kind_ != 0 ? update_kind_ : kind_;
    if (!vat_numbering_kind(used.kind))
        return "Kind " + std::to_string(used.kind) +
               " is not a VAT numbering kind (1 to 14; there is no 12).";
    std::string why;
    const auto first = document_number(document_number_, why);
    const bool range = !document_number_second_.is_empty() && !document_number_second_.is_null();
    const auto second = range ? document_number(document_number_second_, why) : first;
    if (!first || !second) return "No used number was recorded: " + why + ".";
    if (*second < *first)
        return "The second document number " + std::to_string(*second) + " is below the first, " +
               std::to_string(*first) + ".";
    used.number = *second;
    if (!recorded_date(update_date_, date_, used.date))
        return "The date '" +
               (update_date_.is_empty() || update_date_.is_null() ? date_ : update_date_).to_string() +
               "' of the used number is not a date.";
    return {};
}

std::string NumberingRequest::main_connection_string() const {
    if (!connection_string_.empty()) return connection_string_;
    if (connection_ && !connection_->ConnectionString().empty()) return connection_->ConnectionString();
    return default_connection_string_;
}

bool NumberingRequest::across_years() const {
    return kind_ == kCustomerCodeKind || kind_ == kSupplierCodeKind;
}

std::string NumberingRequest::section_text() const {
    return section_.is_null() || section_.is_empty() ? std::string() : ado::rtrim(section_.to_string());
}

std::string NumberingRequest::section_problem() const {
    const std::string section = section_text();
    if (section.empty()) return "The request names no section.";
    if (section.find('\'') != std::string::npos) return "The section '" + section + "' holds a quote.";
    if (ado::utf8_length(section) > kSectionWidth)
        return "The section '" + section + "' is longer than " + std::to_string(kSectionWidth) +
               " characters.";
    return {};
}

std::string NumberingRequest::request_problem() const {
    if (std::string problem = section_problem(); !problem.empty()) return problem;
    if (!across_years() && (year_ < 1 || year_ > 9999))
        return "The year " + std::to_string(year_) + " of the request is not a year (1 to 9999).";
    return {};
}

std::int32_t NumberingRequest::take_new_number() {
    NumberStore& store = store_for(main_connection_string());
    const bool registration = kind_ == kRegistrationKind;
    // Registration numbers are one sequence per company and year whatever the section: they
    // share the year's prefix, so two sections would hand out the same number.
    const CounterKey counter{
        kNumberingTable,
        {{"COMPANY", ado::Variant::long_value(company_)},
         {"KIND", ado::Variant::long_value(kind_)},
         {"SECTION", ado::Variant(registration ? std::string(kRegistrationSection) : section_text())},
         {"YEAR", ado::Variant::long_value(across_years() ? 0 : year_)}},
        registration ? kLastRegistrationNumber : std::numeric_limits<std::int32_t>::max()};
    const auto last_before = [&](std::size_t) -> std::int64_t {
        if (registration) return last_registration_number(store.main(), company_, registration_prefix(year_));
        if (!across_years()) return 0;
        return last_customer_supplier_code(store.main(), company_, kind_ == kCustomerCodeKind ? 0 : 1);
    };
    return store.take({counter}, last_before).front();
}

NumberStore& NumberingRequest::store_for(const std::string& connection_string) {
    if (!store_ || store_->main().connection_string != connection_string)
        store_ = std::make_unique<NumberStore>(main_database(connection_string));
    return *store_;
}

std::vector<ado::Variant> ProgressiveNumberService::Reserve(const std::string& connection_string,
                                                            const std::string& table, const KeyPairs& keys,
                                                            const std::vector<std::string>& value_columns) {
    const auto failed = [&](const std::string& why) {
        return "No value of the progressive " + describe_progressive(table, keys, value_columns) +
               " could be reserved: " + why;
    };
    try {
        check_progressive(table, keys, value_columns);
        const std::string& cs = connection_string.empty() ? default_connection_string_ : connection_string;
        if (!store_ || store_->main().connection_string != cs)
            store_ = std::make_unique<NumberStore>(main_database(cs));
        const std::string keys_text = key_text(keys);
        std::vector<CounterKey> counters;
        for (const auto& column : value_columns)
            counters.push_back({kProgressiveTable,
                                {{"TABLE_NAME", ado::Variant(table)},
                                 {"KEY_VALUES", ado::Variant(keys_text)},
                                 {"VALUE_COLUMN", ado::Variant(column)}}});
        const MainDatabase& main = store_->main();
        const auto taken = store_->take(counters, [&](std::size_t i) {
            return last_progressive_value(main, table, keys, value_columns[i]);
        });
        return {taken.begin(), taken.end()};
    } catch (const host::Error& e) {
        store_.reset();
        throw host::Error(e.number(), failed(e.description()), e.source());
    } catch (const ado::Error& e) {
        store_.reset();
        throw host::Error(e.number(), failed(e.description()), e.source());
    }
}

}  // namespace refhost
