// The progressive totals rebuilt from the journal as the import asks the host: the
// exercise of the file's last day by month and as a whole, the year by month, its VAT by
// month, and per VAT activity of the year its VAT and its registers; each rebuild one
// transaction. Months are grouped in one statement per table instead of one per month:
// the same rows, fewer statements.
#include <stdexcept>

#include "floor.h"

namespace floorbench {

namespace {

struct Activity {
    std::int64_t id = 0;
    std::string code;
    bool is_default = false;
};

// The year and month of CG41_DATAREG, stored as "yyyymmdd[ hh:mm:ss]".
constexpr const char* kYearMonth =
    "CAST(substr(CG41_DATAREG, 1, 4) AS INTEGER), CAST(substr(CG41_DATAREG, 5, 2) AS INTEGER)";

std::string journal_of(const char* rows, const char* prefix) {
    const std::string p(prefix);
    return std::string(" FROM ") + rows + " INNER JOIN CG41_PRIMANOTA ON CG41_DITTA_CG18 = " + p +
           "_DITTA_CG18 AND CG41_NUMREG = " + p + "_NUMREG_CG41 WHERE " + p +
           "_DITTA_CG18 = ?1 AND CG41_DATAREG >= ?2 AND CG41_DATAREG <= ?3";
}

// The registers of an activity: those given to it; the main activity also takes those
// given to no activity of the year.
std::string registers_of(const Activity& a) {
    if (a.is_default)
        return " AND CG41_SEZIONALE NOT IN (SELECT SECTION FROM HOST_ACTIVITY_SECTION WHERE COMPANY_CODE = "
               "?1 AND "
               "ACTIVITY_CODE <> ?5 AND ACTIVITY_CODE IN (SELECT CG86_CODATTIVITA FROM CG86_ATTIVITAIVA "
               "WHERE "
               "CG86_DITTA_CG18 = ?1 AND CG86_ANNO = ?6))";
    return " AND CG41_SEZIONALE IN (SELECT SECTION FROM HOST_ACTIVITY_SECTION WHERE COMPANY_CODE = ?1 AND "
           "ACTIVITY_CODE = ?5)";
}

class Totals {
  public:
    Totals(Files& files, const Books& books) : db_(files.main), company_(books.company) {}

    int run(const std::string& reference_day, int year) {
        exercise(reference_day);
        const std::string first = std::to_string(year) + "0101", last = std::to_string(year) + "1231";
        one([&] { account_months(first, last); });
        one([&] { vat_months(first, last); });
        const std::vector<Activity> activities = activities_of(year);
        one([&] {
            for (const Activity& a : activities) activity_vat(a, year);
        });
        one([&] {
            for (const Activity& a : activities) activity_registers(a, year);
        });
        return rebuilds_;
    }

  private:
    template <class F>
    void one(F&& rebuild) {
        Transaction t(db_);
        rebuild();
        t.commit();
        ++rebuilds_;
    }

    // The exercise holding the reference day: its months, then its accounts as a whole.
    void exercise(const std::string& day) {
        Statement s = db_.prepare(
            "SELECT START_DATE, END_DATE, EXERCISE_VALUE1, EXERCISE_VALUE2 FROM HOST_EXERCISE WHERE "
            "COMPANY_CODE = ? "
            "AND START_DATE <= ? AND END_DATE >= ? ORDER BY START_DATE DESC");
        if (!s.bind(company_, day, day).step()) throw std::runtime_error("no exercise holds " + day);
        const std::string start = s.text(0).substr(0, 8), end = s.text(1).substr(0, 8);
        const std::int64_t value1 = s.integer(2), value2 = s.integer(3);
        one([&] { account_months(start, end); });
        one([&] {
            db_.prepare(
                   "DELETE FROM HOST_PROG_ESERCIZIO WHERE COMPANY_CODE = ? AND EXERCISE_VALUE1 = ? AND "
                   "EXERCISE_VALUE2 = ?")
                .bind(company_, value1, value2)
                .run();
            db_.prepare(
                   "INSERT INTO HOST_PROG_ESERCIZIO (COMPANY_CODE, EXERCISE_VALUE1, EXERCISE_VALUE2, "
                   "ACCOUNT_GROUP, ACCOUNT, DEBIT, CREDIT) SELECT ?1, ?4, ?5, CG42_GRUPPO_CG10, "
                   "CG42_CONTOPAR_CG24, SUM(CG42_IMPDARE), SUM(CG42_IMPAVERE)" +
                   journal_of("CG42_MOVCONT", "CG42") + " GROUP BY CG42_GRUPPO_CG10, CG42_CONTOPAR_CG24")
                .bind(company_, start, end + " 23:59:59", value1, value2)
                .run();
        });
    }

    void remove_months(const char* table, const std::string& first, const std::string& last) {
        db_.prepare(std::string("DELETE FROM ") + table +
                    " WHERE COMPANY_CODE = ? AND YEAR * 100 + MONTH BETWEEN ? AND ?")
            .bind(company_, std::stoi(first.substr(0, 6)), std::stoi(last.substr(0, 6)))
            .run();
    }

    void account_months(const std::string& first, const std::string& last) {
        remove_months("HOST_PROG_CONTI", first, last);
        db_.prepare(
               std::string("INSERT INTO HOST_PROG_CONTI (COMPANY_CODE, ACCOUNT_GROUP, ACCOUNT, YEAR, MONTH, "
                           "DEBIT, CREDIT) SELECT ?1, CG42_GRUPPO_CG10, CG42_CONTOPAR_CG24, ") +
               kYearMonth + ", SUM(CG42_IMPDARE), SUM(CG42_IMPAVERE)" + journal_of("CG42_MOVCONT", "CG42") +
               " GROUP BY CG42_GRUPPO_CG10, CG42_CONTOPAR_CG24, " + kYearMonth)
            .bind(company_, first, last + " 23:59:59")
            .run();
    }

    void vat_months(const std::string& first, const std::string& last) {
        remove_months("HOST_PROG_IVA", first, last);
        db_.prepare(std::string(
                        "INSERT INTO HOST_PROG_IVA (COMPANY_CODE, VAT_CODE, SECTION, YEAR, MONTH, TAXABLE, "
                        "TAX) SELECT ?1, IFNULL(CG43_ALIQIVA1_CG28, ''), CG41_SEZIONALE, ") +
                    kYearMonth + ", SUM(CG43_IMPONIBILE), SUM(CG43_IMPOSTA)" +
                    journal_of("CG43_MOVIVA", "CG43") + " GROUP BY CG43_ALIQIVA1_CG28, CG41_SEZIONALE, " +
                    kYearMonth)
            .bind(company_, first, last + " 23:59:59")
            .run();
    }

    std::vector<Activity> activities_of(int year) {
        Statement s = db_.prepare(
            "SELECT CG86_IDATTIVITA, CG86_CODATTIVITA, CG86_FLGPRINCIPALE FROM CG86_ATTIVITAIVA WHERE "
            "CG86_DITTA_CG18 = ? AND CG86_ANNO = ? ORDER BY CG86_CODATTIVITA, CG86_IDATTIVITA");
        std::vector<Activity> out;
        std::size_t main = 0;
        bool found = false;
        s.bind(company_, year);
        while (s.step()) {
            out.push_back({s.integer(0), s.text(1), false});
            if (!found && s.integer(2) == 1) {
                main = out.size() - 1;
                found = true;
            }
        }
        if (!out.empty()) out[main].is_default = true;
        return out;
    }

    void activity_vat(const Activity& a, int year) {
        replace_activity(
            "HOST_PROG_IVA_ATTIVITA",
            std::string("INSERT INTO HOST_PROG_IVA_ATTIVITA (COMPANY_CODE, ACTIVITY_ID, ACTIVITY_CODE, "
                        "VAT_CODE, YEAR, MONTH, TAXABLE, TAX) SELECT ?1, ?4, ?5, "
                        "IFNULL(CG43_ALIQIVA1_CG28, ''), ") +
                kYearMonth + ", SUM(CG43_IMPONIBILE), SUM(CG43_IMPOSTA)" + journal_of("CG43_MOVIVA", "CG43") +
                registers_of(a) + " GROUP BY CG43_ALIQIVA1_CG28, " + kYearMonth,
            a, year);
    }

    void activity_registers(const Activity& a, int year) {
        replace_activity(
            "HOST_PROG_REGISTRI_IVA",
            std::string("INSERT INTO HOST_PROG_REGISTRI_IVA (COMPANY_CODE, ACTIVITY_ID, ACTIVITY_CODE, "
                        "SECTION, YEAR, MONTH, TAXABLE, TAX, LAST_PROTOCOL) SELECT ?1, ?4, ?5, "
                        "CG41_SEZIONALE, ") +
                kYearMonth + ", SUM(CG43_IMPONIBILE), SUM(CG43_IMPOSTA), MAX(CG41_NUMPROT)" +
                journal_of("CG43_MOVIVA", "CG43") + registers_of(a) + " GROUP BY CG41_SEZIONALE, " +
                kYearMonth,
            a, year);
    }

    // One activity's totals of the year in `table`: its rows removed, then `insert` run with
    // the year's first and last moments, the activity and (for the main activity's
    // registers, as ?6) the year.
    void replace_activity(const char* table, const std::string& insert, const Activity& a, int year) {
        db_.prepare(std::string("DELETE FROM ") + table +
                    " WHERE COMPANY_CODE = ? AND ACTIVITY_ID = ? AND YEAR = ?")
            .bind(company_, a.id, year)
            .run();
        Statement statement = db_.prepare(insert);
        const std::string first = std::to_string(year) + "0101",
                          last = std::to_string(year) + "1231 23:59:59";
        if (a.is_default)
            statement.bind(company_, first, last, a.id, a.code, year).run();
        else
            statement.bind(company_, first, last, a.id, a.code).run();
    }

    Database& db_;
    int company_;
    int rebuilds_ = 0;
};

}  // namespace

int rebuild_totals(Files& files, const Books& books, const pugi::xml_node& root) {
    const std::string last_day = stored_date(text_of(root.child("Impostazioni"), "IE40_ADATA"));
    return Totals(files, books).run(last_day, books.year);
}

}  // namespace floorbench
