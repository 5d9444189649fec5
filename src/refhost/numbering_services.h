#pragma once
// The numbering service and the progressive-number service of the reference host. Both
// take their numbers on the companion store beside the main database (number_store.h),
// each take one short transaction of its own: a number handed out is never handed out
// again, whatever the caller's transaction does and however many imports run at once.
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/services.h"
#include "refhost/number_store.h"
#include "refhost/vat_numbering.h"

namespace refhost {

// Customer and supplier codes: master-data codes, numbered across years.
inline constexpr std::int32_t kCustomerCodeKind = 901;
inline constexpr std::int32_t kSupplierCodeKind = 902;
// Registration numbers: one sequence per company and year, the year as prefix.
inline constexpr std::int32_t kRegistrationKind = 999;
inline constexpr std::int32_t kLastRegistrationNumber = 99999999;  // 8 digits after the prefix

// What ErrorCode() reports after Run().
enum NumberingErrorCode : std::int32_t {
    kNumberingSuccess = 0,
    kNumberingFailed = 1,      // the store or the database could not do it (see last_error())
    kNumberingBadRequest = 2,  // not run yet, an unknown operation, or a property it cannot use
};

// One request: properties by role, then Run().
//
// Operation 2 takes the next number of the counter (company, kind, section, year; kinds 901
// and 902 ignore the year, kind 999 the section). A counter seen for the first time starts
// after the highest customer (901) or supplier (902) code of the company in CG44_CLIFOR,
// or after the highest registration number of the company with the year's prefix in
// CO99_MASTERDOC and CG41_PRIMANOTA (999); any other kind after 0. Number() is the number as
// text; Prefix() is the year in four digits for kind 999 (prefix and the number padded to 8
// digits fill the 12 characters of a registration number) and the empty text otherwise.
//
// Operation 3 records a used document number of a VAT numbering kind (vat_numbering.h) on
// the connection handed in, inside the caller's transaction.
//
// The two company properties name the same company: the later one set counts.
class NumberingRequest final : public host::NumberingRequest {
  public:
    // `default_connection_string`: the database when neither a connection string nor a
    // connection that has one is handed in.
    explicit NumberingRequest(std::string default_connection_string)
        : default_connection_string_(std::move(default_connection_string)) {}

    void SetConnection(std::shared_ptr<ado::Connection> connection) override {
        connection_ = std::move(connection);
    }
    void SetConnectionString(const std::string& connection_string) override {
        connection_string_ = connection_string;
    }
    void SetCompany(std::int32_t company) override { company_ = company; }
    void SetYear(std::int32_t year) override { year_ = year; }
    void SetOperation(std::int32_t operation) override { operation_ = operation; }
    void SetCompanyAgain(std::int32_t company) override { company_ = company; }
    void SetSection(const ado::Variant& section) override { section_ = section; }
    void SetNumberingKind(std::int32_t kind) override { kind_ = kind; }
    // Recording a used number: the update kind, when set, must be the numbering kind; the
    // update date, else the date, is the date recorded; the second document number, when
    // set, closes a range that starts at the first, and the higher is recorded. Taking a
    // new number does not use them.
    void SetUpdateKind(std::int32_t kind) override { update_kind_ = kind; }
    void SetUpdateDate(const ado::Variant& date) override { update_date_ = date; }
    void SetDate(const ado::Variant& date) override { date_ = date; }
    void SetDocumentNumber(const ado::Variant& number) override { document_number_ = number; }
    void SetDocumentNumberSecond(const ado::Variant& number) override { document_number_second_ = number; }

    // Never throws; returns the error code.
    ado::Variant Run() override;
    ado::Variant ErrorCode() const override { return ado::Variant::long_value(error_code_); }
    ado::Variant Number() const override { return number_; }
    ado::Variant Prefix() const override { return prefix_; }

    // Why the last run failed; empty after a success.
    const std::string& last_error() const { return last_error_; }

  private:
    std::string main_connection_string() const;
    bool across_years() const;            // customer and supplier codes
    std::string section_text() const;     // without trailing blanks; empty when none
    std::string section_problem() const;  // empty when the section can be used
    std::string request_problem() const;  // empty when the request can take a number
    std::int32_t take_new_number();
    void take_into_results();
    void record_used_number();
    // Fills `used` from the request; empty when it can be recorded, else what is wrong.
    std::string used_number(UsedNumber& used) const;
    NumberStore& store_for(const std::string& connection_string);

    std::string default_connection_string_;
    std::shared_ptr<ado::Connection> connection_;
    std::string connection_string_;
    std::int32_t company_ = 0;
    std::int32_t year_ = 0;
    std::int32_t operation_ = 0;
    ado::Variant section_;
    std::int32_t kind_ = 0;
    std::int32_t update_kind_ = 0;
    ado::Variant update_date_, date_, document_number_, document_number_second_;

    std::int32_t error_code_ = kNumberingBadRequest;
    std::string last_error_ = "the request has not been run";
    ado::Variant number_, prefix_;
    std::unique_ptr<NumberStore> store_;
};

// Reserve: the next value of each value column of a keyed progressive (CG26_PROGANAG, key
// CG26_CODICE = "ANAGG", value column CG26_VALPROG). A progressive seen for the first time
// starts after the value its row holds in the main database (0 without a row); the main
// database is only read, so its row does not move. Table and column names must be plain
// identifiers; key values are texts without quotes or integer numbers. Throws host::Error
// when no value can be reserved; then none is.
class ProgressiveNumberService final : public host::ProgressiveNumberService {
  public:
    // `default_connection_string`: the database when Reserve is given an empty one.
    explicit ProgressiveNumberService(std::string default_connection_string)
        : default_connection_string_(std::move(default_connection_string)) {}

    std::vector<ado::Variant> Reserve(const std::string& connection_string, const std::string& table,
                                      const std::vector<std::pair<std::string, ado::Variant>>& keys,
                                      const std::vector<std::string>& value_columns) override;

  private:
    std::string default_connection_string_;
    std::unique_ptr<NumberStore> store_;
};

}  // namespace refhost
