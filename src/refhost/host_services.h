#pragma once
// The activity-parameters and exercise services of the reference host, on the tables
// CG86_ATTIVITAIVA and HOST_EXERCISE. Each runs on the connection handed to it when that
// is open, else on a connection of its own opened from the connection string.
#include <cstdint>
#include <memory>
#include <string>

#include "host/services.h"

namespace refhost {

// The VAT activities of a company for a year, ordered by CG86_CODATTIVITA, with
// CG86_IDATTIVITA, CG86_CODATTIVITA and CG86_DESCR. Status 0 with the record set (which
// may have no rows: the caller decides what that means); status 1 and no record set when
// the query fails. The option of the request is taken and has no effect here.
class ActivityParametersService final : public host::ActivityParametersService {
  public:
    explicit ActivityParametersService(std::string default_connection_string)
        : connection_string_(std::move(default_connection_string)) {}
    void SetConnection(std::shared_ptr<ado::Connection> connection) override {
        connection_ = std::move(connection);
    }
    void SetConnectionString(const std::string& connection_string) override;
    void SetCompany(std::int32_t company) override { company_ = company; }
    void SetYear(std::int32_t year) override { year_ = year; }
    void SetOption(bool option) override { option_ = option; }
    void Run() override;
    ado::Variant Status() const override { return ado::Variant::long_value(status_); }
    std::shared_ptr<ado::Recordset> Result() const override { return result_; }

    // Why the last run failed; empty after a success.
    const std::string& last_error() const { return last_error_; }

  private:
    std::shared_ptr<ado::Connection> connection_;
    std::string connection_string_;
    std::int32_t company_ = 0;
    std::int32_t year_ = 0;
    bool option_ = false;
    std::int32_t status_ = 1;
    std::shared_ptr<ado::Recordset> result_;
    std::string last_error_;
};

// The fiscal year of a company that contains a reference date (HOST_EXERCISE,
// START_DATE..END_DATE, both days included). Status 0 with EXERCISE_VALUE1 and
// EXERCISE_VALUE2 as 16-bit integers; status 1 when no year contains the date or the date
// text is not a date; status 2 when the table cannot be read. The values are Empty unless
// the status is 0.
class ExerciseService final : public host::ExerciseService {
  public:
    explicit ExerciseService(std::string connection_string)
        : connection_string_(std::move(connection_string)) {}
    void SetConnection(std::shared_ptr<ado::Connection> connection) override {
        connection_ = std::move(connection);
    }
    void SetCompany(std::int32_t company) override { company_ = company; }
    void SetReferenceDate(const std::string& date_text) override { date_text_ = date_text; }
    void Run() override;
    ado::Variant Status() const override { return ado::Variant::long_value(status_); }
    ado::Variant FirstValue() const override { return first_; }
    ado::Variant SecondValue() const override { return second_; }

    const std::string& last_error() const { return last_error_; }

  private:
    std::shared_ptr<ado::Connection> connection_;
    std::string connection_string_;
    std::int32_t company_ = 0;
    std::string date_text_;
    std::int32_t status_ = 1;
    ado::Variant first_, second_;
    std::string last_error_;
};

}  // namespace refhost
