#pragma once
// The one exception type of the data-access layer. It carries what a provider
// reports: a number, a description (the text users and log rows see) and the
// source that raised it. Variant conversions raise it too (type mismatch, overflow).
#include <stdexcept>
#include <string>
#include <vector>

namespace ado {

// Error numbers used by the layer itself; provider errors keep the engine's code.
enum ErrorNumber : long {
    kErrOverflow = 6,
    kErrDivisionByZero = 11,
    kErrTypeMismatch = 13,
    kErrInvalidUse = 94,         // invalid use of Null
    kErrProvider = -2147217900,  // statement refused by the engine (syntax, constraint, ...)
    kErrNotOpen = 3704,          // operation not allowed when the object is closed
    kErrBofEof = 3021,           // no current record
    kErrArgument = 3001,         // arguments of the wrong type, out of range or in conflict
    kErrFieldNotFound = 3265,    // item not found in the collection
    kErrFilter = 3001,
    kErrMultipleStep = -2147217887,  // value cannot be assigned to the field (size, type)
};

class Error : public std::runtime_error {
  public:
    Error(long number, std::string description, std::string source = "ledgerintake.ado")
        : std::runtime_error(description),
          number_(number),
          description_(std::move(description)),
          source_(std::move(source)) {}
    long number() const noexcept { return number_; }
    const std::string& description() const noexcept { return description_; }
    const std::string& source() const noexcept { return source_; }

  private:
    long number_;
    std::string description_;
    std::string source_;
};

// One entry of a connection's provider-error collection.
struct ProviderError {
    long number = 0;
    std::string description;
    std::string source;
    std::string sql_state;
    long native_error = 0;
};
using ProviderErrors = std::vector<ProviderError>;

}  // namespace ado
