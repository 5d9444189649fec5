#pragma once
// The rebuild service of the reference host: recomputes the progressive totals of a company
// from its journal (progressive_totals.h), on a connection of its own opened from the
// connection string of its parameters, outside any transaction of the import. Each run of
// an operation is one transaction of its own: it replaces the totals it owns, or, when it
// fails, leaves every total as it was.
//
// | Operation | Needs | Replaces |
// |---|---|---|
// | 1 | the exercise values | HOST_PROG_CONTI for every month the exercise touches |
// | 2 | the exercise values | HOST_PROG_ESERCIZIO for the exercise |
// | 3 | the year | HOST_PROG_CONTI for the twelve months of the year |
// | 4 | the year | HOST_PROG_IVA for the twelve months of the year |
// | 5 | the year, the activity | HOST_PROG_IVA_ATTIVITA of the activity for the year |
// | 6 | the year, the activity | HOST_PROG_REGISTRI_IVA of the activity for the year |
//
// Every operation needs the connection string and the company. With the activity flag off,
// operations 5 and 6 take every activity of the company for the year. With the run flag off
// (the default) an operation computes everything and rolls it back: a trial that changes
// nothing and reports what would fail.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ado/variant.h"
#include "host/services.h"
#include "refhost/progressive_totals.h"

namespace ado {
class Connection;
class Recordset;
}  // namespace ado

namespace refhost {

// What ResultCode() reports after Run().
enum RebuildResultCode : std::int32_t {
    kRebuildSuccess = 0,
    kRebuildFailed = 1,         // the database could not be read or written (see last_error())
    kRebuildBadParameters = 2,  // not run yet, an unknown operation, a parameter missing or unusable
    kRebuildNotFound = 3,       // the exercise or the activity named is not in the books
};

class RebuildParameters final : public host::RebuildParameters {
  public:
    void SetConnectionString(const std::string& text) override { connection_string = text; }
    void SetCompany(std::int32_t value) override { company = value; }
    void SetRunFlag(bool run) override { run_flag = run; }
    void SetFirstExercise(std::int16_t value) override { first_exercise = value; }
    void SetSecondExercise(std::int16_t value) override { second_exercise = value; }
    void SetYear(std::int32_t value) override { year = value; }
    void SetActivityFlag(bool flag) override { activity_flag = flag; }
    void SetActivityCode(const ado::Variant& code) override { activity_code = code; }
    void SetActivityId(const ado::Variant& id) override { activity_id = id; }

    // Empty when the parameters suit the operation; else what is missing or wrong.
    std::string problem_for(std::int32_t operation) const;

    std::string connection_string;
    std::optional<std::int32_t> company;
    bool run_flag = false;
    std::optional<std::int16_t> first_exercise, second_exercise;
    std::optional<std::int32_t> year;
    bool activity_flag = false;
    ado::Variant activity_code, activity_id;
};

class RebuildService final : public host::RebuildService {
  public:
    RebuildService();
    ~RebuildService() override;
    RebuildService(const RebuildService&) = delete;
    RebuildService& operator=(const RebuildService&) = delete;

    host::RebuildParameters& Parameters() override { return parameters_; }
    // Never throws; sets the result code.
    void Run(std::int32_t operation) override;
    std::int32_t ResultCode() const override { return result_; }
    // Its two object properties: the connection and the activities record set it read.
    void ClearObjectProperties() override;

    // Why the last run failed; empty after a success.
    const std::string& last_error() const { return last_error_; }
    bool holds_connection() const { return connection_ != nullptr; }
    bool holds_activities() const { return activities_ != nullptr; }

  private:
    ado::Connection& connection();
    // Runs the operation inside the open transaction; kRebuildNotFound with last_error_ set
    // when the exercise or the activity is not there. Throws on a database failure.
    std::int32_t run_operation(ado::Connection& conn, std::int32_t operation);
    std::vector<ActivityOfYear> activities_of_year(ado::Connection& conn);
    // The activities the operation works on; empty with last_error_ set when the one named is
    // not there.
    std::optional<std::vector<ActivityOfYear>> chosen_activities(ado::Connection& conn);

    RebuildParameters parameters_;
    std::unique_ptr<ado::Connection> connection_;
    std::shared_ptr<ado::Recordset> activities_;
    std::int32_t activities_company_ = 0, activities_year_ = 0;
    std::int32_t result_ = kRebuildBadParameters;
    std::string last_error_ = "no rebuild operation has run";
};

}  // namespace refhost
