#pragma once
// The reference host refuses to start when its database does not describe the company or
// the user it was asked for; the front end shows the message and stops.
#include <stdexcept>
#include <string>

namespace refhost {

class HostError : public std::runtime_error {
  public:
    explicit HostError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace refhost
