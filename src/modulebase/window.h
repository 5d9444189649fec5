#pragma once
// A window of the module as a front end sees it. Windows are view models: all behaviour
// lives in the window object, and a front end (Qt, terminal, a test) forwards the user's
// actions as calls on this interface. Every member is virtual so a front end can drive a
// window living in the loaded module library.
#include <cstdint>
#include <string>

#include "host/api.h"

namespace module {

class LEDGERINTAKE_CONTRACT Window {
  public:
    virtual ~Window() = default;

    virtual std::string Caption() const noexcept = 0;
    // Setting the caption loads the window first, as the platform loaded a form on first touch.
    virtual void SetCaption(const std::string& caption) noexcept = 0;

    virtual bool IsLoaded() const noexcept = 0;
    virtual bool IsVisible() const noexcept = 0;
    // Loads the window if needed (its load handling runs once per load).
    virtual void Load() noexcept = 0;
    // Loads, shows and activates it; modal shows return when the window has been unloaded.
    virtual void Show(bool modal) noexcept = 0;
    // The window became the active one (the front end calls this on focus).
    virtual void Activate() noexcept = 0;
    // Close request, then unload. False when the window (or its host) refused to close.
    virtual bool Unload() noexcept = 0;

    // The handle a front end gives the window (0 until it gives one); the host's registry
    // knows the window by it.
    virtual std::int32_t Handle() const noexcept = 0;
    virtual void SetHandle(std::int32_t handle) noexcept = 0;
};

}  // namespace module
