#pragma once
// The module's messages about the import file, shown with the file they concern. The
// command names one file, but the output of a script that imports many must say which
// file a "File non trovato." was about: the string table's text stays as it is, and a line
// after it names the file as the window looked it up ("  file: /data/exports/alfa.xml").
#include <cstdint>
#include <memory>
#include <string>

#include "refhost/host_ui.h"

namespace cli {

// FILE as the import window looks it up: blanks around it dropped, absolute and
// normalised; "" when the text names no path at all.
std::string looked_up_path(const std::string& file);

// The line naming the file under a message: "  file: PATH". PATH is written as a shell
// word when it holds control characters or bytes that are not UTF-8 (so the line stays one
// line); "(no path given)" stands for an empty one.
std::string file_line(const std::string& path);

// The string-table messages about the file named in the path box: 100 to 103, 106, 111, 113.
bool is_file_message(std::int32_t id);

// The front end's display of the module's messages, with the file's line added to the
// detail of the messages about the file; everything else goes through unchanged.
class FileNamingUi final : public refhost::HostUi {
  public:
    FileNamingUi(std::shared_ptr<refhost::HostUi> shown, std::string file_line)
        : shown_(std::move(shown)), file_line_(std::move(file_line)) {}

    std::int16_t ShowMessage(std::int32_t code, std::int32_t kind, const std::string& text,
                             const std::string& detail, const std::string& caption,
                             std::int32_t default_button) override;
    std::int32_t ShowError(const std::string& caption, const std::string& procedure,
                           const host::ErrorInfo& error,
                           const ado::ProviderErrors& provider_errors) override {
        return shown_->ShowError(caption, procedure, error, provider_errors);
    }
    void ShowNotice(const std::string& message, const std::string& title) override {
        shown_->ShowNotice(message, title);
    }
    std::string ChooseSaveFile(const std::string& proposed_name, const std::string& extension) override {
        return shown_->ChooseSaveFile(proposed_name, extension);
    }

  private:
    std::shared_ptr<refhost::HostUi> shown_;
    std::string file_line_;
};

}  // namespace cli
