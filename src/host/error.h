#pragma once
// Failures crossing the host contract. A host reports a failed call by throwing
// host::Error; the module turns every trapped failure into an ErrorInfo, the "current
// error object" that the host log object receives.
#include <stdexcept>
#include <string>

#include "host/api.h"

namespace host {

// Error numbers the module raises itself when a host object is missing or refuses.
enum HostErrorNumber : long {
    kErrObjectNotSet = 91,   // a host object the step needs was never handed over
    kErrCannotCreate = 429,  // the host could not create one of its components
    kErrHostCall = 440,      // a host call failed without a number of its own
    kErrUnexpected = 51,     // a failure that carried no error information
    kErrFileAccess = 75,     // a file could not be opened or written
};

class LEDGERINTAKE_CONTRACT Error : public std::runtime_error {
  public:
    Error(long number, std::string description, std::string source = "host")
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

// The error as the error routine hands it to the host log object.
struct ErrorInfo {
    long number = 0;
    std::string description;
    std::string source;
};

}  // namespace host
