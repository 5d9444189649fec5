// What the floor reads once and the plumbing its phases share: the files opened as the
// engine opens them, the number store, the group structure of the member.
#include <ctime>
#include <stdexcept>

#include "ado/driver.h"
#include "ado/sqlite/functions.h"
#include "floor.h"
#include "refhost/database.h"
#include "refhost/number_store.h"

namespace floorbench {

namespace {

// The store's tables as the reference host defines them (texts under the books' collation).
constexpr const char* kStoreTables =
    "CREATE TABLE IF NOT EXISTS HOST_NUMBERING (COMPANY INT NOT NULL, KIND INT NOT NULL,"
    " SECTION NVARCHAR(20) NOT NULL COLLATE CI_RTRIM, YEAR INT NOT NULL, LAST_NUMBER INT NOT NULL,"
    " PRIMARY KEY (COMPANY, KIND, SECTION, YEAR));"
    "CREATE TABLE IF NOT EXISTS HOST_PROGRESSIVE (TABLE_NAME VARCHAR(128) NOT NULL COLLATE CI_RTRIM,"
    " KEY_VALUES NVARCHAR(1000) NOT NULL COLLATE CI_RTRIM, VALUE_COLUMN VARCHAR(128) NOT NULL COLLATE "
    "CI_RTRIM,"
    " LAST_NUMBER INT NOT NULL, PRIMARY KEY (TABLE_NAME, KEY_VALUES, VALUE_COLUMN));";

// The registry counter of the customer and supplier creation.
constexpr const char* kRegistryTable = "CG26_PROGANAG";
constexpr const char* kRegistryKey = "CG26_CODICE = \"ANAGG\"";
constexpr const char* kRegistryColumn = "CG26_VALPROG";

// As the engine opens a connection: foreign keys on, the synchronous setting its connection
// string names (none: SQLite's default), WAL journalling, the collation and functions.
void open_like_the_engine(Database& db, const std::string& path, const std::string& synchronous) {
    sqlite3_busy_timeout(db.handle(), 5000);
    ado::sqlite::register_functions(db.handle());
    db.exec("PRAGMA foreign_keys = ON");
    const ado::ConnectionString cs(refhost::connection_string(path));
    if (!synchronous.empty())
        db.exec("PRAGMA synchronous = " + synchronous);
    else if (const auto sync = cs.get("Synchronous"))
        db.exec("PRAGMA synchronous = " + *sync);
    db.exec("PRAGMA journal_mode = WAL");
}

std::string pragma_text(Database& db, const char* pragma) {
    Statement s = db.prepare(std::string("PRAGMA ") + pragma);
    return s.step() ? s.text(0) : std::string();
}

std::string trimmed(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.pop_back();
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    return s.substr(i);
}

}  // namespace

std::string text_of(const pugi::xml_node& node, const char* name) {
    return node.child(name).text().get();
}

std::string stored_date(const std::string& t) {
    const bool with_time = t.size() == 19 && t[10] == ' ';
    if ((t.size() != 10 && !with_time) || t[2] != '/' || t[5] != '/')
        throw std::runtime_error("not a day-first date: '" + t + "'");
    std::string out = t.substr(6, 4) + t.substr(3, 2) + t.substr(0, 2);
    if (with_time && t.substr(11) != "00:00:00") out += " " + t.substr(11);
    return out;
}

Amount amount(const std::string& text) {
    const std::size_t dot = text.find('.');
    Amount a;
    if (dot == std::string::npos || text.find_first_not_of('0', dot + 1) == std::string::npos) {
        a.integer = std::stoll(text.substr(0, dot));
    } else {
        a.whole = false;
        a.real = std::stod(text);
    }
    return a;
}

std::string now_stored() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char out[32];
    std::strftime(out, sizeof out, "%Y%m%d %H:%M:%S", &local);
    return out;
}

std::unique_ptr<Files> open_files(const std::string& db_path, const std::string& synchronous) {
    const std::string store = db_path + std::string(refhost::kNumberStoreSuffix);
    auto files = std::unique_ptr<Files>(new Files{Database(db_path), Database(store, true), "", ""});
    open_like_the_engine(files->main, db_path, synchronous);
    open_like_the_engine(files->store, store, synchronous);
    Transaction t(files->store);
    files->store.exec(kStoreTables);
    t.commit();
    files->synchronous = pragma_text(files->main, "synchronous");
    files->journal_mode = pragma_text(files->main, "journal_mode");
    return files;
}

NumberTaker::NumberTaker(Files& files)
    : files_(files),
      select_numbering_(files.store.prepare("SELECT LAST_NUMBER FROM HOST_NUMBERING WHERE COMPANY = ? AND "
                                            "KIND = ? AND SECTION = ? AND YEAR = ?")),
      update_numbering_(files.store.prepare("UPDATE HOST_NUMBERING SET LAST_NUMBER = ? WHERE COMPANY = ? AND "
                                            "KIND = ? AND SECTION = ? AND YEAR = ?")),
      insert_numbering_(files.store.prepare(
          "INSERT INTO HOST_NUMBERING (COMPANY, KIND, SECTION, YEAR, LAST_NUMBER) VALUES (?, ?, ?, ?, ?)")),
      select_progressive_(
          files.store.prepare("SELECT LAST_NUMBER FROM HOST_PROGRESSIVE WHERE TABLE_NAME = ? AND "
                              "KEY_VALUES = ? AND VALUE_COLUMN = ?")),
      update_progressive_(
          files.store.prepare("UPDATE HOST_PROGRESSIVE SET LAST_NUMBER = ? WHERE TABLE_NAME = ? "
                              "AND KEY_VALUES = ? AND VALUE_COLUMN = ?")),
      insert_progressive_(files.store.prepare("INSERT INTO HOST_PROGRESSIVE (TABLE_NAME, KEY_VALUES, "
                                              "VALUE_COLUMN, LAST_NUMBER) VALUES (?, ?, ?, ?)")) {}

int NumberTaker::take(int company, int kind, const std::string& section, int year,
                      const std::function<std::int64_t()>& seed) {
    Transaction t(files_.store);
    const std::optional<std::int64_t> last =
        select_numbering_.bind(company, kind, section, year).first_integer();
    const auto next = static_cast<int>((last ? *last : std::max<std::int64_t>(seed(), 0)) + 1);
    if (last)
        update_numbering_.bind(next, company, kind, section, year).run();
    else
        insert_numbering_.bind(company, kind, section, year, next).run();
    t.commit();
    return next;
}

int NumberTaker::take_registry_code() {
    Transaction t(files_.store);
    std::optional<std::int64_t> last =
        select_progressive_.bind(kRegistryTable, kRegistryKey, kRegistryColumn).first_integer();
    const bool seen = last.has_value();
    if (!seen) {
        Statement seed =
            files_.main.prepare("SELECT MAX(CG26_VALPROG) FROM CG26_PROGANAG WHERE CG26_CODICE = ?");
        last = seed.bind("ANAGG").first_integer().value_or(0);
    }
    const auto next = static_cast<int>(*last + 1);
    if (seen)
        update_progressive_.bind(next, kRegistryTable, kRegistryKey, kRegistryColumn).run();
    else
        insert_progressive_.bind(kRegistryTable, kRegistryKey, kRegistryColumn, next).run();
    t.commit();
    return next;
}

std::int64_t last_registration_number(Files& files, int company, int year) {
    const std::string prefix = std::to_string(year);
    std::int64_t last = 0;
    for (const char* sql :
         {"SELECT MAX(CO99_NUMREG) FROM CO99_MASTERDOC WHERE CO99_DITTA_CG18 = ? AND CO99_NUMREG "
          ">= ? AND CO99_NUMREG <= ?",
          "SELECT MAX(CG41_NUMREG) FROM CG41_PRIMANOTA WHERE CG41_DITTA_CG18 = ? AND CG41_NUMREG "
          ">= ? AND CG41_NUMREG <= ?"}) {
        Statement s = files.main.prepare(sql);
        if (s.bind(company, prefix + "00000000", prefix + "99999999").step() && !s.is_null(0))
            last = std::max<std::int64_t>(last, std::stoll(s.text(0).substr(prefix.size())));
    }
    return last;
}

std::int64_t last_customer_code(Files& files, int company, int type) {
    Statement s = files.main.prepare(
        "SELECT MAX(CG44_CLIFOR) FROM CG44_CLIFOR WHERE CG44_DITTA_CG18 = ? AND "
        "CG44_TIPOCF = ?");
    return s.bind(company, type).first_integer().value_or(0);
}

std::string Books::transcode(int kind, const std::string& external) const {
    if (external.empty()) return {};
    const auto it = indicator.find(kind);
    switch (it == indicator.end() ? 0 : it->second) {
        case 0:
            return external;
        case 1: {
            const auto v = values.find({kind, external});
            return v == values.end() ? std::string() : v->second;
        }
        case 2:
            return fixed_value.at(kind);
        default:
            throw std::runtime_error(
                "the floor transcodes codes unchanged, by value or to a fixed value; kind " +
                std::to_string(kind) + " uses the account proposal");
    }
}

Books read_books(Files& files, const pugi::xml_node& root, int company, const std::string& user) {
    Books b;
    b.company = company;
    b.user = user;
    Statement c = files.main.prepare(
        "SELECT CHART_GROUP, ACCOUNT_CUSTOMERS, ACCOUNT_SUPPLIERS FROM HOST_COMPANY WHERE COMPANY_CODE = ?");
    if (!c.bind(company).step()) throw std::runtime_error("no company " + std::to_string(company));
    b.chart_group = static_cast<int>(c.integer(0));
    b.customer_account = trimmed(c.text(1));
    b.supplier_account = trimmed(c.text(2));
    Statement u = files.main.prepare("SELECT USER_GROUP FROM HOST_USER WHERE USER_CODE = ?");
    if (!u.bind(user).step()) throw std::runtime_error("no user " + user);
    b.user_group = u.text(0);

    const pugi::xml_node settings = root.child("Impostazioni");
    b.year = std::stoi(stored_date(text_of(settings, "IE40_ADATA")).substr(0, 4));
    Statement s = files.main.prepare(
        "SELECT CGG5_ID, CGG5_CODICEAN_CG16, CGG5_INDDEFAULTSEZ, CGG5_DEFAULTSEZ, CGG5_INDDEFAULTCODIVA,"
        " CGG5_DEFAULTCODIVA, CGG5_INDDEFAULTCAUCONT, CGG5_DEFAULTCAUCONT, CGG5_INDDEFAULTCONTI, "
        "CGG5_DEFAULTCONTI"
        " FROM CGG5_STRUTGR JOIN CG16_ANAGGEN ON CG16_CODICE = CGG5_CODICEAN_CG16"
        " WHERE CGG5_DITTA_CG18 = ? AND CGG5_ANNO = ? AND trim(CG16_CODFISCALE) = ?");
    if (!s.bind(company, b.year, text_of(root.child("InfoDitta"), "CG16_CODFISCALE")).step())
        throw std::runtime_error("the member is not in the group structure of " + std::to_string(b.year));
    const std::int64_t structure = s.integer(0);
    b.member_registry = static_cast<int>(s.integer(1));
    for (int kind = kSection; kind <= kAccount; ++kind) {
        b.indicator[kind] = static_cast<int>(s.integer(2 + 2 * kind));
        b.fixed_value[kind] = trimmed(s.text(3 + 2 * kind));
    }
    Statement v = files.main.prepare(
        "SELECT CGG6_INDTRASC, CGG6_VALESTERNO, CGG6_VALINTERNO FROM CGG6_TRASCODIFVAL WHERE CGG6_ID_CGG5 = "
        "?");
    v.bind(structure);
    while (v.step()) b.values[{static_cast<int>(v.integer(0)), v.text(1)}] = trimmed(v.text(2));
    return b;
}

}  // namespace floorbench
