#pragma once
// Small objects the module creates from the host's classes.
#include <cstdint>
#include <memory>
#include <string>

#include "ado/datetime.h"
#include "ado/variant.h"
#include "host/api.h"

namespace ado {
class Connection;
}

namespace host {

// Hands out new, closed connections (the module sets the connection string and opens them).
class LEDGERINTAKE_CONTRACT ConnectionFactory {
  public:
    virtual ~ConnectionFactory() = default;
    virtual std::shared_ptr<ado::Connection> NewConnection() = 0;
};

// Renders a date as SQL date text. SqlText() gives the text without quotes
// ('YYYYMMDD' once quoted); ValidityCode() is 0 when the date given is usable.
class LEDGERINTAKE_CONTRACT DateObject {
  public:
    virtual ~DateObject() = default;
    virtual void SetDate(const ado::DateTime& date) = 0;
    virtual std::int32_t ValidityCode() const = 0;
    virtual std::string SqlText() const = 0;
};

// Display formats of dates, in the tokens of ado::DateTime::format (e.g. "dd/mm/yyyy").
class LEDGERINTAKE_CONTRACT UtilityObject {
  public:
    virtual ~UtilityObject() = default;
    virtual std::string DateFormat() const = 0;
    virtual std::string DateTimeFormat() const = 0;
};

}  // namespace host
