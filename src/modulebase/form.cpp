#include "modulebase/form.h"

#include "modulebase/error_trap.h"
#include "modulebase/module_context.h"
#include "modulebase/ui.h"

namespace module {

Form::Form(ModuleContext& context, std::string object_name, std::string layout_caption)
    : context_(context),
      trace_(context.trace_sink(), std::move(object_name), context.guid_source()),
      caption_(std::move(layout_caption)) {}

std::string Form::Caption() const noexcept {
    return suppress_or(std::string(), [&] { return caption_; });
}

void Form::SetCaption(const std::string& caption) noexcept {
    Load();
    suppress([&] { caption_ = caption; });
}

void Form::Load() noexcept {
    if (loaded_) return;
    // Loaded before the handler runs, so that touching the window from its own load
    // handling does not load it again.
    loaded_ = true;
    if (Ui* ui = context_.ui()) suppress([&] { ui->WindowCreated(*this); });
    OnLoad();
}

void Form::Show(bool modal) noexcept {
    Load();
    visible_ = true;
    Activate();
    Ui* ui = context_.ui();
    if (!ui || !loaded_) return;
    suppress([&] {
        if (modal)
            ui->RunModal(*this);
        else
            ui->ShowModeless(*this);
    });
}

void Form::Activate() noexcept {
    if (loaded_) OnActivate();
}

bool Form::Unload() noexcept {
    if (!loaded_) return true;
    if (closing_) return false;  // a close already in progress decides
    closing_ = true;
    bool cancel = false;
    OnQueryUnload(cancel);
    if (!cancel) {
        OnUnload();
        loaded_ = false;
        visible_ = false;
    }
    closing_ = false;
    return !cancel;
}

}  // namespace module
