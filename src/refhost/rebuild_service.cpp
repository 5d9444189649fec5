#include "refhost/rebuild_service.h"

#include "ado/connection.h"
#include "ado/recordset.h"

namespace refhost {
namespace {

constexpr std::int32_t kFirstYear = 1753;  // the books' dates start there
constexpr std::int32_t kLastYear = 9999;

bool given(const ado::Variant& v) {
    return !v.is_empty() && !v.is_null() && !(v.is_string() && ado::trim(v.str()).empty());
}

// Activity codes compare as the books compare texts: case and trailing blanks aside.
bool same_code(const std::string& a, const std::string& b) {
    const std::string x = ado::rtrim(a), y = ado::rtrim(b);
    if (x.size() != y.size()) return false;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(x[i]) != lower(y[i])) return false;
    }
    return true;
}

}  // namespace

std::string RebuildParameters::problem_for(std::int32_t operation) const {
    if (operation < 1 || operation > 6)
        return "Operation " + std::to_string(operation) + " is not a rebuild operation (1 to 6).";
    if (connection_string.empty()) return "No connection string was given.";
    if (!company || *company == 0) return "No company was given.";
    if (operation <= 2) {
        if (!first_exercise || !second_exercise)
            return "Operation " + std::to_string(operation) + " needs both exercise values.";
        return {};
    }
    if (!year) return "Operation " + std::to_string(operation) + " needs the year.";
    if (*year < kFirstYear || *year > kLastYear)
        return "The year " + std::to_string(*year) + " is not a year of the books (" +
               std::to_string(kFirstYear) + " to " + std::to_string(kLastYear) + ").";
    if (operation >= 5 && activity_flag) {
        if (!given(activity_id) && !given(activity_code))
            return "Operation " + std::to_string(operation) + " needs the activity code or identifier.";
        if (given(activity_id) && !activity_id.is_numeric())
            return "The activity identifier '" + activity_id.to_string() + "' is not a number.";
    }
    return {};
}

RebuildService::RebuildService() = default;
RebuildService::~RebuildService() = default;

void RebuildService::Run(std::int32_t operation) {
    result_ = kRebuildBadParameters;
    last_error_ = parameters_.problem_for(operation);
    if (!last_error_.empty()) return;
    try {
        ado::Connection& conn = connection();
        ado::TransactionGuard transaction(conn);
        result_ = run_operation(conn, operation);
        if (result_ == kRebuildSuccess && parameters_.run_flag) transaction.Commit();
        // Otherwise the guard rolls everything back.
    } catch (const std::exception& e) {
        result_ = kRebuildFailed;
        last_error_ = "Rebuild operation " + std::to_string(operation) + " failed: " + e.what();
    }
}

void RebuildService::ClearObjectProperties() {
    if (activities_) {
        try {
            activities_->Close();
        } catch (...) {
            // a record set that cannot close is released all the same
        }
    }
    activities_.reset();
    connection_.reset();
}

ado::Connection& RebuildService::connection() {
    if (!connection_ || connection_->ConnectionString() != parameters_.connection_string) {
        activities_.reset();
        connection_.reset();
        auto conn = std::make_unique<ado::Connection>(parameters_.connection_string);
        conn->Open();
        connection_ = std::move(conn);
    }
    return *connection_;
}

std::int32_t RebuildService::run_operation(ado::Connection& conn, std::int32_t operation) {
    const std::int32_t company = *parameters_.company;
    ProgressiveTotals totals(conn, company);
    if (operation <= 2) {
        const auto exercise =
            find_exercise(conn, company, *parameters_.first_exercise, *parameters_.second_exercise);
        if (!exercise) {
            last_error_ = "Company " + std::to_string(company) + " has no exercise with the values " +
                          std::to_string(*parameters_.first_exercise) + " and " +
                          std::to_string(*parameters_.second_exercise) + " in HOST_EXERCISE.";
            return kRebuildNotFound;
        }
        if (operation == 1)
            totals.account_months(Month::of(exercise->start), Month::of(exercise->end));
        else
            totals.exercise_accounts(*exercise);
        return kRebuildSuccess;
    }
    const std::int32_t year = *parameters_.year;
    if (operation == 3) {
        totals.account_months({year, 1}, {year, 12});
        return kRebuildSuccess;
    }
    if (operation == 4) {
        totals.vat_months({year, 1}, {year, 12});
        return kRebuildSuccess;
    }
    const auto activities = chosen_activities(conn);
    if (!activities) return kRebuildNotFound;
    for (const ActivityOfYear& activity : *activities) {
        if (operation == 5)
            totals.activity_vat(activity);
        else
            totals.activity_registers(activity);
    }
    return kRebuildSuccess;
}

std::vector<ActivityOfYear> RebuildService::activities_of_year(ado::Connection& conn) {
    const std::int32_t company = *parameters_.company, year = *parameters_.year;
    if (!activities_ || activities_company_ != company || activities_year_ != year) {
        ado::SqlText sql;
        sql.line(" SELECT CG86_IDATTIVITA, CG86_CODATTIVITA, CG86_FLGPRINCIPALE")
            .line(" FROM CG86_ATTIVITAIVA")
            .line(" WHERE CG86_DITTA_CG18 = ")
            .number(company)
            .add(" AND CG86_ANNO = ")
            .number(year)
            .line(" ORDER BY CG86_CODATTIVITA, CG86_IDATTIVITA");
        activities_ = conn.Execute(sql);
        activities_company_ = company;
        activities_year_ = year;
    }
    std::vector<ActivityOfYear> out;
    std::size_t main = 0;
    bool main_found = false;
    auto& rs = *activities_;
    if (!(rs.BOF() && rs.EOF())) rs.MoveFirst();
    for (; !rs.EOF(); rs.MoveNext()) {
        out.push_back({rs["CG86_IDATTIVITA"].Value().to_long(),
                       ado::rtrim(rs["CG86_CODATTIVITA"].Value().text_or_empty()), year, false});
        if (!main_found && rs["CG86_FLGPRINCIPALE"].Value().to_long() == 1) {
            main = out.size() - 1;
            main_found = true;
        }
    }
    // The main activity takes the registers given to none; without one marked, the first.
    if (!out.empty()) out[main].is_default = true;
    return out;
}

std::optional<std::vector<ActivityOfYear>> RebuildService::chosen_activities(ado::Connection& conn) {
    std::vector<ActivityOfYear> all = activities_of_year(conn);
    if (!parameters_.activity_flag) return all;
    const std::string where = " of company " + std::to_string(*parameters_.company) + " for " +
                              std::to_string(*parameters_.year) + " in CG86_ATTIVITAIVA";
    const ado::Variant& id = parameters_.activity_id;
    const ado::Variant& code = parameters_.activity_code;
    for (const ActivityOfYear& activity : all) {
        if (given(id) ? activity.id != id.to_long() : !same_code(activity.code, code.to_string())) continue;
        if (given(id) && given(code) && !same_code(activity.code, code.to_string())) {
            last_error_ = "The activity " + std::to_string(activity.id) + " has the code '" + activity.code +
                          "', not '" + code.to_string() + "'" + where + ".";
            return std::nullopt;
        }
        return std::vector<ActivityOfYear>{activity};
    }
    last_error_ =
        "There is no activity " + (given(id) ? id.to_string() : "'" + code.to_string() + "'") + where + ".";
    return std::nullopt;
}

}  // namespace refhost
