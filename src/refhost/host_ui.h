#pragma once
// What a front end shows for the reference host: the module's messages, trapped errors
// with their abort/retry/ignore question, and the notices given before the module's log
// object exists. The CLI implements it on a terminal; tests implement it with answers.
#include <cstdint>
#include <string>

#include "ado/error.h"
#include "host/error.h"

namespace refhost {

class HostUi {
  public:
    virtual ~HostUi() = default;
    // A message of the module (string-table id `code`, kind 2/3 plain, 4 yes/no question);
    // returns 0 for "no", non-zero otherwise.
    virtual std::int16_t ShowMessage(std::int32_t code, std::int32_t kind, const std::string& text,
                                     const std::string& detail, const std::string& caption,
                                     std::int32_t default_button) = 0;
    // A trapped error: answers 3 abort, 4 retry, 5 ignore.
    virtual std::int32_t ShowError(const std::string& caption, const std::string& procedure,
                                   const host::ErrorInfo& error,
                                   const ado::ProviderErrors& provider_errors) = 0;
    // Message display before the log object exists ("Classe Log non settata").
    virtual void ShowNotice(const std::string& message, const std::string& title) = 0;
    // Where to save a file the module writes (the log text): the full path, or "" when the
    // user declines. `proposed_name` is the module's name for it ("logimpcoge.txt"),
    // `extension` its kind ("txt"). A front end that offers no saving declines.
    virtual std::string ChooseSaveFile(const std::string& proposed_name, const std::string& extension) {
        (void)proposed_name;
        (void)extension;
        return {};
    }
};

}  // namespace refhost
