#include "refhost/progressive_totals.h"

#include <cstdio>

#include "ado/connection.h"
#include "ado/recordset.h"

namespace refhost {
namespace {

int days_in_month(std::int32_t year, std::int32_t month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

// The host's SQL date text of a day: 'YYYYMMDD', which orders as the stored dates do.
std::string day_text(std::int32_t year, std::int32_t month, std::int32_t day) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", static_cast<int>(year), static_cast<int>(month),
                  static_cast<int>(day));
    return text;
}

// The last moment of a day, so that a registration date with a time of day still counts.
std::string end_of_day(const std::string& day) {
    return day + " 23:59:59";
}

}  // namespace

std::optional<ExerciseRange> find_exercise(ado::Connection& conn, std::int32_t company, std::int16_t value1,
                                           std::int16_t value2) {
    ado::SqlText sql;
    sql.line(" SELECT START_DATE, END_DATE")
        .line(" FROM HOST_EXERCISE")
        .line(" WHERE COMPANY_CODE = ")
        .number(company)
        .line("     AND EXERCISE_VALUE1 = ")
        .number(value1)
        .line("     AND EXERCISE_VALUE2 = ")
        .number(value2)
        .line(" ORDER BY START_DATE DESC");
    const auto rs = conn.Execute(sql);
    if (rs->EOF()) return std::nullopt;
    return ExerciseRange{value1, value2, rs->GetFields().Item("START_DATE").Value().to_date(),
                         rs->GetFields().Item("END_DATE").Value().to_date()};
}

void ProgressiveTotals::add_journal(ado::SqlText& sql, const char* rows_table,
                                    const char* rows_prefix) const {
    const std::string p(rows_prefix);
    sql.line(" FROM ")
        .add(rows_table)
        .line(" INNER JOIN CG41_PRIMANOTA ON CG41_DITTA_CG18 = ")
        .add(p + "_DITTA_CG18 AND CG41_NUMREG = ")
        .add(p + "_NUMREG_CG41")
        .line(" WHERE ")
        .add(p + "_DITTA_CG18 = ")
        .number(company_);
}

void ProgressiveTotals::add_days(ado::SqlText& sql, const std::string& first_day,
                                 const std::string& last_day) const {
    sql.line("     AND CG41_DATAREG >= '")
        .value(first_day)
        .add("'")
        .line("     AND CG41_DATAREG <= '")
        .value(end_of_day(last_day))
        .add("'");
}

void ProgressiveTotals::add_month(ado::SqlText& sql, Month month) const {
    add_days(sql, day_text(month.year, month.month, 1),
             day_text(month.year, month.month, days_in_month(month.year, month.month)));
}

// The registers of an activity: those HOST_ACTIVITY_SECTION gives it; for the default
// activity also every register it gives to no activity of the year.
void ProgressiveTotals::add_registers_of(ado::SqlText& sql, const ActivityOfYear& activity) const {
    if (activity.is_default) {
        sql.line("     AND CG41_SEZIONALE NOT IN (SELECT SECTION FROM HOST_ACTIVITY_SECTION")
            .line("         WHERE COMPANY_CODE = ")
            .number(company_)
            .add(" AND ACTIVITY_CODE <> '")
            .value(activity.code)
            .add("'")
            .line("             AND ACTIVITY_CODE IN (SELECT CG86_CODATTIVITA FROM CG86_ATTIVITAIVA")
            .line("                 WHERE CG86_DITTA_CG18 = ")
            .number(company_)
            .add(" AND CG86_ANNO = ")
            .number(activity.year)
            .add("))");
    } else {
        sql.line("     AND CG41_SEZIONALE IN (SELECT SECTION FROM HOST_ACTIVITY_SECTION")
            .line("         WHERE COMPANY_CODE = ")
            .number(company_)
            .add(" AND ACTIVITY_CODE = '")
            .value(activity.code)
            .add("')");
    }
}

// The totals a table holds for one month of the company, before they are computed again.
void ProgressiveTotals::remove_month(const char* table, Month m) {
    ado::SqlText remove;
    remove.line(" DELETE FROM ")
        .add(table)
        .line(" WHERE COMPANY_CODE = ")
        .number(company_)
        .add(" AND YEAR = ")
        .number(m.year)
        .add(" AND MONTH = ")
        .number(m.month);
    conn_.Execute(remove);
}

void ProgressiveTotals::account_months(Month first, Month last) {
    for (Month m = first; m <= last; m = m.next()) {
        remove_month("HOST_PROG_CONTI", m);
        ado::SqlText insert;
        insert
            .line(
                " INSERT INTO HOST_PROG_CONTI (COMPANY_CODE, ACCOUNT_GROUP, ACCOUNT, YEAR, MONTH, DEBIT, "
                "CREDIT)")
            .line(" SELECT ")
            .number(company_)
            .add(", CG42_GRUPPO_CG10, CG42_CONTOPAR_CG24, ")
            .number(m.year)
            .add(", ")
            .number(m.month)
            .add(", SUM(CG42_IMPDARE), SUM(CG42_IMPAVERE)");
        add_journal(insert, "CG42_MOVCONT", "CG42");
        add_month(insert, m);
        insert.line(" GROUP BY CG42_GRUPPO_CG10, CG42_CONTOPAR_CG24");
        conn_.Execute(insert);
    }
}

void ProgressiveTotals::exercise_accounts(const ExerciseRange& exercise) {
    ado::SqlText remove;
    remove.line(" DELETE FROM HOST_PROG_ESERCIZIO")
        .line(" WHERE COMPANY_CODE = ")
        .number(company_)
        .add(" AND EXERCISE_VALUE1 = ")
        .number(exercise.value1)
        .add(" AND EXERCISE_VALUE2 = ")
        .number(exercise.value2);
    conn_.Execute(remove);
    ado::SqlText insert;
    insert
        .line(
            " INSERT INTO HOST_PROG_ESERCIZIO (COMPANY_CODE, EXERCISE_VALUE1, EXERCISE_VALUE2, "
            "ACCOUNT_GROUP, "
            "ACCOUNT, DEBIT, CREDIT)")
        .line(" SELECT ")
        .number(company_)
        .add(", ")
        .number(exercise.value1)
        .add(", ")
        .number(exercise.value2)
        .add(", CG42_GRUPPO_CG10, CG42_CONTOPAR_CG24, SUM(CG42_IMPDARE), SUM(CG42_IMPAVERE)");
    add_journal(insert, "CG42_MOVCONT", "CG42");
    add_days(insert, exercise.start.date_only().compact(), exercise.end.date_only().compact());
    insert.line(" GROUP BY CG42_GRUPPO_CG10, CG42_CONTOPAR_CG24");
    conn_.Execute(insert);
}

void ProgressiveTotals::vat_months(Month first, Month last) {
    for (Month m = first; m <= last; m = m.next()) {
        remove_month("HOST_PROG_IVA", m);
        // Grouped on the columns themselves, so that codes and registers group as the books
        // compare them; a VAT row without a code counts under the empty code.
        ado::SqlText insert;
        insert.line(" INSERT INTO HOST_PROG_IVA (COMPANY_CODE, VAT_CODE, SECTION, YEAR, MONTH, TAXABLE, TAX)")
            .line(" SELECT ")
            .number(company_)
            .add(", ISNULL(CG43_ALIQIVA1_CG28, ''), CG41_SEZIONALE, ")
            .number(m.year)
            .add(", ")
            .number(m.month)
            .add(", SUM(CG43_IMPONIBILE), SUM(CG43_IMPOSTA)");
        add_journal(insert, "CG43_MOVIVA", "CG43");
        add_month(insert, m);
        insert.line(" GROUP BY CG43_ALIQIVA1_CG28, CG41_SEZIONALE");
        conn_.Execute(insert);
    }
}

void ProgressiveTotals::remove_activity_year(const char* table, const ActivityOfYear& activity) {
    ado::SqlText remove;
    remove.line(" DELETE FROM ")
        .add(table)
        .line(" WHERE COMPANY_CODE = ")
        .number(company_)
        .add(" AND ACTIVITY_ID = ")
        .number(activity.id)
        .add(" AND YEAR = ")
        .number(activity.year);
    conn_.Execute(remove);
}

void ProgressiveTotals::activity_vat(const ActivityOfYear& activity) {
    remove_activity_year("HOST_PROG_IVA_ATTIVITA", activity);
    for (Month m{activity.year, 1}; m <= Month{activity.year, 12}; m = m.next()) {
        ado::SqlText insert;
        insert
            .line(
                " INSERT INTO HOST_PROG_IVA_ATTIVITA (COMPANY_CODE, ACTIVITY_ID, ACTIVITY_CODE, VAT_CODE, "
                "YEAR, "
                "MONTH, TAXABLE, TAX)")
            .line(" SELECT ")
            .number(company_)
            .add(", ")
            .number(activity.id)
            .add(", '")
            .value(activity.code)
            .add("', ISNULL(CG43_ALIQIVA1_CG28, ''), ")
            .number(m.year)
            .add(", ")
            .number(m.month)
            .add(", SUM(CG43_IMPONIBILE), SUM(CG43_IMPOSTA)");
        add_journal(insert, "CG43_MOVIVA", "CG43");
        add_month(insert, m);
        add_registers_of(insert, activity);
        insert.line(" GROUP BY CG43_ALIQIVA1_CG28");
        conn_.Execute(insert);
    }
}

void ProgressiveTotals::activity_registers(const ActivityOfYear& activity) {
    remove_activity_year("HOST_PROG_REGISTRI_IVA", activity);
    for (Month m{activity.year, 1}; m <= Month{activity.year, 12}; m = m.next()) {
        ado::SqlText insert;
        insert
            .line(
                " INSERT INTO HOST_PROG_REGISTRI_IVA (COMPANY_CODE, ACTIVITY_ID, ACTIVITY_CODE, SECTION, "
                "YEAR, "
                "MONTH, TAXABLE, TAX, LAST_PROTOCOL)")
            .line(" SELECT ")
            .number(company_)
            .add(", ")
            .number(activity.id)
            .add(", '")
            .value(activity.code)
            .add("', CG41_SEZIONALE, ")
            .number(m.year)
            .add(", ")
            .number(m.month)
            .add(", SUM(CG43_IMPONIBILE), SUM(CG43_IMPOSTA), MAX(CG41_NUMPROT)");
        add_journal(insert, "CG43_MOVIVA", "CG43");
        add_month(insert, m);
        add_registers_of(insert, activity);
        insert.line(" GROUP BY CG41_SEZIONALE");
        conn_.Execute(insert);
    }
}

}  // namespace refhost
