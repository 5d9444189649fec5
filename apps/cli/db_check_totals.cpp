#include "db_check_totals.h"

#include <compare>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ado/connection.h"
#include "ado/core/collation.h"
#include "ado/recordset.h"
#include "ado/sqltext.h"
#include "refhost/progressive_totals.h"

namespace cli {
namespace {

// How rows of one key are combined: the amounts add up; a highest value stays the highest.
enum class Combine { Sum, Max };

// A row's key, compared as the books compare: texts under the collation, numbers by value.
using Key = std::vector<ado::Variant>;

int compare_part(const ado::Variant& a, const ado::Variant& b) {
    const bool a_none = a.is_null() || a.is_empty(), b_none = b.is_null() || b.is_empty();
    if (a_none || b_none) return static_cast<int>(b_none) - static_cast<int>(a_none);
    if (a.is_string() && b.is_string()) return ado::collate_compare(a.str(), b.str());
    if (a.is_string() != b.is_string()) return a.is_string() ? 1 : -1;
    const auto order = a.to_decimal() <=> b.to_decimal();
    return order < 0 ? -1 : order > 0 ? 1 : 0;
}

struct KeyLess {
    bool operator()(const Key& a, const Key& b) const {
        for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
            if (const int c = compare_part(a[i], b[i]); c != 0) return c < 0;
        return a.size() < b.size();
    }
};

bool same_amount(const ado::Variant& a, const ado::Variant& b) {
    const bool a_none = a.is_null() || a.is_empty(), b_none = b.is_null() || b.is_empty();
    if (a_none || b_none) return a_none == b_none;
    return a.to_decimal() == b.to_decimal();
}

ado::Variant combined(const ado::Variant& a, const ado::Variant& b, Combine how) {
    if (a.is_null() || a.is_empty()) return b;
    if (b.is_null() || b.is_empty()) return a;
    if (how == Combine::Max) return a.to_decimal() < b.to_decimal() ? b : a;
    return ado::Variant(a.to_decimal() + b.to_decimal());
}

std::string shown(const ado::Variant& v) {
    if (v.is_null() || v.is_empty()) return "Null";
    if (v.is_string()) return ado::rtrim(v.str());
    return v.to_decimal().to_string();
}

// One progressive-totals table: its key columns, then its amounts, in the order both the
// table's query and the journal's give them.
struct TotalsTable {
    const char* name;
    std::vector<std::string> keys;
    std::vector<std::string> amounts;
    std::vector<Combine> combine;
};

class TotalsRows {
  public:
    explicit TotalsRows(const TotalsTable& table) : table_(table) {}

    void read(ado::Connection& conn, const ado::SqlText& sql) {
        const ado::RecordsetPtr rs = conn.Execute(sql);
        const std::size_t keys = table_.keys.size();
        for (; !rs->EOF(); rs->MoveNext()) {
            ado::Fields fields = rs->GetFields();
            Key key;
            for (std::size_t i = 0; i < keys; ++i) key.push_back(fields.Item(static_cast<int>(i)).Value());
            std::vector<ado::Variant> amounts;
            for (std::size_t i = 0; i < table_.amounts.size(); ++i)
                amounts.push_back(fields.Item(static_cast<int>(keys + i)).Value());
            auto [at, fresh] = rows_.try_emplace(std::move(key), amounts);
            if (fresh) continue;
            for (std::size_t i = 0; i < amounts.size(); ++i)
                at->second[i] = combined(at->second[i], amounts[i], table_.combine[i]);
        }
    }

    // Every difference from `journal`, told from this table's side.
    void compare(const TotalsRows& journal, CheckOutcome& out) const {
        for (const auto& [key, amounts] : journal.rows_) {
            const auto stored = rows_.find(key);
            if (stored == rows_.end()) {
                out.add(name(key) + ": no row, the journal gives " + listed(amounts));
                continue;
            }
            std::string differences;
            for (std::size_t i = 0; i < amounts.size(); ++i)
                if (!same_amount(stored->second[i], amounts[i]))
                    differences += (differences.empty() ? "" : ", ") + table_.amounts[i] + " " +
                                   shown(stored->second[i]) + " where the journal gives " + shown(amounts[i]);
            if (!differences.empty()) out.add(name(key) + ": " + differences);
        }
        for (const auto& [key, amounts] : rows_)
            if (!journal.rows_.contains(key))
                out.add(name(key) + ": " + listed(amounts) + " but no journal rows");
    }

  private:
    std::string name(const Key& key) const {
        std::string text = std::string(table_.name) + " (";
        for (std::size_t i = 0; i < key.size(); ++i)
            text += (i == 0 ? "" : ", ") + table_.keys[i] + " " + shown(key[i]);
        return text + ")";
    }
    std::string listed(const std::vector<ado::Variant>& amounts) const {
        std::string text;
        for (std::size_t i = 0; i < amounts.size(); ++i)
            text += (i == 0 ? "" : ", ") + table_.amounts[i] + " " + shown(amounts[i]);
        return text;
    }

    const TotalsTable& table_;
    std::map<Key, std::vector<ado::Variant>, KeyLess> rows_;
};

const TotalsTable kAccountMonths{"HOST_PROG_CONTI",
                                 {"COMPANY_CODE", "ACCOUNT_GROUP", "ACCOUNT", "YEAR", "MONTH"},
                                 {"DEBIT", "CREDIT"},
                                 {Combine::Sum, Combine::Sum}};
const TotalsTable kExerciseAccounts{
    "HOST_PROG_ESERCIZIO",
    {"COMPANY_CODE", "EXERCISE_VALUE1", "EXERCISE_VALUE2", "ACCOUNT_GROUP", "ACCOUNT"},
    {"DEBIT", "CREDIT"},
    {Combine::Sum, Combine::Sum}};
const TotalsTable kVatMonths{"HOST_PROG_IVA",
                             {"COMPANY_CODE", "VAT_CODE", "SECTION", "YEAR", "MONTH"},
                             {"TAXABLE", "TAX"},
                             {Combine::Sum, Combine::Sum}};
const TotalsTable kActivityVat{"HOST_PROG_IVA_ATTIVITA",
                               {"COMPANY_CODE", "ACTIVITY_ID", "ACTIVITY_CODE", "VAT_CODE", "YEAR", "MONTH"},
                               {"TAXABLE", "TAX"},
                               {Combine::Sum, Combine::Sum}};
const TotalsTable kActivityRegisters{
    "HOST_PROG_REGISTRI_IVA",
    {"COMPANY_CODE", "ACTIVITY_ID", "ACTIVITY_CODE", "SECTION", "YEAR", "MONTH"},
    {"TAXABLE", "TAX", "LAST_PROTOCOL"},
    {Combine::Sum, Combine::Sum, Combine::Max}};

ado::SqlText stored_rows(const TotalsTable& table) {
    ado::SqlText sql;
    sql.line(" SELECT ");
    bool first = true;
    for (const auto* columns : {&table.keys, &table.amounts})
        for (const std::string& column : *columns) {
            sql.add(first ? "" : ", ").add(column);
            first = false;
        }
    sql.line(" FROM ").add(table.name).add(" WITH (NOLOCK)");
    return sql;
}

// The rows of `rows_table` joined to their entries, as the rebuild reads them.
void add_journal(ado::SqlText& sql, const char* rows_table, const std::string& prefix) {
    sql.line(" FROM ")
        .add(rows_table)
        .add(" WITH (NOLOCK)")
        .line(" INNER JOIN CG41_PRIMANOTA WITH (NOLOCK) ON CG41_DITTA_CG18 = ")
        .add(prefix + "_DITTA_CG18 AND CG41_NUMREG = " + prefix + "_NUMREG_CG41");
}

// Registration dates from the first day to the last moment of the last, days as 'YYYYMMDD'.
void add_days(ado::SqlText& sql, const std::string& first_day, const std::string& last_day) {
    sql.line("     AND CG41_DATAREG >= '")
        .value(first_day)
        .add("' AND CG41_DATAREG <= '")
        .value(last_day + " 23:59:59")
        .add("'");
}

std::string day_text(std::int32_t year, int month, int day) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", static_cast<int>(year), month, day);
    return text;
}

ado::SqlText journal_account_months() {
    ado::SqlText sql;
    sql.line(" SELECT CG42_DITTA_CG18, CG42_GRUPPO_CG10, CG42_CONTOPAR_CG24, YEAR(CG41_DATAREG) AS Y,")
        .add(" MONTH(CG41_DATAREG) AS M, SUM(CG42_IMPDARE) AS DEBIT, SUM(CG42_IMPAVERE) AS CREDIT");
    add_journal(sql, "CG42_MOVCONT", "CG42");
    sql.line(" GROUP BY CG42_DITTA_CG18, CG42_GRUPPO_CG10, CG42_CONTOPAR_CG24, YEAR(CG41_DATAREG),")
        .add(" MONTH(CG41_DATAREG)");
    return sql;
}

ado::SqlText journal_vat_months() {
    // Grouped on the columns themselves, as the rebuild groups them; a VAT row without a code
    // counts under the empty code.
    ado::SqlText sql;
    sql.line(" SELECT CG43_DITTA_CG18, ISNULL(CG43_ALIQIVA1_CG28, '') AS VAT_CODE, CG41_SEZIONALE,")
        .add(" YEAR(CG41_DATAREG) AS Y, MONTH(CG41_DATAREG) AS M, SUM(CG43_IMPONIBILE) AS TAXABLE,")
        .add(" SUM(CG43_IMPOSTA) AS TAX");
    add_journal(sql, "CG43_MOVIVA", "CG43");
    sql.line(" GROUP BY CG43_DITTA_CG18, CG43_ALIQIVA1_CG28, CG41_SEZIONALE, YEAR(CG41_DATAREG),")
        .add(" MONTH(CG41_DATAREG)");
    return sql;
}

// Each exercise of HOST_EXERCISE over its days (the one that starts last, should several
// rows carry the same values, as the rebuild takes it).
void read_exercise_accounts(ado::Connection& books, TotalsRows& journal) {
    ado::SqlText list;
    list.line(" SELECT DISTINCT COMPANY_CODE, EXERCISE_VALUE1, EXERCISE_VALUE2")
        .line(" FROM HOST_EXERCISE WITH (NOLOCK)");
    const ado::RecordsetPtr rs = books.Execute(list);
    for (; !rs->EOF(); rs->MoveNext()) {
        const std::int32_t company = rs->GetFields().Item(0).Value().to_long();
        const auto exercise =
            refhost::find_exercise(books, company, rs->GetFields().Item(1).Value().to_integer(),
                                   rs->GetFields().Item(2).Value().to_integer());
        if (!exercise) continue;
        ado::SqlText sql;
        sql.line(" SELECT ")
            .number(company)
            .add(", ")
            .number(exercise->value1)
            .add(", ")
            .number(exercise->value2)
            .add(
                ", CG42_GRUPPO_CG10, CG42_CONTOPAR_CG24, SUM(CG42_IMPDARE) AS DEBIT, SUM(CG42_IMPAVERE) AS "
                "CREDIT");
        add_journal(sql, "CG42_MOVCONT", "CG42");
        sql.line(" WHERE CG42_DITTA_CG18 = ").number(company);
        add_days(sql, exercise->start.date_only().compact(), exercise->end.date_only().compact());
        sql.line(" GROUP BY CG42_GRUPPO_CG10, CG42_CONTOPAR_CG24");
        journal.read(books, sql);
    }
}

struct Activity {
    std::int32_t company = 0;
    refhost::ActivityOfYear of_year;
};

// The VAT activities of every company and year, each year's default one marked as the
// rebuild marks it: the main activity, else the first by code.
std::vector<Activity> activities(ado::Connection& books) {
    ado::SqlText sql;
    sql.line(" SELECT CG86_DITTA_CG18, CG86_ANNO, CG86_IDATTIVITA, CG86_CODATTIVITA, CG86_FLGPRINCIPALE")
        .line(" FROM CG86_ATTIVITAIVA WITH (NOLOCK)")
        .line(" ORDER BY CG86_DITTA_CG18, CG86_ANNO, CG86_CODATTIVITA, CG86_IDATTIVITA");
    std::vector<Activity> out;
    std::vector<bool> main;
    const ado::RecordsetPtr rs = books.Execute(sql);
    for (; !rs->EOF(); rs->MoveNext()) {
        out.push_back({(*rs)["CG86_DITTA_CG18"].Value().to_long(),
                       {(*rs)["CG86_IDATTIVITA"].Value().to_long(),
                        ado::rtrim((*rs)["CG86_CODATTIVITA"].Value().text_or_empty()),
                        (*rs)["CG86_ANNO"].Value().to_long(), false}});
        main.push_back((*rs)["CG86_FLGPRINCIPALE"].Value().to_long() == 1);
    }
    for (std::size_t first = 0, next = 0; first < out.size(); first = next) {
        std::size_t chosen = first;
        for (next = first; next < out.size() && out[next].company == out[first].company &&
                           out[next].of_year.year == out[first].of_year.year;
             ++next)
            if (main[next] && !main[chosen]) chosen = next;
        out[chosen].of_year.is_default = true;
    }
    return out;
}

// The registers of an activity: those HOST_ACTIVITY_SECTION gives it; for the default
// activity also every register given to no activity of the year.
void add_registers_of(ado::SqlText& sql, const Activity& a) {
    const refhost::ActivityOfYear& activity = a.of_year;
    if (activity.is_default) {
        sql.line("     AND CG41_SEZIONALE NOT IN (SELECT SECTION FROM HOST_ACTIVITY_SECTION WITH (NOLOCK)")
            .line("         WHERE COMPANY_CODE = ")
            .number(a.company)
            .add(" AND ACTIVITY_CODE <> '")
            .value(activity.code)
            .add("'")
            .line(
                "             AND ACTIVITY_CODE IN (SELECT CG86_CODATTIVITA FROM CG86_ATTIVITAIVA WITH "
                "(NOLOCK)")
            .line("                 WHERE CG86_DITTA_CG18 = ")
            .number(a.company)
            .add(" AND CG86_ANNO = ")
            .number(activity.year)
            .add("))");
    } else {
        sql.line("     AND CG41_SEZIONALE IN (SELECT SECTION FROM HOST_ACTIVITY_SECTION WITH (NOLOCK)")
            .line("         WHERE COMPANY_CODE = ")
            .number(a.company)
            .add(" AND ACTIVITY_CODE = '")
            .value(activity.code)
            .add("')");
    }
}

// One activity's year of VAT rows: `grouped` is the column after the activity's keys.
ado::SqlText journal_activity(const Activity& a, const char* grouped, const char* amounts) {
    const refhost::ActivityOfYear& activity = a.of_year;
    ado::SqlText sql;
    sql.line(" SELECT ")
        .number(a.company)
        .add(", ")
        .number(activity.id)
        .add(", '")
        .value(activity.code)
        .add("', ")
        .add(grouped)
        .add(", ")
        .number(activity.year)
        .add(", MONTH(CG41_DATAREG) AS M, ")
        .add(amounts);
    add_journal(sql, "CG43_MOVIVA", "CG43");
    sql.line(" WHERE CG43_DITTA_CG18 = ").number(a.company);
    add_days(sql, day_text(activity.year, 1, 1), day_text(activity.year, 12, 31));
    add_registers_of(sql, a);
    return sql;
}

void compare_table(ado::Connection& books, const TotalsTable& table,
                   const std::function<void(TotalsRows&)>& read_journal, CheckOutcome& out) {
    TotalsRows stored(table), journal(table);
    stored.read(books, stored_rows(table));
    read_journal(journal);
    stored.compare(journal, out);
}

}  // namespace

CheckOutcome check_progressive_totals(ado::Connection& books) {
    CheckOutcome out{"progressive totals"};
    compare_table(
        books, kAccountMonths, [&](TotalsRows& j) { j.read(books, journal_account_months()); }, out);
    compare_table(
        books, kExerciseAccounts, [&](TotalsRows& j) { read_exercise_accounts(books, j); }, out);
    compare_table(
        books, kVatMonths, [&](TotalsRows& j) { j.read(books, journal_vat_months()); }, out);
    const std::vector<Activity> all = activities(books);
    compare_table(
        books, kActivityVat,
        [&](TotalsRows& j) {
            for (const Activity& a : all) {
                ado::SqlText sql =
                    journal_activity(a, "ISNULL(CG43_ALIQIVA1_CG28, '')",
                                     "SUM(CG43_IMPONIBILE) AS TAXABLE, SUM(CG43_IMPOSTA) AS TAX");
                sql.line(" GROUP BY CG43_ALIQIVA1_CG28, MONTH(CG41_DATAREG)");
                j.read(books, sql);
            }
        },
        out);
    compare_table(
        books, kActivityRegisters,
        [&](TotalsRows& j) {
            for (const Activity& a : all) {
                ado::SqlText sql = journal_activity(a, "CG41_SEZIONALE",
                                                    "SUM(CG43_IMPONIBILE) AS TAXABLE, SUM(CG43_IMPOSTA) AS "
                                                    "TAX, MAX(CG41_NUMPROT) AS LAST_PROTOCOL");
                sql.line(" GROUP BY CG41_SEZIONALE, MONTH(CG41_DATAREG)");
                j.read(books, sql);
            }
        },
        out);
    return out;
}

}  // namespace cli
