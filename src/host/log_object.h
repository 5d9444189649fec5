#pragma once
// The host log object: shows trapped errors (abort/retry/ignore) and the module's messages.
// The module creates one when its window loads (for errors) and a fresh one per message.
#include <cstdint>
#include <string>

#include "ado/error.h"
#include "host/api.h"
#include "host/error.h"

namespace host {

class Cinterface;

// Message-box answers and flags the module relies on.
enum MessageAnswer : std::int32_t { kAnswerNo = 0, kAnswerAbort = 3, kAnswerRetry = 4, kAnswerIgnore = 5 };
// Abort/retry/ignore buttons (2), critical icon (16), second button default (256),
// system-modal (4096).
inline constexpr std::int32_t kErrorButtons = 4370;

class LEDGERINTAKE_CONTRACT LogObject {
  public:
    virtual ~LogObject() = default;
    virtual void Initialise(Cinterface* active_dll) = 0;

    // The error to show next, and the provider errors of the module connection.
    virtual void SetError(const ErrorInfo& error) = 0;
    virtual void SetProviderErrors(const ado::ProviderErrors& errors) = 0;
    // Shows the error; answers kAnswerAbort, kAnswerRetry or kAnswerIgnore.
    virtual std::int32_t ShowError(const std::string& caption, const std::string& message,
                                   const std::string& procedure, std::int32_t buttons) = 0;

    virtual void SetDefaultButton(std::int32_t button) = 0;
    // Shows a message of kind 2 or 3 (plain) or 4 (yes/no question); 0 answers "no".
    virtual std::int16_t ShowMessage(std::int32_t code, std::int32_t kind, const std::string& text,
                                     const std::string& detail, const std::string& caption) = 0;

    // Called once, before the module releases the object at unload.
    virtual void Terminate() = 0;
};

}  // namespace host
