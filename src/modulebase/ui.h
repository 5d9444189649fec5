#pragma once
// What a front end does for the module's windows: display them, run a modal window until
// it closes, and show a message box. Tests implement it with scripted answers.
#include <cstdint>
#include <string>

#include "host/api.h"

namespace module {

class Window;

class LEDGERINTAKE_CONTRACT Ui {
  public:
    virtual ~Ui() = default;
    // A window is being loaded: the front end makes what displays it and may give it a
    // handle (Window::SetHandle) before the window's own load handling runs.
    virtual void WindowCreated(Window& window) = 0;
    // Displays the window and returns at once.
    virtual void ShowModeless(Window& window) = 0;
    // Displays the window and returns when it has been unloaded (the front end forwards
    // the user's actions meanwhile).
    virtual void RunModal(Window& window) = 0;
    // A message box with the platform's flags (buttons, icon, default button, modality);
    // answers with the platform's codes (1 OK, 2 cancel, 3 abort, 4 retry, 5 ignore,
    // 6 yes, 7 no).
    virtual std::int32_t MessageBox(const std::string& text, const std::string& title,
                                    std::int32_t flags) = 0;
};

}  // namespace module
