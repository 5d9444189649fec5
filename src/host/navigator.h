#pragma once
// The host's navigator (ActiveNavigator), its form registry, and the host frame.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "ado/variant.h"
#include "host/api.h"

namespace host {

// The navigator's registry of open windows.
class LEDGERINTAKE_CONTRACT FormRegistry {
  public:
    virtual ~FormRegistry() = default;
    // Registers (state 1) or unregisters (state 0) a window: handle, 0, state, empty text.
    virtual void Register(std::int32_t window_handle, std::int32_t reserved, std::int16_t state,
                          const std::string& text) = 0;
    // The host's answer to the last unregistration: non-zero refuses the close.
    virtual std::int32_t CloseAnswer() const = 0;
    // Removes the window's menu item.
    virtual void RemoveMenuItem(std::int32_t window_handle) = 0;
};

class LEDGERINTAKE_CONTRACT Navigator {
  public:
    virtual ~Navigator() = default;
    // Notifies the navigator that the module's window is working with it; the answer is unused.
    virtual ado::Variant Notify() = 0;
    // nullptr when the navigator keeps no registry.
    virtual std::shared_ptr<FormRegistry> Forms() = 0;
    virtual void SetFrameStatus(std::int16_t status) = 0;
    virtual void Refresh() = 0;
    virtual void ClearCurrentModule() = 0;
};

// The host frame (ActiveFrame): values read by name, e.g. "Status".
class LEDGERINTAKE_CONTRACT Frame {
  public:
    virtual ~Frame() = default;
    virtual ado::Variant Value(std::string_view name) const = 0;
};

}  // namespace host
