#include "terminal_front_end.h"

#include <istream>
#include <ostream>

#include "ado/recordset.h"
#include "history/history_window.h"
#include "host/log_object.h"
#include "log/log_window.h"
#include "modulebase/window.h"
#include "text_output.h"

namespace cli {

namespace {

constexpr std::int32_t kQuestionKind = 4;
constexpr std::int32_t kSecondButtonDefault = 256;
// Message-box answers of the platform.
constexpr std::int32_t kBoxOk = 1;
constexpr std::int32_t kBoxYes = 6;
constexpr std::int32_t kBoxNo = 7;
constexpr std::int32_t kBoxButtonsMask = 0x7;
constexpr std::int32_t kBoxYesNo = 4;
constexpr std::int32_t kBoxAbortRetryIgnore = 2;

std::string lower_trimmed(std::string s) {
    const auto first = s.find_first_not_of(" \t\r");
    const auto last = s.find_last_not_of(" \t\r");
    s = first == std::string::npos ? std::string() : s.substr(first, last - first + 1);
    for (char& c : s) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return s;
}

std::string field_text(ado::Recordset& rows, const char* name) {
    if (!rows.GetFields().Contains(name)) return {};
    return rows.GetFields().Item(name).Value().text_or_empty();
}

}  // namespace

std::string terminal_lines(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

TerminalFrontEnd::TerminalFrontEnd(Console& console, FrontEndOptions options)
    : console_(console), options_(std::move(options)) {}

void TerminalFrontEnd::WindowCreated(module::Window& window) {
    window.SetHandle(next_handle_++);
}

// The command drives the window itself once ShowForm returns; nothing to display.
void TerminalFrontEnd::ShowModeless(module::Window&) {}

// Nobody works in a modal window here: the log window prints its text (and saves it when
// asked), the history window leaves its rows for the command; then the window is closed.
void TerminalFrontEnd::RunModal(module::Window& window) {
    if (auto* log = dynamic_cast<importlog::LogWindow*>(&window)) show_log(*log);
    if (auto* history = dynamic_cast<history::HistoryWindow*>(&window); history && on_history)
        on_history(history->GRID_STORICO);
    window.Unload();
}

std::int32_t TerminalFrontEnd::MessageBox(const std::string& text, const std::string& title,
                                          std::int32_t flags) {
    if (!options_.quiet) console_.out << terminal_lines(text) << '\n';
    switch (flags & kBoxButtonsMask) {
        case kBoxYesNo:
            return ask_yes_no(title.empty() ? text : title, false) ? kBoxYes : kBoxNo;
        case kBoxAbortRetryIgnore:
            return ask_abort_retry_ignore();
        default:
            return kBoxOk;
    }
}

std::int16_t TerminalFrontEnd::ShowMessage(std::int32_t code, std::int32_t kind, const std::string& text,
                                           const std::string& detail, const std::string&,
                                           std::int32_t default_button) {
    ShownMessage shown{code, kind, text, 1};
    if (kind == kQuestionKind) {
        const bool default_yes = default_button != kSecondButtonDefault;
        // The detail (the file a question is about) is shown before the answer is given.
        const std::string context = detail.empty() ? "" : "\n" + terminal_lines(detail);
        if (console_.interactive) {
            shown.answer = ask_yes_no(terminal_lines(text) + context, default_yes) ? 1 : 0;
        } else {
            shown.answer = options_.yes ? 1 : 0;
            if (!options_.quiet)
                console_.out << terminal_lines(text)
                             << (options_.yes ? " yes (--yes)" : " no (--yes answers yes)") << context
                             << '\n';
        }
    } else if (!options_.quiet) {
        console_.out << terminal_lines(text) << '\n';
        if (!detail.empty()) console_.out << terminal_lines(detail) << '\n';
    }
    messages_.push_back(shown);
    return shown.answer;
}

std::int32_t TerminalFrontEnd::ShowError(const std::string& caption, const std::string& procedure,
                                         const host::ErrorInfo& error,
                                         const ado::ProviderErrors& provider_errors) {
    console_.err << (caption.empty() ? "Error" : caption) << ": " << procedure << ": " << error.description
                 << " [" << error.number << "]\n";
    for (const auto& p : provider_errors)
        if (p.description != error.description) console_.err << "  " << p.description << '\n';
    std::int32_t answer = host::kAnswerAbort;
    if (console_.interactive)
        answer = ask_abort_retry_ignore();
    else
        answer = options_.on_error == OnError::Ignore ? host::kAnswerIgnore : host::kAnswerAbort;
    errors_.push_back({procedure, error.number, error.description, answer});
    return answer;
}

void TerminalFrontEnd::ShowNotice(const std::string& message, const std::string& title) {
    console_.err << title << ": " << message << '\n';
}

std::string TerminalFrontEnd::ChooseSaveFile(const std::string&, const std::string&) {
    return options_.log_file ? options_.log_file->string() : std::string();
}

void TerminalFrontEnd::show_log(importlog::LogWindow& window) {
    log_rows_.clear();
    // Every row, whatever filter the window shows: the printout is the whole log.
    if (window.RecordSetLog && window.RecordSetLog->State() == ado::adStateOpen) {
        const ado::RecordsetPtr rows = window.RecordSetLog->Clone();
        for (; !rows->EOF(); rows->MoveNext()) {
            log_rows_.push_back({field_text(*rows, "PROGR"), field_text(*rows, "TABELLA"),
                                 field_text(*rows, "LIVELLO"), field_text(*rows, "STATO"),
                                 field_text(*rows, "CHIAVE"), field_text(*rows, "ERRORE")});
        }
    }
    if (!options_.quiet) {
        console_.out << "Import log (" << log_rows_.size()
                     << " rows): PROGR, TABELLA, LIVELLO, STATO, CHIAVE, ERRORE\n"
                     << terminal_lines(window.TXT_LOG.text);
    }
    if (!options_.log_file) return;
    const std::size_t errors_before = errors_.size();
    window.CMD_SALVA_ButtonClick();
    if (errors_.size() > errors_before) {
        log_file_error_ = "cannot write the log to " + options_.log_file->string();
        console_.err << "ledgerintake: " << log_file_error_ << '\n';
    } else if (!options_.quiet) {
        console_.out << "Log saved to " << options_.log_file->string() << '\n';
    }
}

bool TerminalFrontEnd::ask_yes_no(const std::string& question, bool default_yes) {
    for (;;) {
        console_.err << question << (default_yes ? " [Y/n] " : " [y/N] ") << std::flush;
        std::string line;
        if (!std::getline(console_.in, line)) return false;
        const std::string a = lower_trimmed(line);
        if (a.empty()) return default_yes;
        if (a == "y" || a == "yes" || a == "s" || a == "si") return true;
        if (a == "n" || a == "no") return false;
    }
}

std::int32_t TerminalFrontEnd::ask_abort_retry_ignore() {
    for (;;) {
        console_.err << "[a]bort, [r]etry or [i]gnore? " << std::flush;
        std::string line;
        if (!std::getline(console_.in, line)) return host::kAnswerAbort;
        const std::string a = lower_trimmed(line);
        if (a == "a" || a == "abort") return host::kAnswerAbort;
        if (a == "r" || a == "retry") return host::kAnswerRetry;
        if (a == "i" || a == "ignore") return host::kAnswerIgnore;
    }
}

}  // namespace cli
