#pragma once
// Host services the import calls: activity parameters and exercise (group structure and
// fiscal year), numbering and progressive numbers (new codes and registration numbers),
// and the rebuild of progressive totals. Each object is created through Components.
// Properties are set one by one, in the order the caller's procedure gives, then the
// service is run and its results read back.
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ado/variant.h"
#include "host/api.h"

namespace ado {
class Connection;
class Recordset;
}  // namespace ado

namespace host {

// The VAT activities of a company for a year (record set with CG86_CODATTIVITA,
// CG86_IDATTIVITA).
class LEDGERINTAKE_CONTRACT ActivityParametersService {
  public:
    virtual ~ActivityParametersService() = default;
    virtual void SetConnection(std::shared_ptr<ado::Connection> connection) = 0;
    virtual void SetConnectionString(const std::string& connection_string) = 0;
    virtual void SetCompany(std::int32_t company) = 0;
    virtual void SetYear(std::int32_t year) = 0;
    virtual void SetOption(bool option) = 0;
    virtual void Run() = 0;
    virtual ado::Variant Status() const = 0;  // 0 = success
    virtual std::shared_ptr<ado::Recordset> Result() const = 0;
};

// The accounting exercise of a reference date: two 16-bit values.
class LEDGERINTAKE_CONTRACT ExerciseService {
  public:
    virtual ~ExerciseService() = default;
    virtual void SetConnection(std::shared_ptr<ado::Connection> connection) = 0;
    virtual void SetCompany(std::int32_t company) = 0;
    virtual void SetReferenceDate(const std::string& date_text) = 0;
    virtual void Run() = 0;
    virtual ado::Variant Status() const = 0;  // 0 = success; Empty when missing
    virtual ado::Variant FirstValue() const = 0;
    virtual ado::Variant SecondValue() const = 0;
};

// Numbering operations.
enum NumberingOperation : std::int32_t { kTakeNewNumber = 2, kRecordUsedNumber = 3 };

// One request to the numbering service (registration numbers, VAT numbering, customer
// and supplier codes). Taking a new number (operation 2) commits on the service's own
// store and survives the caller's rollback; recording a used number (operation 3) runs on
// the connection handed in, inside the caller's transaction.
class LEDGERINTAKE_CONTRACT NumberingRequest {
  public:
    virtual ~NumberingRequest() = default;
    // nullptr detaches the request from its connection (done before release).
    virtual void SetConnection(std::shared_ptr<ado::Connection> connection) = 0;
    virtual void SetConnectionString(const std::string& connection_string) = 0;
    virtual void SetCompany(std::int32_t company) = 0;
    virtual void SetYear(std::int32_t year) = 0;
    virtual void SetOperation(std::int32_t operation) = 0;
    virtual void SetCompanyAgain(std::int32_t company) = 0;
    virtual void SetSection(const ado::Variant& section) = 0;
    virtual void SetNumberingKind(std::int32_t kind) = 0;
    virtual void SetUpdateKind(std::int32_t kind) = 0;
    // Dates and document numbers arrive as the caller holds them (text from the import file).
    virtual void SetUpdateDate(const ado::Variant& date) = 0;
    virtual void SetDate(const ado::Variant& date) = 0;
    virtual void SetDocumentNumber(const ado::Variant& number) = 0;
    virtual void SetDocumentNumberSecond(const ado::Variant& number) = 0;
    // Runs the operation; its own return value carries nothing the caller relies on.
    virtual ado::Variant Run() = 0;
    virtual ado::Variant ErrorCode() const = 0;  // 0 = success
    virtual ado::Variant Number() const = 0;     // operation 2
    virtual ado::Variant Prefix() const = 0;     // operation 2
};

// Reserves the next value of a keyed progressive (e.g. CG26_PROGANAG, key CG26_CODICE =
// "ANAGG", value column CG26_VALPROG). Every call returns values not returned before.
class LEDGERINTAKE_CONTRACT ProgressiveNumberService {
  public:
    virtual ~ProgressiveNumberService() = default;
    virtual std::vector<ado::Variant> Reserve(const std::string& connection_string, const std::string& table,
                                              const std::vector<std::pair<std::string, ado::Variant>>& keys,
                                              const std::vector<std::string>& value_columns) = 0;
};

class LEDGERINTAKE_CONTRACT RebuildParameters {
  public:
    virtual ~RebuildParameters() = default;
    virtual void SetConnectionString(const std::string& connection_string) = 0;
    virtual void SetCompany(std::int32_t company) = 0;
    virtual void SetRunFlag(bool run) = 0;
    virtual void SetFirstExercise(std::int16_t value) = 0;
    virtual void SetSecondExercise(std::int16_t value) = 0;
    virtual void SetYear(std::int32_t year) = 0;
    virtual void SetActivityFlag(bool flag) = 0;
    virtual void SetActivityCode(const ado::Variant& code) = 0;
    virtual void SetActivityId(const ado::Variant& id) = 0;
};

// Rebuilds the accounting and VAT progressive totals; one instance per rebuild.
class LEDGERINTAKE_CONTRACT RebuildService {
  public:
    virtual ~RebuildService() = default;
    virtual RebuildParameters& Parameters() = 0;
    // Operations 1..6 (1, 2: exercise; 3, 4: year; 5, 6: per VAT activity).
    virtual void Run(std::int32_t operation) = 0;
    virtual std::int32_t ResultCode() const = 0;  // 0 = success
    // Clears the instance's two object properties before it is released.
    virtual void ClearObjectProperties() = 0;
};

}  // namespace host
