#include "file_messages.h"

#include <filesystem>
#include <system_error>

#include "modulebase/controls.h"
#include "modulebase/string_table.h"
#include "text_output.h"

namespace cli {

namespace {

constexpr std::int32_t kFileMessages[] = {
    module::kMsgFileNotValid,     module::kMsgFileNotFound,      module::kMsgXmlReadError,
    module::kMsgFileNotPertinent, module::kMsgCompanyNotInGroup, module::kMsgFileImported,
    module::kMsgForceReimport,
};

// Text that prints as one line on a terminal: valid UTF-8 without control characters.
bool prints_plainly(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        char32_t cp = 0;
        if (!next_code_point(text, i, cp) || cp < 0x20 || (cp >= 0x7F && cp <= 0x9F)) return false;
    }
    return true;
}

// Without the blanks around it, as the path box reads its text.
std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::string looked_up_path(const std::string& file) {
    if (module::PathBox::local_usable(file)) return module::PathBox::local_file(file).full_path.string();
    // Not a usable path (empty, or a folder's: "exports/"): as absolute as it can be made.
    const std::string given(trimmed(file));
    if (given.empty()) return {};
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(given, ec);
    return ec ? given : absolute.lexically_normal().string();
}

std::string file_line(const std::string& path) {
    if (path.empty()) return "  file: (no path given)";
    return "  file: " + (prints_plainly(path) ? path : shell_word(path));
}

bool is_file_message(std::int32_t id) {
    for (std::int32_t file_message : kFileMessages)
        if (file_message == id) return true;
    return false;
}

std::int16_t FileNamingUi::ShowMessage(std::int32_t code, std::int32_t kind, const std::string& text,
                                       const std::string& detail, const std::string& caption,
                                       std::int32_t default_button) {
    if (!is_file_message(code)) return shown_->ShowMessage(code, kind, text, detail, caption, default_button);
    const std::string with_file = detail.empty() ? file_line_ : detail + "\n" + file_line_;
    return shown_->ShowMessage(code, kind, text, with_file, caption, default_button);
}

}  // namespace cli
