#pragma once
// The module's front end on the desktop: the module's messages, questions and trapped
// errors as message boxes, the log and history windows as modal dialogs, and the file
// dialogs of the host's file services. Every box passes through one place, which records
// it and, when an answerer is set (tests, automation), takes the answer from it instead of
// asking on the screen; the file choices and modal dialogs can be handed over the same way.
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "message_box.h"
#include "modulebase/ui.h"
#include "refhost/host_ui.h"

class QDialog;

namespace gui {

struct ShownBox {
    Box box;
    std::int32_t answer = 0;
};

class FrontEnd final : public module::Ui, public refhost::HostUi {
  public:
    using Answerer = std::function<std::int32_t(const Box&)>;
    // Given the proposed name (or the folder to start in) and the extension; "" declines.
    using FileChooser = std::function<std::string(const std::string& start, const std::string& extension)>;
    // Called with a modal dialog once it is on the screen, before it waits for the user.
    using ModalObserver = std::function<void(QDialog&)>;

    void set_parent(QWidget* parent) { parent_ = parent; }
    void set_answerer(Answerer answerer) { answerer_ = std::move(answerer); }
    void set_save_chooser(FileChooser chooser) { save_chooser_ = std::move(chooser); }
    void set_open_chooser(FileChooser chooser) { open_chooser_ = std::move(chooser); }
    void set_modal_observer(ModalObserver observer) { modal_observer_ = std::move(observer); }

    // Shows the box (or has the answerer answer it), records it and returns the answer.
    std::int32_t ask(const Box& box);
    const std::vector<ShownBox>& boxes() const { return boxes_; }

    // The import file to open, starting in `folder`; "" when the user declines.
    std::string ChooseImportFile(const std::string& folder);

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
    std::string ChooseSaveFile(const std::string& proposed_name, const std::string& extension) override;

  private:
    void run_modal(QDialog& dialog, const module::Window& window);

    QPointer<QWidget> parent_;
    Answerer answerer_;
    FileChooser save_chooser_;
    FileChooser open_chooser_;
    ModalObserver modal_observer_;
    std::vector<ShownBox> boxes_;
    std::int32_t next_handle_ = 1;
    std::string last_save_folder_;
};

}  // namespace gui
