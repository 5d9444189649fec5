#pragma once
// The module's front end on a terminal: it shows the module's messages verbatim, asks
// question 113 and the abort/retry/ignore question of a trapped error when a person is at
// the terminal (otherwise the command-line options answer), and takes the import log when
// one with an error row is shown: it prints it and saves it when asked (through the log
// window's own save). The history window's rows are kept for the command that opened it.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "console.h"
#include "modulebase/ui.h"
#include "refhost/host_ui.h"

namespace importlog {
class LogWindow;
}
namespace module {
class Grid;
}

namespace cli {

enum class OnError { Abort, Ignore };

struct FrontEndOptions {
    bool yes = false;                               // answers question 113 with yes when nobody is asked
    OnError on_error = OnError::Abort;              // answers a trapped error when nobody is asked
    bool quiet = false;                             // --json: nothing but the JSON object on standard output
    std::optional<std::filesystem::path> log_file;  // where the log text is saved
};

struct ShownMessage {
    std::int32_t code = 0;
    std::int32_t kind = 0;
    std::string text;
    std::int16_t answer = 0;
};

struct ShownError {
    std::string procedure;
    long number = 0;
    std::string description;
    std::int32_t answer = 0;
};

// One row of a shown log, its six columns as text.
struct LogRow {
    std::string progr, tabella, livello, stato, chiave, errore;
};

class TerminalFrontEnd final : public module::Ui, public refhost::HostUi {
  public:
    TerminalFrontEnd(Console& console, FrontEndOptions options);

    // module::Ui
    void WindowCreated(module::Window& window) override;
    void ShowModeless(module::Window& window) override;
    void RunModal(module::Window& window) override;
    std::int32_t MessageBox(const std::string& text, const std::string& title, std::int32_t flags) override;

    // refhost::HostUi
    std::int16_t ShowMessage(std::int32_t code, std::int32_t kind, const std::string& text,
                             const std::string& detail, const std::string& caption,
                             std::int32_t default_button) override;
    std::int32_t ShowError(const std::string& caption, const std::string& procedure,
                           const host::ErrorInfo& error, const ado::ProviderErrors& provider_errors) override;
    void ShowNotice(const std::string& message, const std::string& title) override;

    // --log-file, when given.
    std::string ChooseSaveFile(const std::string& proposed_name, const std::string& extension) override;

    const std::vector<ShownMessage>& messages() const { return messages_; }
    const std::vector<ShownError>& errors() const { return errors_; }
    const std::vector<LogRow>& log_rows() const { return log_rows_; }
    // Called with the history window's grid while the window is shown.
    std::function<void(const module::Grid&)> on_history;
    // Set when the log could not be saved to --log-file.
    const std::string& log_file_error() const { return log_file_error_; }

  private:
    bool ask_yes_no(const std::string& question, bool default_yes);
    std::int32_t ask_abort_retry_ignore();
    void show_log(importlog::LogWindow& window);

    Console& console_;
    FrontEndOptions options_;
    std::int32_t next_handle_ = 1;
    std::vector<ShownMessage> messages_;
    std::vector<ShownError> errors_;
    std::vector<LogRow> log_rows_;
    std::string log_file_error_;
};

// The text with CR LF and lone CR turned into LF, for a terminal.
std::string terminal_lines(std::string_view text);

}  // namespace cli
