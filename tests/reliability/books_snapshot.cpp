#include "books_snapshot.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <ctime>
#include <iterator>
#include <set>
#include <stdexcept>

namespace reliability {

namespace {

using Row = std::map<std::string, std::string>;
using Table = std::vector<Row>;

const std::set<std::string> kLeftOut = {"IE42_ID",       "IE42_DATAORA", "IE43_ID",  "IE43_ID_IE42",
                                        "CG44_IDCLIFOR", "CG16S_ID",     "CG41_GUID"};
const std::set<std::string> kRegistrationColumns = {"CG41_NUMREG",     "CG41_RIFPADRE",    "CG41_RIFFIGLIA",
                                                    "CO99_NUMREG",     "CG42_NUMREG_CG41", "CG43_NUMREG_CG41",
                                                    "IE43_NUMREG_CO99"};
const std::set<std::string> kRegistryColumns = {"CG16_CODICE", "IE42_AZIENDARIF", "IE43_AZIENDARIF"};
// Customer or supplier code columns and the column of their kind.
const std::map<std::string, std::string> kPartyColumns = {{"CG44_CLIFOR", "CG44_TIPOCF"},
                                                          {"CG41_CLIFOR_CG44", "CG41_TIPOCF_CG44"},
                                                          {"CG42_CLIFORPAR_CG44", "CG42_TIPOCF_CG44"}};
constexpr const char* kNull = "<null>";

std::string trimmed(const std::string& text) {
    const auto end = text.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

bool ends_with(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

class Database {
  public:
    explicit Database(const std::filesystem::path& path) {
        if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
            const std::string why = db_ ? sqlite3_errmsg(db_) : "out of memory";
            sqlite3_close(db_);
            throw std::runtime_error("cannot open " + path.string() + ": " + why);
        }
    }
    ~Database() { sqlite3_close(db_); }
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    Table rows(const std::string& sql) const {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
            throw std::runtime_error(sql + ": " + sqlite3_errmsg(db_));
        Table table;
        int rc = SQLITE_ROW;
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
            Row row;
            for (int c = 0; c < sqlite3_column_count(statement); ++c) {
                const auto* text = sqlite3_column_text(statement, c);
                row[sqlite3_column_name(statement, c)] = sqlite3_column_type(statement, c) == SQLITE_NULL
                                                             ? kNull
                                                             : reinterpret_cast<const char*>(text);
            }
            table.push_back(std::move(row));
        }
        const std::string why = sqlite3_errmsg(db_);
        sqlite3_finalize(statement);
        if (rc != SQLITE_DONE) throw std::runtime_error(sql + ": " + why);
        return table;
    }

  private:
    sqlite3* db_ = nullptr;
};

// Values of one domain of numbers, each replaced by its rank ("#1", "#2"...) among them.
class Ranks {
  public:
    void add(const std::string& value, bool numeric) {
        const std::string v = trimmed(value);
        if (v == kNull || v.empty()) return;
        values_.insert(numeric ? pad(v) : v);
        numeric_ = numeric;
    }
    void finish() {
        std::size_t rank = 0;
        for (const auto& v : values_) ranks_[v] = "#" + std::to_string(++rank);
    }
    std::string operator()(const std::string& value) const {
        const std::string v = numeric_ ? pad(trimmed(value)) : trimmed(value);
        const auto found = ranks_.find(v);
        return found == ranks_.end() ? value : found->second;
    }

  private:
    static std::string pad(const std::string& v) {
        return std::string(v.size() < 20 ? 20 - v.size() : 0, '0') + v;
    }
    std::set<std::string> values_;
    std::map<std::string, std::string> ranks_;
    bool numeric_ = false;
};

struct Renumbering {
    Ranks registrations, registry;
    std::map<std::string, Ranks> parties;  // by kind

    explicit Renumbering(const Database& db) {
        for (const auto& row : db.rows("SELECT CO99_NUMREG FROM CO99_MASTERDOC"))
            registrations.add(row.at("CO99_NUMREG"), false);
        for (const auto& row : db.rows("SELECT CG41_NUMREG FROM CG41_PRIMANOTA"))
            registrations.add(row.at("CG41_NUMREG"), false);
        for (const auto& row : db.rows("SELECT CG16_CODICE FROM CG16_ANAGGEN"))
            registry.add(row.at("CG16_CODICE"), true);
        for (const auto& row : db.rows("SELECT CG44_TIPOCF, CG44_CLIFOR FROM CG44_CLIFOR"))
            parties[row.at("CG44_TIPOCF")].add(row.at("CG44_CLIFOR"), true);
        registrations.finish();
        registry.finish();
        for (auto& [kind, ranks] : parties) ranks.finish();
    }

    std::string value(const Row& row, const std::string& column, const std::string& value) const {
        if (kRegistrationColumns.count(column)) return registrations(value);
        const bool registry_code = kRegistryColumns.count(column) || ends_with(column, "_CG16");
        if (registry_code) return registry(value);
        const auto party = kPartyColumns.find(column);
        if (party != kPartyColumns.end()) {
            const auto kind = parties.find(row.at(party->second));
            return kind == parties.end() ? value : kind->second(value);
        }
        return value;
    }
};

bool is_guid(const std::string& v) {
    if (v.size() != 36) return false;
    for (std::size_t i = 0; i < v.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash != (v[i] == '-') || (!dash && !std::isxdigit(static_cast<unsigned char>(v[i]))))
            return false;
    }
    return true;
}

// A moment of today with a time: what the run stamped.
bool is_stamp(const std::string& v, const std::string& today) {
    return v.size() == 17 && v.compare(0, 8, today) == 0 && v[8] == ' ';
}

std::string row_text(const Row& row, const Renumbering& renumbering, const std::string& today) {
    std::string text;
    for (const auto& [column, value] : row) {
        if (kLeftOut.count(column) || ends_with(column, "_ROWVERSION")) continue;
        std::string v = renumbering.value(row, column, value);
        if (is_guid(v)) v = "<guid>";
        if (is_stamp(v, today)) v = "<now>";
        if (!text.empty()) text += " | ";
        text += column + "=" + v;
    }
    return text;
}

}  // namespace

const std::vector<std::string>& compared_tables() {
    static const std::vector<std::string> tables = {
        "CG41_PRIMANOTA",         "CG42_MOVCONT",          "CG43_MOVIVA",         "CO99_MASTERDOC",
        "IE43_DETTIMPCOGE",       "CG33_TABCAU",           "CG28_TABCODIVA",      "CG0L_DESLINGUA",
        "CG16_ANAGGEN",           "CG16_ANAGGENSTO",       "CG44_CLIFOR",         "CG26_PROGANAG",
        "HOST_VAT_NUMBERING",     "HOST_PROG_CONTI",       "HOST_PROG_ESERCIZIO", "HOST_PROG_IVA",
        "HOST_PROG_IVA_ATTIVITA", "HOST_PROG_REGISTRI_IVA"};
    return tables;
}

Books read_books(const std::filesystem::path& path, const std::string& today) {
    const Database db(path);
    const Renumbering renumbering(db);
    Books books;
    for (const auto& table : compared_tables()) {
        auto& rows = books.tables[table];
        for (const auto& row : db.rows("SELECT * FROM " + table))
            rows.push_back(row_text(row, renumbering, today));
        std::sort(rows.begin(), rows.end());
    }
    std::set<std::string> headers;
    for (const auto& row : db.rows("SELECT * FROM IE42_IMPCOGE"))
        headers.insert(row_text(row, renumbering, today));
    books.tables["IE42_IMPCOGE (distinct rows)"].assign(headers.begin(), headers.end());
    books.headers = db.rows("SELECT IE42_ID FROM IE42_IMPCOGE").size();
    books.empty_headers = db.rows(
                                "SELECT IE42_ID FROM IE42_IMPCOGE WHERE IE42_ID NOT IN (SELECT IE43_ID_IE42 "
                                "FROM IE43_DETTIMPCOGE)")
                              .size();
    return books;
}

std::vector<std::string> differences(const Books& reference, const Books& books) {
    std::vector<std::string> found;
    for (const auto& [table, expected] : reference.tables) {
        const auto here = books.tables.find(table);
        const std::vector<std::string> none;
        const auto& actual = here == books.tables.end() ? none : here->second;
        if (actual == expected) continue;
        std::vector<std::string> missing, extra;
        std::set_difference(expected.begin(), expected.end(), actual.begin(), actual.end(),
                            std::back_inserter(missing));
        std::set_difference(actual.begin(), actual.end(), expected.begin(), expected.end(),
                            std::back_inserter(extra));
        std::string text = table + ": " + std::to_string(actual.size()) + " row(s), the reference " +
                           std::to_string(expected.size());
        if (!missing.empty())
            text += "; " + std::to_string(missing.size()) + " missing, the first: " + missing.front();
        if (!extra.empty())
            text +=
                "; " + std::to_string(extra.size()) + " not in the reference, the first: " + extra.front();
        found.push_back(text);
    }
    return found;
}

std::string today_text() {
    const std::time_t now = std::time(nullptr);
    char text[9];
    std::strftime(text, sizeof text, "%Y%m%d", std::localtime(&now));
    return text;
}

}  // namespace reliability
