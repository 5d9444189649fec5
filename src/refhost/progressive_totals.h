#pragma once
// The progressive totals of the reference host, recomputed from the journal of a company
// (CG41_PRIMANOTA with its account rows CG42_MOVCONT and VAT rows CG43_MOVIVA). Each call
// replaces the rows it owns: it deletes them and inserts the sums again, on the connection
// given, inside the transaction its caller holds. Sums are the engine's SUM over the
// DECIMAL columns, which is exact; nothing else is computed on amounts. An entry counts in
// the month of its registration date (CG41_DATAREG).
#include <cstdint>
#include <optional>
#include <string>

#include "ado/datetime.h"

namespace ado {
class Connection;
class SqlText;
}  // namespace ado

namespace refhost {

struct Month {
    std::int32_t year = 0;
    std::int32_t month = 0;  // 1..12

    static Month of(const ado::DateTime& date) { return {date.year(), date.month()}; }
    Month next() const { return month == 12 ? Month{year + 1, 1} : Month{year, month + 1}; }
    friend auto operator<=>(const Month&, const Month&) = default;
};

// A fiscal year of HOST_EXERCISE: both days included.
struct ExerciseRange {
    std::int16_t value1 = 0;
    std::int16_t value2 = 0;
    ado::DateTime start, end;
};

// The year named by its two exercise values (the one that starts last, should several carry
// them); empty when the company has none. Throws ado::Error when the table cannot be read.
std::optional<ExerciseRange> find_exercise(ado::Connection& conn, std::int32_t company, std::int16_t value1,
                                           std::int16_t value2);

// A VAT activity of the company for a year, and whether it is the year's default activity,
// the one that takes the registers HOST_ACTIVITY_SECTION gives to no activity of the year.
struct ActivityOfYear {
    std::int32_t id = 0;
    std::string code;
    std::int32_t year = 0;
    bool is_default = false;
};

class ProgressiveTotals {
  public:
    ProgressiveTotals(ado::Connection& conn, std::int32_t company) : conn_(conn), company_(company) {}

    // HOST_PROG_CONTI: debit and credit per account for each month from `first` to `last`.
    void account_months(Month first, Month last);
    // HOST_PROG_ESERCIZIO: debit and credit per account over the exercise's days.
    void exercise_accounts(const ExerciseRange& exercise);
    // HOST_PROG_IVA: taxable and tax per VAT code and register for each month of the range.
    void vat_months(Month first, Month last);
    // HOST_PROG_IVA_ATTIVITA: the activity's taxable and tax per VAT code and month of its year.
    void activity_vat(const ActivityOfYear& activity);
    // HOST_PROG_REGISTRI_IVA: the activity's taxable, tax and highest protocol per register and
    // month of its year.
    void activity_registers(const ActivityOfYear& activity);

  private:
    // FROM the rows joined to their entries, WHERE the company is ours.
    void add_journal(ado::SqlText& sql, const char* rows_table, const char* rows_prefix) const;
    // Registration dates from the first day to the end of the last (days as 'YYYYMMDD').
    void add_days(ado::SqlText& sql, const std::string& first_day, const std::string& last_day) const;
    void add_month(ado::SqlText& sql, Month month) const;
    void remove_month(const char* table, Month month);
    void add_registers_of(ado::SqlText& sql, const ActivityOfYear& activity) const;
    void remove_activity_year(const char* table, const ActivityOfYear& activity);

    ado::Connection& conn_;
    std::int32_t company_;
};

}  // namespace refhost
