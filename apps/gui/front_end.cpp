#include "front_end.h"

#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include "history/history_window.h"
#include "history_dialog.h"
#include "log/log_window.h"
#include "log_dialog.h"
#include "modulebase/window.h"

namespace gui {

namespace {

constexpr std::int32_t kQuestionKind = 4;
constexpr std::int32_t kSevereKind = 2;
constexpr std::int32_t kSecondButtonDefault = 256;

}  // namespace

std::int32_t FrontEnd::ask(const Box& box) {
    const std::int32_t answer = answerer_ ? answerer_(box) : run_box(box, parent_);
    boxes_.push_back({box, answer});
    return answer;
}

void FrontEnd::WindowCreated(module::Window& window) {
    window.SetHandle(next_handle_++);
}

// The import window is bound to its main window by whoever opened the module.
void FrontEnd::ShowModeless(module::Window&) {}

void FrontEnd::RunModal(module::Window& window) {
    if (auto* log = dynamic_cast<importlog::LogWindow*>(&window)) {
        LogDialog dialog(*log, parent_);
        run_modal(dialog, window);
    } else if (auto* history = dynamic_cast<history::HistoryWindow*>(&window)) {
        HistoryDialog dialog(*history, parent_);
        run_modal(dialog, window);
    }
    // A modal window returns unloaded, whatever closed the dialog.
    if (window.IsLoaded()) window.Unload();
}

void FrontEnd::run_modal(QDialog& dialog, const module::Window& window) {
    dialog.setModal(true);
    dialog.show();
    if (modal_observer_) modal_observer_(dialog);
    if (window.IsLoaded() && dialog.isVisible()) dialog.exec();
}

std::int32_t FrontEnd::MessageBox(const std::string& text, const std::string& title, std::int32_t flags) {
    return ask(platform_box(text, title, flags));
}

std::int16_t FrontEnd::ShowMessage(std::int32_t code, std::int32_t kind, const std::string& text,
                                   const std::string& detail, const std::string& caption,
                                   std::int32_t default_button) {
    Box box;
    box.code = code;
    box.title = caption;
    box.text = text;
    box.detail = detail;
    if (kind == kQuestionKind) {
        box.icon = Box::Icon::Question;
        box.buttons = {kBoxYes, kBoxNo};
        box.default_button = default_button == kSecondButtonDefault ? kBoxNo : kBoxYes;
        return ask(box) == kBoxYes ? 1 : 0;
    }
    box.icon = kind == kSevereKind ? Box::Icon::Critical : Box::Icon::Information;
    box.buttons = {kBoxOk};
    ask(box);
    return 1;
}

std::int32_t FrontEnd::ShowError(const std::string& caption, const std::string& procedure,
                                 const host::ErrorInfo& error, const ado::ProviderErrors& provider_errors) {
    Box box;
    box.title = caption.empty() ? std::string("Error") : caption;
    box.text = "Error " + std::to_string(error.number) + " in " + procedure + ":\n" + error.description;
    for (const auto& provider : provider_errors)
        if (provider.description != error.description)
            box.detail += (box.detail.empty() ? "" : "\n") + provider.description;
    box.icon = Box::Icon::Critical;
    box.buttons = {kBoxAbort, kBoxRetry, kBoxIgnore};
    box.default_button = kBoxAbort;
    const std::int32_t answer = ask(box);
    return answer == kBoxRetry || answer == kBoxIgnore ? answer : kBoxAbort;
}

void FrontEnd::ShowNotice(const std::string& message, const std::string& title) {
    Box box;
    box.title = title;
    box.text = message;
    box.icon = Box::Icon::Warning;
    box.buttons = {kBoxOk};
    ask(box);
}

std::string FrontEnd::ChooseSaveFile(const std::string& proposed_name, const std::string& extension) {
    if (save_chooser_) return save_chooser_(proposed_name, extension);
    // The folder of the last save, else the home folder, with the module's name for the file.
    const QString folder =
        last_save_folder_.empty() ? QDir::homePath() : QString::fromStdString(last_save_folder_);
    const QString start = QDir(folder).filePath(QString::fromStdString(proposed_name));
    const QString filter = QString::fromStdString("Text files (*." + extension + ");;All files (*)");
    const QString chosen = QFileDialog::getSaveFileName(parent_, "Save the log", start, filter);
    if (chosen.isEmpty()) return {};
    last_save_folder_ = QFileInfo(chosen).absolutePath().toStdString();
    return chosen.toStdString();
}

std::string FrontEnd::ChooseImportFile(const std::string& folder) {
    if (open_chooser_) return open_chooser_(folder, "xml");
    const QString chosen =
        QFileDialog::getOpenFileName(parent_, "Choose the import file", QString::fromStdString(folder),
                                     "XML files (*.xml);;All files (*)");
    return chosen.toStdString();
}

}  // namespace gui
