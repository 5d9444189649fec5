#pragma once
// The life of a window, shared by the module's windows: load on first touch, show,
// activate, close request and unload, and the trace lines of creation and destruction.
// A window derives from Form and supplies its event handlers.
#include <cstdint>
#include <string>

#include "modulebase/trace.h"
#include "modulebase/window.h"

namespace module {

class ModuleContext;

class Form : public Window {
  public:
    ~Form() override = default;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    std::string Caption() const noexcept override;
    void SetCaption(const std::string& caption) noexcept override;
    bool IsLoaded() const noexcept override { return loaded_; }
    bool IsVisible() const noexcept override { return visible_; }
    void Load() noexcept override;
    void Show(bool modal) noexcept override;
    void Activate() noexcept override;
    bool Unload() noexcept override;
    std::int32_t Handle() const noexcept override { return handle_; }
    void SetHandle(std::int32_t handle) noexcept override { handle_ = handle; }

  protected:
    // `object_name` goes into the trace lines; `layout_caption` is the caption before anyone
    // sets one.
    Form(ModuleContext& context, std::string object_name, std::string layout_caption);
    ModuleContext& context() const noexcept { return context_; }

    // Event handlers. Each runs with its own error handling and never throws.
    virtual void OnLoad() noexcept = 0;
    virtual void OnActivate() noexcept = 0;
    // Setting `cancel` keeps the window open.
    virtual void OnQueryUnload(bool& cancel) noexcept = 0;
    virtual void OnUnload() noexcept = 0;

  private:
    ModuleContext& context_;
    ObjectTrace trace_;
    std::string caption_;
    std::int32_t handle_ = 0;
    bool loaded_ = false;
    bool visible_ = false;
    bool closing_ = false;
};

}  // namespace module
